// The desktop services the file chooser and URL opening are written
// against: the file-open dialog, lists of chosen files, file URLs, string
// conversion and the URL launcher. The chooser logic (chooser.cpp, url.cpp)
// relies only on what is stated here; platform_linux.cpp provides it on Linux.
//
// Statuses are 0 for success and otherwise a value that fits in 16 signed
// bits, so the logic can hand them to the host unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/result_codes.h"

namespace tolvane::platform {

using Status = int32_t;
constexpr Status kNoErr = 0;
// Reply status of a dialog the user cancelled (not a failure).
constexpr Status kUserCancelled = -128;
constexpr Status kNoSuchEntry = Status(kNoChosenFile);
constexpr Status kNoDisplay = Status(kDialogNoDisplay);
constexpr Status kNoChooser = Status(kDialogNoChooser);
constexpr Status kChooserFailed = Status(kDialogFailed);
constexpr Status kLauncherNotStarted = Status(kUrlNotStarted);

// ---- the file-open dialog --------------------------------------------------

struct DialogOptions {
  std::string windowTitle;
  uint32_t optionFlags = 0;
};

// A chosen file: its path, as the file system's bytes.
struct FileRef {
  std::string path;
};

// A list of chosen files, entries numbered from 1.
struct DescList {
  std::vector<FileRef> items;
};

struct Reply {
  bool validRecord = false;  // true when the user chose at least one file
  DescList selection;
};

enum UserAction : int { kActionNone = 0, kActionCancel = 1, kActionOpen = 2 };

struct Dialog;
struct CallbackParams {
  Dialog* context;  // the dialog that sends the event
};
using EventProc = void (*)(long selector, CallbackParams* params, void* userData);
// The event sent once the user has ended the dialog (Cancel, Open, closed).
constexpr long kEventUserAction = 12;

// Default options: an empty title, no flags. Always kNoErr on Linux.
Status getDefaultDialogOptions(DialogOptions& out);
// A file-open dialog with these options; `proc` receives its events. Sets
// *out (also when failing, if a dialog was made).
Status createGetFileDialog(const DialogOptions& options, EventProc proc, void* userData, Dialog** out);
// Shows the dialog and returns when the user has finished, after sending
// kEventUserAction. kNoDisplay, kNoChooser or kChooserFailed when it cannot
// be shown; never waits when there is nothing to show it on.
Status runDialog(Dialog* dialog);
// The reply of a finished dialog: kNoErr with the files chosen,
// kUserCancelled (validRecord false) when the user cancelled or closed it.
Status dialogGetReply(Dialog* dialog, Reply& out);
UserAction dialogGetUserAction(Dialog* dialog);
void disposeReply(Reply& reply);
void disposeDialog(Dialog* dialog);

// ---- lists of chosen files -------------------------------------------------

long countItems(const DescList& list);
// Entry n (from 1); kNoSuchEntry when n is out of range or the list empty.
Status getNthFileRef(const DescList& list, long n, FileRef& out);
void disposeDesc(DescList& list);

// ---- URLs and strings ------------------------------------------------------

struct Url {
  std::string text;  // absolute, percent-encoded
};
// Unicode text, held as UTF-8.
using String = std::string;

enum Encoding : uint32_t { kMacRoman = 0, kUTF8 = 0x08000100 };

// file:// URL of a chosen file; false when the reference is not an absolute
// path.
bool urlFromFileRef(const FileRef& ref, Url& out);
// The POSIX path of a file URL; false when it is not a file URL or its path
// is not valid UTF-8 text.
bool urlFileSystemPath(const Url& url, String& out);
// Length in characters, counted as 16-bit units.
long stringLength(const String& s);
// Converts `s` into `out`, `size` bytes including the terminating zero byte.
// False when a character does not exist in the encoding or the text does not
// fit.
bool stringToCText(const String& s, char* out, size_t size, Encoding encoding);
// A URL of `text`, which must be absolute: a scheme (a letter, then letters,
// digits, "+", "-", "."), ":", and a rest made only of the characters a URL
// may hold, "%" always followed by two hex digits, at most one "#".
bool urlFromString(const char* text, Url& out);
// Starts the desktop's default handler for the URL without waiting for it:
// kNoErr when it started, kLauncherNotStarted when it could not be.
Status openUrl(const Url& url);

}  // namespace tolvane::platform
