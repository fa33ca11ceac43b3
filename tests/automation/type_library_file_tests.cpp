// The type library as stored in tarvik.DLL: resource TYPELIB 1 in Japanese, and what
// its own bytes say where the loader would hide or add flags.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resource_ids.h"
#include "common/loaded_server.h"

namespace {

// A view of the compiled library's bytes, read from the DLL's resource.
class TypeLibraryFile {
public:
    TypeLibraryFile() {
        module_ = LoadLibraryExW(LoadedServer::DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC found = FindResourceExW(module_, L"TYPELIB", MAKEINTRESOURCEW(TARVIK_TYPELIB_RESOURCE), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
        if (found == nullptr) return;
        size_ = SizeofResource(module_, found);
        bytes_ = static_cast<const unsigned char*>(LockResource(LoadResource(module_, found)));
    }
    ~TypeLibraryFile() { FreeLibrary(module_); }
    TypeLibraryFile(const TypeLibraryFile&) = delete;
    TypeLibraryFile& operator=(const TypeLibraryFile&) = delete;

    bool Found() const { return bytes_ != nullptr && size_ > 0x54; }
    LONG Int(size_t offset) const {
        LONG value = 0;
        std::memcpy(&value, bytes_ + offset, sizeof value);
        return value;
    }
    bool Holds(const std::string& sequence) const {
        return std::string(reinterpret_cast<const char*>(bytes_), size_).find(sequence) != std::string::npos;
    }
    // The type-information records: after the header (and the help DLL's offset when the
    // header says there is one) come one offset per type, then the segment directory,
    // whose first segment holds the records; the flags stand 0x30 bytes into a record.
    LONG TypeFlags(int index) const {
        const LONG varFlags = Int(0x14);
        const size_t offsets = 0x54 + ((varFlags & 0x100) ? 4 : 0);
        const LONG count = Int(0x20);
        const size_t directory = offsets + 4 * static_cast<size_t>(count);
        const LONG records = Int(directory);
        return Int(static_cast<size_t>(records) + static_cast<size_t>(Int(offsets + 4 * static_cast<size_t>(index))) + 0x30);
    }

private:
    HMODULE module_ = nullptr;
    const unsigned char* bytes_ = nullptr;
    DWORD size_ = 0;
};

}  // namespace

TEST(TypeLibraryFile, IsAnMsftResourceInJapanese) {
    TypeLibraryFile file;
    ASSERT_TRUE(file.Found());
    EXPECT_EQ(file.Int(0), 0x5446534D);  // "MSFT"
    EXPECT_EQ(file.Int(0x10), 0);        // the library's locale: neutral (0x0C is the strings' 0x409)
    EXPECT_EQ(file.Int(0x14) & 0xF, SYS_WIN32);
    EXPECT_EQ(file.Int(0x18), 0x00000001);  // version 1.0
    EXPECT_EQ(file.Int(0x1C), 0);           // no library flags, no disk image flag
    EXPECT_EQ(file.Int(0x20), 5);           // lumex, Ilumex, TagFile, ITagFile and ITagFile2
}

TEST(TypeLibraryFile, KeepsTheFlagsTheLoaderHides) {
    TypeLibraryFile file;
    ASSERT_TRUE(file.Found());
    EXPECT_EQ(file.TypeFlags(0), TYPEFLAG_FCANCREATE);
    EXPECT_EQ(file.TypeFlags(1), TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(file.TypeFlags(2), TYPEFLAG_FCANCREATE);
    EXPECT_EQ(file.TypeFlags(3), TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(file.TypeFlags(4), TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
}

TEST(TypeLibraryFile, StoresTheHelpStringsAsCodePage932Bytes) {
    TypeLibraryFile file;
    ASSERT_TRUE(file.Found());
    // "tarvik 1.0 " and half-width katakana ﾀｲﾌﾟ ﾗｲﾌﾞﾗﾘ, one byte each.
    EXPECT_TRUE(file.Holds("tarvik 1.0 \xC0\xB2\xCC\xDF \xD7\xB2\xCC\xDE\xD7\xD8"));
    EXPECT_TRUE(file.Holds("\x83\x5E\x83\x43\x83\x67\x83\x8B\x96\xBC\x82\xF0\x8E\xE6\x93\xBE"));  // タイトル名を取得
    EXPECT_TRUE(file.Holds("\x83\x57\x83\x83\x83\x93\x83\x8B\x94\xD4\x8D\x86\x82\xF0\x8E\xE6\x93\xBE"));  // ジャンル番号を取得
    EXPECT_TRUE(file.Holds("MP3\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC"));  // MP3のファイル名
    EXPECT_TRUE(file.Holds("lumex Class"));
    EXPECT_TRUE(file.Holds("Ilumex Interface"));
}
