// Host entry point of the vertex swap into a Qiv mesh.
#include "common/result_codes.h"
#include "host/entry.h"
#include "mesh/vertex_swap.h"

// text: Qit path; buffer: Qiv path. The operation takes them the other way
// round.
TOLVANE_ENTRY(SwapVertices_Qiv) {
  (void)number;
  if (!text || !buffer) return tolvane::kMissingArg;
  return tolvane::swapQivVertices(buffer, text);
}
