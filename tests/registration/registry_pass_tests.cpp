// What each pass writes and removes: the keywords, protected names, rollback, and the
// unregister pass keeping in step with the text whatever the registry holds.
#include <gtest/gtest.h>

#include "registry_scratch.h"

namespace {

TEST(RegistryPasses, ForceRemoveWipesTheWholeExistingSubtree) {
    ScratchRegistry scratch;
    scratch.Put("A", nullptr, "old");
    scratch.Put("A", "extra", "unnamed by the script");
    scratch.Put("A\\Old\\Deep", "v", "deep");
    scratch.Put("Bystander", nullptr, "stays");
    ASSERT_EQ(RunRegistryScript("HKCR { forceremove A = s 'new' { B } }", true), S_OK);
    RegistryTree expected;
    expected.AddKey(L"");
    expected.AddString(L"A", L"", "new");
    expected.AddKey(L"A\\B");
    expected.AddString(L"Bystander", L"", "stays");
    EXPECT_EQ(scratch.ClassesTree(), expected) << scratch.ClassesTree().Format();
}

TEST(RegistryPasses, DeleteRemovesTheTreeAndWritesNothing) {
    ScratchRegistry scratch;
    scratch.Put("A\\B", nullptr, "old");
    ASSERT_EQ(RunRegistryScript("HKCR { Delete A = s 'x' C = s 'y' }", true), S_OK);
    RegistryTree expected;
    expected.AddKey(L"");
    expected.AddString(L"C", L"", "y");
    EXPECT_EQ(scratch.ClassesTree(), expected);
    // The deleted key is absent in the unregister pass; only its own item is skipped.
    ASSERT_EQ(RunRegistryScript("HKCR { Delete A = s 'x' C = s 'y' }", false), S_OK);
    EXPECT_EQ(scratch.ClassesTree().Format(), "[]\n");
}

TEST(RegistryPasses, ProtectedNamesAreNeverWiped) {
    ScratchRegistry scratch;
    scratch.Put("CLSID\\{Other}", nullptr, "foreign class");
    scratch.Put("TypeLib\\{Other}", nullptr, "foreign library");
    const RegistryTree before = scratch.ClassesTree();
    EXPECT_EQ(RunRegistryScript("HKCR { ForceRemove CLSID { } Delete typelib }", true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), before);
}

TEST(RegistryPasses, ForceRemoveAppliesToTheKeyAfterNoRemove) {
    ScratchRegistry scratch;
    scratch.Put("A\\Old");
    scratch.Put("NoRemove", nullptr, "a key of that name, not named by the script");
    scratch.Put("Val", nullptr, "likewise");
    const char* script = "HKCR { ForceRemove NoRemove A { B } ForceRemove Val v = s 'x' }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    RegistryTree expected;
    expected.AddString(L"", L"v", "x");
    expected.AddKey(L"A");
    expected.AddKey(L"A\\B");
    expected.AddString(L"NoRemove", L"", "a key of that name, not named by the script");
    expected.AddString(L"Val", L"", "likewise");
    EXPECT_EQ(scratch.ClassesTree(), expected) << scratch.ClassesTree().Format();
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    expected.Keys.erase(L"A\\B");
    expected.Keys[L""].clear();
    EXPECT_EQ(scratch.ClassesTree(), expected) << scratch.ClassesTree().Format();
}

TEST(RegistryPasses, NoRemoveGuardsTheRestOfItsBlockButNotNestedBlocksOrValues) {
    ScratchRegistry scratch;
    const char* script = "HKCR { A NoRemove B = s 'b' C { D Val v = s 'x' } }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    RegistryTree expected;
    expected.AddKey(L"");
    expected.AddString(L"B", L"", "b");  // kept, default value and all
    expected.AddKey(L"C");
    EXPECT_EQ(scratch.ClassesTree(), expected) << scratch.ClassesTree().Format();
}

TEST(RegistryPasses, UnregisterKeepsKeysWithSubkeysItDoesNotName) {
    ScratchRegistry scratch;
    scratch.Put("Shared\\Foreign");
    scratch.Put("Shared\\Shared\\Child");  // a same-named child tree is not the script's either
    const RegistryTree before = scratch.ClassesTree();
    const char* script = "HKCR { Shared { Mine = s 'm' { Deeper } } }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), before) << scratch.ClassesTree().Format();
}

TEST(RegistryPasses, UnregisterOfAbsentKeysDeletesNothing) {
    ScratchRegistry scratch;
    scratch.Put("Present\\Foreign", "v", "x");
    const RegistryTree before = scratch.ClassesTree();
    EXPECT_EQ(RunRegistryScript("HKCR { Missing { Present { Val v = s 'x' } } Gone = s 'x' }", false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), before);
}

TEST(RegistryPasses, AbsentKeyStopsOnlyItsOwnItem) {
    ScratchRegistry scratch;
    scratch.Put("Later", nullptr, "named by the script");
    EXPECT_EQ(RunRegistryScript("HKCR { Missing Later }", false), S_OK);
    EXPECT_EQ(scratch.ClassesTree().Format(), "[]\n");
}

TEST(RegistryPasses, BlockOfAnEmptyKeyStaysInStep) {
    ScratchRegistry scratch;
    scratch.Put("Kept\\Plain");  // its block names a subkey it no longer has
    scratch.Put("Sibling", nullptr, "named only under Kept");
    const char* script = "HKCR { NoRemove Kept { Plain { Inner } Sibling } }";
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    RegistryTree expected;
    expected.AddKey(L"");
    expected.AddKey(L"Kept");
    expected.AddString(L"Sibling", L"", "named only under Kept");
    EXPECT_EQ(scratch.ClassesTree(), expected) << scratch.ClassesTree().Format();
}

TEST(RegistryPasses, RollbackRemovesExactlyTheFailingBlock) {
    ScratchRegistry scratch;
    scratch.Put("Prior\\Foreign");
    const char* script = "HKCR { Early = s 'e' } HKCR { Late = s 'z' NoRemove Prior { Mine { Deep = q 'x' } } }";
    EXPECT_EQ(RunRegistryScript(script, true), DISP_E_EXCEPTION);
    RegistryTree expected;
    expected.AddKey(L"");
    expected.AddString(L"Early", L"", "e");
    expected.AddKey(L"Prior\\Foreign");
    expected.AddKey(L"Prior");
    EXPECT_EQ(scratch.ClassesTree(), expected) << scratch.ClassesTree().Format();
}

TEST(RegistryPasses, EmptyKeyNameNeverReachesTheParent) {
    ScratchRegistry scratch;
    scratch.Put("A\\B", nullptr, "b");
    scratch.Put("C", "named", "c");
    const RegistryTree before = scratch.ClassesTree();
    EXPECT_EQ(RunRegistryScript("HKCR { ForceRemove '' }", true), DISP_E_EXCEPTION);  // would wipe the root
    EXPECT_EQ(RunRegistryScript("HKCR { NoRemove C { '' } }", false), DISP_E_EXCEPTION);  // would delete C
    EXPECT_EQ(scratch.ClassesTree(), before);
}

}  // namespace
