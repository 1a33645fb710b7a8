// SPDX-License-Identifier: GPL-3.0-or-later
// The lines between a command line and the clock, on any text: a line read as
// a command or a reply is exactly what the writer writes for it, so there is
// one spelling of each; what the writer writes reads back as it was, line
// breaks aside. Lines cut anywhere come out of the line reader whole. WHEN on
// any text: a time alone names a minute no earlier than now, a dated one
// itself.
#include "Check.h"

#include "alarms/RepeatWords.h"
#include "commandline/ClockMessages.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

using namespace tickwell;

namespace {

std::string withoutLineEnd(std::string line)
{
    check(!line.empty() && line.back() == '\n', "a written line does not end in a line feed");
    line.pop_back();
    return line;
}

// Line breaks as the other end reads them: LF, whatever they were.
std::string lineBreaksAsRead(std::string text)
{
    const std::optional<std::string> read = unescaped(escaped(text));
    check(read.has_value(), "an escaped text does not read back");
    return *read;
}

void checkLine(std::string_view line)
{
    if (const auto command = decodeCommand(line)) {
        const std::string written = encodeCommand(*command);
        check(written == std::string(line) + '\n', "a command read is written otherwise");
        check(decodeCommand(withoutLineEnd(written)) == command, "a command written reads back otherwise");
    }
    if (const auto reply = decodeReply(line)) {
        const std::string written = encodeReply(*reply);
        check(written == std::string(line) + '\n', "a reply read is written otherwise");
        check(decodeReply(withoutLineEnd(written)) == reply, "a reply written reads back otherwise");
    }
}

DateValue anyNow(FuzzedDataProvider& in)
{
    const auto now = DateValue::fromParts(in.ConsumeIntegralInRange(100, 9999),
        in.ConsumeIntegralInRange(1, 12), in.ConsumeIntegralInRange(1, 31), in.ConsumeIntegralInRange(0, 23),
        in.ConsumeIntegralInRange(0, 59), in.ConsumeIntegralInRange(0, 59));
    // Now read off a clock need not fall on a whole second.
    return DateValue::fromSerial(
        now.value_or(DateValue::noDate()).serial() + in.ConsumeProbability<double>() / 86400.0);
}

void checkWhen(std::string_view text, DateValue now)
{
    const auto when = parseWhen(text);
    if (!when)
        return;
    const std::string spelled = whenText(*when);
    check(parseWhen(spelled) == when, "WHEN's one spelling reads otherwise");
    check(spelled.size() == (when->date ? 16u : 5u) && text.size() + 1 >= spelled.size(),
        "WHEN of another length parsed");
    const auto minute = resolveWhen(*when, now);
    if (when->date) {
        check(minute.has_value(), "a parsed date names no minute");
        check(minuteText(*minute) == spelled, "a dated WHEN resolves to another minute");
        return;
    }
    if (!minute)
        return; // no tomorrow after the calendar's last day
    check(*minute >= now, "a time alone resolves to a minute already begun");
    check(minute->parts().second == 0, "a time alone resolves off the minute");
    check(minuteText(*minute).substr(11) == spelled, "a time alone resolves to another time of day");
    check(minute->serial() - now.serial() < 1.0, "a time alone resolves more than a day ahead");
}

// The bytes cut where the input says: the same lines come out.
void checkReader(std::string_view text, FuzzedDataProvider& in)
{
    LineReader whole;
    whole.add(text);
    LineReader cut;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t size = in.ConsumeIntegralInRange<std::size_t>(1, 64);
        cut.add(text.substr(at, size));
        at += size;
        while (const auto line = cut.next())
            check(whole.next() == line, "a line cut in pieces reads otherwise");
    }
    check(!whole.next() || cut.overlong(), "a line cut in pieces is lost");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkLine(text);

    FuzzedDataProvider in(data, size);
    checkReader(text, in);
    const DateValue now = anyNow(in);
    const std::string when = in.ConsumeRandomLengthString(20);
    checkWhen(when, now);

    // A command made from parts: well-formed ones that fit come back whole.
    const std::optional<RepeatRule> repeat = parseRepeatWords(in.ConsumeRandomLengthString(40)).rule;
    ClockCommand command { CommandKind(in.ConsumeIntegralInRange(0, 10)), parseWhen(when), std::nullopt,
        in.ConsumeRandomLengthString(40) };
    if (command.kind == CommandKind::Add || in.ConsumeBool())
        command.reminder = in.ConsumeRandomLengthString(1000);
    if (command.kind == CommandKind::Add)
        command.repeat = repeat;
    const bool hasFields = command.kind == CommandKind::Add || command.kind == CommandKind::Clear
        || command.kind == CommandKind::Skip;
    if (!hasFields)
        command = ClockCommand { command.kind, {}, std::nullopt, command.file };
    const std::string written = encodeCommand(command);
    const bool named = !command.file.empty()
        && command.file.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
    if (written.size() <= longestMessage && (!hasFields || command.when) && named) {
        ClockCommand read = command;
        read.file = lineBreaksAsRead(read.file);
        if (read.reminder)
            read.reminder = lineBreaksAsRead(*read.reminder);
        check(decodeCommand(withoutLineEnd(written)) == read, "a well-formed command does not come back");
    }

    const ClockReply reply { ReplyKind(in.ConsumeIntegralInRange(0, 4)), minuteText(now),
        in.ConsumeRemainingBytesAsString() };
    ClockReply sent = reply;
    if (reply.kind != ReplyKind::Alarm && reply.kind != ReplyKind::Ok)
        sent.when.clear();
    if (reply.kind == ReplyKind::Ok)
        sent.text.clear();
    if (reply.kind == ReplyKind::State)
        sent.text = reply.text.empty() ? "on" : "off";
    if (reply.kind == ReplyKind::Alarm && repeat)
        sent.repeat = formatRepeatWords(*repeat);
    const std::string answer = encodeReply(sent);
    sent.text = lineBreaksAsRead(sent.text);
    if (answer.size() <= longestMessage)
        check(decodeReply(withoutLineEnd(answer)) == sent, "a well-formed reply does not come back");
    return 0;
}
