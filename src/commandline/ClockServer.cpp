// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/ClockServer.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <initializer_list>
#include <sys/socket.h>
#include <unistd.h>

namespace tickwell {

struct ClockServer::Caller {
    int id = 0;
    FileDescriptor socket;
    QSocketNotifier* reading = nullptr;
    QSocketNotifier* writing = nullptr;
    QTimer* deadline = nullptr;
    LineReader lines;
    std::string unsent;
    bool heard = false; // its command is taken
    bool answered = false; // the answer's last line is given

    Caller() = default;
    Caller(const Caller&) = delete;
    Caller& operator=(const Caller&) = delete;
    ~Caller()
    {
        // Not from under their own signals; and quiet before the socket closes.
        for (QObject* part : std::initializer_list<QObject*> { reading, writing, deadline }) {
            if (auto* notifier = qobject_cast<QSocketNotifier*>(part))
                notifier->setEnabled(false);
            if (part)
                part->deleteLater();
        }
    }
};

ClockServer::ClockServer(const AlarmFile& file, bool folderLocked, QObject* parent)
    : QObject(parent)
    , m_fileName(file.identity().name)
    , m_path(file.displayPath().string())
    , m_listening(Channel(file.identity()).listen(folderLocked))
{
    if (!m_listening.socket.valid())
        return;
    m_listener = new QSocketNotifier(m_listening.socket.get(), QSocketNotifier::Read, this);
    connect(m_listener, &QSocketNotifier::activated, this, &ClockServer::takeCallers);
    m_resume = new QTimer(this);
    m_resume->setSingleShot(true);
    m_resume->setInterval(250);
    connect(m_resume, &QTimer::timeout, m_listener, [this] { m_listener->setEnabled(true); });
}

ClockServer::~ClockServer()
{
    m_callers.clear();
    if (m_listening.socket.valid())
        ::unlink(m_listening.path.c_str());
}

void ClockServer::takeCallers()
{
    for (;;) {
        FileDescriptor socket(
            ::accept4(m_listening.socket.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!socket.valid()) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                if (makeRoom())
                    continue;
                // The queue would wake the clock again at once, for ever.
                m_listener->setEnabled(false);
                m_resume->start();
            }
            return;
        }
        // Only this user reaches the channel's folder; and this user's alone
        // are heard should another (root) come by.
        if (!Channel::sameUser(socket.get()))
            continue;
        if (m_callers.size() >= maxCallers && !makeRoom()) {
            const std::string busy = encodeReply(
                { ReplyKind::Refused, {}, "The clock is busy with other commands; try again in a moment." });
            (void)::send(socket.get(), busy.data(), busy.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            continue;
        }
        auto caller = std::make_unique<Caller>();
        caller->id = ++m_lastCaller;
        caller->socket = std::move(socket);
        const int id = caller->id;
        caller->reading = new QSocketNotifier(caller->socket.get(), QSocketNotifier::Read, this);
        connect(caller->reading, &QSocketNotifier::activated, this, [this, id] {
            if (Caller* heard = find(id))
                hear(*heard);
        });
        caller->writing = new QSocketNotifier(caller->socket.get(), QSocketNotifier::Write, this);
        caller->writing->setEnabled(false);
        connect(caller->writing, &QSocketNotifier::activated, this, [this, id] {
            if (Caller* answered = find(id))
                send(*answered);
        });
        caller->deadline = new QTimer(this);
        caller->deadline->setSingleShot(true);
        connect(caller->deadline, &QTimer::timeout, this, [this, id] { deadlinePassed(id); });
        caller->deadline->start(lineMs);
        m_callers.push_back(std::move(caller));
        // Its line is often here already.
        hear(*m_callers.back());
    }
}

void ClockServer::hear(Caller& caller)
{
    std::array<char, 1024> bytes;
    bool open = true;
    std::optional<std::string> line;
    while (!(line = caller.lines.next()) && !caller.lines.overlong()) {
        const ssize_t n = ::recv(caller.socket.get(), bytes.data(), bytes.size(), 0);
        if (n > 0) {
            caller.lines.add(std::string_view(bytes.data(), std::size_t(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        open = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        break;
    }
    if (!line) {
        if (!open || caller.lines.overlong())
            hangUp(caller);
        return;
    }
    // One command a call: nothing more is read from this caller.
    caller.heard = true;
    caller.reading->setEnabled(false);
    caller.deadline->stop();
    const std::optional<ClockCommand> command = decodeCommand(*line);
    if (!command)
        return reply(caller.id,
            { ReplyKind::Refused, {},
                "The clock did not understand the command (is it another version of the program?)." });
    if (command->file != m_fileName)
        return reply(caller.id,
            { ReplyKind::Refused, {},
                "the clock in this folder runs on " + m_path + ", not on " + command->file
                    + ": one clock runs per folder" });
    // Carried out from the event loop, not from inside this notifier's
    // signal: a command may open a box, whose loop would hear on meanwhile.
    QMetaObject::invokeMethod(
        this, [this, id = caller.id, c = *command] { Q_EMIT commandReceived(id, c); }, Qt::QueuedConnection);
}

void ClockServer::reply(int id, const ClockReply& reply)
{
    Caller* caller = find(id);
    if (!caller)
        return;
    caller->unsent += encodeReply(reply);
    caller->answered = reply.endsAnswer();
    // Already waiting for the caller to take more: it comes with the rest.
    if (!caller->writing->isEnabled())
        send(*caller);
}

void ClockServer::send(Caller& caller)
{
    while (!caller.unsent.empty()) {
        const ssize_t n = ::send(
            caller.socket.get(), caller.unsent.data(), caller.unsent.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            caller.unsent.erase(0, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            caller.writing->setEnabled(true);
            caller.deadline->start(takeMs);
            return;
        }
        return hangUp(caller); // gone
    }
    caller.writing->setEnabled(false);
    caller.deadline->stop();
    if (caller.answered)
        hangUp(caller);
}

void ClockServer::deadlinePassed(int id)
{
    // The event loop may have come to the deadline before the line that
    // came in time.
    if (Caller* caller = find(id); caller && !caller->heard)
        hear(*caller);
    if (Caller* caller = find(id); caller && (!caller->heard || !caller->unsent.empty()))
        hangUp(*caller);
}

void ClockServer::hangUp(const Caller& caller)
{
    std::erase_if(m_callers, [&caller](const std::unique_ptr<Caller>& c) { return c.get() == &caller; });
    if (!m_listener->isEnabled()) {
        m_resume->stop();
        m_listener->setEnabled(true);
    }
}

bool ClockServer::makeRoom()
{
    const auto silent = std::find_if(
        m_callers.begin(), m_callers.end(), [](const std::unique_ptr<Caller>& c) { return !c->heard; });
    if (silent == m_callers.end())
        return false;
    hangUp(**silent);
    return true;
}

ClockServer::Caller* ClockServer::find(int id)
{
    const auto found = std::find_if(
        m_callers.begin(), m_callers.end(), [id](const std::unique_ptr<Caller>& c) { return c->id == id; });
    return found == m_callers.end() ? nullptr : found->get();
}

} // namespace tickwell
