// The tag methods when the task allocator, which every BSTR comes from, runs out.
#include <gtest/gtest.h>

#include <cstring>

#include "support/failing_malloc_spy.h"
#include "support/temp_files.h"
#include "support/unique_bstr.h"
#include "tag/tag_record.h"

namespace {

class TagOutOfMemory : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FailingMallocSpy::StringCacheIsOff()) << "run with OANOCACHE=1, as CTest does";
        ASSERT_TRUE(spy->Registered());
    }
    MallocSpyScope spy;
};

TEST_F(TagOutOfMemory, GetterFailsAndTheRecordKeepsItsFields) {
    TagRecord tag;
    std::memcpy(tag.Title, "Kept", 5);
    // The wide copy of the field, then the copy handed out.
    for (long failing = 0; failing < 2; ++failing) {
        BSTR untouched = reinterpret_cast<BSTR>(static_cast<INT_PTR>(1));
        BSTR value = untouched;
        spy->Fail(failing, 1);
        EXPECT_EQ(tag.GetTitle(&value), E_OUTOFMEMORY) << failing;
        spy->FailNothing();
        EXPECT_EQ(value, untouched);
    }
    UniqueBstr title;
    ASSERT_EQ(tag.GetTitle(title.Receive()), S_OK);
    EXPECT_STREQ(title.Get(), L"Kept");
    title.Reset();
    EXPECT_EQ(spy->HeldBlocks(), 0u);
}

TEST_F(TagOutOfMemory, LoadThatCannotCopyThePathLeavesACleanRecord) {
    ScratchFolder folder;
    const std::wstring path = folder.WriteFile(L"song.mp3", MakeTag("Title", "", "", "", "", 5));
    TagRecord tag;
    UniqueBstr name(SysAllocString(path.c_str()));
    ASSERT_EQ(tag.LoadMP3Head(name.Get()), S_OK);
    spy->Fail(0);
    EXPECT_EQ(tag.LoadMP3Head(name.Get()), E_OUTOFMEMORY);
    spy->FailNothing();
    short genre = 0;
    tag.GetGenreNo(&genre);
    EXPECT_EQ(genre, 255);
    UniqueBstr title;
    tag.GetTitle(title.Receive());
    EXPECT_STREQ(title.Get(), L"");
}

}  // namespace
