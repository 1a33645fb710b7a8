// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/SingleClock.h"

#include "alarms/AlarmFile.h"
#include "frame/desktop/LockHolder.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace tickwell {

namespace {
const QByteArray showRequest = QByteArrayLiteral("show\n");
const QByteArray shownAnswer = QByteArrayLiteral("shown\n");
// A caller says one line at a time; one that says more without a line end
// is no start of this program.
constexpr qsizetype longestLine = qsizetype(longestMessage);

// Per user: another user's clock is none of ours.
QString nameFor(const QString& alarmFile)
{
    const QByteArray hash = QCryptographicHash::hash(alarmFile.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("tickwell-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash.toHex().left(32)));
}

// The name in the abstract namespace: a zero byte, then the name, and no
// terminating zero (the address's length says where it ends).
struct Address {
    sockaddr_un address {};
    socklen_t length = 0;

    explicit Address(const QString& name)
    {
        const QByteArray bytes = name.toUtf8();
        address.sun_family = AF_UNIX;
        const std::size_t size = std::min(std::size_t(bytes.size()), sizeof address.sun_path - 1);
        std::memcpy(address.sun_path + 1, bytes.constData(), size);
        length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size);
    }
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&address); }
};

// Never blocking: the listener is drained until it has no caller left, and a
// clock whose queue is full does not hold up the one that asks it.
int newSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// The name could be taken by another user's program; only a clock of ours is
// asked anything, and a clock takes commands from this user alone.
bool servedByThisUser(int socket)
{
    ucred peer {};
    socklen_t length = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::getuid();
}

// A socket of the caller's, connected to the name; -1 if nothing listens.
int connectTo(const QString& name)
{
    const int socket = newSocket();
    if (socket < 0)
        return -1;
    const Address address(name);
    int result;
    do
        result = ::connect(socket, address.get(), address.length);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Waits for the socket to be readable, at most `timeoutMs`.
bool waitReadable(int socket, qint64 timeoutMs)
{
    pollfd wanted { socket, POLLIN, 0 };
    return ::poll(&wanted, 1, int(std::clamp<qint64>(timeoutMs, 0, 60000))) > 0;
}

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString userName(uid_t user)
{
    passwd entry {};
    passwd* found = nullptr;
    std::vector<char> buffer(4096);
    if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QStringLiteral("user %1").arg(user);
}

void sendAll(int socket, const QByteArray& bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n
            = ::send(socket, bytes.constData() + sent, std::size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        sent += n;
    }
}
} // namespace

// A process that asks this clock something, for as long as it stays connected.
struct SingleClock::Caller {
    int id;
    int socket;
    QSocketNotifier notifier;
    QByteArray pending;

    Caller(int number, int descriptor, QObject* parent)
        : id(number)
        , socket(descriptor)
        , notifier(descriptor, QSocketNotifier::Read, parent)
    {
    }
    ~Caller() { ::close(socket); }
    Caller(const Caller&) = delete;
    Caller& operator=(const Caller&) = delete;
};

SingleClock::SingleClock(const AlarmFile& alarmFile, QObject* parent)
    : QObject(parent)
    , m_lock(alarmFile.resolvedDirectory())
    , m_path(QString::fromStdString(alarmFile.displayPath().string()))
    , m_name(nameFor(QString::fromStdString(alarmFile.identity())))
{
}

SingleClock::~SingleClock()
{
    m_callers.clear();
    if (m_listener >= 0)
        ::close(m_listener);
}

SingleClock::Claim SingleClock::claim(int handOverMs)
{
    const QDeadlineTimer deadline(handOverMs);
    for (;;) {
        switch (m_lock.tryLock()) {
        case DirectoryLock::State::Held:
            return listen(deadline);
        case DirectoryLock::State::Unavailable:
            // Not running at all would be worse than the guard this user's
            // own socket still gives.
            m_warnings << QStringLiteral("the folder of %1 cannot be locked (%2); a clock on it of another "
                                         "user's, or from another network namespace, will not be noticed")
                              .arg(m_path, reason(m_lock.error()));
            return listen(deadline);
        case DirectoryLock::State::Busy:
            break;
        }
        // Another clock has the file. Another user's, or one in another
        // network namespace, never listens where this one asks: no use
        // asking, or waiting for it.
        const LockHolder holder = findLockHolder(m_lock.device(), m_lock.inode());
        if (const QString why = outOfReach(holder); !why.isEmpty()) {
            m_refusal = cannotReach(why);
            return Claim::Refused;
        }
        // This user's may still be starting, its socket not made yet; or be
        // ending, and the lock about to be free.
        switch (askToShow(deadline)) {
        case Asked::Shown:
            return Claim::HandedOver;
        case Asked::NoAnswer:
        case Asked::Stranger:
            m_refusal = notAnswering();
            return Claim::Refused;
        case Asked::NobodyListens:
            break;
        }
        if (deadline.hasExpired()) {
            // A clock of this user's that has not come to listen in all
            // this time does not answer; one that cannot be seen at all
            // could be anyone's.
            m_refusal = holder.pid != 0
                ? notAnswering()
                : cannotReach(QStringLiteral("it may belong to another user, run in another network "
                                             "namespace, or not answer"));
            return Claim::Refused;
        }
        QThread::msleep(100);
    }
}

SingleClock::Claim SingleClock::listen(const QDeadlineTimer& deadline)
{
    m_listener = newSocket();
    int error = errno;
    if (m_listener >= 0) {
        const Address address(m_name);
        if (::bind(m_listener, address.get(), address.length) == 0 && ::listen(m_listener, 16) == 0) {
            m_listening = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
            connect(m_listening, &QSocketNotifier::activated, this, &SingleClock::answer);
            return Claim::TheClock;
        }
        error = errno;
        ::close(m_listener);
        m_listener = -1;
    }
    if (error == EADDRINUSE) {
        // A clock of this user's that has the name but not the lock (one
        // that could not lock the folder, or from before there was a lock)
        // is the clock for the file all the same.
        switch (askToShow(deadline)) {
        case Asked::Shown:
            return Claim::HandedOver;
        case Asked::NoAnswer:
            m_refusal = notAnswering();
            return Claim::Refused;
        case Asked::Stranger: // another user's program has taken the name
        case Asked::NobodyListens:
            break;
        }
    }
    m_warnings << QStringLiteral("the local socket \"@%1\" cannot be made (%2); %3")
                      .arg(m_name, reason(error),
                          m_lock.held()
                              ? QStringLiteral("a second start for this alarm file cannot reach this clock "
                                               "and will not run")
                              : QStringLiteral("a second start for this alarm file will not be noticed"));
    return Claim::TheClock;
}

SingleClock::Asked SingleClock::askToShow(const QDeadlineTimer& deadline) const
{
    const int socket = connectTo(m_name);
    if (socket < 0)
        return Asked::NobodyListens;
    Asked asked = Asked::Stranger;
    if (servedByThisUser(socket)) {
        sendAll(socket, showRequest);
        QByteArray answer;
        char bytes[64];
        while (!answer.contains('\n') && answer.size() < longestLine
            && waitReadable(socket, deadline.remainingTime())) {
            const ssize_t n = ::recv(socket, bytes, sizeof bytes, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            answer.append(bytes, n);
        }
        asked = answer.startsWith(shownAnswer) ? Asked::Shown : Asked::NoAnswer;
    }
    ::close(socket);
    return asked;
}

SingleClock::Delivery SingleClock::deliver(
    const ClockCommand& command, std::vector<ClockReply>& replies, int reachMs)
{
    const QDeadlineTimer deadline(reachMs);
    for (;;) {
        const DirectoryLock::State state = m_lock.tryLock();
        if (state == DirectoryLock::State::Held)
            return Delivery::NoClock;
        if (state == DirectoryLock::State::Busy) {
            const LockHolder holder = findLockHolder(m_lock.device(), m_lock.inode());
            if (const QString why = outOfReach(holder); !why.isEmpty()) {
                m_refusal = cannotReach(why);
                return Delivery::Refused;
            }
        }
        switch (ask(command, replies)) {
        case Asked::Shown:
            return Delivery::Answered;
        case Asked::NoAnswer:
        case Asked::Stranger:
            m_refusal = notAnswering();
            return Delivery::Refused;
        case Asked::NobodyListens:
            break;
        }
        // A folder that cannot be locked: the socket is all there is.
        if (state == DirectoryLock::State::Unavailable)
            return Delivery::NoClock;
        if (deadline.hasExpired()) {
            m_refusal = notAnswering();
            return Delivery::Refused;
        }
        QThread::msleep(100);
    }
}

SingleClock::Asked SingleClock::ask(const ClockCommand& command, std::vector<ClockReply>& replies) const
{
    const int socket = connectTo(m_name);
    if (socket < 0)
        return Asked::NobodyListens;
    if (!servedByThisUser(socket)) {
        ::close(socket);
        return Asked::Stranger;
    }
    const std::string line = encodeCommand(command);
    sendAll(socket, QByteArray::fromStdString(line));
    // Lines until the last answer; for a shutdown, until the clock has gone.
    QByteArray pending;
    bool finished = false;
    char bytes[512];
    while (!finished) {
        pollfd wanted { socket, POLLIN, 0 };
        if (::poll(&wanted, 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        const ssize_t n = ::recv(socket, bytes, sizeof bytes, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0) {
            finished = command.kind == CommandKind::Quit;
            break;
        }
        pending.append(bytes, n);
        qsizetype end;
        bool malformed = false;
        while (!finished && !malformed && (end = pending.indexOf('\n')) >= 0) {
            const std::optional<ClockReply> reply
                = decodeReply(std::string_view(pending.constData(), std::size_t(end)));
            pending.remove(0, end + 1);
            malformed = !reply;
            if (reply) {
                replies.push_back(*reply);
                finished = reply->kind != ReplyKind::Alarm;
            }
        }
        if (malformed || pending.size() > longestLine)
            break;
    }
    ::close(socket);
    return finished ? Asked::Shown : Asked::NoAnswer;
}

void SingleClock::reply(int caller, const ClockReply& reply)
{
    const auto found = std::find_if(m_callers.begin(), m_callers.end(),
        [caller](const std::unique_ptr<Caller>& c) { return c->id == caller; });
    if (found != m_callers.end())
        sendAll((*found)->socket, QByteArray::fromStdString(encodeReply(reply)));
}

QString SingleClock::notAnswering() const
{
    return QStringLiteral("another clock runs for %1 but does not answer").arg(m_path);
}

QString SingleClock::cannotReach(const QString& why) const
{
    return QStringLiteral("another clock runs for %1 that this one cannot reach (%2)").arg(m_path, why);
}

QString SingleClock::outOfReach(const LockHolder& holder)
{
    if (holder.userKnown && holder.user != ::geteuid())
        return QStringLiteral("it belongs to another user, %1").arg(userName(holder.user));
    if (holder.otherNetwork)
        return QStringLiteral("it runs in another network namespace");
    return {};
}

void SingleClock::answer()
{
    for (;;) {
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (socket < 0)
            return;
        // Anyone in this network namespace can reach the name: another
        // user's programs are not heard at all.
        if (!servedByThisUser(socket)) {
            ::close(socket);
            continue;
        }
        auto caller = std::make_unique<Caller>(++m_lastCaller, socket, this);
        Caller* heard = caller.get();
        connect(&caller->notifier, &QSocketNotifier::activated, this, [this, heard] { readFrom(*heard); });
        m_callers.push_back(std::move(caller));
    }
}

void SingleClock::readFrom(Caller& caller)
{
    char bytes[256];
    bool open = true;
    for (;;) {
        const ssize_t n = ::recv(caller.socket, bytes, sizeof bytes, 0);
        if (n > 0) {
            caller.pending.append(bytes, n);
            if (caller.pending.size() > longestLine + qsizetype(sizeof bytes))
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        open = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        break;
    }
    qsizetype end;
    while ((end = caller.pending.indexOf('\n')) >= 0 && end < longestLine) {
        const QByteArray line = caller.pending.left(end + 1);
        caller.pending.remove(0, end + 1);
        if (line == showRequest) {
            Q_EMIT showRequested();
            sendAll(caller.socket, shownAnswer);
            continue;
        }
        // Anything not well-formed is dropped without effect. A command is
        // carried out from the event loop, not from inside this notifier's
        // signal: it may open a box, whose loop would read on meanwhile.
        if (std::optional<ClockCommand> command
            = decodeCommand(std::string_view(line.constData(), std::size_t(line.size() - 1)))) {
            QMetaObject::invokeMethod(
                this, [this, id = caller.id, c = *command] { Q_EMIT commandReceived(id, c); },
                Qt::QueuedConnection);
        }
    }
    if (!open || caller.pending.size() >= longestLine) {
        caller.notifier.setEnabled(false);
        // Not from inside its own notifier's signal: later, from the event loop.
        QMetaObject::invokeMethod(
            this,
            [this, gone = &caller] {
                std::erase_if(
                    m_callers, [gone](const std::unique_ptr<Caller>& c) { return c.get() == gone; });
            },
            Qt::QueuedConnection);
    }
}

} // namespace tickwell
