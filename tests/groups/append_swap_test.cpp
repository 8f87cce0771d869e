// The group append, the OBJ vertex swap, the listed split, and the round
// trips through a combined mesh on the example parts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "groups/groups.h"
#include "support/files.h"
#include "support/support.h"

using namespace testsupport;

namespace {

class Groups : public ::testing::Test {
 protected:
  void SetUp() override { clearGroupsList(); }
  std::string file(const std::string& name, const std::string& bytes) {
    writeFile(dir / name, bytes);
    return dir / name;
  }
  std::string copyExample(const std::string& name) { return file(name, readFile(example("parts/" + name))); }
  TempDir dir;
};

const char* kCube =
    "# cube\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\nvt 0 0\nvn 0 0 1\n"
    "g side\nusemtl m\nf 1/1/1 2/1/1 3/1/1 4/1/1\nf 5 6 7 8\ng other\nf 1//1 2//1 6//1 5//1\nf 2 3 7 6\n"
    "f 3 4 8 7\nf 4 1 5 8\n";

TEST_F(Groups, AppendWritesTheCombinedLayoutAndRecordsRanges) {
  std::string cube = file("cube.obj", kCube);
  std::string dest = dir / "all.obj";
  EXPECT_EQ(LeanAddGroupOBJ(cube.c_str(), dest.c_str(), 0), 8);
  EXPECT_EQ(LeanAddGroupOBJ(cube.c_str(), dest.c_str(), 8), 16);
  const std::string v = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n";
  EXPECT_EQ(readFile(dest), v + "g cube\nf 1 2 3 4 \nf 5 6 7 8 \ng cube\nf 1 2 6 5 \nf 2 3 7 6 \nf 3 4 8 7 \nf 4 1 5 8 \n" + v +
                                "g cube\nf 9 10 11 12 \nf 13 14 15 16 \ng cube\nf 9 10 14 13 \nf 10 11 15 14 \n"
                                "f 11 12 16 15 \nf 12 9 13 16 \n");
  ASSERT_EQ(groupsList.size(), 2u);
  EXPECT_EQ(groupsList[0].endFace, 6);
  EXPECT_EQ(groupsList[1].firstFace, 6);
  EXPECT_EQ(faceIndex, 12);
}

TEST_F(Groups, AppendKeepsSourceOrderAndOddLines) {
  // No group line: none is written, but the entry still takes the file's
  // name. The offset is added, never the running counter; "f" alone counts.
  ASSERT_TRUE(testsupport::makeDir(dir / "dir.d"));
  std::string src = file("dir.d/a.b.obj", "f 1 -1 x 2\r\nv 1 2 3\r\nf\nfo 3\nv 4 5 6\n");
  std::string dest = dir / "all.obj";
  writeFile(dest, "existing\n");
  EXPECT_EQ(LeanAddGroupOBJ(src.c_str(), dest.c_str(), 100), 102);
  EXPECT_EQ(readFile(dest), "existing\nf 101 99 \nv 1 2 3\r\nf \nf 103 \nv 4 5 6\n");
  EXPECT_EQ(getGroupName(0), "a.b");
  EXPECT_EQ(groupsList[0].endFace, 3);
}

TEST_F(Groups, AppendFailuresWriteNothingAndAddNoEntry) {
  std::string cube = file("cube.obj", kCube);
  std::string dest = file("all.obj", "before\n");
  EXPECT_EQ(LeanAddGroupOBJ((dir / "none.obj").c_str(), dest.c_str(), 0), -1);
  EXPECT_EQ(LeanAddGroupOBJ(cube.c_str(), (dir / "no/all.obj").c_str(), 0), -2);
  EXPECT_EQ(LeanAddGroupOBJ(cube.c_str(), dir.path().c_str(), 0), -2);
  // A write that fails half-way is cut back to what the file held.
  std::string big;
  for (int i = 0; i < 50000; ++i) big += "v 1 2 3\nf 1 2 3\n";
  std::string src = file("big.obj", big);
  float r = withFileSizeLimit(100000, [&] { return LeanAddGroupOBJ(src.c_str(), dest.c_str(), 0); });
  EXPECT_EQ(r, -2);
  EXPECT_EQ(readFile(dest), "before\n");
  EXPECT_EQ(getGroupsListSize(), -1);
  EXPECT_EQ(faceIndex, 0);
  char buf[] = "x";
  EXPECT_EQ(call("AppendOBJ", nullptr, 0, buf), -9);
  EXPECT_EQ(call("AppendOBJ", "x", 0, nullptr), -9);
}

TEST_F(Groups, SwapPutsSourceVerticesFirstAndDropsComments) {
  std::string src = file("src.obj", "# new\nv 9 9 9 1 1 1\nvt 0 0\nf 1 2\nv 8 8 8\r\n");
  std::string dest = file("dest.obj", "# old header\no thing\nv 1 1 1\n\nvn 0 0 1\n#c\nv 2 2 2\nf 1 2\n");
  const std::string want =
      "# written by Tolvane plugin for Modrix\nv 9 9 9 1 1 1\nv 8 8 8\r\no thing\n\nvn 0 0 1\nf 1 2\n";
  ASSERT_TRUE(LeanSwapVerts(src.c_str(), dest.c_str()));
  EXPECT_EQ(readFile(dest), want);
  ASSERT_TRUE(LeanSwapVerts(dest.c_str(), dest.c_str()));  // into itself: the same layout
  EXPECT_EQ(readFile(dest), want);
}

TEST_F(Groups, SwapChecksEverythingBeforeWriting) {
  std::string dest8 = file("d8.obj", std::string(kCube));
  std::string seven;
  for (int i = 0; i < 7; ++i) seven += "v 5 5 5\n";
  std::string src7 = file("s7.obj", seven);
  std::string src8 = file("s8.obj", seven + "v 6 6 6\n");
  std::string onlyVerts = file("only.obj", "# c\n" + seven + "v 0 0 0\n");
  std::string noVerts = file("none.obj", "f 1 2 3\n");
  EXPECT_FALSE(LeanSwapVerts(src7.c_str(), dest8.c_str()));
  EXPECT_FALSE(LeanSwapVerts(src8.c_str(), onlyVerts.c_str()));
  EXPECT_FALSE(LeanSwapVerts(noVerts.c_str(), dest8.c_str()));
  EXPECT_FALSE(LeanSwapVerts(src8.c_str(), noVerts.c_str()));
  EXPECT_FALSE(LeanSwapVerts((dir / "missing").c_str(), dest8.c_str()));
  EXPECT_FALSE(LeanSwapVerts(src8.c_str(), (dir / "missing").c_str()));
  EXPECT_FALSE(LeanSwapVerts(src8.c_str(), dir.path().c_str()));
  EXPECT_EQ(readFile(dest8), kCube);
  EXPECT_EQ(readFile(onlyVerts), "# c\n" + seven + "v 0 0 0\n");
  EXPECT_FALSE(exists(dir / "missing"));
  EXPECT_EQ(call("SwapVertices", src7.c_str(), 0, dest8), -1);
  EXPECT_EQ(call("SwapVertices", nullptr, 0, dest8), -2);
  EXPECT_EQ(call("SwapVertices", src8.c_str(), 0, dest8), 0);
}

TEST_F(Groups, ASwapThatFailsHalfWayLeavesTheDestinationWhole) {
  std::string verts, others;
  for (int i = 0; i < 20000; ++i) verts += "v 1.000000 2.000000 3.000000\n";
  for (int i = 0; i < 20000; ++i) others += "f 1 2 3\n";
  std::string dest = file("dest.obj", verts + others);
  std::string src = file("src.obj", verts);
  float r = withFileSizeLimit(100000, [&] { return LeanSwapVerts(src.c_str(), dest.c_str()) ? 0.f : -1.f; });
  EXPECT_EQ(r, -1);
  EXPECT_EQ(readFile(dest), verts + others);
  std::vector<std::string> names = dir.list();
  EXPECT_EQ(names, (std::vector<std::string>{"dest.obj", "src.obj"}));  // no temporary left
}

TEST_F(Groups, ListedSplitFollowsTheListNotTheGroupLines) {
  std::string v = "v 1 0 0\nv 2 0 0\nv 3 0 0\nv 4 0 0\n";
  std::string obj = file("m.obj", v + "g x\nf 1\nf 2\ng y\nf 3\nf 4\nf 1 4\n");
  std::string out = dir / "q/any";
  ASSERT_TRUE(testsupport::makeDir(dir / "q"));
  EXPECT_EQ(ListSplitQiv(obj.c_str(), out.c_str()), -5);
  addToGroupsList("b", 1);
  addToGroupsList("a", 2);
  addToGroupsList("c", 1);
  addToGroupsList("a", 1);  // same name again: the earlier entry's set is written
  EXPECT_EQ(ListSplitQiv((dir / "none.obj").c_str(), out.c_str()), -1);
  ASSERT_EQ(ListSplitQiv(obj.c_str(), out.c_str()), 0);
  EXPECT_EQ(readFile(dir / "q/b.Qit"), qit({1, 0, 0}));
  EXPECT_EQ(readFile(dir / "q/a.Qit"), qit({2, 0, 0, 3, 0, 0}));
  // The last entry (the second "a") takes the extra face, and reaches no file.
  EXPECT_EQ(readFile(dir / "q/c.Qit"), qit({4, 0, 0}));
  EXPECT_EQ(dir.list().size(), 2u);

  // One entry takes every face; an entry past the OBJ's faces gets a header.
  clearGroupsList();
  addToGroupsList("all", 1);
  ASSERT_EQ(ListSplitQiv(obj.c_str(), out.c_str()), 0);
  EXPECT_EQ(readFile(dir / "q/all.Qit"), qit({1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0}));
  clearGroupsList();
  addToGroupsList("b", 5);
  addToGroupsList("late", 3);
  ASSERT_EQ(ListSplitQiv(obj.c_str(), out.c_str()), 0);
  EXPECT_EQ(readFile(dir / "q/late.Qit"), qit({}));
  EXPECT_EQ(readFile(dir / "q/b_copy1.Qit"), qit({1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0}));
  EXPECT_EQ(call("ListSplitOBJtoQiv", obj.c_str(), 0, std::string(out)), -5);  // the library's own list is empty
}

// Append the parts, save and load the list, split the combined mesh back by
// the list and by its group lines, and swap the positions into the parts.
TEST_F(Groups, RoundTripThroughACombinedMesh) {
  const std::vector<std::string> parts = {"cube.obj", "pyramid.obj", "wedge.obj"};
  std::string combined = dir / "combined.obj";
  float offset = 0;
  for (const std::string& p : parts) offset = LeanAddGroupOBJ(copyExample(p).c_str(), combined.c_str(), int(offset));
  EXPECT_EQ(offset, 8 + 5 + 6);
  std::string list = dir / "parts.grp";
  ASSERT_EQ(saveGroupsList(list.c_str()), 0);
  clearGroupsList();
  ASSERT_EQ(loadGroupsList(list.c_str()), 0);
  ASSERT_EQ(getGroupsListSize(), 3);

  // Qit files by the list equal those of each part split on its own.
  ASSERT_TRUE(testsupport::makeDir(dir / "list"));
  ASSERT_TRUE(testsupport::makeDir(dir / "own"));
  ASSERT_EQ(ListSplitQiv(combined.c_str(), (dir / "list/x").c_str()), 0);
  for (const std::string& p : parts) {
    ASSERT_EQ(LeanSplitQiv((dir / p).c_str(), (dir / "own/x").c_str()), 0);
    std::string name = p.substr(0, p.find('.'));
    // The CRLF part's own group line keeps its CR in the name; the combined
    // mesh's group lines are written fresh.
#if defined(_WIN32)
    std::string own = name;  // no Windows file name holds the CR
#else
    std::string own = name + (p == "pyramid.obj" ? "\r" : "");
#endif
    EXPECT_EQ(readFile(dir / ("list/" + name + ".Qit")), readFile(dir / ("own/" + own + ".Qit"))) << p;
  }
  EXPECT_EQ(readFile(dir / "list/pyramid.Qit"), qit({0, 1.25f, 0, -1, 0, -1, 1, 0, -1, 1, 0, 1, -1, 0, 1}));

  // Vertex-only files by the group lines, swapped into copies of the parts,
  // give what swapping each part into itself gives.
  ASSERT_TRUE(testsupport::makeDir(dir / "obj"));
  ASSERT_EQ(LeanSplitOBJ(combined.c_str(), (dir / "obj/x").c_str()), 0);
  for (const std::string& p : parts) {
    std::string target = file("t_" + p, readFile(dir / p));
    ASSERT_TRUE(LeanSwapVerts((dir / ("obj/" + p)).c_str(), target.c_str())) << p;
    ASSERT_TRUE(LeanSwapVerts((dir / p).c_str(), (dir / p).c_str()));
    EXPECT_EQ(readFile(target), readFile(dir / p)) << p;
  }
}

}  // namespace
