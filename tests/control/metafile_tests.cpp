// The picture a container takes with IDataObject::GetData: the records of the metafile,
// its HIMETRIC extents, the formats refused, and the data advise holder.
#include <gtest/gtest.h>

#include <ole2.h>

#include <string>
#include <vector>

#include "recording_container.h"
#include "common/loaded_server.h"

namespace {

struct Record {
    DWORD Function;
    std::vector<WORD> Parameters;
};

int CALLBACK CollectRecord(HDC, HANDLETABLE*, METARECORD* record, int, LPARAM collected) {
    const DWORD words = record->rdSize - 3;  // the size and function words come first
    reinterpret_cast<std::vector<Record>*>(collected)->push_back(
        {record->rdFunction, std::vector<WORD>(record->rdParm, record->rdParm + words)});
    return 1;
}

struct Picture {
    LONG Mode = 0;
    SIZEL Himetric{};
    std::vector<Record> Records;
};

Picture TakePicture(IDataObject* data) {
    FORMATETC format{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
    STGMEDIUM medium{};
    Picture picture;
    EXPECT_EQ(data->GetData(&format, &medium), S_OK);
    EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_MFPICT));
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    if (medium.hMetaFilePict == nullptr) return picture;
    const auto* header = static_cast<const METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
    picture.Mode = header->mm;
    picture.Himetric = {header->xExt, header->yExt};
    HDC screen = GetDC(nullptr);
    EnumMetaFile(screen, header->hMF, CollectRecord, reinterpret_cast<LPARAM>(&picture.Records));
    ReleaseDC(nullptr, screen);
    GlobalUnlock(medium.hMetaFilePict);
    ReleaseStgMedium(&medium);  // the caller owns the memory and the metafile
    return picture;
}

// The whole drawing of the control for an extent of the given pixels, record by record:
// the window set up inside a saved DC, the frame, the caption's alignment and the caption
// (Wine records TextOut as ExtTextOut without options) at the centre.
void ExpectDrawingOf(const Picture& picture, WORD width, WORD height) {
    const std::vector<DWORD> expected = {META_SAVEDC,      META_SETWINDOWORG, META_SETWINDOWEXT, META_RECTANGLE,
                                         META_SETTEXTALIGN, META_EXTTEXTOUT,   META_RESTOREDC};
    std::vector<DWORD> functions;
    for (const Record& record : picture.Records) functions.push_back(record.Function);
    ASSERT_EQ(functions, expected);
    const auto& records = picture.Records;
    EXPECT_EQ(records[1].Parameters, (std::vector<WORD>{0, 0}));                     // y, x
    EXPECT_EQ(records[2].Parameters, (std::vector<WORD>{height, width}));            // y, x
    EXPECT_EQ(records[3].Parameters, (std::vector<WORD>{height, width, 0, 0}));      // bottom, right, top, left
    EXPECT_EQ(records[4].Parameters[0], TA_CENTER | TA_BASELINE);
    const std::vector<WORD>& text = records[5].Parameters;  // y, x, count, options, text
    ASSERT_EQ(text.size(), 8u);
    EXPECT_EQ(text[0], height / 2);
    EXPECT_EQ(text[1], width / 2);
    EXPECT_EQ(text[2], 7);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&text[4]), 7), "MP3Head");
}

int ScreenPixels(LONG himetric, int index) {
    HDC screen = GetDC(nullptr);
    const int perInch = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return (himetric * perInch + 1270) / 2540;
}

class Metafile : public testing::Test {
protected:
    void TearDown() override {
        data.Reset();
        EXPECT_EQ(sink.References(), 0);
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }

    LoadedServer server;
    CallLog log;
    RecordingSink sink{log};
    InterfacePtr<IDataObject> data = server.Create<IDataObject>(IID_IDataObject);
};

}  // namespace

TEST_F(Metafile, AFreshControlIsPicturedTwoInchesSquare) {
    EXPECT_EQ(ScreenPixels(5080, LOGPIXELSX), 192);  // the screen of the test prefixes
    const Picture picture = TakePicture(data.Get());
    EXPECT_EQ(picture.Mode, MM_ANISOTROPIC);
    EXPECT_EQ(picture.Himetric.cx, 5080);
    EXPECT_EQ(picture.Himetric.cy, 5080);
    ExpectDrawingOf(picture, 192, 192);
}

TEST_F(Metafile, TheExtentsFollowTheControlsSize) {
    InterfacePtr<IOleObject> object;
    ASSERT_EQ(data->QueryInterface(IID_IOleObject, object.ReceiveVoid()), S_OK);
    SIZEL size{1000, 500};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &size), S_OK);
    object.Reset();
    const Picture picture = TakePicture(data.Get());
    EXPECT_EQ(picture.Himetric.cx, 1000);
    EXPECT_EQ(picture.Himetric.cy, 500);
    ExpectDrawingOf(picture, WORD(ScreenPixels(1000, LOGPIXELSX)), WORD(ScreenPixels(500, LOGPIXELSY)));
}

TEST_F(Metafile, OnlyTheMetafileMediumIsOffered) {
    FORMATETC format{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium;
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = reinterpret_cast<HGLOBAL>(1);
    EXPECT_EQ(data->GetData(&format, &medium), DATA_E_FORMATETC);
    EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_NULL));
    EXPECT_EQ(medium.hGlobal, nullptr);
    EXPECT_EQ(data->GetData(&format, nullptr), E_POINTER);
    EXPECT_EQ(data->QueryGetData(&format), E_NOTIMPL);
    EXPECT_EQ(data->GetDataHere(&format, &medium), E_NOTIMPL);
}

TEST_F(Metafile, TheDataAdviseHolderComesWithTheFirstAdvise) {
    EXPECT_EQ(data->DUnadvise(1), OLE_E_NOCONNECTION);
    InterfacePtr<IEnumSTATDATA> advised;
    EXPECT_EQ(data->EnumDAdvise(advised.Receive()), E_FAIL);

    FORMATETC format{CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT};
    DWORD cookie = 0;
    ASSERT_EQ(data->DAdvise(&format, ADVF_PRIMEFIRST, &sink, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(sink.References(), 1);
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"Sink.OnDataChange"});  // primed with a picture
    EXPECT_EQ(data->EnumDAdvise(nullptr), E_POINTER);
    ASSERT_EQ(data->EnumDAdvise(advised.Receive()), S_OK);
    STATDATA entry{};
    ASSERT_EQ(advised->Next(1, &entry, nullptr), S_OK);
    EXPECT_EQ(entry.dwConnection, cookie);
    if (entry.pAdvSink != nullptr) entry.pAdvSink->Release();
    advised.Reset();
    EXPECT_EQ(data->DUnadvise(cookie), S_OK);
    EXPECT_EQ(data->DUnadvise(cookie), OLE_E_NOCONNECTION);
}
