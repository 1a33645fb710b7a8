// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/desktop/Notifications.h"

#include <QStringList>

#include <vector>

namespace tickwell::test {

// A notification service in the test: it keeps what was posted and
// withdrawn, and the test chooses a notice as the user would.
class FakeNotifications final : public Notifications {
public:
    std::vector<ReminderNotice> posted; // notice n is posted[n - 1]
    QStringList calls; // "post 1", "withdraw 1", ...
    int prepared = 0;

    int post(const ReminderNotice& notice) override
    {
        posted.push_back(notice);
        calls << QStringLiteral("post %1").arg(posted.size());
        return int(posted.size());
    }
    void withdraw(int notice) override { calls << QStringLiteral("withdraw %1").arg(notice); }
    void prepare() override { ++prepared; }

    void choose(int notice) { Q_EMIT activated(notice); }
    // The user chose one of the notice's buttons that ask for it again.
    void snooze(int notice, int minutes) { Q_EMIT snoozed(notice, minutes); }
    // The user dismissed the notice.
    void dismiss(int notice) { Q_EMIT dismissed(notice); }
    // The notices posted and not withdrawn.
    QList<int> showing() const
    {
        QList<int> numbers;
        for (const QString& call : calls) {
            const int number = call.section(u' ', 1).toInt();
            if (call.startsWith(QLatin1String("post")))
                numbers << number;
            else
                numbers.removeAll(number);
        }
        return numbers;
    }
};

} // namespace tickwell::test
