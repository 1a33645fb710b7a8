// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/controls/Twips.h"

#include <QPlainTextEdit>

namespace tickwell {

// A text box of several lines whose text holds its line breaks as CR LF.
// The length limit counts characters as the file stores them (a line break
// as the two characters CR LF), and holds for typing and for pasting alike.
class MultiLineTextBox : public QPlainTextEdit {
    Q_OBJECT

public:
    MultiLineTextBox(QWidget* parent, const QString& name, TwipsRect geometry);

    QString text() const;
    void setText(const QString& text);

    int maxLength() const noexcept { return m_maxLength; }
    void setMaxLength(int length) noexcept { m_maxLength = length; }

Q_SIGNALS:
    void dblClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // How many characters of `insertion` fit in place of the selection.
    qsizetype room() const;
    void insertLimited(QString insertion);

    int m_maxLength = 0; // 0: no limit
};

} // namespace tickwell
