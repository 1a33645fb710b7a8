// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "preferences/Preferences.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tickwell {

// Where the preferences are kept. The windows and the reminders are given
// one, so that tests keep them in memory.
class PreferencesStore {
public:
    virtual ~PreferencesStore() = default;
    // The preferences as kept; the default for each that is not kept, or
    // cannot be read.
    virtual Preferences load() = 0;
    // Keeps `preferences`; returns why they could not be kept, empty once they are.
    virtual std::string save(const Preferences& preferences) = 0;
};

// The preferences in a text file of their own (PreferencesText.h), read
// afresh each time they are wanted, so that an edit by hand counts without
// a restart. A file that cannot be read, whole or in part, gives the
// defaults for what it lacks and is reported once a run; saving writes it
// whole through a new file renamed over it, so that it is never left half
// written.
class PreferencesFile final : public PreferencesStore {
public:
    using Report = std::function<void(const std::string& problem)>;

    PreferencesFile(std::filesystem::path path, Report report);

    // "preferences" in the `program`'s folder of the user's configuration
    // folder: $XDG_CONFIG_HOME where that is an absolute path, else
    // ~/.config. Empty without a home folder.
    static std::filesystem::path defaultPath(std::string_view program);
    // A file larger than this is no file of preferences.
    static constexpr std::uintmax_t maxBytes = 64 * 1024;

    const std::filesystem::path& path() const noexcept { return m_path; }

    Preferences load() override;
    std::string save(const Preferences& preferences) override;

private:
    void reportOnce(const std::string& problem);

    std::filesystem::path m_path;
    Report m_report;
    bool m_reported = false;
};

} // namespace tickwell
