// The file services' exported names, each passed straight to its operation.
#include "files/files.h"
#include "files/path_name.h"
#include "host/frozen.h"

std::string FileNameExtract(const std::string& path, int mode) { return tolvane::pathPart(path, mode); }

bool ClearFolder(const std::string& path) { return tolvane::clearFolder(path); }

bool IsDirectory(const char* name) { return tolvane::namesFolder(name); }

void MyNavEventProc(long selector, tolvane::platform::CallbackParams* params, void* userData) {
  tolvane::onDialogEvent(selector, params, userData);
}
