// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/RewriteJournal.h"

#include <algorithm>

namespace tickwell {

namespace {

using namespace std::string_view_literals;

// header: NUL "tickwell:rewrite-begin:" <gap length, 16 hex digits> NUL
// trailer: NUL "tickwell:rewrite-end:" <text length, 16 hex> ":" <checksum, 16 hex> NUL
constexpr std::string_view headerMark = "\0tickwell:rewrite-begin:"sv;
constexpr std::string_view trailerMark = "\0tickwell:rewrite-end:"sv;
constexpr std::size_t hexDigits = 16;
constexpr std::size_t headerSize = headerMark.size() + hexDigits + 1;
constexpr std::size_t trailerSize = trailerMark.size() + hexDigits + 1 + hexDigits + 1;
constexpr std::size_t pageSize = 4096;

void appendHex(std::string& out, std::uint64_t value)
{
    for (int shift = 60; shift >= 0; shift -= 4)
        out += "0123456789abcdef"[(value >> shift) & 0xF];
}

bool readHex(std::string_view text, std::uint64_t& value) noexcept
{
    if (text.size() != hexDigits)
        return false;
    value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        value = (value << 4) | std::uint64_t(digit);
    }
    return true;
}

// The new text of a whole journal at the end of `bytes`, if there is one.
bool finishedText(std::string_view bytes, std::string_view& text) noexcept
{
    if (bytes.size() < headerSize + trailerSize)
        return false;
    const std::string_view trailer = bytes.substr(bytes.size() - trailerSize);
    std::uint64_t length = 0, sum = 0;
    if (trailer.substr(0, trailerMark.size()) != trailerMark
        || !readHex(trailer.substr(trailerMark.size(), hexDigits), length)
        || trailer[trailerMark.size() + hexDigits] != ':'
        || !readHex(trailer.substr(trailerMark.size() + hexDigits + 1, hexDigits), sum)
        || trailer.back() != '\0')
        return false;
    if (length > bytes.size() - trailerSize - headerSize)
        return false;
    const std::size_t textAt = bytes.size() - trailerSize - std::size_t(length);
    if (bytes.substr(textAt - headerSize, headerMark.size()) != headerMark)
        return false;
    text = bytes.substr(textAt, std::size_t(length));
    return checksum(text) == sum;
}

// The length `bytes` have without a journal whose header stands at `at`:
// the header's gap goes with it.
std::size_t lengthBefore(std::string_view bytes, std::size_t at) noexcept
{
    std::uint64_t gap = 0;
    if (!readHex(bytes.substr(at + headerMark.size(), hexDigits), gap) || gap > at)
        return at;
    // Blanks as written, or NULs where the gap was never written; anything
    // else is not a gap of ours and stays.
    const std::string_view before = bytes.substr(at - std::size_t(gap), std::size_t(gap));
    const bool isGap
        = std::all_of(before.begin(), before.end(), [](char c) { return c == ' ' || c == '\0'; });
    return isGap ? at - std::size_t(gap) : at;
}

} // namespace

std::uint64_t checksum(std::string_view bytes, std::uint64_t carried) noexcept
{
    for (const char c : bytes) {
        carried ^= static_cast<unsigned char>(c);
        carried *= 0x100000001b3ULL;
    }
    return carried;
}

RewriteJournal planRewriteJournal(std::size_t oldSize, std::string_view newText)
{
    RewriteJournal journal;
    journal.gapAt = oldSize;
    std::size_t headerAt = std::max(oldSize, newText.size());
    if (headerAt % pageSize + headerSize > pageSize)
        headerAt += pageSize - headerAt % pageSize;
    journal.gap.assign(headerAt - oldSize, ' ');
    journal.headerAt = headerAt;
    journal.header.assign(headerMark);
    appendHex(journal.header, journal.gap.size());
    journal.header += '\0';
    journal.textAt = headerAt + headerSize;
    journal.trailerAt = journal.textAt + newText.size();
    journal.trailer.assign(trailerMark);
    appendHex(journal.trailer, newText.size());
    journal.trailer += ':';
    appendHex(journal.trailer, checksum(newText));
    journal.trailer += '\0';
    return journal;
}

ResolvedFile resolveRewriteJournal(std::string_view bytes) noexcept
{
    ResolvedFile resolved { bytes, false, bytes.size() };
    std::string_view text;
    if (finishedText(bytes, text)) {
        resolved.journal = true;
    } else if (const std::size_t at = bytes.rfind(headerMark); at != std::string_view::npos) {
        resolved.journal = true;
        resolved.keptLength = lengthBefore(bytes, at);
        text = bytes.substr(0, resolved.keptLength);
        if (!finishedText(text, text))
            text = bytes.substr(0, resolved.keptLength);
    } else {
        return resolved;
    }
    // The new text never holds a header; should one turn up all the same, it
    // is cut like an unfinished journal, so that what is kept of a file never
    // holds one and reads the same after every rewrite.
    if (const std::size_t at = text.find(headerMark); at != std::string_view::npos)
        text = text.substr(0, lengthBefore(text, at));
    resolved.text = text;
    return resolved;
}

} // namespace tickwell
