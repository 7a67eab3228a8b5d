#include "foundation/shared_text.h"

#include <cstring>

namespace {

const TextString& EmptyText() {
    static const TextString empty;
    return empty;
}

}  // namespace

SharedText& SharedText::AssignSlowly(const SharedText& other) {
    if (this == &other) return *this;
    const std::string_view text = other.View();
    if (static_cast<int>(text.size()) < kShareFrom) {
        Assign(text);
        return *this;
    }
    store = other.store;
    partStart = other.partStart;
    partLength = other.partLength;
    return *this;
}

SharedText& SharedText::operator=(const char* text) {
    Assign(text ? std::string_view(text) : std::string_view());
    return *this;
}

const TextString& SharedText::WholeText() const {
    if (!store) return EmptyText();
    if (!IsWhole()) MakeWhole();
    return *store;
}

void SharedText::AssignAnew(std::string_view text) {
    // The text may lie in the buffer left behind: it is copied first.
    auto fresh = std::make_shared<TextString>();
    fresh->AssignChars(text.data(), static_cast<int>(text.size()));
    store = std::move(fresh);
    partStart = 0;
    partLength = -1;
}

void SharedText::AssignPartSlowly(std::string_view whole, int start, int n, const SharedText& other) {
    if (n >= kShareFrom && other.store) {
        const std::string_view theirs = other.View();
        if (theirs.size() == whole.size() &&
            (theirs.data() == whole.data() || std::memcmp(theirs.data(), whole.data(), whole.size()) == 0)) {
            const bool all = start == 0 && static_cast<size_t>(n) == whole.size();
            const int otherStart = other.partStart, otherLength = other.partLength;
            store = other.store;
            partStart = otherStart + start;
            partLength = all ? otherLength : n;
            if (partLength < 0) partStart = 0;
            return;
        }
    }
    Assign(whole.substr(static_cast<size_t>(start), static_cast<size_t>(n)));
}

TextString& SharedText::Edit() {
    if (!store) {
        store = std::make_shared<TextString>();
        partStart = 0;
        partLength = -1;
    } else if (!OwnsAlone()) {
        store = std::make_shared<TextString>(View());
        partStart = 0;
        partLength = -1;
    }
    return *store;
}

void SharedText::Drop() {
    store.reset();
    partStart = 0;
    partLength = -1;
}

void SharedText::MakeWhole() const {
    store = std::make_shared<TextString>(View());
    partStart = 0;
    partLength = -1;
}
