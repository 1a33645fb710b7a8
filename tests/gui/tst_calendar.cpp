// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's state, the calendar and the new-alarm caption.
#include "support/Alarms.h"
#include "support/ProgramUnderTest.h"

#include <QSignalSpy>
#include <QTest>

using namespace tickwell;
using namespace tickwell::test;

class CalendarTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startsWithNoDayAndNoDate();
    void knowsItsLeapYears();
    void laysOutTheMonth_data();
    void laysOutTheMonth();
    void marksTodayOnlyInItsOwnMonthAndYear();
    void clickingThePickedDayAgainUnpicksIt();
    void aPickedDayBeyondTheNewMonthIsLowered();
    void aSpinStepRedrawsAndRecomposesOnce();
    void composesTheCaptionFromTheFields();
    void offersNoAlarmWhenTheFieldsHoldNoTime();
    void togglingHalfOfDayMovesTheAlarmByTwelveHours();
    void arrowKeysMoveTheFocusDayAcrossMonthEnds_data();
    void arrowKeysMoveTheFocusDayAcrossMonthEnds();
    void spaceOrReturnPicksTheFocusDayAsAClickWould();

private:
    // Shows `month` of `year`, through the controls as the user would.
    void show(int month, int year);
    void setTime(const QString& hour, const QString& minute, const QString& half);
    QPoint placeInTwips(int day) const;
    // Shows the editor and gives the calendar the focus by the keyboard, on `day` picked.
    void focusCalendarOn(int year, int month, int day);
    // The day with the focus mark; 0 for none.
    int focusDay() const;

    std::unique_ptr<ProgramUnderTest> m_program;
    frmMain* m_editor = nullptr;
};

void CalendarTest::init()
{
    m_program = std::make_unique<ProgramUnderTest>();
    m_program->clock.set(1998, 3, 10, 9, 30);
    m_program->start();
    m_editor = &m_program->editor();
}

void CalendarTest::cleanup()
{
    m_program.reset();
}

void CalendarTest::show(int month, int year)
{
    m_editor->cboMonth.setListIndex(month - 1);
    m_editor->updYear.setValue(year);
}

void CalendarTest::setTime(const QString& hour, const QString& minute, const QString& half)
{
    m_editor->txtHour.setText(hour);
    m_editor->txtMin.setText(minute);
    m_editor->lblAMPM.setCaption(half);
    m_editor->UpdateNewAlarmCaption();
}

QPoint CalendarTest::placeInTwips(int day) const
{
    return m_editor->lblDate(day).pos() * 15;
}

void CalendarTest::focusCalendarOn(int year, int month, int day)
{
    m_editor->Show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor));
    show(month, year);
    QTest::mouseClick(&m_editor->lblDate(day), Qt::LeftButton);
    QCOMPARE(m_editor->selectedDay(), day);
    // A click on a day leaves the focus where it was.
    QVERIFY(!m_editor->picCalendar.hasFocus());
    m_editor->updYear.setFocus(Qt::TabFocusReason);
    QTest::keyClick(&m_editor->updYear, Qt::Key_Tab);
    QVERIFY(m_editor->picCalendar.hasFocus());
}

int CalendarTest::focusDay() const
{
    int marked = 0;
    for (int d = 1; d <= 31; ++d) {
        if (m_editor->lblDate(d).hasFocusMark()) {
            if (marked != 0)
                return -1; // two marks
            marked = d;
        }
    }
    return marked;
}

void CalendarTest::startsWithNoDayAndNoDate()
{
    // Looked at while the month list is being filled, right after the month
    // table has been set up and before the fields get the present time.
    frmMain fresh(m_program->services);
    bool looked = false;
    connect(fresh.cboMonth.model(), &QAbstractItemModel::rowsInserted, this, [&] {
        if (looked)
            return;
        looked = true;
        QCOMPARE(fresh.selectedDay(), 0);
        QCOMPARE(fresh.newAlarmDate(), DateValue::noDate());
        QVERIFY(fresh.newAlarmDate() != DateValue {});
    });
    fresh.Load();
    QVERIFY(looked);

    // Filling a list selects nothing; only the present month does.
    ComboBox months(nullptr, QStringLiteral("months"), { 0, 0, 1500, 315 });
    for (const char* name : { "January", "February" })
        months.addItem(QString::fromLatin1(name));
    QCOMPARE(months.listIndex(), -1);

    const auto& table = m_editor->monthTable();
    QCOMPARE(table[1].Name, "January");
    QCOMPARE(table[2].Days, 28);
    QCOMPARE(table[12].Name, "December");
    QCOMPARE(table[12].Days, 31);
}

void CalendarTest::knowsItsLeapYears()
{
    for (const int year : { 1996, 2000, 0, -4 })
        QVERIFY2(frmMain::IsLeapYear(std::int16_t(year)), qPrintable(QString::number(year)));
    for (const int year : { 1900, 1999, 2100, -100 })
        QVERIFY2(!frmMain::IsLeapYear(std::int16_t(year)), qPrintable(QString::number(year)));
    show(2, 2000);
    QCOMPARE(m_editor->monthTable()[2].Days, 28); // the table knows no leap years
}

void CalendarTest::laysOutTheMonth_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("day");
    QTest::addColumn<QPoint>("place");
    QTest::newRow("August 1998 begins on a Saturday") << 8 << 1998 << 31 << 1 << QPoint(2160, 255);
    QTest::newRow("August 1998 takes six rows") << 8 << 1998 << 31 << 31 << QPoint(360, 1530);
    QTest::newRow("February 2015 takes four rows") << 2 << 2015 << 28 << 28 << QPoint(2160, 1020);
    QTest::newRow("February 2015 begins on a Sunday") << 2 << 2015 << 28 << 1 << QPoint(0, 255);
    QTest::newRow("February 2000 has a leap day") << 2 << 2000 << 29 << 29 << QPoint(720, 1275);
    QTest::newRow("February 2097 has none") << 2 << 2097 << 28 << 28 << QPoint(1440, 1275);
    QTest::newRow("March 1998") << 3 << 1998 << 31 << 10 << QPoint(720, 510);
}

void CalendarTest::laysOutTheMonth()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(int, length);
    QFETCH(int, day);
    QFETCH(QPoint, place);
    show(month, year);
    for (int d = 1; d <= 31; ++d) {
        QCOMPARE(m_editor->lblDate(d).isVisibleTo(m_editor), d <= length);
        QCOMPARE(m_editor->lblDate(d).caption(), QString::number(d));
    }
    QCOMPARE(placeInTwips(day), place);
}

void CalendarTest::marksTodayOnlyInItsOwnMonthAndYear()
{
    show(3, 1998);
    for (int d = 1; d <= 31; ++d) {
        QCOMPARE(m_editor->lblDate(d).bold(), d == 10);
        QCOMPARE(m_editor->lblDate(d).borderStyle() == Label::BorderStyle::FixedSingle, d == 10);
    }
    show(3, 1999);
    for (int d = 1; d <= 31; ++d) {
        QVERIFY(!m_editor->lblDate(d).bold());
        QCOMPARE(m_editor->lblDate(d).borderStyle(), Label::BorderStyle::None);
    }
}

void CalendarTest::clickingThePickedDayAgainUnpicksIt()
{
    show(3, 1998);
    setTime("9", "45", "AM");
    QTest::mouseClick(&m_editor->lblDate(12), Qt::LeftButton);
    QCOMPARE(m_editor->selectedDay(), 12);
    for (int d = 1; d <= 31; ++d)
        QCOMPARE(m_editor->lblDate(d).borderStyle() == Label::BorderStyle::FixedSingle, d == 12);
    QVERIFY(m_editor->lblDate(10).bold()); // today keeps its face
    QCOMPARE(m_editor->newAlarmDate(), at(1998, 3, 12, 9, 45));

    QTest::mouseClick(&m_editor->lblDate(12), Qt::LeftButton);
    QCOMPARE(m_editor->selectedDay(), 0);
    for (int d = 1; d <= 31; ++d)
        QCOMPARE(m_editor->lblDate(d).borderStyle(), Label::BorderStyle::None);
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "< No Selected Time/Date >");
    QCOMPARE(m_editor->newAlarmDate(), DateValue::noDate());
}

void CalendarTest::aPickedDayBeyondTheNewMonthIsLowered()
{
    setTime("8", "00", "AM");
    show(1, 2015);
    m_editor->lblDate_Click(31);
    m_editor->cboMonth.setListIndex(3); // April
    QCOMPARE(m_editor->selectedDay(), 30);
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 8:00 AM  Thursday, April 30, 2015");
    m_editor->cboMonth.setListIndex(1); // February of a common year
    QCOMPARE(m_editor->selectedDay(), 28);
    for (int d = 1; d <= 28; ++d) // the picked day is no longer marked
        QCOMPARE(m_editor->lblDate(d).borderStyle(), Label::BorderStyle::None);
    m_editor->lblDate_Click(27);
    m_editor->lblDate_Click(28);
    m_editor->updYear.setValue(2016); // and of a leap year: 29 stays possible
    m_editor->lblDate_Click(29);
    QCOMPARE(m_editor->selectedDay(), 29);
    QCOMPARE(m_editor->newAlarmDate(), at(2016, 2, 29, 8, 0));
}

void CalendarTest::aSpinStepRedrawsAndRecomposesOnce()
{
    setTime("7", "15", "PM");
    show(2, 2003);
    m_editor->lblDate_Click(14);
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 7:15 PM  Friday, February 14, 2003");

    // A mark written right after the year box's change survives only if
    // nothing recomposes the caption after it.
    connect(&m_editor->txtYear, &TextBox::change, this,
        [this] { m_editor->lblAlarmTimeDate.setCaption(QStringLiteral("mark")); });
    QSignalSpy captions(&m_editor->lblAlarmTimeDate, &Label::change);
    QTest::mouseClick(&m_editor->updYear, Qt::LeftButton, {}, QPoint(5, 3)); // the upper arrow
    QCOMPARE(m_editor->txtYear.text(), "2004");
    QCOMPARE(captions.count(), 2); // the new caption, then the mark
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "mark");
    QCOMPARE(m_editor->newAlarmDate(), at(2004, 2, 14, 19, 15));
    // Redrawn for February 2004: 29 days, the 1st a Sunday.
    QVERIFY(m_editor->lblDate(29).isVisibleTo(m_editor));
    QCOMPARE(placeInTwips(1), QPoint(0, 255));
}

void CalendarTest::composesTheCaptionFromTheFields()
{
    show(1, 2024);
    m_editor->lblDate_Click(5);
    setTime("07", "5", "PM");
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 7:05 PM  Friday, January 5, 2024");
    QCOMPARE(m_editor->newAlarmDate(), at(2024, 1, 5, 19, 5));

    setTime("12", "00", "AM");
    QCOMPARE(m_editor->newAlarmDate(), at(2024, 1, 5, 0, 0));
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 12:00 AM  Friday, January 5, 2024");
    setTime("12", "00", "PM");
    QCOMPARE(m_editor->newAlarmDate(), at(2024, 1, 5, 12, 0));
}

void CalendarTest::offersNoAlarmWhenTheFieldsHoldNoTime()
{
    show(1, 2024);
    setTime("9", "30", "AM");
    m_editor->lblDate_Click(5);
    QCOMPARE(m_editor->newAlarmDate(), at(2024, 1, 5, 9, 30));
    for (const auto& [hour, minute, half] :
        std::initializer_list<std::array<const char*, 3>> { { "", "30", "AM" }, { "0", "30", "AM" },
            { "13", "30", "AM" }, { "9", "", "AM" }, { "9", "75", "AM" }, { "9", "30", "XM" } }) {
        setTime(hour, minute, half);
        m_editor->UpdateNewAlarmCaption();
        QCOMPARE(m_editor->newAlarmDate(), DateValue::noDate());
        QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "< No Selected Time/Date >");
    }
}

void CalendarTest::togglingHalfOfDayMovesTheAlarmByTwelveHours()
{
    show(6, 2030);
    setTime("11", "40", "AM");
    m_editor->lblDate_Click(17);
    const double morning = m_editor->newAlarmDate().serial();
    setTime("11", "40", "PM");
    QCOMPARE(m_editor->newAlarmDate().serial() - morning, 0.5);
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 11:40 PM  Monday, June 17, 2030");
}

void CalendarTest::arrowKeysMoveTheFocusDayAcrossMonthEnds_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QDate>("to");
    const auto row = [](const char* name, QDate from, QList<int> keys, QDate to) {
        QTest::newRow(name) << from << keys << to;
    };
    row("a day on", { 2030, 3, 8 }, { Qt::Key_Right }, { 2030, 3, 9 });
    row("a week back", { 2030, 3, 8 }, { Qt::Key_Up }, { 2030, 3, 1 });
    row("into the month before", { 2030, 3, 1 }, { Qt::Key_Left }, { 2030, 2, 28 });
    row("into a leap February", { 2028, 3, 3 }, { Qt::Key_Up }, { 2028, 2, 25 });
    row("a week into the next month", { 2030, 3, 29 }, { Qt::Key_Down }, { 2030, 4, 5 });
    row("four weeks on, and back", { 2030, 3, 8 },
        { Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up }, { 2030, 3, 29 });
    row("into the next year", { 2030, 12, 31 }, { Qt::Key_Right }, { 2031, 1, 1 });
    row("into the year before", { 2030, 1, 3 }, { Qt::Key_Up }, { 2029, 12, 27 });
    row("not before the first year", { 1980, 1, 2 }, { Qt::Key_Left, Qt::Key_Left, Qt::Key_Up },
        { 1980, 1, 1 });
    row("not after the last year", { 2099, 12, 30 }, { Qt::Key_Right, Qt::Key_Right, Qt::Key_Down },
        { 2099, 12, 31 });
}

void CalendarTest::arrowKeysMoveTheFocusDayAcrossMonthEnds()
{
    QFETCH(QDate, from);
    QFETCH(QList<int>, keys);
    QFETCH(QDate, to);
    setTime("9", "30", "AM");
    focusCalendarOn(from.year(), from.month(), from.day());
    QCOMPARE(focusDay(), from.day());
    for (const int key : keys)
        QTest::keyClick(&m_editor->picCalendar, Qt::Key(key));
    QCOMPARE(m_editor->cboMonth.listIndex() + 1, to.month());
    QCOMPARE(m_editor->txtYear.text(), QString::number(to.year()));
    QCOMPARE(m_editor->updYear.value(), to.year());
    QCOMPARE(focusDay(), to.day());
    QVERIFY(m_editor->lblDate(to.day()).isVisible());
    // Moving picks nothing: the alarm keeps its day, in the month now shown.
    QCOMPARE(m_editor->selectedDay(), std::min(from.day(), to.daysInMonth()));
    QVERIFY(m_editor->picCalendar.hasFocus());
}

void CalendarTest::spaceOrReturnPicksTheFocusDayAsAClickWould()
{
    setTime("9", "30", "AM");
    focusCalendarOn(2030, 3, 8);
    QTest::keyClick(&m_editor->picCalendar, Qt::Key_Down);
    QTest::keyClick(&m_editor->picCalendar, Qt::Key_Space);
    QCOMPARE(m_editor->selectedDay(), 15);
    for (int d = 1; d <= 31; ++d)
        QCOMPARE(m_editor->lblDate(d).borderStyle() == Label::BorderStyle::FixedSingle, d == 15);
    QCOMPARE(m_editor->newAlarmDate(), at(2030, 3, 15, 9, 30));

    // The picked day again lets it go, with Return as with Space.
    QTest::keyClick(&m_editor->picCalendar, Qt::Key_Return);
    QCOMPARE(m_editor->selectedDay(), 0);
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "< No Selected Time/Date >");
    QCOMPARE(focusDay(), 15);

    // Leaving the calendar takes the mark away; coming back puts it on the picked day.
    QTest::keyClick(&m_editor->picCalendar, Qt::Key_Enter);
    QCOMPARE(m_editor->selectedDay(), 15);
    QTest::keyClick(&m_editor->picCalendar, Qt::Key_Tab);
    QVERIFY(m_editor->txtHour.hasFocus());
    QCOMPARE(focusDay(), 0);
    QTest::mouseClick(&m_editor->lblDate(20), Qt::LeftButton);
    QTest::keyClick(&m_editor->txtHour, Qt::Key_Backtab);
    QCOMPARE(focusDay(), 20);
}

QTEST_MAIN(CalendarTest)
#include "tst_calendar.moc"
