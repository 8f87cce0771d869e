// OBJ group tools: the group list and name set, the splits of an OBJ mesh by
// group (into vertex-only OBJ files or Qit vertex files), the group append and
// the OBJ vertex swap, and unique names.
//
// Files are never overwritten by the splits: each output takes the first free
// name of name.ext, name_copy1.ext, name_copy2.ext, ... (an existing entry of
// any kind counts as taken). The append and the swap write through a
// temporary file or cut the append back, so a failed write leaves the
// destination as it was.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// One group list entry: a name (NUL-terminated, at most 127 characters, zero
// bytes after it) and the face range [firstFace, endFace) of the combined
// mesh. The group list file is these 136-byte records, little-endian.
struct groupID {
  char name[128];
  int32_t firstFace;
  int32_t endFace;
};
static_assert(sizeof(groupID) == 136, "a group list record is 136 bytes");

// Process-wide state, from library load to unload.
extern std::vector<groupID> groupsList;  // in order of insertion
extern int32_t faceIndex;                // where the next entry's range starts
extern std::set<std::string> nameSet;    // names handed out by the name check

namespace tolvane {

// Bytes of OBJ a split reads as one piece, unless told otherwise.
constexpr uint64_t kDefaultPieceBytes = uint64_t(2) << 20;

// --- group list ---------------------------------------------------------------
// Empties the list; faceIndex back to 0.
void clearGroupList();
// Number of entries, or -1 when the list is empty (never 0).
float groupListSize();
// Appends {name, faceIndex, faceIndex + faces}, then advances faceIndex.
// Names longer than 127 bytes are cut to 127.
void addToGroupList(const char* name, int faces);
// A copy of entry `index`'s name, or "null" when there is no such entry.
std::string groupName(int index);
// Writes the list file: 0, -1 list empty (nothing touched), -3 not written
// (an existing file stays as it was).
float saveGroupList(const char* path);
// Replaces the list by a list file's records (faceIndex 0): 0, or -3 when the
// file cannot be read (the list is then empty). A partial last record is kept
// with its missing bytes zero; a name without NUL is cut to 127 bytes.
float loadGroupList(const char* path);

// --- names ----------------------------------------------------------------------
void clearNameSet();
// The wanted name the first time, later base1, base2, ... where base is the
// name up to and including its first "_copy" (or name + "_copy"). Every
// attempt number is written to standard output, one per line.
std::string checkName(const char* wanted);

// --- splits, append, swap ---------------------------------------------------------
// The splits read the OBJ in pieces of `pieceBytes` (see Scan); the piece
// size never changes what they write.
//
// One vertex-only OBJ file per group of objPath, in the folder of outPath,
// groups in byte-wise name order: 0, -1 OBJ unreadable, -2 a group selects
// no vertex line, -3 an output file not written.
float splitObj(const char* objPath, const char* outPath, uint64_t pieceBytes = kDefaultPieceBytes);
// Appends sourcePath as one group to destPath and records its face range:
// returns vertexOffset + the source's vertex lines, -1 source unreadable,
// -2 destination not opened or not fully written (cut back).
float appendGroup(const char* sourcePath, const char* destPath, int vertexOffset);
// Replaces destPath's vertex lines by sourcePath's; true when rewritten.
bool swapVertices(const char* sourcePath, const char* destPath);
// One Qit vertex file per group of objPath: 0, -1 OBJ unreadable, -3 an
// output file not written.
float splitQit(const char* objPath, const char* outPath, uint64_t pieceBytes = kDefaultPieceBytes);
// One Qit vertex file per group list entry, faces assigned by the list's
// ranges: 0, -5 list empty, -1 OBJ unreadable, -3 an output file not written.
float listSplitQit(const char* objPath, const char* outPath, uint64_t pieceBytes = kDefaultPieceBytes);

}  // namespace tolvane
