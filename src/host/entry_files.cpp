// Entry points of the file and folder services, the file chooser and URL
// opening.
#include <string>

#include "common/result_codes.h"
#include "files/files.h"
#include "host/entry.h"

TOLVANE_ENTRY(FileDelete) {
  (void)number, (void)buffer;
  if (!text) return tolvane::kFailed;
  return tolvane::fileDelete(text);
}

TOLVANE_ENTRY(FileCopyTo) {
  (void)number;
  if (!text || !buffer) return tolvane::kFailed;
  return tolvane::fileCopyTo(text, buffer);
}

TOLVANE_ENTRY(OpenFolder) {
  (void)number, (void)buffer;
  return tolvane::openFolder(text);
}

TOLVANE_ENTRY(GetFile) {
  (void)text, (void)number;
  return tolvane::getFile(buffer);
}

TOLVANE_ENTRY(CloseFolder) {
  (void)text, (void)number, (void)buffer;
  return tolvane::closeFolder();
}

TOLVANE_ENTRY(EmptyFolder) {
  (void)number, (void)buffer;
  if (!text) return tolvane::kFailed;
  return tolvane::clearFolder(std::string(text)) ? tolvane::kOk : tolvane::kFailed;
}

TOLVANE_ENTRY(GetOpenDialog) {
  (void)text, (void)number, (void)buffer;
  return tolvane::chooseFiles();
}

TOLVANE_ENTRY(GetFilePath) {
  (void)text;
  if (!buffer) return tolvane::kFailed;
  return tolvane::chosenFilePath(tolvane::truncateNumber(number), buffer);
}

TOLVANE_ENTRY(ClearFileList) {
  (void)text, (void)number, (void)buffer;
  return tolvane::clearFileList();
}

TOLVANE_ENTRY(inPut) {
  (void)number, (void)buffer;
  return tolvane::openUrl(text);
}
