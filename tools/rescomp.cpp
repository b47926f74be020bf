// rescomp: builds a module's resources from a manifest. By default it
// writes them as C++ source: a blob in a constant array in the section
// "velmora_rsrc", where the host can find it in the library file without
// running it. With --res it writes the same resources as a Windows .res
// file instead (for windres), and the source only marks the image they are
// linked into. Either way a header beside the source declares the function
// that gives the module's resources.
//
// Usage: rescomp [--res <output.res>] <manifest> <output.cpp> <function-name> [<generated.strings|.units>...]
//   The function name may be qualified by a namespace (context::Resources);
//   the header is <output>.h.
//
// Generated files: a .strings file adds string-table blocks, a .units file
// (strtab's listing of the string units) the resource STRINGUNITS as it is.
//
// Manifest lines (paths relative to the manifest; # starts a comment):
//   form    <CLASSNAME> <file>      a form description: UTF-8 text, taken as GBK and
//                                    stored in its binary form (FormStream.h);
//                                    {@icon f}, {@bitmap f} and
//                                    {@imagelist numbered N W H} expand to binary
//   icon    <NAME> <file>            a group icon (and its images) from a picture
//   version <file>                   version information from key = value lines
//   strings <file>                   string-table blocks: lines "<id><TAB><text>"
//   manifest <file>                  a program's application manifest (RT_MANIFEST 1), as it is
//   edition <context|automation>     the resource that tells a host which edition
//                                    the library is (see contract/VelmoraContract.h)
//
// Pictures are text: "size W H", "depths 4 8 24 32", then "pixels" and H
// rows of W characters, each a colour of the standard 16-colour palette
// (0-9, a-f) or '.' for transparent.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "FormText.h"
#include "ToolText.h"
#include "contract/VelmoraContract.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

using tooltext::Fail;
using tooltext::ToGbk;
using tooltext::ToUtf16;

// Every file the run reads, for the build's dependency file: the build
// learns from it which pictures and texts a manifest's resources come from.
std::vector<fs::path>& InputsRead() {
  static std::vector<fs::path> inputs;
  return inputs;
}

std::string ReadFile(const fs::path& path) {
  InputsRead().push_back(fs::absolute(path));
  return tooltext::ReadFile(path);
}

// A dependency file in Make's syntax: output depends on every input read.
void WriteDepfile(const fs::path& depfile, const fs::path& output) {
  auto escaped = [](const fs::path& path) {
    std::string out;
    for (const char c : path.generic_string()) {
      if (c == ' ' || c == '#') out += '\\';
      if (c == '$') out += '$';
      out += c;
    }
    return out;
  };
  std::ofstream out(depfile, std::ios::binary);
  out << escaped(fs::absolute(output)) << ":";
  for (const fs::path& input : InputsRead()) out << " \\\n  " << escaped(input);
  out << "\n";
  if (!out) Fail("cannot write " + depfile.string());
}

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void Set16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  Set16(b, at, v & 0xFFFF);
  Set16(b, at + 2, v >> 16);
}
void Align(Bytes& b, std::size_t n) {
  while (b.size() % n != 0) b.push_back(0);
}

// ---- pictures -------------------------------------------------------------

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr Rgb kPalette[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                              {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                              {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                              {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

struct Picture {
  int width = 0, height = 0;
  std::vector<int> depths;
  std::vector<int> pixels;  // palette index, -1 transparent; row 0 at the top
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
  int At(int x, int y) const { return pixels[Index(x, y)]; }
};

Picture ParsePicture(const fs::path& path) {
  std::istringstream in(ReadFile(path));
  Picture p;
  std::string line;
  bool inPixels = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!inPixels) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream words(line);
      std::string key;
      words >> key;
      if (key == "size") {
        words >> p.width >> p.height;
      } else if (key == "depths") {
        int d = 0;
        while (words >> d) p.depths.push_back(d);
      } else if (key == "pixels") {
        inPixels = true;
      } else {
        Fail(path.string() + ": unknown line '" + line + "'");
      }
      continue;
    }
    if (static_cast<int>(p.pixels.size()) == p.width * p.height) {
      if (!line.empty() && line[0] != '#') Fail(path.string() + ": more rows than the size says");
      continue;
    }
    if (static_cast<int>(line.size()) != p.width) Fail(path.string() + ": row of wrong width: '" + line + "'");
    for (char c : line) {
      if (c == '.') p.pixels.push_back(-1);
      else if (c >= '0' && c <= '9') p.pixels.push_back(c - '0');
      else if (c >= 'a' && c <= 'f') p.pixels.push_back(c - 'a' + 10);
      else Fail(path.string() + ": bad pixel '" + std::string(1, c) + "'");
    }
  }
  if (p.width <= 0 || p.height <= 0 || static_cast<int>(p.pixels.size()) != p.width * p.height) {
    Fail(path.string() + ": picture incomplete");
  }
  if (p.depths.empty()) p.depths.push_back(4);
  for (int d : p.depths) {
    if (d != 4 && d != 8 && d != 24 && d != 32) Fail(path.string() + ": unsupported depth " + std::to_string(d));
  }
  return p;
}

std::size_t RowBytes(int width, int bits) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
}

// BITMAPINFOHEADER, palette and bottom-up pixels; for an icon image the height
// field counts the AND mask too and the mask follows the pixels.
Bytes Dib(const Picture& p, int bits, bool withMask) {
  Bytes b;
  const int paletteSize = bits == 4 ? 16 : bits == 8 ? 256 : 0;
  const std::size_t xorBytes = RowBytes(p.width, bits) * static_cast<std::size_t>(p.height);
  const std::size_t andBytes = withMask ? RowBytes(p.width, 1) * static_cast<std::size_t>(p.height) : 0;
  Put32(b, 40);
  Put32(b, static_cast<std::uint32_t>(p.width));
  Put32(b, static_cast<std::uint32_t>(withMask ? p.height * 2 : p.height));
  Put16(b, 1);
  Put16(b, static_cast<std::uint32_t>(bits));
  Put32(b, 0);
  Put32(b, static_cast<std::uint32_t>(xorBytes + andBytes));
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, static_cast<std::uint32_t>(paletteSize));
  Put32(b, 0);
  for (int i = 0; i < paletteSize; ++i) {
    const Rgb c = i < 16 ? kPalette[i] : Rgb{0, 0, 0};
    b.push_back(c.b);
    b.push_back(c.g);
    b.push_back(c.r);
    b.push_back(0);
  }
  for (int y = p.height - 1; y >= 0; --y) {
    Bytes row;
    for (int x = 0; x < p.width; ++x) {
      const int index = p.At(x, y);
      const Rgb c = index < 0 ? Rgb{0, 0, 0} : kPalette[index];
      const int value = index < 0 ? 0 : index;
      if (bits == 4) {
        if (x % 2 == 0) row.push_back(static_cast<std::uint8_t>(value << 4));
        else row.back() = static_cast<std::uint8_t>(row.back() | value);
      } else if (bits == 8) {
        row.push_back(static_cast<std::uint8_t>(value));
      } else {
        row.push_back(c.b);
        row.push_back(c.g);
        row.push_back(c.r);
        if (bits == 32) row.push_back(index < 0 ? 0 : 255);
      }
    }
    row.resize(RowBytes(p.width, bits), 0);
    b.insert(b.end(), row.begin(), row.end());
  }
  if (withMask) {
    for (int y = p.height - 1; y >= 0; --y) {
      Bytes row(RowBytes(p.width, 1), 0);
      for (int x = 0; x < p.width; ++x) {
        if (p.At(x, y) < 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
      b.insert(b.end(), row.begin(), row.end());
    }
  }
  return b;
}

struct IconImage {
  int width, height, bits;
  Bytes dib;
};

std::vector<IconImage> IconImages(const Picture& p) {
  std::vector<IconImage> images;
  for (int bits : p.depths) images.push_back({p.width, p.height, bits, Dib(p, bits, true)});
  return images;
}

void PutIconDirEntry(Bytes& b, const IconImage& image) {
  b.push_back(static_cast<std::uint8_t>(image.width >= 256 ? 0 : image.width));
  b.push_back(static_cast<std::uint8_t>(image.height >= 256 ? 0 : image.height));
  b.push_back(static_cast<std::uint8_t>(image.bits == 4 ? 16 : 0));
  b.push_back(0);
  Put16(b, 1);
  Put16(b, static_cast<std::uint32_t>(image.bits));
  Put32(b, static_cast<std::uint32_t>(image.dib.size()));
}

// An .ico file: directory, then the images.
Bytes IcoFile(const Picture& p) {
  const auto images = IconImages(p);
  Bytes b;
  Put16(b, 0);
  Put16(b, 1);
  Put16(b, static_cast<std::uint32_t>(images.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const IconImage& image : images) {
    PutIconDirEntry(b, image);
    Put32(b, offset);
    offset += static_cast<std::uint32_t>(image.dib.size());
  }
  for (const IconImage& image : images) b.insert(b.end(), image.dib.begin(), image.dib.end());
  return b;
}

// A bitmap as a graphic stream: its size, then a .bmp file.
Bytes BitmapStream(const Picture& p) {
  if (p.depths.size() != 1) Fail("a bitmap has exactly one depth");
  const Bytes dib = Dib(p, p.depths[0], false);
  const int paletteSize = p.depths[0] == 4 ? 16 : p.depths[0] == 8 ? 256 : 0;
  Bytes file{'B', 'M'};
  Put32(file, static_cast<std::uint32_t>(14 + dib.size()));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + 40 + paletteSize * 4));
  file.insert(file.end(), dib.begin(), dib.end());
  Bytes b;
  Put32(b, static_cast<std::uint32_t>(file.size()));
  b.insert(b.end(), file.begin(), file.end());
  return b;
}

// Tiles numbered 1..count in a 3x5 digit font, one colour per tile, as one
// 4-bit strip: a plain image list that nothing needs to look at closely.
Picture NumberedStrip(int count, int width, int height) {
  static const char* kDigits[10] = {"111101101101111", "010110010010111", "111001111100111", "111001111001111",
                                    "101101111001001", "111100111001111", "111100111101111", "111001001001001",
                                    "111101111101111", "111101111001111"};
  Picture p;
  p.width = count * width;
  p.height = height;
  p.depths = {4};
  p.pixels.assign(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height), -1);
  for (int tile = 0; tile < count; ++tile) {
    const int colour = 1 + tile % 14;
    const std::string number = std::to_string(tile + 1);
    const int textWidth = static_cast<int>(number.size()) * 4 - 1;
    const int left = tile * width + (width - textWidth) / 2;
    const int top = (height - 5) / 2;
    for (int y = 1; y < height - 1; ++y) {
      for (int x = 1; x < width - 1; ++x) p.pixels[p.Index(tile * width + x, y)] = colour;
    }
    for (std::size_t d = 0; d < number.size(); ++d) {
      const char* glyph = kDigits[number[d] - '0'];
      for (int gy = 0; gy < 5; ++gy) {
        for (int gx = 0; gx < 3; ++gx) {
          if (glyph[gy * 3 + gx] == '1') {
            const int x = left + static_cast<int>(d) * 4 + gx;
            p.pixels[p.Index(x, top + gy)] = 15;
          }
        }
      }
    }
  }
  return p;
}

std::string Hex(const Bytes& b) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string out = "{";
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (i % 32 == 0) out += "\n      ";
    out += kDigits[b[i] >> 4];
    out += kDigits[b[i] & 15];
  }
  out += "}";
  return out;
}

// Expands {@icon f}, {@bitmap f} and {@imagelist numbered N W H} in a form description.
std::string ExpandDirectives(const std::string& text, const fs::path& base) {
  std::string out;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t start = text.find("{@", pos);
    if (start == std::string::npos) break;
    const std::size_t end = text.find('}', start);
    if (end == std::string::npos) Fail("unterminated {@ directive");
    out += text.substr(pos, start - pos);
    std::istringstream words(text.substr(start + 2, end - start - 2));
    std::string kind, arg;
    words >> kind >> arg;
    if (kind == "icon") {
      // A picture holding an icon: the graphic's class name, then the icon file.
      Bytes b{5, 'T', 'I', 'c', 'o', 'n'};
      const Bytes ico = IcoFile(ParsePicture(base / arg));
      b.insert(b.end(), ico.begin(), ico.end());
      out += Hex(b);
    } else if (kind == "bitmap") {
      out += Hex(BitmapStream(ParsePicture(base / arg)));
    } else if (kind == "imagelist" && arg == "numbered") {
      int count = 0, width = 0, height = 0;
      words >> count >> width >> height;
      if (count <= 0 || width < 8 || height < 7) Fail("bad imagelist directive");
      out += Hex(BitmapStream(NumberedStrip(count, width, height)));
    } else {
      Fail("unknown directive {@" + kind + "}");
    }
    pos = end + 1;
  }
  out += text.substr(pos);
  return out;
}

// The binary form of a description's GBK text; a syntax error names the file.
Bytes CompileForm(const std::string& gbk, const std::string& file) {
  try {
    return formtext::Compile(gbk);
  } catch (const formtext::SyntaxError& e) {
    Fail(file + ": " + e.what());
  }
}

// ---- version information ----------------------------------------------------

// A node of the version-information tree: length, value length, type, key,
// padding, value, padding, children.
Bytes VersionNode(const std::string& key, const Bytes& value, std::uint32_t valueLength, bool text,
                  const std::vector<Bytes>& children) {
  Bytes b;
  Put16(b, 0);
  Put16(b, valueLength);
  Put16(b, text ? 1 : 0);
  const std::string wideKey = ToUtf16(key, "version key");
  b.insert(b.end(), wideKey.begin(), wideKey.end());
  Put16(b, 0);
  Align(b, 4);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    Align(b, 4);
    b.insert(b.end(), child.begin(), child.end());
  }
  Set16(b, 0, static_cast<std::uint32_t>(b.size()));
  return b;
}

std::vector<std::uint32_t> ParseVersion(const std::string& text) {
  std::vector<std::uint32_t> parts;
  std::istringstream in(text);
  std::string part;
  while (std::getline(in, part, '.')) parts.push_back(static_cast<std::uint32_t>(std::stoul(part)));
  if (parts.size() != 4) Fail("a version has four numbers: " + text);
  return parts;
}

Bytes VersionResource(const fs::path& path) {
  std::istringstream in(ReadFile(path));
  std::map<std::string, std::string> settings;
  std::vector<std::pair<std::string, std::string>> strings;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) Fail(path.string() + ": expected key = value");
    auto trim = [](std::string s) {
      s.erase(0, s.find_first_not_of(" \t"));
      s.erase(s.find_last_not_of(" \t") + 1);
      return s;
    };
    const std::string key = trim(line.substr(0, eq));
    const std::string value = trim(line.substr(eq + 1));
    if (key.starts_with("string.")) strings.emplace_back(key.substr(7), value);
    else settings[key] = value;
  }
  const auto file = ParseVersion(settings.at("FileVersion"));
  const auto product = ParseVersion(settings.at("ProductVersion"));
  const std::uint32_t language = static_cast<std::uint32_t>(std::stoul(settings.at("Language"), nullptr, 16));
  const std::uint32_t codePage = static_cast<std::uint32_t>(std::stoul(settings.at("CodePage")));
  Bytes fixed;
  Put32(fixed, 0xFEEF04BD);
  Put32(fixed, 0x00010000);
  Put32(fixed, file[0] << 16 | file[1]);
  Put32(fixed, file[2] << 16 | file[3]);
  Put32(fixed, product[0] << 16 | product[1]);
  Put32(fixed, product[2] << 16 | product[3]);
  Put32(fixed, 0x3F);
  Put32(fixed, 0);
  Put32(fixed, 0x40004);  // 32-bit Windows
  Put32(fixed, 2);        // a library
  Put32(fixed, 0);
  Put32(fixed, 0);
  Put32(fixed, 0);
  std::vector<Bytes> stringNodes;
  for (const auto& [key, value] : strings) {
    std::string wide = ToUtf16(value, "version string " + key);
    wide += std::string(2, '\0');
    stringNodes.push_back(
        VersionNode(key, Bytes(wide.begin(), wide.end()), static_cast<std::uint32_t>(wide.size() / 2), true, {}));
  }
  char tableKey[16];
  std::snprintf(tableKey, sizeof tableKey, "%04X%04X", language, codePage);
  const Bytes table = VersionNode(tableKey, {}, 0, true, stringNodes);
  const Bytes stringInfo = VersionNode("StringFileInfo", {}, 0, true, {table});
  Bytes translation;
  Put16(translation, language);
  Put16(translation, codePage);
  const Bytes var = VersionNode("Translation", translation, 4, false, {});
  const Bytes varInfo = VersionNode("VarFileInfo", {}, 0, true, {var});
  return VersionNode("VS_VERSION_INFO", fixed, static_cast<std::uint32_t>(fixed.size()), false, {stringInfo, varInfo});
}

// ---- string tables ----------------------------------------------------------

// Blocks of sixteen length-counted UTF-16 strings; block n holds ids 16(n-1) to 16(n-1)+15.
std::map<std::uint32_t, Bytes> StringBlocks(const fs::path& path) {
  std::istringstream in(ReadFile(path));
  std::map<std::uint32_t, std::map<std::uint32_t, std::string>> blocks;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) Fail(path.string() + ": expected id<TAB>text");
    const auto id = static_cast<std::uint32_t>(std::stoul(line.substr(0, tab)));
    if (id > 0xFFFF) Fail(path.string() + ": string id beyond 65535");
    const std::string text = tooltext::Unescape(line.substr(tab + 1), path.string());
    if (!blocks[id / 16 + 1].emplace(id % 16, ToUtf16(text, "string " + std::to_string(id))).second) {
      Fail(path.string() + ": string id " + std::to_string(id) + " twice");
    }
  }
  std::map<std::uint32_t, Bytes> result;
  for (const auto& [block, entries] : blocks) {
    Bytes b;
    for (std::uint32_t i = 0; i < 16; ++i) {
      const auto it = entries.find(i);
      const std::string wide = it == entries.end() ? std::string() : it->second;
      Put16(b, static_cast<std::uint32_t>(wide.size() / 2));
      b.insert(b.end(), wide.begin(), wide.end());
    }
    result.emplace(block, std::move(b));
  }
  return result;
}

// ---- the blob ---------------------------------------------------------------

struct Resource {
  std::uint16_t type;
  std::uint16_t language;
  std::string name;
  std::uint32_t id;
  Bytes data;
};

constexpr std::uint16_t RT_ICON = 3, RT_STRING = 6, RT_RCDATA = 10, RT_GROUP_ICON = 14, RT_VERSION = 16,
                        RT_MANIFEST = 24;
// The manifest a program's loader reads (CREATEPROCESS_MANIFEST_RESOURCE_ID).
constexpr std::uint32_t kProgramManifest = 1;
constexpr std::uint16_t kNeutral = 0;

// The table, then every name, then the data: reading the table at load
// touches the blob's first pages only.
Bytes Blob(const std::vector<Resource>& resources) {
  Bytes b{'V', 'R', 'E', 'S'};
  Put32(b, static_cast<std::uint32_t>(resources.size()));
  const std::size_t table = b.size();
  b.resize(table + 20 * resources.size());
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const Resource& r = resources[i];
    if (r.name.empty()) continue;
    Set32(b, table + 20 * i + 4, static_cast<std::uint32_t>(b.size()));
    for (char c : r.name) b.push_back(static_cast<std::uint8_t>(std::toupper(static_cast<unsigned char>(c))));
    b.push_back(0);
  }
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const Resource& r = resources[i];
    const std::size_t at = table + 20 * i;
    Align(b, 4);
    const auto dataOffset = static_cast<std::uint32_t>(b.size());
    b.insert(b.end(), r.data.begin(), r.data.end());
    Set16(b, at, r.type);
    Set16(b, at + 2, r.language);
    Set32(b, at + 8, r.id);
    Set32(b, at + 12, dataOffset);
    Set32(b, at + 16, static_cast<std::uint32_t>(r.data.size()));
  }
  return b;
}

// The function's namespace (empty for none) and its own name.
std::pair<std::string, std::string> SplitQualified(const std::string& function) {
  const std::size_t colons = function.rfind("::");
  if (colons == std::string::npos) return {"", function};
  return {function.substr(0, colons), function.substr(colons + 2)};
}

void WriteHeader(const fs::path& header, const std::string& function, const fs::path& manifest) {
  const auto [space, name] = SplitQualified(function);
  std::ofstream out(header);
  out << "// Generated by rescomp from " << manifest.filename().string() << ". Do not edit.\n"
      << "#pragma once\n\n#include \"runtime/module/Module.h\"\n\n";
  if (!space.empty()) out << "namespace " << space << " {\n\n";
  out << "// Where the module's resources are (runtime/module/Module.h).\n"
      << "rtl::ResourceSource " << name << "();\n";
  if (!space.empty()) out << "\n}  // namespace " << space << "\n";
  if (!out) Fail("cannot write " + header.string());
}

void WriteSource(const fs::path& output, const std::string& function, const Bytes& blob, const fs::path& manifest) {
  std::ofstream out(output);
  out << "// Generated by rescomp from " << manifest.filename().string() << ". Do not edit.\n"
      << "#include \"" << fs::path(output).replace_extension(".h").filename().string() << "\"\n\n"
      << "#include <cstdint>\n\n"
      << "namespace {\n"
      << "alignas(8) __attribute__((section(\"velmora_rsrc\"), used)) const std::uint8_t kResources[" << blob.size()
      << "] = {";
  for (std::size_t i = 0; i < blob.size(); ++i) {
    if (i % 24 == 0) out << "\n";
    out << static_cast<unsigned>(blob[i]) << ",";
  }
  out << "\n};\n}  // namespace\n\n"
      << "rtl::ResourceSource " << function << "() { return kResources; }\n";
  if (!out) Fail("cannot write " + output.string());
  WriteHeader(fs::path(output).replace_extension(".h"), function, manifest);
}

// The source beside a .res file: the resources are the platform's, found
// through the image that holds this anchor.
void WriteAnchorSource(const fs::path& output, const std::string& function, const fs::path& manifest) {
  std::ofstream out(output);
  out << "// Generated by rescomp from " << manifest.filename().string() << ". Do not edit.\n"
      << "#include \"" << fs::path(output).replace_extension(".h").filename().string() << "\"\n\n"
      << "namespace {\nconst char kAnchor = 0;\n}  // namespace\n\n"
      << "rtl::ResourceSource " << function << "() { return rtl::ResourceSource::LinkedInto(&kAnchor); }\n";
  if (!out) Fail("cannot write " + output.string());
  WriteHeader(fs::path(output).replace_extension(".h"), function, manifest);
}

// A resource's type or name in a .res header: an ordinal, or an upper-case
// UTF-16 name.
void PutResId(Bytes& b, const std::string& name, std::uint32_t id) {
  if (name.empty()) {
    Put16(b, 0xFFFF);
    Put16(b, id);
    return;
  }
  for (char c : name) Put16(b, static_cast<std::uint32_t>(std::toupper(static_cast<unsigned char>(c))));
  Put16(b, 0);
}

// A .res file: an empty first entry, then per resource a header (sizes,
// type, name, flags, language) and its data, each aligned to four bytes.
Bytes ResFile(const std::vector<Resource>& resources) {
  Bytes b;
  auto put = [&b](std::uint16_t type, const std::string& name, std::uint32_t id, std::uint16_t flags,
                  std::uint16_t language, const Bytes& data) {
    Bytes header;
    PutResId(header, "", type);
    PutResId(header, name, id);
    Align(header, 4);
    Put32(header, 0);  // data version
    Put16(header, flags);
    Put16(header, language);
    Put32(header, 0);  // version
    Put32(header, 0);  // characteristics
    Put32(b, static_cast<std::uint32_t>(data.size()));
    Put32(b, static_cast<std::uint32_t>(8 + header.size()));
    b.insert(b.end(), header.begin(), header.end());
    b.insert(b.end(), data.begin(), data.end());
    Align(b, 4);
  };
  put(0, "", 0, 0, 0, {});
  constexpr std::uint16_t kMoveable = 0x10, kPure = 0x20, kDiscardable = 0x1000;
  for (const Resource& r : resources) {
    const bool icon = r.type == RT_ICON || r.type == RT_GROUP_ICON;
    put(r.type, r.name, r.id, static_cast<std::uint16_t>(kMoveable | kDiscardable | (icon ? 0 : kPure)), r.language,
        r.data);
  }
  return b;
}

void WriteBinary(const fs::path& output, const Bytes& bytes) {
  std::ofstream out(output, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail("cannot write " + output.string());
}

}  // namespace

int main(int argc, char** argv) {
  std::string resOutput;
  std::string depfile;
  for (;;) {
    if (argc > 2 && std::string(argv[1]) == "--res") {
      resOutput = argv[2];
    } else if (argc > 2 && std::string(argv[1]) == "--depfile") {
      depfile = argv[2];
    } else {
      break;
    }
    argc -= 2;
    argv += 2;
  }
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: rescomp [--res <output.res>] [--depfile <output.d>] <manifest> <output.cpp> "
                 "<function-name> [<generated.strings|.units>...]\n");
    return 2;
  }
  try {
    const fs::path manifest = argv[1];
    const fs::path base = manifest.parent_path();
    std::istringstream in(ReadFile(manifest));
    std::vector<Resource> resources;
    std::uint32_t nextIconId = 1;
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream words(line);
      std::string kind, a, b;
      words >> kind >> a >> b;
      if (kind == "form") {
        const std::string text = ExpandDirectives(ReadFile(base / b), base);
        resources.push_back({RT_RCDATA, kNeutral, a, 0, CompileForm(ToGbk(text, b), b)});
      } else if (kind == "icon") {
        const auto images = IconImages(ParsePicture(base / b));
        Bytes group;
        Put16(group, 0);
        Put16(group, 1);
        Put16(group, static_cast<std::uint32_t>(images.size()));
        for (const IconImage& image : images) {
          PutIconDirEntry(group, image);
          Put16(group, nextIconId);
          resources.push_back({RT_ICON, kNeutral, "", nextIconId++, image.dib});
        }
        resources.push_back({RT_GROUP_ICON, kNeutral, a, 0, group});
      } else if (kind == "version") {
        resources.push_back({RT_VERSION, 0x0804, "", 1, VersionResource(base / a)});
      } else if (kind == "edition") {
        if (a != "context" && a != "automation") Fail(manifest.string() + ": unknown edition '" + a + "'");
        Bytes mark;
        Put32(mark, static_cast<std::uint32_t>(a == "context" ? velmora::ContextDisplayKind
                                                              : velmora::AutomationDisplayKind));
        resources.push_back({RT_RCDATA, kNeutral, velmora::EditionResource, 0, mark});
      } else if (kind == "manifest") {
        const std::string text = ReadFile(base / a);
        resources.push_back({RT_MANIFEST, kNeutral, "", kProgramManifest, Bytes(text.begin(), text.end())});
      } else if (kind == "strings") {
        for (auto& [block, data] : StringBlocks(base / a)) resources.push_back({RT_STRING, kNeutral, "", block, data});
      } else {
        Fail(manifest.string() + ": unknown resource kind '" + kind + "'");
      }
    }
    // String tables generated at build time come after the manifest's resources.
    for (int i = 4; i < argc; ++i) {
      const fs::path generated = argv[i];
      if (generated.extension() == ".units") {
        const std::string listing = ReadFile(generated);
        resources.push_back({RT_RCDATA, kNeutral, "STRINGUNITS", 0, Bytes(listing.begin(), listing.end())});
        continue;
      }
      for (auto& [block, data] : StringBlocks(generated)) resources.push_back({RT_STRING, kNeutral, "", block, data});
    }
    if (resOutput.empty()) {
      WriteSource(argv[2], argv[3], Blob(resources), manifest);
    } else {
      WriteBinary(resOutput, ResFile(resources));
      WriteAnchorSource(argv[2], argv[3], manifest);
    }
    if (!depfile.empty()) WriteDepfile(depfile, argv[2]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "rescomp: %s\n", e.what());
    return 1;
  }
}
