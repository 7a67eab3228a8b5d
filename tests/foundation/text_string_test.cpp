#include "foundation/text_string.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(TextStringGrowth, EmptyTextsOwnNoBufferAndCopiesFit) {
    TextString s;
    EXPECT_EQ(s.length, 0);
    EXPECT_EQ(s.BufferSize(), 0);
    EXPECT_STREQ(s.buffer, "");
    s.MakeEmpty();
    TextString moved(std::move(s));
    EXPECT_EQ(moved.BufferSize(), 0);

    const TextString line(std::string(80, 'x'));
    const TextString copy(line);
    EXPECT_GE(copy.capacity, 80);
    EXPECT_LE(copy.BufferSize(), 96);
    s.Reserve(766);
    EXPECT_GE(s.capacity, 766);
    EXPECT_EQ(s.BufferSize(), s.capacity + 2);
}

TEST(TextStringGrowth, AppendingGrowsGeometrically) {
    TextString s;
    int reallocations = 0;
    const char* last = s.buffer;
    for (int i = 0; i < 100000; ++i) {
        s.AppendChar(static_cast<char>('a' + i % 26));
        if (s.buffer != last) ++reallocations;
        last = s.buffer;
        ASSERT_GE(s.capacity, s.length);
    }
    EXPECT_LE(reallocations, 30);
    EXPECT_EQ(s.length, 100000);
    EXPECT_EQ(s.buffer[s.length], '\0');
    EXPECT_EQ(s.At(27), 'b');
}

TEST(TextStringAppend, PiecesOfItselfWithAndWithoutRoom) {
    for (const int room : {0, 64}) {
        TextString s("abcdef");
        s.Reserve(s.length + room);
        const char* before = s.buffer;
        s.AppendBytes(s.buffer + 2, 3);  // "cde"
        s.Append(s.buffer + 7);  // "de"
        EXPECT_EQ(s.str(), "abcdefcdede") << room;
        EXPECT_EQ(s.buffer[s.length], '\0');
        if (room > 0) {
            EXPECT_EQ(s.buffer, before);  // no new buffer while the bytes fit
        }
    }
}

TEST(TextStringAppend, Numbers) {
    struct Case {
        char style;
        int value;
        int blank;
        const char* expected;
    };
    // clang-format off
    const Case cases[] = {
        {'A', 703, 0, "AAA"}, {'A', 703, 1, "AAA "}, {'a', 676, 0, "yz"},  {'a', 1, 0, "a"},
        {'a', 26, 0, "z"},    {'a', 27, 0, "aa"},    {'a', 52, 0, "az"},   {'a', 702, 0, "zz"},
        {'a', 18278, 0, "zzz"}, {'a', 18279, 0, ""}, {'a', 0, 0, ""},      {'a', -5, 0, ""},
        {'i', 1994, 0, "mcmxciv"}, {'I', 14, 0, "XIV"}, {'i', 4000, 0, ""}, {'i', 0, 0, ""},
        {'i', -3, 0, ""},     {'1', -42, 0, "-42"},  {'1', 0, 0, "0"},
        {'1', 7, 1, "7 "},    {'1', 1234567, 0, "1234567"}, {'1', 2147483647, 0, "2147483647"},
        {'1', -2147483647 - 1, 0, "-2147483648"},
    };
    // clang-format on
    for (const Case& c : cases) {
        TextString s;
        s.AppendNumber(c.style, c.value, c.blank);
        EXPECT_EQ(s.str(), c.expected) << c.style << " " << c.value;
    }
    TextString r;
    r.AppendReal(3.14159, 0);
    EXPECT_EQ(r.str(), "3.142");
    r.MakeEmpty();
    r.AppendReal(-2.0, 1);
    EXPECT_EQ(r.str(), "-2.000 ");
    EXPECT_EQ(TextString(-7).str(), "-7");
}

TEST(TextStringCompare, MatchesStartsWithFind) {
    TextString ab("ab"), AB("AB");
    EXPECT_TRUE(ab.Matches("ab", 1, 0));
    EXPECT_FALSE(AB.Matches("ab", 1, 0));
    EXPECT_TRUE(AB.Matches("ab", 0, 0));
    EXPECT_TRUE(ab.Matches("a b", 1, 1));
    EXPECT_TRUE(TextString("abc").Matches("ab", 1, 1));
    EXPECT_FALSE(ab.Matches(nullptr, 1, 0));
    EXPECT_TRUE(TextString("Hello").StartsWith("he", 0));
    EXPECT_FALSE(TextString("Hello").StartsWith("he", 1));
    EXPECT_FALSE(TextString("He").StartsWith("Hello", 0));
    EXPECT_FALSE(TextString("He").StartsWith("", 0));

    int pos = 0;
    EXPECT_TRUE(TextString("aaab").Find(0, "aab", &pos, 1));
    EXPECT_EQ(pos, 1);
    EXPECT_FALSE(TextString("aaab").Find(-1, "a", &pos, 1));
    EXPECT_EQ(pos, -1);
    EXPECT_FALSE(TextString("").Find(0, "a", &pos, 1));
    EXPECT_TRUE(TextString("xAbC").Find(0, "abc", &pos, 0));
    EXPECT_EQ(pos, 1);
    EXPECT_TRUE(TextString("abcabc").FindChar(1, 'A', &pos, 0));
    EXPECT_EQ(pos, 3);
    TextString hay("one TWO three");
    EXPECT_EQ(hay.FindNoCase("two"), hay.buffer + 4);
    EXPECT_EQ(hay.FindNoCase(""), nullptr);
    EXPECT_EQ(TextString("a,b,,c").CountChar(','), 3);
}

// A letter is looked for sixteen bytes at a time: the first place of a word
// in either case is found wherever it stands against those blocks; bytes
// other than letters that differ only in bit 0x20 ("[" and "{", "@" and
// "`") stay apart.
TEST(TextStringCompare, FindWithoutCaseAtEveryPlace) {
    const std::string filler = "[{@`^~ 0123456789 ZYX[{@`^~ wvu 0123456789 [{@`^~ ";
    for (size_t at = 0; at <= filler.size(); ++at) {
        for (const char* word : {"Kite", "kITE"}) {
            std::string text = filler;
            text.insert(at, word);
            text += "KITE";  // a second place, after the first
            const TextString hay(text);
            int position = -2;
            EXPECT_TRUE(hay.Find(0, "kite", &position, 0));
            EXPECT_EQ(position, static_cast<int>(at)) << at << ' ' << word;
            EXPECT_TRUE(hay.FindChar(0, 'k', &position, 0));
            EXPECT_EQ(position, static_cast<int>(at)) << at << ' ' << word;
            // From just after the first place on, the second is found.
            EXPECT_TRUE(hay.Find(static_cast<int>(at) + 1, "KiTe", &position, 0));
            EXPECT_EQ(position, static_cast<int>(text.size() - 4)) << at;
        }
    }
    int position = -2;
    EXPECT_FALSE(TextString("[[[[[[[[[[[[[[[[[[[[@@@@").Find(0, "{", &position, 0));
    EXPECT_FALSE(TextString("@@@@@@@@@@@@@@@@@@@@@@").Find(0, "`", &position, 0));
    EXPECT_FALSE(TextString("ZYXWVUTSRQPONMLJIHGFEDCBA zyx").Find(0, "k", &position, 0));
    EXPECT_EQ(position, -1);
}

TEST(TextStringCompare, CompareTextN) {
    EXPECT_EQ(CompareTextN("abc", "abd", 2, 0), 0);
    EXPECT_EQ(CompareTextN("ab", "abc", 3, 0), -1);
    EXPECT_EQ(CompareTextN("abc", "ab", 3, 0), 1);
    EXPECT_EQ(CompareTextN(nullptr, nullptr, 5, 0), 0);
    EXPECT_EQ(CompareTextN(nullptr, "a", 5, 0), -1);
    EXPECT_EQ(CompareTextN("a", nullptr, 5, 0), 1);
    EXPECT_EQ(CompareTextN("ABC", "abc", 3, 1), 0);
    EXPECT_EQ(CompareTextN("a", "b", 0, 0), 0);
    // Bytes 128-255 sort before ASCII.
    EXPECT_EQ(CompareTextN("\xE9", "a", 1, 0), -1);
}

TEST(TextStringPredicates, Classes) {
    EXPECT_FALSE(TextString("a").HasNoLetters());
    EXPECT_FALSE(TextString("Z").HasNoLetters());
    EXPECT_TRUE(TextString("12 -").HasNoLetters());
    EXPECT_FALSE(TextString("0").HasNoAlphanumerics());
    EXPECT_TRUE(TextString("--").HasNoAlphanumerics());
    EXPECT_TRUE(TextString("ABC 1").IsUpperCase());
    EXPECT_FALSE(TextString("ABc").IsUpperCase());
    EXPECT_TRUE(TextString("abc").ContainsNoneOf("xyz"));
    EXPECT_FALSE(TextString("abc").ContainsNoneOf("c"));
}

TEST(TextStringFields, BlankCommaAndSpecialDelimiters) {
    TextString out;
    int offset = -1;
    TextString lead("  abc");
    EXPECT_TRUE(lead.GetField(1, ' ', &out));
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(lead.GetFieldWithOffset(2, ' ', &out, &offset));
    EXPECT_EQ(out.str(), "abc");
    EXPECT_EQ(offset, 2);
    EXPECT_FALSE(TextString("a,").GetField(2, ',', &out));
    TextString commas("a,,b");
    EXPECT_TRUE(commas.GetField(2, ',', &out));
    EXPECT_EQ(out.str(), "");
    EXPECT_TRUE(commas.GetField(3, ',', &out));
    EXPECT_EQ(out.str(), "b");
    EXPECT_FALSE(commas.GetField(0, ',', &out));
    TextString words("one \t two  three");
    EXPECT_TRUE(words.GetField(3, ' ', &out));
    EXPECT_EQ(out.str(), "three");
    EXPECT_FALSE(words.GetField(4, ' ', &out));
    EXPECT_EQ(out.str(), "");
    // Delimiter 0xBF: fields counted by 0xBF only, cut at a word end.
    TextString marked(
        "\xBF"
        "alpha,beta\xBF"
        "gamma&lt;x");
    EXPECT_TRUE(marked.GetField(2, '\xBF', &out));
    EXPECT_EQ(out.str(), "alpha");
    EXPECT_TRUE(marked.GetField(3, '\xBF', &out));
    EXPECT_EQ(out.str(), "gamma");

    TextString list("x,y,z");
    int position = 0;
    std::string collected;
    while (list.GetNextField(&position, ',', &out)) collected += out.str() + "|";
    EXPECT_EQ(collected, "x|y|z|");
    EXPECT_EQ(position, list.length);
}

TEST(TextStringEdit, InsertRemoveReplaceChar) {
    TextString s("ace");
    EXPECT_TRUE(s.InsertChar(1, 'b'));
    EXPECT_FALSE(s.InsertChar(9, 'z'));
    EXPECT_EQ(s.str(), "abce");
    EXPECT_EQ(s.Insert(3, "d"), 1);
    EXPECT_EQ(s.str(), "abcde");
    EXPECT_EQ(s.Insert(-1, "x"), 0);
    EXPECT_EQ(s.Insert(99, "x"), 0);
    EXPECT_EQ(s.str(), "abcde");
    s.Insert(0, s.buffer);  // inserting a copy of itself
    EXPECT_EQ(s.str(), "abcdeabcde");

    TextString r("banana");
    EXPECT_TRUE(r.RemoveChar(0, 'a', 0));
    EXPECT_EQ(r.str(), "bnn");
    TextString r2("banana");
    EXPECT_FALSE(r2.RemoveChar(0, 'a', 5));
    EXPECT_EQ(r2.str(), "bnn");
    TextString r3("banana");
    EXPECT_TRUE(r3.ReplaceChar(2, 'a', 'o', 1));
    EXPECT_EQ(r3.str(), "banona");
    EXPECT_TRUE(TextString("").ReplaceChar(0, 'a', 'b', 3));
}

TEST(TextStringEdit, ReplaceCases) {
    struct Case {
        const char* text;
        const char* find;
        const char* with;
        int max;
        bool ok;
        const char* expected;
    };
    const Case cases[] = {
        {"abcab", "ab", "x", 0, true, "xcx"},
        {"aaab", "aab", "x", 0, true, "ax"},  // resumes one byte after a failed partial match
        {"banana", "a", "", 0, true, "bnn"},
        {"aXa", "a", "b", 1, true, "bXa"},
        {"aXa", "a", "b", 3, false, "bXb"},
        {"abc", "B", "yy", 0, true, "ayyc"},
        {"", "a", "b", 0, true, ""},
    };
    for (const Case& c : cases) {
        TextString s(c.text);
        EXPECT_EQ(s.Replace(c.find, c.with, c.max, 0), c.ok) << c.text;
        EXPECT_EQ(s.str(), c.expected) << c.text;
    }
    TextString s("abc");
    EXPECT_FALSE(s.Replace("", "x", 0, 1));
    EXPECT_FALSE(s.Replace(nullptr, "x", 0, 1));
    int count = 5;
    TextString m("secret password secret");
    EXPECT_TRUE(m.ReplaceFrom(1, "secret", nullptr, 0, 1, "*", &count));
    EXPECT_EQ(m.str(), "secret password ******");
    EXPECT_EQ(count, 6);

    // Long texts: many deletions stay linear and correct.
    std::string big;
    for (int i = 0; i < 5000; ++i) big += "ab";
    TextString longText(big.c_str());
    EXPECT_TRUE(longText.Replace("a", "", 0, 1));
    EXPECT_EQ(longText.str(), std::string(5000, 'b'));
}

// The replacement as a scan from left to right does it: at each byte a
// match (within the count) is replaced and passed, otherwise the byte is kept.
std::string ReplacedByScan(const std::string& text, const std::string& find, const std::string& with, int maxCount,
                           bool caseSensitive, int start, int& replaced) {
    auto same = [&](char a, char b) { return caseSensitive ? a == b : ToUpperAscii(a) == ToUpperAscii(b); };
    std::string result = text.substr(0, static_cast<size_t>(start));
    replaced = 0;
    for (size_t i = static_cast<size_t>(start); i < text.size();) {
        bool match = (maxCount <= 0 || replaced < maxCount) && i + find.size() <= text.size();
        for (size_t k = 0; match && k < find.size(); ++k) match = same(text[i + k], find[k]);
        if (match) {
            result += with;
            ++replaced;
            i += find.size();
        } else {
            result += text[i++];
        }
    }
    return result;
}

TEST(TextStringEdit, ReplaceFindsWhatAScanFinds) {
    const char* const texts[] = {"aaaa", "abababa", "xAbAbx ab",   "[[TEXT a]] [[text b]] [[TEXT a]]",
                                 "",     "a",       "mississippi", "Na\xE9ve NA\xC9VE"};
    const char* const finds[] = {"a", "aa", "aba", "ab", "[[TEXT a]]", "ss", "issi", "i", "x", "\xE9v", "NAÉ"};
    for (const char* text : texts)
        for (const char* find : finds)
            for (int maxCount : {0, 1, 2})
                for (int caseSensitive : {1, 0})
                    for (int start : {0, 1, 3}) {
                        if (start > static_cast<int>(std::string(text).size())) continue;
                        int expectedCount = 0;
                        const std::string expected =
                            ReplacedByScan(text, find, "<>", maxCount, caseSensitive != 0, start, expectedCount);
                        TextString s(text);
                        int count = 0;
                        const bool ok = s.ReplaceFrom(start, find, "<>", maxCount, caseSensitive, nullptr, &count);
                        const std::string where = std::string(text) + " / " + find + " / " +
                                                  std::to_string(maxCount) + " / " + std::to_string(caseSensitive) +
                                                  " / " + std::to_string(start);
                        EXPECT_EQ(s.str(), std::string(text).empty() ? std::string() : expected) << where;
                        EXPECT_EQ(count, expectedCount) << where;
                        if (!std::string(text).empty()) {
                            EXPECT_EQ(ok, maxCount <= 0 || expectedCount == maxCount) << where;
                        }
                    }
}

TEST(TextStringEdit, SubStringTrimCollapseTabs) {
    TextString s("abcdef");
    EXPECT_TRUE(s.SubString(2, 100));
    EXPECT_EQ(s.str(), "cdef");
    EXPECT_FALSE(s.SubString(-1, 2));
    EXPECT_FALSE(s.SubString(5, 1));
    EXPECT_EQ(s.str(), "cdef");

    TextString t1("   ");
    t1.Trim(1, nullptr);
    EXPECT_EQ(t1.str(), "");
    TextString t2("  a  ");
    t2.Trim(0, nullptr);
    EXPECT_EQ(t2.str(), "a");
    TextString t3("\t a \t");
    t3.Trim(0, " ");
    EXPECT_EQ(t3.str(), "a");
    TextString t4("  a  ");
    t4.Trim(1, nullptr);
    EXPECT_EQ(t4.str(), "  a");
    // Sets of a blank and a tab trim blanks and tabs, as a blank alone does.
    for (const char* set : {" \t", "\t "}) {
        TextString both("\t  a b \t ");
        both.Trim(0, set);
        EXPECT_EQ(both.str(), "a b") << set;
        TextString trailing("\t a\t ");
        trailing.Trim(1, set);
        EXPECT_EQ(trailing.str(), "\t a") << set;
        TextString blank(" \t ");
        blank.Trim(0, set);
        EXPECT_EQ(blank.str(), "") << set;
    }

    // Texts with no blank at either end are left at once; those with one at
    // one end only, or trimmed of another set, are trimmed as ever.
    struct TrimCase {
        const char* text;
        int trailingOnly;
        const char* set;
        const char* expected;
    };
    const TrimCase trimCases[] = {
        {"a", 0, " ", "a"},     {"a b", 0, " ", "a b"}, {" a", 0, " ", "a"}, {"a\t", 0, " ", "a"},
        {"\ta", 1, " ", "\ta"}, {"a ", 1, " ", "a"},    {" ", 0, " ", ""},   {"", 0, " ", ""},
        {"xax", 0, "x", "a"},   {"a", 0, "a", ""},      {"ab", 0, "", "ab"}, {"\ta\t", 0, "\t", "a"},
    };
    for (const TrimCase& c : trimCases) {
        TextString text(c.text);
        EXPECT_EQ(text.Trim(c.trailingOnly, c.set), 1);
        EXPECT_EQ(text.str(), c.expected) << '"' << c.text << "\" " << c.trailingOnly << " \"" << c.set << '"';
        EXPECT_EQ(text.buffer[text.length], '\0');
    }

    // Runs of blanks and tabs keep their first byte, wherever they stand.
    const std::pair<const char*, const char*> collapseCases[] = {
        {"  a \t b", " a b"},
        {"", ""},
        {" ", " "},
        {"a", "a"},
        {"a b", "a b"},
        {"a  ", "a "},
        {"\t\t", "\t"},
        {"a\t b\t\tc", "a\tb\tc"},
        {"ab  c d", "ab c d"},
        {"a b c  ", "a b c "},
    };
    for (const auto& [text, expected] : collapseCases) {
        TextString c(text);
        EXPECT_EQ(c.CollapseBlanks(), 1);
        EXPECT_EQ(c.str(), expected) << '"' << text << '"';
        EXPECT_EQ(c.buffer[c.length], '\0');
    }

    TextString tab("ab\tc");
    tab.ExpandTabs(8);
    EXPECT_EQ(tab.str(), "ab      c");
    TextString lone("\t");
    lone.ExpandTabs(8);
    EXPECT_EQ(lone.str(), std::string(8, ' '));
    TextString wide("\tx");
    wide.ExpandTabs(20);
    EXPECT_EQ(wide.str(), std::string(20, ' ') + "x");
    TextString zero("a\tb");
    zero.ExpandTabs(0);
    EXPECT_EQ(zero.str(), "a\tb");
    // Runs of tabs, a tab at a tab stop, a tab at the end, and a long line
    // between two short ones.
    const struct {
        std::string text;
        int width;
        std::string expanded;
    } tabCases[] = {
        {"a\t\tb", 4, "a       b"},
        {"abcd\te", 4, "abcd    e"},
        {"x\t", 8, "x       "},
        {std::string(100000, 'x') + "\ty", 8, std::string(100000, 'x') + std::string(8, ' ') + "y"},
        {"q\tr", 8, "q       r"},
        // Tabs within and across sixteen-byte blocks, wide stops, and a
        // line of many short fields.
        {std::string(15, 'a') + "\t" + std::string(17, 'b') + "\t\tc", 8,
         std::string(15, 'a') + " " + std::string(17, 'b') + std::string(7, ' ') + std::string(8, ' ') + "c"},
        {"a\tb\t", 20, "a" + std::string(19, ' ') + "b" + std::string(19, ' ')},
        {"\t\t\t", 1, "   "},
    };
    for (const auto& tabCase : tabCases) {
        TextString text(tabCase.text);
        text.ExpandTabs(tabCase.width);
        EXPECT_EQ(text.str(), tabCase.expanded) << tabCase.text.size();
        EXPECT_EQ(text.buffer[text.length], '\0');
    }
    // Fields of 0 to 10 bytes, each followed by a tab: each field starts at
    // a tab stop, and ends one blank or more before the next.
    std::string fields;
    std::string expanded;
    for (int i = 0; i < 500; ++i) {
        const std::string field(static_cast<size_t>(i % 11), static_cast<char>('a' + i % 26));
        fields += field + "\t";
        expanded += field + std::string(field.size() < 8 ? 8 - field.size() : 16 - field.size(), ' ');
    }
    TextString many(fields);
    many.ExpandTabs(8);
    EXPECT_EQ(many.str(), expanded);

    TextString k("a1 b2\t-c");
    k.RemoveCharClass(3);
    EXPECT_EQ(k.str(), "a1 b2\tc");
    k.RemoveCharClass(2);
    EXPECT_EQ(k.str(), "a b\tc");
    k.RemoveCharClass(4);
    EXPECT_EQ(k.str(), "abc");
    k.RemoveCharClass(1);
    EXPECT_EQ(k.str(), "");
}

TEST(TextStringAssign, SubstringAndChars) {
    TextString s;
    s.AssignSubstring("abcdef", 2, 3);
    EXPECT_EQ(s.str(), "cde");
    s.AssignSubstring("abcdef", 4, -1);
    EXPECT_EQ(s.str(), "ef");
    s.AssignSubstring("abc", 10, 2);  // start clamped to the source end
    EXPECT_EQ(s.str(), "");
    s.AssignSubstring("abc", 1, 50);  // never reads past the source
    EXPECT_EQ(s.str(), "bc");
    EXPECT_EQ(s.length, 2);
    s.AssignSubstring(nullptr, 0, 4);
    EXPECT_EQ(s.length, 0);
    s.AssignChars("a\0b", 3);
    EXPECT_EQ(s.length, 3);
    s.Assign(s.buffer);
    EXPECT_EQ(s.length, 3);
    TextString joined = "x" + TextString("y") + "z";
    EXPECT_EQ(joined.str(), "xyz");
}

TEST(TextStringAssign, CharsInPlaceFromAnywhere) {
    // Copies that fit the buffer already owned are made in place, whatever
    // the source: a part of this text, another text, nothing; copies that do
    // not fit get a new buffer.
    const std::string source = "abcdefghijklmnopqrstuvwxyz0123456789";
    const struct {
        bool self;  // a part of the text itself ("abcdefgh") or of `source`
        int from, n;  // from -1: a null source
        bool sameBuffer;
    } cases[] = {
        {true, 2, 4, true},   {true, 0, 8, true},   {true, 0, 3, true},    {true, 3, 0, true},
        {false, -1, 3, true}, {false, 1, 20, true}, {false, 0, 36, false},
    };
    for (const auto& c : cases) {
        TextString s("abcdefgh");
        const char* before = s.buffer;
        const int size = s.BufferSize();
        const std::string all = c.self ? std::string("abcdefgh") : source;
        const std::string expected =
            c.from < 0 ? "" : all.substr(static_cast<size_t>(c.from), static_cast<size_t>(c.n));
        if (c.from < 0)
            s.AssignChars(nullptr, c.n);
        else
            s.AssignChars((c.self ? s.buffer : source.data()) + c.from, c.n);
        EXPECT_EQ(s.str(), expected) << c.self << " " << c.from << "+" << c.n;
        EXPECT_EQ(s.buffer[s.length], '\0');
        // (A buffer that grows may stay where it is.)
        EXPECT_EQ(s.buffer == before && s.BufferSize() == size, c.sameBuffer)
            << c.self << " " << c.from << "+" << c.n;
    }
    TextString empty;
    empty.AssignChars("", 0);  // the shared empty buffer is never written
    EXPECT_EQ(empty.BufferSize(), 0);
    empty.MakeEmpty();
    empty.Clear();
    EXPECT_STREQ(empty.buffer, "");
}

TEST(TextStringNumbers, ToRealAndToInteger) {
    struct RealCase {
        const char* text;
        bool ok;
        double value;
    };
    // clang-format off
    const RealCase reals[] = {
        {" 12.5 %", true, 12.5}, {"$5", true, 5}, {"(5)", true, 5}, {".5", true, 0.5}, {"5.", true, 5},
        {"-3", true, -3},        {"12px", false, -1}, {"1e5", false, -1}, {"1,000", false, -1},
        {"1.2.3", false, -1},    {"3-4", false, -1},  {"", false, -1},    {"%", false, -1},
    };
    // clang-format on
    for (const RealCase& c : reals) {
        double v = 0;
        EXPECT_EQ(TextString(c.text).ToReal(&v), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
    struct IntCase {
        char style;
        const char* text;
        bool ok;
        int value;
    };
    // clang-format off
    const IntCase ints[] = {
        {'1', " 42 ", true, 42}, {'1', "42%", true, 42}, {'1', "(7)", true, 7}, {'1', "3.5", false, -1},
        {'1', "a5", false, -1}, {'1', "99999999999", false, -1}, {'1', "-2147483648", true, INT32_MIN},
        {'O', "17", true, 15},  {'O', "19", false, -1}, {'a', "  c", true, 3}, {'A', "Q", true, 17},
        {'a', "12", false, -1}, {'i', "XIV", true, 14}, {'i', "lix", true, 59}, {'i', "xix", true, 19},
        {'i', "abc", true, 0},  {'x', "1", false, -1},
    };
    // clang-format on
    for (const IntCase& c : ints) {
        int v = 0;
        EXPECT_EQ(TextString(c.text).ToInteger(c.style, &v), c.ok) << c.style << c.text;
        EXPECT_EQ(v, c.value) << c.style << c.text;
    }
}

// A text held at `length` bytes in a buffer of the largest size a text may
// have.  The buffer's pages are taken only where they are written (its
// last bytes), so that a text near the limit costs little memory.
TextString NearTheLimit(int length) {
    TextString text("head");
    text.Reserve(kMaxTextLength);
    text.length = length;
    text.buffer[length] = '\0';
    return text;
}

TEST(TextStringLimit, EveryGrowthPastTheLimitFailsAndLeavesTheText) {
    const struct {
        const char* name;
        int length;  // the text's length before the growth
        void (*grow)(TextString&);
    } growths[] = {
        {"AppendBytes", kMaxTextLength - 3, [](TextString& t) { t.AppendBytes("abcd", 4); }},
        {"AppendBytes of a length that overflows an int", 2000000000,
         [](TextString& t) {
             const TextString piece = NearTheLimit(1000000000);
             t.AppendBytes(piece.buffer + 4, 400000000);
         }},
        {"Append", kMaxTextLength - 1, [](TextString& t) { t.Append("ab"); }},
        {"AppendChar", kMaxTextLength, [](TextString& t) { t.AppendChar('a'); }},
        {"AppendNumber", kMaxTextLength - 2, [](TextString& t) { t.AppendNumber('1', 1234, 0); }},
        {"Insert", kMaxTextLength - 2, [](TextString& t) { t.Insert(0, "abc"); }},
        {"InsertChar", kMaxTextLength, [](TextString& t) { t.InsertChar(4, 'a'); }},
        {"Reserve", 4, [](TextString& t) { t.Reserve(int64_t{kMaxTextLength} + 1); }},
        {"operator+=", kMaxTextLength, [](TextString& t) { t += "a"; }},
    };
    for (const auto& growth : growths) {
        SCOPED_TRACE(growth.name);
        TextString text = NearTheLimit(growth.length);
        EXPECT_THROW(growth.grow(text), TextTooLarge);
        EXPECT_EQ(text.length, growth.length);
        EXPECT_EQ(std::string_view(text.buffer, 4), "head");
    }
    // Up to the limit itself every growth succeeds.
    TextString full = NearTheLimit(kMaxTextLength - 4);
    full.AppendBytes("abcd", 4);
    EXPECT_EQ(full.length, kMaxTextLength);
    EXPECT_EQ(full.view().substr(static_cast<size_t>(kMaxTextLength) - 4), "abcd");
    EXPECT_EQ(full.buffer[kMaxTextLength], '\0');
}

TEST(TextStringLimit, TheFailureSaysHowLongTheTextWouldBeAndOfWhat) {
    TextString text = NearTheLimit(kMaxTextLength - 1);
    try {
        text.Append("abc");
        FAIL() << "no failure";
    } catch (const TextTooLarge& failure) {
        EXPECT_EQ(failure.Wanted(), int64_t{kMaxTextLength} + 2);
        EXPECT_FALSE(failure.Named());
        EXPECT_STREQ(failure.what(), "a text would be 2147483647 bytes long, more than the 2 GiB a text may hold");
        const TextTooLarge cell = failure.Naming("a table cell of line 2");
        EXPECT_STREQ(cell.what(),
                     "a table cell of line 2 would be 2147483647 bytes long, more than the 2 GiB a text may hold");
        // The innermost name stands.
        EXPECT_STREQ(cell.Naming("line 2").what(), cell.what());
    }
}

TEST(TextStringLimit, TabsThatWouldExpandPastTheLimitAreRefusedBeforeTheyAre) {
    // 34 M tabs at 64 blanks each: 2,176,000,002 bytes, counted in 64 bits.
    const std::string tabs(34000000, '\t');
    TextString line("A" + tabs + "x");
    EXPECT_EQ(ColumnAfterTabs(line.view(), 64), int64_t{34000000} * 64 + 1);
    try {
        line.ExpandTabs(64);
        FAIL() << "no failure";
    } catch (const TextTooLarge& failure) {
        EXPECT_EQ(failure.Wanted(), int64_t{34000000} * 64 + 1);
    }
    EXPECT_EQ(line.length, 34000002);
    EXPECT_EQ(line.view().substr(0, 2), "A\t");
}

#if !defined(__SANITIZE_ADDRESS__)
// A text that expands to the limit itself, with no room left for the
// blocks the expansion stores at a time: expanded byte by byte, it is all
// there.  (Two gigabytes written: not under the sanitizers.)
TEST(TextStringLimit, TabsThatExpandToTheLimitItselfAreAllExpanded) {
    constexpr int kTabs = kMaxTextLength / 64;
    constexpr int kTail = kMaxTextLength - kTabs * 64;
    TextString line(std::string(kTabs, '\t') + std::string(kTail, 'z'));
    line.ExpandTabs(64);
    ASSERT_EQ(line.length, kMaxTextLength);
    const std::string_view text = line.view();
    EXPECT_EQ(text.find_first_not_of(' '), static_cast<size_t>(kTabs) * 64);
    EXPECT_EQ(text.substr(static_cast<size_t>(kTabs) * 64), std::string(kTail, 'z'));
}
#endif
