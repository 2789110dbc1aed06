#pragma once

#include <stdexcept>

namespace sonotag::idml {

// Input that is not a readable IDML package; the text is one line for the user.
class PackageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace sonotag::idml
