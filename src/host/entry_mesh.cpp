// Binary mesh entry points: Qiv to OBJ export, face ID list, colour block.
#include "common/result_codes.h"
#include "host/entry.h"
#include "mesh/obj_export.h"

TOLVANE_ENTRY(qivtoOBJ) {
  (void)number;
  if (!text || !buffer) return tolvane::kNoText;
  return tolvane::exportQivToObj(text, buffer);
}

TOLVANE_ENTRY(getFaceIDs) {
  (void)buffer;
  if (!text) return tolvane::kNoText;
  return tolvane::readFaceIds(text, number);
}

TOLVANE_ENTRY(outMRGB) {
  (void)number;
  if (!text || !buffer) return tolvane::kNoText;
  return tolvane::writeColourBlock(text, buffer);
}
