#include "base/SystemMessage.h"

namespace sonotag {

// No system message table here: callers use their own texts.
std::optional<std::u16string> SystemMessage(std::uint32_t) { return std::nullopt; }

}  // namespace sonotag
