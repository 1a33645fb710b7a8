// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace tickwell {

// The end of the desktop session. A session manager asks every program to
// save its work both when the session ends and at a mere checkpoint, after
// which the session goes on; only when the session really ends does it tell
// the programs to go, which reaches the program as a request to quit. That
// request, not the saving, ends the clock.
class SessionEnd : public QObject {
    Q_OBJECT

public:
    // Watches the application object for the request to quit.
    explicit SessionEnd(QObject* parent = nullptr);
    ~SessionEnd() override;

Q_SIGNALS:
    void ending();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tickwell
