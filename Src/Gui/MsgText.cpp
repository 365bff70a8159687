// Trace texts of window messages. The message numbers are those of the Windows API; they are
// written out here so that the table also builds (and is tested) where no Windows header exists.
// The Windows build checks them against <windows.h> in Wnd.cpp.
#include "Gui/MsgText.h"

#include <cstdint>

namespace {

struct TMsgName
{
    unsigned msg;
    const char *name;
};

// Messages whose text is just their name.
const TMsgName MsgNames[] = {
    {0x0001, "WM_CREATE"},           {0x0002, "WM_DESTROY"},
    {0x0006, "WM_ACTIVATE"},         {0x0007, "WM_SETFOCUS"},
    {0x0008, "WM_KILLFOCUS"},        {0x000B, "WM_SETREDRAW"},
    {0x000C, "WM_SETTEXT"},          {0x000D, "WM_GETTEXT"},
    {0x000E, "WM_GETTEXTLENGTH"},    {0x000F, "WM_PAINT"},
    {0x0010, "WM_CLOSE"},            {0x0014, "WM_ERASEBKGND"},
    {0x0015, "WM_SYSCOLORCHANGE"},   {0x001C, "WM_ACTIVATEAPP"},
    {0x0020, "WM_SETCURSOR"},        {0x0024, "WM_GETMINMAXINFO"},
    {0x0030, "WM_SETFONT"},          {0x0046, "WM_WINDOWPOSCHANGING"},
    {0x0047, "WM_WINDOWPOSCHANGED"}, {0x0053, "WM_HELP"},
    {0x007B, "WM_CONTEXTMENU"},      {0x007C, "WM_STYLECHANGING"},
    {0x007D, "WM_STYLECHANGED"},     {0x007F, "WM_GETICON"},
    {0x0081, "WM_NCCREATE"},         {0x0082, "WM_NCDESTROY"},
    {0x0083, "WM_NCCALCSIZE"},       {0x0085, "WM_NCPAINT"},
    {0x0086, "WM_NCACTIVATE"},       {0x0100, "WM_KEYDOWN"},
    {0x0101, "WM_KEYUP"},            {0x0102, "WM_CHAR"},
    {0x0104, "WM_SYSKEYDOWN"},       {0x0105, "WM_SYSKEYUP"},
    {0x0110, "WM_INITDIALOG"},       {0x0114, "WM_HSCROLL"},
    {0x0115, "WM_VSCROLL"},          {0x0116, "WM_INITMENU"},
    {0x011F, "WM_MENUSELECT"},       {0x0132, "WM_CTLCOLORMSGBOX"},
    {0x0133, "WM_CTLCOLOREDIT"},     {0x0134, "WM_CTLCOLORLISTBOX"},
    {0x0135, "WM_CTLCOLORBTN"},      {0x0136, "WM_CTLCOLORDLG"},
    {0x0137, "WM_CTLCOLORSCROLLBAR"}, {0x0138, "WM_CTLCOLORSTATIC"},
    {0x0200, "WM_MOUSEMOVE"},        {0x0201, "WM_LBUTTONDOWN"},
    {0x0202, "WM_LBUTTONUP"},        {0x0203, "WM_LBUTTONDBLCLK"},
    {0x0204, "WM_RBUTTONDOWN"},      {0x0205, "WM_RBUTTONUP"},
    {0x0206, "WM_RBUTTONDBLCLK"},    {0x0207, "WM_MBUTTONDOWN"},
    {0x0208, "WM_MBUTTONUP"},        {0x0209, "WM_MBUTTONDBLCLK"},
    {0x0211, "WM_ENTERMENULOOP"},    {0x0212, "WM_EXITMENULOOP"},
    {0x0215, "WM_CAPTURECHANGED"},
};

// Messages whose text shows their parameters.
enum : unsigned {
    MsgMove = 0x0003,
    MsgSize = 0x0005,
    MsgShowWindow = 0x0018,
    MsgNotify = 0x004E,
    MsgNcHitTest = 0x0084,
    MsgGetDlgCode = 0x0087,
    MsgCommand = 0x0111,
    MsgSysCommand = 0x0112,
    MsgTimer = 0x0113,
    MsgMenuChar = 0x0120,
    MsgParentNotify = 0x0210,
    MsgUser = 0x0400,
    MsgApp = 0x8000,
};

// The notification header that a WM_NOTIFY's lParam points to (the layout of the system's NMHDR).
struct TNotifyHdr
{
    void *hwndFrom;
    uintptr_t idFrom;
    unsigned code;
};

unsigned Lo(uintptr_t v) { return static_cast<unsigned>(v & 0xFFFF); }
unsigned Hi(uintptr_t v) { return static_cast<unsigned>((v >> 16) & 0xFFFF); }
unsigned long long Full(uintptr_t v) { return static_cast<unsigned long long>(v); }

} // namespace

TStr MsgText(unsigned msg, WPARAM wParam, LPARAM lParam)
{
    const uintptr_t w = static_cast<uintptr_t>(wParam), l = static_cast<uintptr_t>(lParam);
    TStr text;
    switch (msg) {
    case MsgMove:
        text.Format("WM_MOVE(x=%u,y=%u)", Lo(l), Hi(l));
        return text;
    case MsgSize:
        text.Format("WM_SIZE(type=%llu,w=%u,h=%u)", Full(w), Lo(l), Hi(l));
        return text;
    case MsgShowWindow:
        text.Format("WM_SHOWWINDOW(show=%llu,status=%lli)", Full(w), static_cast<long long>(lParam));
        return text;
    case MsgNotify: {
        const TNotifyHdr *hdr = reinterpret_cast<const TNotifyHdr *>(l);
        // A notification without its header would crash the trace; it is shown as from no window.
        text.Format("WM_NOTIFY(hwndfrom=%#010llx,code=%u)", hdr ? Full(reinterpret_cast<uintptr_t>(hdr->hwndFrom)) : 0ull,
                    hdr ? hdr->code : 0u);
        return text;
    }
    case MsgNcHitTest:
        text = "WM_NCHITTEST(x=";
        text.Append(TStr(Lo(l), NumDec));
        text.Append(",y=");
        text.Append(TStr(Hi(l), NumDec));
        text.Append(")");
        return text;
    case MsgGetDlgCode:
        text.Format("WM_GETDLGCODE(pmsg=%#010llx)", Full(l));
        return text;
    case MsgCommand: {
        TStr hctrl;
        hctrl.Format("0x%llx", Full(l));
        text = "WM_COMMAND(notify=";
        text.Append(TStr(Hi(w), NumDec));
        text.Append(",id=");
        text.Append(TStr(Lo(w), NumDec));
        text.Append(",hctrl=");
        text.Append(hctrl);
        text.Append(")");
        return text;
    }
    case MsgSysCommand:
        text.Format("WM_SYSCOMMAND(cmdtype=%llu),x=%u,y=%u)", Full(w), Lo(l), Hi(l));
        return text;
    case MsgTimer:
        text.Format("WM_TIMER(id=%llu)", Full(w));
        return text;
    case MsgMenuChar:
        text.Format("WM_MENUCHAR(char=%u,flag=%u,menu=%#010llx)", Lo(w), Hi(w), Full(l));
        return text;
    case MsgParentNotify:
        text.Format("WM_PARENTNOTIFY(event=%u,childid=%u,lvalue=%#010llx)", Lo(w), Hi(w), Full(l));
        return text;
    case MsgUser:
        text.Format("WM_USER(wprm=%llu,lprm=%llu)", Full(w), Full(l));
        return text;
    case MsgApp:
        text.Format("WM_APP(wprm=%llu,lprm=%llu)", Full(w), Full(l));
        return text;
    default:
        break;
    }
    for (const TMsgName &row : MsgNames)
        if (row.msg == msg) {
            text = row.name;
            return text;
        }
    if (msg > MsgUser && msg < MsgApp)
        text.Format("WM_USER+%u(wprm=%llu,lprm=%llu)", msg - MsgUser, Full(w), Full(l));
    else if (msg > MsgApp)
        text.Format("WM_APP+%u(wprm=%llu,lprm=%llu)", msg - MsgApp, Full(w), Full(l));
    else
        text.Format("msg=%#06x,wprm=%llu,lprm=%llu", msg, Full(w), Full(l));
    return text;
}
