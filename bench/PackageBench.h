#pragma once
// What the package benchmarks share: one `sonotag annotate IN --output OUT`
// over a test package with one entry replaced by generated markup, timed
// (wall clock and processor) and its peak memory measured, the figures
// printed. Never fails on either.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <malloc.h>
#include <sys/resource.h>

#include "cli/Commands.h"
#include "package/ZipArchive.h"

namespace sonotag::bench {

// The peak resident memory since the last reset, in megabytes.
inline double PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// The processor time this process has used, in seconds: on a machine
// others share, the figure that shows the work.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Figures {
    double seconds = 0, cpuSeconds = 0;
    double megabytes = 0;
};

// Annotates the package at `fixture` (under the source folder) with `entry`
// replaced by `markup`, with the shipped word list and the defaults, and
// prints the figures of that command under `label`.
inline Figures AnnotatePackage(const std::string& label, const std::string& fixture, const std::string& entry,
                               const std::string& markup) {
    const std::string extension = std::filesystem::path(fixture).extension().string();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("sonotag-bench" + extension);
    std::filesystem::create_directories(folder);
    std::ifstream original(SONOTAG_SOURCE_DIR "/" + fixture, std::ios::binary);
    const std::string packaged = package::ZipArchive(std::string(std::istreambuf_iterator<char>(original), {}), fixture)
                                     .copyWith({{entry, markup}});
    std::ofstream(folder / ("in" + extension), std::ios::binary)
        .write(packaged.data(), static_cast<std::streamsize>(packaged.size()));
    cli::AnnotateCommand command;
    command.dictionary = SONOTAG_SOURCE_DIR "/dictionary/dictionary.txt";
    command.input = (folder / ("in" + extension)).string();
    command.output = (folder / ("out" + extension)).string();
    command.stats = true;
    malloc_trim(0);                                 // what the last command freed leaves the count
    std::ofstream("/proc/self/clear_refs") << "5";  // restarts the peak count
    std::istringstream in;
    std::ostringstream out, err;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    const int status = cli::RunAnnotate(command, in, out, err);
    const Figures figures{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                          CpuSeconds() - cpuStart, PeakMegabytes()};
    std::printf("%s\n  exit status %d; %s", label.c_str(), status, err.str().c_str());
    std::error_code missing;  // no output: its size shows as -1
    std::printf(
        "  read, run, write: %.2f s (processor %.2f s); peak memory %.0f MB (%s %.1f MB in, %.1f MB package "
        "out)\n",
        figures.seconds, figures.cpuSeconds, figures.megabytes, entry.c_str(), static_cast<double>(markup.size()) / 1e6,
        static_cast<double>(std::filesystem::file_size(*command.output, missing)) / 1e6);
    std::fflush(stdout);
    std::filesystem::remove_all(folder);
    return figures;
}

}  // namespace sonotag::bench
