// frmMain's side of the alarm store: the lists are the working copy of the
// alarms, and "Alarm.dat" follows every change to them.
#include "editor/frmMain.h"

#include "alarms/AlarmEntry.h"
#include "frame/Services.h"
#include "frame/dates/AsciiText.h"
#include "frame/dates/Clock.h"
#include "frame/desktop/MessageBoxes.h"

#include <array>
#include <utility>
#include <vector>

namespace tickwell {

std::optional<DateValue> frmMain::ParseAlarmEntry(const QString& entry) const
{
    // Entry texts are short and plain ASCII; reading them without a
    // conversion keeps the clock tick free of allocations.
    std::array<char, 64> ascii;
    const std::u16string_view units(QStringView(entry).utf16(), std::size_t(entry.size()));
    if (units.size() <= ascii.size() && narrowAscii(units, ascii))
        return tickwell::ParseAlarmEntry(std::string_view(ascii.data(), units.size()));
    return tickwell::ParseAlarmEntry(entry.toStdString());
}

void frmMain::LoadAlarms()
{
    // Reading ends quietly at the first record that cannot be read; the
    // file keeps that record and the rest.
    for (const AlarmRecord& record : m_alarmFile.load()) {
        lstAlarms.addItem(QString::fromStdString(alarmEntryText(record.when)));
        lstReminders.addItem(QString::fromStdString(record.reminder));
    }

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
    if (!m_alarmFile.keepsUnreadable())
        return m_alarmFile.append(record);
    // Reading stops at the part of the file it could not read, so a record
    // appended after that part would never be read back: the new record
    // goes in front of it instead.
    std::string failure;
    std::vector<AlarmRecord> records = recordsFromLists(failure);
    if (!failure.empty())
        return { failure };
    records.push_back(record);
    return m_alarmFile.rewrite(records);
}

void frmMain::rewriteAlarmFile()
{
    std::string failure;
    const std::vector<AlarmRecord> records = recordsFromLists(failure);
    const StoreResult result = failure.empty() ? m_alarmFile.rewrite(records) : StoreResult { failure };
    if (result.ok())
        m_saveFailureAnnounced = false;
    else
        announceSaveFailure(result.failure);
}

QString frmMain::alarmFilePath() const
{
    return QString::fromStdString(std::filesystem::absolute(m_alarmFile.path()).string());
}

void frmMain::announceSaveFailure(const std::string& reason)
{
    if (m_saveFailureAnnounced)
        return;
    m_saveFailureAnnounced = true;
    const BusyHold hold(*this);
    m_services.messageBoxes.MsgBox(QStringLiteral("The alarm file \"%1\" could not be written: %2.\r\n"
                                                  "It still holds the alarms it held before this change.")
                                       .arg(alarmFilePath(), QString::fromStdString(reason)),
        MessageStyle::Exclamation, QStringLiteral("Tickwell Alarm Clock"));
}

} // namespace tickwell
