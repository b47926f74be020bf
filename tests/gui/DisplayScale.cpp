#include "tests/gui/DisplayScale.h"

#include <cstdio>
#include <map>
#include <stdexcept>

namespace velmora::test {
namespace {

// Where Wine reads the display's pixels per inch: the user's value first, then the machine's.
constexpr const wchar_t* kUserKey = L"Control Panel\\Desktop";
constexpr const wchar_t* kMachineKey = L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts";
constexpr const wchar_t* kValue = L"LogPixels";

std::optional<DWORD> ReadDword(HKEY root, const wchar_t* key) {
  DWORD value = 0, size = sizeof value, type = 0;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return std::nullopt;
  const LONG status = RegQueryValueExW(opened, kValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
  return value;
}

void WriteDword(HKEY root, const wchar_t* key, const std::optional<DWORD>& value) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot open the registry key of LogPixels");
  }
  const LONG status =
      value ? RegSetValueExW(opened, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value), sizeof(DWORD))
            : RegDeleteValueW(opened, kValue);
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS && (value || status != ERROR_FILE_NOT_FOUND)) {
    throw std::runtime_error("cannot write LogPixels");
  }
}

// A function of user32 that an older system lacks, or null.
template <class Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

DisplayDpi::DisplayDpi(DWORD dpi) {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    const wchar_t* key = root == HKEY_CURRENT_USER ? kUserKey : kMachineKey;
    settings_.push_back({root, key, ReadDword(root, key)});
    WriteDword(root, key, dpi);
  }
}

DisplayDpi::~DisplayDpi() {
  for (const Setting& s : settings_) {
    try {
      WriteDword(s.root, s.key, s.before);
    } catch (const std::runtime_error&) {
      // The next test sets its own value anyway.
    }
  }
}

void SeeDisplayPixels() {
  using Set = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  if (const auto set = User32<Set>("SetThreadDpiAwarenessContext")) set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

void WaitUntilPainted(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // A message sent is answered once everything before it is done.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result);
}

ScreenPixels::ScreenPixels(const RECT& area) : area_(area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr && bits != nullptr) {
    const HGDIOBJ old = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT) != 0) {
      const auto* first = static_cast<const std::uint32_t*>(bits);
      pixels_.assign(first, first + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
      for (std::uint32_t& p : pixels_) p &= 0xFFFFFFu;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

COLORREF ScreenPixels::At(int x, int y) const {
  const int width = area_.right - area_.left;
  if (x < area_.left || x >= area_.right || y < area_.top || y >= area_.bottom) {
    throw std::out_of_range("point outside the captured area");
  }
  const std::uint32_t rgb = pixels_.at(static_cast<std::size_t>(y - area_.top) * static_cast<std::size_t>(width) +
                                       static_cast<std::size_t>(x - area_.left));
  return RGB((rgb >> 16) & 255, (rgb >> 8) & 255, rgb & 255);
}

COLORREF ScreenPixels::MostFrequent(const RECT& r) const {
  std::map<COLORREF, int> counts;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) ++counts[At(x, y)];
  }
  COLORREF best = 0;
  int most = 0;
  for (const auto& [colour, count] : counts) {
    if (count > most) best = colour, most = count;
  }
  return best;
}

std::string ColourText(COLORREF colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  return text;
}

}  // namespace velmora::test
