// VBScript and JScript under Wine's cscript, creating the registered control by its
// ProgIDs and reading tags written by real tools (id3v2 and eyeD3).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registered_copy.h"
#include "common/process_runner.h"

namespace {

class ScriptClients : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(copy.RunRegsvr32(false), 0u);
        files = L"\"" + copy.CopyIn(L"examples/sample.mp3", L"sample.mp3") + L"\" \"" +
                copy.CopyIn(L"tests/fixtures/eyed3-v1.mp3", L"eyed3 v1.mp3") + L"\"";
    }
    void TearDown() override { copy.RunRegsvr32(true); }

    ProgramRun RunScript(const wchar_t* script) {
        const std::wstring path = copy.CopyIn(std::wstring(L"tests/e2e/") + script, script);
        return RunProgram(L"cscript //nologo \"" + path + L"\" " + files);
    }

    RegisteredCopy copy;
    std::wstring files;
};

}  // namespace

TEST_F(ScriptClients, VBScriptReadsEveryFieldAsPropertyAndAsMethod) {
    const ProgramRun run = RunScript(L"read_fields.vbs");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    const std::vector<std::string> expected = {
        "property|Morning Light|Tarvik Ensemble|Sample Sessions|2026|generated with sox|12|Integer",
        "method|Morning Light|Tarvik Ensemble|Sample Sessions|2026|generated with sox|12|String",
        "property|Blue Horizon|The Testers|Field Recordings|1998|track seven|8|Integer",
        "method|Blue Horizon|The Testers|Field Recordings|1998|track seven|8|String",
    };
    std::vector<std::string> lines = run.OutputLines();
    ASSERT_EQ(lines.size(), expected.size() + 1) << run.Output;
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]);
    // An unknown member is a script error the script can see: 438, no such property or method.
    EXPECT_EQ(lines.back().rfind("error|438|", 0), 0u) << lines.back();
}

TEST_F(ScriptClients, JScriptReadsTheSameFields) {
    const ProgramRun run = RunScript(L"read_fields.js");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    std::vector<std::string> lines = run.OutputLines();
    ASSERT_EQ(lines.size(), 3u) << run.Output;
    EXPECT_EQ(lines[0],
              "jscript|Morning Light|Tarvik Ensemble|Sample Sessions|2026|generated with sox|12|number|"
              "77,111,114,110,105,110,103,32,76,105,103,104,116");
    EXPECT_EQ(lines[1].rfind("jscript|Blue Horizon|The Testers|Field Recordings|1998|track seven|8|number|", 0), 0u);
    EXPECT_EQ(lines[2].rfind("error|438|", 0), 0u) << lines[2];
}
