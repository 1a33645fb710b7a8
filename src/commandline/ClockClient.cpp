// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/ClockClient.h"

#include "alarms/AlarmFile.h"
#include "commandline/Channel.h"
#include "commandline/FolderLock.h"
#include "frame/desktop/TerminationSet.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <pwd.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tickwell {

namespace {

using Steady = std::chrono::steady_clock;

// The termination signals, which the program keeps blocked, come here.
class Interruptions {
public:
    Interruptions()
    {
        const sigset_t set = terminationSet();
        m_fd.reset(::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC));
        // Without the descriptor the signals keep their usual effect.
        if (!m_fd.valid())
            ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    }
    int fd() const noexcept { return m_fd.get(); }

    // Ends the process as `signal` would have, once `what` is said.
    [[noreturn]] static void endBy(int signal, const std::string& what)
    {
        std::fprintf(stderr, "tickwell: %s\n", what.c_str());
        std::signal(signal, SIG_DFL);
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, signal);
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        ::raise(signal);
        std::_Exit(128 + signal);
    }

    // Waits until `socket` (-1 for none) is ready for `events` or `deadline`
    // has passed; false then. A termination signal meanwhile ends the
    // process, saying `onSignal`.
    bool wait(int socket, short events, Steady::time_point deadline, const std::string& onSignal) const
    {
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now()).count();
            std::array<pollfd, 2> watched { { { socket, events, 0 }, { fd(), POLLIN, 0 } } };
            const int ready
                = ::poll(watched.data(), watched.size(), int(std::clamp<long long>(left, 0, 60000)));
            signalfd_siginfo info {};
            if (watched[1].revents && ::read(fd(), &info, sizeof info) == ssize_t(sizeof info))
                endBy(int(info.ssi_signo), onSignal);
            if (ready > 0 && watched[0].revents)
                return true;
            if (ready < 0 && errno != EINTR)
                return false;
            if (Steady::now() >= deadline)
                return false;
        }
    }

private:
    FileDescriptor m_fd;
};

const std::string notReached = "stopped before the command reached the clock: nothing was done";

std::string userName(uid_t user)
{
    passwd entry {};
    passwd* found = nullptr;
    std::vector<char> buffer(4096);
    if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_name;
    return "user " + std::to_string(user);
}

Asked failed(std::string why)
{
    return { Asked::Outcome::Failed, {}, std::move(why) };
}

std::string spoken(std::chrono::milliseconds wait)
{
    const long long seconds = (wait.count() + 999) / 1000;
    return seconds >= 120 ? std::to_string(seconds / 60) + " minutes" : std::to_string(seconds) + " s";
}

// The command over a connected socket, and the whole answer back.
Asked converse(FileDescriptor socket, const ClockCommand& command, const std::string& path,
    const Patience& patience, const Interruptions& signals)
{
    const std::string line = encodeCommand(command);
    auto deadline = Steady::now() + patience.answer;
    for (std::size_t sent = 0; sent < line.size();) {
        if (!signals.wait(socket.get(), POLLOUT, deadline, notReached))
            return failed("another clock runs for " + path + " but does not take commands");
        const ssize_t n = ::send(socket.get(), line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return failed("the clock for " + path + " closed the channel before it took the command");
        sent += std::size_t(std::max<ssize_t>(n, 0));
    }

    std::string onSignal
        = "stopped waiting; the command has reached the clock, which carries it out all the same";
    std::string waitingFor;
    Asked asked { Asked::Outcome::Answered, {}, {} };
    LineReader reader;
    std::array<char, 65536> bytes;
    for (;;) {
        if (!signals.wait(socket.get(), POLLIN, deadline, onSignal))
            return failed(waitingFor.empty()
                    ? "the clock for " + path + " has the command but has not answered in "
                        + spoken(patience.answer)
                    : "gave up waiting after " + spoken(patience.user) + ": " + waitingFor);
        const ssize_t n = ::recv(socket.get(), bytes.data(), bytes.size(), 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            // A clock told to shut down answers by ending.
            if (n == 0 && command.kind == CommandKind::Quit)
                return asked;
            return failed("the clock ended before it answered whole");
        }
        reader.add(std::string_view(bytes.data(), std::size_t(n)));
        if (waitingFor.empty())
            deadline = Steady::now() + patience.answer;
        while (const std::optional<std::string> next = reader.next()) {
            std::optional<ClockReply> reply = decodeReply(*next);
            if (!reply)
                return failed("the clock's answer cannot be read (is it another version of the program?)");
            if (reply->kind == ReplyKind::Waiting) {
                waitingFor = reply->text;
                std::fprintf(stderr, "tickwell: %s; waiting until then, %s at most (Ctrl+C stops waiting)\n",
                    waitingFor.c_str(), spoken(patience.user).c_str());
                onSignal = "stopped waiting; the command has reached the clock: " + waitingFor;
                deadline = Steady::now() + patience.user;
            }
            asked.replies.push_back(std::move(*reply));
            if (asked.replies.back().endsAnswer())
                return asked;
        }
        if (reader.overlong())
            return failed("the clock's answer cannot be read (is it another version of the program?)");
    }
}

} // namespace

Asked askClock(FolderLock& lock, const AlarmFile& file, const ClockCommand& command, const Patience& patience)
{
    const Interruptions signals;
    const std::string path = file.displayPath().string();
    const AlarmFile::Identity identity = file.identity();
    const auto reachBy = Steady::now() + patience.reach;
    for (;;) {
        const FolderLock::State state = lock.tryLock();
        if (state == FolderLock::State::Held)
            return {};
        FolderLock::Holder holder;
        if (state == FolderLock::State::Busy) {
            holder = lock.holder();
            // Another user's clock never listens where this one asks.
            if (holder.userKnown && holder.user != ::geteuid())
                return failed("another clock runs for " + path + " that this one cannot reach (it belongs to "
                    + "another user, " + userName(holder.user) + ")");
        }
        if (FileDescriptor socket = Channel(identity, holder.pid).connect(); socket.valid()) {
            ClockCommand addressed = command;
            addressed.file = identity.name;
            return converse(std::move(socket), addressed, path, patience, signals);
        }
        // A folder that cannot be locked: the channel is all there is.
        if (state == FolderLock::State::Unavailable)
            return {};
        if (Steady::now() >= reachBy)
            return failed(holder.pid != 0 ? "another clock runs for " + path + " but does not answer"
                                          : "another clock runs for " + path
                        + " that this one cannot reach (it may belong to another user, or not answer)");
        // This user's clock may be starting, its channel not made yet; or
        // ending, and the lock about to be free.
        signals.wait(-1, 0, std::min(reachBy, Steady::now() + std::chrono::milliseconds(100)), notReached);
    }
}

void releaseTerminationSignals()
{
    const sigset_t set = terminationSet();
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

Claimed claimFolder(FolderLock& lock, const AlarmFile& file, const Patience& patience)
{
    const Asked asked = askClock(lock, file, ClockCommand {}, patience);
    switch (asked.outcome) {
    case Asked::Outcome::NoClock:
        if (lock.held())
            return {};
        // Not running at all would be worse than the guard this user's own
        // channel still gives.
        return { Claimed::Outcome::TheClock, {},
            "the folder of " + file.displayPath().string() + " cannot be locked (" + reasonText(lock.error())
                + "); a clock on it of another user's will not be noticed" };
    case Asked::Outcome::Answered: {
        if (asked.replies.back().kind == ReplyKind::Ok)
            return { Claimed::Outcome::HandedOver, {}, {} };
        // Said as a part of "...; this clock does not start".
        std::string why = asked.replies.back().text;
        if (why.ends_with('.'))
            why.pop_back();
        if (!why.empty())
            why[0] = char(std::tolower(static_cast<unsigned char>(why[0])));
        return { Claimed::Outcome::Refused, why, {} };
    }
    case Asked::Outcome::Failed:
        break;
    }
    return { Claimed::Outcome::Refused, asked.why, {} };
}

} // namespace tickwell
