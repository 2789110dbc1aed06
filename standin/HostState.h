#pragma once
// The state one stand-in host shares with every object it hands out: the
// active document, the call counts, the planned failure, the delay of each
// call and the number of live objects. Objects keep it alive, so they never
// outlive it.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/AutomationError.h"
#include "host/HostObject.h"
#include "model/Document.h"

namespace sonotag::standin {

class HostState {
public:
    // --- the active document ---
    const std::shared_ptr<model::Document>& document() const { return document_; }
    void replaceDocument(std::shared_ptr<model::Document> document);
    model::Document& requireDocument() const;  // throws std::runtime_error without one

    void loadDocumentFile(const std::u16string& path);
    void loadDocumentJson(std::string_view utf8);
    void loadPlainText(std::u16string_view text);
    std::string dumpDocumentJson() const;
    void saveDocumentFile(const std::u16string& path) const;

    // --- call accounting ---
    // Every call of an object but the private ones passes here first: it is
    // counted, and it throws when it is the planned failure.
    void beginCall(host::DispatchId id);
    void failCall(std::int64_t k, host::ExceptionInfo exception);
    void failFrom(std::chrono::steady_clock::time_point deadline, host::ExceptionInfo exception);
    const std::map<host::DispatchId, std::int64_t>& callCounts() const { return counts_; }
    void resetCallCounts() { counts_.clear(); }
    // Each counted call from now on waits this long before it does anything.
    void delayCalls(std::chrono::milliseconds delay) { callDelay_ = delay; }

    void objectMade() { ++liveObjects_; }
    void objectReleased() { --liveObjects_; }
    std::int64_t liveObjects() const { return liveObjects_; }

private:
    std::shared_ptr<model::Document> document_;
    std::map<host::DispatchId, std::int64_t> counts_;
    std::int64_t callsUntilFailure_ = 0;  // 0: none planned
    std::chrono::steady_clock::time_point failureTime_ = std::chrono::steady_clock::time_point::max();
    host::ExceptionInfo failure_;
    std::chrono::milliseconds callDelay_{0};
    std::int64_t liveObjects_ = 0;
};

// The application object of a stand-in host (ApplicationObjects.cpp).
host::ObjectRef MakeApplication(std::shared_ptr<HostState> state);

}  // namespace sonotag::standin
