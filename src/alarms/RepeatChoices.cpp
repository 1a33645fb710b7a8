// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/RepeatChoices.h"

#include "alarms/RepeatWords.h"

namespace tickwell {

std::optional<std::size_t> readyChoiceFor(const std::optional<RepeatRule>& rule)
{
    if (!rule)
        return 0;
    for (std::size_t i = 1; i < readyRepeatChoices.size(); ++i) {
        if (parseRepeatWords(readyRepeatChoices[i].words).rule == rule)
            return i;
    }
    return std::nullopt;
}

} // namespace tickwell
