// The arithmetic behind every drawing of the control: the zoom of a request and the
// conversion of HIMETRIC sizes to screen pixels.
#pragma once
#include <windows.h>

#include "control/draw_request.h"

class ControlState;

// Fills the request's zoom fields: the bounds against the control's size.
void ComputeZoom(const ControlState& state, DrawRequest& request);

// HIMETRIC to pixels of the screen, rounding halves up; in and out may be the same.
void HimetricToPixels(const SIZEL& himetric, SIZEL& pixels);
