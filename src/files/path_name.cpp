#include "files/path_name.h"

namespace tolvane {
namespace {

size_t lastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

}  // namespace

std::string pathPart(const std::string& path, int mode) {
  switch (mode) {
    case 1: {
      size_t sep = lastSeparator(path);
      return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
    }
    case 2: {
      size_t sep = lastSeparator(path);
      std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
      size_t dot = name.rfind('.');
      return dot == std::string::npos ? name : name.substr(0, dot);
    }
    case 3: {
      size_t dot = path.rfind('.');
      return dot == std::string::npos ? path : path.substr(0, dot);
    }
    case 4: {
      size_t dot = path.rfind('.');
      return dot == std::string::npos ? std::string() : path.substr(dot);
    }
    case 6: {
      size_t sep = lastSeparator(path);
      return sep == std::string::npos ? path : path.substr(sep + 1);
    }
    default:
      return path;
  }
}

}  // namespace tolvane
