// Small helpers the table engine's output files share: the table
// configuration a block uses, policy switches read through a set that may be
// missing, and whole-line writes to an output document that may be missing.
#pragma once

#include <cstring>

#include "context/context.h"
#include "context/style_set.h"
#include "foundation/fonts.h"
#include "foundation/text_string.h"
#include "output/markup/colours.h"
#include "output/markup/escaping.h"
#include "output/output_document.h"
#include "policies/alignments.h"
#include "policies/fc.h"
#include "policies/tab_config.h"
#include "tables/preform.h"

namespace engine_support {

// The configuration the block was given, else the policy set's default one.
inline TabConfig* ConfigOf(const PreForm& engine) {
    if (engine.tabConfig) return engine.tabConfig;
    return engine.policies ? engine.policies->GetDefaultTabConfig() : nullptr;
}

inline bool IsOn(const FC* set, Pol id) { return set && set->IsOn(id); }

// The width in twips of a text in the table font (bold where `bold` is set,
// as the header cells of an RTF table are written).
inline double TextTwips(const PreForm& engine, const char* text, bool bold = false) {
    const Context* context = engine.policies ? engine.policies->context : nullptr;
    const FontSpec* font = context ? &context->styleSet.fonts[kStyleTable] : nullptr;
    const int size = font && font->size > 0 ? font->size : 12;
    const int fixed = font ? !font->proportional : 0;
    const double factor = font && font->widthFactor > 0 ? font->widthFactor : 1.0;
    const int thousandths =
        SumCharWidths(text, fixed, bold || (font && font->bold) ? 1 : 0, font ? font->italic : 0, 0, 0);
    return static_cast<double>(thousandths) * size * 20 / 1000.0 * factor;  // in double: no int overflow
}

// Whether the font changes around an HTML cell can write any markup or
// touch the document state: only while the output pass runs with fonts
// written as FONT tags, and then only when font markup is asked for or a
// font change is still pending (with font markup off, only the pending-font
// flag is cleared, which does nothing when it is clear already).  Most
// tables come out without, and the markup builders need not run for each of
// their cells.
inline bool CellFontMarkupPossible(const PreForm& engine) {
    const Context* context = engine.policies ? engine.policies->context : nullptr;
    if (!engine.htmlOutput || !context || !context->IsOutputPass() || !context->fontTagSwitch) return false;
    return engine.policies->IsOn(Pol::AddFontMarkup) || context->documentState.pendingFontFlag != 0;
}

inline void Write(OutputDocument* document, FC* set, const char* text) {
    if (document) document->WriteText(set, document, text);
}
inline void Write(OutputDocument* document, FC* set, const TextString& text) { Write(document, set, text.buffer); }

// Puts the `n` bytes at `source` (not inside `to`) into `to`, without the
// calls of AssignChars when its buffer has room: this runs for every cell.
inline void AssignPiece(TextString& to, const char* source, int n) {
    if (n > 0 && n <= to.capacity) {
        std::memcpy(to.buffer, source, static_cast<size_t>(n));
        to.length = n;
        to.buffer[n] = '\0';
    } else {
        to.AssignChars(source, n);
    }
}

// The table's background and border colours as TABLE attributes, unless
// colour markup is suppressed; a colour that may not be written is left out.
inline void AppendTableColours(TextString& tag, const TabConfig& config, const FC* set) {
    if (IsOn(set, Pol::SuppressAllColourMarkup)) return;
    if (config.IsSet(TabPol::TableColour))
        AppendHTMLColourAttribute(tag, "BGCOLOR", config.GetText(TabPol::TableColour));
    if (config.IsSet(TabPol::BorderColour))
        AppendHTMLColourAttribute(tag, "BORDERCOLOR", config.GetText(TabPol::BorderColour));
}

// The table's caption line, "<CAPTION>" and its text in the page's encoding,
// none of it markup; empty when the table has no caption.
inline TextString HtmlCaptionLine(const TabConfig& config, const FC* set) {
    if (!config.IsSet(TabPol::Caption) || config.GetText(TabPol::Caption).IsEmpty()) return TextString();
    TextString text(config.GetText(TabPol::Caption));
    HTML_WriteValueForPage(set, text);
    TextString line("<CAPTION>");
    line.Append(HTML_EscapeMarkupOnce(text));
    line.Append("</CAPTION>");
    return line;
}

// The table's width as a TABLE attribute, when one is set; a width that is
// not a number of pixels or a percentage is left out.
inline void AppendTableWidth(TextString& tag, const TabConfig& config) {
    const TextString& width = config.GetText(TabPol::Width);
    if (!config.IsSet(TabPol::Width) || !IsTableWidth(width)) return;
    tag.Append(" WIDTH=\"");
    tag.Append(width);
    tag.Append("\"");
}

// The opening of an HTML table: a DIV for a table not aligned left, then "<TABLE ID=" with the run's next table number.
inline void AppendTableOpening(TextString& tag, int alignment, Context* context) {
    if (alignment != kAlignmentLeft) {
        tag.Append("<DIV ALIGN=\"");
        tag.Append(alignment == kAlignmentCentre ? "CENTER" : (alignment == kAlignmentRight ? "RIGHT" : "LEFT"));
        tag.Append("\">");
    }
    tag.Append("<TABLE ID=\"table_");
    tag.AppendNumber('1', context ? context->tableCounter++ : 0, 0);
    tag.Append("\"");
}

}  // namespace engine_support
