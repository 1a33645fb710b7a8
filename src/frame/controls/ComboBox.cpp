// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/controls/ComboBox.h"

namespace tickwell {

ComboBox::ComboBox(QWidget* parent, const QString& name, TwipsRect geometry)
    : QComboBox(parent)
{
    place(*this, name, geometry);
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this] { Q_EMIT click(); });
}

void ComboBox::addItem(const QString& text, const QVariant& value)
{
    const int selected = currentIndex();
    QComboBox::addItem(text, value);
    setCurrentIndex(selected);
}

void ComboBox::setListIndex(int index)
{
    setCurrentIndex(index);
    Q_EMIT click();
}

} // namespace tickwell
