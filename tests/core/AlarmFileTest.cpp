// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmFile.h"
#include "alarms/AlarmStore.h"
#include "support/Alarms.h"

#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <random>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tickwell;
using tickwell::test::at;
using tickwell::test::readFile;
using tickwell::test::TemporaryDirectory;
using tickwell::test::writeFile;

namespace {

const AlarmRecord dentist { at(2030, 10, 5, 9, 30), "Dentist" };
const AlarmRecord train { at(2030, 10, 6, 17, 45), "Train, platform 2" };
const std::string dentistBytes = "#2030-10-05 09:30:00#,\"Dentist\"\r\n";
const std::string trainBytes = "#2030-10-06 17:45:00#,\"Train, platform 2\"\r\n";

ino_t inode(const std::filesystem::path& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// Runs `body` in a child process and gives its exit status; for what must
// not touch the test process (privileges, resource limits, being killed).
template <typename Body> int inChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// As an ordinary user, who cannot write where the directory says no: root can.
bool becomeOrdinaryUser()
{
    return ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
}

std::vector<std::filesystem::path> keptAside(const TemporaryDirectory& dir)
{
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename().string().starts_with("Alarm.dat.changed-by-another-program-"))
            kept.push_back(entry.path());
    }
    return kept;
}

} // namespace

TEST(alarm_file, a_missing_file_means_no_alarms_and_the_first_append_creates_it)
{
    TemporaryDirectory dir;
    AlarmFile file { dir.path() };
    EXPECT_TRUE(file.load().empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "Alarm.dat"));
    ASSERT_TRUE(file.append({}, dentist).ok());
    ASSERT_TRUE(file.append(std::vector { dentist }, train).ok());
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes + trainBytes);
    EXPECT_EQ(file.load(), (std::vector { dentist, train }));
    EXPECT_EQ(file.writeCount(), 2u);
}

TEST(alarm_file, an_append_after_a_last_record_without_line_end_starts_a_new_line)
{
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", "#2030-10-05 09:30:00#,\"Dentist\"");
    AlarmFile file { dir.path() };
    ASSERT_TRUE(file.append(std::vector { dentist }, train).ok());
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes + trainBytes);
}

TEST(alarm_file, a_rewrite_replaces_the_file_whole_and_keeps_its_permissions)
{
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", dentistBytes + trainBytes);
    ::chmod((dir / "Alarm.dat").c_str(), 0640);
    const ino_t before = inode(dir / "Alarm.dat");
    AlarmFile file { dir.path() };
    ASSERT_EQ(file.load().size(), 2u);
    ASSERT_TRUE(file.rewrite(std::vector { train }).ok());
    EXPECT_EQ(readFile(dir / "Alarm.dat"), trainBytes);
    EXPECT_NE(inode(dir / "Alarm.dat"), before); // a new file was renamed into place
    EXPECT_EQ(std::filesystem::status(dir / "Alarm.dat").permissions() & std::filesystem::perms::all,
        std::filesystem::perms(0640));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    ASSERT_TRUE(file.rewrite({}).ok());
    EXPECT_EQ(std::filesystem::file_size(dir / "Alarm.dat"), 0u);
}

TEST(alarm_file, a_rewrite_through_a_symbolic_link_replaces_the_file_it_points_to)
{
    TemporaryDirectory dir;
    std::filesystem::create_directory(dir / "data");
    writeFile(dir / "data" / "alarms.txt", dentistBytes + trainBytes);
    std::filesystem::create_symlink("data/alarms.txt", dir / "Alarm.dat");
    AlarmFile file { dir.path() };
    ASSERT_EQ(file.load().size(), 2u);
    ASSERT_TRUE(file.rewrite(std::vector { dentist }).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "Alarm.dat"));
    EXPECT_EQ(readFile(dir / "data" / "alarms.txt"), dentistBytes);
}

TEST(alarm_file, what_could_not_be_read_is_written_back_after_the_records)
{
    TemporaryDirectory dir;
    const std::string damaged = "#2030-13-01#,\"no such month\"\r\n" + trainBytes;
    writeFile(dir / "Alarm.dat", dentistBytes + damaged);
    AlarmFile file { dir.path() };
    EXPECT_EQ(file.load(), std::vector { dentist });
    // Appended after it, a record would never be read: it goes in front.
    ASSERT_TRUE(file.append(std::vector { dentist }, train).ok());
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes + trainBytes + damaged);
    ASSERT_TRUE(file.rewrite({}).ok());
    EXPECT_EQ(readFile(dir / "Alarm.dat"), damaged);
}

TEST(alarm_file, a_file_joined_from_two_that_begin_with_a_byte_order_mark_is_read_and_rewritten_whole)
{
    TemporaryDirectory dir;
    const std::string mark = "\xEF\xBB\xBF";
    const AlarmRecord later { at(2030, 12, 1, 8, 0), "later" };
    writeFile(dir / "Alarm.dat", mark + dentistBytes + mark + trainBytes);
    AlarmFile file { dir.path() };
    EXPECT_EQ(file.load(), (std::vector { dentist, train }));
    ASSERT_TRUE(file.append(std::vector { dentist, train }, later).ok());
    EXPECT_EQ(file.load(), (std::vector { dentist, train, later }));
    // The mark inside goes; nothing is written twice or brought back later.
    ASSERT_TRUE(file.rewrite(std::vector { train, later }).ok());
    EXPECT_EQ(readFile(dir / "Alarm.dat"), mark + trainBytes + "#2030-12-01 08:00:00#,\"later\"\r\n");
    ASSERT_TRUE(file.rewrite({}).ok());
    EXPECT_EQ(readFile(dir / "Alarm.dat"), mark);
    EXPECT_TRUE(AlarmFile { dir.path() }.load().empty());
}

TEST(alarm_file, failures_are_reported_and_leave_the_old_file)
{
    TemporaryDirectory dir;
    // "Alarm.dat" is a directory: nothing can be read or written.
    std::filesystem::create_directory(dir / "Alarm.dat");
    AlarmFile file { dir.path() };
    EXPECT_TRUE(file.load().empty());
    EXPECT_FALSE(file.append({}, dentist).ok());
    const StoreResult result = file.rewrite({});
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.failure.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Alarm.dat"));

    // The directory has gone.
    AlarmFile gone { dir / "no-such-directory" };
    EXPECT_EQ(gone.append({}, dentist).failure, "No such file or directory");
    EXPECT_EQ(gone.rewrite({}).failure, "No such file or directory");
}

TEST(alarm_file, a_file_that_exists_but_cannot_be_read_is_never_rewritten_from_nothing)
{
    TemporaryDirectory dir;
    std::filesystem::create_directory(dir / "Alarm.dat");
    AlarmFile file { dir.path() };
    EXPECT_TRUE(file.load().empty());
    std::filesystem::remove(dir / "Alarm.dat");
    writeFile(dir / "Alarm.dat", dentistBytes);
    // Loaded from a failed read, the (empty) lists must not replace the file.
    EXPECT_FALSE(file.rewrite({}).ok());
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes);
}

TEST(alarm_file, a_read_only_directory_or_file_reports_the_failure_and_keeps_the_file)
{
    // Root may write anywhere, so the writes are tried as an ordinary user.
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", dentistBytes);
    ::chmod(dir.path().c_str(), 0555);
    ::chmod((dir / "Alarm.dat").c_str(), 0444);
    const int status = inChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        AlarmFile file { dir.path() };
        if (file.load() != std::vector { dentist })
            return 11;
        if (file.rewrite({}).failure != "Permission denied")
            return 12;
        if (file.append(std::vector { dentist }, train).failure != "Permission denied")
            return 13;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes);

    // A writable directory does not make a read-only file fair game.
    ::chmod(dir.path().c_str(), 0755);
    const int fileStatus = inChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        AlarmFile file { dir.path() };
        file.load();
        return file.rewrite({}).failure == "Permission denied" ? 0 : 12;
    });
    EXPECT_EQ(fileStatus, 0);
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes);
}

TEST(alarm_file, a_writable_file_in_a_read_only_directory_is_rewritten_in_place)
{
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", dentistBytes + trainBytes);
    ::chmod(dir.path().c_str(), 0555);
    ::chmod((dir / "Alarm.dat").c_str(), 0666);
    const ino_t before = inode(dir / "Alarm.dat");
    const int status = inChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        AlarmFile file { dir.path() };
        file.load();
        return file.rewrite(std::vector { train }).ok() ? 0 : 11;
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(dir / "Alarm.dat"), trainBytes);
    EXPECT_EQ(inode(dir / "Alarm.dat"), before);
}

TEST(alarm_file, an_append_that_fails_part_way_cuts_the_file_back)
{
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", dentistBytes);
    // The file-size limit lets 10 bytes of the record through, then the disk is "full".
    const int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { dentistBytes.size() + 10, dentistBytes.size() + 10 };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        AlarmFile file { dir.path() };
        const StoreResult result = file.append(std::vector { dentist }, train);
        return result.failure == "File too large" ? 0 : 11;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes);
}

namespace {

// The writes a kill campaign makes from a state: appends and rewrites, of
// files from empty to about 1 MB, the same for the parent and the child.
class WriteSequence {
public:
    WriteSequence(std::vector<AlarmRecord> start, std::uint64_t seed)
        : m_random(seed)
    {
        m_states.push_back(std::move(start));
    }

    // The state after the first `count` writes, and whether write `count` is an append.
    const std::vector<AlarmRecord>& state(std::size_t count)
    {
        while (m_states.size() <= count)
            next();
        return m_states[count];
    }
    bool isAppend(std::size_t index)
    {
        state(index + 1);
        return m_appends[index];
    }

private:
    AlarmRecord fresh()
    {
        ++m_made;
        const int minutes = int(m_random() % (60 * 24 * 365));
        std::string reminder = "kill " + std::to_string(m_made) + " ";
        reminder.resize(reminder.size() + m_random() % 100, char('a' + m_made % 26));
        return { at(2031, 1, 1 + minutes / (60 * 24) % 28, minutes / 60 % 24, minutes % 60), reminder };
    }

    void next()
    {
        std::vector<AlarmRecord> records = m_states.back();
        const bool append = m_random() % 2 == 0;
        if (append) {
            records.push_back(fresh());
        } else {
            // Anything from nothing to about 1 MB (some 7,000 records).
            const std::size_t wanted = m_random() % 3 == 0 ? m_random() % 8 : m_random() % 7000;
            while (records.size() > wanted)
                records.erase(records.begin() + std::ptrdiff_t(m_random() % records.size()));
            while (records.size() < wanted)
                records.push_back(fresh());
        }
        m_appends.push_back(append);
        m_states.push_back(std::move(records));
    }

    std::mt19937_64 m_random;
    std::vector<std::vector<AlarmRecord>> m_states;
    std::vector<bool> m_appends;
    int m_made = 0;
};

struct Progress {
    std::atomic<std::size_t> started { 0 };
    std::atomic<std::size_t> finished { 0 };
};

std::size_t campaignRounds()
{
    const char* rounds = std::getenv("TICKWELL_KILL_ROUNDS");
    return rounds ? std::size_t(std::strtoul(rounds, nullptr, 10)) : 300;
}

} // namespace

TEST(alarm_file, writes_killed_at_random_moments_leave_the_file_as_before_or_after)
{
    // Half the rounds in a directory that allows no new file, where the
    // rewrites are made in place by an ordinary user.
    TemporaryDirectory renamed, inPlace;
    writeFile(renamed / "Alarm.dat", "");
    writeFile(inPlace / "Alarm.dat", "");
    ::chmod((inPlace / "Alarm.dat").c_str(), 0666);
    ::chmod(inPlace.path().c_str(), 0555);
    auto* progress = static_cast<Progress*>(
        ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(progress, MAP_FAILED);

    std::mt19937_64 random(std::random_device {}());
    const std::size_t rounds = campaignRounds();
    std::size_t killedMidWrite = 0, writes = 0;
    std::vector<AlarmRecord> states[2];
    for (std::size_t round = 0; round < rounds; ++round) {
        const bool inPlaceRound = round % 2 == 1;
        const TemporaryDirectory& dir = inPlaceRound ? inPlace : renamed;
        const std::uint64_t seed = random();
        WriteSequence sequence(states[inPlaceRound], seed);
        new (progress) Progress;

        const pid_t pid = ::fork();
        if (pid == 0) {
            if (inPlaceRound && !becomeOrdinaryUser())
                ::_exit(10);
            AlarmFile file { dir.path() };
            if (file.load() != sequence.state(0))
                ::_exit(11);
            for (std::size_t i = 0;; ++i) {
                progress->started = i + 1;
                const std::vector<AlarmRecord>& after = sequence.state(i + 1);
                const StoreResult result = sequence.isAppend(i)
                    ? file.append(std::span(after).first(after.size() - 1), after.back())
                    : file.rewrite(after);
                if (!result.ok())
                    ::_exit(12);
                progress->finished = i + 1;
            }
        }
        ::usleep(useconds_t(random() % 40000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself with " << WEXITSTATUS(status);

        const std::size_t finished = progress->finished;
        killedMidWrite += progress->started > finished;
        writes += finished;
        const AlarmFileContents read = parseAlarmFile(readFile(dir / "Alarm.dat"));
        ASSERT_EQ(read.unreadable, "") << "round " << round;
        if (read.records == sequence.state(finished + 1))
            ++writes;
        else
            ASSERT_EQ(read.records, sequence.state(finished))
                << "round " << round << ", after " << finished << " writes ("
                << (inPlaceRound ? "in place" : "renamed") << ")";
        states[inPlaceRound] = read.records;
    }
    ::munmap(progress, sizeof(Progress));
    ::chmod(inPlace.path().c_str(), 0755);
    std::cout << "FIGURE kills survived: " << rounds << " (" << killedMidWrite
              << " in the middle of a write, " << writes << " writes done)\n";

    // What the kills left beside the file goes at the next load.
    AlarmFile file { renamed.path() };
    file.load();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(renamed.path()), {}), 1);
}

namespace {

// The changes of a kill campaign over series: one made (its line, then its
// record), one moved on (one rewrite of the alarm file), one ended (its
// record, then its line), a one-shot alarm added; the same for the parent
// and the child.
class SeriesSequence {
public:
    SeriesSequence(std::vector<ListedAlarm> start, std::uint64_t seed)
        : m_random(seed)
        , m_name(std::to_string(seed) + "-")
    {
        m_states.push_back(std::move(start));
    }

    const std::vector<ListedAlarm>& state(std::size_t count)
    {
        while (m_states.size() <= count)
            next();
        return m_states[count];
    }
    // Carries out change `index` on the store.
    bool apply(AlarmStore& store, std::size_t index)
    {
        state(index + 1);
        const Change& change = m_changes[index];
        const std::vector<ListedAlarm>& before = m_states[index];
        const std::vector<ListedAlarm>& after = m_states[index + 1];
        if (change.added)
            return store.add(before, after.back()).ok();
        return store.rewrite(after, change.ended).ok();
    }

private:
    struct Change {
        bool added = false;
        bool ended = false;
    };

    void next()
    {
        std::vector<ListedAlarm> alarms = m_states.back();
        Change change;
        // Some hundreds of alarms at most: beyond, only moves and ends.
        const unsigned kind = alarms.empty()
            ? 0
            : unsigned(m_random() % (alarms.size() > 300 ? 4 : 8)) + (alarms.size() > 300 ? 4 : 0);
        ++m_made;
        if (kind <= 2) {
            // A series of its own reminder, from a day of 2031.
            static const RepeatRule rules[] = { {}, { RepeatUnit::Week, 1, mondayToFriday, {}, {} },
                { RepeatUnit::Day, 3, 0, 40, {} }, { RepeatUnit::Month, 1, 0, {}, {} } };
            const RepeatRule& rule = rules[m_random() % std::size(rules)];
            const int minutes = int(m_random() % (60 * 24 * 28));
            const Series series
                = *startSeries(rule, at(2031, 1, 1 + minutes / (60 * 24), minutes / 60 % 24, minutes % 60));
            alarms.push_back({ { series.first, "series " + m_name + std::to_string(m_made) }, series });
            change.added = true;
        } else if (kind == 3) {
            alarms.push_back(
                { { at(2032, 1, 1 + m_made % 28, m_made % 24, 0), "one " + m_name + std::to_string(m_made) },
                    std::nullopt });
            change.added = true;
        } else if (kind <= 6) {
            const std::size_t row = m_random() % alarms.size();
            change.ended = moveSeriesOn(alarms, row, alarms[row].record.when);
        } else {
            const std::size_t row = m_random() % alarms.size();
            change.ended = alarms[row].series.has_value();
            alarms.erase(alarms.begin() + std::ptrdiff_t(row));
        }
        m_changes.push_back(change);
        m_states.push_back(std::move(alarms));
    }

    std::mt19937_64 m_random;
    std::vector<std::vector<ListedAlarm>> m_states;
    std::vector<Change> m_changes;
    std::string m_name; // reminders of this sequence's own
    int m_made = 0;
};

} // namespace

TEST(alarm_file, series_made_moved_on_and_ended_killed_at_random_moments_are_never_lost_nor_doubled)
{
    TemporaryDirectory dir;
    auto* progress = static_cast<Progress*>(
        ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(progress, MAP_FAILED);
    std::mt19937_64 random(std::random_device {}());
    const std::size_t rounds = campaignRounds();
    std::size_t killedMidChange = 0, changes = 0;
    std::vector<ListedAlarm> state;
    for (std::size_t round = 0; round < rounds; ++round) {
        SeriesSequence sequence(state, random());
        new (progress) Progress;
        const pid_t pid = ::fork();
        if (pid == 0) {
            AlarmFile file { dir.path() };
            AlarmStore store { file };
            if (store.load() != sequence.state(0))
                ::_exit(11);
            for (std::size_t i = 0;; ++i) {
                progress->started = i + 1;
                if (!sequence.apply(store, i))
                    ::_exit(12);
                progress->finished = i + 1;
            }
        }
        ::usleep(useconds_t(random() % 20000));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself with " << WEXITSTATUS(status);

        // Read as the next start reads it: each series tied to its one
        // record, or ended with neither left behind that counts; every
        // record as before the change or after it.
        const std::size_t finished = progress->finished;
        killedMidChange += progress->started > finished;
        changes += finished;
        AlarmFile file { dir.path() };
        AlarmStore store { file };
        const std::vector<ListedAlarm> read = store.load();
        ASSERT_FALSE(file.hasUnreadable()) << "round " << round;
        if (read == sequence.state(finished + 1))
            ++changes;
        else
            ASSERT_EQ(read, sequence.state(finished))
                << "round " << round << ", after " << finished << " changes";
        state = read;
    }
    ::munmap(progress, sizeof(Progress));
    std::cout << "FIGURE series kills survived: " << rounds << " (" << killedMidChange
              << " in the middle of a change, " << changes << " changes done)\n";
}

TEST(alarm_file, a_rewrite_in_place_takes_its_room_first_and_leaves_the_file_whole_when_there_is_none)
{
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", dentistBytes);
    ::chmod(dir.path().c_str(), 0555);
    ::chmod((dir / "Alarm.dat").c_str(), 0666);
    std::vector<AlarmRecord> many;
    for (int i = 0; i < 50; ++i)
        many.push_back({ at(2031, 1, 1 + i % 28, i % 24, 0), "reminder " + std::to_string(i) });
    // The file may grow by 50 bytes: not enough for the journal, whatever
    // the new text's length.
    const int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { dentistBytes.size() + 50, dentistBytes.size() + 50 };
        if (!becomeOrdinaryUser() || ::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        AlarmFile file { dir.path() };
        if (file.load() != std::vector { dentist })
            return 11;
        for (const auto& records : { std::vector(many), std::vector<AlarmRecord> {} }) {
            const StoreResult result = file.rewrite(records);
            if (result.failure != "File too large" || !result.fileAsBefore)
                return 12;
        }
        // The failures left nothing behind that an append could be glued to.
        return file.append(std::vector { dentist }, train).ok() ? 0 : 13;
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes + trainBytes);
}

TEST(alarm_file, a_file_deleted_while_the_clock_runs_gets_every_listed_alarm_back)
{
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", dentistBytes);
    AlarmFile file { dir.path() };
    ASSERT_EQ(file.load(), std::vector { dentist });
    std::filesystem::remove(dir / "Alarm.dat");
    const AlarmRecord later { at(2030, 12, 1, 8, 0), "later" };
    ASSERT_TRUE(file.append(std::vector { dentist }, train).ok());
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes + trainBytes);
    // Back in step, the next record is simply added.
    const ino_t now = inode(dir / "Alarm.dat");
    ASSERT_TRUE(file.append(std::vector { dentist, train }, later).ok());
    EXPECT_EQ(file.load(), (std::vector { dentist, train, later }));
    EXPECT_EQ(inode(dir / "Alarm.dat"), now);
    EXPECT_TRUE(keptAside(dir).empty());
}

TEST(alarm_file, another_programs_version_is_kept_beside_the_file_before_it_is_replaced)
{
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", dentistBytes);
    AlarmFile file { dir.path() };
    ASSERT_EQ(file.load(), std::vector { dentist });

    // Touched, or copied over with the same bytes: nothing to keep.
    ::utimensat(AT_FDCWD, (dir / "Alarm.dat").c_str(), nullptr, 0);
    ASSERT_TRUE(file.rewrite(std::vector { dentist }).ok());
    EXPECT_TRUE(keptAside(dir).empty());

    // A text editor added an alarm.
    const std::string edited = dentistBytes + "#2030-11-11 11:11:00#,\"added by hand\"\r\n";
    writeFile(dir / "Alarm.dat", edited);
    const StoreResult result = file.rewrite({});
    ASSERT_TRUE(result.ok()) << result.failure;
    ASSERT_EQ(keptAside(dir).size(), 1u);
    EXPECT_EQ(result.keptAside, keptAside(dir).front());
    EXPECT_EQ(readFile(result.keptAside), edited);
    EXPECT_EQ(readFile(dir / "Alarm.dat"), "");
    ASSERT_TRUE(file.rewrite({}).ok());
    EXPECT_EQ(keptAside(dir).size(), 1u);

    // Replaced by a new file, then an alarm set: the same.
    writeFile(dir / "new", trainBytes);
    std::filesystem::rename(dir / "new", dir / "Alarm.dat");
    const StoreResult appended = file.append({}, dentist);
    ASSERT_TRUE(appended.ok()) << appended.failure;
    EXPECT_EQ(readFile(appended.keptAside), trainBytes);
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes);
    EXPECT_EQ(keptAside(dir).size(), 2u);
}

TEST(alarm_file, another_programs_version_with_no_room_beside_it_is_left_as_it_is)
{
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", dentistBytes);
    ::chmod(dir.path().c_str(), 0555);
    ::chmod((dir / "Alarm.dat").c_str(), 0666);
    const int status = inChild([&] {
        if (!becomeOrdinaryUser())
            return 10;
        AlarmFile file { dir.path() };
        file.load();
        writeFile(dir / "Alarm.dat", trainBytes);
        const StoreResult result = file.rewrite({});
        return !result.ok() && !result.fileAsBefore && result.keptAside.empty() ? 0 : 11;
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(dir / "Alarm.dat"), trainBytes);
}

TEST(alarm_file, a_fifo_or_a_huge_file_is_not_read_and_never_replaced)
{
    TemporaryDirectory dir;
    ASSERT_EQ(::mkfifo((dir / "Alarm.dat").c_str(), 0600), 0);
    // Opening a FIFO for reading would wait for a writer: the child is
    // stopped should it ever block.
    const int status = inChild([&] {
        ::alarm(20);
        AlarmFile file { dir.path() };
        if (!file.load().empty() || file.loadFailure() != "it is not a regular file")
            return 11;
        if (file.append({}, dentist).ok() || file.rewrite({}).ok())
            return 12;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "Alarm.dat"));

    std::filesystem::remove(dir / "Alarm.dat");
    writeFile(dir / "Alarm.dat", dentistBytes);
    std::filesystem::resize_file(dir / "Alarm.dat", std::uintmax_t(1) << 40); // sparse
    AlarmFile huge { dir.path() };
    EXPECT_TRUE(huge.load().empty());
    EXPECT_EQ(huge.loadFailure(), "it is larger than 64 MB");
    EXPECT_FALSE(huge.append({}, train).ok());
    EXPECT_FALSE(huge.rewrite({}).ok());
    EXPECT_EQ(std::filesystem::file_size(dir / "Alarm.dat"), std::uintmax_t(1) << 40);
}

TEST(alarm_file, a_working_directory_removed_under_the_clock_fails_the_write_and_nothing_else)
{
    TemporaryDirectory dir;
    std::filesystem::create_directory(dir / "gone");
    const int status = inChild([&] {
        if (::chdir((dir / "gone").c_str()) != 0 || ::rmdir((dir / "gone").c_str()) != 0)
            return 10;
        try {
            AlarmFile file;
            if (!file.load().empty() || file.displayPath() != "Alarm.dat")
                return 11;
            if (file.append({}, dentist).failure != "No such file or directory"
                || file.rewrite(std::vector { train }).failure != "No such file or directory")
                return 12;
            (void)file.identity();
        } catch (...) {
            return 13;
        }
        return 0;
    });
    EXPECT_EQ(status, 0);
}

TEST(alarm_file, nothing_is_written_that_the_reader_would_refuse)
{
    TemporaryDirectory dir;
    writeFile(dir / "Alarm.dat", dentistBytes);
    AlarmFile file { dir.path() };
    file.load();
    // 128 characters, and a zero-width space too many.
    const AlarmRecord tooLong { at(2030, 12, 1), std::string(128, 'x') + "\u200b" };
    EXPECT_EQ(
        file.append(std::vector { dentist }, tooLong).failure, "the reminder is longer than 128 characters");
    EXPECT_EQ(
        file.rewrite(std::vector { dentist, tooLong }).failure, "the reminder is longer than 128 characters");
    EXPECT_EQ(readFile(dir / "Alarm.dat"), dentistBytes);
    EXPECT_EQ(file.writeCount(), 2u);
}

TEST(alarm_file, temporary_files_of_a_crashed_clock_are_removed_at_load)
{
    TemporaryDirectory dir;
    const pid_t dead = inChild([] { return 0; }) == 0 ? ::fork() : -1;
    if (dead == 0)
        ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string leftover = ".Alarm.dat." + std::to_string(dead) + ".0.tmp";
    const std::string running = ".Alarm.dat." + std::to_string(::getppid()) + ".0.tmp";
    for (const std::string& name :
        { leftover, running, std::string(".Alarm.dat.x.0.tmp"), std::string("keep.tmp") })
        writeFile(dir / name, "half a file");
    AlarmFile file { dir.path() };
    file.load();
    EXPECT_FALSE(std::filesystem::exists(dir / leftover));
    EXPECT_TRUE(std::filesystem::exists(dir / running));
    EXPECT_TRUE(std::filesystem::exists(dir / ".Alarm.dat.x.0.tmp"));
    EXPECT_TRUE(std::filesystem::exists(dir / "keep.tmp"));
}

TEST(alarm_file, every_path_to_one_file_has_one_identity)
{
    TemporaryDirectory dir;
    std::filesystem::create_directories(dir / "data");
    std::filesystem::create_directories(dir / "elsewhere");
    std::filesystem::create_directories(dir / "other");
    std::filesystem::create_directory_symlink("data", dir / "linked");
    std::filesystem::create_symlink("../data/Alarm.dat", dir / "elsewhere" / "Alarm.dat");
    std::filesystem::create_symlink("../data/Other.dat", dir / "other" / "Alarm.dat");
    const AlarmFile::Identity one = AlarmFile { dir / "data" }.identity();
    EXPECT_NE(one.inode, 0u);
    EXPECT_EQ(one.name, "Alarm.dat");
    EXPECT_EQ(AlarmFile { dir / "linked" }.identity(), one);
    EXPECT_EQ(AlarmFile { dir / "elsewhere" }.identity(), one); // before the file exists, too
    EXPECT_EQ(AlarmFile { dir / "data" / ".." / "data" }.identity(), one);
    EXPECT_NE(AlarmFile { dir.path() }.identity(), one);
    // Another file in the same folder: the same folder, another name.
    const AlarmFile::Identity other = AlarmFile { dir / "other" }.identity();
    EXPECT_EQ(std::pair(other.device, other.inode), std::pair(one.device, one.inode));
    EXPECT_EQ(other.name, "Other.dat");
}
