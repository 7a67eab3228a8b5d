// Context: the state of one conversion run that the policy set reads and
// writes.  This is the part of the run state that policies need; the rest of
// the run (keyword tables, trackers, block and definition lists, styles)
// joins it as the context grows.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

#include "foundation/message_reporter.h"
#include "foundation/text_string.h"

class Context {
public:
    int productCode = 1;
    int outputFormat = 0;  // 0 HTML, 1 RTF
    int ruleSetCode = 0;   // rule set chosen for the run (0 none, 1 Tarnell, 2 SEC)
    int codeLocation = 0;  // 1 reading input, 2 line analysis, 3 output
    int htmlOutput = 0;    // output pass flags
    int annotationOutput = 0;
    int rtfOutput = 0;
    int characterConversion = 1;  // code-page conversion of input characters is on
    int fontTagSwitch = 1;        // fonts are written as FONT tags

    TextString policyFolder;       // folder of the policy file being read
    TextString contentsFolder;     // contents-file parts given for composition units
    TextString contentsName;
    TextString contentsExtension;
    TextString policyFileNameText; // policy file name given for the run
    TextString fileNameRoot;       // root of the output file names

    MessageSink sink;

    // META tags collected from the document being converted, in the order
    // they were found (the META tag text command adds to them).  Name and
    // content are kept with each run of blanks reduced to one and trimmed.
    struct MetaTag {
        TextString name;
        TextString content;
    };
    std::vector<MetaTag> metaTags;
    void AddMetaTag(const char* name, const char* content) {
        MetaTag tag{TextString(name ? name : ""), TextString(content ? content : "")};
        for (TextString* text : {&tag.name, &tag.content}) {
            text->CollapseBlanks();
            text->Trim(0, " ");
        }
        metaTags.push_back(std::move(tag));
    }

    Context() = default;
    Context(int product, int format) : productCode(product), outputFormat(format) {}
};
