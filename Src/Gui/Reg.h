// Registry access by path (Windows build only).
//
// A registry location is one path string: the root ("HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
// "HKEY_LOCAL_MACHINE" or "HKEY_USERS", matched with case), the keys and the value name, joined
// by single backslashes, e.g. HKEY_CURRENT_USER\Software\QZ Software\qzsend\DSend\TargetName0.
// Every call opens the whole path afresh and closes every key it opened before it returns.
// Results are Windows error codes, 0 for success.
#pragma once

#include "qzplat.h"
#include "qzgen.h"
#include "Lib/QzBsMem.h"
#include "Lib/BStr.h"

class TWndA;

// Owner of one open registry key.
class TRegKey : public TQzBsMem
{
public:
    explicit TRegKey(HKEY key = nullptr) : hkey(key) {}
    ~TRegKey() override
    {
        if (hkey)
            Close();
    }
    TRegKey(const TRegKey &) = delete;
    TRegKey &operator=(const TRegKey &) = delete;

    // Closes the key; the system's result code.
    unsigned Close();
    HKEY Get() const { return hkey; }

private:
    HKEY hkey;
};

// The keys opened along a path, the deepest on top; clearing closes them in reverse order.
typedef TStack<TRegKey> TRegKeyStack;

// Opens every key of path below its root with access; keys that are missing are created when
// access includes KEY_CREATE_SUB_KEY. On success current is the key named by the whole path
// and stack holds every key opened on the way; on failure the stack is empty. Components are at
// most 255 characters; an empty component is refused with 87.
unsigned OpenRegPath(HKEY &current, const char *path, REGSAM access, TRegKeyStack &stack);

// The value at path as text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ and REG_BINARY up to the first
// NUL, REG_DWORD in decimal); the empty string when it cannot be read.
TStr GetRegVal(const char *path);
// Reads the raw value into buffer; size is the capacity in and the bytes stored out.
unsigned GetRegVal(const char *path, void *buffer, DWORD &size);
// Writes size bytes of data with the registry type; for the text types size is the text length
// and the terminating NUL is written as well. Missing keys are created.
unsigned SetRegVal(const char *path, DWORD type, const void *data, DWORD size);
// Writes text as REG_SZ.
unsigned SetRegVal(const char *path, const char *text);

// Saves and restores a window's placement as the REG_BINARY value "Placement" under a key.
class TWndPlacement
{
public:
    explicit TWndPlacement(const char *keyPath) : key(keyPath) {}

    void SetWnd(TWndA *wnd) { window = wnd; }
    unsigned Save();
    // Applies the stored placement; when nothing usable is stored the window stays where it is
    // and the error is returned.
    unsigned Restore();

private:
    TWndA *window = nullptr;
    TStr key;
};
