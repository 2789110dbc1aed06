#pragma once
// The automation error: raised by every failing host operation, thrown by
// value and caught by reference.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/HResult.h"

namespace sonotag::host {

// What a host reports with DISP_E_EXCEPTION (the EXCEPINFO it fills).
struct ExceptionInfo {
    std::uint16_t wCode = 0;
    HResult scode = 0;
    std::optional<std::u16string> source;
    std::optional<std::u16string> description;
};

class AutomationError {
public:
    // A failing result without error information.
    explicit AutomationError(HResult result);
    // A host exception: the result is 0x80040200 + wCode for a non-zero
    // wCode (0x8004FFFF from 0xFE00 on), otherwise scode; source and
    // description become the error information.
    static AutomationError fromException(ExceptionInfo exception);

    HResult result() const { return result_; }
    bool hasErrorInfo() const { return errorInfo_ != nullptr; }
    // The exception the host reported, when it reported one.
    const ExceptionInfo* exception() const { return errorInfo_.get(); }
    const std::optional<std::u16string>& source() const;
    const std::optional<std::u16string>& description() const;

    // The text for the result: the system's text, without a final line feed
    // (and a carriage return before it), or the fallback texts. Made on first
    // use and kept; a copy of the error makes its own.
    const std::u16string& message() const;

    AutomationError(const AutomationError& other);
    AutomationError& operator=(const AutomationError& other);
    AutomationError(AutomationError&&) noexcept = default;
    AutomationError& operator=(AutomationError&&) noexcept = default;
    ~AutomationError() = default;

private:
    HResult result_;
    std::shared_ptr<const ExceptionInfo> errorInfo_;  // shared by copies, like IErrorInfo
    mutable std::optional<std::u16string> message_;
};

// The system's message text for a result, or nothing where the platform has
// no message table (everywhere but Windows) or no text for it.
std::optional<std::u16string> SystemMessageText(HResult result);
// Formatting a text that asks for inserts ("%1" to "%9") without arguments is
// not safe, so such a text counts as none: the caller then uses its
// fallback, as when the system gives no text.
std::optional<std::u16string> WithoutInserts(std::optional<std::u16string> text);

// The message text rules applied to what the system said (or did not say).
std::u16string MakeMessageText(HResult result, const std::optional<std::u16string>& systemText);

// "发生错误:<source>,原因:<message>,描述:<description>!" with "(null)" for
// an absent text: the one report of a failed command.
std::u16string FormatErrorReport(const AutomationError& error);

}  // namespace sonotag::host
