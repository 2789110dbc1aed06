#pragma once
// The annotation run as it was first written: every host object fetched
// anew for each use and every character of a word visited, with the format
// window fixed by the insertion-point counts alone. Tests compare the real
// run's document effects with it, and the benchmark its call count.

#include <cstdint>

#include "annotation/Annotation.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/HostObject.h"
#include "notation/Notation.h"

namespace sonotag::test {

using namespace sonotag::annotation;
using namespace sonotag::dictionary;
using namespace sonotag::notation;

inline void LiteralAnnotateSelection(const RunTarget& target, PhoneticDictionary& dictionary) {
    using namespace host;
    const host::ObjectRef& application = target.application;
    const settings::AnnotationSettings& format = target.settings;
    const ObjectRef selection = Get(application, code::kSelection).object();
    if (GetInteger(selection, code::kCount) != 1) return;
    const ObjectRef words = GetObjectRef(CallForObject(selection, code::kFirst), code::kWords);
    const std::int32_t count = GetInteger(words, code::kCount);
    for (std::int32_t i = count; i >= 1; --i) {
        const ObjectRef word = Item(words, i);
        const std::u16string text = GetText(word, code::kContents);
        const std::u16string_view stored = dictionary.lookup(text);
        if (stored.empty()) continue;
        const std::u16string annotation = format.separator + format.leftSymbol + RenderTranscription(stored, format.notation.notation()) + format.rightSymbol;
        const std::int32_t before = GetInteger(GetObjectRef(word, code::kInsertionPoints), code::kCount);
        Put(CallForObject(GetObjectRef(word, code::kInsertionPoints), code::kLast), code::kContents, Value(annotation));
        const std::int32_t after = GetInteger(GetObjectRef(word, code::kInsertionPoints), code::kCount);
        const ObjectRef characters = GetObjectRef(word, code::kCharacters);
        for (std::int32_t j = 1; j <= GetInteger(characters, code::kCount); ++j) {
            const ObjectRef character = Item(characters, j);
            const bool inWindow = format.notation.useUnicode ? before < j && j < after : before + 1 < j && j < after - 1;
            if (!inWindow) continue;
            if (target.characterStyle) {
                Put(character, code::kAppliedCharacterStyle, Value(target.characterStyle));
            } else {
                Put(character, code::kAppliedFont, Value(format.notation.useUnicode ? kUnicodeFont : kKingsoftFont));
            }
        }
    }
}

}  // namespace sonotag::test
