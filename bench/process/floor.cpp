// The floor the clock is measured against: the least a Qt program of the
// clock's design costs. An icon in the notification area with a six-item
// menu, three windows that are made and never shown (one of them with about
// sixty controls), and a 100 ms timer that writes the present time into a
// label. No file, no alarm, nothing else.
#include <QApplication>
#include <QDateTime>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
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

// Sixty controls of the kinds the clock's editor has, the label that the
// timer writes first.
QLabel* fillWithControls(QWidget& window)
{
    window.resize(520, 420);
    auto* caption = new QLabel(&window);
    caption->setGeometry(8, 8, 400, 20);
    for (int i = 0; i < 38; ++i) {
        auto* label = new QLabel(QString::number(i % 31 + 1), &window);
        label->setGeometry(8 + i % 7 * 30, 40 + i / 7 * 22, 28, 20);
    }
    for (int i = 0; i < 8; ++i)
        new QLineEdit(&window);
    for (int i = 0; i < 10; ++i)
        new QPushButton(QStringLiteral("Button %1").arg(i), &window);
    new QListWidget(&window);
    new QListWidget(&window);
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
