// SPDX-License-Identifier: GPL-3.0-or-later
// The floor the clock is measured against: the least a Qt program of the
// clock's design costs. An icon in the notification area with a six-item
// menu, three windows that are made and never shown (one of them with about
// sixty controls), and a 100 ms timer that writes the present time into a
// label. No file, no alarm, nothing else.
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace {

QIcon plainIcon()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setBrush(Qt::darkCyan);
    painter.drawEllipse(2, 2, 28, 28);
    return QIcon(picture);
}

// About sixty controls of the kinds the clock's editor has, holding text as
// its fields do: labels (a calendar's worth), three one-line fields, a
// drop-down list, a multi-line field, two lists, buttons and two frames. The
// label the timer writes comes first.
QLabel* fillWithControls(QWidget& window)
{
    window.resize(513, 342);
    auto* caption = new QLabel(&window);
    caption->setGeometry(8, 8, 400, 20);
    auto* calendar = new QFrame(&window);
    calendar->setGeometry(8, 60, 220, 160);
    for (int i = 0; i < 38; ++i) {
        auto* label = new QLabel(QString::number(i % 31 + 1), calendar);
        label->setGeometry(4 + i % 7 * 30, 4 + i / 7 * 22, 28, 20);
    }
    auto* time = new QFrame(&window);
    time->setGeometry(240, 60, 120, 30);
    for (const char* text : { "12", "00", "2030" }) {
        auto* field = new QLineEdit(QString::fromLatin1(text), time);
        field->setMaxLength(4);
    }
    auto* months = new QComboBox(&window);
    for (int month = 1; month <= 12; ++month)
        months->addItem(QLocale::c().monthName(month));
    new QPlainTextEdit(&window);
    new QListWidget(&window);
    new QListWidget(&window);
    for (const char* text : { "Set", "View", "Clear", "Clear All", "About", "Close" })
        new QPushButton(QString::fromLatin1(text), &window);
    for (const char* text : { "New", "Reminder", "Alarms", "Instructions", "AM" })
        new QLabel(QString::fromLatin1(text), &window);
    return caption;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QWidget about;
    new QLabel(QStringLiteral("About"), &about);
    QWidget editor;
    QLabel* presentTime = fillWithControls(editor);
    QWidget trayWindow;

    QMenu menu;
    for (const char* item : { "Edit", "Activate", "Deactivate", "About", "-", "Quit" }) {
        if (QLatin1String(item) == QLatin1String("-"))
            menu.addSeparator();
        else
            menu.addAction(QString::fromLatin1(item));
    }
    QObject::connect(menu.actions().last(), &QAction::triggered, &app, &QApplication::quit);
    QSystemTrayIcon icon(plainIcon());
    icon.setToolTip(QStringLiteral("Floor"));
    icon.setContextMenu(&menu);
    icon.show();

    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, presentTime, [presentTime] {
        presentTime->setText(QStringLiteral("It is now : ")
            + QDateTime::currentDateTime().toString(QStringLiteral("h:mm AP  dddd, MMMM d, yyyy")));
    });
    timer.start(100);
    return QApplication::exec();
}
