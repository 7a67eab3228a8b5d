// The user guide, docs/vdrdoco.html, says what the program does: each of its
// examples is run as a user runs it, and what the guide says beside it must
// hold; each menu path it names must be one of the program's menu.
//
// The guide marks an example as a <div class="example"> holding
//   <pre class="file" data-name="NAME">TEXT</pre>
//       a file the example writes: TEXT and a line end (data-uses="A B" on
//       the div brings the files of that name of earlier examples);
//   <code class="command">vendrel ARGUMENTS</code>
//       a command, one or more, each run in a fresh folder holding the files,
//       with exit status 0;
//   <pre class="result" data-file="NAME">TEXT</pre> (or a <code>)
//       text that file holds after the command, and data-stream="stderr" for
//       text shown on standard error: its lines are looked for in that order,
//       every run of blanks and line ends counting as one blank (the output
//       may be indented or wrapped otherwise), a line "..." standing for any
//       text;
//   <code class="same-as">vendrel ARGUMENTS</code>
//       a command that writes the same files with the same bytes.
// The texts are written as HTML (&lt; for "<" and so on).  A menu path is
// written <b class="menu">Title &gt; Item</b>.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "texts/language_texts.h"
#include "texts/menu_texts.h"
#include "ui/main_menu.h"
#include "ui/menu_model.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGuide = fs::path(VENDREL_TEST_DATA_DIR) / ".." / ".." / "docs" / "vdrdoco.html";

std::string Unescaped(std::string text) {
    for (const auto& [entity, character] :
         {std::pair<const char*, const char*>{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
        for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::string(entity).size(), character);
    }
    return text;
}

// Every run of blanks, tabs and line ends as one blank, none at the ends.
std::string Squeezed(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

struct Claim {
    std::string file;  // empty: standard error
    std::string text;
};

struct Example {
    std::map<std::string, std::string> files;  // name -> text
    std::vector<std::string> commands;
    std::vector<Claim> claims;
    std::string sameAs;  // a command, or empty
};

// The examples of the guide, in order.  A name that data-uses gives but no
// earlier example writes goes to `unknown`.
std::vector<Example> Examples(const std::string& guide, std::vector<std::string>* unknown) {
    std::vector<Example> examples;
    std::map<std::string, std::string> written;  // every file of the examples so far
    const std::regex uses(R"re(^<div class="example"(?: data-uses="([^"]*)")?>)re");
    const std::regex file(R"re(<pre class="file" data-name="([^"]+)">([\s\S]*?)</pre>)re");
    const std::regex command(R"re(<code class="command">([\s\S]*?)</code>)re");
    const std::regex claim(R"re(<(pre|code) class="result" data-(file|stream)="([^"]+)">([\s\S]*?)</\1>)re");
    const std::regex sameAs(R"re(<code class="same-as">([\s\S]*?)</code>)re");
    const std::string opening = "<div class=\"example\"";
    for (size_t start = guide.find(opening); start != std::string::npos; start = guide.find(opening, start + 1)) {
        const size_t end = guide.find("</div>", start);
        if (end == std::string::npos) break;
        const std::string body = guide.substr(start, end - start);
        Example example;
        std::smatch head;
        if (std::regex_search(body, head, uses)) {
            for (const std::string& name : Words(head[1])) {
                if (!written.count(name)) unknown->push_back(name);
                example.files[name] = written[name];
            }
        }
        const std::sregex_iterator none;
        for (std::sregex_iterator f(body.begin(), body.end(), file); f != none; ++f)
            example.files[(*f)[1]] = written[(*f)[1]] = Unescaped((*f)[2]) + "\n";
        for (std::sregex_iterator c(body.begin(), body.end(), command); c != none; ++c)
            example.commands.push_back(Squeezed(Unescaped((*c)[1])));
        for (std::sregex_iterator c(body.begin(), body.end(), claim); c != none; ++c)
            example.claims.push_back(Claim{(*c)[2] == "file" ? (*c)[3].str() : "", Unescaped((*c)[4])});
        std::smatch same;
        if (std::regex_search(body, same, sameAs)) example.sameAs = Squeezed(Unescaped(same[1]));
        examples.push_back(example);
    }
    return examples;
}

// A command of the guide run in a fresh folder holding the files.
class GuideRun {
public:
    GuideRun(const Example& example, const std::string& command) {
        if (!folder.Made()) return;
        for (const auto& [name, text] : example.files) WriteWhole(folder / name, text);
        const std::vector<std::string> words = Words(command);
        if (words.empty() || words[0] != "vendrel") return;
        std::string line = "cd '" + folder.Path().string() +
                           "' && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" + (folder / "cfg").string() +
                           "' '" VENDREL_BINARY "'";
        for (size_t i = 1; i < words.size(); ++i) line += " '" + words[i] + "'";
        const fs::path errors = folder.Path().string() + ".err";
        line += " > /dev/null 2> '" + errors.string() + "'";
        const int result = std::system(line.c_str());
        status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
        shown = ReadWhole(errors);
        fs::remove(errors);
        inputs = example.files;
    }

    // The files the command wrote, by name, with their bytes (the folder's
    // path, which a document names, as "@FOLDER@").
    std::map<std::string, std::string> Written() const {
        std::map<std::string, std::string> written;
        const std::string path = folder.Path().string();
        for (const fs::directory_entry& entry : fs::directory_iterator(folder.Path())) {
            const std::string name = entry.path().filename().string();
            if (name == "cfg" || inputs.count(name)) continue;
            std::string bytes = ReadWhole(entry.path());
            for (size_t at = bytes.find(path); at != std::string::npos; at = bytes.find(path, at + 1))
                bytes.replace(at, path.size(), "@FOLDER@");
            written[name] = bytes;
        }
        return written;
    }

    std::string Text(const Claim& claim) const {
        return claim.file.empty() ? shown : ReadWhole(folder / claim.file);
    }

    int status = -1;
    std::string shown;  // standard error

private:
    TempFolder folder{"vendrel_guide"};
    std::map<std::string, std::string> inputs;
};

// Whether the claim's lines stand in the text in order: the lines between
// two "..." lines together, the "..." standing for any text.
bool Holds(const std::string& text, const std::string& claim, std::string* missing) {
    const std::string squeezed = Squeezed(text);
    std::vector<std::string> pieces(1);
    std::istringstream lines(claim);
    for (std::string line; std::getline(lines, line);) {
        if (Squeezed(line) == "...")
            pieces.emplace_back();
        else
            pieces.back() += line + "\n";
    }
    size_t from = 0;
    for (const std::string& piece : pieces) {
        const std::string wanted = Squeezed(piece);
        if (wanted.empty()) continue;
        const size_t at = squeezed.find(wanted, from);
        if (at == std::string::npos) {
            *missing = wanted;
            return false;
        }
        from = at + wanted.size();
    }
    return true;
}

TEST(UserGuideTest, EveryExampleGivesWhatTheGuideSays) {
    const std::string guide = ReadWhole(kGuide);
    ASSERT_FALSE(guide.empty()) << kGuide;
    std::vector<std::string> unknown;
    const std::vector<Example> examples = Examples(guide, &unknown);
    EXPECT_TRUE(unknown.empty()) << "data-uses names a file no earlier example writes: " << unknown.front();
    EXPECT_GE(examples.size(), 10u);
    for (const Example& example : examples) {
        ASSERT_FALSE(example.commands.empty()) << "an example without a command";
        EXPECT_FALSE(example.claims.empty() && example.sameAs.empty()) << example.commands[0] << " claims nothing";
        for (const std::string& command : example.commands) {
            SCOPED_TRACE(command);
            const GuideRun run(example, command);
            ASSERT_EQ(run.status, 0) << run.shown;
            for (const Claim& claim : example.claims) {
                std::string missing;
                const std::string text = run.Text(claim);
                EXPECT_TRUE(Holds(text, claim.text, &missing))
                    << (claim.file.empty() ? "standard error" : claim.file) << " lacks: " << missing << "\n"
                    << text;
            }
            if (!example.sameAs.empty()) {
                const GuideRun same(example, example.sameAs);
                const auto written = run.Written();
                const auto wanted = same.Written();
                std::string names;
                for (const auto& [name, bytes] : written) names += name + (wanted.count(name) ? " " : " (new) ");
                EXPECT_TRUE(written == wanted) << "not the files of " << example.sameAs << ": " << names;
            }
        }
    }
}

// "Title > Item > Item": each name, without its access-key "&", is an entry of
// the menu or drop-down before it, in the English menu the program shows.
TEST(UserGuideTest, MenuPathsAreThoseOfTheProgram) {
    const std::string guide = ReadWhole(kGuide);
    SetMenuLanguage(kLanguageEnglish);
    MenuModel menu;
    BuildMainMenu(menu);
    ApplyMenuTexts(&menu);
    auto plain = [](const TextString& text) {
        std::string name;
        for (const char c : text.str())
            if (c != '&') name += c;
        return name;
    };
    const std::regex path(R"re(<b class="menu">([\s\S]*?)</b>)re");
    int paths = 0;
    for (std::sregex_iterator at(guide.begin(), guide.end(), path), none; at != none; ++at) {
        ++paths;
        const std::string names = Squeezed(Unescaped((*at)[1]));
        SCOPED_TRACE(names);
        const Menu* current = &menu.Bar();
        std::string rest = names;
        while (!rest.empty()) {
            ASSERT_NE(current, nullptr) << "goes on past an item";
            const size_t cut = rest.find(" > ");
            const std::string name = rest.substr(0, cut);
            rest = cut == std::string::npos ? "" : rest.substr(cut + 3);
            const MenuEntry* found = nullptr;
            for (int i = 0; i < current->EntryCount() && !found; ++i) {
                const MenuEntry* entry = current->EntryAt(i);
                if (entry && entry->kind != MenuEntryKind::kSeparator && plain(entry->text) == name) found = entry;
            }
            ASSERT_NE(found, nullptr) << name;
            current = found->dropDown.get();
        }
    }
    EXPECT_GE(paths, 20);
}

}  // namespace
