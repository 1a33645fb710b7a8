// SPDX-License-Identifier: GPL-3.0-or-later
// The present date and time in the editor's fields, and the editor's commands.
#include "support/Alarms.h"
#include "support/ProgramUnderTest.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QtTest/qtestspontaneevent.h>

using namespace tickwell;
using namespace tickwell::test;

class AlarmCommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void presentTimeFillsTheFields_data();
    void presentTimeFillsTheFields();
    void presentTimeCaptionAndCalendar();
    void aYearOutsideTheSpinRangeIsHeldAtTheBound();
    void setAlarmRefusesWithoutADay();
    void setAlarmRefusesThePresentMinuteOnceBegun();
    void setAlarmRefusesADuplicateAndChecksThePastFirst();
    void setAlarmAppendsTheRecordThenTheRows();
    void theKeyboardAloneSetsAnAlarmOnAnotherDayAndHalfOfDay();
    void setAlarmStoresTheDefaultReminderAndLineBreaksAsCrLf();
    void setAlarmThatCannotBeSavedAddsNoRow();
    void setAlarmPutsTheNewRecordBeforeWhatCouldNotBeRead();
    void setAlarmAfterTheFileWasDeletedWritesEveryAlarm();
    void anotherProgramsVersionIsKeptAndToldOnce();
    void viewReminderShowsTheSelectedAlarm();
    void doubleClickEmptiesTheReminder();
    void closeOnlyHidesTheEditor();
    void aboutAndBackResetsTheFields();
    void minimisingAndRestoringKeepsTheFields();

private:
    void pickTime(const QString& hour, const QString& minute, const QString& half);
    void setAlarm() { m_editor->cmdSetAlarm.click(); }

    std::unique_ptr<ProgramUnderTest> m_program;
    frmMain* m_editor = nullptr;
};

void AlarmCommandsTest::init()
{
    m_program = std::make_unique<ProgramUnderTest>();
    m_program->clock.set(2030, 3, 8, 21, 5, 0);
    m_program->start();
    m_editor = &m_program->editor();
}

void AlarmCommandsTest::cleanup()
{
    m_program.reset();
}

void AlarmCommandsTest::pickTime(const QString& hour, const QString& minute, const QString& half)
{
    m_editor->txtHour.setText(hour);
    m_editor->txtMin.setText(minute);
    m_editor->lblAMPM.setCaption(half);
}

void AlarmCommandsTest::presentTimeFillsTheFields_data()
{
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<QString>("hourText");
    QTest::addColumn<QString>("minuteText");
    QTest::addColumn<QString>("half");
    QTest::newRow("00:05") << 0 << 5 << "12"
                           << "05"
                           << "AM";
    QTest::newRow("12:00") << 12 << 0 << "12"
                           << "00"
                           << "PM";
    QTest::newRow("13:07") << 13 << 7 << "1"
                           << "07"
                           << "PM";
    QTest::newRow("11:59") << 11 << 59 << "11"
                           << "59"
                           << "AM";
}

void AlarmCommandsTest::presentTimeFillsTheFields()
{
    QFETCH(int, hour);
    QFETCH(int, minute);
    m_program->clock.set(2024, 1, 5, hour, minute, 30);
    m_editor->InitTimeDate();
    QTEST(m_editor->txtHour.text(), "hourText");
    QTEST(m_editor->txtMin.text(), "minuteText");
    QTEST(m_editor->lblAMPM.caption(), "half");
    // The present minute, seconds dropped.
    QCOMPARE(m_editor->newAlarmDate(), at(2024, 1, 5, hour, minute));
}

void AlarmCommandsTest::presentTimeCaptionAndCalendar()
{
    m_program->clock.set(2002, 3, 8, 21, 5, 10);
    m_editor->InitTimeDate();
    QCOMPARE(m_editor->lblCurrentTimeDate.caption(), "It is now : 9:05 PM  Friday, March 8, 2002");
    QCOMPARE(m_editor->cboMonth.listIndex(), 2);
    QCOMPARE(m_editor->txtYear.text(), "2002");
    QCOMPARE(m_editor->updYear.value(), 2002);
    QCOMPARE(m_editor->selectedDay(), 8);
    QVERIFY(m_editor->lblDate(8).bold());
    QCOMPARE(m_editor->lblDate(8).borderStyle(), Label::BorderStyle::FixedSingle);
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 9:05 PM  Friday, March 8, 2002");
}

void AlarmCommandsTest::aYearOutsideTheSpinRangeIsHeldAtTheBound()
{
    m_program->clock.set(2100, 6, 1, 10, 0);
    m_editor->InitTimeDate();
    QCOMPARE(m_editor->updYear.value(), 2099);
    QCOMPARE(m_editor->txtYear.text(), "2099");
    QCOMPARE(m_editor->newAlarmDate(), at(2099, 6, 1, 10, 0));
}

void AlarmCommandsTest::setAlarmRefusesWithoutADay()
{
    m_editor->lblDate_Click(m_editor->selectedDay()); // unpick today
    setAlarm();
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    const ShownBox& box = m_program->messageBoxes.shown.back();
    QCOMPARE(box.text, "No Alarm Time/Date has been selected.");
    QCOMPARE(box.title, "Can't Set Alarm");
    QCOMPARE(box.style, MessageStyle::Exclamation);
    QCOMPARE(m_editor->lstAlarms.listCount(), 0);
}

void AlarmCommandsTest::setAlarmRefusesThePresentMinuteOnceBegun()
{
    m_program->clock.set(2030, 3, 8, 21, 5, 20);
    m_editor->InitTimeDate();
    setAlarm();
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    QCOMPARE(
        m_program->messageBoxes.shown.back().text, "The Alarm Time/Date you have chosen\r\nis in the past!");
    QCOMPARE(m_program->messageBoxes.shown.back().title, "Can't Set Alarm");

    // At the minute's first instant it is not yet past.
    m_program->clock.set(2030, 3, 8, 21, 5, 0);
    setAlarm();
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    QCOMPARE(m_editor->lstAlarms.listCount(), 1);
}

void AlarmCommandsTest::setAlarmRefusesADuplicateAndChecksThePastFirst()
{
    pickTime("9", "30", "PM");
    setAlarm();
    const std::string file = m_program->alarmFile();
    setAlarm();
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    QCOMPARE(m_program->messageBoxes.shown.back().text, "Alarm already exists for that Time/Date.");
    QCOMPARE(m_program->messageBoxes.shown.back().style, MessageStyle::Exclamation);
    QCOMPARE(m_editor->lstAlarms.listCount(), 1);
    QCOMPARE(m_program->alarmFile(), file);

    m_program->clock.set(2030, 3, 8, 21, 31, 0); // past and a duplicate
    setAlarm();
    QCOMPARE(
        m_program->messageBoxes.shown.back().text, "The Alarm Time/Date you have chosen\r\nis in the past!");
}

void AlarmCommandsTest::setAlarmAppendsTheRecordThenTheRows()
{
    m_program->writeAlarmFile("#2030-12-24 18:00:00#,\"Later\"\r\n");
    m_editor->LoadAlarms();
    pickTime("10", "15", "PM");
    m_editor->txtReminder.setText("Call back");
    setAlarm();
    QVERIFY(m_program->messageBoxes.shown.empty());
    QCOMPARE(
        m_program->alarmFile(), "#2030-12-24 18:00:00#,\"Later\"\r\n#2030-03-08 22:15:00#,\"Call back\"\r\n");
    // The new alarm is the last row, whatever its date.
    QCOMPARE(m_program->rows(m_editor->lstAlarms),
        QStringList({ "6:00 PM  Tuesday, December 24, 2030", "10:15 PM  Friday, March 8, 2030" }));
    QCOMPARE(m_program->rows(m_editor->lstReminders), QStringList({ "Later", "Call back" }));
    QCOMPARE(m_editor->txtReminder.text(), "");
    // Nothing else is reset.
    QCOMPARE(m_editor->txtHour.text(), "10");
    QCOMPARE(m_editor->newAlarmDate(), at(2030, 3, 8, 22, 15));
}

void AlarmCommandsTest::theKeyboardAloneSetsAnAlarmOnAnotherDayAndHalfOfDay()
{
    // Today is Friday 8 March 2030, 9:05 PM.
    m_editor->Show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor));
    m_editor->cboMonth.setFocus(Qt::TabFocusReason);
    const auto press = [](Qt::Key key, int times = 1, Qt::KeyboardModifiers modifiers = {}) {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    const auto type = [](const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); };

    press(Qt::Key_Tab, 3);
    QCOMPARE(QApplication::focusWidget(), &m_editor->picCalendar);
    // Four weeks on is in April; a day back; picked.
    press(Qt::Key_Down, 4);
    press(Qt::Key_Left);
    press(Qt::Key_Space);
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 9:05 PM  Thursday, April 4, 2030");

    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), &m_editor->txtHour);
    type("7a");
    press(Qt::Key_Tab);
    type("30");
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 7:30 AM  Thursday, April 4, 2030");

    press(Qt::Key_Tab, 7);
    QCOMPARE(QApplication::focusWidget(), &m_editor->txtReminder);
    type("Dentist");
    press(Qt::Key_Backtab, 4);
    QCOMPARE(QApplication::focusWidget(), &m_editor->cmdSetAlarm);
    press(Qt::Key_Return);

    QVERIFY(m_program->messageBoxes.shown.empty());
    QCOMPARE(m_program->rows(m_editor->lstAlarms), QStringList { "7:30 AM  Thursday, April 4, 2030" });
    QCOMPARE(m_program->alarmFile(), record(2030, 4, 4, 7, 30, "Dentist"));

    // Enter on the keypad presses a button too.
    m_editor->cmdClose.setFocus(Qt::TabFocusReason);
    press(Qt::Key_Enter, 1, Qt::KeypadModifier);
    QVERIFY(!m_editor->isVisible());
}

void AlarmCommandsTest::setAlarmStoresTheDefaultReminderAndLineBreaksAsCrLf()
{
    pickTime("10", "00", "PM");
    setAlarm();
    QCOMPARE(m_editor->lstReminders.list(0), "You were supposed to remember something!");

    pickTime("11", "00", "PM");
    m_editor->txtReminder.setFocus();
    QTest::keyClicks(&m_editor->txtReminder, "Buy milk");
    QTest::keyClick(&m_editor->txtReminder, Qt::Key_Return);
    QTest::keyClicks(&m_editor->txtReminder, "and \"bread\"");
    setAlarm();
    QCOMPARE(m_editor->lstReminders.list(1), "Buy milk\r\nand \"bread\"");
    QCOMPARE(m_program->alarmFile(),
        "#2030-03-08 22:00:00#,\"You were supposed to remember something!\"\r\n"
        "#2030-03-08 23:00:00#,\"Buy milk\r\nand \"\"bread\"\"\"\r\n");

    // Blanks are a reminder too.
    pickTime("11", "30", "PM");
    m_editor->txtReminder.setText("   ");
    setAlarm();
    QCOMPARE(m_editor->lstReminders.list(2), "   ");
}

void AlarmCommandsTest::setAlarmThatCannotBeSavedAddsNoRow()
{
    std::filesystem::create_directory(m_program->alarmPath());
    pickTime("10", "00", "PM");
    m_editor->txtReminder.setText("Keep me");
    setAlarm();
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    const ShownBox& box = m_program->messageBoxes.shown.back();
    QCOMPARE(box.title, "Can't Set Alarm");
    QCOMPARE(box.style, MessageStyle::Exclamation);
    QVERIFY2(
        box.text.contains(QString::fromStdString(m_program->alarmPath().string())), qPrintable(box.text));
    QVERIFY2(box.text.contains("not a regular file"), qPrintable(box.text));
    QCOMPARE(m_editor->lstAlarms.listCount(), 0);
    QCOMPARE(m_editor->lstReminders.listCount(), 0);
    QCOMPARE(m_editor->txtReminder.text(), "Keep me"); // nothing typed is lost

    // Once the file can be written, the same alarm goes in.
    std::filesystem::remove(m_program->alarmPath());
    setAlarm();
    QCOMPARE(m_editor->lstAlarms.listCount(), 1);
    QCOMPARE(m_program->alarmFile(), "#2030-03-08 22:00:00#,\"Keep me\"\r\n");
}

void AlarmCommandsTest::setAlarmPutsTheNewRecordBeforeWhatCouldNotBeRead()
{
    const std::string unreadable = "#2030-02-31#,\"no such day\"\r\n#2030-12-01#,\"after it\"\r\n";
    m_program->writeAlarmFile("#2030-11-01#,\"first\"\r\n" + unreadable);
    m_editor->LoadAlarms();
    pickTime("10", "00", "PM");
    m_editor->txtReminder.setText("new");
    setAlarm();
    QCOMPARE(
        m_program->alarmFile(), "#2030-11-01#,\"first\"\r\n#2030-03-08 22:00:00#,\"new\"\r\n" + unreadable);
}

void AlarmCommandsTest::setAlarmAfterTheFileWasDeletedWritesEveryAlarm()
{
    pickTime("10", "00", "PM");
    setAlarm();
    std::filesystem::remove(m_program->alarmPath());
    pickTime("11", "00", "PM");
    setAlarm();
    QCOMPARE(m_program->alarmFile(),
        "#2030-03-08 22:00:00#,\"You were supposed to remember something!\"\r\n"
        "#2030-03-08 23:00:00#,\"You were supposed to remember something!\"\r\n");
    QVERIFY(m_program->messageBoxes.shown.empty());
}

void AlarmCommandsTest::anotherProgramsVersionIsKeptAndToldOnce()
{
    pickTime("10", "00", "PM");
    m_editor->txtReminder.setText("mine");
    setAlarm();
    // Someone adds an alarm with a text editor while the clock runs.
    const std::string edited = m_program->alarmFile() + "#2030-12-24 18:00:00#,\"added by hand\"\r\n";
    m_program->writeAlarmFile(edited);

    pickTime("11", "00", "PM");
    setAlarm();
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    const ShownBox& box = m_program->messageBoxes.shown.back();
    QCOMPARE(box.title, "Tickwell Alarm Clock");
    const QString kept = box.text.section('"', 3, 3);
    QVERIFY2(kept.contains("Alarm.dat.changed-by-another-program-"), qPrintable(box.text));
    QVERIFY2(
        box.text.contains(QString::fromStdString(m_program->alarmPath().string())), qPrintable(box.text));
    QCOMPARE(readFile(kept.toStdString()), edited);
    QCOMPARE(m_program->alarmFile(),
        "#2030-03-08 22:00:00#,\"mine\"\r\n"
        "#2030-03-08 23:00:00#,\"You were supposed to remember something!\"\r\n");

    // The file is the clock's again: nothing more to say.
    m_editor->cmdClearAlarm_Click(1);
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    QCOMPARE(m_program->alarmFile(), "");
}

void AlarmCommandsTest::viewReminderShowsTheSelectedAlarm()
{
    m_editor->cmdViewReminder.click();
    QVERIFY(m_program->messageBoxes.shown.empty());

    pickTime("10", "00", "PM");
    m_editor->txtReminder.setText("Two\r\nlines");
    setAlarm();
    m_editor->lstAlarms.setListIndex(0);
    m_editor->cmdViewReminder.click();
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    const ShownBox& box = m_program->messageBoxes.shown.back();
    QCOMPARE(box.text, "Two\r\nlines\r\n\r\n(10:00 PM  Friday, March 8, 2030)");
    QCOMPARE(box.title, "Tickwell Alarm Clock");
    QCOMPARE(box.style, MessageStyle::Plain);
    // Only a reminder that falls due goes to the desktop's notifications.
    QVERIFY(m_program->notifications.calls.isEmpty());
}

void AlarmCommandsTest::doubleClickEmptiesTheReminder()
{
    m_editor->txtReminder.setText(QString(100, QLatin1Char('x')) + "\r\nmore");
    QTest::mouseDClick(m_editor->txtReminder.viewport(), Qt::LeftButton);
    QCOMPARE(m_editor->txtReminder.text(), "");
}

void AlarmCommandsTest::closeOnlyHidesTheEditor()
{
    m_editor->Show();
    m_editor->txtReminder.setText("half written");
    m_editor->cmdClose.click();
    QVERIFY(!m_editor->isVisible());
    QVERIFY(!forms::frmMain.isEmpty());
    QVERIFY(m_editor->tmrTimer.enabled());
    QCOMPARE(m_editor->txtReminder.text(), "half written");
}

void AlarmCommandsTest::aboutAndBackResetsTheFields()
{
    m_editor->Show();
    m_editor->cboMonth.setListIndex(5);
    m_editor->updYear.setValue(2031);
    m_editor->lblDate_Click(17);
    pickTime("4", "44", "AM");
    QCOMPARE(m_editor->newAlarmDate(), at(2031, 6, 17, 4, 44));

    // The About window is shown modal; closing it brings the editor back.
    QTimer::singleShot(0, this, [] {
        QVERIFY(forms::frmAbout.instance()->isVisible());
        forms::frmAbout.instance()->Hide();
    });
    m_editor->cmdAbout.click();
    QCOMPARE(m_editor->cboMonth.listIndex(), 2);
    QCOMPARE(m_editor->txtYear.text(), "2030");
    QCOMPARE(m_editor->selectedDay(), 8);
    QCOMPARE(m_editor->lblDate(8).borderStyle(), Label::BorderStyle::FixedSingle);
    QCOMPARE(m_editor->lblDate(17).borderStyle(), Label::BorderStyle::None);
    QCOMPARE(m_editor->txtHour.text(), "9");
    QCOMPARE(m_editor->txtMin.text(), "05");
    QCOMPARE(m_editor->lblAMPM.caption(), "PM");
}

void AlarmCommandsTest::minimisingAndRestoringKeepsTheFields()
{
    m_editor->Show();
    m_editor->lblDate_Click(17);
    pickTime("4", "44", "AM");

    // What the window system sends when the user minimises the window and
    // brings it back.
    QHideEvent minimised;
    QSpontaneKeyEvent::setSpontaneous(&minimised);
    qApp->notify(m_editor, &minimised); // notify() keeps the event spontaneous
    QEvent restored(QEvent::WindowActivate);
    QSpontaneKeyEvent::setSpontaneous(&restored);
    qApp->notify(m_editor, &restored);

    QCOMPARE(m_editor->txtHour.text(), "4");
    QCOMPARE(m_editor->selectedDay(), 17);
    QCOMPARE(m_editor->newAlarmDate(), at(2030, 3, 17, 4, 44));
}

QTEST_MAIN(AlarmCommandsTest)
#include "tst_alarmcommands.moc"
