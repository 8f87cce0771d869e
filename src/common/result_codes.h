// Named result codes.
//
// Every operation reports through the float it returns. Each failure has one
// name here, used by every subsystem; several names share a value where the
// host has always used one value for several causes, and each name says its
// own cause. Counts (faces read, tiles found, files chosen...) and chunk tags
// are returned as they are and have no name.
//
// The list is data: tolvane-call, the Python binding and docs/reference.md
// print the meanings below (see host/entry_table.h). A new code is one more
// X(name, value, meaning) line in its subsystem's block.
#pragma once

#define TOLVANE_LIBRARY_CODES(X)                                                                    \
  X(kOk, 0, "success")                                                                             \
  X(kFailed, -1, "an argument is missing, a file or folder cannot be opened, or it failed")      \
  X(kMissingArg, -2, "a required text or buffer is missing")                                      \
  X(kOutputNotCreated, -2, "the output file cannot be created or written")                        \
  X(kNoFurtherEntry, -3, "no further folder entry")                                               \
  X(kCannotCreate, -3, "an output file cannot be created or written")                             \
  X(kCompressed, -4, "the PSD image data is compressed")                                          \
  X(kListEmpty, -5, "the group list is empty")                                                    \
  X(kOutputNotWritable, -5, "the output image cannot be written")                                 \
  X(kSizeMismatch, -6, "the two images differ in size")                                           \
  X(kNotBMP, -7, "not a BMP file")                                                                \
  X(kNoText, -9, "the text or buffer is missing")                                                 \
  X(kUVInputNotOpened, -17, "the Qiv file cannot be opened for UV tiles")                         \
  X(kNoFaceIds, -18, "no face IDs are loaded")                                                    \
  X(kNoVertexChunk, -18, "the Qiv file has no vertex chunk")                                      \
  X(kQitNotOpened, -201, "the Qit file cannot be opened")                                         \
  X(kQitMismatch, -301, "the Qit length or count differs from the mesh")                          \
  X(kQivNotReopened, -401, "the Qiv file cannot be rewritten")                                    \
  X(kInputNotOpened, -1760, "the input file cannot be opened")                                    \
  X(kBadFile, -1761, "the input file is damaged (truncated, lying counts or sizes)")              \
  X(kOutOfMemory, -1772, "out of memory (nothing half-written is left)")                          \
  X(kTileFileBase, 1501, "1501 + k: UV tile file k cannot be created")                            \
  X(kPathNotConvertedUtf8, 1234, "the chosen path is not text or does not fit")                   \
  X(kPathNotConverted, 66666, "the chosen entry is not a file path")

// Subsystem-specific additions, one block per subsystem.
// -- mesh --
#define TOLVANE_MESH_CODES(X)
// -- mesh-swap --
#define TOLVANE_MESH_SWAP_CODES(X) X(kQivNotWritten, -401, "writing the new Qiv file failed")
// -- groups --
#define TOLVANE_GROUPS_CODES(X)                                                                     \
  X(kCountNotPositive, -2, "the count is not above 0")                                            \
  X(kNoVertices, -2, "a group selects no vertex line")                                            \
  X(kNotAppended, -2, "the destination cannot be opened for appending, or a write failed")        \
  X(kListNotRead, -3, "the group list file cannot be read")
// -- image --
#define TOLVANE_IMAGE_CODES(X)                                                                      \
  X(kNotPSD, -1, "not a PSD file")                                                                \
  X(kPSDVersion, -2, "PSD version not 1")                                                         \
  X(kPSDColorData, -3, "PSD colour mode data present")                                            \
  X(kNotRGB, -3, "the PSD colour mode is not RGB")                                                \
  X(kTooSmallToHeal, -9, "the edge image is below 100 x 100")                                     \
  X(kOutsideImage, -1770, "outside what the image allows")                                        \
  X(kSectionsDiffer, -1771, "the PSD header sections differ in length")
// -- files --
// Statuses of the desktop layer (file chooser, URL launcher).
#define TOLVANE_FILES_CODES(X)                                                                      \
  X(kNoChosenFile, -2101, "no chosen file at that position")                                      \
  X(kDialogNoDisplay, -2102, "no display to show the file dialog on")                             \
  X(kDialogNoChooser, -2103, "no file chooser program installed")                                 \
  X(kDialogFailed, -2104, "the file chooser could not start, or ended abnormally")                \
  X(kUrlNotStarted, -2105, "the URL opener could not be started")
// -- end of subsystem blocks --

#define TOLVANE_RESULT_CODES(X)                                                                     \
  TOLVANE_LIBRARY_CODES(X)                                                                         \
  TOLVANE_MESH_CODES(X)                                                                            \
  TOLVANE_MESH_SWAP_CODES(X)                                                                       \
  TOLVANE_GROUPS_CODES(X)                                                                          \
  TOLVANE_IMAGE_CODES(X)                                                                           \
  TOLVANE_FILES_CODES(X)

namespace tolvane {

constexpr float kVersion = 4.03f;

#define TOLVANE_CODE_CONSTANT(name, value, meaning) constexpr float name = value;
TOLVANE_RESULT_CODES(TOLVANE_CODE_CONSTANT)
#undef TOLVANE_CODE_CONSTANT

struct ResultCode {
  const char* name;
  float value;
  const char* meaning;
};

// Every named code, in the order above: the first name of a value is the
// one printed for it when an entry point's own list does not name it.
constexpr ResultCode kResultCodes[] = {
#define TOLVANE_CODE_ROW(name, value, meaning) {#name, value, meaning},
    TOLVANE_RESULT_CODES(TOLVANE_CODE_ROW)
#undef TOLVANE_CODE_ROW
};

}  // namespace tolvane
