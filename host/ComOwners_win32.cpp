#include "host/ComOwners_win32.h"

#include "base/WideText_win32.h"
#include "host/AutomationError.h"

namespace sonotag::host {

Bstr::Bstr(std::u16string_view text) : text_(SysAllocStringLen(Wide(text), static_cast<UINT>(text.size()))) {
    if (!text_) throw AutomationError(kOutOfMemory);
}

std::u16string TextOf(BSTR text) {
    if (!text) return {};
    return std::u16string(Utf16(text), SysStringLen(text));
}

std::optional<std::u16string> OptionalTextOf(BSTR text) {
    if (!text) return std::nullopt;
    return TextOf(text);
}

}  // namespace sonotag::host
