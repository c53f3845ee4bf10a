// The add-on's own resources as Windows loads them from the DLL: the string table in code page
// 1252 and the two dialog templates.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/common/WineHarness.h"

namespace {

using wine::Cp1252;

class ModuleResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_addon = new wine::AddonCopy;
        ASSERT_NE(nullptr, s_addon->Load()) << GetLastError();
    }
    static void TearDownTestSuite() {
        delete s_addon;
        s_addon = nullptr;
    }
    static HMODULE Module() { return s_addon->Module(); }

    static wine::AddonCopy* s_addon;
};

wine::AddonCopy* ModuleResources::s_addon = nullptr;

std::string LoadStringBytes(HMODULE module, UINT id) {
    char buffer[1024];
    const int length = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

TEST_F(ModuleResources, StringTableGivesEveryTextByteForByte) {
    const struct {
        UINT id;
        const char* utf8;
    } strings[] = {
        {1000, "FTP Zorvant® Trevanel Add-On von www.trevanel.example"},
        {1001, "Fehler beim Destallieren des FTP Zorvant.\r\n\r\n"
               "FTP Zorvant konnte zur Deinstallation nicht gestartet werden."},
        {1002, "Die Konfiguration gilt nur für das ausgewählte Serverprofil."},
        {1003, "Fehler beim Öffnen der FTP Zorvant Trevanel Add-On Hilfe Datei.\r\n"
               "Bitte überprüfen Sie, ob die Datei existiert.\r\n\r\n\"%s\""},
        {1004, "Sind Sie sicher, dass Sie alle Einträge entfernen möchten?"},
        {1005, "Sind Sie sicher, den ausgewählten Eintrag löschen zu wollen?"},
        {1007, "Geben Sie dem Hilfsprogramm einen Namen"},
        {1008, "Bitte geben Sie eine ausführbare Datei für dieses Hilfsprogramm an."},
        {1009, "Fehler beim Integrieren des FTP Zorvant Quenrow Add-Ons im FTP Zorvant.\r\n\r\n"
               "Sie müssen es eventuell händisch im FTP Zorvant installieren."},
        {1010, "Sie haben möglicherweise eine zu alte FTP Zorvant Version installiert.\r\n"
               "Sie benötigen V12.0 oder höher, um FTP Zorvant Add-Ons verwenden zu können.\r\n\r\n"
               "Bitte besuchen Sie www.zorvant.example, um die aktuellste Version zu erhalten."},
        {1011, "Es konnte keine FTP Zorvant Version gefunden werden.\r\n"
               "Der FTP Zorvant ist möglicherweise nicht auf diesem Rechner\r\ninstalliert.\r\n\r\n"
               "Bitte installieren Sie den FTP Zorvant  auf diesem Rechner."},
    };
    for (const auto& string : strings) {
        EXPECT_EQ(Cp1252(string.utf8), LoadStringBytes(Module(), string.id)) << string.id;
    }
}

struct Item {
    int id;
    const char* className;
    const char* utf8;
    int x, y, cx, cy;
};

void ExpectDialog(HMODULE module, int id, const char* caption, int cx, int cy,
                  const std::vector<Item>& expected) {
    SCOPED_TRACE("dialog " + std::to_string(id));
    const auto dialog = wine::ReadDialogTemplate(module, id);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(Cp1252(caption), dialog->caption);
    EXPECT_EQ(cx, dialog->cx);
    EXPECT_EQ(cy, dialog->cy);
    EXPECT_EQ("MS Shell Dlg", dialog->font);
    EXPECT_EQ(8, dialog->pointSize);
    const DWORD frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
    EXPECT_EQ(frame, dialog->style & frame);

    ASSERT_EQ(expected.size(), dialog->items.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Item& want = expected[i];
        const wine::DialogItemInfo& got = dialog->items[i];
        SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(want.id));
        EXPECT_EQ(want.id, got.id);
        EXPECT_STRCASEEQ(want.className, got.className.c_str());
        EXPECT_EQ(Cp1252(want.utf8), got.text);
        EXPECT_EQ(want.x, got.x);
        EXPECT_EQ(want.y, got.y);
        EXPECT_EQ(want.cx, got.cx);
        EXPECT_EQ(want.cy, got.cy);
        EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE), got.style & (WS_CHILD | WS_VISIBLE));
    }
}

TEST_F(ModuleResources, TweakListTemplateHasItsControlsInTabOrder) {
    ExpectDialog(Module(), 1001, "FTP Zorvant Transfer Hilfsprogramm", 325, 174, {
        {-1, "Static", "&Liste der Hilfsprogramme", 7, 48, 80, 8},
        {1001, "ListBox", "", 7, 57, 179, 110},
        {1002, "msctls_updown32", "", 199, 117, 12, 26},
        {1003, "Button", "&Hinzufügen...", 199, 58, 54, 14},
        {1005, "Button", "&Bearbeiten...", 199, 75, 55, 14},
        {1004, "Button", "&Entfernen", 199, 92, 55, 14},
        {1006, "Button", "&Alle Entfernen", 199, 153, 55, 14},
        {IDOK, "Button", "OK", 268, 7, 50, 14},
        {IDCANCEL, "Button", "Abbrechen", 268, 23, 50, 14},
        {1000, "Button", "&Hilfe", 268, 46, 50, 14},
        {-1, "Static", "Tragen Sie hier ausführbare Hilfsprogramme (Tweaks) ein, die nach einem "
                       "Datei Upload/Download aufgerufen werden sollen.", 7, 7, 246, 16},
        {-1, "Static", "", 7, 43, 253, 1},
        {1007, "Static", "Diese Konfiguration gilt für alle FTP Zorvant Serverprofile.", 7, 31, 246, 8},
    });
}

TEST_F(ModuleResources, TweakEditorTemplateHasItsControlsInTabOrder) {
    ExpectDialog(Module(), 1003, "FTP Zorvant Trevanel Konfiguration", 321, 284, {
        {-1, "Static", "Name des &Hilfsprogramm:", 7, 48, 82, 8},
        {1009, "Edit", "", 7, 58, 113, 14},
        {1013, "Button", "&Hilfsprogramm deaktivieren", 151, 61, 103, 10},
        {-1, "Static", "&Ausführbare Datei:", 7, 75, 62, 8},
        {1010, "Edit", "", 7, 85, 179, 14},
        {1011, "Button", "&Durchsuchen...", 199, 85, 60, 14},
        {-1, "Static", "Parame&ter:", 7, 102, 37, 8},
        {1026, "Edit", "", 7, 112, 179, 14},
        {-1, "Button", "Hilfsprogramm bei folgenden Transfertypen &starten:", 7, 131, 179, 45},
        {1014, "Button", "D&ownload", 15, 141, 47, 10},
        {1015, "Button", "&Upload", 15, 153, 38, 10},
        {1023, "Button", "&Öffnen", 15, 165, 39, 10},
        {1018, "Button", "Verschieben &lokal", 95, 141, 71, 10},
        {1020, "Button", "Verschieben &Server", 95, 153, 78, 10},
        {1017, "Button", "&Ansicht", 95, 165, 39, 10},
        {-1, "Static", "&Filter:", 7, 182, 20, 8},
        {1019, "ListBox", "", 7, 192, 179, 69},
        {1025, "Edit", "", 199, 192, 50, 14},
        {1003, "Button", "&Hinzufügen", 199, 210, 55, 14},
        {1004, "Button", "&Entfernen", 199, 228, 55, 14},
        {1006, "Button", "&Alles Entfernen", 199, 246, 55, 14},
        {1027, "Button", "&Gross-/Kleinschreibung für Filter ignorieren", 7, 267, 152, 10},
        {IDOK, "Button", "OK", 264, 7, 50, 14},
        {IDCANCEL, "Button", "Abbrechen", 264, 24, 50, 14},
        {1000, "Button", "&Hilfe", 264, 47, 50, 14},
        {-1, "Static", "Konfigurieren Sie hier die verschiedenen Einstellungen für Ihre "
                       "Hilfsprogramme. Sie können bei bestimmten Ereignissen oder bestimmten "
                       "Dateien (abhängig von den Filtern) aufgerufen werden. Für weitere",
         7, 7, 233, 26},
        {-1, "Static", "", 7, 43, 242, 1},
        {-1, "Static", "Informationen zu den Optionen werfen Sie einen Blick in die Hilfe.", 7, 31, 209, 8},
    });
}

}  // namespace
