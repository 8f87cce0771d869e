// The group append, the OBJ vertex swap, the listed split, the group list
// and its file, the name set, and the checks of their entry points.
#include "groups/groups.h"

#include <gtest/gtest.h>

#include <cmath>

#include "same_text.h"
#include "support/support.h"

using namespace testsupport;
using namespace std::string_literals;

namespace {

class Groups : public ::testing::Test {
 protected:
  void SetUp() override { tolvane::clearGroupList(); }
  std::string file(const std::string& name, const std::string& bytes) {
    writeFile(dir / name, bytes);
    return dir / name;
  }
  TempDir dir;
};

const std::string kCubeVertices = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n";
const std::string kCube = "# cube\n" + kCubeVertices +
                          "vt 0 0\nvn 0 0 1\ng side\nusemtl m\nf 1/1/1 2/1/1 3/1/1 4/1/1\nf 5 6 7 8\ng other\n"
                          "f 1//1 2//1 6//1 5//1\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";

TEST_F(Groups, AppendWritesTheCombinedLayoutAndRecordsRanges) {
  std::string cube = file("cube.obj", kCube), dest = dir / "all.obj";
  EXPECT_EQ(tolvane::appendGroup(cube.c_str(), dest.c_str(), 0), 8);
  EXPECT_EQ(tolvane::appendGroup(cube.c_str(), dest.c_str(), 8), 16);
  EXPECT_TRUE(sameText(readFile(dest), kCubeVertices + "g cube\nf 1 2 3 4 \nf 5 6 7 8 \ng cube\nf 1 2 6 5 \nf 2 3 7 6 \n"
                       "f 3 4 8 7 \nf 4 1 5 8 \n" + kCubeVertices + "g cube\nf 9 10 11 12 \nf 13 14 15 16 \ng cube\n"
                       "f 9 10 14 13 \nf 10 11 15 14 \nf 11 12 16 15 \nf 12 9 13 16 \n"));
  ASSERT_EQ(groupsList.size(), 2u);
  EXPECT_EQ((std::vector<int>{groupsList[0].endFace, groupsList[1].firstFace, faceIndex}), (std::vector<int>{6, 6, 12}));
  // No group line: none is written, the entry takes the file's name. The
  // offset is added, never the running counter; "f" alone counts.
  tolvane::clearGroupList();
  ASSERT_TRUE(makeDir(dir / "dir.d"));
  std::string src = file("dir.d/a.b.obj", "f 1 -1 x 2\r\nv 1 2 3\r\nf\nfo 3\nv 4 5 6\n");
  writeFile(dest, "existing\n");
  EXPECT_EQ(tolvane::appendGroup(src.c_str(), dest.c_str(), 100), 102);
  EXPECT_TRUE(sameText(readFile(dest), "existing\nf 101 99 \nv 1 2 3\r\nf \nf 103 \nv 4 5 6\n"));
  EXPECT_TRUE(tolvane::groupName(0) == "a.b" && groupsList[0].endFace == 3);
  // Numbers of every length, lines across the reader's blocks, no last LF.
  std::string big;
  for (int i = 0; i < 30000; ++i) big += "v " + std::to_string(i) + ".123456 -2.5 " + std::to_string(i * 7) + "\n";
  src = file("big.obj", big + "f 7 1234567 12345678 123456789 2147483647 -2147483648\t+5 x 9\n" + big + "v 1 2 3");
  writeFile(dest, "");
  EXPECT_EQ(tolvane::appendGroup(src.c_str(), dest.c_str(), 100), 60101);
  EXPECT_TRUE(sameText(readFile(dest), big + "f 107 1234667 12345778 123456889 2147483747 -2147483548 105 \n" + big + "v 1 2 3\n"));
}

TEST_F(Groups, AppendFailuresWriteNothingAndAddNoEntry) {
  std::string cube = file("cube.obj", kCube), dest = file("all.obj", "before\n");
  EXPECT_EQ(tolvane::appendGroup((dir / "none.obj").c_str(), dest.c_str(), 0), -1);
  EXPECT_EQ(tolvane::appendGroup(cube.c_str(), (dir / "no/all.obj").c_str(), 0), -2);
  EXPECT_EQ(tolvane::appendGroup(cube.c_str(), dir.path().c_str(), 0), -2);
  char buf[] = "x";
  EXPECT_TRUE(call("AppendOBJ", nullptr, 0, buf) == -9 && call("AppendOBJ", "x", 0, nullptr) == -9);
  EXPECT_EQ(readFile(dest), "before\n");
  EXPECT_TRUE(tolvane::groupListSize() == -1 && faceIndex == 0);
}

TEST_F(Groups, SwapPutsSourceVerticesFirstAndDropsComments) {
  std::string src = file("src.obj", "# new\nv 9 9 9 1 1 1\nvt 0 0\nf 1 2\nv 8 8 8\r\n");
  std::string dest = file("dest.obj", "# old header\no thing\nv 1 1 1\n\nvn 0 0 1\n#c\nv 2 2 2\nf 1 2\n");
  const std::string want =
      "# written by Tolvane plugin for Modrix\nv 9 9 9 1 1 1\nv 8 8 8\r\no thing\n\nvn 0 0 1\nf 1 2\n";
  ASSERT_TRUE(tolvane::swapVertices(src.c_str(), dest.c_str()));
  EXPECT_EQ(readFile(dest), want);
  ASSERT_TRUE(tolvane::swapVertices(dest.c_str(), dest.c_str()));  // into itself: the same layout
  EXPECT_EQ(readFile(dest), want);
  // An empty line is kept like any other, first in its piece too.
  const std::string blank = file("blank.obj", "\nv 1 1 1\nv 2 2 2\nf 1 2 1\n");
  ASSERT_TRUE(tolvane::swapVertices(src.c_str(), blank.c_str()));
  EXPECT_EQ(readFile(blank), "# written by Tolvane plugin for Modrix\nv 9 9 9 1 1 1\nv 8 8 8\r\n\nf 1 2 1\n");
}

TEST_F(Groups, SwapChecksEverythingBeforeReplacing) {
  std::string seven;
  for (int i = 0; i < 7; ++i) seven += "v 5 5 5\n";
  const std::string cube = file("cube.obj", kCube), src7 = file("s7.obj", seven),
                    src8 = file("s8.obj", seven + "v 6 6 6\n"),
                    onlyVerts = file("only.obj", "# c\n" + seven + "v 0 0 0\n"),
                    noVerts = file("none.obj", "f 1 2 3\n"), missing = dir / "missing";
  for (const auto& [from, to] : {std::pair{src7, cube}, {src8, onlyVerts}, {noVerts, cube}, {src8, noVerts},
                                 {missing, cube}, {src8, missing}, {src8, dir.path()}})
    EXPECT_FALSE(tolvane::swapVertices(from.c_str(), to.c_str())) << from << " " << to;
  EXPECT_EQ(readFile(cube), kCube);
  EXPECT_EQ(readFile(onlyVerts), "# c\n" + seven + "v 0 0 0\n");
  EXPECT_FALSE(exists(missing));
  EXPECT_EQ(dir.list().size(), 5u) << "a refused swap leaves no new text behind";
  EXPECT_EQ(call("SwapVertices", src7.c_str(), 0, cube), -1);
  EXPECT_EQ(call("SwapVertices", nullptr, 0, cube), -2);
  EXPECT_EQ(call("SwapVertices", src8.c_str(), 0, cube), 0);
}

TEST_F(Groups, ListedSplitFollowsTheListNotTheGroupLines) {
  std::string obj = file("m.obj", "v 1 0 0\nv 2 0 0\nv 3 0 0\nv 4 0 0\ng x\nf 1\nf 2\ng y\nf 3\nf 4\nf 1 4\n");
  std::string out = dir / "q/any";
  ASSERT_TRUE(makeDir(dir / "q"));
  EXPECT_EQ(tolvane::listSplitQit(obj.c_str(), out.c_str()), -5);
  EXPECT_EQ(call("ListSplitOBJtoQiv", obj.c_str(), 0, std::string(out)), -5);
  for (auto [name, faces] : {std::pair{"b", 1}, {"a", 2}, {"c", 1}, {"a", 1}})  // a again: its first set is written
    tolvane::addToGroupList(name, faces);
  EXPECT_EQ(tolvane::listSplitQit((dir / "none.obj").c_str(), out.c_str()), -1);
  ASSERT_EQ(tolvane::listSplitQit(obj.c_str(), out.c_str()), 0);
  // The last entry (the second "a") takes the extra face, and reaches no file.
  EXPECT_EQ((std::vector<std::string>{readFile(dir / "q/b.Qit"), readFile(dir / "q/a.Qit"), readFile(dir / "q/c.Qit")}),
            (std::vector<std::string>{qit({1, 0, 0}), qit({2, 0, 0, 3, 0, 0}), qit({4, 0, 0})}));
  EXPECT_EQ(dir.list().size(), 2u);
  // An entry past the faces gets a header alone; one takes all it can.
  tolvane::clearGroupList();
  tolvane::addToGroupList("b", 5), tolvane::addToGroupList("late", 3);
  ASSERT_EQ(tolvane::listSplitQit(obj.c_str(), out.c_str()), 0);
  EXPECT_EQ(readFile(dir / "q/late.Qit"), qit({}));
  EXPECT_EQ(readFile(dir / "q/b_copy1.Qit"), qit({1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0}));
}

std::string record(const std::string& name, int first, int end) {
  std::string r(name);
  r.resize(128, '\0');
  putU32(r, unsigned(first));
  putU32(r, unsigned(end));
  return r;
}

TEST(GroupList, SaveWritesRecordsByteForByteAndLoadReadsThemBack) {
  TempDir dir;
  const std::string path = dir / "list.grp";
  tolvane::clearGroupList();
  writeFile(path, "keep");
  EXPECT_EQ(tolvane::saveGroupList(path.c_str()), -1);  // empty list
  const std::string longName(300, 'n');  // long names are cut
  for (auto [name, faces] : {std::pair{"body", 6}, {"arm", 12}, {"Arm", 1}, {longName.c_str(), 1}})
    tolvane::addToGroupList(name, faces);
  EXPECT_TRUE(tolvane::groupListSize() == 4 && faceIndex == 20);
  EXPECT_EQ(tolvane::saveGroupList((dir / "missing/list.grp").c_str()), -3);
  EXPECT_EQ(tolvane::saveGroupList(dir.path().c_str()), -3);  // a folder
  EXPECT_EQ(readFile(path), "keep");
  ASSERT_EQ(tolvane::saveGroupList(path.c_str()), 0);
  const std::string three = record("body", 0, 6) + record("arm", 6, 18) + record("Arm", 18, 19);
  ASSERT_EQ(readFile(path), three + record(std::string(127, 'n'), 19, 20));
  writeFile(path, three);
  ASSERT_EQ(tolvane::loadGroupList(path.c_str()), 0);
  ASSERT_EQ(groupsList.size(), 3u);
  EXPECT_EQ(tolvane::groupName(2) + tolvane::groupName(3), "Armnull");
  EXPECT_EQ(std::pair(groupsList[1].firstFace, groupsList[1].endFace), std::pair(6, 18));
  tolvane::addToGroupList("leg", 2);  // starts at face 0 again after a load
  EXPECT_EQ(groupsList[3].firstFace, 0);
  // Unreadable files empty the list; a partial last record reads zero past
  // its bytes; a name without NUL ends at byte 127.
  EXPECT_EQ(tolvane::loadGroupList((dir / "none.grp").c_str()), -3);
  EXPECT_EQ(tolvane::groupListSize(), -1);
  EXPECT_EQ(tolvane::loadGroupList(dir.path().c_str()), -3);
  writeFile(path, "");
  EXPECT_TRUE(tolvane::loadGroupList(path.c_str()) == 0 && tolvane::groupListSize() == -1);
  writeFile(path, std::string(128, 'z') + "\x05\0\0\0\x09\0\0\0"s + "tail\0\0\x07"s);
  ASSERT_EQ(tolvane::loadGroupList(path.c_str()), 0);
  ASSERT_EQ(groupsList.size(), 2u);
  EXPECT_EQ(tolvane::groupName(0) + tolvane::groupName(1), std::string(127, 'z') + "tail");
  EXPECT_EQ((std::vector<int>{groupsList[0].firstFace, groupsList[0].endFace, groupsList[1].firstFace,
                              groupsList[1].endFace}),
            (std::vector<int>{5, 9, 0, 0}));
}

TEST(GroupList, EntryPointsCheckInTheTablesOrder) {
  char buf[256] = "untouched";
  call("GroupListClear", nullptr, 0, nullptr);
  const struct {
    const char *entry, *text;
    double number;
    float result;
    const char* buffer;  // its text after the call
  } steps[] = {{"GroupListSize", nullptr, 0, -1, "untouched"},  {"GroupListAdd", nullptr, 0.9, -2, "untouched"},
               {"GroupListAdd", nullptr, 3, -1, "untouched"},   {"GroupListAdd", "a", -4, -2, "untouched"},
               {"GroupListAdd", "a", 3.7, 0, "untouched"},      {"GroupListSize", nullptr, 0, 1, "untouched"},
               {"GroupListGetName", nullptr, -1, -1, "untouched"}, {"GroupListGetName", nullptr, NAN, -1, "untouched"},
               {"GroupListGetName", nullptr, -0.5, 0, "a"},     {"GroupListGetName", nullptr, 1, 0, "null"},
               {"GroupListSave", nullptr, 0, -9, "null"},       {"GroupListLoad", nullptr, 0, -9, "null"},
               {"GroupListClear", nullptr, 0, 0, "null"},       {"GroupListSize", nullptr, 0, -1, "null"}};
  for (const auto& s : steps) {
    const bool named = std::string(s.entry) == "GroupListGetName";
    EXPECT_EQ(call(s.entry, s.text, s.number, named ? buf : nullptr), s.result) << s.entry << " " << s.number;
    EXPECT_STREQ(buf, s.buffer) << s.entry << " " << s.number;
  }
}

TEST(NameCheck, HandsOutCopiesAndPrintsEveryAttempt) {
  const std::pair<const char*, const char*> calls[] = {
      {"body", "body"},       {"body", "body_copy1"}, {"body", "body_copy2"}, {"body_copy1", "body_copy3"},
      {"body_copy7", "body_copy7"}, {"body_copy7", "body_copy4"}, {"Body", "Body"}, {"a_copyX", "a_copyX"},
      {"a_copyX", "a_copy1"}, {"", ""}, {"", "_copy1"}};
  tolvane::clearNameSet();
  testing::internal::CaptureStdout();
  for (const auto& [name, given] : calls) EXPECT_EQ(tolvane::checkName(name), given) << name;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "1\n1\n2\n1\n2\n3\n1\n2\n3\n4\n1\n1\n");
  // The entry points' set is the library's own; a refused call takes no name.
  char buf[256] = "untouched";
  EXPECT_EQ((std::vector<float>{call("ClearNameSet", nullptr, 0, nullptr), call("CheckName", nullptr, 0, buf),
                                call("CheckName", "x", 0, nullptr), call("CheckName", "x", 0, buf)}),
            (std::vector<float>{0, -1, -1, 0}));
  EXPECT_STREQ(buf, "x");
}

}  // namespace
