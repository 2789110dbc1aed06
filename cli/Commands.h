#pragma once
// The commands of the `sonotag` front end, on streams so tests can run them.

#include <iosfwd>

#include "cli/CommandLine.h"

namespace sonotag::cli {

// Exit statuses.
inline constexpr int kSucceeded = 0;
inline constexpr int kRunFailed = 1;  // the host reported an error during the run
inline constexpr int kBadInput = 2;   // bad options, files or documents

int RunLookup(const LookupCommand& command, std::ostream& out, std::ostream& err);
int RunAnnotate(const AnnotateCommand& command, std::istream& in, std::ostream& out, std::ostream& err);
// Serves until SIGINT or SIGTERM; kBadInput for lists it cannot read, an
// address it cannot bind, or a build without the web server.
int RunServe(const ServeCommand& command, std::ostream& out, std::ostream& err);

}  // namespace sonotag::cli
