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
    // The lock and the socket in `folder` instead of the user's runtime folder.
    SingleClock(const QString& alarmDirectory, const QString& folder, QObject* parent = nullptr);
    ~SingleClock() override;

    enum class Claim {
        TheClock, // this process is now the clock for the directory
        AnotherRuns, // another process already is
        // The lock could not be made at all (an unwritable runtime folder):
        // the clock runs unguarded rather than not at all.
        Unguarded,
    };
    Claim becomeTheClock();
    // Why the lock could not be made, after Claim::Unguarded.
    QString lockFailure() const;
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
