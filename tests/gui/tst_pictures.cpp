// SPDX-License-Identifier: GPL-3.0-or-later
// The compiled-in pictures: that they load, and that they read where they are shown.
#include "frame/controls/Pictures.h"

#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace tickwell;

namespace {

const QColor lightPanel(0xff, 0xff, 0xff);
const QColor darkPanel(0x1e, 0x1e, 0x1e);

QImage image(const QIcon& icon, int size)
{
    return icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage onBackground(const QImage& picture, const QColor& background)
{
    QImage result(picture.size(), QImage::Format_ARGB32);
    result.fill(background);
    QPainter(&result).drawImage(0, 0, picture);
    return result;
}

double luminance(QRgb rgb)
{
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

// The share of the picture's area where, drawn on the background, it stands out from it
// by a contrast of at least 3:1, the least asked of graphics on screen.
double shareStandingOut(const QImage& picture, const QColor& background)
{
    const QImage drawn = onBackground(picture, background);
    const double back = luminance(background.rgb());
    int count = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x) {
            const double l = luminance(drawn.pixel(x, y));
            count += (std::max(l, back) + 0.05) / (std::min(l, back) + 0.05) >= 3.0;
        }
    return double(count) / (drawn.width() * drawn.height());
}

double sharePainted(const QImage& picture)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += qAlpha(picture.pixel(x, y)) > 0;
    return double(count) / (picture.width() * picture.height());
}

} // namespace

class PicturesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void trayPicturesLoadAndStandOutOnLightAndDarkPanels_data();
    void trayPicturesLoadAndStandOutOnLightAndDarkPanels();
    void activeAndInactiveDifferClearlyAtSixteen();
    void aboutPicturesLoadWithTransparentCornersAndReadOnBlack();
    void applicationIconLoads();
};

void PicturesTest::trayPicturesLoadAndStandOutOnLightAndDarkPanels_data()
{
    QTest::addColumn<QIcon>("icon");
    QTest::addColumn<int>("size");
    for (int size : { 16, 32 }) {
        QTest::addRow("active %d", size) << activeClockIcon() << size;
        QTest::addRow("inactive %d", size) << inactiveClockIcon() << size;
    }
}

void PicturesTest::trayPicturesLoadAndStandOutOnLightAndDarkPanels()
{
    QFETCH(QIcon, icon);
    QFETCH(int, size);
    QVERIFY(!icon.isNull());
    const QImage picture = image(icon, size);
    QCOMPARE(picture.size(), QSize(size, size));
    // It uses the little room a tray gives it, and is not lost on either kind of panel.
    QVERIFY2(sharePainted(picture) > 0.5, qPrintable(QString::number(sharePainted(picture))));
    for (const QColor& panel : { lightPanel, darkPanel }) {
        const double share = shareStandingOut(picture, panel);
        QVERIFY2(share >= 0.2, qPrintable(QStringLiteral("%1 on %2").arg(share).arg(panel.name())));
    }
}

void PicturesTest::activeAndInactiveDifferClearlyAtSixteen()
{
    const QImage active = onBackground(image(activeClockIcon(), 16), lightPanel);
    const QImage inactive = onBackground(image(inactiveClockIcon(), 16), lightPanel);
    int differing = 0, drawn = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QRgb a = active.pixel(x, y), b = inactive.pixel(x, y);
            if (a == lightPanel.rgb() && b == lightPanel.rgb())
                continue;
            ++drawn;
            differing += std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                             std::abs(qBlue(a) - qBlue(b)) })
                >= 48;
        }
    QVERIFY2(differing * 2 > drawn, qPrintable(QStringLiteral("%1 of %2").arg(differing).arg(drawn)));
}

void PicturesTest::aboutPicturesLoadWithTransparentCornersAndReadOnBlack()
{
    for (const auto& [pixmap, size] :
        { std::pair { aboutEmblem(), QSize(32, 32) }, std::pair { aboutBanner(), QSize(144, 40) } }) {
        QCOMPARE(pixmap.size(), size);
        const QImage picture = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        const QRect r = picture.rect();
        for (QPoint corner : { r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight() })
            QCOMPARE(qAlpha(picture.pixel(corner)), 0);
        QVERIFY2(shareStandingOut(picture, Qt::black) >= 0.15,
            qPrintable(QString::number(shareStandingOut(picture, Qt::black))));
    }
}

void PicturesTest::applicationIconLoads()
{
    // A file to install beside the desktop entry, not compiled in.
    const QIcon icon(QStringLiteral(TICKWELL_RESOURCES_DIR "/tickwell.svg"));
    QVERIFY(sharePainted(image(icon, 64)) > 0.5);
}

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
