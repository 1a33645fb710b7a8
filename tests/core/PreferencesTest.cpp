// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/PreferencesStore.h"
#include "preferences/PreferencesText.h"

#include "support/ScopedEnvironment.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

using namespace tickwell;
using namespace std::string_literals;
using tickwell::test::readFile;
using tickwell::test::TemporaryDirectory;
using Environment = tickwell::test::ScopedEnvironment;
using tickwell::test::writeFile;

namespace {

Preferences chosen()
{
    Preferences preferences;
    preferences.sound = Preferences::Sound::File;
    preferences.soundFile = "/home/me/Music/wake up.oga";
    preferences.ringTime = std::chrono::minutes(20);
    preferences.gentleStart = false;
    preferences.snoozeMinutes = { 5, 120 };
    return preferences;
}

mode_t modeOf(const std::filesystem::path& path)
{
    struct stat info { };
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

} // namespace

TEST(preferences_text, is_written_one_setting_a_line_and_reads_back)
{
    EXPECT_EQ(writePreferences(chosen()),
        "# Tickwell Alarm Clock: the choices of its Preferences window, one a line.\n"
        "# A line the clock cannot read leaves that setting at its default.\n"
        "sound = file\n"
        "sound-file = /home/me/Music/wake up.oga\n"
        "ring-minutes = 20\n"
        "gentle-start = no\n"
        "first-snooze-minutes = 5\n"
        "second-snooze-minutes = 120\n");
    for (const Preferences& preferences : { Preferences {}, chosen() }) {
        const ReadPreferences read = readPreferences(writePreferences(preferences));
        EXPECT_EQ(read.preferences, preferences);
        EXPECT_TRUE(read.unreadLines.empty());
    }
    // Nothing at all: the defaults, ringing five minutes, softly at first,
    // with snoozes of ten minutes and an hour.
    const ReadPreferences empty = readPreferences("");
    EXPECT_EQ(empty.preferences, Preferences {});
    EXPECT_EQ(empty.preferences.ringTime, std::chrono::minutes(5));
    EXPECT_TRUE(empty.preferences.gentleStart);
    EXPECT_EQ(empty.preferences.snoozeMinutes, (std::array { 10, 60 }));
    EXPECT_EQ(empty.preferences.sound, Preferences::Sound::Theme);
}

TEST(preferences_text, a_file_edited_by_hand_reads_as_meant)
{
    // An editor's byte-order mark and line ends, blanks and tabs about the
    // names, comments, and a setting given twice: the later one counts.
    const ReadPreferences read = readPreferences("\xEF\xBB\xBF# mine\r\n"
                                                 "\r\n"
                                                 "  ring-minutes=1\r\n"
                                                 "\tgentle-start =  no \r\n"
                                                 "ring-minutes = 30\r\n"
                                                 "   # first-snooze-minutes = 7\r\n"
                                                 "second-snooze-minutes = 1440");
    Preferences expected;
    expected.ringTime = std::chrono::minutes(30);
    expected.gentleStart = false;
    expected.snoozeMinutes = { 10, 1440 };
    EXPECT_EQ(read.preferences, expected);
    EXPECT_TRUE(read.unreadLines.empty());
}

TEST(preferences_text, what_cannot_be_read_keeps_its_default_and_is_named_by_its_line)
{
    const ReadPreferences read
        = readPreferences("sound = loud\n" // 1
                          "ring-minutes = 61\n" // 2: longer than an hour
                          "ring-minutes = -5\n" // 3
                          "gentle-start = maybe\n" // 4
                          "first-snooze-minutes = 0\n" // 5
                          "second-snooze-minutes = 1441\n" // 6
                          "second-snooze-minutes = 99999999999999\n" // 7
                          "snooze = 10\n" // 8: no such setting
                          "just words\n" // 9
                          "sound-file = C:\\Sounds\\bell.wav\n" // 10: "\S" is no escape
                          "sound-file = /a\\x00b\n" // 11: a NUL in a name
                          "first-snooze-minutes = 15\n" // read
                          "\x01\xff\xfe=\x80\n" // 13
                          "gentle-start = no"); // read
    EXPECT_EQ(read.unreadLines, (std::vector { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13 }));
    Preferences expected;
    expected.snoozeMinutes[0] = 15;
    expected.gentleStart = false;
    EXPECT_EQ(read.preferences, expected);
}

TEST(preferences_text, any_file_name_is_kept_byte_for_byte)
{
    for (const std::string& name :
        { std::string("/music/back\\slash"), std::string(" leading and trailing \t"),
            std::string("line\nbreak\rand\ttab\x7f"), std::string("/M\xC3\xBAsica/\xE2\x99\xAA.ogg"),
            std::string("=#\\x41"), std::string("\xff\xfe not UTF-8") }) {
        Preferences preferences;
        preferences.soundFile = name;
        const std::string text = writePreferences(preferences);
        // One setting a line, whatever the name holds.
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8) << text;
        const ReadPreferences read = readPreferences(text);
        EXPECT_EQ(read.preferences.soundFile, name);
        EXPECT_TRUE(read.unreadLines.empty());
    }
    EXPECT_EQ(readPreferences("sound-file = \\x20a\\x09\\\\\\x7F").preferences.soundFile, " a\t\\\x7f");
}

TEST(preferences, lengths_read_as_words)
{
    EXPECT_EQ(minutesText(1), "1 Minute");
    EXPECT_EQ(minutesText(10), "10 Minutes");
    EXPECT_EQ(minutesText(60), "1 Hour");
    EXPECT_EQ(minutesText(90), "90 Minutes");
    EXPECT_EQ(minutesText(120), "2 Hours");
    EXPECT_EQ(minutesText(1440), "24 Hours");
    for (const int choice : ringTimeChoices)
        EXPECT_TRUE(isValidRingTime(std::chrono::minutes(choice)));
    for (const int choice : snoozeChoices)
        EXPECT_TRUE(isValidSnooze(choice));
}

TEST(preferences_file, lies_in_the_users_configuration_folder)
{
    {
        const Environment home("HOME", "/home/me");
        const Environment configuration("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(PreferencesFile::defaultPath("org.example.Tickwell"),
            "/home/me/.config/org.example.Tickwell/preferences");
        const Environment elsewhere("XDG_CONFIG_HOME", "/etc/me");
        EXPECT_EQ(
            PreferencesFile::defaultPath("org.example.Tickwell"), "/etc/me/org.example.Tickwell/preferences");
        // Only an absolute path counts.
        const Environment relative("XDG_CONFIG_HOME", "config");
        EXPECT_EQ(PreferencesFile::defaultPath("org.example.Tickwell"),
            "/home/me/.config/org.example.Tickwell/preferences");
    }
    const Environment noHome("HOME", nullptr);
    const Environment noConfiguration("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(PreferencesFile::defaultPath("org.example.Tickwell"), "");
    std::vector<std::string> said;
    PreferencesFile nowhere({}, [&](const std::string& problem) { said.push_back(problem); });
    EXPECT_EQ(nowhere.load(), Preferences {});
    EXPECT_EQ(nowhere.save(chosen()), "there is no home folder to keep them in");
    EXPECT_TRUE(said.empty());
}

TEST(preferences_file, saved_in_folders_of_the_users_own_and_read_back)
{
    const TemporaryDirectory dir;
    const auto path = dir / ".config" / "org.example.Tickwell" / "preferences";
    std::vector<std::string> said;
    PreferencesFile file(path, [&](const std::string& problem) { said.push_back(problem); });
    // None kept yet: the defaults, without a word.
    EXPECT_EQ(file.load(), Preferences {});
    EXPECT_EQ(file.save(chosen()), "");
    EXPECT_EQ(readFile(path), writePreferences(chosen()));
    EXPECT_EQ(modeOf(dir / ".config"), 0700u);
    EXPECT_EQ(modeOf(path.parent_path()), 0700u);
    EXPECT_EQ(file.load(), chosen());
    // Saved again, through a new file: no temporary is left beside it.
    EXPECT_EQ(file.save(Preferences {}), "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()), {}), 1);
    EXPECT_EQ(file.load(), Preferences {});
    EXPECT_TRUE(said.empty());

    // A file the user keeps elsewhere, linked in: it is the file written.
    const auto kept = dir / "dotfiles-preferences";
    writeFile(kept, "ring-minutes = 1\n");
    std::filesystem::remove(path);
    std::filesystem::create_symlink(kept, path);
    EXPECT_EQ(file.load().ringTime, std::chrono::minutes(1));
    EXPECT_EQ(file.save(chosen()), "");
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(readFile(kept), writePreferences(chosen()));
}

TEST(preferences_file, a_damaged_file_gives_the_defaults_for_what_it_lacks_and_says_so_once)
{
    const TemporaryDirectory dir;
    const auto path = dir / "preferences";
    writeFile(path,
        "ring-minutes = 10\ngentle-start = sometimes\n\x00\x01\x02garbage\nfirst-snooze-minutes = 15\n"s);
    std::vector<std::string> said;
    PreferencesFile file(path, [&](const std::string& problem) { said.push_back(problem); });
    Preferences expected;
    expected.ringTime = std::chrono::minutes(10);
    expected.snoozeMinutes[0] = 15;
    EXPECT_EQ(file.load(), expected);
    EXPECT_EQ(file.load(), expected);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0],
        "lines 2 and 3 of the preferences in " + path.string()
            + " cannot be read; the defaults stand in for what they set");
    // Saving writes the whole file anew, readable throughout.
    EXPECT_EQ(file.save(expected), "");
    EXPECT_EQ(readPreferences(readFile(path)).unreadLines, std::vector<int> {});

    // What lies in the file's place and is no file: read without waiting,
    // never written over, and said no more than once a run.
    for (const bool fifo : { true, false }) {
        std::filesystem::remove(path);
        if (fifo)
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        else
            std::filesystem::create_directory(path);
        std::vector<std::string> told;
        PreferencesFile odd(path, [&](const std::string& problem) { told.push_back(problem); });
        EXPECT_EQ(odd.load(), Preferences {});
        EXPECT_EQ(odd.load(), Preferences {});
        EXPECT_EQ(told,
            std::vector<std::string> { "the preferences in " + path.string()
                + " cannot be read (it is not a regular file); the defaults stand in for them" });
        EXPECT_EQ(odd.save(chosen()), "it is not a regular file");
        std::filesystem::remove(path);
    }

    // Too large to be preferences: kilobytes of them at most.
    writeFile(path, std::string(PreferencesFile::maxBytes + 1, '#'));
    std::vector<std::string> told;
    PreferencesFile large(path, [&](const std::string& problem) { told.push_back(problem); });
    EXPECT_EQ(large.load(), Preferences {});
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("(it is larger than 64 KB)"), std::string::npos) << told[0];
}
