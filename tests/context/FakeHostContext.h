// A host context for tests: it records what the module hands it (every SQL
// text as wide text, every password to encode, every prompt) and fails on
// demand at each of its operations.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "context/UHollinObjValueClass.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/forms/Application.h"

namespace velmora::test {

// The prompt object: its member "Prompt" records the text and the variant
// type of the argument as it arrived, then shows the text as an information
// box of the application's front end (when there is one). It raises for the
// texts failWhen picks.
class FakePrompt final : public rtl::TAutoObject {
 public:
  FakePrompt() {
    AddMember("Prompt", 1, [this](std::span<rtl::Variant> args) {
      argumentTypes.push_back(args[0].Type());
      const rtl::AnsiString text = TextArg(args, 0);
      texts.push_back(text);
      if (failWhen && failWhen(text)) throw rtl::Exception(kFailure);
      if (rtl::TFrontEnd* frontEnd = rtl::Application->FrontEnd()) {
        frontEnd->ShowMessage(rtl::Application->Title, text, rtl::TMsgKind::Information);
      }
      return rtl::Variant();
    });
  }

  static constexpr const char* kFailure = "Prompt refused";

  std::function<bool(const rtl::AnsiString&)> failWhen;
  std::vector<rtl::AnsiString> texts;
  std::vector<rtl::VarType> argumentTypes;
};

class FakeHostContext final : public THostContext {
 public:
  static constexpr const char* kEncodeFailure = "EncodePassword refused";
  static constexpr const char* kOpenFailure = "OpenSQL refused";
  static constexpr const char* kExecFailure = "ExecSQL refused";

  explicit FakeHostContext(rtl::AnsiString userCode) : prompt(rtl::TAutoObject::Create<FakePrompt>()) {
    CurUserCode = std::move(userCode);
    PromptObj = rtl::Variant(rtl::DispatchPtr(prompt));
  }
  ~FakeHostContext() override = default;

  // The stored form of a password: by default "<", the password, ">".
  std::function<rtl::AnsiString(const rtl::AnsiString&)> encode = [](const rtl::AnsiString& p) {
    return "<" + p + ">";
  };
  // Makes OpenSQL answer the encoded form of plain as the stored password.
  void StorePassword(const rtl::AnsiString& plain) { queryAnswer = rtl::Variant(encode(plain)); }

  // Programmable behaviour.
  rtl::Variant queryAnswer;       // what OpenSQL answers
  int failEncodeCall = 0;         // the 1-based EncodePassword call that fails; 0 for none
  bool failOpen = false;
  bool failExec = false;

  // What the module handed over.
  std::vector<rtl::AnsiString> encodeInputs;
  std::vector<rtl::WideString> openSql;
  std::vector<rtl::WideString> execSql;
  rtl::ComPtr<FakePrompt> prompt;

  rtl::HResult OpenSQL(const rtl::WideString& sql, rtl::Variant& result, rtl::ErrorInfo& error) noexcept override {
    return rtl::SafeCallBoundary(
        [&] {
          openSql.push_back(sql);
          if (failOpen) throw rtl::Exception(kOpenFailure);
          result = queryAnswer;
        },
        &error);
  }

  rtl::HResult ExecSQL(const rtl::WideString& sql, rtl::ErrorInfo& error) noexcept override {
    return rtl::SafeCallBoundary(
        [&] {
          execSql.push_back(sql);
          if (failExec) throw rtl::Exception(kExecFailure);
        },
        &error);
  }

  rtl::HResult EncodePassword(const rtl::AnsiString& password, rtl::AnsiString& result,
                              rtl::ErrorInfo& error) noexcept override {
    return rtl::SafeCallBoundary(
        [&] {
          encodeInputs.push_back(password);
          if (static_cast<int>(encodeInputs.size()) == failEncodeCall) throw rtl::Exception(kEncodeFailure);
          result = encode(password);
        },
        &error);
  }
};

}  // namespace velmora::test
