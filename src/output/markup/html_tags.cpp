#include "output/markup/html_tags.h"

#include <cstring>
#include <iterator>

namespace {

constexpr const char* kCoreAttributes = "id,class,style,title,";
constexpr const char* kEventAttributes =
    "onclick,ondblclick,onmousedown,onmouseup,onmouseover,onmousemove,onmouseout,onkeypress,onkeydown,onkeyup,";
constexpr const char* kLanguageAttributes = "lang,dir,";

struct HtmlTagRow {
    const char* name;
    int kind;
    const char* attributes;  // the element's own attributes
    const char* deprecated;  // its deprecated attributes
};

// The elements of HTML 4.0 with their own and their deprecated attributes.
constexpr HtmlTagRow kHtml40Rows[] = {
    {"a", kHtmlAttrAll, "charset,type,name,href,hreflang,rel,rev,accesskey,shape,coords,tabindex,onfocus,onblur",
     nullptr},
    {"abbr", kHtmlAttrAll, nullptr, nullptr},
    {"acronym", kHtmlAttrAll, nullptr, nullptr},
    {"address", kHtmlAttrAll, nullptr, nullptr},
    {"area", kHtmlAttrAll, "shape,coords,href,nohref,alt,tabindex,accesskey,onfocus,onblur", nullptr},
    {"b", kHtmlAttrAll, nullptr, nullptr},
    {"base", kHtmlAttrNone, "href", nullptr},
    {"big", kHtmlAttrAll, nullptr, nullptr},
    {"blockquote", kHtmlAttrAll, "cite", nullptr},
    {"body", kHtmlAttrAll, "onload,onunload", "bgcolor,text,link,vlink,alink,background"},
    {"br", kHtmlAttrCore, nullptr, "clear"},
    {"button", kHtmlAttrAll, "name,value,type,disabled,tabindex,accesskey,onfocus,onblur", nullptr},
    {"caption", kHtmlAttrAll, nullptr, "align"},
    {"cite", kHtmlAttrAll, nullptr, nullptr},
    {"code", kHtmlAttrAll, nullptr, nullptr},
    {"col", kHtmlAttrAll, "span,width,align,char,charoff,valign", nullptr},
    {"colgroup", kHtmlAttrAll, "span,width,align,char,charoff,valign", nullptr},
    {"dd", kHtmlAttrAll, nullptr, nullptr},
    {"del", kHtmlAttrAll, "cite,datetime", nullptr},
    {"dfn", kHtmlAttrAll, nullptr, nullptr},
    {"div", kHtmlAttrAll, nullptr, "align"},
    {"dl", kHtmlAttrAll, nullptr, "compact"},
    {"dt", kHtmlAttrAll, nullptr, nullptr},
    {"em", kHtmlAttrAll, nullptr, nullptr},
    {"fieldset", kHtmlAttrAll, nullptr, nullptr},
    {"form", kHtmlAttrAll, "action,method,enctype,accept,name,onsubmit,onreset,accept-charset", nullptr},
    {"frame", kHtmlAttrCore, "longdesc,name,src,frameborder,marginwidth,marginheight,noresize,scrolling", nullptr},
    {"frameset", kHtmlAttrCore, "rows,cols,onload,onunload", nullptr},
    {"head", kHtmlAttrLang, "profile", nullptr},
    {"h1", kHtmlAttrAll, nullptr, "align"},
    {"h2", kHtmlAttrAll, nullptr, "align"},
    {"h3", kHtmlAttrAll, nullptr, "align"},
    {"h4", kHtmlAttrAll, nullptr, "align"},
    {"h5", kHtmlAttrAll, nullptr, "align"},
    {"h6", kHtmlAttrAll, nullptr, "align"},
    {"hr", kHtmlAttrAll, nullptr, "align,noshade,size,width"},
    {"html", kHtmlAttrLang, nullptr, "version"},
    {"i", kHtmlAttrAll, nullptr, nullptr},
    {"iframe", kHtmlAttrCore, "longdesc,name,src,frameborder,marginwidth,marginheight,scrolling,height,width",
     "align"},
    {"img", kHtmlAttrAll, "src,alt,longdesc,name,height,width,usemap,ismap", "border,hspace,vspace"},
    {"input", kHtmlAttrAll,
     "type,name,value,checked,disabled,readonly,size,maxlength,src,alt,usemap,ismap,tabindex,accesskey,onfocus,"
     "onblur,onselect,onchange,accept",
     "align"},
    {"ins", kHtmlAttrAll, "cite,datetime", nullptr},
    {"kbd", kHtmlAttrAll, nullptr, nullptr},
    {"label", kHtmlAttrAll, "for,accesskey,onfocus,onblur", nullptr},
    {"legend", kHtmlAttrAll, "accesskey", "align"},
    {"li", kHtmlAttrAll, nullptr, "type,value"},
    {"link", kHtmlAttrAll, "charset,href,hreflang,type,rel,rev,media", nullptr},
    {"map", kHtmlAttrAll, "name", nullptr},
    {"meta", kHtmlAttrLang, "http-equiv,name,content,scheme", nullptr},
    {"noframes", kHtmlAttrAll, nullptr, nullptr},
    {"noscript", kHtmlAttrAll, nullptr, nullptr},
    {"object", kHtmlAttrAll,
     "declare,classid,codebase,data,type,codetype,archive,standby,height,width,usemap,name,tabindex",
     "align,border,hspace,vspace"},
    {"ol", kHtmlAttrAll, nullptr, "type,compact,start"},
    {"optgroup", kHtmlAttrAll, "disabled,label", nullptr},
    {"option", kHtmlAttrAll, "selected,disabled,label,value", nullptr},
    {"p", kHtmlAttrAll, nullptr, "align"},
    {"q", kHtmlAttrAll, "cite", nullptr},
    {"param", kHtmlAttrAll, "name,value,valuetype,type", nullptr},
    {"pre", kHtmlAttrAll, nullptr, "width"},
    {"samp", kHtmlAttrAll, nullptr, nullptr},
    {"script", kHtmlAttrNone, "charset,type,src,defer", "language"},
    {"select", kHtmlAttrAll, "name,size,multiple,disabled,tabindex,onfocus,onblur,onchange", nullptr},
    {"small", kHtmlAttrAll, nullptr, nullptr},
    {"span", kHtmlAttrAll, nullptr, nullptr},
    {"strong", kHtmlAttrAll, nullptr, nullptr},
    {"style", kHtmlAttrLang, "type,media,title", nullptr},
    {"sub", kHtmlAttrAll, nullptr, nullptr},
    {"sup", kHtmlAttrAll, nullptr, nullptr},
    {"table", kHtmlAttrAll, "summary,width,border,frame,rules,cellspacing,cellpadding", "align"},
    {"tbody", kHtmlAttrAll, "align,char,charoff,valign", nullptr},
    {"thead", kHtmlAttrAll, "align,char,charoff,valign", nullptr},
    {"tfoot", kHtmlAttrAll, "align,char,charoff,valign", nullptr},
    {"td", kHtmlAttrAll, "abbr,axis,headers,scope,rowspan,colspan,align,char,charoff,valign", "nowrap,width,height"},
    {"textarea", kHtmlAttrAll,
     "name,rows,cols,disabled,readonly,tabindex,accesskey,onfocus,onblur,onselect,onchange", nullptr},
    {"th", kHtmlAttrAll, "abbr,axis,headers,scope,rowspan,colspan,align,char,charoff,valign", "nowrap,width,height"},
    {"title", kHtmlAttrLang, nullptr, nullptr},
    {"tr", kHtmlAttrAll, "align,char,charoff,valign", "bgcolor"},
    {"tt", kHtmlAttrAll, nullptr, nullptr},
    {"ul", kHtmlAttrAll, nullptr, "type,compact"},
    {"var", kHtmlAttrAll, nullptr, nullptr},
};

constexpr const char* kHtml40DeprecatedTags[] = {"applet",  "basefont", "caption", "center", "dir", "font",
                                                 "isindex", "menu",     "s",       "strike", "u",   "xmp"};

constexpr const char* kSpecialTags[] = {"!doctype", "?xml"};

// Appends each name of a comma list, trimmed, followed by '|' to a list that
// already begins with '|'.
void AppendNames(TextString& list, const char* names) {
    if (!names) return;
    const char* p = names;
    while (*p) {
        const char* end = std::strchr(p, ',');
        int n = end ? static_cast<int>(end - p) : static_cast<int>(std::strlen(p));
        TextString name;
        name.AssignChars(p, n);
        name.Trim(0, " ");
        if (name.length > 0) {
            list.Append(name);
            list.AppendChar('|');
        }
        if (!end) break;
        p = end + 1;
    }
}

// "|name|" of a name: trimmed, with its '/' characters dropped.
TextString ListKey(const char* name) {
    TextString key(name ? name : "");
    key.Trim(0, " ");
    int write = 0;
    for (int i = 0; i < key.length; ++i)
        if (key.buffer[i] != '/') key.buffer[write++] = key.buffer[i];
    key.SubString(0, write);
    TextString result("|");
    result.Append(key);
    result.AppendChar('|');
    return result;
}

bool InList(const TextString& list, const TextString& key) {
    // "||" (an empty name) is never in a list.
    if (key.length <= 2) return false;
    return list.Find(0, key.buffer, nullptr, 0);
}

}  // namespace

HtmlTagTable::HtmlTagTable() : knownTags("|"), deprecatedTags("|"), notInVersionTags("|"), specialTags("|") {}

void HtmlTagTable::AddEntry(const char* name, int kind, const char* attributes, const char* deprecated) {
    HtmlTagEntry entry;
    entry.name.Assign(name ? name : "");
    entry.name.Trim(0, " ");
    entry.allowed.Assign("|");
    if (kind == kHtmlAttrAll || kind == kHtmlAttrCore) AppendNames(entry.allowed, kCoreAttributes);
    if (kind == kHtmlAttrAll || kind == kHtmlAttrEvents) AppendNames(entry.allowed, kEventAttributes);
    if (kind == kHtmlAttrAll || kind == kHtmlAttrLang) AppendNames(entry.allowed, kLanguageAttributes);
    AppendNames(entry.allowed, attributes);
    entry.deprecated.Assign("|");
    AppendNames(entry.deprecated, deprecated);
    AppendNames(knownTags, entry.name.buffer);
    entries.push_back(std::move(entry));
}

void HtmlTagTable::BuildHtml40() {
    version = 4;
    entries.clear();
    knownTags.Assign("|");
    deprecatedTags.Assign("|");
    notInVersionTags.Assign("|");
    specialTags.Assign("|");
    entries.reserve(std::size(kHtml40Rows));
    for (const HtmlTagRow& row : kHtml40Rows) AddEntry(row.name, row.kind, row.attributes, row.deprecated);
    for (const char* name : kHtml40DeprecatedTags) AppendNames(deprecatedTags, name);
    for (const char* name : kSpecialTags) AppendNames(specialTags, name);
}

int HtmlTagTable::Classify(const char* name) const {
    TextString key = ListKey(name);
    if (InList(knownTags, key)) return kHtmlTagKnown;
    if (InList(deprecatedTags, key)) return kHtmlTagDeprecated;
    if (InList(notInVersionTags, key)) return kHtmlTagNotInVersion;
    if (InList(specialTags, key)) return kHtmlTagSpecial;
    return kHtmlTagUnknown;
}

const HtmlTagEntry* HtmlTagTable::FindEntry(const char* tag) const {
    TextString key = ListKey(tag);
    if (key.length <= 2) return nullptr;
    TextString name;
    name.AssignChars(key.buffer + 1, key.length - 2);
    for (const HtmlTagEntry& entry : entries)
        if (entry.name.Matches(name.buffer, 0, 0)) return &entry;
    return nullptr;
}

int HtmlTagTable::CheckAttribute(const char* tag, const char* attribute) const {
    if (Classify(tag) == kHtmlTagUnknown) return kHtmlAttrNoEntry;
    const HtmlTagEntry* entry = FindEntry(tag);
    if (!entry) return kHtmlAttrNoEntry;
    TextString key("|");
    TextString name(attribute ? attribute : "");
    name.Trim(0, " ");
    key.Append(name);
    key.AppendChar('|');
    if (InList(entry->allowed, key)) return kHtmlAttrAllowed;
    if (InList(entry->deprecated, key)) return kHtmlAttrDeprecated;
    return kHtmlAttrNotAllowed;
}

const HtmlTagTable& GetHtmlTagTable() {
    static const HtmlTagTable table = [] {
        HtmlTagTable built;
        built.BuildHtml40();
        return built;
    }();
    return table;
}
