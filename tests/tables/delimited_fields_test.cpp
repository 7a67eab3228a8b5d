#include "tables/delimited_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/engine_fixture.h"

namespace {

TEST(DelimitedFieldsTest, FieldsAreUnquotedOnce) {
    struct Case {
        const char* text;
        int field;
        int result;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"a,\"b,c\",d", 2, 1, "b,c"},
        {"a,\"b,c\",d", 3, 1, "d"},
        {"a,\"b,c\",d", 4, 0, ""},
        {"x,,y", 2, 1, ""},
        {"x,", 2, 1, ""},
        {"x,", 3, 0, ""},
        {"\"say \"\"hi\"\"\"", 1, 1, "say \"hi\""},
        {"\"\"\"a,b\"\"\"", 1, 1, "\"a,b\""},
        {" a b ,c", 1, 1, " a b "},
        {"a,\"open,b", 2, 1, "\"open,b"},
        // A quote after the first bytes of a field still groups the rest.
        {"ab\"c,d\"e,f", 1, 1, "ab\"c,d\"e"},
        {"ab\"c,d\"e,f", 2, 1, "f"},
        {"a", 0, 0, ""},
        // A record's line feed is a byte of its field.
        {"1,\"first\nsecond, third\",5", 2, 1, "first\nsecond, third"},
        {"1,\"first\nsecond, third\",5", 3, 1, "5"},
        // Quotes after fields without one, and a quote the next field
        // reopens.
        {"a,b,\"c,d\",e,\"f\"", 2, 1, "b"},
        {"a,b,\"c,d\",e,\"f\"", 3, 1, "c,d"},
        {"a,b,\"c,d\",e,\"f\"", 4, 1, "e"},
        {"a,b,\"c,d\",e,\"f\"", 5, 1, "f"},
        {"a,b\"c,d,\"e\",g", 2, 1, "b\"c,d,\"e\",g"},
        {"a,b\"c,d,\"e\",g", 3, 0, ""},
        {"a,b\"c,d\"e,g", 3, 1, "g"},
    };
    for (const Case& c : cases) {
        TextString out("stale");
        EXPECT_EQ(GetDelimitedField(c.text, c.field, ',', &out), c.result) << c.text << " #" << c.field;
        EXPECT_EQ(out.str(), c.expected) << c.text << " #" << c.field;
    }
    TextString out;
    EXPECT_EQ(GetDelimitedField("a\tb", 2, '\t', &out), 1);
    EXPECT_EQ(out.str(), "b");
}

TEST(DelimitedFieldsTest, FieldsAreCountedAsTheyAreRead) {
    const std::vector<std::pair<std::string, int>> commas = {{"", 1},
                                                             {"a", 1},
                                                             {"a,", 2},
                                                             {"a,\"b,c\",d", 3},
                                                             {"\"say \"\"hi, there\"\"\",1", 2},
                                                             {"a,\"open, never", 2},
                                                             {"1,\"x\n,y\",2", 3},
                                                             {"ab\"c,d\"e,f", 2},
                                                             {",,", 3}};
    for (const auto& [text, fields] : commas) EXPECT_EQ(CountDelimitedFields(text, ','), fields) << text;
    // Quotes mean nothing between tabs.
    EXPECT_EQ(CountDelimitedFields("a\t\"b\tc\"", '\t'), 3);
    EXPECT_EQ(CountDelimitedFields("", '\t'), 1);
    EXPECT_EQ(CountDelimitedFields("\t\t", '\t'), 3);
    const std::string tabbed = "a\t\"b\tc\"\t";
    DelimitedFieldReader reader(tabbed.data(), static_cast<int>(tabbed.size()), '\t', false);
    std::vector<std::string> fields;
    TextString field;
    while (reader.Next(&field)) fields.push_back(field.str());
    EXPECT_EQ(fields, (std::vector<std::string>{"a", "\"b", "c\"", ""}));
}

// Where a quoted field runs on: only a field that begins with its quote, and
// only while that quote is open at the end of the line.
TEST(DelimitedFieldsTest, OnlyAFieldOpenedByItsQuoteRunsOverTheLineEnd) {
    struct Case {
        const char* text;
        bool inField;
        bool runsOn;
    };
    const std::vector<Case> cases = {
        {"1,\"first line", false, true},
        {"\"a", false, true},
        {"1,\"closed\",2", false, false},
        {"1,\"a \"\"quoted\"\" word", false, true},  // doubled quotes stay inside
        {"1,ab\"c", false, false},  // a quote inside a field ends with the line
        {"1, \"x", false, false},  // the field begins with a blank
        {"1,\"a\",\"b", false, true},  // a later field opens
        {"1,\"a\"b\"c", false, false},  // reopened inside the field
        {"", false, false},
        {"1,2,no quote", false, false},
        {"second line\",5", true, false},
        {"still inside", true, true},
        {"", true, true},  // a blank line of the field
        {"a \"\" b", true, true},
        {"end\",\"next", true, true},
        {"end\"x\"y", true, false},
        {"\"", true, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuotedFieldRunsOn(c.text, c.inField), c.runsOn) << c.text << (c.inField ? " (inside)" : "");
}

class RecordsTest : public EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        context.trackers.codeLocation = 3;
    }

    // An engine holding `texts`, numbered from line 1 as read from a file.
    std::unique_ptr<PreForm> Lines(const std::vector<const char*>& texts) {
        auto made = std::make_unique<PreForm>(&document, &set, nullptr);
        int number = 0;
        for (const char* text : texts) {
            AnalysedLine line;
            line.SetText(text);
            line.position = line.originPosition = SourcePosition(0, ++number);
            made->AddLine(line);
        }
        return made;
    }

    // The table written for `texts` as a comma-delimited block.
    std::string Convert(const std::vector<const char*>& texts, int code = 8) {
        document.Clear();
        messages.Clear();
        engine = Lines(texts);
        engine->Process(code);
        std::string joined;
        for (std::string text : document.Texts()) joined += text.erase(0, text.find_first_not_of(' ')) + "\n";
        return joined;
    }

    std::unique_ptr<PreForm> engine;
};

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(RecordsTest, AQuotedFieldRunsOverLineEndsInOneRow) {
    const std::string html =
        Convert({"id,note,qty", "1,\"first line", "", "second line, with a comma\",5", "2,plain,6"});
    EXPECT_EQ(Count(html, "<TR"), 3) << html;
    EXPECT_EQ(Count(html, "<TD"), 9) << html;
    // The blank line of the field stays an empty line of the cell.
    EXPECT_NE(html.find("<TD>first line<BR>\n<BR>\nsecond line, with a comma</TD>"), std::string::npos) << html;
    EXPECT_NE(html.find("<TR VALIGN=\"TOP\">"), std::string::npos) << html;
    EXPECT_NE(html.find("5</TD>"), std::string::npos) << html;
    EXPECT_EQ(html.find('"'), html.find("\"table_0\"")) << html;  // no quote left in a cell
    EXPECT_TRUE(messages.Messages().empty());
    // The further lines are neither blank nor counted apart.
    EXPECT_EQ(engine->columnCount, 3);
    EXPECT_EQ(engine->blankLineCount, 0);
    EXPECT_EQ(engine->lines[2]->continuesRecord, 1);
    EXPECT_EQ(engine->lines[3]->continuesRecord, 1);
    EXPECT_EQ(engine->lines[4]->continuesRecord, 0);
    // The widest line of the field is the column's width.
    EXPECT_EQ(engine->columns[1]->width, 25);
}

TEST_F(RecordsTest, RtfBreaksTheFieldAsACellOfSeveralLines) {
    context.outputFormat = 1;
    Lines({"a,b", "\"x", "y\",z"})->Process(8);
    const std::string rtf = document.Joined("\n");
    EXPECT_NE(rtf.find("x\\par y"), std::string::npos) << rtf;
    EXPECT_EQ(Count(rtf, "\\row"), 2) << rtf;

    // A line of the field that reads as a ruler draws no border: the lines
    // around the row are those around the record.
    document.Clear();
    engine = Lines({"a,b", "\"x", "-----", "y\",z", "c,d"});
    engine->lines[2]->lineType = kLineRuler;
    engine->Process(8);
    const std::string ruled = document.Joined("\n");
    EXPECT_NE(ruled.find("x\\par -----\\par y"), std::string::npos) << ruled;
    EXPECT_EQ(ruled.find("\\clbrdr"), std::string::npos) << ruled;
}

TEST_F(RecordsTest, AnUnclosedQuoteIsTakenAsItStandsOncePerTable) {
    // A later quote closes the field: the record runs to it.
    std::string html = Convert({"a,b", "1,\"open", "2,x", "3,\"again", "4,y"});
    EXPECT_EQ(Count(html, "<TR"), 3) << html;
    EXPECT_NE(html.find("<TD>\"open<BR>\n2,x<BR>\n3,\"again</TD>"), std::string::npos) << html;
    // Without one, each line is a row as it stands, the quote left in its
    // cell; the warning names the first such line only.
    html = Convert({"a,b", "1,\"open", "2,x", "3,y"});
    EXPECT_EQ(Count(html, "<TR"), 4) << html;
    EXPECT_NE(html.find("<TD>\"open</TD>"), std::string::npos) << html;
    EXPECT_EQ(messages.Count("WARNING: Quoted field not closed, taken as it stands at line 2"), 1);
}

TEST_F(RecordsTest, ARecordEndsAtTheBoundOrADirectiveLine) {
    // 999 lines inside the field and the closing one make a record of 1,000
    // lines; one more and the field is taken as it stands.
    for (const int inside : {998, 999}) {
        SCOPED_TRACE(inside);
        std::vector<std::string> texts = {"a,\"open"};
        for (int i = 0; i < inside; ++i) texts.push_back("inside");
        texts.push_back("closed\",b");
        std::vector<const char*> pointers;
        for (const std::string& text : texts) pointers.push_back(text.c_str());
        const std::string html = Convert(pointers);
        EXPECT_EQ(Count(html, "<TR"), inside == 998 ? 1 : inside + 2);
        EXPECT_EQ(messages.Count("WARNING: Quoted field not closed"), inside == 998 ? 0 : 1);
    }
    // A directive line is no line of a field: the field before it is
    // taken as it stands, as is the one after it at the end of the block.
    engine = Lines({"a,\"open"});
    AnalysedLine directive;
    directive.SetText("$_$_PARA");
    directive.tagCode = kStatementPara;
    directive.lineType = kStatementPara;
    engine->AddLine(directive);
    for (const char* text : {"closed\",b", "c,\"open again", "d"}) {
        AnalysedLine line;
        line.SetText(text);
        engine->AddLine(line);
    }
    messages.Clear();
    engine->Process(8);
    for (size_t i = 0; i < engine->lines.size(); ++i) EXPECT_EQ(engine->lines[i]->continuesRecord, 0) << i;
    EXPECT_EQ(messages.Count("WARNING: Quoted field not closed"), 1);
}

// A tab-delimited line whose raw text is kept as the tab runs of its layout
// text has its fields read in the layout text.  The lines just off that road
// (empty fields, tabs parted by blanks, no tab) and those on it give the
// fields and the table that the raw texts give.
TEST_F(RecordsTest, TabFieldsReadInTheLayoutTextAreTheRawTextsFields) {
    struct Case {
        const char* raw;
        bool inLayout;  // the fields are read in the layout text
    };
    const std::vector<Case> cases = {
        {"Name\tValue\tUnit", true},
        {"\tafter an empty first field", true},
        {"  1.5\t  2 \t3", true},  // blanks around the fields (alignments)
        {"\"q\tr\"\ts", true},  // quotes group nothing between tabs
        {"a\t\tb", false},  // an empty field: two tabs side by side
        {"a\t \tb", false},  // tabs parted by a blank
        {"no tab at all", false},
        {"x\t\t", false},  // trailing empty fields are no fields
        // A column of numbers, right aligned, and short lines whose cell of
        // it is padding (aligned as the column is).
        {"p\tq\t1", true},
        {"r\ts\t22", true},
        {"t\tu\t333", true},
        {"short\tline", true},
        {"v\tw\t4444", true},
    };
    // The same lines with their tabs expanded in the layout text (as read)
    // and with the tabs standing in it (every raw text is the layout text).
    auto lines = [&](bool expanded) {
        auto made = std::make_unique<PreForm>(&document, &set, nullptr);
        int number = 0;
        for (const Case& c : cases) {
            TextString layout(c.raw);
            if (expanded) layout.ExpandTabs(8);
            AnalysedLine line;
            line.SetText(layout.buffer);
            line.taggedText = layout.buffer;
            line.rawText = c.raw;
            line.position = line.originPosition = SourcePosition(0, ++number);
            made->AddLine(line);
        }
        return made;
    };
    engine = lines(true);
    const std::unique_ptr<PreForm> reference = lines(false);
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].raw);
        const PreFormLine& line = *engine->lines[i];
        EXPECT_EQ(line.TabRunsOfRaw() != nullptr, cases[i].inLayout);
        TextString scratch;
        TextString raw;
        DelimitedFieldReader read = LineFields(line, '\t', scratch);
        const LineText rawText = line.Raw(raw);
        DelimitedFieldReader expected(rawText.buffer, rawText.length, '\t', false);
        TextString field;
        TextString expectedField;
        while (expected.Next(&expectedField)) {
            ASSERT_TRUE(read.Next(&field));
            EXPECT_EQ(field.str(), expectedField.str());
        }
        EXPECT_FALSE(read.Next(&field));
    }
    // The statistics' cuts and the table written (the second table of the
    // document has the next number).
    engine->Process(7);
    const std::string html = document.Joined("\n");
    document.Clear();
    reference->Process(7);
    std::string expected = document.Joined("\n");
    const size_t number = expected.find("table_1");
    ASSERT_NE(number, std::string::npos);
    EXPECT_EQ(html, expected.replace(number, 7, "table_0"));
    EXPECT_EQ(engine->columnCount, 3);
    EXPECT_NE(html.find("<TD>\"q</TD>"), std::string::npos) << html;
}

// Fields beyond the last column are joined to its cell with blanks, read in
// the layout text as from the raw text.
TEST_F(RecordsTest, FieldsBeyondTheLastColumnJoinItsCell) {
    for (const bool expanded : {true, false}) {
        SCOPED_TRACE(expanded);
        std::string raw;
        for (int i = 0; i < 1030; ++i) raw += std::to_string(i) + "\t";
        raw += "end";
        TextString layout(raw.c_str());
        if (expanded) layout.ExpandTabs(8);
        AnalysedLine line;
        line.SetText(layout.buffer);
        line.taggedText = layout.buffer;
        line.rawText = raw.c_str();
        document.Clear();
        engine = std::make_unique<PreForm>(&document, &set, nullptr);
        engine->AddLine(line);
        EXPECT_EQ(engine->lines[0]->TabRunsOfRaw() != nullptr, expanded);
        engine->Process(7);
        const std::string html = document.Joined("\n");
        EXPECT_EQ(engine->columnCount, 1024);
        EXPECT_NE(html.find(">1023 1024 1025 1026 1027 1028 1029 end</TD>"), std::string::npos)
            << html.substr(html.size() - 300);
    }
}

TEST_F(RecordsTest, TabDelimitedLinesStayLines) {
    const std::string html = Convert({"a\t\"b", "c\"\td"}, 7);
    EXPECT_EQ(Count(html, "<TR"), 2) << html;
    EXPECT_TRUE(messages.Messages().empty());
}

}  // namespace
