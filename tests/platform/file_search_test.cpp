#include "platform/file_search.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/temp_folder.h"

TEST(FileSearch, PatternKnowsOnlyStarAndQuestionMark) {
    struct Case {
        const char* pattern;
        const char* name;
        bool expected;
    };
    const Case cases[] = {
        {"*.txt", "A.TXT", true},
        {"*.txt", "notes.txt.bak", false},
        {"?.txt", "ab.txt", false},
        {"a?c", "AbC", true},
        // A hidden name only for a pattern that begins with ".".
        {"*", ".hidden", false},
        {"?hidden", ".hidden", false},
        {"*.html", ".a.html.x2Yz9q", false},
        {".*", ".hidden", true},
        {".h*", ".Hidden", true},
        {"*", "visible.txt", true},
        {"[x].txt", "x.txt", false},
        {"a\\b", "a\\b", true},
        {"*.*", "README", false},
        {"", "", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesFilePattern(c.pattern, c.name), c.expected) << c.pattern << " ~ " << c.name;
}

TEST(FileSearch, ListsMatchingEntriesWithKindAndSize) {
    TempFolder temp("file_search");
    ASSERT_TRUE(temp.Made());
    const std::filesystem::path& root = temp.Path();
    std::ofstream(root / "one.log") << "12345";
    std::ofstream(root / "TWO.LOG");
    std::ofstream(root / "three.txt") << "x";
    std::ofstream(root / ".four.log") << "hidden";
    std::filesystem::create_directory(root / "sub.log");

    std::map<std::string, FoundFile> found;
    {
        FileSearch search;
        ASSERT_TRUE(search.Begin(root.string(), "*.log"));
        FoundFile entry;
        while (search.Next(&entry)) found[entry.name] = entry;
        EXPECT_FALSE(search.Next(&entry));
    }
    ASSERT_EQ(found.size(), 3u);
    EXPECT_FALSE(found["one.log"].isDirectory);
    EXPECT_EQ(found["one.log"].size, 5u);
    EXPECT_EQ(found["TWO.LOG"].size, 0u);
    EXPECT_TRUE(found["sub.log"].isDirectory);
    {
        // Only a pattern beginning with "." takes hidden names.
        FileSearch search;
        ASSERT_TRUE(search.Begin(root.string(), ".*"));
        std::vector<std::string> hidden;
        for (FoundFile entry; search.Next(&entry);) hidden.push_back(entry.name);
        std::sort(hidden.begin(), hidden.end());
        EXPECT_EQ(hidden, (std::vector<std::string>{".", "..", ".four.log"}));
    }

    FileSearch missing;
    EXPECT_FALSE(missing.Begin((root / "nowhere").string(), "*"));
    FoundFile entry;
    EXPECT_FALSE(missing.Next(&entry));
}
