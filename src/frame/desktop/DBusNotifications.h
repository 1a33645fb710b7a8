#pragma once

#include "frame/desktop/Notifications.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

class QDBusPendingCallWatcher;

namespace tickwell {

class AlarmSound;

// Notices through the desktop's notification service, over the session bus
// (org.freedesktop.Notifications): critical, so that they stay until
// dismissed, with the sound theme's alarm, which the clock plays itself
// where the service plays no sounds or there is none. Every call is
// asynchronous; a service that is missing, slow or failing costs the
// reminder box nothing and is reported once.
class DBusNotifications final : public Notifications {
    Q_OBJECT

public:
    explicit DBusNotifications(AlarmSound& sound, const QDBusConnection& bus = QDBusConnection::sessionBus());

    int post(const ReminderNotice& notice) override;
    void withdraw(int notice) override;
    void prepare() override;

    // How long the alarm sound waits to learn whether the service plays it.
    static constexpr int capabilitiesTimeout = 1000; // milliseconds

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
        bool ourSound = false;
    };

    void askCapabilities();
    void capabilitiesAnswered(QDBusPendingCallWatcher& call);
    void send(Posted& posted);
    void notifyAnswered(int number, QDBusPendingCallWatcher& call);
    void playSound(Posted& posted);
    void ownerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);
    Posted* find(int number);
    Posted* shownAs(uint id);
    // Off the desktop, and out of the list.
    void close(const Posted& posted);
    void reportOnce(const QString& problem);

    AlarmSound& m_sound;
    QDBusConnection m_bus;
    QDBusServiceWatcher m_owner;
    // What the present owner of the service can do, once it has said.
    std::optional<QStringList> m_capabilities;
    bool m_askingCapabilities = false;
    bool m_capabilitiesFailed = false;
    // No service holds the name: asked again only once one takes it.
    bool m_noService = false;
    bool m_askAgain = false;
    std::vector<Posted> m_posted;
    int m_lastNumber = 0;
    QString m_activationToken;
    QVariant m_icon;
    bool m_reported = false;
};

} // namespace tickwell
