// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the alarm file at load, the removal path and shutdown.
#include "support/Alarms.h"
#include "support/ProgramUnderTest.h"

#include "alarms/AlarmFileFormat.h"
#include "frame/desktop/SessionEnd.h"

#include <QPointer>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace tickwell;
using namespace tickwell::test;

namespace {

ino_t inode(const std::filesystem::path& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadsTheWindowsInOrderAndShowsNone();
    void dropsPastAlarmsAndKeepsTheRest();
    void dropsAnAlarmInThePresentMinute();
    void leavesAnEmptyOrMissingFileAlone();
    void clearAlarmRemovesTheSelectedRowFromBothLists();
    void clearAlarmWithoutSelectionStillRewrites();
    void clearAllAlarmsLeavesZeroBytesButKeepsWhatWasUnreadable();
    void aFailingRewriteIsAnnouncedOnce();
    void aRemovedWorkingDirectoryIsAFailedWriteNotACrash();
    void aFileThatIsNoAlarmFileIsNotReadAndTheClockSaysWhy();
    void everyCharacterOfAReminderIsKept();
    void shutdownUnloadsTheWindowsInOrder();
    void theEndOfTheSessionShutsDownInOrder();
    void theEditorClosedByItsFrameIsHiddenAndAnUnloadedOneLoadsAnew();
    void thousandsOfPastAlarmsAreDroppedWithOneWrite();
    void theProgramEndsWithStatusZeroWhenTerminated();
};

void StartupTest::loadsTheWindowsInOrderAndShowsNone()
{
    ProgramUnderTest program;
    program.start();
    QCOMPARE(program.events, QStringList({ "load frmAbout", "load frmMain", "load frmTaskbar" }));
    QVERIFY(forms::frmAbout.instance() && forms::frmMain.instance() && forms::frmTaskbar.instance());
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QVERIFY(program.editor().tmrTimer.enabled());
    QCOMPARE(program.editor().tmrTimer.interval(), 100);
    QVERIFY(!program.editor().lstReminders.isVisibleTo(&program.editor()));
}

void StartupTest::dropsPastAlarmsAndKeepsTheRest()
{
    ProgramUnderTest program;
    program.clock.set(2024, 1, 5, 9, 30, 0);
    const std::string future = record(2024, 1, 5, 9, 31, "Call back, \"soon\"\r\nthen lunch");
    program.writeAlarmFile(
        record(2023, 12, 24, 18, 0, "past one") + record(2024, 1, 5, 9, 29, "past two") + future);

    program.start();
    QCOMPARE(program.rows(program.editor().lstAlarms), QStringList { "9:31 AM  Friday, January 5, 2024" });
    QCOMPARE(
        program.rows(program.editor().lstReminders), QStringList { "Call back, \"soon\"\r\nthen lunch" });
    QCOMPARE(program.alarmFile(), future);
    QVERIFY(program.messageBoxes.shown.empty());
}

void StartupTest::dropsAnAlarmInThePresentMinute()
{
    ProgramUnderTest program;
    program.clock.set(2024, 1, 5, 9, 30, 20);
    program.writeAlarmFile(record(2024, 1, 5, 9, 30, "now") + record(2024, 1, 5, 9, 31, "next"));
    program.start();
    QCOMPARE(program.rows(program.editor().lstReminders), QStringList { "next" });
    QVERIFY(program.messageBoxes.shown.empty());
}

void StartupTest::leavesAnEmptyOrMissingFileAlone()
{
    {
        ProgramUnderTest program;
        program.writeAlarmFile("");
        const ino_t before = inode(program.alarmPath());
        program.start();
        QCOMPARE(program.editor().lstAlarms.listCount(), 0);
        QCOMPARE(inode(program.alarmPath()), before);
    }
    {
        ProgramUnderTest program;
        program.start();
        QCOMPARE(program.editor().lstAlarms.listCount(), 0);
        QVERIFY(!std::filesystem::exists(program.alarmPath()));
    }
}

void StartupTest::clearAlarmRemovesTheSelectedRowFromBothLists()
{
    ProgramUnderTest program;
    const std::string a = record(2030, 1, 1, 8, 0, "a"), b = record(2030, 1, 2, 8, 0, "b"),
                      c = record(2030, 1, 3, 8, 0, "c");
    program.writeAlarmFile(a + b + c);
    program.start();
    frmMain& editor = program.editor();
    editor.lstAlarms.setListIndex(1);
    QTest::mouseClick(&editor.cmdClearAlarm(0), Qt::LeftButton);
    QCOMPARE(program.rows(editor.lstReminders), QStringList({ "a", "c" }));
    QCOMPARE(program.rows(editor.lstAlarms),
        QStringList({ "8:00 AM  Tuesday, January 1, 2030", "8:00 AM  Thursday, January 3, 2030" }));
    QCOMPARE(editor.lstAlarms.listIndex(), -1);
    QCOMPARE(program.alarmFile(), a + c);
}

void StartupTest::clearAlarmWithoutSelectionStillRewrites()
{
    ProgramUnderTest program;
    // Hand-edited seconds are not kept: the rewrite takes the date from the entry text.
    program.writeAlarmFile("#2030-01-01 08:00:30#,\"a\"\r\n#2030-01-02#,\"b\"");
    program.start();
    QCOMPARE(program.editor().lstAlarms.listIndex(), -1);
    program.editor().cmdClearAlarm_Click(0);
    QCOMPARE(program.editor().lstAlarms.listCount(), 2);
    QCOMPARE(program.alarmFile(), "#2030-01-01 08:00:00#,\"a\"\r\n#2030-01-02#,\"b\"\r\n");
}

void StartupTest::clearAllAlarmsLeavesZeroBytesButKeepsWhatWasUnreadable()
{
    {
        ProgramUnderTest program;
        program.writeAlarmFile(record(2030, 1, 1, 8, 0, "a") + record(2030, 1, 2, 8, 0, "b"));
        program.start();
        QTest::mouseClick(&program.editor().cmdClearAlarm(1), Qt::LeftButton);
        QCOMPARE(program.editor().lstAlarms.listCount(), 0);
        QCOMPARE(program.editor().lstReminders.listCount(), 0);
        QCOMPARE(std::filesystem::file_size(program.alarmPath()), 0u);
    }
    {
        ProgramUnderTest program;
        const std::string unreadable
            = "#2030-02-31#,\"no such day\"\r\n" + record(2030, 1, 3, 8, 0, "after it");
        program.writeAlarmFile(record(2030, 1, 1, 8, 0, "a") + unreadable);
        program.start();
        QCOMPARE(program.rows(program.editor().lstReminders), QStringList { "a" });
        program.editor().cmdClearAlarm_Click(1);
        QCOMPARE(program.alarmFile(), unreadable);
    }
}

void StartupTest::aFailingRewriteIsAnnouncedOnce()
{
    ProgramUnderTest program;
    program.writeAlarmFile(record(2030, 1, 1, 8, 0, "a") + record(2030, 1, 2, 8, 0, "b"));
    program.start();
    // The file's place becomes a directory: nothing can be renamed over it.
    std::filesystem::rename(program.alarmPath(), program.directory / "saved");
    std::filesystem::create_directory(program.alarmPath());

    frmMain& editor = program.editor();
    editor.lstAlarms.setListIndex(0);
    editor.cmdClearAlarm_Click(0);
    editor.cmdClearAlarm_Click(0);
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    const ShownBox& box = program.messageBoxes.shown.front();
    QCOMPARE(box.title, "Tickwell Alarm Clock");
    QCOMPARE(box.style, MessageStyle::Exclamation);
    QVERIFY2(box.text.contains(QString::fromStdString(program.alarmPath().string())), qPrintable(box.text));
    QVERIFY2(box.text.contains("not a regular file"), qPrintable(box.text));

    // Once saving works again, the next failure is news again.
    std::filesystem::remove(program.alarmPath());
    std::filesystem::rename(program.directory / "saved", program.alarmPath());
    editor.cmdClearAlarm_Click(0);
    QCOMPARE(program.alarmFile(), record(2030, 1, 2, 8, 0, "b"));
    std::filesystem::remove(program.alarmPath());
    std::filesystem::create_directory(program.alarmPath());
    editor.cmdClearAlarm_Click(1);
    QCOMPARE(program.messageBoxes.shown.size(), 2u);
}

void StartupTest::aRemovedWorkingDirectoryIsAFailedWriteNotACrash()
{
    const std::filesystem::path before = std::filesystem::current_path();
    ProgramUnderTest program;
    program.services.alarmDirectory.clear(); // the working directory
    std::filesystem::create_directory(program.directory / "work");
    std::filesystem::current_path(program.directory / "work");
    writeFile("Alarm.dat", record(2030, 1, 1, 8, 0, "a"));
    program.start();
    std::filesystem::remove_all(program.directory / "work");

    program.editor().cmdClearAlarm_Click(1);
    std::filesystem::current_path(before);
    QCOMPARE(program.messageBoxes.shown.size(), 1u);
    QVERIFY2(program.messageBoxes.shown.front().text.contains("No such file or directory"),
        qPrintable(program.messageBoxes.shown.front().text));
    QVERIFY(program.editor().tmrTimer.enabled());
}

void StartupTest::aFileThatIsNoAlarmFileIsNotReadAndTheClockSaysWhy()
{
    for (const bool fifo : { true, false }) {
        ProgramUnderTest program;
        if (fifo) {
            QCOMPARE(::mkfifo(program.alarmPath().c_str(), 0600), 0);
        } else {
            program.writeAlarmFile(record(2030, 1, 1, 8, 0, "a"));
            std::filesystem::resize_file(program.alarmPath(), std::uintmax_t(1) << 40); // sparse
        }
        program.start(); // neither blocks nor runs out of memory
        QVERIFY(program.editor().tmrTimer.enabled());
        QVERIFY(program.messageBoxes.shown.empty()); // not before the clock runs
        QTRY_COMPARE(program.messageBoxes.shown.size(), 1u);
        const QString text = program.messageBoxes.shown.front().text;
        QVERIFY2(
            text.contains(fifo ? "it is not a regular file" : "it is larger than 64 MB"), qPrintable(text));
        QVERIFY2(text.contains(QString::fromStdString(program.alarmPath().string())), qPrintable(text));

        // Nothing replaces it, though the boxes that say so are shown once.
        program.editor().cmdClearAlarm_Click(1);
        program.editor().cmdClearAlarm_Click(1);
        QCOMPARE(program.messageBoxes.shown.size(), 2u);
        if (fifo)
            QVERIFY(std::filesystem::is_fifo(program.alarmPath()));
        else
            QCOMPARE(std::filesystem::file_size(program.alarmPath()), std::uintmax_t(1) << 40);
    }
}

void StartupTest::everyCharacterOfAReminderIsKept()
{
    ProgramUnderTest program;
    // A reminder that begins with U+FEFF, in a file that begins with two
    // byte-order marks.
    const std::string first = record(2030, 1, 1, 8, 0, "\xEF\xBB\xBFzero-width no-break space first");
    const std::string second = record(2030, 1, 2, 8, 0, "b");
    program.writeAlarmFile("\xEF\xBB\xBF\xEF\xBB\xBF" + first + second);
    program.start();
    QCOMPARE(program.editor().lstReminders.list(0), QStringLiteral("\uFEFFzero-width no-break space first"));
    program.editor().lstAlarms.setListIndex(1);
    program.editor().cmdClearAlarm_Click(0);
    program.editor().cmdClearAlarm_Click(0);
    QCOMPARE(program.alarmFile(), "\xEF\xBB\xBF\xEF\xBB\xBF" + first);
}

void StartupTest::shutdownUnloadsTheWindowsInOrder()
{
    ProgramUnderTest program;
    program.writeAlarmFile(record(2030, 1, 1, 8, 0, "a"));
    program.start();
    const QPointer<QWidget> editor = forms::frmMain.instance();
    program.events.clear();

    forms::frmTaskbar->mnuPopupExit_Click();
    QCOMPARE(program.events, QStringList({ "unload frmAbout", "unload frmMain", "unload frmTaskbar" }));
    QVERIFY(forms::frmAbout.isEmpty() && forms::frmMain.isEmpty() && forms::frmTaskbar.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!editor);
    // Nothing is written at shutdown.
    QCOMPARE(program.alarmFile(), record(2030, 1, 1, 8, 0, "a"));
}

void StartupTest::theEndOfTheSessionShutsDownInOrder()
{
    ProgramUnderTest program;
    program.start();
    SessionEnd session;
    connect(&session, &SessionEnd::ending, [&program] { EndProgram(program.messageBoxes); });
    forms::frmMain->Show();
    program.events.clear();
    // The session manager's word that the session is over reaches the
    // program as a request to quit.
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    QCOMPARE(program.events, QStringList({ "unload frmAbout", "unload frmMain", "unload frmTaskbar" }));
    QVERIFY(!program.tray.icon);
}

void StartupTest::theEditorClosedByItsFrameIsHiddenAndAnUnloadedOneLoadsAnew()
{
    ProgramUnderTest program;
    program.writeAlarmFile(record(2030, 1, 1, 8, 0, "a"));
    program.start();
    frmMain& editor = program.editor();
    editor.Show();
    editor.txtReminder.setText("half typed");
    editor.lblDate_Click(20);
    const DateValue composed = editor.newAlarmDate();
    program.events.clear();
    // The window frame's close command does what "Close" does.
    editor.close();
    QVERIFY(!editor.isVisible());
    QVERIFY(program.wakes.moment); // hidden, its clock sleeps until the next minute
    QCOMPARE(program.events, QStringList {});
    QCOMPARE(forms::frmMain.instance(), &editor);
    QVERIFY(editor.tmrTimer.enabled());
    QCOMPARE(editor.txtReminder.text(), "half typed");
    QCOMPARE(editor.newAlarmDate(), composed);

    // Unloaded by the program, the next use creates and loads a fresh
    // editor, which reads the file again.
    forms::frmMain.Unload();
    QVERIFY(forms::frmMain.isEmpty());
    QVERIFY(!program.wakes.moment);
    QCOMPARE(forms::frmMain->lstAlarms.listCount(), 1);
    QCOMPARE(program.events, QStringList({ "unload frmMain", "load frmMain" }));
    QVERIFY(forms::frmMain->tmrTimer.enabled());
    // The fresh editor's clock sleeps on the wakes, and the old one's end
    // leaves them alone.
    QTRY_VERIFY(program.wakes.moment);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(program.wakes.moment);
}

void StartupTest::thousandsOfPastAlarmsAreDroppedWithOneWrite()
{
    ProgramUnderTest program;
    program.clock.set(2030, 6, 1, 12, 0, 0);
    std::string alarms;
    for (int i = 0; i < 20000; ++i)
        alarms += record(2029, 1 + i % 12, 1 + i % 28, i % 24, i % 60, "past " + std::to_string(i));
    const std::string kept = record(2030, 6, 1, 12, 1, "next");
    program.writeAlarmFile(alarms + kept);

    program.start();
    QCOMPARE(program.rows(program.editor().lstReminders), QStringList { "next" });
    QCOMPARE(program.alarmFile(), kept);
    QCOMPARE(program.editor().alarmFile().writeCount(), 1u);
    QVERIFY(program.messageBoxes.shown.empty());
}

void StartupTest::theProgramEndsWithStatusZeroWhenTerminated()
{
    TemporaryDirectory directory;
    const std::string kept = record(2099, 10, 5, 9, 30, "Dentist");
    writeFile(
        directory / "Alarm.dat", record(2000, 1, 1, 8, 0, "past") + record(2001, 1, 1, 0, 0, "past") + kept);

    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(directory.path().string()));
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QStringLiteral(TICKWELL_BINARY), {});
    QVERIFY(process.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(readFile(directory / "Alarm.dat"), kept, 10000);
    QTest::qWait(200);
    QCOMPARE(process.state(), QProcess::Running);

    process.terminate();
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(readFile(directory / "Alarm.dat"), kept);
}

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
