#include "zylma/qt/text_map.h"

#include <algorithm>
#include <cstdint>

namespace zylma::qt {

QString toQt(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

std::string fromQt(const QString& s) {
    QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

QString displayText(const std::string& utf8, bool multiLine) {
    QString s = toQt(utf8);
    if (multiLine) {
        s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        s.replace(QChar('\r'), QChar('\n'));
    }
    return s;
}

namespace {

// Walks the text one character at a time: how many layer characters and how many view units
// each step takes.
struct Step {
    int chars;
    int units;
    std::size_t bytes;
};

Step stepAt(const std::string& s, std::size_t i, bool multiLine) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (multiLine && c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') return {2, 1, 2};
    std::size_t n = 1;
    while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
    // Four-byte sequences lie outside the basic plane: two UTF-16 units.
    int units = (c >= 0xF0) ? 2 : 1;
    return {1, units, n};
}

}  // namespace

int viewPosition(const std::string& utf8, int chars, bool multiLine) {
    int ch = 0, units = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        Step st = stepAt(utf8, i, multiLine);
        if (ch + st.chars > chars) break;
        ch += st.chars;
        units += st.units;
        i += st.bytes;
    }
    return units;
}

int layerPosition(const std::string& utf8, int viewPos, bool multiLine) {
    int ch = 0, units = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        Step st = stepAt(utf8, i, multiLine);
        if (units + st.units > viewPos) break;
        ch += st.chars;
        units += st.units;
        i += st.bytes;
    }
    return ch;
}

QString withoutMnemonic(const std::string& caption) {
    QString in = toQt(caption), out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == QChar('&')) {
            if (i + 1 < in.size() && in[i + 1] == QChar('&')) {
                out += QChar('&');
                ++i;
            }
            continue;
        }
        out += in[i];
    }
    return out;
}

std::string pasteText(const QString& clip, bool multiLine) {
    QString s = clip;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QChar('\r'), QChar('\n'));
    if (multiLine)
        s.replace(QChar('\n'), QStringLiteral("\r\n"));
    else
        s.remove(QChar('\n'));
    return fromQt(s);
}

}  // namespace zylma::qt
