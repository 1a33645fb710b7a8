// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/DBusNotifications.h"

#include "frame/controls/Pictures.h"
#include "frame/desktop/DesktopId.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <utility>

namespace tickwell {

// A picture as the notification service takes it: (iiibiiay), 8-bit RGBA rows.
struct NotificationImage {
    int width = 0;
    int height = 0;
    int rowStride = 0;
    bool hasAlpha = true;
    int bitsPerSample = 8;
    int channels = 4;
    QByteArray pixels;
};

QDBusArgument& operator<<(QDBusArgument& argument, const NotificationImage& image)
{
    argument.beginStructure();
    argument << image.width << image.height << image.rowStride << image.hasAlpha << image.bitsPerSample
             << image.channels << image.pixels;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, NotificationImage& image)
{
    argument.beginStructure();
    argument >> image.width >> image.height >> image.rowStride >> image.hasAlpha >> image.bitsPerSample
        >> image.channels >> image.pixels;
    argument.endStructure();
    return argument;
}

} // namespace tickwell

Q_DECLARE_METATYPE(tickwell::NotificationImage)

namespace tickwell {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString& interface = service;
const QString appName = QStringLiteral("Tickwell Alarm Clock");
// The action key of a button that asks for the reminder again: "snooze-10".
const QString snoozePrefix = QStringLiteral("snooze-");
// NotificationClosed's reason for a notice the user dismissed.
constexpr uint dismissedByTheUser = 2;

QDBusMessage callOf(const QString& method)
{
    return QDBusMessage::createMethodCall(service, path, interface, method);
}

// The program's icon, for a service that cannot find it by name (a clock
// run from where it was built has no icon in the theme).
QVariant iconImage()
{
    const QImage picture
        = activeClockIcon().pixmap(64, 64).toImage().convertToFormat(QImage::Format_RGBA8888);
    NotificationImage image;
    image.width = picture.width();
    image.height = picture.height();
    image.rowStride = int(picture.bytesPerLine());
    image.pixels = QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes());
    return QVariant::fromValue(image);
}

// The reminder's first line heads the notice; the rest, and when the alarm
// was due, make its body.
std::pair<QString, QString> noticeText(const ReminderNotice& notice, bool markup)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = notice.reminder.split(lineBreak);
    while (!lines.isEmpty() && lines.front().trimmed().isEmpty())
        lines.removeFirst();
    const QString summary = lines.isEmpty() ? appName : lines.takeFirst().trimmed();
    QString body = lines.join(u'\n').trimmed();
    if (!body.isEmpty())
        body += QStringLiteral("\n\n");
    body += QStringLiteral("Due at ") + notice.entry;
    return { summary, markup ? body.toHtmlEscaped() : body };
}

} // namespace

DBusNotifications::DBusNotifications(const QDBusConnection& bus)
    : m_bus(bus)
    , m_owner(service, bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    qDBusRegisterMetaType<NotificationImage>();
    connect(&m_owner, &QDBusServiceWatcher::serviceOwnerChanged, this, &DBusNotifications::ownerChanged);
    m_bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
        SLOT(serviceInvokedAction(uint, QString)));
    m_bus.connect(service, path, interface, QStringLiteral("ActivationToken"), this,
        SLOT(serviceGaveActivationToken(uint, QString)));
    m_bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
        SLOT(serviceClosed(uint, uint)));
}

int DBusNotifications::post(const ReminderNotice& notice)
{
    Posted& posted = m_posted.emplace_back(Posted { ++m_lastNumber, notice });
    if (!m_bus.isConnected()) {
        reportOnce(QStringLiteral("no session bus"));
        posted.stage = Stage::Unsent;
    } else if (m_capabilities) {
        send(posted);
    } else if (!mayCall()) {
        // It failed a moment ago: this reminder does not wait for it.
        posted.stage = Stage::Unsent;
    } else {
        askCapabilities();
    }
    return posted.number;
}

void DBusNotifications::prepare()
{
    // What the service can do, and the picture, are known by the minute:
    // the notice then goes out at once, and nothing is drawn beside the box.
    // Every tick of that minute comes here: asked once, and after a failure
    // not again until its pause is over.
    if (m_bus.isConnected() && !m_capabilities && !m_asking && mayCall())
        askCapabilities();
    if (m_icon.isNull())
        m_icon = iconImage();
}

void DBusNotifications::withdraw(int notice)
{
    Posted* posted = find(notice);
    if (!posted)
        return;
    posted->withdrawn = true;
    // One under way is closed as soon as the service says which it is.
    if (posted->stage != Stage::Sending)
        close(*posted);
}

bool DBusNotifications::mayCall() const
{
    return !m_pausedUntil || m_pausedUntil->hasExpired();
}

void DBusNotifications::askCapabilities()
{
    if (m_asking)
        return;
    m_asking = ++m_lastAsk;
    auto* call = new QDBusPendingCallWatcher(
        m_bus.asyncCall(callOf(QStringLiteral("GetCapabilities")), callTimeout), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
        [this, ask = m_asking](QDBusPendingCallWatcher* answered) {
            answered->deleteLater();
            if (ask == m_asking)
                capabilitiesAnswered(*answered);
        });
}

void DBusNotifications::capabilitiesAnswered(QDBusPendingCallWatcher& call)
{
    m_asking = 0;
    const QDBusPendingReply<QStringList> reply = call;
    if (reply.isError()) {
        return failed(reply.error().name());
    }
    m_capabilities = reply.value();
    m_pausedUntil.reset();
    m_failures = 0;
    m_leftWhileAsked = false;
    for (Posted& posted : m_posted) {
        if (posted.stage == Stage::AwaitingCapabilities)
            send(posted);
    }
}

void DBusNotifications::send(Posted& posted)
{
    const QStringList capabilities = m_capabilities.value_or(QStringList {});
    if (m_icon.isNull())
        m_icon = iconImage();
    const QVariantMap hints {
        { QStringLiteral("urgency"), QVariant::fromValue(uchar(2)) }, // critical: stays until dismissed
        { QStringLiteral("desktop-entry"), QString::fromLatin1(desktopId) },
        { QStringLiteral("image-data"), m_icon },
        // The clock rings until the reminder is answered; a sound of the
        // service's own would sound over it.
        { QStringLiteral("suppress-sound"), true },
    };
    const auto [summary, body]
        = noticeText(posted.notice, capabilities.contains(QStringLiteral("body-markup")));

    QStringList actions { QStringLiteral("default"), QStringLiteral("Show Reminder") };
    // A service without buttons would show the keys as text, or nothing.
    posted.snoozesOffered.clear();
    if (capabilities.contains(QStringLiteral("actions"))) {
        for (const int minutes : posted.notice.snoozeMinutes) {
            if (!isValidSnooze(minutes) || posted.snoozesOffered.contains(minutes))
                continue;
            posted.snoozesOffered << minutes;
            actions << snoozePrefix + QString::number(minutes)
                    << QStringLiteral("Remind Me in ") + QString::fromStdString(minutesText(minutes));
        }
    }

    QDBusMessage notify = callOf(QStringLiteral("Notify"));
    notify << appName << uint(0) << QString::fromLatin1(desktopId) << summary << body << actions << hints
           << int(0); // no expiry
    // Only the service that said what it can do is sent the notice: one
    // that has gone since is not started again for it.
    notify.setAutoStartService(false);
    posted.stage = Stage::Sending;
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(notify, callTimeout), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
        [this, number = posted.number](QDBusPendingCallWatcher* answered) {
            answered->deleteLater();
            notifyAnswered(number, *answered);
        });
}

void DBusNotifications::notifyAnswered(int number, QDBusPendingCallWatcher& call)
{
    Posted* posted = find(number);
    if (!posted || posted->stage != Stage::Sending)
        return;
    const QDBusPendingReply<uint> reply = call;
    if (reply.isError()) {
        posted->stage = Stage::Gone;
        failed(reply.error().name());
        // (failed() may have closed it, if it was withdrawn meanwhile.)
        if ((posted = find(number)) == nullptr)
            return;
    } else {
        posted->stage = Stage::Shown;
        posted->id = reply.value();
    }
    if (posted->withdrawn)
        close(*posted);
}

void DBusNotifications::failed(const QString& problem, bool leftWhileAsked)
{
    reportOnce(problem);
    m_capabilities.reset();
    m_asking = 0;
    ++m_failures;
    m_leftWhileAsked = leftWhileAsked;
    const auto pause
        = std::min<std::chrono::seconds>(firstPause * (1LL << std::min(m_failures - 1, 12)), longestPause);
    m_pausedUntil = QDeadlineTimer(pause);
    std::vector<int> gone;
    for (Posted& posted : m_posted) {
        if (posted.stage == Stage::AwaitingCapabilities)
            posted.stage = Stage::Unsent;
        else if (posted.stage == Stage::Sending)
            posted.stage = Stage::Gone; // whatever it answers now is not heard
        if (posted.withdrawn && posted.stage != Stage::Sending)
            gone.push_back(posted.number);
    }
    for (const int number : gone) {
        if (const Posted* posted = find(number))
            close(*posted);
    }
}

void DBusNotifications::ownerChanged(const QString&, const QString& oldOwner, const QString& newOwner)
{
    // Another service, or none: what the old one could do and what it
    // showed are gone with it.
    m_capabilities.reset();
    for (Posted& posted : m_posted) {
        if (posted.stage == Stage::Shown)
            posted.stage = Stage::Gone;
    }
    const bool calling = m_asking || std::any_of(m_posted.begin(), m_posted.end(), [](const Posted& p) {
        return p.stage == Stage::Sending;
    });
    if (calling && (newOwner.isEmpty() || !oldOwner.isEmpty())) {
        // Gone, or taken over, while it was being asked: no answer it gives
        // can be trusted, and one that exits at once would give none.
        return failed(newOwner.isEmpty() ? QStringLiteral("the notification service went away")
                                         : QStringLiteral("the notification service was replaced"),
            true);
    }
    // A new owner of the name, not one that our own call is starting: it
    // is asked at once, not when the pause after its predecessor's failure
    // runs out. Not after a service that left while
    // it was asked: that is a notifier that exits as soon as it starts, and
    // whoever starts it next would have it asked, and started, again.
    if (!newOwner.isEmpty() && !calling && !m_leftWhileAsked)
        m_pausedUntil.reset();
}

void DBusNotifications::serviceInvokedAction(uint id, const QString& action)
{
    const Posted* posted = shownAs(id);
    if (!posted)
        return;
    if (action != QLatin1String("default")) {
        // Only the buttons this notice was given: a key of the service's
        // own, or one sent for a notice without them, asks for nothing.
        bool number = false;
        const int minutes
            = action.startsWith(snoozePrefix) ? action.mid(snoozePrefix.size()).toInt(&number) : 0;
        if (number && posted->snoozesOffered.contains(minutes)
            && action == snoozePrefix + QString::number(minutes)) {
            // The token was for a window to come forward; none does.
            m_activationToken.clear();
            Q_EMIT snoozed(posted->number, minutes);
        }
        return;
    }
    // On Wayland a window may come to the front only with the token the
    // service handed over for the user's click; the toolkit reads it from
    // the environment when the window is activated.
    if (!m_activationToken.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", m_activationToken.toUtf8());
    m_activationToken.clear();
    Q_EMIT activated(posted->number);
}

void DBusNotifications::serviceGaveActivationToken(uint id, const QString& token)
{
    if (shownAs(id))
        m_activationToken = token;
}

void DBusNotifications::serviceClosed(uint id, uint reason)
{
    // Dismissed (or expired): the box stays, and removes the alarm.
    Posted* posted = shownAs(id);
    if (!posted)
        return;
    posted->stage = Stage::Gone;
    // The user heard it; one that expired may not have been seen at all.
    if (reason == dismissedByTheUser)
        Q_EMIT dismissed(posted->number);
}

DBusNotifications::Posted* DBusNotifications::find(int number)
{
    const auto found = std::find_if(
        m_posted.begin(), m_posted.end(), [number](const Posted& p) { return p.number == number; });
    return found == m_posted.end() ? nullptr : &*found;
}

DBusNotifications::Posted* DBusNotifications::shownAs(uint id)
{
    const auto found = std::find_if(m_posted.begin(), m_posted.end(),
        [id](const Posted& p) { return p.stage == Stage::Shown && p.id == id && !p.withdrawn; });
    return found == m_posted.end() ? nullptr : &*found;
}

void DBusNotifications::close(const Posted& posted)
{
    if (posted.stage == Stage::Shown) {
        QDBusMessage closing = callOf(QStringLiteral("CloseNotification")) << posted.id;
        closing.setAutoStartService(false);
        m_bus.send(closing);
    }
    const int number = posted.number;
    std::erase_if(m_posted, [number](const Posted& p) { return p.number == number; });
}

void DBusNotifications::reportOnce(const QString& problem)
{
    if (m_reported)
        return;
    m_reported = true;
    qWarning(
        "tickwell: no desktop notification (%s); reminders come in their box, with the clock's own sound",
        qPrintable(problem));
}

} // namespace tickwell
