#pragma once
// The document's character styles and the groups that hold them. A style is
// named by its path: ":" and each enclosing group's name and ":", then the
// style's name (":Phonetics", ":Group:Inner:Deep"), a colon inside a name
// written `\:` (host/CharacterStyle.h). The top-level style "[无]" is
// always there.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/StylePath.h"

namespace sonotag::model {

// 1-based number of a style in the document; 0 means no style set.
using StyleId = std::uint32_t;

struct StyleGroup {
    std::u16string name;  // empty for the document itself
    StyleGroup* parent = nullptr;
    std::vector<std::unique_ptr<StyleGroup>> groups;
    std::vector<StyleId> styles;
};

struct CharacterStyle {
    std::u16string name;
    StyleGroup* group = nullptr;
};

class StyleTree {
public:
    StyleTree() = default;  // empty until the document adds "[无]"
    StyleTree(const StyleTree&) = delete;
    StyleTree& operator=(const StyleTree&) = delete;

    // Adds the style (or, for a path ending in ":", the group) a path names,
    // with the groups on its way. Throws std::invalid_argument for a path
    // that is malformed or already there.
    void add(std::u16string_view path);
    // Puts the top-level "[无]" first in the document when it is missing.
    void addNoStyleIfMissing();

    const StyleGroup& root() const { return root_; }
    const CharacterStyle& style(StyleId id) const { return styles_.at(id - 1); }
    std::size_t styleCount() const { return styles_.size(); }

    std::optional<StyleId> find(std::u16string_view path) const;
    std::u16string pathOf(StyleId id) const;
    std::u16string pathOf(const StyleGroup& group) const;  // ends in ":"

    // Every path, each container's styles before its groups, in index order;
    // a group without styles or groups is listed as its own path. Adding
    // these paths in this order builds the same tree.
    std::vector<std::u16string> paths() const;

private:
    StyleGroup root_;
    std::vector<CharacterStyle> styles_;
    // (group, name) -> its group or style: look-ups that stay quick in a
    // document of many groups or styles.
    std::map<std::pair<const StyleGroup*, std::u16string>, StyleGroup*> groupIndex_;
    std::map<std::pair<const StyleGroup*, std::u16string>, StyleId> styleIndex_;
};

}  // namespace sonotag::model
