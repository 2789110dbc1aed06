#include <windows.h>

#include <memory>

#include "host/AutomationError.h"

namespace sonotag::host {
namespace {

struct LocalFreer {
    void operator()(wchar_t* text) const { LocalFree(text); }
};

// True when the text asks for inserts ("%1" and the like).
bool HasInserts(const std::u16string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'%' && text[i + 1] >= u'1' && text[i + 1] <= u'9') return true;
    }
    return false;
}

}  // namespace

std::optional<std::u16string> SystemMessageText(HResult result) {
    // Formatting a text that has inserts without arguments is not safe, so the
    // inserts are left alone and such a text counts as none: the caller then
    // uses its fallback, as when the system gives no text.
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(result), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer), 0,
        nullptr);
    const std::unique_ptr<wchar_t, LocalFreer> owned(buffer);
    if (length == 0 || buffer == nullptr) return std::nullopt;
    std::u16string text(buffer, buffer + length);
    if (HasInserts(text)) return std::nullopt;
    return text;
}

}  // namespace sonotag::host
