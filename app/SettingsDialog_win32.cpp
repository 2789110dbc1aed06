#include "app/SettingsDialog_win32.h"

#include "app/Win32Text_win32.h"
#include "res/resource.h"

namespace sonotag::app {
namespace {

// Adds `entry` and marks it with `order`, its index in the list it came from.
void AddEntry(HWND combo, const std::u16string& entry, std::size_t order = 0) {
    const LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry)));
    if (index >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(order));
}

// Chooses the entry added as number `order`. The control sorts its entries,
// so the index of adding is not the index shown; and its own search by text
// ignores case, so of ":a" and ":A" it would find whichever sorts first.
void ChooseEntryAddedAs(HWND combo, std::size_t order) {
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT data = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
        if (data != CB_ERR && static_cast<std::size_t>(data) == order) {
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            return;
        }
    }
}

// Chooses the entry whose text is `entry`, letters in any case (for lists
// whose entries differ by more than case).
void ChooseEntry(HWND combo, const std::u16string& entry) {
    const LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Wide(entry)));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::u16string ChosenEntry(HWND combo) {
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

const CommandHandler<SettingsDialog> SettingsDialog::kCommands[] = {
    {IDC_TAB_BUTTON, BN_CLICKED, &SettingsDialog::onTabButton},
};

SettingsDialog::SettingsDialog(SettingsDialogControls shown, Accept accept)
    : Dialog(IDD_SETTINGS), shown_(std::move(shown)), accept_(std::move(accept)) {}

bool SettingsDialog::onInitDialog() {
    HWND version = item(IDC_IPA_VERSION);
    AddEntry(version, kNewerNotationEntry);
    AddEntry(version, kOlderNotationEntry);
    showControls(shown_);
    return true;
}

void SettingsDialog::showControls(const SettingsDialogControls& controls) {
    HWND styles = item(IDC_CHARACTER_STYLE);
    for (std::size_t order = 0; order < controls.styleEntries.size(); ++order) {
        AddEntry(styles, controls.styleEntries[order], order);
    }
    if (controls.chosenStyle) {
        ChooseEntryAddedAs(styles, *controls.chosenStyle);
    } else {
        SetWindowTextW(styles, Wide(controls.styleText));
    }
    ChooseEntry(item(IDC_IPA_VERSION), controls.version);
    SetWindowTextW(item(IDC_LEFT_SYMBOL), Wide(controls.leftSymbol));
    SetWindowTextW(item(IDC_RIGHT_SYMBOL), Wide(controls.rightSymbol));
    SetWindowTextW(item(IDC_SEPARATOR), Wide(controls.separator));
    CheckDlgButton(handle(), IDC_USE_UNICODE, controls.useUnicode ? BST_CHECKED : BST_UNCHECKED);
}

SettingsDialogControls SettingsDialog::takeControls() const {
    SettingsDialogControls controls;
    controls.styleText = WindowText(item(IDC_CHARACTER_STYLE));
    controls.version = ChosenEntry(item(IDC_IPA_VERSION));
    controls.leftSymbol = WindowText(item(IDC_LEFT_SYMBOL));
    controls.rightSymbol = WindowText(item(IDC_RIGHT_SYMBOL));
    controls.separator = WindowText(item(IDC_SEPARATOR));
    controls.useUnicode = IsDlgButtonChecked(handle(), IDC_USE_UNICODE) == BST_CHECKED;
    return controls;
}

bool SettingsDialog::onCommand(UINT id, UINT notification) {
    return DispatchCommand<SettingsDialog>(*this, kCommands, id, notification);
}

// The Tab key moves between controls, so this button is how a tab
// separator is typed.
void SettingsDialog::onTabButton() {
    HWND separator = item(IDC_SEPARATOR);
    SetWindowTextW(separator, L"\t");
    SetFocus(separator);
    SendMessageW(separator, EM_SETSEL, 0, -1);
    SendMessageW(separator, EM_SCROLLCARET, 0, 0);
}

void SettingsDialog::onOK() {
    accept_(takeControls());
    endDialog(IDOK);
}

}  // namespace sonotag::app
