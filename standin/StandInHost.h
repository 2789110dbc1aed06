#pragma once
// The stand-in host: a small document model that answers the automation
// operations Sonotag uses, the way the real host answers them. Tests drive
// Sonotag against it in-process through application(); the COM stand-in
// server exposes the same objects to other processes.

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/AutomationError.h"
#include "host/HostObject.h"

namespace sonotag::model {
class Document;
}  // namespace sonotag::model

namespace sonotag::standin {

// The source of every automation error the stand-in raises.
inline constexpr char16_t kErrorSource[] = u"Stand-in host";

class HostState;

class StandInHost {
public:
    StandInHost();  // an application without a document
    ~StandInHost();
    StandInHost(const StandInHost&) = delete;
    StandInHost& operator=(const StandInHost&) = delete;

    // The application object ('pacd', 'sele' and the private codes of
    // ControlCodes.h). Always the same object.
    host::ObjectRef application();

    // Documents. A load replaces the active document; objects of the old one
    // fail from then on. Bad input throws std::runtime_error naming the
    // problem and leaves the active document as it was.
    void loadDocumentFile(const std::u16string& path);  // .txt: UTF-8 text; otherwise JSON
    void loadDocumentJson(std::string_view utf8);
    void loadPlainText(std::u16string_view text);
    // Makes a document the caller built (and keeps sharing) the active one.
    void openDocument(std::shared_ptr<model::Document> document);
    void closeDocument();
    bool hasDocument() const;
    // The active document in the file format; throws std::runtime_error without one.
    std::string dumpDocumentJson() const;
    void saveDocumentFile(const std::u16string& path) const;
    std::int32_t storyCount() const;
    std::u16string storyText(std::int32_t story) const;
    std::int32_t undoStepCount() const;

    // Selects the stories given by 0-based index: none (nothing selected), one
    // (a text object) or several (several objects).
    void select(std::vector<std::int32_t> stories);

    // Makes the k-th call from now (k = 1: the next) on any object of this
    // host fail with the exception, before it does anything; k <= 0 cancels.
    void failCall(std::int64_t k, host::ExceptionInfo exception);
    // Makes every call from the deadline on fail with the exception.
    void failFrom(std::chrono::steady_clock::time_point deadline, host::ExceptionInfo exception);
    // Calls per dispatch code (item and default value as 0), failed ones included.
    std::map<host::DispatchId, std::int64_t> callCounts() const;
    std::int64_t callCount(host::DispatchId id) const;
    std::int64_t totalCalls() const;
    void resetCallCounts();
    // Host objects handed out and not yet released (the application not counted).
    std::int64_t liveObjects() const;

private:
    std::shared_ptr<HostState> state_;
    host::ObjectRef application_;
};

}  // namespace sonotag::standin
