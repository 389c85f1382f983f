#include "app/WindowSubclassWin32.h"

#include <commctrl.h>

WindowSubclass::WindowSubclass(Handler handler, void* data) : handler(handler), data(data)
{
    const HDC deviceContext = wglGetCurrentDC();
    const HWND target = deviceContext != nullptr ? WindowFromDC(deviceContext) : nullptr;
    // The object's address tells several subclasses of one window apart.
    if (target != nullptr
        && SetWindowSubclass(target, procedure, reinterpret_cast<UINT_PTR>(this),
                             reinterpret_cast<DWORD_PTR>(this))) {
        window = target;
    }
}

WindowSubclass::~WindowSubclass()
{
    if (window != nullptr) {
        RemoveWindowSubclass(window, procedure, reinterpret_cast<UINT_PTR>(this));
    }
}

LRESULT CALLBACK WindowSubclass::procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam, UINT_PTR id, DWORD_PTR data)
{
    WindowSubclass* self = reinterpret_cast<WindowSubclass*>(data);
    if (message == WM_NCDESTROY) {
        // The window goes away before its watcher: nothing is left to undo.
        RemoveWindowSubclass(window, procedure, id);
        self->window = nullptr;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    return self->handler(self->data, window, message, wParam, lParam);
}
