// The dialog framework with a real modeless dialog (Windows build, on a display): binding of
// object and window, dispatch, the exception guard, the trace lines and the control helpers.
#include "Gui/Reg.h"
#include "Gui/Wnd.h"
#include "Lib/Except.h"
#include "Log/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

const WORD ProbeTmpl = 201;
const int ProbeEdit = 301, ProbeCheck = 302;
const UINT MsgThrowLib = WM_APP + 1, MsgThrowOther = WM_APP + 2;

// A dialog that records what reaches its handlers and throws on request.
class TProbeDlg : public TDlg
{
public:
    explicit TProbeDlg(WORD tmpl = ProbeTmpl) : TDlg(tmpl) {}

    int inits = 0, activates = 0, ncDestroys = 0;
    std::vector<UINT> others; // messages that reached OnOtherMessage
    unsigned showArg = 99;
    unsigned commandCode = 0;
    WPARAM commandW = 0;

    INT_PTR OnInitDialog() override
    {
        ++inits;
        return 1;
    }
    INT_PTR OnActivate(WPARAM, LPARAM) override
    {
        ++activates;
        return 0;
    }
    INT_PTR OnShowWindow(unsigned show, LPARAM) override
    {
        showArg = show;
        return 0;
    }
    INT_PTR OnCommand(unsigned code, WPARAM wParam, LPARAM) override
    {
        commandCode = code;
        commandW = wParam;
        return 1;
    }
    INT_PTR OnNcDestroy() override
    {
        ++ncDestroys;
        return 0;
    }
    INT_PTR OnOtherMessage(UINT msg, WPARAM, LPARAM) override
    {
        if (msg == MsgThrowLib)
            QZ_THROW_OUT_OF_RANGE(7u, 3u);
        if (msg == MsgThrowOther)
            throw 42;
        others.push_back(msg);
        return 0;
    }
};

std::string Hex(const void *p)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%#010llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return buf;
}

class WndTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(dlg.ShowModeless(GetModuleHandleA(nullptr), nullptr), 0u); }
    TProbeDlg dlg;
};

TEST(WndShow, BindsObjectAndWindowAndTraces)
{
    TLogCapture cap;
    TProbeDlg dlg;
    ASSERT_EQ(dlg.ShowModeless(GetModuleHandleA(nullptr), nullptr), 0u);
    HWND wnd = dlg.GetHwnd();
    ASSERT_NE(wnd, nullptr);
    EXPECT_EQ(dlg.GetInstance(), GetModuleHandleA(nullptr));
    EXPECT_EQ(dlg.inits, 1);
    EXPECT_EQ(GetPropA(wnd, DlgThisProp), static_cast<HANDLE>(&dlg));
    EXPECT_EQ(GetWindowLongPtrA(wnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&dlg));

    const std::string shown = "ShowModeless(hinstance=" + Hex(GetModuleHandleA(nullptr)) +
                              ",hparent=0000000000,templateid=201,this=" + Hex(&dlg) + ") returned 0.";
    EXPECT_TRUE(cap.Has("UDY", shown.c_str()));
    // The dialog manager sends WM_SETFONT before WM_INITDIALOG: no object yet, result 0.
    EXPECT_TRUE(cap.Has("UD<", ("(wnd=0000000000,hwnd=" + Hex(wnd) + ",WM_SETFONT)end(0,)").c_str()));
    EXPECT_TRUE(cap.Has("UD<", ("(wnd=" + Hex(&dlg) + ",hwnd=" + Hex(wnd) + ",WM_INITDIALOG)end(1,)").c_str()));
}

TEST(WndShow, MissingTemplateFailsWithoutWindow)
{
    TLogCapture cap;
    TProbeDlg dlg(999);
    unsigned rc = dlg.ShowModeless(GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(rc, 0u);
    EXPECT_EQ(dlg.GetHwnd(), nullptr);
    EXPECT_FALSE(dlg.IsWnd());
    EXPECT_TRUE(cap.Has("UDY", ("templateid=999,this=" + Hex(&dlg) + ") returned " + std::to_string(rc) + ".").c_str()));
}

TEST_F(WndTest, HandlerExceptionsAreCaughtAndTraced)
{
    struct Row
    {
        UINT msg;
        std::string tail;
    } rows[] = {
        {MsgThrowLib, ",WM_APP+1(wprm=0,lprm=0))end(0, [[EOutOfRange(idx=7,cnt=3)]"},
        {MsgThrowOther, ",WM_APP+2(wprm=0,lprm=0))end(0, [Unknown exception].)"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.msg);
        TLogCapture cap;
        SendMessageA(dlg.GetHwnd(), r.msg, 0, 0);
        std::vector<std::string> lines = cap.Texts("UD!", r.tail.c_str());
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("].)"), lines[0].size() - 3) << lines[0];
        EXPECT_FALSE(cap.Has("UD<", "WM_APP+")) << "a failed call is traced once, as a failure";
    }
    // The dialog goes on running.
    SendMessageA(dlg.GetHwnd(), WM_APP + 3, 0, 0);
    ASSERT_FALSE(dlg.others.empty());
    EXPECT_EQ(dlg.others.back(), static_cast<UINT>(WM_APP + 3));
    EXPECT_TRUE(dlg.IsWnd());
}

TEST_F(WndTest, DispatchPassesTheDocumentedArguments)
{
    SendMessageA(dlg.GetHwnd(), WM_SHOWWINDOW, 5, 0);
    EXPECT_EQ(dlg.showArg, 1u);
    SendMessageA(dlg.GetHwnd(), WM_SHOWWINDOW, 0, 0);
    EXPECT_EQ(dlg.showArg, 0u);

    int activatesBefore = dlg.activates;
    dlg.others.clear();
    SendMessageA(dlg.GetHwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(dlg.activates, activatesBefore + 1);
    EXPECT_EQ(std::count(dlg.others.begin(), dlg.others.end(), static_cast<UINT>(WM_ACTIVATE)), 0)
        << "WM_ACTIVATE reaches OnActivate only";

    SendMessageA(dlg.GetHwnd(), WM_COMMAND, MAKEWPARAM(1009, 3), 0);
    EXPECT_EQ(dlg.commandCode, 3u);
    EXPECT_EQ(dlg.commandW, static_cast<WPARAM>(MAKEWPARAM(1009, 3)));
}

TEST_F(WndTest, ControlHelpers)
{
    EXPECT_EQ(dlg.EnableItem(9999, true), 87u);
    EXPECT_EQ(dlg.EnableItem(ProbeEdit, false), 0u);
    EXPECT_FALSE(IsWindowEnabled(dlg.GetItem(ProbeEdit)));
    EXPECT_EQ(dlg.GetItem(9999), nullptr);

    EXPECT_STREQ(dlg.GetItemText(ProbeEdit).CStr(), "");
    EXPECT_EQ(dlg.SetItemText(ProbeEdit, "some text"), 0u);
    EXPECT_EQ(dlg.GetItemTextLen(ProbeEdit), 9);
    EXPECT_STREQ(dlg.GetItemText(ProbeEdit).CStr(), "some text");

    EXPECT_EQ(dlg.IsItemChecked(ProbeCheck), 0u);
    EXPECT_EQ(dlg.CheckItem(ProbeCheck, 1), 0u);
    EXPECT_EQ(dlg.IsItemChecked(ProbeCheck), 1u);
    EXPECT_EQ(dlg.CheckItem(ProbeCheck, 0), 0u);
    EXPECT_EQ(dlg.IsItemChecked(ProbeCheck), 0u);

    dlg.EnableItem(ProbeEdit, true);
    dlg.FocusItem(ProbeEdit);
    EXPECT_EQ(GetFocus(), dlg.GetItem(ProbeEdit));
}

TEST_F(WndTest, DestroyDetachesAndTraces)
{
    TLogCapture cap;
    HWND wnd = dlg.GetHwnd();
    EXPECT_EQ(dlg.Destroy(), 0u);
    EXPECT_EQ(dlg.GetHwnd(), nullptr);
    EXPECT_EQ(dlg.GetInstance(), nullptr);
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(dlg.ncDestroys, 1);
    EXPECT_TRUE(cap.Has("UW-", ("Destroy() [this=" + Hex(&dlg) + "] return (0).").c_str()));
    EXPECT_TRUE(cap.Has("UD<", ("(wnd=" + Hex(&dlg) + ",hwnd=" + Hex(wnd) + ",WM_NCDESTROY)end(0,)").c_str()));
    EXPECT_NE(dlg.Destroy(), 0u) << "no window left to destroy";
}

TEST(WndLife, DeletingTheObjectDestroysItsWindow)
{
    TProbeDlg *dlg = new TProbeDlg;
    ASSERT_EQ(dlg->ShowModeless(GetModuleHandleA(nullptr), nullptr), 0u);
    HWND wnd = dlg->GetHwnd();
    delete dlg;
    EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(WndTest, PlacementIsSavedAndRestored)
{
    const char key[] = "HKEY_CURRENT_USER\\Software\\QZ Software\\qzgui-wnd-tests\\Placement";
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QZ Software\\qzgui-wnd-tests");
    TWndPlacement placement(key);
    placement.SetWnd(&dlg);
    EXPECT_EQ(placement.Restore(), 2u) << "nothing stored yet";

    SetWindowPos(dlg.GetHwnd(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(placement.Save(), 0u);
    SetWindowPos(dlg.GetHwnd(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(placement.Restore(), 0u);
    RECT r;
    GetWindowRect(dlg.GetHwnd(), &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QZ Software\\qzgui-wnd-tests");
}

} // namespace
