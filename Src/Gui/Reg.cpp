// Registry access by path: opening a key path, reading and writing values, window placement.
#include "Gui/Reg.h"

#include "Gui/Wnd.h"
#include "Log/LogA.h"

#include <cstring>

namespace {

// The registry's own limit on the length of a key name, and ours on one path component.
const unsigned RegNameMax = 255;

const struct
{
    const char *name;
    HKEY key;
} RegRoots[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", HKEY_USERS},
};

bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Splits path at its last backslash (searched from position 1) into key path and value name.
// A path without one has no key path: 87.
unsigned SplitValPath(const char *path, TStr &keyPath, TStr &valName)
{
    unsigned last = static_cast<unsigned>(-1);
    const unsigned len = static_cast<unsigned>(strlen(path));
    for (unsigned at = len > 1 ? FindSubStr(path, "\\", 1) : static_cast<unsigned>(-1); at != static_cast<unsigned>(-1);
         at = at + 1 < len ? FindSubStr(path, "\\", at + 1) : static_cast<unsigned>(-1))
        last = at;
    if (last == static_cast<unsigned>(-1))
        return ERROR_INVALID_PARAMETER;
    keyPath.Clear();
    if (last > 0)
        keyPath.Assign(path, last);
    valName = path + last + 1;
    return 0;
}

} // namespace

unsigned TRegKey::Close()
{
    unsigned rc = static_cast<unsigned>(RegCloseKey(hkey));
    hkey = nullptr;
    return rc;
}

// Whether every component of path has 1 to 255 characters. Checked before anything is opened,
// so that a bad path neither overruns a name buffer nor leaves half of its keys created.
static bool ValidRegPath(const char *path)
{
    const unsigned len = static_cast<unsigned>(strlen(path));
    for (unsigned pos = 0;;) {
        unsigned end = pos < len ? FindSubStr(path, "\\", pos) : static_cast<unsigned>(-1);
        unsigned count = (end == static_cast<unsigned>(-1) ? len : end) - pos;
        if (count == 0 || count > RegNameMax)
            return false;
        if (end == static_cast<unsigned>(-1))
            return true;
        pos = end + 1;
    }
}

unsigned OpenRegPath(HKEY &current, const char *path, REGSAM access, TRegKeyStack &stack)
{
    stack.Clear();
    if (!ValidRegPath(path))
        return ERROR_INVALID_PARAMETER;
    const unsigned len = static_cast<unsigned>(strlen(path));
    unsigned pos = 0;
    bool first = true;
    for (;;) {
        unsigned end = pos < len ? FindSubStr(path, "\\", pos) : static_cast<unsigned>(-1);
        TStr comp;
        comp.Assign(path + pos, (end == static_cast<unsigned>(-1) ? len : end) - pos);
        if (first) {
            for (const auto &root : RegRoots)
                if (strcmp(comp.CStr(), root.name) == 0)
                    current = root.key;
            // An unknown root leaves current as the caller passed it (null), and opening a subkey
            // of no key fails with the invalid-handle error: report that at once, also for a
            // path that is an unknown root alone.
            if (!current)
                return ERROR_INVALID_HANDLE;
            first = false;
        } else {
            HKEY sub = nullptr;
            LONG rc = RegOpenKeyExA(current, comp.CStr(), 0, access, &sub);
            if (rc != ERROR_SUCCESS) {
                if (!(access & KEY_CREATE_SUB_KEY)) {
                    stack.Clear();
                    return static_cast<unsigned>(rc);
                }
                char noClass[] = "";
                rc = RegCreateKeyExA(current, comp.CStr(), 0, noClass, 0, access, nullptr, &sub, nullptr);
                if (rc != ERROR_SUCCESS) {
                    stack.Clear();
                    return static_cast<unsigned>(rc);
                }
            }
            stack.Push(new TRegKey(sub));
            current = sub;
        }
        if (end == static_cast<unsigned>(-1))
            return 0;
        pos = end + 1;
    }
}

TStr GetRegVal(const char *path)
{
    TStr text, keyPath, valName;
    TRegKeyStack keys;
    HKEY key = nullptr;
    unsigned rc = SplitValPath(path, keyPath, valName);
    if (rc == 0)
        rc = OpenRegPath(key, keyPath.CStr(), KEY_QUERY_VALUE, keys);
    if (rc == 0) {
        DWORD type = 0, size = 0;
        rc = static_cast<unsigned>(RegQueryValueExA(key, valName.CStr(), nullptr, &type, nullptr, &size));
        if (rc == 0 && type != REG_SZ && type != REG_EXPAND_SZ && type != REG_BINARY && type != REG_DWORD &&
            type != REG_MULTI_SZ)
            rc = ERROR_INVALID_PARAMETER;
        if (rc == 0) {
            // One zero byte more than the value holds, so a text stored without its terminator
            // still ends inside the buffer.
            TCharBuf buf(size + 1);
            char *data = static_cast<char *>(buf.Data());
            memset(data, 0, size + 1);
            rc = static_cast<unsigned>(
                RegQueryValueExA(key, valName.CStr(), nullptr, &type, reinterpret_cast<LPBYTE>(data), &size));
            if (rc == 0) {
                if (type == REG_DWORD) {
                    DWORD value = 0;
                    memcpy(&value, data, size < sizeof value ? size : sizeof value);
                    text = TStr(static_cast<unsigned>(value), NumDec);
                } else {
                    text = data;
                }
            }
        }
    }
    ProcessLog().Write(EvtRegRead, "GetRegVal(\"%s\") end (val=\"%s\",rc=%u).", path, text.CStr(), rc);
    return text;
}

unsigned GetRegVal(const char *path, void *buffer, DWORD &size)
{
    TStr keyPath, valName;
    TRegKeyStack keys;
    HKEY key = nullptr;
    unsigned rc = SplitValPath(path, keyPath, valName);
    if (rc == 0)
        rc = OpenRegPath(key, keyPath.CStr(), KEY_QUERY_VALUE, keys);
    if (rc != 0)
        return rc;
    rc = static_cast<unsigned>(RegQueryValueExA(key, valName.CStr(), nullptr, nullptr, static_cast<LPBYTE>(buffer), &size));
    ProcessLog().Write(EvtRegRead, "GetRegVal(\"%s\") end (rc=%u).", path, rc);
    return rc;
}

unsigned SetRegVal(const char *path, DWORD type, const void *data, DWORD size)
{
    TStr keyPath, valName;
    TRegKeyStack keys;
    HKEY key = nullptr;
    unsigned rc = SplitValPath(path, keyPath, valName);
    if (rc == 0 && keyPath.Length() > RegNameMax)
        rc = ERROR_INVALID_PARAMETER;
    if (rc == 0)
        rc = OpenRegPath(key, keyPath.CStr(), KEY_SET_VALUE | KEY_CREATE_SUB_KEY, keys);
    if (rc == 0) {
        DWORD count = IsTextType(type) ? size + 1 : size;
        rc = static_cast<unsigned>(RegSetValueExA(key, valName.CStr(), 0, type, static_cast<const BYTE *>(data), count));
    }
    ProcessLog().Write(EvtRegWrite, "SetRegVal(nm=\"%s\",tp=\"%u\") end (rc=%u).", path, static_cast<unsigned>(type), rc);
    return rc;
}

unsigned SetRegVal(const char *path, const char *text)
{
    unsigned rc = SetRegVal(path, REG_SZ, text, static_cast<DWORD>(strlen(text)));
    ProcessLog().Write(EvtRegWrite, "SetRegVal(nm=\"%s\",val=\"%s\") end (rc=%u).", path, text, rc);
    return rc;
}

static_assert(sizeof(WINDOWPLACEMENT) == 44, "the stored placement record is 44 bytes");

unsigned TWndPlacement::Save()
{
    WINDOWPLACEMENT wp;
    memset(&wp, 0, sizeof wp);
    wp.length = sizeof wp;
    GetWindowPlacement(window->GetHwnd(), &wp);
    return SetRegVal((key + "\\Placement").CStr(), REG_BINARY, &wp, sizeof wp);
}

unsigned TWndPlacement::Restore()
{
    WINDOWPLACEMENT wp;
    memset(&wp, 0, sizeof wp);
    wp.length = sizeof wp;
    DWORD size = sizeof wp;
    unsigned rc = GetRegVal((key + "\\Placement").CStr(), &wp, size);
    // A shorter record (never written by this program) would leave part of the placement unset;
    // it is ignored like a missing one.
    if (rc == 0 && size != sizeof wp)
        rc = ERROR_INVALID_DATA;
    if (rc == 0) {
        ShowWindow(window->GetHwnd(), SW_SHOWNORMAL);
        SetWindowPlacement(window->GetHwnd(), &wp);
    }
    return rc;
}
