#include "app/Session.h"

#include <memory>

#include "app/ApplicationName.h"
#include "dictionary/ProgramFolder.h"
#include "settings/CharacterStyle.h"

namespace sonotag {

Session::Session(std::u16string programFolder) : programFolder_(std::move(programFolder)) {}

Session::~Session() {
    state_.characterStyle.reset();
    state_.hostConnection.reset();
}

std::u16string Session::configPath() const { return settings::ConfigFilePath(programFolder_); }

std::u16string Session::helpPagePath() const { return HelpPagePath(programFolder_); }

settings::LoadOutcome Session::LoadSettings(const settings::ChooseHostVersionAtStartUp& chooseHostVersion) {
    return settings::LoadSettings(configPath(), state_, chooseHostVersion);
}

void Session::AttachHostAnew(const std::function<void(host::ObjectRef&)>& attach) {
    // Held weakly: the attachment gives the old application up before it
    // makes the new one.
    const std::weak_ptr<host::HostObject> previous = state_.hostConnection;
    attach(state_.hostConnection);
    if (state_.hostConnection && previous.lock() == state_.hostConnection) return;  // the same application
    state_.characterStyle.reset();
    const std::u16string& name = state_.settings.characterStyleName;
    if (!name.empty()) {
        settings::ResolveCharacterStyle(state_.hostConnection, name, state_.characterStyle,
                                        settings::StyleResolution::Load);
    }
}

bool Session::LoadDictionary(MessageSink& sink) {
    const bool loaded = dictionary_.load(DictionaryPath(programFolder_), sink);
    skipList_.load(SkipListPath(programFolder_), sink, {}, PhoneticDictionary::Missing::Ignore);
    return loaded;
}

void Session::Annotate(AnnotationUi& ui) { AnnotateSelection(state_, dictionary_, undoMark_, ui, &skipList_); }

void Session::RemoveAnnotations(MessageSink& sink) {
    sonotag::RemoveAnnotations(state_.hostConnection, undoMark_, sink);
}

void Session::SaveSettings() const { settings::SaveSettings(configPath(), state_.settings); }

}  // namespace sonotag
