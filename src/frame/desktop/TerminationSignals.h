// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

namespace tickwell {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the program's one
// thread, so that they shut the clock down like its own menu does.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Blocks the signals for every thread started afterwards: call it first
    // thing in main(), before the application object starts its threads.
    static void block();

    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    void readSignal();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tickwell
