// Qiv mesh to OBJ export.
#include <algorithm>
#include <atomic>
#include <string_view>
#include <vector>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/in_order.h"
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
// claim, up to the first chunk that is out of order. Only chunk headers are
// read here; the records are checked against the file's size and streamed
// later. Chunks after the face chunk (UVs, often the largest) are never read.
bool locate(FileFront& front, ExportLayout& m) {
  Chunk v;
  if (!readChunk(front, kQivHeaderSize, v) || !recordsFit(front, v, kVertexRecord)) return false;
  m.vertexCount = v.count;
  m.vertices = v.records();
  // The header's face count is read at the third chunk as the first two
  // chunks' lengths place it, which in a well-formed file is the face chunk.
  unsigned char b[4];
  if (!front.readAt(v.pos + 4 + uint64_t(v.length), b, 4)) return false;
  const uint32_t colourLength = le32(b);
  if (!front.readAt(v.pos + 8 + uint64_t(v.length) + colourLength, b, 4)) return false;
  m.faceCountField = int32_t(le32(b));

  Chunk c;
  if (!readChunk(front, m.vertices + kVertexRecord * v.count, c)) return false;
  m.colourTag = c.tag;
  if (c.tag != kColourTag) return true;
  if (!recordsFit(front, c, kColourRecord)) return false;
  m.colourCount = c.count;
  m.colours = c.records();

  Chunk f;
  if (!readChunk(front, m.colours + kColourRecord * c.count, f)) return false;
  m.faceTag = f.tag;
  if (f.tag != kFaceTag) return true;
  // Faces are read 16 bytes at a time while they start before the chunk's
  // end as its length gives it; both that and its count must lie inside.
  uint64_t end = f.pos + f.length;
  m.faces = f.records();
  m.faceRecords = end > m.faces ? (end - m.faces + kFaceRecord - 1) / kFaceRecord : 0;
  return front.holds(m.faces, kFaceRecord * f.count) && front.holds(m.faces, kFaceRecord * m.faceRecords);
}

void writeHeader(TextBuffer& out, const ExportLayout& m) {
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

void writeVertices(TextBuffer& out, const unsigned char* r, size_t count) {
  char* p = out.room(count * (3 * kNumberRoom + 8));
  for (size_t i = 0; i < count; ++i, r += kVertexRecord) {
    *p++ = 'v';
    *p++ = ' ';
    p = formatG(p, double(bitsToFloat(le32(r))));
    *p++ = ' ';
    p = formatG(p, double(bitsToFloat(le32(r + 4))));
    *p++ = ' ';
    p = formatG(p, double(bitsToFloat(le32(r + 8))));
    *p++ = '\n';
  }
  out.advance(p);
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

void putFaceIdLine(TextBuffer& out, size_t group) {
  out.put("#FaceID ");
  char* p = out.room(kNumberRoom + 1);
  p = formatUint(p, uint64_t(group) + 1);
  *p++ = '\n';
  out.advance(p);
}

// The faces under their "#FaceID n" lines. Face f belongs to the entry of
// the face ID list whose range of faces holds it; an entry's line comes
// before its first face, and entries without faces get their line all the
// same. Writing ends with the list or the face chunk, whichever comes first:
// the faces written are the first min(records, sum of the list).
class FaceGroups {
 public:
  explicit FaceGroups(uint64_t records) {
    starts_.reserve(faceID.size() + 1);
    uint64_t sum = 0;
    for (uint32_t n : faceID) starts_.push_back(sum), sum += n;
    faces_ = sum < records ? sum : records;
    // When the list ends first, its entries that start where the faces end
    // (empty ones) are still written; when the chunk ends first they are not.
    tail_ = sum < records;
  }
  uint64_t faces() const { return faces_; }

  // Faces [first, first + n) with the lines of the entries that start among
  // them; `last` adds the lines of the entries that start at their end.
  void write(TextBuffer& out, const unsigned char* r, uint64_t first, size_t n, bool last) const {
    size_t g = size_t(std::lower_bound(starts_.begin(), starts_.end(), first) - starts_.begin());
    const uint64_t end = first + n;
    for (uint64_t f = first; f < end;) {
      for (; g < starts_.size() && starts_[g] == f; ++g) putFaceIdLine(out, g);
      // Faces up to where the next entry starts, in one stretch.
      const uint64_t upTo = g < starts_.size() && starts_[g] < end ? starts_[g] : end;
      char* p = out.room(size_t(upTo - f) * (4 * kNumberRoom + 8));
      for (; f < upTo; ++f, r += kFaceRecord) p = putFace(p, r);
      out.advance(p);
    }
    if (last && tail_)
      for (; g < starts_.size() && starts_[g] == end; ++g) putFaceIdLine(out, g);
  }

 private:
  std::vector<uint64_t> starts_;  // first face of each entry
  uint64_t faces_ = 0;
  bool tail_ = false;
};

}  // namespace

bool RecordRun::read(FileFront& file, size_t i, Bytes& in, uint64_t& first, size_t& n) const {
  first = std::min<uint64_t>(uint64_t(i) * kPieceRecords, count);  // the last piece: none, at the end
  n = size_t(std::min<uint64_t>(kPieceRecords, count - first));
  in.resize(n * recordSize);
  return n == 0 || file.readAt(pos + first * recordSize, in.data(), in.size());
}

float writePieces(AtomicFile& out, size_t count, const std::function<bool(size_t, TextBuffer&, Bytes&)>& make) {
  switch (writePiecesInOrder(out, count, make)) {
    case Pieces::Written: return kOk;
    case Pieces::Unreadable: return kBadFile;
    case Pieces::Unwritten: break;
  }
  return kOutputNotCreated;
}

float exportQivToObj(const char* qivPath, const char* objPath) {
  if (faceID.empty()) return kNoFaceIds;
  FileFront front;
  if (!front.open(qivPath)) return kInputNotOpened;
  uint32_t tag;
  if (!front.upTo(kQivHeaderSize + 4).u32le(kQivHeaderSize, tag)) return kBadFile;
  if (tag != kVertexTag) return float(tag);
  ExportLayout m;
  if (!locate(front, m)) return kBadFile;

  // The text in pieces: the header with the vertices, the colour block, the
  // faces; an export that stops at a missing chunk ends after its section.
  float result = kOk;
  const bool colours = m.colourTag == kColourTag, faces = colours && m.faceTag == kFaceTag;
  if (!colours) result = float(m.colourTag);
  else if (!faces) result = float(m.faceTag);
  const FaceGroups groups(faces ? m.faceRecords : 0);
  const RecordRun vertexRun{m.vertices, m.vertexCount, kVertexRecord};
  const RecordRun colourRun{m.colours, m.colourCount, kColourRecord};
  const RecordRun faceRun{m.faces, groups.faces(), kFaceRecord};
  // The header goes with the first piece of vertices; the colour block's
  // end and the lines of face ID entries past the last face with the empty
  // last piece of their runs.
  const size_t vertexPieces = vertexRun.pieces();
  const size_t colourPieces = colours ? colourRun.pieces() : 0;
  const size_t facePieces = faces ? faceRun.pieces() : 0;
  auto make = [&](size_t i, TextBuffer& out, Bytes& in) {
    uint64_t first;
    size_t n;
    if (i < vertexPieces) {
      if (i == 0) writeHeader(out, m);
      if (!vertexRun.read(front, i, in, first, n)) return false;
      writeVertices(out, in.data(), n);
      return true;
    }
    i -= vertexPieces;
    if (i < colourPieces) return colourPiece(out, front, colourRun, i, in);
    i -= colourPieces;
    if (!faceRun.read(front, i, in, first, n)) return false;
    groups.write(out, in.data(), first, n, i + 1 == facePieces);
    return true;
  };

  AtomicFile out;
  if (!out.create(objPath)) return kOutputNotCreated;
  const float written = writePieces(out, vertexPieces + colourPieces + facePieces, make);
  if (written != kOk) return written;
  // Names the file with what was written; a write that failed leaves any
  // previous file in place.
  if (!out.commit()) return kOutputNotCreated;
  if (result == kOk) faceID.clear();
  return result;
}

}  // namespace tolvane
