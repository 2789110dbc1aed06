#include "app/Session.h"

#include "app/ApplicationName.h"
#include "dictionary/ProgramFolder.h"

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

bool Session::LoadDictionary(MessageSink& sink) { return dictionary_.load(DictionaryPath(programFolder_), sink); }

void Session::Annotate(AnnotationUi& ui) {
    AnnotateSelection(state_, dictionary_, undoMark_, ui);
}

void Session::RemoveAnnotations(MessageSink& sink) {
    sonotag::RemoveAnnotations(state_.hostConnection, undoMark_, sink);
}

void Session::SaveSettings() const { settings::SaveSettings(configPath(), state_.settings); }

}  // namespace sonotag
