// The velmora-host program as a user runs it, as a child process on
// temporary databases and working folders: its exit statuses, what it
// prints, the demo database it makes, and its reports about a library.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "host/db/SqliteConnection.h"
#include "host/services/PasswordEncoding.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClassRegistry.h"
#include "tests/support/Expectations.h"
#include "tests/support/LibraryPaths.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

constexpr const char* kPartialLibrary = VELMORA_PARTIAL_LIBRARY;

struct HostResult {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;  // standard output (UTF-8)
  std::string err;  // standard error
};

// The program's output with its lines ended by "\n" (a Windows program's
// text output ends them with "\r\n").
std::string ReadAll(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  std::string lines = text.str();
  for (std::size_t at = lines.find("\r\n"); at != std::string::npos; at = lines.find("\r\n", at)) lines.erase(at, 1);
  return lines;
}

// Runs the built velmora-host program as a child process with args in folder
// cwd (the test's own when empty), standard output and error captured.
HostResult RunHost(const std::vector<std::string>& args, const std::string& cwd = {}) {
  const TempFolder capture;
  const std::string outPath = capture.Path() + "/out";
  const std::string errPath = capture.Path() + "/err";
  std::vector<std::string> argv{VELMORA_HOST_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  const int status = RunProgram(argv, cwd, outPath, errPath);
  return {status, ReadAll(outPath), ReadAll(errPath)};
}

std::string Describe(const HostResult& r) {
  return "status " + std::to_string(r.status) + ", stdout:\n" + r.out + "stderr:\n" + r.err;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Each command as a --do option.
std::vector<std::string> DoEach(std::vector<std::string> args, const std::vector<std::string>& commands) {
  for (const std::string& c : commands) args.insert(args.end(), {"--do", c});
  return args;
}

// The script that changes the password from `from` to "new" in each edition.
std::vector<std::string> Change(bool automation, const std::string& from) {
  if (automation) return {"type " + from, "key Enter", "type new", "key Enter", "type new", "click BtnModify"};
  return {"click edtOldPass",     "type " + from, "click edtNewPass", "type new",
          "click edtConfirmPass", "type new",     "click btnOK"};
}

class HostProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.AddUser("md5user", host::Md5Hex("old"));
    db_.AddUserWithPassword("ctxuser", "old");
  }

  // Runs the program in the work folder, "DB" in args standing for the test's database.
  HostResult Run(std::vector<std::string> args) {
    std::replace(args.begin(), args.end(), std::string("DB"), db_.Path());
    return RunHost(args, work_.Path());
  }

  TempDatabase db_;
  TempFolder work_;
};

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The change to "new" with each "type new" replaced by typed.
std::vector<std::string> ChangeTyping(bool automation, const std::string& typed) {
  std::vector<std::string> commands = Change(automation, "old");
  std::replace(commands.begin(), commands.end(), std::string("type new"), typed);
  return commands;
}

// Five presses of Modify with a wrong old password: the dialog must close
// itself at the fourth, leaving the fifth unused (had it stayed open, the
// fifth would warn again, or the script would end with the dialog open).
std::vector<std::string> FiveWrongPasswords() {
  std::vector<std::string> commands = Change(true, "wrong");
  commands.insert(commands.end(), 4, "click BtnModify");
  return commands;
}

// A control character typed into a password is refused with a beep: the
// password stored is the one the edits hold, never one with a character
// silently left out. What a script types in Chinese reaches the dialog as
// those characters (on Windows the arguments must come from the wide
// command line: the narrow one turns what the ANSI code page lacks into
// question marks). A script file runs like --do commands.
TEST_F(HostProgram, ExitStatusTellsHowTheDialogEndedAndWhatTheEditsHeldIsStored) {
  const struct {
    bool automation;
    std::vector<std::string> commands;
    int status;
    const char8_t* printed;  // a line the program prints (UTF-8)
    rtl::AnsiString stored;  // the user's password afterwards (GBK)
    std::size_t warnings;    // message boxes of the warning kind
    std::size_t beeps;       // characters refused
    bool script = false;     // the commands come from a script file, not from --do
  } cases[] = {
      {true, ChangeTyping(true, Utf8(u8"type 新\x01密\t码")), 0, u8"[information] 密码修改成功！", "新密码", 0, 2},
      {false, ChangeTyping(false, "type n\tew\x01"), 0, u8"[information] 口令修改成功!", "new", 0, 2, true},
      {false,
       {"# cancel", "click btnCancel"},
       1,
       u8"velmora-host: cancelled (context edition, user ctxuser)",
       "new",
       0,
       0},
      {true, FiveWrongPasswords(), 2, u8"velmora-host: failed (automation edition, user md5user)", "新密码", 4, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.printed));
    const std::string user = c.automation ? "md5user" : "ctxuser";
    std::vector<std::string> args{c.automation ? kAutomationLibrary : kContextLibrary, "--db", "DB", "--user", user};
    if (c.script) {
      const std::string script = work_.Path() + "/script.txt";
      std::ofstream file(script, std::ios::binary);
      for (const std::string& command : c.commands) file << command << "\r\n";
      args.insert(args.end(), {"--script", script});
    }
    const HostResult r = Run(c.script ? args : DoEach(args, c.commands));
    EXPECT_EQ(r.status, c.status) << Describe(r);
    EXPECT_TRUE(Contains(r.out, Utf8(c.printed) + "\n")) << Describe(r);
    EXPECT_EQ(Count(r.out, "[warning]"), c.warnings) << Describe(r);
    EXPECT_EQ(Count(r.out, "[beep]\n"), c.beeps) << Describe(r);
    EXPECT_EQ(db_.StoredPassword(user), c.automation ? host::Md5Hex(c.stored) : host::EncodeHostPassword(c.stored));
  }
}

#if defined(_WIN32)
// The host serves its two classes through the platform's registry only while
// it runs; keys a crashed run left behind do not stop it and are gone after.
TEST_F(HostProgram, ServesItsClassesByProgIdOnlyWhileItRuns) {
  const char* const progIds[] = {"TarnCore.FuncStorage", "TarnCore.DataCtl"};
  for (const char* progId : progIds) LeaveClassKey(progId, "{00000000-0000-0000-0000-00000000DEAD}");
  const HostResult r = Run(DoEach({kAutomationLibrary, "--db", "DB", "--user", "md5user"}, Change(true, "old")));
  EXPECT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(db_.StoredPassword("md5user"), host::Md5Hex("new"));
  for (const char* progId : progIds) EXPECT_EQ(ClassKeyOf(progId), "") << progId << " still registered";
}

#endif

// Text from the database reaches the person's terminal without its control
// characters: a user name cannot drive the terminal (here: retitle the
// window and clear the screen).
TEST_F(HostProgram, ControlCharactersInShownTextNeverReachTheTerminal) {
  db_.Db().Execute("INSERT INTO P_User (UserCode, UserName, PassWord) VALUES ('esc', ?, '')",
                   {"a\x1b]0;owned\ab\x1b[2J"});
  const HostResult r =
      Run({kAutomationLibrary, "--db", "DB", "--user", "esc", "--do", "show", "--do", "click BtnCancel"});
  EXPECT_EQ(r.status, 1) << Describe(r);
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << Describe(r);
  EXPECT_TRUE(Contains(r.out, Utf8(u8"UserName \"a\uFFFD]0;owned\uFFFDb\uFFFD[2J\""))) << Describe(r);
}

TEST_F(HostProgram, HostErrorsExitWithThreeSayWhatFailedAndWriteNothing) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> named;  // texts the error message must contain
  } cases[] = {
      {{"/nonexistent/Velmora.so", "--db", "DB", "--do", "close"}, {"/nonexistent/Velmora.so"}},
      {{kPartialLibrary, "--db", "DB", "--user", "md5user", "--do", "close"}, {"FreeModule", kPartialLibrary}},
      {{kAutomationLibrary, "--db", "DB", "--user", "nobody", "--do", "close"}, {"nobody"}},
      {{kContextLibrary, "--edition", "automation", "--db", "DB", "--user", "md5user", "--do", "close"}, {"edition"}},
      {{kAutomationLibrary, "--db", "/nonexistent/host.db", "--do", "close"}, {"/nonexistent/host.db"}},  // not created
#ifndef _WIN32
      // Windows has no terminal front end: there the host shows native windows (tests/gui).
      {{kAutomationLibrary, "--db", "DB", "--user", "md5user"}, {"terminal"}},
#endif
  };
  for (const auto& c : cases) {
    const HostResult r = Run(c.args);
    EXPECT_EQ(r.status, 3) << Describe(r);
    EXPECT_TRUE(r.err.starts_with("velmora-host: ")) << Describe(r);
    for (const std::string& part : c.named) EXPECT_TRUE(Contains(r.err, part)) << part << "\n" << Describe(r);
  }
  EXPECT_EQ(db_.StoredPassword("md5user"), host::Md5Hex("old"));
  EXPECT_EQ(db_.StoredPassword("ctxuser"), host::EncodeHostPassword("old"));
}

// A database the host did not create is checked, never given a schema, and
// left byte for byte as it was.
TEST(ForeignDatabase, IsLeftByteForByteUnchanged) {
  constexpr const char* kUsers =
      "CREATE TABLE P_User (UserCode TEXT, UserName TEXT, PassWord TEXT);"
      "INSERT INTO P_User VALUES ('u', 'U', 'x');";
  const struct {
    const char* schema;  // SQL run on a new file; nullptr leaves the file at 0 bytes
    bool automation;
    std::vector<std::string> named;  // what the error names; empty when the run goes ahead
  } cases[] = {
      {nullptr, false, {"P_User"}},
      {"CREATE TABLE Orders (Id INTEGER, Item TEXT);", true, {"P_User"}},
      {"CREATE TABLE P_User (UserCode TEXT, UserName TEXT, Pwd TEXT);", true, {"P_User", "PassWord"}},
      {kUsers, false, {"P_FunRight"}},
      {"CREATE TABLE P_User (UserCode TEXT, UserName TEXT, PassWord TEXT);"
       "CREATE TABLE P_FunRight (UserCode TEXT, ModFunTyp INTEGER);",
       false,
       {"P_FunRight", "ModFunID"}},
      {kUsers, true, {}},  // the automation edition reads no rights
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.schema != nullptr ? c.schema : "an empty file");
    const TempFolder work;
    const std::string path = work.Path() + "/foreign.db";
    if (c.schema == nullptr) {
      std::ofstream(path, std::ios::binary);
    } else {
      host::SqliteConnection(path, true).ExecuteScript(c.schema);
    }
    const std::string before = host::Md5Hex(ReadAll(path));
    const HostResult r =
        RunHost({c.automation ? kAutomationLibrary : kContextLibrary, "--db", path, "--user", "u", "--do", "close"},
                work.Path());
    EXPECT_EQ(host::Md5Hex(ReadAll(path)), before) << "the database file changed; " << Describe(r);
    EXPECT_EQ(r.status, c.named.empty() ? 1 : 3) << Describe(r);
    for (const std::string& part : c.named) EXPECT_TRUE(Contains(r.err, part)) << part << "\n" << Describe(r);
  }
}

TEST(HostUsage, WrongArgumentsExitWith64AndPrintTheUsage) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--frobnicate"},
                                               {"--db"},
                                               {"a.so", "b.so"},
                                               {"strings", "--changed", "--unchanged"},
                                               {"strings", "--tsv", "--json"},
                                               {"info", "--tsv"}}) {
    const HostResult r = RunHost(args);
    EXPECT_EQ(r.status, 64) << Describe(r);
    EXPECT_TRUE(r.err.starts_with("usage: velmora-host") && r.out.empty()) << Describe(r);
  }
  const HostResult r = RunHost({"strings", "--unit", "Nowhere", "--library", kContextLibrary});
  EXPECT_EQ(r.status, 64) << Describe(r);
  EXPECT_TRUE(Contains(r.err, "'Nowhere'") && Contains(r.err, " Cxexportstrs ") && Contains(r.err, " dxPSRes"))
      << Describe(r);
}

// The text lines of "info" (the icon's picture aside), after the library's path.
std::vector<std::string> InfoLines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.find('\x1b') == std::string::npos && !line.starts_with("library:")) lines.push_back(line);
  }
  return lines;
}

TEST(HostInfo, ShowsDescriptorVersionAndIconOfEachEdition) {
  HostResult r = RunHost({"info", kContextLibrary});
  EXPECT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(InfoLines(r.out),
            (std::vector<std::string>{
                Utf8(u8"descriptor:  Corvane,Logic(业务管理),Pellith(参合门诊报销登记),2(1),"),
                "file version:    2.1.0.2", "product version: 2.0.0.0", "language:        0804, code page 936",
                Utf8(u8"  CompanyName: Corvane 信息技术有限公司"), "icon MAINICON: 32x32, 4 bits per pixel"}));
  r = RunHost({"info", kAutomationLibrary});
  EXPECT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(InfoLines(r.out), (std::vector<std::string>{"descriptor:  none", "version:     none",
                                                        "icon MAINICON: 32x32, 4 bits per pixel"}));
}

// The TSV rows of "strings --tsv" with more options, after the header, split into their six fields.
std::vector<std::vector<std::string>> TsvRows(std::vector<std::string> options) {
  options.insert(options.begin(), {"strings", "--tsv", "--library", kContextLibrary});
  const HostResult r = RunHost(options);
  EXPECT_EQ(r.status, 0) << Describe(r);
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(r.out);
  std::string line;
  EXPECT_TRUE(std::getline(in, line) && line == "unit\tposition\tname\tid\tdefault\tcurrent") << line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
    if (line.ends_with('\t')) fields.emplace_back();
    EXPECT_EQ(fields.size(), 6u) << line;
    rows.push_back(fields);
  }
  return rows;
}

// Every unit's strings in order, escapes as written; --changed and
// --unchanged partition the list.
TEST(HostStrings, TsvListsEveryStringOfEveryUnit) {
  const auto rows = TsvRows({});
  std::vector<std::pair<std::string, std::size_t>> units;
  std::map<std::string, std::vector<std::string>> byName;
  for (const auto& row : rows) {
    if (units.empty() || units.back().first != row[0]) units.emplace_back(row[0], 0);
    EXPECT_EQ(row[1], std::to_string(++units.back().second)) << row[0] << " " << row[2];
    byName[row[0] + " " + (row[2].empty() ? "#" + row[1] : row[2])] = row;
  }
  EXPECT_EQ(units, (std::vector<std::pair<std::string, std::size_t>>{{"Cxexportstrs", 19},
                                                                     {"Cxlibrarystrs", 22},
                                                                     {"Cxgridstrs", 64},
                                                                     {"Cxgridpopupmenuconsts", 23},
                                                                     {"Cxfilterconsts", 40},
                                                                     {"Cxdataconsts", 12},
                                                                     {"Cxfiltercontrolstrs", 33},
                                                                     {"Cxeditconsts", 86},
                                                                     {"Dxbarstrs", 178},
                                                                     {"dxExtCtrlsStrs", 55},
                                                                     {"dxPSRes", 1257}}));
  const std::vector<std::array<std::string, 4>> expected = {
      // id, default and current text
      {"dxExtCtrlsStrs #55", "65478", "DiagCross", Utf8(u8"反交叉")},
      {"dxPSRes sdxUnitsInches", "", "\"", "\""},
      {"dxPSRes sdxCorporateHeadquarters", "", "Corporate\\r\\nHeadquarters", Utf8(u8"公司\\r\\n总部")},
      {"Cxlibrarystrs scxCantCreateRegistryKey", "", "", Utf8(u8"不能创建registry key: \\\\%s")},
  };
  for (const auto& [key, id, english, current] : expected) {
    ASSERT_TRUE(byName.contains(key)) << key;
    const auto& row = byName[key];
    EXPECT_TRUE(id.empty() || row[3] == id) << key;
    EXPECT_TRUE(english.empty() || row[4] == english) << key;
    EXPECT_EQ(row[5], current) << key;
  }
  const auto changed = TsvRows({"--changed"});
  const auto unchanged = TsvRows({"--unchanged"});
  EXPECT_EQ(rows.size(), 1789u);
  EXPECT_EQ(changed.size() + unchanged.size(), rows.size());
  for (const auto& row : changed) EXPECT_NE(row[4], row[5]) << row[2];
  for (const auto& row : unchanged) EXPECT_EQ(row[4], row[5]) << row[2];
}

TEST(HostStrings, FilterAndJsonShowTheMatchingStrings) {
  HostResult r = RunHost({"strings", "sdxBtnOK", "--library", kContextLibrary});
  EXPECT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(r.out, Utf8(u8"unit: dxPSRes\nsdxBtnOK\t65479\tOK\t确定(&O)\n"
                        u8"sdxBtnOKAccelerated\t65480\t&OK\t确定(&O\n2 strings, 2 changed\n"));
  r = RunHost({"strings", "--json", "--unit", "DXEXTCTRLSSTRS", "--library", kContextLibrary});
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_TRUE(
      r.out.starts_with(Utf8(u8"[\n  {\"unit\": \"dxExtCtrlsStrs\", \"position\": 1, \"name\": \"\", "
                             u8"\"id\": 65520, \"default\": \"Auto\", \"current\": \"自动\"},\n")))
      << r.out.substr(0, 200);
  EXPECT_TRUE(r.out.ends_with(Utf8(u8"\"id\": 65478, \"default\": \"DiagCross\", \"current\": \"反交叉\"}\n]\n")));
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 57);
}

// The scripted demo of "./build.sh run": the edition beside the program (the
// context edition unless --edition says otherwise) on the demo database, made
// on first use; keys only and the password "demo" kept, so that every run
// succeeds. The automation dialog needs a fourth Enter to press Modify.
TEST(HostDemo, MakesItsDatabaseOnFirstUseAndSucceedsEveryTime) {
  const TempFolder work;
  for (int run = 1; run <= 2; ++run) {
    for (const bool automation : {true, false}) {
      std::vector<std::string> keys = {"show",      "type demo", "key Enter", "type demo",
                                       "key Enter", "type demo", "key Enter"};
      if (automation) keys.emplace_back("key Enter");
      const HostResult r = RunHost(
          DoEach(automation ? std::vector<std::string>{"--edition", "automation"} : std::vector<std::string>{}, keys),
          work.Path());
      EXPECT_EQ(r.status, 0) << "run " << run << ": expected the demo password to work, got " << Describe(r);
      EXPECT_TRUE(Contains(r.out, "[form] " + Utf8(automation ? u8"修改密码" : u8"修改登录密码") + "\n"))
          << Describe(r);
      EXPECT_TRUE(
          Contains(r.out, automation ? " (automation edition, user md5demo)\n" : " (context edition, user demo)\n"))
          << Describe(r);
      EXPECT_TRUE(std::filesystem::exists(work.Path() + "/velmora-demo.db"));
    }
  }
}

}  // namespace
}  // namespace velmora::test
