// The decisions of the send dialog that need no window, kept apart so that the native tests can
// reach them: the words of the process command line, how the command line prefills the dialog,
// the list-prefix test of a target, and the order of the target history.
//
// The dialog (DSend) applies these results to its controls; nothing here touches a window.
#pragma once

#include "qzplat.h"
#include "Lib/BStr.h"

// Most targets the history keeps.
inline constexpr int HistMax = 10;

// Word n of a command line (word 0 is the program path as written). A word ends at a space
// outside double quotes or at the end; a double quote toggles the quoted state and stays part
// of the word, tabs are ordinary characters, and runs of spaces separate words. The word found
// is unquoted (one enclosing pair of double quotes removed). A word that does not exist, or a
// missing or empty command line, gives the empty string.
TStr CmdLnWord(const char *cmdLn, unsigned n);

// What the command line asks the dialog to show.
struct TPrefill
{
    bool setTarget = false;  // word 1 was no sender option: the target box text is set
    TStr targetText;         // the text for the target box (list prefix + file name for a list)
    bool focusMessage = false; // a non-empty target was parsed: focus and select the message
    int senderKind = 0;      // 0 computer name, 1 user name, 2 free text (selects 1001..1003)
    TStr senderText;         // the text for the free-text sender box
    bool setMessage = false; // the expanded message is not empty
    TStr message;            // the message after escape expansion
};

// Reads the command line word by word as qzsendw does at start-up. The words are positional:
// word 1 is a sender option or the target; the next word may be a sender option (only when word
// 1 was the target), then an escape option, then the message words up to the first empty word.
// listPrefix is the language's list prefix ("list:" in English), put before a list file name.
void PlanPrefill(const char *cmdLn, const TStr &listPrefix, TPrefill &plan);

// The text as a multi-line edit control shows it: a line feed without a carriage return before
// it becomes CR LF, since the control shows a lone line feed as no line break at all. Typed
// messages hold CR LF as well, so a prefilled message is sent exactly as a typed one.
TStr EditText(const TStr &msg);

// True when the target begins with the list prefix, compared over the prefix's length without
// regard to ASCII case; file then receives the rest of the target, trimmed of blanks. An empty
// prefix never matches: with the string resource missing every target would otherwise be taken
// as a list file.
bool IsListTarget(const TStr &target, const TStr &listPrefix, TStr &file);

// The target history as AddToHistory sees it: the dialog implements it with its combo box, the
// tests with an array.
class THistList
{
public:
    virtual ~THistList() {}
    // The number of entries (an error counts as none).
    virtual int Count() = 0;
    // The index of the entry equal to text without regard to case, or -1.
    virtual int FindExact(const TStr &text) = 0;
    virtual void Delete(int index) = 0;
    virtual void Insert(int index, const TStr &text) = 0;
    virtual void Select(int index) = 0;
};

// Appends one stored history entry at the end of the list. An empty text is no entry, and a
// text the list already holds (compared without regard to case) is skipped: two programs that
// close one after the other, or a hand-edited registry, can leave the same target under two
// numbers, and the history never shows a target twice.
void HistLoadEntry(THistList &hist, const TStr &text);

// Puts target at the top of the history: an entry equal to it without regard to case is removed
// first (so the new spelling wins), the target is inserted at position 0 and selected, and the
// oldest entry is dropped while more than HistMax remain.
void HistAdd(THistList &hist, const TStr &target);
