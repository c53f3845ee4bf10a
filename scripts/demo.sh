#!/bin/bash
# Builds the add-on and the host stand-in and shows them working together under Wine: the add-on
# is installed into a folder whose name has blanks, the host loads it and asks for its display name,
# a tweak is configured, two downloads are played, and what the tweak received is shown.
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

# Dialogs need a display; without one the demo runs itself again inside a virtual X server.
if [ -z "${DISPLAY:-}" ] && [ -z "${TREVANEL_DEMO_XVFB:-}" ]; then
    export TREVANEL_DEMO_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "${TREVANEL_JOBS:-2}" --target ZTTrevanelAddon ZTHost ZTModuleStrings Recorder

source "$root/scripts/wine-env.sh"
export WINEPREFIX="$root/build/mingw/wine/demo"
mkdir -p "$(dirname "$WINEPREFIX")"
echo "Preparing a fresh Wine prefix..."
trevanel_wine_fresh && trevanel_wine_start
trap 'wineserver -k >/dev/null 2>&1' EXIT

bin="$root/build/mingw/bin"
addons="$WINEPREFIX/drive_c/Program Files/FTP Zorvant/Add Ons"
mkdir -p "$addons"
cp "$bin/ZTTrevanelAddon.dll" "$addons/"
dll='C:\Program Files\FTP Zorvant\Add Ons\ZTTrevanelAddon.dll'

# The add-on speaks code page 1252; the terminal most likely UTF-8.
show() { iconv -f CP1252 -t UTF-8; }

echo
echo "== The host stand-in plays: load, name, unload"
wine "$bin/ZTHost.exe" "$dll" -e load -e "name 64" -e unload | show

echo
echo "== The module strings the add-on derives from where it was loaded"
wine "$bin/ZTModuleStrings.exe" "$dll" | show

echo
echo "== What the unload left in the registry"
wine reg query 'HKEY_USERS\.DEFAULT\Software\Tarku Software\FTP Zorvant Trevanel' | tr -d '\r' | show

echo
echo "== A tweak: Recorder.exe receives both paths of every downloaded *.txt file"
key='HKEY_USERS\.DEFAULT\Software\Tarku Software\FTP Zorvant Trevanel\Configurations\ZTTrevanelAddon Global Configuration'
tweaks="$WINEPREFIX/drive_c/Program Files/FTP Zorvant/Tweaks"
mkdir -p "$tweaks"
cp "$bin/Recorder.exe" "$tweaks/"
rm -f "$tweaks/Recorder.log"
wine reg add "$key" /v Count /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$key\\Tweak 00" /v Name /d "Show the paths" /f >/dev/null
wine reg add "$key\\Tweak 00" /v Exe /d 'C:\Program Files\FTP Zorvant\Tweaks\Recorder.exe' /f >/dev/null
wine reg add "$key\\Tweak 00" /v Parameters /d '"%LOCAL_FILE_PATH%" "%REMOTE_FILE_PATH%"' /f >/dev/null
wine reg add "$key\\Tweak 00" /v Enabled /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$key\\Tweak 00" /v "Ignore Case" /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$key\\Tweak 00" /v "Apply To" /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$key\\Tweak 00" /v Filter /d '*.txt' /f >/dev/null
wine reg query "$key\\Tweak 00" | tr -d '\r' | show

echo
echo "== The host stand-in plays two downloads; only the .txt file passes the tweak's filter"
wine "$bin/ZTHost.exe" "$dll" -e load -e "create 1 Demo" \
    -e 'download 1 0 /pub/reports/q3.txt "C:\Downloads\Quarter 3 report.txt"' \
    -e 'download 1 0 /pub/pictures/a.jpg C:\Downloads\a.jpg' -e "destroy 1" -e unload | show

echo
echo "== What the tweak received (from Recorder.log beside it)"
tr -d '\r' < "$tweaks/Recorder.log" | show |
    awk -F'\t' '{ printf "command line: %s\n", $6; for (i = 8; i <= NF; i++) printf "argument %d: %s\n", i - 7, $i }'
