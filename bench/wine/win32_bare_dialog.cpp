// kestrine_bare_dialog.exe: the main window's template (dialog 102) and nothing else, as the
// yardstick for the program's memory. An empty dialog procedure; the list views need the
// common controls, as in the program. Escape or the close box ends it.
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK emptyDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&controls);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, emptyDialogProc, 0);
    return 0;
}
