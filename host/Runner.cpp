#include "host/Runner.h"

#include <cstdio>
#include <string>

#include "host/frontends/ScriptFrontEnd.h"
#include "host/services/AutomationServers.h"
#include "host/services/ContextHost.h"
#include "host/services/HostMessages.h"
#include "runtime/boundary/UserMessage.h"
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

// The front end as the runner sees it: everything goes on to the person's
// front end, and the runner learns how the showing ended. Whenever the
// person is about to be asked something (input, a message box), the
// database's open reads are ended first.
class WatchedFrontEnd final : public rtl::TFrontEnd {
 public:
  WatchedFrontEnd(rtl::TFrontEnd& inner, Connection& db) : inner_(inner), db_(db) {}

  bool RunModal(rtl::ModalSession& session) override {
    Watched watched(session, *this);
    db_.EndReads();
    const bool finished = inner_.RunModal(watched);
    if (!finished) end_.inputRanOut = true;
    return finished;
  }
  void ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) override {
    if (kind != rtl::TMsgKind::Information) alerted_ = true;
    db_.EndReads();
    inner_.ShowMessage(caption, text, kind);
  }
  void Beep() override { inner_.Beep(); }

  DialogEnd& End() noexcept { return end_; }

 private:
  // Notices an input during which the dialog warned and then closed itself.
  class Watched final : public rtl::ModalSession {
   public:
    Watched(rtl::ModalSession& inner, WatchedFrontEnd& owner) : inner_(inner), owner_(owner) {}
    rtl::TCustomForm* Form() const noexcept override { return inner_.Form(); }
    bool Ended() const noexcept override { return inner_.Ended(); }
    void Deliver(const rtl::InputEvent& event) noexcept override {
      owner_.alerted_ = false;
      inner_.Deliver(event);
      owner_.db_.EndReads();
      if (inner_.Ended() && owner_.alerted_) owner_.end_.closedAfterAlert = true;
    }

   private:
    rtl::ModalSession& inner_;
    WatchedFrontEnd& owner_;
  };

  rtl::TFrontEnd& inner_;
  Connection& db_;
  bool alerted_ = false;  // a warning or error was shown during the current input
  DialogEnd end_;
};

// Shows the form; an exception out of showing (its show handler) is told to
// the person like any other, its detail written to standard error.
std::optional<int> ShowDialog(rtl::TCustomForm& form, rtl::TFrontEnd& screen) {
  try {
    return form.ShowModal();
  } catch (const ScriptError&) {
    throw;  // the script's fault, not the dialog's
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora-host: showing the dialog failed: %s\n", rtl::GbkToUtf8Display(e.what()).c_str());
    ShowHostMessage(screen, rtl::UserMessageOf(e), rtl::TMsgKind::Error);
    return std::nullopt;
  }
}

// Shows a dialog CreateModule handed out and frees it again before the host
// goes on, since its code goes away with the library.
void ShowAndFree(const LoadedModule& module, rtl::TCustomForm* form, std::int32_t kind, Edition edition,
                 WatchedFrontEnd& watch) {
  if (form == nullptr) throw HostError("CreateModule handed out no dialog");
  const bool expected = kind == static_cast<std::int32_t>(edition);
  try {
    if (expected) watch.End().modalResult = ShowDialog(*form, watch);
  } catch (...) {
    module.FreeModule()(&form);
    throw;
  }
  Check(module.FreeModule()(&form), "FreeModule");
  if (!expected) throw HostError("CreateModule gave the display kind of another edition");
}

}  // namespace

Outcome OutcomeOf(const DialogEnd& end) {
  // A password written stays written, whatever the dialog does afterwards.
  if (end.writes > 0) return Outcome::Changed;
  if (!end.modalResult || end.inputRanOut || end.closedAfterAlert) return Outcome::Failed;
  // A dialog that reports a change the host never wrote is not believed.
  if (*end.modalResult == rtl::mrOk) return Outcome::Failed;
  return Outcome::Cancelled;
}

Outcome RunDialog(const LoadedModule& module, Edition edition, ModuleSql& sql, const UserRecord& user,
                  rtl::TFrontEnd& frontEnd) {
  WatchedFrontEnd watch(frontEnd, sql.Db());
  const rtl::FrontEndScope scope(watch);
  const int writesBefore = sql.Writes();
  rtl::TCustomForm* form = nullptr;
  std::int32_t kind = 0;
  if (edition == Edition::Context) {
    ContextHost context(sql, user, watch);
    Check(module.CreateModuleContext()(&form, 0, 0, 0, 0, 0, &context, &kind), "CreateModule");
    ShowAndFree(module, form, kind, edition, watch);
  } else {
    AutomationServers servers(sql, user, watch);
    Check(module.CreateModuleAutomation()(&form, 0, 0, 0, 0, 0, &kind), "CreateModule");
    ShowAndFree(module, form, kind, edition, watch);
  }
  sql.Db().EndReads();
  watch.End().writes = sql.Writes() - writesBefore;
  return OutcomeOf(watch.End());
}

}  // namespace host
