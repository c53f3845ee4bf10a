#!/bin/bash
# Builds the add-on and the host stand-in and shows them working together under Wine: the add-on
# is installed into a folder whose name has blanks, the host loads it, asks for its display name
# and unloads it.
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

# Dialogs need a display; without one the demo runs itself again inside a virtual X server.
if [ -z "${DISPLAY:-}" ] && [ -z "${TREVANEL_DEMO_XVFB:-}" ]; then
    export TREVANEL_DEMO_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "${TREVANEL_JOBS:-2}" --target ZTTrevanelAddon ZTHost ZTModuleStrings

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
