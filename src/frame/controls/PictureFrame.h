#pragma once

#include "frame/controls/Twips.h"

#include <QFrame>

namespace tickwell {

// A white, sunken frame that holds other controls; their places are
// relative to it.
class PictureFrame : public QFrame {
    Q_OBJECT

public:
    PictureFrame(QWidget* parent, const QString& name, TwipsRect geometry)
        : QFrame(parent)
    {
        place(*this, name, geometry);
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setLineWidth(1);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, Qt::white);
        setPalette(colours);
        setAutoFillBackground(true);
    }
};

} // namespace tickwell
