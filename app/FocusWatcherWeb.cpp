#include "app/FocusWatcher.h"

#include <emscripten/html5.h>

// In the browser the keys go elsewhere when the page's window loses the
// focus (another window or tab, the address bar), when the canvas does
// (a click on the page beside it) or when the tab is hidden. The browser
// then sends the releases of held keys to nobody.
struct FocusWatcher::Watch {
    bool lost = false;

    static EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void* data)
    {
        static_cast<Watch*>(data)->lost = true;
        return EM_FALSE;
    }

    static EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* event, void* data)
    {
        if (event->hidden) {
            static_cast<Watch*>(data)->lost = true;
        }
        return EM_FALSE;
    }

    // Registers (or removes) the listeners. Each returns EM_FALSE, so the
    // page's own handling of the events goes on.
    void listen(bool on)
    {
        emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, on ? onBlur : nullptr);
        emscripten_set_blur_callback("#canvas", this, EM_FALSE, on ? onBlur : nullptr);
        emscripten_set_visibilitychange_callback(this, EM_FALSE, on ? onVisibility : nullptr);
    }
};

FocusWatcher::FocusWatcher()
{
    if (emscripten_webgl_get_current_context() == 0) {
        return;
    }
    watch = new Watch();
    watch->listen(true);
}

FocusWatcher::~FocusWatcher()
{
    if (watch != nullptr) {
        watch->listen(false);
        delete watch;
    }
}

bool FocusWatcher::focusLost()
{
    if (watch == nullptr) {
        return false;
    }
    // The browser runs its event listeners between the game's callbacks:
    // whatever happened since the last tick has been recorded.
    const bool lost = watch->lost;
    watch->lost = false;
    return lost;
}
