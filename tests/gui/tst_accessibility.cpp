// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader finds in the windows and the actions it can take,
// through Qt's accessibility interfaces. The names and the focus as the
// desktop's accessibility bus carries them are checked end to end
// (tests/e2e/test_keyboard.py).
#include "support/ProgramUnderTest.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QTest>

using namespace tickwell;
using namespace tickwell::test;

namespace {

QAccessibleInterface* accessible(QObject& object)
{
    return QAccessible::queryAccessibleInterface(&object);
}

QString name(QObject& object)
{
    return accessible(object)->text(QAccessible::Name);
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void theWindowsAreWindowsAndTheAboutBoxADialog();
    void theYearIsASpinButtonWithItsValue();
    void theDaysArePressableItemsNamedByTheirDates();
    void amPmIsAButtonNamedByItsState();

private:
    std::unique_ptr<ProgramUnderTest> m_program;
    frmMain* m_editor = nullptr;
};

void AccessibilityTest::init()
{
    m_program = std::make_unique<ProgramUnderTest>();
    m_program->clock.set(2030, 3, 8, 21, 4, 30);
    m_program->start();
    m_editor = &m_program->editor();
    m_editor->Show();
    QVERIFY(QTest::qWaitForWindowActive(m_editor));
}

void AccessibilityTest::cleanup()
{
    m_program.reset();
}

void AccessibilityTest::theWindowsAreWindowsAndTheAboutBoxADialog()
{
    QCOMPARE(accessible(*m_editor)->role(), QAccessible::Window);
    QCOMPARE(name(*m_editor), "Tickwell Alarm Clock - Alarm Editor");
    QCOMPARE(accessible(*forms::frmTaskbar)->role(), QAccessible::Window);
    // Without a title of its own, the About box is named by the program's name it shows.
    QCOMPARE(accessible(*forms::frmAbout)->role(), QAccessible::Dialog);
    QCOMPARE(name(*forms::frmAbout), "Tickwell Alarm Clock v1.1");
}

void AccessibilityTest::theYearIsASpinButtonWithItsValue()
{
    QAccessibleInterface* spin = accessible(m_editor->updYear);
    QCOMPARE(spin->role(), QAccessible::SpinBox);
    QAccessibleValueInterface* value = spin->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->currentValue().toInt(), 2030);
    QCOMPARE(value->minimumValue().toInt(), 1980);
    QCOMPARE(value->maximumValue().toInt(), 2099);
    QCOMPARE(spin->text(QAccessible::Value), "2030");

    // Stepping from assistive technology goes the way of the arrows.
    spin->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    QCOMPARE(m_editor->txtYear.text(), "2031");
    QCOMPARE(name(m_editor->picCalendar), "March 2031");
    value->setCurrentValue(2100);
    QCOMPARE(m_editor->txtYear.text(), "2099");
}

void AccessibilityTest::theDaysArePressableItemsNamedByTheirDates()
{
    QCOMPARE(accessible(m_editor->picCalendar)->role(), QAccessible::List);
    QAccessibleInterface* today = accessible(m_editor->lblDate(8));
    QCOMPARE(today->role(), QAccessible::ListItem);
    QCOMPARE(today->text(QAccessible::Name), "Friday, March 8, 2030");
    QVERIFY(today->state().selectable);
    QVERIFY(today->state().selected);
    QCOMPARE(accessible(m_editor->lblDate(31))->text(QAccessible::Name), "Sunday, March 31, 2030");
    // The weekday headers stay what they are.
    QCOMPARE(accessible(m_editor->lblDay(1))->role(), QAccessible::StaticText);

    // Pressing a day picks it, as a click would.
    QAccessibleInterface* twelfth = accessible(m_editor->lblDate(12));
    QVERIFY(twelfth->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    twelfth->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_editor->selectedDay(), 12);
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 9:04 PM  Tuesday, March 12, 2030");
    QVERIFY(twelfth->state().selected);
    QVERIFY(!today->state().selected);

    // Another month: the days are named anew, the picked one still selected,
    // the days the month lacks are not shown.
    m_editor->cboMonth.setListIndex(3);
    QCOMPARE(name(m_editor->picCalendar), "April 2030");
    QCOMPARE(name(m_editor->lblDate(12)), "Friday, April 12, 2030");
    QVERIFY(accessible(m_editor->lblDate(12))->state().selected);
    QVERIFY(accessible(m_editor->lblDate(31))->state().invisible);
}

void AccessibilityTest::amPmIsAButtonNamedByItsState()
{
    QAccessibleInterface* half = accessible(m_editor->lblAMPM);
    QCOMPARE(half->role(), QAccessible::Button);
    QCOMPARE(half->text(QAccessible::Name), "PM");
    QCOMPARE(half->text(QAccessible::Description), "Click to Toggle AM/PM");
    half->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_editor->lblAMPM.caption(), "AM");
    QCOMPARE(half->text(QAccessible::Name), "AM");
    QCOMPARE(m_editor->newAlarmDate(), *DateValue::fromParts(2030, 3, 8, 9, 4));
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
