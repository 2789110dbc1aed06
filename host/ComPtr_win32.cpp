#include "host/ComPtr_win32.h"

#include "host/AutomationError.h"

namespace sonotag::host {

Bstr::Bstr(std::u16string_view text) : text_(SysAllocStringLen(WideText(text), static_cast<UINT>(text.size()))) {
    if (!text_) throw AutomationError(kOutOfMemory);
}

std::u16string TextOf(BSTR text) {
    if (!text) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

std::optional<std::u16string> OptionalTextOf(BSTR text) {
    if (!text) return std::nullopt;
    return TextOf(text);
}

}  // namespace sonotag::host
