// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop notifications as the clock posts them over D-Bus, against a
// notification service of the test's own on a bus of the test's own: what
// each call carries, what the user's answers to it ask for, and a service
// that is missing, slow or gone.
#include "frame/desktop/DBusNotifications.h"
#include "support/TemporaryDirectory.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

using namespace tickwell;
using namespace tickwell::test;

namespace {

const QString serviceName = QStringLiteral("org.freedesktop.Notifications");
const QString entry = QStringLiteral("9:05 PM  Friday, March 8, 2030");

// A session bus for the test alone, with nothing to start on demand.
class PrivateBus {
public:
    PrivateBus()
    {
        const auto config = m_directory / "bus.conf";
        writeFile(config,
            "<busconfig><type>session</type><listen>unix:dir=" + m_directory.path().string()
                + "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                  "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        m_daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                QStringLiteral("--config-file=") + QString::fromStdString(config.string()) });
        while (m_daemon.state() != QProcess::NotRunning && !m_daemon.canReadLine())
            m_daemon.waitForReadyRead(10000);
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus()
    {
        for (const QString& name : m_connections)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished(10000);
    }

    QDBusConnection connect(const QString& name)
    {
        m_connections << name;
        return QDBusConnection::connectToBus(address, name);
    }

    QString address;

private:
    TemporaryDirectory m_directory;
    QProcess m_daemon;
    QStringList m_connections;
};

struct NotifyCall {
    QString appName;
    uint replacesId = 0;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = -1;
};

// The notification service: it records the calls, answers them at once or
// when the test says, and sends the signals a user's clicks would.
class NotificationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    NotificationService(
        PrivateBus& bus, QStringList capabilities, const QString& connection = QStringLiteral("service"))
        : m_capabilities(std::move(capabilities))
        , m_bus(bus.connect(connection))
    {
        m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
        m_bus.registerService(serviceName);
    }
    ~NotificationService() override { leave(); }

    void leave() { m_bus.unregisterService(serviceName); }

    bool holdCapabilities = false; // never answers GetCapabilities
    bool holdNotify = false; // answers Notify only on answerNotify()
    int capabilitiesAsked = 0;
    std::vector<NotifyCall> notified;
    QList<uint> closed;

    void answerNotify()
    {
        for (const QDBusMessage& call : std::exchange(m_heldNotify, {}))
            m_bus.send(call.createReply(QVariant::fromValue(uint(nextId()))));
    }

public Q_SLOTS:
    QStringList GetCapabilities()
    {
        ++capabilitiesAsked;
        if (holdCapabilities)
            setDelayedReply(true);
        return m_capabilities;
    }
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout)
    {
        notified.push_back({ appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout });
        if (holdNotify) {
            setDelayedReply(true);
            m_heldNotify << message();
            return 0;
        }
        return nextId();
    }
    void CloseNotification(uint id) { closed << id; }
    // Not the service's own: the test's way to know that every call made
    // before has arrived.
    void Ping() { }

Q_SIGNALS:
    void NotificationClosed(uint id, uint reason);
    void ActionInvoked(uint id, const QString& action);
    void ActivationToken(uint id, const QString& token);

private:
    uint nextId() { return ++m_lastId + 40; }

    QStringList m_capabilities;
    QDBusConnection m_bus;
    QList<QDBusMessage> m_heldNotify;
    uint m_lastId = 0;
};

const QStringList everything { QStringLiteral("body"), QStringLiteral("body-markup"),
    QStringLiteral("actions"), QStringLiteral("sound") };

// Counts the clock's word that it goes without notifications, passing it on
// to the test's own handler.
class NoServiceWarnings {
public:
    NoServiceWarnings()
    {
        s_count = 0;
        s_previous = qInstallMessageHandler(&count);
    }
    ~NoServiceWarnings() { qInstallMessageHandler(s_previous); }
    NoServiceWarnings(const NoServiceWarnings&) = delete;
    NoServiceWarnings& operator=(const NoServiceWarnings&) = delete;

    int said() const { return s_count; }

private:
    static void count(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (message.startsWith(QLatin1String("tickwell: no desktop notification")))
            ++s_count;
        s_previous(type, context, message);
    }
    static inline int s_count = 0;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace

class NotificationsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void aNoticeCarriesTheReminderCriticalAndSilent();
    void theReminderHeadsTheNoticeAndTheBodySaysWhenItWasDue_data();
    void theReminderHeadsTheNoticeAndTheBodySaysWhenItWasDue();
    void withNoServiceTheClockSaysSoOnce();
    void withNoSessionBusTheClockSaysSoOnce();
    void aServiceThatDoesNotAnswerIsGivenASecondAtMost();
    void aServiceThatGoesWhileAskedIsNotStartedAgainAndAgain();
    void withdrawnBeforeTheServiceAnswersItIsClosedOnceItDoes();
    void onlyChoosingTheNoticeItselfActivatesIt();
    void dismissedByTheUserItIsNotClosedAgain();
    void aSnoozeButtonAsksForTheReminderAgain_data();
    void aSnoozeButtonAsksForTheReminderAgain();
    void aNewServiceIsAskedWhatItCanDo();
    void madeReadyBeforeAServiceComesTheClockAsksItOnce();

private:
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<DBusNotifications> m_notifications;

    DBusNotifications& notifications()
    {
        if (!m_notifications)
            m_notifications = std::make_unique<DBusNotifications>(m_bus->connect(QStringLiteral("clock")));
        return *m_notifications;
    }
    int post(
        const QString& reminder = QStringLiteral("Feed the cat"), std::array<int, 2> snoozes = { 10, 60 })
    {
        return notifications().post({ reminder, entry, snoozes });
    }
    // Waits until whatever the clock and the service have sent each other
    // so far has arrived: messages between two connections keep their order.
    void settle()
    {
        QDBusConnection clock(QStringLiteral("clock"));
        const QDBusPendingCall ping = clock.asyncCall(QDBusMessage::createMethodCall(serviceName,
            QStringLiteral("/org/freedesktop/Notifications"), serviceName, QStringLiteral("Ping")));
        QTRY_VERIFY(ping.isFinished());
        QCoreApplication::processEvents();
    }
};

void NotificationsTest::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    m_bus = std::make_unique<PrivateBus>();
    QVERIFY2(m_bus->address.startsWith(QLatin1String("unix:")), "dbus-daemon did not start");
}

void NotificationsTest::cleanup()
{
    m_notifications.reset();
    m_bus.reset();
}

void NotificationsTest::aNoticeCarriesTheReminderCriticalAndSilent()
{
    NotificationService service(*m_bus, everything);
    const int first = post();
    QTRY_COMPARE(service.notified.size(), 1u);
    const NotifyCall& call = service.notified[0];
    QCOMPARE(call.appName, "Tickwell Alarm Clock");
    QCOMPARE(call.replacesId, 0u);
    QCOMPARE(call.appIcon, "org.example.Tickwell");
    QCOMPARE(call.actions,
        QStringList({ "default", "Show Reminder", "snooze-10", "Remind Me in 10 Minutes", "snooze-60",
            "Remind Me in 1 Hour" }));
    QCOMPARE(call.expireTimeout, 0);
    QCOMPARE(call.hints.value("urgency").metaType(), QMetaType::fromType<uchar>());
    QCOMPARE(call.hints.value("urgency").value<uchar>(), 2);
    QCOMPARE(call.hints.value("desktop-entry"), "org.example.Tickwell");
    QVERIFY(call.hints.contains("image-data"));
    // A service that plays sounds plays none: the clock rings until the
    // reminder is answered, and one sound over another would be noise.
    QCOMPARE(call.hints.value("suppress-sound"), true);
    QVERIFY(!call.hints.contains("sound-name"));
    QVERIFY(!call.hints.contains("sound-file"));

    notifications().withdraw(first);
    QTRY_COMPARE(service.closed, QList<uint> { 41 });
    // Asked once: the next notice goes out at once, with the snoozes the
    // user chose; two of one length are one button.
    const int second = post(QStringLiteral("Feed the cat"), { 5, 120 });
    QVERIFY(second != first);
    const int third = post(QStringLiteral("Feed the cat"), { 15, 15 });
    QTRY_COMPARE(service.notified.size(), 3u);
    QCOMPARE(service.capabilitiesAsked, 1);
    QCOMPARE(service.notified[1].actions,
        QStringList({ "default", "Show Reminder", "snooze-5", "Remind Me in 5 Minutes", "snooze-120",
            "Remind Me in 2 Hours" }));
    QCOMPARE(service.notified[2].actions,
        QStringList({ "default", "Show Reminder", "snooze-15", "Remind Me in 15 Minutes" }));
    notifications().withdraw(second);
    notifications().withdraw(third);
    QTRY_COMPARE(service.closed, QList<uint>({ 41, 42, 43 }));
}

void NotificationsTest::theReminderHeadsTheNoticeAndTheBodySaysWhenItWasDue_data()
{
    QTest::addColumn<QString>("reminder");
    QTest::addColumn<bool>("markup");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("body");
    const QString due = "Due at " + entry;
    QTest::newRow("one line") << "Dentist" << false << "Dentist" << due;
    QTest::newRow("lines") << "Call back\r\nthen lunch\r\n\r\nat two" << false << "Call back"
                           << "then lunch\n\nat two\n\n" + due;
    QTest::newRow("blank first") << "\r\n  \r\nCall back  " << false << "Call back" << due;
    QTest::newRow("empty") << "" << false << "Tickwell Alarm Clock" << due;
    QTest::newRow("markup, escaped") << "<b>Tom & Jerry</b>\r\n<i>cheese</i> & crackers" << true
                                     << "<b>Tom & Jerry</b>"
                                     << "&lt;i&gt;cheese&lt;/i&gt; &amp; crackers\n\n" + due;
    QTest::newRow("plain, as typed") << "Tom & Jerry\r\ncheese & crackers" << false << "Tom & Jerry"
                                     << "cheese & crackers\n\n" + due;
}

void NotificationsTest::theReminderHeadsTheNoticeAndTheBodySaysWhenItWasDue()
{
    QFETCH(QString, reminder);
    QFETCH(bool, markup);
    QFETCH(QString, summary);
    QFETCH(QString, body);
    NotificationService service(
        *m_bus, markup ? everything : QStringList { QStringLiteral("body"), QStringLiteral("sound") });
    post(reminder);
    QTRY_COMPARE(service.notified.size(), 1u);
    QCOMPARE(service.notified[0].summary, summary);
    QCOMPARE(service.notified[0].body, body);
}

void NotificationsTest::withNoServiceTheClockSaysSoOnce()
{
    QTest::ignoreMessage(QtWarningMsg,
        QRegularExpression(QStringLiteral("^tickwell: no desktop notification \\(.*ServiceUnknown\\)")));
    const NoServiceWarnings warnings;
    notifications().withdraw(post());
    QTRY_COMPARE(warnings.said(), 1);
    notifications().withdraw(post());

    // One that comes later gets the next notice; the one on show has had
    // its one question.
    const int third = post(QStringLiteral("third"));
    NotificationService service(*m_bus, everything);
    settle();
    post(QStringLiteral("fourth"));
    QTRY_COMPARE(service.notified.size(), 1u);
    QCOMPARE(service.notified[0].summary, "fourth");
    QCOMPARE(service.capabilitiesAsked, 1);
    notifications().withdraw(third);
    QCOMPARE(warnings.said(), 1);
}

void NotificationsTest::withNoSessionBusTheClockSaysSoOnce()
{
    QTest::ignoreMessage(QtWarningMsg,
        "tickwell: no desktop notification (no session bus); reminders come in their "
        "box, with the clock's own sound");
    const NoServiceWarnings warnings;
    DBusNotifications unconnected(QDBusConnection(QStringLiteral("no such connection")));
    unconnected.withdraw(unconnected.post({ QStringLiteral("a"), entry }));
    unconnected.withdraw(unconnected.post({ QStringLiteral("b"), entry }));
    QCOMPARE(warnings.said(), 1);
}

void NotificationsTest::aServiceThatDoesNotAnswerIsGivenASecondAtMost()
{
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("^tickwell: no desktop notification")));
    const NoServiceWarnings warnings;
    NotificationService service(*m_bus, everything);
    service.holdCapabilities = true;
    const int first = post();
    QCOMPARE(warnings.said(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(warnings.said(), 1, 10000);
    notifications().withdraw(first);

    // No answer within the second counts as no service: the notice is not
    // sent late, and the service is left alone for a while.
    service.holdCapabilities = false;
    const int second = post();
    notifications().prepare();
    settle();
    QCOMPARE(service.capabilitiesAsked, 1);
    QCOMPARE(service.notified.size(), 0u);
    notifications().withdraw(second);

    // Replaced meanwhile, by the user or the desktop: the new service is
    // asked at once, pause or not, and the next reminder is on it.
    service.leave();
    NotificationService replacement(*m_bus, everything, QStringLiteral("replacement"));
    settle();
    notifications().prepare();
    QTRY_COMPARE(replacement.capabilitiesAsked, 1);
    notifications().withdraw(post());
    QTRY_COMPARE(replacement.notified.size(), 1u);
    QCOMPARE(warnings.said(), 1);
}

void NotificationsTest::aServiceThatGoesWhileAskedIsNotStartedAgainAndAgain()
{
    QTest::ignoreMessage(QtWarningMsg,
        QRegularExpression(QStringLiteral("^tickwell: no desktop notification \\(.*went away\\)")));
    // A notifier that takes the name and leaves it at once, as one started
    // on a desktop it cannot serve does: every question starts it anew.
    const NoServiceWarnings warnings;
    auto service = std::make_unique<NotificationService>(*m_bus, everything);
    service->holdCapabilities = true;
    const int notice = post();
    QTRY_COMPARE(service->capabilitiesAsked, 1);
    service->leave();
    // Without waiting for the second the question could take.
    QTRY_COMPARE_WITH_TIMEOUT(warnings.said(), 1, 500);

    // Back again, and gone again: nobody asks it anything meanwhile, neither
    // the ticks of the next minute before a reminder nor the next reminder.
    service = std::make_unique<NotificationService>(*m_bus, everything, QStringLiteral("again"));
    settle();
    for (int tick = 0; tick < 3; ++tick) {
        notifications().prepare();
        settle();
    }
    notifications().withdraw(notice);
    notifications().withdraw(post());
    settle();
    QCOMPARE(service->capabilitiesAsked, 0);
    QCOMPARE(service->notified.size(), 0u);
}

void NotificationsTest::withdrawnBeforeTheServiceAnswersItIsClosedOnceItDoes()
{
    NotificationService service(*m_bus, everything);
    service.holdNotify = true;
    // Withdrawn before the service has said what it can do: never sent.
    notifications().withdraw(post(QStringLiteral("first")));
    const int second = post(QStringLiteral("second"));
    QTRY_COMPARE(service.notified.size(), 1u);
    QCOMPARE(service.notified[0].summary, "second");
    notifications().withdraw(second);
    settle();
    QCOMPARE(service.closed, QList<uint> {});
    service.answerNotify();
    QTRY_COMPARE(service.closed, QList<uint> { 41 });
    QCOMPARE(service.notified.size(), 1u);
}

void NotificationsTest::onlyChoosingTheNoticeItselfActivatesIt()
{
    NotificationService service(*m_bus, everything);
    const int first = post();
    QTRY_COMPARE(service.notified.size(), 1u);
    QSignalSpy activated(&notifications(), &Notifications::activated);
    Q_EMIT service.ActionInvoked(41, QStringLiteral("snooze"));
    Q_EMIT service.ActionInvoked(99, QStringLiteral("default"));
    settle();
    QCOMPARE(activated.size(), 0);
    Q_EMIT service.ActivationToken(41, QStringLiteral("token"));
    Q_EMIT service.ActionInvoked(41, QStringLiteral("default"));
    QTRY_COMPARE(activated.size(), 1);
    QCOMPARE(activated[0][0].toInt(), first);

    // Withdrawn, it is no longer the clock's to activate.
    notifications().withdraw(first);
    Q_EMIT service.ActionInvoked(41, QStringLiteral("default"));
    const int second = post();
    QTRY_COMPARE(service.notified.size(), 2u);
    Q_EMIT service.ActionInvoked(42, QStringLiteral("default"));
    QTRY_COMPARE(activated.size(), 2);
    QCOMPARE(activated[1][0].toInt(), second);
}

void NotificationsTest::dismissedByTheUserItIsNotClosedAgain()
{
    NotificationService service(*m_bus, everything);
    QSignalSpy activated(&notifications(), &Notifications::activated);
    QSignalSpy dismissed(&notifications(), &Notifications::dismissed);
    const int notice = post();
    QTRY_COMPARE(service.notified.size(), 1u);
    Q_EMIT service.NotificationClosed(41, 2);
    Q_EMIT service.ActionInvoked(41, QStringLiteral("default"));
    // Gone by itself (expired, or closed by the service): nobody heard the
    // alarm there.
    const int expired = post();
    QTRY_COMPARE(service.notified.size(), 2u);
    Q_EMIT service.NotificationClosed(42, 1);
    Q_EMIT service.NotificationClosed(42, 2);
    // (The signals arrive in order: once a later call is answered, they are in.)
    const int next = post();
    QTRY_COMPARE(service.notified.size(), 3u);
    QCOMPARE(QList<QVariantList>(dismissed), QList<QVariantList> { { notice } });
    notifications().withdraw(notice);
    notifications().withdraw(expired);
    notifications().withdraw(next);
    QTRY_COMPARE(service.closed, QList<uint> { 43 });
    QCOMPARE(activated.size(), 0);
}

void NotificationsTest::aSnoozeButtonAsksForTheReminderAgain_data()
{
    QTest::addColumn<bool>("buttons"); // the service has "actions"
    QTest::newRow("a service with buttons") << true;
    QTest::newRow("a service without") << false;
}

void NotificationsTest::aSnoozeButtonAsksForTheReminderAgain()
{
    QFETCH(bool, buttons);
    NotificationService service(
        *m_bus, buttons ? everything : QStringList { QStringLiteral("body"), QStringLiteral("sound") });
    QSignalSpy snoozed(&notifications(), &Notifications::snoozed);
    QSignalSpy activated(&notifications(), &Notifications::activated);
    const int first = post();
    QTRY_COMPARE(service.notified.size(), 1u);
    if (!buttons)
        QCOMPARE(service.notified[0].actions, QStringList({ "default", "Show Reminder" }));

    // Only the clock's own keys, for a notice the clock holds, and of the
    // buttons it was given.
    Q_EMIT service.ActionInvoked(41, QStringLiteral("snooze-60"));
    Q_EMIT service.ActionInvoked(99, QStringLiteral("snooze-10"));
    Q_EMIT service.ActionInvoked(41, QStringLiteral("snooze-5"));
    Q_EMIT service.ActionInvoked(41, QStringLiteral("snooze-010"));
    Q_EMIT service.ActionInvoked(41, QStringLiteral("snooze-"));
    Q_EMIT service.ActionInvoked(41, QStringLiteral("snooze-10"));
    settle();
    QCOMPARE(activated.size(), 0);
    QList<QVariantList> asked
        = buttons ? QList<QVariantList> { { first, 60 }, { first, 10 } } : QList<QVariantList> {};
    QCOMPARE(QList<QVariantList>(snoozed), asked);

    // With the lengths the user chose.
    const int second = post(QStringLiteral("Feed the cat"), { 5, 240 });
    QTRY_COMPARE(service.notified.size(), 2u);
    Q_EMIT service.ActionInvoked(42, QStringLiteral("snooze-10"));
    Q_EMIT service.ActionInvoked(42, QStringLiteral("snooze-240"));
    settle();
    if (buttons)
        asked << QVariantList { second, 240 };
    QCOMPARE(QList<QVariantList>(snoozed), asked);

    // Withdrawn, its buttons are no longer the clock's.
    notifications().withdraw(first);
    Q_EMIT service.ActionInvoked(41, QStringLiteral("snooze-10"));
    settle();
    QCOMPARE(snoozed.size(), asked.size());
}

void NotificationsTest::aNewServiceIsAskedWhatItCanDo()
{
    auto first = std::make_unique<NotificationService>(*m_bus, everything);
    const int shown = post();
    QTRY_COMPARE(first->notified.size(), 1u);
    first.reset();

    // Another takes over: the old one's notice is gone with it, and the new
    // one is asked what it can do: it has no buttons.
    NotificationService second(*m_bus, { QStringLiteral("body") }, QStringLiteral("second"));
    settle();
    notifications().withdraw(shown);
    post();
    QTRY_COMPARE(second.notified.size(), 1u);
    QCOMPARE(second.capabilitiesAsked, 1);
    QCOMPARE(second.closed, QList<uint> {});
    QCOMPARE(second.notified[0].actions, QStringList({ "default", "Show Reminder" }));
}

void NotificationsTest::madeReadyBeforeAServiceComesTheClockAsksItOnce()
{
    QTest::ignoreMessage(QtWarningMsg,
        QRegularExpression(QStringLiteral("^tickwell: no desktop notification \\(.*ServiceUnknown\\)")));
    // Every tick of the minute before a reminder makes ready.
    for (int tick = 0; tick < 3; ++tick) {
        notifications().prepare();
        settle();
    }
    NotificationService service(*m_bus, everything);
    settle();
    for (int tick = 0; tick < 3; ++tick) {
        notifications().prepare();
        settle();
    }
    QCOMPARE(service.capabilitiesAsked, 1);
    // Known by the minute: the notice goes out without a question.
    notifications().withdraw(post());
    QTRY_COMPARE(service.notified.size(), 1u);
    QCOMPARE(service.capabilitiesAsked, 1);
}

QTEST_MAIN(NotificationsTest)
#include "tst_notifications.moc"
