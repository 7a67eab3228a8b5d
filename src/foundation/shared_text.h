// SharedText: a text that holds one buffer together with the texts equal to
// it while they stay equal (copy on write), once it is long.
//
// Why: a line record keeps several texts of the same line side by side (the
// raw text as read, the text with its tags, the text without them, the
// trimmed input text), and for nearly every line they hold the same bytes.
// Nearly every line is short, and for a short line a copy costs less than
// the bookkeeping of sharing: a short text lives in a TextString of its own
// inside the SharedText (`own`), read and written as a plain TextString is,
// with one test of `shared` beside it and no heap block, reference count or
// pointer to follow; a record that keeps that room reads the next line
// without an allocation.  A long line (a whole file on one line is the
// extreme) would be held four times over: from kShareFrom bytes on, equal
// texts share one buffer (`shared`) and a trimmed text is a part of it, so
// that the record holds the line once beside its current text.
//
// Reading: `->` and the conversion to `const TextString&` give the whole
// text, NUL-terminated; `View()` gives the bytes without making a part whole
// (a part is made a text of its own the first time it is read as a
// TextString).  Writing goes through `Edit()` or an assignment: a text that
// shares its buffer takes a copy of its own first, so that no other text
// ever sees the change.  Never write through the buffer that `->` shows.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <initializer_list>
#include <memory>
#include <string_view>

#include "foundation/text_string.h"

class SharedText {
public:
    // Texts shorter than this are copied, never shared.
    static constexpr int kShareFrom = 16 * 1024;

    SharedText() = default;
    // A long text is shared, a short one copied.
    SharedText(const SharedText& other) { *this = other; }
    SharedText(SharedText&& other) noexcept = default;
    SharedText& operator=(const SharedText& other) {
        if (this == &other) return *this;
        // Short texts: a copy into this text's own room (the common case).
        if (!shared && !other.shared && other.own.length < kShareFrom) {
            own.AssignChars(other.own.buffer, other.own.length);
            return *this;
        }
        return AssignSlowly(other);
    }
    SharedText& operator=(SharedText&& other) noexcept = default;
    SharedText& operator=(const TextString& text) {
        Assign(text.view());
        return *this;
    }
    SharedText& operator=(const char* text);
    ~SharedText() = default;

    // ---- Reading ----
    const TextString& Text() const {
        if (!shared) [[likely]]
            return own;
        return SharedWhole();
    }
    operator const TextString&() const { return Text(); }  // NOLINT: read where a TextString is read
    const TextString* operator->() const { return &Text(); }
    std::string_view View() const {
        if (!shared) [[likely]]
            return own.view();
        if (IsWhole()) return shared->view();
        return std::string_view(shared->buffer + partStart, static_cast<size_t>(partLength));
    }
    int Length() const { return !shared ? own.length : IsWhole() ? shared->length : partLength; }
    bool IsEmpty() const { return Length() == 0; }
    // Bytes of room of the buffer this text holds (shared or its own).
    int Room() const { return shared ? shared->capacity : own.capacity; }
    // Whether this text is `other`'s bytes in the same shared buffer.
    bool SameAs(const SharedText& other) const {
        return shared && shared == other.shared && partStart == other.partStart && partLength == other.partLength;
    }

    // ---- Writing ----
    // A copy of `text` (which may lie in this text's own buffer), in the
    // room this text owns.
    void Assign(std::string_view text) {
        if (!shared) [[likely]]
            own.AssignChars(text.data(), static_cast<int>(text.size()));
        else
            AssignUnshared(text);
    }
    // The `n` bytes of `whole` from `start` on.  When they are long and
    // `whole` holds what `other` holds, this text becomes that part of
    // `other`'s buffer rather than a copy.
    void AssignPart(std::string_view whole, int start, int n, const SharedText& other) {
        if (n < kShareFrom && !shared) [[likely]]
            own.AssignChars(whole.data() + start, n);
        else
            AssignPartSlowly(whole, start, n, other);
    }
    // `text`, shared with `other` when they are long and equal.
    void AssignSharing(std::string_view text, const SharedText& other) {
        AssignPart(text, 0, static_cast<int>(text.size()), other);
    }
    // The whole text, a buffer of its own (copied first while it is shared
    // with another text or a part).
    TextString& Edit() {
        if (shared) Unshare();
        return own;
    }
    // Empties the text; its own room is kept.
    void MakeEmpty() {
        if (shared) shared.reset();
        own.MakeEmpty();
    }
    // Empties the text and gives its buffer back when it is shared or holds
    // more than `keptRoom` bytes.
    void Release(int keptRoom) {
        if (shared) shared.reset();
        if (own.capacity > keptRoom)
            own = TextString();
        else
            own.MakeEmpty();
    }

private:
    // The text while `shared` is null; otherwise empty (and holding no
    // room for a long text, see DropOwnRoom).
    mutable TextString own;
    // The buffer of a long text, shared by the equal texts and never
    // written while it is shared; null for a text held in `own`.
    mutable std::shared_ptr<TextString> shared;
    // A part (a trimmed text) is `partLength` bytes of the shared buffer
    // from `partStart` on; a whole text (partLength -1) is all of it.
    mutable int partStart = 0;
    mutable int partLength = -1;

    bool IsWhole() const { return partLength < 0; }
    // The whole text while it is shared: the shared buffer, or for a part
    // the part copied into `own` (the mutable fields change, the bytes this
    // text holds do not).
    const TextString& SharedWhole() const;
    // Moves a text held in `own` into a shared buffer of its own, so that
    // others may share it (the bytes this text holds do not change).
    void MakeShared() const;
    // Takes the text into `own` and lets go of the shared buffer.
    void Unshare();
    // `own` holds no text while the text is shared: a long line's room is
    // given back so that it is not held twice, a short room kept.
    void DropOwnRoom();
    // The other cases of Assign, the copy and AssignPart.
    void AssignUnshared(std::string_view text);
    SharedText& AssignSlowly(const SharedText& other);
    void AssignPartSlowly(std::string_view whole, int start, int n, const SharedText& other);
    // This text becomes `other`'s (shared) bytes, `start` and `n` bytes of
    // them when `n` is not -1.
    void ShareWith(const SharedText& other, int start, int n);
};

// Applies `edit` to the whole text of each of `texts` (at most eight).
// Texts that were one buffer before are edited once and go on sharing.
template <typename Edit>
void EditEach(std::initializer_list<SharedText*> texts, const Edit& edit) {
    constexpr size_t kMostTexts = 8;
    assert(texts.size() <= kMostTexts);
    SharedText* const* const text = texts.begin();
    const size_t n = std::min(texts.size(), kMostTexts);
    std::array<size_t, kMostTexts> sameAs{};
    for (size_t i = 0; i < n; ++i) {
        sameAs[i] = i;
        for (size_t j = 0; j < i && sameAs[i] == i; ++j)
            if (text[i]->SameAs(*text[j])) sameAs[i] = j;
    }
    for (size_t i = 0; i < n; ++i) {
        if (sameAs[i] != i)
            *text[i] = *text[sameAs[i]];
        else
            edit(text[i]->Edit());
    }
}
