// Ilumex called through its table of methods, as a C++ client built from the IDL does.
#include <gtest/gtest.h>

#include "automation/tarvik.h"
#include "common/loaded_server.h"
#include "common/temp_files.h"
#include "support/unique_bstr.h"

TEST(EarlyBound, TagMethodsStandInTheirSlots) {
    LoadedServer server;
    auto tag = server.Create<Ilumex>(kIlumexIid);
    ASSERT_TRUE(tag);
    ScratchFolder folder;
    std::vector<unsigned char> file = MakeTag("Song   ", "Band", "Record", "1987", "Side A", 9);
    UniqueBstr path(SysAllocString(folder.WriteFile(L"x.mp3", file).c_str()));
    UniqueBstr value;
    short genre = 0;

    // Before any load: empty texts, genre 255.
    EXPECT_EQ(tag->get_GetTitle(value.Receive()), S_OK);
    EXPECT_STREQ(value.Get(), L"");
    EXPECT_EQ(tag->get_GetGenreNo(&genre), S_OK);
    EXPECT_EQ(genre, 255);

    EXPECT_EQ(tag->LoadMP3Head(path.Get()), S_OK);
    tag->get_GetTitle(value.Receive());
    EXPECT_STREQ(value.Get(), L"Song   ");
    tag->get_GetArtist(value.Receive());
    EXPECT_STREQ(value.Get(), L"Band");
    tag->get_GetAlbum(value.Receive());
    EXPECT_STREQ(value.Get(), L"Record");
    tag->get_GetProYear(value.Receive());
    EXPECT_STREQ(value.Get(), L"1987");
    tag->get_GetComment(value.Receive());
    EXPECT_STREQ(value.Get(), L"Side A");
    tag->get_GetGenreNo(&genre);
    EXPECT_EQ(genre, 9);
    EXPECT_EQ(tag->DoCutTailSp(), S_OK);
    tag->get_GetTitle(value.Receive());
    EXPECT_STREQ(value.Get(), L"Song");

    EXPECT_EQ(tag->get_GetComment(nullptr), E_POINTER);
    EXPECT_EQ(tag->get_GetGenreNo(nullptr), E_POINTER);
    EXPECT_EQ(tag->LoadMP3Head(nullptr), S_OK);
    tag->get_GetArtist(value.Receive());
    EXPECT_STREQ(value.Get(), L"");
}

TEST(EarlyBound, IlumexAndIDispatchAreTheObjectsFirstPointer) {
    LoadedServer server;
    auto tag = server.Create<Ilumex>(kIlumexIid);
    InterfacePtr<IDispatch> dispatch;
    InterfacePtr<IUnknown> unknown;
    tag->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid());
    tag->QueryInterface(IID_IUnknown, unknown.ReceiveVoid());
    EXPECT_EQ(static_cast<void*>(tag.Get()), static_cast<void*>(dispatch.Get()));
    EXPECT_EQ(static_cast<void*>(tag.Get()), static_cast<void*>(unknown.Get()));
}
