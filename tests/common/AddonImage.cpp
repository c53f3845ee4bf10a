#include "tests/common/AddonImage.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "addon/Exports.h"

namespace addon_image {
namespace {

// i386 stdcall: every argument takes at least one 4-byte slot; pointers take exactly one.
template <typename A>
constexpr int Slot() {
    return std::is_pointer_v<A> ? 4 : static_cast<int>((sizeof(A) + 3) / 4 * 4);
}
template <typename R, typename... A>
constexpr int ArgumentBytes(R (WINAPI*)(A...)) {
    return (0 + ... + Slot<A>());
}

const int kIdOk = 1, kIdCancel = 2;
const uint32_t kWsChild = 0x40000000, kWsVisible = 0x10000000;
const uint32_t kDialogFrame = 0x80000000 /* WS_POPUP */ | 0x00C00000 /* WS_CAPTION */ |
                              0x00080000 /* WS_SYSMENU */ | 0x80 /* DS_MODALFRAME */ |
                              0x40 /* DS_SETFONT */ | 0x08 /* DS_FIXEDSYS */;

}  // namespace

#define TREVANEL_EXPORT(name, ordinal) {#name, ordinal, ArgumentBytes(&name)}

const std::vector<ExportEntry>& Exports() {
    static const std::vector<ExportEntry> exports = {
        TREVANEL_EXPORT(ZTAddOnConfigure, 1),       TREVANEL_EXPORT(ZTAddOnProfileNameChange, 2),
        TREVANEL_EXPORT(ZTAddOnProfileDeleted, 3),  TREVANEL_EXPORT(ZTAddOnName, 4),
        TREVANEL_EXPORT(ZTAddOnSessionCreate, 5),   TREVANEL_EXPORT(ZTAddOnFileDownloadedTweak, 6),
        TREVANEL_EXPORT(ZTAddOnFileUploadTweak, 7), TREVANEL_EXPORT(ZTAddOnSessionDestroy, 8),
        TREVANEL_EXPORT(ZTAddOnInstall, 9),         TREVANEL_EXPORT(ZTAddOnUninstall, 10)};
    return exports;
}

#undef TREVANEL_EXPORT

const std::vector<std::string>& SystemDlls() {
    static const std::vector<std::string> dlls = {
        "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
        "comdlg32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "version.dll"};
    return dlls;
}

const std::vector<StringEntry>& Strings() {
    static const std::vector<StringEntry> strings = {
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
        {1020, "FTP Zorvant Trevanel Add-On"},
        {1021, "Das Hilfsprogramm \"%s\" läuft noch. FTP Zorvant wartet, bis es beendet ist."},
        {1022, "Datei: %s"},
        {1023, "Laufzeit: %s"},
        {1024, "Anzeigen"},
        {1025, "Nicht mehr warten"},
        {1026, "Beenden"},
    };
    return strings;
}

const std::vector<DialogEntry>& Dialogs() {
    static const std::vector<DialogEntry> dialogs = {
        {1001, "FTP Zorvant Transfer Hilfsprogramm", 325, 174, {
            {-1, "Static", "&Liste der Hilfsprogramme", 7, 48, 179, 8},
            {1001, "ListBox", "", 7, 57, 179, 110},
            {1002, "msctls_updown32", "", 199, 117, 12, 26},
            {1003, "Button", "&Hinzufügen...", 199, 58, 54, 14},
            {1005, "Button", "&Bearbeiten...", 199, 75, 55, 14},
            {1004, "Button", "&Entfernen", 199, 92, 55, 14},
            {1006, "Button", "&Alle Entfernen", 199, 153, 55, 14},
            {kIdOk, "Button", "OK", 268, 7, 50, 14},
            {kIdCancel, "Button", "Abbrechen", 268, 23, 50, 14},
            {1000, "Button", "&Hilfe", 268, 46, 50, 14},
            {-1, "Static", "Tragen Sie hier ausführbare Hilfsprogramme (Tweaks) ein, die nach einem "
                           "Datei Upload/Download aufgerufen werden sollen.", 7, 7, 246, 16},
            {-1, "Static", "", 7, 43, 253, 1},
            {1007, "Static", "Diese Konfiguration gilt für alle FTP Zorvant Serverprofile.", 7, 31, 246, 8},
        }},
        {1003, "FTP Zorvant Trevanel Konfiguration", 321, 306, {
            {-1, "Static", "Name des &Hilfsprogramm:", 7, 48, 140, 8},
            {1009, "Edit", "", 7, 58, 113, 14},
            {1013, "Button", "&Hilfsprogramm deaktivieren", 151, 61, 103, 10},
            {-1, "Static", "&Ausführbare Datei:", 7, 75, 179, 8},
            {1010, "Edit", "", 7, 85, 179, 14},
            {1011, "Button", "&Durchsuchen...", 199, 85, 60, 14},
            {-1, "Static", "Parame&ter:", 7, 102, 179, 8},
            {1026, "Edit", "", 7, 112, 179, 14},
            {-1, "Button", "Hilfsprogramm bei folgenden Transfertypen &starten:", 7, 131, 179, 45},
            {1014, "Button", "D&ownload", 15, 141, 47, 10},
            {1015, "Button", "&Upload", 15, 153, 38, 10},
            {1023, "Button", "&Öffnen", 15, 165, 39, 10},
            {1018, "Button", "Verschieben &lokal", 95, 141, 71, 10},
            {1020, "Button", "Verschieben &Server", 95, 153, 78, 10},
            {1017, "Button", "&Ansicht", 95, 165, 39, 10},
            {-1, "Static", "&Filter:", 7, 182, 179, 8},
            {1019, "ListBox", "", 7, 192, 179, 69},
            {1025, "Edit", "", 199, 192, 50, 14},
            {1003, "Button", "&Hinzufügen", 199, 210, 55, 14},
            {1004, "Button", "&Entfernen", 199, 228, 55, 14},
            {1006, "Button", "&Alles Entfernen", 199, 246, 55, 14},
            {1027, "Button", "&Gross-/Kleinschreibung für Filter ignorieren", 7, 267, 152, 10},
            {kIdOk, "Button", "OK", 264, 7, 50, 14},
            {kIdCancel, "Button", "Abbrechen", 264, 24, 50, 14},
            {1000, "Button", "&Hilfe", 264, 47, 50, 14},
            {-1, "Static", "Konfigurieren Sie hier die verschiedenen Einstellungen für Ihre "
                           "Hilfsprogramme. Sie können bei bestimmten Ereignissen oder bestimmten "
                           "Dateien (abhängig von den Filtern) aufgerufen werden. Für weitere",
             7, 7, 233, 26},
            {-1, "Static", "", 7, 43, 242, 1},
            {-1, "Static", "Informationen zu den Optionen werfen Sie einen Blick in die Hilfe.", 7, 31, 209, 8},
            {1028, "Button", "&Bei Fehler die folgenden Hilfsprogramme nicht ausführen", 7, 282, 126, 18},
            {-1, "Static", "&Zeitlimit in Sekunden (0 = keins):", 141, 282, 80, 18},
            {1029, "Edit", "", 224, 284, 30, 14},
            {1030, "Button", "Teste&n...", 264, 284, 50, 14},
        }},
    };
    return dialogs;
}

const std::vector<std::pair<std::string, std::string>>& VersionValues() {
    static const std::vector<std::pair<std::string, std::string>> values = {
        {"StringFileInfo\\040704e4\\CompanyName", "Tarku Software"},
        {"StringFileInfo\\040704e4\\FileDescription", "FTP Zorvant Trevanel Add-On"},
        {"StringFileInfo\\040704e4\\FileVersion", "1.0.1.0"},
        {"StringFileInfo\\040704e4\\InternalName", "ZTTrevanelAddon"},
        {"StringFileInfo\\040704e4\\OriginalFilename", "ZTTrevanelAddon.dll"},
        {"StringFileInfo\\040704e4\\ProductName", "FTP Zorvant Trevanel Add-On"},
        {"StringFileInfo\\040704e4\\ProductVersion", "1.0.1.0"},
        {"VarFileInfo\\Translation", "0407 04e4"},
    };
    return values;
}

const std::vector<int>& Version() {
    static const std::vector<int> version = {1, 0, 1, 0};
    return version;
}

void ExpectDialog(const DialogEntry& want, const pe::DialogTemplate& got) {
    SCOPED_TRACE("dialog " + std::to_string(want.id));
    EXPECT_EQ(want.caption, got.caption);
    EXPECT_EQ(want.cx, got.cx);
    EXPECT_EQ(want.cy, got.cy);
    EXPECT_EQ("MS Shell Dlg", got.font);
    EXPECT_EQ(8, got.pointSize);
    EXPECT_EQ(kDialogFrame, got.style & kDialogFrame);

    ASSERT_EQ(want.items.size(), got.items.size());
    for (size_t i = 0; i < want.items.size(); ++i) {
        const DialogItemEntry& item = want.items[i];
        const pe::DialogItem& control = got.items[i];
        SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(item.id));
        EXPECT_EQ(item.id, control.id);
        EXPECT_STRCASEEQ(item.className, control.className.c_str());
        EXPECT_EQ(item.utf8, control.text);
        EXPECT_EQ(item.x, control.x);
        EXPECT_EQ(item.y, control.y);
        EXPECT_EQ(item.cx, control.cx);
        EXPECT_EQ(item.cy, control.cy);
        EXPECT_EQ(kWsChild | kWsVisible, control.style & (kWsChild | kWsVisible));
    }
}

}  // namespace addon_image
