// Path splitting by mode: the names every split and append derive.
#include <gtest/gtest.h>

#include "files/path_name.h"

namespace {

struct Case {
  const char* path;
  int mode;
  const char* want;
};

TEST(FileNameExtract, EveryModeOnTypicalAndAwkwardPaths) {
  const Case cases[] = {
      {"/Users/a/model.obj", 1, "/Users/a/"},
      {"D:\\work\\model.obj", 1, "D:\\work\\"},
      {"model.obj", 1, ""},
      {"/", 1, "/"},
      {"", 1, ""},
      {"/x/y/name.obj", 2, "name"},
      {"/x/y/name.part.obj", 2, "name.part"},
      {"/x.d/name", 2, "name"},
      {"/x/y/.hidden", 2, ""},
      {"name", 2, "name"},
      {"/x/y/", 2, ""},
      {"/x/y/name.obj", 3, "/x/y/name"},
      {"/x.d/name", 3, "/x"},
      {"noext", 3, "noext"},
      {"/x/y/name.obj", 4, ".obj"},
      {"/x/y/name", 4, ""},
      {"a.b.c", 4, ".c"},
      {"/x/y/", 6, ""},
      {"name.obj", 6, "name.obj"},
      {"C:\\a/b\\c.d", 6, "c.d"},
      {"a/b\\c.obj", 1, "a/b\\"},  // either separator, mixed
      {"a/b\\c.obj", 2, "c"},
      {"a\\b/c.obj", 1, "a\\b/"},
      {"/x/y/name.obj", 0, "/x/y/name.obj"},  // other modes: the path unchanged
      {"/x/y/name.obj", 5, "/x/y/name.obj"},
      {"/x/y/name.obj", 7, "/x/y/name.obj"},
      {"/x/y/name.obj", -1, "/x/y/name.obj"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileNameExtract(c.path, c.mode), c.want) << c.path << " mode " << c.mode;
}

}  // namespace
