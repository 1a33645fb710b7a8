#pragma once

#include "frame/controls/Twips.h"

#include <QPushButton>

namespace tickwell {

class CommandButton : public QPushButton {
    Q_OBJECT

public:
    CommandButton(QWidget* parent, const QString& name, const QString& caption, TwipsRect geometry)
        : QPushButton(caption, parent)
    {
        place(*this, name, geometry);
        setAutoDefault(false);
    }
};

} // namespace tickwell
