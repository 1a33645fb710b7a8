// SPDX-License-Identifier: GPL-3.0-or-later
// Writes every picture as PNG files for a look by eye, not a test:
//     cmake --build --preset dev --target pictures      (into build/dev/pictures)
// The tray icons at 16, 22, 24, 32 and 64 pixels on a light and a dark panel,
// with one sheet of them all magnified four times; the About pictures on black.
#include "frame/controls/Pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>

#include <cstdio>
#include <utility>

using namespace tickwell;

namespace {

QImage onBackground(const QPixmap& picture, const QColor& background)
{
    QImage result(picture.size(), QImage::Format_ARGB32);
    result.fill(background);
    QPainter(&result).drawPixmap(0, 0, picture);
    return result;
}

QImage magnified(const QImage& image)
{
    return image.scaled(image.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    bool saved = folder.mkpath(QStringLiteral("."));
    const auto save = [&](const QImage& image, const QString& name) {
        saved = image.save(folder.filePath(name + QStringLiteral(".png"))) && saved;
    };

    const QList<std::pair<QString, QIcon>> icons { { "clock-active", activeClockIcon() },
        { "clock-inactive", inactiveClockIcon() },
        { "tickwell", QIcon(QStringLiteral(TICKWELL_RESOURCES_DIR "/tickwell.svg")) } };
    const QList<std::pair<QString, QColor>> panels { { "light", QColor(0xef, 0xef, 0xef) },
        { "dark", QColor(0x2b, 0x2b, 0x2b) } };
    const QList<int> sizes { 16, 22, 24, 32, 64 };
    constexpr int gap = 6, rowHeight = 72, panelWidth = gap + 16 + 22 + 24 + 32 + 64 + 5 * gap;

    QImage sheet(int(panels.size()) * panelWidth, int(icons.size()) * rowHeight, QImage::Format_ARGB32);
    QPainter painter(&sheet);
    for (int row = 0; row < int(icons.size()); ++row) {
        const auto& [iconName, icon] = icons[row];
        for (int column = 0; column < int(panels.size()); ++column) {
            const auto& [panelName, panel] = panels[column];
            int x = column * panelWidth;
            painter.fillRect(x, row * rowHeight, panelWidth, rowHeight, panel);
            for (int size : sizes) {
                const QImage drawn = onBackground(icon.pixmap(QSize(size, size), 1.0), panel);
                save(drawn, QStringLiteral("%1-%2-%3").arg(iconName).arg(size).arg(panelName));
                painter.drawImage(x + gap, row * rowHeight + 4, drawn);
                x += size + gap;
            }
        }
    }
    painter.end();
    save(magnified(sheet), QStringLiteral("tray-sheet"));

    for (const auto& [name, picture] :
        { std::pair { "emblem", aboutEmblem() }, std::pair { "banner", aboutBanner() } }) {
        const QImage drawn = onBackground(picture, Qt::black);
        save(drawn, QStringLiteral("about-%1").arg(name));
        save(magnified(drawn), QStringLiteral("about-%1-x4").arg(name));
    }
    std::printf("%s\n", qPrintable(folder.absolutePath()));
    return saved ? 0 : 1;
}
