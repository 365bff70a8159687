// The console program's work between log start and log stop: parse, send, print the result
// lines and the usage text. The entry function of qzsend only wraps this, so tests run it with
// a stream of their own.
#pragma once

#include "qzplat.h"
#include "Lib/BStr.h"

class TOStream;

// String identifiers of the console program's string table.
enum
{
    StrSent = 1,      // "the message is sent."
    StrNotSent = 2,   // "the message isn't sent (error %u, %s)."
    StrUsageEn = 10,  // the English usage text
    StrUsageRu = 11,  // the Russian usage text
};

// Runs qzsend with its arguments (argv[0] is the program), printing to out. Returns the
// outcome's code: 0, the send's or list's error code, or 87 for too few arguments.
unsigned ConRun(int argc, const char *const *argv, TOStream &out);

// The usage text for the user's language: Russian when the user default locale's language is
// 0419, English otherwise. Each line ends with a line feed.
TStr UsageText();
