#include "analysis/recognisers.h"

#include <cstring>
#include <initializer_list>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "context/statement_codes.h"
#include "policies/fc.h"

namespace {

// ---------------------------------------------------------------------------
// Helpers

bool Holds(const TextString& text, const char* what) { return text.Find(0, what, nullptr, 0); }

bool HoldsChar(const TextString& text, char c) { return text.FindChar(0, c, nullptr, 1); }

// Where the text ends (its first NUL byte, else its length), and whether
// '(', '=' or '/' stands before that end: the bytes the quick code-line
// test needs, in one pass.
int TextEndAndPunctuation(const char* bytes, int n, bool& punctuation) {
    punctuation = false;
#if defined(__SSE2__)
    const __m128i nul = _mm_setzero_si128(), open = _mm_set1_epi8('('), equals = _mm_set1_epi8('='),
                  slash = _mm_set1_epi8('/');
    unsigned seen = 0;  // whether any of the three came before the end
    // The masks of sixteen bytes; true when the text ends among them.
    auto block = [&](const __m128i v, unsigned valid, int at, int& end) {
        const unsigned zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, nul))) & valid;
        unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, open), _mm_cmpeq_epi8(v, equals)), _mm_cmpeq_epi8(v, slash))));
        hits &= valid;
        if (zeros) {
            const int first = __builtin_ctz(zeros);
            seen |= hits & ((1u << first) - 1);
            end = at + first;
            return true;
        }
        seen |= hits;
        return false;
    };
    int end = n;
    int i = 0;
    bool ended = false;
    for (; i + 16 <= n && !ended; i += 16)
        ended = block(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)), 0xFFFFu, i, end);
    if (!ended && i < n) {
        const int rest = n - i;
        if (n >= 16) {
            // The last sixteen bytes; those before `i` were looked at.
            const int skip = 16 - rest;
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + n - 16));
            int blockEnd = n;
            if (block(v, (0xFFFFu << skip) & 0xFFFFu, n - 16, blockEnd)) end = blockEnd;
        } else {
            char tail[16] = {};
            std::memcpy(tail, bytes + i, static_cast<size_t>(rest));
            int blockEnd = n;
            if (block(_mm_loadu_si128(reinterpret_cast<const __m128i*>(tail)), (1u << rest) - 1, i, blockEnd))
                end = blockEnd;
        }
    }
    punctuation = seen != 0;
    return end;
#else
    int end = 0;
    while (end < n && bytes[end] != '\0') {
        const char c = bytes[end];
        if (c == '(' || c == '=' || c == '/') punctuation = true;
        ++end;
    }
    return end;
#endif
}

bool EndsWith(const TextString& text, const char* suffix) {
    int n = static_cast<int>(std::strlen(suffix));
    if (n == 0 || text.length < n) return false;
    return CompareTextN(text.buffer + text.length - n, suffix, n, 1) == 0;
}

// Position of the n-th (1-based) occurrence of c, or -1.
int FindNth(const TextString& text, char c, int n) {
    for (int i = 0; i < text.length; ++i)
        if (text.buffer[i] == c && --n == 0) return i;
    return -1;
}

// Keeps the text between the first and the second occurrence of c (to the
// end when there is no second one).
void KeepBetweenFirstAndSecond(TextString& text, char c) {
    int first = FindNth(text, c, 1);
    if (first < 0) return;
    int second = FindNth(text, c, 2);
    int end = second < 0 ? text.length : second;
    text.SubString(first + 1, end - first - 1);
}

// Reads an all-digit text in the given base.  Values beyond `limit` give
// limit + 1, so that no text can overflow.  False for an empty text or a
// character that is no digit of the base.
bool ReadDigits(const char* text, int length, int base, int64_t limit, int64_t& value) {
    value = 0;
    if (length <= 0) return false;
    for (int i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (!IsAsciiDigit(c) || c - '0' >= base) return false;
        if (value <= limit) value = value * base + (c - '0');
    }
    if (value > limit) value = limit + 1;
    return true;
}

void AppendDottedAddress(TextString& out, const int64_t (&bytes)[4]) {
    out.MakeEmpty();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) out.AppendChar('.');
        out.AppendNumber('1', static_cast<int>(bytes[i]), 0);
    }
}

bool IsHostCharacter(unsigned char c) {
    return c == '-' || c == '.' || c == '/' || c == ':' || c == '_' || IsAsciiAlnum(c);
}

// A dotted address of four parts, each 0-255; a part with a leading '0' is
// octal and marks the address as rewritten.
bool ReadDottedAddress(const TextString& text, int64_t (&bytes)[4], int& octal) {
    octal = 0;
    int start = 0;
    for (int part = 0; part < 4; ++part) {
        int end = start;
        while (end < text.length && text.buffer[end] != '.') ++end;
        const char* digits = text.buffer + start;
        int length = end - start;
        int base = 10;
        if (length > 0 && digits[0] == '0') {
            base = 8;
            octal = 1;
        }
        if (!ReadDigits(digits, length, base, 255, bytes[part]) || bytes[part] > 255) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Domain lists

const TextString& GetGenericDomainList() {
    static const TextString list = [] {
        TextString text(".arpa.com.edu.gov.int.mil.net.org.firm");
        text.Append(".shop.web.arts.rec");
        text.Append(".info.nom.biz.name.pro.museum.coop.aero");
        text.Append(".");
        return text;
    }();
    return list;
}

const TextString& GetCountryDomainList() {
    static const TextString list = [] {
        static const char* const kPieces[12] = {
            ".ac.ad.ae.af.ag.ai.al.am.an.ao.aq.ar.as.at.au.aw.az.ba.bb.be",
            ".bf.bg.bh.bi.bj.bm.bn.bo.br.bs.bt.bv.bw.by.bz.ca.cc.cd.cf.cg",
            ".ch.ci.ck.cl.cm.cn.co.cr.cu.cv.cx.cy.cz.de.dj.dk.dm.do.dz.ec",
            ".ee.eg.er.es.et.fi.fj.fk.fm.fo.fr.gb.gd.ge.gf.gg.gh.gi.gl.gm",
            ".gn.gp.gq.gr.gs.gt.gu.gw.gy.hk.hm.hn.hr.ht.hu.id.ie.il.im.in",
            ".io.iq.ir.is.it.je.jm.jo.jp.ke.kg.kh.ki.kn.kr.kw.ky.kz.la.lb",
            ".lc.li.lk.lr.ls.lt.lu.lv.ly.ma.mc.md.mg.mh.mk.ml.mm.mn.mo.mp",
            ".mq.mr.ms.mt.mu.mv.mw.mx.my.mz.na.nc.ne.nf.ng.ni.nl.no.np.nu",
            ".nz.om.pa.pe.pf.pg.ph.pk.pl.pm.pn.pr.pt.pw.py.qa.re.ro.ru.rw",
            ".sa.sb.sc.sd.se.sg.sh.si.sj.sk.sl.sm.sn.so.sr.st.su.sv.sy.sz",
            ".tc.td.tf.tg.th.tj.tk.tm.tn.to.tp.tr.tt.tv.tw.tz.ua.ug.uk.um",
            ".us.uy.uz.va.vc.ve.vg.vi.vn.vu.wf.ws.ye.yt.yu.za.zm.zr.zw",
        };
        TextString text;
        for (const char* piece : kPieces) text.Append(piece);
        text.Append(".");
        return text;
    }();
    return list;
}

const char* GetSecondLevelLabels() { return ".ac.co.or.ltd."; }

bool IsTopLevelDomainLabel(const char* label, int length) {
    if (!label || length <= 0) return false;
    // A label holding a dot could match across two list entries.
    if (std::memchr(label, '.', static_cast<size_t>(length))) return false;
    TextString framed(".");
    framed.AppendBytes(label, length);
    framed.AppendChar('.');
    return GetGenericDomainList().Find(0, framed.buffer, nullptr, 0) ||
           GetCountryDomainList().Find(0, framed.buffer, nullptr, 0);
}

// ---------------------------------------------------------------------------
// Host names and numeric addresses

bool FormatNumericAddress(int64_t number, TextString& text) {
    // Only numbers below 2^32 are addresses; larger ones are not folded back
    // onto the address space.
    constexpr int64_t kTwo24 = int64_t{1} << 24;
    constexpr int64_t kTwo32 = int64_t{1} << 32;
    if (number < 0 || number >= kTwo32) return false;
    int64_t first = number / kTwo24;
    if (first <= 0) return false;
    int64_t rest = number - first * kTwo24;
    int64_t bytes[4] = {first, rest >> 16, (rest >> 8) & 0xFF, rest & 0xFF};
    AppendDottedAddress(text, bytes);
    return true;
}

bool IsDomainName(const char* word, int length, int mode, TextString& host, int& rewritten) {
    rewritten = 0;
    if (!word || length < 0) length = 0;
    host.AssignChars(word ? word : "", length);
    if (length <= 4) return false;

    // Cut the working copy down to the host part.
    TextString work(host);
    if (mode >= kDomainWeb && mode <= kDomainFtp && work.CountChar('@') == 1) {
        int at = FindNth(work, '@', 1);
        work.SubString(at + 1, work.length - at - 1);
    }
    if (HoldsChar(work, '/')) {
        if (work.Find(0, "://", nullptr, 1)) {
            int second = FindNth(work, '/', 2);
            int third = FindNth(work, '/', 3);
            int end = third < 0 ? work.length : third;
            work.SubString(second + 1, end - second - 1);
        } else {
            work.SubString(0, FindNth(work, '/', 1));
        }
    }
    if (HoldsChar(work, '?')) work.SubString(0, FindNth(work, '?', 1));
    if (HoldsChar(work, ':')) {
        if (Holds(work, "mailto:") || Holds(work, "URL:") || Holds(work, "Email:"))
            KeepBetweenFirstAndSecond(work, ':');
        else
            work.SubString(0, FindNth(work, ':', 1));
    }
    if (HoldsChar(work, '"')) KeepBetweenFirstAndSecond(work, '"');
    if (work.length == 0) return false;

    if (HoldsChar(work, '%')) {
        host.DecodeURLEscapes();
        work.DecodeURLEscapes();
        rewritten = 1;
    }

    // Bytes above 127 at the end (a closing quote mark of a word processor,
    // say) are not part of the host.
    while (work.length > 0 && static_cast<unsigned char>(work.buffer[work.length - 1]) > 127)
        work.SubString(0, work.length - 1);
    if (work.length == 0) return false;
    for (int i = 0; i < work.length; ++i)
        if (!IsHostCharacter(static_cast<unsigned char>(work.buffer[i]))) return false;

    int dots = work.CountChar('.');
    if (dots == 0) {
        // One decimal number may be an address written as a single value.
        int64_t value = 0;
        if (!ReadDigits(work.buffer, work.length, 10, int64_t{1} << 32, value)) return false;
        TextString dotted;
        if (!FormatNumericAddress(value, dotted)) return false;
        host = dotted;
        return true;
    }

    // A name: the label before the last must not be empty, the last one must
    // be a known top-level domain.
    int lastDot = work.length - 1;
    while (work.buffer[lastDot] != '.') --lastDot;
    int previousDot = lastDot - 1;
    while (previousDot >= 0 && work.buffer[previousDot] != '.') --previousDot;
    if (lastDot - previousDot - 1 <= 0) return false;
    if (IsTopLevelDomainLabel(work.buffer + lastDot + 1, work.length - lastDot - 1)) return true;

    // A dotted numeric address.
    if (work.length < 20 && dots == 3) {
        int64_t bytes[4] = {0, 0, 0, 0};
        int octal = 0;
        if (!ReadDottedAddress(work, bytes, octal)) return false;
        if (octal) {
            rewritten = 1;
            AppendDottedAddress(host, bytes);
        }
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Lines

bool IsCodeLine(const TextString& line, int extended) { return IsCodeLine(line.view(), extended); }

bool IsCodeLine(std::string_view line, int extended) {
    int textEnd = 0;
    {
        // Most lines show at once that they are no code: without the
        // extended tests only a line that ends in ';', '{', '}' or ':',
        // begins with '#', or holds '(', '=' or '/' can be.  Looked at in
        // place (up to a NUL byte, as a copy would end), without blanks and
        // tabs at either end.
        // One pass finds the end of the text and whether '(', '=' or '/'
        // stands before it; the blanks and tabs cut from the ends hold
        // none of them.
        bool punctuation = false;
        textEnd = TextEndAndPunctuation(line.data(), static_cast<int>(line.size()), punctuation);
        const char* begin = line.data();
        const char* end = begin + textEnd;
        while (begin < end && IsBlankOrTab(*begin)) ++begin;
        while (end > begin && IsBlankOrTab(end[-1])) --end;
        if (begin == end) return false;
        const char last = end[-1];
        if (!extended && last != ';' && last != '{' && last != '}' && last != ':' && *begin != '#' && !punctuation)
            return false;
    }
    TextString text(line.substr(0, static_cast<size_t>(textEnd)));
    text.Trim(0, " ");
    if (text.length == 0) return false;
    const int n = text.length;
    const char last = text.buffer[n - 1];
    const bool hasEquals = HoldsChar(text, '=');
    const bool hasStar = HoldsChar(text, '*');
    const bool hasAmpersand = HoldsChar(text, '&');
    const bool hasSlash = HoldsChar(text, '/');
    auto beginsWith = [&](const char* prefix) { return text.StartsWith(prefix, 0); };
    auto beginsWithAny = [&](std::initializer_list<const char*> prefixes) {
        for (const char* prefix : prefixes)
            if (beginsWith(prefix)) return true;
        return false;
    };
    auto holdsAny = [&](std::initializer_list<const char*> parts) {
        for (const char* part : parts)
            if (Holds(text, part)) return true;
        return false;
    };

    // A ';' that closes an HTML entity ("&lt;", "&amp;") ends no statement.
    const bool statementEnd =
        last == ';' && !((n >= 4 && text.buffer[n - 4] == '&') || (n >= 5 && text.buffer[n - 5] == '&'));

    if (statementEnd) {
        if (n >= 2 && text.buffer[n - 2] == ')') return true;
        if (n >= 3 && text.buffer[n - 3] == '+' && text.buffer[n - 2] == '+') return true;
        if (hasEquals) return true;
        if (beginsWithAny({"int ", "char ", "static ", "extern ", "struct ", "this->", "void ", "long ", "delete ",
                           "this.", "return"}))
            return true;
        if (extended && beginsWithAny({"class ", "switch ", "break"})) return true;
    }
    if (last == '{' || last == '}') return true;
    if (last == ':' && Holds(text, "case ")) return true;
    if (text.buffer[0] == '#') {
        if (last == '"' || last == '>' || EndsWith(text, "&gt;")) return true;
        if (holdsAny({"ifdef ", "undef", "endif", "else", "ifndef ", "define ", "include "})) return true;
        if (Holds(text, "while") && HoldsChar(text, '(')) return true;
    }
    // (The searches below need their punctuation in the line.)
    if (HoldsChar(text, '(') && Holds(text, "if (")) return true;
    if (hasEquals && Holds(text, "==") && !Holds(text, "===")) return true;
    if (hasSlash) {
        // "//" starts a comment, except after ':' as in "http://".
        int at = -1;
        int from = 0;
        while (text.Find(from, "//", &at, 1)) {
            if (at == 0 || text.buffer[at - 1] != ':') return true;
            from = at + 1;
        }
        if (hasStar && (Holds(text, "/*") || Holds(text, "*/"))) return true;
    }
    if (extended) {
        if (last == ')' || last == '}') return true;
        if (statementEnd) return true;
        if (holdsAny({"public ", "private ", "const "})) return true;
        if (hasAmpersand && holdsAny({"-&gt;", "&amp;&amp;"})) return true;
        if (hasStar && Holds(text, " *")) return true;
        if (hasEquals && holdsAny({"!=", ">=", "<="})) return true;
        if (Holds(text, "::")) return true;
    }
    return false;
}

bool IsTaggedType(FC* set, int lineType) {
    if (lineType < kStatementFirst) return false;
    if (lineType > kStatementLast && set)
        set->ReportMessage("UNSUPPORTED CASE: Probably tagged type in IsTaggedType", kLevelAlways);
    return true;
}

bool FindCapitalisedLeadIn(FC*, const TextString& line, TextString& leadIn) {
    if (line.length == 0 || line.buffer[0] == '"' || line.buffer[0] == '\'') return false;
    int end = 0;
    bool capital = false;
    while (end < line.length) {
        unsigned char c = static_cast<unsigned char>(line.buffer[end]);
        if (IsAsciiLower(c) || c == '<') break;
        if (IsAsciiUpper(c)) capital = true;
        ++end;
    }
    bool beforeMarkup = end < line.length && line.buffer[end] == '<';
    if (!capital && !beforeMarkup) return false;
    // The lead-in ends at the last blank or full stop of the run: a full stop
    // belongs to it, a blank does not.
    int cut = end - 1;
    while (cut >= 0 && line.buffer[cut] != ' ' && line.buffer[cut] != '.') --cut;
    if (cut < 0) return false;
    int length = line.buffer[cut] == '.' ? cut + 1 : cut;
    while (length > 0 && line.buffer[length - 1] == ' ') --length;
    if (length < 10) return false;
    leadIn.AssignChars(line.buffer, length);
    return true;
}

// ---------------------------------------------------------------------------
// Table values

namespace {

// What each byte means in the three parts of a table value (before the
// number, the number, after it), looked up in tables made once for each
// rule set kind.
enum : unsigned char {
    kBeforeDigit = 1,  // before the number: the first digit ends the part
    kBeforeCurrency = 2,  // before the number: a currency sign
    kBeforeCounts = 4,  // before the number: counts as numeric
    kAfterCounts = 8,  // after the number: counts as numeric
};
enum : unsigned char { kInEnd, kInNumeric, kInCurrency, kInSlash, kInColon };

struct ValueByteTables {
    unsigned char outside[256] = {};
    unsigned char inside[256] = {};
    explicit ValueByteTables(bool specialRules) {
        constexpr unsigned char kPound = 0xA3;
        for (int c = '0'; c <= '9'; ++c) {
            outside[c] |= kBeforeDigit;
            inside[c] = kInNumeric;
        }
        for (unsigned char c : {static_cast<unsigned char>('$'), kPound}) {
            outside[c] |= kBeforeCurrency;
            inside[c] = kInCurrency;
        }
        for (unsigned char c : {'.', '*'}) outside[c] |= kBeforeCounts;
        if (specialRules)
            for (unsigned char c : {' ', '$', '(', '+', '-'}) outside[c] |= kBeforeCounts;
        if (specialRules) outside[kPound] |= kBeforeCounts;
        for (unsigned char c : {',', '-', '.'}) inside[c] = kInNumeric;
        inside[static_cast<unsigned char>('/')] = kInSlash;
        inside[static_cast<unsigned char>(':')] = kInColon;
        for (unsigned char c : {'%', '*', '.', ':'}) outside[c] |= kAfterCounts;
        if (specialRules)
            for (unsigned char c : {' ', ')'}) outside[c] |= kAfterCounts;
    }
};

const ValueByteTables kPlainValueTables(false);
const ValueByteTables kSpecialValueTables(true);

// The two special rule sets count more characters as numeric and need a
// larger share of them.
bool SpecialValueRules(const FC* set) { return set && IsRuleSet(set->ruleSetCode); }

double NumericShareNeeded(bool special) { return special ? 0.95 : 0.6; }

}  // namespace

int ClassifyDataValue(FC* set, int defaultKind, const TextString& text) {
    if (text.length == 0) return defaultKind;
    const bool special = SpecialValueRules(set);
    int numeric = 0;
    int slashes = 0;
    int colons = 0;
    bool currencyBefore = false;
    bool currencyAmong = false;

    const ValueByteTables& tables = special ? kSpecialValueTables : kPlainValueTables;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.buffer);

    int i = 0;
    // Before the first digit.
    for (; i < text.length; ++i) {
        const unsigned char kind = tables.outside[bytes[i]];
        if (kind & kBeforeDigit) break;
        if (kind & kBeforeCurrency) currencyBefore = true;
        if (kind & kBeforeCounts) ++numeric;
    }
    // The number itself.
    for (; i < text.length; ++i) {
        const unsigned char kind = tables.inside[bytes[i]];
        if (kind == kInNumeric) {
            ++numeric;
        } else if (kind == kInCurrency) {
            currencyAmong = true;
        } else if (kind == kInSlash) {
            ++slashes;
        } else if (kind == kInColon) {
            ++colons;
        } else {
            break;
        }
    }
    // What follows it.
    for (; i < text.length; ++i)
        if (tables.outside[bytes[i]] & kAfterCounts) ++numeric;

    const int length = text.length;
    const int nonNumeric = length - numeric;
    const double share = static_cast<double>(numeric) / length;
    const bool mostlyNumeric = share >= NumericShareNeeded(special);

    if (currencyBefore || currencyAmong) {
        if (colons > 0) return kValueText;
        if (!currencyAmong) return slashes > 0 ? kValueText : kValueCurrency;
        bool numericEnough = mostlyNumeric || (length > 4 && nonNumeric <= 2);
        return numericEnough && slashes == 1 ? kValueCurrencyOneSlash : kValueText;
    }
    if (colons > 0) return (slashes == 0 && colons <= 2) ? kValueTime : kValueText;
    if (slashes > 2) return kValueText;
    if (slashes == 2) return kValueDate;
    if (slashes == 1) return (mostlyNumeric || (length >= 4 && nonNumeric <= 1)) ? kValueOneSlash : kValueText;
    return mostlyNumeric ? kValueNumber : kValueText;
}

// The walk of ClassifyDataValue that stops as soon as the answer is known:
// a currency sign, a slash or a colon makes the value something other than
// a plain number, and so does a numeric count that can no longer reach the
// share needed even if every byte left counted.  Text cells end after a few
// bytes.
bool IsNumberValue(FC* set, const char* text, int length) {
    if (length <= 0) return false;
    const bool special = SpecialValueRules(set);
    // A count that can no longer reach the share: `most` numeric bytes out
    // of `length` stay below it when most * 100 < share% * length (the
    // margin is far wider than any rounding of the division below).
    const long long percent = special ? 95 : 60;
    auto outOfReach = [&](long long most) { return most * 100 < percent * length; };

    const ValueByteTables& tables = special ? kSpecialValueTables : kPlainValueTables;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    int numeric = 0;
    int i = 0;
    for (; i < length; ++i) {
        const unsigned char kind = tables.outside[bytes[i]];
        if (kind & kBeforeDigit) break;
        if (kind & kBeforeCurrency) return false;
        if (kind & kBeforeCounts)
            ++numeric;
        else if (outOfReach(numeric + (length - i - 1)))
            return false;
    }
    // The number: every byte of it counts, up to the first that ends it.
    const int numberStart = i;
    while (i < length && tables.inside[bytes[i]] == kInNumeric) ++i;
    numeric += i - numberStart;
    if (i < length && tables.inside[bytes[i]] != kInEnd) return false;  // a currency sign, a slash or a colon
    for (; i < length; ++i) {
        if (tables.outside[bytes[i]] & kAfterCounts)
            ++numeric;
        else if (outOfReach(numeric + (length - i - 1)))
            return false;
    }
    return numeric == length || static_cast<double>(numeric) / length >= NumericShareNeeded(special);
}

double CompareBlankColumns(const TextString& first, const TextString& second, double& ratio, int& runs) {
    runs = 0;
    int shared = 0;
    const int n = first.length < second.length ? first.length : second.length;
    // Each run of blanks in the first text counts once; the blanks after
    // the first of a run are shared where the second text has one too.  A
    // blank starts a run when the byte before it is no blank.
    const char* a = first.buffer;
    const char* b = second.buffer;
    int i = 0;
    bool blankBefore = false;
#if defined(__SSE2__)
    // Sixteen columns at a time, as byte masks (0xFF for a blank or tab):
    // each lane counts the runs that start in it and the shared blanks, and
    // the lane counts are added up every 255 blocks and at the end.
    const __m128i blank = _mm_set1_epi8(' '), tab = _mm_set1_epi8('\t'), zero = _mm_setzero_si128();
    auto blanksOf = [&](const char* text) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
        return _mm_or_si128(_mm_cmpeq_epi8(bytes, blank), _mm_cmpeq_epi8(bytes, tab));
    };
    __m128i runCounts = zero, sharedCounts = zero;
    auto addUp = [&] {
        const __m128i r = _mm_sad_epu8(runCounts, zero), s = _mm_sad_epu8(sharedCounts, zero);
        runs += _mm_cvtsi128_si32(r) + _mm_extract_epi16(r, 4);
        shared += _mm_cvtsi128_si32(s) + _mm_extract_epi16(s, 4);
        runCounts = zero;
        sharedCounts = zero;
    };
    // A run starts at a blank whose column before holds none; the blanks
    // after the first of a run count where the second text has one too.
    auto count = [&](__m128i inFirst, __m128i before, __m128i inSecond, __m128i keep) {
        runCounts = _mm_sub_epi8(runCounts, _mm_and_si128(_mm_andnot_si128(before, inFirst), keep));
        sharedCounts =
            _mm_sub_epi8(sharedCounts, _mm_and_si128(_mm_and_si128(_mm_and_si128(inFirst, before), inSecond), keep));
    };
    const __m128i all = _mm_cmpeq_epi8(zero, zero);
    __m128i previous = zero;  // the blanks of the block before
    int blocks = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i inFirst = blanksOf(a + i);
        count(inFirst, _mm_or_si128(_mm_slli_si128(inFirst, 1), _mm_srli_si128(previous, 15)), blanksOf(b + i), all);
        previous = inFirst;
        if (++blocks == 255) {
            addUp();
            blocks = 0;
        }
    }
    if (i < n && n >= 16) {
        // The last columns, from the sixteen that end with the last one:
        // the column before i is among them, and the columns before i are
        // dropped.
        const int skip = 16 - (n - i);
        const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        const __m128i keep = _mm_cmpgt_epi8(lanes, _mm_set1_epi8(static_cast<char>(skip - 1)));
        const __m128i inFirst = blanksOf(a + n - 16);
        count(inFirst, _mm_slli_si128(inFirst, 1), blanksOf(b + n - 16), keep);
        i = n;
    }
    addUp();
#endif
    for (; i < n; ++i) {
        const bool isBlank = IsBlankOrTab(a[i]);
        if (isBlank) {
            if (!blankBefore)
                ++runs;
            else if (IsBlankOrTab(b[i]))
                ++shared;
        }
        blankBefore = isBlank;
    }
    ratio = runs > 0 ? static_cast<double>(shared) / runs : 0.0;
    return ratio;
}
