// SPDX-License-Identifier: GPL-3.0-or-later
// The running clock's side of the command line: commands carried out as the
// menu and the editor would, also while a reminder is on show; and none once
// the shutdown has begun.
#include "support/Alarms.h"
#include "support/ProgramUnderTest.h"

#include "alarms/AlarmChecks.h"
#include "commandline/ClockSide.h"

#include <QTest>

using namespace tickwell;
using namespace tickwell::test;

namespace {

std::string october5(int hour, int minute, const std::string& reminder)
{
    return record(2030, 10, 5, hour, minute, reminder);
}

const ClockReply ok { ReplyKind::Ok, {}, {} };
const ClockReply clearsOnceClosed { ReplyKind::Waiting, {},
    "the clock clears the alarm once the box on show is closed, unless it is shut down first" };
const ClockReply shutsDownOnceClosed { ReplyKind::Waiting, {},
    "the clock shuts down once the box on show is closed" };
const ClockReply shuttingDown { ReplyKind::Refused, {}, "The clock is shutting down." };

// Runs commands on the program's clock, each answer kept under its name.
struct CommandLines {
    ProgramUnderTest& program;
    std::map<std::string, std::vector<ClockReply>> answers;

    void run(const std::string& name, CommandKind kind, std::string_view when = {},
        std::optional<std::string> reminder = std::nullopt)
    {
        RunClockCommand(program.clock, { kind, parseWhen(when), std::move(reminder) },
            [this, name](const ClockReply& reply) { answers[name].push_back(reply); });
    }
};

} // namespace

class ClockSideTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandsDuringAReminder();
    void commandsOnceTheShutdownHasBegunChangeNothing();
};

void ClockSideTest::commandsDuringAReminder()
{
    ProgramUnderTest program;
    const std::string second = october5(9, 32, "second");
    program.writeAlarmFile(october5(9, 31, "first") + second + october5(9, 40, "cleared"));
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    CommandLines lines { program, {} };
    program.messageBoxes.whileOpen = [&](const ShownBox& box) {
        if (!box.text.startsWith("first"))
            return;
        // Listing and adding go on at once; a clear waits until the tick
        // that shows the box is through the list, or it would remove rows
        // from under it, and says so.
        lines.run("clear", CommandKind::Clear, "2030-10-05 9:40");
        lines.run("list", CommandKind::List);
        lines.run("status", CommandKind::Status);
        lines.run("add", CommandKind::Add, "9:50", "added\nby a script");
        lines.run("past", CommandKind::Add, "2030-10-05 09:29", "");
        QVERIFY(lines.answers["clear"] == std::vector { clearsOnceClosed });
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    program.editor().tmrTimer_Timer();

    const std::vector<ClockReply> alarms { { ReplyKind::Alarm, "2030-10-05 09:31", "first" },
        { ReplyKind::Alarm, "2030-10-05 09:32", "second" },
        { ReplyKind::Alarm, "2030-10-05 09:40", "cleared" } };
    QVERIFY(lines.answers["list"] == (std::vector { alarms[0], alarms[1], alarms[2], ok }));
    QVERIFY(lines.answers["status"]
        == (std::vector { ClockReply { ReplyKind::State, {}, "on" }, alarms[0], alarms[1], alarms[2], ok }));
    QVERIFY(lines.answers["add"] == std::vector { (ClockReply { ReplyKind::Ok, "2030-10-05 09:50", {} }) });
    QVERIFY(lines.answers["past"]
        == std::vector { (ClockReply { ReplyKind::Refused, {}, std::string(pastRefusal) }) });
    QTRY_COMPARE(lines.answers["clear"].size(), 2u);
    QVERIFY(lines.answers["clear"][1] == ok);
    QCOMPARE(QString::fromStdString(program.alarmFile()),
        QString::fromStdString(second + october5(9, 50, "added\r\nby a script")));
    QCOMPARE(program.messageBoxes.shown.size(), 1u);

    // None there: refused; and the menu's commands, tray or no tray.
    lines.run("again", CommandKind::Clear, "2030-10-05 09:40");
    QVERIFY(lines.answers["again"]
        == std::vector { (ClockReply { ReplyKind::Refused, {}, "No alarm is set for 2030-10-05 09:40." }) });
    lines.run("off", CommandKind::Deactivate);
    QVERIFY(!program.editor().tmrTimer.enabled());
    QVERIFY(forms::frmTaskbar->mnuPopupActivate->isVisible());
    lines.run("state", CommandKind::Status);
    QVERIFY(lines.answers["state"].front() == (ClockReply { ReplyKind::State, {}, "off" }));
    lines.run("on", CommandKind::Activate);
    QVERIFY(program.editor().tmrTimer.enabled());
    QVERIFY(lines.answers["off"] == std::vector { ok } && lines.answers["on"] == std::vector { ok });

    // A reminder that starts with a byte-order mark keeps it, in the file and in the list.
    const std::string marked = "\xEF\xBB\xBFmarked";
    lines.run("marked", CommandKind::Add, "2030-10-05 10:00", marked);
    QVERIFY(program.alarmFile().ends_with(october5(10, 0, marked)));
    const ListBox& reminders = program.editor().lstReminders;
    QCOMPARE(reminders.list(reminders.listCount() - 1).toStdString(), marked);
}

void ClockSideTest::commandsOnceTheShutdownHasBegunChangeNothing()
{
    ProgramUnderTest program;
    const std::string later = october5(9, 40, "later");
    program.writeAlarmFile(october5(9, 31, "first") + later);
    program.clock.set(2030, 10, 5, 9, 30, 0);
    program.start();
    CommandLines lines { program, {} };
    program.messageBoxes.whileOpen = [&](const ShownBox&) {
        // A clear behind the reminder, then a shutdown: the shutdown waits
        // for the box, and says so; what comes after it, and the clear that
        // would run once the box is closed, change nothing.
        lines.run("clear", CommandKind::Clear, "9:40");
        lines.run("quit", CommandKind::Quit);
        lines.run("add", CommandKind::Add, "9:50", "too late");
        lines.run("list", CommandKind::List);
        lines.run("edit", CommandKind::Edit);
    };
    program.clock.set(2030, 10, 5, 9, 31, 0);
    program.events.clear();
    program.editor().tmrTimer_Timer();
    QTRY_COMPARE(program.events, QStringList({ "unload frmAbout", "unload frmMain", "unload frmTaskbar" }));
    QTRY_COMPARE(lines.answers["clear"].size(), 2u);
    QVERIFY(lines.answers["clear"] == (std::vector { clearsOnceClosed, shuttingDown }));
    QVERIFY(lines.answers["quit"] == std::vector { shutsDownOnceClosed });
    for (const char* refused : { "add", "list", "edit" })
        QVERIFY2(lines.answers[refused] == std::vector { shuttingDown }, refused);
    // The reminder on show counts as read; nothing else changed, and no
    // editor was loaded anew to do it.
    QCOMPARE(program.alarmFile(), later);
    QVERIFY(forms::frmMain.isEmpty());
    lines.run("after", CommandKind::Clear, "9:40");
    QVERIFY(lines.answers["after"] == std::vector { shuttingDown });
    QVERIFY(forms::frmMain.isEmpty());
}

QTEST_MAIN(ClockSideTest)
#include "tst_clockside.moc"
