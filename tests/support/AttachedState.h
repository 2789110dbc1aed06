#pragma once

#include "host/HostObject.h"
#include "settings/SettingsFile.h"

namespace sonotag::test {

// The main window's state as a run reads it, attached to `application`.
// (Built member by member: GCC 12 warns wrongly on the nested braces.)
inline settings::SettingsState AttachedState(const host::ObjectRef& application,
                                             const settings::AnnotationSettings& chosen = settings::AnnotationSettings(),
                                             const host::ObjectRef& characterStyle = nullptr) {
    settings::SettingsState state;
    state.settings = chosen;
    state.hostConnection = application;
    state.characterStyle = characterStyle;
    return state;
}

}  // namespace sonotag::test
