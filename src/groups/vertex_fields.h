// Vertex lines' fields: the three floats of "v x y z" as a stream reads
// them, with quick paths for the plain decimals that make up most mesh text.
#pragma once

#include <string_view>

namespace tolvane {

// The three floats after "v" of a vertex line. Fields are separated by white
// space; a field that is missing or does not start with a number gives 0, and
// so do the fields after it. `line` must be a line from forEachLine (it is
// read a word at a time).
struct vertexS {
  float x, y, z;
};
vertexS parseVertex(std::string_view line);

}  // namespace tolvane
