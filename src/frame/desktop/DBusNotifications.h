// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/desktop/Notifications.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QStringList>
#include <QVariant>

#include <chrono>
#include <optional>
#include <vector>

class QDBusPendingCallWatcher;

namespace tickwell {

// Notices through the desktop's notification service, over the session bus
// (org.freedesktop.Notifications): critical, so that they stay until
// dismissed, and silent: a service that plays sounds is asked not to, for
// the clock's own ring is the alarm's one sound. Every call is asynchronous
// and waits a second at most; a service that is missing, slow or failing
// costs the reminder box nothing and is reported once.
//
// A reminder asks the service at most once and posts at most once: what
// goes wrong counts as no service for that reminder. A service that failed
// is not called again for a while, longer after each failure: a desktop
// whose bus starts a notifier that cannot serve it, and that exits at once,
// would otherwise be started anew by every call. A service that another
// program puts in its place is asked at once.
class DBusNotifications final : public Notifications {
    Q_OBJECT

public:
    explicit DBusNotifications(const QDBusConnection& bus = QDBusConnection::sessionBus());

    int post(const ReminderNotice& notice) override;
    void withdraw(int notice) override;
    void prepare() override;

    // How long any call waits for the service's answer.
    static constexpr int callTimeout = 1000; // milliseconds
    // The pause after the first failure; it doubles with each further one.
    static constexpr std::chrono::seconds firstPause { 60 };
    static constexpr std::chrono::seconds longestPause { 3600 };

private Q_SLOTS:
    // The service's signals; QtDBus reaches receivers only by slot name.
    void serviceInvokedAction(uint id, const QString& action);
    void serviceGaveActivationToken(uint id, const QString& token);
    void serviceClosed(uint id, uint reason);

private:
    enum class Stage {
        AwaitingCapabilities, // to be sent once the service's capabilities are known
        Sending, // Notify is under way
        Shown, // the service holds it under `id`
        Unsent, // there was no service to send it to
        Gone, // closed by the service, or refused
    };
    struct Posted {
        int number = 0;
        ReminderNotice notice;
        Stage stage = Stage::AwaitingCapabilities;
        uint id = 0;
        bool withdrawn = false;
        // The minutes of the buttons it was sent with that ask for the reminder again.
        QList<int> snoozesOffered {};
    };

    // Whether the service may be called now: not while it is paused after a failure.
    bool mayCall() const;
    void askCapabilities();
    void capabilitiesAnswered(QDBusPendingCallWatcher& call);
    void send(Posted& posted);
    void notifyAnswered(int number, QDBusPendingCallWatcher& call);
    // The service failed: the reminders waiting for it go without it, and
    // it is left alone for a while, or until another program takes its name.
    void failed(const QString& problem, bool leftWhileAsked = false);
    void ownerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);
    Posted* find(int number);
    Posted* shownAs(uint id);
    // Off the desktop, and out of the list.
    void close(const Posted& posted);
    void reportOnce(const QString& problem);

    QDBusConnection m_bus;
    QDBusServiceWatcher m_owner;
    // What the present owner of the service can do, once it has said.
    std::optional<QStringList> m_capabilities;
    // The question under way, by number: an answer to an earlier one,
    // already counted as failed, is not heard.
    int m_asking = 0;
    int m_lastAsk = 0;
    // After a failure, no call before this time.
    std::optional<QDeadlineTimer> m_pausedUntil;
    int m_failures = 0;
    // The last failure was the service leaving while it was asked: a new
    // owner of its name does not end the pause.
    bool m_leftWhileAsked = false;
    std::vector<Posted> m_posted;
    int m_lastNumber = 0;
    QString m_activationToken;
    QVariant m_icon;
    bool m_reported = false;
};

} // namespace tickwell
