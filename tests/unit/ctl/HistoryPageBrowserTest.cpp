// The run record's page as a real browser reads it: headless chromium (Debian's, installed by
// scripts/setup.sh) parses the page that history --html writes for a known history, and the text
// of its document holds every record, the problems marked, and names with markup characters as
// they are, not as markup.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "ctl/RunHistory.h"

namespace {

RunRecord Record(const std::string& local, size_t index, const std::string& name, RunOutcome outcome,
                 const std::string& detail) {
    RunRecord r;
    r.time = "2026-12-08 14:03:07.250";
    r.profile = "Q&A <Server> \"1\"";
    r.localPath = local;
    r.remotePath = "/pub/" + local.substr(local.rfind('\\') + 1);
    r.index = index;
    r.name = name;
    r.outcome = outcome;
    r.detail = detail;
    r.duration = outcome == RunOutcome::Exit ? "42" : "";
    return r;
}

// The document as the browser built it, one line per table row with its cells separated by tabs:
// tags dropped, the entities that serialising text needs turned back into characters.
std::string ShownText(const std::string& dom) {
    std::string text;
    for (size_t i = 0; i < dom.size();) {
        if (dom[i] == '<') {
            const size_t end = dom.find('>', i);
            const std::string tag = dom.substr(i, end - i + 1);
            if (tag == "</td>" || tag == "</th>") text += '\t';
            if (tag == "</tr>" || tag == "</caption>" || tag == "</p>" || tag == "</h1>") text += '\n';
            i = end + 1;
            continue;
        }
        bool entity = false;
        for (const auto& e : {std::make_pair("&amp;", '&'), std::make_pair("&lt;", '<'), std::make_pair("&gt;", '>'),
                              std::make_pair("&quot;", '"'), std::make_pair("&nbsp;", ' ')}) {
            if (dom.compare(i, std::string(e.first).size(), e.first) == 0) {
                text += e.second;
                i += std::string(e.first).size();
                entity = true;
                break;
            }
        }
        // Line breaks between the page's elements are layout of the source only.
        if (!entity && dom[i] != '\n') text += dom[i];
        if (!entity) ++i;
    }
    return text;
}

}  // namespace

TEST(HistoryPageBrowser, ShowsEveryRecordWithProblemsMarkedAndMarkupCharactersAsText) {
    if (std::system("command -v chromium >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "chromium is not installed (scripts/setup.sh installs it)";
    const std::string first = "C:\\in\\<b>bold</b> & \"quoted\".txt";
    const std::string second = "C:\\in\\a&amp;b.txt";
    const std::vector<RunRecord> records = {
        Record(first, 0, "Sum <script>alert(1)</script>", RunOutcome::Exit, "0"),
        Record(first, 1, "Scan & \"check\"", RunOutcome::NotStarted, "2"),
        Record(first, 2, "Zip", RunOutcome::Skipped, "filter"),
        Record(second, 0, "Sum <script>alert(1)</script>", RunOutcome::Exit, "3"),
    };
    const std::string page = HistoryPage(SelectTransfers(records, HistoryQuery()), "C:\\Users\\me\\Runs.log", true, false);
    const std::string file = testing::TempDir() + "trevanel-history-page.html";
    std::ofstream(file, std::ios::binary) << page;
    const std::string dump = file + ".dom";
    const std::string command = "chromium --headless --no-sandbox --disable-gpu --dump-dom 'file://" + file + "' >'" +
                                dump + "' 2>/dev/null";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
    std::stringstream dom;
    dom << std::ifstream(dump, std::ios::binary).rdbuf();
    std::remove(file.c_str());
    std::remove(dump.c_str());
    // No name became an element: the browser holds them as text.
    ASSERT_NE(std::string::npos, dom.str().find("<table")) << dom.str();
    for (const char* element : {"<b>", "<script>alert"}) EXPECT_EQ(std::string::npos, dom.str().find(element)) << dom.str();

    const std::string shown = ShownText(dom.str());
    const std::string heading = "2026-12-08 14:03:07.250  download  profile \"Q&A <Server> \"1\"\"\n";
    // Newest transfer first; a problem row starts with "!".
    const std::string expected = heading + "local\t" + second + "\t\nremote\t/pub/a&amp;b.txt\t\n" +
                                 "!\tTweak 00\tSum <script>alert(1)</script>\texit code 3 after 42 ms\t\n" + heading +
                                 "local\t" + first + "\t\nremote\t/pub/<b>bold</b> & \"quoted\".txt\t\n" +
                                 "\tTweak 00\tSum <script>alert(1)</script>\texit code 0 after 42 ms\t\n" +
                                 "!\tTweak 01\tScan & \"check\"\tcould not start: the program file was not found (system error 2)\t\n" +
                                 "\tTweak 02\tZip\tskipped (filter)\t\n";
    EXPECT_NE(std::string::npos, shown.find(expected)) << shown;
}
