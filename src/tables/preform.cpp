#include "tables/preform.h"

#include <cstring>
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
#include "policies/output_formats.h"
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

bool HasNonBlank(const TextString& text) {
    for (int i = 0; i < text.length; ++i)
        if (!IsBlankOrTab(text.buffer[i])) return true;
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// The line allocator

namespace {

// Line records are carved from slabs of kSlabRecords records: a large block
// then costs the records' own size and no allocator header per line.  Freed
// records go on a free list; when the last live record is freed (the end of a
// file's conversion) the slabs are given back.  A record size other than
// PreFormLine's (a derived class) goes to the global allocator.  Under
// AddressSanitizer every record is a heap block of its own, so that misuse
// of a freed line is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPoolLines = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPoolLines = false;
#else
constexpr bool kPoolLines = true;
#endif
#else
constexpr bool kPoolLines = true;
#endif

// The program converts on one thread (ARCHITECTURE.md, "One thread"): the
// slabs are shared by every engine without a lock.
class LineSlabs {
public:
    void* Allocate() {
        ++live;
        if (freeList) {
            FreeRecord* record = freeList;
            freeList = record->next;
            return record;
        }
        if (slabs.empty() || used == kSlabRecords) {
            slabs.push_back(std::unique_ptr<Record[]>(new Record[kSlabRecords]));
            used = 0;
        }
        return &slabs.back()[used++];
    }

    void Release(void* pointer) {
        auto* record = static_cast<FreeRecord*>(pointer);
        record->next = freeList;
        freeList = record;
        if (--live == 0) {
            slabs.clear();
            freeList = nullptr;
            used = 0;
        }
    }

private:
    static constexpr size_t kSlabRecords = 1024;
    struct FreeRecord {
        FreeRecord* next;
    };
    struct Record {
        alignas(PreFormLine) unsigned char bytes[sizeof(PreFormLine)];
    };
    std::vector<std::unique_ptr<Record[]>> slabs;
    size_t used = 0;  // records handed out from the newest slab
    FreeRecord* freeList = nullptr;
    size_t live = 0;
};

// Never destroyed, so that a line freed during static destruction still
// finds its allocator.
LineSlabs& Slabs() {
    static LineSlabs* slabs = new LineSlabs;
    return *slabs;
}

}  // namespace

void* PreFormLine::operator new(size_t size) {
    if (!kPoolLines || size != sizeof(PreFormLine)) return ::operator new(size);
    return Slabs().Allocate();
}

void PreFormLine::operator delete(void* record, size_t size) noexcept {
    if (!record) return;
    if (!kPoolLines || size != sizeof(PreFormLine)) {
        ::operator delete(record);
        return;
    }
    Slabs().Release(record);
}

// ---------------------------------------------------------------------------
// Records

PreFormLine::PreFormLine() = default;
PreFormLine::~PreFormLine() = default;

PreFormLine::PreFormLine(const AnalysedLine& line)
    : length(0),
      indent(line.leadingBlanks > 0 ? line.leadingBlanks : 0),
      lineType(line.lineType),
      position(line.position),
      originPosition(line.originPosition),
      flags(line.flags),
      tagCode(static_cast<int16_t>(line.tagCode)),
      layoutText(WithoutTrailingBlanks(line.taggedText)) {
    length = layoutText.length;
    // The display and raw texts are kept only when they differ from the
    // layout text (compared in place, copied only when kept).
    // A text equal to the tagged text (most lines: all three are) has the
    // layout text's view without being measured again.
    const TextString& tagged = line.taggedText;
    const std::string_view display = SameText(line, tagged) ? layoutText.view() : WithoutTrailingBlanks(line);
    if (display.data() != layoutText.buffer && display != layoutText.view()) {
        Other().display = Source::Own;
        other->displayText = TextString(display);
    }
    const std::string_view raw =
        SameText(line.rawText, tagged) ? layoutText.view() : WithoutTrailingBlanks(line.rawText);
    if (raw.data() != layoutText.buffer && raw != layoutText.view()) {
        if (Other().display == Source::Own && raw == other->displayText.view()) {
            other->raw = Source::Display;
        } else {
            other->raw = Source::Own;
            other->rawText = TextString(raw);
        }
    }
    if (line.firstPairPresent || line.secondPairPresent) {
        replacements = std::make_unique<AnalysedLine>();
        replacements->CopyAnalysis(&line);
    }
}

PreFormLine::OtherTexts& PreFormLine::Other() {
    if (!other) other = std::make_unique<OtherTexts>();
    return *other;
}

void PreFormLine::DropOtherWhenUnused() {
    if (other && other->display == Source::Layout && other->raw == Source::Layout) other.reset();
}

// The display and raw texts that are the layout text get the one copy of it
// they then share.
void PreFormLine::Measure() {
    length = wide ? unicode::DisplayWidth(layoutText.buffer, layoutText.length) : layoutText.length;
}

TextString& PreFormLine::MutableLayout() {
    OtherTexts& texts = Other();
    if (texts.display == Source::Layout) {
        texts.displayText = layoutText;
        texts.display = Source::Own;
        if (texts.raw == Source::Layout) texts.raw = Source::Display;
    } else if (texts.raw == Source::Layout) {
        texts.rawText = layoutText;
        texts.raw = Source::Own;
    }
    return layoutText;
}

void PreFormLine::SetLayout(const TextString& text) { MutableLayout() = text; }

void PreFormLine::SetDisplay(const TextString& text) {
    // A raw text that shares the display text keeps its value.
    if (other && other->raw == Source::Display) {
        other->rawText = other->displayText;
        other->raw = Source::Own;
    }
    if (text == layoutText) {
        if (!other) return;
        other->display = Source::Layout;
        other->displayText.MakeEmpty();
        DropOtherWhenUnused();
    } else {
        Other().display = Source::Own;
        other->displayText = text;
    }
}

void PreFormLine::SetRaw(const TextString& text) {
    if (text == layoutText) {
        if (!other) return;
        other->raw = Source::Layout;
        other->rawText.MakeEmpty();
        DropOtherWhenUnused();
    } else {
        Other().raw = Source::Own;
        other->rawText = text;
    }
}

// ---------------------------------------------------------------------------
// The engine

PreForm::PreForm(OutputDocument* writer, FC* set, AnalysedLine*) : policies(set) {
    ResetCellFormat(defaultCellFormats[0]);
    ResetCellFormat(defaultCellFormats[1]);
    Context* context = set ? set->context : nullptr;
    const int format = context ? context->outputFormat : kOutputHTML;
    if (format == kOutputRTF || format == kOutputPDF) {
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

void PreForm::AddLine(const AnalysedLine& analysed) {
    // The array grows by a quarter at a time (rather than doubling): a large
    // block keeps little spare room at the end of the file.
    if (lines.size() == lines.capacity()) lines.reserve(lines.size() + lines.size() / 4 + 16);
    lines.push_back(std::make_unique<PreFormLine>(analysed));
    lineCount = static_cast<int>(lines.size());
    PreFormLine& line = *lines.back();
    // Columns are measured in display positions: only a line of UTF-8 text
    // with characters beyond ASCII needs them counted.
    if (policies && policies->context && policies->context->documentState.utf8Text &&
        unicode::HasNonAscii(line.Layout())) {
        line.wide = 1;
        line.Measure();
    }

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

