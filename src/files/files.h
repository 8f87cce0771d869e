// File and folder services, the file chooser and URL opening.
//
// The host's scripts cannot touch the file system, show a dialog or start a
// browser themselves; these operations do it for them. State between calls:
// `folder` (the folder being walked, one at a time) and the chosen files
// `docList` with the dialog result `answer` (chooser.cpp).
#pragma once

#include <string>

namespace tolvane {

namespace platform {
struct CallbackParams;
}  // namespace platform

// Removes the files of the folder `path`: apart from "." and "..", every
// entry that namesFolder() takes for a file (its name has a dot) is removed,
// a dotted empty folder too. Undotted entries stay; subfolders are not
// entered. "/" is added to `path` unless it already ends in "/"; an empty
// path names no folder. Joined names longer than 255 bytes are left alone.
// False only when the folder cannot be opened, whatever the single removals
// did.
bool clearFolder(const std::string& path);

// Decides by the text alone whether `name` is a folder: scanning from the
// end, a "." met before any "/" or "\" means a file (false); a separator
// first, or no "." at all, means a folder (true). A null name gives true, so
// nothing is ever removed for it.
bool namesFolder(const char* name);

// Event callback of the file-open dialog: on the user-action event (12) it
// reads the dialog's reply and action and sets `answer` to 0 for Cancel or
// Open; every other event is ignored.
void onDialogEvent(long selector, platform::CallbackParams* params, void* userData);

// remove(path): 0 removed, -1 not (also for a null path).
float fileDelete(const char* path);

// Copies `from` to `to` inside the kernel where the file systems allow it
// (as fast as cp), else in 4000-byte blocks. The destination is removed
// first, so after any failure no old destination remains (a write that fails
// midway leaves the blocks written so far). 0 copied, -1 failed: null path,
// source unreadable, destination not creatable, a short write. Copying a file
// onto its only name fails with -1 and leaves it untouched.
float fileCopyTo(const char* from, const char* to);

// Starts walking the folder `path`, closing any folder still being walked.
// 0 opened, -1 not (no folder is open afterwards).
float openFolder(const char* path);
// Copies the next entry's name ("." and ".." included, in the file system's
// order) with its zero byte into `out`. 0 delivered, -1 no folder open (or
// null out), -3 no more entries (again on every later call).
float getFile(char* out);
// Ends the walk: 0 closed, -1 no folder open.
float closeFolder();

// Shows the file-open dialog "Choose files to Multi Append..." (several files
// at once) and blocks until the user has finished. The number of files chosen
// (they replace the previous choice); `answer` (0) when the dialog ended
// without a selection, the previous choice kept; otherwise a platform status.
float chooseFiles();
// Copies the path of chosen file n (from 1) into `out`: 256 bytes, the path in
// Mac Roman when every character exists there, otherwise in UTF-8, cut at 256
// bytes (then without zero byte) or padded with zero bytes. 0, or the platform
// status when there is no file n (out untouched), 66666 or 1234 when the path
// cannot be converted.
float chosenFilePath(int n, char* out);
// Drops the chosen files. Always 0.
float clearFileList();
// Opens `text` with the desktop's default handler. -1 when the text is not a
// URL (nothing started), otherwise the launcher's start status (0 started).
float openUrl(const char* text);

}  // namespace tolvane
