#include "frame/desktop/MessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

namespace tickwell {

namespace {

void setUp(QMessageBox& box, const QString& text, MessageStyle style, const QString& title)
{
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    QString lines = text;
    box.setText(lines.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    box.setIcon(style == MessageStyle::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    if (style == MessageStyle::SystemModal)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

void QtMessageBoxes::prepare()
{
    QMessageBox box;
    setUp(box, QStringLiteral("Tickwell Alarm Clock\r\n\r\n(12:00 AM  Wednesday, September 25, 2030)"),
        MessageStyle::SystemModal, QStringLiteral("Tickwell Alarm Clock"));
    box.ensurePolished();
    box.adjustSize();
}

void QtMessageBoxes::MsgBox(const QString& text, MessageStyle style, const QString& title)
{
    QMessageBox box;
    setUp(box, text, style, title);

    if (style == MessageStyle::SystemModal) {
        // Above every program's windows, in the middle of the screen, with
        // the keyboard: a reminder must not wait unseen behind something.
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        box.adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = box.frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            box.move(frame.topLeft());
        }
        box.show();
        box.raise();
        box.activateWindow();
    }
    // (One at a time: a tick opens no second reminder while one is open.)
    const QPointer<QMessageBox> outer = m_reminder;
    if (style == MessageStyle::SystemModal)
        m_reminder = &box;
    box.exec();
    m_reminder = outer;
}

void QtMessageBoxes::raiseReminder()
{
    if (!m_reminder)
        return;
    m_reminder->setWindowState(m_reminder->windowState() & ~Qt::WindowMinimized);
    m_reminder->show();
    m_reminder->raise();
    m_reminder->activateWindow();
}

} // namespace tickwell
