// UV tiles of a Qiv mesh: the unit squares of UV space its faces lie in.
//
// A UV record (32 bytes, four (u, v) float pairs) lies in the tile of its
// first pair. The tile number of a coordinate x is x truncated toward zero
// when x >= 0, and x - 1 truncated toward zero otherwise (0.3 -> 0,
// -0.5 -> -1, -1.0 -> -2). Coordinates that are no number, or whose tile
// number does not fit in 32 bits, fall in tile -2147483648.
//
// A tile's key is its decimal u followed directly by its decimal v: tile
// (1, 0) is "10", tile (-1, 2) is "-12". Tiles are ordered by key as byte
// strings ("-10" < "00" < "100" < "20") and tiles with the same key are one
// tile, the first one met in the file: (1, 23) and (12, 3) share "123".
//
// These operations have no host entry point; the library exports them under
// their C++ names (host/frozen.h). A Qiv file without a UV chunk has 0 tiles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct UV_tile {
  std::string key;
  int32_t u = 0;  // column
  int32_t v = 0;  // row
};

// The UV tile list: the key of each tile file GetUVsFromQiv wrote, entry k
// for the file ending in k ".Qiv". Empty at load; emptied by GetUVsFromQiv at
// its start and by clearUVTileString.
extern std::vector<std::string> UVTileStr;

namespace tolvane {

// Counts the tiles of the Qiv file at `qivPath` and copies the key of the
// last UV record's tile into `buffer` ("" when there is none; nothing when
// `buffer` is null). The UV tile list is not touched.
// Returns the number of tiles, -17 when the file cannot be read (buffer
// untouched), -1761 when the UV records run past the end of the file
// (buffer untouched).
float countUVTiles(const char* qivPath, char* buffer);

// Writes one copy of the Qiv file per tile, in key order, to
// pathPart(outPath, 3) + k + ".Qiv" (/x/out.Qiv gives /x/out0.Qiv,
// /x/out1.Qiv ...), replacing files of those names, and lists the tile keys
// in UVTileStr. Each copy holds the input up to the end of the UV chunk's
// header, then every (u, v) pair of the input rewritten for its tile, then
// 16 zero bytes; chunks after the UV chunk are not copied. A pair in the
// tile becomes its position inside the tile (fractions of u and v, the
// fraction of u - 1 plus 1 for negative u, the same for v); a pair outside
// it becomes (-1, -1).
// Returns the number of files written; -1760 when the input cannot be read;
// -1761 when the UV records run past the end of the file (nothing written);
// 1501 + k when file k cannot be written: files 0 to k - 1 stay written and
// their keys listed, file k is left as it was.
float writeUVTileFiles(const char* qivPath, const char* outPath);

// Copies entry `index` (from 0) of the UV tile list into `buffer`; leaves
// the buffer unchanged when the index is outside the list.
void uvTileKey(int index, char* buffer);

// Empties the UV tile list.
void clearUVTileKeys();

// The tile number of one coordinate (see above).
int32_t uvTileNumber(float x);

}  // namespace tolvane
