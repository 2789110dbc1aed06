#include "model/StyleTree.h"

#include <algorithm>
#include <stdexcept>

#include "base/StylePath.h"
#include "base/Utf.h"

namespace sonotag::model {
namespace {

[[noreturn]] void BadPath(std::u16string_view path, const std::string& problem) {
    throw std::invalid_argument("style path \"" + Utf16ToUtf8(path) + "\" " + problem);
}

}  // namespace

void StyleTree::addNoStyleIfMissing() {
    const std::u16string path = std::u16string(u":") + kNoStyleName;
    if (find(path)) return;
    styles_.push_back({kNoStyleName, &root_});
    root_.styles.insert(root_.styles.begin(), static_cast<StyleId>(styles_.size()));
    styleIndex_.emplace(std::pair<const StyleGroup*, std::u16string>(&root_, kNoStyleName),
                        static_cast<StyleId>(styles_.size()));
}

void StyleTree::add(std::u16string_view path) {
    if (path.empty() || path.front() != u':') BadPath(path, "does not begin with \":\"");
    const auto segments = SplitStylePath(path);
    StyleGroup* group = &root_;
    for (std::size_t k = 1; k + 1 < segments.size(); ++k) {
        if (segments[k].empty()) BadPath(path, "has an empty group name");
        StyleGroup*& child = groupIndex_[{group, segments[k]}];
        if (!child) {
            group->groups.push_back(std::make_unique<StyleGroup>(StyleGroup{segments[k], group, {}, {}}));
            child = group->groups.back().get();
        } else if (k + 2 == segments.size() && segments.back().empty()) {
            BadPath(path, "names a group that is already there");
        }
        group = child;
    }
    const std::u16string_view name = segments.back();
    if (name.empty()) {
        if (group == &root_) BadPath(path, "has an empty style name");
        return;  // a group of its own
    }
    if (!styleIndex_
             .emplace(std::pair<const StyleGroup*, std::u16string>(group, name),
                      static_cast<StyleId>(styles_.size() + 1))
             .second) {
        BadPath(path, "is listed twice");
    }
    styles_.push_back({std::u16string(name), group});
    group->styles.push_back(static_cast<StyleId>(styles_.size()));
}

std::optional<StyleId> StyleTree::find(std::u16string_view path) const {
    if (path.empty() || path.front() != u':') return std::nullopt;
    const auto segments = SplitStylePath(path);
    const StyleGroup* group = &root_;
    for (std::size_t k = 1; k + 1 < segments.size(); ++k) {
        const auto child = groupIndex_.find({group, segments[k]});
        if (child == groupIndex_.end()) return std::nullopt;
        group = child->second;
    }
    const auto style = styleIndex_.find({group, segments.back()});
    return style == styleIndex_.end() ? std::nullopt : std::optional(style->second);
}

std::u16string StyleTree::pathOf(const StyleGroup& group) const {
    std::u16string path = u":";
    for (const StyleGroup* g = &group; g != &root_; g = g->parent) path.insert(0, u":" + EscapeStyleName(g->name));
    return path;
}

std::u16string StyleTree::pathOf(StyleId id) const {
    const CharacterStyle& entry = style(id);
    return pathOf(*entry.group) + EscapeStyleName(entry.name);
}

std::vector<std::u16string> StyleTree::paths() const {
    std::vector<std::u16string> paths;
    const auto walk = [&](const auto& self, const StyleGroup& group) -> void {
        for (StyleId id : group.styles) paths.push_back(pathOf(id));
        if (&group != &root_ && group.styles.empty() && group.groups.empty()) paths.push_back(pathOf(group));
        for (const auto& child : group.groups) self(self, *child);
    };
    walk(walk, root_);
    return paths;
}

}  // namespace sonotag::model
