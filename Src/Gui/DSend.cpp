// The send dialog: start-up (history, sender choices, command-line prefill, placement), the
// commands, sending to one target or a list file, the history and the help page.
#include "Gui/DSend.h"

#include "Gui/SendPlan.h"
#include "Lib/Res.h"
#include "Net/NetSend.h"
#include "Sys/Mdl.h"
#include "qzsendw-res.h"

#include <cstring>
#include <initializer_list>

namespace {

// The combo box of targets as the history logic sees it.
class TComboHist : public THistList
{
public:
    explicit TComboHist(TDlg &d) : dlg(d) {}

    int Count() override
    {
        LRESULT n = dlg.SendItemMsg(IDC_TARGET, CB_GETCOUNT, 0, 0);
        return n == CB_ERR ? 0 : static_cast<int>(n);
    }
    int FindExact(const TStr &text) override
    {
        // CB_FINDSTRINGEXACT ignores case; starting "after" -1 searches the whole list.
        LRESULT i = dlg.SendItemMsg(IDC_TARGET, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(text.CStr()));
        return i == CB_ERR ? -1 : static_cast<int>(i);
    }
    void Delete(int index) override { dlg.SendItemMsg(IDC_TARGET, CB_DELETESTRING, static_cast<WPARAM>(index), 0); }
    void Insert(int index, const TStr &text) override
    {
        dlg.SendItemMsg(IDC_TARGET, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.CStr()));
    }
    void Select(int index) override { dlg.SendItemMsg(IDC_TARGET, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

private:
    TDlg &dlg;
};

TStr HistValue(int index)
{
    TStr path(DSendKey);
    path.Append("\\TargetName");
    path.Append(TStr(static_cast<unsigned>(index), NumDec));
    return path;
}

} // namespace

DSend::DSend() : TDlg(IDD_SEND), placement(DSendKey)
{
    placement.SetWnd(this);
}

DSend::~DSend() {}

INT_PTR DSend::OnInitDialog()
{
    LoadHistory();
    InitSenderChoices();
    ApplyCommandLine();
    placement.Restore();
    return 0;
}

void DSend::LoadHistory()
{
    TComboHist hist(*this);
    // Entries go to the end of what is there, which is position i when every earlier value
    // exists; a gap (a value deleted by hand) would otherwise make the insert fail and lose the
    // rest of the history. A target stored twice is shown once.
    for (int i = 0; i < HistMax; ++i)
        HistLoadEntry(hist, GetRegVal(HistValue(i).CStr()));
    hist.Select(0);
}

void DSend::SaveHistory()
{
    TComboHist hist(*this);
    const int count = hist.Count();
    for (int i = 0; i < count; ++i) {
        // The entry is read at its full length: a longer entry (from the command line or the
        // registry) is saved whole instead of overrunning a fixed buffer.
        LRESULT len = SendItemMsg(IDC_TARGET, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (len == CB_ERR)
            continue;
        TCharBuf buf(static_cast<unsigned>(len) + 1);
        if (SendItemMsg(IDC_TARGET, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.Data())) == CB_ERR)
            continue;
        buf.Data()[len] = 0;
        SetRegVal(HistValue(i).CStr(), buf.Data());
    }
}

void DSend::AddToHistory(const TStr &target)
{
    TComboHist hist(*this);
    HistAdd(hist, target);
}

void DSend::InitSenderChoices()
{
    const struct
    {
        int id;
        TStr name;
    } radios[] = {{IDC_FROMPC, ComputerName()}, {IDC_FROMUSER, UserName()}};
    for (const auto &radio : radios) {
        TStr pattern = GetItemText(radio.id), caption;
        caption.Format(pattern.CStr(), radio.name.CStr());
        SetItemText(radio.id, caption.CStr());
    }
    SendItemMsg(IDC_SENDER, EM_LIMITTEXT, 15, 0);
    CheckRadioButton(hwnd, IDC_FROMPC, IDC_FROMTEXT, IDC_FROMPC);
}

TStr DSend::GetCmdArg(unsigned n)
{
    return CmdLnWord(GetCommandLineA(), n);
}

void DSend::ApplyCommandLine()
{
    TPrefill plan;
    PlanPrefill(GetCommandLineA(), WTMdl(hinst).LoadStr(IDS_LISTPREFIX), plan);
    if (plan.setTarget)
        SetItemText(IDC_TARGET, plan.targetText.CStr());
    CheckRadioButton(hwnd, IDC_FROMPC, IDC_FROMTEXT, IDC_FROMPC + plan.senderKind);
    SetItemText(IDC_SENDER, plan.senderText.CStr());
    EnableItem(IDC_SENDER, plan.senderKind == 2);
    if (plan.setMessage)
        SetItemText(IDC_MESSAGE, EditText(plan.message).CStr());
    if (plan.focusMessage) {
        FocusItem(IDC_MESSAGE);
        SendItemMsg(IDC_MESSAGE, EM_SETSEL, 0, -1);
    } else {
        FocusItem(IDC_TARGET);
    }
}

INT_PTR DSend::OnCommand(unsigned, WPARAM wParam, LPARAM)
{
    const int id = LOWORD(wParam);
    switch (id) {
    case IDCANCEL:
        CloseDialog(0);
        return 1;
    case IDC_FROMPC:
    case IDC_FROMUSER:
    case IDC_FROMTEXT:
        CheckRadioButton(hwnd, IDC_FROMPC, IDC_FROMTEXT, id);
        EnableItem(IDC_SENDER, id == IDC_FROMTEXT);
        return 1;
    case IDC_SENDCLOSE:
        SendAndClose();
        return 1;
    case IDC_SEND:
        Send();
        return 1;
    case IDM_FOCUSTARGET:
        FocusItem(IDC_TARGET);
        return 1;
    case IDM_FOCUSMESSAGE:
        FocusItem(IDC_MESSAGE);
        return 1;
    default:
        return 0;
    }
}

INT_PTR DSend::OnF1Help(LPARAM)
{
    ShowHelp();
    return 1;
}

void DSend::EnableControls(bool enable)
{
    for (int id : {IDC_TARGET, IDC_MESSAGE, IDC_FROMPC, IDC_FROMUSER, IDC_FROMTEXT})
        EnableItem(id, enable);
    EnableItem(IDC_SENDER, enable && IsItemChecked(IDC_FROMTEXT) == BST_CHECKED);
    for (int id : {IDCANCEL, IDC_SEND, IDC_SENDCLOSE})
        EnableItem(id, enable);
}

unsigned DSend::Send()
{
    // Disabling the controls takes the focus away; it is given back afterwards so that the user
    // can type on where they were.
    HWND focus = GetFocus();
    EnableControls(false);

    TRes res;
    TStr target = GetItemText(IDC_TARGET);
    target.Trim();
    WTMdl mdl(hinst);
    try {
        TStr sender;
        if (IsItemChecked(IDC_FROMPC) == BST_CHECKED)
            sender = ComputerName();
        else if (IsItemChecked(IDC_FROMUSER) == BST_CHECKED)
            sender = UserName();
        else if (IsItemChecked(IDC_FROMTEXT) == BST_CHECKED)
            sender = GetItemText(IDC_SENDER);
        TStr msg = GetItemText(IDC_MESSAGE);
        msg.TrimRight();

        TStr file;
        if (IsListTarget(target, mdl.LoadStr(IDS_LISTPREFIX), file)) {
            TArray<TStr> names;
            TArray<unsigned long> codes;
            unsigned rc = NetSendToList(file, sender, msg, &names, &codes);
            if (rc == 0) {
                TStr report;
                for (unsigned i = 0; i < names.Count() && i < codes.Count(); ++i)
                    if (codes.Items()[i] != 0) {
                        report.Append(names.Items()[i]);
                        report.Append(":");
                        report.Append(ErrorText(static_cast<unsigned>(codes.Items()[i])));
                        report.Append("\r\n");
                    }
                if (report.Length() > 0)
                    MessageBoxA(hwnd, report.CStr(), mdl.LoadStr(IDS_SENDERROR).CStr(), MB_ICONERROR | MB_OK);
            }
            res.Set(rc);
        } else {
            res.Set(NetSend(target, sender, msg));
        }
    } catch (...) {
        // The dialog must not stay disabled when something below throws; the dialog procedure
        // reports the exception.
        EnableControls(true);
        throw;
    }

    EnableControls(true);
    if (focus && IsChild(hwnd, focus))
        SetFocus(focus);
    if (res.IsOk())
        AddToHistory(target);
    else
        MessageBoxA(hwnd, res.Text().CStr(), mdl.LoadStr(IDS_SENDERROR).CStr(), MB_ICONERROR | MB_OK);
    return res.Code();
}

void DSend::SendAndClose()
{
    placement.Save();
    if (Send() == 0)
        CloseDialog(0);
}

void DSend::CloseDialog(int exitCode)
{
    placement.Save();
    SaveHistory();
    PostQuitMessage(exitCode);
}

void DSend::ShowHelp()
{
    // The page is looked for in the current directory; when it is not there, next to the
    // program, where the package puts it. It is shown in a normal window.
    const char page[] = "qzsend-help.htm";
    if (GetFileAttributesA(page) == INVALID_FILE_ATTRIBUTES) {
        char exe[MAX_PATH + 1] = {0};
        DWORD len = GetModuleFileNameA(nullptr, exe, MAX_PATH);
        char *slash = len > 0 && len < MAX_PATH ? strrchr(exe, '\\') : nullptr;
        if (slash && static_cast<size_t>(slash - exe) + sizeof page < sizeof exe) {
            strcpy(slash + 1, page);
            if (GetFileAttributesA(exe) != INVALID_FILE_ATTRIBUTES) {
                ShellExecuteA(GetDesktopWindow(), nullptr, exe, nullptr, "", SW_SHOWNORMAL);
                return;
            }
        }
    }
    ShellExecuteA(GetDesktopWindow(), nullptr, page, nullptr, "", SW_SHOWNORMAL);
}
