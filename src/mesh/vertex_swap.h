// Vertex swap into a Qiv mesh: the positions of a Qit vertex file replace
// those of the mesh's vertex chunk, and nothing else in the mesh changes.
#pragma once

namespace tolvane {

// Copies the vertex records of the Qit file at `qitPath` over those of the
// first vertex chunk (tag 10001) of the Qiv file at `qivPath`. The Qit file
// is taken only when its header states the same length and count as that
// chunk; its tag and reserved word are not compared. On success the mesh
// keeps its size and every byte outside the 12 x count record bytes.
//
// Returns, checked in this order:
//      0  the positions were copied
//  -1760  the Qiv file cannot be read
//    -18  the chunk walk finds no vertex chunk
//  -1761  the vertex chunk's records run past the end of the Qiv file
//   -201  the Qit file cannot be opened for update (missing, read-only, a
//         folder); it is only read, never written
//  -1761  the Qit file is shorter than its 16-byte header
//   -301  the Qit header's length or count differs from the vertex chunk's
//  -1761  the Qit file holds fewer than count records
//   -401  the Qiv file cannot be rewritten (read-only file or folder), or
//         writing the new mesh failed (disk full, file size limit)
// Every result other than 0 leaves both files as they were. The new mesh is
// written beside the old one and renamed over it, so the Qiv file is always
// either fully old or fully new.
float swapQivVertices(const char* qivPath, const char* qitPath);

}  // namespace tolvane
