// sonotag: the command-line front end over the same core as Sonotag.exe.

#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "app/MessageSink.h"
#include "cli/CommandLine.h"
#include "dictionary/PhoneticDictionary.h"
#include "dictionary/ProgramFolder.h"
#include "dictionary/Utf.h"
#include "notation/Notation.h"

namespace sonotag::cli {
namespace {

constexpr int kBadInput = 2;

// Messages meant for a message box go to standard error, one line each.
class StderrSink : public MessageSink {
public:
    void showMessage(const std::u16string& text, MessageIcon) override {
        std::cerr << "sonotag: " << Utf16ToUtf8(text) << '\n';
    }
};

int RunLookup(const LookupCommand& command) {
    const std::u16string path =
        command.dictionary ? Utf8ToUtf16(*command.dictionary) : DictionaryPath(ProgramFolder());
    PhoneticDictionary dictionary;
    StderrSink sink;
    if (!dictionary.load(path, sink, command.encoding)) return kBadInput;

    const int ipaVersion = command.notation == Notation::Kingsoft13 ? 1 : 0;
    const bool useUnicode = command.notation == Notation::Unicode;
    for (const std::string& word : command.words) {
        const std::u16string_view stored = dictionary.lookup(Utf8ToUtf16(word));
        std::cout << word << '\t' << Utf16ToUtf8(RenderTranscription(stored, ipaVersion, useUnicode)) << '\n';
    }
    return 0;
}

int Run(const std::vector<std::string>& arguments) {
    const Command command = ParseCommandLine(arguments);
    if (const auto* error = std::get_if<UsageError>(&command)) {
        std::cerr << "sonotag: " << error->message << '\n' << UsageText();
        return kBadInput;
    }
    try {
        return RunLookup(std::get<LookupCommand>(command));
    } catch (const std::invalid_argument& error) {
        std::cerr << "sonotag: " << error.what() << '\n';
        return kBadInput;
    }
}

}  // namespace
}  // namespace sonotag::cli

int main(int argc, char** argv) {
    return sonotag::cli::Run(std::vector<std::string>(argv + 1, argv + argc));
}
