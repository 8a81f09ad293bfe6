#pragma once
// Base64 (RFC 4648 section 4) for LDIF values (internal).
#include <string>

namespace dirclient {

std::string base64Encode(const unsigned char* data, size_t size);
// Decodes the text, ignoring spaces; false for any other character outside
// the alphabet, misplaced padding or a length that is not a whole number of
// groups.
bool base64Decode(const char* text, size_t length, std::string& out);

}  // namespace dirclient
