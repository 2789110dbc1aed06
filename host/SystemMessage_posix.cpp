#include "host/AutomationError.h"

namespace sonotag::host {

// No system message table here: the fallback texts are used.
std::optional<std::u16string> SystemMessageText(HResult) { return std::nullopt; }

}  // namespace sonotag::host
