#pragma once
// "音标设置": notation, Unicode choice, separator, the two symbols and the
// character style from the open document. It keeps no data of its own: it
// shows the main window's settings and OK writes them back in memory.

#include "app/Dialog_win32.h"
#include "host/HostObject.h"
#include "settings/AnnotationSettings.h"
#include "app/SettingsDialogData.h"

namespace sonotag {

class SettingsDialog : public Dialog {
public:
    SettingsDialog(settings::AnnotationSettings& settings, const host::ObjectRef& application,
                   host::ObjectRef& characterStyle);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT notification) override;

private:
    static const CommandHandler<SettingsDialog> kCommands[];

    void OnTabButton();
    void ShowControls(const settings::SettingsDialogControls& controls);
    settings::SettingsDialogControls TakeControls() const;

    settings::AnnotationSettings& settings_;
    const host::ObjectRef& application_;
    host::ObjectRef& characterStyle_;
};

}  // namespace sonotag
