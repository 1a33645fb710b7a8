// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <chrono>

namespace tickwell {

// Wakes the program at a moment of the wall clock, and at once whenever
// what the wall clock says has jumped: set, back from a suspend, or into
// another time zone. The alarm timer sleeps on one while the editor is
// hidden; tests use one that only records.
class WakeSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // One wake at `moment`, in place of any asked for before. A moment
    // already past wakes at once.
    virtual void wakeAt(std::chrono::system_clock::time_point moment) = 0;
    // No wake at a moment, nor when the wall clock is set; a new time
    // zone still wakes.
    virtual void cancel() = 0;

Q_SIGNALS:
    // The moment has come, or the wall clock or the time zone has changed.
    void woken();
};

} // namespace tickwell
