// Writers of the configuration ended from outside at moments spread over their work, and two
// writers started at once: afterwards a new session of the real add-on, ZTTrevanelCtl export --all
// and the registry editor's export agree on one whole set, and nothing of the write is left.
//
// TREVANEL_KILL_COUNTS="imports,renames,pairs,tweaks,pairTweaks" sets the numbers; the test run
// uses a few of each, the full run "100,50,20,1500,400".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/SetWrite.h"
#include "tests/common/Layout.h"
#include "tests/wine/common/RecordingLogs.h"
#include "tests/wine/common/WineHarness.h"

namespace {

struct Counts {
    int imports = 10, renames = 6, pairs = 3, tweaks = 300, pairTweaks = 80;
};

Counts ReadCounts() {
    Counts c;
    if (const char* text = std::getenv("TREVANEL_KILL_COUNTS")) {
        std::sscanf(text, "%d,%d,%d,%d,%d", &c.imports, &c.renames, &c.pairs, &c.tweaks, &c.pairTweaks);
    }
    return c;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A set of count tweaks for profile in the ANSI registry file form: only the last one runs, the
// recorder with marker and the remote path, so a run tells which set a session read.
std::string SetFile(const std::string& profile, int count, const std::string& marker, const std::string& recorder) {
    std::string escaped;
    for (char c : recorder) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    std::string text = "REGEDIT4\r\n\r\n[HKEY_USERS\\" + ProfileKey(profile) + "]\r\n\"Count\"=dword:" ;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", count);
    text += std::string(hex) + "\r\n";
    for (int i = 0; i < count; ++i) {
        const bool last = i == count - 1;
        text += "[HKEY_USERS\\" + TweakKey(ProfileKey(profile), i) + "]\r\n\"Name\"=\"" + marker + " " +
                std::to_string(i) + "\"\r\n\"Exe\"=\"" + escaped + "\"\r\n\"Parameters\"=\"" + marker +
                " %REMOTE_FILE_PATH%\"\r\n\"Enabled\"=dword:00000001\r\n\"Ignore Case\"=dword:00000001\r\n"
                "\"Apply To\"=dword:00000001\r\n\"Filter\"=\"" + (last ? "*" : "*.none") + "\"\r\n";
    }
    return text;
}

// A program started and not waited for.
class Started {
public:
    explicit Started(const std::string& program, const std::vector<std::string>& arguments) {
        std::string line = wine::QuoteArgument(program);
        for (const std::string& argument : arguments) line += " " + wine::QuoteArgument(argument);
        std::vector<char> mutableLine(line.begin(), line.end());
        mutableLine.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                            nullptr, &startup, &process)) {
            throw std::runtime_error("cannot start " + line);
        }
        CloseHandle(process.hThread);
        m_hProcess = process.hProcess;
    }
    ~Started() { CloseHandle(m_hProcess); }
    // Ends the process as the task manager does: no code of its own runs any more.
    void Kill() {
        TerminateProcess(m_hProcess, 9);
        WaitForSingleObject(m_hProcess, INFINITE);
    }
    DWORD Wait() {
        WaitForSingleObject(m_hProcess, 120000);
        DWORD code = 0xdeadbeef;
        GetExitCodeProcess(m_hProcess, &code);
        return code;
    }

private:
    HANDLE m_hProcess;
};

// One whole state of the configuration, as each of the three readers shows it.
struct State {
    std::string sessions;  // what new sessions of both profiles started
    std::string exported;  // ZTTrevanelCtl export --all
    std::string regedit;   // regedit /e of "Configurations"
};

class KilledWriteWine : public testing::Test {
protected:
    void SetUp() override { wine::DeleteRegTree(HKEY_USERS, kConfigRoot); }
    void TearDown() override { wine::DeleteRegTree(HKEY_USERS, kConfigRoot); }

    std::string Ctl() const { return wine::ProgramPath("ZTTrevanelCtl.exe"); }

    // The three readers, a new session first, so that the first to come completes what a killed
    // writer left.
    State Read() {
        State state;
        DeleteFileA(m_logs.recorder.c_str());
        const wine::ProgramResult host = wine::RunHost(
            m_addon.Path(), {"load", "create 1 Killed", "download 1 0 /Killed C:\\in.txt", "destroy 1",
                             "create 2 Moved", "download 2 0 /Moved C:\\in.txt", "destroy 2", "unload"});
        EXPECT_EQ(host.exitCode, 0u) << host.output;
        std::istringstream log(ReadWhole(m_logs.recorder));
        for (std::string line; std::getline(log, line);) {
            // The fields after argc: the marker and the remote path.
            size_t tab = 0;
            for (int field = 0; field < 7 && tab != std::string::npos; ++field) tab = line.find('\t', tab + 1);
            state.sessions += tab == std::string::npos ? line : line.substr(tab + 1);
            state.sessions += "|";
        }
        const std::string exported = m_folder.Path() + "exported.reg";
        DeleteFileA(exported.c_str());
        wine::RunProgram(Ctl(), {"export", "--all", exported});
        state.exported = ReadWhole(exported);
        const std::string regedit = m_folder.Path() + "regedit.reg";
        DeleteFileA(regedit.c_str());
        wine::RunProgram("C:\\windows\\regedit.exe", {"/e", regedit, "HKEY_USERS\\" + ConfigurationsKey()});
        state.regedit = ReadWhole(regedit);
        EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, Root(kPendingWriteKey)));
        return state;
    }

    // Which of the states the configuration holds now; -1 (and a failure) for none.
    int Which(const std::vector<State>& states, const std::string& what) {
        const State now = Read();
        for (size_t i = 0; i < states.size(); ++i) {
            if (now.sessions == states[i].sessions && now.exported == states[i].exported &&
                now.regedit == states[i].regedit) {
                return static_cast<int>(i);
            }
        }
        ADD_FAILURE() << what << ": no whole set; sessions ran " << now.sessions;
        return -1;
    }

    // How long a program with these arguments takes from its start to its end.
    DWORD Duration(const std::string& program, const std::vector<std::string>& arguments) {
        const DWORD start = GetTickCount();
        const wine::ProgramResult r = wine::RunProgram(program, arguments, 120000);
        EXPECT_EQ(r.exitCode, 0u) << r.output;
        return GetTickCount() - start;
    }

    wine::TempFolder m_folder{"Killed Writes"};
    wine::AddonCopy m_addon;
    wine::RecordingLogs m_logs{m_folder.Path()};
};

TEST_F(KilledWriteWine, KilledAndConcurrentWritesLeaveOneWholeSet) {
    const Counts counts = ReadCounts();
    const std::string recorder = m_folder.Copy(wine::ProgramPath("Recorder.exe"));
    const std::string small = m_folder.Write("small.reg", SetFile("Killed", 3, "small", recorder));
    const std::string big = m_folder.Write("big.reg", SetFile("Killed", counts.tweaks, "big", recorder));
    const std::string pairA = m_folder.Write("a.reg", SetFile("Killed", counts.pairTweaks, "a", recorder));
    const std::string pairB = m_folder.Write("b.reg", SetFile("Killed", counts.pairTweaks + 1, "b", recorder));

    // The states, each made by a write that ran to its end, and how long the writes take.
    std::vector<State> imports(2);
    DWORD importMs[2];
    importMs[0] = Duration(Ctl(), {"import", small});
    imports[0] = Read();
    importMs[1] = Duration(Ctl(), {"import", big});
    imports[1] = Read();
    importMs[0] = Duration(Ctl(), {"import", small});
    ASSERT_NE(imports[0].sessions, imports[1].sessions);

    // Import the other set, killed at a moment spread over the import, again and again.
    int kills = 0;
    for (int i = 0; i < counts.imports; ++i) {
        const int target = i % 2 == 0 ? 1 : 0;
        const DWORD delay = importMs[target] * static_cast<DWORD>(i / 2 * 2 + 1) / static_cast<DWORD>(counts.imports + 1);
        Started import(Ctl(), {"import", target == 1 ? big : small});
        Sleep(delay);
        import.Kill();
        ++kills;
        if (Which(imports, "import killed after " + std::to_string(delay) + " ms") < 0) return;
    }

    // The host's rename of the big set, killed likewise, to and fro.
    ASSERT_EQ(wine::RunProgram(Ctl(), {"import", big}).exitCode, 0u);
    std::vector<State> renames(2);
    renames[0] = Read();
    const DWORD renameMs = Duration(wine::HostExePath(), {m_addon.Path(), "-e", "load", "-e", "rename Killed Moved", "-e", "unload"});
    renames[1] = Read();
    ASSERT_NE(renames[0].sessions, renames[1].sessions);
    int where = 1;
    for (int i = 0; i < counts.renames; ++i) {
        const DWORD delay = renameMs * static_cast<DWORD>(i + 1) / static_cast<DWORD>(counts.renames + 1);
        const std::string rename = where == 1 ? "rename Moved Killed" : "rename Killed Moved";
        Started host(wine::HostExePath(), {m_addon.Path(), "-e", "load", "-e", rename, "-e", "unload"});
        Sleep(delay);
        host.Kill();
        if ((where = Which(renames, rename + " killed after " + std::to_string(delay) + " ms")) < 0) return;
    }

    // Two imports of different sets at once: the later one wins, whole.
    wine::DeleteRegTree(HKEY_USERS, kConfigRoot);
    std::vector<State> pairs(2);
    ASSERT_EQ(wine::RunProgram(Ctl(), {"import", pairA}).exitCode, 0u);
    pairs[0] = Read();
    ASSERT_EQ(wine::RunProgram(Ctl(), {"import", pairB}).exitCode, 0u);
    pairs[1] = Read();
    for (int i = 0; i < counts.pairs; ++i) {
        Started a(Ctl(), {"import", pairA});
        Started b(Ctl(), {"import", pairB});
        EXPECT_EQ(a.Wait(), 0u);
        EXPECT_EQ(b.Wait(), 0u);
        if (Which(pairs, "two imports at once") < 0) return;
    }
    std::printf("killed imports: %d of %d tweaks (%lu ms whole), killed renames: %d (%lu ms whole), pairs: %d of %d tweaks\n",
                kills, counts.tweaks, static_cast<unsigned long>(importMs[1]), counts.renames,
                static_cast<unsigned long>(renameMs), counts.pairs, counts.pairTweaks);
}

}  // namespace
