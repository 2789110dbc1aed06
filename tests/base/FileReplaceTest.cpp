// Replacing a file: the target gets every byte or stays as it was, and no
// partial file is ever left beside it.

#include <functional>
#include <optional>
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

#ifndef _WIN32
// While it lives, the process writes files of at most 100 bytes: a longer
// write fails after the file opened, as it would on a full disk.
struct FileSizeLimit {
    FileSizeLimit() : signal(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limited{100, old.rlim_max};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old), std::signal(SIGXFSZ, signal); }
    void (*signal)(int);
    rlimit old{};
};
#endif

TEST(FileReplace, TheTargetGetsEveryByteOrStaysAsItWas) {
    const auto folderAt = [](const char* name) { return [=](const fs::path& f) { fs::create_directories(f / name / "inner"); }; };
    // name, target, an old file there, what else is in the way, a file-size limit, the step that fails
    const std::tuple<const char*, const char*, bool, std::function<void(const fs::path&)>, bool, ReplaceStep> cases[] = {
        {"a new file", "out.json", false, [](const fs::path&) {}, false, ReplaceStep::Done},
        {"an existing file", "out.json", true, [](const fs::path&) {}, false, ReplaceStep::Done},
        {"a folder that does not exist", "absent/out.json", false, [](const fs::path&) {}, false, ReplaceStep::Writing},
        {"a folder in the partial file's place", "out.json", true, folderAt("out.json.partial"), false, ReplaceStep::Writing},
        {"a folder with files at the target", "out.json", false, folderAt("out.json"), false, ReplaceStep::Renaming},
#ifndef _WIN32
        {"a write that fails after the file opened", "out.json", true, [](const fs::path&) {}, true, ReplaceStep::Writing},
#endif
    };
    for (const auto& [name, file, old, arrange, limited, failedAt] : cases) {
        ScratchFolder folder;
        if (old) folder.write("out.json", "old");
        arrange(folder.path());
        const fs::path target = folder.path() / file;
        const bool partialWasFolder = fs::is_directory(PartialFileOf(target));
        const std::string before = fs::is_regular_file(target) ? FileBytes(target) : "(none)";
        FileReplaceResult result;
        {
#ifndef _WIN32
            std::optional<FileSizeLimit> limit;
            if (limited) limit.emplace();
#endif
            result = ReplaceFileContents(target, kNew);
        }
        EXPECT_EQ(result.failedAt, failedAt) << name;
        EXPECT_EQ(result.ok(), failedAt == ReplaceStep::Done) << name;
        EXPECT_EQ(fs::is_regular_file(target) ? FileBytes(target) : "(none)", failedAt == ReplaceStep::Done ? kNew : before) << name;
        EXPECT_EQ(fs::exists(target / "inner"), failedAt == ReplaceStep::Renaming) << name;  // a folder in the way stays whole
        EXPECT_EQ(fs::exists(PartialFileOf(target)), partialWasFolder) << name;
        EXPECT_EQ(bool(result.error), failedAt == ReplaceStep::Renaming || failedAt == ReplaceStep::Writing) << name;  // the system's reason
    }
}
}}  // namespace sonotag
