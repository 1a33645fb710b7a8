// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/ClockCommand.h"
#include "frame/desktop/DirectoryLock.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QDeadlineTimer;
class QSocketNotifier;

namespace tickwell {

class AlarmFile;
struct LockHolder;

// One clock per alarm file: two clocks on one "Alarm.dat" would announce
// every alarm twice and overwrite each other's changes.
//
// The clock holds an exclusive lock on the file's directory (DirectoryLock)
// for as long as it runs: every path, link, user and namespace that reaches
// the file reaches that directory too. A later start that finds it locked
// asks the clock that holds it to show its editor and ends; where it cannot
// reach that clock (another user's, one in another network namespace, one
// that does not answer), it must not run at all.
//
// The question goes over a local socket named after the file and the user.
// The socket lives in Linux's abstract namespace: it needs no folder, so
// neither XDG_RUNTIME_DIR nor the length of a path can keep two clocks of one
// user apart or make the socket fail; and it goes with the process that holds
// it. It is a plain socket with a notifier on the event loop: Qt's network
// module would cost the clock more than a megabyte of memory for this alone.
// Where the directory cannot be locked, the socket alone keeps this user's
// clocks in this network namespace apart, as well as it can.
class SingleClock : public QObject {
    Q_OBJECT

public:
    explicit SingleClock(const AlarmFile& alarmFile, QObject* parent = nullptr);
    ~SingleClock() override;

    enum class Claim {
        TheClock, // this process is now the clock for the file
        HandedOver, // another process is, and has shown its editor
        // Another process is, and cannot be asked to: this one must not run
        // (refusal() says why).
        Refused,
    };
    // Takes the file, or hands it over to the clock that has it; the clock
    // that has it may be starting itself, and is given `handOverMs` to answer.
    Claim claim(int handOverMs = 5000);
    // After TheClock: how this clock is guarded less well than it should be,
    // one line each; empty when it is fully guarded.
    const QStringList& warnings() const noexcept { return m_warnings; }
    // After Refused: which file, and why this clock does not run, as a
    // sentence without its full stop.
    const QString& refusal() const noexcept { return m_refusal; }
    // The socket's name in the abstract namespace.
    const QString& socketName() const noexcept { return m_name; }

    // A command for the clock that runs on the file, from a start that is
    // not to become the clock itself.
    enum class Delivery {
        Answered, // its answers are in `replies`
        NoClock, // none runs: the file is this process's while it lives
        Refused, // one runs that cannot be reached (refusal() says why)
    };
    // Waits `reachMs` at most for a clock that is starting to listen; then
    // for its answers as long as they take: a clock asked to shut down, or
    // to clear an alarm behind a reminder on show, waits for the user.
    Delivery deliver(const ClockCommand& command, std::vector<ClockReply>& replies, int reachMs = 5000);

    // Answers the caller of a command (commandReceived), if it is still there.
    void reply(int caller, const ClockReply& reply);

Q_SIGNALS:
    void showRequested();
    // A command from another start of the program, by this user; answered
    // with reply() under `caller`.
    void commandReceived(int caller, const tickwell::ClockCommand& command);

private:
    struct Caller;
    enum class Asked {
        NobodyListens,
        Shown,
        NoAnswer, // a clock of this user's that did not show its editor in time
        Stranger, // another user's program holds the name
    };
    Claim listen(const QDeadlineTimer& deadline);
    Asked askToShow(const QDeadlineTimer& deadline) const;
    Asked ask(const ClockCommand& command, std::vector<ClockReply>& replies) const;
    QString notAnswering() const;
    QString cannotReach(const QString& why) const;
    // Why the clock that holds the lock cannot be asked anything; empty
    // while it may yet answer.
    static QString outOfReach(const LockHolder& holder);
    void answer();
    void readFrom(Caller& caller);

    DirectoryLock m_lock;
    QString m_path; // as messages name it
    QString m_name;
    QStringList m_warnings;
    QString m_refusal;
    int m_listener = -1;
    QSocketNotifier* m_listening = nullptr;
    std::vector<std::unique_ptr<Caller>> m_callers;
    int m_lastCaller = 0;
};

} // namespace tickwell
