#include "app/VersionDialog_win32.h"

#include "app/Win32Text_win32.h"
#include "res/resource.h"

namespace sonotag::app {

VersionDialog::VersionDialog(std::span<const std::u16string_view> progIds, std::u16string saved, Confirm confirm)
    : Dialog(IDD_VERSION), progIds_(progIds), saved_(std::move(saved)), confirm_(std::move(confirm)) {}

// The entry equal to the setting, letters in any case: "InDesign.Application"
// begins every other entry, so a prefix search alone could never find the
// later ones. Otherwise the first entry that begins with the setting; that
// search starts after entry 0 and wraps round to it. No match selects nothing.
void VersionDialog::preselectSavedVersion(HWND list) const {
    const LPARAM saved = reinterpret_cast<LPARAM>(Wide(saved_));
    const LRESULT equal = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), saved);
    if (equal != CB_ERR) {
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(equal), 0);
    } else {
        SendMessageW(list, CB_SELECTSTRING, 0, saved);
    }
}

bool VersionDialog::onInitDialog() {
    HWND list = item(IDC_VERSION_LIST);
    for (const std::u16string_view progId : progIds_) {
        const std::u16string entry(progId);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry)));
    }
    preselectSavedVersion(list);
    return true;
}

void VersionDialog::onOK() {
    const std::u16string chosen = WindowText(item(IDC_VERSION_LIST));
    if (!chosen.empty()) { confirm_(chosen); }
    endDialog(IDOK);
}

}  // namespace sonotag::app
