// A front-end module for the loader's tests, built as a shared module of its
// own that, like the real one, links no engine: it uses the test program's.
// Its entry makes a front end that starts without any toolkit and marks the
// run as failed when started (so a test sees that the module reached the
// program's own globals, not a copy), or, built with
// VENDREL_TEST_MODULE_MAKES_NOTHING, makes none.
#include "app/front_end_module.h"

#include "app/batch_mode.h"
#include "foundation/run_status.h"
#include "ui/scripted_services.h"

namespace {

// What the tests read back from the module's front end.
constexpr int kTestMainWindowStatus = 42;

class TestFrontEnd : public FrontEnd {
public:
    bool HasMainWindow() const override { return true; }
    bool Start() override {
        TheRunStatus().NoteFailure();
        return true;
    }
    UiServices& Services() override { return services_; }
    void AttachStatusWindow(BaseDialog&) override {}
    int RunMainWindow(MainDialog&) override { return kTestMainWindowStatus; }

private:
    ScriptedUiServices services_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) FrontEnd* VendrelMakeFrontEnd() {
#ifdef VENDREL_TEST_MODULE_MAKES_NOTHING
    return nullptr;
#else
    return new TestFrontEnd();
#endif
}
