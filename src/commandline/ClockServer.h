// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/AlarmFile.h"
#include "commandline/Channel.h"
#include "commandline/ClockMessages.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace tickwell {

// The running clock's end of its channel (Channel.h): it hears one command
// from each caller and sends back what the clock answers under the caller's
// number. A plain socket with notifiers on the event loop: Qt's network
// module would cost the clock more than a megabyte of memory for this alone.
//
// No caller holds the clock up. Nothing waits on a caller: an answer it does
// not take yet waits in memory. A caller that has not said its whole line in
// a few seconds, or takes none of its answer for half a minute, is hung up
// on. At most `maxCallers` are kept at once, and at the limit of open files
// too the one that has said nothing the longest makes room for a new one;
// where every caller has a command under way, new ones wait in the queue
// for a moment rather than wake the clock for nothing.
class ClockServer : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t maxCallers = 16;
    static constexpr int lineMs = 5000; // for a caller's whole line
    static constexpr int takeMs = 30000; // for a caller to take some of its answer

    // Listens for commands for `file`, the clock's alarm file;
    // `folderLocked`: this clock holds its folder's lock.
    ClockServer(const AlarmFile& file, bool folderLocked, QObject* parent = nullptr);
    ~ClockServer() override;

    // Why it does not listen; empty when it does.
    const std::string& failure() const noexcept { return m_listening.failure; }

    // Sends `reply` to the caller of a command (commandReceived), if it is
    // still there; the line that ends the answer ends the call too.
    void reply(int caller, const ClockReply& reply);

Q_SIGNALS:
    // A command from a command line of this user's.
    void commandReceived(int caller, const tickwell::ClockCommand& command);

private:
    struct Caller;
    void takeCallers();
    void hear(Caller& caller);
    void send(Caller& caller);
    void deadlinePassed(int id);
    void hangUp(const Caller& caller);
    // Hangs up on the caller that has said nothing the longest; false if
    // every caller has said its command.
    bool makeRoom();
    Caller* find(int id);

    std::string m_fileName;
    std::string m_path;
    Channel::Listening m_listening;
    QSocketNotifier* m_listener = nullptr;
    QTimer* m_resume = nullptr;
    std::vector<std::unique_ptr<Caller>> m_callers;
    int m_lastCaller = 0;
};

} // namespace tickwell
