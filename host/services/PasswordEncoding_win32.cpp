// The host's digests through the platform's cryptography (bcrypt).
#include <windows.h>
#include <bcrypt.h>

#include <stdexcept>
#include <vector>

#include "host/services/PasswordEncoding.h"

namespace host {
namespace {

std::string Digest(LPCWSTR algorithm, std::string_view bytes, const char* digits) {
  BCRYPT_ALG_HANDLE provider = nullptr;
  if (BCryptOpenAlgorithmProvider(&provider, algorithm, nullptr, 0) != 0) throw std::runtime_error("digest failed");
  DWORD length = 0;
  ULONG written = 0;
  std::vector<UCHAR> digest;
  bool ok = BCryptGetProperty(provider, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length), sizeof length, &written,
                              0) == 0;
  if (ok) {
    digest.resize(length);
    auto* input = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    BCRYPT_HASH_HANDLE hash = nullptr;
    ok = BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0) == 0;
    ok = ok && BCryptHashData(hash, input, static_cast<ULONG>(bytes.size()), 0) == 0 &&
         BCryptFinishHash(hash, digest.data(), length, 0) == 0;
    if (hash != nullptr) BCryptDestroyHash(hash);
  }
  BCryptCloseAlgorithmProvider(provider, 0);
  if (!ok) throw std::runtime_error("digest failed");
  std::string hex;
  hex.reserve(digest.size() * 2);
  for (UCHAR byte : digest) {
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

}  // namespace

std::string EncodeHostPassword(std::string_view gbkPassword) {
  return Digest(BCRYPT_SHA256_ALGORITHM, gbkPassword, "0123456789ABCDEF");
}

std::string Md5Hex(std::string_view bytes) { return Digest(BCRYPT_MD5_ALGORITHM, bytes, "0123456789abcdef"); }

}  // namespace host
