// SPDX-License-Identifier: GPL-3.0-or-later
// frmMain's side of the alarm store: the lists are the working copy of the
// alarms, and "Alarm.dat" follows every change to them.
#include "editor/frmMain.h"

#include "alarms/AlarmEntry.h"
#include "alarms/SeriesFileFormat.h"
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
    std::vector<ListedAlarm> alarms = m_store.load();
    if (!m_alarmFile.loadFailure().empty() || !m_store.seriesFile().loadFailure().empty())
        announceLoadFailure();
    // Alarms whose minute has begun are dropped without a word, and a
    // repeating one moves on to its next occurrence to come: all written
    // away together, once.
    const bool passed = passOverPastAlarms(alarms, m_services.clock.now(), m_seriesEnded);
    for (const ListedAlarm& alarm : alarms)
        lstAlarms.addItem(QString::fromStdString(alarmEntryText(alarm.record.when)));
    for (const ListedAlarm& alarm : alarms)
        lstReminders.addItem(reminderText(alarm.record.reminder));
    for (const ListedAlarm& alarm : alarms)
        lstRepeats.addItem(
            alarm.series ? QString::fromStdString(formatSeriesFields(*alarm.series)) : QString());
    if (passed)
        rewriteAlarmFile();
    alarmsChanged();
}

void frmMain::alarmHasCome(int row, DateValue after)
{
    if (lstRepeats.list(row).isEmpty()) {
        lstAlarms.setListIndex(row);
        cmdClearAlarm_Click(0);
    } else {
        moveSeriesOnAt(row, after);
    }
}

void frmMain::moveSeriesOnAt(int row, DateValue after)
{
    const std::optional<Series> series = seriesAt(row);
    const std::optional<DateValue> next = series ? occurrenceAfter(*series, after) : std::nullopt;
    if (!next) {
        // Its last occurrence has come: it goes as any alarm.
        lstAlarms.setListIndex(row);
        cmdClearAlarm_Click(0);
        return;
    }
    // A one-shot alarm with its reminder may stand for the next occurrence
    // already (the series' own rules as the file ties them): the series
    // goes on there, and this row goes, so that the reminder comes once.
    // Rows are compared as the list holds them: one text for one minute.
    const QString entry = QString::fromStdString(alarmEntryText(*next));
    if (const std::optional<int> joins = oneShotRow(entry, lstReminders.list(row))) {
        lstRepeats.setList(*joins, lstRepeats.list(row));
        oneShotRowGone(*joins);
        lstAlarms.removeItem(row);
        lstReminders.removeItem(row);
        lstRepeats.removeItem(row);
        if (m_oneShotRows) {
            // The rows below move up.
            for (auto& [key, at] : *m_oneShotRows)
                at -= at > row ? 1 : 0;
        }
    } else {
        // In its place: the record is replaced where it stands in the file.
        lstAlarms.setList(row, entry);
    }
    // Outside a tick's scan the index is not kept in step.
    if (!m_scanningAlarms)
        m_oneShotRows.reset();
    listsChanged();
    alarmsChanged();
}

std::optional<int> frmMain::oneShotRow(const QString& entry, const QString& reminder)
{
    const QString key = entry + u'\n' + reminder;
    if (!m_oneShotRows) {
        m_oneShotRows.emplace();
        for (int j = 0; j < lstAlarms.listCount(); ++j) {
            if (lstRepeats.list(j).isEmpty())
                m_oneShotRows->emplace(lstAlarms.list(j) + u'\n' + lstReminders.list(j), j);
        }
    }
    const auto found = m_oneShotRows->find(key);
    if (found == m_oneShotRows->end())
        return std::nullopt;
    return found->second;
}

void frmMain::oneShotRowGone(int row)
{
    if (!m_oneShotRows)
        return;
    std::erase_if(*m_oneShotRows, [row](const auto& entry) { return entry.second == row; });
}

void frmMain::cmdClearAlarm_Click(std::int16_t index)
{
    const int selected = lstAlarms.listIndex();
    if (index == 0) {
        if (selected != -1) {
            m_seriesEnded = m_seriesEnded || !lstRepeats.list(selected).isEmpty();
            lstAlarms.removeItem(selected);
            lstReminders.removeItem(selected);
            lstRepeats.removeItem(selected);
            if (m_oneShotRows) {
                oneShotRowGone(selected);
                for (auto& [key, at] : *m_oneShotRows)
                    at -= at > selected ? 1 : 0;
            }
        }
    } else if (index == 1) {
        m_oneShotRows.reset();
        for (int i = 0; i < lstRepeats.listCount() && !m_seriesEnded; ++i)
            m_seriesEnded = !lstRepeats.list(i).isEmpty();
        lstAlarms.clear();
        lstReminders.clear();
        lstRepeats.clear();
    }
    listsChanged();
    alarmsChanged();
}

void frmMain::listsChanged()
{
    if (m_removalBatches > 0)
        m_rewritePending = true;
    else
        rewriteAlarmFile();
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

std::vector<ListedAlarm> frmMain::alarmsFromLists(std::string& failure) const
{
    std::vector<AlarmRecord> records = recordsFromLists(failure);
    std::vector<ListedAlarm> alarms;
    alarms.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        alarms.push_back({ std::move(records[i]), seriesAt(int(i)) });
    return alarms;
}

std::optional<Series> frmMain::seriesAt(int row) const
{
    const QString fields = lstRepeats.list(row);
    if (fields.isEmpty())
        return std::nullopt;
    return parseSeriesFields(fields.toStdString());
}

std::optional<RepeatRule> frmMain::repeatAt(int row) const
{
    const std::optional<Series> series = seriesAt(row);
    return series ? std::optional(series->rule) : std::nullopt;
}

void frmMain::listAlarm(const ListedAlarm& alarm)
{
    // A new row may be one a series moves on to.
    m_oneShotRows.reset();
    lstAlarms.addItem(QString::fromStdString(alarmEntryText(alarm.record.when)));
    lstReminders.addItem(reminderText(alarm.record.reminder));
    lstRepeats.addItem(alarm.series ? QString::fromStdString(formatSeriesFields(*alarm.series)) : QString());
}

AlarmStore::Written frmMain::appendAlarm(const ListedAlarm& alarm)
{
    std::string failure;
    const std::vector<ListedAlarm> listed = alarmsFromLists(failure);
    if (!failure.empty())
        return { StoreResult { failure }, {} };
    const AlarmStore::Written written = m_store.add(listed, alarm);
    announceKeptAside(written);
    return written;
}

void frmMain::rewriteAlarmFile()
{
    std::string failure;
    const std::vector<ListedAlarm> alarms = alarmsFromLists(failure);
    if (!failure.empty()) {
        announceSaveFailure({ failure });
        return;
    }
    const AlarmStore::Written written = m_store.rewrite(alarms, m_seriesEnded);
    // Until "Alarm.repeat" is written, the series ended is still in it.
    if (written.alarms.ok() && written.series.ok())
        m_seriesEnded = false;
    announceKeptAside(written);
    if (written.alarms.ok())
        m_saveFailureAnnounced = false;
    else
        announceSaveFailure(written.alarms);
    if (!written.series.ok())
        announceSaveFailure(
            written.series, QString::fromStdString(m_store.seriesFile().displayPath().string()));
}

QString frmMain::alarmFilePath() const
{
    return QString::fromStdString(m_alarmFile.displayPath().string());
}

void frmMain::announceSaveFailure(const StoreResult& result, const QString& path)
{
    if (m_saveFailureAnnounced)
        return;
    m_saveFailureAnnounced = true;
    const BusyHold hold(*this);
    const QString holds = result.fileAsBefore
        ? QStringLiteral("It still holds the alarms it held before this change.")
        : QStringLiteral(
            "It holds what the other program wrote; the alarms listed in the clock are not in it.");
    m_services.messageBoxes.MsgBox(
        QStringLiteral("The alarm file \"%1\" could not be written: %2.\r\n%3")
            .arg(path.isEmpty() ? alarmFilePath() : path, QString::fromStdString(result.failure), holds),
        MessageStyle::Exclamation, clockTitle);
}

void frmMain::announceKeptAside(const AlarmStore::Written& written)
{
    announceKeptAside(written.alarms, alarmFilePath());
    announceKeptAside(written.series, QString::fromStdString(m_store.seriesFile().displayPath().string()));
}

void frmMain::announceKeptAside(const StoreResult& result, const QString& path)
{
    if (result.keptAside.empty())
        return;
    const BusyHold hold(*this);
    m_services.messageBoxes.MsgBox(
        QStringLiteral("Another program changed the alarm file \"%1\" while the clock was running.\r\n"
                       "Its version is kept as \"%2\"; \"%1\" now holds the alarms listed in the clock.")
            .arg(path, QString::fromStdString(result.keptAside.string())),
        MessageStyle::Exclamation, clockTitle);
}

void frmMain::announceLoadFailure()
{
    // Once the clock runs: a box here would hold up its start.
    QTimer::singleShot(0, this, [this] {
        const BusyHold hold(*this);
        if (!m_alarmFile.loadFailure().empty())
            m_services.messageBoxes.MsgBox(
                QStringLiteral("The alarm file \"%1\" was not read: %2.\r\n"
                               "The clock runs without the alarms it may hold and will not rewrite it.")
                    .arg(alarmFilePath(), QString::fromStdString(m_alarmFile.loadFailure())),
                MessageStyle::Exclamation, clockTitle);
        if (const std::string& failure = m_store.seriesFile().loadFailure(); !failure.empty())
            m_services.messageBoxes.MsgBox(
                QStringLiteral("The file of repeating alarms \"%1\" was not read: %2.\r\n"
                               "The clock runs with every alarm as a one-time alarm and will not rewrite it.")
                    .arg(QString::fromStdString(m_store.seriesFile().displayPath().string()),
                        QString::fromStdString(failure)),
                MessageStyle::Exclamation, clockTitle);
    });
}

} // namespace tickwell
