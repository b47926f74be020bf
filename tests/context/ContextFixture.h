// The context edition's dialog texts, a host context for tests that records
// what the module hands it (every SQL text as wide text, every password to
// encode, every prompt) and answers as programmed, and the fixture that
// loads the edition.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "contract/VelmoraContract.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/forms/Application.h"
#include "tests/support/ModuleFixture.h"

namespace velmora::test {

// The dialog's messages (GBK).
inline constexpr const char* kOldPasswordWrong = "旧密码错误!请重新输入!";
inline constexpr const char* kNewPasswordsDiffer = "新密码与确认密码不一致，请重新输入!";
inline constexpr const char* kPasswordChanged = "口令修改成功!";
inline constexpr const char* kPasswordNotChanged = "口令修改失败!";

inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;

// The prompt object: "Prompt" records the text and how its argument arrived,
// raises when told to refuse, else shows an information box (when there is
// a front end).
class FakePrompt final : public rtl::TAutoObject {
 public:
  FakePrompt() {
    AddMember(TarnCore::PromptMember, 1, [this](std::span<rtl::Variant> args) {
      argumentTypes.push_back(args[0].Type());
      const rtl::AnsiString text = TextArg(args, 0);
      texts.push_back(text);
      if (refuse) throw rtl::Exception("fake prompt refused", "提示无法显示");
      if (rtl::TFrontEnd* frontEnd = rtl::Application->FrontEnd()) {
        frontEnd->ShowMessage(rtl::Application->Title, text, rtl::TMsgKind::Information);
      }
      return rtl::Variant();
    });
  }

  bool refuse = false;
  std::vector<rtl::AnsiString> texts;
  std::vector<rtl::VarType> argumentTypes;
};

class FakeHostContext final : public THostContext {
 public:
  explicit FakeHostContext(rtl::AnsiString userCode) : prompt(rtl::TAutoObject::Create<FakePrompt>()) {
    CurUserCode = std::move(userCode);
    PromptObj = rtl::Variant(rtl::DispatchPtr(prompt));
  }

  // The stored form of a password: by default "<", the password, ">".
  std::function<rtl::AnsiString(const rtl::AnsiString&)> encode = [](const rtl::AnsiString& p) {
    return "<" + p + ">";
  };
  // Makes OpenSQL answer the encoded form of plain as the stored password.
  void StorePassword(const rtl::AnsiString& plain) { queryAnswer = rtl::Variant(encode(plain)); }

  // Programmable behaviour.
  rtl::Variant queryAnswer;  // what OpenSQL answers

  // What the module handed over.
  std::vector<rtl::AnsiString> encodeInputs;
  std::vector<rtl::WideString> openSql;
  std::vector<rtl::WideString> execSql;
  rtl::ComPtr<FakePrompt> prompt;

  rtl::HResult OpenSQL(const rtl::WideString& sql, rtl::Variant& result, rtl::ErrorInfo& error) noexcept override {
    openSql.push_back(sql);
    return rtl::SafeCallBoundary([&] { result = queryAnswer; }, &error);
  }

  rtl::HResult ExecSQL(const rtl::WideString& sql, rtl::ErrorInfo&) noexcept override {
    execSql.push_back(sql);
    return rtl::S_OK;
  }

  rtl::HResult EncodePassword(const rtl::AnsiString& password, rtl::AnsiString& result,
                              rtl::ErrorInfo& error) noexcept override {
    encodeInputs.push_back(password);
    return rtl::SafeCallBoundary([&] { result = encode(password); }, &error);
  }
};

class ContextModuleTest : public ModuleTest {
 protected:
  ContextModuleTest() : ModuleTest(Edition::Context) {}

  // CreateModule with context, show with the steps, FreeModule.
  DialogRun RunWith(THostContext& context, std::vector<Step> steps) {
    context_ = &context;
    return RunDialog(std::move(steps));
  }
};

}  // namespace velmora::test
