// The readable trace text of a window message, as the dialog procedure logs it for every message.
#pragma once

#include "qzplat.h"
#include "Lib/BStr.h"

// The text of message msg with its parameters: the message's Windows name, for some messages
// with their decoded parameters, "WM_USER+n(...)" / "WM_APP+n(...)" for private messages and
// "msg=0x....,wprm=..,lprm=.." for anything else. Parameters print in full width (a value below
// 2^32 looks as in a 32-bit build). For WM_NOTIFY, lParam must point to a notification header.
TStr MsgText(unsigned msg, WPARAM wParam, LPARAM lParam);
