#include "tables/preform.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string_view>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "context/preprocessor.h"
#include "foundation/unicode_text.h"
#include "foundation/utilities.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "output/rtf_file.h"
#include "output/rtf_paragraphs.h"
#include "policies/fc.h"
#include "policies/tab_config.h"

namespace {

// The text as a copy of it keeps it (up to a NUL byte) without its trailing
// blanks and tabs.
std::string_view WithoutTrailingBlanks(const TextString& text) {
    size_t n = strnlen(text.buffer, static_cast<size_t>(text.length));
    while (n > 0 && IsBlankOrTab(text.buffer[n - 1])) --n;
    return std::string_view(text.buffer, n);
}

// Whether two texts hold the same bytes.
bool SameText(const TextString& a, const TextString& b) {
    return a.length == b.length &&
           (a.buffer == b.buffer || std::memcmp(a.buffer, b.buffer, static_cast<size_t>(a.length)) == 0);
}

bool HasNonBlank(LineText text) {
    for (int i = 0; i < text.length; ++i)
        if (!IsBlankOrTab(text.buffer[i])) return true;
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// The texts of the block's lines

LineTextArena::~LineTextArena() = default;

char* LineTextArena::Allocate(size_t bytes, size_t align) {
    size_t skip = (align - reinterpret_cast<uintptr_t>(next) % align) % align;
    if (skip + bytes > left) {
        if (bytes > kOwnChunkBytes) {
            // new[] of char gives memory aligned for any fundamental type.
            chunks.push_back(std::make_unique_for_overwrite<char[]>(bytes));
            return chunks.back().get();
        }
        chunks.push_back(std::make_unique_for_overwrite<char[]>(kChunkBytes));
        next = chunks.back().get();
        left = kChunkBytes;
        skip = 0;
        // The chunk of its own stays below the newest one that has room.
    }
    char* bytesAt = next + skip;
    next += skip + bytes;
    left -= skip + bytes;
    return bytesAt;
}

LineText LineTextArena::Copy(std::string_view text) {
    if (text.empty()) return LineText{};
    char* bytes = Allocate(text.size() + 1);
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = '\0';
    return LineText{bytes, static_cast<int>(text.size())};
}

AnalysedLine* LineTextArena::Keep(std::unique_ptr<AnalysedLine> line) {
    kept.push_back(std::move(line));
    return kept.back().get();
}

// ---------------------------------------------------------------------------
// Records

static_assert(sizeof(PreFormLine) <= 48, "the line record grew: every line of a block pays for it");
static_assert(std::is_trivially_destructible_v<PreFormLine>, "records are dropped with their chunk");

PreFormLine::PreFormLine(const AnalysedLine& line, LineTextArena& arena, bool utf8Text)
    : indent(line.leadingBlanks > 0 ? line.leadingBlanks : 0),
      lineType(line.lineType),
      position(line.position),
      flags(line.flags),
      tagCode(static_cast<int16_t>(line.tagCode)) {
    const std::string_view layout = WithoutTrailingBlanks(line.taggedText);
    // A text equal to the tagged text (most lines: all three are) is the
    // layout text without being measured again.
    const TextString& tagged = line.taggedText;
    const std::string_view display = SameText(line, tagged) ? layout : WithoutTrailingBlanks(line);
    const std::string_view raw = SameText(line.rawText, tagged) ? layout : WithoutTrailingBlanks(line.rawText);
    AnalysedLine* replacements = nullptr;
    if (line.firstPairPresent || line.secondPairPresent) {
        auto pairs = std::make_unique<AnalysedLine>();
        pairs->CopyAnalysis(&line);
        replacements = arena.Keep(std::move(pairs));
    }
    wide = utf8Text && unicode::HasNonAscii(layout.data(), layout.size());
    Place(arena, layout, display, raw, replacements, line.originPosition);
}

void PreFormLine::Place(LineTextArena& arena, std::string_view layout, std::string_view display,
                        std::string_view raw, AnalysedLine* replacements, const SourcePosition& origin) {
    // Compared in place, copied only when kept.
    const bool ownDisplay = display.data() != layout.data() && display != layout;
    const bool rawIsLayout = raw.data() == layout.data() || raw == layout;
    const bool ownRaw = !rawIsLayout && !(ownDisplay && raw == display);
    const bool sameOrigin = origin.unit == position.unit && origin.line == position.line;
    if (!ownDisplay && rawIsLayout && !replacements && sameOrigin && !wide) {
        // Nothing to keep beside the layout text.
        const LineText copy = arena.Copy(layout);
        layoutText = copy.buffer;
        length = copy.length;
        hasOther = 0;
        return;
    }
    OtherTexts other;
    other.replacements = replacements;
    other.originPosition = origin;
    other.layoutBytes = static_cast<int>(layout.size());
    other.display = ownDisplay ? Source::Own : Source::Layout;
    other.displayBytes = ownDisplay ? static_cast<int>(display.size()) : 0;
    other.raw = ownRaw ? Source::Own : rawIsLayout ? Source::Layout : Source::Display;
    other.rawBytes = ownRaw ? static_cast<int>(raw.size()) : 0;
    const size_t textBytes = layout.size() + 1 + (ownDisplay ? display.size() + 1 : 0) + (ownRaw ? raw.size() + 1 : 0);
    char* block = arena.Allocate(sizeof(OtherTexts) + textBytes, alignof(OtherTexts));
    new (block) OtherTexts(other);
    char* at = block + sizeof(OtherTexts);
    layoutText = at;
    hasOther = 1;
    auto put = [&at](std::string_view text) {
        if (!text.empty()) std::memcpy(at, text.data(), text.size());
        at[text.size()] = '\0';
        at += text.size() + 1;
    };
    put(layout);
    if (ownDisplay) put(display);
    if (ownRaw) put(raw);
    length = wide ? unicode::DisplayWidth(layoutText, other.layoutBytes) : other.layoutBytes;
}

LineText PreFormLine::Display() const {
    if (!hasOther) return Layout();
    const OtherTexts& other = Other();
    if (other.display == Source::Layout) return Layout();
    return LineText{layoutText + other.layoutBytes + 1, other.displayBytes};
}

LineText PreFormLine::Raw() const {
    if (!hasOther) return Layout();
    const OtherTexts& other = Other();
    if (other.raw == Source::Layout) return Layout();
    if (other.raw == Source::Display) return Display();
    const char* after = layoutText + other.layoutBytes + 1;
    if (other.display == Source::Own) after += other.displayBytes + 1;
    return LineText{after, other.rawBytes};
}

void PreFormLine::SetLayout(LineTextArena& arena, std::string_view text) {
    // The texts are placed anew; the old bytes stay where they are until
    // the copies are made.
    Place(arena, text, Display().view(), Raw().view(), Replacements(), OriginPosition());
}

void PreFormLine::CutLayoutFront(LineTextArena& arena, int n) {
    const LineText layout = Layout();
    SetLayout(arena, n < layout.length ? layout.view().substr(static_cast<size_t>(n)) : std::string_view());
}

void PreFormLine::SetDisplay(LineTextArena& arena, std::string_view text) {
    Place(arena, Layout().view(), text, Raw().view(), Replacements(), OriginPosition());
}

void PreFormLine::SetRaw(LineTextArena& arena, std::string_view text) {
    Place(arena, Layout().view(), Display().view(), text, Replacements(), OriginPosition());
}

// ---------------------------------------------------------------------------
// The engine

PreForm::PreForm(OutputDocument* writer, FC* set, AnalysedLine*) : policies(set) {
    ResetCellFormat(defaultCellFormats[0]);
    ResetCellFormat(defaultCellFormats[1]);
    Context* context = set ? set->context : nullptr;
    const int format = context ? context->outputFormat : 0;
    if (format == 1 || format == 3) {
        htmlOutput = 0;
        rtfOutput = 1;
        rtfWriter = writer;
    } else {
        htmlWriter = writer;
    }
    // The policy set keeps no markup mode of its own yet, so the alignment
    // guess allows only the plain numeric characters.
    extendedMarkupMode = 0;
}

PreForm::~PreForm() = default;

void PreForm::ResetCellFormat(CellFormat& format) { format = CellFormat{}; }

PreFormLine& BlockLines::Add(const AnalysedLine& line, bool utf8Text) {
    if (count % kChunkLines == 0) chunks.push_back(std::make_unique<PreFormLine[]>(kChunkLines));
    PreFormLine& record = *(*this)[count];
    record = PreFormLine(line, texts, utf8Text);
    ++count;
    return record;
}

void PreForm::AddLine(const AnalysedLine& analysed) {
    // Columns are measured in display positions: only a line of UTF-8 text
    // with characters beyond ASCII needs them counted.
    const bool utf8Text = policies && policies->context && policies->context->documentState.utf8Text;
    PreFormLine& line = lines.Add(analysed, utf8Text);
    lineCount = static_cast<int>(lines.size());

    // A CHANGE_POLICY line is no part of the block's layout.
    if (line.lineType != kStatementChangePolicy && line.length - line.indent > 0) {
        if (longestLength < 0 || line.length > longestLength) longestLength = line.length;
        if (shortestLength < 0 || line.length < shortestLength) shortestLength = line.length;
        if (line.indent < smallestIndent && HasNonBlank(line.Layout()) && line.length > 0 &&
            !IsRuleLine(analysed.buffer))
            smallestIndent = line.indent;
    }
    if (analysed.HasFlag(kFlagHeaderLine)) ++mailHeaderLineCount;
}

void PreForm::AddColumn(int start, int gapEnd, int boundary, int score) {
    columns.push_back(std::make_unique<PreFormColumn>(start, gapEnd, boundary, score));
    columnCount = static_cast<int>(columns.size());
    const SourcePosition where = lines.empty() ? SourcePosition() : lines.front()->OriginPosition();
    cellRow.Add(std::make_unique<TableCell>(policies, where, nullptr));
}

void PreForm::ApplyTableLayout() {
    columns.clear();
    columnCount = 0;
    cellRow.Clear();

    const TabConfig* config = tabConfig ? tabConfig : (policies ? policies->GetDefaultTabConfig() : nullptr);
    const int layoutCount = config ? config->columnCount : 0;
    // A layout column stands at the column number it was given.
    auto positionOf = [&](int index) {
        const ColConfig* column = config->Column(index);
        return column ? column->firstColumn + 1 : 0;
    };
    for (int i = 0; i + 1 < layoutCount; ++i) {
        const int at = positionOf(i);
        AddColumn(at, at, at, -1);
    }
    AddColumn(longestLength - 1, longestLength - 1, longestLength - 1, -1);

    for (int i = 0; i + 1 < layoutCount; ++i) {
        const int before = i == 0 ? 0 : positionOf(i - 1);
        if (positionOf(i) >= before) continue;
        TextString message("TAG_ERROR: TABLE_LAYOUT columns ");
        message.AppendNumber('1', i, 0);
        message.Append(" and ");
        message.AppendNumber('1', i + 1, 0);
        message.Append(" overlap");
        if (policies) policies->ReportMessage(message.buffer, 10);
    }
    layoutColumns = 1;
}

