#include "app/Session.h"

#include "app/ApplicationName.h"
#include "dictionary/ProgramFolder.h"

namespace sonotag {

Session::Session(std::u16string programFolder) : programFolder_(std::move(programFolder)) {}

std::u16string Session::configPath() const { return JoinPath(programFolder_, u"config.ini"); }

std::u16string Session::helpPagePath() const { return HelpPagePath(programFolder_); }

bool Session::LoadDictionary(MessageSink& sink) { return dictionary_.load(DictionaryPath(programFolder_), sink); }

}  // namespace sonotag
