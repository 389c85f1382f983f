#include "app/ViewDriverNotice.h"

#include <emscripten.h>

namespace {
// The game starts with the ship in control, as the page does.
bool lastNoticed = true;
}

// The page hears only of a change, through its Module.onViewChange.
void noticeViewDriver(bool shipInControl)
{
    if (shipInControl == lastNoticed) {
        return;
    }
    lastNoticed = shipInControl;
    EM_ASM({
        if (typeof Module.onViewChange === "function") Module.onViewChange($0 !== 0);
    }, shipInControl ? 1 : 0);
}
