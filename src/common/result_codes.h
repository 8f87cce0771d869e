// Named result codes.
//
// Every operation reports through the float it returns. Each failure has one
// name here, used by every subsystem, so tolvane-call and the bindings can
// print what a code means. Counts (faces read, tiles found, files chosen...)
// and chunk tags are returned as they are and have no name.
#pragma once

namespace tolvane {

constexpr float kOk = 0.0f;
constexpr float kVersion = 4.03f;

// Library-wide codes.
constexpr float kFailed = -1.0f;          // missing argument, cannot open, operation failed
constexpr float kMissingArg = -2.0f;      // split/swap entry points; count not positive
constexpr float kOutputNotCreated = -2.0f;  // mesh export / colour export output
constexpr float kNoFurtherEntry = -3.0f;  // folder walk; also "cannot create/open" in groups
constexpr float kCannotCreate = -3.0f;
constexpr float kCompressed = -4.0f;      // PSD image data compressed
constexpr float kListEmpty = -5.0f;       // listed split with an empty group list
constexpr float kOutputNotWritable = -5.0f;  // image write-back
constexpr float kSizeMismatch = -6.0f;    // two PSD images differ in size
constexpr float kNotBMP = -7.0f;          // no BMP signature
constexpr float kNoText = -9.0f;          // mesh/group entry points: text or buffer missing
constexpr float kUVInputNotOpened = -17.0f;
constexpr float kNoFaceIds = -18.0f;      // OBJ export; also "no vertex chunk" in the swap
constexpr float kNoVertexChunk = -18.0f;
constexpr float kQitNotOpened = -201.0f;
constexpr float kQitMismatch = -301.0f;
constexpr float kQivNotReopened = -401.0f;
constexpr float kInputNotOpened = -1760.0f;
constexpr float kTileFileBase = 1501.0f;  // 1501 + k: tile file k not created
constexpr float kPathNotConverted = 66666.0f;  // chosen path cannot be converted
constexpr float kPathNotConvertedUtf8 = 1234.0f;

// Failures the host's own description leaves to us: files that lie about
// their contents. They are distinct from every code above.
constexpr float kBadFile = -1761.0f;      // truncated, lying counts, sizes past the end
constexpr float kTooManyGroups = -1025.0f;  // more than 1024 distinct groups in one OBJ
constexpr float kOutOfMemory = -1772.0f;    // the operation ran out of memory (nothing half-written is left)

}  // namespace tolvane

// Subsystem-specific additions go below, one block per subsystem.
namespace tolvane {
// -- mesh --
// -- mesh-swap --
constexpr float kQivNotWritten = -401.0f;  // vertex swap: the new mesh could not be written
// -- groups --
// -- image --
constexpr float kNotPSD = -1.0f;          // no "8BPS" signature (same value as kFailed)
constexpr float kPSDVersion = -2.0f;      // PSD version not 1
constexpr float kPSDColorData = -3.0f;    // colour mode data present; grayscale: mode not RGB
constexpr float kTooSmallToHeal = -9.0f;  // heal: first image below 100 x 100
constexpr float kOutsideImage = -1770.0f;   // crop strip or thumbnail size outside what the image allows
constexpr float kSectionsDiffer = -1771.0f; // merge/heal: header sections of different lengths
// -- files --
// Statuses of the Linux desktop layer (file chooser, URL launcher).
constexpr float kNoChosenFile = -2101.0f;    // GetFilePath: no file n (or no list)
constexpr float kDialogNoDisplay = -2102.0f;  // no X11 or Wayland display to show the dialog on
constexpr float kDialogNoChooser = -2103.0f;  // no file chooser program installed
constexpr float kDialogFailed = -2104.0f;    // chooser could not start, or ended abnormally
constexpr float kUrlNotStarted = -2105.0f;   // inPut: xdg-open could not be started
}  // namespace tolvane
