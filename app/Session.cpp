#include "app/Session.h"

#include <memory>

#include "app/ShellRules.h"
#include "base/Paths.h"
#include "host/CharacterStyle.h"
#include "settings/SettingsFile.h"

namespace sonotag::app {

using namespace sonotag::annotation;
using namespace sonotag::dictionary;
namespace {

// Disables the annotate button for the life of a run, and enables it again
// however the run ends.
class DisabledButton {
public:
    explicit DisabledButton(AnnotationUi& ui) : ui_(ui) { ui_.enableAnnotateButton(false); }
    ~DisabledButton() { ui_.enableAnnotateButton(true); }
    DisabledButton(const DisabledButton&) = delete;
    DisabledButton& operator=(const DisabledButton&) = delete;

private:
    AnnotationUi& ui_;
};

}  // namespace

Session::Session(std::u16string programFolder, HostAttacher attachHost)
    : programFolder_(std::move(programFolder)), attachHost_(std::move(attachHost)) {}

Session::~Session() {
    characterStyle_.reset();
    application_.reset();
}

std::u16string Session::helpPagePath() const { return HelpPagePath(programFolder_); }

LoadOutcome Session::loadSettings(const std::function<bool()>& chooseVersion) {
    settings_ = settings::ReadSettings(settings::ConfigFilePath(programFolder_));
    if (!chooseVersion()) return LoadOutcome::ExitChosen;
    resolveSavedStyle();
    started_ = true;
    return LoadOutcome::Loaded;
}

void Session::resolveSavedStyle() {
    characterStyle_.reset();
    const std::u16string& name = settings_.characterStyleName;
    if (!name.empty()) host::ResolveCharacterStyle(application_, name, characterStyle_, host::StyleResolution::Load);
}

void Session::confirmHostVersion(const std::u16string& progId) {
    settings_.hostProgId = progId;
    // Held weakly: the attachment gives the old application up before it
    // makes the new one.
    const std::weak_ptr<host::HostObject> previous = application_;
    application_ = attachHost_(progId, std::move(application_));
    // At start-up the settings load resolves the style after the choice.
    if (!started_ || (application_ && previous.lock() == application_)) return;
    resolveSavedStyle();
}

SettingsDialogControls Session::settingsDialogControls() const {
    return InitialDialogControls(settings_, application_);
}

void Session::acceptSettingsDialog(const SettingsDialogControls& controls) {
    AcceptDialogControls(controls, settings_, application_, characterStyle_);
}

bool Session::loadDictionary(MessageSink& sink) {
    const std::optional<FileError> error = dictionary_.load(DictionaryPath(programFolder_));
    if (error) sink.showMessage(error->userText(), MessageIcon::Stop);
    const std::optional<FileError> skipError =
        skipList_.load(SkipListPath(programFolder_), {}, PhoneticDictionary::Missing::Ignore);
    if (skipError) sink.showMessage(skipError->userText(), MessageIcon::Stop);
    const std::optional<FileError> tableError = homographs_.load(HomographTablePath(programFolder_));
    if (tableError && tableError->cause() != FileErrorCause::NotFound)
        sink.showMessage(tableError->userText(), MessageIcon::Stop);
    return !error;
}

void Session::annotate(AnnotationUi& ui) {
    const DisabledButton disabled(ui);
    const RunTarget target{application_, settings_, characterStyle_, &skipList_, &homographs_};
    const RunOutcome outcome = AnnotateSelection(target, dictionary_, undoMark_);
    undoMark_ = outcome.undoMark;
    ui.showMessage(outcome.completed() ? std::u16string(kCompletionMessage) : host::FormatErrorReport(*outcome.error),
                   MessageIcon::None);
}

void Session::removeAnnotations(MessageSink& sink) {
    const RunOutcome outcome = RemoveAnnotations(application_, undoMark_);
    undoMark_ = outcome.undoMark;
    if (!outcome.completed()) sink.showMessage(host::FormatErrorReport(*outcome.error), MessageIcon::None);
}

void Session::saveSettings() const { settings::SaveSettings(settings::ConfigFilePath(programFolder_), settings_); }

}  // namespace sonotag::app
