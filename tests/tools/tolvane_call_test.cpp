// tolvane-call as a user runs it: help and list, calls by name, scripts,
// nulls, numbers, exit statuses. Cases that need an entry point this build
// lacks are skipped.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../tools/entries.h"
#include "support/support.h"

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs tolvane-call with `args`, `input` on its standard input, and
// $TOLVANE_LIBRARY set to `libEnv` (unset when null).
Outcome run(const std::vector<std::string>& args, const std::string& input = "", const char* libEnv = nullptr) {
  TempDir dir;
  writeFile(dir / "in", input);
  pid_t pid = fork();
  if (pid == 0) {
    int in = open((dir / "in").c_str(), O_RDONLY);
    int out = open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0), dup2(out, 1), dup2(err, 2);
    if (libEnv) setenv("TOLVANE_LIBRARY", libEnv, 1);
    else unsetenv("TOLVANE_LIBRARY");
    std::vector<char*> argv{const_cast<char*>(TOLVANE_CALL_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(TOLVANE_CALL_PATH, argv.data());
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  Outcome r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  r.out = readFile(dir / "out");
  r.err = readFile(dir / "err");
  return r;
}

bool has(const char* name) { return dlsym(testsupport::library(), name) != nullptr; }

#define NEEDS(name) \
  if (!has(name)) GTEST_SKIP() << name << " is not in this build"

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

// The item of an entry point's codes text that starts with `code` (or is
// the first one, for code ""), without the code: the words tolvane-call
// prints for that result, whatever wording the row uses.
std::string rowWords(const std::string& name, const std::string& code) {
  for (const tolvane_call::Entry& e : tolvane_call::kEntries) {
    if (name != e.name) continue;
    std::string codes = std::string(", ") + e.codes + ", ";
    if (code.empty()) return codes.substr(2, codes.find(", ", 2) - 2);
    for (const std::string& lead : {", " + code + " ", ", or " + code + " "}) {
      size_t at = codes.find(lead);
      if (at != std::string::npos) {
        size_t from = at + lead.size();
        return codes.substr(from, codes.find(", ", from) - from);
      }
    }
  }
  ADD_FAILURE() << name << " lists no code " << code;
  return "";
}

}  // namespace

TEST(ToolHelp, HelpAndListShowEveryEntryPointWithItsArgumentsAndCodes) {
  Outcome help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(contains(help.out, "usage: tolvane-call")) << help.out;
  EXPECT_TRUE(contains(help.out, "Exit status"));
  Outcome list = run({"--list"});
  EXPECT_EQ(list.status, 0);
  for (const tolvane_call::Entry& e : tolvane_call::kEntries) {
    std::string synopsis = std::string("\n") + e.name;
    if (e.text) synopsis += std::string(" <") + e.text + ">";
    if (e.number) synopsis += std::string(" <") + e.number + ">";
    if (e.buffer == tolvane_call::Buf::In) synopsis += std::string(" <") + e.bufferRole + ">";
    EXPECT_TRUE(contains("\n" + list.out, synopsis + "\n")) << synopsis;
    EXPECT_TRUE(contains(help.out, synopsis + "\n")) << synopsis;
  }
  // Codes are wrapped, never cut: every word of every code list is there.
  std::string flat;
  for (char c : list.out)
    if (!std::isspace(static_cast<unsigned char>(c)) || (!flat.empty() && flat.back() != ' ')) flat += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
  EXPECT_TRUE(contains(flat, "a chunk tag (>0) when the chunks are out of order"));
}

// Every refusal exits 2 before any call runs, and says why.
TEST(ToolErrors, RefusalsRunNothingAndSayWhy) {
  TempDir dir;
  writeFile(dir / "quote.txt", "Version\nSetInColor '1\n");
  struct Case {
    std::vector<std::string> args;
    std::string input, err;
  } cases[] = {
      {{"--list", "nosuch"}, "", "'nosuch'"},
      {{"Version", "--", "version"}, "", "no entry point named 'version'; did you mean 'Version'?"},
      {{"Nope"}, "", "no entry point named 'Nope' (see --list)"},
      {{"CropBMP_SetWidth", "12x"}, "", "CropBMP_SetWidth: '12x' is not a number"},
      {{"SetInColor", "1e999"}, "", "'1e999' is out of range"},
      {{"SetInColor", "-", "0x", "-"}, "", "'0x' is not a number"},
      {{"Version", "extra"}, "", "Version takes no arguments (or all three: TEXT NUMBER BUFFER), got 1"},
      {{"SetInColor"}, "", "SetInColor takes 1 argument (packed colour R*65536+G*256+B), or all three"},
      {{"Version", "a", "1", "b", "c"}, "", "got 4"},
      {{"--lib"}, "", "--lib needs a path"},
      {{"-f"}, "", "-f needs a script file"},
      {{"-f", "-", "Version"}, "", "not both"},
      {{"--frobnicate", "Version"}, "", "unknown option --frobnicate"},
      {{}, "", ""},
      {{"--lib", "/nonexistent/libtolvane.so", "Version"}, "", "cannot load the library"},
      {{"--lib", "/nonexistent/libtolvane.so", "Version"}, "", "/nonexistent/libtolvane.so"},
      {{"--lib", "libc.so.6", "Version"}, "", "'Version' is not in this library"},  // an older build
      {{"-f", dir / "quote.txt"}, "", "quote.txt:2: unclosed quote"},
      {{"-f", dir / "absent.txt"}, "", ""},
      // '#' inside quotes is part of the word.
      {{"-f", "-"}, "Version\n\nSetInColor \"1#2\"\n", "'1#2' is not a number"},
      {{"-f", "-"}, "Version\n\nSetInColor \"1#2\"\n", "<stdin>:3: bad call; nothing was run"},
  };
  for (const Case& c : cases) {
    Outcome r = run(c.args, c.input);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err, c.err)) << r.err;
  }
  EXPECT_EQ(run({"Version"}, "", "/nonexistent/env.so").status, 2);
}

TEST(ToolErrors, NumbersTheToolAccepts) {
  // Empty, '-', spaces, exponents and nan are numbers.
  Outcome ok = run({"CropBMP_SetWidth", "", "--", "SetInColor", "-", "--", "SetInColor", " 7", "--", "SetInColor",
                    "1.5e3", "--", "SetInColor", "nan"});
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, "CropBMP_SetWidth = 0 (ok)\nSetInColor = 0 (ok)\nSetInColor = 0 (ok)\nSetInColor = 0 (ok)\n"
                    "SetInColor = 0 (ok)\n");
  Outcome one = run({"--list", "QIVTOobj"});  // any case
  EXPECT_EQ(one.out.rfind("qivtoOBJ <Qiv path> <OBJ path>\n    result: ", 0), 0u) << one.out;
  EXPECT_FALSE(contains(one.out, "getFaceIDs"));
}

TEST(ToolLibrary, FoundNextToTheProgramOrWhereTold) {
  EXPECT_EQ(run({"Version"}).out, "Version = 4.03 (ok)\n");
  EXPECT_EQ(run({"--lib", TOLVANE_LIBRARY_PATH, "Version"}).out, "Version = 4.03 (ok)\n");
  EXPECT_EQ(run({"Version"}, "", TOLVANE_LIBRARY_PATH).out, "Version = 4.03 (ok)\n");
}

TEST(ToolScript, CommentsQuotesBlankLinesAndCarriageReturns) {
  TempDir dir;
  writeFile(dir / "job.txt",
            "# set up\n"
            "\n"
            "   Version   # trailing comment\r\n"
            "CropBMP_SetWidth '12.5'\n"
            "SetInColor \"\"   # '' and \"\" are empty words: number 0\n"
            "Version - - -\n");
  Outcome r = run({"-f", dir / "job.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Version = 4.03 (ok)\nCropBMP_SetWidth = 0 (ok)\nSetInColor = 0 (ok)\nVersion = 4.03 (ok)\n");
  // The same script from standard input.
  EXPECT_EQ(run({"-f", "-"}, readFile(dir / "job.txt")).out, r.out);
}

TEST(ToolScript, QuotedPathsWithSpacesReachTheLibrary) {
  NEEDS("FileCopyTo");
  TempDir dir;
  writeFile(dir / "a b.txt", "payload");
  writeFile(dir / "job.txt", "FileCopyTo '" + (dir / "a b.txt") + "' \"" + (dir / "c #d.txt") + "\"\n");
  Outcome r = run({"-f", dir / "job.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(dir / "c #d.txt"), "payload");
}

TEST(ToolResults, NullsFailuresAndExitStatuses) {
  NEEDS("FileDelete");
  TempDir dir;
  // '-' passes a null text: the entry point's own check answers.
  const std::string failed = "FileDelete = -1 (failed: " + rowWords("FileDelete", "-1") + ")\n";
  Outcome null = run({"FileDelete", "-"});
  EXPECT_EQ(null.status, 1);
  EXPECT_EQ(null.out, failed);
  // The first failure stops the rest; -k goes on and still exits 1.
  Outcome stop = run({"FileDelete", dir / "absent", "--", "Version"});
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(stop.out, failed);
  Outcome keep = run({"-k", "FileDelete", dir / "absent", "--", "Version"});
  EXPECT_EQ(keep.status, 1);
  EXPECT_EQ(keep.out, failed + "Version = 4.03 (ok)\n");
  writeFile(dir / "x", "");
  EXPECT_EQ(run({"FileDelete", dir / "x"}).status, 0);
}

TEST(ToolResults, CountsArePrintedInFullAndOutputsOnTheirOwnLine) {
  NEEDS("AppendOBJ");
  NEEDS("CheckName");
  TempDir dir;
  writeFile(dir / "part.obj", "v 1 2 3\nv 4 5 6\nf 1 2 1\n");
  Outcome r = run({"AppendOBJ", dir / "part.obj", "1234567", dir / "all.obj", "--", "GroupListClear"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "AppendOBJ = 1234569 (ok: " + rowWords("AppendOBJ", "") + ")\nGroupListClear = 0 (ok)\n");
  // Quiet: only the delivered strings (the name check's own attempt numbers
  // go to standard output too).
  Outcome names = run({"-q", "CheckName", "body", "--", "CheckName", "body"});
  EXPECT_EQ(names.status, 0);
  EXPECT_EQ(names.out, "body\n1\nbody_copy1\n");
}

TEST(ToolResults, SpecificMeaningsForSpecificCodes) {
  NEEDS("qivtoOBJ");
  NEEDS("GroupListSize");
  TempDir dir;
  EXPECT_EQ(run({"qivtoOBJ", dir / "a.qiv", dir / "a.obj"}).out,
            "qivtoOBJ = -18 (failed: " + rowWords("qivtoOBJ", "-18") + ")\n");
  EXPECT_EQ(run({"GroupListClear", "--", "GroupListSize"}).out,
            "GroupListClear = 0 (ok)\nGroupListSize = -1 (failed: " + rowWords("GroupListSize", "-1") + ")\n");
}
