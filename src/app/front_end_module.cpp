#include "app/front_end_module.h"

#include <utility>

#include "app/base_dialog.h"
#include "app/batch_mode.h"

std::vector<std::string> FrontEndModulePlaces(const std::string& programPath, const std::string& moduleFile,
                                              const std::string& installedFolder) {
    const std::string::size_type slash = programPath.rfind('/');
    if (slash == std::string::npos || moduleFile.empty()) return {};
    const std::string folder = programPath.substr(0, slash + 1);
    std::vector<std::string> places{folder + moduleFile};
    if (!installedFolder.empty()) {
        const std::string installed = installedFolder[0] == '/' ? installedFolder : folder + installedFolder;
        places.push_back(installed + (installed.back() == '/' ? "" : "/") + moduleFile);
    }
    return places;
}

ModuleFrontEnd::ModuleFrontEnd(std::vector<std::string> places, MainDialogMaker makeMainDialog)
    : places_(std::move(places)), makeMainDialog_(makeMainDialog) {}

ModuleFrontEnd::~ModuleFrontEnd() = default;

bool ModuleFrontEnd::HasMainWindow() const { return !loaded_ || loaded_->HasMainWindow(); }

std::unique_ptr<MainDialog> ModuleFrontEnd::MakeMainDialog(UiServices& services) {
    return makeMainDialog_ != nullptr ? makeMainDialog_(services) : nullptr;
}

void ModuleFrontEnd::DialogEnding(MainDialog& dialog) {
    if (loaded_) loaded_->DialogEnding(dialog);
}

bool ModuleFrontEnd::Load() {
    if (tried_) return loaded_ != nullptr;
    tried_ = true;
    for (const std::string& place : places_) {
        if (!module_.Open(place)) continue;
        auto* entry = reinterpret_cast<FrontEndModuleEntry*>(module_.Symbol(kFrontEndModuleEntry));
        if (entry == nullptr) continue;
        loaded_.reset(entry());
        if (loaded_) return true;
    }
    return false;
}

bool ModuleFrontEnd::Start() { return Load() && loaded_->Start(); }

UiServices& ModuleFrontEnd::Services() { return loaded_ ? loaded_->Services() : console_; }

void ModuleFrontEnd::AttachStatusWindow(BaseDialog& owner) {
    if (loaded_) loaded_->AttachStatusWindow(owner);
}

void ModuleFrontEnd::RunBegins() {
    if (loaded_) loaded_->RunBegins();
}

void ModuleFrontEnd::RunEnds() {
    if (loaded_) loaded_->RunEnds();
}

int ModuleFrontEnd::RunMainWindow(MainDialog& dialog) {
    return loaded_ ? loaded_->RunMainWindow(dialog) : kExitNoWindow;
}
