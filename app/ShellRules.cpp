#include "app/ShellRules.h"

#include "res/resource.h"

namespace sonotag {

std::u16string ApplicationName(std::u16string_view executablePath) {
    const std::size_t slash = executablePath.find_last_of(u"\\/");
    std::u16string_view name = slash == std::u16string_view::npos ? executablePath : executablePath.substr(slash + 1);
    const std::size_t dot = name.find_last_of(u'.');
    if (dot != std::u16string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::u16string(name);
}

std::u16string HelpPagePath(const std::u16string& programFolder) { return programFolder + u"\\help.html"; }

unsigned MessageBoxTypeWithIcon(unsigned requestedType) {
    if ((requestedType & kMessageBoxIconMask) == 0) requestedType |= kMessageBoxIconExclamation;
    return requestedType;
}

unsigned MessageBoxTypeFor(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop: return kMessageBoxIconStop;
        case MessageIcon::Information: return kMessageBoxIconInformation;
        case MessageIcon::None: break;
    }
    return MessageBoxTypeWithIcon(0);
}

bool IsAboutCommand(unsigned systemCommand) { return (systemCommand & 0xFFF0u) == IDM_ABOUT; }

}  // namespace sonotag
