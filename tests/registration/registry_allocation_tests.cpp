// Running out of task memory, one allocation at a time: every failure is E_OUTOFMEMORY,
// leaves the registry as it was and keeps no block.
#include <gtest/gtest.h>

#include "resource_ids.h"
#include "registration/registry_script_parser.h"
#include "registration/replacement_map.h"
#include "registration/server_registration.h"
#include "registry_scratch.h"
#include "common/failing_malloc_spy.h"
#include "common/loaded_server.h"

namespace {

class RegistryOutOfMemory : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(spy.Registered()); }
    MallocSpyScope spy;
};

TEST_F(RegistryOutOfMemory, ExpandedTextThatCannotGrowWritesNothing) {
    ScratchRegistry scratch;
    ReplacementMap map;
    ASSERT_EQ(map.Add(L"V", std::wstring(1500, L'v').c_str()), S_OK);
    const size_t held = spy->HeldBlocks();
    RegistryScriptParser parser(&map);
    const char* script = "HKCR { A = s '%V%%V%' }";
    long failed = 0;
    for (;; ++failed) {
        spy->Fail(failed, 1);
        const HRESULT hr = parser.RunScript(script, true);
        spy->FailNothing();
        if (hr == S_OK) break;
        ASSERT_EQ(hr, E_OUTOFMEMORY) << "allocation " << failed;
        EXPECT_EQ(scratch.ClassesTree(), TreeOf({})) << "allocation " << failed;
        EXPECT_EQ(spy->HeldBlocks(), held) << "allocation " << failed;
    }
    // The first buffer and the reallocations that doubled it.
    EXPECT_GE(failed, 4);
    EXPECT_EQ(scratch.ClassesTree(), TreeOf({{L"A", L"", std::string(3000, 'v')}}));
}

TEST_F(RegistryOutOfMemory, ClassRegistrationFailsWithoutAChange) {
    ScratchRegistry scratch;
    scratch.Put("CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}\\Stale", "old", "wiped by a registration");
    const RegistryTree before = scratch.ClassesTree();
    LoadedServer server;
    ServerModule module{};
    module.Instance = module.TypeLibInstance = server.Module();
    const size_t held = spy->HeldBlocks();
    long failed = 0;
    for (;; ++failed) {
        spy->Fail(failed, 1);
        const HRESULT hr = ApplyRegistryResource(&module, TARVIK_LUMEX_REGISTRY_RESOURCE, true, nullptr);
        spy->FailNothing();
        if (hr == S_OK) break;
        ASSERT_EQ(hr, E_OUTOFMEMORY) << "allocation " << failed;
        EXPECT_EQ(scratch.ClassesTree(), before) << "allocation " << failed;
        EXPECT_EQ(spy->HeldBlocks(), held) << "allocation " << failed;
    }
    EXPECT_GE(failed, 3);  // the replacement's name and value, the expanded text
    EXPECT_EQ(scratch.ClassesTree().Keys.count(L"CLSID\\{5C3E7A1D-91B4-4D2F-8E63-27A1B9D40C55}\\Stale"), 0u);
}

}  // namespace
