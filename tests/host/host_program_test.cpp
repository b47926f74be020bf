// The velmora-host program as a user runs it: its exit statuses, what it
// prints, the demo database it makes, and its reports about a library.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/Encoding.h"
#include "tests/host/HostProcess.h"
#include "tests/support/Expectations.h"
#include "tests/support/LibraryPaths.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

std::string Describe(const HostResult& r) {
  return "status " + std::to_string(r.status) + ", stdout:\n" + r.out + "stderr:\n" + r.err;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The script that changes the password from old to new in each edition.
const std::vector<std::string> kAutomationChange{"type old",  "key Enter", "type new",
                                                 "key Enter", "type new",  "click BtnModify"};
const std::vector<std::string> kContextChange{"click edtOldPass",     "type old", "click edtNewPass", "type new",
                                              "click edtConfirmPass", "type new", "click btnOK"};

std::vector<std::string> DoEach(const std::vector<std::string>& commands) {
  std::vector<std::string> args;
  for (const std::string& c : commands) {
    args.push_back("--do");
    args.push_back(c);
  }
  return args;
}

class HostProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.AddUser("md5user", host::Md5Hex("old"));
    db_.AddUserWithPassword("ctxuser", "old");
  }

  // Runs the program on the test's database with the library, user and commands.
  HostResult Run(const std::string& library, const std::string& user, const std::vector<std::string>& commands) {
    std::vector<std::string> args{library, "--db", db_.Path(), "--user", user};
    const std::vector<std::string> dos = DoEach(commands);
    args.insert(args.end(), dos.begin(), dos.end());
    return RunHost(args, work_.Path());
  }

  TempDatabase db_;
  TempFolder work_;
};

enum class Edition { Context, Automation };

struct ExitCase {
  const char* name;
  Edition edition;
  std::vector<std::string> commands;
  int status;
  const char8_t* printed;  // a line the program prints (UTF-8)
  bool changed;            // the user's password is then "new"
};
void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

class ExitStatus : public HostProgram, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitStatus, TellsHowTheDialogEnded) {
  const ExitCase& c = GetParam();
  const bool automation = c.edition == Edition::Automation;
  const std::string user = automation ? "md5user" : "ctxuser";
  const HostResult r = Run(automation ? kAutomationLibrary : kContextLibrary, user, c.commands);
  EXPECT_EQ(r.status, c.status) << "expected status " << c.status << ", got " << Describe(r);
  EXPECT_TRUE(Contains(r.out, Utf8(c.printed) + "\n"))
      << "expected the line \"" << Utf8(c.printed) << "\", got " << Describe(r);
  const std::string plain = c.changed ? "new" : "old";
  const std::string expected = automation ? host::Md5Hex(plain) : host::EncodeHostPassword(plain);
  const std::optional<std::string> stored = db_.StoredPassword(user);
  EXPECT_EQ(stored, expected) << "expected the stored form of \"" << plain << "\", got " << stored.value_or("NULL");
}

const std::vector<std::string> kFourWrong{"type wrong",      "key Enter",       "type new",
                                          "key Enter",       "type new",        "click BtnModify",
                                          "click BtnModify", "click BtnModify", "click BtnModify"};

INSTANTIATE_TEST_SUITE_P(Runs, ExitStatus,
                         ::testing::Values(ExitCase{"AutomationChanged", Edition::Automation, kAutomationChange, 0,
                                                    u8"[information] 密码修改成功！", true},
                                           ExitCase{"ContextChanged", Edition::Context, kContextChange, 0,
                                                    u8"[information] 口令修改成功!", true},
                                           ExitCase{"AutomationCancelled",
                                                    Edition::Automation,
                                                    {"type old", "click BtnCancel"},
                                                    1,
                                                    u8"velmora-host: cancelled (automation edition, user md5user)",
                                                    false},
                                           ExitCase{"ContextCancelled",
                                                    Edition::Context,
                                                    {"type old", "click btnCancel"},
                                                    1,
                                                    u8"velmora-host: cancelled (context edition, user ctxuser)",
                                                    false},
                                           ExitCase{"AutomationFourthWrongPassword", Edition::Automation, kFourWrong, 2,
                                                    u8"velmora-host: failed (automation edition, user md5user)", false},
                                           ExitCase{"AutomationThreeWrongThenCancel",
                                                    Edition::Automation,
                                                    {"type wrong", "key Enter", "type new", "key Enter", "type new",
                                                     "click BtnModify", "click BtnModify", "click BtnModify",
                                                     "click BtnCancel"},
                                                    1,
                                                    u8"[warning] 原密码错误！",
                                                    false},
                                           ExitCase{"AutomationScriptEndsWithDialogOpen",
                                                    Edition::Automation,
                                                    {"type old"},
                                                    2,
                                                    u8"velmora-host: failed (automation edition, user md5user)",
                                                    false},
                                           ExitCase{"ContextScriptEndsWithDialogOpen",
                                                    Edition::Context,
                                                    {"type old"},
                                                    2,
                                                    u8"velmora-host: failed (context edition, user ctxuser)",
                                                    false}),
                         CaseName());

TEST_F(HostProgram, ScriptFileRunsLikeDoCommands) {
  const std::string script = work_.Path() + "/change.txt";
  std::ofstream(script) << "# change md5user's password\r\n"
                        << "type old\nkey Enter\ntype new\nkey Enter\ntype new\r\nclick BtnModify\n";
  const HostResult r =
      RunHost({kAutomationLibrary, "--db", db_.Path(), "--user", "md5user", "--script", script}, work_.Path());
  EXPECT_EQ(r.status, 0) << "expected status 0, got " << Describe(r);
  EXPECT_EQ(db_.StoredPassword("md5user"), host::Md5Hex("new"));
}

struct HostErrorCase {
  const char* name;
  std::function<std::vector<std::string>(const std::string& db)> args;
  std::vector<std::string> named;  // texts the error message must contain
};
void PrintTo(const HostErrorCase& c, std::ostream* os) { *os << c.name; }

class HostError : public HostProgram, public ::testing::WithParamInterface<HostErrorCase> {};

TEST_P(HostError, ExitsWithThreeAndSaysWhatFailed) {
  const HostErrorCase& c = GetParam();
  const HostResult r = RunHost(c.args(db_.Path()), work_.Path());
  EXPECT_EQ(r.status, 3) << "expected status 3, got " << Describe(r);
  EXPECT_TRUE(r.err.starts_with("velmora-host: ")) << "expected a message of the host, got " << Describe(r);
  for (const std::string& part : c.named) {
    EXPECT_TRUE(Contains(r.err, part)) << "expected the message to name \"" << part << "\", got " << Describe(r);
  }
  EXPECT_EQ(db_.StoredPassword("md5user"), host::Md5Hex("old"));
  EXPECT_EQ(db_.StoredPassword("ctxuser"), host::EncodeHostPassword("old"));
}

const std::string kMissingLibrary = "/nonexistent/velmora/Velmora.so";

INSTANTIATE_TEST_SUITE_P(
    Runs, HostError,
    ::testing::Values(
        HostErrorCase{"MissingLibraryFile",
                      [](const std::string& db) {
                        return std::vector<std::string>{kMissingLibrary, "--db", db, "--do", "close"};
                      },
                      {kMissingLibrary}},
        HostErrorCase{"LibraryLackingEntryPoints",
                      [](const std::string& db) {
                        return std::vector<std::string>{kPartialLibrary, "--db", db,     "--user",
                                                        "md5user",       "--do", "close"};
                      },
                      {"FreeModule", kPartialLibrary}},
        HostErrorCase{"UnknownUser",
                      [](const std::string& db) {
                        return std::vector<std::string>{kAutomationLibrary, "--db", db,     "--user",
                                                        "nobody",           "--do", "close"};
                      },
                      {"nobody"}},
        HostErrorCase{"EditionOtherThanTheLibrarys",
                      [](const std::string& db) {
                        return std::vector<std::string>{kContextLibrary, "--edition", "automation", "--db", db,
                                                        "--user",        "md5user",   "--do",       "close"};
                      },
                      {"edition"}},
        HostErrorCase{"NoTerminalAndNoScript",
                      [](const std::string& db) {
                        return std::vector<std::string>{kAutomationLibrary, "--db", db, "--user", "md5user"};
                      },
                      {"terminal"}},
        HostErrorCase{"UnreadableScript",
                      [](const std::string& db) {
                        return std::vector<std::string>{
                            kAutomationLibrary, "--db", db, "--user", "md5user", "--script", "/nonexistent/script.txt"};
                      },
                      {"/nonexistent/script.txt"}},
        HostErrorCase{
            "MissingDatabaseIsNotCreated",
            [](const std::string&) {
              return std::vector<std::string>{kAutomationLibrary, "--db", "/nonexistent/host.db", "--do", "close"};
            },
            {"/nonexistent/host.db"}}),
    CaseName());

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
};
void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class UsageError : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageError, ExitsWith64AndPrintsTheUsage) {
  const HostResult r = RunHost(GetParam().args);
  EXPECT_EQ(r.status, 64) << "expected status 64, got " << Describe(r);
  EXPECT_TRUE(r.err.starts_with("usage: velmora-host")) << "expected the usage, got " << Describe(r);
  EXPECT_TRUE(r.out.empty()) << "expected nothing on standard output, got " << Describe(r);
}

INSTANTIATE_TEST_SUITE_P(Arguments, UsageError,
                         ::testing::Values(UsageCase{"UnknownOption", {"--frobnicate"}},
                                           UsageCase{"OptionWithoutValue", {"--db"}},
                                           UsageCase{"UnknownEdition", {"--edition", "both"}},
                                           UsageCase{"TwoLibraries", {"a.so", "b.so"}},
                                           UsageCase{"InfoOfTwoLibraries", {"info", "a.so", "b.so"}},
                                           UsageCase{"TwoStringFilters", {"strings", "a", "b"}}),
                         CaseName());

TEST(HostInfo, ContextEditionShowsDescriptorVersionAndIcon) {
  const HostResult r = RunHost({"info", kContextLibrary});
  EXPECT_EQ(r.status, 0) << "expected status 0, got " << Describe(r);
  for (const char8_t* line : {u8"descriptor:  Corvane,Logic(业务管理),Pellith(参合门诊报销登记),2(1),\n",
                              u8"file version:    2.1.0.2\n", u8"icon MAINICON: 32x32, 4 bits per pixel\n"}) {
    EXPECT_TRUE(Contains(r.out, Utf8(line))) << "expected \"" << Utf8(line) << "\", got " << Describe(r);
  }
}

TEST(HostInfo, AutomationEditionHasNeitherDescriptorNorVersion) {
  const HostResult r = RunHost({"info", kAutomationLibrary});
  EXPECT_EQ(r.status, 0) << "expected status 0, got " << Describe(r);
  for (const char* line : {"descriptor:  none\n", "version:     none\n", "icon MAINICON: 32x32, 4 bits per pixel\n"}) {
    EXPECT_TRUE(Contains(r.out, line)) << "expected \"" << line << "\", got " << Describe(r);
  }
}

TEST(HostInfo, WithoutLibraryReportsTheContextEditionBesideTheProgram) {
  const HostResult r = RunHost({"info"});
  EXPECT_EQ(r.status, 0) << "expected status 0, got " << Describe(r);
  EXPECT_TRUE(Contains(r.out, "library:     " + std::string(kContextLibrary) + "\n"))
      << "expected the context edition's path, got " << Describe(r);
}

TEST(HostStrings, FilterListsTheProductAndTheMatchingChineseTexts) {
  const HostResult r = RunHost({"strings", "sdxBtnOK", "--library", kContextLibrary});
  EXPECT_EQ(r.status, 0) << "expected status 0, got " << Describe(r);
  EXPECT_TRUE(Contains(r.out, "product: ExpressPrinting System\n")) << "expected the product, got " << Describe(r);
  EXPECT_TRUE(Contains(r.out, Utf8(u8"\tOK\t确定(&O)\n"))) << "expected sdxBtnOK's texts, got " << Describe(r);
  std::istringstream lines(r.out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.starts_with("product: ")) continue;
    EXPECT_TRUE(line.starts_with("sdxBtnOK")) << "expected only strings matching the filter, got \"" << line << "\"";
  }
}

struct EditionCase {
  const char* name;
  std::vector<std::string> args;  // before the database and the commands
  const char* cancel;             // the cancel button of the edition's dialog
  const char8_t* caption;
  const char* edition;
};
void PrintTo(const EditionCase& c, std::ostream* os) { *os << c.name; }

class EditionDetection : public HostProgram, public ::testing::WithParamInterface<EditionCase> {};

TEST_P(EditionDetection, ShowsTheDialogTheLibraryDescribes) {
  const EditionCase& c = GetParam();
  std::vector<std::string> args = c.args;
  for (const std::string& a : {std::string("--db"), db_.Path(), std::string("--do"), std::string("show"),
                               std::string("--do"), std::string("click ") + c.cancel}) {
    args.push_back(a);
  }
  const HostResult r = RunHost(args, work_.Path());
  EXPECT_EQ(r.status, 1) << "expected status 1, got " << Describe(r);
  EXPECT_TRUE(Contains(r.out, "[form] " + Utf8(c.caption) + "\n"))
      << "expected the dialog's caption, got " << Describe(r);
  EXPECT_TRUE(Contains(r.out, std::string("(") + c.edition + " edition, user "))
      << "expected the " << c.edition << " edition, got " << Describe(r);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, EditionDetection,
    ::testing::Values(
        EditionCase{
            "AutomationLibrary", {kAutomationLibrary, "--user", "md5user"}, "BtnCancel", u8"修改密码", "automation"},
        EditionCase{"ContextLibrary", {kContextLibrary, "--user", "ctxuser"}, "btnCancel", u8"修改登录密码", "context"},
        EditionCase{"AutomationBesideTheProgram",
                    {"--edition", "automation", "--user", "md5user"},
                    "BtnCancel",
                    u8"修改密码",
                    "automation"},
        EditionCase{"ContextBesideTheProgram", {"--user", "ctxuser"}, "btnCancel", u8"修改登录密码", "context"}),
    CaseName());

TEST(HostDemoDatabase, IsCreatedOnFirstRunWithAUserForEachEdition) {
  const TempFolder work;
  const std::string demo = work.Path() + "/velmora-demo.db";
  struct Case {
    const char* library;
    std::vector<std::string> commands;
    const char* user;
  };
  const Case cases[] = {{kAutomationLibrary,
                         {"type demo", "key Enter", "type new", "key Enter", "type new", "click BtnModify"},
                         "md5demo"},
                        {kContextLibrary,
                         {"click edtOldPass", "type demo", "click edtNewPass", "type new", "click edtConfirmPass",
                          "type new", "click btnOK"},
                         "demo"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user);
    std::vector<std::string> args{c.library};
    const std::vector<std::string> dos = DoEach(c.commands);
    args.insert(args.end(), dos.begin(), dos.end());
    const HostResult r = RunHost(args, work.Path());
    EXPECT_EQ(r.status, 0) << "expected the demo password to work, got " << Describe(r);
    EXPECT_TRUE(Contains(r.out, std::string(" edition, user ") + c.user + ")\n"))
        << "expected the default user " << c.user << ", got " << Describe(r);
    EXPECT_TRUE(std::filesystem::exists(demo)) << "expected " << demo << " created, got no such file";
  }
}

}  // namespace
}  // namespace velmora::test
