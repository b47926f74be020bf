// The display as the GUI tests set it and see it: the pixels per inch Wine
// gives the programs it starts (the registry value LogPixels, read when a
// program starts), and the colours the display shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/frontends/win32/Windows.h"

namespace velmora::test {

// While it lives, programs started get a display of dpi pixels per inch;
// what was set before is put back when it goes.
class DisplayDpi {
 public:
  explicit DisplayDpi(DWORD dpi);
  ~DisplayDpi();
  DisplayDpi(const DisplayDpi&) = delete;
  DisplayDpi& operator=(const DisplayDpi&) = delete;

 private:
  struct Setting {
    HKEY root;
    const wchar_t* key;
    std::optional<DWORD> before;  // none: there was no value
  };
  std::vector<Setting> settings_;
};

// From now on this thread sees every window in the display's own pixels,
// whatever pixels per inch the window's program draws for.
void SeeDisplayPixels();

// What the window shows once everything pending is painted.
void WaitUntilPainted(HWND window);

// The colours the display shows in a rectangle of screen coordinates, as
// they were when it was made.
class ScreenPixels {
 public:
  explicit ScreenPixels(const RECT& area);
  bool Captured() const noexcept { return !pixels_.empty(); }
  // The colour at a point of the screen within the area (0x00BBGGRR).
  COLORREF At(int x, int y) const;
  // The colour shown most often within r (screen coordinates inside the area).
  COLORREF MostFrequent(const RECT& r) const;

 private:
  RECT area_;
  std::vector<std::uint32_t> pixels_;  // 0x00RRGGBB, row by row from the top
};

// A colour as #RRGGBB, for messages.
std::string ColourText(COLORREF colour);

}  // namespace velmora::test
