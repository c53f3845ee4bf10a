// The tool's commands as a user sees them: what they print and their exit status, against the
// in-memory registry, shell and files.
#include "CtlFixture.h"

#include "config/ProfileNotes.h"
#include "ctl/RegFile.h"
#include "platform/memory/MemoryShortcutReader.h"
#include "runner/RunRecord.h"

namespace {

const char* const kChecksum = "C:\\Windows\\System32\\certutil.exe";

}  // namespace

TEST_F(CtlTest, ExplainTsvSaysWhatStartsAndWhyNotWithTheGlobalFallback) {
    PutDword(GlobalKey(), "Count", 5);
    PutTweak(GlobalKey(), 0, "Sum", kChecksum, "-hashfile \"%LOCAL_FILE_PATH%\" SHA256", TWEAK_APPLY_DOWNLOAD);
    PutTweak(GlobalKey(), 1, "Off", kChecksum, "x", TWEAK_APPLY_DOWNLOAD, "", 0);
    PutTweak(GlobalKey(), 2, "Up", kChecksum, "x", TWEAK_APPLY_UPLOAD | TWEAK_APPLY_MOVE_SERVER);
    PutTweak(GlobalKey(), 3, "Zip", kChecksum, "x", TWEAK_APPLY_DOWNLOAD, "*.zip", 1, 0);
    PutTweak(GlobalKey(), 4, "Tab\tBat", "C:\\t\\log.bat", "\"%LOCAL_FILE_PATH%\" %REMOTE_FILE_PATH%",
             TWEAK_APPLY_DOWNLOAD);
    // Work has a key but no "Count": it falls back to the global set.
    PutString(ProfileKey("Work\\Sub"), "Other", "x");

    const CtlResult r = Run({"explain", "--profile", "Work\\Sub", "--tsv", "download", "C:\\in\\100% a.ZIP",
                             "/pub/a%20b.zip"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "set\tglobal\t" + std::string(".DEFAULT\\\\Software\\\\Tarku Software\\\\FTP Zorvant Trevanel\\\\"
                                            "Configurations\\\\ZTTrevanelAddon Global Configuration") + "\n"
              "0\tRUN\tapplies\tSum\tC:\\\\Windows\\\\System32\\\\certutil.exe\t-hashfile \"C:\\\\in\\\\100% a.ZIP\" SHA256\n"
              "1\tSKIP\tdisabled\tOff\tC:\\\\Windows\\\\System32\\\\certutil.exe\tx\n"
              "2\tSKIP\ttype\tUp\tC:\\\\Windows\\\\System32\\\\certutil.exe\tx\n"
              "3\tSKIP\tfilter\tZip\tC:\\\\Windows\\\\System32\\\\certutil.exe\tx\n"
              "4\tSKIP\tunsafe-path\tTab\\tBat\tC:\\\\t\\\\log.bat\t\"C:\\\\in\\\\100% a.ZIP\" /pub/a%20b.zip\n");

    const CtlResult text = Run({"explain", "--profile", "Work\\Sub", "download", "C:\\in\\a.txt"});
    EXPECT_NE(text.out.find("uses the global set"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("not ticked; ticked: upload, move-server\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\"a.txt\" matches none of the filters *.zip (letter case counts)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("  Program:    C:\\Windows\\System32\\certutil.exe\n  Starts in:  C:\\Windows\\System32\n"),
              std::string::npos) << text.out;
    EXPECT_NE(text.out.find("After 5 s the add-on's window shows"), std::string::npos) << text.out;

    const CtlResult lost = Run({"explain", "--profile", "Work\\Sub", "download", "C:\\in\\?.zip", "/pub/\xe6\x97\xa5.zip"});
    EXPECT_NE(lost.out.find("The environment of every started tweak:\n"
                            "  TREVANEL_LOCAL_FILE_PATH=C:\\in\\?.zip\n"
                            "  TREVANEL_REMOTE_FILE_PATH=/pub/\xe6\x97\xa5.zip\n"
                            "  TREVANEL_TRANSFER=download\n"
                            "  TREVANEL_PROFILE=Work\\Sub\n"
                            "  NoDefaultCurrentDirectoryInExePath=1\n"), std::string::npos) << lost.out;
    EXPECT_NE(lost.out.find("Tweak 00 \"Sum\": SKIP (wildcard-path)\n  the local path holds ? or *"),
              std::string::npos) << lost.out;
}

TEST_F(CtlTest, ShowAndListTellOwnSetsFallbacksAndStrayKeys) {
    PutDword(GlobalKey(), "Count", 1);
    PutTweak(GlobalKey(), 0, "G", kChecksum, "", TWEAK_APPLY_VIEW | 0x40, "*.a; *.b");
    PutDword(ProfileKey("Work"), "Count", 2);
    PutTweak(ProfileKey("Work"), 1, "W1", "w.exe", "", 0);
    PutTweak(ProfileKey("Work"), 4, "Stray", "w.exe", "", 0);
    PutDword(ProfileKey("Old"), "Count", static_cast<uint32_t>(-5));

    const CtlResult show = Run({"show", "--profile", "work"});
    EXPECT_EQ(show.status, 0);
    EXPECT_NE(show.out.find("Profile \"work\" uses its own set"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("2 tweaks\n"), std::string::npos) << show.out;
    const CtlResult global = Run({"show", "--profile", "Old"});
    EXPECT_NE(global.out.find("uses the global set"), std::string::npos) << global.out;
    EXPECT_NE(global.out.find("  Apply to:    view, type 6 (0x00000042)\n"
                              "  Filter:      *.a;*.b\n"), std::string::npos) << global.out;

    const CtlResult list = Run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("Global configuration: 1 tweak\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Profile \"Work\": 2 tweaks\n"
                            "    never read (at or above \"Count\"): Tweak 04\n"
                            "    missing below \"Count\" (each reads as a tweak that never runs): Tweak 00\n"),
              std::string::npos) << list.out;
    EXPECT_NE(list.out.find("Profile \"Old\": no configuration of its own"), std::string::npos) << list.out;
    // A set that FTP Zorvant's rename or delete could not move or remove is marked as no profile's.
    NoteDeclinedDelete("old");
    NoteDeclinedRename("Work", "Office");
    const std::string marked = Run({"list"}).out;
    for (const char* name : {"Old", "Work"})
        EXPECT_NE(marked.find("Profile \"" + std::string(name) + "\" (no profile uses it"), std::string::npos) << marked;
}

TEST_F(CtlTest, CheckFindsWhatKeepsTweaksFromWorking) {
    m_files.Put(kChecksum, {});
    PutDword(GlobalKey(), "Count", 2);
    PutTweak(GlobalKey(), 0, "Good", kChecksum, "-hashfile \"%LOCAL_FILE_PATH%\" SHA256", TWEAK_APPLY_DOWNLOAD, "*.zip");
    EXPECT_EQ(Run({"check"}).status, 1);  // Tweak 01 is missing
    PutTweak(GlobalKey(), 1, "Also good", kChecksum, "\"%REMOTE_FILE_PATH%\"", TWEAK_APPLY_UPLOAD);
    const CtlResult clean = Run({"check"});
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_NE(clean.out.find("No problems found."), std::string::npos);

    PutDword(ProfileKey("Bad"), "Count", 1);
    PutTweak(ProfileKey("Bad"), 0, "B", "C:\\missing\\tool.exe",
             "%local_file_path% \"%LOCAL_PATH%\" \"%TEMP%\" \"%REMOTE_FILE_PATH\" D:\\m%REMOTE_FILE_PATH%", 0x40,
             "*.txt;x\\;a[];in\\*.txt;r[0-9].txt");
    PutTweak(ProfileKey("Bad"), 3, "Left", "C:\\t\\run.cmd", "", 1);
    PutString(ProfileKey("Bad") + "\\Tweak 00", "Enabled", "1");
    m_files.RemoveFile("C:\\missing\\tool.exe");
    const CtlResult r = Run({"check", "--profile", "Bad"});
    EXPECT_EQ(r.status, 1);
    for (const char* expected : {
             "tweak keys left at or above \"Count\" (never read): Tweak 03",
             "Tweak 00: \"Enabled\" is REG_SZ of 2 bytes, not REG_DWORD of 4 bytes",
             "the program file does not exist: C:\\missing\\tool.exe",
             "no transfer type is ticked",
             "%local_file_path% is in the wrong letter case",
             "%LOCAL_PATH% is no placeholder (misspelt?)",
             "%REMOTE_FILE_PATH lacks its closing %",
             "the filter x\\ can never match",
             "the filter a[] can never match",
             "the filter in\\*.txt names a folder",
             "the filter r[0-9].txt holds a range",
             "the server's path is written into a destination",
         }) {
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    }
    // An unquoted placeholder, a batch target; an environment variable is none of the tool's business.
    EXPECT_EQ(r.out.find("%TEMP%"), std::string::npos) << r.out;
    // Unquoted for a batch file, the path gets quotes and reaches it whole: nothing to say; quoted
    // once behind cmd.exe /c, ordinary names with & are refused, and the line that takes them is named.
    m_files.Put("C:\\t\\Run.CMD", {});
    PutTweak(ProfileKey("Bad"), 0, "B", "C:\\t\\Run.CMD", "%LOCAL_FILE_PATH%", 1);
    const CtlResult batch = Run({"check", "--profile", "Bad"});
    EXPECT_EQ(batch.out.find("Tweak 00"), std::string::npos) << batch.out;
    m_files.Put("C:\\Windows\\system32\\cmd.exe", {});
    PutTweak(ProfileKey("Bad"), 0, "B", "C:\\Windows\\system32\\cmd.exe", "/c \"C:\\t\\x.bat\" \"%LOCAL_FILE_PATH%\"", 1);
    const CtlResult quotedOnce = Run({"check", "--profile", "Bad"});
    EXPECT_NE(quotedOnce.out.find("write /c \"\"C:\\script.bat\" \"%LOCAL_FILE_PATH%\"\""), std::string::npos)
        << quotedOnce.out;
    // A line that refuses ordinary names (PowerShell's single quotes and it's) is named too.
    PutTweak(ProfileKey("Bad"), 0, "B", "C:\\Windows\\system32\\cmd.exe", "/c \"\"C:\\t\\x.bat\" \"%LOCAL_FILE_PATH%\"\"", 1);
    EXPECT_EQ(Run({"check", "--profile", "Bad"}).out.find("Tweak 00"), std::string::npos);
    PutTweak(ProfileKey("Bad"), 0, "B", "C:\\Windows\\system32\\cmd.exe", "/c powershell -Command \"Get-FileHash '%LOCAL_FILE_PATH%'\"", 1);
    const CtlResult awkward = Run({"check", "--profile", "Bad"});
    EXPECT_NE(awkward.out.find("ordinary names such as C:\\in\\Q&A (1), it's 50%.txt are refused: "),
              std::string::npos) << awkward.out;
    // The variables themselves are no misspelt placeholders, and without placeholders a batch
    // target has nothing that the guard refuses.
    PutTweak(ProfileKey("Bad"), 0, "B", "C:\\t\\Run.CMD", "\"%Trevanel_Local_File_Path%\"", 1);
    const CtlResult variables = Run({"check", "--profile", "Bad"});
    EXPECT_EQ(variables.out.find("is no placeholder"), std::string::npos) << variables.out;
    EXPECT_EQ(variables.out.find("Tweak 00"), std::string::npos) << variables.out;
    // A line whose shape the guard refuses for every name is named before any transfer, with
    // the variable to read instead; behind cmd.exe too.
    for (const char* line : {"-e \"x('%LOCAL_FILE_PATH%')\"", "/c C:\\R\\Rscript.exe -e \"x('%TREVANEL_LOCAL_FILE_PATH%')\""}) {
        PutTweak(ProfileKey("Bad"), 0, "B", std::string(line)[0] == '/' ? "C:\\Windows\\system32\\cmd.exe" : "C:\\R\\tool.exe", line, 1);
        const CtlResult shape = Run({"check", "--profile", "Bad"});
        EXPECT_NE(shape.out.find("every transfer is refused: "), std::string::npos) << shape.out;
        EXPECT_NE(shape.out.find("TREVANEL_LOCAL_FILE_PATH"), std::string::npos) << shape.out;
    }
    // Named without its extension, cmd.exe is found and judged as cmd.exe: a path as its command.
    PutTweak(ProfileKey("Bad"), 0, "B", "C:\\Windows\\system32\\cmd", "/c \"%LOCAL_FILE_PATH%\"", 1);
    const CtlResult cmd = Run({"check", "--profile", "Bad"});
    EXPECT_EQ(cmd.out.find("does not exist"), std::string::npos) << cmd.out;
    EXPECT_NE(cmd.out.find("every transfer is refused: a path stands where cmd.exe reads the name"), std::string::npos)
        << cmd.out;
    // A shortcut is checked as the program it starts, with its own arguments before the line.
    MemoryShortcutReader shortcuts;
    shortcuts.Put("C:\\Links\\Python.lnk", {"C:\\Python\\python.exe", "-c"});
    StandIns withShortcuts{shortcuts};
    m_files.Put("C:\\Links\\Python.lnk", {});
    PutTweak(ProfileKey("Bad"), 0, "B", "C:\\Links\\Python.lnk", "\"%LOCAL_FILE_PATH%\"", 1);
    const CtlResult link = Run({"check", "--profile", "Bad"});
    EXPECT_NE(link.out.find("every transfer is refused: "), std::string::npos) << link.out;
    EXPECT_NE(link.out.find("os.environ['TREVANEL_LOCAL_FILE_PATH']"), std::string::npos) << link.out;
    EXPECT_EQ(link.out.find("cannot be seen"), std::string::npos) << link.out;
}

TEST_F(CtlTest, RunStartsWhatTheAddonStartsAndReportsExitCodesAndFailures) {
    PutDword(ProfileKey("P"), "Count", 3);
    PutTweak(ProfileKey("P"), 0, "A", "C:\\a.exe", "\"%LOCAL_FILE_PATH%\" %REMOTE_FILE_PATH%", TWEAK_APPLY_UPLOAD);
    PutTweak(ProfileKey("P"), 1, "Gone", "C:\\gone.exe", "", TWEAK_APPLY_UPLOAD);
    PutTweak(ProfileKey("P"), 2, "Down", "C:\\d.exe", "", TWEAK_APPLY_DOWNLOAD);
    m_launcher.SetExitCode("C:\\a.exe", 7);
    m_launcher.SetOutcome("C:\\gone.exe", MemoryLauncher::Outcome::Fails);

    const CtlResult r = Run({"run", "--profile", "P", "upload", "C:\\in\\b c.txt", "/pub/b c.txt"});
    EXPECT_EQ(r.status, 1);
    const auto calls = m_launcher.ExecuteExCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].parameters.value_or("?"), "\"C:\\in\\b c.txt\" \"/pub/b c.txt\"");
    EXPECT_EQ(calls[0].fMask, SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI);
    EXPECT_NE(r.out.find("ended with exit code 7 after "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("could not start: The system cannot find the file specified."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Tweak 02 \"Down\": SKIP (type)"), std::string::npos) << r.out;
}

// Two transfers whose records interleave (as two hosts write them), and one of ZTTrevanelCtl run.
TEST_F(CtlTest, HistoryGroupsEachTransfersTweaksAndMarksProblems) {
    const std::string folder = RunRecordFolder();
    const auto record = [&](const char* time, const char* profile, int type, const char* local, size_t index,
                            const char* name, RunOutcome outcome, const char* detail, const char* ms, bool run) {
        RunRecord r;
        r.time = time;
        r.profile = profile;
        r.type = type;
        r.localPath = local;
        r.remotePath = "/" + std::string(local).substr(std::string(local).rfind('\\') + 1);
        r.index = index;
        r.name = name;
        r.outcome = outcome;
        r.detail = detail;
        r.duration = ms;
        r.fromRun = run;
        AppendRunRecord(folder, r);
    };
    m_ui.SetUserUiLanguage(0x0407);
    EXPECT_EQ("Das Protokoll dieses Windows-Benutzers: " + RunRecordFile(folder) + "\nKeine \xDC" "bertragung ist notiert.\n",
              Run({"history"}).out);
    m_ui.SetUserUiLanguage(0x0409);
    const char* t1 = "2024-05-06 07:08:09.010";
    record(t1, "M\xc3\xbcller", 0, "C:\\in\\a.txt", 0, "Sum", RunOutcome::Exit, "0", "5", false);
    record(t1, "", 4, "C:\\out\\b&c.txt", 0, "Pdf", RunOutcome::Skipped, "filter", "", false);
    record(t1, "M\xc3\xbcller", 0, "C:\\in\\a.txt", 2, "Gone", RunOutcome::NotStarted, "5", "", false);
    record("2024-05-06 07:08:10.000", "M\xc3\xbcller", 0, "C:\\in\\d.txt", 0, "Sum", RunOutcome::Exit, "0", "3", true);
    record("2024-05-06 07:08:11.000", "Ende", 0, "C:\\in\\e.txt", 0, "Scan", RunOutcome::EndedByUser, "", "65000", false);

    const std::string a = "\n2024-05-06 07:08:09.010  download  profile \"M\xfcller\"\n  local:  C:\\in\\a.txt\n"
                          "  remote: /a.txt\n    Tweak 00 \"Sum\": exit code 0 after 5 ms\n"
                          "  ! Tweak 02 \"Gone\": could not start: access to the program was denied (system error 5)\n";
    const std::string b = "\n2024-05-06 07:08:09.010  upload  no profile\n  local:  C:\\out\\b&c.txt\n"
                          "  remote: /b&c.txt\n    Tweak 00 \"Pdf\": skipped (filter)\n";
    const std::string c = "\n2024-05-06 07:08:10.000  download  profile \"M\xfcller\"  (ZTTrevanelCtl run)\n"
                          "  local:  C:\\in\\d.txt\n  remote: /d.txt\n    Tweak 00 \"Sum\": exit code 0 after 3 ms\n";
    const std::string head = "The run record of this Windows user: " + RunRecordFile(folder) + "\n";
    EXPECT_EQ(head + a + b + c + "\n2024-05-06 07:08:11.000  download  profile \"Ende\"\n  local:  C:\\in\\e.txt\n"
              "  remote: /e.txt\n  ! Tweak 00 \"Scan\": ended by the user after 65 s\n", Run({"history"}).out);
    EXPECT_EQ(head + a, Run({"history", "--problems", "--profile", "M\xdcLLER"}).out);
    EXPECT_EQ(head + b, Run({"history", "--profile", ""}).out);
    m_ui.SetUserUiLanguage(0x0c07);
    EXPECT_EQ("Das Protokoll dieses Windows-Benutzers: " + RunRecordFile(folder) +
                  "\n\n2024-05-06 07:08:09.010  upload  kein Profil\n  lokal:  C:\\out\\b&c.txt\n  Server: /b&c.txt\n"
                  "    Tweak 00 \"Pdf\": \xfc" "bersprungen (filter)\n",
              Run({"history", "--profile", ""}).out);
    EXPECT_NE(std::string::npos, Run({"history", "--profile", "Ende"}).out.find("nach 65 s vom Benutzer beendet"));
    m_ui.SetUserUiLanguage(0x0409);
    EXPECT_EQ("time\tprofile\ttype\tlocal\tremote\tindex\ttweak\toutcome\tdetail\tms\tfrom\ttransfer\treason\n"
              "2024-05-06 07:08:10.000\tM\xfcller\t0\tC:\\\\in\\\\d.txt\t/d.txt\t0\tSum\texit\t0\t3\trun\tdownload\t\n",
              Run({"history", "--last", "1", "--tsv", "--profile", "M\xfcller"}).out);

    // The page: newest first, in UTF-8, the host's text escaped.
    ASSERT_EQ(kCtlOk, Run({"history", "--html", "C:\\page.html"}).status);
    const std::vector<uint8_t> bytes = m_files.Get("C:\\page.html");
    const std::string page(bytes.begin(), bytes.end());
    EXPECT_LT(page.find("d.txt"), page.find("a.txt"));
    EXPECT_NE(std::string::npos, page.find("<html lang=\"en\">"));
    EXPECT_NE(std::string::npos, page.find("<td colspan=\"3\">C:\\out\\b&amp;c.txt</td>"));
    EXPECT_NE(std::string::npos, page.find("profile &quot;M\xc3\xbcller&quot;"));
    EXPECT_NE(std::string::npos, page.find("<tr class=\"problem\"><td>!</td><td>Tweak 02</td>"));

    // Switched off, run starts as before but records nothing; clear empties the record.
    PutDword(ProfileKey(kGlobalSetName), "Count", 1);
    PutTweak(ProfileKey(kGlobalSetName), 0, "G", "C:\\g.exe", "", TWEAK_APPLY_DOWNLOAD);
    ASSERT_EQ(kCtlOk, Run({"record", "off"}).status);
    Run({"run", "download", "C:\\in\\x.txt"});
    EXPECT_EQ(1u, m_launcher.ExecuteExCalls().size());
    EXPECT_EQ(5u, ReadRunRecords(folder).size());
    ASSERT_EQ(kCtlOk, Run({"record", "clear"}).status);
    EXPECT_TRUE(ReadRunRecords(folder).empty());
    EXPECT_NE(std::string::npos, Run({"record"}).out.find("The run record is off for this Windows user"));
}

TEST_F(CtlTest, UsageErrorsAndHelp) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* text;
    } cases[] = {
        {{}, kCtlUsage, "no command given"},
        {{"frobnicate"}, kCtlUsage, "unknown command"},
        {{"explain", "download"}, kCtlUsage, "takes 2 to 3 arguments, not 1"},
        {{"explain", "sideways", "C:\\a"}, kCtlUsage, "no transfer type"},
        {{"explain", "+5", "C:\\a"}, kCtlUsage, "\"+5\" is no transfer type"},
        {{"run", " 5", "C:\\a"}, kCtlUsage, "\" 5\" is no transfer type"},
        {{"show", "--profile", "a", "--profile", "b"}, kCtlUsage, "--profile given twice"},
        {{"history", "--problems", "--problems"}, kCtlUsage, "--problems given twice"},
        {{"history", "--tsv", "--html", "C:\\h.htm"}, kCtlUsage, "history takes --tsv or --html, not both"},
        {{"list", "--profile", "x"}, kCtlUsage, "list does not take --profile"},
        {{"export", "--all", "--profile", "x", "f"}, kCtlUsage, "not both"},
        {{"show", "--profile"}, kCtlUsage, "needs a profile name"},
        {{"--help"}, kCtlOk, "Usage: ZTTrevanelCtl COMMAND"},
        {{"import", "--help"}, kCtlOk, "Usage: ZTTrevanelCtl import FILE"},
        {{"import", "C:\\nowhere.reg"}, kCtlFile, "cannot read C:\\nowhere.reg"},
        {{"history", "--last", "0"}, kCtlUsage, "--last needs a number of transfers from 1 on"},
        {{"history", "--last", "-3"}, kCtlUsage, "--last needs a number of transfers from 1 on"},
        {{"history", "yesterday"}, kCtlUsage, "history takes 0 arguments, not 1"},
        {{"record", "maybe"}, kCtlUsage, "record takes on, off or clear, not \"maybe\""},
        {{"record", "off", "now"}, kCtlUsage, "record takes 0 to 1 argument"},
    };
    for (const Case& c : cases) {
        const CtlResult r = Run(c.args);
        EXPECT_EQ(r.status, c.status) << c.text;
        EXPECT_NE((r.out + r.err).find(c.text), std::string::npos) << c.text << "\n" << r.out << r.err;
    }
}
