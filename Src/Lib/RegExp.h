// Regular-expression search in the classic dialect of Henry Spencer's regexp library.
//
// Dialect: any character other than ^ $ . [ ( ) | ? + * \ matches itself, bytewise and
// case-sensitive; . matches any one character; ^ matches only where the search started, $ only
// at the end of the text; [set] and [^set] with a-b ranges in byte order (a ] or - right after
// the opening bracket or caret, and a - right before the closing bracket, are members; no
// escapes inside brackets); \c matches c; ( ) groups, at most nine; | alternatives, the leftmost
// that leads to a match wins; * + ? greedy repetition with backtracking. An asterisk or plus may
// not follow an atom that can match the empty text, two repetition operators may not follow
// each other, and none may stand first.
//
// Every search compiles the pattern, searches and discards the compiled program. Compile and
// match state live in the call, so searches on several threads do not disturb each other; only
// the error hook is process-wide.
#pragma once

// Receives the message of each compile or match error ("unmatched ()", "trailing \\", ...).
typedef void (*TRegErrHook)(const char *msg);

// Installs the process-wide error hook (null: messages go nowhere, which is how the system
// runs) and returns the previous one.
TRegErrHook SetRegErrHook(TRegErrHook hook);

// Searches `text` for the leftmost match of `pattern`; ^ matches at the beginning of `text`.
// Returns the offset of the match's first character from `text`, or (unsigned)-1 when the
// pattern cannot be compiled, does not match, or either argument is missing.
unsigned RegSearch(const char *pattern, const char *text);
