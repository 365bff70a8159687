// The log's parameter record and its defaults.
#include "Log/LogPrms.h"

TLogPrms::TLogPrms() : pid(true), tid(true), strtMd(LogAppend), flshSec(60), flshLns(100)
{
    SetDefaults();
}

void TLogPrms::SetDefaults()
{
    tmFrmt = "dd.MM.yyyy HH:mm:ss.ii";
    pid = true;
    tid = true;
    strtMd = LogAppend;
    flshSec = 60;
    flshLns = 100;
    evtTps.Clear();
}
