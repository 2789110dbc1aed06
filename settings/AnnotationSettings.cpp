#include "settings/AnnotationSettings.h"

namespace sonotag::settings {

using notation::Notation;

Notation StoredNotation::notation() const {
    if (useUnicode) return Notation::Unicode;  // Unicode IPA is always written in the newer convention
    return ipaVersion == 1 ? Notation::Kingsoft13 : Notation::Kingsoft14;
}

StoredNotation StoredNotation::of(Notation notation) {
    return {notation == Notation::Kingsoft13 ? 1 : 0, notation == Notation::Unicode};
}

}  // namespace sonotag::settings
