#include "zylma/qt/text_map.h"

#include <gtest/gtest.h>

using namespace zylma::qt;

TEST(TextMap, PositionsBetweenLayerCharactersAndWidgetUnits) {
    struct Case {
        const char* text;
        bool multiLine;
        int chars;
        int units;
        int back;  // the layer position the widget position maps back to
    };
    const Case cases[] = {
        {"ABC", false, 2, 2, 2},
        {"ñandú", false, 5, 5, 5},          // two-byte letters are one character and one unit
        {"a\xF0\x9F\x98\x80z", false, 2, 3, 2},  // outside the basic plane: two units
        {"ab\r\ncd", true, 4, 3, 4},        // a line end is two characters, one "\n" on screen
        {"ab\r\ncd", false, 4, 4, 4},
        {"ab", false, 9, 2, 2},             // clamped to the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(viewPosition(c.text, c.chars, c.multiLine), c.units) << c.text;
        EXPECT_EQ(layerPosition(c.text, c.units, c.multiLine), c.back) << c.text;
    }
    EXPECT_EQ(displayText("a\r\nb\rc", true), QString("a\nb\nc"));
}

TEST(TextMap, CaptionsAndPastes) {
    EXPECT_EQ(withoutMnemonic("E&scape"), QString("Escape"));
    EXPECT_EQ(withoutMnemonic("Fenzo && Cía"), QString("Fenzo & Cía"));
    EXPECT_EQ(withoutMnemonic("fin&"), QString("fin"));
    EXPECT_EQ(pasteText("12\r\n34\n5", false), "12345");
    EXPECT_EQ(pasteText("12\n34\r\n5", true), "12\r\n34\r\n5");
}
