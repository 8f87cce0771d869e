// Plain implementations of the group tools, written the obvious way: line
// by line with std::getline, std::set for the vertex sets, a stream per
// value and a flush after every line. The benchmarks compare against these.
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "groups_data.h"

namespace groupsbench {
namespace {

std::string faceNumbers(const std::string& text) {
  if (text.find('/') == std::string::npos) return text;
  std::istringstream in(text);
  std::string token, out;
  while (in >> token) out += token.substr(0, token.find('/')) + " ";
  return out;
}

struct Scanned {
  std::vector<std::string> lines{"#start of vector"};
  std::vector<float> xyz;
  std::map<std::string, int> groups;
  std::vector<std::set<int>> sets = std::vector<std::set<int>>(1024);
};

bool scan(const std::string& path, bool floats, Scanned& s) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  int current = 0;
  while (std::getline(in, line)) {
    if (line.size() > 1 && line[0] == 'v' && line[1] == ' ') {
      if (!floats) {
        s.lines.push_back(line);
      } else {
        std::istringstream f(line);
        std::string v;
        float x = 0, y = 0, z = 0;
        f >> v >> x >> y >> z;
        s.xyz.insert(s.xyz.end(), {x, y, z});
      }
    } else if (!line.empty() && line[0] == 'g') {
      std::string name = line.size() > 2 ? line.substr(2) : "";
      auto it = s.groups.find(name);
      if (it == s.groups.end()) it = s.groups.emplace(name, int(s.groups.size())).first;
      current = it->second;
    } else if (!line.empty() && line[0] == 'f') {
      std::istringstream f(faceNumbers(line.size() > 2 ? line.substr(2) : ""));
      int n;
      while (f >> n) s.sets[size_t(current)].insert(floats ? n - 1 : n);
    }
  }
  return true;
}

}  // namespace

int baselineSplitOBJ(const std::string& obj, const std::string& folder) {
  Scanned s;
  if (!scan(obj, false, s)) return -1;
  for (const auto& [name, index] : s.groups) {
    std::ofstream out(folder + name + ".obj");
    for (int n : s.sets[size_t(index)]) out << s.lines[size_t(n)] << std::endl;
  }
  return 0;
}

int baselineSplitQiv(const std::string& obj, const std::string& folder) {
  Scanned s;
  if (!scan(obj, true, s)) return -1;
  for (const auto& [name, index] : s.groups) {
    std::ofstream out(folder + name + ".Qit", std::ios::binary);
    int header[4] = {10001, 0, 0, 0};
    out.write(reinterpret_cast<const char*>(header), 16);
    int count = 0;
    for (int n : s.sets[size_t(index)]) {
      out.write(reinterpret_cast<const char*>(&s.xyz[size_t(n) * 3]), 12);
      out.flush();
      ++count;
    }
    header[1] = 16 + 12 * count;
    header[2] = count;
    out.seekp(0);
    out.write(reinterpret_cast<const char*>(header), 16);
  }
  return 0;
}

int baselineAppend(const std::string& part, const std::string& dest, int offset) {
  std::ifstream in(part);
  if (!in) return -1;
  std::ofstream out(dest, std::ios::app);
  std::string line, name = part.substr(part.rfind('/') + 1);
  name = name.substr(0, name.rfind('.'));
  int counter = offset;
  while (std::getline(in, line)) {
    if (line.size() > 1 && line[0] == 'v' && line[1] == ' ') {
      out << line << std::endl;
      ++counter;
    } else if (!line.empty() && line[0] == 'g') {
      out << "g " << name << std::endl;
    } else if (!line.empty() && line[0] == 'f') {
      std::istringstream f(faceNumbers(line.size() > 2 ? line.substr(2) : ""));
      out << "f ";
      int k;
      while (f >> k) out << offset + k << " ";
      out << std::endl;
    }
  }
  return counter;
}

bool baselineSwap(const std::string& src, const std::string& dest) {
  std::vector<std::string> vertices, others;
  std::string line;
  {
    std::ifstream in(src);
    while (std::getline(in, line))
      if (line.size() > 1 && line[0] == 'v' && line[1] == ' ') vertices.push_back(line);
  }
  size_t count = 0;
  {
    std::ifstream in(dest);
    while (std::getline(in, line)) {
      if (line.size() > 1 && line[0] == 'v' && line[1] == ' ') ++count;
      else if (line.empty() || line[0] != '#') others.push_back(line);
    }
  }
  if (count == 0 || count != vertices.size() || others.empty()) return false;
  std::ofstream out(dest);
  out << "# written by Tolvane plugin for Modrix" << std::endl;
  for (const std::string& l : vertices) out << l << std::endl;
  for (const std::string& l : others) out << l << std::endl;
  return true;
}

}  // namespace groupsbench
