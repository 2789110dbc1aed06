#pragma once
// Everything the main window owns for the run of the program, and the work
// behind its commands. The window only routes messages here; this class
// knows nothing about windows, so it runs in the native tests too.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "annotation/Annotation.h"
#include "app/MessageSink.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/HostObject.h"
#include "settings/AnnotationSettings.h"

namespace sonotag {

// The message that ends every completed run.
inline constexpr char16_t kCompletionMessage[] = u"自动注音标完成！";

// The ProgIDs of the InDesign versions the program can drive, as the
// version list shows them: CS2 to CS5, the ones later versions register,
// and the version-independent one (whichever InDesign is installed).
inline constexpr std::u16string_view kHostProgIds[] = {
    u"InDesign.Application.CS2",     u"InDesign.Application.CS3",     u"InDesign.Application.CS4",
    u"InDesign.Application.CS5",     u"InDesign.Application.CS6",     u"InDesign.Application.CC",
    u"InDesign.Application.CC.2014", u"InDesign.Application.CC.2015", u"InDesign.Application.CC.2017",
    u"InDesign.Application.CC.2018", u"InDesign.Application.CC.2019", u"InDesign.Application.2020",
    u"InDesign.Application.2021",    u"InDesign.Application.2022",    u"InDesign.Application.2023",
    u"InDesign.Application.2024",    u"InDesign.Application.2025",    u"InDesign.Application.2026",
    u"InDesign.Application",
};

// What the session holds for the whole run: the user's choices, the host's
// application object (empty until an attachment succeeds), and the style
// that settings.characterStyleName resolved to there, or none.
struct SessionState {
    settings::AnnotationSettings settings;
    host::ObjectRef hostConnection;
    host::ObjectRef characterStyle;
};

enum class VersionChoice { Confirmed, Exit };

// The start-up version choice: shows the choice with hostProgId
// preselected, may replace hostProgId and attach the connection. Exit means
// the program ends at once without saving.
using ChooseHostVersionAtStartUp =
    std::function<VersionChoice(std::u16string& hostProgId, host::ObjectRef& hostConnection)>;

enum class LoadOutcome { Loaded, ExitChosen };

class Session {
public:
    explicit Session(std::u16string programFolder);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // Releases the host references; COM must still be up.
    ~Session();

    const std::u16string& programFolder() const { return programFolder_; }
    std::u16string configPath() const;
    std::u16string helpPagePath() const;

    // Start-up, in this order: reads config.ini, runs the version choice
    // (which may attach the host), then resolves the saved character style
    // in the attached host (failures are silent: the program then starts
    // without a style). ExitChosen: the program must end at once, writing
    // nothing, and nothing is resolved.
    LoadOutcome LoadSettings(const ChooseHostVersionAtStartUp& chooseHostVersion);

    // The menu's version choice, once confirmed: `attach` attaches the host
    // connection it is given (a ProgID it does not know leaves it as it
    // was). A character style is an object of the application it came from
    // and no use with another one: when the application object changed, the
    // saved style is resolved anew in the new one, or dropped.
    void AttachHostAnew(const std::function<void(host::ObjectRef& hostConnection)>& attach);

    // Reads the word list beside the program, then the skip list when
    // there is one; a failure shows the stop message (the file and its
    // cause) through `sink` and leaves that list empty.
    bool LoadDictionary(MessageSink& sink);

    // The annotation run over the host's selection, with the settings as
    // they are now. The button is disabled for the whole run; the completion
    // message or the one error report is shown while it still is, and then
    // it is enabled again, however the run ended.
    void Annotate(AnnotationUi& ui);
    // Takes the last run back through the host's undo history; only a
    // failure is reported.
    void RemoveAnnotations(MessageSink& sink);

    // Writes the settings to config.ini (at the window's destruction).
    void SaveSettings() const;

    SessionState& state() { return state_; }
    const settings::AnnotationSettings& settings() const { return state_.settings; }
    PhoneticDictionary& dictionary() { return dictionary_; }
    std::int32_t undoMark() const { return undoMark_; }

private:
    std::u16string programFolder_;
    // Resolves settings.characterStyleName anew in the attached host.
    void ResolveSavedStyle();

    SessionState state_;
    std::int32_t undoMark_ = kInitialUndoMark;
    PhoneticDictionary dictionary_;
    PhoneticDictionary skipList_;
};

}  // namespace sonotag
