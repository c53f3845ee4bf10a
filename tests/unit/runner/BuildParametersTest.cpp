// The parameter line of a tweak for one transfer.
#include <gtest/gtest.h>

#include "config/TweakInfo.h"

namespace {

TEST(BuildParameters, ReplacesBothPlaceholders) {
    struct Row {
        const char* parameters;
        const char* local;
        const char* remote;
        const char* expected;
    } rows[] = {
        {"\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\"", "C:\\in\\a.txt", "/pub/a.txt",
         "\"C:\\in\\a.txt\" \"/pub/a.txt\""},
        {"%LOCAL_FILE_PATH% %LOCAL_FILE_PATH%", "C:\\a", "/r", "C:\\a C:\\a"},
        {"%LOCAL_FILE_PATH%%LOCAL_FILE_PATH%", "x", "/r", "xx"},
        {"%%LOCAL_FILE_PATH%%", "x", "/r", "%x%"},
        {"%local_file_path% %Remote_File_Path%", "C:\\a", "/r", "%local_file_path% %Remote_File_Path%"},
        {"-v --fast", "C:\\a", "/r", "-v --fast"},
        {"", "C:\\a", "/r", ""},
        // A path with a blank outside quotes gets quotes of its own, as the C runtime reads them.
        {"%LOCAL_FILE_PATH%", "C:\\My Files\\a b.txt", "/r", "\"C:\\My Files\\a b.txt\""},
        {"--out=%REMOTE_FILE_PATH% \"%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/my\tdir\\", "--out=\"/pub/my\tdir\\\\\" \"/pub/my\tdir\\\""},
        // What the local path brings in is searched for the remote placeholder, not the reverse.
        {"%LOCAL_FILE_PATH%", "C:\\%REMOTE_FILE_PATH%.txt", "/r", "C:\\/r.txt"},
        {"%REMOTE_FILE_PATH%", "C:\\a", "/%LOCAL_FILE_PATH%", "/%LOCAL_FILE_PATH%"},
        // A local path that holds its own placeholder is not expanded again.
        {"%LOCAL_FILE_PATH%", "%LOCAL_FILE_PATH%", "/r", "%LOCAL_FILE_PATH%"},
        {"<%LOCAL_FILE_PATH%><%REMOTE_FILE_PATH%>", nullptr, nullptr, "<><>"},
        {"%LOCAL_FILE_PATH%", "", "/r", ""},
    };
    for (const Row& row : rows) {
        CTweakInfo tweak;
        tweak.m_strParameters = row.parameters;
        EXPECT_EQ(row.expected, tweak.BuildParameters(row.local, row.remote)) << row.parameters;
        EXPECT_EQ(row.parameters, tweak.m_strParameters);
    }
}

}  // namespace
