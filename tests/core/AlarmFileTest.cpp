#include "alarms/AlarmFile.h"
#include "support/Alarms.h"

#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <csignal>
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

TEST(alarm_file, a_process_killed_in_the_middle_of_rewrites_leaves_a_whole_file)
{
    TemporaryDirectory dir;
    // Two versions of clearly different sizes; whichever survives must be whole.
    std::vector<AlarmRecord> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back({ at(2030, 1, 1 + i % 28, i % 24, i % 60), "reminder number " + std::to_string(i) });
    const std::vector<AlarmRecord> few { dentist, train };
    for (int round = 0; round < 8; ++round) {
        writeFile(dir / "Alarm.dat", formatAlarmFile(few, ""));
        const pid_t pid = ::fork();
        if (pid == 0) {
            AlarmFile file { dir.path() };
            file.load();
            for (int i = 0;; ++i)
                (void)file.rewrite(i % 2 ? std::span(few) : std::span(many));
        }
        ::usleep(useconds_t(20000 + round * 7000));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);

        const AlarmFileContents read = parseAlarmFile(readFile(dir / "Alarm.dat"));
        EXPECT_TRUE(read.records == few || read.records == many)
            << "round " << round << ": " << read.records.size();
        EXPECT_EQ(read.unreadable, "");
    }
}
