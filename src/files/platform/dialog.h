// The file-open dialog as every system's layer keeps it: the options it was
// made with, the event callback, and what the user did and chose. Each
// system's layer only runs it (runDialog); the rest is shared.
#pragma once

#include <vector>

#include "files/platform/platform.h"

namespace tolvane::platform {

struct Dialog {
  DialogOptions options;
  EventProc proc = nullptr;
  void* userData = nullptr;
  UserAction action = kActionNone;
  std::vector<FileRef> chosen;
};

// Tells the dialog's callback that the user has ended it.
void sendUserAction(Dialog* dialog);

}  // namespace tolvane::platform
