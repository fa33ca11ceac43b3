// The tag methods when the task allocator, which every BSTR comes from, runs out.
#include <gtest/gtest.h>

#include <cstring>

#include "common/failing_malloc_spy.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"
#include "tag/tag_record.h"

TEST(TagOutOfMemory, GetterKeepsTheRecordAndLoadLeavesItClean) {
    ASSERT_TRUE(FailingMallocSpy::StringCacheIsOff()) << "run with OANOCACHE=1, as CTest does";
    ScratchFolder folder;
    UniqueBstr path(SysAllocString(folder.WriteFile(L"a.mp3", MakeTag("Kept", "", "", "", "", 5)).c_str()));
    TagRecord tag;
    ASSERT_EQ(tag.LoadMP3Head(path.Get()), S_OK);
    MallocSpyScope spy;
    ASSERT_TRUE(spy.Registered());
    // The wide copy of the field fails, then the copy handed out: the caller's pointer is
    // not touched, and the field is still there afterwards.
    for (long failing = 0; failing < 2; ++failing) {
        BSTR untouched = reinterpret_cast<BSTR>(static_cast<INT_PTR>(1));
        BSTR value = untouched;
        spy->Fail(failing, 1);
        EXPECT_EQ(tag.GetTitle(&value), E_OUTOFMEMORY) << failing;
        spy->FailNothing();
        EXPECT_EQ(value, untouched);
        UniqueBstr title;
        ASSERT_EQ(tag.GetTitle(title.Receive()), S_OK);
        EXPECT_STREQ(title.Get(), L"Kept");
    }
    EXPECT_EQ(spy->HeldBlocks(), 0u);
    // A load that cannot copy its path reports it, with the record cleared, not half filled.
    spy->Fail(0);
    EXPECT_EQ(tag.LoadMP3Head(path.Get()), E_OUTOFMEMORY);
    spy->FailNothing();
    short genre = 0;
    tag.GetGenreNo(&genre);
    EXPECT_EQ(genre, 255);
}
