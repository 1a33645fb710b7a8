// SPDX-License-Identifier: GPL-3.0-or-later
// The Preferences window: opened from the tray with what is kept, worked
// from the keyboard alone, its sample of the sound, and how it reads in any
// colour scheme, font and scale. What a screen reader finds in it is in
// tst_accessibility; the window on a real desktop in e2e_preferences.
#include "support/Contrast.h"
#include "support/DarkPalette.h"
#include "support/ProgramUnderTest.h"

#include <QApplication>
#include <QFileDialog>
#include <QStyle>
#include <QTest>
#include <QTimer>

using namespace tickwell;
using namespace tickwell::test;

namespace {

Preferences chosenByHand()
{
    Preferences preferences;
    preferences.sound = Preferences::Sound::File;
    preferences.soundFile = "/home/ada/Music/Morning birds.oga";
    // Lengths the window does not offer itself: a file edited by hand.
    preferences.ringTime = std::chrono::minutes(30);
    preferences.gentleStart = false;
    preferences.snoozeMinutes = { 25, 60 };
    return preferences;
}

// The key goes where the keyboard's focus is, as a user's would.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    QVERIFY2(focus, "nothing has the keyboard's focus");
    QTest::keyClick(focus, key, modifiers);
}

QString focused()
{
    const QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensFromTheTrayWithWhatIsKept();
    void keptByTheKeyboardAloneOrForgotten();
    void aSaveThatFailsIsSaidAndTheWindowStays();
    void playsTheSoundAsItWouldRingAndClosingSilencesIt();
    void aFileIsChosenFromTheDesktopsFileDialog();
    void readsInAnyColourSchemeAndFont_data();
    void readsInAnyColourSchemeAndFont();

private:
    frmPreferences& open();

    std::unique_ptr<ProgramUnderTest> m_program;
};

void PreferencesTest::init()
{
    m_program = std::make_unique<ProgramUnderTest>();
    m_program->clock.set(2030, 3, 8, 21, 4, 30);
    m_program->start();
}

void PreferencesTest::cleanup()
{
    m_program.reset();
}

frmPreferences& PreferencesTest::open()
{
    forms::frmTaskbar->mnuPopupPreferences->trigger();
    frmPreferences& window = *forms::frmPreferences.instance();
    if (!QTest::qWaitForWindowActive(&window))
        qWarning("the Preferences window did not become active");
    // The offscreen platform does not tell of a window shown again that it
    // still counts as the one with the keyboard: a desktop does.
    if (QApplication::activeWindow() != &window)
        QApplication::setActiveWindow(&window);
    return window;
}

void PreferencesTest::opensFromTheTrayWithWhatIsKept()
{
    // Not made at the start: a clock whose preferences nobody opens does without it.
    QVERIFY(forms::frmPreferences.isEmpty());
    QVERIFY(!m_program->events.contains("load frmPreferences"));
    QCOMPARE(m_program->tray.menuEntries(),
        QStringList({ "Edit Alarms", "Deactivate Alarm Clock", "Shut Down Alarm Clock", "-", "Preferences...",
            "About..." }));

    m_program->preferences.kept = chosenByHand();
    frmPreferences& window = open();
    QCOMPARE(window.windowTitle(), "Tickwell Alarm Clock - Preferences");
    QVERIFY(window.optSound(1).value());
    QVERIFY(!window.optSound(0).value());
    QCOMPARE(window.txtSoundFile.text(), "/home/ada/Music/Morning birds.oga");
    QCOMPARE(window.cboRingTime.currentText(), "30 minutes");
    QStringList offered;
    for (int item = 0; item < window.cboRingTime.count(); ++item)
        offered << window.cboRingTime.itemText(item);
    QCOMPARE(
        offered, QStringList({ "Once", "1 minute", "5 minutes", "10 minutes", "20 minutes", "30 minutes" }));
    QVERIFY(!window.chkGentleStart.value());
    QCOMPARE(window.cboSnooze(0).currentText(), "25 minutes");
    QCOMPARE(window.cboSnooze(1).currentText(), "1 hour");
    QCOMPARE(window.cboSnooze(1).count(), int(snoozeChoices.size()));

    // Opened again while open: as the user left it, at the front.
    window.chkGentleStart.setValue(true);
    m_program->preferences.kept = Preferences {};
    open();
    QVERIFY(window.chkGentleStart.value());
    QVERIFY(window.optSound(1).value());
    // Closed and opened again: what is kept, the defaults now.
    window.cmdCancel.click();
    QVERIFY(!window.isVisible());
    open();
    QVERIFY(window.optSound(0).value());
    QCOMPARE(window.cboRingTime.currentText(), "5 minutes");
    QVERIFY(window.chkGentleStart.value());
    QCOMPARE(window.cboSnooze(0).currentText(), "10 minutes");
    QCOMPARE(window.cboSnooze(1).currentText(), "1 hour");
    QCOMPARE(window.cboRingTime.count(), int(ringTimeChoices.size()));
    QVERIFY(m_program->preferences.saved.empty());
}

void PreferencesTest::keptByTheKeyboardAloneOrForgotten()
{
    frmPreferences& window = open();
    // Tab goes through every control in the order they are read; the
    // sound's two choices are one stop, the arrow keys move between them.
    QCOMPARE(focused(), "optSound(0)");
    QStringList order { focused() };
    for (int stop = 0; stop < 10; ++stop) {
        press(Qt::Key_Tab);
        order << focused();
    }
    QCOMPARE(order,
        QStringList({ "optSound(0)", "txtSoundFile", "cmdBrowse", "cmdPlay", "cboRingTime", "chkGentleStart",
            "cboSnooze(0)", "cboSnooze(1)", "cmdOK", "cmdCancel", "optSound(0)" }));

    press(Qt::Key_Down); // the file
    QCOMPARE(focused(), "optSound(1)");
    QVERIFY(window.optSound(1).value());
    press(Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("/music/wake up.oga"));
    press(Qt::Key_Tab); // Browse...
    press(Qt::Key_Tab); // Play
    press(Qt::Key_Tab);
    QCOMPARE(focused(), "cboRingTime");
    press(Qt::Key_Down); // 10 minutes
    press(Qt::Key_Tab);
    press(Qt::Key_Space); // no gentle start
    press(Qt::Key_Tab);
    press(Qt::Key_Up); // 5 minutes
    press(Qt::Key_Tab);
    press(Qt::Key_Down); // 2 hours
    // Return keeps the choices, wherever the focus is but on Cancel.
    press(Qt::Key_Return);
    QVERIFY(!window.isVisible());
    QCOMPARE(m_program->preferences.saved.size(), 1u);
    Preferences expected;
    expected.sound = Preferences::Sound::File;
    expected.soundFile = "/music/wake up.oga";
    expected.ringTime = std::chrono::minutes(10);
    expected.gentleStart = false;
    expected.snoozeMinutes = { 5, 120 };
    QCOMPARE(m_program->preferences.saved.back(), expected);

    // Escape forgets what was changed.
    open();
    QCOMPARE(window.txtSoundFile.text(), "/music/wake up.oga");
    press(Qt::Key_Up); // the theme's alarm
    QVERIFY(window.optSound(0).value());
    press(Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(m_program->preferences.saved.size(), 1u);
    // As does the window's own close button; the name typed is kept with
    // the theme's alarm chosen, for going back to it.
    open();
    window.optSound(0).click();
    window.close();
    QVERIFY(forms::frmPreferences.isEmpty() || !forms::frmPreferences.instance()->isVisible());
    QCOMPARE(m_program->preferences.saved.size(), 1u);
    frmPreferences& again = open();
    QVERIFY(again.optSound(1).value());
    again.optSound(0).click();
    again.cmdOK.click();
    QCOMPARE(m_program->preferences.saved.back().sound, Preferences::Sound::Theme);
    QCOMPARE(m_program->preferences.saved.back().soundFile, "/music/wake up.oga");
}

void PreferencesTest::aSaveThatFailsIsSaidAndTheWindowStays()
{
    frmPreferences& window = open();
    // A file chosen, but none named: nothing is saved until one is.
    window.optSound(1).click();
    QCOMPARE(QApplication::focusWidget(), &window.txtSoundFile);
    window.cmdOK.click();
    QCOMPARE(m_program->messageBoxes.shown.size(), 1u);
    QCOMPARE(m_program->messageBoxes.shown[0].text, "Choose a sound file, or the sound theme's alarm.");
    QCOMPARE(m_program->messageBoxes.shown[0].style, MessageStyle::Exclamation);
    QVERIFY(window.isVisible());
    QVERIFY(m_program->preferences.saved.empty());

    window.optSound(0).click();
    m_program->preferences.failure = "No space left on device";
    window.cmdOK.click();
    QCOMPARE(m_program->messageBoxes.shown.size(), 2u);
    QCOMPARE(m_program->messageBoxes.shown[1].text,
        "The preferences could not be saved: No space left on device.");
    QCOMPARE(m_program->messageBoxes.shown[1].title, "Tickwell Alarm Clock");
    QVERIFY(window.isVisible());
    m_program->preferences.failure.clear();
    window.cmdOK.click();
    QVERIFY(!window.isVisible());
    QCOMPARE(m_program->preferences.saved.size(), 1u);
}

void PreferencesTest::playsTheSoundAsItWouldRingAndClosingSilencesIt()
{
    FakeAlarmSound& sound = m_program->sound;
    frmPreferences& window = open();
    window.cmdPlay.click();
    QCOMPARE(sound.played.size(), 1u);
    QCOMPARE(sound.played[0].file, "");
    QCOMPARE(sound.played[0].volume, 0.0);
    // Another sample cuts the first short; the file as typed, not yet kept.
    window.txtSoundFile.setText(QStringLiteral("/music/wake up.oga"));
    window.cmdPlay.click();
    QCOMPARE(sound.calls, QStringList({ "play 1", "stop 1", "play 2" }));
    QCOMPARE(sound.played[1].file, "/music/wake up.oga");
    window.cmdCancel.click();
    QCOMPARE(sound.calls.last(), "stop 2");
    // A sample played to its end is not silenced again.
    open();
    window.cmdPlay.click();
    sound.finish();
    window.cmdCancel.click();
    QCOMPARE(sound.calls.last(), "play 3");
}

void PreferencesTest::aFileIsChosenFromTheDesktopsFileDialog()
{
    const TemporaryDirectory music;
    const QString song = QString::fromStdString((music / "Morning birds.oga").string());
    writeFile(music / "Morning birds.oga", "OggS");
    frmPreferences& window = open();
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        caption = dialog->windowTitle();
        dialog->selectFile(song);
        static_cast<QDialog*>(dialog)->accept(); // as its Open button would
    });
    window.cmdBrowse.click();
    QCOMPARE(caption, "Choose the Alarm Sound");
    QCOMPARE(window.txtSoundFile.text(), song);
    QVERIFY(window.optSound(1).value());

    // Cancelled, it changes nothing.
    window.optSound(0).click();
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    window.cmdBrowse.click();
    QCOMPARE(window.txtSoundFile.text(), song);
    QVERIFY(window.optSound(0).value());
}

void PreferencesTest::readsInAnyColourSchemeAndFont_data()
{
    QTest::addColumn<QPalette>("scheme");
    QTest::addColumn<QFont>("font");
    QFont wide(QStringLiteral("DejaVu Sans"));
    wide.setPointSizeF(8.25);
    wide.setStretch(115);
    QTest::newRow("light") << QApplication::palette() << QFont();
    QTest::newRow("dark") << darkPalette() << QFont();
    // Wider than the font the window was laid out for.
    QTest::newRow("dark, a wide font") << darkPalette() << wide;
}

void PreferencesTest::readsInAnyColourSchemeAndFont()
{
    QFETCH(QPalette, scheme);
    QFETCH(QFont, font);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(scheme);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    m_program->preferences.kept = chosenByHand();
    frmPreferences& window = open();
    if (font != QFont())
        window.setFont(font);
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QImage picture = window.grab().toImage();
    for (QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        // Whole in the window, and clear of every other control.
        QVERIFY2(window.rect().contains(control->geometry()), qPrintable(control->objectName()));
        for (QWidget* other : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(other == control || !other->geometry().intersects(control->geometry()),
                qPrintable(control->objectName() + " overlaps " + other->objectName()));
        // Its text whole in its place: a box or button's mark beside it.
        const auto* button = qobject_cast<QAbstractButton*>(control);
        const auto* label = qobject_cast<Label*>(control);
        if (button || label) {
            const QString text = button ? button->text() : label->caption();
            int room = control->contentsRect().width();
            if (qobject_cast<const QCheckBox*>(control) || qobject_cast<const QRadioButton*>(control))
                room -= control->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control)
                    + control->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
            else if (qobject_cast<const QPushButton*>(control))
                room -= control->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, control)
                    + 2 * control->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, control);
            const int needed = control->fontMetrics().horizontalAdvance(text);
            QVERIFY2(needed <= room,
                qPrintable(QStringLiteral("%1 needs %2 of %3 pixels").arg(text).arg(needed).arg(room)));
        }
        // Text that reads on what it is painted on.
        if (label) {
            const QColor text = label->palette().color(label->foregroundRole());
            const Painted painted = paintedColours(picture, *label);
            const QString seen = QStringLiteral("%1: text %2 on %3, painted %4 on %5")
                                     .arg(label->objectName(), text.name(), backgroundBehind(*label).name(),
                                         painted.ink.name(), painted.background.name());
            QVERIFY2(contrast(text, backgroundBehind(*label)) >= 4.5, qPrintable(seen));
            QVERIFY2(contrast(painted.ink, painted.background) >= 4.5, qPrintable(seen));
        }
    }
}

QTEST_MAIN(PreferencesTest)
#include "tst_preferences.moc"
