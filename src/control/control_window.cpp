// The control window: not built yet.
#include "control/lumex_control.h"

WNDPROC ControlWindow::GetMessageProcedure() { return nullptr; }
void ControlWindow::AfterLastMessage(HWND) {}
ControlWindow::~ControlWindow() = default;

HWND LumexControl::MakeControlWindow(HWND, const RECT&) { return nullptr; }

BOOL LumexControl::RouteMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&, DWORD) { return FALSE; }
