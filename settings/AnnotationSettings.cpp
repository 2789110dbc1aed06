#include "settings/AnnotationSettings.h"

#include "base/Utf.h"

namespace sonotag::settings {

using notation::Notation;

Notation StoredNotation::notation() const {
    if (useUnicode) return Notation::Unicode;  // Unicode IPA is always written in the newer convention
    return ipaVersion == 1 ? Notation::Kingsoft13 : Notation::Kingsoft14;
}

StoredNotation StoredNotation::of(Notation notation) {
    return {notation == Notation::Kingsoft13 ? 1 : 0, notation == Notation::Unicode};
}

AnnotationSettings WithChoices(AnnotationSettings settings, const SettingsChoices& choices) {
    if (choices.notation) settings.notation = StoredNotation::of(*choices.notation);
    if (choices.separator) settings.separator = Utf8ToUtf16(*choices.separator);
    if (choices.leftSymbol) settings.leftSymbol = Utf8ToUtf16(*choices.leftSymbol);
    if (choices.rightSymbol) settings.rightSymbol = Utf8ToUtf16(*choices.rightSymbol);
    if (choices.characterStyle) settings.characterStyleName = Utf8ToUtf16(*choices.characterStyle);
    if (choices.exact) settings.loose = false;
    return settings;
}

}  // namespace sonotag::settings
