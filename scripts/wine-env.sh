# Sourced by the scripts that run Windows programs: the project's Wine environment and the
# functions that make a prefix. Wine stays quiet, asks for no Mono or Gecko download, and
# uses the ANSI code page 1252, which it derives from the Unix locale. TREVANEL_WINE_ARCH names the
# build's Windows: win32, what is shipped (the default), or win64 for the x64 twin, which runs on
# the 64-bit loader alone, so also on machines that cannot run 32-bit programs.
export WINEARCH=${TREVANEL_WINE_ARCH:-win32}
if [ "$WINEARCH" = win64 ]; then
    PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64:$PATH"
    export WINELOADER=/usr/lib/wine/wine64
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# TREVANEL_WINE_LOCALE=de_DE.UTF-8 makes a German-speaking user (Wine takes the interface language
# from the locale; both give code page 1252).
export LC_ALL=${TREVANEL_WINE_LOCALE:-C.UTF-8}
unset LANG LANGUAGE

# The dialog font ("MS Shell Dlg" is Tahoma) and the caption buttons' glyphs (Marlett): Wine keeps
# its own copies in its data folder but does not find them there, only in the prefix's Fonts.
trevanel_wine_fonts() {
    local font
    for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
        [ -f "/usr/share/wine/fonts/$font" ] && cp "/usr/share/wine/fonts/$font" "$1/drive_c/windows/Fonts/"
    done
    return 0
}

# The template prefix that fresh prefixes are copied from: booting one takes 15 s, copying 2 s.
# Without a window manager every hidden or closed window costs 2 s unless Wine manages none.
trevanel_wine_template() {
    local template=$1
    [ -f "$template/system.reg" ] && return 0
    (
        flock 9
        [ -f "$template/system.reg" ] && exit 0
        rm -rf "$template.tmp"
        export WINEPREFIX="$template.tmp"
        wineboot -i >/dev/null 2>&1 &&
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
            trevanel_wine_fonts "$template.tmp" &&
            wineserver -w &&
            mv "$template.tmp" "$template"
    ) 9>"$template.lock"
}

# Starts the server of WINEPREFIX, and with it Wine's own services, with their output going
# nowhere; started by the first test instead, they would hold CTest's pipes open for 3 s after each
# test. wineserver -p returns 2 at once when the prefix's server runs already.
# The server stays (-p) until wineserver -k, so it and the services get no descriptor beyond
# the standard three: one of a lock held by the caller (flock file command) would keep the lock.
trevanel_wine_start() {
    (
        for fd in /proc/$BASHPID/fd/*; do
            fd=${fd##*/}
            [ "$fd" -le 2 ] || eval "exec $fd>&-"
        done
        if wineserver -p >/dev/null 2>&1; then
            wine cmd /c exit >/dev/null 2>&1
        fi
    )
    return 0
}

# Replaces WINEPREFIX with a fresh copy of the template that lives beside it.
trevanel_wine_fresh() {
    local template
    template=$(dirname "$WINEPREFIX")/template
    trevanel_wine_template "$template" || return 1
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1
        wineserver -w >/dev/null 2>&1
        rm -rf "$WINEPREFIX"
    fi
    cp -a "$template" "$WINEPREFIX"
    # Wine links Documents, Desktop and the like to the Unix home; what programs write there
    # belongs in the prefix.
    local link
    for link in "$WINEPREFIX"/drive_c/users/*/*; do
        [ ! -L "$link" ] || { rm "$link" && mkdir "$link"; }
    done
}

# Makes sure WINEPREFIX exists (a copy of the template) and its server runs.
trevanel_wine_ensure() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        (
            flock 9
            [ -f "$WINEPREFIX/system.reg" ] || trevanel_wine_fresh
        ) 9>"$WINEPREFIX.lock" || return 1
    fi
    trevanel_wine_start
}
