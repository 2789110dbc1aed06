#pragma once
// The web page and its API over HTTP (cpp-httplib), for `sonotag serve`:
//   GET  /  (and /page.css, /page.js)   the page, embedded in the program
//   POST /api/annotate                  the annotated document
//   POST /api/styles                    {"styles": [...]}
//   POST /api/review                    {"words", "annotated", "notFound", "undecided", "preview"}
// (server/Endpoints.h). Requests run in parallel on a bounded pool of
// threads; an upload is read into memory up to the size limit (413 above
// it, its bytes drained and dropped) and must arrive and be annotated
// within the time limit (408, 503). Every response carries a
// Content-Security-Policy and X-Content-Type-Options; errors are
// {"error": "..."} without paths or the failure's inside. No request reads
// or writes a file.

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "server/Endpoints.h"

namespace sonotag::server {

struct ServerLimits {
    std::size_t maxBytes = std::size_t{64} << 20;                  // the largest upload taken
    std::chrono::milliseconds timeLimit{std::chrono::minutes(2)};  // per request, from its headers to its reply
    std::size_t threads = 8;                                       // connections served at once; more wait their turn
};

class WebServer {
public:
    // The lists must outlive the server.
    WebServer(WordLists lists, ServerLimits limits);
    ~WebServer();  // stops the server as stop() does
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Binds the address and port (0: a free one). The port bound, or
    // nothing when the address cannot be bound (in use, not this machine's).
    std::optional<int> bind(const std::string& address, int port);

    // Serves on the bound port until stop(); false when it could not.
    bool run();

    // From any thread, any number of times: no new connection is taken,
    // the requests in flight finish and get their replies, and then run()
    // returns; so does stop().
    void stop();

    // Uploads to the API being read, run or answered now.
    int requestsInFlight() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Whether an address to bind stays on this machine (127.0.0.0/8, ::1,
// localhost); any other lets the network in.
bool IsLoopback(const std::string& address);

}  // namespace sonotag::server
