// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmChecks.h"

#include <algorithm>

namespace tickwell {

namespace {

// A reminder's line breaks as the editor writes them: CR LF, whether it
// came with CR LF, LF or CR alone.
std::string editorLineBreaks(std::string_view text)
{
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            lines += text[i];
        }
    }
    return lines;
}

// The length of a UTF-8 text as the editor counts it, in UTF-16 units; a
// byte that is not UTF-8 counts as one.
std::size_t editorLength(std::string_view utf8)
{
    std::size_t units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t size = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        bool whole = i + size <= utf8.size();
        for (std::size_t k = 1; whole && k < size; ++k)
            whole = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
        if (!whole) {
            ++units;
            ++i;
            continue;
        }
        // Beyond the Basic Multilingual Plane a character takes two units.
        units += size == 4 ? 2 : 1;
        i += size;
    }
    return units;
}

} // namespace

NewAlarm checkNewAlarm(std::optional<DateValue> when, DateValue now,
    const std::function<bool(DateValue)>& taken, std::string_view reminder)
{
    if (!when || *when == DateValue::noDate())
        return { noDateRefusal, {} };
    if (*when < now)
        return { pastRefusal, {} };
    if (taken(*when))
        return { duplicateRefusal, {} };
    std::string stored = editorLineBreaks(reminder);
    if (editorLength(stored) > longestReminder)
        return { tooLongRefusal, {} };
    if (stored.empty())
        stored = defaultReminder;
    return { {}, std::move(stored) };
}

std::optional<std::size_t> alarmToClear(
    std::span<const AlarmRecord> alarms, DateValue when, const std::optional<std::string>& reminder)
{
    const std::optional<std::string> wanted
        = reminder ? std::optional(editorLineBreaks(*reminder)) : std::nullopt;
    const auto found = std::find_if(alarms.begin(), alarms.end(), [&](const AlarmRecord& alarm) {
        return alarm.when == when && (!wanted || editorLineBreaks(alarm.reminder) == *wanted);
    });
    return found == alarms.end() ? std::nullopt : std::optional(std::size_t(found - alarms.begin()));
}

std::string nothingToClear(std::string_view minute, bool withReminder)
{
    return "No alarm is set for " + std::string(minute) + (withReminder ? " with that reminder." : ".");
}

} // namespace tickwell
