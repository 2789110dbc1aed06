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
    INT_PTR OnDestroy(WPARAM, LPARAM);
    INT_PTR OnPaint(WPARAM, LPARAM);
    INT_PTR OnQueryDragIcon(WPARAM, LPARAM);

    // A host operation (a run, a removal, the settings dialog, the version
    // choice) waits on cross-process calls, and meanwhile COM delivers this
    // window's messages. So no other operation starts during one, and an
    // ending command ("完成", Esc, close) is held until it has ended: the
    // session must not go while its work is still on the stack.
    void RunHostOperation(const std::function<void()>& operation);
    void EndWhenIdle(INT_PTR result);

    void AppendAboutItem();
    // The version dialog; false when the user left it with Exit.
    bool ChooseHostVersion(bool fromMenu);
    void SaveSettings();

    // Declared first, so that COM outlives every host reference below.
    std::optional<host::OleApartment> ole_;
    AnnotateButton annotateButton_;
    HICON icon_;
    std::unique_ptr<ComparisonTableWindow> comparisonTable_;
    Session session_;
    bool hostOperationRunning_ = false;
    std::optional<INT_PTR> heldEnding_;
};

}  // namespace sonotag
