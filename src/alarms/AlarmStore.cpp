// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmStore.h"

#include "alarms/AlarmChecks.h"

#include <algorithm>
#include <unordered_map>

namespace tickwell {

namespace {

// What a command says of a write that failed: the file and why.
std::string failureText(const AlarmStore::Written& written, const AlarmStore& store, bool adding)
{
    const bool alarms = !written.alarms.ok();
    const std::string path
        = (alarms ? store.alarmFile().displayPath() : store.seriesFile().displayPath()).string();
    const std::string& why = alarms ? written.alarms.failure : written.series.failure;
    if (adding)
        return "The alarm could not be saved to \"" + path + "\": " + why + ".";
    return "The alarm file \"" + path + "\" could not be written: " + why + ".";
}

} // namespace

AlarmStore::AlarmStore(AlarmFile& alarms)
    : m_alarms(alarms)
    , m_series(alarms)
{
}

std::vector<ListedAlarm> AlarmStore::load()
{
    std::vector<AlarmRecord> records = m_alarms.load();
    const std::vector<SeriesLine> lines = m_series.load();
    const SeriesTie tie = tieSeries(records, lines);
    // A series whose record may lie among what the alarm file could not
    // read is not ended for it: its line is kept as it stands.
    if (!m_alarms.loadFailure().empty() || m_alarms.hasUnreadable()) {
        for (const std::size_t line : tie.untied)
            m_series.keep(formatSeriesLine(lines[line]));
    }
    return listAlarms(std::move(records), lines);
}

AlarmStore::Written AlarmStore::add(std::span<const ListedAlarm> listed, const ListedAlarm& alarm)
{
    Written written;
    if (alarm.series) {
        std::vector<SeriesLine> lines = seriesLines(listed);
        lines.push_back({ *alarm.series, alarm.record.reminder });
        written.series = m_series.write(lines);
        if (!written.series.ok())
            return written;
    }
    written.alarms = m_alarms.append(recordsOf(listed), alarm.record);
    return written;
}

AlarmStore::Written AlarmStore::rewrite(std::span<const ListedAlarm> alarms, bool seriesEnded)
{
    Written written;
    written.alarms = m_alarms.rewrite(recordsOf(alarms));
    // Should the record still stand, its line stays too: the series goes on.
    if (seriesEnded && written.alarms.ok())
        written.series = m_series.write(seriesLines(alarms));
    return written;
}

bool moveSeriesOn(std::vector<ListedAlarm>& alarms, std::size_t row, DateValue after)
{
    const SeriesStep step = stepSeries(alarms, row, after);
    if (step.joins) {
        alarms[*step.joins].series = alarms[row].series;
        alarms.erase(alarms.begin() + std::ptrdiff_t(row));
        return false;
    }
    if (step.next) {
        alarms[row].record.when = *step.next;
        return false;
    }
    const bool ended = alarms[row].series.has_value();
    alarms.erase(alarms.begin() + std::ptrdiff_t(row));
    return ended;
}

NewSeries newSeries(const std::optional<RepeatRule>& repeat, std::optional<DateValue>& when)
{
    if (!repeat)
        return {};
    if (std::string fault = repeatRuleFault(*repeat); !fault.empty())
        return { std::nullopt, "The repetition is no repetition: " + fault + "." };
    // Without a date, Set Alarm's own check says so.
    if (!when || *when == DateValue::noDate())
        return {};
    NewSeries made { startSeries(*repeat, *when), {} };
    if (!made.series)
        made.refusal = noOccurrenceRefusal;
    else
        when = made.series->first;
    return made;
}

bool passOverPastAlarms(std::vector<ListedAlarm>& alarms, DateValue now, bool& seriesEnded)
{
    // The one-shot alarms still to come that a series moved on could meet.
    const auto key
        = [](DateValue when, const std::string& reminder) { return formatDateLiteral(when) + reminder; };
    std::unordered_map<std::string, std::size_t> ahead;
    for (std::size_t i = 0; i < alarms.size(); ++i) {
        if (!alarms[i].series && !(now > alarms[i].record.when))
            ahead.emplace(key(alarms[i].record.when, alarms[i].record.reminder), i);
    }
    std::vector<bool> gone(alarms.size(), false);
    bool changed = false;
    for (std::size_t i = 0; i < alarms.size(); ++i) {
        ListedAlarm& alarm = alarms[i];
        if (!(now > alarm.record.when))
            continue;
        changed = true;
        const std::optional<DateValue> next
            = alarm.series ? occurrenceAfter(*alarm.series, now) : std::nullopt;
        if (!next) {
            seriesEnded = seriesEnded || alarm.series.has_value();
            gone[i] = true;
            continue;
        }
        if (const auto met = ahead.find(key(*next, alarm.record.reminder)); met != ahead.end()) {
            alarms[met->second].series = alarm.series;
            ahead.erase(met);
            gone[i] = true;
            continue;
        }
        alarm.record.when = *next;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < alarms.size(); ++i) {
        if (gone[i])
            continue;
        if (kept != i)
            alarms[kept] = std::move(alarms[i]);
        ++kept;
    }
    alarms.resize(kept);
    return changed;
}

std::string addAlarm(AlarmStore& store, std::vector<ListedAlarm>& alarms, std::optional<DateValue> when,
    std::string_view reminder, const std::optional<RepeatRule>& repeat, DateValue now)
{
    const NewSeries series = newSeries(repeat, when);
    if (!series.refusal.empty())
        return series.refusal;
    const NewAlarm alarm = checkNewAlarm(
        when, now,
        [&alarms](DateValue minute) {
            return std::any_of(alarms.begin(), alarms.end(),
                [minute](const ListedAlarm& listed) { return listed.record.when == minute; });
        },
        reminder);
    if (!alarm.refusal.empty())
        return std::string(alarm.refusal);
    const ListedAlarm added { { *when, alarm.reminder }, series.series };
    const AlarmStore::Written written = store.add(alarms, added);
    if (!written.ok())
        return failureText(written, store, true);
    alarms.push_back(added);
    return {};
}

std::string clearAlarm(AlarmStore& store, std::vector<ListedAlarm>& alarms, std::size_t row)
{
    std::vector<ListedAlarm> after = alarms;
    const bool ended = after[row].series.has_value();
    after.erase(after.begin() + std::ptrdiff_t(row));
    const AlarmStore::Written written = store.rewrite(after, ended);
    if (!written.alarms.ok())
        return failureText(written, store, false);
    alarms = std::move(after);
    return {};
}

std::string skipOccurrence(AlarmStore& store, std::vector<ListedAlarm>& alarms, std::size_t row)
{
    if (!alarms[row].series)
        return std::string(notRepeatingRefusal);
    std::vector<ListedAlarm> after = alarms;
    const bool ended = moveSeriesOn(after, row, alarms[row].record.when);
    const AlarmStore::Written written = store.rewrite(after, ended);
    if (!written.alarms.ok())
        return failureText(written, store, false);
    alarms = std::move(after);
    return {};
}

} // namespace tickwell
