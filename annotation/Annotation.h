#pragma once
// The annotation run, which writes a transcription after every word of the
// selected text object, and the removal, which takes the last run back
// through the host's undo history. Both speak to the host only through
// host::HostObject and to the user only through AnnotationUi.

#include <cstdint>
#include <string>

#include "app/MessageSink.h"
#include "host/HostObject.h"
#include "settings/AnnotationSettings.h"
#include "settings/SettingsFile.h"

namespace sonotag {

class PhoneticDictionary;

// The undo mark before any run: a removal then finds a negative difference
// and undoes nothing.
inline constexpr std::int32_t kInitialUndoMark = 10000000;

// The fonts of the two notations, given to the host by name.
inline constexpr char16_t kUnicodeFont[] = u"Lucida Sans Unicode";
inline constexpr char16_t kKingsoftFont[] = u"KPP Edition 2008教师节";

// What the run does to the window: its button and its message boxes.
class AnnotationUi : public MessageSink {
public:
    virtual void enableAnnotateButton(bool enabled) = 0;
};

// The texts the user sees.
inline constexpr char16_t kCompletionMessage[] = u"自动注音标完成！";

// The upper bound of the active document's undo history (n − 1 for n
// steps; −1 when the history is not an array). Raises the automation error.
std::int32_t QueryUndoLevel(const host::ObjectRef& application);

// Annotates every word of the one selected text object of the host that
// `state` is attached to, last word first, as its settings say (the
// character style, when resolved, in place of the notation's font). Words
// are looked up as WordLookup.h says: loosely unless the settings say
// otherwise, and a word of `skipList` is left alone. Shows the completion
// message, or one error report on failure; the button is disabled
// meanwhile and enabled again in every case. Sets `undoMark`.
void AnnotateSelection(const settings::SettingsState& state, PhoneticDictionary& dictionary,
                       std::int32_t& undoMark, AnnotationUi& ui, const PhoneticDictionary* skipList = nullptr);

// Undoes as many steps as the history has grown since `undoMark`, then
// moves the mark to the level found before undoing. One error report on
// failure, and the mark stays.
void RemoveAnnotations(const host::ObjectRef& application, std::int32_t& undoMark, MessageSink& sink);

// Where the format goes inside the inserted annotation text, as 0-based
// offsets: in Unicode notation everything after the separator, in Kingsoft
// letters exactly the transcription.
struct FormatWindow {
    std::size_t offset = 0;
    std::size_t length = 0;
};
FormatWindow FormatWindowOf(const settings::AnnotationSettings& settings, std::size_t transcriptionLength);

}  // namespace sonotag
