#include "host/Runner.h"

#include <cstdio>

#include "host/AutomationServers.h"
#include "host/ContextHost.h"
#include "runtime/boundary/UserMessage.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Application.h"
#include "runtime/forms/Form.h"
#include "runtime/text/Gbk.h"

namespace host {
namespace {

void Check(std::int32_t status, const char* entryPoint) {
  if (status == 0) return;
  char code[16];
  std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(status));
  throw HostError(std::string(entryPoint) + " failed with status " + code);
}

// Shows the form; an exception out of showing (its show handler) is told to
// the person like any other, its detail written to standard error, and
// counts as a failure.
bool ShowDialog(rtl::TCustomForm& form, HostFrontEnd& frontEnd) {
  try {
    form.ShowModal();
    return true;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora-host: showing the dialog failed: %s\n", rtl::GbkToUtf8Display(e.what()).c_str());
    frontEnd.ShowMessage(rtl::Application->Title, rtl::UserMessageOf(e), rtl::TMsgKind::Error);
    return false;
  }
}

Outcome OutcomeOf(const SessionLog& log, bool shown) {
  if (log.passwordWrites > 0) return Outcome::Changed;
  if (!shown || log.closedAfterAlert || log.inputRanOut) return Outcome::Failed;
  return Outcome::Cancelled;
}

}  // namespace

Edition DetectEdition(const rtl::ResourceDirectory& resources) {
  const rtl::ResourceEntry* mark = resources.Find(rtl::RT_RCDATA, velmora::EditionResource);
  if (mark == nullptr || mark->data.size() != 4) throw HostError("the library does not say which edition it is");
  const auto& b = mark->data;
  const auto kind =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
  if (kind == velmora::ContextDisplayKind) return Edition::Context;
  if (kind == velmora::AutomationDisplayKind) return Edition::Automation;
  throw HostError("the library is of an edition this host does not know (display kind " + std::to_string(kind) + ")");
}

const char* EditionName(Edition edition) { return edition == Edition::Context ? "context" : "automation"; }

Outcome RunDialog(const LoadedModule& module, Edition edition, Database& db, const UserRecord& user,
                  HostFrontEnd& frontEnd, SessionLog& log) {
  const rtl::FrontEndScope scope(frontEnd);
  // Every dialog handed out is freed again before the host goes on, since
  // its code goes away with the library.
  const auto expectedKind = static_cast<std::int32_t>(edition);
  auto showAndFree = [&](rtl::TCustomForm* form, std::int32_t kind) {
    if (form == nullptr) throw HostError("CreateModule handed out no dialog");
    const bool shown = kind == expectedKind && ShowDialog(*form, frontEnd);
    Check(module.FreeModule()(&form), "FreeModule");
    if (kind != expectedKind) throw HostError("CreateModule gave the display kind of another edition");
    return shown;
  };
  rtl::TCustomForm* form = nullptr;
  std::int32_t kind = 0;
  bool shown = false;
  if (edition == Edition::Context) {
    ContextHost context(db, user, log);
    Check(module.CreateModuleContext()(&form, 0, 0, 0, 0, 0, &context, &kind), "CreateModule");
    shown = showAndFree(form, kind);
  } else {
    AutomationServers servers(db, user, log);
    Check(module.CreateModuleAutomation()(&form, 0, 0, 0, 0, 0, &kind), "CreateModule");
    shown = showAndFree(form, kind);
  }
  return OutcomeOf(log, shown);
}

}  // namespace host
