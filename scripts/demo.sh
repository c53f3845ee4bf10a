#!/bin/bash
# Shows what the add-on is for, in a fresh Wine prefix: the setup program installs it, two of the
# shipped example sets are imported, and the host stand-in downloads a text file and a picture from
# an FTP server on the loopback and uploads a file to it. After each transfer the installed add-on
# runs the tweaks: the text file becomes read-only, the upload gets a line in a log; then
# ZTTrevanelCtl history shows what each tweak did and why one did not run.
# It runs the shipped 32-bit setup and DLL where the machine can run 32-bit programs, and the x64
# build of the same sources elsewhere (or with TREVANEL_NO_I386=1, or where scripts/setup.sh could
# not install 32-bit Wine).
set -eu
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# Counted from the first start, also when it runs itself again below.
export TREVANEL_DEMO_START=${TREVANEL_DEMO_START:-$(date +%s)}
"$root/scripts/setup.sh"

# The setup's windows need a display; without one the demo runs itself again inside a virtual X server.
if [ -z "${DISPLAY:-}" ] && [ -z "${TREVANEL_DEMO_XVFB:-}" ]; then
    export TREVANEL_DEMO_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

i386=0
why=$("$root/scripts/wine32-road" -v) || i386=$?
[ $i386 -le 1 ] || { echo "error: cannot tell whether this machine runs 32-bit programs ($why)" >&2; exit 1; }
if [ $i386 = 0 ]; then
    preset=mingw
    export TREVANEL_WINE_ARCH=win32
    echo "This machine runs 32-bit programs: the demo runs the shipped 32-bit setup and DLL."
else
    preset=mingw64
    export TREVANEL_WINE_ARCH=win64
    echo "The shipped 32-bit build cannot run here ($why); the demo runs the x64 build of the same sources."
fi

echo "Building the setup, the host stand-in and ZTTrevanelCtl (build/$preset/demo-build.log)..."
mkdir -p "build/$preset"
{ cmake --preset $preset && cmake --build --preset $preset -j "${TREVANEL_JOBS:-2}" --target trevanel_setup ZTHost ZTTrevanelCtl; } \
    >"build/$preset/demo-build.log" 2>&1 || { tail -30 "build/$preset/demo-build.log"; exit 1; }

source "$root/scripts/wine-env.sh"
export WINEPREFIX="$root/build/$preset/wine/demo"
mkdir -p "$(dirname "$WINEPREFIX")"
echo "Preparing a fresh Wine prefix and an FTP server on the loopback..."
trevanel_wine_fresh && trevanel_wine_start
state="$root/build/$preset/demo-ftp"
# The time is told after the cleanup, which is part of the demo's time.
trap '"$root/scripts/ftp-server" stop "$state"; wineserver -k >/dev/null 2>&1
      echo "The demo took $(($(date +%s) - TREVANEL_DEMO_START)) s."' EXIT

# The server's folder: a text file and a picture to download; the upload lands here too.
served="$state/served"
rm -rf "$served"
mkdir -p "$served/reports" "$served/pictures" "$served/inbox"
printf 'Quarter 3: revenue up 4%%, costs down 2%%.\r\n' >"$served/reports/Quarter 3 report.txt"
cp "$root/docs/tweak-list.png" "$served/pictures/harbour.png"
port=$("$root/scripts/ftp-server" start "$state" "$served")

bin="$root/build/$preset/bin"
setup="$root/build/$preset/ZTTrevanelAddon-1.0.1.0-setup.exe"
drive_c="$WINEPREFIX/drive_c"
folder='C:\Program Files\FTP Zorvant Add-Ons\Trevanel'
ctl="$folder\\ZTTrevanelCtl.exe"
# The add-on speaks code page 1252; the terminal most likely UTF-8.
show() { tr -d '\r' | iconv -f CP1252 -t UTF-8; }

echo
echo "== The setup program installs the add-on quietly (/S) into its default folder"
wine "$(winepath -w "$setup")" /S

echo
echo "== ZTTrevanelCtl imports two shipped example sets: text downloads become read-only (for every"
echo "   server profile), and uploads of the profile \"Drop box\" get a line in a log"
wine "$ctl" import "$folder\\examples\\protect-text-downloads.reg" | show
wine "$ctl" import "$folder\\examples\\log-uploads.reg" --profile "Drop box" | show

echo
echo "== The host stand-in transfers over FTP (127.0.0.1:$port) and tells the add-on after each transfer"
mkdir -p "$drive_c/Downloads" "$drive_c/Outbox"
printf 'Minutes of the meeting.\r\n' >"$drive_c/Outbox/minutes.txt"
wine "$bin/ZTHost.exe" "$folder\\ZTTrevanelAddon.dll" -e load \
    -e "connect 1 Reports 127.0.0.1 $port" \
    -e 'get 1 "/reports/Quarter 3 report.txt" C:\Downloads' \
    -e 'get 1 /pictures/harbour.png C:\Downloads' \
    -e 'disconnect 1' \
    -e "connect 2 \"Drop box\" 127.0.0.1 $port" \
    -e 'put 2 C:\Outbox\minutes.txt /inbox/minutes.txt' \
    -e 'disconnect 2' -e unload | show

echo
echo "== What the tweaks did to the files"
wine cmd /c 'attrib C:\Downloads\*' | show
echo "On the server: $(cd "$served" && find . -type f | sort | tr '\n' ' ')"
echo "Trevanel uploads.log:"
show <"$drive_c/users/"*/Documents/"Trevanel uploads.log"

echo
echo "== ZTTrevanelCtl history"
wine "$ctl" history | show
echo
