// The information context of the device a picture is meant for, made from the wide
// DVTARGETDEVICE record a container hands over.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <memory>

// Whether a DC records a metafile rather than drawing on a device.
inline bool IsMetafileDC(HDC dc) { return GetDeviceCaps(dc, TECHNOLOGY) == DT_METAFILE; }

// The DC drawing is measured against: the draw DC itself when it is a real device and no
// target is named, a screen DC for a metafile, otherwise a DC of the named device.  Null
// when the device cannot be opened.  A record whose offsets, names or device mode do not
// lie within its tdSize names no target.
HDC MakeTargetDC(HDC drawDC, const DVTARGETDEVICE* targetDevice);

// The ANSI form of a wide device mode, with its driver-private bytes, in a buffer of its
// own; null when the buffer cannot be had.
DEVMODEA* NarrowDevMode(const DEVMODEW& wide, std::unique_ptr<BYTE[]>& buffer);
