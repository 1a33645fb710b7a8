// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/RepeatChoices.h"
#include "alarms/RepeatWords.h"

#include <gtest/gtest.h>

#include <string>

using namespace tickwell;

TEST(repeat_choices, each_ready_choice_is_found_again_from_its_rule)
{
    EXPECT_EQ(readyChoiceFor(std::nullopt), 0U);
    for (std::size_t i = 1; i < readyRepeatChoices.size(); ++i) {
        const RepeatWordsRead read = parseRepeatWords(readyRepeatChoices[i].words);
        ASSERT_TRUE(read.rule) << readyRepeatChoices[i].text;
        EXPECT_EQ(formatRepeatWords(*read.rule), readyRepeatChoices[i].words);
        EXPECT_EQ(readyChoiceFor(read.rule), i) << readyRepeatChoices[i].text;
    }
    // Words a ready choice says are that choice; the rest are custom.
    EXPECT_EQ(readyChoiceFor(parseRepeatWords("every day").rule), 1U);
    EXPECT_EQ(readyChoiceFor(parseRepeatWords("mon,tue,wed,thu,fri").rule), 2U);
    for (const char* custom :
        { "every 2 weeks", "weekdays 10 times", "mon,wed,fri", "daily until 2031-01-01" })
        EXPECT_EQ(readyChoiceFor(parseRepeatWords(custom).rule), std::nullopt) << custom;
}
