// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/RewriteJournal.h"
#include "alarms/AlarmFileFormat.h"
#include "support/Alarms.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tickwell;
using tickwell::test::at;

namespace {

std::string records(int first, int count, const std::string& reminder)
{
    std::vector<AlarmRecord> list;
    for (int i = 0; i < count; ++i)
        list.push_back(
            { at(2030, 1 + (first + i) % 12, 1 + i % 28, i % 24, 5), reminder + std::to_string(i) });
    return formatAlarmFile(list, "");
}

bool sameReading(const AlarmFileContents& a, const AlarmFileContents& b)
{
    return a.records == b.records && a.unreadable == b.unreadable && a.leading == b.leading;
}

// Goes through a rewrite in place of `disk` with `next` as the writer makes
// it, one byte at a time, and calls `look` with the file at every moment.
// Only the header comes whole: it is written on its own and never crosses a
// page, and a kill does not split a write within a page.
void rewriteByteByByte(std::string& disk, const std::string& next, std::size_t keptLength,
    const std::function<void(const std::string&)>& look)
{
    const auto write = [&](std::size_t offset, std::string_view bytes, std::size_t step = 1) {
        for (std::size_t i = 0; i < bytes.size(); i += step) {
            const std::string_view piece = bytes.substr(i, step);
            if (disk.size() < offset + i + piece.size())
                disk.resize(offset + i + piece.size(), '\0'); // a hole reads as NULs
            disk.replace(offset + i, piece.size(), piece);
            look(disk);
        }
    };
    if (keptLength < disk.size()) {
        disk.resize(keptLength);
        look(disk);
    }
    const RewriteJournal journal = planRewriteJournal(disk.size(), next);
    ASSERT_LE(journal.headerAt % 4096 + journal.header.size(), 4096u);
    write(journal.headerAt, journal.header, journal.header.size());
    write(journal.gapAt, journal.gap);
    write(journal.textAt, next);
    write(journal.trailerAt, journal.trailer);
    write(0, next);
    disk.resize(next.size());
    look(disk);
}

void expectBeforeOrAfterAtEveryMoment(const std::string& old, const std::string& next, std::size_t keptLength)
{
    const AlarmFileContents before = parseAlarmFile(old);
    const AlarmFileContents after = parseAlarmFile(next);
    std::string disk = old;
    int moments = 0, asAfter = 0;
    rewriteByteByByte(disk, next, keptLength, [&](const std::string& now) {
        const AlarmFileContents read = parseAlarmFile(now);
        ++moments;
        if (sameReading(read, after)) {
            ++asAfter;
        } else {
            ASSERT_TRUE(sameReading(read, before))
                << "moment " << moments << ": " << read.records.size() << " records, unreadable "
                << read.unreadable.size() << " bytes";
            // Before the trailer is whole the file may be cut back at once.
            ASSERT_TRUE(sameReading(parseAlarmFile(now.substr(0, read.keptLength)), before));
        }
    });
    EXPECT_EQ(disk, next);
    EXPECT_GT(asAfter, 0);
}

} // namespace

TEST(rewrite_journal, every_moment_of_a_rewrite_in_place_reads_as_before_or_after)
{
    const std::string few = records(0, 3, "few ");
    const std::string many = records(3, 12, "many, many ");
    const std::string damaged = few + "#2030-02-31#,\"no such day\"\r\n" + "#2030-01-01#,\"no line end\"";
    const std::string noLineEnd = few + "#2030-05-05 05:05:00#,\"last\"";
    const std::string marked = "\xEF\xBB\xBF\xEF\xBB\xBF" + few;
    for (const auto& [old, next] : std::initializer_list<std::pair<std::string, std::string>> { { few, many },
             { many, few }, { few, few }, { "", few }, { few, "" }, { damaged, many }, { many, damaged },
             { noLineEnd, few }, { marked, many } }) {
        SCOPED_TRACE(std::to_string(old.size()) + " to " + std::to_string(next.size()) + " bytes");
        expectBeforeOrAfterAtEveryMoment(old, next, old.size());
    }
}

TEST(rewrite_journal, a_rewrite_over_the_leftovers_of_earlier_ones_reads_as_before_or_after)
{
    const std::string first = records(0, 4, "first ");
    const std::string second = records(4, 9, "second ");
    const std::string third = records(13, 2, "third ");

    const auto moments = [](std::string disk, const std::string& next) {
        std::vector<std::string> all;
        rewriteByteByByte(disk, next, disk.size(), [&](const std::string& now) { all.push_back(now); });
        return all;
    };
    // The copy of a rewrite stopped half way (the copy is the last bytes
    // written before the cut): the journal decides.
    const std::vector<std::string> firstRewrite = moments(first, second);
    const std::string halfCopied = firstRewrite[firstRewrite.size() - 1 - second.size() / 2];
    ASSERT_TRUE(sameReading(parseAlarmFile(halfCopied), parseAlarmFile(second)));
    ASSERT_GT(halfCopied.size(), second.size());

    // A later rewrite stopped before its trailer, on top of that: the header
    // is the first moment, the new text comes after the gap.
    const std::vector<std::string> secondRewrite = moments(halfCopied, third);
    const RewriteJournal journal = planRewriteJournal(halfCopied.size(), third);
    const std::string unfinished = secondRewrite[journal.gap.size() + third.size() / 2];
    const AlarmFileContents read = parseAlarmFile(unfinished);
    ASSERT_TRUE(sameReading(read, parseAlarmFile(second)));
    EXPECT_TRUE(read.journal);
    EXPECT_EQ(read.keptLength, halfCopied.size());

    // The next rewrite cuts the unfinished one away first.
    expectBeforeOrAfterAtEveryMoment(unfinished, third, read.keptLength);
}

TEST(rewrite_journal, what_is_kept_of_a_file_never_holds_a_journal_so_it_reads_the_same_after_a_rewrite)
{
    // A finished journal whose new text holds a journal header of its own:
    // crafted, since the writer never writes one.
    const std::string inner = records(0, 2, "inner ");
    std::string crafted = inner;
    rewriteByteByByte(crafted, records(2, 2, "x "), crafted.size(), [](const std::string&) {});
    std::string nested = records(5, 1, "outer ");
    const std::string text = "#bad#" + crafted.substr(0, 40) + std::string("\0tickwell:rewrite-begin:", 24);
    const RewriteJournal journal = planRewriteJournal(nested.size(), text);
    nested.resize(journal.end(), ' ');
    nested.replace(journal.headerAt, journal.header.size(), journal.header);
    nested.replace(journal.textAt, text.size(), text);
    nested.replace(journal.trailerAt, journal.trailer.size(), journal.trailer);

    const AlarmFileContents read = parseAlarmFile(nested);
    EXPECT_EQ(read.unreadable.find(std::string("\0tickwell", 9)), std::string::npos);
    const AlarmFileContents again
        = parseAlarmFile(formatAlarmFile(read.records, read.unreadable, read.leading));
    EXPECT_TRUE(sameReading(again, read));
    EXPECT_FALSE(again.journal);
}
