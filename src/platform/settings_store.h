// SettingsStore: the program's named settings kept in one text file.
//
// The program remembers what is not a conversion policy (directories, viewer
// commands, dialog positions, histories) under names such as "\InDir",
// "\Dialogs\Main\Left" or "\Files\MRU03".  They live in
// ${XDG_CONFIG_HOME:-~/.config}/Halvex/<product>/settings, one "name=value"
// line per setting.  Names are compared without regard to ASCII letter case
// ("\Options\outputType" and "\Options\OutputType" are one setting); the file
// keeps the spelling under which a setting was first written.  Names and
// values have no length limit of their own.  In a value the three characters
// '%', carriage return and line feed are written as "%25", "%0D" and "%0A"
// so that every setting stays on its line; any other "%" is read as itself.
//
// Several programs may use the file at once, and a person may edit it
// between runs: a save never puts back what it did not change.  A save
// takes the file as it is then, under a lock file that serialises the
// read-merge-write of concurrent programs, and changes only the lines of
// the settings written here since the last load or save (WriteText); a
// setting this program only holds (OfferText) is added when the file has
// none, and every other line (a user's comments among them) stays as it
// stood, byte for byte.  The result is written as every output is
// (platform/output_files.h): whole to a temporary file that then replaces
// the old one, so that no reader ever sees a half-written file; a symbolic
// link stays and the file it names is replaced, its mode kept.
//
// The file is read only when it is a regular file of at most 1 MiB, and no
// save makes it larger than that (the save is refused instead).  One
// that exists but is not read (no permission, a FIFO, a link to a device,
// too large) is never written over: the store stays empty (the program runs
// with its defaults) and saves nothing.  Nor is a read-only file replaced.
// The first failure, of the load or of a save, is reported as one warning
// line naming the file and the reason; later failures are silent.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class SettingsStore {
public:
    // The settings file of the running product:
    // ${XDG_CONFIG_HOME}/Halvex/<product>/settings, with ~/.config when
    // XDG_CONFIG_HOME is unset, empty or not an absolute path.  Empty when
    // neither that variable nor a home directory can be found.
    static std::string DefaultPath(const char* product = "Vendrel");

    // A store on the default path of this product.
    SettingsStore();
    // A store on the given file (tests, or an explicit configuration).
    explicit SettingsStore(std::string path);

    const std::string& Path() const { return path_; }

    // Reads the file into memory, replacing what was there; a missing file
    // gives an empty store.  A name that appears more than once keeps its
    // last value; a line without a name is skipped.  False when the file
    // exists and is not read (see above): the store is then empty, the
    // failure is reported and Save leaves the file alone.
    bool Load();

    // The text of a setting; false (out unchanged) when there is none.
    bool ReadText(const char* name, std::string& out) const;
    // The setting as a decimal integer (leading and trailing blanks allowed);
    // false (out unchanged) when missing or not a number that fits an int.
    bool ReadInt(const char* name, int& out) const;
    bool Contains(const char* name) const;

    // Sets a setting that this program changed; Save writes it over
    // whatever the file holds then.
    void WriteText(const char* name, const char* text);
    void WriteInt(const char* name, int value);
    // Offers the value of a setting that this program holds but did not
    // change: Save adds it only when the file has no such setting by then,
    // so that a value another program saved meanwhile stays.  In memory it
    // fills in only a setting the store does not have.
    void OfferText(const char* name, const char* text);

    // Merges the written and offered settings into the file as described
    // above and reloads the store from the result.  Creates the folders when
    // needed; writes nothing when the file would not change.  False on
    // failure (reported once, see above), and always after a failed Load.
    bool Save();

    // Where the one warning of a failed load or save goes; standard error
    // when not set.  The text begins with "WARNING: ".
    void SetWarningSink(std::function<void(const char*)> sink) { warningSink_ = std::move(sink); }

    // Names and values in file order (for tests and diagnostics).
    struct Entry {
        std::string name;
        std::string value;
    };
    const std::vector<Entry>& Entries() const { return entries_; }

    // Parses settings-file content into entries, each name once (the last
    // value wins, the first spelling is kept).
    static std::vector<Entry> Parse(const std::string& content);

    // A setting waiting for the next save.
    struct Pending {
        std::string name;
        std::string value;
        bool changed = false;  // written (laid over the file), not only offered
    };
    // The file content `content` with the pending settings merged in: the
    // first line of a changed setting takes its value (keeping the line's
    // spelling of the name and its carriage return), later lines of that
    // setting go; a setting the file has no line for is appended, in the
    // order given; every other line is kept as it is.
    static std::string Merge(const std::string& content, const std::vector<Pending>& pending);

private:
    void Set(const std::string& name, const std::string& value, bool changed);
    void Rebuild(std::vector<Entry> entries);
    void Report(const std::string& text);
    // Reports a failed save: what failed and the system's reason (none when
    // empty).
    void ReportFailure(const std::string& what, const std::string& reason);
    // Replaces the file by one holding `content`, through a temporary file.
    bool ReplaceFile(const std::string& content);

    std::string path_;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, size_t> index_;  // lower-cased name -> entry
    // What the next save merges into the file, in the order first written,
    // and where each lower-cased name stands in it.
    std::vector<Pending> pending_;
    std::unordered_map<std::string, size_t> pendingIndex_;
    std::function<void(const char*)> warningSink_;
    bool failureReported_ = false;
    bool unreadable_ = false;  // Load found the file and could not read it: never save
};

// The registry operations of the settings, on a store that stands for the
// hive and the product's base key.  Each reads or writes the setting `name`.
bool ReadRegistryText(const SettingsStore& store, const char* name, std::string& out);
bool ReadRegistryInt(const SettingsStore& store, const char* name, int& out);
bool WriteRegistryText(SettingsStore& store, const char* name, const char* text);

// A history list of `count` entries is stored as key + "\MRU00" .. "\MRU09"
// (two digits), empty entries included; a missing entry reads as empty.
std::string HistoryEntryName(const char* key, int index);
void LoadHistoryList(const SettingsStore& store, const char* key, int count, std::string* entries);
