// SPDX-License-Identifier: GPL-3.0-or-later
// What repeats, read from any bytes: the file of series keeps every line it
// cannot read byte for byte and reads its own rewrite back the same; words
// that make a repetition are written back as words that make the same one.
#include "Check.h"

#include "alarms/RepeatWords.h"
#include "alarms/SeriesFileFormat.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace tickwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const SeriesFileContents read = parseSeriesFile(bytes);
    const std::string written = formatSeriesFile(read.lines, read.kept);
    const SeriesFileContents again = parseSeriesFile(written);
    check(again.lines == read.lines, "a rewrite of the series reads back to other series");
    check(again.kept == read.kept, "a rewrite of the series keeps other lines");
    check(formatSeriesFile(again.lines, again.kept) == written, "a second rewrite of the series differs");
    for (const SeriesLine& line : read.lines) {
        const std::optional<DateValue> next = occurrenceAfter(line.series, line.series.first);
        check(
            next || line.series.rule.times || line.series.rule.until || line.series.first.parts().year > 9000,
            "a series without an end has no next occurrence");
        check(occurrenceIndex(line.series, line.series.first) == 0,
            "a series' first is not its first occurrence");
        if (next)
            check(occurrenceIndex(line.series, *next) == 1, "a series' second is not its second occurrence");
    }
    check(read.kept.size() <= bytes.size() + 1, "more is kept than was read");

    if (size <= 200) {
        const RepeatWordsRead words = parseRepeatWords(bytes);
        check(words.rule.has_value() == words.fault.empty(), "words with neither a rule nor a fault");
        if (words.rule) {
            const RepeatWordsRead back = parseRepeatWords(formatRepeatWords(*words.rule));
            check(back.rule == words.rule, "a repetition's words read back as another");
        }
    }
    return 0;
}
