// The group list, its file, the name set, and the checks of their entry
// points.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "groups/groups.h"
#include "support/support.h"

using testsupport::call;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

using namespace std::string_literals;

namespace {

class GroupList : public ::testing::Test {
 protected:
  void SetUp() override {
    clearGroupsList();
    NameSetClear();
  }
  TempDir dir;
};

std::string record(const std::string& name, int first, int end) {
  std::string r(name);
  r.resize(128, '\0');
  testsupport::putU32(r, unsigned(first));
  testsupport::putU32(r, unsigned(end));
  return r;
}

TEST_F(GroupList, RangesFollowOneAnotherAndClearResets) {
  EXPECT_EQ(getGroupsListSize(), -1);
  addToGroupsList("a", 3);
  EXPECT_EQ(getGroupsListSize(), 1);
  addToGroupsList("b", 2);
  EXPECT_EQ(groupsList[0].firstFace, 0);
  EXPECT_EQ(groupsList[0].endFace, 3);
  EXPECT_EQ(groupsList[1].firstFace, 3);
  EXPECT_EQ(groupsList[1].endFace, 5);
  EXPECT_EQ(faceIndex, 5);
  EXPECT_EQ(getGroupName(1), "b");
  EXPECT_EQ(getGroupName(-1), "null");
  addToGroupsList(std::string(300, 'n').c_str(), 1);
  EXPECT_EQ(getGroupName(2), std::string(127, 'n'));  // long names are cut
  clearGroupsList();
  EXPECT_EQ(getGroupsListSize(), -1);
  EXPECT_EQ(faceIndex, 0);
  EXPECT_EQ(getGroupName(0), "null");
}

TEST_F(GroupList, SaveWritesRecordsByteForByteAndLoadReadsThemBack) {
  addToGroupsList("body", 6);
  addToGroupsList("arm", 12);
  addToGroupsList("Arm", 1);
  std::string path = dir / "list.grp";
  ASSERT_EQ(saveGroupsList(path.c_str()), 0);
  std::string want = record("body", 0, 6) + record("arm", 6, 18) + record("Arm", 18, 19);
  ASSERT_EQ(readFile(path), want);

  ASSERT_EQ(loadGroupsList(path.c_str()), 0);
  ASSERT_EQ(groupsList.size(), 3u);
  EXPECT_EQ(getGroupName(2), "Arm");
  EXPECT_EQ(groupsList[1].firstFace, 6);
  EXPECT_EQ(groupsList[1].endFace, 18);
  EXPECT_EQ(faceIndex, 0);
  addToGroupsList("leg", 2);  // starts at face 0 again after a load
  EXPECT_EQ(groupsList[3].firstFace, 0);
}

TEST_F(GroupList, SaveFailuresLeaveAnExistingFileAlone) {
  std::string path = dir / "list.grp";
  writeFile(path, "keep");
  EXPECT_EQ(saveGroupsList(path.c_str()), -1);  // empty list
  EXPECT_EQ(readFile(path), "keep");
  addToGroupsList("a", 1);
  EXPECT_EQ(saveGroupsList((dir / "missing/list.grp").c_str()), -3);
  EXPECT_EQ(saveGroupsList(dir.path().c_str()), -3);  // a folder
  EXPECT_EQ(readFile(path), "keep");
}

TEST_F(GroupList, LoadOfDamagedFilesIsDefined) {
  addToGroupsList("old", 4);
  EXPECT_EQ(loadGroupsList((dir / "none.grp").c_str()), -3);
  EXPECT_EQ(getGroupsListSize(), -1);
  EXPECT_EQ(loadGroupsList(dir.path().c_str()), -3);

  std::string empty = dir / "empty.grp";
  writeFile(empty, "");
  EXPECT_EQ(loadGroupsList(empty.c_str()), 0);
  EXPECT_EQ(getGroupsListSize(), -1);

  // A partial last record keeps its bytes and reads zero for the rest; a
  // name field without NUL ends at byte 127.
  std::string raw = std::string(128, 'z') + "\x05\0\0\0\x09\0\0\0"s + "tail\0\0\x07"s;
  std::string partial = dir / "partial.grp";
  writeFile(partial, raw);
  ASSERT_EQ(loadGroupsList(partial.c_str()), 0);
  ASSERT_EQ(groupsList.size(), 2u);
  EXPECT_EQ(getGroupName(0), std::string(127, 'z'));
  EXPECT_EQ(groupsList[0].firstFace, 5);
  EXPECT_EQ(groupsList[0].endFace, 9);
  EXPECT_EQ(getGroupName(1), "tail");
  EXPECT_EQ(groupsList[1].firstFace, 0);
  EXPECT_EQ(groupsList[1].endFace, 0);
}

TEST(GroupListEntries, ChecksComeInTheTablesOrder) {
  char buf[256] = "untouched";
  call("GroupListClear", nullptr, 0, nullptr);
  EXPECT_EQ(call("GroupListSize", nullptr, 0, nullptr), -1);
  EXPECT_EQ(call("GroupListAdd", nullptr, 0.9, nullptr), -2);
  EXPECT_EQ(call("GroupListAdd", nullptr, 3, nullptr), -1);
  EXPECT_EQ(call("GroupListAdd", "a", -4, nullptr), -2);
  EXPECT_EQ(call("GroupListAdd", "a", 3.7, nullptr), 0);
  EXPECT_EQ(call("GroupListSize", nullptr, 0, nullptr), 1);
  EXPECT_EQ(call("GroupListGetName", nullptr, -1, buf), -1);
  EXPECT_STREQ(buf, "untouched");
  EXPECT_EQ(call("GroupListGetName", nullptr, NAN, buf), -1);
  EXPECT_EQ(call("GroupListGetName", nullptr, -0.5, buf), 0);
  EXPECT_STREQ(buf, "a");
  EXPECT_EQ(call("GroupListGetName", nullptr, 1, buf), 0);
  EXPECT_STREQ(buf, "null");
  EXPECT_EQ(call("GroupListSave", nullptr, 0, nullptr), -9);
  EXPECT_EQ(call("GroupListLoad", nullptr, 0, nullptr), -9);
  EXPECT_EQ(call("GroupListClear", nullptr, 0, nullptr), 0);
  EXPECT_EQ(call("GroupListSize", nullptr, 0, nullptr), -1);
}

TEST_F(GroupList, NameCheckHandsOutCopiesAndPrintsEveryAttempt) {
  const std::pair<const char*, const char*> calls[] = {
      {"body", "body"},           {"body", "body_copy1"},       {"body", "body_copy2"},
      {"body_copy1", "body_copy3"}, {"body_copy7", "body_copy7"}, {"body_copy7", "body_copy4"},
      {"Body", "Body"},           {"a_copyX", "a_copyX"},       {"a_copyX", "a_copy1"},
      {"", ""},                   {"", "_copy1"}};
  testing::internal::CaptureStdout();
  for (const auto& [name, given] : calls) EXPECT_EQ(NameCheck(name), given) << name;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "1\n1\n2\n1\n2\n3\n1\n2\n3\n4\n1\n1\n");
  NameSetClear();
  EXPECT_EQ(NameCheck("body"), "body");
}

TEST(NameCheckEntries, CopiesTheNameAndRefusesNullPointers) {
  char buf[256] = "untouched";
  call("ClearNameSet", nullptr, 0, nullptr);
  EXPECT_EQ(call("CheckName", nullptr, 0, buf), -1);
  EXPECT_EQ(call("CheckName", "x", 0, nullptr), -1);
  EXPECT_STREQ(buf, "untouched");
  EXPECT_EQ(call("CheckName", "x", 0, buf), 0);  // the failed call above did not take "x"
  EXPECT_STREQ(buf, "x");
  testing::internal::CaptureStdout();
  EXPECT_EQ(call("CheckName", "x", 0, buf), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "1\n");
  EXPECT_STREQ(buf, "x_copy1");
  EXPECT_EQ(call("ClearNameSet", nullptr, 0, nullptr), 0);
  EXPECT_EQ(call("CheckName", "x", 0, buf), 0);
  EXPECT_STREQ(buf, "x");
}

}  // namespace
