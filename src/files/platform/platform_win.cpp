// The desktop services on Windows: the file-open dialog is the common
// dialog (GetOpenFileNameW), several files at once.
#if defined(_WIN32)

#include <windows.h>
#include <commdlg.h>

#include <cwchar>

#include "common/win_path.h"
#include "files/platform/dialog.h"
#include "files/platform/platform.h"

namespace tolvane::platform {

namespace {

// Room for the chosen names, in UTF-16 units; a selection that does not fit
// is asked for again once with the large size.
constexpr size_t kNamesRoom = 32768;
constexpr size_t kLargeNamesRoom = size_t(1) << 20;

// The chooser's options in the common dialog's terms: several files, hidden
// files shown, shortcuts kept as they are, only existing files.
DWORD dialogFlags(uint32_t optionFlags) {
  DWORD flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (optionFlags != 0) flags |= OFN_ALLOWMULTISELECT | OFN_FORCESHOWHIDDEN | OFN_NODEREFERENCELINKS;
  return flags;
}

// The dialog's answer: one full path, or a folder followed by the names
// chosen in it, each ended by a zero, the list by a second zero.
std::vector<FileRef> parseSelection(const wchar_t* names) {
  std::vector<std::wstring> parts;
  for (const wchar_t* p = names; *p; p += std::wcslen(p) + 1) parts.emplace_back(p);
  std::vector<FileRef> chosen;
  if (parts.size() == 1) {
    chosen.push_back({win::narrow(parts[0].c_str())});
    return chosen;
  }
  std::wstring folder = parts.empty() ? std::wstring() : parts[0];
  if (!folder.empty() && !win::isSeparator(folder.back())) folder += L'\\';
  for (size_t i = 1; i < parts.size(); ++i) chosen.push_back({win::narrow((folder + parts[i]).c_str())});
  return chosen;
}

// The folder the script works in, where the dialog opens; empty (the
// system's choice) when it cannot be named.
std::wstring startFolder() {
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(size, L'\0');
  DWORD length = size ? GetCurrentDirectoryW(size, folder.data()) : 0;
  folder.resize(length < size ? length : 0);
  return folder;
}

// Shows the dialog once with `room` units for the names. True when the user
// ended it (the action set); false with the common dialog's error in `error`.
bool showDialog(Dialog* dialog, size_t room, DWORD& error) {
  std::wstring title;
  win::widen(dialog->options.windowTitle.c_str(), title);
  std::vector<wchar_t> names(room, L'\0');
  OPENFILENAMEW ofn;
  ZeroMemory(&ofn, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();  // the host's window, when it has one
  ofn.lpstrFilter = L"All files (*.*)\0*.*\0";
  ofn.lpstrFile = names.data();
  ofn.nMaxFile = DWORD(names.size());
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  const std::wstring folder = startFolder();
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.Flags = dialogFlags(dialog->options.optionFlags);
  error = 0;
  if (GetOpenFileNameW(&ofn)) {
    dialog->action = kActionOpen;
    dialog->chosen = parseSelection(names.data());
    return true;
  }
  error = CommDlgExtendedError();
  if (error == 0) dialog->action = kActionCancel;  // Cancel, or the window closed
  return error == 0;
}

}  // namespace

Status runDialog(Dialog* dialog) {
  DWORD error = 0;
  bool ended = showDialog(dialog, kNamesRoom, error);
  if (!ended && error == FNERR_BUFFERTOOSMALL) ended = showDialog(dialog, kLargeNamesRoom, error);
  if (!ended) return kChooserFailed;
  sendUserAction(dialog);
  return kNoErr;
}

}  // namespace tolvane::platform

#endif  // _WIN32
