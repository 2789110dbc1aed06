#include "standin/StandInHost.h"

#include <stdexcept>

#include "standin/Session.h"

namespace sonotag::standin {

StandInHost::StandInHost() : session_(std::make_shared<Session>()), application_(MakeApplication(session_)) {}

StandInHost::~StandInHost() = default;

host::ObjectRef StandInHost::application() { return application_; }

void StandInHost::loadDocumentFile(const std::u16string& path) { session_->loadDocumentFile(path); }

void StandInHost::loadDocumentJson(std::string_view utf8) { session_->loadDocumentJson(utf8); }

void StandInHost::loadPlainText(std::u16string_view text) { session_->loadPlainText(text); }

void StandInHost::closeDocument() { session_->replaceDocument(nullptr); }

bool StandInHost::hasDocument() const { return session_->document() != nullptr; }

std::string StandInHost::dumpDocumentJson() const { return session_->dumpDocumentJson(); }

void StandInHost::saveDocumentFile(const std::u16string& path) const { session_->saveDocumentFile(path); }

std::int32_t StandInHost::storyCount() const { return session_->requireDocument().storyCount(); }

std::u16string StandInHost::storyText(std::int32_t story) const {
    const Document& document = session_->requireDocument();
    if (story < 0 || story >= document.storyCount()) throw std::out_of_range("no story " + std::to_string(story));
    return document.story(story).text();
}

std::int32_t StandInHost::undoStepCount() const { return session_->requireDocument().undoStepCount(); }

void StandInHost::select(std::vector<std::int32_t> stories) { session_->requireDocument().select(std::move(stories)); }

void StandInHost::failCall(std::int64_t k, host::ExceptionInfo exception) {
    session_->failCall(k, std::move(exception));
}

std::map<host::DispatchId, std::int64_t> StandInHost::callCounts() const { return session_->callCounts(); }

std::int64_t StandInHost::callCount(host::DispatchId id) const {
    const auto& counts = session_->callCounts();
    const auto found = counts.find(id);
    return found == counts.end() ? 0 : found->second;
}

std::int64_t StandInHost::totalCalls() const {
    std::int64_t total = 0;
    for (const auto& [id, calls] : session_->callCounts()) total += calls;
    return total;
}

void StandInHost::resetCallCounts() { session_->resetCallCounts(); }

std::int64_t StandInHost::liveObjects() const { return session_->liveObjects(); }

}  // namespace sonotag::standin
