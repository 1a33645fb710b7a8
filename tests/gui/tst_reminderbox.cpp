// SPDX-License-Identifier: GPL-3.0-or-later
// The real reminder box: how it looks, and that it comes up over whatever
// the program has open, a popup menu or a modal window.
#include "support/ProgramUnderTest.h"

#include "frame/controls/Pictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace tickwell;
using namespace tickwell::test;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Information;
    QStringList buttons;
    bool staysOnTop = false;
    bool visible = false;
    QPoint centreOffset;
    // How high the text is shown, and how high its own lines are.
    int textHeight = 0;
    int linesHeight = 0;
    QWidget* popupLeftOpen = nullptr;
    QImage windowIcon;
};

// Shows a reminder box, looks at it as it is on screen, then presses its button.
SeenBox showAndLook(const QString& text, QtMessageBoxes&& boxes = QtMessageBoxes {})
{
    SeenBox seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            seen.buttons << button->text().remove(u'&');
        seen.staysOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        seen.visible = box->isVisible();
        seen.centreOffset
            = box->frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
        seen.popupLeftOpen = QApplication::activePopupWidget();
        seen.windowIcon = box->windowIcon().pixmap(32, 32).toImage();
        if (const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            seen.textHeight = label->contentsRect().height();
            seen.linesHeight
                = label->fontMetrics().boundingRect(QRect(0, 0, 5000, 5000), 0, seen.text).height();
        }
        QTest::mouseClick(box->buttons().front(), Qt::LeftButton);
    });
    boxes.MsgBox(text, MessageStyle::SystemModal, QStringLiteral("Tickwell Alarm Clock"));
    return seen;
}

void verifyCentred(const SeenBox& seen)
{
    // (QRect::center() rounds down on both rectangles.)
    QVERIFY2(qAbs(seen.centreOffset.x()) <= 3 && qAbs(seen.centreOffset.y()) <= 3,
        qPrintable(QStringLiteral("%1, %2").arg(seen.centreOffset.x()).arg(seen.centreOffset.y())));
}

void verifyReminderBox(const SeenBox& seen)
{
    QCOMPARE(seen.title, "Tickwell Alarm Clock");
    QCOMPARE(seen.text, "Call back\nthen lunch\n\n(9:31 AM  Saturday, October 5, 2030)");
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QStringList { "OK" });
    // No line broken in two: on a screen scaled to 1.5, the box once broke
    // the date line, whose year went to a line of its own.
    QVERIFY(seen.linesHeight > 0);
    QCOMPARE(seen.textHeight, seen.linesHeight);
    QVERIFY(seen.staysOnTop);
    QVERIFY(seen.visible);
    verifyCentred(seen);
    QCOMPARE(seen.popupLeftOpen, nullptr);
}

const QString reminder
    = QStringLiteral("Call back\r\nthen lunch\r\n\r\n(9:31 AM  Saturday, October 5, 2030)");

} // namespace

class ReminderBoxTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheReminderOnItsOwnLinesWithOkOnly();
    void aLongReminderWrapsInTheMiddleOfTheScreen();
    void closesAnOpenPopupMenuFirst();
    void comesUpOverAModalWindow();
    void preparingShowsNothing();
    void raisingBringsTheOpenReminderBackToTheKeyboard();
};

void ReminderBoxTest::showsTheReminderOnItsOwnLinesWithOkOnly()
{
    verifyReminderBox(showAndLook(reminder));
}

void ReminderBoxTest::aLongReminderWrapsInTheMiddleOfTheScreen()
{
    // The longest a reminder can be, on one line: wider than the box may grow.
    const QString longest
        = QStringLiteral("Water the ferns, feed the cat, ").repeated(4) + QStringLiteral("then");
    QCOMPARE(longest.size(), 128);
    const SeenBox seen
        = showAndLook(longest + QStringLiteral("\r\n\r\n(9:31 AM  Saturday, October 5, 2030)"));
    QVERIFY(seen.textHeight > seen.linesHeight); // wrapped
    verifyCentred(seen);
}

void ReminderBoxTest::closesAnOpenPopupMenuFirst()
{
    QMenu menu;
    menu.addAction(QStringLiteral("Shut Down Alarm Clock"));
    menu.popup(QPoint(600, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QCOMPARE(QApplication::activePopupWidget(), &menu);
    verifyReminderBox(showAndLook(reminder));
    QVERIFY(!menu.isVisible());
}

void ReminderBoxTest::comesUpOverAModalWindow()
{
    ProgramUnderTest program;
    program.start();
    SeenBox seen;
    bool aboutStillOpen = false;
    QTimer::singleShot(0, [&] {
        seen = showAndLook(reminder);
        aboutStillOpen = forms::frmAbout.instance()->isVisible();
        forms::frmAbout->Hide();
    });
    forms::frmAbout->ShowModal();
    verifyReminderBox(seen);
    QVERIFY(aboutStillOpen);
    // The clock's own icon, as every window of the program has: not a
    // window manager's stranger's icon.
    QVERIFY(!seen.windowIcon.isNull());
    QCOMPARE(seen.windowIcon, activeClockIcon().pixmap(32, 32).toImage());
}

void ReminderBoxTest::preparingShowsNothing()
{
    QtMessageBoxes boxes;
    boxes.prepare(std::chrono::milliseconds(60));
    boxes.prepare(std::chrono::milliseconds(60));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Just before its reminder comes, the box made ready goes to the middle
    // of the screen, still hidden.
    QMessageBox* ready = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        ready = ready ? ready : qobject_cast<QMessageBox*>(window);
    QVERIFY(ready);
    QTRY_COMPARE(
        ready->frameGeometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->metaObject()->className()));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // And the next reminder, in the box made ready, is as it should be.
    verifyReminderBox(showAndLook(reminder, std::move(boxes)));
}

void ReminderBoxTest::raisingBringsTheOpenReminderBackToTheKeyboard()
{
    QtMessageBoxes boxes;
    boxes.raiseReminder(); // none on show: nothing to do
    QWidget elsewhere;
    elsewhere.setWindowTitle(QStringLiteral("Another window"));
    QWidget* activeAfterRaise = nullptr;
    QWidget* reminderBox = nullptr;
    QTimer::singleShot(0, [&] {
        reminderBox = QApplication::activeModalWidget();
        // The user went elsewhere; then chose the reminder's notification.
        elsewhere.show();
        elsewhere.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &elsewhere);
        boxes.raiseReminder();
        QTRY_COMPARE(QApplication::activeWindow(), reminderBox);
        activeAfterRaise = QApplication::activeWindow();
        reminderBox->close();
    });
    // What goes with the box (the notification, whose action raises it)
    // comes once the box is on the screen, while it waits for the user.
    QWidget* upForTheNotification = nullptr;
    int goneWithTheBox = 0;
    boxes.MsgBox(reminder, MessageStyle::SystemModal, QStringLiteral("Tickwell Alarm Clock"), [&] {
        ++goneWithTheBox;
        upForTheNotification = QApplication::activeModalWidget();
        QVERIFY(upForTheNotification && upForTheNotification->isVisible());
        QVERIFY(upForTheNotification->windowHandle()->isExposed());
    });
    QCOMPARE(goneWithTheBox, 1);
    QVERIFY(reminderBox);
    QCOMPARE(upForTheNotification, reminderBox);
    QCOMPARE(activeAfterRaise, reminderBox);
    // Closed, it is no longer the one raised; a plain box is never raised.
    elsewhere.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &elsewhere);
    QTimer::singleShot(0, [&] {
        boxes.raiseReminder();
        activeAfterRaise = QApplication::activeWindow();
        QApplication::activeModalWidget()->close();
    });
    boxes.MsgBox(QStringLiteral("Viewed"), MessageStyle::Plain, QStringLiteral("Tickwell Alarm Clock"));
    QVERIFY(activeAfterRaise != reminderBox);
}

QTEST_MAIN(ReminderBoxTest)
#include "tst_reminderbox.moc"
