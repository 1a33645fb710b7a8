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

using Fields = std::map<std::string_view, std::string_view>;

// Every field of a line, by name; none for a line with a field twice or a
// part that is no field.
std::optional<Fields> fieldsOf(std::string_view line)
{
    Fields fields;
    while (true) {
        const std::size_t tab = line.find('\t');
        const std::string_view field = line.substr(0, tab);
        const std::size_t colon = field.find(':');
        if (colon == std::string_view::npos
            || !fields.emplace(field.substr(0, colon), field.substr(colon + 1)).second)
            return std::nullopt;
        if (tab == std::string_view::npos)
            return fields;
        line.remove_prefix(tab + 1);
    }
}

std::optional<std::string_view> take(Fields& fields, std::string_view name)
{
    const auto found = fields.find(name);
    if (found == fields.end())
        return std::nullopt;
    const std::string_view value = found->second;
    fields.erase(found);
    return value;
}

// DTSTART and RRULE taken from `fields`: the series they say, started on one
// of its own days at a whole minute.
std::optional<Series> takeSeries(Fields& fields)
{
    const auto start = take(fields, "DTSTART");
    const auto rule = take(fields, "RRULE");
    if (!start || !rule)
        return std::nullopt;
    const auto first = parseCalendarDateTime(*start);
    if (!first)
        return std::nullopt;
    const auto repeat = parseCalendarRule(*rule, *first);
    if (!repeat)
        return std::nullopt;
    const std::optional<Series> started = startSeries(*repeat, *first);
    if (!started || started->first != *first)
        return std::nullopt;
    return started;
}

std::optional<SeriesLine> parseLine(std::string_view line)
{
    std::optional<Fields> fields = fieldsOf(line);
    if (!fields)
        return std::nullopt;
    const std::optional<Series> series = takeSeries(*fields);
    const auto reminder = take(*fields, "REMINDER");
    if (!series || !reminder || !fields->empty())
        return std::nullopt;
    std::optional<std::string> text = unescaped(*reminder);
    if (!text)
        return std::nullopt;
    return SeriesLine { *series, std::move(*text) };
}

} // namespace

std::string formatSeriesFields(const Series& series)
{
    return "DTSTART:" + formatCalendarDateTime(series.first)
        + "\tRRULE:" + formatCalendarRule(series.rule, series.first);
}

std::optional<Series> parseSeriesFields(std::string_view text)
{
    std::optional<Fields> fields = fieldsOf(text);
    if (!fields)
        return std::nullopt;
    const std::optional<Series> series = takeSeries(*fields);
    if (!fields->empty())
        return std::nullopt;
    return series;
}

std::string formatSeriesLine(const SeriesLine& line)
{
    return formatSeriesFields(line.series) + "\tREMINDER:" + escaped(line.reminder) + "\n";
}

std::string formatSeriesFile(std::span<const SeriesLine> lines, std::string_view kept)
{
    // A file of no series and nothing kept is left empty.
    std::string text(lines.empty() && kept.empty() ? std::string_view {} : seriesFileHeading);
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
