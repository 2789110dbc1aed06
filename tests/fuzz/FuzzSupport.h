#pragma once
// A failed expectation aborts, so libFuzzer keeps the input; a scratch folder of the process.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace sonotag::fuzz {

#define FUZZ_EXPECT(condition)                                                           \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (false)

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) { return {reinterpret_cast<const char*>(data), size}; }

// UTF-16 text of the bytes in little-endian pairs (an odd last byte is dropped).
inline std::u16string Utf16Units(std::string_view bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) | static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return text;
}

// In /dev/shm where writable (a disk would flush every rewrite); removed at exit.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& target)
        : path_((::access("/dev/shm", W_OK) == 0 ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) /
                ("sonotag-fuzz-" + target + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }
    std::u16string write(const std::string& name, std::string_view bytes) const {  // the path as the program takes it
        std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        FUZZ_EXPECT(out.good());
        return file(name).u16string();
    }
    std::string read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};

}  // namespace sonotag::fuzz
