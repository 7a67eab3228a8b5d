#include "foundation/shared_text.h"

#include <cstring>
#include <utility>

SharedText& SharedText::operator=(const char* text) {
    Assign(text ? std::string_view(text) : std::string_view());
    return *this;
}

const TextString& SharedText::SharedWhole() const {
    if (IsWhole()) return *shared;
    own.AssignChars(shared->buffer + partStart, partLength);
    shared.reset();
    partStart = 0;
    partLength = -1;
    return own;
}

void SharedText::MakeShared() const {
    if (shared) return;
    shared = std::make_shared<TextString>(std::move(own));
    partStart = 0;
    partLength = -1;
}

void SharedText::Unshare() {
    if (shared.use_count() == 1 && IsWhole()) {
        own = std::move(*shared);
    } else {
        const std::string_view text = View();
        own.AssignChars(text.data(), static_cast<int>(text.size()));
    }
    shared.reset();
    partStart = 0;
    partLength = -1;
}

void SharedText::DropOwnRoom() {
    if (own.capacity >= kShareFrom)
        own = TextString();
    else
        own.MakeEmpty();
}

void SharedText::AssignUnshared(std::string_view text) {
    // The text may lie in the shared buffer: it is copied before that is let go.
    own.AssignChars(text.data(), static_cast<int>(text.size()));
    shared.reset();
    partStart = 0;
    partLength = -1;
}

void SharedText::ShareWith(const SharedText& other, int start, int n) {
    other.MakeShared();
    const int otherStart = other.partStart, otherLength = other.partLength;
    shared = other.shared;
    if (n < 0) {
        partStart = otherStart;
        partLength = otherLength;
    } else {
        partStart = otherStart + start;
        partLength = n;
    }
    DropOwnRoom();
}

SharedText& SharedText::AssignSlowly(const SharedText& other) {
    if (this == &other) return *this;
    if (other.Length() < kShareFrom)
        Assign(other.View());
    else
        ShareWith(other, 0, -1);
    return *this;
}

void SharedText::AssignPartSlowly(std::string_view whole, int start, int n, const SharedText& other) {
    if (n >= kShareFrom) {
        const std::string_view theirs = other.View();
        if (theirs.size() == whole.size() &&
            (theirs.data() == whole.data() || std::memcmp(theirs.data(), whole.data(), whole.size()) == 0)) {
            const bool all = start == 0 && static_cast<size_t>(n) == whole.size();
            ShareWith(other, start, all ? -1 : n);
            return;
        }
    }
    Assign(whole.substr(static_cast<size_t>(start), static_cast<size_t>(n)));
}
