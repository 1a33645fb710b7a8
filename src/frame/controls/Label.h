// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QAccessible>
#include <QLabel>
#include <QStringList>

namespace tickwell {

// A caption on a window, with a click event and a change event that follows
// every change of the caption, by code too, before the changing code goes on.
class Label : public QLabel {
    Q_OBJECT

public:
    enum class BorderStyle {
        None,
        FixedSingle,
    };

    Label(QWidget* parent, const QString& name, const QString& caption, TwipsRect geometry);

    QString caption() const { return text(); }
    void setCaption(const QString& caption);

    bool bold() const { return font().bold(); }
    void setBold(bool bold);

    BorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(BorderStyle style);

    // For a label of fixed size: where the window's font is wider than the
    // one the label was sized for, the text gets a smaller size until all
    // of it fits, rather than losing its end or its last line. Without
    // texts, the caption is fitted again at each change; with them, the
    // size is chosen once so that the widest of them fits, and a caption
    // that changes often keeps one size.
    void shrinkTextToFit(const QStringList& widest = {});

    // The user can select the text with the mouse, to copy it.
    void setSelectable();

    void setBackColor(const QColor& color);
    void setForeColor(const QColor& color);

    // The label names `control`, for assistive technology too: the control's
    // accessible name is the caption without its closing colon.
    void setLabelFor(QWidget& control);

    // A label the user acts on by clicking it. Assistive technology sees it
    // as an item of `role` with a press action that raises the click event,
    // named by its caption unless it is given an accessible name.
    void setPressable(QAccessible::Role role);
    bool isPressable() const noexcept { return m_pressableRole != QAccessible::NoRole; }
    QAccessible::Role pressableRole() const noexcept { return m_pressableRole; }

    // An item the user has chosen, for assistive technology; nothing shows.
    bool isSelected() const noexcept { return m_selected; }
    void setSelected(bool selected);

    // The item the keyboard works on inside a container that has the focus:
    // drawn with the desktop's focus mark, and the focus for assistive technology.
    bool hasFocusMark() const noexcept { return m_focusMark; }
    void setFocusMark(bool mark);

Q_SIGNALS:
    void click();
    void change();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitText();

    BorderStyle m_borderStyle = BorderStyle::None;
    bool m_shrinkToFit = false;
    bool m_selectable = false;
    QStringList m_widestTexts;
    bool m_fitting = false;
    bool m_pressed = false;
    QAccessible::Role m_pressableRole = QAccessible::NoRole;
    bool m_selected = false;
    bool m_focusMark = false;
};

} // namespace tickwell
