// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/TrayService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QSystemTrayIcon>

namespace tickwell {

namespace {
const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
} // namespace

// Qt shows the icon as a StatusNotifierItem when such a host runs on the
// session bus, else in a classic (XEmbed) tray. Only the classic trays
// report double clicks; the other hosts report "activate" alone. Asked
// without waiting, and once: a watcher that hangs or has gone holds up
// neither the start nor anything after it, and is not started anew.
void QSystemTrayService::askWhetherAHostRuns()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher))
        return;
    // Most likely, while the answer is on its way.
    m_reportsDoubleClicks = false;
    QDBusMessage get = QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false);
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(get, 1000), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
        answered->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *answered;
        m_reportsDoubleClicks = reply.isError() || !reply.value().variant().toBool();
    });
}

namespace {
TrayService::Activation activationOf(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayService::Activation::Trigger;
    case QSystemTrayIcon::DoubleClick:
        return TrayService::Activation::DoubleClick;
    case QSystemTrayIcon::Context:
        return TrayService::Activation::Context;
    default:
        return TrayService::Activation::Other;
    }
}
} // namespace

QSystemTrayService::QSystemTrayService(QObject* parent)
    : TrayService(parent)
{
    askWhetherAHostRuns();
}

QSystemTrayService::~QSystemTrayService() = default;

bool QSystemTrayService::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QSystemTrayService::reportsDoubleClicks() const
{
    return m_reportsDoubleClicks;
}

void QSystemTrayService::add(const TrayIconRecord& data, QMenu& menu)
{
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { Q_EMIT activated(activationOf(reason)); });
    }
    m_icon->setIcon(data.hIcon);
    m_icon->setToolTip(data.szTip);
    // The tray's own convention opens the menu for the right button.
    m_icon->setContextMenu(&menu);
    // Without a notification area yet, the icon appears once one does.
    m_icon->show();
}

void QSystemTrayService::modify(const TrayIconRecord& data)
{
    if (!m_icon)
        return;
    m_icon->setIcon(data.hIcon);
    m_icon->setToolTip(data.szTip);
}

void QSystemTrayService::remove(const TrayIconRecord&)
{
    if (!m_icon)
        return;
    m_icon->hide();
    m_icon->setContextMenu(nullptr);
    m_icon.reset();
}

} // namespace tickwell
