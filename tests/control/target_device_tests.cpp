// The ANSI device mode made from a container's wide one, for a record of an older,
// smaller version followed by its driver's private bytes.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "control/target_device.h"

TEST(TargetDevice, AnOlderDeviceModeKeepsItsDriverBytesAndNothingBeyondItsSize) {
    // A record that ends before the ICM members, then four private bytes.
    const WORD olderSize = offsetof(DEVMODEW, dmICMMethod);
    std::vector<BYTE> record(sizeof(DEVMODEW) + 16, 0xEE);
    DEVMODEW mode{};
    std::memcpy(mode.dmDeviceName, L"Printer", sizeof L"Printer");
    std::memcpy(mode.dmFormName, L"A4", sizeof L"A4");
    mode.dmSize = olderSize;
    mode.dmDriverExtra = 4;
    mode.dmFields = DM_ORIENTATION | DM_PELSWIDTH;
    mode.dmOrientation = DMORIENT_LANDSCAPE;
    mode.dmPelsWidth = 1234;
    std::memcpy(record.data(), &mode, olderSize);
    std::memcpy(record.data() + olderSize, "ABCD", 4);

    std::unique_ptr<BYTE[]> buffer;
    const DEVMODEA* narrow = NarrowDevMode(*reinterpret_cast<const DEVMODEW*>(record.data()), buffer);
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(narrow->dmSize, sizeof(DEVMODEA));
    EXPECT_EQ(narrow->dmDriverExtra, 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(narrow->dmDeviceName), "Printer");
    EXPECT_STREQ(reinterpret_cast<const char*>(narrow->dmFormName), "A4");
    EXPECT_EQ(narrow->dmFields, static_cast<DWORD>(DM_ORIENTATION | DM_PELSWIDTH));
    EXPECT_EQ(narrow->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(narrow->dmPelsWidth, 1234u);
    EXPECT_EQ(narrow->dmICMMethod, 0u);  // not part of the older record
    EXPECT_EQ(std::memcmp(buffer.get() + sizeof(DEVMODEA), "ABCD", 4), 0);
}
