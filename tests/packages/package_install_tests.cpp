// The release packages installed for real by Wine's msiexec, silently, in a prefix of
// their own: the examples of the developer archive work against each installed package,
// installing the same version again keeps one working product, uninstalling leaves no
// file and no registry entry behind, the installed registration is the one regsvr32
// writes, the two architectures live side by side, and a later version replaces an
// earlier one.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/temp_files.h"
#include "installed_product.h"

namespace {

void ExpectSampleTags(const ProgramRun& run) {
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_NE(run.Output.find("Title    Morning Light"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("Artist   Tarvik Ensemble"), std::string::npos) << run.Output;
    EXPECT_NE(run.Output.find("Genre    12"), std::string::npos) << run.Output;
}

void ExpectWorking(const PackageArch& arch) {
    SCOPED_TRACE(arch.Name);
    EXPECT_TRUE(FileExists(LibraryPath(arch)));
    EXPECT_TRUE(FileExists(TypeLibraryPath()));
    ExpectSampleTags(RunScriptExample(arch));
    const ProgramRun listed = RunListMusicExample(arch);
    EXPECT_EQ(listed.ExitCode, 0u) << listed.Output;
    EXPECT_NE(listed.Output.find("Tarvik Ensemble\tSample Sessions\t0\tMorning Light\t0:01"), std::string::npos)
        << listed.Output;
    // Writing through the installed class: a copy of the sample gets an album artist.
    const ScratchFolder music;
    const std::wstring copy = music.Path() + L"\\sample.mp3";
    ASSERT_TRUE(CopyFileW((SdkFolder() + L"\\examples\\sample.mp3").c_str(), copy.c_str(), FALSE));
    const ProgramRun fixed = RunFixTagsExample(arch, music.Path(), L"Installed " + std::wstring(arch.Name));
    EXPECT_EQ(fixed.ExitCode, 0u) << fixed.Output;
    EXPECT_NE(fixed.Output.find("1 changed, 0 failed"), std::string::npos) << fixed.Output;
}

void Install(const std::wstring& package) {
    const ProgramRun run = RunMsiexec(L"/i", package);
    ASSERT_EQ(run.ExitCode, 0u) << run.Output;
}

void Uninstall(const std::wstring& package) {
    const ProgramRun run = RunMsiexec(L"/x", package);
    ASSERT_EQ(run.ExitCode, 0u) << run.Output;
}

void Install(const PackageArch& arch) { Install(PackageFile(arch)); }
void Uninstall(const PackageArch& arch) { Uninstall(PackageFile(arch)); }

// The one uninstall entry of the architecture's product, or an empty tree.
RegistryTree OneUninstallEntry(const PackageArch& arch) {
    std::vector<RegistryTree> entries = ReadUninstallEntries(arch);
    EXPECT_LE(entries.size(), 1u) << "the product is listed more than once";
    return entries.empty() ? RegistryTree() : entries.front();
}

void ExpectNothingLeft(const RegistryState& before) {
    for (const PackageArch* arch : {&kX86, &kX64}) EXPECT_FALSE(FolderExists(FolderOf(LibraryPath(*arch))));
    EXPECT_FALSE(FolderExists(FolderOf(TypeLibraryPath())));
    const std::vector<std::string> differences = CompareRegistryStates(before, ReadRegistryState());
    std::string listed;
    for (const std::string& line : differences) listed += line + "\n";
    EXPECT_TRUE(differences.empty()) << listed;
}

// regsvr32 registers the type library from the DLL; the packages register the same type
// library from its shared file, so that either architecture can go without the other.
std::vector<RegistryTree> AsInstalled(std::vector<RegistryTree> trees, const std::wstring& library) {
    const std::wstring folder = FolderOf(library) + L"\\";
    const std::wstring typeLibrary = TypeLibraryPath();
    for (auto& [path, values] : trees.back().Keys) {
        for (auto& [name, value] : values) {
            if (value.first != REG_SZ) continue;
            std::wstring text(reinterpret_cast<const wchar_t*>(value.second.data()), value.second.size() / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            const std::wstring moved = text == library ? typeLibrary : text == folder ? FolderOf(typeLibrary) + L"\\" : text;
            const BYTE* bytes = reinterpret_cast<const BYTE*>(moved.c_str());
            value.second.assign(bytes, bytes + (moved.size() + 1) * sizeof(wchar_t));
        }
    }
    return trees;
}

// Every test leaves the prefix as it found it: the registry state taken once, before the
// first test, is the state after each (reading it costs seconds under Wine).
class InstallerPackages : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // The script engines register their own type libraries the first time they run:
        // let that happen before the registry state is taken.
        for (const PackageArch* arch : {&kX86, &kX64}) RunScriptExample(*arch);
        before_ = ReadRegistryState();
    }
    static void TearDownTestSuite() { before_.reset(); }
    static const RegistryState& Before() { return *before_; }

private:
    static inline std::optional<RegistryState> before_;
};

class EachPackage : public InstallerPackages, public testing::WithParamInterface<const PackageArch*> {};

TEST_P(EachPackage, InstallsWorksAndUninstallsWithoutATrace) {
    const PackageArch& arch = *GetParam();
    ASSERT_TRUE(ReadUninstallEntries(arch).empty());

    // First the DLL registered by regsvr32 at the place where the package puts it.
    const std::wstring library = LibraryPath(arch);
    ASSERT_TRUE(CreateDirectoryW(FolderOf(library).c_str(), nullptr));
    ASSERT_TRUE(CopyFileW((SdkFolder() + L"\\bin\\" + arch.Name + L"\\tarvik.DLL").c_str(), library.c_str(), TRUE));
    EXPECT_EQ(RunRegsvr32(arch, L"", library).ExitCode, 0u);
    const std::vector<RegistryTree> registered = ReadProductRegistration(arch);
    EXPECT_EQ(RunRegsvr32(arch, L"/u", library).ExitCode, 0u);
    DeleteFileW(library.c_str());
    RemoveDirectoryW(FolderOf(library).c_str());

    Install(arch);
    // Installing the same version over it changes nothing and keeps one product.
    Install(arch);
    ExpectWorking(arch);
    ExpectSampleTags(RunProgramExample(arch));
    const RegistryTree entry = OneUninstallEntry(arch);
    EXPECT_FALSE(entry.Keys.empty()) << "no entry in the list of installed programs";
    EXPECT_EQ(TextValue(entry, L"DisplayVersion"), PackageVersion(arch));
    EXPECT_EQ(TextValue(entry, L"Publisher"), L"tarvik project");
    EXPECT_EQ(ReadProductRegistration(arch), AsInstalled(registered, library));

    Uninstall(arch);
    EXPECT_EQ(RunScriptExample(arch).Output.find("Morning Light"), std::string::npos);
    ExpectNothingLeft(Before());
}

std::string ArchName(const testing::TestParamInfo<const PackageArch*>& arch) {
    const std::wstring name = arch.param->Name;
    return std::string(name.begin(), name.end());
}

INSTANTIATE_TEST_SUITE_P(Packages, EachPackage, testing::Values(&kX86, &kX64), ArchName);

TEST_F(InstallerPackages, BothArchitecturesLiveSideBySideAndLeaveOneByOne) {
    Install(kX64);
    Install(kX86);
    ExpectWorking(kX64);
    ExpectWorking(kX86);
    EXPECT_FALSE(OneUninstallEntry(kX64).Keys.empty());
    EXPECT_FALSE(OneUninstallEntry(kX86).Keys.empty());

    // The shared type library stays while the other architecture needs it.
    Uninstall(kX86);
    EXPECT_FALSE(FileExists(LibraryPath(kX86)));
    ExpectWorking(kX64);
    Uninstall(kX64);
    ExpectNothingLeft(Before());
}

TEST_F(InstallerPackages, ALaterVersionReplacesTheInstalledOneAndIsNotReplacedByIt) {
    Install(kX64);
    Install(LaterPackageFile());
    const std::wstring later = LaterPackageFile();
    const size_t name = later.rfind(L"tarvik-") + 7;
    EXPECT_EQ(TextValue(OneUninstallEntry(kX64), L"DisplayVersion"), later.substr(name, later.rfind(L'-') - name));
    ExpectWorking(kX64);
    // The earlier version refuses to go over the later one.
    EXPECT_NE(RunMsiexec(L"/i", PackageFile(kX64)).ExitCode, 0u);
    ExpectWorking(kX64);
    Uninstall(later);
    ExpectNothingLeft(Before());
}

}  // namespace
