// Statistics gathered while a file is read: frequency tables of line
// properties and the character-encoding counters of the acceptance test.
#pragma once

#include <array>

#include "foundation/string_list.h"

struct CharsetStatistics {
    int nonBlankChars = 0;
    int samplePairs = 0;
    int doubleBytePairs = 0;
    int shiftJisLeadPairs = 0;
    int cjkPairs = 0;
    int utf8TwoByte = 0;
    int utf8ThreeByte = 0;
    int koi8rPairs = 0;
    int cp1251Pairs = 0;
    int arabicPairs = 0;
    int greekPairs = 0;
    int turkishPairs = 0;
    int thaiPairs = 0;
    int koreanPairs = 0;
    int hebrewPairs = 0;
    int iso2022Pairs = 0;
    int boxDrawingPairs = 0;
    int turkishLetters = 0;
    int markerBytesA = 0;
    int markerBytesB = 0;
    int markerBytesC = 0;
    int softLineBreaks = 0;
};

class AnalysisStatistics {
public:
    std::array<FrequencyTable, 7> tables;
    std::array<std::array<FrequencyTable, 4>, 12> records;  // three groups of four records
    std::array<int, 5> indexes{-1, -1, -1, -1, -1};
    std::array<int, 12> recordIndexes{};
    std::array<int, 8> counters{};
    CharsetStatistics charset;

    AnalysisStatistics() { Reset(); }
    void Reset() {
        for (FrequencyTable& table : tables) table.Clear();
        for (auto& record : records)
            for (FrequencyTable& table : record) table.Clear();
        indexes.fill(-1);
        recordIndexes.fill(-1);
        counters.fill(0);
        charset = CharsetStatistics{};
    }
};
