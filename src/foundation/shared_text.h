// SharedText: a text that holds one buffer together with the texts equal to
// it while they stay equal (copy on write).
//
// Why: a line record keeps several texts of the same line side by side (the
// raw text as read, the text with its tags, the text without them, the
// trimmed input text), and for nearly every line they hold the same bytes.
// For a short line a copy costs less than the bookkeeping of sharing, and a
// record that keeps its own room reads the next line without an allocation,
// so short texts are always copied.  A long line (a whole file on one line
// is the extreme) would be held four times over: from kShareFrom bytes on,
// equal texts share one buffer and a trimmed text is a part of it, so that
// the record holds the line once beside its current text.
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
    SharedText(const SharedText& other) = default;  // shares: nothing is written yet
    SharedText(SharedText&& other) noexcept = default;
    SharedText& operator=(const SharedText& other) {
        // Short texts: a copy into this text's own room (the common case).
        if (other.Length() < kShareFrom && OwnsAlone() && this != &other) {
            const std::string_view text = other.View();
            store->AssignChars(text.data(), static_cast<int>(text.size()));
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
    const TextString& Text() const { return store && IsWhole() ? *store : WholeText(); }
    operator const TextString&() const { return Text(); }  // NOLINT: read where a TextString is read
    const TextString* operator->() const { return &Text(); }
    std::string_view View() const {
        if (!store) return {};
        if (IsWhole()) return store->view();
        return std::string_view(store->buffer + partStart, static_cast<size_t>(partLength));
    }
    int Length() const { return partLength >= 0 ? partLength : store ? store->length : 0; }
    bool IsEmpty() const { return Length() == 0; }
    // Bytes of room of the buffer this text holds (shared or not).
    int Room() const { return store ? store->capacity : 0; }
    // Whether this text is `other`'s bytes in the same buffer.
    bool SameAs(const SharedText& other) const {
        return store && store == other.store && partStart == other.partStart && partLength == other.partLength;
    }

    // ---- Writing ----
    // A copy of `text` (which may lie in this text's own buffer), in the
    // room this text owns when it owns its buffer alone.
    void Assign(std::string_view text) {
        if (OwnsAlone())
            store->AssignChars(text.data(), static_cast<int>(text.size()));
        else
            AssignAnew(text);
    }
    // The `n` bytes of `whole` from `start` on.  When they are long and
    // `whole` holds what `other` holds, this text becomes that part of
    // `other`'s buffer rather than a copy.
    void AssignPart(std::string_view whole, int start, int n, const SharedText& other) {
        if (n < kShareFrom && OwnsAlone())
            store->AssignChars(whole.data() + start, n);
        else
            AssignPartSlowly(whole, start, n, other);
    }
    // `text`, shared with `other` when they are long and equal.
    void AssignSharing(std::string_view text, const SharedText& other) {
        AssignPart(text, 0, static_cast<int>(text.size()), other);
    }
    // The whole text, a buffer of its own (copied first while it is shared
    // or a part).
    TextString& Edit();
    // Empties the text; the room is kept when the buffer is this text's alone.
    void MakeEmpty() {
        if (OwnsAlone())
            store->MakeEmpty();
        else
            Drop();
    }
    // Empties the text and gives its buffer back when it is shared or holds
    // more than `keptRoom` bytes.
    void Release(int keptRoom) {
        if (OwnsAlone() && store->capacity <= keptRoom)
            store->MakeEmpty();
        else
            Drop();
    }

private:
    // The buffer, shared by the equal texts; null for an empty text that
    // has no room yet.
    mutable std::shared_ptr<TextString> store;
    // A part (a trimmed text) is `partLength` bytes of the store from
    // `partStart` on; a whole text (partLength -1) is all of the store,
    // whatever its length becomes through Edit().
    mutable int partStart = 0;
    mutable int partLength = -1;

    bool IsWhole() const { return partLength < 0; }
    bool OwnsAlone() const { return store && store.use_count() == 1 && IsWhole(); }
    // Makes a part a whole text with a buffer of its own (the mutable
    // fields change, the bytes this text holds do not).
    void MakeWhole() const;
    // The other cases of Text(), the assignments and AssignPart.
    void AssignAnew(std::string_view text);
    // Lets go of the buffer (shared or not).
    void Drop();
    const TextString& WholeText() const;
    SharedText& AssignSlowly(const SharedText& other);
    void AssignPartSlowly(std::string_view whole, int start, int n, const SharedText& other);
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
