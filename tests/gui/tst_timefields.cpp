// SPDX-License-Identifier: GPL-3.0-or-later
// The hour, minute and AM/PM fields, driven with real key events.
#include "support/ProgramUnderTest.h"

#include <QSignalSpy>
#include <QTest>

using namespace tickwell;
using namespace tickwell::test;

class TimeFieldsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void arrowKeysStepAndWrap_data();
    void arrowKeysStepAndWrap();
    void steppingTheHourLeavesHalfOfDayAlone();
    void aSecondDigitIsClampedWhenItsKeyIsReleased();
    void leavingTheFieldsNormalisesThem();
    void onlyDigitsAndEditingKeysGetThrough();
    void pastedTextKeepsOnlyItsDigits();
    void halfOfDayTogglesAndRecomposesOncePerClick();
    void typingAOrPSwitchesHalfOfDay();
    void oneKeyStrokeRaisesItsEventsInOrder();

private:
    // Picks 5 January 2024 at 9:30 AM so that recompositions can be seen.
    void compose();
    TextBox& field(const QString& name);

    std::unique_ptr<ProgramUnderTest> m_program;
    frmMain* m_editor = nullptr;
};

void TimeFieldsTest::init()
{
    m_program = std::make_unique<ProgramUnderTest>();
    m_program->clock.set(2024, 1, 5, 8, 0);
    m_program->start();
    m_editor = &m_program->editor();
    m_editor->Show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor));
    compose();
}

void TimeFieldsTest::cleanup()
{
    m_program.reset();
}

void TimeFieldsTest::compose()
{
    // Today, 5 January, is the picked day once the editor is shown.
    QCOMPARE(m_editor->selectedDay(), 5);
    m_editor->txtHour.setText("9");
    m_editor->txtMin.setText("30");
    m_editor->lblAMPM.setCaption("AM");
}

TextBox& TimeFieldsTest::field(const QString& name)
{
    return name == "hour" ? m_editor->txtHour : m_editor->txtMin;
}

void TimeFieldsTest::arrowKeysStepAndWrap_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("after");
    const auto row = [](const char* name, const char* f, const char* before, Qt::Key key, const char* after,
                         Qt::KeyboardModifiers modifiers = {}) {
        QTest::newRow(name) << f << before << int(key) << int(modifiers) << after;
    };
    row("hour 12 up wraps to 1", "hour", "12", Qt::Key_Up, "1");
    row("hour 1 down wraps to 12", "hour", "1", Qt::Key_Down, "12");
    row("hour 11 up", "hour", "11", Qt::Key_Up, "12");
    row("hour 07 right", "hour", "07", Qt::Key_Right, "8");
    row("hour 5 left", "hour", "5", Qt::Key_Left, "4");
    row("empty hour up", "hour", "", Qt::Key_Up, "1");
    row("empty hour down wraps to 12", "hour", "", Qt::Key_Down, "12");
    row("hour 0 down wraps to 12", "hour", "0", Qt::Key_Down, "12");
    row("shift up steps", "hour", "3", Qt::Key_Up, "4", Qt::ShiftModifier);
    row("ctrl right steps", "hour", "3", Qt::Key_Right, "4", Qt::ControlModifier);
    row("alt down steps", "hour", "3", Qt::Key_Down, "2", Qt::AltModifier);
    row("minutes 59 up wraps to 0", "minute", "59", Qt::Key_Up, "0");
    row("minutes 00 down wraps to 59", "minute", "00", Qt::Key_Down, "59");
    row("minutes 09 up", "minute", "09", Qt::Key_Up, "10");
    row("minutes 04 up", "minute", "04", Qt::Key_Up, "5");
    row("empty minutes down", "minute", "", Qt::Key_Down, "59");
    // Above the range (a pasted "99"), the release of the key clamps; the
    // step itself must not run past the field's two digits.
    row("hour 99 up ends at 12", "hour", "99", Qt::Key_Up, "12");
    row("minutes 99 up ends at 59", "minute", "99", Qt::Key_Up, "59");
    row("minutes 75 down ends at 59", "minute", "75", Qt::Key_Down, "59");
    row("other keys do nothing", "minute", "30", Qt::Key_PageUp, "30");
}

void TimeFieldsTest::arrowKeysStepAndWrap()
{
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, after);
    TextBox& box = this->field(field);
    box.setText(before);
    QTest::keyClick(&box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(box.text(), after);
}

void TimeFieldsTest::steppingTheHourLeavesHalfOfDayAlone()
{
    m_editor->txtHour.setText("11");
    QTest::keyClick(&m_editor->txtHour, Qt::Key_Up);
    QCOMPARE(m_editor->lblAMPM.caption(), "AM");
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 0, 30)); // 12 AM
    QTest::keyClick(&m_editor->txtHour, Qt::Key_Up);
    QCOMPARE(m_editor->txtHour.text(), "1");
    QCOMPARE(m_editor->lblAMPM.caption(), "AM");
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 1, 30));
}

void TimeFieldsTest::aSecondDigitIsClampedWhenItsKeyIsReleased()
{
    TextBox& hour = m_editor->txtHour;
    hour.clear();
    QTest::keyClick(&hour, Qt::Key_1);
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 1, 30));
    QTest::keyPress(&hour, Qt::Key_5);
    QCOMPARE(hour.text(), "15");
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 1, 30)); // still hour 1
    QTest::keyRelease(&hour, Qt::Key_5);
    QCOMPARE(hour.text(), "12");
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 0, 30)); // 12 AM

    TextBox& minute = m_editor->txtMin;
    minute.clear();
    QTest::keyClick(&minute, Qt::Key_7);
    QTest::keyPress(&minute, Qt::Key_5);
    QCOMPARE(minute.text(), "75");
    QTest::keyRelease(&minute, Qt::Key_5);
    QCOMPARE(minute.text(), "59");
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 0, 59));
}

void TimeFieldsTest::leavingTheFieldsNormalisesThem()
{
    TextBox& hour = m_editor->txtHour;
    TextBox& minute = m_editor->txtMin;

    hour.setFocus();
    hour.clear();
    QTest::keyClick(&hour, Qt::Key_Tab);
    QVERIFY(minute.hasFocus());
    QCOMPARE(hour.text(), "1");
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 1, 30));

    minute.clear(); // an empty minute field is not recomposed...
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 1, 30));
    QTest::keyClick(&minute, Qt::Key_Backtab);
    QCOMPARE(minute.text(), "00"); // ...until it is left
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 1, 0));

    hour.selectAll();
    QTest::keyClicks(&hour, "07");
    QTest::keyClick(&hour, Qt::Key_Tab);
    QCOMPARE(hour.text(), "07"); // the hour is never padded or stripped
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 7, 0));

    minute.selectAll();
    QTest::keyClicks(&minute, "5");
    QCOMPARE(minute.text(), "5");
    QTest::keyClick(&minute, Qt::Key_Tab);
    QCOMPARE(minute.text(), "05");
}

void TimeFieldsTest::onlyDigitsAndEditingKeysGetThrough()
{
    for (TextBox* box : { &m_editor->txtHour, &m_editor->txtMin }) {
        box->clear();
        QTest::keyClicks(box, "a-Z ");
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(box->text(), "");
        QTest::keyClicks(box, "1x2");
        QCOMPARE(box->text(), "12");
        QTest::keyClick(box, Qt::Key_3); // a third character is refused
        QCOMPARE(box->text(), "12");
        box->setCursorPosition(1); // the arrow keys would step the field
        QTest::keyClick(box, Qt::Key_5);
        QCOMPARE(box->text(), "12");
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), "1");
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), "");
    }
}

void TimeFieldsTest::pastedTextKeepsOnlyItsDigits()
{
    TextBox& hour = m_editor->txtHour;
    hour.clear();
    hour.insert("a1-b2c3"); // what a paste or a drop hands the box
    QCOMPARE(hour.text(), "12");
    hour.setText("1");
    hour.setCursorPosition(0);
    hour.insert("x9y8");
    QCOMPARE(hour.text(), "91");
    m_editor->txtMin.clear();
    m_editor->txtMin.insert(" -7 ");
    QCOMPARE(m_editor->txtMin.text(), "7");
    m_editor->txtMin.setText("-5"); // code is held to it as well
    QCOMPARE(m_editor->txtMin.text(), "5");
}

void TimeFieldsTest::halfOfDayTogglesAndRecomposesOncePerClick()
{
    Label& half = m_editor->lblAMPM;
    half.setCaption("XM");
    QTest::mouseClick(&half, Qt::LeftButton);
    QCOMPARE(half.caption(), "AM");
    QSignalSpy recomposed(&m_editor->lblAlarmTimeDate, &Label::change);
    QTest::mouseClick(&half, Qt::LeftButton);
    QCOMPARE(half.caption(), "PM");
    QCOMPARE(recomposed.count(), 1);
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 21, 30));
    QTest::mouseClick(&half, Qt::LeftButton);
    QCOMPARE(half.caption(), "AM");
    QCOMPARE(recomposed.count(), 2);
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 9, 30));
}

void TimeFieldsTest::typingAOrPSwitchesHalfOfDay()
{
    Label& half = m_editor->lblAMPM;
    QCOMPARE(half.caption(), "AM");
    QSignalSpy recomposed(&m_editor->lblAlarmTimeDate, &Label::change);
    m_editor->txtHour.setCursorPosition(0);
    QTest::keyClick(&m_editor->txtHour, Qt::Key_A); // already AM: nothing happens
    QCOMPARE(recomposed.count(), 0);
    QTest::keyClick(&m_editor->txtHour, Qt::Key_P);
    QCOMPARE(half.caption(), "PM");
    QCOMPARE(recomposed.count(), 1);
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 21, 30));
    QTest::keyClick(&m_editor->txtMin, Qt::Key_P, Qt::ShiftModifier);
    QCOMPARE(half.caption(), "PM");
    QTest::keyClick(&m_editor->txtMin, Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(half.caption(), "AM");
    QCOMPARE(recomposed.count(), 2);
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2024, 1, 5, 9, 30));
    // The letters themselves are not typed.
    QCOMPARE(m_editor->txtHour.text(), "9");
    QCOMPARE(m_editor->txtMin.text(), "30");

    // From the design-time "XM" only "a" gives its half, as a click would.
    half.setCaption("XM");
    QTest::keyClick(&m_editor->txtMin, Qt::Key_P);
    QCOMPARE(half.caption(), "XM");
    QTest::keyClick(&m_editor->txtMin, Qt::Key_A);
    QCOMPARE(half.caption(), "AM");
}

void TimeFieldsTest::oneKeyStrokeRaisesItsEventsInOrder()
{
    TextBox& minute = m_editor->txtMin;
    minute.clear();
    QStringList events;
    connect(
        &minute, &TextBox::keyDown, this, [&](int& code, int) { events << "down " + QString::number(code); });
    connect(
        &minute, &TextBox::keyPress, this, [&](int& code) { events << "press " + QString::number(code); });
    connect(&minute, &TextBox::change, this, [&] { events << "change " + minute.text(); });
    connect(&minute, &TextBox::keyUp, this, [&](int& code, int) { events << "up " + QString::number(code); });
    QTest::keyClick(&minute, Qt::Key_4);
    QCOMPARE(events, QStringList({ "down 52", "press 52", "change 4", "up 52" }));

    // A third digit is refused: the text never changes, so no change event.
    minute.setText("45");
    events.clear();
    QTest::keyClick(&minute, Qt::Key_6);
    QCOMPARE(minute.text(), "45");
    QCOMPARE(events, QStringList({ "down 54", "press 54", "up 54" }));
}

QTEST_MAIN(TimeFieldsTest)
#include "tst_timefields.moc"
