// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "alarms/GuardedFile.h"
#include "alarms/SeriesFileFormat.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace tickwell {

class AlarmFile;

// The file of series beside an alarm file: "Alarm.repeat" beside
// "Alarm.dat", beside the file the alarm file's links end at. It has the
// alarm file's guarantees: written whole or not at all, another program's
// version kept aside, every line it cannot read kept.
class SeriesFile {
public:
    static constexpr std::string_view extension = ".repeat";

    explicit SeriesFile(const AlarmFile& alarms);

    std::filesystem::path path() const;
    std::filesystem::path displayPath() const;

    // Every series it holds; a missing file holds none. The lines it cannot
    // read are kept for the writes.
    std::vector<SeriesLine> load();
    // Why load() did not read a file that exists; such a file is never written.
    const std::string& loadFailure() const noexcept { return m_loadFailure; }
    // Lines to be written back after the series from now on, as they stand.
    void keep(std::string_view lines);

    // Writes `lines`, then what is kept.
    StoreResult write(std::span<const SeriesLine> lines);

private:
    const AlarmFile& m_alarms;
    std::string m_kept;
    std::string m_loadFailure;
    GuardedFile m_file;
};

} // namespace tickwell
