#include "server/WebServer.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <regex>

#include <arpa/inet.h>
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include "server/PageFiles.h"

namespace sonotag::server {
namespace {

using Clock = std::chrono::steady_clock;

// The page's own files only: no inline script or style, nothing from elsewhere.
constexpr char kSecurityPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

struct Route {
    const char* path;
    Operation operation;
};
constexpr Route kRoutes[] = {
    {"/api/annotate", Operation::Annotate}, {"/api/styles", Operation::Styles}, {"/api/review", Operation::Review}};

// The methods an address takes, for 405's Allow; empty for an unknown one.
std::string AllowedMethods(const std::string& path) {
    for (const Route& route : kRoutes) {
        if (path == route.path) return "POST";
    }
    for (const PageFile& file : kPageFiles) {
        if (path == file.path) return "GET, HEAD";
    }
    return {};
}

std::string PlainMessage(int status, std::size_t maxBytes) {
    switch (status) {
        case 404: return "there is nothing at this address";
        case 405: return "this address does not take that method";
        case 408: return "the document did not arrive in time";
        case 413: return "the document is larger than this server takes (" + std::to_string(maxBytes >> 20) + " MB)";
        case 414: return "the address is too long";
        case 415: return "the document's encoding is not one this server reads";
        case 500: return "the request could not be answered";
        default: return "the request is not one this server understands";
    }
}

// Counts a request in flight for as long as it lives.
class InFlight {
public:
    explicit InFlight(std::atomic<int>& count) : count_(count) { ++count_; }
    ~InFlight() { --count_; }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;

private:
    std::atomic<int>& count_;
};

// SIGPIPE blocked in the calling thread and so in the threads it starts: a
// client that leaves mid-reply fails the write instead of ending the process.
class PipeSignalBlocked {
public:
    PipeSignalBlocked() {
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, &previous_);
    }
    ~PipeSignalBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    PipeSignalBlocked(const PipeSignalBlocked&) = delete;
    PipeSignalBlocked& operator=(const PipeSignalBlocked&) = delete;

private:
    sigset_t previous_;
};

// The library's server, which closes a socket bound but never listened on.
class HttpServer : public httplib::Server {
public:
    ~HttpServer() override {
        if (boundOnly && svr_sock_ != INVALID_SOCKET) close(svr_sock_);
    }
    bool boundOnly = false;
};

}  // namespace

class WebServer::Impl {
public:
    Impl(WordLists lists, ServerLimits limits) : lists_(lists), limits_(limits) { configure(); }

    HttpServer http;
    std::mutex mutex;
    std::condition_variable changed;
    bool running = false;
    bool stopRequested = false;
    bool stopSent = false;
    std::atomic<int> inFlight{0};

private:
    struct Body {
        std::string bytes;
        int status = 200;
    };

    void configure();
    Body receive(const httplib::Request& request, httplib::Response& response, const httplib::ContentReader& reader,
                 Clock::time_point deadline) const;
    void answerUpload(Operation operation, const httplib::Request& request, httplib::Response& response,
                      const httplib::ContentReader& reader);
    void drainUnknown(const httplib::Request& request, httplib::Response& response,
                      const httplib::ContentReader& reader);
    void fillError(const httplib::Request& request, httplib::Response& response) const;

    WordLists lists_;
    ServerLimits limits_;
};

void WebServer::Impl::configure() {
    const std::size_t threads = limits_.threads;
    http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };  // the library owns it
    http.set_payload_max_length(limits_.maxBytes);
    http.set_keep_alive_timeout(2);
    // A reply goes out in two writes (headers, body): without this the
    // second waits for the client's delayed acknowledgement.
    http.set_tcp_nodelay(true);
    http.set_default_headers({{"Content-Security-Policy", kSecurityPolicy},
                              {"X-Content-Type-Options", "nosniff"},
                              {"Referrer-Policy", "no-referrer"},
                              {"Cache-Control", "no-store"}});
    // An upload above the limit is refused before its body is sent, when the client asks first.
    http.set_expect_100_continue_handler([this](const httplib::Request& request, httplib::Response& response) {
        // The library sends the response as the handler leaves it.
        response.status = request.get_header_value<std::uint64_t>("Content-Length") > limits_.maxBytes ? 413 : 100;
        return response.status;
    });
    for (const PageFile& file : kPageFiles) {
        http.Get(std::regex_replace(file.path, std::regex("\\."), "\\."),
                 [&file](const httplib::Request&, httplib::Response& response) {
                     response.set_content(file.body.data(), file.body.size(), file.contentType);
                 });
    }
    for (const Route& route : kRoutes) {
        http.Post(route.path,
                  [this, operation = route.operation](const httplib::Request& request, httplib::Response& response,
                                                      const httplib::ContentReader& reader) {
                      answerUpload(operation, request, response, reader);
                  });
    }
    // Any other upload is read within the limits too, never into memory unbounded.
    const auto drain = [this](const httplib::Request& request, httplib::Response& response,
                              const httplib::ContentReader& reader) { drainUnknown(request, response, reader); };
    http.Post(".*", drain).Put(".*", drain).Patch(".*", drain).Delete(".*", drain);
    http.set_error_handler(
        [this](const httplib::Request& request, httplib::Response& response) { fillError(request, response); });
    http.set_exception_handler([](const httplib::Request&, httplib::Response& response, std::exception_ptr) {
        const Reply reply = ErrorReply(500, "the request could not be answered");
        response.status = reply.status;
        response.set_content(reply.body, reply.contentType);
    });
}

// The body up to the size limit; what lies beyond is read and dropped, so
// the client gets its 413 and the connection stays in step.
WebServer::Impl::Body WebServer::Impl::receive(const httplib::Request& request, httplib::Response& response,
                                               const httplib::ContentReader& reader, Clock::time_point deadline) const {
    Body body;
    bool tooLarge = false;
    bool late = false;
    const auto take = [&](const char* data, std::size_t size) {
        if (Clock::now() >= deadline) {
            late = true;
            return false;
        }
        if (!tooLarge && body.bytes.size() + size > limits_.maxBytes) {
            tooLarge = true;
            std::string().swap(body.bytes);
        }
        if (!tooLarge) body.bytes.append(data, size);
        return true;
    };
    // A form's parts are read the same way; the API then refuses the form's type.
    const bool complete = request.is_multipart_form_data()
                              ? reader([](const httplib::MultipartFormData&) { return true; }, take)
                              : reader(take);
    if (!complete) {
        // Bytes may be left unread: the client is asked to close the connection.
        response.set_header("Connection", "close");
        body.status = late ? 408 : response.status >= 400 ? response.status : 400;
    } else if (tooLarge) {
        body.status = 413;
    }
    return body;
}

void WebServer::Impl::answerUpload(Operation operation, const httplib::Request& request, httplib::Response& response,
                                   const httplib::ContentReader& reader) {
    const InFlight counted(inFlight);
    const Clock::time_point deadline = Clock::now() + limits_.timeLimit;
    Body body = receive(request, response, reader, deadline);
    Reply reply =
        body.status != 200
            ? ErrorReply(body.status, PlainMessage(body.status, limits_.maxBytes))
            : Serve(operation,
                    {request.get_header_value("Content-Type"), request.params, std::move(body.bytes), deadline},
                    lists_);
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) response.set_header(name, value);
    response.set_header("Content-Type", reply.contentType);
    response.body = std::move(reply.body);
}

void WebServer::Impl::drainUnknown(const httplib::Request& request, httplib::Response& response,
                                   const httplib::ContentReader& reader) {
    const Body body = receive(request, response, reader, Clock::now() + limits_.timeLimit);
    response.status = body.status != 200 ? body.status : 404;
}

// Every error gets a JSON body in plain words; a known address asked with
// the wrong method is 405 with the methods it takes.
void WebServer::Impl::fillError(const httplib::Request& request, httplib::Response& response) const {
    if (response.status == 404) {
        const std::string allowed = AllowedMethods(request.path);
        if (!allowed.empty()) {
            response.status = 405;
            response.set_header("Allow", allowed);
        }
    }
    if (response.body.empty()) {
        const Reply reply = ErrorReply(response.status, PlainMessage(response.status, limits_.maxBytes));
        response.set_content(reply.body, reply.contentType);
    }
}

WebServer::WebServer(WordLists lists, ServerLimits limits) : impl_(std::make_unique<Impl>(lists, limits)) {}

WebServer::~WebServer() { stop(); }

std::optional<int> WebServer::bind(const std::string& address, int port) {
    const int bound = port == 0                                 ? impl_->http.bind_to_any_port(address)
                      : impl_->http.bind_to_port(address, port) ? port
                                                                : -1;
    if (bound <= 0) return std::nullopt;
    impl_->http.boundOnly = true;
    return bound;
}

bool WebServer::run() {
    {
        const std::lock_guard lock(impl_->mutex);
        if (impl_->stopRequested || !impl_->http.boundOnly) return false;
        impl_->running = true;
        impl_->http.boundOnly = false;
    }
    bool served = false;
    {
        const PipeSignalBlocked blocked;
        served = impl_->http.listen_after_bind();
    }
    const std::lock_guard lock(impl_->mutex);
    impl_->running = false;
    impl_->changed.notify_all();
    return served;
}

void WebServer::stop() {
    std::unique_lock lock(impl_->mutex);
    impl_->stopRequested = true;
    // The library stops only a server that listens already, and only once.
    while (impl_->running && !impl_->stopSent) {
        if (impl_->http.is_running()) {
            impl_->http.stop();
            impl_->stopSent = true;
        } else {
            impl_->changed.wait_for(lock, std::chrono::milliseconds(5));
        }
    }
    impl_->changed.wait(lock, [this] { return !impl_->running; });
}

int WebServer::requestsInFlight() const { return impl_->inFlight; }

bool IsLoopback(const std::string& address) {
    if (address == "localhost") return true;
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

}  // namespace sonotag::server
