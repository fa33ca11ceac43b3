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
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"A", L"", "new"}, {L"A\\B"}, {L"Bystander", L"", "stays"}}));
}

TEST(RegistryPasses, DeleteRemovesTheTreeAndWritesNothing) {
    ScratchRegistry scratch;
    scratch.Put("A\\B", nullptr, "old");
    const char* script = "HKCR { Delete A = s 'x' C = s 'y' }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"C", L"", "y"}}));
    // The deleted key is absent in the unregister pass; that stops its own item only.
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
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
    scratch.Put("NoRemove", nullptr, "n");  // keys spelled like keywords, which no item names
    scratch.Put("Val", nullptr, "v");
    const char* script = "HKCR { ForceRemove NoRemove A { B } ForceRemove Val v = s 'x' }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    EXPECT_EQ(scratch.ClassesTree(),
              TreeOf({{L"", L"v", "x"}, {L"A\\B"}, {L"NoRemove", L"", "n"}, {L"Val", L"", "v"}}));
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"A"}, {L"NoRemove", L"", "n"}, {L"Val", L"", "v"}}));
}

TEST(RegistryPasses, NoRemoveGuardsTheRestOfItsBlockButNotNestedBlocksOrValues) {
    ScratchRegistry scratch;
    const char* script = "HKCR { A NoRemove B = s 'b' C { D Val v = s 'x' } }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"B", L"", "b"}, {L"C"}}));
}

TEST(RegistryPasses, UnregisterKeepsKeysWithSubkeysItDoesNotName) {
    ScratchRegistry scratch;
    scratch.Put("Shared\\Foreign");
    scratch.Put("Shared\\Shared\\Child");  // a same-named child tree is not the script's either
    const RegistryTree before = scratch.ClassesTree();
    const char* script = "HKCR { Shared { Mine = s 'm' { Deeper } Val v = d 1 } }";
    ASSERT_EQ(RunRegistryScript(script, true), S_OK);
    ASSERT_EQ(RunRegistryScript(script, false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), before);
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
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({}));
}

TEST(RegistryPasses, BlockOfAnEmptyKeyStaysInStep) {
    ScratchRegistry scratch;
    scratch.Put("Kept\\Plain");  // its block names a subkey it no longer has
    scratch.Put("Sibling", nullptr, "named only under Kept");
    ASSERT_EQ(RunRegistryScript("HKCR { NoRemove Kept { Plain { Inner } Sibling } }", false), S_OK);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"Kept"}, {L"Sibling", L"", "named only under Kept"}}));
}

TEST(RegistryPasses, RollbackRemovesExactlyTheFailingBlock) {
    ScratchRegistry scratch;
    scratch.Put("Prior\\Foreign");
    const char* script = "HKCR { Early = s 'e' } HKCR { Late = s 'z' NoRemove Prior { Mine { Deep = q 'x' } } }";
    EXPECT_EQ(RunRegistryScript(script, true), DISP_E_EXCEPTION);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"Early", L"", "e"}, {L"Prior\\Foreign"}}));
}

TEST(RegistryPasses, RollbackRemovesKeysTheAttemptCreatedEvenUnderNoRemove) {
    ScratchRegistry scratch;
    scratch.Put("Shared\\Foreign");
    // Twice is created by its first item and protected at its second.
    const char* script =
        "HKCR { Twice = s 't' NoRemove Shared { NoRemove Fresh { NoRemove Deeper = s 'x' } } "
        "NoRemove Twice { B } A = q 'y' }";
    EXPECT_EQ(RunRegistryScript(script, true), DISP_E_EXCEPTION);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"Shared\\Foreign"}}));
}

TEST(RegistryPasses, EmptyKeyNameNeverReachesTheParent) {
    ScratchRegistry scratch;
    scratch.Put("A\\B", nullptr, "b");
    scratch.Put("C", "named", "c");
    const RegistryTree before = scratch.ClassesTree();
    EXPECT_EQ(RunRegistryScript("HKCR { ForceRemove '' }", true), DISP_E_EXCEPTION);      // would wipe the root
    EXPECT_EQ(RunRegistryScript("HKCR { NoRemove C { '' } }", false), DISP_E_EXCEPTION);  // would delete C
    EXPECT_EQ(scratch.ClassesTree(), before);
}

}  // namespace
