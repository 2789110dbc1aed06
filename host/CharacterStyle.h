#pragma once
// Character styles of the host's active document named by style paths
// (base/StylePath.h).

#include <string>
#include <string_view>
#include <vector>

#include "host/HostObject.h"

namespace sonotag::host {

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
void ResolveCharacterStyle(const ObjectRef& application, std::u16string_view path, ObjectRef& characterStyle,
                           StyleResolution form);

// Appends to `entries` the path of every character style in the container
// (the document or a style group) and, recursively, in its groups: depth
// first, a container's groups before its own styles, each collection in
// index order. `prefix` is the container's own path, empty for the document.
// A failing host call throws the automation error; what was appended stays.
void FillStyleList(const ObjectRef& container, const std::u16string& prefix, std::vector<std::u16string>& entries);

struct StyleList {
    std::vector<std::u16string> entries;
    bool complete = false;  // false: a failure ended the walk after these entries
};

// The style paths of the application's active document; a failure (no
// application included) ends the list silently where it occurred.
StyleList ListDocumentStyles(const ObjectRef& application);

}  // namespace sonotag::host
