#include "cli/Commands.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "annotation/Annotation.h"
#include "dictionary/PhoneticDictionary.h"
#include "base/Paths.h"
#include "base/PlatformFile.h"
#include "base/Utf.h"
#include "host/AutomationError.h"
#if SONOTAG_IDML
#include "idml/IdmlDocument.h"
#endif
#include "notation/Notation.h"
#include "host/CharacterStyle.h"
#include "settings/SettingsFile.h"
#include "standin/StandInHost.h"

namespace sonotag::cli {
namespace {

// Bad input found while preparing a command; its text is shown as it is.
class InputError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string CauseText(FileErrorCause cause) {
    switch (cause) {
        case FileErrorCause::NotFound: return "no such file";
        case FileErrorCause::AccessDenied: return "access denied";
        case FileErrorCause::SharingViolation: return "another program holds it";
        case FileErrorCause::Other: break;
    }
    return "it cannot be opened";
}

// One line naming a file the user gave (`what`: "word list", ...) that cannot be read.
InputError UnreadableFile(const std::string& what, const std::u16string& path, const std::string& why) {
    return InputError("cannot read the " + what + " " + Utf16ToUtf8(path) + ": " + why);
}

// A folder opens on some systems and reads as empty; it is refused as a file.
void RefuseFolder(const std::string& what, const std::u16string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(std::filesystem::path(path), ignored)) {
        throw UnreadableFile(what, path, "it is a folder");
    }
}

void LoadWordList(PhoneticDictionary& list, const std::u16string& path, const std::string& encoding,
                  const std::string& what) {
    RefuseFolder(what, path);
    if (const std::optional<FileError> error = list.load(path, encoding)) {
        throw UnreadableFile(what, path, CauseText(error->cause()));
    }
}

void LoadDictionary(PhoneticDictionary& dictionary, const std::optional<std::string>& file,
                    const std::string& encoding) {
    LoadWordList(dictionary, file ? Utf8ToUtf16(*file) : DictionaryPath(ProgramFolder()), encoding, "word list");
}

void LoadSkipList(PhoneticDictionary& skipList, const std::optional<std::string>& file, const std::string& encoding) {
    if (file) LoadWordList(skipList, Utf8ToUtf16(*file), encoding, "skip list");
}

// A missing config.ini gives the defaults, as it does beside Sonotag.exe;
// one that exists must be readable.
settings::AnnotationSettings ReadConfig(const std::string& file) {
    const std::u16string path = Utf8ToUtf16(file);
    RefuseFolder("settings file", path);
    try {
        (void)OpenForSharedReading(path);
    } catch (const FileError& error) {
        if (error.cause() != FileErrorCause::NotFound) throw UnreadableFile("settings file", path, CauseText(error.cause()));
    }
    return settings::ReadSettings(path);
}

bool EndsWith(const std::string& name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    std::string ending = name.substr(name.size() - suffix.size());
    for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending == suffix;
}

bool EndsWithJson(const std::string& name) { return EndsWith(name, ".json"); }

std::string ReadAll(std::istream& stream) {
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void LoadInputText(standin::StandInHost& host, const std::string& bytes, const std::string& name) {
    try {
        host.loadPlainText(DecodeUtf8Text(bytes));
    } catch (const MalformedText& error) {
        throw InputError(name + " is not UTF-8 text (" + error.what() + ")");
    }
}

void LoadInput(standin::StandInHost& host, const std::string& input, std::istream& in) {
    try {
        if (input == "-") {
            const std::string bytes = ReadAll(in);
            if (bytes.find_first_not_of(" \t\r\n") != std::string::npos &&
                bytes[bytes.find_first_not_of(" \t\r\n")] == '{') {
                host.loadDocumentJson(bytes);
            } else {
                LoadInputText(host, bytes, "standard input");
            }
        } else if (EndsWithJson(input)) {
            host.loadDocumentFile(Utf8ToUtf16(input));
        } else {
            std::ifstream file(std::filesystem::path(Utf8ToUtf16(input)), std::ios::binary);
            if (!file) throw InputError("cannot open " + input);
            LoadInputText(host, ReadAll(file), input);
        }
    } catch (const InputError&) {
        throw;
    } catch (const std::runtime_error& error) {
        throw InputError(error.what());
    }
}

// The run's choices: config.ini's settings, its style resolved in the
// stand-in, then the options.
struct RunChoices {
    settings::AnnotationSettings settings;
    host::ObjectRef characterStyle;
};

RunChoices PrepareSettings(const AnnotateCommand& command, const host::ObjectRef& application) {
    RunChoices state;
    if (command.config) {
        state.settings = ReadConfig(*command.config);
        if (!state.settings.characterStyleName.empty()) {
            host::ResolveCharacterStyle(application, state.settings.characterStyleName, state.characterStyle,
                                        host::StyleResolution::Load);
        }
    }
    settings::AnnotationSettings& chosen = state.settings;
    if (command.notation) {
        chosen.notation = settings::StoredNotation::Of(*command.notation);
    }
    if (command.separator) chosen.separator = Utf8ToUtf16(*command.separator);
    if (command.leftSymbol) chosen.leftSymbol = Utf8ToUtf16(*command.leftSymbol);
    if (command.rightSymbol) chosen.rightSymbol = Utf8ToUtf16(*command.rightSymbol);
    if (command.exact) chosen.loose = false;
    if (command.characterStyle) {
        chosen.characterStyleName = Utf8ToUtf16(*command.characterStyle);
        state.characterStyle = nullptr;
        host::ResolveCharacterStyle(application, chosen.characterStyleName, state.characterStyle,
                                        host::StyleResolution::Load);
        if (!state.characterStyle) throw InputError("no character style " + *command.characterStyle + " in the document");
    }
    return state;
}

std::int32_t SelectedWordCount(const host::ObjectRef& application) {
    try {
        const host::ObjectRef selection = host::Get(application, host::code::kSelection).object();
        if (host::GetInteger(selection, host::code::kCount) != 1) return 0;
        const host::ObjectRef selected = host::CallForObject(selection, host::code::kFirst);
        return host::GetInteger(host::GetObjectRef(selected, host::code::kWords), host::code::kCount);
    } catch (const host::AutomationError&) {
        return 0;
    }
}

void PrintStatistics(const standin::StandInHost& host, std::int32_t words, std::ostream& err) {
    const double perWord = words > 0 ? 1.0 / words : 0.0;
    err << "words: " << words << ", host calls: " << host.totalCalls() << " ("
        << static_cast<double>(host.totalCalls()) * perWord << " per word)\n";
    for (const auto& [id, count] : host.callCounts()) {
        err << "  " << host::DispatchCodeName(id) << ": " << count << " (" << static_cast<double>(count) * perWord
            << " per word)\n";
    }
}

void PrintStories(const standin::StandInHost& host, std::ostream& out) {
    for (std::int32_t story = 0; story < host.storyCount(); ++story) out << Utf16ToUtf8(host.storyText(story)) << '\n';
}

#if SONOTAG_IDML
// Annotates the chosen stories of an IDML package one paragraph after the
// other, each the selection of its own run, and writes the package anew.
int RunAnnotatePackage(const AnnotateCommand& command, std::ostream& err) {
    PhoneticDictionary dictionary;
    PhoneticDictionary skipList;
    std::optional<idml::IdmlDocument> package;
    RunChoices state;
    try {
        if (!command.output) throw InputError("an IDML package is annotated into another: give --output");
        if (command.failCall != 0) throw InputError("--fail-call is for stand-in documents, not IDML packages");
        LoadDictionary(dictionary, command.dictionary, command.encoding);
        LoadSkipList(skipList, command.skipList, command.encoding);
        package.emplace(std::filesystem::path(Utf8ToUtf16(command.input)));
        package->loadStories(command.stories);
        state = PrepareSettings(command, package->application());
    } catch (const std::runtime_error& error) {  // InputError and idml::PackageError
        if (*error.what() != '\0') err << "sonotag: " << error.what() << '\n';
        return kBadInput;
    }
    const std::int32_t words = package->wordCount();
    const host::ObjectRef application = package->application();
    const RunTarget target{application, state.settings, state.characterStyle, &skipList};
    RunOutcome outcome;
    for (std::int32_t paragraph = 0; paragraph < package->paragraphCount() && outcome.completed(); ++paragraph) {
        package->selectParagraph(paragraph);
        outcome = AnnotateSelection(target, dictionary, outcome.undoMark);
    }
    if (command.stats) err << "words: " << words << ", annotations: " << package->annotationCount() << '\n';
    if (!outcome.completed()) {
        err << "sonotag: " << Utf16ToUtf8(host::FormatErrorReport(*outcome.error)) << '\n';
        return kRunFailed;
    }
    try {
        package->save(std::filesystem::path(Utf8ToUtf16(*command.output)));
    } catch (const std::runtime_error& error) {
        err << "sonotag: " << error.what() << '\n';
        return kBadInput;
    }
    return kSucceeded;
}
#else
// The Windows build has no IDML libraries: packages are for the native sonotag.
int RunAnnotatePackage(const AnnotateCommand&, std::ostream& err) {
    err << "sonotag: this build does not read IDML packages\n";
    return kBadInput;
}
#endif

}  // namespace

int RunLookup(const LookupCommand& command, std::ostream& out, std::ostream& err) {
    PhoneticDictionary dictionary;
    try {
        LoadDictionary(dictionary, command.dictionary, command.encoding);
    } catch (const InputError& error) {
        err << "sonotag: " << error.what() << '\n';
        return kBadInput;
    }
    for (const std::string& word : command.words) {
        const std::u16string_view stored = dictionary.lookup(Utf8ToUtf16(word));
        out << word << '\t' << Utf16ToUtf8(RenderTranscription(stored, command.notation)) << '\n';
    }
    return kSucceeded;
}

int RunAnnotate(const AnnotateCommand& command, std::istream& in, std::ostream& out, std::ostream& err) {
    if (EndsWith(command.input, ".idml")) return RunAnnotatePackage(command, err);
    if (command.output || !command.stories.empty()) {
        err << "sonotag: --output and --story are for IDML packages (INPUT.idml)\n";
        return kBadInput;
    }
    PhoneticDictionary dictionary;
    PhoneticDictionary skipList;
    standin::StandInHost host;
    RunChoices state;
    try {
        LoadDictionary(dictionary, command.dictionary, command.encoding);
        LoadSkipList(skipList, command.skipList, command.encoding);
        LoadInput(host, command.input, in);
        state = PrepareSettings(command, host.application());
    } catch (const InputError& error) {
        err << "sonotag: " << error.what() << '\n';
        return kBadInput;
    }

    const std::int32_t words = command.stats ? SelectedWordCount(host.application()) : 0;
    host.resetCallCounts();
    if (command.failCall != 0) host.failCall(command.failCall, {0, host::kServerUnavailable, std::nullopt, std::nullopt});
    const host::ObjectRef application = host.application();
    const RunTarget target{application, state.settings, state.characterStyle, &skipList};
    const RunOutcome outcome = AnnotateSelection(target, dictionary, kInitialUndoMark);
    if (command.stats) PrintStatistics(host, words, err);
    if (!outcome.completed()) {
        err << "sonotag: " << Utf16ToUtf8(host::FormatErrorReport(*outcome.error)) << '\n';
        return kRunFailed;
    }
    if (command.json) {
        out << host.dumpDocumentJson();
    } else {
        PrintStories(host, out);
    }
    return kSucceeded;
}

}  // namespace sonotag::cli
