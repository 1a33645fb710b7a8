// SPDX-License-Identifier: GPL-3.0-or-later
// The editor window as laid out, and the toolkit controls it is built from.
#include "support/Contrast.h"
#include "support/DarkPalette.h"
#include "support/ProgramUnderTest.h"

#include "frame/controls/WindowFont.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

using namespace tickwell;
using namespace tickwell::test;

class EditorLayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void hasItsCaptionAndFixedSize();
    void placesEveryControl_data();
    void placesEveryControl();
    void tabsThroughTheControlsInOrder();
    void limitsTheReminderTo128CharactersWhenTypedOrPasted();
    void limitsTheTimeFieldsToTwoCharacters();
    void showsTheDesignTimeTextsBeforeTheyAreReplaced();
    void monthListClicksOnEverySetFromCode();
    void spinControlWritesItsBuddyFirstAndStopsAtTheBounds();
    void captionsAndButtonsFitWhateverTheFont_data();
    void captionsAndButtonsFitWhateverTheFont();
    void textReadsOnItsBackgroundInAnyColourScheme_data();
    void textReadsOnItsBackgroundInAnyColourScheme();

private:
    std::unique_ptr<ProgramUnderTest> m_program;
    frmMain* m_editor = nullptr;
};

void EditorLayoutTest::init()
{
    m_program = std::make_unique<ProgramUnderTest>();
    m_program->start();
    m_editor = &m_program->editor();
}

void EditorLayoutTest::cleanup()
{
    m_program.reset();
}

void EditorLayoutTest::hasItsCaptionAndFixedSize()
{
    QCOMPARE(m_editor->windowTitle(), "Tickwell Alarm Clock - Alarm Editor");
    QCOMPARE(m_editor->minimumSize(), QSize(513, 342));
    QCOMPARE(m_editor->maximumSize(), QSize(513, 342));
}

void EditorLayoutTest::placesEveryControl_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char* name, const char* parent, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(parent) << QRect(l, t, w, h);
    };
    row("lblCurrentTimeDate", "frmMain", 3120, 240, 4455, 255);
    row("lblAlarmTimeDate", "frmMain", 3120, 600, 4455, 255);
    row("lblNewAlarm", "frmMain", 240, 150, 975, 255);
    row("cboMonth", "frmMain", 240, 420, 1500, 315);
    row("txtYear", "frmMain", 1920, 420, 660, 315);
    row("updYear", "frmMain", 2625, 435, 195, 285);
    row("picCalendar", "frmMain", 240, 900, 2580, 1845);
    row("picTime", "frmMain", 240, 2940, 975, 345);
    row("cmdSetAlarm", "frmMain", 1440, 2940, 1335, 375);
    // The repeat choice's row is taken from the reminder box.
    row("lblRepeat", "frmMain", 300, 3450, 780, 255);
    row("cboRepeat", "frmMain", 1080, 3405, 1740, 315);
    row("lblReminder", "frmMain", 300, 3810, 2415, 255);
    row("txtReminder", "frmMain", 240, 4050, 2580, 825);
    row("lblExistingAlarms", "frmMain", 3240, 1050, 1335, 255);
    row("lstAlarms", "frmMain", 3240, 1320, 4215, 1425);
    row("cmdViewReminder", "frmMain", 3240, 2880, 1335, 375);
    row("cmdClearAlarm(0)", "frmMain", 4680, 2880, 1335, 375);
    row("cmdClearAlarm(1)", "frmMain", 6120, 2880, 1335, 375);
    row("lstReminders", "frmMain", 6480, 3360, 1095, 255);
    row("lblInstructions", "frmMain", 3120, 3720, 4455, 615);
    row("cmdAbout", "frmMain", 4800, 4560, 1335, 375);
    row("cmdClose", "frmMain", 6240, 4560, 1335, 375);
    row("Shape1", "frmMain", 120, 240, 2805, 4755);
    row("Shape2", "frmMain", 135, 255, 2805, 4755);
    row("Shape3", "frmMain", 3120, 1140, 4440, 2235);
    row("Shape4", "frmMain", 3135, 1155, 4440, 2235);
    row("txtHour", "picTime", 30, 30, 225, 225);
    row("lblColon(0)", "picTime", 255, 30, 120, 225);
    row("txtMin", "picTime", 360, 30, 225, 225);
    row("lblAMPM", "picTime", 630, 30, 255, 225);
    row("lblDay(1)", "picCalendar", 0, 0, 360, 255);
    row("lblDay(7)", "picCalendar", 2160, 0, 360, 255);
    row("lblDate(1)", "picCalendar", 0, 255, 360, 255);
    row("lblDate(9)", "picCalendar", 360, 495, 360, 255);
    row("lblDate(31)", "picCalendar", 720, 1215, 360, 255);
}

void EditorLayoutTest::placesEveryControl()
{
    QFETCH(QString, parent);
    QFETCH(QRect, twips);
    // Where the window puts them before any code has run on it.
    const frmMain fresh(m_program->services);
    const auto* control = fresh.findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    const QRect pixels = control->geometry();
    QCOMPARE(QRect(pixels.x() * 15, pixels.y() * 15, pixels.width() * 15, pixels.height() * 15), twips);
}

void EditorLayoutTest::tabsThroughTheControlsInOrder()
{
    const QStringList expected { "cboMonth", "txtYear", "updYear", "picCalendar", "txtHour", "txtMin",
        "cboRepeat", "lstAlarms", "cmdSetAlarm", "cmdClose", "cmdClearAlarm(0)", "cmdClearAlarm(1)",
        "txtReminder", "cmdViewReminder", "cmdAbout" };
    QStringList order;
    QWidget* control = &m_editor->cboMonth;
    do {
        if (control->focusPolicy() & Qt::TabFocus && control->isVisibleTo(m_editor))
            order << control->objectName();
        control = control->nextInFocusChain();
    } while (control != &m_editor->cboMonth && order.size() < 40);
    QCOMPARE(order, expected);
    QVERIFY(!m_editor->lstReminders.isVisibleTo(m_editor));
}

void EditorLayoutTest::limitsTheReminderTo128CharactersWhenTypedOrPasted()
{
    MultiLineTextBox& reminder = m_editor->txtReminder;
    QTest::keyClicks(&reminder, QString(127, QLatin1Char('a')));
    QTest::keyClick(&reminder, Qt::Key_B);
    QTest::keyClick(&reminder, Qt::Key_C); // the 129th
    QCOMPARE(reminder.text(), QString(127, QLatin1Char('a')) + "b");

    // A line break counts as the CR LF it is stored as.
    reminder.setText(QString(126, QLatin1Char('a')));
    reminder.moveCursor(QTextCursor::End);
    QTest::keyClick(&reminder, Qt::Key_Return);
    QCOMPARE(reminder.text(), QString(126, QLatin1Char('a')) + "\r\n");
    reminder.setText(QString(127, QLatin1Char('a')));
    reminder.moveCursor(QTextCursor::End);
    QTest::keyClick(&reminder, Qt::Key_Return);
    QCOMPARE(reminder.text(), QString(127, QLatin1Char('a')));

    reminder.setText(QString(120, QLatin1Char('a')));
    reminder.moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("0123456789"));
    reminder.paste();
    QCOMPARE(reminder.text(), QString(120, QLatin1Char('a')) + "01234567");

    // Line and paragraph separators become line breaks too, and cost as much.
    reminder.setText(QString(120, QLatin1Char('a')));
    reminder.moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(
        QString(10, QChar::LineSeparator) + QString(10, QChar::ParagraphSeparator));
    reminder.paste();
    QCOMPARE(reminder.text(), QString(120, QLatin1Char('a')) + QString("\r\n").repeated(4));

    // Pasting over a selection has the selection's room too.
    reminder.selectAll();
    QApplication::clipboard()->setText(QString(200, QLatin1Char('x')));
    reminder.paste();
    QCOMPARE(reminder.text(), QString(128, QLatin1Char('x')));

    // Every character the file stores counts: format characters typed (a
    // zero-width space, a soft hyphen) and characters typed with AltGr; a
    // character outside the Basic Multilingual Plane is one, not two.
    const auto type = [&reminder](const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, modifiers, text);
        QApplication::sendEvent(&reminder, &press);
    };
    reminder.setText(QString(126, QLatin1Char('a')));
    reminder.moveCursor(QTextCursor::End);
    for (int i = 0; i < 5; ++i) {
        type(QStringLiteral("\u200b"));
        type(QStringLiteral("\u00ad"));
        type(QStringLiteral("@"), Qt::ControlModifier | Qt::AltModifier);
    }
    QCOMPARE(reminder.text(), QString(126, QLatin1Char('a')) + QStringLiteral("\u200b\u00ad"));
    reminder.setText(QString(127, QLatin1Char('a')));
    reminder.moveCursor(QTextCursor::End);
    type(QStringLiteral("\U0001F514"));
    type(QStringLiteral("\U0001F514"));
    QCOMPARE(reminder.text(), QString(127, QLatin1Char('a')) + QStringLiteral("\U0001F514"));
}

void EditorLayoutTest::limitsTheTimeFieldsToTwoCharacters()
{
    for (TextBox* field : { &m_editor->txtHour, &m_editor->txtMin }) {
        field->clear();
        QTest::keyClicks(field, QStringLiteral("123"));
        QCOMPARE(field->text(), "12");
    }
}

void EditorLayoutTest::showsTheDesignTimeTextsBeforeTheyAreReplaced()
{
    const frmMain fresh(m_program->services);
    QCOMPARE(fresh.txtYear.text(), "1998");
    QVERIFY(fresh.txtYear.isReadOnly());
    QCOMPARE(fresh.updYear.value(), 1997);
    QCOMPARE(fresh.txtHour.text(), "00");
    QCOMPARE(fresh.txtMin.text(), "00");
    QCOMPARE(fresh.lblAMPM.caption(), "XM");
    QCOMPARE(fresh.lblCurrentTimeDate.caption(), "Current Time/Date");
    QCOMPARE(fresh.lblAlarmTimeDate.caption(), "New Alarm Time/Date");
    QCOMPARE(fresh.lblAMPM.toolTip(), "Click to Toggle AM/PM");
    QCOMPARE(fresh.lblDay(1).caption(), "Sun");
    QCOMPARE(fresh.lblDay(7).caption(), "Sat");
    QCOMPARE(fresh.lblExistingAlarms.caption(), "Exisiting Alarms");
    for (int d = 1; d <= 31; ++d)
        QVERIFY(!fresh.lblDate(d).isVisibleTo(&fresh));
    QVERIFY(fresh.lblInstructions.caption().contains("text box.  Hitting"));
    QVERIFY(!fresh.tmrTimer.enabled());

    // Loading replaces every one of them.
    QVERIFY(m_editor->txtYear.text() != "1998");
    QVERIFY(m_editor->lblAMPM.caption() != "XM");
    QVERIFY(m_editor->lblCurrentTimeDate.caption().startsWith("It is now : "));
    QVERIFY(m_editor->lblAlarmTimeDate.caption().startsWith("New Alarm : "));
    // The texts are fitted to the fonts as the window shows.
    m_editor->show();
    const Label& instructions = m_editor->lblInstructions;
    QVERIFY(instructions.heightForWidth(instructions.width()) <= instructions.height());
}

void EditorLayoutTest::monthListClicksOnEverySetFromCode()
{
    ComboBox& months = m_editor->cboMonth;
    QCOMPARE(months.count(), 12);
    QCOMPARE(months.itemText(0), "January");
    QCOMPARE(months.itemText(11), "December");
    QSignalSpy clicks(&months, &ComboBox::click);
    months.setListIndex(3);
    months.setListIndex(3);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(months.listIndex(), 3);
}

void EditorLayoutTest::spinControlWritesItsBuddyFirstAndStopsAtTheBounds()
{
    SpinControl& spin = m_editor->updYear;
    QStringList seenAtChange;
    connect(&spin, &SpinControl::change, this, [&] { seenAtChange << m_editor->txtYear.text(); });
    spin.setValue(2098);
    spin.stepUp();
    spin.stepUp(); // stops at 2099
    QCOMPARE(seenAtChange, QStringList({ "2098", "2099" }));
    spin.setValue(1900);
    QCOMPARE(spin.value(), 1980);
    QCOMPARE(m_editor->txtYear.text(), "1980");
    spin.stepDown();
    QCOMPARE(spin.value(), 1980);

    // The arrow keys step it as well.
    spin.setFocus();
    QTest::keyClick(&spin, Qt::Key_Up);
    QCOMPARE(m_editor->txtYear.text(), "1981");
}

void EditorLayoutTest::captionsAndButtonsFitWhateverTheFont_data()
{
    QTest::addColumn<QFont>("font");
    QTest::addColumn<bool>("narrow");
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8.25);
    QTest::newRow("the window's own") << windowFont() << false;
    // What a desktop without Tahoma offers instead: wider.
    QTest::newRow("DejaVu Sans") << font << false;
    font.setStretch(115);
    QTest::newRow("wider still") << font << false;
    font.setStretch(70);
    QTest::newRow("narrow") << font << true;
}

void EditorLayoutTest::captionsAndButtonsFitWhateverTheFont()
{
    QFETCH(QFont, font);
    QFETCH(bool, narrow);
    // The widest captions there are: the longest weekday and month.
    m_program->clock.set(2026, 9, 30, 12, 0);
    m_editor->InitTimeDate();
    // Hidden, nothing is measured: reading the fonts waits until the window
    // is first shown, and does not hold up the start.
    QCoreApplication::processEvents();
    QVERIFY(!m_editor->lblAlarmTimeDate.testAttribute(Qt::WA_WState_Polished));
    m_editor->show();
    m_editor->setFont(font);
    QCOMPARE(m_editor->lblAlarmTimeDate.caption(), "New Alarm : 12:00 PM  Wednesday, September 30, 2026");

    for (const Label* label : { &m_editor->lblCurrentTimeDate, &m_editor->lblAlarmTimeDate }) {
        const int needed = label->fontMetrics().size(Qt::TextSingleLine, label->caption()).width();
        QVERIFY2(needed <= label->contentsRect().width(),
            qPrintable(QStringLiteral("%1 needs %2 of %3 pixels at %4 points")
                           .arg(label->caption())
                           .arg(needed)
                           .arg(label->contentsRect().width())
                           .arg(label->font().pointSizeF())));
        QCOMPARE(label->font().pointSizeF() == font.pointSizeF(), narrow);
    }
    for (const QPushButton* button : m_editor->findChildren<QPushButton*>()) {
        const QStyle* style = button->style();
        const int room = button->width() - style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button)
            - 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        const int needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
        QVERIFY2(needed <= room,
            qPrintable(QStringLiteral("%1 needs %2 of %3 pixels").arg(button->text()).arg(needed).arg(room)));
        if (narrow)
            QCOMPARE(button->font().pointSizeF(), font.pointSizeF());
    }
}

void EditorLayoutTest::textReadsOnItsBackgroundInAnyColourScheme_data()
{
    QTest::addColumn<QPalette>("scheme");
    QTest::newRow("light") << QApplication::palette();
    QTest::newRow("dark") << darkPalette();
    QPalette lightFields = darkPalette();
    lightFields.setColor(QPalette::Base, Qt::white);
    lightFields.setColor(QPalette::Text, Qt::black);
    QTest::newRow("dark windows, light fields") << lightFields;
}

void EditorLayoutTest::textReadsOnItsBackgroundInAnyColourScheme()
{
    QFETCH(QPalette, scheme);
    const QPalette before = QApplication::palette();
    QApplication::setPalette(scheme);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
    m_editor->Show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor));

    QList<QWidget*> controls { &m_editor->lblColon(0), &m_editor->lblAMPM, &m_editor->txtHour,
        &m_editor->txtMin };
    for (int d = 1; d <= 31; ++d)
        if (m_editor->lblDate(d).isVisible())
            controls << &m_editor->lblDate(d);
    for (int k = 1; k <= 7; ++k)
        controls << &m_editor->lblDay(k);
    const QImage window = m_editor->grab().toImage();
    for (QWidget* control : controls) {
        const QColor text = control->palette().color(control->foregroundRole());
        const QColor background = backgroundBehind(*control);
        const Painted painted = paintedColours(window, *control);
        const QString seen = QStringLiteral("%1: text %2 on %3, %4:1; painted %5 on %6, %7:1")
                                 .arg(control->objectName(), text.name(), background.name())
                                 .arg(contrast(text, background), 0, 'f', 2)
                                 .arg(painted.ink.name(), painted.background.name())
                                 .arg(contrast(painted.ink, painted.background), 0, 'f', 2);
        QVERIFY2(contrast(text, background) >= 4.5, qPrintable(seen));
        // As painted, too: the roles are what shows.
        QVERIFY2(painted.background == background, qPrintable(seen));
        QVERIFY2(contrast(painted.ink, painted.background) >= 4.5, qPrintable(seen));
    }
}

QTEST_MAIN(EditorLayoutTest)
#include "tst_editorlayout.moc"
