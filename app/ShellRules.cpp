#include "app/ShellRules.h"

#include <utility>

#include "res/resource.h"

namespace sonotag::app {

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

HostOperationGate::HostOperationGate(std::function<void(std::intptr_t)> endWindow) : endWindow_(std::move(endWindow)) {}

bool HostOperationGate::run(const std::function<void()>& operation, HostOperationKind kind) {
    if (running_) return false;
    running_ = kind;
    // Released however the operation ends: a flag left set would ignore
    // every later command and hold every close for good.
    struct Releaser {
        HostOperationGate& gate;
        ~Releaser() { gate.release(); }
    } const releaser{*this};
    operation();
    return true;
}

void HostOperationGate::release() noexcept {
    running_.reset();
    if (const auto ending = std::exchange(heldEnding_, std::nullopt)) endWindow_(*ending);
}

void HostOperationGate::endWhenIdle(std::intptr_t result) {
    if (!running_) {
        endWindow_(result);
    } else if (!heldEnding_) {
        heldEnding_ = result;
    }
}

bool HostOperationGate::maySessionEnd(bool forced) const {
    return forced || running_ != HostOperationKind::ChangesDocument;
}

}  // namespace sonotag::app
