// `sonotag serve` under load: the program started on a free loopback port,
// then clients posting to /api/annotate on connections of their own, all at
// once: 16 clients sending a 500-word text (tests/fixtures/annotation/
// prose-page.txt) 2,000 times each, then 8 clients sending the sample
// package 200 times each (the sample DOCX, cli/sample-lesson.docx, where the
// build reads DOCX; the sample IDML otherwise). Prints, for each, the
// requests per second, the latency's median and 99th percentile, the errors
// (a reply other than 200 with the first reply's bytes) and the server's
// memory: peak, and as the first and the last thousand requests end.
// Never fails on a time; exits 1 when a request failed.
// `serve_bench [SCALE]` divides the request counts (for a slow build).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "formats/DocumentFormats.h"

extern char** environ;

namespace {

using namespace sonotag;
using Clock = std::chrono::steady_clock;
#if SONOTAG_DOCX
constexpr bool kReadsDocx = true;
#else
constexpr bool kReadsDocx = false;
#endif

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The server as a process of its own, so its memory is its own; stopped
// with SIGTERM as a user stops it.
class ServerProcess {
public:
    ServerProcess() {
        int output[2];
        if (pipe(output) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        const char* arguments[] = {SONOTAG_PROGRAM, "serve", "--port", "0", nullptr};
        posix_spawn(&pid_, SONOTAG_PROGRAM, &actions, nullptr, const_cast<char**>(arguments), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(output[1]);
        std::string line;  // "Sonotag serves http://127.0.0.1:PORT/ ..."
        for (char c = 0; read(output[0], &c, 1) == 1 && c != '\n';) line += c;
        close(output[0]);
        const std::size_t colon = line.find(':', line.find("//"));
        if (colon != std::string::npos) port_ = std::atoi(line.c_str() + colon + 1);
    }
    ~ServerProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        std::printf("server stopped by SIGTERM: exit status %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int port() const { return port_; }
    // The resident memory now (VmRSS) or at its peak (VmHWM), in MB.
    double memoryMb(const char* field) const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind(field, 0) == 0) return std::atof(line.c_str() + std::strlen(field) + 1) / 1024.0;
        }
        return 0;
    }

private:
    pid_t pid_ = 0;
    int port_ = 0;
};

struct Load {
    const char* name;
    std::string body;
    std::string type;
    int clients;
    int requests;  // per client
};

void Measure(const ServerProcess& server, const Load& load) {
    std::vector<double> latencies;
    std::vector<double> memory;  // after each thousandth request
    std::mutex mutex;
    std::atomic<int> errors{0}, done{0};
    std::string expected;
    const auto send = [&](httplib::Client& client) {
        const Clock::time_point start = Clock::now();
        const httplib::Result reply = client.Post("/api/annotate", load.body, load.type);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const std::lock_guard lock(mutex);
        if (expected.empty() && reply && reply->status == 200) expected = reply->body;
        if (!reply || reply->status != 200 || reply->body != expected) ++errors;
        latencies.push_back(ms);
        if (++done % 1000 == 0) memory.push_back(server.memoryMb("VmRSS:"));
    };
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < load.clients; ++c) {
        clients.emplace_back([&] {
            httplib::Client client("127.0.0.1", server.port());
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            client.set_read_timeout(std::chrono::minutes(2));
            for (int k = 0; k < load.requests; ++k) send(client);
        });
    }
    for (std::thread& client : clients) client.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(latencies.begin(), latencies.end());
    const auto percentile = [&](double p) {
        return latencies[std::min(latencies.size() - 1, std::size_t(p * latencies.size()))];
    };
    std::printf("%s: %d clients x %d posts of %zu bytes in %.1f s\n", load.name, load.clients, load.requests,
                load.body.size(), seconds);
    std::printf("  %.0f requests/s, latency p50 %.1f ms, p99 %.1f ms, errors %d\n", latencies.size() / seconds,
                percentile(0.50), percentile(0.99), errors.load());
    std::printf("  server memory: %.1f MB at the first thousand requests, %.1f MB at the last, peak %.1f MB\n",
                memory.empty() ? 0.0 : memory.front(), memory.empty() ? 0.0 : memory.back(), server.memoryMb("VmHWM:"));
    if (errors != 0) std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    const int scale = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const std::string source = SONOTAG_SOURCE_DIR "/";
    const ServerProcess server;
    if (server.port() == 0) {
        std::fprintf(stderr, "serve_bench: the server did not start\n");
        return 1;
    }
    const bool docx = FileBytes(source + "cli/sample-lesson.docx").size() > 0 && kReadsDocx;
    const formats::DocumentKind package = docx ? formats::DocumentKind::Docx : formats::DocumentKind::Idml;
    Measure(server, {"500-word text", FileBytes(source + "tests/fixtures/annotation/prose-page.txt"),
                     formats::InfoOf(formats::DocumentKind::Text).mediaType, 16, 2000 / scale});
    Measure(server, {docx ? "sample DOCX" : "sample IDML (the build reads no DOCX)",
                     FileBytes(source + (docx ? "cli/sample-lesson.docx" : "cli/sample-lesson.idml")),
                     formats::InfoOf(package).mediaType, 8, 200 / scale});
    return 0;
}
