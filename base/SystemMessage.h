#pragma once
// The platform's own text for an error code.

#include <cstdint>
#include <optional>
#include <string>

namespace sonotag {

// The system's message for `code` (a Win32 error or an HRESULT) in the
// user's language, exactly as the system gives it, line end included;
// nothing when it has none (and always nothing off Windows). Inserts such as
// "%1" are left as they stand.
std::optional<std::u16string> SystemMessage(std::uint32_t code);

}  // namespace sonotag
