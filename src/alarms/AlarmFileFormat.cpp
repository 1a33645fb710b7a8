// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmFileFormat.h"

#include "alarms/RewriteJournal.h"
#include "alarms/TextEncoding.h"
#include "frame/dates/DateText.h"

#include <optional>

namespace tickwell {

namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

class RecordReader {
public:
    RecordReader(std::string_view text, std::size_t pos)
        : m_text(text)
        , m_pos(pos)
    {
    }

    std::size_t position() const { return m_pos; }

    std::optional<AlarmRecord> record()
    {
        const auto when = dateLiteral();
        if (!when)
            return std::nullopt;
        skipBlanks();
        if (!take(','))
            return std::nullopt;
        skipBlanks();
        auto reminder = quotedText();
        if (!reminder)
            return std::nullopt;
        skipBlanks();
        if (!lineEnd())
            return std::nullopt;
        return AlarmRecord { *when, std::move(*reminder) };
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    bool take(char c)
    {
        if (atEnd() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

    void skipBlanks()
    {
        while (peek() == ' ' || peek() == '\t')
            ++m_pos;
    }

    std::optional<int> number(int minDigits, int maxDigits)
    {
        int value = 0, count = 0;
        while (count < maxDigits && peek() >= '0' && peek() <= '9') {
            value = value * 10 + (m_text[m_pos++] - '0');
            ++count;
        }
        if (count < minDigits)
            return std::nullopt;
        return value;
    }

    // #yyyy-mm-dd# or #yyyy-mm-dd hh:mm:ss#
    std::optional<DateValue> dateLiteral()
    {
        if (!take('#'))
            return std::nullopt;
        const auto year = number(4, 4);
        if (!year || !take('-'))
            return std::nullopt;
        const auto month = number(1, 2);
        if (!month || !take('-'))
            return std::nullopt;
        const auto day = number(1, 2);
        if (!day)
            return std::nullopt;
        int hour = 0, minute = 0, second = 0;
        if (take(' ')) {
            const auto h = number(1, 2);
            if (!h || !take(':'))
                return std::nullopt;
            const auto m = number(2, 2);
            if (!m || !take(':'))
                return std::nullopt;
            const auto s = number(2, 2);
            if (!s)
                return std::nullopt;
            hour = *h, minute = *m, second = *s;
        }
        if (!take('#'))
            return std::nullopt;
        return DateValue::fromParts(*year, *month, *day, hour, minute, second);
    }

    // Everything between the opening quote and the next single quote;
    // a doubled quote stands for one. Gives up past the longest reminder,
    // so an unclosed quote or binary garbage ends reading at once.
    //
    // Each reminder is judged on its own: UTF-8 when its bytes are, else
    // Windows-1252. A file from the old desktop that has since had records
    // added in UTF-8, or one damaged byte elsewhere in the file, then reads
    // every reminder as it was written.
    std::optional<std::string> quotedText()
    {
        if (!take('"'))
            return std::nullopt;
        constexpr std::size_t longestInBytes = 4 * maxReminderCharacters;
        std::string bytes;
        while (!atEnd()) {
            const char c = m_text[m_pos++];
            if (c == '"' && !take('"'))
                return decodedReminder(std::move(bytes));
            if (bytes.size() == longestInBytes)
                return std::nullopt;
            bytes += c;
        }
        return std::nullopt;
    }

    static std::optional<std::string> decodedReminder(std::string bytes)
    {
        // A NUL byte is no text; only the journal of a rewrite holds one.
        if (bytes.find('\0') != std::string::npos)
            return std::nullopt;
        std::string text = isValidUtf8(bytes) ? std::move(bytes) : windows1252ToUtf8(bytes);
        if (countCharacters(text) > maxReminderCharacters)
            return std::nullopt;
        return text;
    }

    bool lineEnd()
    {
        if (atEnd())
            return true; // the last record may lack its line end
        // So may the last of a file that another one, begun with a mark, was
        // joined to: the mark starts the next line.
        if (m_text.substr(m_pos, byteOrderMark.size()) == byteOrderMark)
            return true;
        if (take('\n'))
            return true;
        if (take('\r')) {
            take('\n');
            return true;
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_pos;
};

std::size_t leadingByteOrderMarks(std::string_view text)
{
    std::size_t length = 0;
    while (text.substr(length, byteOrderMark.size()) == byteOrderMark)
        length += byteOrderMark.size();
    return length;
}

// Past the blanks and blank lines before the next record, and past the
// byte-order marks that start a line: two files joined into one, each begun
// with a mark by the editor that saved it, have the second's mark where its
// first line starts. `pos` is at the start of a line, or at a mark right
// after a record; `marked` is set when a mark was passed.
std::size_t pastBlanksAndMarks(std::string_view text, std::size_t pos, bool& marked)
{
    bool lineStart = true;
    while (pos < text.size()) {
        if (lineStart && text.substr(pos, byteOrderMark.size()) == byteOrderMark) {
            pos += byteOrderMark.size();
            marked = true;
            continue;
        }
        const char c = text[pos];
        if (c == '\r' || c == '\n')
            lineStart = true;
        else if (c == ' ' || c == '\t')
            lineStart = false;
        else
            break;
        ++pos;
    }
    return pos;
}

} // namespace

std::string formatDateLiteral(DateValue when)
{
    const DateParts p = when.parts();
    std::string text;
    text.reserve(21);
    text += '#';
    appendIsoDate(text, p.year, p.month, p.day);
    if (p.hour != 0 || p.minute != 0 || p.second != 0) {
        text += ' ';
        appendDigits(text, p.hour, 2);
        text += ':';
        appendDigits(text, p.minute, 2);
        text += ':';
        appendDigits(text, p.second, 2);
    }
    text += '#';
    return text;
}

std::string formatAlarmRecord(const AlarmRecord& record)
{
    std::string text = formatDateLiteral(record.when);
    text += ",\"";
    for (const char c : record.reminder) {
        text += c;
        if (c == '"')
            text += '"';
    }
    text += "\"\r\n";
    return text;
}

std::string formatAlarmFile(
    std::span<const AlarmRecord> records, std::string_view unreadable, std::string_view leading)
{
    std::string text { leading };
    for (const AlarmRecord& record : records)
        text += formatAlarmRecord(record);
    text += unreadable;
    return text;
}

std::string recordFault(const AlarmRecord& record)
{
    if (!isValidUtf8(record.reminder))
        return "the reminder is not valid UTF-8";
    if (countCharacters(record.reminder) > maxReminderCharacters)
        return "the reminder is longer than " + std::to_string(maxReminderCharacters) + " characters";
    if (record.reminder.find('\0') != std::string::npos)
        return "the reminder holds a NUL character";
    const std::string dateFault
        = "its date cannot be written as a whole second between the years 100 and 9999";
    // Checked before the date is taken apart, which only values in this
    // range allow (NaN fails it too).
    if (!(record.when >= DateValue::noDate()
            && record.when <= *DateValue::fromParts(9999, 12, 31, 23, 59, 59)))
        return dateFault;
    const std::string bytes = formatAlarmRecord(record);
    RecordReader reader { bytes, 0 };
    const std::optional<AlarmRecord> read = reader.record();
    if (!read || read->when != record.when)
        return dateFault;
    if (*read != record || reader.position() != bytes.size())
        return "it would not read back as written";
    return {};
}

AlarmFileContents parseAlarmFile(std::string_view bytes)
{
    AlarmFileContents contents;
    const ResolvedFile resolved = resolveRewriteJournal(bytes);
    contents.journal = resolved.journal;
    contents.keptLength = resolved.keptLength;
    std::string_view text = resolved.text;
    // Kept as they were: a mark lost at each rewrite would be a byte lost.
    contents.leading.assign(text.substr(0, leadingByteOrderMarks(text)));
    text.remove_prefix(contents.leading.size());
    std::size_t pos = 0;
    for (;;) {
        const std::size_t afterLast = pos;
        // The file's own marks count too: a tail of marks and blanks kept
        // from the end of a file reads back the same when it is all there is.
        bool marked = afterLast == 0 && !contents.leading.empty();
        pos = pastBlanksAndMarks(text, pos, marked);
        if (pos == text.size()) {
            // Marks with no record after them are kept where they stand, at
            // the end, with the blanks after them: blanks elsewhere are the
            // only bytes a rewrite may leave out.
            if (marked)
                contents.unreadable.assign(text.substr(afterLast));
            break;
        }
        RecordReader reader { text, pos };
        auto record = contents.records.size() < maxRecordsRead ? reader.record() : std::nullopt;
        if (!record) {
            // With the blank lines and marks before it: written back after
            // other records, or after the marks, it reads the same again.
            contents.unreadable.assign(text.substr(afterLast));
            break;
        }
        contents.records.push_back(std::move(*record));
        pos = reader.position();
    }
    return contents;
}

} // namespace tickwell
