// A small object layer over the Windows dialog manager (Windows build only).
//
// TWndA owns one window handle. TDlg creates a modeless dialog from a dialog template resource,
// binds the dialog window to itself through the window's user-data slot, turns every window
// message into a call of one virtual handler, guards each handler against exceptions and writes
// one trace line per message. Everything runs on the thread that created the dialog.
#pragma once

#include "qzplat.h"
#include "Lib/QzBsMem.h"
#include "Lib/BStr.h"
#include "Lib/Res.h"

class TWndA : public TQzBsMem
{
public:
    TWndA() {}
    // Does not destroy the window.
    ~TWndA() override {}

    // Destroys the window and clears window and instance; 0 or the system error code.
    virtual unsigned Destroy();

    HWND GetHwnd() const { return hwnd; }
    HINSTANCE GetInstance() const { return hinst; }
    // Binds the object to a window (null detaches).
    void Attach(HWND wnd) { hwnd = wnd; }
    LRESULT SendMsg(UINT msg, WPARAM wParam, LPARAM lParam) { return SendMessageA(hwnd, msg, wParam, lParam); }
    // Kind 1 (ICON_BIG) or 0 (ICON_SMALL); returns the icon set before.
    HICON SetIcon(int kind, HICON icon)
    {
        return reinterpret_cast<HICON>(SendMsg(WM_SETICON, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(icon)));
    }
    bool IsWnd() const { return hwnd && IsWindow(hwnd); }

protected:
    HWND hwnd = nullptr;
    HINSTANCE hinst = nullptr;
};

class TDlg : public TWndA
{
public:
    explicit TDlg(WORD templateId) : tmplId(templateId) {}
    // Destroys the window when it still exists. The derived part is gone by then, so the
    // messages of that destruction reach TDlg's own handlers.
    ~TDlg() override;

    // Creates the dialog from template tmplId of instance, owned by parent. WM_INITDIALOG (and
    // OnInitDialog) runs before it returns. 0 or the system error code.
    unsigned ShowModeless(HINSTANCE instance, HWND parent);

    HWND GetItem(int id) const { return GetDlgItem(hwnd, id); }
    LRESULT SendItemMsg(int id, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        return SendDlgItemMessageA(hwnd, id, msg, wParam, lParam);
    }
    LRESULT GetItemTextLen(int id) { return SendItemMsg(id, WM_GETTEXTLENGTH, 0, 0); }
    TStr GetItemText(int id);
    unsigned SetItemText(int id, const char *text);
    unsigned CheckItem(int id, unsigned state);
    unsigned IsItemChecked(int id) const { return IsDlgButtonChecked(hwnd, id); }
    // Gives the keyboard focus to the control; returns the window that had it.
    HWND FocusItem(int id) { return SetFocus(GetItem(id)); }
    // 87 when the dialog has no such control.
    unsigned EnableItem(int id, bool enable);

    static INT_PTR CALLBACK DlgProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Routes one message to its handler and returns the handler's result.
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    // Never called by the framework; kept as the class's two result-returning hooks.
    virtual TRes Res1() { return TRes(0); }
    virtual TRes Res2() { return TRes(0); }

    // The handlers. Non-zero: the message was handled; zero: default dialog processing applies.
    virtual INT_PTR OnInitDialog() { return 0; }
    virtual INT_PTR OnEnterIdle(WPARAM, LPARAM) { return 0; }
    virtual INT_PTR OnGetDlgCode(LPARAM) { return 0; }
    virtual INT_PTR OnCaptureChanged(LPARAM) { return 0; }
    virtual INT_PTR OnCommand(unsigned, WPARAM, LPARAM) { return 0; }
    virtual INT_PTR OnNotify(WPARAM, LPARAM) { return 0; }
    virtual INT_PTR OnGetMinMaxInfo(LPARAM) { return 0; }
    virtual INT_PTR OnCtlColorStatic(WPARAM, LPARAM) { return 0; }
    virtual INT_PTR OnSize(WPARAM, LPARAM, unsigned) { return 0; }
    virtual INT_PTR OnTimer(WPARAM) { return 0; }
    virtual INT_PTR OnClose() { return 0; }
    virtual INT_PTR OnDestroy() { return 0; }
    virtual INT_PTR OnNcDestroy() { return 0; }
    virtual INT_PTR OnParentNotify(WPARAM, unsigned, LPARAM) { return 0; }
    virtual INT_PTR OnEndSession(WPARAM, LPARAM) { return 0; }
    virtual INT_PTR OnLButtonDown(WPARAM, LPARAM, unsigned) { return 0; }
    virtual INT_PTR OnLButtonUp(WPARAM, LPARAM, unsigned) { return 0; }
    virtual INT_PTR OnLButtonDblClk(WPARAM, LPARAM, unsigned) { return 0; }
    virtual INT_PTR OnRButtonDown(WPARAM, LPARAM, unsigned) { return 0; }
    virtual INT_PTR OnRButtonUp(WPARAM, LPARAM, unsigned) { return 0; }
    virtual INT_PTR OnRButtonDblClk(WPARAM, LPARAM, unsigned) { return 0; }
    virtual INT_PTR OnMouseMove(WPARAM, LPARAM, unsigned) { return 0; }
    virtual INT_PTR OnMenuSelect(unsigned, unsigned, LPARAM) { return 0; }
    virtual INT_PTR OnKeyDown(WPARAM, LPARAM) { return 0; }
    virtual INT_PTR OnKillFocus(WPARAM) { return 0; }
    virtual INT_PTR OnSetFocus(WPARAM) { return 0; }
    virtual INT_PTR OnActivate(WPARAM, LPARAM) { return 0; }
    virtual INT_PTR OnShowWindow(unsigned, LPARAM) { return 0; }
    virtual INT_PTR OnSysColorChange() { return 0; }
    virtual INT_PTR OnF1Help(LPARAM) { return 0; }
    virtual INT_PTR OnContextMenu(WPARAM, LPARAM, unsigned) { return 0; }
    virtual INT_PTR OnOtherMessage(UINT, WPARAM, LPARAM) { return 0; }

protected:
    WORD tmplId;
};

// The window property that holds the dialog object's address (set at WM_INITDIALOG).
inline constexpr char DlgThisProp[] = "QZTDlgThis";
