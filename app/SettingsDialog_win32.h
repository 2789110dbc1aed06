#pragma once
// "音标设置": notation, Unicode choice, separator, the two symbols and the
// character style from the open document. It keeps no data of its own: it
// shows the controls it is given, and OK hands them back before it closes.

#include <functional>

#include "app/Dialog_win32.h"
#include "app/SettingsDialogData.h"

namespace sonotag::app {

class SettingsDialog : public Dialog {
public:
    using Accept = std::function<void(const SettingsDialogControls& controls)>;
    SettingsDialog(SettingsDialogControls shown, Accept accept);

protected:
    bool onInitDialog() override;
    void onOK() override;
    bool onCommand(UINT id, UINT notification) override;

private:
    static const CommandHandler<SettingsDialog> kCommands[];

    void onTabButton();
    void showControls(const SettingsDialogControls& controls);
    SettingsDialogControls takeControls() const;

    SettingsDialogControls shown_;
    Accept accept_;
};

}  // namespace sonotag::app
