// sonotag: the command-line front end over the same core as Sonotag.exe.

#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Commands.h"

namespace sonotag::cli { namespace {

int Run(const std::vector<std::string>& arguments) {
    const Command command = ParseCommandLine(arguments);
    if (const auto* error = std::get_if<UsageError>(&command)) {
        std::cerr << "sonotag: " << error->message << '\n' << UsageText();
        return kBadInput;
    }
    if (const auto* lookup = std::get_if<LookupCommand>(&command)) return RunLookup(*lookup, std::cout, std::cerr);
    if (const auto* serve = std::get_if<ServeCommand>(&command)) return RunServe(*serve, std::cout, std::cerr);
    return RunAnnotate(std::get<AnnotateCommand>(command), std::cin, std::cout, std::cerr);
}

}}  // namespace sonotag::cli

int main(int argc, char** argv) { return sonotag::cli::Run(std::vector<std::string>(argv + 1, argv + argc)); }
