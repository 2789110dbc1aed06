#pragma once
// What the fuzz targets share: a failed expectation that libFuzzer reports
// as a crash (with the input saved), and a scratch folder of the process for
// the files the program reads by path.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

namespace sonotag::fuzz {

// Aborts with the failed expectation; libFuzzer keeps the input as crash-*.
#define FUZZ_EXPECT(condition)                                                                  \
    do {                                                                                        \
        if (!(condition)) {                                                                     \
            std::fprintf(stderr, "%s:%d: expectation failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (false)

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// UTF-16 text made of the bytes taken in little-endian pairs (an odd last byte is dropped).
inline std::u16string Utf16Units(std::string_view bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return text;
}

// A folder of this process in memory when the system offers /dev/shm (a
// disk file system would flush every rewritten file), else under the
// temporary folder; removed at exit.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& target) : path_(Base() / ("sonotag-fuzz-" + target + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::filesystem::path file(const std::string& name) const { return path_ / name; }

    // Replaces the file's bytes and returns its path as the program takes it.
    std::u16string write(const std::string& name, std::string_view bytes) const {
        std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        FUZZ_EXPECT(out.good());
        return file(name).u16string();
    }

private:
    static std::filesystem::path Base() {
        std::error_code error;
        const std::filesystem::path memory("/dev/shm");
        return std::filesystem::is_directory(memory, error) && ::access("/dev/shm", W_OK) == 0
                   ? memory
                   : std::filesystem::temp_directory_path();
    }

    std::filesystem::path path_;
};

}  // namespace sonotag::fuzz
