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

static_assert(sizeof(PreFormLine) <= 56, "the line record grew: every line of a block pays for it");
static_assert(std::is_trivially_destructible_v<PreFormLine>, "records are dropped with their chunk");

PreFormLine::PreFormLine(const AnalysedLine& line, LineTextArena& arena, bool utf8Text)
    : indent(line.leadingBlanks > 0 ? line.leadingBlanks : 0),
      lineType(line.lineType),
      position(line.position),
      originPosition(line.originPosition),
      flags(line.flags),
      tagCode(static_cast<int16_t>(line.tagCode)) {
    const std::string_view layout = WithoutTrailingBlanks(line.taggedText);
    // The display and raw texts are kept only when they differ from the
    // layout text (compared in place, copied only when kept).  A text equal
    // to the tagged text (most lines: all three are) is the layout text
    // without being measured again.
    const TextString& tagged = line.taggedText;
    const std::string_view display = SameText(line, tagged) ? layout : WithoutTrailingBlanks(line);
    const std::string_view raw = SameText(line.rawText, tagged) ? layout : WithoutTrailingBlanks(line.rawText);
    const bool ownDisplay = display.data() != layout.data() && display != layout;
    const bool ownRaw = raw.data() != layout.data() && raw != layout;
    const bool pairs = line.firstPairPresent || line.secondPairPresent;
    wide = utf8Text && unicode::HasNonAscii(layout.data(), layout.size());
    if (!ownDisplay && !ownRaw && !pairs && !wide) {
        const LineText copy = arena.Copy(layout);
        layoutText = copy.buffer;
        length = copy.length;
        return;
    }
    OtherTexts other;
    if (ownDisplay) other.display = arena.Copy(display);
    if (ownRaw) other.raw = ownDisplay && raw == display ? other.display : arena.Copy(raw);
    if (pairs) {
        auto replacements = std::make_unique<AnalysedLine>();
        replacements->CopyAnalysis(&line);
        other.replacements = arena.Keep(std::move(replacements));
    }
    Place(arena, layout, other, !ownDisplay, !ownRaw);
}

void PreFormLine::Place(LineTextArena& arena, std::string_view text, OtherTexts other, bool displayIsLayout,
                        bool rawIsLayout) {
    if (!wide && !other.replacements && (displayIsLayout || other.display.view() == text) &&
        (rawIsLayout || other.raw.view() == text)) {
        // Nothing to keep beside the layout text.
        const LineText copy = arena.Copy(text);
        layoutText = copy.buffer;
        length = copy.length;
        hasOther = 0;
        return;
    }
    char* block = arena.Allocate(sizeof(OtherTexts) + text.size() + 1, alignof(OtherTexts));
    char* textAt = block + sizeof(OtherTexts);
    if (!text.empty()) std::memcpy(textAt, text.data(), text.size());
    textAt[text.size()] = '\0';
    const LineText layout{textAt, static_cast<int>(text.size())};
    other.layoutBytes = layout.length;
    if (displayIsLayout) other.display = layout;
    if (rawIsLayout) other.raw = layout;
    new (block) OtherTexts(other);
    layoutText = textAt;
    hasOther = 1;
    length = wide ? unicode::DisplayWidth(layout.buffer, layout.length) : layout.length;
}

PreFormLine::OtherTexts PreFormLine::CurrentOther() const {
    if (hasOther) return Other();
    OtherTexts other;
    other.display = other.raw = Layout();
    other.layoutBytes = length;
    return other;
}

void PreFormLine::SetLayout(LineTextArena& arena, std::string_view text) {
    // The display and raw texts keep the bytes they name.
    const OtherTexts other = CurrentOther();
    Place(arena, text, other, other.display.view() == text, other.raw.view() == text);
}

void PreFormLine::CutLayoutFront(LineTextArena& arena, int n) {
    const LineText layout = Layout();
    SetLayout(arena, n < layout.length ? layout.view().substr(static_cast<size_t>(n)) : std::string_view());
}

void PreFormLine::SetDisplay(LineTextArena& arena, std::string_view text) {
    OtherTexts other = CurrentOther();
    const LineText layout = Layout();
    const bool isLayout = text == layout.view();
    if (!isLayout) other.display = arena.Copy(text);
    Place(arena, layout.view(), other, isLayout, other.raw.view() == layout.view());
}

void PreFormLine::SetRaw(LineTextArena& arena, std::string_view text) {
    OtherTexts other = CurrentOther();
    const LineText layout = Layout();
    const bool isLayout = text == layout.view();
    if (!isLayout) other.raw = arena.Copy(text);
    Place(arena, layout.view(), other, other.display.view() == layout.view(), isLayout);
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
    const SourcePosition where = lines.empty() ? SourcePosition() : lines.front()->originPosition;
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

