#include "foundation/string_list.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------
// StringList

void StringList::Add(const char* text) {
    if (!allowDuplicates) {
        TextString probe(text);
        int index = -1;
        if (Find(&probe, &index)) {
            entries[static_cast<size_t>(index)]->occurrences++;
            return;
        }
    }
    auto entry = std::make_unique<StringListEntry>();
    entry->text.Assign(text);
    entries.push_back(std::move(entry));
    count = static_cast<int>(entries.size());
}

void StringList::InsertAt(int index, const char* text) {
    if (index < 0) index = 0;
    auto entry = std::make_unique<StringListEntry>();
    entry->text.Assign(text);
    if (index >= count)
        entries.push_back(std::move(entry));
    else
        entries.insert(entries.begin() + index, std::move(entry));
    count = static_cast<int>(entries.size());
}

void StringList::Clear() {
    entries.clear();
    entries.shrink_to_fit();
    count = 0;
}

// Stable sort, ascending by text (optionally ignoring case) or by occurrence
// count.  Equal entries keep their order.
void StringList::Sort(int ignoreCase, int byOccurrences) {
    auto less = [&](const std::unique_ptr<StringListEntry>& a, const std::unique_ptr<StringListEntry>& b) {
        if (byOccurrences) return a->occurrences < b->occurrences;
        const unsigned char* x = reinterpret_cast<const unsigned char*>(a->text.buffer);
        const unsigned char* y = reinterpret_cast<const unsigned char*>(b->text.buffer);
        for (;; ++x, ++y) {
            unsigned char cx = *x, cy = *y;
            if (ignoreCase) {
                cx = static_cast<unsigned char>(ToUpperAscii(static_cast<char>(cx)));
                cy = static_cast<unsigned char>(ToUpperAscii(static_cast<char>(cy)));
            }
            if (cx != cy) return cx < cy;
            if (!cx) return false;
        }
    };
    std::stable_sort(entries.begin(), entries.end(), less);
}

void StringList::Join(TextString* out, const char* separator) const {
    out->MakeEmpty();
    for (int i = 0; i < count; ++i) {
        if (i > 0) out->Append(separator);
        out->Append(entries[static_cast<size_t>(i)]->text);
    }
}

bool StringList::Find(const TextString* text, int* index) const {
    if (index) *index = -1;
    if (!text) return false;
    for (int i = 0; i < count; ++i) {
        const TextString& candidate = entries[static_cast<size_t>(i)]->text;
        if (candidate.length == text->length && candidate.Matches(text->buffer, 0, 0)) {
            if (index) *index = i;
            return true;
        }
    }
    return false;
}

void StringList::AddAll(const StringList* other) {
    if (!other || other == this) return;
    for (int i = 0; i < other->count; ++i) Add(other->entries[static_cast<size_t>(i)]->text.buffer);
}

void StringList::Assign(const StringList* other) {
    if (other == this) return;
    Clear();
    AddAll(other);
}

int StringList::Split(const TextString* text, const char* delimiter) {
    if (!text) return 1;
    char d = (delimiter && *delimiter) ? delimiter[0] : ' ';
    TextString field;
    for (int n = 1; text->GetField(n, d, &field); ++n) Add(field.buffer);
    return 1;
}

bool StringList::RemoveAt(int index) {
    if (index < 0 || index >= count) return false;
    entries.erase(entries.begin() + index);
    count = static_cast<int>(entries.size());
    if (count == 0) entries.shrink_to_fit();
    return true;
}

StringListEntry* StringList::GetAt(int index) const {
    if (index < 0 || index >= count) return nullptr;
    return entries[static_cast<size_t>(index)].get();
}

// ---------------------------------------------------------------------------
// FrequencyTable

void FrequencyTable::Add(int value, const char* text) {
    sumOfValues += value;
    samples += 1;
    for (auto& entry : entries) {
        if (entry->value == value) {
            entry->occurrences++;
            return;
        }
    }
    auto entry = std::make_unique<FrequencyEntry>();
    entry->value = value;
    if (text) entry->text = std::make_unique<TextString>(text);
    if (count == 0) {
        smallest = largest = value;
    } else {
        if (value < smallest) smallest = value;
        if (value > largest) largest = value;
    }
    if (sortedByCount) {
        entries.push_back(std::move(entry));
    } else {
        auto at = entries.begin();
        while (at != entries.end() && (*at)->value < value) ++at;
        entries.insert(at, std::move(entry));
    }
    count = static_cast<int>(entries.size());
}

void FrequencyTable::Clear() {
    entries.clear();
    count = sumOfValues = samples = smallest = largest = 0;
    sortedByCount = 0;
}

int FrequencyTable::SumTopCounts(int n) {
    if (count == 0 || n <= 0) return 0;
    if (count < n) return samples;
    SortByCount();
    int sum = 0;
    for (int i = 0; i < n; ++i) sum += entries[static_cast<size_t>(i)]->occurrences;
    return sum;
}

FrequencyEntry* FrequencyTable::GetEntry(int n) {
    SortByCount();
    if (n < 1 || n > count) return nullptr;
    return entries[static_cast<size_t>(n - 1)].get();
}

// Orders the entries by descending count with the exact exchange procedure
// the ranking relies on: for every i, every j, swap when count(i) > count(j).
// Ties therefore come out in a fixed, documented order (for counts 2,1,2,3,2
// on values 10..50: 40, 30, 10, 50, 20).  The procedure is quadratic, which is
// fine for the small tables of indent and column positions it ranks.
void FrequencyTable::SortByCount() {
    if (sortedByCount) return;
    size_t n = entries.size();
    for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j)
            if (entries[i]->occurrences > entries[j]->occurrences) std::swap(entries[i], entries[j]);
    sortedByCount = 1;
}
