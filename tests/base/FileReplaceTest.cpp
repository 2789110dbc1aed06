// Replacing a file: the target gets every byte or stays as it was, and no
// partial file is ever left beside it.

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "base/FileReplace.h"
#include "tests/support/TestFiles.h"

#ifndef _WIN32
#include <cerrno>
#include <csignal>

#include <sys/resource.h>
#endif

namespace sonotag { namespace {

namespace fs = std::filesystem;
using test::FileBytes;
using test::ScratchFolder;

const std::string kNew(3000, 'n');  // more than one stream buffer, so a limit bites mid-write

struct Case {
    const char* name;
    const char* target;
    std::function<void(const ScratchFolder&)> arrange;
    ReplaceStep failedAt;
};

void WriteOld(const ScratchFolder& folder) { folder.write("out.json", "old"); }

TEST(FileReplace, TheTargetGetsEveryByteOrStaysAsItWas) {
    const Case cases[] = {
        {"a new file", "out.json", [](const ScratchFolder&) {}, ReplaceStep::Done},
        {"an existing file", "out.json", WriteOld, ReplaceStep::Done},
        {"a folder that does not exist", "absent/out.json", [](const ScratchFolder&) {}, ReplaceStep::Writing},
        {"a folder in the partial file's place", "out.json",
         [](const ScratchFolder& folder) {
             WriteOld(folder);
             fs::create_directories(folder.path() / "out.json.partial" / "inner");
         },
         ReplaceStep::Writing},
        {"a folder with files at the target", "out.json", [](const ScratchFolder& folder) { fs::create_directories(folder.path() / "out.json" / "inner"); },
         ReplaceStep::Renaming},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        c.arrange(folder);
        const fs::path target = folder.path() / c.target;
        const bool existed = fs::exists(target);
        const std::string before = fs::is_regular_file(target) ? FileBytes(target) : std::string();
        const bool partialWasFolder = fs::is_directory(PartialFileOf(target));

        const FileReplaceResult result = ReplaceFileContents(target, kNew);

        EXPECT_EQ(result.failedAt, c.failedAt) << c.name;
        EXPECT_EQ(result.ok(), c.failedAt == ReplaceStep::Done) << c.name;
        if (c.failedAt == ReplaceStep::Done) {
            EXPECT_EQ(FileBytes(target), kNew) << c.name;
        } else {
            EXPECT_EQ(fs::exists(target), existed) << c.name;
            if (fs::is_regular_file(target)) { EXPECT_EQ(FileBytes(target), before) << c.name; }
            if (fs::is_directory(target)) { EXPECT_TRUE(fs::exists(target / "inner")) << c.name; }
        }
        EXPECT_EQ(fs::exists(PartialFileOf(target)), partialWasFolder) << c.name;
    }
}

TEST(FileReplace, TheRenameGivesItsReason) {
    ScratchFolder folder;
    fs::create_directories(folder.path() / "out.json" / "inner");
    const FileReplaceResult result = ReplaceFileContents(folder.path() / "out.json", "x");
    ASSERT_EQ(result.failedAt, ReplaceStep::Renaming);
    EXPECT_TRUE(result.error);
}

#ifndef _WIN32
// The process may write files of at most `bytes` bytes while this lives: a
// write past that fails as it would on a full disk, after the file opened.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : signal_(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        set_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, signal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool set() const { return set_; }

private:
    rlimit old_{};
    void (*signal_)(int);
    bool set_ = false;
};

TEST(FileReplace, AWriteThatFailsAfterTheFileOpenedLeavesTheOldFileAndNoPartial) {
    ScratchFolder folder;
    WriteOld(folder);
    const fs::path target = folder.path() / "out.json";
    FileReplaceResult result;
    {
        FileSizeLimit limit(100);
        ASSERT_TRUE(limit.set());
        result = ReplaceFileContents(target, kNew);
    }
    EXPECT_EQ(result.failedAt, ReplaceStep::Writing);
    EXPECT_EQ(result.error, std::error_code(EFBIG, std::generic_category()));
    EXPECT_EQ(FileBytes(target), "old");
    EXPECT_FALSE(fs::exists(PartialFileOf(target)));
}
#endif

}}  // namespace sonotag
