// One TagFile object used at once from several threads of the multithreaded apartment, as
// its threading model "Both" allows: every answer belongs wholly to one of the files.
#include <gtest/gtest.h>

#include <atomic>

#include "common/format_fixtures.h"
#include "common/worker_threads.h"
#include "tag_file_client.h"

TEST(TagFileThreads, OpensAndReadsFromManyThreadsOfTheMultithreadedApartment) {
    LoadedServer server;
    InterfacePtr<ITagFile> tag = server.Create<ITagFile>(kITagFileIid, kTagFileClsid);
    ASSERT_TRUE(tag);
    const std::wstring files[] = {FormatFixturePath(L"cbr-stereo-44k.mp3"), FormatFixturePath(L"cbr-mono-22k.mp3")};
    std::atomic<int> mixed{0};
    std::atomic<int> failed{0};
    RunOnThreadsOfTheMultithreadedApartment(4, [&](int t) {
        for (int round = 0; round < 150; ++round) {
            if (FAILED(OpenFile(tag.Get(), files[(t + round) % 2]))) ++failed;
            // Each read sees one whole record, whichever Open came last.
            UniqueBstr types;
            long rate = 0;
            if (FAILED(tag->get_SampleRate(&rate)) || FAILED(tag->get_TagTypes(types.Receive()))) ++failed;
            if (rate != 44100 && rate != 22050) ++mixed;
            if (types.Length() != 0 && std::wstring(types.Get()) != L"ID3v2.3") ++mixed;
        }
    });
    EXPECT_EQ(failed.load(), 0);
    EXPECT_EQ(mixed.load(), 0);
    tag.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
