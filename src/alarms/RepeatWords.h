// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/Repetition.h"

#include <optional>
#include <string>
#include <string_view>

// A repetition in the words a user types after --repeat, and that --list
// gives back:
//
//   daily | weekdays | weekends | weekly | monthly | yearly
//   mon,wed,fri                      (every week on those days)
//   every 3 days | every 2 weeks | every 6 months | every 4 years
//   every 2 weeks on tue,thu         (also "every week on ...")
//
// then, optionally, "until 2031-06-30" or "10 times". Days are the first
// three letters of their English names (the whole names are read too);
// case and the number of blanks do not matter.
namespace tickwell {

std::string formatRepeatWords(const RepeatRule& rule);
// Why the words are no repetition, or the repetition.
struct RepeatWordsRead {
    std::optional<RepeatRule> rule;
    std::string fault;
};
RepeatWordsRead parseRepeatWords(std::string_view words);

} // namespace tickwell
