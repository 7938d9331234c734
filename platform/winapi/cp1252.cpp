#include "zylma/winapi/cp1252.h"

#include <cstdint>

namespace zylma::winapi {
namespace {

// 0x80-0x9F; 0 marks the five bytes with no character.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int toCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] != 0 && kHigh[i] == c) return 0x80 + i;
    return -1;
}

}  // namespace

std::string cp1252ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) {
        if (b < 0x80 || b >= 0xA0) {
            appendUtf8(out, b);
        } else {
            char32_t c = kHigh[b - 0x80];
            appendUtf8(out, c != 0 ? c : 0xFFFD);
        }
    }
    return out;
}

std::string utf8ToCp1252(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        unsigned char b = s[i];
        char32_t c = 0;
        std::size_t len = 0;
        if (b < 0x80) { c = b; len = 1; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; len = 2; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; len = 3; }
        else if ((b & 0xF8) == 0xF0) { c = b & 0x07; len = 4; }
        bool ok = len != 0 && i + len <= n;
        for (std::size_t k = 1; ok && k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) ok = false;
            else c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (!ok) {  // a broken sequence: one "?" for its lead byte, then resynchronise
            out += '?';
            ++i;
            continue;
        }
        int mapped = toCp1252(c);
        out += mapped < 0 ? '?' : static_cast<char>(mapped);
        i += len;
    }
    return out;
}

}  // namespace zylma::winapi
