// The velmora-host program as a user runs it, as a child process on
// temporary databases and working folders: its exit statuses, what it
// prints, the demo database it makes, and its reports about a library.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

// Runs the built velmora-host program as a child process with args in folder
// cwd (the test's own when empty), standard output and error captured.
HostResult RunHost(const std::vector<std::string>& args, const std::string& cwd = {}) {
  const TempFolder capture;
  const std::string outPath = capture.Path() + "/out";
  const std::string errPath = capture.Path() + "/err";
  std::vector<std::string> argv{VELMORA_HOST_PROGRAM};
  argv.insert(argv.end(), args.begin(), args.end());
  const int status = RunProgram(argv, cwd, outPath, errPath);
  return {status, ReadOutput(outPath), ReadOutput(errPath)};
}

std::string Describe(const HostResult& r) {
  return "status " + std::to_string(r.status) + ", stdout:\n" + r.out + "stderr:\n" + r.err;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

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

// The change from "old" to "new" with each "type new" replaced by typed.
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

// A database of its own with two users whose password is "old": md5user
// (automation edition) and ctxuser (context edition), and a work folder.
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

  // Both users' passwords are still "old".
  void ExpectNothingWritten() {
    EXPECT_EQ(db_.StoredPassword("md5user"), host::Md5Hex("old"));
    EXPECT_EQ(db_.StoredPassword("ctxuser"), host::EncodeHostPassword("old"));
  }

  TempDatabase db_;
  TempFolder work_;
};

// ---- running a dialog under a script -----------------------------------------

struct ScriptedCase {
  std::string name;
  bool automation;
  std::vector<std::string> commands;
  int status;
  const char8_t* printed;   // a line the program prints (UTF-8)
  rtl::AnsiString stored;   // the user's password afterwards (GBK)
  std::size_t warnings;     // message boxes of the warning kind
  std::size_t beeps;        // commands some of whose input was refused
  bool scriptFile = false;  // the commands come from a script file, not from --do
};
void PrintTo(const ScriptedCase& c, std::ostream* os) { *os << c.name; }

class ScriptedDialog : public HostProgram, public ::testing::WithParamInterface<ScriptedCase> {};

// The exit status says how the dialog ended, and the password stored is the
// one the edits held: a control character typed into a password is refused
// with a beep, never silently left out. What a script types in Chinese
// reaches the dialog as those characters (on Windows the arguments must
// come from the wide command line: the narrow one turns what the ANSI code
// page lacks into question marks).
TEST_P(ScriptedDialog, EndsAsItsCommandsDrive) {
  const ScriptedCase& c = GetParam();
  const std::string user = c.automation ? "md5user" : "ctxuser";
  std::vector<std::string> args{c.automation ? kAutomationLibrary : kContextLibrary, "--db", "DB", "--user", user};
  if (c.scriptFile) {
    const std::string script = work_.Path() + "/script.txt";
    std::ofstream file(script, std::ios::binary);
    for (const std::string& command : c.commands) file << command << "\r\n";
    args.insert(args.end(), {"--script", script});
  }
  const HostResult r = Run(c.scriptFile ? args : DoEach(args, c.commands));
  EXPECT_EQ(r.status, c.status) << Describe(r);
  EXPECT_TRUE(Contains(r.out, Utf8(c.printed) + "\n")) << Describe(r);
  EXPECT_EQ(Count(r.out, "[warning]"), c.warnings) << Describe(r);
  EXPECT_EQ(Count(r.out, "[beep]\n"), c.beeps) << Describe(r);
  EXPECT_EQ(db_.StoredPassword(user), c.automation ? host::Md5Hex(c.stored) : host::EncodeHostPassword(c.stored));
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ScriptedDialog,
    ::testing::Values(ScriptedCase{"AutomationChangeTypedInChinese", true,
                                   ChangeTyping(true, Utf8(u8"type 新\x01密\t码")), 0, u8"[information] 密码修改成功！",
                                   "新密码", 0, 2},
                      ScriptedCase{"ContextChangeFromAScriptFile", false, ChangeTyping(false, "type n\tew\x01"), 0,
                                   u8"[information] 口令修改成功!", "new", 0, 2, true},
                      ScriptedCase{"ContextCancel",
                                   false,
                                   {"# cancel", "click btnCancel"},
                                   1,
                                   u8"velmora-host: cancelled (context edition, user ctxuser)",
                                   "old",
                                   0,
                                   0},
                      ScriptedCase{"AutomationClosesItselfAtTheFourthWrongPassword", true, FiveWrongPasswords(), 2,
                                   u8"velmora-host: failed (automation edition, user md5user)", "old", 4, 0}),
    CaseName());

// A script the host cannot carry out is the person's mistake: a usage error
// naming the command, found before the dialog is shown (its "show" would
// print the form), or at the click itself; nothing is written.
struct RefusedCase {
  std::string name;
  std::vector<std::string> commands;
  const char8_t* error;  // standard error, whole
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedScript : public HostProgram, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedScript, IsAUsageErrorNamingTheCommand) {
  const RefusedCase& c = GetParam();
  const HostResult r = Run(DoEach({kContextLibrary, "--db", "DB", "--user", "ctxuser"}, c.commands));
  EXPECT_EQ(r.status, 64) << Describe(r);
  EXPECT_EQ(r.err, Utf8(c.error)) << Describe(r);
  EXPECT_EQ(r.out, "") << "expected the dialog never shown; " << Describe(r);
  ExpectNothingWritten();
}

// A character GBK lacks is named as a whole code point, never as half of a
// surrogate pair.
INSTANTIATE_TEST_SUITE_P(
    Scripts, RefusedScript,
    ::testing::Values(
        RefusedCase{"EmojiInTypedText",
                    {"show", Utf8(u8"type a\U0001F600")},
                    u8"velmora-host: script command \"type a\U0001F600\": U+1F600 cannot be typed: GBK has no such "
                    u8"character\n"},
        RefusedCase{"KoreanSyllableInTypedText",
                    {"show", Utf8(u8"type \uD55C")},
                    u8"velmora-host: script command \"type \uD55C\": U+D55C cannot be typed: GBK has no such "
                    u8"character\n"},
        RefusedCase{"UnknownCommand",
                    {"show", "frobnicate now"},
                    u8"velmora-host: script command \"frobnicate now\": unknown command 'frobnicate now'\n"},
        RefusedCase{
            "UnknownKey", {"show", "key F13"}, u8"velmora-host: script command \"key F13\": unknown key 'F13'\n"},
        RefusedCase{"ClickOnAControlTheFormHasNot",
                    {"click btnNowhere"},
                    u8"velmora-host: script command \"click btnNowhere\": no such control\n"}),
    CaseName());

// ---- --trace-sql -------------------------------------------------------------

struct TraceCase {
  std::string name;
  bool automation;
  const char8_t* user;
  std::vector<const char8_t*> lines;  // the trace's lines on standard error
  bool rowGoneAtWrite = false;        // the user's row vanishes as the password is written
};
void PrintTo(const TraceCase& c, std::ostream* os) { *os << c.name; }

// The fixture's users and 张三, a user of the context edition with the password "old".
class TraceSql : public HostProgram, public ::testing::WithParamInterface<TraceCase> {
 protected:
  void SetUp() override {
    HostProgram::SetUp();
    db_.AddUserWithPassword(Utf8(u8"张三"), "old");
  }
};

// Each statement as the host received it, in UTF-8, with the call that
// carried it and how it went.
TEST_P(TraceSql, WritesALinePerStatement) {
  const TraceCase& c = GetParam();
  const std::string user = Utf8(c.user);
  if (c.rowGoneAtWrite) {
    // The row goes before the update reaches it: the statement changes no row.
    db_.Db().ExecuteScript(
        "CREATE TRIGGER RowGone BEFORE UPDATE ON P_User BEGIN"
        "  DELETE FROM P_User WHERE UserCode = old.UserCode; END");
  }
  const HostResult r =
      Run(DoEach({c.automation ? kAutomationLibrary : kContextLibrary, "--db", "DB", "--user", user, "--trace-sql"},
                 Change(c.automation, "old")));
  std::vector<std::string> traced;
  for (const std::string& line : Lines(r.err)) {
    if (line.starts_with("velmora-host: sql: ")) traced.push_back(line);
  }
  std::vector<std::string> expected;
  for (const char8_t* line : c.lines) expected.push_back(Utf8(line));
  EXPECT_EQ(traced, expected) << Describe(r);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, TraceSql,
    ::testing::Values(
        TraceCase{"ContextChange",
                  false,
                  u8"ctxuser",
                  {u8"velmora-host: sql: OpenSQL Select PassWord From P_User Where UserCode = 'ctxuser' -> 1 row",
                   u8"velmora-host: sql: ExecSQL UpDate P_User Set PassWord = "
                   u8"'11507A0E2F5E69D5DFA40A62A1BD7B6EE57E6BCD85C67C9B8431B36FFF21C437' "
                   u8"Where UserCode = 'ctxuser' -> 1 row changed"}},
        TraceCase{"AutomationChange",
                  true,
                  u8"md5user",
                  {u8"velmora-host: sql: Opensql select password from P_User Where UserCode = 'md5user' -> 1 row",
                   u8"velmora-host: sql: Execsql Update P_User Set PassWord ='22af645d1859cb5ca6da0c484f1f37ea' "
                   u8"Where UserCode = 'md5user' -> 1 row changed"}},
        TraceCase{"ChineseUserCode",
                  false,
                  u8"张三",
                  {u8"velmora-host: sql: OpenSQL Select PassWord From P_User Where UserCode = '张三' -> 1 row",
                   u8"velmora-host: sql: ExecSQL UpDate P_User Set PassWord = "
                   u8"'11507A0E2F5E69D5DFA40A62A1BD7B6EE57E6BCD85C67C9B8431B36FFF21C437' "
                   u8"Where UserCode = '张三' -> 1 row changed"}},
        TraceCase{"UserRowGoneAtTheWrite",
                  true,
                  u8"md5user",
                  {u8"velmora-host: sql: Opensql select password from P_User Where UserCode = 'md5user' -> 1 row",
                   u8"velmora-host: sql: Execsql Update P_User Set PassWord ='22af645d1859cb5ca6da0c484f1f37ea' "
                   u8"Where UserCode = 'md5user' -> error: the statement changed no row"},
                  true}),
    CaseName());

// ---- what the person sees ----------------------------------------------------

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
// window, clear the screen, and delete what was shown).
TEST_F(HostProgram, ControlCharactersInShownTextNeverReachTheTerminal) {
  db_.Db().Execute("INSERT INTO P_User (UserCode, UserName, PassWord) VALUES ('esc', ?, '')",
                   {"a\x1b]0;owned\ab\x1b[2J\x7f"});
  const HostResult r =
      Run({kAutomationLibrary, "--db", "DB", "--user", "esc", "--do", "show", "--do", "click BtnCancel"});
  EXPECT_EQ(r.status, 1) << Describe(r);
  EXPECT_EQ(r.out.find_first_of("\x1b\x07\x7f"), std::string::npos) << Describe(r);
  EXPECT_TRUE(Contains(r.out, Utf8(u8"UserName \"a\uFFFD]0;owned\uFFFDb\uFFFD[2J\uFFFD\"\n"))) << Describe(r);
}

// ---- host errors and usage ---------------------------------------------------

struct HostErrorCase {
  std::string name;
  std::vector<std::string> args;
  std::vector<std::string> named;  // texts the error message must contain
};
void PrintTo(const HostErrorCase& c, std::ostream* os) { *os << c.name; }

class HostError : public HostProgram, public ::testing::WithParamInterface<HostErrorCase> {};

// Exit status 3, a message saying what failed, and nothing written.
TEST_P(HostError, EndsTheRunWithStatusThreeNamingWhatFailed) {
  const HostErrorCase& c = GetParam();
  const HostResult r = Run(c.args);
  EXPECT_EQ(r.status, 3) << Describe(r);
  EXPECT_TRUE(r.err.starts_with("velmora-host: ")) << Describe(r);
  for (const std::string& part : c.named) EXPECT_TRUE(Contains(r.err, part)) << part << "\n" << Describe(r);
  ExpectNothingWritten();
}

std::vector<HostErrorCase> HostErrorCases() {
  return {
      {"MissingLibrary", {"/nonexistent/Velmora.so", "--db", "DB", "--do", "close"}, {"/nonexistent/Velmora.so"}},
      {"MissingEntryPoint",
       {kPartialLibrary, "--db", "DB", "--user", "md5user", "--do", "close"},
       {"FreeModule", kPartialLibrary}},
      {"UnknownUser", {kAutomationLibrary, "--db", "DB", "--user", "nobody", "--do", "close"}, {"nobody"}},
      {"LibraryOfTheOtherEdition",
       {kContextLibrary, "--edition", "automation", "--db", "DB", "--user", "md5user", "--do", "close"},
       {"edition"}},
      // A database that is not there is not created.
      {"MissingDatabase",
       {kAutomationLibrary, "--db", "/nonexistent/host.db", "--do", "close"},
       {"/nonexistent/host.db"}},
#ifndef _WIN32
      // Windows has no terminal front end: there the host shows native windows (tests/gui).
      {"NoTerminal", {kAutomationLibrary, "--db", "DB", "--user", "md5user"}, {"terminal"}},
#endif
  };
}

INSTANTIATE_TEST_SUITE_P(Errors, HostError, ::testing::ValuesIn(HostErrorCases()), CaseName());

// A database the host did not create is checked, never given a schema, and
// left byte for byte as it was; one lacking a table or column the edition
// needs is refused (status 3, naming it), the others run (closed: status 1).
struct ForeignCase {
  std::string name;
  const char* schema;  // SQL run on a new file; nullptr leaves the file at 0 bytes
  bool automation;
  std::vector<std::string> named;  // what the error names; empty when the run goes ahead
};
void PrintTo(const ForeignCase& c, std::ostream* os) { *os << c.name; }

class ForeignDatabase : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignDatabase, IsLeftByteForByteUnchanged) {
  const ForeignCase& c = GetParam();
  const TempFolder work;
  const std::string path = work.Path() + "/foreign.db";
  if (c.schema == nullptr) {
    std::ofstream(path, std::ios::binary);
  } else {
    host::SqliteConnection(path, true).ExecuteScript(c.schema);
  }
  const std::string before = host::Md5Hex(ReadOutput(path));
  const HostResult r = RunHost(
      {c.automation ? kAutomationLibrary : kContextLibrary, "--db", path, "--user", "u", "--do", "close"}, work.Path());
  EXPECT_EQ(host::Md5Hex(ReadOutput(path)), before) << "the database file changed; " << Describe(r);
  EXPECT_EQ(r.status, c.named.empty() ? 1 : 3) << Describe(r);
  for (const std::string& part : c.named) EXPECT_TRUE(Contains(r.err, part)) << part << "\n" << Describe(r);
}

constexpr const char* kUsers =
    "CREATE TABLE P_User (UserCode TEXT, UserName TEXT, PassWord TEXT);"
    "INSERT INTO P_User VALUES ('u', 'U', 'x');";

INSTANTIATE_TEST_SUITE_P(
    Files, ForeignDatabase,
    ::testing::Values(ForeignCase{"EmptyFile", nullptr, false, {"P_User"}},
                      ForeignCase{"OtherTables", "CREATE TABLE Orders (Id INTEGER, Item TEXT);", true, {"P_User"}},
                      ForeignCase{"UsersWithoutPassWord",
                                  "CREATE TABLE P_User (UserCode TEXT, UserName TEXT, Pwd TEXT);",
                                  true,
                                  {"P_User", "PassWord"}},
                      ForeignCase{"UsersWithoutRights", kUsers, false, {"P_FunRight"}},
                      ForeignCase{"RightsWithoutModFunID",
                                  "CREATE TABLE P_User (UserCode TEXT, UserName TEXT, PassWord TEXT);"
                                  "CREATE TABLE P_FunRight (UserCode TEXT, ModFunTyp INTEGER);",
                                  false,
                                  {"P_FunRight", "ModFunID"}},
                      ForeignCase{"UsersAloneForTheAutomationEdition", kUsers, true, {}}),  // it reads no rights
    CaseName());

struct UsageCase {
  std::string name;
  std::vector<std::string> args;
};
void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class HostUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(HostUsage, WrongArgumentsExitWith64PrintingTheUsage) {
  const HostResult r = RunHost(GetParam().args);
  EXPECT_EQ(r.status, 64) << Describe(r);
  EXPECT_TRUE(r.err.starts_with("usage: velmora-host") && r.out.empty()) << Describe(r);
}

INSTANTIATE_TEST_SUITE_P(Arguments, HostUsage,
                         ::testing::Values(UsageCase{"UnknownOption", {"--frobnicate"}},
                                           UsageCase{"OptionWithoutItsValue", {"--db"}},
                                           UsageCase{"TwoLibraries", {"a.so", "b.so"}},
                                           UsageCase{"ChangedWithUnchanged", {"strings", "--changed", "--unchanged"}},
                                           UsageCase{"TsvWithJson", {"strings", "--tsv", "--json"}},
                                           UsageCase{"InfoAsTsv", {"info", "--tsv"}}),
                         CaseName());

TEST(HostStringsUsage, UnknownUnitIsRefusedNamingTheUnits) {
  const HostResult r = RunHost({"strings", "--unit", "Nowhere", "--library", kContextLibrary});
  EXPECT_EQ(r.status, 64) << Describe(r);
  EXPECT_TRUE(Contains(r.err, "'Nowhere'") && Contains(r.err, " Cxexportstrs ") && Contains(r.err, " dxPSRes"))
      << Describe(r);
}

// ---- reports ---------------------------------------------------------------------

struct InfoCase {
  std::string name;
  const char* library;
  std::vector<const char8_t*> lines;  // the text lines, the library's path and the icon's picture aside
};
void PrintTo(const InfoCase& c, std::ostream* os) { *os << c.name; }

class HostInfo : public ::testing::TestWithParam<InfoCase> {};

TEST_P(HostInfo, ShowsTheEditionsResources) {
  const HostResult r = RunHost({"info", GetParam().library});
  EXPECT_EQ(r.status, 0) << Describe(r);
  std::vector<std::string> shown;
  for (const std::string& line : Lines(r.out)) {
    if (line.find('\x1b') == std::string::npos && !line.starts_with("library:")) shown.push_back(line);
  }
  std::vector<std::string> expected;
  for (const char8_t* line : GetParam().lines) expected.push_back(Utf8(line));
  EXPECT_EQ(shown, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Editions, HostInfo,
    ::testing::Values(
        InfoCase{"Context",
                 kContextLibrary,
                 {u8"descriptor:  Corvane,Logic(业务管理),Pellith(参合门诊报销登记),2(1),",
                  u8"file version:    2.1.0.2", u8"product version: 2.0.0.0", u8"language:        0804, code page 936",
                  u8"  CompanyName: Corvane 信息技术有限公司", u8"icon MAINICON: 32x32, 4 bits per pixel"}},
        InfoCase{"Automation",
                 kAutomationLibrary,
                 {u8"descriptor:  none", u8"version:     none", u8"icon MAINICON: 32x32, 4 bits per pixel"}}),
    CaseName());

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

TEST(HostStrings, TsvListsEveryStringOfEveryUnitInOrder) {
  const auto rows = TsvRows({});
  std::vector<std::pair<std::string, std::size_t>> units;
  for (const auto& row : rows) {
    if (units.empty() || units.back().first != row[0]) units.emplace_back(row[0], 0);
    EXPECT_EQ(row[1], std::to_string(++units.back().second)) << row[0] << " " << row[2];
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
  EXPECT_EQ(rows.size(), 1789u);
}

TEST(HostStrings, TsvShowsEscapesAsWritten) {
  std::map<std::string, std::vector<std::string>> byName;
  for (const auto& row : TsvRows({})) byName[row[0] + " " + (row[2].empty() ? "#" + row[1] : row[2])] = row;
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
}

// --changed lists the strings whose text differs from their default,
// --unchanged the others; together, the whole list.
TEST(HostStrings, ChangedOptionsPartitionTheList) {
  const auto changed = TsvRows({"--changed"});
  const auto unchanged = TsvRows({"--unchanged"});
  EXPECT_EQ(changed.size() + unchanged.size(), 1789u);
  for (const auto& row : changed) EXPECT_NE(row[4], row[5]) << row[2];
  for (const auto& row : unchanged) EXPECT_EQ(row[4], row[5]) << row[2];
}

TEST(HostStrings, FilterShowsTheMatchingStrings) {
  const HostResult r = RunHost({"strings", "sdxBtnOK", "--library", kContextLibrary});
  EXPECT_EQ(r.status, 0) << Describe(r);
  EXPECT_EQ(r.out, Utf8(u8"unit: dxPSRes\nsdxBtnOK\t65479\tOK\t确定(&O)\n"
                        u8"sdxBtnOKAccelerated\t65480\t&OK\t确定(&O\n2 strings, 2 changed\n"));
}

// A unit named in any letter case, as a JSON array of its strings.
TEST(HostStrings, JsonListsTheUnitsStrings) {
  const HostResult r = RunHost({"strings", "--json", "--unit", "DXEXTCTRLSSTRS", "--library", kContextLibrary});
  ASSERT_EQ(r.status, 0) << Describe(r);
  EXPECT_TRUE(
      r.out.starts_with(Utf8(u8"[\n  {\"unit\": \"dxExtCtrlsStrs\", \"position\": 1, \"name\": \"\", "
                             u8"\"id\": 65520, \"default\": \"Auto\", \"current\": \"自动\"},\n")))
      << r.out.substr(0, 200);
  EXPECT_TRUE(r.out.ends_with(Utf8(u8"\"id\": 65478, \"default\": \"DiagCross\", \"current\": \"反交叉\"}\n]\n")));
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 57);
}

// ---- the demo ----------------------------------------------------------------------

struct DemoCase {
  std::string name;
  std::vector<std::string> options;
  const char8_t* caption;
  const char* ended;  // the end of the outcome line
  bool fourthEnter;   // the automation dialog needs a fourth Enter to press Modify
};
void PrintTo(const DemoCase& c, std::ostream* os) { *os << c.name; }

class HostDemo : public ::testing::TestWithParam<DemoCase> {};

// The scripted demo of "./build.sh run": the edition beside the program (the
// context edition unless --edition says otherwise) on the demo database, made
// on first use; keys only and the password "demo" kept, so that every run
// succeeds.
TEST_P(HostDemo, SucceedsOnItsOwnDatabaseEveryRun) {
  const DemoCase& c = GetParam();
  const TempFolder work;
  std::vector<std::string> keys = {"show",      "type demo", "key Enter", "type demo",
                                   "key Enter", "type demo", "key Enter"};
  if (c.fourthEnter) keys.emplace_back("key Enter");
  for (int run = 1; run <= 2; ++run) {
    EXPECT_EQ(std::filesystem::exists(work.Path() + "/velmora-demo.db"), run > 1) << "before run " << run;
    const HostResult r = RunHost(DoEach(c.options, keys), work.Path());
    EXPECT_EQ(r.status, 0) << "run " << run << ": expected the demo password to work, got " << Describe(r);
    EXPECT_TRUE(Contains(r.out, "[form] " + Utf8(c.caption) + "\n")) << Describe(r);
    EXPECT_TRUE(Contains(r.out, c.ended)) << Describe(r);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Editions, HostDemo,
    ::testing::Values(
        DemoCase{"Context", {}, u8"修改登录密码", " (context edition, user demo)\n", false},
        DemoCase{
            "Automation", {"--edition", "automation"}, u8"修改密码", " (automation edition, user md5demo)\n", true}),
    CaseName());

}  // namespace
}  // namespace velmora::test
