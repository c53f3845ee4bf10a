#!/bin/bash
# Shows the add-on as a user meets it, in a fresh Wine prefix with a recording stand-in for the
# host registered the way the host's installer registers it: the setup program installs the add-on,
# ZTTrevanelCtl.exe imports a shipped example set and the demo's own set and explains for two
# files what would run, the host stand-in plays the two downloads, and what the tweak received is
# shown. Finally the uninstaller removes the add-on again, through the host, keeping the tweaks.
# It runs the shipped 32-bit setup and DLL where the machine can run 32-bit programs, and the x64
# build of the same sources elsewhere (or with TREVANEL_NO_I386=1).
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"

# Dialogs need a display; without one the demo runs itself again inside a virtual X server.
if [ -z "${DISPLAY:-}" ] && [ -z "${TREVANEL_DEMO_XVFB:-}" ]; then
    export TREVANEL_DEMO_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

if "$root/scripts/can-run-i386"; then
    preset=mingw
    export TREVANEL_WINE_ARCH=win32
    echo "This machine runs 32-bit programs: the demo runs the shipped 32-bit setup and DLL."
else
    preset=mingw64
    export TREVANEL_WINE_ARCH=win64
    echo "This machine cannot run 32-bit programs; the demo runs the x64 build of the same sources."
fi

cmake --preset $preset >/dev/null
cmake --build --preset $preset -j "${TREVANEL_JOBS:-2}" --target trevanel_setup ZTHost Recorder ZTTrevanelCtl

source "$root/scripts/wine-env.sh"
export WINEPREFIX="$root/build/$preset/wine/demo"
mkdir -p "$(dirname "$WINEPREFIX")"
echo "Preparing a fresh Wine prefix..."
trevanel_wine_fresh && trevanel_wine_start
trap 'wineserver -k >/dev/null 2>&1' EXIT

bin="$root/build/$preset/bin"
setup="$root/build/$preset/ZTTrevanelAddon-1.0.1.0-setup.exe"
drive_c="$WINEPREFIX/drive_c"
folder='C:\Program Files\FTP Zorvant Add-Ons\Trevanel'
dll="$folder\\ZTTrevanelAddon.dll"
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\ZTTrevanelAddon'
global_key='HKEY_USERS\.DEFAULT\Software\Tarku Software\FTP Zorvant Trevanel\Configurations\ZTTrevanelAddon Global Configuration'
host_log="$drive_c/Program Files/FTP Zorvant/FTPZorvant.log"

# The add-on speaks code page 1252; the terminal most likely UTF-8.
show() { tr -d '\r' | iconv -f CP1252 -t UTF-8; }
# What the recording host was started with: its command line and working folder.
show_host_runs() {
    if [ -f "$host_log" ]; then
        show <"$host_log" | awk -F'\t' '{ printf "FTPZorvant.exe started with: %s\n  in: %s\n", $6, $5 }'
    else
        echo "(FTPZorvant.exe was not started)"
    fi
}

register_host() {
    echo
    echo "== FTP Zorvant stand-in: a recording program as FTPZorvant.exe, registered like the host's installer does"
    mkdir -p "$drive_c/Program Files/FTP Zorvant"
    cp "$bin/Recorder.exe" "$drive_c/Program Files/FTP Zorvant/FTPZorvant.exe"
    local key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\FTP Zorvant_is1'
    wine reg add "$key" /v "Inno Setup: App Path" /d 'C:\Program Files\FTP Zorvant' /f >/dev/null
    wine reg add "$key" /v DisplayName /d 'FTP Zorvant 12.0' /f >/dev/null
    wine reg query "$key" | show
}

install_addon() {
    echo
    echo "== The setup program installs the add-on quietly (/S) into its default folder"
    wine "$(winepath -w "$setup")" /S
    (cd "$drive_c/Program Files/FTP Zorvant Add-Ons/Trevanel" && find . -type f | sort)
    wine reg query "$uninstall_key" | show
    echo "A quiet setup does not register the add-on with FTP Zorvant: the tweak list needs a person."
    show_host_runs
    echo
    echo "== The host stand-in loads the installed add-on and asks for its name"
    wine "$bin/ZTHost.exe" "$dll" -e load -e "name 64" -e unload | show
}

import_sets() {
    local ctl="$folder\\ZTTrevanelCtl.exe"
    echo
    echo "== ZTTrevanelCtl.exe imports a shipped example as the global set"
    wine "$ctl" import "$folder\\examples\\protect-text-downloads.reg" | show
    echo
    echo "== ... and the demo's own set for the server profile Demo: Recorder.exe gets both paths of every downloaded *.txt file"
    local tweaks="$drive_c/Program Files/FTP Zorvant/Tweaks"
    mkdir -p "$tweaks"
    cp "$bin/Recorder.exe" "$tweaks/"
    rm -f "$tweaks/Recorder.log"
    printf '%s\r\n' 'REGEDIT4' '' \
        "[${global_key}]" '"Count"=dword:00000001' '' \
        "[${global_key}\\Tweak 00]" '"Name"="Show the paths"' \
        '"Exe"="C:\\Program Files\\FTP Zorvant\\Tweaks\\Recorder.exe"' \
        '"Parameters"="\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\""' \
        '"Enabled"=dword:00000001' '"Ignore Case"=dword:00000001' '"Apply To"=dword:00000001' \
        '"Filter"="*.txt"' >"$tweaks/demo.reg"
    wine "$ctl" import 'C:\Program Files\FTP Zorvant\Tweaks\demo.reg' --profile Demo | show
    wine "$ctl" show --profile Demo | show
    echo
    echo "== ZTTrevanelCtl.exe explains what would run for two downloads of the profile Demo"
    wine "$ctl" explain --profile Demo download 'C:\Downloads\Quarter 3 report.txt' /pub/reports/q3.txt | show
    wine "$ctl" explain --profile Demo download 'C:\Downloads\a.jpg' /pub/pictures/a.jpg | show
}

play_downloads() {
    echo
    echo "== The host stand-in plays two downloads; only the .txt file passes the tweak's filter"
    wine "$bin/ZTHost.exe" "$dll" -e load -e "create 1 Demo" \
        -e 'download 1 0 /pub/reports/q3.txt "C:\Downloads\Quarter 3 report.txt"' \
        -e 'download 1 0 /pub/pictures/a.jpg C:\Downloads\a.jpg' -e "destroy 1" -e unload | show
}

show_received() {
    echo
    echo "== What the tweak received (from Recorder.log beside it)"
    show <"$drive_c/Program Files/FTP Zorvant/Tweaks/Recorder.log" |
        awk -F'\t' '{ printf "command line: %s\n", $6; for (i = 8; i <= NF; i++) printf "argument %d: %s\n", i - 7, $i }'
}

uninstall_addon() {
    echo
    echo "== The quiet uninstall of the list of installed programs removes the add-on through the host"
    local line
    line=$(wine reg query "$uninstall_key" /v QuietUninstallString | tr -d '\r' |
        sed -n 's/^ *QuietUninstallString *REG_SZ *//p')
    echo "$line"
    # The line is the quoted uninstaller and its switches.
    local program=${line#\"}
    program=${program%%\"*}
    # The switches go as separate words.
    wine "$program" ${line##*\" }
    # The uninstaller goes on from a copy of itself; its end shows as its entry gone.
    for _ in $(seq 100); do
        wine reg query "$uninstall_key" >/dev/null 2>&1 || break
        sleep 0.2
    done
    show_host_runs
    if [ -d "$drive_c/Program Files/FTP Zorvant Add-Ons/Trevanel" ]; then
        echo "The add-on's folder is still there."
    else
        echo "The add-on's folder and its entry are gone; the tweaks stay:"
    fi
    wine reg query "$global_key\\Tweak 00" /v Name | show
}

register_host
install_addon
import_sets
play_downloads
show_received
uninstall_addon
