// Windows-1252 <-> UTF-8, for the texts that cross between the dialler (8-bit ANSI) and the
// program (UTF-8).
#pragma once

#include <string>

namespace zylma::winapi {

// Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character: they come back as U+FFFD.
std::string cp1252ToUtf8(const std::string& bytes);
// A character with no Windows-1252 byte (or a broken UTF-8 sequence) becomes "?".
std::string utf8ToCp1252(const std::string& utf8);

}  // namespace zylma::winapi
