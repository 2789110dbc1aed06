#pragma once
// Private operations of the stand-in's application object, for tests and for
// driving the stand-in from another process. Sonotag itself never uses these
// codes; calls to them are neither counted nor made to fail. Each may be
// invoked as a property get or as a method; a failure is the automation
// error with the stand-in's source and the problem as its description.

#include "host/DispatchCodes.h"

namespace sonotag::standin::control {

using host::DispatchId;
using host::FourCharCode;

// (JSON text) Loads a document in the file format and makes it active.
inline constexpr DispatchId kLoadDocumentJson = FourCharCode("SHlj");
// (path) Loads a .json document file or a UTF-8 .txt file.
inline constexpr DispatchId kLoadDocumentFile = FourCharCode("SHlf");
// (text) Loads one story holding the text, selected.
inline constexpr DispatchId kLoadPlainText = FourCharCode("SHlt");
// () -> text: the active document in the file format.
inline constexpr DispatchId kDumpDocumentJson = FourCharCode("SHdj");
// (path) Writes the active document in the file format.
inline constexpr DispatchId kSaveDocumentFile = FourCharCode("SHsf");
// () Closes the active document; the application then has none.
inline constexpr DispatchId kCloseDocument = FourCharCode("SHcd");
// (story index...) Selects the stories given by 0-based index; none: nothing.
inline constexpr DispatchId kSelect = FourCharCode("SHse");
// (k, wCode, scode [, source [, description]]) Makes the k-th counted call
// from now fail with that exception before it does anything; k <= 0 cancels.
// An empty source or description is left absent.
inline constexpr DispatchId kFailCall = FourCharCode("SHfc");
// (code) -> integer: calls made with that dispatch code; () -> all calls.
inline constexpr DispatchId kCallCount = FourCharCode("SHcc");
// () Sets every call count back to 0.
inline constexpr DispatchId kResetCallCounts = FourCharCode("SHrc");
// (milliseconds) Makes every counted call from now wait that long first, as
// a slow host does; 0 ends the delay.
inline constexpr DispatchId kDelayCalls = FourCharCode("SHdc");
// () -> integer: host objects handed out and not yet released.
inline constexpr DispatchId kLiveObjects = FourCharCode("SHlo");
// (story index) -> text: the story's text.
inline constexpr DispatchId kStoryText = FourCharCode("SHst");
// () -> integer: the active document's undo steps.
inline constexpr DispatchId kUndoStepCount = FourCharCode("SHus");

}  // namespace sonotag::standin::control
