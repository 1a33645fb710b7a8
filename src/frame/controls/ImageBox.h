#pragma once

#include "frame/controls/Twips.h"

#include <QLabel>
#include <QPixmap>

namespace tickwell {

// A picture at a fixed place, drawn with its transparency over whatever lies behind.
class ImageBox : public QLabel {
    Q_OBJECT

public:
    ImageBox(QWidget* parent, const QString& name, TwipsRect geometry)
        : QLabel(parent)
    {
        place(*this, name, geometry);
        setAttribute(Qt::WA_TranslucentBackground);
        setAlignment(Qt::AlignCenter);
    }

    void setPicture(const QPixmap& picture) { setPixmap(picture); }
    QPixmap picture() const { return pixmap(); }
};

} // namespace tickwell
