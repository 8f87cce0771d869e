// The host entry points as a caller sees them: what each argument carries,
// whether the buffer is read or written, which results mean success and
// which codes come back. tolvane-call prints its help and verdicts from this
// table; tolvane-tables writes the Python binding's table and
// docs/reference.md from it. include/tolvane/host.h says the same in prose.
#pragma once

#include <cstddef>

#include "common/result_codes.h"

namespace tolvane::table {

enum class Buf { None, In, Out };
// Which results mean success: 0 alone, a count (0 or more), or anything.
enum class Ok { Zero, Count, Any };

// An argument the entry point reads: its name in the Python binding and
// what it carries, in a few words. {} when it is not read.
struct Arg {
  const char* name = nullptr;
  const char* role = nullptr;
};

// One result the entry point returns, in the entry point's own words. A
// list of codes ends at the first without words.
struct Code {
  float value = 0;
  const char* words = nullptr;
};

constexpr size_t kMaxCodes = 9;
constexpr Code kNone[] = {{}};
// What every PSD operation checks before it writes.
constexpr Code kPsd[] = {{kFailed, "unreadable"},       {kNotPSD, "not PSD"},         {kPSDVersion, "version"},
                         {kPSDColorData, "colour data"}, {kCompressed, "compressed"}, {kOutputNotWritable, "not written"},
                         {kBadFile, "PSD damaged"},      {}};

struct Entry {
  const char* name;
  Arg text, number;
  Buf buffer;
  Arg bufferArg;        // a second input, or what an output buffer receives
  Ok ok;
  const char* counted;  // what a count counts, for Ok::Count
  const char* other;    // results that are no code (a chunk tag), or nullptr
  Code codes[kMaxCodes];       // its own codes
  const Code* shared = kNone;  // codes shared with other entry points, listed first
};

constexpr Entry kEntries[] = {
    {"Version", {}, {}, Buf::None, {}, Ok::Any, nullptr, nullptr, {}},
    {"CropBMP_SetWidth", {}, {"width", "crop width"}, Buf::None, {}, Ok::Zero, nullptr, nullptr, {}},
    {"SetInColor", {}, {"color", "packed colour R*65536+G*256+B"}, Buf::None, {}, Ok::Zero, nullptr, nullptr, {}},
    {"qivtoOBJ", {"qiv_path", "Qiv path"}, {}, Buf::In, {"obj_path", "OBJ path"}, Ok::Zero, nullptr,
     "a chunk tag (>0) when the chunks are out of order",
     {{kNoText, "missing path"}, {kNoFaceIds, "no face IDs loaded"}, {kInputNotOpened, "Qiv unreadable"},
      {kBadFile, "Qiv damaged"}, {kOutputNotCreated, "OBJ not created"}}},
    {"getFaceIDs", {"qiv_path", "Qiv path"}, {"level", "level (1 = one count per face)"}, Buf::None, {}, Ok::Count,
     "faces read", nullptr,
     {{kNoText, "missing path"}, {kInputNotOpened, "Qiv unreadable"}, {kBadFile, "Qiv damaged"}}},
    {"outMRGB", {"qiv_path", "Qiv path"}, {}, Buf::In, {"color_path", "colour text path"}, Ok::Zero, nullptr, nullptr,
     {{kNoText, "missing path"}, {kInputNotOpened, "Qiv unreadable"}, {kBadFile, "Qiv damaged"},
      {kOutputNotCreated, "output not created"}}},
    {"AppendOBJ", {"source_obj", "source OBJ path"}, {"vertex_offset", "vertex offset"}, Buf::In,
     {"combined_obj", "combined OBJ path"}, Ok::Count, "next vertex offset", nullptr,
     {{kNoText, "missing path"}, {kFailed, "source unreadable"}, {kNotAppended, "destination not writable"}}},
    {"GroupListAdd", {"name", "group name"}, {"face_count", "face count"}, Buf::None, {}, Ok::Zero, nullptr, nullptr,
     {{kCountNotPositive, "count not positive"}, {kFailed, "no name"}}},
    {"GroupListGetName", {}, {"index", "index from 0"}, Buf::Out, {nullptr, "group name (\"null\" past the end)"},
     Ok::Zero, nullptr, nullptr, {{kFailed, "index -1 or below, or no buffer"}}},
    {"GroupListSize", {}, {}, Buf::None, {}, Ok::Count, "entries", nullptr, {{kFailed, "list empty"}}},
    {"GroupListLoad", {"path", "group list path"}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr,
     {{kNoText, "missing path"}, {kListNotRead, "unreadable"}}},
    {"GroupListSave", {"path", "group list path"}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr,
     {{kNoText, "missing path"}, {kFailed, "list empty"}, {kCannotCreate, "not written"}}},
    {"GroupListClear", {}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr, {}},
    {"SplitOBJ", {"obj_path", "OBJ path"}, {}, Buf::In, {"out_path", "output path (its folder is used)"}, Ok::Zero,
     nullptr, nullptr,
     {{kMissingArg, "missing path"}, {kNoVertices, "a group without vertices"}, {kFailed, "OBJ unreadable"},
      {kCannotCreate, "output not created"}}},
    {"ListSplitOBJtoQiv", {"obj_path", "OBJ path"}, {}, Buf::In, {"out_path", "output path (its folder is used)"},
     Ok::Zero, nullptr, nullptr,
     {{kMissingArg, "missing path"}, {kListEmpty, "group list empty"}, {kFailed, "OBJ unreadable"},
      {kCannotCreate, "output not created"}}},
    {"SplitOBJtoQiv", {"obj_path", "OBJ path"}, {}, Buf::In, {"out_path", "output path (its folder is used)"},
     Ok::Zero, nullptr, nullptr,
     {{kMissingArg, "missing path"}, {kFailed, "OBJ unreadable"}, {kCannotCreate, "output not created"}}},
    {"SwapVertices", {"source_obj", "source OBJ path"}, {}, Buf::In, {"dest_obj", "destination OBJ path (rewritten)"},
     Ok::Zero, nullptr, nullptr, {{kMissingArg, "missing path"}, {kFailed, "not swapped"}}},
    {"SwapVertices_Qiv", {"qit_path", "Qit path"}, {}, Buf::In, {"qiv_path", "Qiv path (rewritten)"}, Ok::Zero,
     nullptr, nullptr,
     {{kMissingArg, "missing path"}, {kInputNotOpened, "Qiv unreadable"}, {kNoVertexChunk, "no vertex chunk"},
      {kQitNotOpened, "Qit not opened"}, {kQitMismatch, "Qit length/count differ"},
      {kQivNotReopened, "Qiv not writable"}, {kQivNotWritten, "Qiv not written"},
      {kBadFile, "Qiv or Qit truncated"}}},
    {"MakeStencilPSD", {"psd_path", "PSD path"}, {"new_color", "new colour"}, Buf::None, {}, Ok::Zero, nullptr,
     nullptr, {}, kPsd},
    {"SwapColorsPSD", {"psd_path", "PSD path"}, {"new_color", "new colour"}, Buf::None, {}, Ok::Zero, nullptr,
     nullptr, {}, kPsd},
    {"HealPSDfiles", {"edge_psd", "edge PSD path"}, {"columns", "columns flag (>0)"}, Buf::In,
     {"body_psd", "body PSD path"}, Ok::Zero, nullptr, nullptr,
     {{kSizeMismatch, "sizes differ"}, {kTooSmallToHeal, "edge image below 100 x 100"},
      {kSectionsDiffer, "header sections differ in length"}}, kPsd},
    {"RGBtoGrayscale", {"psd_path", "PSD path"}, {"threshold", "black threshold 0..255"}, Buf::In,
     {"out_psd", "output PSD path"}, Ok::Zero, nullptr, nullptr, {{kNotRGB, "not RGB"}}, kPsd},
    {"MergePSDfiles", {"top_psd", "top PSD path"}, {"key_color", "key colour"}, Buf::In,
     {"bottom_psd", "bottom PSD path"}, Ok::Zero, nullptr, nullptr,
     {{kSizeMismatch, "sizes differ"}, {kSectionsDiffer, "header sections differ in length"}}, kPsd},
    {"CreateThumbnail", {"psd_path", "PSD path"}, {"size", "thumbnail size in pixels"}, Buf::None, {}, Ok::Zero,
     nullptr, nullptr, {{kOutsideImage, "size below 1 or above 16384"}}, kPsd},
    {"CropBMPfile", {"bmp_path", "input BMP path"}, {"pixel_offset", "pixel offset"}, Buf::In,
     {"out_bmp", "output BMP path"}, Ok::Zero, nullptr, nullptr,
     {{kInputNotOpened, "unreadable"}, {kNotBMP, "not BMP"}, {kOutputNotWritable, "not written"},
      {kBadFile, "BMP damaged"}, {kOutsideImage, "strip outside the rows or fewer than 4 rows"}}},
    {"FileDelete", {"path", "file path"}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr,
     {{kFailed, "not removed (or no path)"}}},
    {"FileCopyTo", {"source", "source path"}, {}, Buf::In, {"destination", "destination path"}, Ok::Zero, nullptr,
     nullptr, {{kFailed, "not copied (destination removed first)"}}},
    {"OpenFolder", {"folder", "folder path"}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr,
     {{kFailed, "not opened"}}},
    {"GetFile", {}, {}, Buf::Out, {nullptr, "next entry name"}, Ok::Zero, nullptr, nullptr,
     {{kFailed, "no folder open"}, {kNoFurtherEntry, "no more entries"}}},
    {"CloseFolder", {}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr, {{kFailed, "no folder open"}}},
    {"EmptyFolder", {"folder", "folder path"}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr,
     {{kFailed, "folder not opened"}}},
    {"ClearNameSet", {}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr, {}},
    {"CheckName", {"name", "wanted name"}, {}, Buf::Out, {nullptr, "unique name"}, Ok::Zero, nullptr, nullptr,
     {{kFailed, "missing name or buffer"}}},
    {"GetOpenDialog", {}, {}, Buf::None, {}, Ok::Count, "files chosen", nullptr,
     {{kOk, "cancelled"}, {kDialogNoDisplay, "no display"}, {kDialogNoChooser, "no chooser installed"},
      {kDialogFailed, "chooser failed"}}},
    {"GetFilePath", {}, {"position", "position from 1"}, Buf::Out, {nullptr, "chosen path (256 bytes)"}, Ok::Zero,
     nullptr, nullptr,
     {{kNoChosenFile, "no such file in the list"}, {kPathNotConverted, "path not converted"},
      {kPathNotConvertedUtf8, "path not converted"}, {kFailed, "no buffer"}}},
    {"ClearFileList", {}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr, {}},
    {"inPut", {"url", "URL"}, {}, Buf::None, {}, Ok::Zero, nullptr, nullptr,
     {{kFailed, "not a URL"}, {kUrlNotStarted, "xdg-open not started"}}},
};

constexpr size_t kEntryCount = sizeof kEntries / sizeof kEntries[0];
static_assert(kEntryCount == 37, "the host has always had 37 entry points");

// Calls f(code) for every code `e` lists, the shared ones first.
template <class F>
void forEachCode(const Entry& e, F f) {
  for (const Code* c = e.shared; c->words; ++c) f(*c);
  for (const Code* c = e.codes; c != e.codes + kMaxCodes && c->words; ++c) f(*c);
}

}  // namespace tolvane::table
