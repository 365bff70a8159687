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
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (accel && TranslateAcceleratorA(dlg->GetHwnd(), accel, &msg))
            continue;
        if (IsDialogMessageA(dlg->GetHwnd(), &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    ProcessLog().Stop();
    int exitCode = msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
    delete mdl;
    delete dlg;
    return exitCode;
}
