// The file chooser: one dialog call, then the chosen paths one by one.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/result_codes.h"
#include "files/files.h"
#include "files/platform/platform.h"

namespace platform = tolvane::platform;

// Files of the last dialog that ended with a selection; replaced by the next
// one, emptied by ClearFileList.
platform::DescList docList;
// What GetOpenDialog returns when the dialog ends without a selection.
float answer = 0.0f;

namespace tolvane {

void onDialogEvent(long selector, platform::CallbackParams* params, void* userData) {
  (void)userData;
  if (selector != platform::kEventUserAction || !params) return;
  platform::Reply reply;
  if (platform::dialogGetReply(params->context, reply) != platform::kNoErr) return;
  platform::UserAction action = platform::dialogGetUserAction(params->context);
  if (action == platform::kActionCancel || action == platform::kActionOpen) answer = 0.0f;
  platform::disposeReply(reply);
}

namespace {

constexpr char kDialogTitle[] = "Choose files to Multi Append...";
// Several files, invisible files shown, aliases kept, default location and
// all readable items preselected, packages chosen and opened as files.
constexpr uint32_t kDialogFlags = 0x3F80;
constexpr size_t kPathCopy = 256;

float closeDialog(platform::Dialog* dialog, platform::Status status) {
  if (dialog) platform::disposeDialog(dialog);
  return float(status);
}

// `path` as a zero-terminated text in Mac Roman, or UTF-8 when a character
// is missing there; empty when neither fits the 2 bytes per character given.
std::string convertedPath(const platform::String& path) {
  size_t size = 2 * size_t(platform::stringLength(path)) + 1;
  char* text = static_cast<char*>(std::calloc(size, 1));
  if (!text) return {};
  std::string result;
  if (platform::stringToCText(path, text, size, platform::kMacRoman) ||
      platform::stringToCText(path, text, size, platform::kUTF8)) {
    result.assign(text);
  }
  std::free(text);
  return result;
}

}  // namespace

float chooseFiles() {
  platform::DialogOptions options;
  platform::Status status = platform::getDefaultDialogOptions(options);
  if (status != platform::kNoErr) return float(status);
  options.windowTitle = kDialogTitle;
  options.optionFlags = kDialogFlags;

  platform::Dialog* dialog = nullptr;
  status = platform::createGetFileDialog(options, onDialogEvent, nullptr, &dialog);
  if (status != platform::kNoErr) return closeDialog(dialog, status);
  status = platform::runDialog(dialog);
  if (status != platform::kNoErr) return closeDialog(dialog, status);

  platform::Reply reply;
  status = platform::dialogGetReply(dialog, reply);
  if (status != platform::kNoErr && status != platform::kUserCancelled) return closeDialog(dialog, status);
  platform::disposeDialog(dialog);

  if (!reply.validRecord) return answer;
  platform::disposeDesc(docList);
  docList = std::move(reply.selection);
  return float(platform::countItems(docList));
}

float chosenFilePath(int n, char* out) {
  platform::FileRef ref;
  platform::Status status = platform::getNthFileRef(docList, n, ref);
  if (status != platform::kNoErr) return float(int16_t(status));

  platform::Url url;
  if (!platform::urlFromFileRef(ref, url)) return kPathNotConverted;
  platform::String path;
  if (!platform::urlFileSystemPath(url, path)) return kPathNotConvertedUtf8;
  std::string text = convertedPath(path);
  if (text.empty()) return kPathNotConvertedUtf8;

  // The host's buffer holds 256 bytes: longer paths are cut there without
  // a zero byte, shorter ones padded with zero bytes.
  std::strncpy(out, text.c_str(), kPathCopy);
  return kOk;
}

float clearFileList() {
  platform::disposeDesc(docList);
  return kOk;
}

}  // namespace tolvane
