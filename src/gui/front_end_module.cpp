// The module's entry: the program loads the module and calls it when it
// wants its first window (app/front_end_module.h).
#include "app/front_end_module.h"

#include <new>
#include <type_traits>

#include "gui/wx_front_end.h"

extern "C" __attribute__((visibility("default"))) FrontEnd* VendrelMakeFrontEnd() {
    // Nothing of the toolkit starts here: the caller starts it.
    return new (std::nothrow) WxFrontEnd();
}

static_assert(std::is_same_v<decltype(VendrelMakeFrontEnd), FrontEndModuleEntry>);
