// The vertex colour block: a comment line, "#RGB " lines of up to 32
// RRGGBB entries, one extra line end, and the closing comment. Written alone
// by ReadVertColorQiv and inside the OBJ by writeOBJfromQiv.
#include <string_view>

#include "common/bytes.h"
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

}  // namespace

void writeColourBlock(OutFile& out, const unsigned char* records, uint64_t count) {
  out.put(kBlockStart);
  // One "#RGB " line per 32 records; each entry is " RRGGBB" with red from
  // byte 2, green from byte 1 and blue from byte 0 of its record.
  for (uint64_t j = 0; j < count; j += kEntriesPerLine) {
    uint64_t n = count - j < kEntriesPerLine ? count - j : kEntriesPerLine;
    char* p = out.room(6 + kEntriesPerLine * 7);
    std::memcpy(p, "#RGB ", 5);
    p += 5;
    for (const unsigned char* r = records + 4 * j; n > 0; --n, r += 4) {
      *p++ = ' ';
      p = putHexByte(p, r[2]);
      p = putHexByte(p, r[1]);
      p = putHexByte(p, r[0]);
    }
    // A full line ends here; a short last line is ended by the extra line
    // end below.
    if (count - j >= kEntriesPerLine) *p++ = '\n';
    out.advance(p);
  }
  // The block always ends the current line once more: after a full line
  // (and for no records at all) this leaves one empty line.
  out.put('\n');
  out.put(kBlockEnd);
}

}  // namespace tolvane

float ReadVertColorQiv(const char* qivPath, const char* outPath) {
  using namespace tolvane;
  FileFront front;
  if (!front.open(qivPath)) return kInputNotOpened;
  // The first chunk is the colour chunk, whatever its tag; nothing after it
  // is read.
  Chunk c;
  if (!readChunk(front.upTo(kQivHeaderSize + kChunkHeaderSize), kQivHeaderSize, c)) return kBadFile;
  ByteReader image = front.upTo(c.records() + kColourRecord * c.count);
  if (!recordsFit(image, c, kColourRecord)) return kBadFile;
  OutFile out;
  if (!out.create(outPath)) return kOutputNotCreated;
  writeColourBlock(out, image.span(c.records(), kColourRecord * c.count), c.count);
  return out.commit() ? kOk : kOutputNotCreated;
}
