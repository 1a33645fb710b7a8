// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/SeriesFileFormat.h"

#include "alarms/CalendarRule.h"

#include <charconv>
#include <cstdio>
#include <map>

namespace tickwell {

namespace {

std::string escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7f) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", unsigned(byte));
            out += code;
        } else
            out += c;
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7f)
            return std::nullopt;
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 'x': {
            unsigned value = 0;
            const char* start = text.data() + i + 1;
            if (i + 2 >= text.size() || std::from_chars(start, start + 2, value, 16).ptr != start + 2)
                return std::nullopt;
            out += char(value);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::optional<SeriesLine> parseLine(std::string_view line)
{
    std::map<std::string_view, std::string_view> fields;
    while (true) {
        const std::size_t tab = line.find('\t');
        const std::string_view field = line.substr(0, tab);
        const std::size_t colon = field.find(':');
        if (colon == std::string_view::npos
            || !fields.emplace(field.substr(0, colon), field.substr(colon + 1)).second)
            return std::nullopt;
        if (tab == std::string_view::npos)
            break;
        line.remove_prefix(tab + 1);
    }
    const auto take = [&fields](std::string_view name) -> std::optional<std::string_view> {
        const auto found = fields.find(name);
        if (found == fields.end())
            return std::nullopt;
        const std::string_view value = found->second;
        fields.erase(found);
        return value;
    };
    const auto start = take("DTSTART");
    const auto rule = take("RRULE");
    const auto next = take("NEXT");
    const auto done = take("DONE");
    const auto reminder = take("REMINDER");
    const auto from = take("FROM");
    if (!start || !rule || !next || !done || !reminder || !fields.empty())
        return std::nullopt;

    SeriesLine read;
    const auto first = parseCalendarDateTime(*start);
    const auto occurrence = parseCalendarDateTime(*next);
    const auto text = unescaped(*reminder);
    if (!first || !occurrence || !text)
        return std::nullopt;
    const auto repeat = parseCalendarRule(*rule, *first);
    int count = -1;
    const auto [end, error] = std::from_chars(done->data(), done->data() + done->size(), count);
    if (!repeat || error != std::errc {} || end != done->data() + done->size() || count < 0
        || (repeat->times && count >= *repeat->times))
        return std::nullopt;
    read.series = { *repeat, *first, *occurrence, count };
    read.reminder = *text;
    if (from) {
        read.from = parseCalendarDateTime(*from);
        if (!read.from)
            return std::nullopt;
    }
    // The series it says: started on one of its own days, at a whole
    // minute, with NEXT on a later one at the same minute.
    const std::optional<Series> started = startSeries(*repeat, *first);
    if (!started || started->first != *first)
        return std::nullopt;
    if (*occurrence != *first) {
        Series before = read.series;
        before.next = *first;
        const DateParts n = occurrence->parts();
        const auto day = std::chrono::sys_days { std::chrono::year { n.year } / n.month / n.day };
        const DateParts f = first->parts();
        const auto firstDay = std::chrono::sys_days { std::chrono::year { f.year } / f.month / f.day };
        if (*occurrence < *first || n.hour != f.hour || n.minute != f.minute || n.second != 0
            || nextSeriesDay(*repeat, firstDay, day - std::chrono::days { 1 }) != day)
            return std::nullopt;
    }
    return read;
}

} // namespace

std::string formatSeriesLine(const SeriesLine& line)
{
    std::string text = "DTSTART:" + formatCalendarDateTime(line.series.first)
        + "\tRRULE:" + formatCalendarRule(line.series.rule, line.series.first)
        + "\tNEXT:" + formatCalendarDateTime(line.series.next) + "\tDONE:" + std::to_string(line.series.done);
    if (line.from)
        text += "\tFROM:" + formatCalendarDateTime(*line.from);
    text += "\tREMINDER:" + escaped(line.reminder) + "\n";
    return text;
}

std::string formatSeriesFile(std::span<const SeriesLine> lines, std::string_view kept)
{
    std::string text(seriesFileHeading);
    for (const SeriesLine& line : lines)
        text += formatSeriesLine(line);
    text += kept;
    return text;
}

SeriesFileContents parseSeriesFile(std::string_view bytes)
{
    SeriesFileContents contents;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view whole
            = bytes.substr(0, end == std::string_view::npos ? bytes.size() : end + 1);
        bytes.remove_prefix(whole.size());
        std::string_view line = whole;
        if (line.ends_with('\n'))
            line.remove_suffix(1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (whole == seriesFileHeading)
            continue;
        if (std::optional<SeriesLine> series = parseLine(line))
            contents.lines.push_back(std::move(*series));
        else {
            // Kept as a whole line, so that a series written after it stays apart.
            contents.kept += whole;
            if (!whole.ends_with('\n'))
                contents.kept += '\n';
        }
    }
    return contents;
}

} // namespace tickwell
