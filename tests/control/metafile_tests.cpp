// The picture a container takes with IDataObject::GetData: the records of the metafile,
// its HIMETRIC extents, the formats refused, and the data advise holder.
#include <gtest/gtest.h>

#include <ole2.h>

#include <string>
#include <vector>

#include "control/recording_container.h"
#include "support/loaded_server.h"

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

const Record* Find(const std::vector<Record>& records, DWORD function) {
    for (const Record& record : records) {
        if (record.Function == function) return &record;
    }
    return nullptr;
}

// The caption and its reference point, from a TextOut or ExtTextOut record.
void ReadTextOut(const Record& record, std::string& text, int& x, int& y) {
    const std::vector<WORD>& p = record.Parameters;
    const auto* bytes = reinterpret_cast<const char*>(p.data());
    if (record.Function == META_TEXTOUT) {
        const WORD count = p[0];
        const size_t after = 1 + (count + 1) / 2;
        text.assign(bytes + 2, count);
        y = static_cast<short>(p[after]);
        x = static_cast<short>(p[after + 1]);
    } else {
        y = static_cast<short>(p[0]);
        x = static_cast<short>(p[1]);
        const WORD count = p[2];
        const size_t start = (p[3] & (ETO_OPAQUE | ETO_CLIPPED)) != 0 ? 8 : 4;
        text.assign(bytes + start * 2, count);
    }
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

// The metafile's window, frame and caption for an extent of the given pixels.
void ExpectDrawingOf(const Picture& picture, int width, int height) {
    const Record* origin = Find(picture.Records, META_SETWINDOWORG);
    const Record* extent = Find(picture.Records, META_SETWINDOWEXT);
    const Record* frame = Find(picture.Records, META_RECTANGLE);
    const Record* alignment = Find(picture.Records, META_SETTEXTALIGN);
    const Record* text = Find(picture.Records, META_TEXTOUT);
    if (text == nullptr) text = Find(picture.Records, META_EXTTEXTOUT);
    ASSERT_TRUE(origin && extent && frame && alignment && text);
    EXPECT_EQ(origin->Parameters, (std::vector<WORD>{0, 0}));
    EXPECT_EQ(extent->Parameters, (std::vector<WORD>{WORD(height), WORD(width)}));
    EXPECT_EQ(frame->Parameters, (std::vector<WORD>{WORD(height), WORD(width), 0, 0}));
    EXPECT_EQ(alignment->Parameters[0], TA_CENTER | TA_BASELINE);
    std::string caption;
    int x = 0, y = 0;
    ReadTextOut(*text, caption, x, y);
    EXPECT_EQ(caption, "MP3Head");
    EXPECT_EQ(x, width / 2);
    EXPECT_EQ(y, height / 2);
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
    ExpectDrawingOf(picture, ScreenPixels(1000, LOGPIXELSX), ScreenPixels(500, LOGPIXELSY));
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
    ASSERT_EQ(data->EnumDAdvise(advised.Receive()), S_OK);
    STATDATA entry{};
    ASSERT_EQ(advised->Next(1, &entry, nullptr), S_OK);
    EXPECT_EQ(entry.dwConnection, cookie);
    if (entry.pAdvSink != nullptr) entry.pAdvSink->Release();
    advised.Reset();
    EXPECT_EQ(data->DUnadvise(cookie), S_OK);
    EXPECT_EQ(data->DUnadvise(cookie), OLE_E_NOCONNECTION);
}
