// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences' text on any bytes: what is read is always a value the
// clock can use, its lines are named only where they hold something, what
// is written of it reads back the same with every line read, and reading
// takes time in proportion to the bytes.
#include "Check.h"

#include "preferences/PreferencesText.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

using namespace tickwell;

namespace {

void readsInLinearTime(std::string_view bytes)
{
    std::string many;
    while (many.size() < (32u << 10))
        many += bytes;
    const double start = threadSeconds();
    readPreferences(many);
    check(threadSeconds() - start < 0.05 + 1e-6 * double(many.size()), "reading takes more than linear time");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ReadPreferences read = readPreferences(bytes);
    const Preferences& preferences = read.preferences;
    check(isValidRingTime(preferences.ringTime), "a ring time read that the clock does not take");
    check(std::all_of(preferences.snoozeMinutes.begin(), preferences.snoozeMinutes.end(), isValidSnooze),
        "a snooze read that the clock does not take");
    check(preferences.soundFile.find('\0') == std::string::npos, "a sound file's name with a NUL in it");
    const auto lines = std::count(bytes.begin(), bytes.end(), '\n') + 1;
    check(std::is_sorted(read.unreadLines.begin(), read.unreadLines.end())
            && std::all_of(read.unreadLines.begin(), read.unreadLines.end(),
                [lines](int line) { return line >= 1 && line <= lines; }),
        "an unread line that is no line of the text");

    const std::string written = writePreferences(preferences);
    const ReadPreferences again = readPreferences(written);
    check(again.preferences == preferences, "what is written reads back otherwise");
    check(again.unreadLines.empty(), "what is written has a line that cannot be read");
    check(writePreferences(again.preferences) == written, "a second writing differs");

    if (size >= 16 && data[size / 2] % 8 == 0)
        readsInLinearTime(bytes);
    return 0;
}
