#pragma once

#include "annotation/Annotation.h"
#include "dictionary/HomographTable.h"
#include "host/AutomationError.h"
#include "host/HostObject.h"
#include "settings/AnnotationSettings.h"

namespace sonotag::test {

using namespace sonotag::annotation;
using namespace sonotag::dictionary;

// A run's target that owns what it names, attached to `application`.
struct AttachedState {
    explicit AttachedState(host::ObjectRef application, settings::AnnotationSettings chosen = {}, host::ObjectRef style = nullptr)
        : hostConnection(std::move(application)), settings(std::move(chosen)), characterStyle(std::move(style)) {}

    operator RunTarget() const { return {hostConnection, settings, characterStyle, skipList, homographs, log}; }

    host::ObjectRef hostConnection;
    settings::AnnotationSettings settings;
    host::ObjectRef characterStyle;
    const PhoneticDictionary* skipList = nullptr;
    const HomographTable* homographs = nullptr;
    RunLog* log = nullptr;
};

// The error report of a failed outcome, empty for a completed one.
inline std::u16string ReportOf(const RunOutcome& outcome) { return outcome.error ? host::FormatErrorReport(*outcome.error) : std::u16string(); }

}  // namespace sonotag::test
