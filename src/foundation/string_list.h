// StringList: an ordered list of owned texts, optionally unique (repeated
// additions then count occurrences).  FrequencyTable: how often each integer
// value occurs, ranked by count on demand.
#pragma once

#include <memory>
#include <vector>

#include "foundation/text_string.h"

struct StringListEntry {
    TextString text;
    int occurrences = 1;
};

class StringList {
public:
    int count = 0;  // number of entries (kept equal to the entry array's size)
    int allowDuplicates = 1;  // 0: unique mode

    StringList() = default;
    StringList(const StringList& other) {
        AddAll(&other);
        allowDuplicates = other.allowDuplicates;
    }
    StringList& operator=(const StringList& other) {
        if (this != &other) {
            allowDuplicates = other.allowDuplicates;
            Assign(&other);
        }
        return *this;
    }

    void Add(const char* text);
    void InsertAt(int index, const char* text);
    void Clear();
    void Sort(int ignoreCase, int byOccurrences);
    void Join(TextString* out, const char* separator) const;
    bool Find(const TextString* text, int* index) const;
    void AddAll(const StringList* other);
    void Assign(const StringList* other);
    int Split(const TextString* text, const char* delimiter);
    bool RemoveAt(int index);
    StringListEntry* GetAt(int index) const;

    // The text of entry `index`, or null outside the list.
    const char* TextAt(int index) const {
        StringListEntry* entry = GetAt(index);
        return entry ? entry->text.buffer : nullptr;
    }

private:
    std::vector<std::unique_ptr<StringListEntry>> entries;
};

struct FrequencyEntry {
    int value = 0;
    std::unique_ptr<TextString> text;  // optional copy of the text given with the value
    int occurrences = 1;
};

class FrequencyTable {
public:
    int count = 0;
    int sumOfValues = 0;
    int samples = 0;
    int smallest = 0;
    int largest = 0;
    int sortedByCount = 0;

    FrequencyTable() = default;
    virtual ~FrequencyTable() = default;
    FrequencyTable(const FrequencyTable&) = delete;
    FrequencyTable& operator=(const FrequencyTable&) = delete;

    void Add(int value, const char* text = nullptr);
    void Clear();
    int SumTopCounts(int n);
    FrequencyEntry* GetEntry(int n);
    void SortByCount();

    // Entry i (0-based) in the table's current order, or null.
    FrequencyEntry* EntryAt(int i) const {
        return (i >= 0 && i < count) ? entries[static_cast<size_t>(i)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<FrequencyEntry>> entries;
};
