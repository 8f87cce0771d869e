// tolvane-call as a user runs it: help and list, calls by name, scripts, nulls, numbers, exit statuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

#include "host/entry_table.h"
#include "support/support.h"

using namespace testsupport;

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

// tolvane-call with `args`, `input` on stdin, $TOLVANE_LIBRARY `libEnv`.
Outcome run(const std::vector<std::string>& args, const std::string& input = "", const char* libEnv = nullptr) {
  TempDir dir;
  writeFile(dir / "in", input);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(open((dir / "in").c_str(), O_RDONLY), 0);
    dup2(open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    dup2(open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    libEnv ? setenv("TOLVANE_LIBRARY", libEnv, 1) : unsetenv("TOLVANE_LIBRARY");
    std::vector<char*> argv{const_cast<char*>(TOLVANE_CALL_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(TOLVANE_CALL_PATH, argv.data());
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  return {WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, readFile(dir / "out"), readFile(dir / "err")};
}

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }
std::string okOut(const Outcome& r) {  // what a run that exits 0 prints
  EXPECT_EQ(r.status, 0) << r.err;
  return r.out;
}

}  // namespace

TEST(ToolHelp, HelpAndListShowEveryEntryPointWithItsArgumentsAndCodes) {
  Outcome help = run({"--help"}), list = run({"--list"}), one = run({"--list", "QIVTOobj"});  // any case
  EXPECT_TRUE(help.status == 0 && list.status == 0 && one.status == 0);
  EXPECT_TRUE(contains(help.out, "usage: tolvane-call") && contains(help.out, "\n" + list.out)) << help.out;
  for (const tolvane::table::Entry& e : tolvane::table::kEntries)  // with its arguments, or alone on its line
    EXPECT_TRUE(std::regex_search("\n" + list.out, std::regex("\n" + std::string(e.name) + "( <|\n)"))) << e.name;
  EXPECT_TRUE(contains(list.out, "\nAppendOBJ <source OBJ path> <vertex offset> <combined OBJ path>\n"));
  // Codes are wrapped, never cut.
  const std::string flat = std::regex_replace(list.out, std::regex("\\s+"), " ");
  EXPECT_TRUE(contains(flat, "a chunk tag (>0) when the chunks are out of order"));
  EXPECT_EQ(one.out.rfind("qivtoOBJ <Qiv path> <OBJ path>\n    result: ", 0), 0u) << one.out;
  EXPECT_FALSE(contains(one.out, "getFaceIDs"));
}

TEST(ToolErrors, RefusalsRunNothingAndSayWhy) {
  TempDir dir;
  writeFile(dir / "quote.txt", "Version\nSetInColor '1\n");
  const struct {
    std::vector<std::string> args;
    std::string input, err;
  } cases[] = {
      {{"Version", "--", "version"}, "", "no entry point named 'version'; did you mean 'Version'?"},
      {{"Nope"}, "", "no entry point named 'Nope' (see --list)"},
      {{"CropBMP_SetWidth", "12x"}, "", "CropBMP_SetWidth: '12x' is not a number"},
      {{"SetInColor", "1e999"}, "", "'1e999' is out of range"},
      {{"Version", "extra"}, "", "Version takes no arguments (or all three: TEXT NUMBER BUFFER), got 1"},
      {{"SetInColor"}, "", "SetInColor takes 1 argument (packed colour R*65536+G*256+B), or all three"},
      {{"--frobnicate", "Version"}, "", "unknown option --frobnicate"},
      {{"--lib", "/nonexistent/libtolvane.so", "Version"}, "", "cannot load the library"},
      {{"--lib", "libc.so.6", "Version"}, "", "'Version' is not in this library"},  // an older build
      {{"-f", dir / "quote.txt"}, "", "quote.txt:2: unclosed quote"},
      // '#' inside quotes is part of the word: "1#2" is no number.
      {{"-f", "-"}, "Version\n\nSetInColor \"1#2\"\n", "<stdin>:3: bad call; nothing was run"},
  };
  for (const auto& c : cases) {
    Outcome r = run(c.args, c.input);
    EXPECT_TRUE(r.status == 2 && r.out.empty()) << r.status << ", " << r.out << ", " << r.err;
    EXPECT_TRUE(contains(r.err, c.err)) << r.err;
  }
  EXPECT_EQ(run({"Version"}, "", "/nonexistent/env.so").status, 2);
}

TEST(ToolScript, LibraryNumbersCommentsQuotesAndCarriageReturns) {
  EXPECT_EQ(run({"--lib", TOLVANE_LIBRARY_PATH, "Version"}).out, "Version = 4.03 (ok)\n");
  EXPECT_EQ(run({"Version"}, "", TOLVANE_LIBRARY_PATH).out, "Version = 4.03 (ok)\n");
  // Empty, '-', spaces, exponents and nan are numbers; quotes make words.
  TempDir dir;
  writeFile(dir / "a b.txt", "payload");
  const std::string script = "# set up\n\n   Version   # trailing comment\r\nCropBMP_SetWidth '12.5'\n"
                             "SetInColor \"\"\nSetInColor ' 7'\nSetInColor 1.5e3\nSetInColor nan\nVersion - - -\n"
                             "FileCopyTo '" + (dir / "a b.txt") + "' \"" + (dir / "c #d.txt") + "\"\n";
  writeFile(dir / "job.txt", script);
  const std::string out = okOut(run({"-f", dir / "job.txt"}));
  EXPECT_EQ(out, "Version = 4.03 (ok)\nCropBMP_SetWidth = 0 (ok)\nSetInColor = 0 (ok)\nSetInColor = 0 (ok)\n"
                 "SetInColor = 0 (ok)\nSetInColor = 0 (ok)\nVersion = 4.03 (ok)\nFileCopyTo = 0 (ok)\n");
  EXPECT_EQ(readFile(dir / "c #d.txt"), "payload");
  EXPECT_EQ(run({"-f", "-"}, script).out, out) << "the same script from standard input";
  EXPECT_EQ(run({"SetInColor", "-", "--", "CropBMP_SetWidth", ""}).out, "SetInColor = 0 (ok)\nCropBMP_SetWidth = 0 (ok)\n");
  // In a freshly loaded library the crop width is 50 and the match colour 0.
  writeFile(dir / "a.psd", rgbPsd(2, 1, [](int x, int) { return x ? RGB{} : RGB{9, 9, 9}; }).bytes());
  writeFile(dir / "in.bmp", testsupport::bmp(60, 5, [](int i, int) { return uint8_t(i); }));
  okOut(run({"CropBMPfile", dir / "in.bmp", "0", dir / "out.bmp", "--", "MakeStencilPSD", dir / "a.psd", "255"}));
  EXPECT_EQ(readFile(dir / "out.bmp").substr(18, 4), std::string("\x32\0\0\0", 4));
  EXPECT_EQ(readFile(dir / "a.psd"), rgbPsd(2, 1, [](int x, int) { return x ? RGB{} : RGB{0, 0, 255}; }).bytes());
}

TEST(ToolResults, NullsFailuresCountsAndExitStatuses) {
  TempDir dir;
  // '-' passes a null text: the entry point's own check answers.
  const std::string failed = "FileDelete = -1 (failed: not removed (or no path))\n";
  EXPECT_EQ(run({"FileDelete", "-"}).out, failed);
  // The first failure stops the rest and exits 1; -k goes on and still exits 1.
  Outcome stop = run({"FileDelete", dir / "absent", "--", "Version"});
  Outcome keep = run({"-k", "FileDelete", dir / "absent", "--", "Version"});
  EXPECT_TRUE(stop.status == 1 && keep.status == 1);
  EXPECT_EQ(std::pair(stop.out, keep.out), std::pair(failed, failed + "Version = 4.03 (ok)\n"));
  EXPECT_EQ(run({"qivtoOBJ", dir / "a.qiv", dir / "a.obj"}).out, "qivtoOBJ = -18 (failed: no face IDs loaded)\n");
  EXPECT_EQ(run({"GroupListClear", "--", "GroupListSize"}).out,
            "GroupListClear = 0 (ok)\nGroupListSize = -1 (failed: list empty)\n");
  // Counts are printed in full.
  writeFile(dir / "part.obj", "v 1 2 3\nv 4 5 6\nf 1 2 1\n");
  EXPECT_EQ(okOut(run({"AppendOBJ", dir / "part.obj", "1234567", dir / "all.obj"})),
            "AppendOBJ = 1234569 (ok: next vertex offset)\n");
  // Quiet: delivered strings and the name check's attempt numbers only.
  EXPECT_EQ(okOut(run({"-q", "CheckName", "body", "--", "CheckName", "body", "--", "ClearNameSet", "--", "CheckName",
                       "body"})),
            "body\n1\nbody_copy1\nbody\n");
}
