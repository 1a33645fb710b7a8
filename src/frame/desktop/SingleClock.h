#pragma once

#include <QByteArray>
#include <QObject>

#include <memory>
#include <vector>

class QSocketNotifier;

namespace tickwell {

// One clock per alarm file: two clocks on one "Alarm.dat" would announce
// every alarm twice and overwrite each other's changes. The first clock
// listens on a local socket named after the file; a later start for the same
// file, through whatever path, link or environment, finds the name taken,
// asks that clock to show its editor and ends.
//
// The socket lives in Linux's abstract namespace: it needs no folder, so
// neither XDG_RUNTIME_DIR nor the length of a path can keep two clocks apart
// or make the socket fail; and it goes with the process that holds it, so a
// clock that died leaves nothing to clear away. It is a plain socket with a
// notifier on the event loop: Qt's network module would cost the clock more
// than a megabyte of memory for this alone.
class SingleClock : public QObject {
    Q_OBJECT

public:
    // `alarmFile`: the file's identity, the same from every path that
    // reaches it (AlarmFile::identity()).
    explicit SingleClock(const QString& alarmFile, QObject* parent = nullptr);
    ~SingleClock() override;

    enum class Claim {
        TheClock, // this process is now the clock for the file
        AnotherRuns, // another process already is
        // The socket could not be made, or another user's program holds its
        // name: the clock runs unguarded rather than not at all.
        Unguarded,
    };
    Claim becomeTheClock();
    // The socket's name in the abstract namespace.
    const QString& socketName() const noexcept { return m_name; }
    // Why the socket could not be made, after Claim::Unguarded.
    QString lockFailure() const;
    // Asks the running clock to show its editor; true once it has answered.
    bool handOver(int timeoutMs = 5000);

Q_SIGNALS:
    void showRequested();

private:
    struct Caller;
    void answer();
    void readFrom(Caller& caller);

    QString m_name;
    int m_listener = -1;
    int m_listenError = 0;
    QSocketNotifier* m_listening = nullptr;
    std::vector<std::unique_ptr<Caller>> m_callers;
};

} // namespace tickwell
