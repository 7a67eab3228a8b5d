// The graphical front end kept in a module of its own, loaded only when a
// window is wanted.
//
// The windows need the toolkit and its libraries (a few hundred of them with
// GTK); loading them costs a batch run more than the conversion of a small
// table.  So the program holds a stand-in front end that loads the module at
// the first Start, the moment the start-up code wants a window; until then
// nothing of the toolkit is in the process.  The module uses the program's
// own engine (the program exports it): one copy of the engine and of its
// globals in the process.  A module that is missing, does not load or does
// not make its front end is the same as no front end: Start is false and the
// user sees what a build without windows shows, never the loader's words.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/front_end.h"
#include "app/ui_services.h"
#include "platform/shared_module.h"

// The module's one entry, exported under kFrontEndModuleEntry: makes the
// module's front end, which the caller owns; null when it cannot.
extern "C" {
using FrontEndModuleEntry = FrontEnd*();
}
inline constexpr const char* kFrontEndModuleEntry = "VendrelMakeFrontEnd";

// The places the module is looked for, in this order: beside the program's
// file (a build tree), then in `installedFolder`, a folder relative to the
// program's folder (where `cmake --install` puts it).  None when the
// program's file is not known.
std::vector<std::string> FrontEndModulePlaces(const std::string& programPath, const std::string& moduleFile,
                                              const std::string& installedFolder);

class ModuleFrontEnd : public FrontEnd {
public:
    // The main window's model is made without the module (the program makes
    // its dialog before it knows whether any window will show): by
    // `makeMainDialog`, or the plain data half when that is null.
    using MainDialogMaker = std::unique_ptr<MainDialog> (*)(UiServices& services);

    ModuleFrontEnd(std::vector<std::string> places, MainDialogMaker makeMainDialog);
    ~ModuleFrontEnd() override;
    ModuleFrontEnd(const ModuleFrontEnd&) = delete;
    ModuleFrontEnd& operator=(const ModuleFrontEnd&) = delete;

    // True until the module is loaded; then the module's answer.
    bool HasMainWindow() const override;
    std::unique_ptr<MainDialog> MakeMainDialog(UiServices& services) override;
    void DialogEnding(MainDialog& dialog) override;
    // Loads the module (tried once) and starts its front end.
    bool Start() override;
    // The module's services once it is loaded; the console's before.
    UiServices& Services() override;
    void AttachStatusWindow(BaseDialog& owner) override;
    void RunBegins() override;
    void RunEnds() override;
    // The module's main window; the no-window status without the module.
    int RunMainWindow(MainDialog& dialog) override;

    // The module's front end, once loaded; null before and when it failed.
    FrontEnd* Loaded() const { return loaded_.get(); }

private:
    bool Load();

    std::vector<std::string> places_;
    MainDialogMaker makeMainDialog_;
    bool tried_ = false;
    // Declared before the front end it made: the front end goes first.
    SharedModule module_;
    std::unique_ptr<FrontEnd> loaded_;
    ConsoleUiServices console_;
};
