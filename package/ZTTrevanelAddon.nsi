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
; Switches of the uninstaller: /S (quiet), /REMOVETWEAKS (the stored tweaks go too).
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
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Help\ZTTrevanelAddOn.htm"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(OpenHelp)"
!define MUI_UNCOMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolderPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH

; The first language is the one for users whose language is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString FinishText ${LANG_ENGLISH} "The add-on is installed in $INSTDIR.$\r$\n$\r$\nIf you confirmed the tweak list with OK, FTP Zorvant was started to register the add-on. If you cancelled the tweak list, the files are installed but the add-on is not registered with FTP Zorvant: run this setup again and confirm the tweak list with OK."
LangString FinishText ${LANG_GERMAN} "Das Add-On ist in $INSTDIR installiert.$\r$\n$\r$\nWenn Sie die Liste der Hilfsprogramme mit OK bestätigt haben, wurde FTP Zorvant gestartet, um das Add-On einzubinden. Wenn Sie sie abgebrochen haben, sind die Dateien installiert, aber das Add-On ist nicht im FTP Zorvant eingebunden: Starten Sie dieses Setup noch einmal und bestätigen Sie die Liste mit OK."
LangString OpenHelp ${LANG_ENGLISH} "Open the help"
LangString OpenHelp ${LANG_GERMAN} "Hilfe öffnen"
LangString Registering ${LANG_ENGLISH} "Setting up the global tweaks and registering the add-on with FTP Zorvant..."
LangString Registering ${LANG_GERMAN} "Globale Hilfsprogramme einrichten und Add-On im FTP Zorvant einbinden..."
LangString QuietNotRegistered ${LANG_ENGLISH} "Quiet installation: the add-on is not registered with FTP Zorvant (the tweak list needs a person)."
LangString QuietNotRegistered ${LANG_GERMAN} "Stille Installation: Das Add-On wird nicht im FTP Zorvant eingebunden (die Liste der Hilfsprogramme braucht einen Menschen)."
LangString NoAnsiFolder ${LANG_ENGLISH} "FTP Zorvant passes folder names to its add-ons in the system's code page. Please choose a folder whose name has no characters outside it."
LangString NoAnsiFolder ${LANG_GERMAN} "FTP Zorvant übergibt seinen Add-Ons Ordnernamen in der Codepage des Systems. Bitte wählen Sie einen Ordner, dessen Name keine Zeichen außerhalb davon enthält."
LangString RecordEntry ${LANG_ENGLISH} "What the tweaks did"
LangString RecordEntry ${LANG_GERMAN} "Was die Hilfsprogramme taten"
LangString UnFilesSection ${LANG_ENGLISH} "Add-on files and registration"
LangString UnFilesSection ${LANG_GERMAN} "Dateien und Einbindung des Add-Ons"
LangString UnTweaksSection ${LANG_ENGLISH} "My stored tweaks"
LangString UnTweaksSection ${LANG_GERMAN} "Meine gespeicherten Hilfsprogramme"
LangString UnRemovedAtRestart ${LANG_ENGLISH} "Still in use, removed at the next restart:"
LangString UnRemovedAtRestart ${LANG_GERMAN} "Noch in Gebrauch, wird beim nächsten Neustart entfernt:"

; The add-on's exports take 8-bit strings in the system's code page, so the folder goes as "m".
; A folder name without that form would reach the add-on garbled: the way there and back through
; the code page must give the same name. Sets the error flag for such a folder.
Function CheckAnsiFolder
    System::Call 'kernel32::lstrcpynA(m .r1, m "$INSTDIR", i ${NSIS_MAX_STRLEN}) p'
    ClearErrors
    StrCmpS $1 $INSTDIR +2
    SetErrors
FunctionEnd

Function CheckFolderPage
    Call CheckAnsiFolder
    ${If} ${Errors}
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(NoAnsiFolder)"
        Abort
    ${EndIf}
FunctionEnd

; A quiet setup gets its folder from /D= and has no page to refuse it on: it ends with code 2.
Function .onInit
    ${If} ${Silent}
        Call CheckAnsiFolder
        ${If} ${Errors}
            SetErrorLevel 2
            Quit
        ${EndIf}
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
        System::Call '$INSTDIR\${ADDON_DLL}::ZTAddOnInstall(m "$INSTDIR")'
    ${EndIf}
SectionEnd

Section "un.$(UnFilesSection)" UnFiles
    SectionIn RO
    ; Removed from FTP Zorvant first, while the DLL is still there for it to name.
    System::Call '$INSTDIR\${ADDON_DLL}::ZTAddOnUninstall(i 0, i 0) i .r0 ?u'
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
SectionEnd

Section /o "un.$(UnTweaksSection)" UnTweaks
    DeleteRegKey HKU "${TWEAKS_KEY}"
SectionEnd

; The entry leaves the list of installed programs once everything chosen has been removed.
Function un.onUninstSuccess
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
FunctionEnd

Function un.onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVETWEAKS" $1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${UnTweaks}
    ${EndIf}
FunctionEnd
