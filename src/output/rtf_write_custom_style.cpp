#include "output/rtf_write_custom_style.h"

#include "output/rtf_file.h"
#include "output/rtf_paragraphs.h"
#include "policies/fc.h"

void RTF_WriteCustomStyle(FC* policies, OutputDocument* document, const FontSpec& style, TextString* out) {
    auto* rtf = dynamic_cast<RTFFile*>(document);
    const int kind = rtf ? rtf->paragraphKind : kRTFParagraphOrdinary;
    RTFParagraphParts parts;
    parts.font = 1;
    RTFFontOverride override;
    override.faceMode = 1;
    override.sizeMode = 1;
    override.styleMode = 1;
    override.font = &style;
    TextString start;
    RTF_StartPara(policies, rtf, RTF_GetStyleForKind(policies, kind), nullptr, start, &parts, &override);
    TextString group("{");
    group.Append(start);
    if (out) {
        *out = group;
    } else if (document) {
        document->WriteText(policies, document, group.buffer);
    }
}
