#include "output/markup/rtf_links.h"

#include <cstdio>
#include <string>

#include "policies/fc.h"
#include "policies/policy_value.h"

namespace {

// The class id of the URL moniker that Word writes into a hyperlink's data field.
constexpr const char* kUrlMonikerId = "c9ea79f9bace118c8200aa004ba9";

void AppendGroup(std::string& blob, unsigned value) {
    char group[16];
    std::snprintf(group, sizeof group, "%4.4x", value);
    blob.append(group);
}

void AppendByteGroups(std::string& blob, const TextString& text) {
    for (int i = 0; i < text.length; ++i) AppendGroup(blob, static_cast<unsigned char>(text.buffer[i]));
}

// The font size of link fields, in half points.
int FieldFontSize(FC* policies) {
    if (!policies) return 24;
    int points = policies->GetInt(Pol::BaseFontSize);
    if (policies->IsSet(Pol::DefaultFont)) {
        TextString face;
        int bold = 0, italic = 0, size = 0;
        if (ParseFontSpec(face, bold, italic, size, policies->GetText(Pol::DefaultFont).buffer)) points = size;
    }
    return 2 * (points + policies->GetInt(Pol::DeltaFontSize));
}

bool HasScheme(const TextString& target) { return target.Find(0, "://", nullptr, 1); }

void ReportUnsupportedKind(FC* policies, const char* routine, int linkKind) {
    if (!policies) return;
    TextString message("UNSUPPORTED CASE: link kind ");
    message.AppendNumber('1', linkKind, 0);
    message.Append(" in ");
    message.Append(routine);
    policies->ReportMessage(message.buffer, kLevelAlways);
}

}  // namespace

void RTF_FormatHyperlinkField(FC* policies, int linkKind, const TextString& target, const TextString& text,
                              TextString& out) {
    if (linkKind < 1 || linkKind > 4) {
        ReportUnsupportedKind(policies, "RTF_FormatHyperlinkField", linkKind);
        out = text;
        return;
    }
    if (linkKind == 2 && !HasScheme(target)) {
        out = text;
        return;
    }
    TextString address(target);
    if (linkKind == 1) address.ReplaceChar(0, '.', '_', 0);

    std::string blob;
    if (linkKind == 1) {
        blob.append("08d0").append(kUrlMonikerId).append("0b02").append("0000").append("0008").append("0000");
        AppendGroup(blob, static_cast<unsigned>(address.length + 1) & 0xFFu);
        blob.append("0000");
        AppendByteGroups(blob, address);
        blob.append("0000").append("0000").append("0000");
    } else {
        blob.append("00d0").append(kUrlMonikerId).append("0b02").append("0000").append("0017").append("0000");
        AppendGroup(blob, static_cast<unsigned>(text.length + 1) & 0xFFu);
        blob.append("0000");
        AppendByteGroups(blob, text);
        blob.append("0000").append("00e0").append(kUrlMonikerId);
        AppendGroup(blob, static_cast<unsigned>(2818 + 2 * address.length));
        blob.append("0000");
        AppendByteGroups(blob, address);
        blob.append("0000").append("0000").append("0000");
    }

    int size = FieldFontSize(policies);
    TextString field("{\\field{\\*\\fldinst {\\fs");
    field.AppendNumber('1', size, 0);
    field.Append(" ");
    if (linkKind == 1) {
        field.Append(" HYPERLINK  \\\\l \"");
        field.Append(address);
        field.Append("\" }");
    } else {
        field.Append(" HYPERLINK ");
        field.Append(address);
        field.Append(" }");
    }
    field.Append("{\\kerning0 {\\*\\datafield ");
    field.AppendBytes(blob.data(), static_cast<int>(blob.size()));
    field.Append("}}}{\\fldrslt {\\cs32\\ul\\cf2\\fs");
    field.AppendNumber('1', size, 0);
    field.Append(" ");
    field.Append(text);
    field.Append("}}}");
    out = field;
}

void RTF_FormatLink(FC* policies, int linkKind, int popup, const TextString& target, const TextString& text,
                    TextString& out) {
    switch (linkKind) {
        case 1: {
            TextString anchor(target);
            anchor.ReplaceChar(0, '.', '_', 0);
            TextString shown(text);
            shown.Trim(0, " ");
            TextString link(popup ? "{\\ul " : "{\\uldb ");
            link.Append(shown);
            link.Append("}{\\v ID_");
            link.Append(anchor);
            link.Append("}");
            out = link;
            return;
        }
        case 2: {
            if (!HasScheme(target)) {
                out = text;
                return;
            }
            TextString link("{\\ul\\cf2 ");
            link.Append(text);
            link.Append("}{\\v *!EF(`");
            link.Append(target);
            link.Append("}{\\v\\cf1 ',}{\\v `',1,`')}");
            out = link;
            return;
        }
        case 3:
        case 4: RTF_FormatHyperlinkField(policies, linkKind, target, text, out); return;
        default:
            ReportUnsupportedKind(policies, "RTF_FormatLink", linkKind);
            out = text;
            return;
    }
}
