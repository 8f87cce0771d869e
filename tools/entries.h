// The host entry points as a caller sees them: what each argument carries,
// whether the buffer is read or written, and which results mean success.
// tolvane-call prints its help and its verdicts from this table.
#pragma once

namespace tolvane_call {

enum class Buf { None, In, Out };
enum class Ok { Zero, NonNegative, Any };

struct Entry {
  const char* name;
  const char* text;    // what text carries, nullptr when not read
  const char* number;  // what number carries, nullptr when not read
  Buf buffer;
  const char* bufferRole;  // what buffer carries, nullptr when not used
  Ok ok;
  const char* codes;  // result codes besides success
};

constexpr Entry kEntries[] = {
    {"Version", nullptr, nullptr, Buf::None, nullptr, Ok::Any, "always 4.03"},
    {"CropBMP_SetWidth", nullptr, "crop width", Buf::None, nullptr, Ok::Zero, "always 0"},
    {"SetInColor", nullptr, "packed colour R*65536+G*256+B", Buf::None, nullptr, Ok::Zero, "always 0"},
    {"qivtoOBJ", "Qiv path", nullptr, Buf::In, "OBJ path", Ok::Zero,
     "-9 missing path, -18 no face IDs loaded, -1760 Qiv unreadable, -1761 Qiv damaged, -2 OBJ not created, "
     "a chunk tag (>0) when the chunks are out of order"},
    {"getFaceIDs", "Qiv path", "level (1 = one count per face)", Buf::None, nullptr, Ok::NonNegative,
     "faces read, or -9 missing path, -1760 Qiv unreadable, -1761 Qiv damaged"},
    {"outMRGB", "Qiv path", nullptr, Buf::In, "colour text path", Ok::Zero,
     "-9 missing path, -1760 Qiv unreadable, -1761 Qiv damaged, -2 output not created"},
    {"AppendOBJ", "source OBJ path", "vertex offset", Buf::In, "combined OBJ path", Ok::NonNegative,
     "next vertex offset, or -9 missing path, -1 source unreadable, -2 destination not writable"},
    {"GroupListAdd", "group name", "face count", Buf::None, nullptr, Ok::Zero, "-2 count not positive, -1 no name"},
    {"GroupListGetName", nullptr, "index from 0", Buf::Out, "group name (\"null\" past the end)", Ok::Zero,
     "-1 index -1 or below, or no buffer"},
    {"GroupListSize", nullptr, nullptr, Buf::None, nullptr, Ok::NonNegative, "entries, or -1 when empty"},
    {"GroupListLoad", "group list path", nullptr, Buf::None, nullptr, Ok::Zero, "-9 missing path, -3 unreadable"},
    {"GroupListSave", "group list path", nullptr, Buf::None, nullptr, Ok::Zero,
     "-9 missing path, -1 list empty, -3 not written"},
    {"GroupListClear", nullptr, nullptr, Buf::None, nullptr, Ok::Zero, "always 0"},
    {"SplitOBJ", "OBJ path", nullptr, Buf::In, "output path (its folder is used)", Ok::Zero,
     "-2 missing path or a group without vertices, -1 OBJ unreadable, -3 output not created"},
    {"ListSplitOBJtoQiv", "OBJ path", nullptr, Buf::In, "output path (its folder is used)", Ok::Zero,
     "-2 missing path, -5 group list empty, -1 OBJ unreadable, -3 output not created"},
    {"SplitOBJtoQiv", "OBJ path", nullptr, Buf::In, "output path (its folder is used)", Ok::Zero,
     "-2 missing path, -1 OBJ unreadable, -3 output not created"},
    {"SwapVertices", "source OBJ path", nullptr, Buf::In, "destination OBJ path (rewritten)", Ok::Zero,
     "-2 missing path, -1 not swapped"},
    {"SwapVertices_Qiv", "Qit path", nullptr, Buf::In, "Qiv path (rewritten)", Ok::Zero,
     "-2 missing path, -1760 Qiv unreadable, -18 no vertex chunk, -201 Qit not opened, "
     "-301 Qit length/count differ, -401 Qiv not writable, -1761 Qiv or Qit truncated"},
    {"MakeStencilPSD", "PSD path", "new colour", Buf::None, nullptr, Ok::Zero,
     "-1 unreadable or not PSD, -2 version, -3 colour data, -4 compressed, -5 not written, -1761 PSD damaged"},
    {"SwapColorsPSD", "PSD path", "new colour", Buf::None, nullptr, Ok::Zero,
     "-1 unreadable or not PSD, -2 version, -3 colour data, -4 compressed, -5 not written, -1761 PSD damaged"},
    {"HealPSDfiles", "edge PSD path", "columns flag (>0)", Buf::In, "body PSD path", Ok::Zero,
     "-1..-4 PSD header, -5 not written, -6 sizes differ, -9 edge image below 100 x 100, -1761 PSD damaged, "
     "-1771 header sections differ in length"},
    {"RGBtoGrayscale", "PSD path", "black threshold 0..255", Buf::In, "output PSD path", Ok::Zero,
     "-1..-4 PSD header, -3 also not RGB, -5 not written, -1761 PSD damaged"},
    {"MergePSDfiles", "top PSD path", "key colour", Buf::In, "bottom PSD path", Ok::Zero,
     "-1..-4 PSD header, -5 not written, -6 sizes differ, -1761 PSD damaged, -1771 header sections differ in length"},
    {"CreateThumbnail", "PSD path", "thumbnail size in pixels", Buf::None, nullptr, Ok::Zero,
     "-1..-4 PSD header, -5 not written, -1761 PSD damaged, -1770 size below 1 or above 16384"},
    {"CropBMPfile", "input BMP path", "pixel offset", Buf::In, "output BMP path", Ok::Zero,
     "-1760 unreadable, -7 not BMP, -5 not written, -1761 BMP damaged, "
     "-1770 strip outside the rows or fewer than 4 rows"},
    {"FileDelete", "file path", nullptr, Buf::None, nullptr, Ok::Zero, "-1 not removed (or no path)"},
    {"FileCopyTo", "source path", nullptr, Buf::In, "destination path", Ok::Zero, "-1 not copied (destination removed first)"},
    {"OpenFolder", "folder path", nullptr, Buf::None, nullptr, Ok::Zero, "-1 not opened"},
    {"GetFile", nullptr, nullptr, Buf::Out, "next entry name", Ok::Zero, "-1 no folder open, -3 no more entries"},
    {"CloseFolder", nullptr, nullptr, Buf::None, nullptr, Ok::Zero, "-1 no folder open"},
    {"EmptyFolder", "folder path", nullptr, Buf::None, nullptr, Ok::Zero, "-1 folder not opened"},
    {"ClearNameSet", nullptr, nullptr, Buf::None, nullptr, Ok::Zero, "always 0"},
    {"CheckName", "wanted name", nullptr, Buf::Out, "unique name", Ok::Zero, "-1 missing name or buffer"},
    {"GetOpenDialog", nullptr, nullptr, Buf::None, nullptr, Ok::NonNegative,
     "files chosen, 0 cancelled, -2102 no display, -2103 no chooser installed, -2104 chooser failed"},
    {"GetFilePath", nullptr, "position from 1", Buf::Out, "chosen path (256 bytes)", Ok::Zero,
     "-2101 no such file in the list, 66666 or 1234 path not converted, -1 no buffer"},
    {"ClearFileList", nullptr, nullptr, Buf::None, nullptr, Ok::Zero, "always 0"},
    {"inPut", "URL", nullptr, Buf::None, nullptr, Ok::Zero, "-1 not a URL, -2105 xdg-open not started"},
};

}  // namespace tolvane_call
