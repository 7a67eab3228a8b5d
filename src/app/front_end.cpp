#include "app/front_end.h"

#include "platform/environment.h"

namespace {

FrontEnd* installedFrontEnd = nullptr;

bool Set(const char* variable) { return variable != nullptr && variable[0] != '\0'; }

}  // namespace

FrontEnd::~FrontEnd() = default;

void InstallFrontEnd(FrontEnd* frontEnd) { installedFrontEnd = frontEnd; }

FrontEnd* InstalledFrontEnd() { return installedFrontEnd; }

bool DisplayPresent(const char* x11Display, const char* waylandDisplay) {
    return Set(x11Display) || Set(waylandDisplay);
}

bool DisplayPresentInEnvironment() {
    return DisplayPresent(EnvironmentValue("DISPLAY"), EnvironmentValue("WAYLAND_DISPLAY"));
}

bool GraphicalDesktop::StartWindows() { return frontEnd != nullptr && frontEnd->Start(); }

bool GraphicalDesktop::StartMainWindow() {
    if (frontEnd == nullptr || !frontEnd->HasMainWindow() || !frontEnd->Start()) return false;
    if (services != nullptr) services->SwitchTo(frontEnd->Services());
    return true;
}
