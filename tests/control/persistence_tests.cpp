// The control saved and loaded by a container: the twelve bytes of its stream, damaged
// streams that change nothing, the "Contents" stream of a storage on disk, and the
// platform's own OleCreate, OleSave and OleLoad over a compound file.
#include <gtest/gtest.h>

#include <ocidl.h>
#include <ole2.h>

#include <vector>

#include "common/loaded_server.h"
#include "common/stream_bytes.h"
#include "common/temp_files.h"

namespace {

const Bytes kFresh = {0x00, 0x03, 0, 0, 0xD8, 0x13, 0, 0, 0xD8, 0x13, 0, 0};
const Bytes k1000By500 = {0x00, 0x03, 0, 0, 0xE8, 0x03, 0, 0, 0xF4, 0x01, 0, 0};

SIZEL ExtentOf(IUnknown* object) {
    InterfacePtr<IOleObject> ole;
    SIZEL size{};
    EXPECT_EQ(object->QueryInterface(IID_IOleObject, ole.ReceiveVoid()), S_OK);
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    return size;
}

void SetExtentOf(IUnknown* object, LONG width, LONG height) {
    InterfacePtr<IOleObject> ole;
    SIZEL size{width, height};
    ASSERT_EQ(object->QueryInterface(IID_IOleObject, ole.ReceiveVoid()), S_OK);
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &size), S_OK);
}

#define EXPECT_EXTENT(object, width, height)            \
    do {                                                \
        const SIZEL actual = ExtentOf(object);          \
        EXPECT_EQ(actual.cx, width);                    \
        EXPECT_EQ(actual.cy, height);                   \
    } while (0)

class Persistence : public testing::Test {
protected:
    void TearDown() override {
        stream.Reset();
        storage.Reset();
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }
    InterfacePtr<IStorage> CreateDocfile(const wchar_t* name) {
        InterfacePtr<IStorage> made;
        const std::wstring path = folder.Path() + L"\\" + name;
        EXPECT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                   made.Receive()),
                  S_OK);
        return made;
    }

    ScratchFolder folder;
    LoadedServer server;
    InterfacePtr<IPersistStreamInit> stream = server.Create<IPersistStreamInit>(IID_IPersistStreamInit);
    InterfacePtr<IPersistStorage> storage = server.Create<IPersistStorage>(IID_IPersistStorage);
};

}  // namespace

TEST_F(Persistence, AFreshControlSavesTwelveBytesAndStaysClean) {
    CLSID clsid{};
    ASSERT_EQ(stream->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kLumexClsid));
    EXPECT_EQ(stream->IsDirty(), S_FALSE);
    auto saved = StreamOf({});
    ASSERT_EQ(stream->Save(saved.Get(), TRUE), S_OK);
    EXPECT_EQ(BytesOf(saved.Get()), kFresh);
    EXPECT_EQ(stream->IsDirty(), S_FALSE);
    ULARGE_INTEGER size{};
    EXPECT_EQ(stream->GetSizeMax(&size), E_NOTIMPL);
    EXPECT_EQ(stream->GetClassID(nullptr), E_POINTER);
}

TEST_F(Persistence, ASavedExtentLoadsIntoAnotherControl) {
    SetExtentOf(stream.Get(), 1000, 500);
    auto saved = StreamOf({});
    ASSERT_EQ(stream->Save(saved.Get(), FALSE), S_OK);
    EXPECT_EQ(BytesOf(saved.Get()), k1000By500);
    saved->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    auto other = server.Create<IPersistStreamInit>(IID_IPersistStreamInit);
    ASSERT_EQ(other->Load(saved.Get()), S_OK);
    EXPECT_EXTENT(other.Get(), 1000, 500);
    EXPECT_EQ(other->InitNew(), S_OK);
    EXPECT_EXTENT(other.Get(), 1000, 500);
    EXPECT_EQ(other->IsDirty(), S_FALSE);
}

TEST_F(Persistence, OlderVersionsAndNegativeValuesLoadAsStored) {
    ASSERT_EQ(stream->Load(StreamOf({0, 0, 0, 0, 0x9C, 0xFF, 0xFF, 0xFF, 0x10, 0, 0, 0}).Get()), S_OK);
    EXPECT_EXTENT(stream.Get(), -100, 16);
}

TEST_F(Persistence, DamagedStreamsChangeNothing) {
    ASSERT_EQ(stream->Load(StreamOf(k1000By500).Get()), S_OK);
    const Bytes damaged[] = {
        {},                                                          // empty
        {0x00, 0x03, 0},                                             // part of the version
        {0x00, 0x03, 0, 0, 0x9C, 0xFF, 0xFF, 0xFF},                  // the width alone
        {0x00, 0x03, 0, 0, 0x9C, 0xFF, 0xFF, 0xFF, 0x10, 0, 0},      // a byte short
        {0x01, 0x03, 0, 0, 0x9C, 0xFF, 0xFF, 0xFF, 0x10, 0, 0, 0},   // a later version
    };
    for (const Bytes& bytes : damaged) {
        EXPECT_LT(stream->Load(StreamOf(bytes).Get()), 0) << bytes.size();
        EXPECT_EXTENT(stream.Get(), 1000, 500);
    }
    EXPECT_EQ(stream->Load(nullptr), E_POINTER);
}

TEST_F(Persistence, AStorageKeepsTheStreamInContents) {
    auto file = CreateDocfile(L"control.stg");
    EXPECT_EQ(storage->InitNew(file.Get()), S_OK);
    EXPECT_EQ(storage->IsDirty(), S_FALSE);
    ASSERT_EQ(storage->Save(file.Get(), TRUE), S_OK);
    SetExtentOf(storage.Get(), 1000, 500);
    ASSERT_EQ(storage->Save(file.Get(), TRUE), S_OK);  // replaces the stream
    EXPECT_EQ(storage->SaveCompleted(nullptr), S_OK);
    EXPECT_EQ(storage->HandsOffStorage(), S_OK);
    InterfacePtr<IStream> contents;
    ASSERT_EQ(file->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, contents.Receive()), S_OK);
    EXPECT_EQ(BytesOf(contents.Get()), k1000By500);
    contents.Reset();

    auto other = server.Create<IPersistStorage>(IID_IPersistStorage);
    ASSERT_EQ(other->Load(file.Get()), S_OK);
    EXPECT_EXTENT(other.Get(), 1000, 500);
    // A storage without the stream answers for itself and leaves the extent alone.
    auto empty = CreateDocfile(L"empty.stg");
    EXPECT_EQ(other->Load(empty.Get()), STG_E_FILENOTFOUND);
    EXPECT_EXTENT(other.Get(), 1000, 500);
}

// The platform's creation and save sequence over a compound file on disk, then a load
// that recreates the control by the class written into the file.
void SaveAndLoadThroughOle(const std::wstring& path) {
    {
        InterfacePtr<IStorage> file;
        ASSERT_EQ(StgCreateDocfile(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                   file.Receive()),
                  S_OK);
        InterfacePtr<IOleObject> object;
        ASSERT_EQ(OleCreate(kLumexClsid, IID_IOleObject, OLERENDER_NONE, nullptr, nullptr, file.Get(),
                            object.ReceiveVoid()),
                  S_OK);
        SetExtentOf(object.Get(), 1000, 500);
        InterfacePtr<IPersistStorage> persistence;
        ASSERT_EQ(object->QueryInterface(IID_IPersistStorage, persistence.ReceiveVoid()), S_OK);
        ASSERT_EQ(OleSave(persistence.Get(), file.Get(), TRUE), S_OK);
        EXPECT_EQ(persistence->SaveCompleted(nullptr), S_OK);
        ASSERT_EQ(file->Commit(STGC_DEFAULT), S_OK);
    }
    InterfacePtr<IStorage> file;
    ASSERT_EQ(
        StgOpenStorage(path.c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, file.Receive()),
        S_OK);
    CLSID written{};
    ASSERT_EQ(ReadClassStg(file.Get(), &written), S_OK);
    EXPECT_TRUE(IsEqualCLSID(written, kLumexClsid));
    InterfacePtr<IOleObject> object;
    ASSERT_EQ(OleLoad(file.Get(), IID_IOleObject, nullptr, object.ReceiveVoid()), S_OK);
    EXPECT_EXTENT(object.Get(), 1000, 500);
}

TEST(PlatformPersistence, OleSaveAndOleLoadCarryTheExtentThroughACompoundFile) {
    ScratchFolder folder;
    {
        RegisteredServer server;
        SaveAndLoadThroughOle(folder.Path() + L"\\document.stg");
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
        // COM loaded the library for itself; asked, it lets go, so that later tests start
        // from a freshly loaded module again.
        CoFreeUnusedLibrariesEx(0, 0);
    }
    EXPECT_EQ(GetModuleHandleW(L"tarvik.DLL"), nullptr);
}
