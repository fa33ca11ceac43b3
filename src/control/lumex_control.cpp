// The control's construction, what keeps it alive while its window routes a message, and
// the clean-up of its last release.
#include "control/lumex_control.h"

LumexControl::LumexControl() noexcept { BindWindowHandle(Handle); }

InterfacePtr<IUnknown> LumexControl::HoldForMessage() {
    // The messages of the window's end during destruction go without a hold: the count is
    // spent, and an aggregate's outer object may already be half gone.
    if (DestructionBegun) return {};
    return InterfacePtr<IUnknown>::Share(static_cast<Ilumex*>(this));
}

void LumexControl::ReleaseControl() noexcept {
    DestructionBegun = true;
    // Out of the in-place state first, as DeactivateInPlace does, so the window's last
    // messages (WM_KILLFOCUS for a focused one) tell the container nothing.
    Clear(ControlFlag::IsInPlaceActive | ControlFlag::IsUIActive);
    DestroyControlWindow();
    ReleaseInterfaces();
}
