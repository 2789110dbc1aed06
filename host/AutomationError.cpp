#include "host/AutomationError.h"

#include <cstdio>

#include "base/SystemMessage.h"

namespace sonotag::host {
namespace {

const std::optional<std::u16string> kAbsent;

constexpr std::uint32_t kExceptionCodeBase = 0x80040200;

std::u16string Widen(const char* text) { return std::u16string(text, text + std::char_traits<char>::length(text)); }

}  // namespace

AutomationError::AutomationError(HResult result) : result_(result) {}

AutomationError AutomationError::fromException(ExceptionInfo exception) {
    HResult result = exception.scode;
    if (exception.wCode != 0) {
        result =
            exception.wCode >= 0xFE00 ? MakeHResult(0x8004FFFF) : MakeHResult(kExceptionCodeBase + exception.wCode);
    }
    AutomationError error(result);
    error.errorInfo_ = std::make_shared<const ExceptionInfo>(std::move(exception));
    return error;
}

AutomationError::AutomationError(const AutomationError& other) : result_(other.result_), errorInfo_(other.errorInfo_) {}

AutomationError& AutomationError::operator=(const AutomationError& other) {
    if (this != &other) {
        result_ = other.result_;
        errorInfo_ = other.errorInfo_;
        message_.reset();
    }
    return *this;
}

const std::optional<std::u16string>& AutomationError::source() const {
    return errorInfo_ ? errorInfo_->source : kAbsent;
}

const std::optional<std::u16string>& AutomationError::description() const {
    return errorInfo_ ? errorInfo_->description : kAbsent;
}

const std::u16string& AutomationError::message() const {
    if (!message_) message_ = MakeMessageText(result_, SystemMessageText(result_));
    return *message_;
}

std::optional<std::u16string> WithoutInserts(std::optional<std::u16string> text) {
    if (!text) return text;
    for (std::size_t i = 0; i + 1 < text->size(); ++i) {
        if ((*text)[i] == u'%' && (*text)[i + 1] >= u'1' && (*text)[i + 1] <= u'9') return std::nullopt;
    }
    return text;
}

std::optional<std::u16string> SystemMessageText(HResult result) {
    return WithoutInserts(SystemMessage(static_cast<std::uint32_t>(result)));
}

std::u16string MakeMessageText(HResult result, const std::optional<std::u16string>& systemText) {
    if (systemText && !systemText->empty()) {
        std::u16string text = *systemText;
        if (text.size() > 1 && text.back() == u'\n') {
            text.pop_back();
            if (!text.empty() && text.back() == u'\r') text.pop_back();
        }
        return text;
    }
    // At most 32 characters with the terminator, as the fallback always was.
    char buffer[32];
    const auto unsignedResult = static_cast<std::uint32_t>(result);
    const auto code = static_cast<std::uint16_t>(unsignedResult - kExceptionCodeBase);
    if (unsignedResult >= kExceptionCodeBase && unsignedResult <= 0x8004FFFF && code != 0) {
        std::snprintf(buffer, sizeof buffer, "IDispatch error #%d", static_cast<int>(code));
    } else {
        std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX", static_cast<unsigned long>(unsignedResult));
    }
    return Widen(buffer);
}

std::u16string FormatErrorReport(const AutomationError& error) {
    const auto orNull = [](const std::optional<std::u16string>& text) { return text ? *text : u"(null)"; };
    return u"发生错误:" + orNull(error.source()) + u",原因:" + error.message() + u",描述:" +
           orNull(error.description()) + u"!";
}

}  // namespace sonotag::host
