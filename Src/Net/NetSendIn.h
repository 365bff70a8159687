// Helpers shared by the engine's single-target and list sends; not part of its interface.
#pragma once

#include "qzplat.h"
#include "Lib/BStr.h"

class TNsThrd;

// Registers the sender as a message alias on the local computer. Returns true when this call
// registered it (the caller removes it again); *useSender is true when the alias exists now,
// registered by this call or before, and may be named as the sender. A refusal is logged.
bool NetAliasAdd(const TStr &sender, const WCHAR *wsender, bool *useSender);
// The number of UTF-16 units before the terminator.
unsigned WideLen(const WCHAR *w);
// Starts one thread of a list send (TThrd::Start). The list send starts every thread through
// this pointer, so that a test can make chosen starts fail as the system would.
extern unsigned (*NetThrdStart)(TNsThrd &thrd, unsigned flags);
