#include "cli/Commands.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "base/FileError.h"
#include "base/FileReplace.h"
#include "base/Paths.h"
#include "base/PlatformFile.h"
#include "base/Utf.h"
#include "dictionary/HomographTable.h"
#include "dictionary/PhoneticDictionary.h"
#include "documents/AnnotateDocument.h"
#include "documents/StandInDocuments.h"
#include "formats/DocumentFormats.h"
#include "host/AutomationError.h"
#include "model/Document.h"
#include "model/DocumentFile.h"
#include "notation/Notation.h"
#include "settings/SettingsFile.h"
#if SONOTAG_SERVER
#include "server/StopSignals.h"
#include "server/WebServer.h"
#endif

namespace sonotag::cli {
namespace {

using namespace sonotag::dictionary;
using namespace sonotag::notation;

// Bad input found while preparing a command; its text is shown as it is.
class InputError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::path(Utf8ToUtf16(utf8)); }

std::string CauseText(const FileError& error, const std::string& encoding) {
    switch (error.cause()) {
        case FileErrorCause::NotFound: return "no such file";
        case FileErrorCause::AccessDenied: return "access denied";
        case FileErrorCause::SharingViolation: return "another program holds it";
        case FileErrorCause::UnknownCodePage: return "unknown code page " + encoding;
        case FileErrorCause::Other: break;
    }
    return "it cannot be opened";
}

// One line naming a file the user gave (`what`: "word list", ...) that cannot be read.
InputError UnreadableFile(const std::string& what, const std::string& path, const std::string& why) {
    return InputError("cannot read the " + what + " " + path + ": " + why);
}

// A folder opens on some systems and reads as empty; it is refused as a file.
void RefuseFolder(const std::string& what, const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_directory(PathOf(path), ignored)) throw UnreadableFile(what, path, "it is a folder");
}

void LoadWordList(PhoneticDictionary& list, const std::string& path, const std::string& encoding,
                  const std::string& what) {
    RefuseFolder(what, path);
    if (const std::optional<FileError> error = list.load(Utf8ToUtf16(path), encoding)) {
        throw UnreadableFile(what, path, CauseText(*error, encoding));
    }
}

std::string DictionaryFile(const std::optional<std::string>& file) {
    return file ? *file : Utf16ToUtf8(DictionaryPath(ProgramFolder()));
}

void LoadDictionary(PhoneticDictionary& dictionary, const std::optional<std::string>& file,
                    const std::string& encoding) {
    LoadWordList(dictionary, DictionaryFile(file), encoding, "word list");
}

// The homograph table: the one named, or homographs.txt beside the word list
// in use when there is one (a word list of the user's own without a table
// beside it is used as it is).
void LoadHomographs(dictionary::HomographTable& table, const std::optional<std::string>& file,
                    const std::optional<std::string>& dictionary, const std::string& encoding) {
    const std::string path =
        file ? *file : Utf16ToUtf8(dictionary::HomographTablePath(FolderOf(Utf8ToUtf16(DictionaryFile(dictionary)))));
    if (file) RefuseFolder("homograph table", path);
    if (const std::optional<FileError> error = table.load(Utf8ToUtf16(path), encoding)) {
        if (file || error->cause() != FileErrorCause::NotFound)
            throw UnreadableFile("homograph table", path, CauseText(*error, encoding));
    }
}

// A missing config.ini gives the defaults, as it does beside Sonotag.exe;
// one that exists must be readable.
settings::AnnotationSettings ReadConfig(const std::string& file) {
    RefuseFolder("settings file", file);
    try {
        (void)OpenForSharedReading(Utf8ToUtf16(file));
    } catch (const FileError& error) {
        if (error.cause() != FileErrorCause::NotFound)
            throw UnreadableFile("settings file", file, CauseText(error, {}));
    }
    return settings::ReadSettings(Utf8ToUtf16(file));
}

// config.ini's settings, then the options.
settings::AnnotationSettings ChosenSettings(const AnnotateCommand& command) {
    settings::AnnotationSettings chosen;
    if (command.config) chosen = ReadConfig(*command.config);
    for (const settings::SettingChange& change : command.settingChanges) change(chosen);
    return chosen;
}

std::string ReadAll(std::istream& stream) {
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// The options that only some kinds take.
void CheckOptionsFit(const AnnotateCommand& command, const formats::FormatInfo& format) {
    if (!format.package && (command.output || !command.stories.empty())) {
        throw InputError("--output and --story are for packages (INPUT.idml, INPUT.docx)");
    }
    if (format.package && !command.output)
        throw InputError(std::string(format.name) + " is annotated into another: give --output");
    if (format.package && command.failCall != 0)
        throw InputError("--fail-call is for texts and stand-in documents, not packages");
}

struct Input {
    formats::DocumentKind kind;
    std::string bytes;
    std::string name;  // for messages: the file's name, or "standard input"
};

// The input's bytes and its kind: by its name, or for standard input by
// what it holds. The kind is checked against the options before a file is read.
Input ReadInput(const AnnotateCommand& command, std::istream& in) {
    if (command.input == "-") {
        std::string bytes = ReadAll(in);
        const formats::DocumentKind kind = formats::KindOfContent(bytes);
        CheckOptionsFit(command, formats::InfoOf(kind));
        return {kind, std::move(bytes), "standard input"};
    }
    const formats::DocumentKind kind = formats::KindOfFileName(command.input);
    CheckOptionsFit(command, formats::InfoOf(kind));
    RefuseFolder("input", command.input);
    std::ifstream file(PathOf(command.input), std::ios::binary);
    if (!file) throw InputError("cannot open " + command.input);
    std::string bytes = ReadAll(file);
    if (file.bad()) throw InputError("cannot read " + command.input);
    return {kind, std::move(bytes), Utf16ToUtf8(PathOf(command.input).filename().u16string())};
}

// The input is never overwritten; a failed write leaves the output as it was.
void WriteOutput(const std::string& input, const std::string& output, const std::string& bytes) {
    const std::filesystem::path target = PathOf(output);
    std::error_code error;
    if (input != "-" && std::filesystem::equivalent(PathOf(input), target, error)) {
        throw InputError("the output " + output + " is the input; it is never written");
    }
    const FileReplaceResult written = ReplaceFileContents(target, bytes);
    if (written.ok()) return;
    std::string problem = "cannot write " + output;
    if (written.error) problem += " (" + written.error.message() + ")";
    throw InputError(problem);
}

void PrintStatistics(const documents::RunReport& report, std::ostream& err) {
    const double perWord = report.words > 0 ? 1.0 / report.words : 0.0;
    err << "words: " << report.words << ", annotations: " << report.annotations
        << ", host calls: " << report.totalCalls() << " (" << static_cast<double>(report.totalCalls()) * perWord
        << " per word)\n";
    err << "homographs: " << report.homographsDecided << " decided, " << report.undecided.size() << " undecided\n";
    for (const auto& [id, count] : report.calls) {
        err << "  " << host::DispatchCodeName(id) << ": " << count << " (" << static_cast<double>(count) * perWord
            << " per word)\n";
    }
}

// One line per homograph the run left undecided: where it is, the word, its
// context and the transcription it kept.
void PrintReview(const documents::RunReport& report, const settings::AnnotationSettings& settings, std::ostream& err) {
    for (const annotation::UndecidedHomograph& entry : report.undecided) {
        err << "undecided: text " << entry.text << ", word " << entry.word << ": " << Utf16ToUtf8(entry.key) << " in \""
            << Utf16ToUtf8(entry.context) << "\" keeps "
            << Utf16ToUtf8(notation::RenderTranscription(entry.transcription, settings.notation.notation())) << '\n';
    }
}

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
    PhoneticDictionary dictionary;
    PhoneticDictionary skipList;
    dictionary::HomographTable homographs;
    std::unique_ptr<documents::AnnotatableDocument> document;
    settings::AnnotationSettings settings;
    std::optional<documents::RunReport> report;
    try {
        LoadDictionary(dictionary, command.dictionary, command.encoding);
        if (command.skipList) LoadWordList(skipList, *command.skipList, command.encoding, "skip list");
        LoadHomographs(homographs, command.homographs, command.dictionary, command.encoding);
        settings = ChosenSettings(command);
        Input input = ReadInput(command, in);
        const formats::FormatInfo& format = formats::InfoOf(input.kind);
        document = formats::ReadDocument(input.kind, std::move(input.bytes), {input.name, command.stories});
        report =
            documents::AnnotateDocument(*document, {settings, dictionary, &skipList, &homographs, command.failCall});
        if (command.stats) PrintStatistics(*report, err);
        if (command.review) PrintReview(*report, settings, err);
        if (report->error) {
            err << "sonotag: " << Utf16ToUtf8(host::FormatErrorReport(*report->error)) << '\n';
            return kRunFailed;
        }
        if (format.package) {
            WriteOutput(command.input, *command.output, document->save());
        } else {
            out << (command.json ? document->modelJson() : document->textLines());
        }
    } catch (const std::runtime_error& error) {  // InputError, DocumentError
        err << "sonotag: " << error.what() << '\n';
        return kBadInput;
    }
    return kSucceeded;
}

#if SONOTAG_SERVER
int RunServe(const ServeCommand& command, std::ostream& out, std::ostream& err) {
    PhoneticDictionary dictionary;
    PhoneticDictionary skipList;
    dictionary::HomographTable homographs;
    try {
        LoadDictionary(dictionary, command.dictionary, command.encoding);
        if (command.skipList) LoadWordList(skipList, *command.skipList, command.encoding, "skip list");
        LoadHomographs(homographs, command.homographs, command.dictionary, command.encoding);
    } catch (const InputError& error) {
        err << "sonotag: " << error.what() << '\n';
        return kBadInput;
    }
    server::ServerLimits limits;
    limits.maxBytes = static_cast<std::size_t>(command.maxSizeMb) << 20;
    server::WebServer web({dictionary, &skipList, &homographs}, limits);
    const std::optional<int> port = web.bind(command.bind, command.port);
    if (!port) {
        err << "sonotag: cannot listen on " << command.bind << " port " << command.port
            << " (another program has the port, or the address is not this machine's)\n";
        return kBadInput;
    }
    if (!server::IsLoopback(command.bind)) {
        err << "sonotag: warning: serving on " << command.bind
            << ": anyone who can reach this machine on that network can use the page\n";
    }
    const std::string host = command.bind.find(':') != std::string::npos ? "[" + command.bind + "]" : command.bind;
    out << "Sonotag serves http://" << host << ':' << *port << "/ (Ctrl+C stops it)" << std::endl;
    bool served = false;
    {
        const server::StopOnSignals signals([&web] { web.stop(); });
        served = web.run();
    }
    out << "Sonotag has stopped" << std::endl;
    return served ? kSucceeded : kBadInput;
}
#else
int RunServe(const ServeCommand&, std::ostream&, std::ostream& err) {
    err << "sonotag: this build has no web server (sonotag serve is in the Linux build)\n";
    return kBadInput;
}
#endif

}  // namespace sonotag::cli
