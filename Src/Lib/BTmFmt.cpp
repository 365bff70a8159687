// TBTm::Format: a time value as text by a pattern of the locale's date and time pictures and
// the milliseconds tokens.
//
// The pattern is split here into date pictures (d M y g), time pictures (h H m s t),
// milliseconds tokens (i) and literal text (quoted text, '' and every other character). The
// date pictures go to the locale's date formatting in one call, so that pictures that depend
// on each other (a month name next to a day number takes the genitive form in some languages)
// see each other; every other token stands there as a marker byte that the formatter copies.
// The time pictures go to the time formatting in one call, separated by the same marker. The
// result is then put together token by token. Thus text produced by one picture (a day name
// with an "s" or "i" in it, an AM/PM designator with an "M") is never read again as a picture,
// and literal text stays literal.
#include "Lib/BTm.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Stands for each non-date token in the date picture and between the time pictures: a control
// character, which the formatters copy and no locale name contains.
const char Marker = '\x01';

enum TFmtTok { TokLit, TokTime, TokMs };

struct TFmtHole {
    TFmtTok kind;
    std::string text;  // TokLit: the literal text
    size_t count;      // TokMs: how many i in a row
};

// Runs one of the locale formatters with a buffer sized by a first call. False when the
// formatter rejects the picture or the value.
template <typename TFormatter>
bool RunFormatter(TFormatter formatter, LCID locale, const SYSTEMTIME &st, const std::string &pic, std::string &out)
{
    int need = formatter(locale, 0, &st, pic.c_str(), NULL, 0);
    if (need <= 0)
        return false;
    std::vector<char> buf((size_t)need);
    int got = formatter(locale, 0, &st, pic.c_str(), buf.data(), need);
    if (got <= 0)
        return false;
    out.assign(buf.data());
    return true;
}

} // namespace

TStr TBTm::Format(const char *pattern, LCID locale) const
{
    TStr result;
    if (!IsValid() || !pattern)
        return result;
    SYSTEMTIME st = ToSystemTime();

    std::string datePic, timePic, lit;
    std::vector<TFmtHole> holes;
    bool anyDate = false;
    auto flushLit = [&]() {
        if (!lit.empty()) {
            holes.push_back(TFmtHole{TokLit, lit, 0});
            datePic += Marker;
            lit.clear();
        }
    };
    bool quoted = false;
    for (const char *p = pattern; *p;) {
        if (*p == '\'') {
            if (p[1] == '\'') {
                lit += '\'';
                p += 2;
            } else {
                quoted = !quoted;
                ++p;
            }
            continue;
        }
        if (quoted) {
            lit += *p++;
            continue;
        }
        char c = *p;
        size_t n = 1;
        while (p[n] == c)
            ++n;
        if (strchr("dMyg", c)) {
            flushLit();
            datePic.append(p, n);
            anyDate = true;
        } else if (strchr("hHmst", c)) {
            flushLit();
            if (!timePic.empty())
                timePic += Marker;
            timePic.append(p, n);
            holes.push_back(TFmtHole{TokTime, std::string(), 0});
            datePic += Marker;
        } else if (c == 'i') {
            flushLit();
            holes.push_back(TFmtHole{TokMs, std::string(), n});
            datePic += Marker;
        } else {
            lit.append(p, n);
        }
        p += n;
    }
    flushLit();

    std::string dateText = datePic;
    if (anyDate && !RunFormatter(GetDateFormatA, locale, st, datePic, dateText))
        return result;
    std::vector<std::string> timeParts;
    if (!timePic.empty()) {
        std::string timeText;
        if (!RunFormatter(GetTimeFormatA, locale, st, timePic, timeText))
            return result;
        size_t from = 0;
        for (size_t at; (at = timeText.find(Marker, from)) != std::string::npos; from = at + 1)
            timeParts.push_back(timeText.substr(from, at - from));
        timeParts.push_back(timeText.substr(from));
    }

    char three[8], plain[8];
    snprintf(three, sizeof three, "%03u", (unsigned)st.wMilliseconds);
    snprintf(plain, sizeof plain, "%u", (unsigned)st.wMilliseconds);
    std::string text;
    size_t hole = 0, timePart = 0;
    for (char c : dateText) {
        if (c != Marker) {
            text += c;
            continue;
        }
        // A formatter that dropped or added markers has not kept to the picture rules.
        if (hole >= holes.size())
            return result;
        const TFmtHole &h = holes[hole++];
        switch (h.kind) {
        case TokLit:
            text += h.text;
            break;
        case TokTime:
            if (timePart >= timeParts.size())
                return result;
            text += timeParts[timePart++];
            break;
        case TokMs:
            for (size_t k = 0; k < h.count / 2; ++k)
                text += three;
            if (h.count % 2)
                text += plain;
            break;
        }
    }
    if (hole != holes.size())
        return result;
    result.Assign(text.c_str(), (unsigned)text.size());
    return result;
}
