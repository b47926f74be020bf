// Images are the loaded modules; their resources are found with
// FindResourceW, LoadResource, LockResource and SizeofResource, and their
// strings loaded with LoadStringW, all through the module's handle.
#include <windows.h>

#include "runtime/module/PlatformImage.h"

namespace rtl::platform {
namespace {

std::optional<std::span<const std::uint8_t>> Data(HMODULE module, HRSRC found) {
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = ::LoadResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return std::nullopt;
  return std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), SizeofResource(module, found));
}

}  // namespace

void* ImageAt(const void* address) noexcept {
  HMODULE module = nullptr;
  const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (GetModuleHandleExW(flags, static_cast<LPCWSTR>(address), &module) == 0) return nullptr;
  return module;
}

std::string ImageFileName(const void* address) {
  HMODULE module = static_cast<HMODULE>(ImageAt(address));
  if (module == nullptr) return {};
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), utf8.data(), size, nullptr, nullptr);
  }
  return utf8;
}

std::optional<std::span<const std::uint8_t>> FindImageResource(void* image, std::uint16_t type, std::uint32_t id) {
  if (id > 0xFFFF) return std::nullopt;  // the platform numbers resources with 16 bits
  HMODULE module = static_cast<HMODULE>(image);
  return Data(module, FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type)));
}

std::optional<std::span<const std::uint8_t>> FindImageResource(void* image, std::uint16_t type, std::string_view name) {
  // Resource names are ASCII identifiers; anything else names nothing here.
  std::wstring wide;
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    wide += static_cast<wchar_t>(c);
  }
  if (wide.empty()) return std::nullopt;
  HMODULE module = static_cast<HMODULE>(image);
  return Data(module, FindResourceW(module, wide.c_str(), MAKEINTRESOURCEW(type)));
}

std::optional<std::u16string> LoadImageString(void* image, std::uint32_t id) {
  if (id > 0xFFFF) return std::nullopt;
  // With a zero buffer size LoadStringW hands out the text in the resource itself.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(static_cast<HMODULE>(image), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::u16string();
  return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length));
}

}  // namespace rtl::platform
