// The reference host's password encodings: what its EncodePassword gives
// the context edition, and the digest the automation edition stores.
//
// The context edition stores whatever the host's EncodePassword yields. This
// host's encoding is the SHA-256 digest of the password's GBK bytes, written
// as 64 upper-case hexadecimal digits: deterministic, and never the password
// itself. The automation edition stores the MD5 digest of the trimmed
// password as 32 lower-case hexadecimal digits; the host needs it only to
// create demo users.
#pragma once

#include <string>
#include <string_view>

namespace host {

std::string EncodeHostPassword(std::string_view gbkPassword);
std::string Md5Hex(std::string_view bytes);

}  // namespace host
