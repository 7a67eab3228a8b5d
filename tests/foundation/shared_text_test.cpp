#include "foundation/shared_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kLong(SharedText::kShareFrom + 10, 'x');
const std::string kShort = "short text";

std::string LongWith(char c) {
    std::string text = kLong;
    text[5] = c;
    return text;
}

}  // namespace

TEST(SharedText, EqualLongTextsShareOneBufferAndShortOnesAreCopied) {
    const struct {
        std::string text;
        bool shared;
    } cases[] = {{kShort, false}, {"", false}, {kLong, true}};
    for (const auto& c : cases) {
        SharedText first;
        first.Assign(c.text);
        SharedText second;
        second.AssignSharing(c.text, first);
        SharedText third;
        third.Assign("room");
        third = first;
        EXPECT_EQ(second.SameAs(first), c.shared) << c.text.size();
        EXPECT_EQ(third.SameAs(first), c.shared) << c.text.size();
        for (const SharedText* text : {&first, &second, &third}) {
            EXPECT_EQ(text->View(), c.text);
            EXPECT_EQ((*text)->str(), c.text);
            EXPECT_EQ(text->Length(), static_cast<int>(c.text.size()));
        }
    }
}

TEST(SharedText, AnUnequalTextIsNotShared) {
    SharedText first;
    first.Assign(kLong);
    SharedText second;
    const std::string other = LongWith('y');
    second.AssignSharing(other, first);
    EXPECT_FALSE(second.SameAs(first));
    EXPECT_EQ(second.View(), other);
    EXPECT_EQ(first.View(), kLong);
}

// Every way of writing leaves the texts that shared the buffer as they were.
TEST(SharedText, WritingToASharedTextNeverChangesTheOthers) {
    const struct {
        const char* name;
        void (*write)(SharedText&);
        std::string after;
    } cases[] = {
        {"Edit", [](SharedText& t) { t.Edit().buffer[5] = 'e'; }, LongWith('e')},
        {"Assign", [](SharedText& t) { t.Assign("new"); }, "new"},
        {"text assignment", [](SharedText& t) { t = TextString("new"); }, "new"},
        {"MakeEmpty", [](SharedText& t) { t.MakeEmpty(); }, ""},
        {"Release", [](SharedText& t) { t.Release(1 << 30); }, ""},
        {"EditEach", [](SharedText& t) { EditEach({&t}, [](TextString& s) { s.buffer[5] = 'e'; }); }, LongWith('e')},
    };
    for (const auto& c : cases) {
        SharedText original;
        original.Assign(kLong);
        SharedText copy(original);
        SharedText part;
        part.AssignPart(kLong, 2, static_cast<int>(kLong.size()) - 4, original);
        ASSERT_TRUE(copy.SameAs(original));
        c.write(copy);
        EXPECT_EQ(copy.View(), c.after) << c.name;
        EXPECT_EQ(original.View(), kLong) << c.name;
        EXPECT_EQ(part.View(), kLong.substr(2, kLong.size() - 4)) << c.name;
        // And the other way round: the original written, the copy kept.
        SharedText second(original);
        c.write(original);
        EXPECT_EQ(second.View(), kLong) << c.name;
    }
}

TEST(SharedText, APartIsMadeAWholeTextWhenReadAsOne) {
    SharedText whole;
    const std::string text = "  " + kLong + "   ";
    whole.Assign(text);
    SharedText part;
    part.AssignPart(text, 2, static_cast<int>(kLong.size()), whole);
    EXPECT_EQ(part.View(), kLong);
    EXPECT_EQ(part.Length(), static_cast<int>(kLong.size()));
    // Read as a text, the part ends where it ends.
    const TextString& asText = part;
    EXPECT_EQ(asText.length, static_cast<int>(kLong.size()));
    EXPECT_EQ(asText.buffer[asText.length], '\0');
    EXPECT_EQ(asText.view(), kLong);
    EXPECT_EQ(whole.View(), text);
    // A part of a part.
    SharedText inner;
    inner.AssignPart(part.View(), 1, 3, part);
    EXPECT_EQ(inner.View(), "xxx");
}

TEST(SharedText, ATextMayBeAssignedFromItsOwnBytes) {
    for (const std::string& text : {kShort, kLong}) {
        SharedText own;
        own.Assign(text);
        own.Assign(own.View().substr(1));
        EXPECT_EQ(own.View(), text.substr(1));
        SharedText shared(own);
        shared.AssignPart(shared.View(), 1, shared.Length() - 1, shared);
        EXPECT_EQ(shared.View(), text.substr(2));
        EXPECT_EQ(own.View(), text.substr(1));
    }
}

TEST(SharedText, AnOwnedShortTextKeepsItsRoomAndALargeOneGivesItBack) {
    SharedText text;
    text.Assign(kShort);
    text.MakeEmpty();
    EXPECT_GT(text.Room(), 0);
    text.Assign(kLong);
    text.Release(64);
    EXPECT_EQ(text.Room(), 0);
    EXPECT_TRUE(text.IsEmpty());
    SharedText shared;
    shared.Assign(kLong);
    SharedText other(shared);
    ASSERT_TRUE(other.SameAs(shared));
    other.Release(1 << 30);  // a shared buffer is let go, whatever its size
    EXPECT_EQ(other.Room(), 0);
    EXPECT_EQ(shared.View(), kLong);
}

TEST(SharedText, EditEachEditsASharedBufferOnceAndKeepsItShared) {
    SharedText a, b, c;
    a.Assign(kLong);
    b = a;
    c.Assign(LongWith('c'));
    int edits = 0;
    EditEach({&a, &b, &c}, [&edits](TextString& t) {
        ++edits;
        t.buffer[0] = 'E';
    });
    EXPECT_EQ(edits, 2);
    EXPECT_TRUE(b.SameAs(a));
    EXPECT_EQ(a.View().substr(0, 1), "E");
    EXPECT_EQ(c.View().substr(0, 1), "E");
    EXPECT_EQ(c.View()[5], 'c');
}
