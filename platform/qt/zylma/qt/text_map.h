// Conversions between the form layer's texts and what a Qt widget shows.
//
// The layer counts positions in characters of its UTF-8 text, with "\r\n" as two characters (a
// multi-line box keeps the desktop's line ends). A Qt widget counts UTF-16 units and, in a
// multi-line box, shows one "\n" per line end.
#pragma once

#include <string>

#include <QString>

namespace zylma::qt {

QString toQt(const std::string& utf8);
std::string fromQt(const QString& s);

// What a multi-line widget shows for a text: every "\r\n" (and a lone "\r") as "\n".
QString displayText(const std::string& utf8, bool multiLine);

// Position in the widget (UTF-16 units of displayText) for a layer position (characters), and
// back. Out-of-range positions are clamped to the text.
int viewPosition(const std::string& utf8, int chars, bool multiLine);
int layerPosition(const std::string& utf8, int viewPos, bool multiLine);

// A caption as a plain label shows it: "&x" is a mnemonic mark, "&&" a literal "&".
QString withoutMnemonic(const std::string& caption);

// A pasted text made fit for the box: no line ends in a single-line box, "\r\n" line ends in a
// multi-line one.
std::string pasteText(const QString& clip, bool multiLine);

}  // namespace zylma::qt
