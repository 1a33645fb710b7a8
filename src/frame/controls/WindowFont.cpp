// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/WindowFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace tickwell {

QFont windowFont()
{
    // A list of families rather than a look into the font database: that
    // would read every font on the machine at start-up, long before any
    // window shows a text.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setFamilies(QStringList { QStringLiteral("Tahoma") } + font.families());
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace tickwell
