// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's repeat choice, what the alarm list shows of each alarm's
// repetition, and Clear Alarm on an alarm that repeats.
#include "editor/frmMain.h"

#include "alarms/RepeatChoices.h"
#include "alarms/RepeatWords.h"
#include "editor/CustomRepeat.h"
#include "frame/Services.h"
#include "frame/desktop/MessageBoxes.h"

#include <algorithm>

namespace tickwell {

namespace {

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QString wordsOf(const RepeatRule& rule)
{
    return QString::fromStdString(formatRepeatWords(rule));
}

} // namespace

void frmMain::FillRepeatList()
{
    // Each item holds the words it stands for; "Custom..." none.
    for (const RepeatChoice& choice : readyRepeatChoices)
        cboRepeat.addItem(text(choice.text), text(choice.words));
    cboRepeat.addItem(QStringLiteral("Custom..."));
    cboRepeat.setCurrentIndex(0);
}

std::optional<RepeatRule> frmMain::chosenRepeat() const
{
    const QString words = cboRepeat.currentData().toString();
    if (words.isEmpty())
        return std::nullopt;
    return parseRepeatWords(words.toStdString()).rule;
}

void frmMain::cboRepeat_Click()
{
    const int chosen = cboRepeat.listIndex();
    if (chosen != cboRepeat.count() - 1) {
        m_repeatChosen = chosen;
        return;
    }
    // Not waited for in a loop of its own: the editor stays free to be
    // unloaded, and the dialog goes with it.
    auto* dialog = new CustomRepeat(this, cboRepeat.itemData(m_repeatChosen).toString());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        if (result == QDialog::Accepted)
            showRepeatChoice(dialog->rule());
        else
            cboRepeat.setCurrentIndex(m_repeatChosen);
    });
    // With the keyboard: the words are typed right away.
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void frmMain::showRepeatChoice(const std::optional<RepeatRule>& rule)
{
    int index = 0;
    if (const std::optional<std::size_t> ready = readyChoiceFor(rule)) {
        index = int(*ready);
    } else {
        // One custom item, right before "Custom...", holds the last words.
        index = int(readyRepeatChoices.size());
        const QString words = wordsOf(*rule);
        if (cboRepeat.count() == index + 1)
            cboRepeat.insertItem(index, words, words);
        cboRepeat.setItemText(index, words);
        cboRepeat.setItemData(index, words);
        cboRepeat.setItemData(index, words, Qt::ToolTipRole);
    }
    m_repeatChosen = index;
    cboRepeat.setCurrentIndex(index);
}

void frmMain::showRepeatsOf(int first, int last)
{
    for (int row = std::max(first, 0); row <= last && row < lstAlarms.listCount(); ++row) {
        const std::optional<RepeatRule> repeat = repeatAt(row);
        QListWidgetItem* item = lstAlarms.item(row);
        if (!repeat) {
            lstAlarms.setNote(row, QString());
            item->setData(Qt::ToolTipRole, QVariant());
            item->setData(Qt::AccessibleDescriptionRole, QVariant());
            continue;
        }
        const QString words = wordsOf(*repeat);
        lstAlarms.setNote(row, QStringLiteral("\u21bb ") + words);
        item->setData(Qt::ToolTipRole, QStringLiteral("Repeats: ") + words);
        item->setData(Qt::AccessibleDescriptionRole, QStringLiteral("Repeats ") + words);
    }
}

void frmMain::clearAlarmAsked()
{
    const int row = lstAlarms.listIndex();
    const std::optional<RepeatRule> repeat = row == -1 ? std::nullopt : repeatAt(row);
    if (!repeat)
        return cmdClearAlarm_Click(0);

    const QString entry = lstAlarms.list(row);
    const QString reminder = lstReminders.list(row);
    enum Answer {
        Skip,
        End,
        Cancel
    };
    int answer = Cancel;
    {
        const BusyHold hold(*this);
        answer = m_services.messageBoxes.Ask(
            QStringLiteral("This alarm repeats %1:\r\n%2\r\n\r\nSkip only this time, or end the series?")
                .arg(wordsOf(*repeat), entry),
            QStringLiteral("Clear Alarm"),
            { QStringLiteral("&Skip This Time"), QStringLiteral("&End Series"), QStringLiteral("Cancel") });
    }
    if (answer == Cancel)
        return;
    // The list may have changed while the question was open (a reminder, a
    // command line): the answer is for that alarm, if it is still there.
    int now = -1;
    for (int i = 0; i < lstAlarms.listCount() && now == -1; ++i) {
        if (lstAlarms.list(i) == entry && lstReminders.list(i) == reminder && repeatAt(i))
            now = i;
    }
    if (now == -1)
        return;
    if (answer == End) {
        lstAlarms.setListIndex(now);
        cmdClearAlarm_Click(0);
        return;
    }
    if (const QString refusal = skipOccurrence(now); !refusal.isEmpty())
        m_services.messageBoxes.MsgBox(
            refusal, MessageStyle::Exclamation, QStringLiteral("Tickwell Alarm Clock"));
}

} // namespace tickwell
