// Many scripts at once: generated valid scripts must round-trip exactly, and damaged
// copies of the component's script must never crash nor leave a failed block behind.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "registry_scratch.h"

namespace {

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Valid scripts with fresh names under HKCR, under a pre-existing shared key (NoRemove,
// last in its block) or a key with foreign subkeys, and under HKCU down to the scratch.
// Records what the register pass must write.
class ScriptGenerator {
public:
    ScriptGenerator(unsigned seed, std::string unique) : rng_(seed), unique_(std::move(unique)) {}

    std::string Generate(RegistryTree& classes, RegistryTree& user) {
        for (int blocks = 1 + Pick(3); blocks > 0; --blocks) {
            if (Pick(4) == 0) {
                Emit(Choose({"HKCU", "hkcu", "HKEY_CURRENT_USER"}));
                Emit("{ NoRemove Software { NoRemove TarvikTest { NoRemove " + unique_ + " { NoRemove User");
                Block(user, L"", 0, false);
                Emit("} } } }");
            } else {
                Emit(Choose({"HKCR", "hkcr", "HKEY_CLASSES_ROOT", "Hkey_Classes_Root"}));
                Block(classes, L"", 0, true);
            }
        }
        return text_;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    const char* Choose(std::initializer_list<const char*> options) {
        return options.begin()[Pick(static_cast<int>(options.size()))];
    }
    void Emit(const std::string& token) {
        text_ += Choose({" ", "\t", "\r\n", "\n\t\t", "  \r\n"});
        text_ += token;
    }
    static std::string Quote(const std::string& raw) {
        std::string quoted = "'";
        for (char ch : raw) quoted += ch == '\'' ? "''" : ch == '%' ? "%%" : std::string(1, ch);
        return quoted + "'";
    }
    std::string Text(const char* alphabet, int length) {
        std::string text;
        const int size = lstrlenA(alphabet);
        for (int i = 0; i < length; ++i) text += alphabet[Pick(size)];
        return text;
    }
    // A fresh name, written bare, GUID-like or quoted.
    std::string Name(const char* prefix, std::string& token) {
        std::string name = prefix + std::to_string(++counter_);
        switch (Pick(3)) {
            case 0:
                name += Text("aZ9._-{}()=+,;!#&", Pick(4));
                token = name;
                break;
            case 1:
                name = "{" + name + "-" + Text("0123456789ABCDEF", 4) + "}";
                token = name;
                break;
            default:
                name += Text(" a'%}{=", 1 + Pick(4));
                token = Quote(name);
        }
        return name;
    }
    void Assignment(RegistryTree& tree, const std::wstring& path, const std::wstring& valueName) {
        Emit("=");
        auto& values = tree.Keys[path];
        switch (Pick(3)) {
            case 0: {
                const std::string text = Text("abc XYZ'%{}=\\!", Pick(12));
                Emit(Choose({"s", "S"}));
                Emit(Quote(text));
                tree.AddString(path, valueName, text);
                break;
            }
            case 1: {
                const DWORD number = std::uniform_int_distribution<DWORD>()(rng_);
                Emit(Choose({"d", "D"}));
                Emit(std::to_string(number));
                const auto* bytes = reinterpret_cast<const BYTE*>(&number);
                values[valueName] = {REG_DWORD, std::vector<BYTE>(bytes, bytes + 4)};
                break;
            }
            default: {
                const std::string hex = Text("0123456789abcdefABCDEF", 2 * Pick(5));
                std::vector<BYTE> bytes;
                for (size_t i = 0; i < hex.size(); i += 2) {
                    bytes.push_back(static_cast<BYTE>(std::stoi(hex.substr(i, 2), nullptr, 16)));
                }
                Emit(Choose({"b", "B"}));
                Emit(hex.empty() ? "''" : hex);
                values[valueName] = {REG_BINARY, bytes};
            }
        }
    }
    void Block(RegistryTree& tree, const std::wstring& path, int depth, bool atClassesRoot) {
        Emit("{");
        for (int items = Pick(5); items > 0; --items) {
            const int kind = Pick(10);
            std::string token;
            if (kind < 6) {
                if (Pick(4) == 0) Emit(Choose({"ForceRemove", "forceremove"}));
                const std::wstring child = (path.empty() ? L"" : path + L"\\") + Wide(Name("k", token));
                Emit(token);
                tree.AddKey(child);
                if (Pick(2) == 0) Assignment(tree, child, L"");
                if (depth < 4 && Pick(2) == 0) Block(tree, child, depth + 1, false);
            } else if (kind == 6) {
                Emit(Choose({"Delete", "DELETE"}));
                Name("gone", token);
                Emit(token);
                RegistryTree unused;
                if (Pick(2) == 0) Assignment(unused, L"", L"");
            } else {
                Emit(Choose({"Val", "val", "VAL"}));
                const std::wstring name = Wide(Name("v", token));
                Emit(token);
                Assignment(tree, path, name);
            }
        }
        if (atClassesRoot && Pick(2) == 0) {
            Emit("Existing");
            Block(tree, L"Existing", depth + 1, false);
        }
        if (atClassesRoot && Pick(2) == 0) {
            Emit("NoRemove Shared");
            Block(tree, L"Shared", depth + 1, false);
        }
        Emit("}");
    }

    std::mt19937 rng_;
    std::string unique_;
    std::string text_;
    int counter_ = 0;
};

void PutPriorState(const ScratchRegistry& scratch) {
    scratch.Put("Shared\\Foreign", "v", "keep");
    scratch.Put("Existing\\Foreign", nullptr, "keep");
    scratch.Put("CLSID\\{0000AAAA-0000-0000-0000-000000000000}\\InprocServer32", "ThreadingModel", "Both");
}

TEST(RegistryRobustness, GeneratedScriptsRoundTripExactly) {
    ScratchRegistry scratch;
    PutPriorState(scratch);
    const RegistryTree prior = scratch.ClassesTree();
    const RegistryTree emptyUser = scratch.UserTree();
    for (unsigned seed = 1; seed <= 200; ++seed) {
        RegistryTree classes = prior, user = emptyUser;
        const std::string script = ScriptGenerator(seed, scratch.UniqueName()).Generate(classes, user);
        ASSERT_EQ(RunRegistryScript(script.c_str(), true), S_OK) << "seed " << seed << "\n" << script;
        ASSERT_EQ(scratch.ClassesTree(), classes) << "seed " << seed << "\n" << script;
        ASSERT_EQ(scratch.UserTree(), user) << "seed " << seed << "\n" << script;
        ASSERT_EQ(RunRegistryScript(script.c_str(), false), S_OK) << "seed " << seed << "\n" << script;
        ASSERT_EQ(scratch.ClassesTree(), prior) << "seed " << seed << "\n" << script;
        ASSERT_EQ(scratch.UserTree(), emptyUser) << "seed " << seed << "\n" << script;
    }
}

class RegistryDamagedScripts : public testing::Test {
protected:
    void SetUp() override {
        PutPriorState(scratch_);
        prior_ = scratch_.ClassesTree();
    }
    void Reset() const {
        scratch_.Wipe();
        PutPriorState(scratch_);
    }
    void RestorePrior() const {
        if (scratch_.ClassesTree() != prior_) Reset();
    }
    // A failed register pass leaves the registry as it was, or, when a root block before
    // the failing one completed, as that block alone leaves it.
    void ExpectRolledBack(const std::string& script, const std::string& what) {
        const RegistryTree after = scratch_.ClassesTree();
        if (after == prior_) return;
        for (size_t end = script.find('}'); end != std::string::npos; end = script.find('}', end + 1)) {
            Reset();
            if (RunRegistryScript(script.substr(0, end + 1).c_str(), true) == S_OK && scratch_.ClassesTree() == after) {
                return;
            }
        }
        ADD_FAILURE() << what << " left:\n" << after.Format();
    }

    ScratchRegistry scratch_;
    RegistryTree prior_;
};

TEST_F(RegistryDamagedScripts, TruncatedScriptRollsBackCompletely) {
    const std::string full = ShippedScript();
    // Every second cut: the registry is slow under Wine, and neighbouring cuts rarely differ.
    for (size_t length = 1; length < full.size(); length += 2) {
        const std::string script = full.substr(0, length);
        const HRESULT hr = RunRegistryScript(script.c_str(), true);
        if (SUCCEEDED(hr)) {
            EXPECT_GE(length, full.size() - 2) << "cut at " << length;  // only the final CR LF may go
            EXPECT_EQ(RunRegistryScript(script.c_str(), false), S_OK);
        }
        const RegistryTree after = scratch_.ClassesTree();
        EXPECT_EQ(after, prior_) << "cut at " << length;
        if (after != prior_) Reset();
    }
}

TEST_F(RegistryDamagedScripts, MutatedScriptNeverCrashesNorKeepsAFailedBlock) {
    std::mt19937 rng(932);
    const std::string full = ShippedScript();
    for (int round = 0; round < 250; ++round) {
        std::string script = full;
        const size_t at = std::uniform_int_distribution<size_t>(0, full.size() - 1)(rng);
        // Half of the time a byte that matters to the grammar, else any byte but the NUL.
        const char structural[] = "{}'=% \t\r\n\\sdbq";
        script[at] = rng() % 2 == 0 ? structural[rng() % (sizeof structural - 1)]
                                    : static_cast<char>(std::uniform_int_distribution<int>(1, 255)(rng));
        const std::string what = "byte " + std::to_string(at) + " := " + std::to_string(script[at] & 0xFF);
        if (FAILED(RunRegistryScript(script.c_str(), true))) ExpectRolledBack(script, what);
        RestorePrior();
        // Unregistering with the damaged text never touches the other class.
        ASSERT_EQ(RunRegistryScript(full.c_str(), true), S_OK);
        RunRegistryScript(script.c_str(), false);
        const RegistryTree after = scratch_.ClassesTree();
        EXPECT_EQ(after.Keys.count(L"CLSID\\{0000AAAA-0000-0000-0000-000000000000}\\InprocServer32"), 1u) << what;
        if (after != prior_) Reset();
    }
}

}  // namespace
