#include "host/frontends/posix/TerminalFrontEnd.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "host/frontends/ControlView.h"
#include "host/frontends/TerminalText.h"
#include "runtime/controls/Accelerator.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace host {
namespace {

// Pixels per terminal cell: a half-width character of a 12-pixel font.
constexpr int kCellWidth = 6;
constexpr int kCellHeight = 16;
constexpr int kFrameLeft = 3;
constexpr int kFrameTop = 2;

void Write(const std::string& s) {
  std::size_t done = 0;
  while (done < s.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, s.data() + done, s.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

std::string MoveTo(int row, int col) { return "\x1b[" + std::to_string(row) + ";" + std::to_string(col) + "H"; }

// Box-drawing pieces go to the terminal as UTF-8, not as GBK literals.
const char* Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

int ColumnOf(int pixels) { return pixels / kCellWidth; }
int RowOf(int top, int height) { return (top + height / 2) / kCellHeight; }

void DrawControls(const rtl::TCustomForm& form, std::string& out) {
  for (const ControlView& view : ViewControls(form)) {
    if (!view.shown) continue;
    const rtl::TControl& control = *view.control;
    const int row = kFrameTop + 1 + RowOf(view.top, control.Height > 0 ? control.Height : 12);
    const int col = kFrameLeft + 1 + ColumnOf(view.left);
    const rtl::AnsiString text = ShownText(control);
    switch (view.kind) {
      case ControlKind::Edit: {
        const int width = std::max(ColumnOf(control.Width) - 2, 4);
        std::string shown = TerminalText(text);
        const int used = static_cast<int>(rtl::GbkDisplayWidth(text));
        if (used < width) shown += std::string(static_cast<std::size_t>(width - used), ' ');
        out += MoveTo(row, col) + "[" + (view.focused ? "\x1b[7m" : "\x1b[4m") + shown + "\x1b[0m]";
        break;
      }
      case ControlKind::Button: {
        std::size_t accelerator = 0;
        const std::string caption = rtl::StripAccelerator(text, &accelerator);
        std::string shown = TerminalText(caption);
        if (accelerator != std::string::npos) {
          const std::size_t length = std::max<std::size_t>(rtl::GbkCharLength(caption, accelerator), 1);
          shown = TerminalText(caption.substr(0, accelerator)) + "\x1b[4m" +
                  TerminalText(caption.substr(accelerator, length)) + "\x1b[24m" +
                  TerminalText(caption.substr(accelerator + length));
        }
        out += MoveTo(row, col) + (view.focused ? "\x1b[7m" : "") + "[ " + shown + " ]\x1b[0m";
        break;
      }
      case ControlKind::Label: {
        const bool red = control.FontColor == 0x0000FF;
        out += MoveTo(row, col) + (red ? "\x1b[31m" : "") + TerminalText(rtl::StripAccelerator(text)) + "\x1b[0m";
        break;
      }
      default: break;
    }
  }
}

std::string Repeat(const char* piece, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += piece;
  return s;
}

}  // namespace

TerminalFrontEnd::TerminalFrontEnd() {
  if (isatty(STDIN_FILENO) == 0 || isatty(STDOUT_FILENO) == 0) {
    throw std::runtime_error("standard input and output must be a terminal (or give a script with --script/--do)");
  }
  termios mode{};
  if (tcgetattr(STDIN_FILENO, &mode) != 0) throw std::runtime_error("cannot read the terminal's settings");
  savedMode_.assign(reinterpret_cast<const char*>(&mode), sizeof mode);
  termios raw = mode;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) throw std::runtime_error("cannot switch the terminal to raw input");
  rawMode_ = true;
  Write("\x1b[?1049h\x1b[?25l");  // alternate screen, cursor hidden
}

TerminalFrontEnd::~TerminalFrontEnd() {
  Write("\x1b[?25h\x1b[?1049l");
  if (rawMode_) {
    termios mode{};
    std::memcpy(&mode, savedMode_.data(), sizeof mode);
    tcsetattr(STDIN_FILENO, TCSANOW, &mode);
  }
}

int TerminalFrontEnd::ReadByte(int timeoutMs) {
  if (timeoutMs >= 0) {
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0) return -1;
  }
  unsigned char c = 0;
  const ssize_t n = ::read(STDIN_FILENO, &c, 1);
  return n == 1 ? c : -2;
}

TerminalFrontEnd::Key TerminalFrontEnd::ReadKey() {
  Key key;
  const int c = ReadByte(-1);
  if (c == -2) {
    key.kind = Key::Kind::EndOfInput;
    return key;
  }
  rtl::InputEvent& e = key.event;
  e.kind = rtl::InputEvent::Kind::Key;
  key.kind = Key::Kind::Event;
  if (c == 0x1b) {
    const int next = ReadByte(40);
    if (next < 0) {
      e.key = rtl::VK_ESCAPE;
    } else if (next == '[') {
      int final = ReadByte(40);
      while (final >= 0x20 && final < 0x40) final = ReadByte(40);  // parameters of the sequence
      if (final == 'Z') {
        e.key = rtl::VK_TAB;
        e.shift.shift = true;
      } else {
        key.kind = Key::Kind::None;
      }
    } else if (std::isalnum(next) != 0) {
      e.key = static_cast<unsigned char>(rtl::UpCase(static_cast<char>(next)));
      e.shift.alt = true;
    } else {
      key.kind = Key::Kind::None;
    }
  } else if (c == '\t') {
    e.key = rtl::VK_TAB;
  } else if (c == '\r' || c == '\n') {
    e.key = rtl::VK_RETURN;
  } else if (c == 0x7f || c == 0x08) {
    e.key = rtl::VK_BACK;
  } else if (c == ' ') {
    e.key = rtl::VK_SPACE;
  } else if (c == 0x03 || c == 0x04 || c == 0x11) {
    key.kind = Key::Kind::Close;
  } else if (c >= 0x20) {
    // A printable character, perhaps several UTF-8 bytes; typed as GBK.
    std::string utf8(1, static_cast<char>(c));
    const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    for (int i = 0; i < extra; ++i) {
      const int b = ReadByte(40);
      if (b < 0) break;
      utf8 += static_cast<char>(b);
    }
    try {
      e.kind = rtl::InputEvent::Kind::Text;
      e.text = rtl::Utf8ToGbk(utf8);
    } catch (const rtl::EConvertError&) {
      Write("\a");  // a character GBK cannot hold
      key.kind = Key::Kind::None;
    }
  } else {
    // Any other control character is typed as it is: the focused control
    // takes it or refuses it, and an edit refuses it audibly.
    e.kind = rtl::InputEvent::Kind::Text;
    e.text = std::string(1, static_cast<char>(c));
  }
  return key;
}

void TerminalFrontEnd::Draw(const rtl::TCustomForm& form) {
  const int width = std::max(ColumnOf(form.Width), 30);
  const int height = std::max(form.Height / kCellHeight, 6);
  std::string out = "\x1b[0m\x1b[2J";
  std::string caption = " ";
  caption += TerminalText(form.Caption());
  caption += ' ';
  const int captionWidth = static_cast<int>(rtl::GbkDisplayWidth(form.Caption())) + 2;
  out += MoveTo(kFrameTop, kFrameLeft) + Utf8(u8"┌") + caption +
         Repeat(Utf8(u8"─"), std::max(width - captionWidth, 0)) + Utf8(u8"┐");
  for (int r = 1; r <= height; ++r) {
    out += MoveTo(kFrameTop + r, kFrameLeft) + Utf8(u8"│") + std::string(static_cast<std::size_t>(width), ' ') +
           Utf8(u8"│");
  }
  out += MoveTo(kFrameTop + height + 1, kFrameLeft) + Utf8(u8"└") + Repeat(Utf8(u8"─"), width) + Utf8(u8"┘");
  DrawControls(form, out);
  out += MoveTo(kFrameTop + height + 3, kFrameLeft) +
         TerminalText("Tab/Shift+Tab 切换焦点  Enter 回车  Esc 取消按钮  Alt+字母 按钮  Ctrl+C 关闭窗口");
  Write(out);
}

bool TerminalFrontEnd::RunModal(rtl::ModalSession& session) {
  rtl::TCustomForm* outer = current_;
  for (;;) {
    current_ = session.Form();
    if (session.Ended()) break;
    Draw(*current_);
    const Key key = ReadKey();
    if (key.kind == Key::Kind::EndOfInput) {
      current_ = outer;
      return false;
    }
    if (key.kind == Key::Kind::None) continue;
    rtl::InputEvent event = key.event;
    if (key.kind == Key::Kind::Close) event.kind = rtl::InputEvent::Kind::Close;
    session.Deliver(event);
  }
  current_ = outer;
  return true;
}

void TerminalFrontEnd::Beep() { Write("\a"); }

void TerminalFrontEnd::ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) {
  if (current_ != nullptr) Draw(*current_);
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  int width = static_cast<int>(rtl::GbkDisplayWidth(caption)) + 4;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    width = std::max(width, static_cast<int>(rtl::GbkDisplayWidth(line)) + 4);
    lines.push_back(line);
  }
  width = std::max(width, 16);
  const int top = kFrameTop + 3;
  const int left = kFrameLeft + 6;
  const char* colour = kind == rtl::TMsgKind::Information ? "\x1b[44;97m" : "\x1b[41;97m";
  std::string out = colour;
  out += MoveTo(top, left) + Utf8(u8"┌ ") + TerminalText(caption) + " " +
         Repeat(Utf8(u8"─"), width - static_cast<int>(rtl::GbkDisplayWidth(caption)) - 2) + Utf8(u8"┐");
  int row = top + 1;
  for (const std::string& l : lines) {
    const int pad = width - static_cast<int>(rtl::GbkDisplayWidth(l)) - 2;
    out += MoveTo(row++, left) + Utf8(u8"│ ") + TerminalText(l) + std::string(static_cast<std::size_t>(pad), ' ') +
           Utf8(u8" │");
  }
  const std::string ok = TerminalText("[ 确定 ]");
  const int okPad = (width - 8) / 2;
  out += MoveTo(row++, left) + Utf8(u8"│") + std::string(static_cast<std::size_t>(okPad), ' ') + "\x1b[7m" + ok +
         "\x1b[27m" + std::string(static_cast<std::size_t>(width - 8 - okPad), ' ') + Utf8(u8"│");
  out += MoveTo(row, left) + Utf8(u8"└") + Repeat(Utf8(u8"─"), width) + Utf8(u8"┘") + "\x1b[0m";
  Write(out);
  for (;;) {
    const int c = ReadByte(-1);
    if (c < 0 || c == '\r' || c == '\n' || c == ' ' || c == 0x03) break;
    if (c == 0x1b) {
      if (ReadByte(40) < 0) break;  // Esc alone; anything longer is a sequence to skip
    }
  }
}

}  // namespace host
