#include "standin/HostState.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "base/FileReplace.h"
#include "base/Utf.h"
#include "model/DocumentFile.h"

namespace sonotag::standin {
namespace {

std::string Describe(const std::u16string& path) {
    std::string quoted(1, '"');  // appended, not "..." + string: GCC 12 warns falsely on that at -O2
    quoted += Utf16ToUtf8(path);
    quoted += '"';
    return quoted;
}

bool HasTextExtension(const std::filesystem::path& path) {
    std::u16string extension = path.extension().u16string();
    for (char16_t& c : extension) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return extension == u".txt";
}

std::string ReadWholeFile(const std::filesystem::path& path, const std::u16string& shown) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open the document file " + Describe(shown));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error("cannot read the document file " + Describe(shown));
    return bytes;
}

}  // namespace

void HostState::replaceDocument(std::shared_ptr<model::Document> document) {
    if (document_) document_->close();
    document_ = std::move(document);
}

model::Document& HostState::requireDocument() const {
    if (!document_) throw std::runtime_error("no document is open");
    return *document_;
}

void HostState::loadDocumentFile(const std::u16string& path) {
    const std::filesystem::path file(path);
    const std::string bytes = ReadWholeFile(file, path);
    try {
        if (HasTextExtension(file)) {
            replaceDocument(model::MakePlainTextDocument(DecodeUtf8Text(bytes)));
        } else {
            replaceDocument(model::ParseDocumentJson(bytes));
        }
    } catch (const std::runtime_error& error) {  // DocumentError, DocumentError
        throw DocumentError(Describe(path) + ": " + error.what());
    }
}

void HostState::loadDocumentJson(std::string_view utf8) { replaceDocument(model::ParseDocumentJson(utf8)); }

void HostState::loadPlainText(std::u16string_view text) { replaceDocument(model::MakePlainTextDocument(text)); }

std::string HostState::dumpDocumentJson() const { return model::DumpDocumentJson(requireDocument()); }

void HostState::saveDocumentFile(const std::u16string& path) const {
    const std::string bytes = dumpDocumentJson();
    // A failed write leaves the old file whole.
    const FileReplaceResult written = ReplaceFileContents(std::filesystem::path(path), bytes);
    if (written.failedAt == ReplaceStep::Writing) {
        throw std::runtime_error("cannot write the document file " + Describe(path));
    }
    if (written.failedAt == ReplaceStep::Renaming) {
        throw std::runtime_error("cannot replace the document file " + Describe(path));
    }
}

void HostState::beginCall(host::DispatchId id) {
    ++counts_[id];
    // A slow host: the caller waits, and its window goes on receiving messages.
    if (callDelay_.count() > 0) std::this_thread::sleep_for(callDelay_);
    if (callsUntilFailure_ > 0 && --callsUntilFailure_ == 0) { throw host::AutomationError::fromException(failure_); }
    if (failureTime_ != std::chrono::steady_clock::time_point::max() &&
        std::chrono::steady_clock::now() >= failureTime_)
        throw host::AutomationError::fromException(failure_);
}

void HostState::failCall(std::int64_t k, host::ExceptionInfo exception) {
    callsUntilFailure_ = k > 0 ? k : 0;
    failure_ = std::move(exception);
}

void HostState::failFrom(std::chrono::steady_clock::time_point deadline, host::ExceptionInfo exception) {
    failureTime_ = deadline;
    failure_ = std::move(exception);
}

}  // namespace sonotag::standin
