#include "app/SettingsDialog_win32.h"

#include "app/Win32Text_win32.h"
#include "res/resource.h"

namespace sonotag {
namespace {

void AddEntry(HWND combo, const std::u16string& entry) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry)));
}

// Chooses the entry whose text is exactly `entry` (the control sorts its
// entries, so the index of adding is not the index shown).
void ChooseEntry(HWND combo, const std::u16string& entry) {
    const LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(Wide(entry)));
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
    {IDC_TAB_BUTTON, BN_CLICKED, &SettingsDialog::OnTabButton},
};

SettingsDialog::SettingsDialog(settings::AnnotationSettings& settings, const host::ObjectRef& application,
                               host::ObjectRef& characterStyle)
    : Dialog(IDD_SETTINGS), settings_(settings), application_(application), characterStyle_(characterStyle) {}

bool SettingsDialog::OnInitDialog() {
    HWND version = Item(IDC_IPA_VERSION);
    AddEntry(version, settings::kNewerNotationEntry);
    AddEntry(version, settings::kOlderNotationEntry);
    ShowControls(settings::InitialDialogControls(settings_, application_));
    return true;
}

void SettingsDialog::ShowControls(const settings::SettingsDialogControls& controls) {
    HWND styles = Item(IDC_CHARACTER_STYLE);
    for (const std::u16string& entry : controls.styleEntries) AddEntry(styles, entry);
    if (controls.chosenStyle) {
        ChooseEntry(styles, controls.styleEntries[*controls.chosenStyle]);
    } else {
        SetWindowTextW(styles, Wide(controls.styleText));
    }
    ChooseEntry(Item(IDC_IPA_VERSION), controls.version);
    SetWindowTextW(Item(IDC_LEFT_SYMBOL), Wide(controls.leftSymbol));
    SetWindowTextW(Item(IDC_RIGHT_SYMBOL), Wide(controls.rightSymbol));
    SetWindowTextW(Item(IDC_SEPARATOR), Wide(controls.separator));
    CheckDlgButton(handle(), IDC_USE_UNICODE, controls.useUnicode ? BST_CHECKED : BST_UNCHECKED);
}

settings::SettingsDialogControls SettingsDialog::TakeControls() const {
    settings::SettingsDialogControls controls;
    controls.styleText = WindowText(Item(IDC_CHARACTER_STYLE));
    controls.version = ChosenEntry(Item(IDC_IPA_VERSION));
    controls.leftSymbol = WindowText(Item(IDC_LEFT_SYMBOL));
    controls.rightSymbol = WindowText(Item(IDC_RIGHT_SYMBOL));
    controls.separator = WindowText(Item(IDC_SEPARATOR));
    controls.useUnicode = IsDlgButtonChecked(handle(), IDC_USE_UNICODE) == BST_CHECKED;
    return controls;
}

bool SettingsDialog::OnCommand(UINT id, UINT notification) {
    return DispatchCommand<SettingsDialog>(*this, kCommands, id, notification);
}

// The Tab key moves between controls, so this button is how a tab
// separator is typed.
void SettingsDialog::OnTabButton() {
    HWND separator = Item(IDC_SEPARATOR);
    SetWindowTextW(separator, L"\t");
    SetFocus(separator);
    SendMessageW(separator, EM_SETSEL, 0, -1);
    SendMessageW(separator, EM_SCROLLCARET, 0, 0);
}

void SettingsDialog::OnOK() {
    settings::AcceptDialogControls(TakeControls(), settings_, application_, characterStyle_);
    EndDialog(IDOK);
}

}  // namespace sonotag
