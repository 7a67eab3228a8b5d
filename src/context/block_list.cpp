#include "context/block_list.h"

#include "context/context.h"
#include "output/font_changes.h"
#include "output/font_markup.h"
#include "output/output_document.h"
#include "output/paragraphs.h"
#include "policies/fc.h"

namespace {

bool Contains(const TextString& text, const char* pattern) {
    int position = -1;
    return text.Find(0, pattern, &position, 0);
}

// Type of one tag.  `prefix` is "<" for start tags and "</" for end tags;
// `indentName` is the indentation block's tag name.  Matches are substring
// searches, so "<P" also finds "<PRE" and "<H" also finds "<HR"; the fixed
// priority order decides between several matches.
int ClassifyTag(const TextString& tag, const char* prefix, const TextString& indentName) {
    auto has = [&](const char* name) {
        TextString pattern(prefix);
        pattern.Append(name);
        return Contains(tag, pattern.buffer);
    };
    if (has("H")) return kBlockHeading;
    if (has("LI")) return kBlockListItem;
    // An empty name would make "<" alone match every tag.
    const bool indent = indentName.length > 0 && has(indentName.buffer);
    if (indent) return kBlockIndent;
    if (has("P")) return kBlockParagraph;
    if (has("TABLE")) return kBlockTable;
    if (has("DL")) return kBlockDefinitionList;
    if (has("UL")) return kBlockUnorderedList;  // only reached when the indentation test failed
    if (has("OL")) return kBlockOrderedList;
    if (has("BODY")) return kBlockBody;
    return kBlockUnknown;
}

void Report(FC* set, const TextString& text) { set->ReportMessage(text.buffer, kLevelAlways); }

}  // namespace

int BlockList::GetBlockType(FC* set, const TextString* startTag, const TextString* endTag) {
    static const TextString kNoIndentName;
    const TextString& indentName = set ? set->indentClose : kNoIndentName;
    if (startTag) {
        int type = ClassifyTag(*startTag, "<", indentName);
        if (type != kBlockUnknown || !endTag) return type;
    }
    if (endTag) return ClassifyTag(*endTag, "</", indentName);
    return kBlockUnknown;
}

void BlockList::Add(FC* set, OutputDocument* document, TextString& startTag) {
    if (!set) return;
    if (!document) {
        set->ReportMessage("PROGRAM ERROR: File pointer null in BlockList::Add", kLevelAlways);
        return;
    }
    BlockEntry* innermost = Innermost();
    const int outerType = innermost ? innermost->type : kBlockUnknown;
    const int outerCounting = innermost ? innermost->counting : 0;

    const int type = GetBlockType(set, &startTag, nullptr);
    if (type == kBlockUnknown) {
        Report(set, TextString("UNSUPPORTED CASE: Unknown block start tag ; ") + startTag);
    } else if (type == kBlockHeading && outerType != kBlockBody && outerType != kBlockIndent) {
        TextString message("PROGRAM ERROR: HEADING added to invalid block type ");
        message.AppendNumber('1', outerType, 0);
        Report(set, message);
    } else if (type == kBlockTable && !set->IsOn(Pol::OmitHeadAndBody)) {
        const bool allowed = outerType == kBlockUnknown || outerType == kBlockBody ||
                             outerType == kBlockOrderedList || outerType == kBlockUnorderedList ||
                             outerType == kBlockDefinitionList || outerType == kBlockIndent;
        if (!allowed) {
            TextString message("WARNING: TABLE added to non-BODY block type ");
            message.AppendNumber('1', outerType, 0);
            Report(set, message);
        }
    }

    if (set->GetInt(Pol::IndentationMarkupCode) == -1) startTag.Replace("UL DUMMY", "UL", 1, 1);

    if (outerCounting) {
        if (type == kBlockParagraph || type == kBlockTable) {
            innermost->itemCount += 1;
        } else {
            innermost->itemCount = 0;
            innermost->writerValue4 = 0;
        }
    }

    document->WriteText(set, document, startTag.buffer);

    TextString tagText(startTag);
    tagText.Trim(0, nullptr);
    if (tagText.length == 0) return;
    tagText.CollapseBlanks();

    auto entry = std::make_unique<BlockEntry>();
    entry->type = type;
    entry->tagText = tagText;
    if (Context* context = set->context) {
        entry->position = context->pGetTracker()->position;
        if (const FontSpec* font = context->GetCurrentFont()) {
            entry->blockFont = *font;
            entry->openingFont = *font;
        }
    }
    entries.push_back(std::move(entry));
}

bool BlockList::IsMismatch(FC* set, int endType, const BlockEntry& innermost) {
    if (endType == innermost.type) return false;
    // The dummy indentation list is opened as "<UL>" and closed as "</UL>".
    const bool dummyIndent = set->indentClose.Matches("UL DUMMY", 0, 0);
    return !(dummyIndent && endType == kBlockUnorderedList && innermost.type == kBlockIndent);
}

void BlockList::ReportMismatch(FC* set, const TextString& endTag, const BlockEntry& innermost) {
    TextString message("PROGRAM ERROR: Requested end tag ");
    message.Append(endTag);
    message.Append(" doesn't match block tag :");
    message.Append(innermost.tagText);
    Report(set, message);
}

void BlockList::Decrement(FC* set, OutputDocument* document, TextString& endTag) {
    if (!set) return;
    if (!document) {
        set->ReportMessage("PROGRAM ERROR: File pointer null in BlockList::Decrement", kLevelAlways);
        return;
    }
    if (entries.empty()) return;

    // What is needed of the innermost block is copied now: ending the
    // paragraph below closes the paragraph block through its own call.
    BlockEntry& innermost = *entries.back();
    const int innermostType = innermost.type;
    const bool bodyOrParagraph = innermostType == kBlockBody || innermostType == kBlockParagraph;
    const int policyBlock = (innermostType == kBlockIndent && innermost.itemCount > 0) ? 1 : 0;

    if (set->GetInt(Pol::IndentationMarkupCode) == -1) endTag.Replace("/UL DUMMY", "/UL", 1, 1);

    const int endType = GetBlockType(set, nullptr, &endTag);
    if (IsMismatch(set, endType, innermost)) ReportMismatch(set, endTag, innermost);

    if (innermost.fontChanged && entries.size() > 1) {
        BlockEntry& outer = *entries[entries.size() - 2];
        outer.blockFont = innermost.blockFont;
        outer.fontChanged = 1;
    }

    int endFont = 0, endParagraph = 0, endListItem = 0, endDefinition = 0;
    if (endType == kBlockParagraph)
        endFont = 1;
    else
        HTML_EndFont(set, document, this, policyBlock, &endFont, &endParagraph, &endListItem, &endDefinition);

    Context* context = set->context;
    if (context && context->documentState.htmlOutput) {
        const int level = context->documentState.currentIndentLevel;
        auto writeLine = [&](TextString text, int indent) {
            HTML_IndentSource(set, indent, &text);
            document->WriteLine(set, document, &text, 0);
        };
        if (endFont) {
            TextString markup;
            GetEndFontMarkup(0, set, context->GetCurrentFont(), &markup);
            if (markup.length > 0) writeLine(markup, bodyOrParagraph ? level : level + 1);
        }
        if (endParagraph) HTML_EndPara(document, set, "BlockList::Decrement");
        if (endListItem) writeLine(TextString("</LI>"), level + 1);
        if (endDefinition) writeLine(TextString("</DD>"), level + 1);
    }

    Pop(set, document, endTag);
}

void BlockList::Pop(FC* set, OutputDocument* document, TextString& endTag) {
    if (entries.empty()) return;
    if (set->GetInt(Pol::IndentationMarkupCode) == -1) endTag.Replace("/UL DUMMY", "/UL", 1, 1);
    const int endType = GetBlockType(set, nullptr, &endTag);
    const BlockEntry& innermost = *entries.back();
    if (IsMismatch(set, endType, innermost)) ReportMismatch(set, endTag, innermost);

    Context* context = set->context;
    TextString text(endTag);
    HTML_IndentSource(set, context ? context->documentState.currentIndentLevel : 0, &text);
    if (endType == kBlockBody) {
        const TextString& encoding = set->GetText(Pol::CharacterEncoding);
        // Right-to-left documents keep their body text in a DIV of their own.
        if (encoding.Matches("windows-1256", 0, 0) || encoding.Matches("iso-8859-8", 0, 0)) text.Insert(0, "</DIV>");
    }
    document->WriteLine(set, document, &text, 0);

    if (context) context->trackers.blockClosed = 1;
    entries.pop_back();
}

void BlockList::CountItem() {
    BlockEntry* current = GetCurrent();
    if (current) current->itemCount += 1;
}

BlockEntry* BlockList::GetCurrent() const {
    if (entries.empty()) return nullptr;
    if (entries.back()->type == kBlockParagraph && entries.size() > 1) return entries[entries.size() - 2].get();
    return entries.back().get();
}
