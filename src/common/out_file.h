// Forwards to the headers that replaced this one; callers move to
// AtomicFile (common/atomic_file.h) and Appender (common/appender.h).
#pragma once

#include "common/appender.h"
#include "common/atomic_file.h"

namespace tolvane {

using OutFile = AtomicFile;

}  // namespace tolvane
