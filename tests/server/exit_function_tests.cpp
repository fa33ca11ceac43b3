// The module record's termination list, on a module record of the test's own.
#include <gtest/gtest.h>

#include "automation/type_info_keeper.h"
#include "module/server_module.h"
#include "common/loaded_server.h"

namespace {

int starts = 0;
int stops = 0;
void WINAPI CountStartStop(bool initialize) { ++(initialize ? starts : stops); }

ClassTableEntry TestTable[] = {
    {&GUID_NULL, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, CountStartStop},
    {nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr},
};

std::vector<DWORD_PTR> ran;
void WINAPI RecordRun(DWORD_PTR argument) { ran.push_back(argument); }

int CountExitEntries(const ServerModule& module) {
    int n = 0;
    for (const ExitFunctionEntry* e = module.ExitFunctions; e != nullptr; e = e->Next) ++n;
    return n;
}

class ExitFunctions : public testing::Test {
protected:
    void SetUp() override {
        starts = stops = 0;
        ran.clear();
        ASSERT_EQ(StartModule(&module, TestTable, GetModuleHandleW(nullptr)), S_OK);
        TheModule = &module;
    }
    void TearDown() override { TheModule = nullptr; }
    ServerModule module{};
};

}  // namespace

TEST_F(ExitFunctions, RunLastAddedFirstAndAsOftenAsAdded) {
    EXPECT_EQ(starts, 1);
    AddExitFunction(&module, RecordRun, 7);
    AddExitFunction(&module, RecordRun, 7);
    AddExitFunction(&module, RecordRun, 9);
    EXPECT_EQ(StopModule(&module), S_OK);
    EXPECT_EQ(ran, (std::vector<DWORD_PTR>{9, 7, 7}));
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(StartModule(nullptr, TestTable, nullptr), E_INVALIDARG);
    EXPECT_EQ(StopModule(nullptr), E_INVALIDARG);
}

TEST_F(ExitFunctions, FailedTypeInfoLoadsAddOneReleaseEntryPerKeeper) {
    RegisteredTypeLibrary::RemoveRegistration();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(LoadTypeInfo(InterfaceKeeper, 0), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(InterfaceKeeper.TypeInfo.load(), nullptr);
    EXPECT_EQ(CountExitEntries(module), 1);
    {
        RegisteredTypeLibrary registration;
        EXPECT_EQ(LoadTypeInfo(InterfaceKeeper, 0), S_OK);
        EXPECT_EQ(LoadTypeInfo(ClassKeeper, 0), S_OK);
    }
    // Kept after the registration is gone: names still resolve.
    LPOLESTR name = const_cast<LPOLESTR>(L"DoCutTailSp");
    DISPID id = 0;
    EXPECT_EQ(LookUpNames(InterfaceKeeper, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 8);
    EXPECT_EQ(CountExitEntries(module), 2);
    StopModule(&module);
    EXPECT_EQ(InterfaceKeeper.TypeInfo.load(), nullptr);
    EXPECT_EQ(InterfaceKeeper.NameCache, nullptr);
    EXPECT_EQ(ClassKeeper.TypeInfo.load(), nullptr);
}
