#pragma once
// Everything the main window owns for the run of the program, and the work
// behind its commands. The window only routes messages here; this class
// knows nothing about windows, so it runs in the native tests too.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/MessageSink.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/HostObject.h"

namespace sonotag {

// The ProgIDs of the InDesign versions the program can drive, as the
// version list shows them.
inline constexpr std::array<std::u16string_view, 4> kHostProgIds = {
    u"InDesign.Application.CS2",
    u"InDesign.Application.CS3",
    u"InDesign.Application.CS4",
    u"InDesign.Application.CS5",
};

class Session {
public:
    explicit Session(std::u16string programFolder);

    const std::u16string& programFolder() const { return programFolder_; }
    std::u16string configPath() const;
    std::u16string helpPagePath() const;

    // Reads the word list beside the program; a failure shows the stop
    // message through `sink` and leaves the store empty.
    bool LoadDictionary(MessageSink& sink);

    PhoneticDictionary& dictionary() { return dictionary_; }
    host::ObjectRef& hostConnection() { return hostConnection_; }
    std::u16string& hostProgId() { return hostProgId_; }
    std::int32_t& undoMark() { return undoMark_; }

private:
    std::u16string programFolder_;
    host::ObjectRef hostConnection_;
    std::u16string hostProgId_;
    std::int32_t undoMark_ = 10000000;
    PhoneticDictionary dictionary_;
};

}  // namespace sonotag
