#include "frame/controls/WindowFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace tickwell {

QFont windowFont()
{
    const QString preferred = QStringLiteral("Tahoma");
    QFont font = QFontDatabase::families().contains(preferred, Qt::CaseInsensitive)
        ? QFont(preferred)
        : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace tickwell
