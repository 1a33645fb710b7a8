// SPDX-License-Identifier: GPL-3.0-or-later
// frmMain's side of the alarm store: the lists are the working copy of the
// alarms, and "Alarm.dat" follows every change to them.
#include "editor/frmMain.h"

#include "alarms/AlarmEntry.h"
#include "frame/Services.h"
#include "frame/dates/AsciiText.h"
#include "frame/dates/Clock.h"
#include "frame/dates/DateText.h"
#include "frame/desktop/MessageBoxes.h"

#include <QStringDecoder>
#include <QTimer>

#include <array>
#include <utility>
#include <vector>

namespace tickwell {

namespace {
const QString clockTitle = QStringLiteral("Tickwell Alarm Clock");
} // namespace

QString frmMain::reminderText(const std::string& utf8)
{
    // QString::fromStdString() drops a byte-order mark at the start, which
    // would take a reminder's first character with it.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(utf8.data(), qsizetype(utf8.size())));
}

std::optional<DateValue> frmMain::ParseAlarmEntry(const QString& entry) const
{
    // Every row the program makes is in the entry pattern, read straight
    // from the list's own text. Anything else is read the long way, without
    // a conversion if it is short and ASCII: the tick allocates nothing.
    const std::u16string_view units(QStringView(entry).utf16(), std::size_t(entry.size()));
    if (const std::optional<DateValue> value = dateFromEntryPattern(units))
        return value;
    std::array<char, 64> ascii;
    if (units.size() <= ascii.size() && narrowAscii(units, ascii))
        return tickwell::ParseAlarmEntry(std::string_view(ascii.data(), units.size()));
    return tickwell::ParseAlarmEntry(entry.toStdString());
}

void frmMain::LoadAlarms()
{
    // Reading ends quietly at the first record that cannot be read; the
    // file keeps that record and the rest.
    // One list after the other: the tick reads every entry text ten times a
    // second, and reads them a third faster from memory where each row's
    // blocks lie next to the next row's, not between the reminders'.
    const std::vector<AlarmRecord> records = m_alarmFile.load();
    for (const AlarmRecord& record : records)
        lstAlarms.addItem(QString::fromStdString(alarmEntryText(record.when)));
    for (const AlarmRecord& record : records)
        lstReminders.addItem(reminderText(record.reminder));
    if (!m_alarmFile.loadFailure().empty())
        announceLoadFailure();

    // Alarms whose minute has begun are dropped without a word, and written
    // away together.
    const RemovalBatch batch(*this);
    int i = 0;
    while (i <= lstAlarms.listCount() - 1) {
        const std::optional<DateValue> when = ParseAlarmEntry(lstAlarms.list(i));
        if (when && m_services.clock.now() > *when) {
            lstAlarms.setListIndex(i);
            cmdClearAlarm_Click(0);
        } else {
            ++i;
        }
    }
    alarmsChanged();
}

void frmMain::cmdClearAlarm_Click(std::int16_t index)
{
    const int selected = lstAlarms.listIndex();
    if (index == 0) {
        if (selected != -1) {
            lstAlarms.removeItem(selected);
            lstReminders.removeItem(selected);
        }
    } else if (index == 1) {
        lstAlarms.clear();
        lstReminders.clear();
    }
    if (m_removalBatches > 0)
        m_rewritePending = true;
    else
        rewriteAlarmFile();
    alarmsChanged();
}

void frmMain::alarmsChanged()
{
    // A tick's own removals need no other tick.
    if (!m_scanningAlarms)
        tmrTimer.tickSoon();
}

frmMain::RemovalBatch::RemovalBatch(frmMain& editor) noexcept
    : m_editor(editor)
{
    ++m_editor.m_removalBatches;
}

frmMain::RemovalBatch::~RemovalBatch()
{
    if (--m_editor.m_removalBatches == 0)
        m_editor.writePendingRemovals();
}

void frmMain::writePendingRemovals()
{
    if (!std::exchange(m_rewritePending, false))
        return;
    rewriteAlarmFile();
}

std::vector<AlarmRecord> frmMain::recordsFromLists(std::string& failure) const
{
    std::vector<AlarmRecord> records;
    records.reserve(std::size_t(lstAlarms.listCount()));
    for (int i = 0; i < lstAlarms.listCount(); ++i) {
        const std::optional<DateValue> when = ParseAlarmEntry(lstAlarms.list(i));
        if (!when) {
            // Rows are made only from date values, so this cannot happen;
            // writing without the row would lose it.
            failure = "the alarm \"" + lstAlarms.list(i).toStdString() + "\" has no readable date";
            return {};
        }
        records.push_back({ *when, lstReminders.list(i).toStdString() });
    }
    return records;
}

StoreResult frmMain::appendAlarmRecord(const AlarmRecord& record)
{
    std::string failure;
    const std::vector<AlarmRecord> listed = recordsFromLists(failure);
    if (!failure.empty())
        return { failure };
    const StoreResult result = m_alarmFile.append(listed, record);
    announceKeptAside(result);
    return result;
}

void frmMain::rewriteAlarmFile()
{
    std::string failure;
    const std::vector<AlarmRecord> records = recordsFromLists(failure);
    const StoreResult result = failure.empty() ? m_alarmFile.rewrite(records) : StoreResult { failure };
    announceKeptAside(result);
    if (result.ok())
        m_saveFailureAnnounced = false;
    else
        announceSaveFailure(result);
}

QString frmMain::alarmFilePath() const
{
    return QString::fromStdString(m_alarmFile.displayPath().string());
}

void frmMain::announceSaveFailure(const StoreResult& result)
{
    if (m_saveFailureAnnounced)
        return;
    m_saveFailureAnnounced = true;
    const BusyHold hold(*this);
    const QString holds = result.fileAsBefore
        ? QStringLiteral("It still holds the alarms it held before this change.")
        : QStringLiteral(
            "It holds what the other program wrote; the alarms listed in the clock are not in it.");
    m_services.messageBoxes.MsgBox(QStringLiteral("The alarm file \"%1\" could not be written: %2.\r\n%3")
                                       .arg(alarmFilePath(), QString::fromStdString(result.failure), holds),
        MessageStyle::Exclamation, clockTitle);
}

void frmMain::announceKeptAside(const StoreResult& result)
{
    if (result.keptAside.empty())
        return;
    const BusyHold hold(*this);
    m_services.messageBoxes.MsgBox(
        QStringLiteral("Another program changed the alarm file \"%1\" while the clock was running.\r\n"
                       "Its version is kept as \"%2\"; \"%1\" now holds the alarms listed in the clock.")
            .arg(alarmFilePath(), QString::fromStdString(result.keptAside.string())),
        MessageStyle::Exclamation, clockTitle);
}

void frmMain::announceLoadFailure()
{
    // Once the clock runs: a box here would hold up its start.
    QTimer::singleShot(0, this, [this] {
        const BusyHold hold(*this);
        m_services.messageBoxes.MsgBox(
            QStringLiteral("The alarm file \"%1\" was not read: %2.\r\n"
                           "The clock runs without the alarms it may hold and will not rewrite it.")
                .arg(alarmFilePath(), QString::fromStdString(m_alarmFile.loadFailure())),
            MessageStyle::Exclamation, clockTitle);
    });
}

} // namespace tickwell
