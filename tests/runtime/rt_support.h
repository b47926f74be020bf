// Helpers shared by the runtime tests: resource blobs and string tables,
// input events, a front end that plays a script into a modal form and
// records its message boxes, and a fixture that installs that front end and
// checks that the application owns no component afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/forms/Application.h"
#include "runtime/forms/Form.h"
#include "runtime/module/Module.h"

namespace rttest {

inline std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }
inline std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

inline void PutLE(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// One resource, known by name when name is not empty, else by id.
struct Res {
  std::uint16_t type;
  std::string name;
  std::uint32_t id = 0;
  std::vector<std::uint8_t> data;
};

// The layout of runtime/module/Module.h: header, entries, the data of each
// entry, then the names, so the last byte of a blob with names is a NUL.
inline std::vector<std::uint8_t> BuildBlob(const std::vector<Res>& entries) {
  std::vector<std::uint8_t> blob{'V', 'R', 'E', 'S', 0, 0, 0, 0};
  PutLE(blob, 4, static_cast<std::uint32_t>(entries.size()), 4);
  blob.resize(8 + 20 * entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    PutLE(blob, 8 + 20 * i, entries[i].type, 2);
    PutLE(blob, 8 + 20 * i + 8, entries[i].id, 4);
    PutLE(blob, 8 + 20 * i + 12, static_cast<std::uint32_t>(blob.size()), 4);
    PutLE(blob, 8 + 20 * i + 16, static_cast<std::uint32_t>(entries[i].data.size()), 4);
    blob.insert(blob.end(), entries[i].data.begin(), entries[i].data.end());
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].name.empty()) continue;
    PutLE(blob, 8 + 20 * i + 4, static_cast<std::uint32_t>(blob.size()), 4);
    const char* name = entries[i].name.c_str();
    blob.insert(blob.end(), name, name + entries[i].name.size() + 1);
  }
  return blob;
}

// A string-table block: length-counted UTF-16LE strings.
inline std::vector<std::uint8_t> StringBlock(const std::vector<std::u16string>& strings) {
  std::vector<std::uint8_t> block;
  for (const std::u16string& s : strings) {
    for (char16_t c : static_cast<char16_t>(s.size()) + s) {
      block.insert(block.end(), {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
    }
  }
  return block;
}

inline rtl::InputEvent Key(rtl::Word key, rtl::TShiftState shift = {}) {
  return {rtl::InputEvent::Kind::Key, key, shift, {}, nullptr};
}
inline rtl::InputEvent Typed(rtl::AnsiString text) {
  return {rtl::InputEvent::Kind::Text, 0, {}, std::move(text), nullptr};
}
inline rtl::InputEvent ClickOn(rtl::TControl* c) { return {rtl::InputEvent::Kind::Click, 0, {}, {}, c}; }

struct Message {
  rtl::AnsiString caption, text;
  rtl::TMsgKind kind;
};

// Runs its steps while the modal loop lasts; false when they run out first.
class ScriptedFrontEnd : public rtl::TFrontEnd {
 public:
  using Step = std::function<void(rtl::ModalSession&)>;
  void Then(Step step) { steps_.push_back(std::move(step)); }
  void Then(rtl::InputEvent event) {
    Then([event](rtl::ModalSession& s) { s.Deliver(event); });
  }
  bool RunModal(rtl::ModalSession& session) override {
    ++runs;
    for (; !session.Ended(); steps_.pop_front()) {
      if (steps_.empty()) return false;
      Step step = std::move(steps_.front());
      step(session);
    }
    return true;
  }
  void ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) override {
    messages.push_back({caption, text, kind});
  }
  void Beep() override { ++beeps; }

  int runs = 0;
  int beeps = 0;
  std::vector<Message> messages;

 private:
  std::deque<Step> steps_;
};

// Installs a scripted front end; afterwards checks that the application owns
// no component, destroying any it does.
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override { rtl::Application->SetFrontEnd(&frontEnd); }
  void TearDown() override {
    rtl::Application->SetFrontEnd(nullptr);
    const std::size_t left = rtl::Application->ComponentCount();
    EXPECT_EQ(left, 0u) << "expected 0 components owned by Application, got " << left;
    while (rtl::Application->ComponentCount() > 0) {
      rtl::Free(rtl::Application->Components(rtl::Application->ComponentCount() - 1));
    }
  }

  ScriptedFrontEnd frontEnd;
};

}  // namespace rttest
