#include "host/InfoReport.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "host/loader/LibraryResources.h"
#include "host/loader/LoadedModule.h"
#include "runtime/text/Gbk.h"

namespace host {
namespace {

std::string Version(const std::array<std::uint16_t, 4>& v) {
  return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
}

std::string Colour(std::uint32_t argb, bool background) {
  if ((argb >> 24) == 0) return background ? "\x1b[49m" : "\x1b[39m";
  char text[32];
  std::snprintf(text, sizeof text, "\x1b[%d;2;%u;%u;%um", background ? 48 : 38, (argb >> 16) & 255, (argb >> 8) & 255,
                argb & 255);
  return text;
}

}  // namespace

void DrawIcon(const Picture& icon, std::ostream& out) {
  for (int y = 0; y < icon.height; y += 2) {
    out << "  ";
    for (int x = 0; x < icon.width; ++x) {
      const std::uint32_t top = icon.At(x, y);
      const std::uint32_t bottom = y + 1 < icon.height ? icon.At(x, y + 1) : 0;
      out << Colour(top, false) << Colour(bottom, true) << reinterpret_cast<const char*>(u8"\u2580");
    }
    out << "\x1b[0m\n";
  }
}

int ShowInfo(const std::string& library, std::ostream& out) {
  const LibraryResources resources(library);
  const LoadedModule module(library);
  // A generous buffer with a sentinel after it, so an overrun would show.
  std::vector<char> buffer(4096 + 1, '\x7f');
  buffer[0] = '\0';
  char* text = buffer.data();
  const std::int32_t status = module.GetModuleInfo()(0, &text);
  out << "library:     " << library << "\n";
  if (status != 0) {
    out << "descriptor:  GetModuleInfo failed\n";
  } else if (buffer[0] == '\0') {
    out << "descriptor:  none\n";
  } else {
    out << "descriptor:  " << rtl::GbkToUtf8Display(buffer.data()) << "\n";
  }
  if (const rtl::ResourceEntry* version = resources.Directory().Find(rtl::RT_VERSION, 1)) {
    const VersionInfo info = ParseVersionInfo(version->data);
    char language[32];
    std::snprintf(language, sizeof language, "%04X, code page %u", info.language, info.codePage);
    out << "file version:    " << Version(info.fileVersion) << "\n"
        << "product version: " << Version(info.productVersion) << "\n"
        << "language:        " << language << "\n";
    for (const auto& [key, value] : info.strings) {
      if (!value.empty()) out << "  " << key << ": " << value << "\n";
    }
  } else {
    out << "version:     none\n";
  }
  const std::vector<Picture> icons = LoadGroupIcon(resources.Directory(), "MAINICON");
  for (const Picture& icon : icons) {
    out << "icon MAINICON: " << icon.width << "x" << icon.height << ", " << icon.bitCount << " bits per pixel\n";
    if (isatty(STDOUT_FILENO) != 0) DrawIcon(icon, out);  // colour escapes only for a terminal
  }
  return 0;
}

}  // namespace host
