// The resources of tarvik.DLL, all in Japanese (1041), read as the system reads them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resource_ids.h"
#include "common/loaded_server.h"
#include "common/source_tree.h"

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

class DllResources : public testing::Test {
protected:
    DllResources() : dll(LoadLibraryExW(LoadedServer::DllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DllResources() override { FreeLibrary(dll); }

    std::string Bytes(const wchar_t* type, WORD id) const {
        HRSRC found = FindResourceExW(dll, type, MAKEINTRESOURCEW(id), kJapanese);
        if (found == nullptr) return "<missing>";
        return std::string(static_cast<const char*>(LockResource(LoadResource(dll, found))), SizeofResource(dll, found));
    }

    HMODULE dll;
};

}  // namespace

TEST_F(DllResources, RegistryScriptIsTheShippedTextByteForByte) {
    const std::string script = Bytes(L"REGISTRY", TARVIK_LUMEX_REGISTRY_RESOURCE);
    EXPECT_EQ(script, ReadSourceFile(L"resources/tarvik.rgs"));
    size_t lines = 0;
    for (size_t at = script.find("\r\n"); at != std::string::npos; at = script.find("\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 34u);
    EXPECT_EQ(script.substr(script.size() - 3), "}\r\n");  // no NUL behind the text
    EXPECT_NE(script.find("\r\n\t\t\t    '1' = s '131473'\r\n"), std::string::npos);
    EXPECT_EQ(script.find('\n'), script.find("\r\n") + 1);
}

TEST_F(DllResources, ToolboxBitmapIs16By16WithFourBitsPerPixel) {
    const std::string bitmap = Bytes(MAKEINTRESOURCEW(2), TARVIK_TOOLBOX_BITMAP_RESOURCE);  // RT_BITMAP
    ASSERT_GE(bitmap.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, bitmap.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 16);
    EXPECT_EQ(header.biHeight, 16);
    EXPECT_EQ(header.biBitCount, 4);
}

TEST_F(DllResources, StringTableNamesTheModule) {
    // String 100 lives in block 100 / 16 + 1 = 7, at index 100 % 16 = 4.
    const std::string block = Bytes(MAKEINTRESOURCEW(6), 7);  // RT_STRING
    ASSERT_NE(block, "<missing>");
    const wchar_t* p = reinterpret_cast<const wchar_t*>(block.data());
    for (int i = 0; i < 4; ++i) p += 1 + *p;
    EXPECT_EQ(std::wstring(p + 1, *p), L"tarvik");
}

TEST_F(DllResources, VersionBlockSaysWhatTheModuleIs) {
    const std::string version = Bytes(MAKEINTRESOURCEW(16), 1);  // RT_VERSION
    ASSERT_NE(version, "<missing>");
    const std::wstring path = LoadedServer::DllPath();
    DWORD handle = 0;
    std::string info(GetFileVersionInfoSizeW(path.c_str(), &handle), '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), &info[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size));
    EXPECT_EQ(*translation, 0x04B00411u);  // 0x0411, code page 1200
    auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        if (!VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) return std::wstring(L"<missing>");
        return std::wstring(value);
    };
    EXPECT_EQ(text(L"FileDescription"), L"tarvik Module");
    EXPECT_EQ(text(L"ProductName"), L"tarvik Module");
    EXPECT_EQ(text(L"InternalName"), L"tarvik");
    EXPECT_EQ(text(L"OriginalFilename"), L"tarvik.DLL");
    EXPECT_EQ(text(L"FileVersion"), L"1.0.0.1");
    EXPECT_EQ(text(L"OLESelfRegister"), L"");  // present and empty: the DLL registers itself
}
