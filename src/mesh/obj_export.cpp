// Qiv mesh to OBJ export.
#include <string_view>

#include "common/bytes.h"
#include "common/numfmt.h"
#include "common/result_codes.h"
#include "mesh/obj_export.h"
#include "mesh/qiv.h"

namespace tolvane {
namespace {

// Where the export's pieces lie in the byte image. Everything the export
// will read is located and bounds-checked here, before the OBJ is created.
struct ExportLayout {
  uint32_t vertexCount = 0;     // header line 2 and the "v " lines
  int32_t faceCountField = 0;   // header line 3: the third chunk's count, found by lengths
  uint64_t vertices = 0;        // first vertex record
  uint32_t colourTag = 0;       // tag directly after the vertex records
  uint32_t colourCount = 0;
  uint64_t colours = 0;         // first colour record
  uint32_t faceTag = 0;         // tag directly after the colour records
  uint64_t faces = 0;           // first face record
  uint64_t faceRecords = 0;     // records up to the face chunk's end (a last partial one counts)
};

// False when the file is shorter than what its headers, lengths or counts
// claim, up to the first chunk that is out of order.
// The file is read only as far as each step needs: chunks after the face
// chunk (UVs, often the largest) are never loaded. `image` ends up covering
// everything the export reads.
bool locate(FileFront& front, ByteReader& image, ExportLayout& m) {
  auto upTo = [&](uint64_t end) -> const ByteReader& { return image = front.upTo(end); };
  Chunk v;
  if (!readChunk(upTo(kQivHeaderSize + kChunkHeaderSize), kQivHeaderSize, v) ||
      !recordsFit(upTo(v.records() + kVertexRecord * v.count), v, kVertexRecord))
    return false;
  m.vertexCount = v.count;
  m.vertices = v.records();
  // The header's face count is read at the third chunk as the first two
  // chunks' lengths place it, which in a well-formed file is the face chunk.
  uint32_t colourLength, faceCount;
  if (!upTo(v.pos + 8 + uint64_t(v.length)).u32le(v.pos + 4 + v.length, colourLength) ||
      !upTo(v.pos + 12 + uint64_t(v.length) + colourLength).u32le(v.pos + 8 + uint64_t(v.length) + colourLength,
                                                                   faceCount))
    return false;
  m.faceCountField = int32_t(faceCount);

  Chunk c;
  const uint64_t colourPos = m.vertices + kVertexRecord * v.count;
  if (!readChunk(upTo(colourPos + kChunkHeaderSize), colourPos, c)) return false;
  m.colourTag = c.tag;
  if (c.tag != kColourTag) return true;
  if (!recordsFit(upTo(c.records() + kColourRecord * c.count), c, kColourRecord)) return false;
  m.colourCount = c.count;
  m.colours = c.records();

  Chunk f;
  const uint64_t facePos = m.colours + kColourRecord * c.count;
  if (!readChunk(upTo(facePos + kChunkHeaderSize), facePos, f)) return false;
  m.faceTag = f.tag;
  if (f.tag != kFaceTag) return true;
  // Faces are read 16 bytes at a time while they start before the chunk's
  // end as its length gives it; both that and its count must lie inside.
  uint64_t end = f.pos + f.length;
  m.faces = f.records();
  m.faceRecords = end > m.faces ? (end - m.faces + kFaceRecord - 1) / kFaceRecord : 0;
  const uint64_t byCount = m.faces + kFaceRecord * f.count, byLength = m.faces + kFaceRecord * m.faceRecords;
  upTo(byCount > byLength ? byCount : byLength);
  return recordsFit(image, f, kFaceRecord) && image.has(m.faces, m.faceRecords * kFaceRecord);
}

void writeHeader(OutFile& out, const ExportLayout& m) {
  out.put("# File exported by Modrix plugin\n#Vertex count ");
  char* p = out.room(kNumberRoom + 1);
  p = formatUint(p, m.vertexCount);
  *p++ = '\n';
  out.advance(p);
  out.put("#Face count ");
  p = out.room(kNumberRoom + 1);
  p = formatInt(p, m.faceCountField);
  *p++ = '\n';
  out.advance(p);
}

void writeVertices(OutFile& out, const unsigned char* r, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i, r += kVertexRecord) {
    char* p = out.room(3 * kNumberRoom + 8);
    *p++ = 'v';
    *p++ = ' ';
    p = formatG(p, double(bitsToFloat(le32(r))));
    *p++ = ' ';
    p = formatG(p, double(bitsToFloat(le32(r + 4))));
    *p++ = ' ';
    p = formatG(p, double(bitsToFloat(le32(r + 8))));
    *p++ = '\n';
    out.advance(p);
  }
}

// One face line: "f a b c " and d only for a quad, indices counted from 1.
// Indices are printed as they are, also past the vertex count.
char* putFace(char* p, const unsigned char* r) {
  *p++ = 'f';
  for (int corner = 0; corner < 3; ++corner) {
    *p++ = ' ';
    p = formatInt(p, int64_t(int32_t(le32(r + 4 * corner))) + 1);
  }
  *p++ = ' ';
  int64_t d = int64_t(int32_t(le32(r + 12))) + 1;
  if (d > 0) p = formatInt(p, d);
  *p++ = '\n';
  return p;
}

// Faces grouped by the face ID list; ends with the list or the face chunk,
// whichever comes first.
void writeFaces(OutFile& out, const unsigned char* r, uint64_t records) {
  uint64_t done = 0;
  for (size_t i = 0; i < faceID.size() && done < records; ++i) {
    out.put("#FaceID ");
    char* p = out.room(kNumberRoom + 1);
    p = formatUint(p, uint64_t(i) + 1);
    *p++ = '\n';
    out.advance(p);
    for (uint32_t n = faceID[i]; n > 0 && done < records; --n, ++done, r += kFaceRecord)
      out.advance(putFace(out.room(4 * kNumberRoom + 8), r));
  }
}

// Names the file with what was written; a write that failed leaves any
// previous file in place.
float finish(OutFile& out, float result) { return out.commit() ? result : kOutputNotCreated; }

}  // namespace
}  // namespace tolvane

float writeOBJfromQiv(const char* qivPath, const char* objPath) {
  using namespace tolvane;
  if (faceID.empty()) return kNoFaceIds;
  FileFront front;
  if (!front.open(qivPath)) return kInputNotOpened;
  ByteReader image = front.upTo(kQivHeaderSize + 4);
  uint32_t tag;
  if (!image.u32le(kQivHeaderSize, tag)) return kBadFile;
  if (tag != kVertexTag) return float(tag);
  ExportLayout m;
  if (!locate(front, image, m)) return kBadFile;

  OutFile out;
  if (!out.create(objPath)) return kOutputNotCreated;
  writeHeader(out, m);
  writeVertices(out, image.span(m.vertices, kVertexRecord * m.vertexCount), m.vertexCount);
  if (m.colourTag != kColourTag) return finish(out, float(m.colourTag));
  writeColourBlock(out, image.span(m.colours, kColourRecord * m.colourCount), m.colourCount);
  if (m.faceTag != kFaceTag) return finish(out, float(m.faceTag));
  writeFaces(out, image.span(m.faces, kFaceRecord * m.faceRecords), m.faceRecords);
  float result = finish(out, kOk);
  if (result == kOk) faceID.clear();
  return result;
}
