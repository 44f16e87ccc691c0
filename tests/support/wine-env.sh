# Shared shell functions for running Windows programs under Wine in the tests.
# Sourced by the ctest wrappers and the end-to-end scripts.

# Which Windows the tests run on. TW_ARCH is the build's (i686 or x86_64); TW_WINDOWS the
# prefix's: win32 (32-bit Windows) or win64 (64-bit Windows, where the i686 programs run
# through WoW64). The x86_64 build runs on win64 only; the i686 one on win32 unless asked.
tw_windows_kind() {
    if [ "${TW_ARCH:-i686}" = x86_64 ]; then echo win64; else echo "${TW_WINDOWS:-win32}"; fi
}

# The folder of one kind's prefixes in the build folder (the template, the tests' copies):
# wine/ for the build's own kind, wine-win64/ for the i686 build on 64-bit Windows.
tw_wine_root() {
    local kind; kind=$(tw_windows_kind)
    case "${TW_ARCH:-i686}/$kind" in
        i686/win32 | x86_64/win64) echo "$TW_BUILD/wine" ;;
        *) echo "$TW_BUILD/wine-$kind" ;;
    esac
}

# Which Wine loader runs our executables: the 64-bit one for the x86_64 build; the wrapper
# for the i686 one, which runs a PE32 program as 32-bit in either kind of prefix.
tw_wine_loader() {
    if [ "${TW_ARCH:-i686}" = x86_64 ]; then echo /usr/lib/wine/wine64; else echo /usr/bin/wine; fi
}

# Sets the Wine environment for PREFIX: $WINE runs our programs, $WINE_NATIVE the system's own
# (reg, regedit, the shell) as that Windows runs them, 64-bit on 64-bit Windows: the wrapper
# would pick the 32-bit reg.exe there, which sees the 32-bit view of the machine's keys.
tw_wine_env() {  # tw_wine_env PREFIX
    export WINEPREFIX="$1"
    WINEARCH=$(tw_windows_kind); export WINEARCH
    # No winemenubuilder: Wine starts one for every shortcut saved, which opens the new file
    # without sharing its deletion while the test goes on to move or delete it (about one delete
    # in 1,500 then fails with a sharing violation), and fills the host's application menu with
    # the tests' shortcuts.
    export WINEDEBUG="${TW_WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    # The Windows language: English (ANSI code page 1252) unless TW_LOCALE asks for another
    # (ja_JP.UTF-8: Japanese, 932). UTF-8 either way, so that arguments and file names of any
    # script reach Wine as they are.
    export LC_ALL="${TW_LOCALE:-C.UTF-8}"
    WINE=$(tw_wine_loader); export WINE
    if [ "$WINEARCH" = win64 ]; then WINE_NATIVE=/usr/lib/wine/wine64; else WINE_NATIVE=$WINE; fi
    export WINE_NATIVE
}

# True when the prefix is 64-bit Windows (its registry says so): what the end-to-end scripts
# ask to know which registry and folders to expect.
tw_windows64() { grep -q '^#arch=win64' "$WINEPREFIX/system.reg" 2>/dev/null; }

# Creates (once) the template prefix that every test copies: booted, crash dialog off,
# unmanaged X11 windows (closing a managed window costs ~2 s).
tw_make_template() {  # tw_make_template DIR
    local dir=$1
    if [ -f "$dir/.tw-ready" ]; then tw_add_marlett "$dir"; return 0; fi
    rm -rf "$dir"; mkdir -p "$(dirname "$dir")"
    (
        tw_wine_env "$dir"
        unset DISPLAY
        "$WINE" wineboot -i </dev/null >/dev/null 2>&1
        local reg; reg=$(mktemp --suffix=.reg)
        printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n' >"$reg"
        "$WINE" regedit /s "$reg" </dev/null >/dev/null 2>&1
        rm -f "$reg"
        wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
        true
    ) || return 1
    tw_add_marlett "$dir"
    touch "$dir/.tw-ready"
}

# Names in Chinese or with emoji drawn with fonts of the machine's (scripts/setup installs them)
# where the dialog font has no such letter, as Windows links its own fonts: font links for the
# prefix's dialog fonts, for the programs started afterwards. Wine then draws Latin letters with
# another face too, so only the pictures of such names are taken with them. Needs the server.
tw_font_links() {
    local reg="$WINEPREFIX/drive_c/tw-font-links.reg" face links
    links='hex(7):'$(printf 'tahoma.ttf,Tahoma\0wqy-microhei.ttc,WenQuanYi Micro Hei\0Symbola_hint.ttf,Symbola\0\0' |
                     od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
        for face in Tahoma 'Microsoft Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2' 'Segoe UI'; do
            printf '"%s"=%s\r\n' "$face" "$links"
        done
    } >"$reg"
    tw_wine regedit /s 'C:\tw-font-links.reg' </dev/null >/dev/null 2>&1
    rm -f "$reg"
}

# Wine draws the title-bar buttons and check marks with its Marlett font, but Debian's build
# does not find the copy in its data folder: without one in the prefix's Fonts folder the
# close box shows as an "r". Copies it there (once; templates made before this get it too).
tw_add_marlett() {  # tw_add_marlett PREFIX
    local fonts="$1/drive_c/windows/Fonts" font
    [ -f "$fonts/marlett.ttf" ] && return 0
    for font in /usr/share/wine/fonts/marlett.ttf /usr/lib/wine/fonts/marlett.ttf; do
        if [ -f "$font" ]; then mkdir -p "$fonts" && cp "$font" "$fonts/"; return 0; fi
    done
    return 0
}

# Copies the template into a fresh prefix and starts its wineserver detached from our
# output (a server that inherits ctest's pipe makes every test wait for it).
tw_new_prefix() {  # tw_new_prefix TEMPLATE DEST
    rm -rf "$2"; mkdir -p "$2"
    cp -a "$1/." "$2/"
    rm -f "$2/.tw-ready"
}

# Starts the prefix's wineserver and warms Wine up. After tw_netns_create the server starts
# inside the namespace, so that every Wine program started later (tw_wine) sees its connection.
tw_start_server() {
    if [ -n "${TW_NS:-}" ]; then
        tw_in_ns wineserver -p </dev/null >/dev/null 2>&1
    else
        wineserver -p </dev/null >/dev/null 2>&1
    fi
    tw_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Sets the prefix's screen resolution (dots per inch; 96 is 100 %, 144 is 150 %) as the
# display settings would, for the programs started afterwards. Needs the prefix's server.
tw_set_dpi() {  # tw_set_dpi DPI
    local key
    for key in 'HKCU\Control Panel\Desktop' \
               'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
        "$WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1 || return 1
    done
}

tw_stop_server() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}

# Starts a private Xvfb on a free display; sets DISPLAY and TW_XVFB_PID.
tw_start_xvfb() {
    local fdfile; fdfile=$(mktemp)
    Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$fdfile" 2>/dev/null &
    TW_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$fdfile" ] && break
        sleep 0.05
    done
    DISPLAY=":$(head -n1 "$fdfile")"; export DISPLAY TW_XVFB_PID
    rm -f "$fdfile"
}

tw_stop_xvfb() {
    [ -n "${TW_XVFB_PID:-}" ] && kill "$TW_XVFB_PID" 2>/dev/null && wait "$TW_XVFB_PID" 2>/dev/null
    TW_XVFB_PID=
}

# A private network namespace whose connection the caller switches on and off: Wine started
# in it (wineserver first) sees InternetGetConnectedState follow the default route. Created
# offline. tw_netns_create NAME NET, NET being three octets of a private /24 (10.231.7).
tw_netns_create() {
    TW_NS=$1 TW_NS_NET=$2
    ip netns add "$TW_NS" || return 1
    ip -n "$TW_NS" link set lo up
    # Both ends live inside the namespace, so fixed names cannot clash with other runs.
    ip -n "$TW_NS" link add twa type veth peer name twb
    ip -n "$TW_NS" addr add "$TW_NS_NET.2/24" dev twa
    ip -n "$TW_NS" link set twa up
    ip -n "$TW_NS" link set twb up
}
tw_netns_online() { ip -n "$TW_NS" route add default via "$TW_NS_NET.1" dev twa; }
tw_netns_offline() { ip -n "$TW_NS" route del default; }

# Runs a command inside the namespace with the Wine environment of tw_wine_env.
tw_in_ns() {
    ip netns exec "$TW_NS" env WINEPREFIX="$WINEPREFIX" WINEARCH="$WINEARCH" WINEDEBUG="$WINEDEBUG" \
        WINEDLLOVERRIDES="$WINEDLLOVERRIDES" DISPLAY="${DISPLAY:-}" "$@"
}

# Stops the prefix's wineserver inside the namespace, then removes the namespace.
tw_netns_destroy() {
    [ -n "${TW_NS:-}" ] || return 0
    if ip netns list 2>/dev/null | grep -qw "$TW_NS"; then
        tw_in_ns wineserver -k >/dev/null 2>&1
        tw_in_ns wineserver -w >/dev/null 2>&1
        ip netns del "$TW_NS" 2>/dev/null
    fi
    TW_NS=
}

# The start of an end-to-end script: a work folder ($work) holding its own prefix copied from
# the template ($work/pfx, the Wine environment set), a private Xvfb, and a trap that on exit
# kills the processes listed in $pids, stops Wine (inside the namespace when there is one),
# stops Xvfb and removes $work (kept with TW_KEEP=1). tw_e2e_begin NAME
tw_e2e_begin() {
    local root; root=$(tw_wine_root)
    mkdir -p "$root"
    work=$(mktemp -d "$root/e2e-$1.XXXXXX")
    pids=()
    trap tw_e2e_end EXIT
    trap 'exit 130' INT TERM
    tw_make_template "$root/template" || { echo "FAIL: no template prefix" >&2; exit 1; }
    tw_new_prefix "$root/template" "$work/pfx"
    tw_wine_env "$work/pfx"
    tw_start_xvfb
}

tw_e2e_end() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    if [ -n "${TW_NS:-}" ]; then tw_netns_destroy; else tw_stop_server; fi
    tw_stop_xvfb
    if [ "${TW_KEEP:-0}" = 1 ]; then echo "kept $work" >&2; else rm -rf "$work"; fi
}

# ---- Waiting for windows and processes (the end-to-end scripts and the 32-bit smoke checks)
# Every limit below is in seconds and multiplied by TW_WAIT_SCALE (default 1): in the emulated
# test machine a Wine program starts 10 to 20 times slower. Polls every TW_POLL seconds.

tw_limit() { echo $(( $1 * ${TW_WAIT_SCALE:-1} )); }

tw_poll() {  # tw_poll SECONDS COMMAND...: until COMMAND succeeds
    local end=$(( SECONDS + $(tw_limit "$1") ))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep "${TW_POLL:-0.1}"
    done
}

# Visible windows whose title matches the extended regular expression PATTERN (on $DISPLAY).
tw_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null; }
tw_wait_window() {  # PATTERN SECONDS [EXCEPT-ID]: prints the id of the first such window
    local end=$(( SECONDS + $(tw_limit "$2") )) wid
    while :; do
        wid=$(tw_windows "$1" | grep -vx "${3:-none}" | head -n1)
        [ -n "$wid" ] && { echo "$wid"; return 0; }
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep "${TW_POLL:-0.1}"
    done
}

tw_gone() { ! xdotool getwindowname "$1" >/dev/null 2>&1; }
tw_wait_gone() { tw_poll "$2" tw_gone "$1"; }  # WINDOW-ID SECONDS: until the window no longer exists

tw_ended() { ! kill -0 "$1" 2>/dev/null; }
tw_wait_exit() {  # PID SECONDS: until the background process PID ends; sets rc to its exit code
    tw_poll "$2" tw_ended "$1" || return 1
    wait "$1"
    rc=$?
}

# Runs a Wine program, inside the namespace when there is one (tw_netns_create).
tw_wine() { if [ -n "${TW_NS:-}" ]; then tw_in_ns "$WINE" "$@"; else "$WINE" "$@"; fi; }

# Answers the message box WID with KEY; when the box stays, clicks the button at PERCENT of
# its width instead (keys reach an unmanaged window only while it has the focus).
tw_answer() {  # WID KEY PERCENT
    xdotool windowfocus "$1" 2>/dev/null
    sleep 0.2
    xdotool key "$2" 2>/dev/null
    tw_wait_gone "$1" 2 && return 0
    echo "   the key did not reach the box; clicking"
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $(( X + WIDTH * $3 / 100 )) $(( Y + HEIGHT - 21 )) sleep 0.2 click 1
    tw_wait_gone "$1" 3
}

# The visible windows with their controls' texts (list_windows.exe), one a line.
tw_list_windows() { tw_wine "$TW_BIN/list_windows.exe" </dev/null 2>/dev/null | tr -d '\r'; }
# Lookout's status as its last tick showed it, the label of its hidden tray window ("Status:
# Not Connected"); nothing before the load has ended with its first tick, in a launch or kill
# batch, while disabled. tw_wait_status waits until it matches the glob PATTERN: the proof that
# the load, or a tick after a batch, has decided what to do.
tw_lookout_status() {
    tw_wine "$TW_BIN/list_windows.exe" --all </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^\tStatic\t\(Status: .*\)$/\1/p'
}
tw_status_is() { local s; s=$(tw_lookout_status); [[ "$s" == $1 ]]; }
tw_wait_status() { tw_poll "$2" tw_status_is "$1"; }  # PATTERN SECONDS

# Running processes as "id<TAB>path", paths in lower case.
tw_processes() { tw_wine "$TW_BIN/list_processes.exe" </dev/null 2>/dev/null | tr -d '\r' | tr 'A-Z' 'a-z'; }
# How many processes run the program PATH (any case). awk -v would read the backslashes of a
# path as escapes: the path goes in through ENVIRON.
tw_count() { tw_processes | P="$(echo "$1" | tr 'A-Z' 'a-z')" awk -F'\t' '$2 == ENVIRON["P"]' | wc -l; }

# The current user's Start menu Programs folder (Windows path), as the shell names it; or
# TW_PROGRAMS when a script has asked once already (every copy of a template has the same).
tw_programs_folder() {
    [ -n "${TW_PROGRAMS:-}" ] && { echo "$TW_PROGRAMS"; return 0; }
    local appdata
    appdata=$(tw_win_env APPDATA)
    [ -n "$appdata" ] && echo "$appdata\\Microsoft\\Windows\\Start Menu\\Programs"
}
# A Windows environment variable of the prefix (a program started outside a network
# namespace still reaches its wineserver).
tw_win_env() { "$WINE" cmd /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r'; }  # NAME

# The Unix path of a path on the prefix's drive C: (without asking winepath: in the emulated
# machine every Wine program costs seconds). Folders that exist must be named in their case.
tw_c_path() { local p=${1#[Cc]:\\}; echo "$WINEPREFIX/drive_c/${p//\\//}"; }

# A link file's fields as winedump reports them (it prints each string with its closing NUL):
# a string field ("Label : value"), the show command, the target's local path. FILE is a Unix path.
tw_lnk_dump() { winedump "$1" 2>/dev/null | tr -d '\000'; }
tw_lnk_field() { tw_lnk_dump "$1" | sed -n "s/^$2 : //p" | head -n1; }  # FILE LABEL
tw_lnk_startup() { tw_lnk_dump "$1" | sed -n 's/^Startup: *//p' | head -n1; }
tw_lnk_path() { tw_lnk_dump "$1" | sed -n 's/^LocalPath ofs = [0-9a-f]* ("\(.*\)")$/\1/p' | head -n1; }

# A string a link file holds in UTF-16 (Description, Relative path, Working directory,
# Arguments, Icon location), in UTF-8, read from the file's string data by this function itself:
# winedump prints only the low bytes of such strings and lnkinfo 20181227 mangles emoji.
tw_lnk_string() {  # FILE LABEL
    /usr/bin/python3 - "$1" "$2" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
flags = struct.unpack_from('<I', data, 0x14)[0]
at = 0x4C
if flags & 0x01: at += 2 + struct.unpack_from('<H', data, at)[0]   # ID list
if flags & 0x02: at += struct.unpack_from('<I', data, at)[0]       # link information
unicode = flags & 0x80
for bit, label in ((0x04, 'Description'), (0x08, 'Relative path'), (0x10, 'Working directory'),
                   (0x20, 'Arguments'), (0x40, 'Icon location')):
    if not flags & bit: continue
    count = struct.unpack_from('<H', data, at)[0]
    size = count * 2 if unicode else count
    text = data[at + 2:at + 2 + size].decode('utf-16-le' if unicode else 'cp1252', 'replace')
    at += 2 + size
    if label == sys.argv[2]: print(text.split('\0')[0])
PY
}

tw_link() { tw_wine "$TW_BIN/make_link.exe" "$@" </dev/null >/dev/null 2>&1; }  # LINK TARGET [ARGUMENTS]

# What a failing check saw: the windows (Wine's view with the controls' texts, and the X
# windows that have a name) and a screenshot, TW_OUT/NAME.png or in $work.
tw_show_failure() {  # NAME
    local shot="${TW_OUT:-$work}/$1.png" lister
    echo "--- windows:"
    tw_list_windows & lister=$!
    tw_poll 30 tw_ended "$lister" || { kill "$lister"; echo "(list_windows.exe did not answer)"; }
    echo "--- X windows:"
    xwininfo -root -tree 2>/dev/null | grep -E '^ +0x[0-9a-f]+ "' | sed 's/^ */  /'
    import -window root "$shot" 2>/dev/null && echo "--- screenshot: ${TW_OUT_SHOWN:-${TW_OUT:-$work}}/$1.png"
}

# ---- Setup: silent install and uninstall -------------------------------------------------
# How a script installs and removes Tetherwatch and learns the result (the 32-bit checks in
# the emulated machine do the same): `SETUP /S [/D=DIR]` returns when it has finished, exit
# code 0 when installed, 3 when Lookout runs. The uninstaller is started in place,
# `DIR\Uninstall.exe /S _?=DIR`, so that it too returns only at the end with its result
# (without _?= it copies itself to %TEMP%, starts the copy and returns at once); it cannot
# delete its own file, so the caller does, and removes DIR when nothing else is left in it.
# Paths are Windows paths; needs $WINE and WINEPREFIX (tw_wine_env).

# Sets TW_INSTALL_DIR (the default install folder), TW_PROGRAMS and TW_STARTUP (the Start
# menu's Programs folder and the StartUp folder in it).
tw_setup_paths() {
    TW_INSTALL_DIR="$(tw_win_env LOCALAPPDATA)\\Programs\\Tetherwatch"
    TW_PROGRAMS=$(tw_programs_folder)
    TW_STARTUP="$TW_PROGRAMS\\StartUp"
}

tw_setup_install() {  # SETUP [DIR]: returns Setup's exit code
    if [ -n "${2:-}" ]; then "$WINE" "$1" /S "/D=$2"; else "$WINE" "$1" /S; fi </dev/null >/dev/null 2>&1
}

# The x86 setup on 64-bit Windows asks first, in an OK/Cancel box titled like Setup, whether to
# install the 32-bit programs anyway (/S answers OK; Cancel ends Setup with exit code 1).
# tw_setup_question waits for that box and prints its id; it fails when the box does not come
# or does not ask that. tw_setup_answer answers it: ok or cancel.
tw_setup_question() {  # TITLE SECONDS
    local box
    box=$(tw_wait_window "^$1\$" "$2") || return 1
    tw_poll 10 eval '"$WINE" "$TW_BIN/list_windows.exe" </dev/null 2>/dev/null |
        grep -qF "Install the 32-bit programs anyway?"' || return 1
    echo "$box"
}
tw_setup_answer() {  # WID ok|cancel
    if [ "$2" = ok ]; then tw_answer "$1" Return 40; else tw_answer "$1" Escape 60; fi
}

tw_setup_uninstall() {  # DIR: returns the uninstaller's exit code
    "$WINE" "$1\\Uninstall.exe" /S "_?=$1" </dev/null >/dev/null 2>&1
    local rc=$? dir
    [ "$rc" -eq 0 ] || return "$rc"
    dir=$(tw_c_path "$1")
    rm -f "$dir/Uninstall.exe"
    rmdir "$dir" 2>/dev/null
    return 0
}

# What an installation into DIR must have (tw_setup_installed) and what an uninstall must
# leave of it (tw_setup_removed): each prints what is wrong and returns non-zero then.
tw_setup_installed() {  # DIR
    local dir programs bad=0 f
    dir=$(tw_c_path "$1"); programs=$(tw_c_path "$TW_PROGRAMS")
    for f in "$dir/Lookout.exe" "$dir/Marshal.exe" "$dir/README.txt" "$dir/LICENSE.txt" \
             "$dir/Uninstall.exe" "$programs/StartUp/OSPREY.LNK" "$programs/Tetherwatch/Lookout.lnk" \
             "$programs/Tetherwatch/Online StartUp Wizard.lnk" \
             "$programs/Tetherwatch/Uninstall Tetherwatch.lnk"; do
        [ -f "$f" ] || { echo "not installed: $f"; bad=1; }
    done
    [ -d "$programs/Online Startup" ] || { echo "no Online StartUp folder"; bad=1; }
    "$WINE" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tetherwatch' \
        </dev/null >/dev/null 2>&1 || { echo "no Apps & Features entry"; bad=1; }
    return "$bad"
}

tw_setup_removed() {  # DIR
    local dir programs bad=0 f key
    dir=$(tw_c_path "$1"); programs=$(tw_c_path "$TW_PROGRAMS")
    for f in "$dir/Lookout.exe" "$dir/Marshal.exe" "$dir/README.txt" "$dir/LICENSE.txt" \
             "$dir/Uninstall.exe" "$programs/StartUp/OSPREY.LNK" "$programs/Tetherwatch"; do
        [ -e "$f" ] && { echo "not removed: $f"; bad=1; }
    done
    for key in 'Microsoft\Windows\CurrentVersion\Uninstall\Tetherwatch' OSPREY; do
        "$WINE" reg query "HKCU\\Software\\$key" </dev/null >/dev/null 2>&1 &&
            { echo "not removed: HKCU\\Software\\$key"; bad=1; }
    done
    return "$bad"
}

# ---- Signatures ----------------------------------------------------------------------------
# Whether FILE (a Unix path) carries an Authenticode signature that osslsigncode verifies with
# CERT (PEM) as the only trusted certificate.
tw_signed() { osslsigncode verify -CAfile "$2" -in "$1" >/dev/null 2>&1; }  # FILE CERT

# Whether the programs and the uninstaller of an installation into DIR are signed so (prints
# what is not).
tw_setup_signed() {  # DIR CERT
    local dir bad=0 f
    dir=$(tw_c_path "$1")
    for f in Lookout.exe Marshal.exe Uninstall.exe; do
        tw_signed "$dir/$f" "$2" || { echo "not signed: $dir/$f"; bad=1; }
    done
    return "$bad"
}
