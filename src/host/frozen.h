// Names the host already knows and that must never change.
//
// Everything here is exported (or read by the host's scripts) under exactly
// this name and signature: the internal operations under their C++ names and
// the image globals. Each is a thin wrapper over our own tolvane:: code,
// defined in frozen_<subsystem>.cpp beside this header; nothing else in the
// library declares an exported name.
#pragma once

#include "common/export.h"

// ---- binary meshes -------------------------------------------------------
//
// (declarations of the mesh subsystem's frozen names)
//
// ---- end of binary meshes ------------------------------------------------


// ---- OBJ group tools -----------------------------------------------------
// What each does: the tolvane:: function of the same purpose in
// groups/groups.h.
#include <string>

TOLVANE_API void clearGroupsList();
TOLVANE_API float getGroupsListSize();
TOLVANE_API void addToGroupsList(const char* name, int faces);
TOLVANE_API std::string getGroupName(int index);
TOLVANE_API float saveGroupsList(const char* path);
TOLVANE_API float loadGroupsList(const char* path);
TOLVANE_API void NameSetClear();
TOLVANE_API std::string NameCheck(const char* wanted);
TOLVANE_API float LeanSplitOBJ(const char* objPath, const char* outPath);
TOLVANE_API float LeanAddGroupOBJ(const char* sourcePath, const char* destPath, int vertexOffset);
TOLVANE_API bool LeanSwapVerts(const char* sourcePath, const char* destPath);
TOLVANE_API float LeanSplitQiv(const char* objPath, const char* outPath);
TOLVANE_API float ListSplitQiv(const char* objPath, const char* outPath);
// ---- end of OBJ group tools ----------------------------------------------


// ---- images ----------------------------------------------------------------
//
// (declarations of the image tools' frozen names and globals)
//
// ---- end of images -----------------------------------------------------------


// ---- files -----------------------------------------------------------------
//
// (declarations of the file services' frozen names)
//
// ---- end of files ------------------------------------------------------------
