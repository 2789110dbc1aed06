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
#include "app/SettingsDialogData.h"
#include "dictionary/HomographTable.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/HostObject.h"
#include "settings/AnnotationSettings.h"

namespace sonotag::app {

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

// Attaches to the host version a ProgID names, giving `current` up first
// when the ProgID is known (host::AttachHost in the program).
using HostAttacher = std::function<host::ObjectRef(const std::u16string& progId, host::ObjectRef current)>;

enum class LoadOutcome { Loaded, ExitChosen };

// The main window's state for the whole run of the program and the work
// behind its commands: the user's choices, the host's application object
// (empty until an attachment succeeds), the style the saved style path
// resolved to there, the word list and skip list, and the undo mark.
class Session {
public:
    Session(std::u16string programFolder, HostAttacher attachHost);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // Releases the host references; COM must still be up.
    ~Session();

    std::u16string helpPagePath() const;

    // Start-up, in this order: reads config.ini, runs `chooseVersion` (the
    // version choice, whose OK calls confirmHostVersion; false: Exit), then
    // resolves the saved character style in the attached host (failures
    // are silent: the program then starts without a style). ExitChosen: the
    // program must end at once, writing nothing, and nothing is resolved.
    LoadOutcome loadSettings(const std::function<bool()>& chooseVersion);

    // The version the choice preselects, and its OK: the ProgID is stored
    // and attached at once (an unknown one keeps the attachment there is).
    // After start-up, a style belongs to the application it came from: when
    // the application object changed, the saved style is resolved anew in
    // the new one, or dropped.
    const std::u16string& hostProgId() const { return settings_.hostProgId; }
    void confirmHostVersion(const std::u16string& progId);

    // The settings dialog: its controls when it opens (the style list from
    // the attached host's document), and its OK.
    SettingsDialogControls settingsDialogControls() const;
    void acceptSettingsDialog(const SettingsDialogControls& controls);

    // Reads the word list beside the program, then the skip list and the
    // homograph table when they are there; a failure shows the stop message
    // (the file and its cause) through `sink` and leaves that list empty.
    bool loadDictionary(MessageSink& sink);

    // The annotation run over the host's selection, with the settings as
    // they are now. The button is disabled for the whole run; the completion
    // message or the one error report is shown while it still is, and then
    // it is enabled again, however the run ended.
    void annotate(AnnotationUi& ui);
    // Takes the last run back through the host's undo history; only a
    // failure is reported.
    void removeAnnotations(MessageSink& sink);

    // Writes the settings to config.ini (at the window's end).
    void saveSettings() const;

    const settings::AnnotationSettings& settings() const { return settings_; }
    std::int32_t undoMark() const { return undoMark_; }

private:
    // Resolves settings_.characterStyleName anew in the attached host.
    void resolveSavedStyle();

    std::u16string programFolder_;
    HostAttacher attachHost_;
    bool started_ = false;  // the start-up is over
    settings::AnnotationSettings settings_;
    host::ObjectRef application_;
    host::ObjectRef characterStyle_;
    std::int32_t undoMark_ = annotation::kInitialUndoMark;
    dictionary::PhoneticDictionary dictionary_;
    dictionary::PhoneticDictionary skipList_;
    dictionary::HomographTable homographs_;
};

}  // namespace sonotag::app
