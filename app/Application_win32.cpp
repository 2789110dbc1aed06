// The program's entry: prepares the dialog framework and runs the main
// window; the program ends when the window does.

#include <windows.h>

#include <commctrl.h>

#include "app/MainWindow_win32.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Users start such tools from download folders: system DLLs come from
    // the system folder only, never from beside the executable.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    sonotag::app::MainWindow window;
    window.runModal(nullptr);
    return 0;
}
