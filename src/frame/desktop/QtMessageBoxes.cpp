// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/MessageBoxes.h"

#include "frame/desktop/FreedMemory.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <utility>

namespace tickwell {

namespace {

// The box breaks its lines at half the screen's width, at most 500 pixels.
// Where the screen is small, or scaled up (1.5 times leaves 533 of 800
// pixels), half of it is less than a reminder's date line needs, which then
// lost its end to a line of its own. A box that has broken a line it has
// room for on the screen, up to those 500 pixels, is made wider by what
// that line lacks; only longer lines wrap.
void keepLinesWhole(QMessageBox& box)
{
    const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QScreen* screen = box.screen();
    QLayout* layout = box.layout();
    if (!label || !screen || !layout)
        return;
    const int around = box.width() - label->contentsRect().width();
    const int room = std::min(500, screen->availableGeometry().width() - around);
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString& line : label->text().split(QLatin1Char('\n'))) {
        const int width = metrics.size(Qt::TextSingleLine, line).width();
        if (width <= room)
            widest = std::max(widest, width);
    }
    const int missing = widest - label->contentsRect().width();
    if (missing <= 0)
        return;
    const int width = box.width() + missing;
    box.setFixedSize(width,
        layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                    : layout->totalMinimumSize().height());
}

void moveFrameCentreTo(QWidget& box, QPoint centre)
{
    QRect frame = box.frameGeometry();
    frame.moveCenter(centre);
    box.move(frame.topLeft());
}

// The box takes its final size only as it is shown (a long reminder wraps
// then, and the box narrows), so it is placed then, before it reaches the
// screen: a reminder in the middle of the screen, any other where Qt puts it.
class MessageBox final : public QMessageBox {
public:
    explicit MessageBox(bool centredOnScreen)
        : m_centredOnScreen(centredOnScreen)
    {
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        const QScreen* onScreen = screen();
        const QPoint centre = m_centredOnScreen && onScreen ? onScreen->availableGeometry().center()
                                                            : frameGeometry().center();
        keepLinesWhole(*this);
        moveFrameCentreTo(*this, centre);
    }

private:
    bool m_centredOnScreen;
};

// Runs what goes with a box once the box is on the screen: the window
// manager takes a new window on in a few milliseconds, and a notification
// service woken meanwhile (or a desktop shell that is both) would take them
// from it. A box the desktop never shows does not hold it back for long.
class WhenOnScreen final : public QObject {
public:
    WhenOnScreen(QWidget& box, const std::function<void()>& then)
        : m_then(then)
    {
        using namespace std::chrono_literals;
        box.winId();
        box.windowHandle()->installEventFilter(this);
        QTimer::singleShot(250ms, this, &WhenOnScreen::run);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // After the expose has been handled: the box is painted first.
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed())
            QTimer::singleShot(0, this, &WhenOnScreen::run);
        return false;
    }

private:
    void run()
    {
        if (const std::function<void()> then = std::exchange(m_then, {}))
            then();
    }

    std::function<void()> m_then;
};

// Only what differs is changed: a box made ready ahead keeps its button and
// its window, which a change of flags or buttons would make anew.
void setUp(QMessageBox& box, const QString& text, MessageStyle style, const QString& title)
{
    box.setWindowTitle(title);
    // The format and the icon each lay the whole box out anew, even unchanged.
    if (box.textFormat() != Qt::PlainText)
        box.setTextFormat(Qt::PlainText);
    QString lines = text;
    box.setText(lines.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    const QMessageBox::Icon icon
        = style == MessageStyle::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
    if (box.icon() != icon)
        box.setIcon(icon);
    if (box.standardButtons() != QMessageBox::Ok)
        box.setStandardButtons(QMessageBox::Ok);
    if (box.windowModality() != Qt::ApplicationModal)
        box.setWindowModality(Qt::ApplicationModal);
    if (style == MessageStyle::SystemModal && !box.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

QtMessageBoxes::QtMessageBoxes()
{
    m_placing.setSingleShot(true);
    m_placing.setTimerType(Qt::PreciseTimer);
    // Where a reminder box shows, as far as its size before it shows tells.
    m_placing.callOnTimeout([this] {
        if (m_ready && m_ready->screen())
            moveFrameCentreTo(*m_ready, m_ready->screen()->availableGeometry().center());
    });
}

QtMessageBoxes::~QtMessageBoxes() = default;

void QtMessageBoxes::prepare(std::chrono::milliseconds comesIn)
{
    using namespace std::chrono_literals;
    // Placed this long before its minute. The X server and the window
    // manager have slept since the minute before, and so has the clock
    // while hidden: woken for the placing (the window manager handles a
    // move of a window that is not on screen yet), they take the box on
    // milliseconds sooner at the minute. Measured on the real clock, a
    // plain window came 4 ms sooner for it (p50 7 ms against 11 ms).
    constexpr auto placeAhead = 50ms;
    if (comesIn > placeAhead)
        m_placing.start(comesIn - placeAhead);
    if (m_ready)
        return;
    // The first box of a run also loads the fonts, the style and the
    // button's icon; reading the icon theme leaves freed heap behind.
    std::unique_ptr<QMessageBox> box = std::make_unique<MessageBox>(true);
    setUp(*box, QStringLiteral("Tickwell Alarm Clock\r\n\r\n(12:00 AM  Wednesday, September 25, 2030)"),
        MessageStyle::SystemModal, QStringLiteral("Tickwell Alarm Clock"));
    box->ensurePolished();
    box->adjustSize();
    // Its window too: made when the minute comes, it would hold up the box.
    box->winId();
    m_ready = std::move(box);
    returnFreedMemory();
}

void QtMessageBoxes::MsgBox(
    const QString& text, MessageStyle style, const QString& title, const std::function<void()>& onScreen)
{
    if (m_closed) {
        QString line = text;
        line.replace(QLatin1String("\r\n"), QLatin1String(" "));
        std::fprintf(stderr, "tickwell: %s: %s\n", qPrintable(title), qPrintable(line));
        return;
    }
    {
        // Taken before the box waits: a box opened meanwhile makes its own.
        const bool reminder = style == MessageStyle::SystemModal;
        std::unique_ptr<QMessageBox> box
            = reminder && m_ready ? std::move(m_ready) : std::make_unique<MessageBox>(reminder);
        show(*box, text, style, title, onScreen);
    }
    returnFreedMemory();
}

int QtMessageBoxes::Ask(const QString& text, const QString& title, const QStringList& choices)
{
    const int last = int(choices.size()) - 1;
    if (m_closed)
        return last;
    MessageBox box(false);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    QString lines = text;
    box.setText(lines.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    box.setIcon(QMessageBox::Question);
    box.setWindowModality(Qt::ApplicationModal);
    std::vector<QPushButton*> buttons;
    for (int i = 0; i <= last; ++i)
        buttons.push_back(
            box.addButton(choices[i], i == last ? QMessageBox::RejectRole : QMessageBox::ActionRole));
    if (!buttons.empty()) {
        box.setDefaultButton(buttons.front());
        box.setEscapeButton(buttons.back());
    }
    m_open.emplace_back(&box);
    box.exec();
    std::erase(m_open, QPointer<QMessageBox>(&box));
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? last : int(chosen - buttons.begin());
}

void QtMessageBoxes::show(QMessageBox& box, const QString& text, MessageStyle style, const QString& title,
    const std::function<void()>& onScreen)
{
    const bool reminder = style == MessageStyle::SystemModal;
    setUp(box, text, style, title);
    const std::optional<WhenOnScreen> whenOnScreen
        = onScreen ? std::make_optional<WhenOnScreen>(box, onScreen) : std::nullopt;

    if (reminder) {
        // Above every program's windows, in the middle of the screen, with
        // the keyboard: a reminder must not wait unseen behind something.
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        box.show();
        box.raise();
        box.activateWindow();
    }
    // (One at a time: a tick opens no second reminder while one is open.)
    const QPointer<QMessageBox> outer = m_reminder;
    if (style == MessageStyle::SystemModal)
        m_reminder = &box;
    m_open.emplace_back(&box);
    box.exec();
    std::erase(m_open, QPointer<QMessageBox>(&box));
    m_reminder = outer;
}

void QtMessageBoxes::closeAll()
{
    m_closed = true;
    m_placing.stop();
    m_ready.reset();
    // Innermost first: each box's own loop ends as its handler returns.
    for (auto box = m_open.rbegin(); box != m_open.rend(); ++box) {
        if (*box)
            (*box)->done(QMessageBox::Ok);
    }
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

void QtMessageBoxes::closeReminder()
{
    // Its loop ends once whatever called this has returned to it.
    if (m_reminder)
        m_reminder->done(QMessageBox::Ok);
}

} // namespace tickwell
