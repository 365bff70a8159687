// Loaders of the ".wli" file into the log's parameters. TLogPrmsLdr2 reads the section format;
// TLogPrmsLdr reads the older line format ("+TYP" selects a type pattern, "!IMM" writes every
// line at once) and is tried only when the section loader fails. Both start from the defaults.
#pragma once

class TWliLog;
class TLogIni;

class TLogPrmsLdr
{
public:
    explicit TLogPrmsLdr(TWliLog *log) : log(log) {}
    virtual ~TLogPrmsLdr() {}
    // Line format. 0, or the Windows error of the open or read.
    virtual unsigned Load();

protected:
    TWliLog *log;
};

class TLogPrmsLdr2 : public TLogPrmsLdr
{
public:
    explicit TLogPrmsLdr2(TWliLog *log) : TLogPrmsLdr(log) {}
    // Section format. 0, or the Windows error of the open or read; ERROR_BAD_FORMAT for a
    // non-empty file without any section header, which is then read in the line format.
    unsigned Load() override;

private:
    void Apply(const TLogIni &ini);
};

// The decimal conversion of the numeric keys: leading blanks skipped, an optional sign, the
// digits up to the first other character. *digits (if given) tells whether any digit was seen.
// Values beyond the 32-bit range saturate.
int LogStrToInt(const char *s, bool *digits = nullptr);
