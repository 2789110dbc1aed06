#include "annotation/Annotation.h"
#include "host/AutomationError.h"

namespace sonotag::annotation {

using namespace host;

std::int32_t QueryUndoLevel(const ObjectRef& application) {
    const ObjectRef document = Required(GetObjectRef(Required(application), code::kActiveDocument));
    const Value history = Get(document, code::kUndoHistory);
    // A history that is not an array counts as an empty one.
    return history.type() == ValueType::Array ? history.array().upperBound : -1;
}

RunOutcome RemoveAnnotations(const ObjectRef& application, std::int32_t undoMark) {
    return OutcomeOf(undoMark, [&](std::int32_t& mark) {
        const std::int32_t level = QueryUndoLevel(application);
        // Widened: a level far below the mark must not wrap around.
        const std::int64_t steps = std::int64_t{level} - mark;
        for (std::int64_t step = 0; step < steps; ++step) {
            // The active document is fetched anew for every step.
            const ObjectRef document = Required(GetObjectRef(Required(application), code::kActiveDocument));
            Call(document, code::kUndo);
        }
        mark = level;
    });
}

}  // namespace sonotag::annotation
