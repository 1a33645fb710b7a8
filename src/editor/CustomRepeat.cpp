// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/CustomRepeat.h"

#include "alarms/RepeatWords.h"
#include "frame/controls/Pictures.h"
#include "frame/controls/WindowFont.h"

namespace tickwell {

CustomRepeat::CustomRepeat(QWidget* parent, const QString& words)
    : QDialog(parent)
    , lblWords(this, QStringLiteral("lblWords"), QStringLiteral("Repeat : "), { 240, 240, 4320, 255 })
    , txtWords(this, QStringLiteral("txtWords"), words, { 240, 510, 4320, 315 })
    , lblExamples(this, QStringLiteral("lblExamples"),
          QStringLiteral("For example: every 3 days, every 2 weeks on tue,thu, mon,wed,fri, "
                         "monthly until 2031-06-30, weekdays 10 times."),
          { 240, 930, 4320, 615 })
    , lblFault(this, QStringLiteral("lblFault"), QString(), { 240, 1620, 4320, 615 })
    , cmdOK(this, QStringLiteral("cmdOK"), QStringLiteral("OK"), { 1980, 2370, 1215, 375 })
    , cmdCancel(this, QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), { 3345, 2370, 1215, 375 })
{
    setObjectName(QStringLiteral("CustomRepeat"));
    setWindowTitle(QStringLiteral("Tickwell Alarm Clock - Custom Repeat"));
    setWindowIcon(activeClockIcon());
    setFont(windowFont());
    setFixedSize(twips(4800), twips(2925));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Laid out for Tahoma; another font may be wider.
    lblWords.shrinkTextToFit();
    for (Label* label : { &lblExamples, &lblFault }) {
        label->setWordWrap(true);
        label->shrinkTextToFit();
    }
    for (CommandButton* button : { &cmdOK, &cmdCancel })
        button->shrinkTextToFit();
    lblWords.setLabelFor(txtWords);
    txtWords.setAccessibleDescription(lblExamples.caption());
    txtWords.selectAll();
    cmdOK.setDefault(true);

    setTabOrder(&txtWords, &cmdOK);
    setTabOrder(&cmdOK, &cmdCancel);
    txtWords.setFocus();

    connect(&cmdOK, &QPushButton::clicked, this, &CustomRepeat::cmdOK_Click);
    connect(&cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CustomRepeat::cmdOK_Click()
{
    const RepeatWordsRead read = parseRepeatWords(txtWords.text().toStdString());
    if (!read.rule) {
        const QString fault = QString::fromStdString(read.fault);
        lblFault.setCaption(fault.left(1).toUpper() + fault.mid(1) + QLatin1Char('.'));
        // A screen reader hears why with the field it is back in.
        txtWords.setAccessibleDescription(lblFault.caption());
        txtWords.setFocus();
        txtWords.selectAll();
        return;
    }
    m_rule = read.rule;
    accept();
}

} // namespace tickwell
