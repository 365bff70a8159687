// The window and dialog objects: creation, the dialog procedure with its trace line and
// exception guard, message dispatch and the control helpers.
#include "Gui/Wnd.h"

#include "Gui/MsgText.h"
#include "Lib/Except.h"
#include "Log/LogA.h"

#include <cstdint>

// MsgText keeps its own copy of the message numbers so that it builds without <windows.h>;
// these checks keep the two in step.
static_assert(WM_CREATE == 0x0001 && WM_MOVE == 0x0003 && WM_SIZE == 0x0005 && WM_SETFONT == 0x0030, "");
static_assert(WM_SHOWWINDOW == 0x0018 && WM_NOTIFY == 0x004E && WM_HELP == 0x0053 && WM_GETICON == 0x007F, "");
static_assert(WM_NCHITTEST == 0x0084 && WM_GETDLGCODE == 0x0087 && WM_INITDIALOG == 0x0110, "");
static_assert(WM_COMMAND == 0x0111 && WM_SYSCOMMAND == 0x0112 && WM_TIMER == 0x0113 && WM_MENUCHAR == 0x0120, "");
static_assert(WM_CTLCOLORSTATIC == 0x0138 && WM_PARENTNOTIFY == 0x0210 && WM_CAPTURECHANGED == 0x0215, "");
static_assert(WM_MBUTTONDBLCLK == 0x0209 && WM_EXITMENULOOP == 0x0212 && WM_USER == 0x0400 && WM_APP == 0x8000, "");

namespace {

unsigned long long Addr(const void *p)
{
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p));
}

unsigned Lo(uintptr_t v) { return static_cast<unsigned>(v & 0xFFFF); }
unsigned Hi(uintptr_t v) { return static_cast<unsigned>((v >> 16) & 0xFFFF); }

} // namespace

unsigned TWndA::Destroy()
{
    unsigned rc = DestroyWindow(hwnd) ? 0 : static_cast<unsigned>(GetLastError());
    hwnd = nullptr;
    hinst = nullptr;
    ProcessLog().Write(EvtWndDestroy, "Destroy() [this=%#010llx] return (%u).", Addr(this), rc);
    return rc;
}

TDlg::~TDlg()
{
    if (IsWnd())
        Destroy();
}

unsigned TDlg::ShowModeless(HINSTANCE instance, HWND parent)
{
    hinst = instance;
    HWND wnd = CreateDialogParamA(instance, MAKEINTRESOURCEA(tmplId), parent, &TDlg::DlgProc,
                                  reinterpret_cast<LPARAM>(this));
    unsigned rc = wnd ? 0 : static_cast<unsigned>(GetLastError());
    // A failed creation must not leave a zero result behind: the caller would wait for a window
    // that does not exist.
    if (!wnd && rc == 0)
        rc = ERROR_INVALID_HANDLE;
    hwnd = wnd;
    ProcessLog().Write(EvtDlgShow, "ShowModeless(hinstance=%#010llx,hparent=%#010llx,templateid=%u,this=%#010llx) returned %u.",
                       Addr(instance), Addr(parent), static_cast<unsigned>(tmplId), Addr(this), rc);
    return rc;
}

TStr TDlg::GetItemText(int id)
{
    TStr text;
    LRESULT len = GetItemTextLen(id);
    if (len <= 0)
        return text;
    TCharBuf buf(static_cast<unsigned>(len) + 1);
    char *data = static_cast<char *>(buf.Data());
    LRESULT got = SendItemMsg(id, WM_GETTEXT, static_cast<WPARAM>(len) + 1, reinterpret_cast<LPARAM>(data));
    if (got > 0) {
        data[got < len ? got : len] = 0;
        text.Assign(data, static_cast<unsigned>(got < len ? got : len));
    }
    return text;
}

unsigned TDlg::SetItemText(int id, const char *text)
{
    return SetDlgItemTextA(hwnd, id, text) ? 0 : static_cast<unsigned>(GetLastError());
}

unsigned TDlg::CheckItem(int id, unsigned state)
{
    return CheckDlgButton(hwnd, id, state) ? 0 : static_cast<unsigned>(GetLastError());
}

unsigned TDlg::EnableItem(int id, bool enable)
{
    HWND item = GetItem(id);
    if (!item)
        return ERROR_INVALID_PARAMETER;
    // EnableWindow reports the previous state, not success; the result is not used by anyone.
    EnableWindow(item, enable ? TRUE : FALSE);
    return 0;
}

INT_PTR CALLBACK TDlg::DlgProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TDlg *dlg;
    if (msg == WM_INITDIALOG) {
        dlg = reinterpret_cast<TDlg *>(lParam);
        SetPropA(wnd, DlgThisProp, reinterpret_cast<HANDLE>(dlg));
    } else {
        dlg = reinterpret_cast<TDlg *>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    }

    INT_PTR result = 0;
    TStr err;
    if (dlg) {
        if (msg == WM_INITDIALOG) {
            dlg->Attach(wnd);
            SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dlg));
        }
        try {
            result = dlg->Dispatch(msg, wParam, lParam);
        } catch (const EException &e) {
            result = 0;
            err = " [";
            err.Append(e.Text());
            err.Append("].");
        } catch (...) {
            result = 0;
            err = " [Unknown exception].";
        }
        // The window is gone after WM_NCDESTROY; forget the object so that nothing can reach it
        // through the slot any more (the object may be deleted before the handle is reused).
        if (msg == WM_NCDESTROY)
            SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
    }
    ProcessLog().Write(err.Length() ? EvtDlgExc : EvtDlgProc, "(wnd=%#010llx,hwnd=%#010llx,%s)end(%u,%s)", Addr(dlg),
                       Addr(wnd), MsgText(msg, wParam, lParam).CStr(), static_cast<unsigned>(result), err.CStr());
    return result;
}

INT_PTR TDlg::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const uintptr_t w = static_cast<uintptr_t>(wParam), l = static_cast<uintptr_t>(lParam);
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_ENTERIDLE: return OnEnterIdle(wParam, lParam);
    case WM_GETDLGCODE: return OnGetDlgCode(lParam);
    case WM_CAPTURECHANGED: return OnCaptureChanged(lParam);
    case WM_COMMAND: return OnCommand(Hi(w), wParam, lParam);
    case WM_NOTIFY: return OnNotify(wParam, lParam);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(lParam);
    case WM_CTLCOLORSTATIC: return OnCtlColorStatic(wParam, lParam);
    case WM_SIZE: return OnSize(wParam, lParam, Hi(l));
    case WM_TIMER: return OnTimer(wParam);
    case WM_CLOSE: return OnClose();
    case WM_DESTROY: return OnDestroy();
    case WM_NCDESTROY: {
        INT_PTR result = OnNcDestroy();
        Attach(nullptr);
        return result;
    }
    case WM_PARENTNOTIFY: return OnParentNotify(wParam, Hi(w), lParam);
    case WM_ENDSESSION: return OnEndSession(wParam, lParam);
    case WM_LBUTTONDOWN: return OnLButtonDown(wParam, lParam, Hi(l));
    case WM_LBUTTONUP: return OnLButtonUp(wParam, lParam, Hi(l));
    case WM_LBUTTONDBLCLK: return OnLButtonDblClk(wParam, lParam, Hi(l));
    case WM_RBUTTONDOWN: return OnRButtonDown(wParam, lParam, Hi(l));
    case WM_RBUTTONUP: return OnRButtonUp(wParam, lParam, Hi(l));
    case WM_RBUTTONDBLCLK: return OnRButtonDblClk(wParam, lParam, Hi(l));
    case WM_MOUSEMOVE: return OnMouseMove(wParam, lParam, Hi(l));
    case WM_MENUSELECT: return OnMenuSelect(Lo(w), Hi(w), lParam);
    case WM_KEYDOWN: return OnKeyDown(wParam, lParam);
    case WM_KILLFOCUS: return OnKillFocus(wParam);
    case WM_SETFOCUS: return OnSetFocus(wParam);
    case WM_ACTIVATE: return OnActivate(wParam, lParam);
    case WM_SHOWWINDOW: return OnShowWindow(wParam ? 1 : 0, lParam);
    case WM_SYSCOLORCHANGE: return OnSysColorChange();
    case WM_HELP: return OnF1Help(lParam);
    case WM_CONTEXTMENU: return OnContextMenu(wParam, lParam, Hi(l));
    default: return OnOtherMessage(msg, wParam, lParam);
    }
}
