// Path splitting: the folder, base name, extension... of a path, by text
// alone. Both "/" and "\" separate folders, in any mix.
#pragma once

#include <string>

// FileNameExtract, the name the group tools call it by.
#include "host/frozen.h"

namespace tolvane {

// mode 1: folder part, up to and including the last separator ("" if none)
// mode 2: base name: after the last separator, cut before its last "."
// mode 3: the path without its extension (before the last "." anywhere)
// mode 4: the extension, from the last "." on ("" if none)
// mode 6: the file name: after the last separator
// any other mode: the path unchanged
std::string pathPart(const std::string& path, int mode);

}  // namespace tolvane
