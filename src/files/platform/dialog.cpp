#include "files/platform/dialog.h"

namespace tolvane::platform {

void sendUserAction(Dialog* dialog) {
  if (!dialog->proc) return;
  CallbackParams params{dialog};
  dialog->proc(kEventUserAction, &params, dialog->userData);
}

Status getDefaultDialogOptions(DialogOptions& out) {
  out = DialogOptions();
  return kNoErr;
}

Status createGetFileDialog(const DialogOptions& options, EventProc proc, void* userData, Dialog** out) {
  *out = new Dialog{options, proc, userData, kActionNone, {}};
  return kNoErr;
}

Status dialogGetReply(Dialog* dialog, Reply& out) {
  out = Reply();
  if (dialog->action != kActionOpen) return kUserCancelled;
  out.validRecord = !dialog->chosen.empty();
  out.selection.items = dialog->chosen;
  return kNoErr;
}

UserAction dialogGetUserAction(Dialog* dialog) { return dialog->action; }

void disposeReply(Reply& reply) { reply = Reply(); }

void disposeDialog(Dialog* dialog) { delete dialog; }

long countItems(const DescList& list) { return long(list.items.size()); }

Status getNthFileRef(const DescList& list, long n, FileRef& out) {
  if (n < 1 || size_t(n) > list.items.size()) return kNoSuchEntry;
  out = list.items[size_t(n - 1)];
  return kNoErr;
}

void disposeDesc(DescList& list) { list.items = std::vector<FileRef>(); }

}  // namespace tolvane::platform
