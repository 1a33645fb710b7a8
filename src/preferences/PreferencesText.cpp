// SPDX-License-Identifier: GPL-3.0-or-later
#include "preferences/PreferencesText.h"

#include <charconv>
#include <optional>

namespace tickwell {

namespace {

constexpr std::string_view blanks = " \t";
constexpr std::string_view hexDigits = "0123456789ABCDEF";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<int> number(std::string_view text)
{
    // Digits alone, and few: no sign, no blanks, nothing that overflows.
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::optional<bool> yesOrNo(std::string_view text)
{
    if (text == "yes")
        return true;
    if (text == "no")
        return false;
    return std::nullopt;
}

int hexValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    return -1;
}

std::optional<std::string> unescaped(std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            bytes += '\\';
            ++i;
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x')
            return std::nullopt;
        const int high = hexValue(text[i + 2]), low = hexValue(text[i + 3]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes += char(high * 16 + low);
        i += 3;
    }
    // No file's name holds a NUL.
    if (bytes.find('\0') != std::string::npos)
        return std::nullopt;
    return bytes;
}

std::string escaped(std::string_view bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool blankAtAnEnd = (byte == ' ' || byte == '\t') && (i == 0 || i + 1 == bytes.size());
        if (byte == '\\') {
            text += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f || blankAtAnEnd) {
            text += "\\x";
            text += hexDigits[byte >> 4];
            text += hexDigits[byte & 0xf];
        } else {
            text += char(byte);
        }
    }
    return text;
}

// Takes one "name = value" into `preferences`; false if it says nothing
// this version can read.
bool readSetting(std::string_view name, std::string_view value, Preferences& preferences)
{
    if (name == "sound") {
        if (value != "theme" && value != "file")
            return false;
        preferences.sound = value == "theme" ? Preferences::Sound::Theme : Preferences::Sound::File;
        return true;
    }
    if (name == "sound-file") {
        const std::optional<std::string> file = unescaped(value);
        if (file)
            preferences.soundFile = *file;
        return file.has_value();
    }
    if (name == "ring-minutes") {
        const std::optional<int> minutes = number(value);
        if (!minutes || !isValidRingTime(std::chrono::minutes(*minutes)))
            return false;
        preferences.ringTime = std::chrono::minutes(*minutes);
        return true;
    }
    if (name == "gentle-start") {
        const std::optional<bool> gentle = yesOrNo(value);
        if (gentle)
            preferences.gentleStart = *gentle;
        return gentle.has_value();
    }
    if (name == "first-snooze-minutes" || name == "second-snooze-minutes") {
        const std::optional<int> minutes = number(value);
        if (!minutes || !isValidSnooze(*minutes))
            return false;
        preferences.snoozeMinutes[name.starts_with("first") ? 0 : 1] = *minutes;
        return true;
    }
    return false;
}

} // namespace

ReadPreferences readPreferences(std::string_view text)
{
    ReadPreferences read;
    // An editor's byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        line = trimmed(line);
        if (line.empty() || line.starts_with('#'))
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos
            || !readSetting(
                trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)), read.preferences))
            read.unreadLines.push_back(lineNumber);
    }
    return read;
}

std::string writePreferences(const Preferences& preferences)
{
    std::string text = "# Tickwell Alarm Clock: the choices of its Preferences window, one a line.\n"
                       "# A line the clock cannot read leaves that setting at its default.\n";
    text += "sound = ";
    text += preferences.sound == Preferences::Sound::Theme ? "theme" : "file";
    text += "\nsound-file = " + escaped(preferences.soundFile);
    text += "\nring-minutes = " + std::to_string(preferences.ringTime.count());
    text += "\ngentle-start = ";
    text += preferences.gentleStart ? "yes" : "no";
    text += "\nfirst-snooze-minutes = " + std::to_string(preferences.snoozeMinutes[0]);
    text += "\nsecond-snooze-minutes = " + std::to_string(preferences.snoozeMinutes[1]);
    text += '\n';
    return text;
}

} // namespace tickwell
