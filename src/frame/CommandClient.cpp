// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/CommandClient.h"

#include "alarms/AlarmFile.h"
#include "alarms/FileCommands.h"
#include "frame/dates/Clock.h"
#include "frame/desktop/SingleClock.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tickwell {

namespace {

// Refusals are written for a box, with CR LF between their lines.
std::string oneLine(std::string text)
{
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, " ");
    return text;
}

int report(const std::vector<ClockReply>& replies, CommandKind kind)
{
    for (const ClockReply& reply : replies) {
        switch (reply.kind) {
        case ReplyKind::Alarm:
            std::printf("%s\n", listLine(reply.when, reply.text).c_str());
            break;
        case ReplyKind::Ok:
            return 0;
        case ReplyKind::Refused:
            std::fprintf(stderr, "tickwell: %s\n", oneLine(reply.text).c_str());
            return 1;
        }
    }
    // A clock told to shut down answers by ending.
    if (kind == CommandKind::Quit)
        return 0;
    std::fprintf(stderr, "tickwell: the clock ended before it answered\n");
    return 1;
}

} // namespace

int RunCommandLine(const ClockCommand& command)
{
    AlarmFile file;
    const std::string path = file.displayPath().string();
    SingleClock single(file);
    std::vector<ClockReply> replies;
    switch (single.deliver(command, replies)) {
    case SingleClock::Delivery::Answered:
        return report(replies, command.kind);
    case SingleClock::Delivery::Refused:
        std::fprintf(stderr, "tickwell: %s\n", qPrintable(single.refusal()));
        return 1;
    case SingleClock::Delivery::NoClock:
        break;
    }
    switch (command.kind) {
    case CommandKind::Add:
        std::fprintf(stderr,
            "tickwell: no clock is running for %s; the alarm goes into the file, to be announced once a "
            "clock runs, if its minute has not passed by then\n",
            path.c_str());
        break;
    case CommandKind::List:
    case CommandKind::Clear:
        std::fprintf(stderr, "tickwell: no clock is running for %s; the file itself is %s\n", path.c_str(),
            command.kind == CommandKind::List ? "read" : "changed");
        break;
    default:
        std::fprintf(stderr, "tickwell: no clock is running for %s\n", path.c_str());
        return 1;
    }
    // The file is this process's meanwhile: no clock starts on it half way.
    const SystemClock clock;
    return report(runOnFile(file, command, clock.now()), command.kind);
}

} // namespace tickwell
