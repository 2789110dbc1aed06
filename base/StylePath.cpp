#include "base/StylePath.h"

namespace sonotag {

std::vector<std::u16string> SplitStylePath(std::u16string_view path) {
    std::vector<std::u16string> segments(1);
    for (std::size_t k = 0; k < path.size(); ++k) {
        if (path[k] == u'\\' && k + 1 < path.size() && path[k + 1] == u':') {
            segments.back() += path[++k];
        } else if (path[k] == u':') {
            segments.emplace_back();
        } else {
            segments.back() += path[k];
        }
    }
    return segments;
}

std::u16string EscapeStyleName(std::u16string_view name) {
    std::u16string escaped;
    for (const char16_t c : name) {
        if (c == u':') escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace sonotag
