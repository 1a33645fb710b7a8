#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

namespace tickwell {

// One clock per alarm file: two clocks on one "Alarm.dat" would announce
// every alarm twice and overwrite each other's changes. The first clock
// started in a directory holds a lock and listens on a local socket; a
// later start in the same directory asks it to show its editor and ends.
class SingleClock : public QObject {
    Q_OBJECT

public:
    // `alarmDirectory` is where "Alarm.dat" lies.
    explicit SingleClock(const QString& alarmDirectory, QObject* parent = nullptr);
    ~SingleClock() override;

    // True when this process is now the clock for the directory; false
    // when another one already is.
    bool becomeTheClock();
    // Asks the running clock to show its editor; true once it has answered.
    bool handOver(int timeoutMs = 5000);

Q_SIGNALS:
    void showRequested();

private:
    void answer();

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
};

} // namespace tickwell
