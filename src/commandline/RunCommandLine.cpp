// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/RunCommandLine.h"

#include "alarms/AlarmFile.h"
#include "alarms/RepeatWords.h"
#include "commandline/ClockClient.h"
#include "commandline/FileSide.h"
#include "commandline/FolderLock.h"
#include "frame/dates/Clock.h"
#include "frame/desktop/DesktopId.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tickwell {

namespace {

namespace fs = std::filesystem;

void say(const std::string& text)
{
    std::fprintf(stderr, "tickwell: %s\n", text.c_str());
}

// Refusals are written for a box, on more than one line.
std::string oneLine(std::string text)
{
    for (std::size_t at; (at = text.find_first_of("\r\n")) != std::string::npos;)
        text.replace(at, text.compare(at, 2, "\r\n") == 0 ? 2 : 1, " ");
    return text;
}

// The user's own folder for alarms, as tickwell-launcher chooses it (keep
// the two alike): the home folder when an Alarm.dat is there, otherwise the
// program's folder in the data home.
std::optional<fs::path> ownAlarmFolder()
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return std::nullopt;
    std::error_code error;
    if (fs::is_regular_file(fs::path(home) / AlarmFile::fileName, error))
        return fs::path(home);
    const char* data = std::getenv("XDG_DATA_HOME");
    return (data && data[0] == '/' ? fs::path(data) : fs::path(home) / ".local" / "share") / desktopId;
}

// A command typed where there is no Alarm.dat, and no clock runs, goes
// where the launcher's go: to the clock and the alarms of the user's own
// folder, rather than making a file of alarms here that no clock reads.
void goToOwnFolder()
{
    std::error_code error;
    if (fs::symlink_status(AlarmFile::fileName, error).type() != fs::file_type::not_found
        || FolderLock(".").tryLock() == FolderLock::State::Busy)
        return;
    const std::optional<fs::path> own = ownAlarmFolder();
    if (!own)
        return;
    // Made as the launcher makes it: readable by its owner alone.
    fs::create_directories(own->parent_path(), error);
    if (::mkdir(own->c_str(), 0700) != 0 && errno != EEXIST) {
        say("cannot make your own folder for alarms, " + own->string() + " (" + reasonText(errno)
            + "); the command stays here");
        return;
    }
    if (fs::equivalent(*own, ".", error))
        return;
    if (::chdir(own->c_str()) != 0) {
        say("cannot enter your own folder for alarms, " + own->string() + " (" + reasonText(errno)
            + "); the command stays here");
        return;
    }
    say("there is no Alarm.dat here and no clock runs here: the command goes to your own alarms, in "
        + own->string());
}

void printStatus(const std::vector<ClockReply>& replies, const std::string& path, std::string& out)
{
    const auto state = std::find_if(
        replies.begin(), replies.end(), [](const ClockReply& r) { return r.kind == ReplyKind::State; });
    out += state == replies.end()
        ? "running: no\n"
        : "running: yes\nactive: " + std::string(state->text == "on" ? "yes" : "no") + "\n";
    out += "file: " + path + "\n";
    const ClockReply* next = nullptr;
    std::size_t count = 0;
    for (const ClockReply& reply : replies) {
        if (reply.kind != ReplyKind::Alarm)
            continue;
        ++count;
        // The minute's text sorts as the minute does.
        if (!next || reply.when < next->when)
            next = &reply;
    }
    out += "alarms: " + std::to_string(count) + "\n";
    out += next ? "next: " + next->when + "\t" + escaped(next->text) + "\n" : "next: none\n";
}

// Prints the answer, all of it at once: what stands on the standard output
// is the whole of it.
int report(const ClockCommand& command, const std::vector<ClockReply>& replies, const std::string& path)
{
    std::string out;
    int status = 0;
    for (const ClockReply& reply : replies) {
        if (reply.kind == ReplyKind::Alarm && command.kind == CommandKind::List)
            out += reply.when + "\t" + escaped(reply.text) + "\t" + escaped(reply.repeat) + "\n";
        else if (reply.kind == ReplyKind::Ok && command.kind == CommandKind::Skip)
            out += reply.when.empty() ? "That was the alarm's last time: it repeats no more.\n"
                                      : "The alarm comes next at " + reply.when + ".\n";
        else if (reply.kind == ReplyKind::Ok && !reply.when.empty() && command.repeat)
            out += "The alarm is set for " + reply.when + ", and repeats "
                + formatRepeatWords(*command.repeat) + ".\n";
        else if (reply.kind == ReplyKind::Ok && !reply.when.empty())
            out += "The alarm is set for " + reply.when + ".\n";
        else if (reply.kind == ReplyKind::Refused) {
            say(oneLine(reply.text));
            status = 1;
        }
    }
    if (command.kind == CommandKind::Status && status == 0)
        printStatus(replies, path, out);
    // The answer is in: the termination signals end the program as usual
    // again, while a slow reader takes it.
    releaseTerminationSignals();
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        say("cannot write to the standard output: " + reasonText(errno));
        return 1;
    }
    return status;
}

} // namespace

std::optional<int> RunCommandLine(const CommandLine& line)
{
    switch (line.action) {
    case CommandLine::Action::Start:
        return std::nullopt;
    case CommandLine::Action::Print:
        std::fputs(line.text.c_str(), stdout);
        return 0;
    case CommandLine::Action::UsageError:
        std::fputs(line.text.c_str(), stderr);
        return 2;
    case CommandLine::Action::Command:
        break;
    }
    const ClockCommand& command = line.command;
    goToOwnFolder();
    AlarmFile file;
    const std::string path = file.displayPath().string();
    std::vector<ClockReply> replies;
    {
        FolderLock lock(file.resolvedDirectory());
        Asked asked = askClock(lock, file, command);
        switch (asked.outcome) {
        case Asked::Outcome::Failed:
            say(asked.why);
            return 1;
        case Asked::Outcome::Answered:
            replies = std::move(asked.replies);
            break;
        case Asked::Outcome::NoClock:
            switch (command.kind) {
            case CommandKind::Edit:
            case CommandKind::Preferences:
                return std::nullopt;
            case CommandKind::Add:
                say("no clock is running for " + path
                    + "; the alarm goes into the file, to be announced once a clock runs, if its minute has "
                      "not passed by then");
                break;
            case CommandKind::List:
            case CommandKind::Clear:
            case CommandKind::Skip:
                say("no clock is running for " + path + "; the file itself is "
                    + (command.kind == CommandKind::List ? "read" : "changed"));
                break;
            case CommandKind::Status:
                break;
            default:
                say("no clock is running for " + path);
                return 1;
            }
            // The file is this process's meanwhile: no clock starts on it half way.
            replies = runOnFile(file, command, SystemClock().now());
            break;
        }
        // The folder's lock goes here, before anything is printed: a reader
        // that takes its time holds up no other command and no clock.
    }
    return report(command, replies, path);
}

} // namespace tickwell
