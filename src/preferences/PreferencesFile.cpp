// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/WholeFileRead.h"
#include "alarms/WholeFileWrite.h"
#include "preferences/PreferencesStore.h"
#include "preferences/PreferencesText.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <utility>

namespace tickwell {

namespace {

// "3", "3 and 7", "3, 7 and 9", the first ten at most.
std::string lineList(const std::vector<int>& lines)
{
    std::string list;
    const std::size_t shown = std::min<std::size_t>(lines.size(), 10);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0)
            list += i + 1 == shown && shown == lines.size() ? " and " : ", ";
        list += std::to_string(lines[i]);
    }
    if (shown < lines.size())
        list += " and " + std::to_string(lines.size() - shown) + " more";
    return list;
}

// Makes the folders that lead to `folder` as far as they are missing,
// readable by their owner alone: a configuration folder is the user's own.
int makeFolders(const std::filesystem::path& folder)
{
    std::filesystem::path made;
    for (const std::filesystem::path& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

} // namespace

PreferencesFile::PreferencesFile(std::filesystem::path path, Report report)
    : m_path(std::move(path))
    , m_report(std::move(report))
{
}

std::filesystem::path PreferencesFile::defaultPath(std::string_view program)
{
    std::filesystem::path folder;
    const char* configuration = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    if (configuration && std::filesystem::path(configuration).is_absolute())
        folder = configuration;
    else if (home && *home)
        folder = std::filesystem::path(home) / ".config";
    else
        return {};
    return folder / program / "preferences";
}

Preferences PreferencesFile::load()
{
    std::error_code missing;
    if (m_path.empty() || !std::filesystem::exists(m_path, missing))
        return {};
    std::string bytes, failure;
    if (!readWholeFile(m_path, maxBytes, bytes, failure)) {
        reportOnce("the preferences in " + m_path.string() + " cannot be read (" + failure
            + "); the defaults stand in for them");
        return {};
    }
    ReadPreferences read = readPreferences(bytes);
    if (!read.unreadLines.empty()) {
        reportOnce(std::string(read.unreadLines.size() == 1 ? "line " : "lines ") + lineList(read.unreadLines)
            + " of the preferences in " + m_path.string()
            + " cannot be read; the defaults stand in for what they set");
    }
    return read.preferences;
}

std::string PreferencesFile::save(const Preferences& preferences)
{
    if (m_path.empty())
        return "there is no home folder to keep them in";
    const std::filesystem::path target = resolveLinks(m_path);
    if (const int error = makeFolders(target.parent_path()); error != 0)
        return reasonText(error);
    struct stat old { };
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return notRegularFileReason;
    removeLeftoverTemporaries(target);
    const WriteOutcome written
        = replaceByRename(target, writePreferences(preferences), exists ? &old : nullptr);
    return written.ok() ? std::string() : reasonText(written.error);
}

void PreferencesFile::reportOnce(const std::string& problem)
{
    if (std::exchange(m_reported, true))
        return;
    if (m_report)
        m_report(problem);
}

} // namespace tickwell
