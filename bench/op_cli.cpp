// tolvane-op OP ARG...: calls one library operation that has no host entry
// point (so tolvane-call cannot reach it), for bench/run to time. Prints the
// result; exit status 0 when it is not negative.
#include <cstdio>
#include <cstring>

#include "host/frozen.h"

int main(int argc, char** argv) {
  float r;
  if (argc == 3 && std::strcmp(argv[1], "GetUVTile") == 0) {
    char key[64] = {};
    r = GetUVTile(argv[2], key);
  } else if (argc == 4 && std::strcmp(argv[1], "GetUVsFromQiv") == 0) {
    r = GetUVsFromQiv(argv[2], argv[3]);
  } else {
    std::fprintf(stderr, "usage: tolvane-op GetUVTile MESH.qiv | tolvane-op GetUVsFromQiv MESH.qiv OUT.Qiv\n");
    return 2;
  }
  std::printf("%s = %g\n", argv[1], double(r));
  return r >= 0 ? 0 : 1;
}
