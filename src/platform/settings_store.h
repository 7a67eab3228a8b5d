// SettingsStore: the program's named settings kept in one text file.
//
// The program remembers what is not a conversion policy (directories, viewer
// commands, dialog positions, histories) under names such as "\InDir",
// "\Dialogs\Main\Left" or "\Files\MRU03".  They live in
// ${XDG_CONFIG_HOME:-~/.config}/Halvex/<product>/settings, one "name=value"
// line per setting.  Names are compared without regard to ASCII letter case
// ("\Options\outputType" and "\Options\OutputType" are one setting); the file
// keeps the spelling under which a setting was first written.  Names and
// values have no length limit.  In a value the three characters '%', carriage
// return and line feed are written as "%25", "%0D" and "%0A" so that every
// setting stays on its line; any other "%" is read as itself.
//
// Saving rewrites the whole file atomically: the lines go to a new temporary
// file in the same folder, which then replaces the old one by rename.  A
// lock file serialises the read-merge-write of concurrent programs, so that
// settings written by one are not lost by another and no reader ever sees a
// half-written file.  The first failed save is reported as one warning line;
// later failures are silent.
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
    // gives an empty store.  False only when the file exists and cannot be
    // read.  A name that appears more than once keeps its last value.
    bool Load();

    // The text of a setting; false (out unchanged) when there is none.
    bool ReadText(const char* name, std::string& out) const;
    // The setting as a decimal integer (leading and trailing blanks allowed);
    // false (out unchanged) when missing or not a number that fits an int.
    bool ReadInt(const char* name, int& out) const;
    bool Contains(const char* name) const;

    // Sets a setting in memory; Save writes it.
    void WriteText(const char* name, const char* text);
    void WriteInt(const char* name, int value);

    // Writes the settings written since the last save into the file: the
    // file's current content is read again under the lock, the changed
    // settings are laid over it, and the result replaces the file.  Creates
    // the folders when needed.  False on failure (reported once, see above).
    bool Save();

    // Where the one warning of a failed save goes; standard error when not
    // set.  The text begins with "WARNING: ".
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
    // The file content for the entries.
    static std::string Format(const std::vector<Entry>& entries);

private:
    void Set(const std::string& name, const std::string& value);
    void Rebuild(std::vector<Entry> entries);
    void ReportFailure(const std::string& what, int error);

    std::string path_;
    std::vector<Entry> entries_;
    std::unordered_map<std::string, size_t> index_;  // lower-cased name -> entry
    std::vector<std::string> changed_;  // lower-cased names written since the last save
    std::function<void(const char*)> warningSink_;
    bool failureReported_ = false;
};

// The registry operations of the settings, on a store that stands for the
// hive and the product's base key.  Each reads or writes the setting `name`.
bool ReadRegistryText(const SettingsStore& store, const char* name, std::string& out);
bool ReadRegistryInt(const SettingsStore& store, const char* name, int& out);
bool WriteRegistryText(SettingsStore& store, const char* name, const char* text);
void WriteRegistryInt(SettingsStore& store, const char* name, int value);

// A history list of `count` entries stored as key + "\MRU00" .. "\MRU09"
// (two digits); a missing entry reads as empty, and saving writes every
// entry, empty ones included.
void LoadHistoryList(const SettingsStore& store, const char* key, int count, std::string* entries);
void SaveHistoryList(SettingsStore& store, const char* key, int count, const std::string* entries);
