#pragma once
// Shared steps of the stand-in tests: the selected words as the annotation
// run reaches them, and the automation error a piece of work raised.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "host/AutomationError.h"
#include "host/HostObject.h"
#include "standin/StandInHost.h"

namespace sonotag::standin::test {

namespace code = host::code;

inline std::optional<host::AutomationError> ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const host::AutomationError& error) { return error; }
    return std::nullopt;
}

inline host::ObjectRef SelectedWords(StandInHost& host) {
    const auto selection = host::GetObjectRef(host.application(), code::kSelection);
    return host::GetObjectRef(host::CallForObject(selection, code::kFirst), code::kWords);
}
inline host::ObjectRef Character(const host::ObjectRef& range, std::int32_t k) { return host::Item(host::GetObjectRef(range, code::kCharacters), k); }
inline host::ObjectRef Document(StandInHost& host) { return host::GetObjectRef(host.application(), code::kActiveDocument); }
inline std::string FixturePath(const std::string& name) { return std::string(SONOTAG_FIXTURES) + "/standin/" + name; }
inline std::u16string FixtureProgramPath(const std::string& name) { return std::filesystem::path(FixturePath(name)).u16string(); }

}  // namespace sonotag::standin::test
