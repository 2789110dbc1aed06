#include "settings/CharacterStyle.h"

#include "host/AutomationError.h"

namespace sonotag::settings {
namespace {

// The texts between colons; the first is the text before the first colon.
std::vector<std::u16string> Segments(std::u16string_view path) {
    std::vector<std::u16string> segments;
    for (;;) {
        const auto colon = path.find(u':');
        segments.emplace_back(path.substr(0, colon));
        if (colon == std::u16string_view::npos) return segments;
        path.remove_prefix(colon + 1);
    }
}

host::ObjectRef ActiveDocument(const host::ObjectRef& application) {
    return host::GetObject(application, host::code::kActiveDocument);
}

// The name of a group or style: its default value.
std::u16string NameOf(const host::ObjectRef& object) { return host::GetText(object, host::code::kItem); }

void LookUpStyle(const host::ObjectRef& application, const std::vector<std::u16string>& segments,
                 host::ObjectRef& characterStyle, StyleResolution form) {
    const std::size_t last = segments.size() - 1;
    host::ObjectRef group;
    for (std::size_t k = 1; k <= last; ++k) {
        const std::u16string& name = segments[k];
        if (k == last && last == 1) {
            if (form == StyleResolution::Dialog && (name == kNoStyleName || name.empty())) {
                characterStyle.reset();
                return;
            }
            characterStyle = host::Item(host::GetObject(ActiveDocument(application), host::code::kCharacterStyles), name);
        } else if (k == last) {
            characterStyle = host::Item(host::GetObject(group, host::code::kCharacterStyles), name);
        } else if (k == 1) {
            group = host::Item(host::GetObject(ActiveDocument(application), host::code::kCharacterStyleGroups), name);
        } else {
            group = host::Item(host::GetObject(group, host::code::kCharacterStyleGroups), name);
        }
    }
}

}  // namespace

void ResolveCharacterStyle(const host::ObjectRef& application, std::u16string_view path,
                           host::ObjectRef& characterStyle, StyleResolution form) {
    if (form == StyleResolution::Dialog && path.empty()) {
        characterStyle.reset();
        return;
    }
    const auto segments = Segments(path);
    if (segments.size() < 2) return;
    try {
        LookUpStyle(application, segments, characterStyle, form);
    } catch (const host::AutomationError&) {
        // The style stays as it was; the annotation falls back to the font.
    }
}

void FillStyleList(const host::ObjectRef& container, const std::u16string& prefix,
                   std::vector<std::u16string>& entries) {
    const host::ObjectRef groups = host::GetObject(container, host::code::kCharacterStyleGroups);
    // The count is asked before every group, as the collection is walked.
    for (std::int32_t i = 1; i <= host::GetInteger(groups, host::code::kCount); ++i) {
        const host::ObjectRef group = host::Item(groups, i);
        FillStyleList(group, prefix + u":" + NameOf(group), entries);
    }
    const host::ObjectRef styles = host::GetObject(container, host::code::kCharacterStyles);
    const std::int32_t count = host::GetInteger(styles, host::code::kCount);
    for (std::int32_t i = 1; i <= count; ++i) {
        entries.push_back(prefix + u":" + NameOf(host::Item(styles, i)));
    }
}

StyleList ListDocumentStyles(const host::ObjectRef& application) {
    StyleList list;
    try {
        FillStyleList(ActiveDocument(host::Required(application)), {}, list.entries);
        list.complete = true;
    } catch (const host::AutomationError&) {
        // Whatever was listed stays listed.
    }
    return list;
}

}  // namespace sonotag::settings
