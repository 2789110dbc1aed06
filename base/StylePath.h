#pragma once
// Style paths, the names of character styles the window saves and the
// command line takes: a colon, then each enclosing style group's name
// followed by a colon, then the style's name (":X", ":G:X", ":G1:G2:X").
// Text before the first colon plays no part. A colon inside a name is
// written `\:` (":G:a\:b" is the style "a:b" in the group "G"), as InDesign
// escapes one in a Name.

#include <string>
#include <string_view>
#include <vector>

namespace sonotag {

// The host's own style that stands for no style, and its path.
inline constexpr char16_t kNoStyleName[] = u"[无]";
inline constexpr char16_t kNoStylePath[] = u":[无]";

// The segments of a path: the text before the first colon, then each name
// with its `\:` read as a colon.
std::vector<std::u16string> SplitStylePath(std::u16string_view path);
// A name as one segment of a path: each colon in it written `\:`.
std::u16string EscapeStyleName(std::u16string_view name);

}  // namespace sonotag
