// Checks the writers' portable tests share.
#pragma once
#include "common/media_bytes.h"

// A cover set into file reads back whole, and RemovePictures then leaves none; returns the
// file with the cover.
Bytes ExpectCoverSetAndRemoved(const Bytes& file, const Bytes& image);
