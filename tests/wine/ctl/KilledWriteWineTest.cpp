// Writers of the configuration ended from outside at moments spread over their work, and two
// writers started at once: afterwards a new session of the real add-on, ZTTrevanelCtl export --all
// and regedit's export agree on one whole set, and nothing of the write is left.
// TREVANEL_KILL_COUNTS="imports,renames,pairs,tweaks,pairTweaks" (full run: 100,50,20,1500,400).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "config/SetWrite.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "tests/common/Layout.h"
#include "tests/wine/common/RecordingLogs.h"
#include "tests/wine/common/WineHarness.h"

namespace {

std::string ReadWhole(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// An export's keys with their values in name order: a set read from a write not yet in place lists
// them in the order the write stores them, which the registry may enumerate otherwise (Wine sorts).
std::string ValuesInOrder(const std::string& exported) {
    std::string text;
    for (size_t i = 2; i < exported.size(); i += 2) text += exported[i];  // the test's names are ASCII
    std::string result;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n\r\n", at);
        if (end == std::string::npos) end = text.size();
        std::vector<std::string> lines;
        std::istringstream block(text.substr(at, end - at));
        for (std::string line; std::getline(block, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        if (!lines.empty()) std::sort(lines.begin() + 1, lines.end());
        for (const std::string& line : lines) result += line + "\n";
        result += "\n";
        at = end + 4;
    }
    return result;
}

// count tweaks of which only the last one runs: the recorder with marker and the remote path.
std::string SetFile(int count, const std::string& marker, const std::string& recorder) {
    std::string exe;
    for (char c : recorder) exe += c == '\\' ? std::string("\\\\") : std::string(1, c);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", count);
    std::string text = "REGEDIT4\r\n\r\n[HKEY_USERS\\" + ProfileKey("Killed") + "]\r\n\"Count\"=dword:" + hex + "\r\n";
    for (int i = 0; i < count; ++i) {
        text += "[HKEY_USERS\\" + TweakKey(ProfileKey("Killed"), i) + "]\r\n\"Name\"=\"" + marker + std::to_string(i) +
                "\"\r\n\"Exe\"=\"" + exe + "\"\r\n\"Parameters\"=\"" + marker + " %REMOTE_FILE_PATH%\"\r\n"
                "\"Apply To\"=dword:00000001\r\n\"Filter\"=\"" + (i == count - 1 ? "*" : "*.none") + "\"\r\n";
    }
    return text;
}

// A program started and not waited for; Kill ends it as the task manager does.
class Started {
public:
    Started(const std::string& program, const std::vector<std::string>& arguments) {
        std::string line = wine::QuoteArgument(program);
        for (const std::string& argument : arguments) line += " " + wine::QuoteArgument(argument);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        // Without a console: Wine gives a console program one of its own in a conhost.exe, which
        // outlives a killed program and would keep the test run's output open.
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                            &startup, &process)) {
            throw std::runtime_error("cannot start " + line);
        }
        CloseHandle(process.hThread);
        m_hProcess = process.hProcess;
    }
    ~Started() { CloseHandle(m_hProcess); }
    void Kill() { TerminateProcess(m_hProcess, 9); }
    DWORD Wait() {
        DWORD code = 0xdeadbeef;
        WaitForSingleObject(m_hProcess, 120000);
        GetExitCodeProcess(m_hProcess, &code);
        return code;
    }

private:
    HANDLE m_hProcess;
};

class KilledWriteWine : public testing::Test {
protected:
    void SetUp() override { wine::DeleteRegTree(HKEY_USERS, kConfigRoot); }
    void TearDown() override { wine::DeleteRegTree(HKEY_USERS, kConfigRoot); }

    const std::string m_ctl = wine::ProgramPath("ZTTrevanelCtl.exe");

    // What the three readers show: the tweaks that sessions of both names started and export --all,
    // which read a write a killed writer left committed as written; then, after finish has put it
    // in place, regedit /e of the keys themselves.
    std::string Read() {
        DeleteFileA(m_logs.recorder.c_str());
        const wine::ProgramResult host = wine::RunHost(
            m_addon.Path(), {"load", "create 1 Killed", "download 1 0 /Killed C:\\in.txt", "create 2 Moved",
                             "download 2 0 /Moved C:\\in.txt", "unload"});
        EXPECT_EQ(host.exitCode, 0u) << host.output;
        std::string state;
        std::istringstream log(ReadWhole(m_logs.recorder));
        for (std::string line; std::getline(log, line);) state += line.substr(line.rfind('\t', line.rfind('\t') - 1)) + "|";
        const std::string exported = m_folder.Path() + "exported.reg", regedit = m_folder.Path() + "regedit.reg";
        DeleteFileA(exported.c_str());
        DeleteFileA(regedit.c_str());
        wine::RunProgram(m_ctl, {"export", "--all", exported});
        EXPECT_EQ(wine::RunProgram(m_ctl, {"finish"}).exitCode, 0u);
        wine::RunProgram("C:\\windows\\regedit.exe", {"/e", regedit, "HKEY_USERS\\" + ConfigurationsKey()});
        EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, Root(kPendingWriteKey)));
        return state + "\n" + ValuesInOrder(ReadWhole(exported)) + "\n" + ReadWhole(regedit);
    }

    // Which of the states is stored now; -1 (a failure) for none.
    int Which(const std::vector<std::string>& states, const std::string& what) {
        const std::string now = Read();
        for (size_t i = 0; i < states.size(); ++i) {
            if (now == states[i]) return static_cast<int>(i);
        }
        ADD_FAILURE() << what << ": no whole set; sessions ran " << now.substr(0, now.find('\n'));
        return -1;
    }

    // The writes toward state 0 and 1, each run once to its end to make the state and time it,
    // then started n times toward the state not stored and killed at moments spread over it.
    bool KillRepeatedly(int n, const std::function<std::vector<std::string>(int)>& command, const char* what) {
        std::vector<std::string> states(2);
        DWORD ms[2];
        for (int target : {0, 1, 0, 1}) {
            const DWORD start = GetTickCount();
            const std::vector<std::string> line = command(target);
            EXPECT_EQ(wine::RunProgram(line[0], std::vector<std::string>(line.begin() + 1, line.end())).exitCode, 0u);
            ms[target] = GetTickCount() - start;
            states[target] = Read();
        }
        EXPECT_NE(states[0], states[1]);
        for (int i = 0, stored = 1; i < n; ++i) {
            const int target = 1 - stored;
            const DWORD delay = ms[target] * static_cast<DWORD>(i + 1) / static_cast<DWORD>(n + 1);
            const std::vector<std::string> line = command(target);
            Started writer(line[0], std::vector<std::string>(line.begin() + 1, line.end()));
            Sleep(delay);
            writer.Kill();
            writer.Wait();
            if ((stored = Which(states, std::string(what) + " killed after " + std::to_string(delay) + " ms")) < 0) return false;
        }
        std::printf("%s: %d killed, %lu and %lu ms whole\n", what, n, static_cast<unsigned long>(ms[0]),
                    static_cast<unsigned long>(ms[1]));
        return true;
    }

    wine::TempFolder m_folder{"Killed Writes"};
    wine::AddonCopy m_addon;
    wine::RecordingLogs m_logs{m_folder.Path()};
};

TEST_F(KilledWriteWine, KilledAndConcurrentWritesLeaveOneWholeSet) {
    int imports = 10, renames = 6, pairs = 3, tweaks = 300, pairTweaks = 80;
    if (const char* counts = std::getenv("TREVANEL_KILL_COUNTS")) {
        std::sscanf(counts, "%d,%d,%d,%d,%d", &imports, &renames, &pairs, &tweaks, &pairTweaks);
    }
    const std::string recorder = m_folder.Copy(wine::ProgramPath("Recorder.exe"));
    const std::string files[] = {m_folder.Write("small.reg", SetFile(3, "small", recorder)),
                                 m_folder.Write("big.reg", SetFile(tweaks, "big", recorder)),
                                 m_folder.Write("a.reg", SetFile(pairTweaks, "a", recorder)),
                                 m_folder.Write("b.reg", SetFile(pairTweaks + 1, "b", recorder))};
    ASSERT_TRUE(KillRepeatedly(imports, [&](int to) { return std::vector<std::string>{m_ctl, "import", files[to]}; },
                               "import"));
    ASSERT_EQ(wine::RunProgram(m_ctl, {"import", files[1]}).exitCode, 0u);
    ASSERT_TRUE(KillRepeatedly(renames, [&](int to) {
        return std::vector<std::string>{wine::HostExePath(), m_addon.Path(), "-e", "load", "-e",
                                        to == 1 ? "rename Killed Moved" : "rename Moved Killed", "-e", "unload"};
    }, "rename"));

    // Two imports of different sets at once: the later one wins, whole.
    std::vector<std::string> states;
    for (int i : {2, 3}) {
        ASSERT_EQ(wine::RunProgram(m_ctl, {"import", files[i]}).exitCode, 0u);
        states.push_back(Read());
    }
    for (int i = 0; i < pairs; ++i) {
        Started a(m_ctl, {"import", files[2]}), b(m_ctl, {"import", files[3]});
        EXPECT_EQ(a.Wait(), 0u);
        EXPECT_EQ(b.Wait(), 0u);
        if (Which(states, "two imports at once") < 0) return;
    }
    std::printf("%d tweaks; %d pairs of imports of %d tweaks\n", tweaks, pairs, pairTweaks);
}

// Another process holds the writers' turn (TREVANEL_TURN_HOLD_S seconds, 35 unless told: a minute
// shows no more, since a writer gives up after 30 s): sessions are made and transfers run their
// tweaks in their normal time meanwhile; an import started at the hold's beginning fails closed
// with its message, or, where the hold is shorter than its wait, waits and then stores its set whole.
TEST_F(KilledWriteWine, AHeldWritersTurnKeepsNoSessionWaiting) {
    DWORD holdMs = 35000;
    if (const char* seconds = std::getenv("TREVANEL_TURN_HOLD_S")) holdMs = static_cast<DWORD>(std::atoi(seconds)) * 1000;
    const std::string recorder = m_folder.Copy(wine::ProgramPath("Recorder.exe"));
    const std::string small = m_folder.Write("small.reg", SetFile(3, "small", recorder));
    const std::string big = m_folder.Write("big.reg", SetFile(40, "big", recorder));
    ASSERT_EQ(wine::RunProgram(m_ctl, {"import", small}).exitCode, 0u);

    IRegistry& registry = GetRegistry();
    std::promise<void> held;
    std::thread holder([&] {
        const long begun = registry.BeginTurn(0);
        held.set_value();
        if (begun != ERROR_SUCCESS) return;
        Sleep(holdMs);
        registry.EndTurn();
    });
    held.get_future().wait();
    const DWORD start = GetTickCount();
    wine::ProgramResult import;
    std::thread importer([&] { import = wine::RunProgram(m_ctl, {"import", big}, 120000); });
    int sessions = 0;
    while (GetTickCount() - start + 8000 < holdMs) {
        DeleteFileA(m_logs.recorder.c_str());
        const DWORD before = GetTickCount();
        const wine::ProgramResult host = wine::RunHost(
            m_addon.Path(), {"load", "create 1 Killed", "download 1 0 /Killed C:\\in.txt", "unload"});
        EXPECT_EQ(host.exitCode, 0u) << host.output;
        EXPECT_LT(GetTickCount() - before, 8000u) << "a session while the turn is held";
        EXPECT_NE(ReadWhole(m_logs.recorder).find("small"), std::string::npos) << ReadWhole(m_logs.recorder);
        ++sessions;
    }
    importer.join();
    holder.join();
    EXPECT_GT(sessions, 0);
    DeleteFileA(m_logs.recorder.c_str());
    wine::RunHost(m_addon.Path(), {"load", "create 1 Killed", "download 1 0 /Killed C:\\in.txt", "unload"});
    const std::string ran = ReadWhole(m_logs.recorder);
    if (import.exitCode == 0) {
        EXPECT_NE(ran.find("big"), std::string::npos) << ran;
    } else {
        EXPECT_EQ(import.exitCode, 3u) << import.output;
        EXPECT_NE(import.output.find("longer than 30 s"), std::string::npos) << import.output;
        EXPECT_NE(ran.find("small"), std::string::npos) << ran;
    }
    std::printf("turn held %lu ms: %d sessions meanwhile, the import %s\n", static_cast<unsigned long>(holdMs), sessions,
                import.exitCode == 0 ? "waited and stored its set" : "failed closed");
}

}  // namespace
