#include "mesh/vertex_swap.h"

#include <fcntl.h>
#include <unistd.h>
#if defined(_WIN32)
#include <io.h>

#include "common/win_path.h"
#endif

#include <cerrno>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/result_codes.h"
#include "common/rewrite_lock.h"
#include "mesh/qiv.h"

namespace tolvane {
namespace {

// Reads up to n bytes from fd; returns how many arrived before the end of
// the file (or a read error).
size_t readUpTo(int fd, unsigned char* p, size_t n) {
  size_t got = 0;
  while (got < n) {
    ssize_t r = ::read(fd, p + got, n - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += size_t(r);
  }
  return got;
}

#if defined(_WIN32)
// A UTF-8 name opened with the wide call, in binary mode.
int openForUpdate(const char* path) {
  std::wstring wide;
  return win::widen(path, wide) ? ::_wopen(wide.c_str(), _O_RDWR | _O_BINARY) : -1;
}
#else
// O_NONBLOCK: a pipe in place of a Qit file gives a short read, not a hang.
int openForUpdate(const char* path) { return ::open(path, O_RDWR | O_CLOEXEC | O_NONBLOCK); }
#endif

// The Qit file is opened for update, as the host expects of the swap's
// files, so a read-only Qit file is refused; but it is only ever read. Only
// the records the vertex chunk asks for are read, so the allocation is
// bounded by the mesh file, never by what the Qit header claims.
float readQitRecords(const char* qitPath, const Chunk& vertices, Bytes& records) {
  if (!qitPath) return kQitNotOpened;
  int fd = openForUpdate(qitPath);
  if (fd < 0) return kQitNotOpened;
  unsigned char header[kChunkHeaderSize];
  Chunk qit;
  float code = kOk;
  if (readUpTo(fd, header, sizeof header) < sizeof header ||
      !readChunk(ByteReader(header, sizeof header), 0, qit)) {
    code = kBadFile;
  } else if (qit.length != vertices.length || qit.count != vertices.count) {
    code = kQitMismatch;
  } else {
    records.resize(size_t(vertices.count) * kVertexRecord);
    if (readUpTo(fd, records.data(), records.size()) < records.size()) code = kBadFile;
  }
  ::close(fd);
  return code;
}

// Writes the mesh with the vertex records replaced, as a new file renamed
// over the old one. The rest of the mesh is copied from the file as it is.
float writeSwapped(const char* qivPath, FileFront& mesh, const Chunk& vertices, const Bytes& records) {
  AtomicFile out;
  if (!out.create(qivPath, AtomicFile::Mode::Rewrite)) return kQivNotReopened;
  const uint64_t start = vertices.records(), end = start + records.size();
  bool copied = out.copyFrom(mesh, 0, start);
  if (copied && !records.empty()) out.write(records.data(), records.size());
  copied = copied && out.copyFrom(mesh, end, mesh.size() - end);
  if (!out.ok()) return kQivNotWritten;
  if (!copied) return kBadFile;  // the mesh shrank meanwhile
  mesh.close();  // Windows will not let a new file take the name of one still open
  return out.commit() ? kOk : kQivNotWritten;
}

}  // namespace

float swapQivVertices(const char* qivPath, const char* qitPath) {
  // Only the chunk headers and the Qit records are read into memory.
  const RewriteLock lock(qivPath);
  FileFront mesh;
  if (!mesh.open(qivPath)) return kInputNotOpened;
  Chunk vertices;
  if (!findChunk(mesh, kVertexTag, vertices)) return kNoVertexChunk;
  if (!recordsFit(mesh, vertices, kVertexRecord)) return kBadFile;
  Bytes records;
  const float code = readQitRecords(qitPath, vertices, records);
  if (code != kOk) return code;
  return writeSwapped(qivPath, mesh, vertices, records);
}

}  // namespace tolvane
