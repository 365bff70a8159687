// Resource and control ids of qzsendw, shared by its resource script and the send dialog.
#pragma once

#define IDD_SEND 101
#define IDA_SEND 103
#define IDI_QZSENDW 104

#define IDS_SENDERROR 1
#define IDS_LISTPREFIX 2

#define IDC_FROMPC 1001
#define IDC_FROMUSER 1002
#define IDC_FROMTEXT 1003
#define IDC_SENDER 1004
#define IDC_MESSAGE 1005
#define IDC_TARGET 1006
#define IDC_SENDCLOSE 1007
#define IDC_SEND 1009

#define IDM_FOCUSTARGET 40002
#define IDM_FOCUSMESSAGE 40003
