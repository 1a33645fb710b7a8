// SPDX-License-Identifier: GPL-3.0-or-later
// The folder's lock and the clock's channel: what keeps one clock per folder
// and lets only its own user reach it.
#include "commandline/Channel.h"
#include "commandline/FolderLock.h"

#include "support/ScopedEnvironment.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tickwell;
using tickwell::test::TemporaryDirectory;
using Environment = tickwell::test::ScopedEnvironment;

namespace {

std::filesystem::path privateFolder(const TemporaryDirectory& root, const char* name)
{
    const std::filesystem::path folder = root / name;
    std::filesystem::create_directory(folder);
    ::chmod(folder.c_str(), 0700);
    return folder;
}

} // namespace

TEST(folder_lock, a_folder_has_one_holder_at_a_time)
{
    // Each lock opens the folder afresh, as another process would.
    const TemporaryDirectory directory;
    std::optional<FolderLock> first(directory.path());
    FolderLock second(directory.path());
    EXPECT_EQ(first->tryLock(), FolderLock::State::Held);
    EXPECT_EQ(second.tryLock(), FolderLock::State::Busy);
    EXPECT_EQ(second.tryLock(), FolderLock::State::Busy);
    const FolderLock::Holder holder = second.holder();
    EXPECT_EQ(holder.pid, ::getpid());
    EXPECT_TRUE(holder.userKnown);
    EXPECT_EQ(holder.user, ::geteuid());
    first.reset();
    EXPECT_EQ(second.tryLock(), FolderLock::State::Held);
    EXPECT_TRUE(second.held());

    FolderLock missing(directory / "gone");
    EXPECT_EQ(missing.tryLock(), FolderLock::State::Unavailable);
    EXPECT_EQ(missing.error(), ENOENT);
}

TEST(channel, only_a_folder_of_this_users_alone_holds_it)
{
    const TemporaryDirectory root;
    const std::filesystem::path alarms = privateFolder(root, "alarms");
    const AlarmFile::Identity file = AlarmFile(alarms).identity();
    const std::filesystem::path cache = privateFolder(root, "cache");

    // A runtime folder others may enter, and one of another user's, are
    // passed over: the channel goes to the program's folder in the cache.
    const std::filesystem::path open = root / "open";
    std::filesystem::create_directory(open);
    ::chmod(open.c_str(), 0755);
    const std::filesystem::path theirs = privateFolder(root, "theirs");
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0) << "the tests run as root";
    const Environment cacheHome("XDG_CACHE_HOME", cache.c_str());
    for (const std::filesystem::path& runtime : { open, theirs }) {
        const Environment runtimeFolder("XDG_RUNTIME_DIR", runtime.c_str());
        Channel::Listening listening = Channel(file).listen(true);
        ASSERT_TRUE(listening.socket.valid()) << listening.failure;
        // (Or /run/user/<uid>, where this machine has one.)
        if (!listening.path.string().starts_with("/run/user/")) {
            EXPECT_EQ(listening.path.parent_path(), cache / "org.example.Tickwell");
        }
        struct stat info { };
        ASSERT_EQ(::stat(listening.path.parent_path().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_EQ(info.st_uid, ::geteuid());
        EXPECT_TRUE(Channel(file).connect().valid());
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(runtime), {}), 0);
    }
}

TEST(channel, one_per_folder_found_by_its_callers_and_a_leftover_replaced)
{
    const TemporaryDirectory root;
    const std::filesystem::path runtime = privateFolder(root, "runtime");
    const Environment runtimeFolder("XDG_RUNTIME_DIR", runtime.c_str());
    const Environment cacheHome("XDG_CACHE_HOME", (root / "cache").c_str());
    const AlarmFile::Identity here = AlarmFile(privateFolder(root, "here")).identity();
    const AlarmFile::Identity there = AlarmFile(privateFolder(root, "there")).identity();

    EXPECT_FALSE(Channel(here).connect().valid());
    std::optional<Channel::Listening> listening = Channel(here).listen(true);
    ASSERT_TRUE(listening->socket.valid()) << listening->failure;
    EXPECT_EQ(listening->path.parent_path(), runtime);
    const FileDescriptor caller = Channel(here).connect();
    ASSERT_TRUE(caller.valid());
    EXPECT_TRUE(Channel::sameUser(caller.get()));
    EXPECT_FALSE(Channel(there).connect().valid());

    // A clock that ended without taking its socket away: nobody listens
    // there any more, and the next clock replaces it, with the folder
    // locked or not.
    const std::filesystem::path left = listening->path;
    listening.reset();
    ASSERT_TRUE(std::filesystem::exists(left));
    EXPECT_FALSE(Channel(here).connect().valid());
    EXPECT_TRUE(Channel(here).listen(false).socket.valid());
    // One that still listens is not taken from its clock without the lock.
    const Channel::Listening again = Channel(there).listen(true);
    ASSERT_TRUE(again.socket.valid());
    const Channel::Listening second = Channel(there).listen(false);
    EXPECT_FALSE(second.socket.valid());
    EXPECT_NE(second.failure.find("another clock listens there"), std::string::npos) << second.failure;
    EXPECT_TRUE(Channel(there).connect().valid());
}
