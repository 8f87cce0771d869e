// Output files of the splits: one per group, never at an existing file's
// name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "groups/group_scan.h"

namespace tolvane {

// First free name of folder + name + ext, folder + name + "_copy" + n + ext.
std::string freeOutputName(const std::string& folder, const std::string& name, const char* ext);

// Folder part of the split's output path.
std::string outputFolder(const char* outPath);

// Writes one file per group of `s`, in the groups' name order, two at a
// time. For each group, prepare(index, numbers) first takes the group's
// vertex numbers into `numbers`, then the file is created in `folder` and
// fill(numbers, out) writes it; each returns kOk or its failure's code. The
// files take their names in order, each the first free one when it does, so
// the names are those of writing one file after another; at a failure the
// files of the groups before it are written and none after it. kOk or the
// first failure's code (kCannotCreate when a file cannot be made).
float writeGroupFiles(Scan& s, const std::string& folder, const char* ext,
                      const std::function<float(uint32_t, std::vector<int32_t>&)>& prepare,
                      const std::function<float(const std::vector<int32_t>&, AtomicFile&)>& fill);

}  // namespace tolvane
