// The control's construction and the clean-up of its last release.
#include "control/lumex_control.h"

LumexControl::LumexControl() noexcept { BindWindowHandle(Handle); }

void LumexControl::ReleaseControl() noexcept {
    DestroyControlWindow();
    ReleaseInterfaces();
}

void LumexControl::DestroyControlWindow() {
    HWND& window = WindowHandleRef();
    if (window == nullptr) return;
    if (IsWindow(window)) DestroyWindow(window);
    window = nullptr;
}
