#include "control/target_device.h"

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <new>

#include "support/ansi_conversion.h"

namespace {

// The members that pass unchanged, each a run of the wide and of the ANSI record.
constexpr size_t kFirstRunWide = offsetof(DEVMODEW, dmSpecVersion);
constexpr size_t kFirstRunAnsi = offsetof(DEVMODEA, dmSpecVersion);
constexpr size_t kFirstRunSize = offsetof(DEVMODEW, dmFormName) - kFirstRunWide;
constexpr size_t kSecondRunWide = offsetof(DEVMODEW, dmLogPixels);
constexpr size_t kSecondRunAnsi = offsetof(DEVMODEA, dmLogPixels);
constexpr size_t kSecondRunSize = sizeof(DEVMODEW) - kSecondRunWide;
static_assert(kFirstRunSize == 38 && kSecondRunSize == 54, "the device mode members that pass unchanged");

// The record's own offsets and size come first; its items follow.
constexpr size_t kRecordHeaderSize = offsetof(DVTARGETDEVICE, tdData);
// The members of every device mode, through dmFields: the names and the sizes read below.
constexpr size_t kFixedModeSize = offsetof(DEVMODEW, dmFields) + sizeof(DWORD);

const BYTE* ItemAt(const DVTARGETDEVICE* device, WORD offset) {
    return offset == 0 ? nullptr : reinterpret_cast<const BYTE*>(device) + offset;
}

// Absent, or a name whose terminator lies within the record.
bool NameLiesWithin(const DVTARGETDEVICE& device, WORD offset) {
    if (offset == 0) return true;
    if (offset >= device.tdSize) return false;
    const auto* name = reinterpret_cast<const wchar_t*>(ItemAt(&device, offset));
    return std::wmemchr(name, L'\0', (device.tdSize - offset) / sizeof(wchar_t)) != nullptr;
}

// Absent, or a device mode whose fixed part, own size and driver bytes lie within the record.
bool ModeLiesWithin(const DVTARGETDEVICE& device, WORD offset) {
    if (offset == 0) return true;
    if (offset >= device.tdSize || device.tdSize - offset < kFixedModeSize) return false;
    const auto& mode = *reinterpret_cast<const DEVMODEW*>(ItemAt(&device, offset));
    return mode.dmSize >= kFixedModeSize && size_t{mode.dmSize} + mode.dmDriverExtra <= device.tdSize - offset;
}

// The container's record is read only within the size it gives: every offset, name and
// device mode has to lie inside it.
bool LiesWithinItsSize(const DVTARGETDEVICE& device) {
    return device.tdSize >= kRecordHeaderSize && NameLiesWithin(device, device.tdDriverNameOffset) &&
           NameLiesWithin(device, device.tdDeviceNameOffset) && NameLiesWithin(device, device.tdPortNameOffset) &&
           ModeLiesWithin(device, device.tdExtDevmodeOffset);
}

// Copies up to size bytes of one run, as far as the wide record (of dmSize bytes) holds
// it; what lies beyond stays zero.
void CopyRun(BYTE* target, const BYTE* source, size_t sourceOffset, size_t size, size_t wideSize) {
    if (wideSize <= sourceOffset) return;
    const size_t available = wideSize - sourceOffset;
    std::memcpy(target, source + sourceOffset, available < size ? available : size);
}

// A 32-character name field; left empty when the name does not fit.
void NarrowName(BYTE (&field)[CCHDEVICENAME], const WCHAR (&source)[CCHDEVICENAME]) {
    const int length = static_cast<int>(wcsnlen(source, CCHDEVICENAME));
    ConvertToAnsiField(source, length, reinterpret_cast<char*>(field), CCHDEVICENAME);
}

}  // namespace

DEVMODEA* NarrowDevMode(const DEVMODEW& wide, std::unique_ptr<BYTE[]>& buffer) {
    const size_t wideSize = wide.dmSize;
    const size_t extra = wide.dmDriverExtra;
    buffer.reset(new (std::nothrow) BYTE[sizeof(DEVMODEA) + extra]());
    if (!buffer) return nullptr;
    auto* narrow = reinterpret_cast<DEVMODEA*>(buffer.get());
    const auto* source = reinterpret_cast<const BYTE*>(&wide);
    NarrowName(narrow->dmDeviceName, wide.dmDeviceName);
    CopyRun(buffer.get() + kFirstRunAnsi, source, kFirstRunWide, kFirstRunSize, wideSize);
    if (wideSize >= kSecondRunWide) NarrowName(narrow->dmFormName, wide.dmFormName);
    CopyRun(buffer.get() + kSecondRunAnsi, source, kSecondRunWide, kSecondRunSize, wideSize);
    // The driver's private bytes follow the record at its own size, whatever version it is.
    if (extra != 0) std::memcpy(buffer.get() + sizeof(DEVMODEA), source + wideSize, extra);
    narrow->dmSize = sizeof(DEVMODEA);
    narrow->dmDriverExtra = static_cast<WORD>(extra);
    return narrow;
}

HDC MakeTargetDC(HDC drawDC, const DVTARGETDEVICE* targetDevice) {
    // A record that cannot be read safely counts as no device at all.
    if (targetDevice == nullptr || !LiesWithinItsSize(*targetDevice)) {
        if (drawDC != nullptr && !IsMetafileDC(drawDC)) return drawDC;
        return CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    }
    const WORD nameOffsets[] = {targetDevice->tdDriverNameOffset, targetDevice->tdDeviceNameOffset,
                                targetDevice->tdPortNameOffset};
    std::unique_ptr<char[]> names[3];
    for (int i = 0; i < 3; ++i) {
        const BYTE* name = ItemAt(targetDevice, nameOffsets[i]);
        if (name != nullptr && FAILED(ConvertNameToAnsi(reinterpret_cast<const wchar_t*>(name), names[i]))) {
            return nullptr;
        }
    }
    std::unique_ptr<BYTE[]> modeBuffer;
    const DEVMODEA* mode = nullptr;
    if (const BYTE* wideMode = ItemAt(targetDevice, targetDevice->tdExtDevmodeOffset)) {
        mode = NarrowDevMode(*reinterpret_cast<const DEVMODEW*>(wideMode), modeBuffer);
        if (mode == nullptr) return nullptr;
    }
    return CreateDCA(names[0].get(), names[1].get(), names[2].get(), mode);
}
