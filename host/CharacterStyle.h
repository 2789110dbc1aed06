#pragma once
// Character styles of the host's active document named by style paths: a
// colon, then each enclosing style group's name followed by a colon, then
// the style's name (":X", ":G:X", ":G1:G2:X"). Text before the first colon
// plays no part. A colon inside a name is written `\:` (":G:a\:b" is the
// style "a:b" in the group "G"), as InDesign escapes one in a Name.

#include <string>
#include <string_view>
#include <vector>

#include "host/HostObject.h"

namespace sonotag::host {

// The host's own style that stands for no style, and its path.
inline constexpr char16_t kNoStyleName[] = u"[无]";
inline constexpr char16_t kNoStylePath[] = u":[无]";

// The segments of a path: the text before the first colon, then each name
// with its `\:` read as a colon.
std::vector<std::u16string> SplitStylePath(std::u16string_view path);
// A name as one segment of a path: each colon in it written `\:`.
std::u16string EscapeStyleName(std::u16string_view name);

enum class StyleResolution {
    // At start-up: every path is looked up as it stands.
    Load,
    // On the settings dialog's OK: an empty path, ":" and ":[无]" clear the style.
    Dialog,
};

// Sets `characterStyle` to the style the path names in the active document
// of `application`. A path without a colon changes nothing. Any failure of
// the host (no application, no document, a name not found) ends the lookup
// silently, and `characterStyle` keeps what it held.
void ResolveCharacterStyle(const ObjectRef& application, std::u16string_view path,
                           ObjectRef& characterStyle, StyleResolution form);

// Appends to `entries` the path of every character style in the container
// (the document or a style group) and, recursively, in its groups: depth
// first, a container's groups before its own styles, each collection in
// index order. `prefix` is the container's own path, empty for the document.
// A failing host call throws the automation error; what was appended stays.
void FillStyleList(const ObjectRef& container, const std::u16string& prefix,
                   std::vector<std::u16string>& entries);

struct StyleList {
    std::vector<std::u16string> entries;
    bool complete = false;  // false: a failure ended the walk after these entries
};

// The style paths of the application's active document; a failure (no
// application included) ends the list silently where it occurred.
StyleList ListDocumentStyles(const ObjectRef& application);

}  // namespace sonotag::host
