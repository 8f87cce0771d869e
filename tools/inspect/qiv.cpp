// Qiv meshes and Qit vertex files: every chunk as the walk meets it, and
// what the export, the face ID and colour readers and the vertex swap will
// make of the file.
#include "common/file_front.h"
#include "common/result_codes.h"
#include "inspect/inspect.h"
#include "mesh/qiv.h"

namespace tolvane::inspect {
namespace {

constexpr size_t kMaxRows = 1000;  // chunks listed; the walk goes on past them

const char* tagName(uint32_t tag) {
  switch (tag) {
    case kVertexTag: return "vertex";
    case kFaceTag: return "face";
    case kUVTag: return "UV";
    case kColourTag: return "colour";
  }
  return "unknown";
}

uint64_t recordSize(uint32_t tag) {
  switch (tag) {
    case kVertexTag: return kVertexRecord;
    case kFaceTag: return kFaceRecord;
    case kUVTag: return kUVRecord;
    case kColourTag: return kColourRecord;
  }
  return 0;
}

std::string chunkWords(uint32_t tag) { return std::to_string(tag) + " (" + tagName(tag) + ")"; }

Row chunkRow(FileFront& front, const Chunk& c) {
  const uint64_t size = recordSize(c.tag);
  Row row{{"offset", std::to_string(c.pos), true},  {"tag", std::to_string(c.tag), true},
          {"name", tagName(c.tag), false},           {"length", std::to_string(c.length), true},
          {"count", std::to_string(c.count), true}};
  if (size) {
    const bool lengthOk = uint64_t(c.length) == kChunkHeaderSize + size * c.count;
    row.push_back({"length matches count", lengthOk ? "true" : "false", true});
    row.push_back({"fits", recordsFit(front, c, size) ? "true" : "false", true});
  }
  return row;
}

// The walk as the readers make it: chunk to chunk by lengths.
void listChunks(Report& r, FileFront& front) {
  r.listName = "chunks";
  uint64_t pos = kQivHeaderSize;
  size_t n = 0;
  for (; pos < front.size(); ++n) {
    Chunk c;
    if (!readChunk(front, pos, c)) {
      r.warnings.push_back("the chunk header at " + std::to_string(pos) + " is cut off by the end of the file");
      break;
    }
    if (n < kMaxRows) r.rows.push_back(chunkRow(front, c));
    pos += c.length == 0 ? kChunkHeaderSize : c.length;
  }
  r.fact("chunks", (long long)n);
}

const char* kResave = "write the file again from the host; it was cut short or damaged";

// The export's checks, in its order: vertex chunk first, the colour chunk
// right after its records, then the face chunk right after those.
void exportVerdict(Report& r, FileFront& front, const Settings& s) {
  const char* e = "qivtoOBJ";
  const std::string order = "; the export needs vertex, colour, face in that order";
  if (!s.faceIdsLoaded) return (void)r.verdict(e, kNoFaceIds, "no face IDs are loaded", "call getFaceIDs first");
  uint32_t tag;
  if (!front.upTo(kQivHeaderSize + 4).u32le(kQivHeaderSize, tag))
    return (void)r.verdict(e, kBadFile, "the file ends before its first chunk", kResave);
  if (tag != kVertexTag)
    return (void)r.verdict(e, float(tag), "the first chunk is the " + chunkWords(tag) + " chunk" + order,
                           "export from a full mesh file (vertex chunk first)");
  Chunk v, c, f;
  if (!readChunk(front, kQivHeaderSize, v)) return (void)r.verdict(e, kBadFile, "the file has no whole first chunk", kResave);
  unsigned char b[4];
  const bool headerCounts = front.readAt(v.pos + 4 + uint64_t(v.length), b, 4) &&
                            front.readAt(v.pos + 8 + uint64_t(v.length) + le32(b), b, 4);
  if (!recordsFit(front, v, kVertexRecord) || !headerCounts || !readChunk(front, v.records() + kVertexRecord * v.count, c))
    return (void)r.verdict(e, kBadFile, "the vertex chunk runs past the end of the file", kResave);
  if (c.tag != kColourTag)
    return (void)r.verdict(e, float(c.tag), "after the vertex records comes the " + chunkWords(c.tag) + " chunk" + order +
                           " (the OBJ is left with the vertices only)");
  if (!recordsFit(front, c, kColourRecord) || !readChunk(front, c.records() + kColourRecord * c.count, f))
    return (void)r.verdict(e, kBadFile, "the colour chunk runs past the end of the file", kResave);
  if (f.tag != kFaceTag)
    return (void)r.verdict(e, float(f.tag), "after the colour records comes the " + chunkWords(f.tag) + " chunk" + order +
                           " (the OBJ is left without faces)");
  const uint64_t end = f.pos + f.length;
  const uint64_t records = end > f.records() ? (end - f.records() + kFaceRecord - 1) / kFaceRecord : 0;
  if (!front.holds(f.records(), kFaceRecord * f.count) || !front.holds(f.records(), kFaceRecord * records))
    return (void)r.verdict(e, kBadFile, "the face chunk runs past the end of the file", kResave);
  r.verdict(e, kOk, "accepted once getFaceIDs has loaded face IDs: " + std::to_string(v.count) + " vertices, " + std::to_string(c.count) + " colours, " +
                        std::to_string(f.count) + " faces");
}

// The face ID and colour readers take the first chunk as theirs, whatever
// its tag.
void firstChunkVerdict(Report& r, FileFront& front, const char* e, uint32_t want) {
  Chunk c;
  if (!readChunk(front, kQivHeaderSize, c)) return (void)r.verdict(e, kBadFile, "the file has no whole first chunk", kResave);
  const uint64_t size = want == kFaceTag ? kFaceRecord : kColourRecord;
  if (!recordsFit(front, c, size))
    return (void)r.verdict(e, kBadFile, "the first chunk's " + std::to_string(c.count) + " records of " +
                           std::to_string(size) + " bytes run past the end of the file", kResave);
  const float result = want == kFaceTag ? float(c.count) : kOk;
  if (c.tag == want) return (void)r.verdict(e, result, "accepted: " + std::to_string(c.count) + " records");
  r.verdict(e, result, "reads the first chunk, the " + chunkWords(c.tag) + " chunk, as the " + tagName(want) +
                       " chunk: what it gives means nothing");
  r.warnings.push_back(std::string(e) + " takes the first chunk as the " + tagName(want) + " chunk, but it is the " +
                       chunkWords(c.tag) + " chunk; give it the " + tagName(want) + " file the host wrote");
}

// The Qit side of the swap, when a Qit is named.
void qitVerdict(Report& r, const Chunk& v, const std::string& qitPath) {
  const char* e = "SwapVertices_Qiv";
  FileFront qit;
  Chunk q;
  if (!qit.open(qitPath.c_str())) return (void)r.verdict(e, kQitNotOpened, "the Qit file cannot be opened", "check its path");
  if (!readChunk(qit.upTo(kChunkHeaderSize), 0, q)) return (void)r.verdict(e, kBadFile, "the Qit file is shorter than its header", kResave);
  if (q.length != v.length || q.count != v.count)
    return (void)r.verdict(e, kQitMismatch, "the Qit holds " + std::to_string(q.count) + " vertices (length " +
                           std::to_string(q.length) + "), the mesh " + std::to_string(v.count) + " (length " +
                           std::to_string(v.length) + ")", "use the Qit split from this mesh's own groups");
  if (!qit.holds(kChunkHeaderSize, kVertexRecord * v.count))
    return (void)r.verdict(e, kBadFile, "the Qit file is shorter than its count says", kResave);
  r.verdict(e, kOk, "accepted: " + std::to_string(v.count) + " vertices are replaced");
}

void swapVerdict(Report& r, FileFront& front, const Settings& s) {
  const char* e = "SwapVertices_Qiv";
  Chunk v;
  if (!findChunk(front, kVertexTag, v))
    return (void)r.verdict(e, kNoVertexChunk, "the chunk walk finds no vertex chunk", "swap into the mesh file itself");
  if (!recordsFit(front, v, kVertexRecord))
    return (void)r.verdict(e, kBadFile, "the vertex chunk runs past the end of the file", kResave);
  if (!s.qitPath.empty()) return qitVerdict(r, v, s.qitPath);
  r.fact("a Qit must have length", (long long)v.length);
  r.fact("a Qit must have count", (long long)v.count);
}

}  // namespace

void inspectQiv(Report& r, const Settings& s) {
  FileFront front;
  if (!front.open(r.path.c_str())) return;
  if (front.size() < kQivHeaderSize) r.warnings.push_back("shorter than the 32-byte file header");
  listChunks(r, front);
  exportVerdict(r, front, s);
  firstChunkVerdict(r, front, "getFaceIDs", kFaceTag);
  firstChunkVerdict(r, front, "outMRGB", kColourTag);
  swapVerdict(r, front, s);
}

void inspectQit(Report& r) {
  FileFront front;
  if (!front.open(r.path.c_str())) return;
  Chunk q;
  if (!readChunk(front.upTo(kChunkHeaderSize), 0, q)) {
    r.warnings.push_back("shorter than the 16-byte vertex chunk header: the vertex swap returns " +
                         codeName("SwapVertices_Qiv", kBadFile));
    return;
  }
  r.fact("tag", chunkWords(q.tag));
  r.fact("length", (long long)q.length);
  r.fact("count", (long long)q.count);
  const bool lengthOk = uint64_t(q.length) == kChunkHeaderSize + kVertexRecord * q.count;
  r.fact("length matches count", lengthOk);
  r.fact("fits", front.holds(kChunkHeaderSize, kVertexRecord * q.count));
  r.fact("swaps into a mesh whose vertex chunk has",
         "length " + std::to_string(q.length) + ", count " + std::to_string(q.count));
}

}  // namespace tolvane::inspect
