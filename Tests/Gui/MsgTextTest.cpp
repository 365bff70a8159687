// The trace texts of window messages.
#include "Gui/MsgText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

WPARAM W(unsigned lo, unsigned hi) { return static_cast<WPARAM>((hi << 16) | lo); }
LPARAM L(unsigned lo, unsigned hi) { return static_cast<LPARAM>((hi << 16) | lo); }

TEST(MsgText, NamesDecodesAndFallsBack)
{
    struct Row
    {
        unsigned msg;
        WPARAM w;
        LPARAM l;
        const char *text;
    } rows[] = {
        // Plain names.
        {0x0001, 0, 0, "WM_CREATE"},
        {0x0030, 5, 1, "WM_SETFONT"},
        {0x0110, 0, 0, "WM_INITDIALOG"},
        {0x0082, 0, 0, "WM_NCDESTROY"},
        {0x0138, 1, 2, "WM_CTLCOLORSTATIC"},
        {0x0215, 0, 0, "WM_CAPTURECHANGED"},
        {0x0211, 0, 0, "WM_ENTERMENULOOP"},
        // Decoded parameters.
        {0x0003, 0, L(10, 20), "WM_MOVE(x=10,y=20)"},
        {0x0005, 2, L(640, 480), "WM_SIZE(type=2,w=640,h=480)"},
        {0x0018, 1, 0, "WM_SHOWWINDOW(show=1,status=0)"},
        {0x0018, 0, -1, "WM_SHOWWINDOW(show=0,status=-1)"},
        {0x0084, 0, L(65535, 7), "WM_NCHITTEST(x=65535,y=7)"},
        {0x0087, 0, 0x1234, "WM_GETDLGCODE(pmsg=0x00001234)"},
        {0x0111, W(7, 1), 0, "WM_COMMAND(notify=1,id=7,hctrl=0x0)"},
        {0x0111, W(1009, 0), 0xABC0, "WM_COMMAND(notify=0,id=1009,hctrl=0xabc0)"},
        {0x0112, 0xF060, L(3, 4), "WM_SYSCOMMAND(cmdtype=61536),x=3,y=4)"},
        {0x0113, 42, 0, "WM_TIMER(id=42)"},
        {0x0120, W(65, 2), 0x10, "WM_MENUCHAR(char=65,flag=2,menu=0x00000010)"},
        {0x0210, W(1, 1006), 0xFF, "WM_PARENTNOTIFY(event=1,childid=1006,lvalue=0x000000ff)"},
        // Private ranges and anything else.
        {0x0400, 1, 2, "WM_USER(wprm=1,lprm=2)"},
        {0x0405, 1, 2, "WM_USER+5(wprm=1,lprm=2)"},
        {0x7FFF, 0, 0, "WM_USER+31743(wprm=0,lprm=0)"},
        {0x8000, 3, 4, "WM_APP(wprm=3,lprm=4)"},
        {0x8003, 0, 0, "WM_APP+3(wprm=0,lprm=0)"},
        {0xC123, 0, 0, "WM_APP+16675(wprm=0,lprm=0)"},
        {0x00AB, 0, 0, "msg=0x00ab,wprm=0,lprm=0"},
        {0x0121, 9, 8, "msg=0x0121,wprm=9,lprm=8"}, // WM_ENTERIDLE has a handler but no text row
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_STREQ(MsgText(r.msg, r.w, r.l).CStr(), r.text);
    }
}

TEST(MsgText, NotifyReadsItsHeader)
{
    // The layout of the system's notification header: window, id, code.
    struct
    {
        void *hwndFrom;
        uintptr_t idFrom;
        unsigned code;
    } hdr = {reinterpret_cast<void *>(static_cast<uintptr_t>(0x5678)), 1006, 4294967294u};
    EXPECT_STREQ(MsgText(0x004E, 1006, reinterpret_cast<LPARAM>(&hdr)).CStr(),
                 "WM_NOTIFY(hwndfrom=0x00005678,code=4294967294)");
    EXPECT_STREQ(MsgText(0x004E, 0, 0).CStr(), "WM_NOTIFY(hwndfrom=0000000000,code=0)");
}

} // namespace
