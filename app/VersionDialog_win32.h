#pragma once
// The choice of the InDesign version, at start-up and from the menu
// "设置版本": a list of the ProgIDs, "确认" and "退出".

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/Dialog_win32.h"

namespace sonotag::app {

class VersionDialog : public Dialog {
public:
    using Confirm = std::function<void(const std::u16string& progId)>;

    // `saved` is the setting the list preselects; OK with an entry chosen
    // passes it to `confirm` (which stores and attaches it) before the
    // dialog closes. Exit (IDCANCEL) decides nothing: at start-up the caller
    // ends the program.
    VersionDialog(std::span<const std::u16string_view> progIds, std::u16string saved, Confirm confirm);

protected:
    bool onInitDialog() override;
    void onOK() override;

private:
    void preselectSavedVersion(HWND list) const;

    std::span<const std::u16string_view> progIds_;
    std::u16string saved_;
    Confirm confirm_;
};

}  // namespace sonotag::app
