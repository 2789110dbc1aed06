#pragma once
// The main window: a small always-on-top dialog with "对照表",
// "开始注音标>>" and "完成" and the menu through which every function is
// reached. It owns the program's state (the Session) for the whole run and
// hands each command to the operation that does the work.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "app/AnnotateButton_win32.h"
#include "app/ComparisonTableWindow_win32.h"
#include "app/Dialog_win32.h"
#include "app/Session.h"
#include "app/ShellRules.h"
#include "host/AttachHost_win32.h"

namespace sonotag::app {

class MainWindow : public Dialog {
public:
    MainWindow();
    ~MainWindow() override;

protected:
    bool onInitDialog() override;
    void onOK() override;
    void onCancel() override;
    bool onCommand(UINT id, UINT notification) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    // The message map: one handler method per command and per message.
    static const CommandHandler<MainWindow> kCommands[];
    static const MessageHandler<MainWindow> kMessages[];

    void onAnnotate();
    void onRemoveAnnotations();
    void onComparisonTable();
    void onFinish();
    void onChooseVersion();
    void onSettings();
    void onHelp();
    INT_PTR onSysCommand(WPARAM command, LPARAM);
    INT_PTR onHotKey(WPARAM id, LPARAM);
    INT_PTR onClose(WPARAM, LPARAM);
    INT_PTR onQueryEndSession(WPARAM, LPARAM flags);
    INT_PTR onEndSession(WPARAM ending, LPARAM);
    INT_PTR onDestroy(WPARAM, LPARAM);
    INT_PTR onPaint(WPARAM, LPARAM);
    INT_PTR onQueryDragIcon(WPARAM, LPARAM);

    // One host operation at a time, an ending command held meanwhile (see
    // HostOperationGate). A run or a removal also names itself as the
    // reason a session end waits.
    void runHostOperation(const std::function<void()>& operation, HostOperationKind kind);

    void appendAboutItem();
    // The version dialog; false when the user left it with Exit.
    bool chooseHostVersion();
    // Writes config.ini once: at the session's end, or else at the
    // window's destruction.
    void saveSettings();

    // Declared first, so that COM outlives every host reference below.
    std::optional<host::OleApartment> ole_;
    AnnotateButton annotateButton_;
    HICON icon_;
    std::unique_ptr<ComparisonTableWindow> comparisonTable_;
    Session session_;
    HostOperationGate hostOperations_;
    bool settingsSaved_ = false;
};

}  // namespace sonotag::app
