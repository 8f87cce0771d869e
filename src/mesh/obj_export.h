// Qiv mesh to OBJ export, the face ID list it groups faces by, and the
// vertex colour block.
//
// The face ID list says, per face ID of a coarse mesh, how many consecutive
// faces of a finer mesh belong to it: readFaceIds (GetFaceIDsQiv) fills it
// from the coarse mesh's face chunk, exportQivToObj (writeOBJfromQiv)
// consumes it. Typical use, in one process:
//
//   GetFaceIDsQiv("coarse.qiv", 1);            // [4, 4, 3, ...]
//   writeOBJfromQiv("fine.qiv", "fine.obj");   // faces under "#FaceID n"
//
// Every reader checks that each record it will read lies inside the file
// before any output is created; a file that claims more than it holds is
// rejected with kBadFile (-1761). The export then reads its records piece by
// piece and formats them on two threads; a file that shrinks meanwhile also
// gives kBadFile, and the OBJ never takes its name.
#pragma once

#include <cstdint>
#include <vector>

#include "common/atomic_file.h"
#include "common/file_front.h"
#include "common/in_order.h"

// The face ID list: entry i is the number of consecutive faces of the
// exported mesh that belong to face ID i + 1. Empty at load; rebuilt by every
// GetFaceIDsQiv call; emptied by a successful writeOBJfromQiv only, so a
// failed export can be repeated.
extern std::vector<uint32_t> faceID;

namespace tolvane {

// Fills the face ID list from the first chunk of the Qiv file at `path`
// (read as a face chunk whatever its tag): one entry per face record, 3k for
// a triangle (fourth index negative), 4k for a quad, with
// k = 4^(level - 1) truncated toward zero and saturated to 0..2^31-1 (NaN
// and negative infinity give 0, +infinity 2^31-1); 3k and 4k saturate at
// 2^32-1. The list is emptied first and stays empty on failure.
// Returns the number of entries, -1760 when the file cannot be opened (also
// a directory), -1761 when it is shorter than its face records.
float readFaceIds(const char* path, double level);

// Writes the colour block of the first chunk of the Qiv file at `qivPath`
// (read as a colour chunk whatever its tag) alone to the text file
// `outPath`, replacing it. Returns 0, -1760 when the Qiv file cannot be
// opened, -1761 when it is shorter than its colour records, -2 when the
// output cannot be created or written (any previous file stays as it was).
float writeColourBlock(const char* qivPath, const char* outPath);

// Exports the Qiv mesh at `qivPath` (vertex chunk at offset 32, colour
// chunk directly after the vertex records, face chunk directly after the
// colour records) as the OBJ file `objPath`: header comments, "v " lines,
// the colour block, then the faces grouped under "#FaceID n" lines by the
// face ID list. Returns
//   0      success; the face ID list is emptied
//   -18    the face ID list is empty (nothing is opened)
//   -1760  the Qiv file cannot be opened (also a directory)
//   -1761  the file is shorter than the records and headers to be read
//   tag    the tag at offset 32 is not 10001 (nothing written; a tag of 0
//          returns 0, and leaves the face ID list as it was)
//   -2     the OBJ file cannot be created or written (any previous file
//          stays as it was)
//   tag    no colour chunk directly after the vertex records: the OBJ holds
//          the header and the "v " lines
//   tag    no face chunk directly after the colour records: the OBJ holds
//          everything up to "# End of RGB block"
// Tags are returned as unsigned values, so they are never negative.
float exportQivToObj(const char* qivPath, const char* objPath);

// Records per piece of text: a multiple of 32, so that a piece of colour
// records holds whole "#RGB " lines.
constexpr uint64_t kPieceRecords = 8192;

// A run of records of one chunk, made into text piece by piece: full pieces
// of kPieceRecords, the rest, and one empty piece at the end for what follows
// the records.
struct RecordRun {
  uint64_t pos = 0;  // first record
  uint64_t count = 0;
  uint64_t recordSize = 0;
  size_t pieces() const { return size_t((count + kPieceRecords - 1) / kPieceRecords) + 1; }
  // Reads the records of piece i into `in`: records first .. first+n-1.
  // False when the file no longer holds them.
  bool read(FileFront& file, size_t i, Bytes& in, uint64_t& first, size_t& n) const;
};

// Piece i of the colour block of `colours` (4-byte records: blue, green,
// red, unused): the opening comment in the first piece, "#RGB " lines, the
// end in the last. False when the records cannot be read.
bool colourPiece(TextBuffer& out, FileFront& file, const RecordRun& colours, size_t i, Bytes& in);

// Makes pieces 0 .. count-1 on two threads and writes them to `out` in
// order (out is not committed). kOk; kBadFile when a piece's records could
// not be read (the file shrank); kOutputNotCreated when out was not written.
float writePieces(AtomicFile& out, size_t count, const std::function<bool(size_t, TextBuffer&, Bytes&)>& make);

// k = 4^(level - 1), computed in double and truncated toward zero into
// 0..INT32_MAX (NaN gives 0).
int32_t faceIdFactor(double level);

}  // namespace tolvane
