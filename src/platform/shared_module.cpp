#include "platform/shared_module.h"

#include <dlfcn.h>

SharedModule::~SharedModule() { Close(); }

bool SharedModule::Open(const std::string& path) {
    Close();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    // The loader keeps its reason until asked: clear it, so that nothing of
    // it shows up later.
    if (handle_ == nullptr) dlerror();
    return handle_ != nullptr;
}

void* SharedModule::Symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    void* address = dlsym(handle_, name);
    if (address == nullptr) dlerror();
    return address;
}

void SharedModule::Close() {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
}
