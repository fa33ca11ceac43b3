// The two window procedures of a control window: the class's, which binds a new window
// to its object at the first message, and the object's, which every later message
// reaches through the window's entry stub.
#pragma once
#include <windows.h>

class ControlWindow;

LRESULT CALLBACK FirstMessageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SteadyMessageProcedure(ControlWindow* object, UINT message, WPARAM wParam, LPARAM lParam);
