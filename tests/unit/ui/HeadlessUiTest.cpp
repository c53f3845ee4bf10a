// The headless stand-ins where the dialogs rely on the platform's own behaviour: the order of a
// sorted list box and its case-insensitive exact find, and the texts read from the script.
#include "platform/Dialog.h"
#include "platform/ListBox.h"
#include "tests/unit/ui/UiFixture.h"

namespace {

using Rows = std::vector<std::string>;

// A dialog that only gives a test its filter list box.
class ListProbe : public CDialog {
public:
    ListProbe() : CDialog(IDD_TWEAKINFO_DIALOG) {}
    CListBox m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_LIST_FILTERS, m_list); }
};

class HeadlessUiTest : public UiTest {};

TEST_F(HeadlessUiTest, SortedListOrdersWithoutCaseWithUmlautsBesideTheirBaseLetter) {
    ListProbe probe;
    m_ui.QueueDriver([&](HeadlessDialog& d) {
        for (const char* text : {"zeta", "\xDC" "ber", "apfel", "Ubung", "B\xE4r", "bar", "*.txt", "10"}) {
            probe.m_list.AddString(text);
        }
        EXPECT_EQ(d.Rows(IDC_LIST_FILTERS),
                  (Rows{"*.txt", "10", "apfel", "bar", "B\xE4r", "\xDC" "ber", "Ubung", "zeta"}));
        EXPECT_EQ(probe.m_list.FindStringExact(-1, "UBUNG"), 6);
        EXPECT_EQ(probe.m_list.FindStringExact(-1, "\xFC" "ber"), 5);
        EXPECT_EQ(probe.m_list.FindStringExact(-1, "uber"), LB_ERR) << "an umlaut is not its base letter";
        // From a start row the search runs to the end and round to the top.
        EXPECT_EQ(probe.m_list.FindStringExact(6, "APFEL"), 2);
        d.PressEscape();
    });
    EXPECT_EQ(probe.DoModal(), IDCANCEL);
}

TEST_F(HeadlessUiTest, ScriptTextsArriveInCodePage1252WithTheirLineBreaksAndQuotes) {
    const std::map<unsigned, std::string>& strings = m_ui.Script().Strings();
    EXPECT_EQ(strings.at(IDS_ADDON_NAME), "FTP Zorvant\xAE Trevanel Add-On von www.trevanel.example");
    EXPECT_EQ(strings.at(IDS_HELP_FILE_ERROR).substr(strings.at(IDS_HELP_FILE_ERROR).size() - 8),
              "\r\n\r\n\"%s\"");
    EXPECT_EQ(strings.count(1006), 0u);
    const DialogTemplate* list = m_ui.Script().FindDialog(IDD_ZTTREVANEL_DIALOG);
    ASSERT_NE(list, nullptr);
    std::vector<int> ids;
    for (const ControlTemplate& c : list->controls) ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{-1, 1001, 1002, 1003, 1005, 1004, 1006, 1, 2, 1000, -1, -1, 1007}));
    EXPECT_EQ(list->controls[3].text, "&Hinzuf\xFCgen...");
}

}  // namespace
