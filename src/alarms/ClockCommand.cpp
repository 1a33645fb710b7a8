// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/ClockCommand.h"

#include "frame/dates/DateText.h"

#include <array>
#include <chrono>
#include <cmath>
#include <vector>

namespace tickwell {

namespace {

constexpr char separator = '\t';

struct Keyword {
    std::string_view word;
    CommandKind kind;
};

constexpr std::array<Keyword, 8> commandWords { {
    { "show", CommandKind::Show },
    { "edit", CommandKind::Edit },
    { "activate", CommandKind::Activate },
    { "deactivate", CommandKind::Deactivate },
    { "quit", CommandKind::Quit },
    { "add", CommandKind::Add },
    { "list", CommandKind::List },
    { "clear", CommandKind::Clear },
} };

std::string_view commandWord(CommandKind kind)
{
    for (const Keyword& keyword : commandWords) {
        if (keyword.kind == kind)
            return keyword.word;
    }
    return "show";
}

// Each byte has exactly one way to be written, so that a line decodes
// only if it is what the encoder would write: no second spelling of a
// command can slip past a check made on the first.
void appendEscaped(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
}

std::optional<std::string> unescaped(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\n' || c == '\r' || c == '\t')
            return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == field.size())
            return std::nullopt;
        switch (field[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// The line's tab-separated fields, or none when it is too long to have
// been sent or holds a line break of its own.
std::optional<std::vector<std::string_view>> fieldsOf(std::string_view line)
{
    if (line.size() + 1 > longestMessage || line.find_first_of("\r\n") != std::string_view::npos)
        return std::nullopt;
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find(separator);
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos)
            return fields;
        line.remove_prefix(tab + 1);
    }
}

// Digits only, no sign or blank: what two or four digits must be.
std::optional<int> digitsValue(std::string_view digits)
{
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<WhenText> parseTime(std::string_view text)
{
    if (text.size() != 5 || text[2] != ':')
        return std::nullopt;
    const auto hour = digitsValue(text.substr(0, 2));
    const auto minute = digitsValue(text.substr(3, 2));
    if (!hour || !minute || *hour > 23 || *minute > 59)
        return std::nullopt;
    return WhenText { std::nullopt, *hour, *minute };
}

// A reply's alarm always carries its date: a time alone would name a
// different minute depending on when the answer is read.
bool isDatedWhen(std::string_view text)
{
    const auto when = parseWhen(text);
    return when && when->date;
}

} // namespace

std::string encodeCommand(const ClockCommand& command)
{
    std::string line(commandWord(command.kind));
    if (command.kind == CommandKind::Add || command.kind == CommandKind::Clear) {
        line += separator;
        line += command.when;
        // An add without a reminder is sent with an empty one: the clock
        // needs the field to tell the line from a damaged one.
        if (command.reminder || command.kind == CommandKind::Add) {
            line += separator;
            appendEscaped(line, command.reminder.value_or(std::string {}));
        }
    }
    line += '\n';
    return line;
}

std::optional<ClockCommand> decodeCommand(std::string_view line)
{
    const auto fields = fieldsOf(line);
    if (!fields)
        return std::nullopt;
    const Keyword* keyword = nullptr;
    for (const Keyword& candidate : commandWords) {
        if (candidate.word == fields->front())
            keyword = &candidate;
    }
    if (!keyword)
        return std::nullopt;

    ClockCommand command { keyword->kind, {}, std::nullopt };
    switch (command.kind) {
    case CommandKind::Add:
        if (fields->size() != 3)
            return std::nullopt;
        break;
    case CommandKind::Clear:
        if (fields->size() != 2 && fields->size() != 3)
            return std::nullopt;
        break;
    default:
        return fields->size() == 1 ? std::optional(command) : std::nullopt;
    }
    // WHEN is sent as the user typed it; parseWhen() takes only digits,
    // '-', ':' and one blank, none of which is ever escaped.
    if (!parseWhen((*fields)[1]))
        return std::nullopt;
    command.when = std::string((*fields)[1]);
    if (fields->size() == 3) {
        command.reminder = unescaped((*fields)[2]);
        if (!command.reminder)
            return std::nullopt;
    }
    return command;
}

std::string encodeReply(const ClockReply& reply)
{
    std::string line;
    switch (reply.kind) {
    case ReplyKind::Alarm:
        line = "alarm";
        line += separator;
        line += reply.when;
        line += separator;
        appendEscaped(line, reply.text);
        break;
    case ReplyKind::Ok:
        line = "ok";
        break;
    case ReplyKind::Refused:
        line = "refused";
        line += separator;
        appendEscaped(line, reply.text);
        break;
    }
    line += '\n';
    return line;
}

std::optional<ClockReply> decodeReply(std::string_view line)
{
    const auto fields = fieldsOf(line);
    if (!fields)
        return std::nullopt;
    const std::string_view word = fields->front();
    if (word == "ok" && fields->size() == 1)
        return ClockReply { ReplyKind::Ok, {}, {} };
    std::optional<std::string> text;
    if (word == "refused" && fields->size() == 2) {
        if ((text = unescaped((*fields)[1])))
            return ClockReply { ReplyKind::Refused, {}, std::move(*text) };
    } else if (word == "alarm" && fields->size() == 3 && isDatedWhen((*fields)[1])) {
        if ((text = unescaped((*fields)[2])))
            return ClockReply { ReplyKind::Alarm, std::string((*fields)[1]), std::move(*text) };
    }
    return std::nullopt;
}

std::optional<WhenText> parseWhen(std::string_view text)
{
    // Strictly two digits for the hour, as in the dated form: "9:30" is
    // refused rather than guessed at, so each WHEN has one spelling.
    if (text.size() == 5)
        return parseTime(text);
    if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != ' ')
        return std::nullopt;
    const auto year = digitsValue(text.substr(0, 4));
    const auto month = digitsValue(text.substr(5, 2));
    const auto day = digitsValue(text.substr(8, 2));
    auto when = parseTime(text.substr(11));
    if (!year || !month || !day || !when || !DateValue::fromParts(*year, *month, *day))
        return std::nullopt;
    when->date = DateParts { *year, *month, *day, 0, 0, 0 };
    return when;
}

std::optional<DateValue> resolveWhen(const WhenText& when, DateValue now)
{
    if (when.date)
        return DateValue::fromParts(
            when.date->year, when.date->month, when.date->day, when.hour, when.minute);
    // A clock far outside the calendar has no today to speak of.
    static constexpr DateValue lastSecond = *DateValue::fromParts(DateValue::lastYear, 12, 31, 23, 59, 59);
    if (!std::isfinite(now.serial()) || now < DateValue::noDate() || now > lastSecond)
        return std::nullopt;
    const DateParts today = now.parts();
    const auto sameDay = DateValue::fromParts(today.year, today.month, today.day, when.hour, when.minute);
    if (sameDay && *sameDay >= now)
        return sameDay;
    using namespace std::chrono;
    const year_month_day next { sys_days { year_month_day { year { today.year },
                                    month { unsigned(today.month) }, day { unsigned(today.day) } } }
        + days { 1 } };
    return DateValue::fromParts(
        int(next.year()), int(unsigned(next.month())), int(unsigned(next.day())), when.hour, when.minute);
}

std::optional<DateValue> minuteOf(const ClockCommand& command, DateValue now)
{
    const std::optional<WhenText> when = parseWhen(command.when);
    return when ? resolveWhen(*when, now) : std::nullopt;
}

std::string isoMinute(DateValue value)
{
    const DateParts p = value.parts();
    std::string out;
    out.reserve(16);
    appendDigits(out, p.year, 4);
    out += '-';
    appendDigits(out, p.month, 2);
    out += '-';
    appendDigits(out, p.day, 2);
    out += ' ';
    appendDigits(out, p.hour, 2);
    out += ':';
    appendDigits(out, p.minute, 2);
    return out;
}

std::string listLine(std::string_view minute, std::string_view reminder)
{
    std::string line(minute);
    line += '\t';
    for (std::size_t i = 0; i < reminder.size(); ++i) {
        const char c = reminder[i];
        switch (c) {
        case '\r':
            // CR LF is one line break, written once.
            if (i + 1 < reminder.size() && reminder[i + 1] == '\n')
                ++i;
            [[fallthrough]];
        case '\n':
            line += "\\n";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\\':
            line += "\\\\";
            break;
        default:
            line += c;
        }
    }
    return line;
}

} // namespace tickwell
