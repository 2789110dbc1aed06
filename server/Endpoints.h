#pragma once
// What the web page's API does with an uploaded document, apart from HTTP:
// the document read by the formats registry, the run the command line
// makes, and the reply (status, type, body, headers). Every request reads
// its own document into its own model and stand-in host; the word lists
// are only read, so one pair serves every request at once. Nothing here
// touches the file system.

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonotag::dictionary {
class HomographTable;
class PhoneticDictionary;
}  // namespace sonotag::dictionary

namespace sonotag::server {

// The lists loaded once when the server starts, shared read-only.
struct WordLists {
    const dictionary::PhoneticDictionary& dictionary;
    const dictionary::PhoneticDictionary* skipList = nullptr;
    const dictionary::HomographTable* homographs = nullptr;
};

enum class Operation {
    Annotate,  // the annotated document, in its own format
    Styles,    // the character style paths the document offers (JSON)
    Review,    // the counts, the words not found and a preview (JSON)
};

struct Upload {
    std::string_view contentType;                          // the request's Content-Type
    const std::multimap<std::string, std::string>& query;  // the parameters, decoded
    std::string body;
    std::chrono::steady_clock::time_point deadline;  // the run fails from then on
};

struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// The paragraphs the review's preview holds at most.
inline constexpr std::size_t kPreviewParagraphs = 200;

// 200 with the result; 400 for options or a document refused (the command
// line's one-line message), 415 for a content type other than text,
// IDML or DOCX, 503 past the deadline or out of memory. Never throws.
Reply Serve(Operation operation, Upload upload, const WordLists& lists);

// {"error": message} with the status.
Reply ErrorReply(int status, std::string_view message);

}  // namespace sonotag::server
