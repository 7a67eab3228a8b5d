#include "output/markup/markup_removal.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "context/option_groups.h"
#include "foundation/message_reporter.h"
#include "foundation/pattern_rules.h"
#include "output/markup/entities.h"
#include "output/markup/html_tags.h"

namespace {

// HTML 4.0 elements followed by the browser extensions.
constexpr const char* kKnownHtmlTags =
    ",!doctype,!element,a,abbr,acronym,address,applet,area,b,base,basefont,bdo,big,blockquote,body,br,button,"
    "caption,center,cite,code,col,colgroup,dd,del,dfn,dir,div,dl,dt,em,fieldset,font,form,frame,frameset,h1,h2,"
    "h3,h4,h5,h6,head,hr,html,i,iframe,img,input,ins,isindex,kbd,label,legend,li,link,listing,map,menu,meta,"
    "noframes,noscript,object,ol,optgroup,option,p,plaintext,pre,q,s,samp,script,select,small,span,strike,"
    "strong,style,sub,sup,table,tbody,td,textarea,tfoot,th,thead,title,tr,tt,u,ul,var,xmp,blink,keygen,multicol,"
    "param,plaintext,server,wbr,spacer,ilayer,layer,nolayer,banner,bgsound,comment,embed,hn,marquee,nobr,"
    "noembed,rt,ruby,audioscope,blackface,bq,fn,limittext,nosmartquote,shadow,";

// The list begins with a comma like the others, so that its first name is
// found as ",x-html," too.
constexpr const char* kMailXTags = ",x-html,x-sigsep,x-tab,";

constexpr const char* kOfficeTags =
    ",xml,"
    "o:Company,o:Lines,o:Lock,o:Paragraphs,o:CharactersWithSpaces,"
    "o:Version,o:LastPrinted,o:Characters,"
    "o:DocumentProperties,o:Author,o:Template,o:LastAuthor,o:p,"
    "o:Revision,o:TotalTime,o:Created,o:LastSaved,o:Pages,o:Words,"
    "w:WordDocument,w:BrowserLevel,w:Compatibility,"
    "w:FootnoteLayoutLikeWW8,w:ShapeLayoutLikeWW8,"
    "w:AlignTablesRowByRow,w:ForgetLastTabAlignment,"
    "w:LayoutRawTableWidth,w:LayoutTableRowsApart,"
    "v:f,v:formulas,v:stroke,v:shapetype,v:path,v:imagedata,v:shape,"
    "!--[if,![endif]--,![if,![endif],";

bool InCommaList(const char* list, const TextString& key) {
    return TextString(list).Find(0, key.buffer, nullptr, 0);
}

bool IsTagSpace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

std::string UpperCased(const TextString& text) {
    std::string result;
    for (int i = 0; i < text.length; ++i)
        if (text.buffer[i] != '/') result.push_back(ToUpperAscii(text.buffer[i]));
    return result;
}

// The state of one RemoveMarkup call, handed to the tag callback.
struct RemovalState {
    const TagRemovalOptions* options = nullptr;
    int spans = 0;
    std::vector<std::pair<std::string, int>> messages;  // distinct texts in order of first occurrence

    void Collect(const std::string& text) {
        for (auto& [message, count] : messages) {
            if (message == text) {
                ++count;
                return;
            }
        }
        messages.emplace_back(text, 1);
    }

    void ChangeCase(TextString& text) const {
        if (options->tagsToLowerCase) {
            for (int i = 0; i < text.length; ++i) text.buffer[i] = ToLowerAscii(text.buffer[i]);
        } else if (options->tagsToUpperCase) {
            for (int i = 0; i < text.length; ++i) text.buffer[i] = ToUpperAscii(text.buffer[i]);
        }
    }

    TextString CleanTag(const TextString& tag);
};

// Rebuilds a tag that is kept: unknown tags are dropped, the attributes that
// do not belong on a known tag are dropped, and the case switches applied.
TextString RemovalState::CleanTag(const TextString& tag) {
    const TagRemovalOptions& o = *options;
    const HtmlTagTable& table = GetHtmlTagTable();
    const char* s = tag.buffer;
    const int n = tag.length;
    const bool closed = n > 0 && s[n - 1] == '>';
    const int end = closed ? n - 1 : n;  // the attributes lie before the closing '>'

    int i = 1;
    while (i < end && !IsTagSpace(s[i])) ++i;
    TextString name;
    name.AssignSubstring(s, 1, i - 1);
    if (name.StartsWith("!--", 1) || name.Matches("!DOCTYPE", 0, 0)) return tag;

    int kind = table.Classify(name.buffer);
    if (!o.removeNonStandardTags && kind == kHtmlTagDeprecated) kind = kHtmlTagKnown;
    const std::string upperName = UpperCased(name);
    if (kind == kHtmlTagDeprecated) {
        if (!o.keepDeprecatedTags) {
            Collect("INFO: Removing deprecated tag " + upperName);
            return TextString();
        }
        // Kept: rebuilt below like a known tag.
        Collect("WARNING: Deprecated tag " + upperName);
    } else if (kind != kHtmlTagKnown) {
        // Only the removal of non-standard tags takes unknown tags away; the
        // other cleaning switches leave them as written.
        if (!o.removeNonStandardTags) return tag;
        Collect("INFO: Removing unknown tag " + upperName);
        return TextString();
    }
    if (o.removeOfficeTags && name.FindChar(0, ':', nullptr, 1)) return TextString();

    TextString out("<");
    TextString shownName = name;
    ChangeCase(shownName);
    out.Append(shownName);
    while (i < end) {
        const int leadStart = i;
        while (i < end && IsTagSpace(s[i])) ++i;
        TextString lead;
        lead.AssignSubstring(s, leadStart, i - leadStart);
        if (i >= end) break;
        if (s[i] == '/') {
            // The closing slash of an empty-element tag ("<br />").
            int j = i + 1;
            while (j < end && IsTagSpace(s[j])) ++j;
            if (j >= end) {
                out.Append(lead);
                out.AppendChar('/');
                break;
            }
        }
        const int nameStart = i;
        while (i < end && !IsTagSpace(s[i]) && s[i] != '=') ++i;
        if (i == nameStart) ++i;  // a stray '=': taken as the attribute's name
        TextString attribute;
        attribute.AssignSubstring(s, nameStart, i - nameStart);
        bool hasValue = false;
        TextString value;
        int j = i;
        while (j < end && IsTagSpace(s[j])) ++j;
        if (j < end && s[j] == '=' && attribute.buffer[0] != '=') {
            hasValue = true;
            ++j;
            while (j < end && IsTagSpace(s[j])) ++j;
            const int valueStart = j;
            if (j < end && (s[j] == '"' || s[j] == '\'')) {
                const char quote = s[j];
                ++j;
                while (j < end && s[j] != quote) ++j;
                if (j < end) ++j;  // the closing quote
            } else {
                while (j < end && !IsTagSpace(s[j])) ++j;
            }
            value.AssignSubstring(s, valueStart, j - valueStart);
            i = j;
        }

        const std::string pair = upperName + "/" + UpperCased(attribute);
        bool keep = true;
        if (o.removeOfficeTags && attribute.FindChar(0, ':', nullptr, 1)) {
            Collect("INFO: Removing unknown tag/attr " + pair);
            keep = false;
        } else if (o.removeNonStandardAttributes) {
            const int check = table.CheckAttribute(name.buffer, attribute.buffer);
            if (check == kHtmlAttrDeprecated && !o.keepDeprecatedAttributes) {
                Collect("INFO: Removing deprecated tag/attr " + pair);
                keep = false;
            } else if (check == kHtmlAttrNotAllowed) {
                Collect("INFO: Removing unknown tag/attr " + pair);
                keep = false;
            }
        }
        if (!keep) continue;
        out.Append(lead.length > 0 ? lead.buffer : " ");
        ChangeCase(attribute);
        out.Append(attribute);
        if (hasValue) {
            out.AppendChar('=');
            out.Append(value);
        }
    }
    if (closed) out.AppendChar('>');
    return out;
}

// Whether the first word of a span shows that the span is not markup: an
// address in angle brackets, a comparison or an empty pair of brackets.
bool IsNotMarkup(const TextString& word) {
    if (word.length >= 8 &&
        (word.FindChar(0, '@', nullptr, 1) || word.FindChar(0, '.', nullptr, 1) || word.Find(0, "://", nullptr, 1)))
        return true;
    return word.Matches("<", 1, 0) || word.StartsWith("<=", 1) || word.StartsWith("<<", 1) ||
           word.Matches("<>", 1, 0);
}

// The name the lists are searched for: the word without "</" or "<" and
// without ">", up to a '/'.
TextString ListName(const TextString& word) {
    TextString name = word;
    if (name.StartsWith("</", 1))
        name.SubString(2, name.length - 2);
    else if (name.StartsWith("<", 1))
        name.SubString(1, name.length - 1);
    if (name.length > 0 && name.buffer[name.length - 1] == '>') name.SubString(0, name.length - 1);
    int slash = -1;
    if (name.FindChar(0, '/', &slash, 1)) name.SubString(0, slash);
    return name;
}

int HandleTagSpan(PatternList* list, PatternRule*, PatternMatch* match, CharBuffer* working, int* position,
                  void* userData) {
    auto* state = static_cast<RemovalState*>(userData);
    const TagRemovalOptions& o = *state->options;
    TextString span;
    if (!PatternList::GetMatchText(match, working, &span)) return kPatternNoChange;
    ++state->spans;

    int wordEnd = 0;
    while (wordEnd < span.length && span.buffer[wordEnd] != ' ' && span.buffer[wordEnd] != '\n' &&
           span.buffer[wordEnd] != '\t')
        ++wordEnd;
    TextString word;
    word.AssignChars(span.buffer, wordEnd);
    if (IsNotMarkup(word)) return kPatternNoChange;

    bool remove = false;
    if (o.removeAllTags) {
        remove = true;
    } else {
        TextString key(",");
        key.Append(ListName(word));
        key.AppendChar(',');
        const bool inHtml = InCommaList(kKnownHtmlTags, key);
        const bool inMail = InCommaList(kMailXTags, key);
        const bool inOffice = InCommaList(kOfficeTags, key);
        if (inHtml && o.removeAllHTMLTags)
            remove = true;
        else if (inMail && o.removeMailXTags)
            remove = true;
        else if (inOffice && o.removeOfficeTags)
            remove = true;
        else if (key.StartsWith(",!--", 1))
            remove = o.removeComments != 0;
        else if (!inHtml && !inMail && !inOffice && key.length >= 3 &&
                 std::strcmp(key.buffer + key.length - 3, "--,") == 0)
            remove = o.removeComments != 0;
    }
    auto* rewriter = static_cast<PatternRewriter*>(list);
    if (remove) {
        rewriter->EmitReplacement(match, working, position, "");
        return kPatternChanged;
    }
    if (o.removeNonStandardTags || o.removeNonStandardAttributes || o.tagsToUpperCase || o.tagsToLowerCase) {
        TextString cleaned = state->CleanTag(span);
        if (cleaned == span) return kPatternNoChange;
        rewriter->EmitReplacement(match, working, position, cleaned.buffer);
        return kPatternChanged;
    }
    return kPatternNoChange;
}

}  // namespace

int RemoveMarkup(MessageReporter* reporter, TagRemovalOptions* options, const TextString* in, TextString* out) {
    if (!out) return 0;
    if (!in) {
        out->MakeEmpty();
        return 0;
    }
    TagRemovalOptions defaults;
    TagRemovalOptions& o = options ? *options : defaults;
    TextString text = *in;
    int changes = 0;

    if (text.FindChar(0, '<', nullptr, 1) && text.FindChar(0, '>', nullptr, 1)) {
        RemovalState state;
        state.options = &o;
        PatternRewriter rewriter;
        rewriter.AddCallbackRule(kRuleRewriteCallback, "<**>", nullptr, 0, HandleTagSpan, &state);
        rewriter.Apply(text);
        rewriter.GetResult(&text);
        changes += state.spans;
        if (reporter) {
            for (const auto& [message, count] : state.messages) {
                std::string shown = message;
                if (count > 1) shown += " (" + std::to_string(count) + " times)";
                reporter->OutputMessage(shown.c_str(), kLevelTagNote);
            }
        }
    }

    if ((o.replaceEntitiesByText || o.decodeEntities) && text.FindChar(0, '&', nullptr, 1) &&
        text.FindChar(0, ';', nullptr, 1)) {
        EntityDecodeOptions decode;
        decode.text = &text;
        decode.result = &text;
        decode.utf8 = o.utf8Output;
        decode.latin1 = o.allow8BitAnsi;
        decode.plainAscii = o.allowAnsiAlternatives;
        decode.multiByteSeen = &o.multiByteSeen;
        changes += DecodeEntities(decode);
    }

    *out = text;
    return changes;
}

int RemoveMarkup(MessageReporter* reporter, TagRemovalOptions* options, const TextString& in, TextString& out) {
    return RemoveMarkup(reporter, options, &in, &out);
}

void SetHeadingRemovalOptions(TagRemovalOptions& options) {
    options.removeAllTags = 0;
    options.removeAllHTMLTags = 1;
    options.removeNonHTMLTags = 1;
    options.removeMailXTags = 0;
    options.removeOfficeTags = 1;
    options.removeComments = 1;
    options.removeNonStandardTags = 1;
    options.removeNonStandardAttributes = 1;
    options.keepDeprecatedTags = 1;
    options.keepDeprecatedAttributes = 1;
    options.replaceEntitiesByText = 1;
    options.allow8BitAnsi = 1;
    options.allowAnsiAlternatives = 1;
    options.tagsToUpperCase = 0;
    options.tagsToLowerCase = 0;
    options.utf8Output = 0;
}

const char* GetKnownHtmlTagList() { return kKnownHtmlTags; }
const char* GetMailXTagList() { return kMailXTags; }
const char* GetOfficeTagList() { return kOfficeTags; }
