#include "frame/desktop/DBusNotifications.h"

#include "frame/controls/Pictures.h"
#include "frame/desktop/AlarmSound.h"
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
const QString alarmSoundName = QStringLiteral("alarm-clock-elapsed");

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

DBusNotifications::DBusNotifications(AlarmSound& sound, const QDBusConnection& bus)
    : m_sound(sound)
    , m_bus(bus)
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
        playSound(posted);
    } else if (m_capabilities) {
        send(posted);
    } else {
        // Asked again, in case the service has come or recovered since; the
        // sound does not wait for a service that failed to answer before.
        if (m_capabilitiesFailed)
            playSound(posted);
        askCapabilities();
    }
    return posted.number;
}

void DBusNotifications::prepare()
{
    m_sound.prepare();
    // What the service can do, and the picture, are known by the minute:
    // the notice then goes out at once, and nothing is drawn beside the box.
    // Every tick of that minute comes here: where no service holds the
    // name, none is asked until one takes it.
    if (m_bus.isConnected() && !m_capabilities && !m_noService)
        askCapabilities();
    if (m_icon.isNull())
        m_icon = iconImage();
}

void DBusNotifications::withdraw(int notice)
{
    Posted* posted = find(notice);
    if (!posted)
        return;
    if (posted->ourSound)
        m_sound.stop();
    posted->withdrawn = true;
    // One under way is closed as soon as the service says which it is.
    if (posted->stage != Stage::Sending)
        close(*posted);
}

void DBusNotifications::askCapabilities()
{
    if (m_askingCapabilities)
        return;
    m_askingCapabilities = true;
    auto* call = new QDBusPendingCallWatcher(
        m_bus.asyncCall(callOf(QStringLiteral("GetCapabilities")), capabilitiesTimeout), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
        answered->deleteLater();
        capabilitiesAnswered(*answered);
    });
}

void DBusNotifications::capabilitiesAnswered(QDBusPendingCallWatcher& call)
{
    m_askingCapabilities = false;
    // The service changed while it was asked: its answer may not hold.
    if (std::exchange(m_askAgain, false))
        return askCapabilities();
    const QDBusPendingReply<QStringList> reply = call;
    m_capabilitiesFailed = reply.isError();
    m_noService = reply.isError() && reply.error().type() == QDBusError::ServiceUnknown;
    if (reply.isError()) {
        reportOnce(reply.error().name());
    } else {
        m_capabilities = reply.value();
    }
    // A service that is only slow may still show the notices.
    for (Posted& posted : m_posted) {
        if (posted.stage != Stage::AwaitingCapabilities)
            continue;
        if (m_noService) {
            posted.stage = Stage::Unsent;
            playSound(posted);
        } else {
            send(posted);
        }
    }
}

void DBusNotifications::send(Posted& posted)
{
    const QStringList capabilities = m_capabilities.value_or(QStringList {});
    // The sound first: it waits for no answer.
    if (!capabilities.contains(QStringLiteral("sound")))
        playSound(posted);
    if (m_icon.isNull())
        m_icon = iconImage();
    QVariantMap hints {
        { QStringLiteral("urgency"), QVariant::fromValue(uchar(2)) }, // critical: stays until dismissed
        { QStringLiteral("desktop-entry"), QString::fromLatin1(desktopId) },
        { QStringLiteral("sound-name"), alarmSoundName },
        { QStringLiteral("image-data"), m_icon },
    };
    if (posted.ourSound)
        hints.insert(QStringLiteral("suppress-sound"), true);
    const auto [summary, body]
        = noticeText(posted.notice, capabilities.contains(QStringLiteral("body-markup")));

    QDBusMessage notify = callOf(QStringLiteral("Notify"));
    notify << appName << uint(0) << QString::fromLatin1(desktopId) << summary << body
           << QStringList { QStringLiteral("default"), QStringLiteral("Show Reminder") } << hints
           << int(0); // no expiry
    posted.stage = Stage::Sending;
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(notify), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
        [this, number = posted.number](QDBusPendingCallWatcher* answered) {
            answered->deleteLater();
            notifyAnswered(number, *answered);
        });
}

void DBusNotifications::notifyAnswered(int number, QDBusPendingCallWatcher& call)
{
    Posted* posted = find(number);
    if (!posted)
        return;
    const QDBusPendingReply<uint> reply = call;
    if (reply.isError()) {
        reportOnce(reply.error().name());
        posted->stage = Stage::Gone;
        playSound(*posted);
    } else {
        posted->stage = Stage::Shown;
        posted->id = reply.value();
    }
    if (posted->withdrawn)
        close(*posted);
}

void DBusNotifications::playSound(Posted& posted)
{
    if (posted.ourSound || posted.withdrawn)
        return;
    posted.ourSound = true;
    m_sound.play();
}

void DBusNotifications::ownerChanged(const QString&, const QString&, const QString& newOwner)
{
    // Another service, or none: what the old one could do and what it
    // showed are gone with it. One that comes while a reminder is open
    // still gets its notice.
    m_capabilities.reset();
    m_noService = false;
    m_askAgain = m_askingCapabilities;
    bool unsent = false;
    for (Posted& posted : m_posted) {
        if (posted.stage == Stage::Shown)
            posted.stage = Stage::Gone;
        if (posted.stage == Stage::Unsent && !newOwner.isEmpty() && m_bus.isConnected()) {
            posted.stage = Stage::AwaitingCapabilities;
            unsent = true;
        }
    }
    if (unsent)
        askCapabilities();
}

void DBusNotifications::serviceInvokedAction(uint id, const QString& action)
{
    const Posted* posted = shownAs(id);
    if (!posted || action != QLatin1String("default"))
        return;
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

void DBusNotifications::serviceClosed(uint id, uint)
{
    // Dismissed (or expired): the box stays, and removes the alarm.
    if (Posted* posted = shownAs(id))
        posted->stage = Stage::Gone;
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
    if (posted.stage == Stage::Shown)
        m_bus.send(callOf(QStringLiteral("CloseNotification")) << posted.id);
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
