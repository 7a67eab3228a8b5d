#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/analysed_line.h"
#include "context/context.h"
#include "policies/fc.h"
#include "support/recording_document.h"

namespace {

// A line that records the tags handed to it instead of handling them.
class RecordingLine : public AnalysedLine {
public:
    std::vector<std::string> tags;
    void ProcessInLineTag(const TextString& tag, FC&) override { tags.push_back(tag.str()); }
};

class InlineTagScanTest : public testing::Test {
protected:
    void SetUp() override {
        set.SetContext(&context);
        context.trackers.codeLocation = 1;
        context.trackers.input.position = SourcePosition(0, 1);
    }
    std::vector<std::string> Scan(const char* text) {
        RecordingLine line;
        line.Assign(text);
        line.taggedText = text;
        document.ProcessInLineTags(&line, &set);
        EXPECT_EQ(line.taggedText->str(), text);
        return line.tags;
    }
    Context context;
    FC set;
    RecordingDocument document;
};

using Tags = std::vector<std::string>;

TEST_F(InlineTagScanTest, HandsEachTagToTheLineInOrder) {
    struct Case {
        const char* text;
        Tags tags;
    };
    const std::vector<Case> cases = {
        {"a [[BR]][[TEXT x]] b", {"[[BR]]", "[[TEXT x]]"}},
        // An end delimiter before the first start delimiter only moves the scan on.
        {"x ]] y [[BR]] z", {"[[BR]]"}},
        {"]][[BR]]]]", {"[[BR]]"}},
        {"no tags at all", {}},
        {"a [[BR", {}},
        {"a ]] b", {}},
        {"[[", {}},
        {"]]", {}},
        {"[[]]", {"[[]]"}},
        {"[[[[]]]]", {"[[[[]]"}},
        {"]]]][[[[", {}},
        {"[[a [[b]] c]]", {"[[a [[b]]"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Scan(c.text), c.tags) << c.text;
}

TEST_F(InlineTagScanTest, DelimitersFollowThePoliciesWithoutRegardToCase) {
    set.SetText(Pol::StartTagDelimiter, "<t");
    set.SetText(Pol::EndTagDelimiter, "t>");
    EXPECT_EQ(Scan("a <TBR T> b <tNB t>"), (Tags{"<TBR T>", "<tNB t>"}));
    EXPECT_EQ(Scan("a [[BR]]"), Tags{});
}

TEST_F(InlineTagScanTest, NothingIsHandedOnInsideAnIgnoredSection) {
    set.preprocessor.ignoreDepth = 1;
    EXPECT_EQ(Scan("a [[BR]] b"), Tags{});
    set.preprocessor.ignoreDepth = 0;
    EXPECT_EQ(Scan("a [[BR]] b"), Tags{"[[BR]]"});
}

TEST_F(InlineTagScanTest, TheLineShowsWhatItsTagsStandFor) {
    AnalysedLine line;
    const char* text = "a [[TEXT x]] [[OT]] [[CT]] [[ENTITY 65]]";
    line.Assign(text);
    line.taggedText = text;
    line.plainText = text;
    line.inputText = text;
    document.ProcessInLineTags(&line, &set);
    EXPECT_EQ(line.str(), "a x ++ -- ?");
    EXPECT_EQ(line.plainText->str(), "a x ++ -- ?");
    EXPECT_EQ(line.taggedText->str(), text);
    EXPECT_EQ(context.documentState.headingSwitches[DocumentState::kInlineTagsSeen], 1);
}

// Every tag of a line gives way to what it stands for, in the current,
// plain and input texts alike, wherever it stands; a tag written twice is
// replaced at each place.  Replacements shorter than their tags and longer
// ones (escaped text in the current text) are mixed; the delimiters may be
// set by policy.
TEST_F(InlineTagScanTest, EachTagGivesWayInEveryTextOfTheLine) {
    struct Case {
        const char* start;
        const char* end;
        const char* text;
        const char* current;
        const char* plain;
    };
    const std::vector<Case> cases = {
        {"[[", "]]", "[[VALIGN top]]Smith 1", " Smith 1", " Smith 1"},
        {"[[", "]]", "a[[ZZ 0]]b[[X]]c", "a b c", "a b c"},
        {"[[", "]]", "[[OT]]x[[CT]]", "++x--", "++x--"},
        {"[[", "]]", "[[X]]a[[X]]", " a ", " a "},
        {"[[", "]]", "abc[[ENTITY 65]]", "abc?", "abc?"},
        {"[[", "]]", "[[TEXT <<<<<<<<]] [[QA]]", "&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;  ", "<<<<<<<<  "},
        {"[[", "]]", "[[TEXT <]]x[[TEXT <<<<<<<<]]", "&lt;x&lt;&lt;&lt;&lt;&lt;&lt;&lt;&lt;", "<x<<<<<<<<"},
        {"[[", "]]", "no tags", "no tags", "no tags"},
        {"<<", ">>", "a<<ZZ>>b<<OT>>", "a b++", "a b++"},
        {"<<", ">>", "a[[ZZ]]b", "a[[ZZ]]b", "a[[ZZ]]b"},
    };
    for (const Case& c : cases) {
        set.SetText(Pol::StartTagDelimiter, c.start);
        set.SetText(Pol::EndTagDelimiter, c.end);
        AnalysedLine line;
        line.Assign(c.text);
        line.taggedText = c.text;
        line.plainText = c.text;
        line.inputText = c.text;
        document.ProcessInLineTags(&line, &set);
        EXPECT_EQ(line.str(), c.current) << c.text;
        EXPECT_EQ(line.plainText->str(), c.plain) << c.text;
        EXPECT_EQ(line.inputText->str(), c.plain) << c.text;
        EXPECT_EQ(line.taggedText->str(), c.text) << c.text;
    }
}

}  // namespace
