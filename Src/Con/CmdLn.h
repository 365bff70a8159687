// The command-line syntax shared by qzsend and qzsendw: the four option parsers, the escape
// expansion, and the console program's assembly of its arguments into a request.
//
// Options begin with "/" or "-", their names are compared without regard to ASCII case, and
// each is recognised only at its fixed position: the target first, then a sender option, then
// an escape option; every other argument is a word of the message.
#pragma once

#include "qzplat.h"
#include "Lib/BStr.h"

// Option names as the parsers store them (each is written after "/" or "-").
inline constexpr char OptDomain[] = "DOMAIN:";
inline constexpr char OptList[] = "LIST:";
inline constexpr char OptFromUser[] = "FROMUSER";
inline constexpr char OptFrom[] = "FROM:";
inline constexpr char OptEsc[] = "ESC:";

// Target kinds returned by ParseTarget.
enum { TgtName = 0, TgtList = 1 };
// Sender kinds returned by ParseSender.
enum { SndNone = 0, SndUser = 1, SndText = 2 };

// True when arg is the option with either prefix: the prefix and the name (colon included)
// match without regard to ASCII case; whatever follows is the option's value.
bool IsOption(const char *optName, const TStr &arg);
// Fills target from arg and returns its kind: "DOMAIN:" gives the value followed by "*"
// (kind 0), "LIST:" the file name (kind 1), anything else the whole argument (kind 0). The
// target is unquoted in every case.
int ParseTarget(TStr &target, const TStr &arg);
// Returns the sender kind: "FROMUSER" (1) sets the process user's name, "FROM:" (2) the
// value; with kind 0 the sender stays as it was. The sender is unquoted in every case.
int ParseSender(TStr &sender, const TStr &arg);
// True when arg is "ESC:"; the escape text then becomes the value exactly as written.
bool ParseEsc(TStr &esc, const TStr &arg);
// Replaces esc+"n" by a line feed, esc+"r" by a carriage return and esc+"t" by a tab (three
// passes in that order, case-blind). True when the message is not empty afterwards.
bool ExpandEscapes(TStr &msg, const TStr &esc);

// The console program's request, as its command line gives it.
struct TConArgs
{
    TStr target;
    int targetKind = TgtName;
    TStr sender;
    int senderKind = SndNone;
    TStr esc;
    TStr msg; // the message words joined by single spaces, escapes not yet expanded
};

// Parses the console program's arguments (argv[0] is the program) by the fixed positions.
// False, with nothing parsed, when fewer than two arguments follow the program name.
bool ParseConArgs(int argc, const char *const *argv, TConArgs &args);
