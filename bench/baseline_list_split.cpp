// Plain reference for the listed split into Qit vertex files, written the
// obvious way: the group list read record by record with fread, the OBJ
// line by line with std::getline, a stream per vertex line and per face
// line, std::map and std::set. Writes the same bytes as the library on
// well-formed input; bench/run times the library against it. Not used by
// the library.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

float baselineListSplit(const char* listPath, const char* objPath, const char* folder) {
  struct Entry {
    std::string name;
    int32_t endFace;
  };
  std::vector<Entry> list;
  if (FILE* f = std::fopen(listPath, "rb")) {
    unsigned char record[136];
    while (std::fread(record, 1, 136, f) == 136) {
      int32_t end;
      std::memcpy(&end, record + 132, 4);
      list.push_back({std::string(reinterpret_cast<char*>(record), strnlen(reinterpret_cast<char*>(record), 128)), end});
    }
    std::fclose(f);
  }
  if (list.empty()) return -5;
  std::map<std::string, size_t> groups;
  for (size_t i = 0; i < list.size(); ++i) groups.emplace(list[i].name, i);

  std::ifstream in(objPath);
  if (!in) return -1;
  std::vector<float> xyz;
  std::vector<std::set<int>> sets(list.size());
  size_t position = 0;
  int32_t limit = list[0].endFace, face = -1;
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() > 1 && line[0] == 'v' && line[1] == ' ') {
      std::istringstream f(line);
      std::string v;
      float x = 0, y = 0, z = 0;
      f >> v >> x >> y >> z;
      xyz.insert(xyz.end(), {x, y, z});
    } else if (!line.empty() && line[0] == 'f') {
      if (++face == limit && position + 1 < list.size()) limit = list[++position].endFace;
      std::string text = line.size() > 2 ? line.substr(2) : "";
      if (text.find('/') != std::string::npos) {
        std::istringstream tokens(text);
        std::string token, joined;
        while (tokens >> token) joined += token.substr(0, token.find('/')) + " ";
        text = joined;
      }
      std::istringstream numbers(text);
      int n;
      while (numbers >> n) sets[position].insert(n - 1);
    }
  }
  for (const auto& [name, index] : groups) {
    std::ofstream out(std::string(folder) + name + ".Qit", std::ios::binary);
    if (!out) return -3;
    int32_t header[4] = {10001, 0, 0, 0};
    out.write(reinterpret_cast<const char*>(header), 16);
    for (int n : sets[index]) out.write(reinterpret_cast<const char*>(&xyz[size_t(n) * 3]), 12);
    header[1] = int32_t(16 + 12 * sets[index].size());
    header[2] = int32_t(sets[index].size());
    out.seekp(0);
    out.write(reinterpret_cast<const char*>(header), 16);
  }
  return 0;
}
