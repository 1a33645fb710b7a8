// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The rewrite of a file that has to be written over in place (its directory
// allows no new file). The new text is first added after the old one, framed
// by a header and a trailer, and only then copied over the old text:
//
//   old text | gap | header | new text | trailer
//
// Until the trailer is whole, a reader takes the text before the gap, so the
// file reads as before; from then on it takes the framed new text, however far
// the copy over the old text has gone, so the file reads as after. Cutting the
// file to the new text's length ends the rewrite.
//
// The header and the trailer hold a NUL byte, which no record holds, so they
// are never mistaken for a reminder. The gap keeps the copy clear of the
// header and the header clear of a page boundary, so that no kill can leave
// half a header.
namespace tickwell {

struct RewriteJournal {
    std::size_t gapAt = 0; // the old text's end
    std::string gap; // blanks up to the header
    std::size_t headerAt = 0;
    std::string header;
    std::size_t textAt = 0; // the new text
    std::size_t trailerAt = 0;
    std::string trailer;

    std::size_t end() const noexcept { return trailerAt + trailer.size(); }
};

RewriteJournal planRewriteJournal(std::size_t oldSize, std::string_view newText);

struct ResolvedFile {
    std::string_view text; // what the file stands for
    bool journal = false; // true when the bytes held (part of) a rewrite journal
    // The file may be cut to this length without a change to what it
    // stands for: the bytes beyond are a journal that was never finished.
    std::size_t keptLength = 0;
};

// The text a file's bytes stand for: the new text of a whole journal, the
// text before one that was never finished, or else the bytes themselves.
// A writer cuts an unfinished journal away before it adds its own, so a file
// holds at most a whole journal with an unfinished one after it.
ResolvedFile resolveRewriteJournal(std::string_view bytes) noexcept;

// FNV-1a, 64 bits: a checksum that can be carried on as bytes are added.
inline constexpr std::uint64_t checksumStart = 0xcbf29ce484222325ULL;
std::uint64_t checksum(std::string_view bytes, std::uint64_t carried = checksumStart) noexcept;

} // namespace tickwell
