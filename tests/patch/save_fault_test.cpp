// Real faults of the operating system while Apply saves the target: whatever fails, the target
// keeps its bytes and no temporary file is left beside it.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "patch/apply.h"
#include "target_checks.h"
#include "temp_folder.h"

namespace korrin::patch {
namespace {

using korrin::testing::EntriesOf;
using korrin::testing::TempFolder;
using ::testing::ElementsAre;

std::string Filler(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i % 251);
    return data;
}

// Writes EE after "\x00\x01", or after "ELF", in the target at path.
ApplyResult PatchAndSave(const std::string& path, const char* signature = "0001") {
    ApplyRequest request;
    request.targetPath = path;
    request.valueKind = catalogue::ValueKind::kYesNo;
    request.onBytes = "EE";
    request.locationList = signature;
    return ApplyPatch(platform::FileSystem::Default(), request);
}

// A file system that fills up at every point of the save, and a file size limit at every point,
// are swept in save_sweep_test.cpp.

TEST(SaveFault, RunningExecutable) {
    const TempFolder dir;
    const std::string path = dir.file("vplaces.exe");
    std::filesystem::copy_file("/bin/sleep", path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    const std::string before = dir.Read("vplaces.exe");

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::execl(path.c_str(), "vplaces.exe", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Running once /proc names the copy as the child's program.
    bool running = false;
    for (int i = 0; i < 500 && !running; ++i) {
        std::error_code ec;
        running = std::filesystem::read_symlink("/proc/" + std::to_string(child) + "/exe", ec) ==
                  std::filesystem::path(path);
        if (!running) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const int fd = ::open(path.c_str(), O_WRONLY);
    const bool busy = fd < 0 && errno == ETXTBSY;
    if (fd >= 0) ::close(fd);

    ApplyResult result;
    std::string bytes;
    if (running && busy) {
        result = PatchAndSave(path, "454C46");  // reading a running program is allowed
        bytes = dir.Read("vplaces.exe");
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    if (!running) GTEST_SKIP() << "the copy of /bin/sleep did not start";
    if (!busy) GTEST_SKIP() << "this kernel lets a running program's file be written";

    EXPECT_EQ(result.message, kTargetOpenMessage);
    EXPECT_EQ(bytes, before);
    EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe"));
}

enum class Lock { kRecordWrite, kRecordRead, kOpenFileWrite, kWholeFile };

// Takes the lock in a child process and holds it until released.
class LockHolder {
  public:
    LockHolder(const std::string& path, Lock lock) {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd = ::open(path.c_str(), O_RDWR);
            struct flock range {};
            range.l_whence = SEEK_SET;
            range.l_type = lock == Lock::kRecordRead ? F_RDLCK : F_WRLCK;
            bool held = false;
            switch (lock) {
                case Lock::kRecordWrite:
                case Lock::kRecordRead:
                    held = ::fcntl(fd, F_SETLK, &range) == 0;
                    break;
                case Lock::kOpenFileWrite:
                    held = ::fcntl(fd, F_OFD_SETLK, &range) == 0;
                    break;
                case Lock::kWholeFile:
                    held = ::flock(fd, LOCK_EX) == 0;
                    break;
            }
            const char answer = held ? 'y' : 'n';
            (void)!::write(ready[1], &answer, 1);
            char ignored;
            (void)!::read(release[0], &ignored, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        release_ = release[1];
        char answer = 'n';
        held_ = ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
    }
    ~LockHolder() {
        if (release_ >= 0) ::close(release_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    bool held() const { return held_; }

  private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

TEST(SaveFault, LockHeldByAnotherProcess) {
    const std::pair<Lock, const char*> locks[] = {
        {Lock::kRecordWrite, "record write lock"},
        {Lock::kRecordRead, "record read lock"},
        {Lock::kOpenFileWrite, "open file description lock"},
        {Lock::kWholeFile, "flock"},
    };
    for (const auto& [lock, name] : locks) {
        const TempFolder dir;
        const std::string before = Filler(8192);
        const std::string path = dir.Write("vplaces.exe", before);
        ApplyResult result;
        {
            const LockHolder holder(path, lock);
            ASSERT_TRUE(holder.held()) << name;
            result = PatchAndSave(path);
        }
        EXPECT_EQ(result.message, kTargetOpenMessage) << name;
        EXPECT_EQ(dir.Read("vplaces.exe"), before) << name;
        EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe")) << name;

        // Once the lock is gone the same save goes through.
        EXPECT_TRUE(PatchAndSave(path).succeeded()) << name;
    }
}

}  // namespace
}  // namespace korrin::patch
