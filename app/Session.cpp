#include "app/Session.h"

#include <memory>

#include "app/ShellRules.h"
#include "base/Paths.h"
#include "host/CharacterStyle.h"
#include "settings/SettingsFile.h"

namespace sonotag {
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

Session::Session(std::u16string programFolder) : programFolder_(std::move(programFolder)) {}

Session::~Session() {
    state_.characterStyle.reset();
    state_.hostConnection.reset();
}

std::u16string Session::configPath() const { return settings::ConfigFilePath(programFolder_); }

std::u16string Session::helpPagePath() const { return HelpPagePath(programFolder_); }

LoadOutcome Session::LoadSettings(const ChooseHostVersionAtStartUp& chooseHostVersion) {
    state_.settings = settings::ReadSettings(configPath());
    if (chooseHostVersion(state_.settings.hostProgId, state_.hostConnection) == VersionChoice::Exit) {
        return LoadOutcome::ExitChosen;
    }
    ResolveSavedStyle();
    return LoadOutcome::Loaded;
}

void Session::ResolveSavedStyle() {
    state_.characterStyle.reset();
    const std::u16string& name = state_.settings.characterStyleName;
    if (!name.empty()) {
        host::ResolveCharacterStyle(state_.hostConnection, name, state_.characterStyle, host::StyleResolution::Load);
    }
}

void Session::AttachHostAnew(const std::function<void(host::ObjectRef&)>& attach) {
    // Held weakly: the attachment gives the old application up before it
    // makes the new one.
    const std::weak_ptr<host::HostObject> previous = state_.hostConnection;
    attach(state_.hostConnection);
    if (state_.hostConnection && previous.lock() == state_.hostConnection) return;  // the same application
    ResolveSavedStyle();
}

bool Session::LoadDictionary(MessageSink& sink) {
    const std::optional<FileError> error = dictionary_.load(DictionaryPath(programFolder_));
    if (error) sink.showMessage(error->userText(), MessageIcon::Stop);
    const std::optional<FileError> skipError =
        skipList_.load(SkipListPath(programFolder_), {}, PhoneticDictionary::Missing::Ignore);
    if (skipError) sink.showMessage(skipError->userText(), MessageIcon::Stop);
    return !error;
}

void Session::Annotate(AnnotationUi& ui) {
    const DisabledButton disabled(ui);
    const RunTarget target{state_.hostConnection, state_.settings, state_.characterStyle, &skipList_};
    const RunOutcome outcome = AnnotateSelection(target, dictionary_, undoMark_);
    undoMark_ = outcome.undoMark;
    ui.showMessage(outcome.completed() ? std::u16string(kCompletionMessage) : host::FormatErrorReport(*outcome.error),
                   MessageIcon::None);
}

void Session::RemoveAnnotations(MessageSink& sink) {
    const RunOutcome outcome = sonotag::RemoveAnnotations(state_.hostConnection, undoMark_);
    undoMark_ = outcome.undoMark;
    if (!outcome.completed()) sink.showMessage(host::FormatErrorReport(*outcome.error), MessageIcon::None);
}

void Session::SaveSettings() const { settings::SaveSettings(configPath(), state_.settings); }

}  // namespace sonotag
