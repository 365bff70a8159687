// The send dialog of qzsendw (Windows build only): target with history, message, sender choice,
// Send, Send && Close and Close; prefilled from the command line, placement kept in the registry.
#pragma once

#include "Gui/Reg.h"
#include "Gui/Wnd.h"

// The registry key under which the dialog keeps its history and placement.
inline constexpr char DSendKey[] = "HKEY_CURRENT_USER\\Software\\QZ Software\\qzsend\\DSend";

class DSend : public TDlg
{
public:
    DSend();
    ~DSend() override;

    INT_PTR OnInitDialog() override;
    INT_PTR OnCommand(unsigned code, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnF1Help(LPARAM lParam) override;

    void LoadHistory();
    void SaveHistory();
    void AddToHistory(const TStr &target);
    void InitSenderChoices();
    void ApplyCommandLine();
    void EnableControls(bool enable);
    // Sends to the target (or the list file) of the dialog; 0 on success. Failures are shown.
    unsigned Send();
    void SendAndClose();
    // Saves placement and history and ends the message loop with the exit code.
    void CloseDialog(int exitCode);
    void ShowHelp();
    // Word n of the process command line (word 0 is the program as written).
    static TStr GetCmdArg(unsigned n);

private:
    TWndPlacement placement;
};
