#pragma once
// A document, or a part of one, that cannot be read or written as its
// format requires: a malformed text, JSON file, zip archive or XML part, a
// package the program refuses. The message names the document (or part) and
// the problem in one line, in the command line's language.

#include <stdexcept>

namespace sonotag {

class DocumentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace sonotag
