// Registration: the exports' round trip, what it is made of, and the registry script engine
// on generated scripts of 1, 10 and 100 times the shipped script's size, whose cost per key
// should not grow with the size.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "bench_clock.h"
#include "bench_run.h"
#include "interleaved_rounds.h"
#include "shipped_script.h"
#include "common/registry_tree.h"
#include "common/scratch_registry_key.h"
#include "common/server_library.h"

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// copies of the shipped script, each for a class of its own (ProgIDs and CLSID renamed).
std::string GeneratedScript(const std::string& shipped, int copies) {
    std::string script;
    for (int n = 0; n < copies; ++n) {
        std::string copy = shipped;
        ReplaceAll(copy, "Tarvik.lumex", "Tarvik.bench" + std::to_string(n));
        char tail[16];
        std::snprintf(tail, sizeof tail, "%012d", n);
        ReplaceAll(copy, "27A1B9D40C55}", std::string(tail) + "}");
        script += copy;
    }
    return script;
}

// One size of script, run as often as it takes to touch about the same number of keys as
// the largest, register pass then unregister pass.
struct ScaledScript {
    ScaledScript(const std::string& shipped, int copies, int repeats)
        : Copies(copies), Repeats(repeats), Text(GeneratedScript(shipped, copies)) {}

    int Copies;
    int Repeats;
    std::string Text;
    size_t Keys = 0;
    std::vector<double> RegisterSeconds;  // of each round, beside the round's total
    HRESULT Result = S_OK;

    void Run(const ScratchRegistryKey& scratch, bool timed) {
        const ClassesRootOverride scope(scratch.Classes());
        double registering = 0;
        for (int r = 0; r < Repeats; ++r) {
            const Stopwatch watch;
            const HRESULT registered = RunRegistryScript(Text, true);
            registering += watch.Seconds();
            if (Keys == 0) Keys = RegistryTree::Read(scratch.Classes()).Keys.size() - 1;  // not the top
            const HRESULT unregistered = RunRegistryScript(Text, false);
            if (FAILED(registered)) Result = registered;
            if (FAILED(unregistered)) Result = unregistered;
        }
        if (timed) RegisterSeconds.push_back(registering);
    }
};

}  // namespace

int main(int argc, char** argv) {
    BenchRun run(argc, argv, "registration");
    ServerLibrary library;
    if (!library.Loaded()) return 1;

    PrintSection("DllRegisterServer + DllUnregisterServer, and its parts");
    const std::wstring dllPath = ServerLibrary::DllPath();
    ITypeLib* typeLibrary = nullptr;
    LoadTypeLib(dllPath.c_str(), &typeLibrary);
    std::wstring pathCopy = dllPath;
    const std::string shipped = ShippedScript(library.Module());
    const ScratchRegistryKey scratch("TarvikBench");
    const int trips = 10;
    HRESULT exportResult = S_OK;
    const std::vector<BenchVariant> parts = {
        {"the exports: DllRegisterServer, DllUnregisterServer",
         [&](int) {
             for (int i = 0; i < trips; ++i) {
                 const HRESULT registered = library.Register();
                 const HRESULT unregistered = library.Unregister();
                 if (FAILED(registered)) exportResult = registered;
                 if (FAILED(unregistered)) exportResult = unregistered;
             }
         },
         double(trips)},
        {"the shipped script alone, both passes, in a scratch key",
         [&](int) {
             const ClassesRootOverride scope(scratch.Classes());
             for (int i = 0; i < trips; ++i) {
                 RunRegistryScript(shipped, true);
                 RunRegistryScript(shipped, false);
             }
         },
         double(trips)},
        {"the type library alone: RegisterTypeLib, UnRegisterTypeLib",
         [&](int) {
             for (int i = 0; i < trips; ++i) {
                 RegisterTypeLib(typeLibrary, &pathCopy[0], nullptr);
                 TLIBATTR* attributes = nullptr;
                 typeLibrary->GetLibAttr(&attributes);
                 UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                   attributes->lcid, attributes->syskind);
                 typeLibrary->ReleaseTLibAttr(attributes);
             }
         },
         double(trips)},
    };
    const int rounds = run.Pick(15, 5);
    std::printf("%d rounds of %d round trips each, interleaved\n", rounds, trips);
    const RoundTimes partTimes = RunInterleaved(parts, rounds);
    PrintVariantTable(parts, partTimes, "trip");
    if (exportResult != S_OK) std::printf("  the exports failed: 0x%08lx\n", static_cast<unsigned long>(exportResult));
    if (typeLibrary != nullptr) typeLibrary->Release();

    PrintSection("the script engine on 1, 10 and 100 times the shipped script");
    ScaledScript scripts[3] = {{shipped, 1, 100}, {shipped, 10, 10}, {shipped, 100, 1}};
    for (ScaledScript& script : scripts) script.Run(scratch, false);  // also counts the keys
    std::vector<BenchVariant> sizes;
    for (ScaledScript& script : scripts) {
        char label[96];
        std::snprintf(label, sizeof label, "%3dx: %zu bytes, %zu keys, run %d times", script.Copies, script.Text.size(),
                      script.Keys, script.Repeats);
        sizes.push_back({label, [&](int) { script.Run(scratch, true); }, double(script.Keys * script.Repeats)});
    }
    const int scaleRounds = run.Pick(11, 5);
    std::printf("%d rounds of 1x 10x 100x, interleaved; per key, register and unregister pass together\n", scaleRounds);
    const RoundTimes scaleTimes = RunInterleaved(sizes, scaleRounds);
    PrintVariantTable(sizes, scaleTimes, "key");
    double lowest = 0;
    double highest = 0;
    for (size_t s = 0; s < 3; ++s) {
        const double perKey = MicrosecondsPerUnit(sizes[s], scaleTimes[s]);
        const double registerPerKey = Median(scripts[s].RegisterSeconds) * 1e6 / sizes[s].Units;
        std::printf("  %3dx: register pass %.2f us/key, unregister pass %.2f us/key\n", scripts[s].Copies,
                    registerPerKey, perKey - registerPerKey);
        lowest = s == 0 || perKey < lowest ? perKey : lowest;
        highest = s == 0 || perKey > highest ? perKey : highest;
        if (scripts[s].Result != S_OK) {
            std::printf("  %dx failed: 0x%08lx\n", scripts[s].Copies, static_cast<unsigned long>(scripts[s].Result));
        }
    }
    PrintPairedRatio("10x/1x", sizes, scaleTimes, 1, 0);
    PrintPairedRatio("100x/1x", sizes, scaleTimes, 2, 0);
    std::printf("  time per key, slowest size over fastest: %.3f (target at most 1.3: %s)\n", highest / lowest,
                highest / lowest <= 1.3 ? "met" : "missed");
    return 0;
}
