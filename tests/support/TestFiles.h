#pragma once
// Files for tests: a fresh folder per test, removed afterwards, and paths in
// the UTF-16 form the program uses.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace sonotag::test {

inline std::u16string ToProgramPath(const std::filesystem::path& path) { return path.u16string(); }

inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ScratchFolder {
public:
    ScratchFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // Unique to the process: several copies of the suite may run at once.
        static const std::string process = std::to_string(std::random_device{}());
        std::string name = "sonotag-test-" + process;
        if (info) name += std::string("-") + info->test_suite_name() + "-" + info->name();
        for (char& c : name) {
            if (c == '/' || c == '\\') c = '_';
        }
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Writes the bytes exactly as given and returns the file's program path.
    std::u16string write(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return ToProgramPath(file);
    }

    std::u16string programPath(const std::string& name) const { return ToProgramPath(path_ / name); }

private:
    std::filesystem::path path_;
};

}  // namespace sonotag::test
