// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's repeat choice, its custom words, what the alarm list shows of
// a repeating alarm, and Clear Alarm's question about one.
#include "support/Alarms.h"
#include "support/ProgramUnderTest.h"

#include "alarms/RepeatWords.h"
#include "editor/CustomRepeat.h"

#include <QApplication>
#include <QTest>

using namespace tickwell;
using namespace tickwell::test;

namespace {

RepeatRule words(const char* text)
{
    const RepeatWordsRead read = parseRepeatWords(text);
    return read.rule.value_or(RepeatRule {});
}

void press(Qt::Key key, int times = 1)
{
    for (int i = 0; i < times; ++i)
        QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace

class RepeatChoiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void theKeysChooseAReadyRepetitionAndSetAlarmKeepsIt();
    void customWordsAreReadWhenOKIsPressedAndCancelGoesBack();
    void theListShowsHowAnAlarmRepeatsBesideItsDate();
    void clearAlarmAsksToSkipOrEndASeriesAndOnlyThen();
    void anAnswerForAnAlarmThatWentMeanwhileChangesNothing();

private:
    // The custom words window, once "Custom..." has opened it.
    CustomRepeat* customWindow();
    // Sets an alarm at `hour`:`minute` on `day` of March 2030 that repeats as chosen.
    void setAlarm(int day, const QString& hour, const QString& minute, const QString& half);

    std::unique_ptr<ProgramUnderTest> m_program;
    frmMain* m_editor = nullptr;
};

void RepeatChoiceTest::init()
{
    m_program = std::make_unique<ProgramUnderTest>();
    m_program->clock.set(2030, 3, 8, 21, 5, 0); // a Friday
    m_program->start();
    m_editor = &m_program->editor();
    m_editor->Show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor));
}

void RepeatChoiceTest::cleanup()
{
    m_program.reset();
}

CustomRepeat* RepeatChoiceTest::customWindow()
{
    CustomRepeat* window = m_editor->findChild<CustomRepeat*>();
    // Active as the application sees it, with its focus widget.
    if (window && !QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }))
        return nullptr;
    return window;
}

void RepeatChoiceTest::setAlarm(int day, const QString& hour, const QString& minute, const QString& half)
{
    m_editor->lblDate_Click(std::int16_t(day));
    m_editor->txtHour.setText(hour);
    m_editor->txtMin.setText(minute);
    m_editor->lblAMPM.setCaption(half);
    m_editor->cmdSetAlarm.click();
}

void RepeatChoiceTest::theKeysChooseAReadyRepetitionAndSetAlarmKeepsIt()
{
    QStringList items;
    for (int i = 0; i < m_editor->cboRepeat.count(); ++i)
        items << m_editor->cboRepeat.itemText(i);
    QCOMPARE(items,
        QStringList({ "Never", "Every Day", "Weekdays", "Weekends", "Every Week", "Every Month", "Every Year",
            "Custom..." }));
    QCOMPARE(m_editor->chosenRepeat(), std::nullopt);

    // Right after the minutes, as the time's neighbour.
    m_editor->txtMin.setFocus(Qt::TabFocusReason);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), &m_editor->cboRepeat);
    press(Qt::Key_Down, 2);
    QCOMPARE(m_editor->cboRepeat.currentText(), "Weekdays");
    QCOMPARE(m_editor->chosenRepeat(), words("weekdays"));

    setAlarm(11, "7", "30", "AM");
    QVERIFY(m_program->messageBoxes.shown.empty());
    QCOMPARE(m_program->rows(m_editor->lstAlarms), QStringList { "7:30 AM  Monday, March 11, 2030" });
    QCOMPARE(m_editor->repeatAt(0), words("weekdays"));
    QCOMPARE(m_program->alarmFile(), record(2030, 3, 11, 7, 30, "You were supposed to remember something!"));
    // Like the time, the choice stays for the next alarm.
    QCOMPARE(m_editor->cboRepeat.currentText(), "Weekdays");

    press(Qt::Key_Up, 2);
    QCOMPARE(m_editor->chosenRepeat(), std::nullopt);
    setAlarm(12, "8", "00", "AM");
    QCOMPARE(m_editor->repeatAt(1), std::nullopt);
}

void RepeatChoiceTest::customWordsAreReadWhenOKIsPressedAndCancelGoesBack()
{
    m_editor->cboRepeat.setFocus(Qt::TabFocusReason);
    press(Qt::Key_Down); // Every Day
    press(Qt::Key_End); // Custom...
    CustomRepeat* window = customWindow();
    QVERIFY(window);
    QCOMPARE(QApplication::focusWidget(), &window->txtWords);
    // It starts from the words of the choice made before.
    QCOMPARE(window->txtWords.text(), "daily");

    // Words that say no repetition are refused, saying why; the window stays.
    QTest::keyClicks(&window->txtWords, "every fortnight");
    press(Qt::Key_Return);
    QVERIFY(window->isVisible());
    QVERIFY2(window->lblFault.caption().contains("is no repetition"), qPrintable(window->lblFault.caption()));
    QCOMPARE(window->txtWords.selectedText(), "every fortnight");

    QTest::keyClicks(&window->txtWords, "Every 2 weeks on Tue");
    press(Qt::Key_Return);
    QTRY_VERIFY(!m_editor->findChild<CustomRepeat*>());
    QCOMPARE(m_editor->cboRepeat.currentText(), "every 2 weeks on tue");
    QCOMPARE(m_editor->cboRepeat.itemText(m_editor->cboRepeat.count() - 1), "Custom...");
    QCOMPARE(m_editor->chosenRepeat(), words("every 2 weeks on tue"));
    setAlarm(12, "7", "00", "PM");
    QCOMPARE(m_editor->repeatAt(0), words("every 2 weeks on tue"));

    // Escape leaves the choice as it was.
    QApplication::setActiveWindow(m_editor);
    m_editor->cboRepeat.setFocus(Qt::TabFocusReason);
    press(Qt::Key_End);
    window = customWindow();
    QVERIFY(window);
    QCOMPARE(window->txtWords.text(), "every 2 weeks on tue");
    press(Qt::Key_Escape);
    QTRY_VERIFY(!m_editor->findChild<CustomRepeat*>());
    QCOMPARE(m_editor->cboRepeat.currentText(), "every 2 weeks on tue");

    // Words a ready choice says choose it.
    QApplication::setActiveWindow(m_editor);
    m_editor->cboRepeat.setFocus(Qt::TabFocusReason);
    press(Qt::Key_End);
    window = customWindow();
    QVERIFY(window);
    QTest::keyClicks(&window->txtWords, "sat,sun");
    window->cmdOK.click();
    QTRY_VERIFY(!m_editor->findChild<CustomRepeat*>());
    QCOMPARE(m_editor->cboRepeat.currentText(), "Weekends");
    QCOMPARE(m_editor->cboRepeat.count(), 9); // the custom words stay to be chosen again
}

void RepeatChoiceTest::theListShowsHowAnAlarmRepeatsBesideItsDate()
{
    m_program->writeAlarmFile(record(2030, 3, 9, 9, 0, "One-shot"));
    m_editor->LoadAlarms();
    m_editor->cboRepeat.setListIndex(5); // Every Month
    setAlarm(31, "8", "00", "AM");
    ListBox& list = m_editor->lstAlarms;
    QCOMPARE(m_program->rows(list),
        QStringList({ "9:00 AM  Saturday, March 9, 2030", "8:00 AM  Sunday, March 31, 2030" }));
    QCOMPARE(list.note(0), "");
    QCOMPARE(list.note(1), "\u21bb monthly");
    QCOMPARE(list.item(1)->toolTip(), "Repeats: monthly");
    QCOMPARE(list.item(1)->data(Qt::AccessibleDescriptionRole).toString(), "Repeats monthly");
    QVERIFY(list.item(0)->toolTip().isEmpty());

    // Painted after the date, in the row's own colours, and only where there is a note.
    list.doItemsLayout();
    const QImage painted = list.viewport()->grab().toImage();
    const QRect rows[] { list.visualItemRect(list.item(0)), list.visualItemRect(list.item(1)) };
    const auto inkAtTheEnd = [&](const QRect& row) {
        const QColor background = painted.pixelColor(row.right() - 1, row.top() + 1);
        int ink = 0;
        for (int x = row.right() - row.width() / 6; x < row.right(); ++x)
            for (int y = row.top(); y <= row.bottom(); ++y)
                ink += painted.pixelColor(x, y) != background;
        return ink;
    };
    QCOMPARE(inkAtTheEnd(rows[0]), 0);
    QVERIFY(inkAtTheEnd(rows[1]) > 0);
}

void RepeatChoiceTest::clearAlarmAsksToSkipOrEndASeriesAndOnlyThen()
{
    m_editor->cboRepeat.setListIndex(4); // Every Week
    setAlarm(11, "7", "30", "AM");
    m_editor->cboRepeat.setListIndex(0);
    setAlarm(12, "9", "00", "AM");
    FakeMessageBoxes& boxes = m_program->messageBoxes;

    // An alarm that does not repeat goes without a question.
    m_editor->lstAlarms.setListIndex(1);
    m_editor->cmdClearAlarm(0).click();
    QVERIFY(boxes.shown.empty());
    QCOMPARE(m_editor->lstAlarms.listCount(), 1);

    const std::string once = m_program->alarmFile();
    m_editor->lstAlarms.setListIndex(0);
    m_editor->cmdClearAlarm(0).click(); // the user's Escape
    QCOMPARE(boxes.shown.size(), 1u);
    const ShownBox question = boxes.shown.back();
    QCOMPARE(question.title, "Clear Alarm");
    QCOMPARE(question.style, MessageStyle::Question);
    QCOMPARE(question.text,
        "This alarm repeats weekly:\r\n7:30 AM  Monday, March 11, 2030\r\n\r\nSkip only this time, or end "
        "the "
        "series?");
    QCOMPARE(question.choices, QStringList({ "&Skip This Time", "&End Series", "Cancel" }));
    QCOMPARE(m_program->rows(m_editor->lstAlarms), QStringList { "7:30 AM  Monday, March 11, 2030" });
    QCOMPARE(m_program->alarmFile(), once);

    boxes.answer = 0;
    m_editor->lstAlarms.setListIndex(0);
    m_editor->cmdClearAlarm(0).click();
    QCOMPARE(m_program->rows(m_editor->lstAlarms), QStringList { "7:30 AM  Monday, March 18, 2030" });
    QCOMPARE(m_editor->repeatAt(0), words("weekly"));
    QCOMPARE(m_program->alarmFile(), record(2030, 3, 18, 7, 30, "You were supposed to remember something!"));

    boxes.answer = 1;
    m_editor->lstAlarms.setListIndex(0);
    m_editor->cmdClearAlarm(0).click();
    QCOMPARE(boxes.shown.size(), 3u);
    QCOMPARE(m_editor->lstAlarms.listCount(), 0);
    QCOMPARE(m_program->alarmFile(), "");
}

void RepeatChoiceTest::anAnswerForAnAlarmThatWentMeanwhileChangesNothing()
{
    m_editor->cboRepeat.setListIndex(1); // Every Day
    setAlarm(9, "7", "30", "AM");
    m_editor->cboRepeat.setListIndex(0);
    setAlarm(10, "9", "00", "AM");
    m_editor->cboRepeat.setListIndex(1);
    setAlarm(11, "6", "00", "AM");
    // While the question is open, a command line clears the first alarm:
    // the rows move up under it. The answer still goes to the alarm asked about.
    m_program->messageBoxes.whileOpen = [this](const ShownBox&) {
        m_editor->lstAlarms.setListIndex(0);
        m_editor->cmdClearAlarm_Click(0);
    };
    m_program->messageBoxes.answer = 1;
    m_editor->lstAlarms.setListIndex(2);
    m_editor->cmdClearAlarm(0).click();
    QCOMPARE(m_program->rows(m_editor->lstAlarms), QStringList { "9:00 AM  Sunday, March 10, 2030" });

    // An answer about an alarm no longer there changes nothing.
    m_program->messageBoxes.whileOpen = [this](const ShownBox&) { m_editor->cmdClearAlarm_Click(1); };
    m_editor->cboRepeat.setListIndex(1);
    setAlarm(11, "6", "00", "AM");
    m_editor->lstAlarms.setListIndex(1);
    m_program->messageBoxes.answer = 0;
    m_editor->cmdClearAlarm(0).click();
    QCOMPARE(m_editor->lstAlarms.listCount(), 0);
    QCOMPARE(m_program->messageBoxes.shown.size(), 2u);
    QCOMPARE(m_program->alarmFile(), "");
}

QTEST_MAIN(RepeatChoiceTest)
#include "tst_repeatchoice.moc"
