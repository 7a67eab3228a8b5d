// A shared module of the program's own, opened at run time.
//
// The module is opened with every symbol resolved at once, so that a module
// that does not fit the program fails to open instead of failing at a later
// call, and its symbols stay private to the module: they never take the
// place of the program's own.  A module that opened stays loaded until the
// process ends, also after its object goes: a window toolkit registers
// types and exit handlers that must outlive any unloading.  Nothing is
// printed on failure; the caller decides what the user sees.
#pragma once

#include <string>

class SharedModule {
public:
    SharedModule() = default;
    ~SharedModule();
    SharedModule(const SharedModule&) = delete;
    SharedModule& operator=(const SharedModule&) = delete;

    // Opens the module at `path` (a name without "/" is looked for where the
    // system looks for libraries); false when it is missing or cannot be
    // loaded.  A module opened before is let go first.
    bool Open(const std::string& path);
    bool IsOpen() const { return handle_ != nullptr; }
    // The address of the module's symbol `name`; null when the module has
    // none or is not open.
    void* Symbol(const char* name) const;

private:
    void Close();

    void* handle_ = nullptr;
};
