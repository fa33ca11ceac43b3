// TagFile objects used at once from several threads of the multithreaded apartment, as
// their threading model "Both" allows: every answer belongs wholly to one of the files, and
// saves that race leave one whole save.
#include <gtest/gtest.h>

#include <atomic>

#include "common/format_fixtures.h"
#include "common/temp_files.h"
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

// Saves that race: four threads, two of them sharing one object and two with an object of
// their own, open the same file and save a title of their own again and again.  A save
// that finds the file held or changed since its Open fails cleanly; the file is at every
// step one thread's whole save, and the audio never changes.
TEST(TagFileThreads, SavesOfTheSameFileFromObjectsAndThreadsNeverMix) {
    LoadedServer server;
    ScratchFolder folder;
    const std::vector<unsigned char> original = ReadWholeFile(FormatFixturePath(L"cbr-stereo-44k.mp3"));
    const std::wstring path = folder.WriteFile(L"raced.mp3", original);
    InterfacePtr<ITagFile2> shared = server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid);
    InterfacePtr<ITagFile2> own[] = {server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid),
                                     server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid)};
    ASSERT_TRUE(shared && own[0] && own[1]);
    const wchar_t* titles[] = {L"Thread 0", L"Thread 1", L"Thread 2", L"Thread 3"};
    std::atomic<int> saved{0};
    std::atomic<int> unexpected{0};
    RunOnThreadsOfTheMultithreadedApartment(4, [&](int t) {
        ITagFile2* tag = t < 2 ? shared.Get() : own[t - 2].Get();
        for (int round = 0; round < 40; ++round) {
            if (FAILED(OpenFile(tag, path))) continue;  // the file is held by a save
            Put(tag, &ITagFile2::put_Title, titles[t]);
            const HRESULT result = tag->Save();
            if (SUCCEEDED(result)) {
                ++saved;
            } else if (result != HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION) &&
                       result != HRESULT_FROM_WIN32(ERROR_FILE_INVALID) && result != E_UNEXPECTED) {
                // E_UNEXPECTED: the other thread's Open of the shared object failed and emptied it.
                ++unexpected;
            }
        }
    });
    EXPECT_EQ(unexpected.load(), 0);
    EXPECT_GT(saved.load(), 0);
    InterfacePtr<ITagFile2> reader = server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid);
    ASSERT_EQ(OpenFile(reader.Get(), path), S_OK);
    const std::wstring title = TextOf(reader.Get(), &ITagFile::get_Title);
    EXPECT_EQ(title.rfind(L"Thread ", 0), 0u) << title.c_str();
    // The same bytes a lone save of that title makes.
    const std::wstring alone = folder.WriteFile(L"alone.mp3", original);
    ASSERT_EQ(OpenFile(reader.Get(), alone), S_OK);
    Put(reader.Get(), &ITagFile2::put_Title, title);
    ASSERT_EQ(reader->Save(), S_OK);
    EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(alone));
    shared.Reset();
    own[0].Reset();
    own[1].Reset();
    reader.Reset();
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
