// Font descriptions and text-width estimates.
//
// FontSpec is the small value record that describes one font as the converter
// uses it (face, alternate face, colour, size, line height, style flags and a
// width factor relative to Times New Roman).  FontMetrics holds the character
// widths and kerning pairs of the Times faces, from which the table layout
// estimates how wide a text will print.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "foundation/text_string.h"

// Whether a font name may be used: it is written as it stands into the
// style sheet, FONT tags and the RTF font table, so one holding "<", ">",
// "{", "}", ";", a quote, a backslash or a control character, which could
// end what it is written into, is never taken.
bool IsUsableFontFace(const TextString& face);

class FontSpec {
public:
    TextString faceName;
    TextString alternateFace;
    // Black is kept as the empty text.
    TextString colour;
    // Index into the RTF font table, -1 for none.
    int fontIndex = -1;
    // Point size and line height in points.
    int size = 12;
    int lineHeight = 14;
    int spare = 0;
    // How much wider than Times New Roman the face runs.
    double widthFactor = 1.0;
    // 0 for the fixed-pitch code fonts.
    int proportional = 1;
    // Set by the fourth argument of the in-line font tag.
    int extraStyle = 0;
    int bold = 0;
    int italic = 0;
    // The record has been given a face or copied from a set record.
    int set = 0;

    FontSpec();
    FontSpec(const FontSpec& other);
    FontSpec& operator=(const FontSpec& other);
    ~FontSpec();

    // Every member back to its initial value except the set flag.
    void Reset();
    // Copies every member but the set flag.
    void CopyValues(const FontSpec& other);

    // Fills nine flags (1 equal, 0 different); any pointer may be null.  The
    // face is compared without regard to case.
    void Compare(const FontSpec& other, int* faceEqual, int* alternateEqual, int* colourEqual, int* sizeEqual,
                 int* widthFactorEqual, int* spareEqual, int* lineHeightEqual, int* boldEqual,
                 int* italicEqual) const;

    // Stores the face and, for a face of the width-factor table, its factor.
    void SetFaceName(const TextString& face);
    void SetAlternateFace(const TextString& face);
    TextString GetAlternateFace() const;
    // "BLACK", "#000000" and "000000" (any case) are stored as the empty text.
    void SetColour(const TextString& newColour);
    // While the line height is below the size it is raised to the size;
    // otherwise it becomes h.
    void SetLineHeight(int h);

    void SetFontIndex(int value) { fontIndex = value; }
    void SetSize(int value) { size = value; }
    void SetBold(int value) { bold = value; }
    void SetItalic(int value) { italic = value; }
    void SetExtraStyle(int value) { extraStyle = value; }
    void SetProportional(int value) { proportional = value; }
};

// Looks a face name up in the width-factor table (without regard to case).
// Returns 1 and sets *factor when found, else 0.
int LookUpFaceWidthFactor(const char* face, double* factor);

// Style columns of the width table.
enum FontStyleColumn { kStyleRegular = 0, kStyleBold = 1, kStyleItalic = 2, kStyleBoldItalic = 3 };

class FontMetrics {
public:
    struct KerningPair {
        // first character * 256 + second character, both as unsigned bytes.
        int key;
        int adjustment;
    };

    static constexpr int kStyleCount = 4;
    static constexpr int kControlCharWidth = 70;
    static constexpr int kDefaultWidth = 56;

    // Zeroes every row and loads the Times widths and kerning pairs.
    void Fill();
    // Inserts the pair in key order, in front of pairs with an equal key.
    void AddKerningPair(char first, char second, int adjustment);
    // The adjustment of the pair in 1/1000 em, 0 when there is none.
    int GetKerning(char first, char second) const;

    // Width in 1/1000 em of the character in the style column (0-3); 0 for an
    // unknown character or a style outside the table.
    int GetCharWidth(char c, int style) const;
    int GetDefaultWidth() const { return defaultWidth; }
    const std::vector<KerningPair>& GetKerningPairs() const { return kerningPairs; }

private:
    int charWidths[256][kStyleCount] = {};
    int defaultWidth = kDefaultWidth;
    std::vector<KerningPair> kerningPairs;
};

// The process-wide metrics, filled on first use.
const FontMetrics& GetFontMetrics();

// Width in 1/1000 em of a text in the Times style chosen by bold and italic.
// Every character counts as 'M' when fixedPitch is set; with skipEntities an
// HTML entity ("&amp;") counts as one '&'; with kerning the kerning pairs of
// neighbouring characters are added.  A null text measures 0.
int SumCharWidths(const char* text, int fixedPitch, int bold, int italic, int skipEntities, int kerning);

// Estimated printed width in twips at the point size, widened by extraPercent.
int EstimateTextWidth(const char* text, int pointSize, int extraPercent, int fixedPitch, int bold, int italic,
                      int skipEntities);
int EstimateTextWidth(const TextString& text, int pointSize, int extraPercent, int fixedPitch, int bold, int italic,
                      int skipEntities);

// The same estimate in whole points, rounded up by one.
int EstimateTextWidthPoints(const char* text, int pointSize, int extraPercent, int fixedPitch, int bold, int italic,
                            int skipEntities);
int EstimateTextWidthPoints(const TextString& text, int pointSize, int extraPercent, int fixedPitch, int bold,
                            int italic, int skipEntities);

// Estimate in the regular proportional style without entity skipping.
int EstimatePlainTextWidth(const TextString& text, int pointSize, int extraPercent);

// Generated Times metrics (times_metrics.cpp).
struct TimesWidthRow {
    int code;
    int widths[FontMetrics::kStyleCount];
};
struct TimesKerningPair {
    int first;
    int second;
    int adjustment;
};
std::span<const TimesWidthRow> TimesWidthRows();
std::span<const TimesKerningPair> TimesKerningPairs();
