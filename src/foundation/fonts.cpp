#include "foundation/fonts.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "foundation/unicode_text.h"

namespace {

struct FaceWidthFactor {
    const char* face;
    double factor;
};

// Width of each face relative to Times New Roman.  The names are compared
// without regard to case.
// clang-format off
constexpr FaceWidthFactor kFaceWidthFactors[] = {
    {"times new roman", 1.0},      {"courier new", 1.45},         {"ms sans serif", 1.2},
    {"verdana", 1.3},              {"david", 1.0},                {"ms serif", 0.95},
    {"arial", 1.1},                {"dotum", 1.2},                {"ms systemex", 1.15},
    {"angsana new", 0.7},          {"fixedsys", 1.15},            {"ms ui gothic", 1.0},
    {"angsanaupc", 0.7},           {"garamond", 1.0},             {"nsimsun", 1.2},
    {"ar sans serif", 1.1},        {"lucida console", 1.4},       {"palatino linotype", 1.1},
    {"arabic transparent", 1.0},   {"lucida sans unicode", 1.3},  {"pmingliu", 0.9},
    {"arial black", 1.3},          {"microsoft sans serif", 1.1}, {"roman", 1.1},
    {"arial narrow", 0.85},        {"minglui", 1.0},              {"script", 1.05},
    {"batang", 1.25},              {"ms dialog", 1.15},           {"small fonts", 1.0},
    {"batangche", 1.2},            {"ms dialog light", 1.1},      {"sylfaen", 1.0},
    {"bookman old style", 1.2},    {"ms gothic", 1.2},            {"system", 1.15},
    {"browallia new", 0.7},        {"ms pgothic", 1.0},           {"tahoma", 1.2},
    {"browalliaupc", 0.7},         {"ms mincho", 1.2},            {"terminal", 1.1},
    {"comic sans MS", 1.2},        {"ms pmincho", 1.0},           {"trebuchet ms", 1.15},
    {"corida new", 0.7},           {"courier", 1.45},             {"wingdings", 2.0},
    {"cordiaupc", 0.7},
};
// clang-format on
static_assert(std::size(kFaceWidthFactors) == 49);

bool EqualNoCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (ToUpperAscii(*a) != ToUpperAscii(*b)) return false;
    }
    return *a == *b;
}

int StyleColumn(int bold, int italic) {
    return (bold != 0 ? kStyleBold : kStyleRegular) + (italic != 0 ? kStyleItalic : kStyleRegular);
}

int KerningKey(char first, char second) {
    return static_cast<unsigned char>(first) * 256 + static_cast<unsigned char>(second);
}

// Truncates towards zero, saturating instead of overflowing for absurdly long texts.
int TruncateToInt(double value) {
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

// When text[i] starts an entity ('&' followed within fewer than 8 characters
// by ';', with no blank or end of text before it), returns the position of
// the ';'; otherwise -1.
int EntityEnd(const char* text, int i) {
    for (int j = i + 1; j < i + 8; ++j) {
        char c = text[j];
        if (c == ';') return j;
        if (c == '\0' || IsBlankOrTab(c)) return -1;
    }
    return -1;
}

}  // namespace

int LookUpFaceWidthFactor(const char* face, double* factor) {
    if (face == nullptr) return 0;
    for (const FaceWidthFactor& row : kFaceWidthFactors) {
        if (EqualNoCase(face, row.face)) {
            if (factor != nullptr) *factor = row.factor;
            return 1;
        }
    }
    return 0;
}

// ---------------------------------------------------------------------------
// FontSpec

bool IsUsableFontFace(const TextString& face) {
    return std::none_of(face.buffer, face.buffer + face.length, [](char c) {
        const unsigned char byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || std::strchr("<>{};\"'\\", c) != nullptr;
    });
}

FontSpec::FontSpec() {
    Reset();
    set = 0;
}

FontSpec::FontSpec(const FontSpec& other) {
    Reset();
    CopyValues(other);
    set = 1;
}

FontSpec& FontSpec::operator=(const FontSpec& other) {
    if (this != &other) {
        CopyValues(other);
        set = other.set;
    }
    return *this;
}

FontSpec::~FontSpec() = default;

void FontSpec::Reset() {
    faceName.MakeEmpty();
    alternateFace.MakeEmpty();
    colour.MakeEmpty();
    fontIndex = -1;
    size = 12;
    lineHeight = 14;
    spare = 0;
    widthFactor = 1.0;
    proportional = 1;
    extraStyle = 0;
    bold = 0;
    italic = 0;
}

void FontSpec::CopyValues(const FontSpec& other) {
    if (this == &other) return;
    faceName = other.faceName;
    alternateFace = other.alternateFace;
    colour = other.colour;
    fontIndex = other.fontIndex;
    size = other.size;
    lineHeight = other.lineHeight;
    spare = other.spare;
    widthFactor = other.widthFactor;
    proportional = other.proportional;
    extraStyle = other.extraStyle;
    bold = other.bold;
    italic = other.italic;
}

void FontSpec::Compare(const FontSpec& other, int* faceEqual, int* alternateEqual, int* colourEqual, int* sizeEqual,
                       int* widthFactorEqual, int* spareEqual, int* lineHeightEqual, int* boldEqual,
                       int* italicEqual) const {
    auto store = [](int* flag, bool equal) {
        if (flag != nullptr) *flag = equal ? 1 : 0;
    };
    store(faceEqual, EqualNoCase(faceName.buffer, other.faceName.buffer));
    store(alternateEqual, alternateFace == other.alternateFace);
    store(colourEqual, colour == other.colour);
    store(sizeEqual, size == other.size);
    store(widthFactorEqual, widthFactor == other.widthFactor);
    store(spareEqual, spare == other.spare);
    store(lineHeightEqual, lineHeight == other.lineHeight);
    store(boldEqual, bold == other.bold);
    store(italicEqual, italic == other.italic);
}

void FontSpec::SetFaceName(const TextString& face) {
    faceName = face;
    LookUpFaceWidthFactor(faceName.buffer, &widthFactor);
    set = 1;
}

void FontSpec::SetAlternateFace(const TextString& face) {
    alternateFace = face;
    set = 1;
}

TextString FontSpec::GetAlternateFace() const { return alternateFace; }

void FontSpec::SetColour(const TextString& newColour) {
    if (EqualNoCase(newColour.buffer, "BLACK") || EqualNoCase(newColour.buffer, "#000000") ||
        EqualNoCase(newColour.buffer, "000000")) {
        colour.MakeEmpty();
    } else {
        colour = newColour;
    }
}

void FontSpec::SetLineHeight(int h) {
    if (lineHeight < size) {
        lineHeight = size;
    } else {
        lineHeight = h;
    }
}

// ---------------------------------------------------------------------------
// FontMetrics

void FontMetrics::Fill() {
    for (auto& row : charWidths) std::fill(std::begin(row), std::end(row), 0);
    defaultWidth = kDefaultWidth;
    for (int code : {10, 13, 27}) {
        std::fill(std::begin(charWidths[code]), std::end(charWidths[code]), kControlCharWidth);
    }
    for (const TimesWidthRow& row : TimesWidthRows()) {
        if (row.code < 0 || row.code > 255) continue;
        std::copy(std::begin(row.widths), std::end(row.widths), charWidths[row.code]);
    }
    kerningPairs.clear();
    kerningPairs.reserve(TimesKerningPairs().size());
    for (const TimesKerningPair& pair : TimesKerningPairs()) {
        AddKerningPair(static_cast<char>(pair.first), static_cast<char>(pair.second), pair.adjustment);
    }
}

void FontMetrics::AddKerningPair(char first, char second, int adjustment) {
    int key = KerningKey(first, second);
    auto at = std::lower_bound(kerningPairs.begin(), kerningPairs.end(), key,
                               [](const KerningPair& pair, int k) { return pair.key < k; });
    kerningPairs.insert(at, KerningPair{key, adjustment});
}

int FontMetrics::GetKerning(char first, char second) const {
    int key = KerningKey(first, second);
    int low = 0;
    int high = static_cast<int>(kerningPairs.size()) - 1;
    while (low <= high) {
        int middle = low + (high - low) / 2;
        int middleKey = kerningPairs[static_cast<size_t>(middle)].key;
        if (middleKey == key) return kerningPairs[static_cast<size_t>(middle)].adjustment;
        if (middleKey < key) {
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return 0;
}

int FontMetrics::GetCharWidth(char c, int style) const {
    if (style < 0 || style >= kStyleCount) return 0;
    return charWidths[static_cast<unsigned char>(c)][style];
}

const FontMetrics& GetFontMetrics() {
    static const FontMetrics metrics = [] {
        FontMetrics filled;
        filled.Fill();
        return filled;
    }();
    return metrics;
}

// ---------------------------------------------------------------------------
// Text measures

int SumCharWidths(const char* text, int fixedPitch, int bold, int italic, int skipEntities, int kerning) {
    if (text == nullptr) return 0;
    const FontMetrics& metrics = GetFontMetrics();
    const int style = StyleColumn(bold, italic);
    long long total = 0;
    for (int i = 0; text[i] != '\0'; ++i) {
        char c = text[i];
        // A UTF-8 character counts once, at the default width for each
        // position it takes.
        if (static_cast<unsigned char>(c) >= 0xC2) {
            const auto* bytes = reinterpret_cast<const unsigned char*>(text + i);
            const int n = unicode::SequenceLength(bytes, std::strlen(text + i));
            if (n > 0) {
                int at = i;
                const uint32_t code = unicode::NextCharacter(text, i + n, &at);
                total += static_cast<long long>(metrics.GetDefaultWidth()) * unicode::DisplayWidth(code);
                i += n - 1;
                continue;
            }
        }
        int entityEnd = -1;
        if (skipEntities != 0 && c == '&') entityEnd = EntityEnd(text, i);
        int width = metrics.GetCharWidth(fixedPitch != 0 ? 'M' : c, style);
        if (width <= 0) width = metrics.GetDefaultWidth();
        total += width;
        if (entityEnd >= 0) {
            // The entity stands for one character; no kerning is added for it.
            i = entityEnd;
            continue;
        }
        if (kerning != 0 && text[i + 1] != '\0') total += metrics.GetKerning(c, text[i + 1]);
    }
    return TruncateToInt(static_cast<double>(total));
}

int EstimateTextWidth(const char* text, int pointSize, int extraPercent, int fixedPitch, int bold, int italic,
                      int skipEntities) {
    int sum = SumCharWidths(text, fixedPitch, bold, italic, skipEntities, 1);
    int width = TruncateToInt(static_cast<double>(sum) * pointSize * 0.02);
    if (extraPercent != 0) width = TruncateToInt((extraPercent + 100.0) * 0.01 * width);
    return width;
}

int EstimateTextWidth(const TextString& text, int pointSize, int extraPercent, int fixedPitch, int bold, int italic,
                      int skipEntities) {
    return EstimateTextWidth(text.buffer, pointSize, extraPercent, fixedPitch, bold, italic, skipEntities);
}

int EstimateTextWidthPoints(const char* text, int pointSize, int extraPercent, int fixedPitch, int bold, int italic,
                            int skipEntities) {
    return EstimateTextWidth(text, pointSize, extraPercent, fixedPitch, bold, italic, skipEntities) / 20 + 1;
}

int EstimateTextWidthPoints(const TextString& text, int pointSize, int extraPercent, int fixedPitch, int bold,
                            int italic, int skipEntities) {
    return EstimateTextWidthPoints(text.buffer, pointSize, extraPercent, fixedPitch, bold, italic, skipEntities);
}

int EstimatePlainTextWidth(const TextString& text, int pointSize, int extraPercent) {
    return EstimateTextWidth(text.buffer, pointSize, extraPercent, 0, 0, 0, 0);
}
