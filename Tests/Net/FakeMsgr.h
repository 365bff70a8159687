// A stand-in for the three network messaging calls, linked into the engine's and the console
// flow's tests instead of the transport: it records every call, answers with the results a
// test sets, and can hold a send until the test lets it go. It touches no network.
#pragma once

#include <string>
#include <vector>

namespace FakeMsgr
{

struct TSend
{
    std::string target;   // the UTF-16 target, narrowed (tests use ASCII names)
    std::string from;     // the sender passed, narrowed; "(none)" for a null sender
    std::u16string text;  // the message as passed
    unsigned byteCount;   // the byte count passed
};

// Forgets every call, alias, result and hold.
void Reset();
// An alias that exists before the code under test runs.
void AddAlias(const std::string &name);
bool HasAlias(const std::string &name);
// The result NetMessageNameAdd gives for every name (0: the table's own answer).
void SetAddResult(unsigned rc);
// The result of sends to this target (default 0).
void SetSendResult(const std::string &target, unsigned rc);
// Sends to this target wait in the call until Release().
void Hold(const std::string &target);
void Release();

std::vector<TSend> Sends();          // in the order the calls were made
std::vector<std::string> Added();    // names passed to NetMessageNameAdd
std::vector<std::string> Deleted();  // names passed to NetMessageNameDel

std::string Narrow(const std::u16string &w);

} // namespace FakeMsgr
