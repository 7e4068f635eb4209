#include "text/outsidetext.h"

#include <gtest/gtest.h>

namespace kelvara {
namespace {

TEST(OutsideText, ControlsAndBrokenBytesBecomeMarksAndLongTextIsCut)
{
    const struct {
        std::string text;
        std::size_t max;
        const char* shown;
    } cases[] = {
        {"Not Found", 40, "Not Found"},
        // A title change and a colour, as an HTTP reason phrase may carry them.
        {"\x1b]0;pwned\x07\x1b[31mred", 40, "?]0;pwned??[31mred"},
        {"tab\there\r\nDEL\x7f", 40, "tab?here??DEL?"},
        // C1 controls are two bytes in UTF-8 and steer terminals too; other characters stay whole.
        {"a\xc2\x9b"
         "31mb",
         40, "a?31mb"},
        {"Zürich €", 40, "Zürich €"},
        {"\xff\xfe"
         "x\xc3",
         40, "??x?"},
        {"\xe2\x82", 40, "??"},
        {"\xc0\xaf", 40, "??"}, // an overlong '/'
        // Cut after `max` characters, never inside one.
        {"abcdef", 3, "abc..."},
        {"ééé", 2, "éé..."},
        {"abc", 3, "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OutsideText(c.text, c.max), c.shown) << c.text;
}

} // namespace
} // namespace kelvara
