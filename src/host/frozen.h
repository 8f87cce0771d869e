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
//
// (declarations of the group tools' frozen names)
//
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
