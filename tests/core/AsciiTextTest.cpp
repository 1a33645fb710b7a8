// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/AsciiText.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using tickwell::narrowAscii;

TEST(ascii_text, narrows_plain_text_of_every_length)
{
    // Lengths around the eight-character steps, and the longest entry texts.
    const std::u16string source = u"12:45 PM  Wednesday, September 25, 2030 and more text to reach 64!";
    for (std::size_t length = 0; length <= 64; ++length) {
        std::array<char, 64> out {};
        ASSERT_TRUE(narrowAscii(std::u16string_view(source).substr(0, length), out)) << length;
        EXPECT_EQ(std::string(out.data(), length), std::string(source.begin(), source.begin() + length))
            << length;
    }
}

TEST(ascii_text, refuses_any_character_beyond_ascii_wherever_it_stands)
{
    // Just past ASCII, a Latin-1 letter, past Latin-1, and a unit whose low byte looks like ASCII.
    for (const char16_t odd : { u'\u0080', u'\u00e9', u'\u0100', u'\uff41', u'\u4e2d' }) {
        for (std::size_t at = 0; at < 40; ++at) {
            std::u16string text(40, u'a');
            text[at] = odd;
            std::array<char, 64> out {};
            EXPECT_FALSE(narrowAscii(text, out)) << "at " << at << " unit " << int(odd);
        }
    }
    std::array<char, 64> out {};
    EXPECT_TRUE(narrowAscii(u"\u007f", out));
}
