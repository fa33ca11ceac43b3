// The GUIDs of the ASF objects that the reader and the writer know, sixteen bytes each as
// they lie in the file (the first three fields little-endian).
#pragma once
#include <cstdint>

using AsfGuid = uint8_t[16];

// The header object's GUID opens every ASF file.
extern const AsfGuid kAsfHeaderGuid;
extern const AsfGuid kAsfFilePropertiesGuid, kAsfStreamPropertiesGuid, kAsfAudioStreamGuid, kAsfContentDescriptionGuid,
    kAsfExtendedContentDescriptionGuid, kAsfHeaderExtensionGuid, kAsfHeaderExtensionReservedGuid, kAsfMetadataGuid,
    kAsfMetadataLibraryGuid, kAsfPaddingGuid;

bool IsGuid(const uint8_t* bytes, const AsfGuid& guid) noexcept;
