#include "frame/desktop/MessageBoxes.h"

#include "frame/desktop/FreedMemory.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <utility>

namespace tickwell {

namespace {

// Only what differs is changed: a box made ready ahead keeps its button and
// its window, which a change of flags or buttons would make anew.
void setUp(QMessageBox& box, const QString& text, MessageStyle style, const QString& title)
{
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    QString lines = text;
    box.setText(lines.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    box.setIcon(style == MessageStyle::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (box.standardButtons() != QMessageBox::Ok)
        box.setStandardButtons(QMessageBox::Ok);
    if (box.windowModality() != Qt::ApplicationModal)
        box.setWindowModality(Qt::ApplicationModal);
    if (style == MessageStyle::SystemModal && !box.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

QtMessageBoxes::QtMessageBoxes() = default;

QtMessageBoxes::~QtMessageBoxes() = default;

void QtMessageBoxes::prepare()
{
    if (m_ready)
        return;
    // The first box of a run also loads the fonts, the style and the
    // button's icon; reading the icon theme leaves freed heap behind.
    auto box = std::make_unique<QMessageBox>();
    setUp(*box, QStringLiteral("Tickwell Alarm Clock\r\n\r\n(12:00 AM  Wednesday, September 25, 2030)"),
        MessageStyle::SystemModal, QStringLiteral("Tickwell Alarm Clock"));
    box->ensurePolished();
    box->adjustSize();
    // Its window too: made when the minute comes, it would hold up the box.
    box->winId();
    m_ready = std::move(box);
    returnFreedMemory();
}

void QtMessageBoxes::MsgBox(const QString& text, MessageStyle style, const QString& title)
{
    {
        // Taken before the box waits: a box opened meanwhile makes its own.
        std::unique_ptr<QMessageBox> box = style == MessageStyle::SystemModal && m_ready
            ? std::move(m_ready)
            : std::make_unique<QMessageBox>();
        show(*box, text, style, title);
    }
    returnFreedMemory();
}

void QtMessageBoxes::show(QMessageBox& box, const QString& text, MessageStyle style, const QString& title)
{
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
    box.exec();
}

} // namespace tickwell
