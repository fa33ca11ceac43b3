// The component's own script: what it registers, and that unregistering restores the
// registry as it was, but for HKCR\CLSID.
#include <gtest/gtest.h>

#include "registry_scratch.h"

namespace {

const wchar_t ClassKey[] = L"CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}";
const char ClassId[] = "{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}";

RegistryTree RegisteredEntries() {
    RegistryTree t;
    const std::wstring c = ClassKey;
    t.AddKey(L"");
    t.AddString(L"Tarvik.lumex.1", L"", "lumex Class");
    t.AddString(L"Tarvik.lumex.1\\CLSID", L"", ClassId);
    t.AddString(L"Tarvik.lumex", L"", "lumex Class");
    t.AddString(L"Tarvik.lumex\\CLSID", L"", ClassId);
    t.AddString(L"Tarvik.lumex\\CurVer", L"", "Tarvik.lumex.1");
    t.AddKey(L"CLSID");
    t.AddString(c, L"", "lumex Class");
    t.AddString(c + L"\\ProgID", L"", "Tarvik.lumex.1");
    t.AddString(c + L"\\VersionIndependentProgID", L"", "Tarvik.lumex");
    t.AddKey(c + L"\\Programmable");
    t.AddString(c + L"\\InprocServer32", L"", RegisteredModulePath);
    t.AddString(c + L"\\InprocServer32", L"ThreadingModel", "Apartment");
    t.AddKey(c + L"\\Control");
    t.AddKey(c + L"\\Insertable");
    t.AddString(c + L"\\ToolboxBitmap32", L"", std::string(RegisteredModulePath) + ", 101");
    t.AddString(c + L"\\MiscStatus", L"", "0");
    t.AddString(c + L"\\MiscStatus\\1", L"", "131473");
    t.AddString(c + L"\\TypeLib", L"", "{5C3E7A10-91B4-4D2F-8E63-27A1B9D40C55}");
    t.AddString(c + L"\\Version", L"", "1.0");
    return t;
}

void AddForeignClass(ScratchRegistry& scratch, RegistryTree& tree) {
    scratch.Put("CLSID\\{0000AAAA-0000-0000-0000-000000000000}", nullptr, "foreign");
    scratch.Put("CLSID\\{0000AAAA-0000-0000-0000-000000000000}\\InprocServer32", "ThreadingModel", "Both");
    tree.AddString(L"CLSID\\{0000AAAA-0000-0000-0000-000000000000}", L"", "foreign");
    tree.AddString(L"CLSID\\{0000AAAA-0000-0000-0000-000000000000}\\InprocServer32", L"ThreadingModel", "Both");
}

TEST(RegistryWorkedExample, RegistersExactlyItsTableBesideOtherClasses) {
    ScratchRegistry scratch;
    RegistryTree expected = RegisteredEntries();
    AddForeignClass(scratch, expected);
    const RegistryTree before = scratch.ClassesTree();
    ASSERT_EQ(RunRegistryScript(WorkedExampleScript, true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), expected) << scratch.ClassesTree().Format();
    ASSERT_EQ(RunRegistryScript(WorkedExampleScript, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), before) << scratch.ClassesTree().Format();
}

TEST(RegistryWorkedExample, UnregisterLeavesOnlyTheSharedClsidKey) {
    ScratchRegistry scratch;
    ASSERT_EQ(RunRegistryScript(WorkedExampleScript, true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), RegisteredEntries());
    ASSERT_EQ(RunRegistryScript(WorkedExampleScript, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree().Format(), "[]\n[CLSID]\n");
    EXPECT_EQ(RunRegistryScript(WorkedExampleScript, false), S_OK);  // again: nothing left to remove
}

TEST(RegistryWorkedExample, ReregisteringWipesStaleEntriesOfTheClass) {
    ScratchRegistry scratch;
    scratch.Put("CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}\\Stale\\Deep", "old", "x");
    scratch.Put("CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}\\Control\\Stale", "old", "x");
    ASSERT_EQ(RunRegistryScript(WorkedExampleScript, true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), RegisteredEntries()) << scratch.ClassesTree().Format();
}

}  // namespace
