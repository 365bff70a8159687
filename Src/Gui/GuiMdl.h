// The module wrapper as the GUI program uses it: WTMdl plus loading the program's icons at the
// sizes the system uses for big and small icons (Windows build only).
#pragma once

#include "Sys/Mdl.h"

class WTGuiMdl : public WTMdl
{
public:
    explicit WTGuiMdl(HINSTANCE instance) : WTMdl(instance) {}
    ~WTGuiMdl() override {}

    // Icon resource id at the large-icon size (SM_CXICON x SM_CYICON); null on failure.
    HICON LoadBigIcon(WORD id, UINT flags) const { return Load(id, SM_CXICON, SM_CYICON, flags); }
    // The same at the small-icon size (SM_CXSMICON x SM_CYSMICON).
    HICON LoadSmallIcon(WORD id, UINT flags) const { return Load(id, SM_CXSMICON, SM_CYSMICON, flags); }

private:
    HICON Load(WORD id, int cxMetric, int cyMetric, UINT flags) const
    {
        return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, GetSystemMetrics(cxMetric),
                                             GetSystemMetrics(cyMetric), flags));
    }
};
