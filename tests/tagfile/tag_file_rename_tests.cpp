// The rename path's rules, through Save and SavePicture: a symbolic link stays a link and its
// target is saved; a file of several names is saved in place or refused; no file the save
// did not make is written over or removed; an unreadable security descriptor fails the
// save; a save that reached the disk succeeds even where reading the file back fails.
#include <gtest/gtest.h>
#include <aclapi.h>

#include <set>

#include "common/format_fixtures.h"
#include "common/failing_calls.h"
#include "common/import_hook.h"
#include "common/media_bytes.h"
#include "common/temp_files.h"
#include "tag_file_client.h"

namespace {

const std::wstring kSameLengthTitle = L"Grüße, ☂";  // as long as the file's own: in place
const std::wstring kLongTitle(5000, L'x');           // more than the padding: a new file

// The Unix path of a path of the prefix, through Wine's own export.
std::wstring UnixPathOf(const std::wstring& path) {
    using Convert = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = convert != nullptr ? convert(path.c_str()) : nullptr;
    if (unix == nullptr) return L"";
    const std::string bytes(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return std::wstring(bytes.begin(), bytes.end());
}

// A Unix symbolic link at link to target (a name beside it), made by ln; Wine's own call
// makes none.
bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target) {
    std::wstring command = L"/bin/ln -s \"" + target + L"\" \"" + UnixPathOf(link) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(L"Z:\\bin\\ln", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        return false;
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    // Wine hands a Unix program over without a process to wait for: the link shows when ln ran.
    for (int wait = 0; wait < 1000; ++wait) {
        if (GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(10);
    }
    return false;
}

std::set<std::wstring> NamesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.cFileName[0] != L'.') names.insert(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

BOOL WINAPI RefuseFileSecurity(LPCWSTR, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR, DWORD, LPDWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

DWORD WINAPI RefuseSecurityInfo(HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL*, PACL*,
                                PSECURITY_DESCRIPTOR*) {
    return ERROR_ACCESS_DENIED;
}

// Opening a file for reading only (as Open and the read after a save do) refused.
HANDLE WINAPI RefuseReadingOpens(LPCWSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                                 DWORD disposition, DWORD flags, HANDLE model) {
    if (sharing == FILE_SHARE_READ) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name, access, sharing, security, disposition, flags, model);
}

class TagFileRenaming : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tag);
        path = folder.WriteFile(L"a.mp3", ReadWholeFile(FormatFixturePath(L"cbr-stereo-44k.mp3")));
        before = ReadWholeFile(path);
    }

    std::wstring TitleOfFile(const std::wstring& file) {
        InterfacePtr<ITagFile2> reader = server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid);
        if (FAILED(OpenFile(reader.Get(), file))) return L"<failed>";
        return TextOf(reader.Get(), &ITagFile::get_Title);
    }

    HRESULT SaveTitle(const std::wstring& file, const std::wstring& title) {
        EXPECT_EQ(OpenFile(tag.Get(), file), S_OK);
        EXPECT_EQ(Put(tag.Get(), &ITagFile2::put_Title, title), S_OK);
        return tag->Save();
    }

    bool Modified() {
        VARIANT_BOOL modified = VARIANT_FALSE;
        tag->get_Modified(&modified);
        return modified != VARIANT_FALSE;
    }

    RegisteredTypeLibrary registration;
    LoadedServer server;
    ScratchFolder folder;
    InterfacePtr<ITagFile2> tag = server.Create<ITagFile2>(kITagFile2Iid, kTagFileClsid);
    std::wstring path;
    Bytes before;
};

}  // namespace

TEST_F(TagFileRenaming, ASymbolicLinkStaysALinkAndItsTargetIsSaved) {
    const std::wstring link = folder.Path() + L"\\link.mp3";
    ASSERT_TRUE(MakeSymbolicLink(link, L"a.mp3"));
    ASSERT_EQ(FileIdOf(link), FileIdOf(path));
    for (const std::wstring& title : {kSameLengthTitle, kLongTitle}) {  // in place, then a new file
        ASSERT_EQ(SaveTitle(link, title), S_OK) << ErrorDescription();
        EXPECT_EQ(FileIdOf(link), FileIdOf(path)) << "the link still names the target";
        EXPECT_EQ(TitleOfFile(path), title);
        EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Title), title);
    }
    EXPECT_EQ(NamesIn(folder.Path()), (std::set<std::wstring>{L"a.mp3", L"link.mp3"}));
}

TEST_F(TagFileRenaming, AFileOfSeveralNamesIsSavedInPlaceElseRefused) {
    const std::wstring twin = folder.Path() + L"\\twin.mp3";
    ASSERT_TRUE(CreateHardLinkW(twin.c_str(), path.c_str(), nullptr));
    ASSERT_EQ(SaveTitle(path, kSameLengthTitle), S_OK) << ErrorDescription();
    EXPECT_EQ(TitleOfFile(twin), kSameLengthTitle);
    const Bytes saved = ReadWholeFile(path);
    EXPECT_EQ(SaveTitle(twin, kLongTitle), HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(ErrorDescription(), L"Cannot save \"" + twin + L"\": the file has other names (hard links), and this "
                                  L"change needs a new file, which they would not share");
    EXPECT_TRUE(Modified());
    EXPECT_EQ(ReadWholeFile(path), saved);
    EXPECT_EQ(FileIdOf(path), FileIdOf(twin));
    EXPECT_EQ(NamesIn(folder.Path()), (std::set<std::wstring>{L"a.mp3", L"twin.mp3"}));
}

// A file the user keeps under the name a save or a picture's copy would take first, through
// a full disk, a refused rename and a save that succeeds.
TEST_F(TagFileRenaming, AUsersFileUnderTheNameOfTheNewFileIsNeverTakenNorRemoved) {
    const Bytes mine = BytesOf("the user's own file");
    folder.WriteFile(L"a.mp3.tarvik-new", mine);
    folder.WriteFile(L"cover.jpg.tarvik-partial", mine);
    const std::wstring cover = folder.Path() + L"\\cover.jpg";
    UniqueBstr coverName(SysAllocString(cover.c_str()));
    VARIANT_BOOL saved = VARIANT_FALSE;
    {
        const ImportHook full(server.Module(), "kernel32.dll", "WriteFile", reinterpret_cast<void*>(FailWrite));
        ASSERT_TRUE(full.Installed());
        EXPECT_EQ(SaveTitle(path, kLongTitle), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
        EXPECT_TRUE(FAILED(tag->SavePicture(coverName.Get(), &saved)));
    }
    {
        const ImportHook refuse(server.Module(), "kernel32.dll", "MoveFileExW", reinterpret_cast<void*>(FailMove));
        ASSERT_TRUE(refuse.Installed());
        EXPECT_EQ(tag->Save(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
        EXPECT_TRUE(FAILED(tag->SavePicture(coverName.Get(), &saved)));
    }
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(NamesIn(folder.Path()), (std::set<std::wstring>{L"a.mp3", L"a.mp3.tarvik-new", L"cover.jpg.tarvik-partial"}));
    ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
    ASSERT_EQ(tag->SavePicture(coverName.Get(), &saved), S_OK);
    EXPECT_EQ(saved, VARIANT_TRUE);
    EXPECT_EQ(TitleOfFile(path), kLongTitle);
    for (const wchar_t* name : {L"a.mp3.tarvik-new", L"cover.jpg.tarvik-partial"}) {
        EXPECT_EQ(ReadWholeFile(folder.Path() + L"\\" + name), mine) << name;
    }
    EXPECT_EQ(NamesIn(folder.Path()), (std::set<std::wstring>{L"a.mp3", L"a.mp3.tarvik-new", L"cover.jpg",
                                                              L"cover.jpg.tarvik-partial"}));
}

TEST_F(TagFileRenaming, AnUnreadableSecurityDescriptorFailsTheSave) {
    {
        const ImportHook byName(server.Module(), "advapi32.dll", "GetFileSecurityW",
                                reinterpret_cast<void*>(RefuseFileSecurity));
        const ImportHook byHandle(server.Module(), "advapi32.dll", "GetSecurityInfo",
                                  reinterpret_cast<void*>(RefuseSecurityInfo));
        ASSERT_TRUE(byName.Installed() || byHandle.Installed());
        EXPECT_EQ(SaveTitle(path, kLongTitle), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    }
    EXPECT_TRUE(Modified());
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(NamesIn(folder.Path()), std::set<std::wstring>{L"a.mp3"});
    ASSERT_EQ(tag->Save(), S_OK) << ErrorDescription();
}

// The write and the rename (or the write in place) done, the read that follows refused.
TEST_F(TagFileRenaming, ASaveThatReachedTheDiskSucceedsWhereTheReadAfterItFails) {
    for (const std::wstring& title : {kSameLengthTitle, kLongTitle}) {
        ASSERT_EQ(OpenFile(tag.Get(), path), S_OK);
        ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Title, title), S_OK);
        {
            const ImportHook refuse(server.Module(), "kernel32.dll", "CreateFileW",
                                    reinterpret_cast<void*>(RefuseReadingOpens));
            ASSERT_TRUE(refuse.Installed());
            EXPECT_EQ(tag->Save(), S_OK) << ErrorDescription();
        }
        EXPECT_FALSE(Modified());
        EXPECT_EQ(TextOf(tag.Get(), &ITagFile::get_Title), title);
        EXPECT_EQ(TitleOfFile(path), title);
        // The object keeps its file: a further save names it (and, not having read what the
        // file now holds, refuses to write over it).
        ASSERT_EQ(Put(tag.Get(), &ITagFile2::put_Album, L"Next"), S_OK);
        EXPECT_EQ(tag->Save(), HRESULT_FROM_WIN32(ERROR_FILE_INVALID));
        EXPECT_EQ(ErrorDescription().rfind(L"Cannot save \"" + path + L"\": ", 0), 0u);
    }
}
