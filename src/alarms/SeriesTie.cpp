// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/SeriesTie.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tickwell {

namespace {

constexpr std::size_t none = std::size_t(-1);

// Records and series meet on the reminder and the minute of the day.
std::string meetingKey(std::string_view reminder, DateValue when)
{
    const DateParts p = when.parts();
    std::string key(reminder);
    key += '\0';
    key += std::to_string(p.hour * 60 + p.minute);
    return key;
}

// A matching of lines to records: each line first takes its earliest free
// record; one whose records are all taken moves the lines that hold them
// on to others where they can go, so that no series ends that could have
// had an occurrence.
class Matching {
public:
    Matching(std::size_t records, std::vector<std::vector<std::size_t>> candidates)
        : m_candidates(std::move(candidates))
        , m_owner(records, none)
        , m_seen(records, 0)
    {
    }

    void seat(std::size_t line)
    {
        ++m_round;
        seatFrom(line);
    }
    std::size_t owner(std::size_t record) const { return m_owner[record]; }

private:
    bool seatFrom(std::size_t line)
    {
        for (const std::size_t record : m_candidates[line]) {
            if (m_owner[record] == none) {
                m_owner[record] = line;
                return true;
            }
        }
        for (const std::size_t record : m_candidates[line]) {
            if (m_seen[record] == m_round)
                continue;
            m_seen[record] = m_round;
            if (seatFrom(m_owner[record])) {
                m_owner[record] = line;
                return true;
            }
        }
        return false;
    }

    std::vector<std::vector<std::size_t>> m_candidates;
    std::vector<std::size_t> m_owner;
    std::vector<unsigned> m_seen;
    unsigned m_round = 0;
};

} // namespace

SeriesTie tieSeries(std::span<const AlarmRecord> records, std::span<const SeriesLine> lines)
{
    SeriesTie tie;
    tie.lineOfRecord.assign(records.size(), std::nullopt);
    if (lines.empty())
        return tie;
    std::unordered_map<std::string, std::vector<std::size_t>> byKey;
    for (std::size_t r = 0; r < records.size(); ++r)
        byKey[meetingKey(records[r].reminder, records[r].when)].push_back(r);

    std::vector<std::vector<std::size_t>> candidates(lines.size());
    for (std::size_t l = 0; l < lines.size(); ++l) {
        const auto found = byKey.find(meetingKey(lines[l].reminder, lines[l].series.first));
        if (found == byKey.end())
            continue;
        for (const std::size_t r : found->second) {
            if (occurrenceIndex(lines[l].series, records[r].when))
                candidates[l].push_back(r);
        }
        // Earliest first; at one minute, the record that stands first.
        std::stable_sort(candidates[l].begin(), candidates[l].end(),
            [&records](std::size_t a, std::size_t b) { return records[a].when < records[b].when; });
    }
    Matching matching(records.size(), std::move(candidates));
    for (std::size_t l = 0; l < lines.size(); ++l)
        matching.seat(l);
    std::vector<bool> tied(lines.size(), false);
    for (std::size_t r = 0; r < records.size(); ++r) {
        if (const std::size_t line = matching.owner(r); line != none) {
            tie.lineOfRecord[r] = line;
            tied[line] = true;
        }
    }
    for (std::size_t l = 0; l < lines.size(); ++l) {
        if (!tied[l])
            tie.untied.push_back(l);
    }
    return tie;
}

std::vector<ListedAlarm> listAlarms(std::vector<AlarmRecord> records, std::span<const SeriesLine> lines)
{
    const SeriesTie tie = tieSeries(records, lines);
    std::vector<ListedAlarm> alarms;
    alarms.reserve(records.size());
    for (std::size_t r = 0; r < records.size(); ++r) {
        std::optional<Series> series;
        if (tie.lineOfRecord[r])
            series = lines[*tie.lineOfRecord[r]].series;
        alarms.push_back({ std::move(records[r]), std::move(series) });
    }
    return alarms;
}

SeriesStep stepSeries(std::span<const ListedAlarm> alarms, std::size_t row, DateValue after)
{
    const ListedAlarm& alarm = alarms[row];
    if (!alarm.series)
        return {};
    SeriesStep step { occurrenceAfter(*alarm.series, after), std::nullopt };
    if (!step.next)
        return step;
    for (std::size_t i = 0; i < alarms.size(); ++i) {
        if (i != row && !alarms[i].series && alarms[i].record.when == *step.next
            && alarms[i].record.reminder == alarm.record.reminder) {
            step.joins = i;
            break;
        }
    }
    return step;
}

std::vector<AlarmRecord> recordsOf(std::span<const ListedAlarm> alarms)
{
    std::vector<AlarmRecord> records;
    records.reserve(alarms.size());
    for (const ListedAlarm& alarm : alarms)
        records.push_back(alarm.record);
    return records;
}

std::vector<SeriesLine> seriesLines(std::span<const ListedAlarm> alarms)
{
    std::vector<SeriesLine> lines;
    for (const ListedAlarm& alarm : alarms) {
        if (alarm.series)
            lines.push_back({ *alarm.series, alarm.record.reminder });
    }
    return lines;
}

} // namespace tickwell
