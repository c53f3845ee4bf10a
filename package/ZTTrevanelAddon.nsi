; The setup program of the add-on. It installs the staged package into a folder of the user's
; choice, writes the entry in the system's list of installed programs, and registers the add-on
; through the add-on's own install export, which lets the user set up the global tweaks and then
; starts FTP Zorvant with -installaddon. The uninstaller goes the same way back.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=1.0.1.0 -DFILES=<file list .nsh>
;          -DICON=<add-on icon> -DOUTFILE=<setup.exe> [-DARCH=x64] ZTTrevanelAddon.nsi
; ARCH=x64 makes the setup of the x64 twin, a 64-bit program that installs below the 64-bit Program
; Files, for testing where 32-bit programs cannot run. What is shipped is the 32-bit setup.
; FILES defines the macros InstallFiles and UninstallFiles of the staged files (cmake/Package.cmake).
; Switches of the setup: /S (quiet: no window, files and uninstall entry only), /D=<folder> (last).
; Its exit status: 0 installed, 1 cancelled, 2 a folder the add-on cannot receive (quiet), 3 files
; of the add-on in use, nothing changed (quiet).
; Switches of the uninstaller: /S (quiet), /REMOVETWEAKS (the stored tweaks of all users go too).
; Its exit status (seen with _?=<folder>, since it otherwise goes on from a copy of itself):
; 0 removed, 2 kept at the user's word, 3 removed but FTP Zorvant could not be told, 4 removed, and
; FTP Zorvant was started with the uninstaller's administrator rights to be told (no desktop shell
; answered and Windows gave no standard user's start), 3010 removed, with files still in use left
; to the next restart.
!ifndef ARCH
    !define ARCH win32
!endif
!if "${ARCH}" == "x64"
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else
    Unicode true
    !define PROGRAM_FILES "$PROGRAMFILES32"
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include ${FILES}

!define PRODUCT "FTP Zorvant Trevanel Add-On"
!define PUBLISHER "Tarku Software"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\ZTTrevanelAddon"
!define TWEAKS_KEY ".DEFAULT\Software\Tarku Software\FTP Zorvant Trevanel"
!define ADDON_DLL "ZTTrevanelAddon.dll"
; The Start-menu folder, for all users; its entry shows each user the run record of their own.
!define STARTMENU "$SMPROGRAMS\FTP Zorvant Trevanel"
!define RECORD_EXE "ZTTrevanelRecord.exe"
; What the add-on keeps for each Windows user: the run record and the user's own settings.
!define USER_KEY "Software\Tarku Software\FTP Zorvant Trevanel"
!define USER_DATA "$LOCALAPPDATA\Tarku Software\FTP Zorvant Trevanel"

; Empty, or what the finish page adds: FTP Zorvant runs with administrator rights, and why.
Var HostNote
Var FinishText

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Below the 32-bit Program Files: the add-on is a 32-bit DLL of a 32-bit host. An update finds the
; folder of the installation it replaces.
InstallDir "${PROGRAM_FILES}\FTP Zorvant Add-Ons\Trevanel"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The finish page says what became of the registration, in words that fit its page.
!define MUI_FINISHPAGE_TITLE "$(FinishTitle)"
!define MUI_FINISHPAGE_TEXT "$FinishText$HostNote"
; Room for the note of a host started with the setup's rights, under a long folder's name.
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION OpenHelpAsUser
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(OpenHelp)"

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolderPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

; The page's own label ("Uninstalling from:") is wider than its room.
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "$(UnFolderLabel)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "$(UnFinishTitle)"
!define MUI_FINISHPAGE_TEXT "$(MUI_UNTEXT_FINISH_INFO_TEXT)$HostNote"
!insertmacro MUI_UNPAGE_FINISH

; The first language is the one for users whose language is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString FinishTitle ${LANG_ENGLISH} "Setup complete"
LangString FinishTitle ${LANG_GERMAN} "Setup abgeschlossen"
LangString UnFinishTitle ${LANG_ENGLISH} "Removal complete"
LangString UnFinishTitle ${LANG_GERMAN} "Entfernen abgeschlossen"
LangString FinishRegistered ${LANG_ENGLISH} "The add-on is installed, and FTP Zorvant was started to register it."
LangString FinishRegistered ${LANG_GERMAN} "Das Add-On ist installiert, und FTP Zorvant wurde gestartet, um es einzubinden."
LangString FinishCancelled ${LANG_ENGLISH} "The files are installed, but the add-on is NOT registered with FTP Zorvant: the tweak list was cancelled.$\r$\n$\r$\nRun this setup again and confirm the tweak list with OK."
LangString FinishCancelled ${LANG_GERMAN} "Die Dateien sind installiert, aber das Add-On ist NICHT im FTP Zorvant eingebunden: Die Liste der Hilfsprogramme wurde abgebrochen.$\r$\n$\r$\nFühren Sie dieses Setup noch einmal aus und bestätigen Sie die Liste mit OK."
LangString FinishNotRegistered ${LANG_ENGLISH} "The files are installed, but the add-on is NOT registered with FTP Zorvant (see the message before).$\r$\n$\r$\nRun this setup again once FTP Zorvant can be started."
LangString FinishNotRegistered ${LANG_GERMAN} "Die Dateien sind installiert, aber das Add-On ist NICHT im FTP Zorvant eingebunden (siehe die Meldung zuvor).$\r$\n$\r$\nFühren Sie dieses Setup noch einmal aus, sobald FTP Zorvant gestartet werden kann."
LangString OpenHelp ${LANG_ENGLISH} "Open the help"
LangString OpenHelp ${LANG_GERMAN} "Hilfe öffnen"
LangString HelpPage ${LANG_ENGLISH} "ZTTrevanelAddOn-en.htm"
LangString HelpPage ${LANG_GERMAN} "ZTTrevanelAddOn.htm"
LangString HelpNotOpened ${LANG_ENGLISH} "The help could not be opened as the signed-in user, and this setup opens nothing with administrator rights. You find the help here:$\r$\n$\r$\n$R7"
LangString HelpNotOpened ${LANG_GERMAN} "Die Hilfe konnte nicht als angemeldeter Benutzer geöffnet werden, und dieses Setup öffnet nichts mit Administratorrechten. Sie finden die Hilfe hier:$\r$\n$\r$\n$R7"
LangString Registering ${LANG_ENGLISH} "Setting up the global tweaks and registering the add-on with FTP Zorvant..."
LangString Registering ${LANG_GERMAN} "Globale Hilfsprogramme einrichten und Add-On im FTP Zorvant einbinden..."
LangString QuietNotRegistered ${LANG_ENGLISH} "Quiet installation: the add-on is not registered with FTP Zorvant (the tweak list needs a person)."
LangString QuietNotRegistered ${LANG_GERMAN} "Stille Installation: Das Add-On wird nicht im FTP Zorvant eingebunden (die Liste der Hilfsprogramme braucht einen Menschen)."
LangString NoAnsiFolder ${LANG_ENGLISH} "FTP Zorvant passes folder names to its add-ons in the system's code page. Please choose a folder whose name has no characters outside it."
LangString NoAnsiFolder ${LANG_GERMAN} "FTP Zorvant übergibt seinen Add-Ons Ordnernamen in der Codepage des Systems. Bitte wählen Sie einen Ordner, dessen Name keine Zeichen außerhalb davon enthält."
LangString FilesInUse ${LANG_ENGLISH} "The add-on is in use: $R6 cannot be replaced now. Please close FTP Zorvant (and the add-on's programs), then click Next again."
LangString FilesInUse ${LANG_GERMAN} "Das Add-On ist in Gebrauch: $R6 kann jetzt nicht ersetzt werden. Bitte schließen Sie den FTP Zorvant (und die Programme des Add-Ons) und klicken Sie dann noch einmal auf Weiter."
LangString RecordEntry ${LANG_ENGLISH} "What the tweaks did"
LangString RecordEntry ${LANG_GERMAN} "Was die Hilfsprogramme taten"
LangString UnFolderLabel ${LANG_ENGLISH} "Folder:"
LangString UnFolderLabel ${LANG_GERMAN} "Ordner:"
LangString UnFilesSection ${LANG_ENGLISH} "Add-on and registration"
LangString UnFilesSection ${LANG_GERMAN} "Add-On und Einbindung"
LangString UnFilesDescription ${LANG_ENGLISH} "The add-on's files, its entry in FTP Zorvant, and your own run record and settings."
LangString UnFilesDescription ${LANG_GERMAN} "Die Dateien des Add-Ons, sein Eintrag im FTP Zorvant und Ihr eigenes Protokoll und Ihre Einstellungen."
LangString UnTweaksSection ${LANG_ENGLISH} "Stored tweaks"
LangString UnTweaksSection ${LANG_GERMAN} "Alle Hilfsprogramme"
LangString UnTweaksDescription ${LANG_ENGLISH} "all users' tweaks on this computer: the tweak configuration is stored once for every user. Other users' run records and settings stay."
LangString UnTweaksDescription ${LANG_GERMAN} "Die Hilfsprogramme aller Benutzer dieses Computers: die Konfiguration ist für alle Benutzer dieselbe. Protokolle und Einstellungen anderer Benutzer bleiben."
LangString UnHostNotTold ${LANG_ENGLISH} "FTP Zorvant could not be told that the add-on goes (it could not be started, or its version is too old). It keeps the add-on in its list and may miss ZTTrevanelAddon.dll at its next start; remove the add-on there by hand.$\r$\n$\r$\nRemove the add-on's files anyway?"
LangString UnHostNotTold ${LANG_GERMAN} "Dem FTP Zorvant konnte nicht mitgeteilt werden, dass das Add-On entfernt wird (er ließ sich nicht starten, oder seine Version ist zu alt). Er behält das Add-On in seiner Liste und vermisst ZTTrevanelAddon.dll womöglich beim nächsten Start; entfernen Sie das Add-On dort von Hand.$\r$\n$\r$\nDie Dateien des Add-Ons trotzdem entfernen?"
LangString UnHostNotToldDetail ${LANG_ENGLISH} "FTP Zorvant could not be told that the add-on goes."
LangString UnHostNotToldDetail ${LANG_GERMAN} "Dem FTP Zorvant konnte nicht mitgeteilt werden, dass das Add-On entfernt wird."
LangString HostElevated ${LANG_ENGLISH} "FTP Zorvant was started with this setup's administrator rights (no desktop shell answered), and so is every tweak it runs: close it and start it again yourself."
LangString HostElevated ${LANG_GERMAN} "FTP Zorvant wurde mit den Administratorrechten dieses Setups gestartet (keine Desktop-Shell antwortete), ebenso jedes seiner Hilfsprogramme: Schließen Sie ihn und starten Sie ihn selbst."
LangString UnRemovedAtRestart ${LANG_ENGLISH} "Still in use, removed at the next restart:"
LangString UnRemovedAtRestart ${LANG_GERMAN} "Noch in Gebrauch, wird beim nächsten Neustart entfernt:"

; The add-on's exports take 8-bit strings in the system's code page, so the folder goes as "m".
; A folder name without that form would reach the add-on garbled: the way there and back through
; the code page must give the same name. Sets the error flag for such a folder.
Function CheckAnsiFolder
    StrCpy $0 $INSTDIR
    System::Call 'kernel32::lstrcpynA(m .r1, m r0, i ${NSIS_MAX_STRLEN}) p'
    ClearErrors
    StrCmpS $1 $INSTDIR +2
    SetErrors
FunctionEnd

; An update replaces the add-on's DLL and programs, which FTP Zorvant or a user may hold open;
; one of them replaced while the rest stays would mix two versions, and the uninstall entry would
; name one that is not installed. Sets $R6 to the first installed file that cannot be written now,
; else to "".
!macro CheckFileFree name
    ${If} $R6 == ""
    ${AndIf} ${FileExists} "$INSTDIR\${name}"
        ClearErrors
        FileOpen $R5 "$INSTDIR\${name}" a
        ${If} ${Errors}
            StrCpy $R6 "$INSTDIR\${name}"
        ${Else}
            FileClose $R5
        ${EndIf}
    ${EndIf}
!macroend
Function FindFilesInUse
    StrCpy $R6 ""
    !insertmacro CheckFileFree "${ADDON_DLL}"
    !insertmacro CheckFileFree "${RECORD_EXE}"
    !insertmacro CheckFileFree "ZTTrevanelCtl.exe"
    !insertmacro CheckFileFree "Uninstall.exe"
FunctionEnd

Function CheckFolderPage
    Call CheckAnsiFolder
    ${If} ${Errors}
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(NoAnsiFolder)"
        Abort
    ${EndIf}
    Call FindFilesInUse
    ${If} $R6 != ""
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(FilesInUse)"
        Abort
    ${EndIf}
FunctionEnd

; A quiet setup gets its folder from /D= and has no page to refuse it on: it ends with code 2; with
; files of the add-on in use it changes nothing and ends with code 3.
Function .onInit
    ${If} ${Silent}
        Call CheckAnsiFolder
        ${If} ${Errors}
            SetErrorLevel 2
            Quit
        ${EndIf}
        Call FindFilesInUse
        ${If} $R6 != ""
            SetErrorLevel 3
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

; Loads the installed add-on by its path and finds one of its exports: $R8 the module, $R9 the
; export's address, both 0 when missing. The path goes to the plug-in as a value, never inside
; the call text, which cannot hold every character a folder name may have: "(" ends the
; function's name there, and "Program Files (x86)" is where a 32-bit setup installs.
!macro LoadAddonExport export
    StrCpy $R7 "$INSTDIR\${ADDON_DLL}"
    System::Call 'kernel32::LoadLibraryW(w R7) p.R8'
    StrCpy $R9 0
    ${If} $R8 P<> 0
        System::Call 'kernel32::GetProcAddress(p R8, m "${export}") p.R9'
    ${EndIf}
!macroend

; A folder that the setup makes, or that holds the add-on's own earlier installation, gets the
; rights of Program Files, wherever it lies: the system and administrators change it, users read
; and run. Everything in it inherits them. Otherwise any user could replace the DLL that every
; user's FTP Zorvant loads, or the uninstaller that the list of installed programs runs elevated.
; Any other folder that exists (/D= may name one with the user's own files) keeps its rights.
!define FOLDER_RIGHTS "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
LangString NoFolderRights ${LANG_ENGLISH} "The rights of the folder could not be set (error $R4); users other than administrators may be able to change its files."
LangString NoFolderRights ${LANG_GERMAN} "Die Rechte des Ordners konnten nicht gesetzt werden (Fehler $R4); auch andere Benutzer als Administratoren können seine Dateien womöglich ändern."
Function SetFolderRights
    ${If} ${FileExists} "$INSTDIR\*.*"
        ReadRegStr $R7 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $R7 != $INSTDIR
        ${OrIfNot} ${FileExists} "$INSTDIR\${ADDON_DLL}"
            Return
        ${EndIf}
    ${EndIf}
    CreateDirectory "$INSTDIR"
    StrCpy $R7 $INSTDIR
    StrCpy $R4 -1
    System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${FOLDER_RIGHTS}", i 1, *p .R5, p 0) i.R3'
    ${If} $R3 <> 0
        System::Call 'advapi32::GetSecurityDescriptorDacl(p R5, *i .R3, *p .R2, *i .R1) i.R3'
        ; SE_FILE_OBJECT; DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
        System::Call 'advapi32::SetNamedSecurityInfoW(w R7, i 1, i 0x80000004, p 0, p 0, p R2, p 0) i.R4'
        System::Call 'kernel32::LocalFree(p R5)'
    ${EndIf}
    ${If} $R4 <> 0
        DetailPrint "$(NoFolderRights)"
    ${EndIf}
FunctionEnd

; The finish page's help. The setup runs elevated, so a browser that it started would run with
; administrator rights, and so would whatever a page starts. The add-on's program opens it as the
; user signed in at the desktop, by the road on which the add-on starts FTP Zorvant, or not at all;
; then the user is told where the help is.
Function OpenHelpAsUser
    StrCpy $R7 "$INSTDIR\Help\$(HelpPage)"
    ClearErrors
    ExecWait '"$INSTDIR\${RECORD_EXE}" --open-as-user "$R7"' $R6
    ${If} ${Errors}
    ${OrIf} $R6 <> 0
        MessageBox MB_OK|MB_ICONINFORMATION "$(HelpNotOpened)" /SD IDOK
    ${EndIf}
FunctionEnd

; Deletes one installed file; one that is in use goes at the next restart, and the details and
; the finish page say so.
!macro RemoveInstalledFile path
    ClearErrors
    Delete "${path}"
    ${If} ${Errors}
        Delete /REBOOTOK "${path}"
        DetailPrint "$(UnRemovedAtRestart) ${path}"
    ${EndIf}
!macroend

Section "-Add-on"
    ; Until the add-on says it registered itself (or the tweak list was cancelled).
    StrCpy $FinishText "$(FinishNotRegistered)"
    Call SetFolderRights
    SetOutPath "$INSTDIR"
    !insertmacro InstallFiles
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    SetShellVarContext all
    CreateDirectory "${STARTMENU}"
    CreateShortCut "${STARTMENU}\$(RecordEntry).lnk" "$INSTDIR\${RECORD_EXE}"
    SetShellVarContext current

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${ADDON_DLL},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; The add-on registers itself: its tweak list first, then FTP Zorvant with -installaddon.
    ${If} ${Silent}
        DetailPrint "$(QuietNotRegistered)"
    ${Else}
        DetailPrint "$(Registering)"
        ; The add-on stays loaded until the setup ends.
        !insertmacro LoadAddonExport ZTAddOnInstall
        ${If} $R9 P<> 0
            StrCpy $R7 $INSTDIR
            System::Call 'kernel32::SetEnvironmentVariableW(w "TREVANEL_SETUP", w "interactive")'
            System::Call "::$R9(m R7)"
            ReadEnvStr $0 TREVANEL_SETUP_OUTCOME
            ${If} $0 == "host-started"
            ${OrIf} $0 == "host-started-elevated"
                StrCpy $FinishText "$(FinishRegistered)"
            ${ElseIf} $0 == "not-confirmed"
                StrCpy $FinishText "$(FinishCancelled)"
            ${EndIf}
            ${If} $0 == "host-started-elevated"
                StrCpy $HostNote "$\r$\n$\r$\n$(HostElevated)"
                DetailPrint "$(HostElevated)"
            ${EndIf}
        ${EndIf}
    ${EndIf}
SectionEnd

Section "un.$(UnFilesSection)" UnFiles
    SectionIn RO
    ; Removed from FTP Zorvant first, while the DLL is still there for it to name.
    ; The add-on shows no window here, since the uninstaller asks itself (and a quiet one asks
    ; nothing), and says what it did.
    !insertmacro LoadAddonExport ZTAddOnUninstall
    StrCpy $0 ""
    ${If} $R9 P<> 0
        System::Call 'kernel32::SetEnvironmentVariableW(w "TREVANEL_SETUP", w "silent")'
        System::Call "::$R9(i 0, i 0) i.r1"
        ReadEnvStr $0 TREVANEL_SETUP_OUTCOME
    ${EndIf}
    ; Unloaded before it is deleted.
    ${If} $R8 P<> 0
        System::Call 'kernel32::FreeLibrary(p R8)'
    ${EndIf}
    ; Without the host there is nobody to tell. A host that is there but was not told keeps
    ; pointing at the DLL: the user decides, a quiet run goes on and says so.
    ${If} $0 == "host-started-elevated"
        StrCpy $HostNote "$\r$\n$\r$\n$(HostElevated)"
        DetailPrint "$(HostElevated)"
        SetErrorLevel 4
    ${EndIf}
    ${If} $0 != "host-started"
    ${AndIf} $0 != "host-started-elevated"
    ${AndIf} $0 != "no-host"
        DetailPrint "$(UnHostNotToldDetail)"
        ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONEXCLAMATION "$(UnHostNotTold)" /SD IDYES IDNO`
            Abort
        ${EndIf}
        SetErrorLevel 3
    ${EndIf}
    !insertmacro UninstallFiles
    Delete "$INSTDIR\Uninstall.exe"
    ; The entry under either language's name: the setup may have spoken the other one.
    SetShellVarContext all
    Delete "${STARTMENU}\What the tweaks did.lnk"
    Delete "${STARTMENU}\Was die Hilfsprogramme taten.lnk"
    RMDir "${STARTMENU}"
    SetShellVarContext current
    ; A file left to the restart takes its folder with it then.
    ${If} ${RebootFlag}
        RMDir /REBOOTOK "$INSTDIR"
    ${Else}
        RMDir "$INSTDIR"
    ${EndIf}
    ; The folder above, "FTP Zorvant Add-Ons" where the setup made it, when nothing else is in it.
    RMDir "$INSTDIR\.."
    ; What the add-on kept for the user who uninstalls; other users' stay (the uninstaller cannot
    ; reach their profiles).
    SetShellVarContext current
    Delete "${USER_DATA}\Runs.log"
    Delete "${USER_DATA}\Runs.previous.log"
    Delete "${USER_DATA}\Runs.htm"
    ; left by earlier versions, which kept declined profile changes
    Delete "${USER_DATA}\Profile Changes.lock"
    RMDir "${USER_DATA}"
    RMDir "${USER_DATA}\.."
    DeleteRegKey HKCU "${USER_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Tarku Software"
SectionEnd

Section /o "un.$(UnTweaksSection)" UnTweaks
    DeleteRegKey HKU "${TWEAKS_KEY}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${UnFiles} "$(UnFilesDescription)"
    !insertmacro MUI_DESCRIPTION_TEXT ${UnTweaks} "$(UnTweaksDescription)"
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

; The entry leaves the list of installed programs once everything chosen has been removed.
Function un.onUninstSuccess
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    GetErrorLevel $1
    ${If} ${RebootFlag}
    ${AndIf} $1 != 3
    ${AndIf} $1 != 4
        SetErrorLevel 3010
    ${EndIf}
FunctionEnd

Function un.onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVETWEAKS" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${UnTweaks}
    ${EndIf}
FunctionEnd
