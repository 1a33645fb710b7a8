// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/ClockMessages.h"

#include "alarms/RepeatWords.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tickwell {

namespace {

constexpr char separator = '\t';

struct Keyword {
    std::string_view word;
    CommandKind kind;
};

constexpr std::array<Keyword, 11> commandWords { {
    { "show", CommandKind::Show },
    { "edit", CommandKind::Edit },
    { "preferences", CommandKind::Preferences },
    { "activate", CommandKind::Activate },
    { "deactivate", CommandKind::Deactivate },
    { "quit", CommandKind::Quit },
    { "add", CommandKind::Add },
    { "list", CommandKind::List },
    { "clear", CommandKind::Clear },
    { "status", CommandKind::Status },
    { "skip", CommandKind::Skip },
} };

constexpr std::array<std::string_view, 5> replyWords { "alarm", "state", "waiting", "ok", "refused" };

// The line's tab-separated fields, or none when it is too long to have been
// sent or holds a line break of its own.
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

// A minute the clock names: always with its date, since a time alone would
// name another minute depending on when the answer is read.
bool isMinute(std::string_view field)
{
    const std::optional<When> when = parseWhen(field);
    return when && when->date && whenText(*when) == field;
}

} // namespace

std::string escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (const char c = text[i]) {
        case '\r':
            // CR LF is one line break, written once.
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            [[fallthrough]];
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r' || c == '\t')
            return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
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

std::string encodeCommand(const ClockCommand& command)
{
    std::string line;
    for (const Keyword& keyword : commandWords) {
        if (keyword.kind == command.kind)
            line = keyword.word;
    }
    line += separator;
    line += escaped(command.file);
    if (command.kind == CommandKind::Add || command.kind == CommandKind::Clear
        || command.kind == CommandKind::Skip) {
        line += separator;
        line += whenText(command.when.value_or(When {}));
        // An add without a reminder is sent with an empty one: the clock
        // needs the field to tell the line from a damaged one.
        if (command.reminder || command.kind == CommandKind::Add) {
            line += separator;
            line += escaped(command.reminder.value_or(std::string {}));
        }
        if (command.repeat && command.kind == CommandKind::Add) {
            line += separator;
            line += escaped(formatRepeatWords(*command.repeat));
        }
    }
    line += '\n';
    return line;
}

std::optional<ClockCommand> decodeCommand(std::string_view line)
{
    const auto fields = fieldsOf(line);
    if (!fields || fields->size() < 2 || fields->size() > 5)
        return std::nullopt;
    const auto keyword = std::find_if(commandWords.begin(), commandWords.end(),
        [&](const Keyword& candidate) { return candidate.word == fields->front(); });
    if (keyword == commandWords.end())
        return std::nullopt;
    ClockCommand command { keyword->kind, {}, {}, unescaped((*fields)[1]).value_or(std::string()) };
    if (fields->size() > 2)
        command.when = parseWhen((*fields)[2]);
    if (fields->size() > 3)
        command.reminder = unescaped((*fields)[3]);
    if (fields->size() > 4)
        command.repeat = parseRepeatWords(unescaped((*fields)[4]).value_or(std::string())).rule;
    // A name in a folder: no path, no byte no name holds.
    if (command.file.empty() || command.file.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
        return std::nullopt;
    // Exactly what the writer writes for it, or nothing: the checks the
    // clock makes see the command as it was sent.
    return encodeCommand(command) == std::string(line) + '\n' ? std::optional(command) : std::nullopt;
}

std::string encodeReply(const ClockReply& reply)
{
    std::string line(replyWords[std::size_t(reply.kind)]);
    switch (reply.kind) {
    case ReplyKind::Alarm:
        line += separator;
        line += reply.when;
        line += separator;
        line += escaped(reply.text);
        if (!reply.repeat.empty()) {
            line += separator;
            line += escaped(reply.repeat);
        }
        break;
    case ReplyKind::State:
    case ReplyKind::Waiting:
    case ReplyKind::Refused:
        line += separator;
        line += escaped(reply.text);
        break;
    case ReplyKind::Ok:
        if (!reply.when.empty()) {
            line += separator;
            line += reply.when;
        }
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
    const auto word = std::find(replyWords.begin(), replyWords.end(), fields->front());
    if (word == replyWords.end())
        return std::nullopt;
    ClockReply reply { ReplyKind(word - replyWords.begin()), {}, {} };
    if ((reply.kind == ReplyKind::Alarm || reply.kind == ReplyKind::Ok) && fields->size() > 1) {
        reply.when = (*fields)[1];
        if (!isMinute(reply.when))
            return std::nullopt;
    }
    if (reply.kind == ReplyKind::Alarm && fields->size() > 2)
        reply.text = unescaped((*fields)[2]).value_or(std::string());
    else if (reply.kind != ReplyKind::Ok)
        reply.text = unescaped(fields->back()).value_or(std::string());
    if (reply.kind == ReplyKind::Alarm && fields->size() > 3) {
        reply.repeat = unescaped((*fields)[3]).value_or(std::string());
        // Words the clock writes, or nothing.
        const RepeatWordsRead words = parseRepeatWords(reply.repeat);
        if (!words.rule || formatRepeatWords(*words.rule) != reply.repeat)
            return std::nullopt;
    }
    if (reply.kind == ReplyKind::State && reply.text != "on" && reply.text != "off")
        return std::nullopt;
    return encodeReply(reply) == std::string(line) + '\n' ? std::optional(reply) : std::nullopt;
}

std::optional<std::string> LineReader::next()
{
    if (m_overlong)
        return std::nullopt;
    const std::size_t end = m_bytes.find('\n', m_start);
    if (end == std::string::npos || end - m_start + 1 > longestMessage) {
        m_overlong = m_bytes.size() - m_start >= longestMessage;
        // What was taken goes; only then, so that a long answer is read in
        // time in proportion to its length.
        m_bytes.erase(0, m_start);
        m_start = 0;
        return std::nullopt;
    }
    std::string line = m_bytes.substr(m_start, end - m_start);
    m_start = end + 1;
    return line;
}

} // namespace tickwell
