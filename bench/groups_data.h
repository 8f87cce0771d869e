// Bench data for the OBJ group tools: a combined OBJ mesh of 1,000,000
// vertices in 100 groups, its 100 part files, and a vertex-only file of all
// its vertices. Made once per process in a scratch folder.
#pragma once

#include <string>
#include <vector>

namespace groupsbench {

struct Data {
  std::string folder;              // scratch folder, everything below it
  std::string combined;            // the combined OBJ
  std::vector<std::string> parts;  // the part OBJ files, in order
  std::string vertices;            // vertex lines of `combined` only
  long long combinedBytes = 0, partBytes = 0, vertexBytes = 0;
};

const Data& data();

// A new empty folder below the scratch folder, kept until the process ends.
std::string freshFolder(const std::string& name);
// Plain copy of a file's bytes, as cp does it.
void copyFile(const std::string& from, const std::string& to);

// The plain implementations the library is measured against: std::getline,
// std::set and a flush after every line.
int baselineSplitOBJ(const std::string& obj, const std::string& folder);
int baselineSplitQiv(const std::string& obj, const std::string& folder);
int baselineAppend(const std::string& part, const std::string& dest, int offset);
bool baselineSwap(const std::string& src, const std::string& dest);

}  // namespace groupsbench
