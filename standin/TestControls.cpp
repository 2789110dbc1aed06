#include "standin/TestControls.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "base/Utf.h"
#include "standin/ControlCodes.h"

namespace sonotag::standin {
namespace {

using host::InvokeKind;
using host::Value;

[[noreturn]] void ControlFailure(const std::string& problem) { Raise(host::kInvalidArgument, problem); }

std::int32_t IntegerArgument(const Value& value, const char* what) {
    if (value.type() != host::ValueType::Integer) ControlFailure(std::string(what) + " must be an integer.");
    return value.integer();
}

std::u16string TextArgument(const Value& value, const char* what) {
    if (value.type() != host::ValueType::Text) ControlFailure(std::string(what) + " must be text.");
    return value.text();
}

std::optional<std::u16string> OptionalText(std::span<const Value> arguments, std::size_t index, const char* what) {
    if (index >= arguments.size() || arguments[index].isEmpty()) return std::nullopt;
    std::u16string text = TextArgument(arguments[index], what);
    if (text.empty()) return std::nullopt;
    return text;
}

void ExpectArguments(const Request& request, std::size_t least, std::size_t most) {
    if (request.kind == InvokeKind::Put) ControlFailure(OperationName(request.id) + " cannot be set.");
    if (request.arguments.size() < least || request.arguments.size() > most) {
        const std::string range = least == most ? Plural(least, "argument")
                                  : most == std::numeric_limits<std::size_t>::max()
                                      ? "at least " + Plural(least, "argument")
                                      : std::to_string(least) + " to " + std::to_string(most) + " arguments";
        ControlFailure(OperationName(request.id) + " takes " + range + ", not " +
                       std::to_string(request.arguments.size()) + ".");
    }
}

Value Clamped(std::int64_t number) {
    return Value(static_cast<std::int32_t>(std::min<std::int64_t>(number, std::numeric_limits<std::int32_t>::max())));
}

}  // namespace

std::optional<Value> AnswerTestControl(HostState& state, const Request& request) {
    namespace c = control;
    try {
        switch (request.id) {
            case c::kLoadDocumentJson:
                ExpectArguments(request, 1, 1);
                state.loadDocumentJson(Utf16ToUtf8(TextArgument(request.arguments[0], "The document")));
                return Value();
            case c::kLoadDocumentFile:
                ExpectArguments(request, 1, 1);
                state.loadDocumentFile(TextArgument(request.arguments[0], "The path"));
                return Value();
            case c::kLoadPlainText:
                ExpectArguments(request, 1, 1);
                state.loadPlainText(TextArgument(request.arguments[0], "The text"));
                return Value();
            case c::kDumpDocumentJson:
                ExpectArguments(request, 0, 0);
                return Value(Utf8ToUtf16(state.dumpDocumentJson()));
            case c::kSaveDocumentFile:
                ExpectArguments(request, 1, 1);
                state.saveDocumentFile(TextArgument(request.arguments[0], "The path"));
                return Value();
            case c::kCloseDocument:
                ExpectArguments(request, 0, 0);
                state.replaceDocument(nullptr);
                return Value();
            case c::kSelect: {
                ExpectArguments(request, 0, std::numeric_limits<std::size_t>::max());
                std::vector<std::int32_t> stories;
                for (const Value& argument : request.arguments)
                    stories.push_back(IntegerArgument(argument, "A story index"));
                state.requireDocument().select(std::move(stories));
                return Value();
            }
            case c::kFailCall: {
                ExpectArguments(request, 3, 5);
                const auto& arguments = request.arguments;
                const std::int32_t wCode = IntegerArgument(arguments[1], "wCode");
                if (wCode < 0 || wCode > 0xFFFF) ControlFailure("wCode must lie between 0 and 65535.");
                state.failCall(
                    IntegerArgument(arguments[0], "k"),
                    {static_cast<std::uint16_t>(wCode), IntegerArgument(arguments[2], "scode"),
                     OptionalText(arguments, 3, "The source"), OptionalText(arguments, 4, "The description")});
                return Value();
            }
            case c::kCallCount: {
                ExpectArguments(request, 0, 1);
                const auto& counts = state.callCounts();
                if (request.arguments.empty()) {
                    std::int64_t total = 0;
                    for (const auto& [id, calls] : counts) total += calls;
                    return Clamped(total);
                }
                const auto found = counts.find(IntegerArgument(request.arguments[0], "The dispatch code"));
                return Clamped(found == counts.end() ? 0 : found->second);
            }
            case c::kResetCallCounts:
                ExpectArguments(request, 0, 0);
                state.resetCallCounts();
                return Value();
            case c::kDelayCalls: {
                ExpectArguments(request, 1, 1);
                const std::int32_t milliseconds = IntegerArgument(request.arguments[0], "The delay");
                if (milliseconds < 0 || milliseconds > 10000)
                    ControlFailure("The delay must lie between 0 and 10000 ms.");
                state.delayCalls(std::chrono::milliseconds(milliseconds));
                return Value();
            }
            case c::kLiveObjects: ExpectArguments(request, 0, 0); return Clamped(state.liveObjects());
            case c::kStoryText: {
                ExpectArguments(request, 1, 1);
                const model::Document& document = state.requireDocument();
                const std::int32_t story = IntegerArgument(request.arguments[0], "The story index");
                if (story < 0 || story >= document.storyCount())
                    ControlFailure("There is no story " + std::to_string(story) + ".");
                return Value(document.story(story).text());
            }
            case c::kUndoStepCount:
                ExpectArguments(request, 0, 0);
                return Value(state.requireDocument().undoStepCount());
            default: return std::nullopt;
        }
    } catch (const host::AutomationError&) { throw; } catch (const std::exception& error) {
        ControlFailure(error.what());
    }
}

}  // namespace sonotag::standin
