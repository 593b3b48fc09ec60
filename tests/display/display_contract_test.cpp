#include "display_contract.h"

#include "core/display/backends.h"

#include <cstdlib>

namespace ocuvell {
namespace {

struct MemoryFactory {
    static std::unique_ptr<Display> make(std::string*) { return makeMemoryDisplay(); }
};

// Only ever the private dummy X server: gamma tests must not touch a user's screen.
struct X11Factory {
    static std::unique_ptr<Display> make(std::string* whyNot) {
#ifdef OCUVELL_HAVE_X11
        const char* name = std::getenv("OCUVELL_TEST_XDISPLAY");
        if (!name || !*name) {
            *whyNot = "OCUVELL_TEST_XDISPLAY is not set (scripts/test.sh starts a dummy Xorg)";
            return nullptr;
        }
        DisplayTrouble why = DisplayTrouble::NoTrouble;
        auto display = openX11Display(name, &why);
        if (!display)
            *whyNot = troubleWords(why);
        return display;
#else
        *whyNot = "built without X11";
        return nullptr;
#endif
    }
};

using Backends = ::testing::Types<MemoryFactory, X11Factory>;
INSTANTIATE_TYPED_TEST_SUITE_P(Ocuvell, DisplayContract, Backends);

} // namespace
} // namespace ocuvell
