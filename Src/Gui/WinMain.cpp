// Entry of qzsendw: starts the log, creates the send dialog, gives it its icons and runs the
// message loop with the dialog's accelerators until the dialog ends it.
#include "Gui/DSend.h"
#include "Gui/GuiMdl.h"
#include "Log/LogA.h"
#include "qzsendw-res.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    ProcessLog().Start();
    DSend *dlg = new DSend;
    unsigned rc = dlg->ShowModeless(instance, GetDesktopWindow());
    if (rc != 0) {
        // Without a dialog nothing could ever end the loop: give up with the creation error.
        ProcessLog().Stop();
        delete dlg;
        return static_cast<int>(rc);
    }
    WTGuiMdl *mdl = new WTGuiMdl(instance);
    dlg->SetIcon(ICON_BIG, mdl->LoadBigIcon(IDI_QZSENDW, 0));
    dlg->SetIcon(ICON_SMALL, mdl->LoadSmallIcon(IDI_QZSENDW, 0));
    HACCEL accel = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_SEND));

    MSG msg = {};
    // Whether the last key went to an Alt accelerator (Alt+T, Alt+M). The Alt key-up that follows
    // is not passed on: the default processing would otherwise take the release of Alt, whose
    // key-down it saw without the letter, as a request for the system menu's keyboard mode and
    // swallow the next keys typed (Wine does so).
    bool altAccel = false;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        if (accel && TranslateAcceleratorA(dlg->GetHwnd(), accel, &msg)) {
            altAccel = msg.message == WM_SYSKEYDOWN;
            continue;
        }
        if (msg.message == WM_SYSKEYUP || msg.message == WM_KEYUP) {
            bool swallow = altAccel && msg.wParam == VK_MENU;
            if (msg.wParam == VK_MENU)
                altAccel = false;
            if (swallow)
                continue;
        }
        if (IsDialogMessageA(dlg->GetHwnd(), &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    ProcessLog().Stop();
    // A failed fetch ends the loop as well; it is not reported as success.
    int exitCode = got == 0 ? static_cast<int>(msg.wParam) : static_cast<int>(GetLastError() ? GetLastError() : 1);
    delete mdl;
    delete dlg;
    return exitCode;
}
