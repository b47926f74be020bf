#include <openssl/evp.h>

#include <stdexcept>

#include "host/services/PasswordEncoding.h"

namespace host {
namespace {

std::string Digest(const EVP_MD* type, std::string_view bytes, const char* digits) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, type, nullptr) != 1) {
    throw std::runtime_error("digest failed");
  }
  std::string hex;
  hex.reserve(std::size_t{length} * 2);
  for (unsigned int i = 0; i < length; ++i) {
    hex += digits[digest[i] >> 4];
    hex += digits[digest[i] & 15];
  }
  return hex;
}

}  // namespace

std::string EncodeHostPassword(std::string_view gbkPassword) {
  return Digest(EVP_sha256(), gbkPassword, "0123456789ABCDEF");
}

std::string Md5Hex(std::string_view bytes) { return Digest(EVP_md5(), bytes, "0123456789abcdef"); }

}  // namespace host
