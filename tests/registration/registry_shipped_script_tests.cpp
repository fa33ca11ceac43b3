// The component's own script, read from resources/tarvik.rgs: what it registers, and that
// unregistering restores the registry as it was, but for HKCR\CLSID.
#include <gtest/gtest.h>

#include "registry_scratch.h"

namespace {

RegistryTree RegisteredEntries() {
    const std::wstring c = L"CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}";
    const char* id = "{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}";
    return TreeOf({{L"Tarvik.lumex.1", L"", "lumex Class"},
                   {L"Tarvik.lumex.1\\CLSID", L"", id},
                   {L"Tarvik.lumex", L"", "lumex Class"},
                   {L"Tarvik.lumex\\CLSID", L"", id},
                   {L"Tarvik.lumex\\CurVer", L"", "Tarvik.lumex.1"},
                   {c, L"", "lumex Class"},
                   {c + L"\\ProgID", L"", "Tarvik.lumex.1"},
                   {c + L"\\VersionIndependentProgID", L"", "Tarvik.lumex"},
                   {c + L"\\Programmable"},
                   {c + L"\\InprocServer32", L"", RegisteredModulePath},
                   {c + L"\\InprocServer32", L"ThreadingModel", "Apartment"},
                   {c + L"\\Control"},
                   {c + L"\\Insertable"},
                   {c + L"\\ToolboxBitmap32", L"", std::string(RegisteredModulePath) + ", 101"},
                   {c + L"\\MiscStatus", L"", "0"},
                   {c + L"\\MiscStatus\\1", L"", "131473"},
                   {c + L"\\TypeLib", L"", "{5C3E7A10-91B4-4D2F-8E63-27A1B9D40C55}"},
                   {c + L"\\Version", L"", "1.0"}});
}

void AddForeignClass(ScratchRegistry& scratch, RegistryTree& tree) {
    scratch.Put("CLSID\\{0000AAAA-0000-0000-0000-000000000000}", nullptr, "foreign");
    scratch.Put("CLSID\\{0000AAAA-0000-0000-0000-000000000000}\\InprocServer32", "ThreadingModel", "Both");
    tree.AddString(L"CLSID\\{0000AAAA-0000-0000-0000-000000000000}", L"", "foreign");
    tree.AddString(L"CLSID\\{0000AAAA-0000-0000-0000-000000000000}\\InprocServer32", L"ThreadingModel", "Both");
}

TEST(RegistryShippedScript, RegistersExactlyItsTableBesideOtherClasses) {
    ScratchRegistry scratch;
    RegistryTree expected = RegisteredEntries();
    AddForeignClass(scratch, expected);
    const RegistryTree before = scratch.ClassesTree();
    ASSERT_EQ(RunRegistryScript(ShippedScript().c_str(), true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), expected);
    ASSERT_EQ(RunRegistryScript(ShippedScript().c_str(), false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), before);
}

TEST(RegistryShippedScript, UnregisterLeavesOnlyTheSharedClsidKey) {
    ScratchRegistry scratch;
    ASSERT_EQ(RunRegistryScript(ShippedScript().c_str(), true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), RegisteredEntries());
    ASSERT_EQ(RunRegistryScript(ShippedScript().c_str(), false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"CLSID"}}));
    EXPECT_EQ(RunRegistryScript(ShippedScript().c_str(), false), S_OK);  // again: nothing left to remove
}

TEST(RegistryShippedScript, ReregisteringWipesStaleEntriesOfTheClass) {
    ScratchRegistry scratch;
    scratch.Put("CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}\\Stale\\Deep", "old", "x");
    scratch.Put("CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}\\Control\\Stale", "old", "x");
    ASSERT_EQ(RunRegistryScript(ShippedScript().c_str(), true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), RegisteredEntries());
}

}  // namespace
