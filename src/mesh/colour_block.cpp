// The vertex colour block: a comment line, "#RGB " lines of up to 32
// RRGGBB entries, one extra line end, and the closing comment. Written alone
// by ReadVertColorQiv and inside the OBJ by writeOBJfromQiv.
#include <algorithm>
#include <string_view>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/in_order.h"
#include "common/result_codes.h"
#include "mesh/obj_export.h"
#include "mesh/qiv.h"

namespace tolvane {
namespace {

constexpr std::string_view kBlockStart =
    "# The following RGB block contains Modrix Vertex Color (Tintwork) output as 3 hexadecimal "
    "values per vertex. The vertex color format is RRGGBB with up to 32 entries per RGB line.\n";
constexpr std::string_view kBlockEnd = "# End of RGB block\n";
constexpr uint64_t kEntriesPerLine = 32;

char* putHexByte(char* p, unsigned b) {
  static const char kDigits[] = "0123456789abcdef";
  p[0] = kDigits[b >> 4];
  p[1] = kDigits[b & 15];
  return p + 2;
}

// The "#RGB " lines of the n records at r, records first .. first+n-1 of
// the block (first a multiple of 32).
void colourLines(TextBuffer& out, const unsigned char* r, uint64_t first, size_t n, uint64_t count) {
  // One "#RGB " line per 32 records; each entry is " RRGGBB" with red from
  // byte 2, green from byte 1 and blue from byte 0 of its record.
  char* p = out.room((n / kEntriesPerLine + 1) * (6 + kEntriesPerLine * 7));
  for (uint64_t j = first; j < first + n; j += kEntriesPerLine) {
    const uint64_t inLine = std::min<uint64_t>(first + n - j, kEntriesPerLine);
    std::memcpy(p, "#RGB ", 5);
    p += 5;
    for (uint64_t e = 0; e < inLine; ++e, r += 4) {
      *p++ = ' ';
      p = putHexByte(p, r[2]);
      p = putHexByte(p, r[1]);
      p = putHexByte(p, r[0]);
    }
    // A full line ends here; a short last line is ended by the block's end.
    if (count - j >= kEntriesPerLine) *p++ = '\n';
  }
  out.advance(p);
}

}  // namespace

bool colourPiece(TextBuffer& out, FileFront& file, const RecordRun& colours, size_t i, Bytes& in) {
  uint64_t first;
  size_t n;
  if (i == 0) out.put(kBlockStart);
  if (!colours.read(file, i, in, first, n)) return false;
  colourLines(out, in.data(), first, n, colours.count);
  if (i + 1 == colours.pieces()) {
    // The block always ends the current line once more: after a full line
    // (and for no records at all) this leaves one empty line.
    out.put('\n');
    out.put(kBlockEnd);
  }
  return true;
}

float writeColourBlock(const char* qivPath, const char* outPath) {
  FileFront front;
  if (!front.open(qivPath)) return kInputNotOpened;
  // The first chunk is the colour chunk, whatever its tag; nothing after it
  // is read.
  Chunk c;
  if (!readChunk(front.upTo(kQivHeaderSize + kChunkHeaderSize), kQivHeaderSize, c)) return kBadFile;
  if (!recordsFit(front, c, kColourRecord)) return kBadFile;
  AtomicFile out;
  if (!out.create(outPath)) return kOutputNotCreated;
  const RecordRun colours{c.records(), c.count, kColourRecord};
  float result = writePieces(out, colours.pieces(), [&](size_t i, TextBuffer& t, Bytes& in) {
    return colourPiece(t, front, colours, i, in);
  });
  if (result != kOk) return result;
  return out.commit() ? kOk : kOutputNotCreated;
}

}  // namespace tolvane
