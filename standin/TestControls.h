#pragma once
// The stand-in's private test controls (ControlCodes.h): calls on the
// application that load, dump and inspect the document and plan failures.
// They are neither counted nor made to fail.

#include <optional>

#include "standin/ModelObject.h"

namespace sonotag::standin {

// The control's answer, or nothing when the request is no control.
std::optional<host::Value> AnswerTestControl(HostState& state, const Request& request);

}  // namespace sonotag::standin
