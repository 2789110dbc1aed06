#include "host/CharacterStyle.h"

#include "base/StylePath.h"
#include "host/AutomationError.h"

namespace sonotag::host {
namespace {

ObjectRef ActiveDocument(const ObjectRef& application) { return GetObjectRef(application, code::kActiveDocument); }

// The name of a group or style: its default value.
std::u16string NameOf(const ObjectRef& object) { return GetText(object, code::kItem); }

void LookUpStyle(const ObjectRef& application, const std::vector<std::u16string>& segments, ObjectRef& characterStyle,
                 StyleResolution form) {
    const std::size_t last = segments.size() - 1;
    ObjectRef group;
    for (std::size_t k = 1; k <= last; ++k) {
        const std::u16string& name = segments[k];
        if (k == last && last == 1) {
            if (form == StyleResolution::Dialog && (name == kNoStyleName || name.empty())) {
                characterStyle.reset();
                return;
            }
            characterStyle = Item(GetObjectRef(ActiveDocument(application), code::kCharacterStyles), name);
        } else if (k == last) {
            characterStyle = Item(GetObjectRef(group, code::kCharacterStyles), name);
        } else if (k == 1) {
            group = Item(GetObjectRef(ActiveDocument(application), code::kCharacterStyleGroups), name);
        } else {
            group = Item(GetObjectRef(group, code::kCharacterStyleGroups), name);
        }
    }
}

}  // namespace

void ResolveCharacterStyle(const ObjectRef& application, std::u16string_view path, ObjectRef& characterStyle,
                           StyleResolution form) {
    if (form == StyleResolution::Dialog && path.empty()) {
        characterStyle.reset();
        return;
    }
    const auto segments = SplitStylePath(path);
    if (segments.size() < 2) return;
    try {
        LookUpStyle(application, segments, characterStyle, form);
    } catch (const AutomationError&) {
        // The style stays as it was; the annotation falls back to the font.
    }
}

void FillStyleList(const ObjectRef& container, const std::u16string& prefix, std::vector<std::u16string>& entries) {
    const ObjectRef groups = GetObjectRef(container, code::kCharacterStyleGroups);
    // The count is asked before every group, as the collection is walked.
    for (std::int32_t i = 1; i <= GetInteger(groups, code::kCount); ++i) {
        const ObjectRef group = Item(groups, i);
        FillStyleList(group, prefix + u":" + EscapeStyleName(NameOf(group)), entries);
    }
    const ObjectRef styles = GetObjectRef(container, code::kCharacterStyles);
    const std::int32_t count = GetInteger(styles, code::kCount);
    for (std::int32_t i = 1; i <= count; ++i) {
        entries.push_back(prefix + u":" + EscapeStyleName(NameOf(Item(styles, i))));
    }
}

StyleList ListDocumentStyles(const ObjectRef& application) {
    StyleList list;
    try {
        FillStyleList(ActiveDocument(Required(application)), {}, list.entries);
        list.complete = true;
    } catch (const AutomationError&) {
        // Whatever was listed stays listed.
    }
    return list;
}

}  // namespace sonotag::host
