// Texts of the dialler are Windows-1252 bytes, as the telephony and message-box calls take
// them; the source keeps them readable in UTF-8 and this turns them into bytes at compile time.
#pragma once

#include <cstddef>

namespace zylma::dialler {

template <std::size_t N>
struct AnsiText {
    char bytes[N]{};

    // Only ASCII and the Latin-1 letters (U+0080 to U+00FF, the same bytes in Windows-1252).
    consteval AnsiText(const char (&utf8)[N]) {
        std::size_t out = 0;
        for (std::size_t i = 0; i + 1 < N; ++i) {
            auto b = static_cast<unsigned char>(utf8[i]);
            if (b < 0x80) {
                bytes[out++] = static_cast<char>(b);
            } else if ((b == 0xC2 || b == 0xC3) && i + 2 < N) {
                auto next = static_cast<unsigned char>(utf8[i + 1]);
                bytes[out++] = static_cast<char>(((b & 0x03) << 6) | (next & 0x3F));
                ++i;
            } else {
                throw "not a Latin-1 text";  // stops the build
            }
        }
        bytes[out] = '\0';
    }

    constexpr const char* c_str() const { return bytes; }
};

}  // namespace zylma::dialler
