#pragma once
// The choice of the InDesign version, at start-up and from the menu
// "设置版本": a list of the ProgIDs, "确认" and "退出".

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/Dialog_win32.h"

namespace sonotag {

class VersionDialog : public Dialog {
public:
    using AttachHost = std::function<void(const std::u16string& progId)>;

    // `hostProgId` is the setting the list preselects and OK overwrites;
    // `attachHost` attaches the host connection to the chosen version.
    VersionDialog(std::span<const std::u16string_view> progIds, std::u16string& hostProgId, AttachHost attachHost,
                  bool fromMenu);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void PreselectSavedVersion(HWND list) const;

    std::span<const std::u16string_view> progIds_;
    std::u16string& hostProgId_;
    AttachHost attachHost_;
    bool fromMenu_;
};

}  // namespace sonotag
