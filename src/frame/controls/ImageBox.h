// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QLabel>
#include <QPixmap>

#include <functional>

namespace tickwell {

// A picture at a fixed place, drawn with its transparency over whatever lies behind.
class ImageBox : public QLabel {
    Q_OBJECT

public:
    ImageBox(QWidget* parent, const QString& name, TwipsRect geometry);

    void setPicture(const QPixmap& picture);
    // The picture is drawn when the window is about to show, not before.
    void setPicture(std::function<QPixmap()> draw);
    QPixmap picture() const;

protected:
    bool event(QEvent* event) override;

private:
    std::function<QPixmap()> m_draw;
};

} // namespace tickwell
