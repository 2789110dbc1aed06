#pragma once
// Shared steps of the stand-in tests: reaching the selected text the way the
// annotation run does, and catching the automation error of a call.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "host/AutomationError.h"
#include "host/HostObject.h"
#include "standin/StandInHost.h"

namespace sonotag::standin::test {

using host::code::kAppliedCharacterStyle;
using host::code::kAppliedFont;
using host::code::kCharacters;
using host::code::kContents;
using host::code::kCount;
using host::code::kInsertionPoints;
using host::code::kLast;
using host::code::kWords;

// The error a piece of work raised, or nothing when it succeeded.
inline std::optional<host::AutomationError> ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const host::AutomationError& error) {
        return error;
    }
    return std::nullopt;
}

inline host::ObjectRef SelectedObject(StandInHost& host) {
    const auto selection = host::GetObjectRef(host.application(), host::code::kSelection);
    return host::CallForObject(selection, host::code::kFirst);
}

inline host::ObjectRef SelectedWords(StandInHost& host) { return host::GetObjectRef(SelectedObject(host), kWords); }

inline std::u16string TextOf(const host::ObjectRef& range) { return host::GetText(range, kContents); }

inline std::int32_t CountOf(const host::ObjectRef& range, host::DispatchId collection) {
    return host::GetInteger(host::GetObjectRef(range, collection), kCount);
}

// Puts text at the last insertion point of a word, as the annotation run does.
inline void AppendToWord(const host::ObjectRef& word, const std::u16string& text) {
    host::Put(host::CallForObject(host::GetObjectRef(word, kInsertionPoints), kLast), kContents, host::Value(text));
}

inline host::ObjectRef Character(const host::ObjectRef& range, std::int32_t index) {
    return host::Item(host::GetObjectRef(range, kCharacters), index);
}

inline std::int32_t UndoLevel(StandInHost& host) {
    const auto document = host::GetObjectRef(host.application(), host::code::kActiveDocument);
    return host::Get(document, host::code::kUndoHistory, host::ValueType::Array).array().upperBound;
}

inline std::string FixturePath(const std::string& name) { return std::string(SONOTAG_FIXTURES) + "/standin/" + name; }

inline std::u16string FixtureProgramPath(const std::string& name) {
    const std::string path = FixturePath(name);
    return std::u16string(path.begin(), path.end());
}

}  // namespace sonotag::standin::test
