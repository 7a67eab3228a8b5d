// A front-end module for the loader's tests, built as a shared module of its
// own that, like the real one, links no engine: it uses the test program's.
// Its entry makes a front end that starts without any toolkit and marks the
// run as failed when started (so a test sees that the module reached the
// program's own globals, not a copy), or, built with
// VENDREL_TEST_MODULE_MAKES_NOTHING, makes none, or, built with
// VENDREL_TEST_MODULE_NEEDS_MISSING, needs a routine the program does not
// have (as a module of another build would).
#include "app/front_end_module.h"

#include "app/batch_mode.h"
#include "foundation/run_status.h"
#include "ui/scripted_services.h"

#ifdef VENDREL_TEST_MODULE_NEEDS_MISSING
extern "C" void VendrelRoutineNoProgramHas();
#endif

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
#if defined(VENDREL_TEST_MODULE_MAKES_NOTHING)
    return nullptr;
#elif defined(VENDREL_TEST_MODULE_NEEDS_MISSING)
    VendrelRoutineNoProgramHas();
    return new TestFrontEnd();
#else
    return new TestFrontEnd();
#endif
}
