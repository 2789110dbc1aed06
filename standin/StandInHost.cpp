#include "standin/StandInHost.h"

#include <stdexcept>

#include "standin/HostState.h"

namespace sonotag::standin {

StandInHost::StandInHost() : state_(std::make_shared<HostState>()), application_(MakeApplication(state_)) {}

StandInHost::~StandInHost() = default;

host::ObjectRef StandInHost::application() { return application_; }

void StandInHost::loadDocumentFile(const std::u16string& path) { state_->loadDocumentFile(path); }

void StandInHost::loadDocumentJson(std::string_view utf8) { state_->loadDocumentJson(utf8); }

void StandInHost::loadPlainText(std::u16string_view text) { state_->loadPlainText(text); }

void StandInHost::openDocument(std::shared_ptr<model::Document> document) {
    state_->replaceDocument(std::move(document));
}

void StandInHost::closeDocument() { state_->replaceDocument(nullptr); }

bool StandInHost::hasDocument() const { return state_->document() != nullptr; }

std::string StandInHost::dumpDocumentJson() const { return state_->dumpDocumentJson(); }

void StandInHost::saveDocumentFile(const std::u16string& path) const { state_->saveDocumentFile(path); }

std::int32_t StandInHost::storyCount() const { return state_->requireDocument().storyCount(); }

std::u16string StandInHost::storyText(std::int32_t story) const {
    const model::Document& document = state_->requireDocument();
    if (story < 0 || story >= document.storyCount()) throw std::out_of_range("no story " + std::to_string(story));
    return document.story(story).text();
}

std::int32_t StandInHost::undoStepCount() const { return state_->requireDocument().undoStepCount(); }

void StandInHost::select(std::vector<std::int32_t> stories) { state_->requireDocument().select(std::move(stories)); }

void StandInHost::failCall(std::int64_t k, host::ExceptionInfo exception) { state_->failCall(k, std::move(exception)); }

void StandInHost::failFrom(std::chrono::steady_clock::time_point deadline, host::ExceptionInfo exception) {
    state_->failFrom(deadline, std::move(exception));
}

std::map<host::DispatchId, std::int64_t> StandInHost::callCounts() const { return state_->callCounts(); }

std::int64_t StandInHost::callCount(host::DispatchId id) const {
    const auto& counts = state_->callCounts();
    const auto found = counts.find(id);
    return found == counts.end() ? 0 : found->second;
}

std::int64_t StandInHost::totalCalls() const {
    std::int64_t total = 0;
    for (const auto& [id, calls] : state_->callCounts()) total += calls;
    return total;
}

void StandInHost::resetCallCounts() { state_->resetCallCounts(); }

std::int64_t StandInHost::liveObjects() const { return state_->liveObjects(); }

}  // namespace sonotag::standin
