// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader finds in the windows (the editor, About, the
// Preferences window) and the actions it can take, through Qt's
// accessibility interfaces. The names and the focus as the
// desktop's accessibility bus carries them are checked end to end
// (tests/e2e/test_keyboard.py).
#include "support/ProgramUnderTest.h"

#include "editor/CustomRepeat.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QTest>

#include <tuple>
#include <vector>

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
    void theRepeatChoiceIsNamedAndARepeatingAlarmSaysHow();
    void thePreferencesAreADialogWithEveryControlNamed();

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

void AccessibilityTest::theRepeatChoiceIsNamedAndARepeatingAlarmSaysHow()
{
    QAccessibleInterface* choice = accessible(m_editor->cboRepeat);
    QCOMPARE(choice->role(), QAccessible::ComboBox);
    const auto labels = choice->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.front().first->text(QAccessible::Name), "Repeat : ");
    QCOMPARE(choice->text(QAccessible::Value), "Never");

    m_editor->cboRepeat.setListIndex(2);
    QCOMPARE(choice->text(QAccessible::Value), "Weekdays");
    m_editor->lblDate_Click(11);
    m_editor->cmdSetAlarm.click();
    m_editor->cboRepeat.setListIndex(0);
    m_editor->lblDate_Click(12);
    m_editor->cmdSetAlarm.click();
    // The row is named by its date as before; how it repeats is its description.
    QAccessibleInterface* list = accessible(m_editor->lstAlarms);
    QCOMPARE(list->childCount(), 2);
    QAccessibleInterface* series = list->child(0);
    QCOMPARE(series->text(QAccessible::Name), "9:04 PM  Monday, March 11, 2030");
    QCOMPARE(series->text(QAccessible::Description), "Repeats weekdays");
    QCOMPARE(list->child(1)->text(QAccessible::Description), "");

    // The custom words' window is a dialog, its field named by its label.
    m_editor->cboRepeat.setListIndex(m_editor->cboRepeat.count() - 1);
    CustomRepeat* window = m_editor->findChild<CustomRepeat*>();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(accessible(*window)->role(), QAccessible::Dialog);
    QCOMPARE(name(*window), "Tickwell Alarm Clock - Custom Repeat");
    QCOMPARE(accessible(window->txtWords)->role(), QAccessible::EditableText);
    QCOMPARE(name(window->txtWords), "Repeat");
    QVERIFY(accessible(window->txtWords)->text(QAccessible::Description).startsWith("For example: "));
    // Why words are refused is told with the field.
    window->txtWords.setText(QStringLiteral("now and then"));
    window->cmdOK.click();
    QVERIFY(accessible(window->txtWords)->text(QAccessible::Description).contains("is no repetition"));
    window->cmdCancel.click();
}

void AccessibilityTest::thePreferencesAreADialogWithEveryControlNamed()
{
    forms::frmTaskbar->mnuPopupPreferences_Click();
    frmPreferences& window = *forms::frmPreferences.instance();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(accessible(window)->role(), QAccessible::Dialog);
    QCOMPARE(name(window), "Tickwell Alarm Clock - Preferences");

    const std::vector<std::tuple<QWidget*, QAccessible::Role, QString>> controls {
        { &window.optSound(0), QAccessible::RadioButton, "The sound theme's alarm" },
        { &window.optSound(1), QAccessible::RadioButton, "A sound file:" },
        { &window.txtSoundFile, QAccessible::EditableText, "Sound file" },
        { &window.cmdBrowse, QAccessible::Button, "Browse..." },
        { &window.cmdPlay, QAccessible::Button, "Play" },
        { &window.chkGentleStart, QAccessible::CheckBox, "Start softly, louder with each ring" },
        { &window.cmdOK, QAccessible::Button, "OK" },
        { &window.cmdCancel, QAccessible::Button, "Cancel" },
    };
    for (const auto& [control, role, named] : controls) {
        QCOMPARE(accessible(*control)->role(), role);
        QCOMPARE(name(*control), named);
    }
    QCOMPARE(accessible(window.cmdPlay)->text(QAccessible::Description), "Plays the alarm sound once");
    // A list is named by its label (on this desktop a screen reader reads
    // the label it is given, then what the list shows).
    const std::vector<std::pair<QWidget*, QString>> lists { { &window.cboRingTime, "Ring for:" },
        { &window.cboSnooze(0), "First snooze:" }, { &window.cboSnooze(1), "Second snooze:" } };
    for (const auto& [list, label] : lists) {
        QCOMPARE(accessible(*list)->role(), QAccessible::ComboBox);
        const auto labels = accessible(*list)->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.front().first->text(QAccessible::Name), label);
    }
    // What each shows, as a screen reader tells it.
    QVERIFY(accessible(window.optSound(0))->state().checked);
    QVERIFY(!accessible(window.optSound(1))->state().checked);
    QVERIFY(accessible(window.chkGentleStart)->state().checked);
    QCOMPARE(accessible(window.cboRingTime)->text(QAccessible::Value), "5 minutes");
    QCOMPARE(accessible(window.cboSnooze(1))->text(QAccessible::Value), "1 hour");

    // Acted on from assistive technology as by a click.
    accessible(window.chkGentleStart)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(!window.chkGentleStart.value());
    accessible(window.optSound(1))->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(window.optSound(1).value());
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
