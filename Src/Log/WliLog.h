// TWliLog: a TLog whose ".wli" configuration file and log file lie next to the executable, with
// its base name (for qzsend.exe: qzsend.wli and qzsend.log). The parameters come from the
// ".wli" file, read at start and by LoadPrms.
#pragma once

#include "Log/Log.h"

class TWliLog : public TLog
{
public:
    TWliLog();

    // Reads the ".wli" file into the parameters under the log lock: the section format, or the
    // line format when that fails. 0 or the error of the lock wait or of reading the file.
    virtual unsigned LoadPrms();
    // Loads the parameters, then runs the TLog start under the lock.
    unsigned Start() override;

    const TStr &WliPath() const { return wliPath; }
    int PrmsRd() const { return prmsRd; }
    // Sets the re-read period in seconds; 0 is refused with 87.
    unsigned SetPrmsRd(int sec);

protected:
    // Tests place the files elsewhere; the paths are otherwise fixed at construction.
    void SetPaths(const char *wli, const char *log);

private:
    TStr wliPath;
    int prmsRd;
};
