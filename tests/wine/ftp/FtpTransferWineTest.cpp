// Real transfers: the host stand-in downloads from and uploads to an FTP server on the loopback
// (scripts/ftp-server, started by CTest for these tests) through the system's FTP client, and the
// real add-on runs a program tweak and a batch tweak after each download. The server holds names
// that a hostile or careless server may send.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/AppBase.h"
#include "config/StoredSet.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "runner/RunRecord.h"
#include "tests/common/Layout.h"
#include "tests/wine/common/RecordingLogs.h"
#include "tests/wine/common/WineHarness.h"

namespace {

std::string ReadWhole(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::wstring Wide(const std::string& bytes, UINT codePage) {
    std::wstring wide(bytes.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    return wide;
}

// As cmd writes text into a file: the OEM code page, characters it lacks as their nearest.
std::string Oem(const std::wstring& text) {
    std::string bytes(text.size() * 2 + 1, '\0');
    bytes.resize(WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), &bytes[0],
                                     static_cast<int>(bytes.size()), nullptr, nullptr));
    return bytes;
}

std::string Hex(const std::string& bytes) {
    std::string hex;
    char byte[4];
    for (unsigned char c : bytes) {
        std::snprintf(byte, sizeof byte, "%02X ", c);
        hex += byte;
    }
    return hex;
}

// Splits text into lines (CR LF or LF) or a line into its tab-separated fields.
std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        if (separator == '\n' && !part.empty() && part.back() == '\r') part.pop_back();
        parts.push_back(part);
    }
    return parts;
}

// The server's folder and the file that holds its port, as CTest's fixture left them.
std::string ServerState() { return wine::ToWindowsPath(TREVANEL_BIN_DIR) + "\\..\\ftp\\"; }

class FtpWine : public testing::Test {
protected:
    void SetUp() override {
        wine::DeleteRegTree(HKEY_USERS, kConfigRoot);
        ClearRunRecord(RunRecordFolder());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue);
        m_strPort = ReadWhole(ServerState() + "port");
        while (!m_strPort.empty() && (m_strPort.back() == '\n' || m_strPort.back() == '\r')) m_strPort.pop_back();
        ASSERT_FALSE(m_strPort.empty()) << "no FTP server: run these tests through CTest, or start one with "
                                           "scripts/ftp-server start build/<preset>/ftp build/<preset>/ftp/served";
    }
    void TearDown() override {
        wine::DeleteRegTree(HKEY_USERS, kConfigRoot);
        ClearRunRecord(RunRecordFolder());
    }

    // Every download starts a program that gets the local path in its line and a batch file that
    // reads it from its environment; the profile Seed has a set of its own without tweaks.
    void StoreTweaks() {
        CTweakConfig global("");
        const std::pair<std::string, std::string> tweaks[] = {
            {m_folder.Copy(wine::ProgramPath("Recorder.exe"), "Program.exe"), "\"%LOCAL_FILE_PATH%\""},
            {m_folder.Copy(wine::SourcePath("tests\\fixtures\\FindFile.bat")), ""}};
        for (const auto& t : tweaks) {
            CTweakInfo* tweak = new CTweakInfo;
            tweak->m_strName = t.first.substr(t.first.rfind('\\') + 1);
            tweak->m_strExe = t.first;
            tweak->m_strParameters = t.second;
            tweak->m_nApplyTo = 0x01;
            global.m_arrTweaks.push_back(tweak);
        }
        ASSERT_EQ(SetWriteResult::kWritten, ReplaceStoredSet(global));
        CTweakConfig seed("Seed");
        ASSERT_EQ(SetWriteResult::kWritten, ReplaceStoredSet(seed));
    }

    CAppBase m_app;
    std::string m_strPort;
    wine::TempFolder m_folder{"FTP Tweaks"};
    wine::TempFolder m_downloads{"FTP Downloads"};
    wine::AddonCopy m_addon;
    wine::RecordingLogs m_logs{m_folder.Path()};
};

}  // namespace

// The server's names, put there by uploads of a profile without tweaks, are downloaded by name.
// Each either reaches both tweaks whole, naming the file as written, or is refused by the host, in
// which case the add-on is not called and nothing is recorded.
TEST_F(FtpWine, HostileServerNamesReachEveryTweakWholeOrAreRefused) {
    struct HostileName {
        const char* what;
        std::string name;  // as the server holds it, UTF-8
        bool refused;
    } const names[] = {
        {"blanks", "a  b c.txt", false},
        {"ampersand", "Q&A.txt", false},
        {"percent", "100% sure.txt", false},
        {"exclamation mark", "Hi!.txt", false},
        {"caret", "up^down.txt", false},
        {"apostrophe", "it's.txt", false},
        {"parenthesis", "(draft 1.txt", false},
        {"leading dot", ".profile", false},
        {"trailing dot", "notes.", false},
        {"200 characters", std::string(196, 'n') + ".txt", false},
        {"Cyrillic", "Ёлка на Дону.txt", false},
        {"Chinese", "日本語.txt", false},
        {"emoji", "😀.txt", false},
        {"dot dot backslash", "..\\escape.txt", true},
    };
    StoreTweaks();
    std::vector<std::string> script = {"load", "connect 1 Seed 127.0.0.1 " + m_strPort};
    for (size_t i = 0; i < std::size(names); ++i) {
        const std::string seed = m_folder.Write("seed " + std::to_string(i) + ".txt", names[i].name);
        script.push_back("put 1 \"" + seed + "\" \"/" + names[i].name + "\"");
    }
    script.push_back("disconnect 1");
    script.push_back("connect 2 Hostile 127.0.0.1 " + m_strPort);
    for (const HostileName& n : names) script.push_back("get 2 \"/" + n.name + "\" \"" + m_downloads.Path() + "\"");
    // A file the server does not have: the transfer fails and the add-on hears nothing of it.
    script.insert(script.end(), {"get 2 \"/not there.txt\" \"" + m_downloads.Path() + "\"", "disconnect 2", "unload"});
    const wine::ProgramResult host = wine::RunHost(m_addon.Path(), script, 120000);
    EXPECT_EQ(2u, host.exitCode) << host.output;

    const std::vector<std::string> programRuns = Split(ReadWhole(m_logs.recorder), '\n');
    const std::string batchLog = ReadWhole(m_logs.batch);
    const std::vector<std::string> history = Split(
        wine::RunProgram(wine::ProgramPath("ZTTrevanelCtl.exe"), {"history", "--tsv"}).output, '\n');
    EXPECT_NE(std::string::npos, host.output.find("get 2 \"/not there.txt\": failed, error ")) << host.output;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((m_downloads.Path() + "not there.txt").c_str()));
    for (const std::string& line : history) EXPECT_EQ(std::string::npos, line.find("not there")) << line;
    const std::string served = wine::ToWindowsPath(TREVANEL_BIN_DIR) + "\\..\\ftp\\served\\";
    for (const HostileName& n : names) {
        SCOPED_TRACE(n.what);
        // The server holds a UTF-8 name as such: the client sent its bytes.
        if (Wide(n.name, CP_UTF8).size() != n.name.size()) {
            EXPECT_NE(INVALID_FILE_ATTRIBUTES,
                      GetFileAttributesW((Wide(served, CP_ACP) + Wide(n.name, CP_UTF8)).c_str()));
        }
        const std::string local = m_downloads.Path() + n.name;
        const std::string get = "get 2 \"/" + n.name + "\": ";
        if (n.refused) {
            EXPECT_NE(std::string::npos, host.output.find(get + "refused, the server's name \"" + n.name +
                                                          "\" holds a backslash"))
                << host.output;
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(local.c_str()));
            EXPECT_EQ(std::string::npos, batchLog.find(n.name.substr(3)));
            for (const std::string& line : history) EXPECT_EQ(std::string::npos, line.find(n.name.substr(3))) << line;
            continue;
        }
        EXPECT_NE(std::string::npos, host.output.find(get + "saved \"" + local + "\", download result ")) << host.output;
        EXPECT_EQ(n.name, ReadWhole(local));
        std::printf("%-18s server %s-> local path ends %s\n", n.what, Hex(n.name).c_str(),
                    Hex(local.substr(local.size() - n.name.size())).c_str());

        // The program got the path whole as its one argument, and it names the downloaded file.
        int programs = 0;
        for (const std::string& line : programRuns) {
            const std::vector<std::string> fields = Split(line, '\t');
            if (fields.size() == 8 && fields[7] == local) ++programs;
        }
        EXPECT_EQ(1, programs) << ReadWhole(m_logs.recorder);

        // The batch file found the file, and its variable is the path whole (set lists the
        // variables in order, written in the OEM code page).
        const std::string listed = "TREVANEL_FOUND=found\r\nTREVANEL_LOCAL_FILE_PATH=" + Oem(Wide(local, CP_ACP)) + "\r\n";
        EXPECT_NE(std::string::npos, batchLog.find(listed)) << batchLog;

        // Both runs are recorded with the path and exit code 0.
        int recorded = 0;
        for (const std::string& line : history) {
            const std::vector<std::string> fields = Split(line, '\t');
            std::string path;
            if (fields.size() >= 9) {
                for (size_t i = 0; i < fields[3].size(); ++i) path += fields[3][i] == '\\' ? fields[3][++i] : fields[3][i];
            }
            if (path == local && fields[7] == "exit" && fields[8] == "0") ++recorded;
        }
        EXPECT_EQ(2, recorded) << n.name;
    }
}
