#include "output/markup/entities.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "context/context.h"
#include "policies/fc.h"
#include "policies/output_formats.h"

namespace {

struct EntityRow {
    const char* text;
    int code;
};

// The character entity references of HTML 4.0: the special set, the Latin-1
// set and the symbols, mathematical symbols and Greek letters.
// clang-format off
constexpr EntityRow kHtml40Entities[] = {
    // Special characters.
    {"&quot;", 34}, {"&amp;", 38}, {"&lt;", 60}, {"&gt;", 62},
    {"&OElig;", 338}, {"&oelig;", 339}, {"&Scaron;", 352}, {"&scaron;", 353}, {"&Yuml;", 376},
    {"&circ;", 710}, {"&tilde;", 732},
    {"&ensp;", 8194}, {"&emsp;", 8195}, {"&thinsp;", 8201}, {"&zwnj;", 8204}, {"&zwj;", 8205},
    {"&lrm;", 8206}, {"&rlm;", 8207}, {"&ndash;", 8211}, {"&mdash;", 8212}, {"&lsquo;", 8216},
    {"&rsquo;", 8217}, {"&sbquo;", 8218}, {"&ldquo;", 8220}, {"&rdquo;", 8221}, {"&bdquo;", 8222},
    {"&dagger;", 8224}, {"&Dagger;", 8225}, {"&permil;", 8240}, {"&lsaquo;", 8249}, {"&rsaquo;", 8250},
    {"&euro;", 8364},
    // Latin-1.
    {"&nbsp;", 160}, {"&iexcl;", 161}, {"&cent;", 162}, {"&pound;", 163}, {"&curren;", 164},
    {"&yen;", 165}, {"&brvbar;", 166}, {"&sect;", 167}, {"&uml;", 168}, {"&copy;", 169},
    {"&ordf;", 170}, {"&laquo;", 171}, {"&not;", 172}, {"&shy;", 173}, {"&reg;", 174},
    {"&macr;", 175}, {"&deg;", 176}, {"&plusmn;", 177}, {"&sup2;", 178}, {"&sup3;", 179},
    {"&acute;", 180}, {"&micro;", 181}, {"&para;", 182}, {"&middot;", 183}, {"&cedil;", 184},
    {"&sup1;", 185}, {"&ordm;", 186}, {"&raquo;", 187}, {"&frac14;", 188}, {"&frac12;", 189},
    {"&frac34;", 190}, {"&iquest;", 191}, {"&Agrave;", 192}, {"&Aacute;", 193}, {"&Acirc;", 194},
    {"&Atilde;", 195}, {"&Auml;", 196}, {"&Aring;", 197}, {"&AElig;", 198}, {"&Ccedil;", 199},
    {"&Egrave;", 200}, {"&Eacute;", 201}, {"&Ecirc;", 202}, {"&Euml;", 203}, {"&Igrave;", 204},
    {"&Iacute;", 205}, {"&Icirc;", 206}, {"&Iuml;", 207}, {"&ETH;", 208}, {"&Ntilde;", 209},
    {"&Ograve;", 210}, {"&Oacute;", 211}, {"&Ocirc;", 212}, {"&Otilde;", 213}, {"&Ouml;", 214},
    {"&times;", 215}, {"&Oslash;", 216}, {"&Ugrave;", 217}, {"&Uacute;", 218}, {"&Ucirc;", 219},
    {"&Uuml;", 220}, {"&Yacute;", 221}, {"&THORN;", 222}, {"&szlig;", 223}, {"&agrave;", 224},
    {"&aacute;", 225}, {"&acirc;", 226}, {"&atilde;", 227}, {"&auml;", 228}, {"&aring;", 229},
    {"&aelig;", 230}, {"&ccedil;", 231}, {"&egrave;", 232}, {"&eacute;", 233}, {"&ecirc;", 234},
    {"&euml;", 235}, {"&igrave;", 236}, {"&iacute;", 237}, {"&icirc;", 238}, {"&iuml;", 239},
    {"&eth;", 240}, {"&ntilde;", 241}, {"&ograve;", 242}, {"&oacute;", 243}, {"&ocirc;", 244},
    {"&otilde;", 245}, {"&ouml;", 246}, {"&divide;", 247}, {"&oslash;", 248}, {"&ugrave;", 249},
    {"&uacute;", 250}, {"&ucirc;", 251}, {"&uuml;", 252}, {"&yacute;", 253}, {"&thorn;", 254},
    {"&yuml;", 255},
    // Symbols and Greek letters.
    {"&fnof;", 402},
    {"&Alpha;", 913}, {"&Beta;", 914}, {"&Gamma;", 915}, {"&Delta;", 916}, {"&Epsilon;", 917},
    {"&Zeta;", 918}, {"&Eta;", 919}, {"&Theta;", 920}, {"&Iota;", 921}, {"&Kappa;", 922},
    {"&Lambda;", 923}, {"&Mu;", 924}, {"&Nu;", 925}, {"&Xi;", 926}, {"&Omicron;", 927},
    {"&Pi;", 928}, {"&Rho;", 929}, {"&Sigma;", 931}, {"&Tau;", 932}, {"&Upsilon;", 933},
    {"&Phi;", 934}, {"&Chi;", 935}, {"&Psi;", 936}, {"&Omega;", 937},
    {"&alpha;", 945}, {"&beta;", 946}, {"&gamma;", 947}, {"&delta;", 948}, {"&epsilon;", 949},
    {"&zeta;", 950}, {"&eta;", 951}, {"&theta;", 952}, {"&iota;", 953}, {"&kappa;", 954},
    {"&lambda;", 955}, {"&mu;", 956}, {"&nu;", 957}, {"&xi;", 958}, {"&omicron;", 959},
    {"&pi;", 960}, {"&rho;", 961}, {"&sigmaf;", 962}, {"&sigma;", 963}, {"&tau;", 964},
    {"&upsilon;", 965}, {"&phi;", 966}, {"&chi;", 967}, {"&psi;", 968}, {"&omega;", 969},
    {"&thetasym;", 977}, {"&upsih;", 978}, {"&piv;", 982},
    {"&bull;", 8226}, {"&hellip;", 8230}, {"&prime;", 8242}, {"&Prime;", 8243}, {"&oline;", 8254},
    {"&frasl;", 8260},
    {"&weierp;", 8472}, {"&image;", 8465}, {"&real;", 8476}, {"&trade;", 8482}, {"&alefsym;", 8501},
    {"&larr;", 8592}, {"&uarr;", 8593}, {"&rarr;", 8594}, {"&darr;", 8595}, {"&harr;", 8596},
    {"&crarr;", 8629}, {"&lArr;", 8656}, {"&uArr;", 8657}, {"&rArr;", 8658}, {"&dArr;", 8659},
    {"&hArr;", 8660},
    {"&forall;", 8704}, {"&part;", 8706}, {"&exist;", 8707}, {"&empty;", 8709}, {"&nabla;", 8711},
    {"&isin;", 8712}, {"&notin;", 8713}, {"&ni;", 8715}, {"&prod;", 8719}, {"&sum;", 8721},
    {"&minus;", 8722}, {"&lowast;", 8727}, {"&radic;", 8730}, {"&prop;", 8733}, {"&infin;", 8734},
    {"&ang;", 8736}, {"&and;", 8743}, {"&or;", 8744}, {"&cap;", 8745}, {"&cup;", 8746},
    {"&int;", 8747}, {"&there4;", 8756}, {"&sim;", 8764}, {"&cong;", 8773}, {"&asymp;", 8776},
    {"&ne;", 8800}, {"&equiv;", 8801}, {"&le;", 8804}, {"&ge;", 8805}, {"&sub;", 8834},
    {"&sup;", 8835}, {"&nsub;", 8836}, {"&sube;", 8838}, {"&supe;", 8839}, {"&oplus;", 8853},
    {"&otimes;", 8855}, {"&perp;", 8869}, {"&sdot;", 8901},
    {"&lceil;", 8968}, {"&rceil;", 8969}, {"&lfloor;", 8970}, {"&rfloor;", 8971}, {"&lang;", 9001},
    {"&rang;", 9002}, {"&loz;", 9674},
    {"&spades;", 9824}, {"&clubs;", 9827}, {"&hearts;", 9829}, {"&diams;", 9830},
};
// clang-format on

// Upper-case spellings met in older documents; added last so that a code
// lookup still finds the lower-case row first.
constexpr EntityRow kDecodingOnlyEntities[] = {{"&LT;", 60}, {"&GT;", 62}, {"&AMP;", 38}};

// The longest entity text of the table ("&thetasym;"): decoding looks at
// candidates of at most this many characters.
constexpr int kLongestEntityText = 10;

bool LessByText(const EntityEntry& a, const EntityEntry& b) { return std::strcmp(a.text.buffer, b.text.buffer) < 0; }

bool InRanges(int code, std::initializer_list<std::pair<int, int>> ranges) {
    for (const auto& [low, high] : ranges)
        if (code >= low && code <= high) return true;
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// The table

void EntityTable::Add(const char* text, int code) {
    entries.push_back(EntityEntry{TextString(text), code});
    int index = static_cast<int>(entries.size()) - 1;
    const EntityEntry& added = entries.back();
    auto nameAt = std::upper_bound(byName.begin(), byName.end(), index, [&](int a, int b) {
        return LessByText(entries[static_cast<size_t>(a)], entries[static_cast<size_t>(b)]);
    });
    byName.insert(nameAt, index);
    auto codeAt = std::upper_bound(byCode.begin(), byCode.end(), added.code,
                                   [&](int wanted, int b) { return wanted < entries[static_cast<size_t>(b)].code; });
    byCode.insert(codeAt, index);
}

const EntityEntry* EntityTable::FindByName(const char* text) const {
    if (!text) return nullptr;
    auto at = std::lower_bound(byName.begin(), byName.end(), text, [&](int a, const char* wanted) {
        return std::strcmp(entries[static_cast<size_t>(a)].text.buffer, wanted) < 0;
    });
    if (at == byName.end()) return nullptr;
    const EntityEntry& entry = entries[static_cast<size_t>(*at)];
    return std::strcmp(entry.text.buffer, text) == 0 ? &entry : nullptr;
}

const EntityEntry* EntityTable::FindByCode(int code) const {
    auto at = std::lower_bound(byCode.begin(), byCode.end(), code,
                               [&](int a, int wanted) { return entries[static_cast<size_t>(a)].code < wanted; });
    if (at == byCode.end()) return nullptr;
    const EntityEntry& entry = entries[static_cast<size_t>(*at)];
    return entry.code == code ? &entry : nullptr;
}

const EntityTable& GetEntityTable() {
    static const EntityTable table = [] {
        EntityTable built;
        for (const EntityRow& row : kHtml40Entities) built.Add(row.text, row.code);
        for (const EntityRow& row : kDecodingOnlyEntities) built.Add(row.text, row.code);
        return built;
    }();
    return table;
}

// ---------------------------------------------------------------------------
// Codes and texts

int GetEntityText(int code, TextString* out) {
    const EntityEntry* entry = GetEntityTable().FindByCode(code);
    if (entry) {
        *out = entry->text;
    } else {
        out->Assign("&#");
        out->AppendNumber('1', code, 0);
        out->AppendChar(';');
    }
    return 1;
}

int GetEntityForCode(FC* policies, int code, TextString* out) {
    GetEntityText(code, out);
    return IsEntityAllowed(policies, code);
}

namespace {

// An entity-code policy as the check reads it: its value where the user or a
// rule set gave one, else -1 (no restriction).  The format's default stays
// for the HTML 4.0 entities of an HTML 3.2 page, which knows none of them.
int EntityCode(const FC* policies, Pol id) {
    if (!policies) return -1;
    if (policies->IsSet(id)) return policies->GetInt(id);
    if (id == Pol::UseOfHTML40EntitiesCode && policies->GetInt(Pol::HTMLVersion) == 1) return policies->GetInt(id);
    return -1;
}

}  // namespace

int IsEntityAllowed(FC* policies, int code) {
    const int microsoft = EntityCode(policies, Pol::UseOfMicrosoftEntitiesCode);
    const int html40 = EntityCode(policies, Pol::UseOfHTML40EntitiesCode);
    bool strictRules = policies && policies->ruleSetCode == kRuleSetSec;

    if (InRanges(code, {{0, 127}, {161, 255}})) return 1;
    if (InRanges(code, {{130, 140}, {145, 156}, {159, 159}})) return (microsoft == -1 || microsoft >= 1) ? 1 : 0;
    if (code == 128 || code == 142 || code == 158)
        return ((microsoft == -1 || microsoft > 1) && !strictRules) ? 1 : 0;
    if (InRanges(code, {{402, 402},
                        {710, 710},
                        {732, 732},
                        {8211, 8212},
                        {8216, 8218},
                        {8220, 8222},
                        {8224, 8226},
                        {8230, 8230},
                        {8240, 8240},
                        {8249, 8250},
                        {8364, 8364},
                        {8482, 8482}}))
        return ((html40 == -1 || html40 > 1) && !strictRules) ? 1 : 0;
    if (InRanges(code, {{338, 339},   {352, 353},   {376, 376},   {913, 929},   {931, 937},   {945, 969},
                        {8242, 8243}, {8254, 8254}, {8260, 8260}, {8592, 8596}, {8706, 8706}, {8719, 8719},
                        {8721, 8722}, {8730, 8730}, {8734, 8734}, {8745, 8745}, {8747, 8747}, {8776, 8776},
                        {8800, 8801}, {8804, 8805}, {9674, 9674}, {9824, 9824}, {9827, 9827}, {9829, 9830}}))
        return ((html40 == -1 || html40 > 2) && !strictRules) ? 1 : 0;
    // The remaining HTML 4.0 symbols, 160 and everything else.
    return 0;
}

int GetEntityCode(const TextString& text, int* code) {
    *code = -1;
    if (text.length >= 2 && text.buffer[0] == '&' && text.buffer[1] == '#') {
        // A decimal reference "&#nnn;" naming a character that text can hold.
        if (text.length < 4 || text.buffer[text.length - 1] != ';' || text.length > 2 + 7 + 1) return 0;
        int value = 0;
        for (int i = 2; i < text.length - 1; ++i) {
            unsigned char c = static_cast<unsigned char>(text.buffer[i]);
            if (!IsAsciiDigit(c)) return 0;
            value = value * 10 + (c - '0');
        }
        if (value < 32 || value > 65535 || (value >= 0xD800 && value <= 0xDFFF)) return 0;
        *code = value;
        return 1;
    }
    const EntityEntry* entry = GetEntityTable().FindByName(text.buffer);
    if (!entry) return 0;
    *code = entry->code;
    return 1;
}

int EntityToUTF8(const TextString& text, int* code, int* b1, int* b2, int* b3) {
    *code = *b1 = *b2 = *b3 = -1;
    int value = -1;
    if (!GetEntityCode(text, &value) || value > 65535) return 0;
    *code = value;
    if (value < 128) {
        *b1 = value;
        *b2 = *b3 = 0;
        return 1;
    }
    if (value < 2048) {
        *b1 = 192 + value / 64;
        *b2 = 128 + value % 64;
        *b3 = 0;
        return 2;
    }
    *b1 = 224 + value / 4096;
    *b2 = 128 + (value % 4096) / 64;
    *b3 = 128 + value % 64;
    return 3;
}

// ---------------------------------------------------------------------------
// Decoding

namespace {

// The plain-text stand-in of a character, for plain-ASCII output; null when it has none.
const char* PlainAlternative(int code) {
    switch (code) {
        case 0x95: return "o";
        case 0x96:
        case 0xAD:
        case 0x2013: return "-";
        case 0x97:
        case 0x2014: return "--";
        case 0xA0: return " ";
        case 0xA6: return ":";
        case 0xB4: return "'";
        case 0x2018: return "`";
        case 0x2019:
        case 0x201C:
        case 0x201D: return "'";
        default: return nullptr;
    }
}

// Decodes one candidate ("&...;"); false when it stays as written.
bool DecodeCandidate(const EntityDecodeOptions& options, const TextString& candidate, std::string* out) {
    if (options.utf8) {
        int code = 0, b1 = 0, b2 = 0, b3 = 0;
        int bytes = EntityToUTF8(candidate, &code, &b1, &b2, &b3);
        if (bytes == 0) return false;
        const char* plain = options.plainAscii ? PlainAlternative(code) : nullptr;
        if (plain) {
            out->append(plain);
        } else if (code >= 128 && code <= 255 && options.latin1) {
            out->push_back(static_cast<char>(code));
        } else {
            out->push_back(static_cast<char>(b1));
            if (bytes >= 2) out->push_back(static_cast<char>(b2));
            if (bytes >= 3) out->push_back(static_cast<char>(b3));
            if (bytes > 1 && options.multiByteSeen) *options.multiByteSeen = 1;
        }
        return true;
    }
    int code = -1;
    if (!GetEntityCode(candidate, &code) || code > 255) return false;
    if (options.plainAscii && code == 160)
        out->push_back(' ');
    else
        out->push_back(static_cast<char>(code));
    return true;
}

}  // namespace

int DecodeEntities(EntityDecodeOptions& options) {
    const TextString& in = *options.text;
    const char* s = in.buffer;
    int n = in.length;
    if (!std::memchr(s, '&', static_cast<size_t>(n)) || !std::memchr(s, ';', static_cast<size_t>(n))) {
        if (options.result != options.text) *options.result = in;
        return 0;
    }
    std::string out;
    out.reserve(static_cast<size_t>(n));
    int count = 0;
    int position = 0;
    TextString candidate;
    while (position < n) {
        const void* ampFound = std::memchr(s + position, '&', static_cast<size_t>(n - position));
        const void* semiFound = std::memchr(s + position, ';', static_cast<size_t>(n - position));
        if (!ampFound || !semiFound) break;
        int amp = static_cast<int>(static_cast<const char*>(ampFound) - s);
        int semi = static_cast<int>(static_cast<const char*>(semiFound) - s);
        if (amp < semi && semi - amp < kLongestEntityText) {
            out.append(s + position, static_cast<size_t>(amp - position));
            candidate.AssignChars(s + amp, semi - amp + 1);
            if (DecodeCandidate(options, candidate, &out)) {
                ++count;
                position = semi + 1;
            } else {
                out.push_back('&');
                position = amp + 1;
            }
        } else {
            int earlier = std::min(amp, semi);
            out.append(s + position, static_cast<size_t>(earlier + 1 - position));
            position = earlier + 1;
        }
    }
    if (position < n) out.append(s + position, static_cast<size_t>(n - position));
    options.result->AssignChars(out.data(), static_cast<int>(out.size()));
    return count;
}

// ---------------------------------------------------------------------------
// Escaping

void EscapeMarkupCharacters(FC* policies, TextString* text) {
    // Without a markup character there is nothing to escape.
    const size_t bytes = text->length > 0 ? static_cast<size_t>(text->length) : 0;
    if (!std::memchr(text->buffer, '&', bytes) && !std::memchr(text->buffer, '<', bytes) &&
        !std::memchr(text->buffer, '>', bytes))
        return;
    static const TextString kStart("[["), kEnd("]]");
    const TextString& startDelimiter = policies ? policies->GetText(Pol::StartTagDelimiter) : kStart;
    const TextString& endDelimiter = policies ? policies->GetText(Pol::EndTagDelimiter) : kEnd;
    const char* s = text->buffer;
    int n = text->length;
    std::string out;
    out.reserve(static_cast<size_t>(n) + 16);
    bool changed = false;
    // Searches for an end delimiter from here on or later all fail once one
    // has: a line of start delimiters alone is not searched again and again.
    int noCloseFrom = n + 1;
    // The first end delimiter after the last start delimiter looked at: it
    // is also the first after any later one before it, so a run of nested
    // openings is not searched again and again either.
    int knownClose = -1;
    int i = 0;
    while (i < n) {
        if (startDelimiter.length > 0 && endDelimiter.length > 0 && i + startDelimiter.length <= n &&
            s[i] == startDelimiter.buffer[0] &&
            std::memcmp(s + i, startDelimiter.buffer, static_cast<size_t>(startDelimiter.length)) == 0) {
            // An in-line tag is copied as it stands; a start delimiter
            // without an end delimiter is ordinary text, and so is one
            // followed by another before the end delimiter: the tag is the
            // innermost one, as the cells' tag scan finds it, and what
            // stands before it is text.
            const int from = i + startDelimiter.length;
            if (from < noCloseFrom && knownClose < from && !text->Find(from, endDelimiter.buffer, &knownClose, 1)) {
                knownClose = -1;
                noCloseFrom = from;
            }
            if (from < noCloseFrom && knownClose >= from) {
                const std::string_view inside(s + from, static_cast<size_t>(knownClose - from));
                if (inside.find(startDelimiter.view()) == std::string_view::npos) {
                    const int end = knownClose + endDelimiter.length;
                    out.append(s + i, static_cast<size_t>(end - i));
                    i = end;
                    continue;
                }
            }
        }
        switch (s[i]) {
            case '&':
                out.append("&amp;");
                changed = true;
                break;
            case '<':
                out.append("&lt;");
                changed = true;
                break;
            case '>':
                out.append("&gt;");
                changed = true;
                break;
            default: out.push_back(s[i]); break;
        }
        ++i;
    }
    if (changed) text->AssignChars(out.data(), static_cast<int>(out.size()));
}

void EscapeEightBitCharacters(TextString* text) {
    // Plain ASCII (looked at eight bytes at a time) has nothing above 160.
    int first = 0;
    for (uint64_t word = 0; first + 8 <= text->length; first += 8) {
        std::memcpy(&word, text->buffer + first, sizeof word);
        if (word & 0x8080808080808080ull) break;
    }
    bool any = false;
    for (int i = first; i < text->length && !any; ++i) any = static_cast<unsigned char>(text->buffer[i]) > 160;
    if (!any) return;
    std::string out;
    out.reserve(static_cast<size_t>(text->length) + 32);
    TextString entity;
    for (int i = 0; i < text->length; ++i) {
        unsigned char c = static_cast<unsigned char>(text->buffer[i]);
        if (c > 160) {
            GetEntityText(c, &entity);
            out.append(entity.buffer, static_cast<size_t>(entity.length));
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    text->AssignChars(out.data(), static_cast<int>(out.size()));
}

void EscapeHTMLCharacters(FC* policies, TextString* text) {
    if (policies && policies->context && policies->context->outputFormat == kOutputText) return;
    EscapeMarkupCharacters(policies, text);
    EscapeEightBitCharacters(text);
}
