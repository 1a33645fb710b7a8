#pragma once

#include "frame/controls/Twips.h"

#include <QFrame>

namespace tickwell {

// A sunken frame that holds other controls; their places are relative to
// it. It has the colours of a text field: white, with black text, on a light
// desktop.
class PictureFrame : public QFrame {
    Q_OBJECT

public:
    PictureFrame(QWidget* parent, const QString& name, TwipsRect geometry)
        : QFrame(parent)
    {
        place(*this, name, geometry);
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setLineWidth(1);
        // The roles, not colours: a dark colour scheme gives a dark field with
        // light text, never light text on white.
        setBackgroundRole(QPalette::Base);
        setForegroundRole(QPalette::Text);
        setAutoFillBackground(true);
    }
};

} // namespace tickwell
