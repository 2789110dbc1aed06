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

namespace sonotag {

class MainWindow : public Dialog {
public:
    MainWindow();
    ~MainWindow() override;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT notification) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    // The message map: one handler method per command and per message.
    static const CommandHandler<MainWindow> kCommands[];
    static const MessageHandler<MainWindow> kMessages[];

    void OnAnnotate();
    void OnRemoveAnnotations();
    void OnComparisonTable();
    void OnFinish();
    void OnChooseVersion();
    void OnSettings();
    void OnHelp();
    INT_PTR OnSysCommand(WPARAM command, LPARAM);
    INT_PTR OnHotKey(WPARAM id, LPARAM);
    INT_PTR OnClose(WPARAM, LPARAM);
    INT_PTR OnQueryEndSession(WPARAM, LPARAM flags);
    INT_PTR OnEndSession(WPARAM ending, LPARAM);
    INT_PTR OnDestroy(WPARAM, LPARAM);
    INT_PTR OnPaint(WPARAM, LPARAM);
    INT_PTR OnQueryDragIcon(WPARAM, LPARAM);

    // One host operation at a time, an ending command held meanwhile (see
    // HostOperationGate). A run or a removal also names itself as the
    // reason a session end waits.
    void RunHostOperation(const std::function<void()>& operation, HostOperationKind kind);

    void AppendAboutItem();
    // The version dialog; false when the user left it with Exit.
    bool ChooseHostVersion();
    // Writes config.ini once: at the session's end, or else at the
    // window's destruction.
    void SaveSettings();

    // Declared first, so that COM outlives every host reference below.
    std::optional<host::OleApartment> ole_;
    AnnotateButton annotateButton_;
    HICON icon_;
    std::unique_ptr<ComparisonTableWindow> comparisonTable_;
    Session session_;
    HostOperationGate hostOperations_;
    bool settingsSaved_ = false;
};

}  // namespace sonotag
