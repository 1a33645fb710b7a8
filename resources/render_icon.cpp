// SPDX-License-Identifier: GPL-3.0-or-later
// A build-time tool, not part of the program: draws the program's icon for
// the hicolor icon theme with Qt's own SVG renderer.
//     render_icon NAME FOLDER SIZE:SVG...
// writes FOLDER/<size>x<size>/apps/NAME.png for each size, drawn from that
// size's SVG file, on a transparent background and filling the square.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool render(const QString& svg, int size, const QString& png)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_icon: %s is not a picture Qt can draw\n", qPrintable(svg));
        return false;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    if (!QDir().mkpath(QFileInfo(png).path()) || !image.save(png, "PNG")) {
        std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(png));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s NAME FOLDER SIZE:SVG...\n", argv[0]);
        return 2;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    bool ok = true;
    for (int i = 3; i < argc; ++i) {
        const QString job = QString::fromLocal8Bit(argv[i]);
        const qsizetype colon = job.indexOf(QLatin1Char(':'));
        bool isNumber = false;
        const int size = colon > 0 ? job.left(colon).toInt(&isNumber) : 0;
        if (!isNumber || size <= 0) {
            std::fprintf(stderr, "render_icon: \"%s\" is not SIZE:SVG\n", argv[i]);
            return 2;
        }
        const QString png = folder.filePath(QStringLiteral("%1x%1/apps/%2.png").arg(size).arg(name));
        ok = render(job.mid(colon + 1), size, png) && ok;
    }
    return ok ? 0 : 1;
}
