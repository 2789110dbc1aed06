#include "model/Origins.h"

#include <stdexcept>

namespace sonotag::model {
namespace {

// The end of the stretch of one origin that starts at `start`.
std::size_t StretchEnd(const std::vector<CharFormat>& formats, std::size_t start) {
    std::size_t end = start + 1;
    while (end < formats.size() && formats[end].origin == formats[start].origin) ++end;
    return end;
}

}  // namespace

void NumberOrigins(Story& story) {
    std::vector<CharFormat> formats = story.formats();
    for (std::size_t k = 0; k < formats.size(); ++k) formats[k].origin = static_cast<std::uint32_t>(k + 1);
    story.setFormats(0, formats);
}

std::vector<Insertion> InsertionsOf(const Story& story) {
    const std::vector<CharFormat>& formats = story.formats();
    std::vector<Insertion> insertions;
    std::uint32_t expected = 1;
    for (std::size_t start = 0; start < formats.size();) {
        const std::size_t end = StretchEnd(formats, start);
        if (formats[start].origin != expected) throw std::logic_error("the run removed or moved text it was given");
        expected = formats[start].origin + 1;
        if (end > start + 1) {
            insertions.push_back({formats[start].origin - 1, story.text().substr(start + 1, end - start - 1),
                                  std::vector<CharFormat>(formats.begin() + static_cast<std::ptrdiff_t>(start + 1),
                                                          formats.begin() + static_cast<std::ptrdiff_t>(end))});
        }
        start = end;
    }
    return insertions;
}

std::int32_t InsertionCount(const Story& story) {
    const std::vector<CharFormat>& formats = story.formats();
    std::int32_t count = 0;
    for (std::size_t start = 0; start < formats.size();) {
        const std::size_t end = StretchEnd(formats, start);
        count += end > start + 1;
        start = end;
    }
    return count;
}

}  // namespace sonotag::model
