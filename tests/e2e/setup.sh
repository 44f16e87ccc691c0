#!/usr/bin/env bash
# The setups and zips from end to end; under Wine the setup of this build's architecture
# (x64 on 64-bit Wine) in a fresh prefix, with Lookout in a private network namespace. The
# x86 setup on 64-bit Windows asks first whether to install the 32-bit programs anyway: there
# step 2 checks that /S installs without asking, Cancel is checked before it (exit code 1,
# nothing installed) and the shown setups of steps 4 and 5 are answered OK.
#   1. both setups are GUI executables of their architecture carrying the version; both
#      zips hold the programs of their build, the README and the licence;
#   2. a silent install puts every file in %LOCALAPPDATA%\Programs\Tetherwatch (the programs
#      byte for byte), OSPREY.LNK in StartUp and three Start-menu shortcuts pointing at them
#      (read with winedump), creates the Online StartUp folder and registers every Apps &
#      Features value;
#   3. Lookout started through OSPREY.LNK launches the Online StartUp folder's program when
#      the default route comes up;
#   4. while Lookout runs, Setup refuses: silent, exit code 3; shown, Retry/Cancel, Cancel
#      exits 3; the uninstaller refuses the same way; nothing is replaced or removed;
#   5. with Lookout ended, an upgrade through every page into the same folder: the finish
#      page runs the wizard, Setup waits for it to close, then starts Lookout;
#   6. a silent uninstall removes everything Setup made, keeps the Online StartUp folder's
#      shortcut, REMOVED.REG and the folder holding it, without a message;
#   7. shown, the uninstaller says where REMOVED.REG was kept; without REMOVED.REG nothing
#      of the install folder is left;
#   8. the signed setup (e2e_release signs one with a throwaway certificate) installs silently:
#      the programs and the uninstaller carry signatures osslsigncode verifies, the programs
#      are this build's with a signature added, Apps & Features names the certificate's
#      subject; the signed Lookout launches the Online StartUp folder's program, the signed
#      wizard shows its first page; the signed uninstaller removes it all.
# TW_SCREENSHOTS=DIR keeps the pages and message boxes there (setup-*.png, uninstall-*.png).
# Needs root (ip netns), TW_BIN, TW_BUILD, TW_ARCH, TW_SOURCE, TW_DIST, TW_VERSION (ctest).
set -u
. "$TW_SOURCE/tests/support/wine-env.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "needs root for ip netns"
for tool in xdotool winedump wrestool unzip osslsigncode; do command -v $tool >/dev/null || fail "needs $tool"; done

failures=0
check() {  # WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "   ok: $1"; else echo "   FAIL: $1: expected [$2], got [$3]" >&2; failures=$((failures + 1)); fi
}
same() {  # WHAT FILE-A FILE-B
    if cmp -s "$2" "$3"; then echo "   ok: $1"; else echo "   FAIL: $1" >&2; failures=$((failures + 1)); fi
}
listing() { ls -A "$1" 2>/dev/null | LC_ALL=C sort; }
checkpoint() { [ "$failures" -eq 0 ] || fail "$failures check(s) failed"; }

# ---- 1. What build/dist holds -------------------------------------------------------------
echo "1. setups and zips"
# scripts/build puts the i686 build in build/ and the x86_64 one in build/x64.
case "$TW_ARCH" in
    x86_64) arch=x64 x64_build="$TW_BUILD/bin" x86_build="$TW_BUILD/../bin" ;;
    *) arch=x86 x64_build="$TW_BUILD/x64/bin" x86_build="$TW_BUILD/bin" ;;
esac
for a in x64 x86; do
    setup="$TW_DIST/Tetherwatch-$TW_VERSION-$a-setup.exe"
    [ -f "$setup" ] || fail "no $setup (scripts/build makes both)"
    if [ $a = x64 ]; then kind="PE32+ executable (GUI) x86-64"; else kind="PE32 executable (GUI) Intel 80386"; fi
    check "$a setup's type" "$kind" "$(file -b "$setup" | cut -c1-${#kind})"
    info=$(wrestool -x --raw -t16 "$setup" | tr -d '\000')
    check "$a setup's version" 1 "$(echo "$info" | grep -ac "ProductVersion$TW_VERSION")"
    zip="$TW_DIST/Tetherwatch-$TW_VERSION-$a.zip"
    check "$a zip's files" $'LICENSE.txt\nLookout.exe\nMarshal.exe\nREADME.txt' "$(unzip -Z1 "$zip" | sort)"
    bin=$x64_build; [ $a = x86 ] && bin=$x86_build
    for exe in Lookout.exe Marshal.exe; do
        [ -f "$bin/$exe" ] || continue  # the other build may not be next to this one
        same "$a zip's $exe is the build's" <(unzip -p "$zip" "$exe") "$bin/$exe"
    done
done
checkpoint
setup="$TW_DIST/Tetherwatch-$TW_VERSION-$arch-setup.exe"
title="Tetherwatch $TW_VERSION Setup"

# ---- The prefix, the namespace and the screen ---------------------------------------------
octet=$(( $$ % 200 + 20 ))
tw_e2e_begin setup
tw_netns_create "tw-su-$$" "10.233.$octet" || fail "cannot create a network namespace"
in_ns() { tw_in_ns "$@"; }
tw_start_server
# Wine started from here reaches the namespace's wineserver, but only programs started
# inside see its connection: every Wine command below runs there.
WINE_OUTSIDE=$WINE
WINE="in_ns_wine"
in_ns_wine() { tw_in_ns "$WINE_OUTSIDE" "$@"; }
tw_setup_paths
dir_win=$TW_INSTALL_DIR
[ -n "$TW_PROGRAMS" ] || fail "no APPDATA"
dir=$(tw_c_path "$dir_win")
programs=$(tw_c_path "$TW_PROGRAMS")
online="$programs/Online Startup"
[ ! -e "$online" ] || fail "the Online StartUp folder exists before Setup"
# Whether the setup asks before installing the 32-bit programs on 64-bit Windows.
asks=0
[ "$arch" = x86 ] && tw_windows64 && asks=1

shot() {  # WINDOW-ID NAME
    [ -n "${TW_SCREENSHOTS:-}" ] || return 0
    mkdir -p "$TW_SCREENSHOTS"
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root "$work/screen.png" 2>/dev/null &&
        /usr/bin/convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$TW_SCREENSHOTS/$2.png"
}
# Clicks inside a window, at offsets that may use its WIDTH and HEIGHT ('WIDTH - 140').
click_in() {  # WINDOW-ID X Y
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $(( X + $2 )) $(( Y + $3 )) sleep 0.2 click 1
    sleep 0.8
}
# NSIS's second button from the right: Next, I Agree, Install, Finish, Uninstall, Close.
next_button() { click_in "$1" 'WIDTH - 140' 'HEIGHT - 25'; }
processes() { "$WINE" "$TW_BIN/list_processes.exe" </dev/null 2>/dev/null | tr -d '\r'; }
lookout_runs() { processes | grep -qiF "$dir_win\\Lookout.exe"; }
end_lookout() {
    "$WINE" taskkill /f /im Lookout.exe </dev/null >/dev/null 2>&1
    local i; for i in $(seq 1 100); do lookout_runs || return 0; sleep 0.1; done
    fail "Lookout did not end"
}
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tetherwatch'
# The Apps & Features values, read once by read_values; reg_value NAME gives "TYPE DATA".
read_values() { values=$("$WINE" reg query "$uninstall_key" </dev/null 2>/dev/null | tr -d '\r'); }
reg_value() {
    echo "$values" | awk -v name="$1" 'index($0, "    " name "    ") == 1 { sub("^    " name "    ", ""); sub("    ", " "); print }'
}

# Starts the setup shown (in the background: $shown) and, where it asks first, answers OK.
start_shown() {
    "$WINE" "$setup" </dev/null >/dev/null 2>&1 &
    shown=$!
    pids+=("$shown")
    [ "$asks" = 1 ] || return 0
    local box
    box=$(tw_setup_question "$title" 30) || fail "no question before installing the 32-bit programs"
    tw_setup_answer "$box" ok || fail "the question could not be answered OK"
}

# ---- 1b. The x86 setup on 64-bit Windows: the question, answered Cancel -------------------
if [ "$asks" = 1 ]; then
    echo "1b. the x86 setup on 64-bit Windows asks first; Cancel installs nothing"
    "$WINE" "$setup" </dev/null >/dev/null 2>&1 &
    shown=$!
    pids+=("$shown")
    box=$(tw_setup_question "$title" 30) || fail "no question before installing the 32-bit programs"
    shot "$box" setup-x86-on-64-bit
    tw_setup_answer "$box" cancel || fail "the question could not be answered Cancel"
    tw_wait_exit "$shown" 20 || fail "Setup did not end after Cancel"
    check "Setup's exit code after Cancel" 1 "$rc"
    check "nothing installed" "" "$(ls -A "$dir" 2>/dev/null)"
    "$WINE" reg query "$uninstall_key" </dev/null >/dev/null 2>&1 && fail "Cancel registered an Apps & Features entry"
    checkpoint
else
    echo "1b. skipped: only the x86 setup on 64-bit Windows asks before installing"
fi

# ---- 2. Silent install ----------------------------------------------------------------------
echo "2. silent install into a fresh prefix"
tw_setup_install "$setup"; check "Setup's exit code" 0 "$?"  # and /S asks nothing
tw_setup_installed "$dir_win" || failures=$((failures + 1))
for exe in Lookout.exe Marshal.exe; do
    same "$exe is the build's" "$TW_BIN/$exe" "$dir/$exe"
done
same "README.txt is README.md" <(tr -d '\r' <"$dir/README.txt") "$TW_SOURCE/README.md"
check "OSPREY.LNK's target" "$dir_win\\Lookout.exe" "$(tw_lnk_path "$programs/StartUp/OSPREY.LNK")"
check "OSPREY.LNK's working directory" "$dir_win" "$(tw_lnk_field "$programs/StartUp/OSPREY.LNK" 'Working directory')"
check "Start menu" $'Lookout.lnk\nOnline StartUp Wizard.lnk\nUninstall Tetherwatch.lnk' "$(listing "$programs/Tetherwatch")"
check "Start menu: Lookout" "$dir_win\\Lookout.exe" "$(tw_lnk_path "$programs/Tetherwatch/Lookout.lnk")"
check "Start menu: wizard" "$dir_win\\Marshal.exe" "$(tw_lnk_path "$programs/Tetherwatch/Online StartUp Wizard.lnk")"
check "Start menu: uninstaller" "$dir_win\\Uninstall.exe" "$(tw_lnk_path "$programs/Tetherwatch/Uninstall Tetherwatch.lnk")"
check "Online StartUp folder, empty" "" "$(listing "$online")"
read_values
check DisplayName "REG_SZ Tetherwatch" "$(reg_value DisplayName)"
check DisplayVersion "REG_SZ $TW_VERSION" "$(reg_value DisplayVersion)"
check Publisher "REG_SZ Tetherwatch developers" "$(reg_value Publisher)"
check DisplayIcon "REG_SZ $dir_win\\Lookout.exe,0" "$(reg_value DisplayIcon)"
check InstallLocation "REG_SZ $dir_win" "$(reg_value InstallLocation)"
check UninstallString "REG_SZ \"$dir_win\\Uninstall.exe\"" "$(reg_value UninstallString)"
check QuietUninstallString "REG_SZ \"$dir_win\\Uninstall.exe\" /S" "$(reg_value QuietUninstallString)"
check NoModify "REG_DWORD 0x1" "$(reg_value NoModify)"
check NoRepair "REG_DWORD 0x1" "$(reg_value NoRepair)"
size_kb=$(( ($(cat "$dir"/* | wc -c) + 1023) / 1024 ))
estimated=$(reg_value EstimatedSize | sed -n 's/^REG_DWORD 0x//p')
estimated=$(( 16#${estimated:-0} ))
check "EstimatedSize within 4 KB of the files' $size_kb KB" 1 "$(( estimated >= size_kb - 4 && estimated <= size_kb + 4 ))"
checkpoint

# ---- 3. Lookout at log-on ----------------------------------------------------------------
echo "3. Lookout started through OSPREY.LNK launches the Online StartUp folder's program"
cp "$TW_BIN/idle_app.exe" "$WINEPREFIX/drive_c/idle_app.exe"
"$WINE" "$TW_BIN/make_link.exe" "$TW_PROGRAMS\\Online Startup\\Online App.lnk" 'C:\idle_app.exe' OnlineApp \
    </dev/null >/dev/null 2>&1 || fail "cannot write a shortcut"
cp "$online/Online App.lnk" "$work/online.lnk"
"$WINE" start /unix "$programs/StartUp/OSPREY.LNK" </dev/null >/dev/null 2>&1
for i in $(seq 1 300); do lookout_runs && break; sleep 0.1; done
lookout_runs || fail "Lookout is not running 30 s after OSPREY.LNK was started"
# Lookout has decided once its first tick shows the status; then one more tick (2 s).
WINE=$WINE_OUTSIDE tw_wait_status 'Status: Not Connected*' 30 || fail "Lookout shows no offline status within 30 s"
sleep "$(tw_limit 3)"
[ -z "$(tw_windows '^OnlineApp$')" ] || fail "the program started while offline"
tw_netns_online || fail "cannot add the route"
start=$(date +%s.%N)
tw_wait_window '^OnlineApp$' 30 >/dev/null || fail "the program did not start within 30 s of the route"
echo "   OnlineApp started $(echo "$(date +%s.%N) - $start" | bc) s after the route came up"

# ---- 4. Refusal while Lookout runs ---------------------------------------------------------
echo "4. Setup and the uninstaller while Lookout runs"
echo marker >"$dir/README.txt"
tw_setup_install "$setup"; check "silent Setup's exit code" 3 "$?"
start_shown
box=$(tw_wait_window "^$title\$" 30) || fail "no Retry/Cancel box"
shot "$box" setup-lookout-running
click_in "$box" 'WIDTH / 2 + 44' 'HEIGHT - 24'   # Cancel
tw_wait_exit "$shown" 20 || fail "Setup did not end after Cancel"
check "Setup's exit code after Cancel" 3 "$rc"
tw_setup_uninstall "$dir_win"; check "silent uninstaller's exit code" 3 "$?"
check "README.txt left alone" marker "$(cat "$dir/README.txt")"
tw_setup_installed "$dir_win" || failures=$((failures + 1))
checkpoint

# ---- 5. Upgrade through the pages --------------------------------------------------------
echo "5. upgrade through every page"
end_lookout
printf 'REGEDIT4\r\n' >"$dir/removed.reg"  # as the wizard names it
start_shown
page=$(tw_wait_window "^$title" 30) || fail "no Setup window"
sleep 1
for name in setup-welcome setup-licence setup-folder; do
    shot "$page" "$name"
    next_button "$page"
done
for i in $(seq 1 300); do  # until the files are in, then the finish page
    tr -d '\r' <"$dir/README.txt" | cmp -s - "$TW_SOURCE/README.md" && break
    sleep 0.1
done
sleep 1.5
shot "$page" setup-finish
next_button "$page"                              # Finish: both boxes are checked
wizard=$(tw_wait_window '^Osprey Online StartUp Wizard$' 30) || fail "the finish page did not run the wizard"
sleep 1
[ -z "$(tw_windows "^$title")" ] || fail "Setup's window stays while the wizard runs"
lookout_runs && fail "Lookout started before the wizard closed"
click_in "$wizard" 387 'HEIGHT - 25'           # the wizard's Cancel
tw_wait_exit "$shown" 30 || fail "Setup did not end after the wizard"
check "Setup's exit code" 0 "$rc"
for i in $(seq 1 300); do lookout_runs && break; sleep 0.1; done
lookout_runs && echo "   ok: Lookout started after the wizard closed" ||
    { echo "   FAIL: the finish page did not start Lookout" >&2; failures=$((failures + 1)); }
same "README.txt replaced" <(tr -d '\r' <"$dir/README.txt") "$TW_SOURCE/README.md"
check "REMOVED.REG kept" REGEDIT4 "$(tr -d '\r' <"$dir/removed.reg")"
read_values
check "InstallLocation" "REG_SZ $dir_win" "$(reg_value InstallLocation)"
check "one OSPREY.LNK" OSPREY.LNK "$(listing "$programs/StartUp")"
tw_setup_installed "$dir_win" || failures=$((failures + 1))
checkpoint

# ---- 6. Silent uninstall ------------------------------------------------------------------
echo "6. silent uninstall with REMOVED.REG"
end_lookout
"$WINE" reg add 'HKCU\Software\OSPREY\Options' /v AskFirst /d 1 /f </dev/null >/dev/null 2>&1
tw_setup_uninstall "$dir_win" &  # a message would keep it waiting
uninstall=$!
pids+=("$uninstall")
tw_wait_exit "$uninstall" 60 || fail "the silent uninstall did not end within 60 s"
check "uninstaller's exit code" 0 "$rc"
check "no message" "" "$(tw_windows "^Tetherwatch $TW_VERSION Uninstall")"
tw_setup_removed "$dir_win" || failures=$((failures + 1))
check "install folder: REMOVED.REG alone" removed.reg "$(listing "$dir")"
same "Online StartUp shortcut kept" "$work/online.lnk" "$online/Online App.lnk"
checkpoint

# ---- 7. Uninstall shown; then without REMOVED.REG -----------------------------------------
echo "7. the uninstaller's message, and an uninstall without REMOVED.REG"
tw_setup_install "$setup"; check "Setup's exit code" 0 "$?"
"$WINE" "$dir_win\\Uninstall.exe" "_?=$dir_win" </dev/null >/dev/null 2>&1 &
shown=$!
pids+=("$shown")
page=$(tw_wait_window "^Tetherwatch $TW_VERSION Uninstall" 30) || fail "no uninstaller window"
sleep 1
shot "$page" uninstall-confirm
next_button "$page"                              # Uninstall
box=$(tw_wait_window "^Tetherwatch $TW_VERSION Uninstall\$" 30 "$page") || fail "no message about REMOVED.REG"
sleep 0.5
shot "$box" uninstall-removed-reg
click_in "$box" 'WIDTH / 2' 'HEIGHT - 24'      # OK
tw_wait_gone "$box" 5 || fail "the message did not close"
sleep 1
next_button "$page"                              # Close
tw_wait_exit "$shown" 30 || fail "the uninstaller did not end"
check "uninstaller's exit code" 0 "$rc"
check "install folder: REMOVED.REG and the uninstaller" $'Uninstall.exe\nremoved.reg' "$(listing "$dir")"
rm -f "$dir/removed.reg"
tw_setup_install "$setup"; check "Setup's exit code" 0 "$?"
tw_setup_uninstall "$dir_win"; check "uninstaller's exit code" 0 "$?"
tw_setup_removed "$dir_win" || failures=$((failures + 1))
check "install folder gone" "" "$(ls -d "$dir" 2>/dev/null)"
same "Online StartUp shortcut kept" "$work/online.lnk" "$online/Online App.lnk"
checkpoint

# ---- 8. The signed setup -------------------------------------------------------------------
echo "8. the signed setup: a silent install, its programs and its uninstaller"
signed="$TW_BUILD/signed"
signed_setup="$signed/Tetherwatch-$TW_VERSION-$arch-setup.exe"
[ -f "$signed_setup" ] || fail "no signed setup in $signed (e2e_release makes it)"
subject=$(cat "$signed/subject.txt")
tw_setup_install "$signed_setup"; check "signed Setup's exit code" 0 "$?"
tw_setup_installed "$dir_win" || failures=$((failures + 1))
tw_setup_signed "$dir_win" "$signed/cert.pem" && echo "   ok: the programs and the uninstaller are signed" ||
    failures=$((failures + 1))
for exe in Lookout.exe Marshal.exe; do
    osslsigncode remove-signature -in "$dir/$exe" -out "$work/unsigned-$exe" >/dev/null 2>&1
    same "$exe is the build's, signed" "$TW_BIN/$exe" "$work/unsigned-$exe"
done
read_values
check "Publisher" "REG_SZ $subject" "$(reg_value Publisher)"
checkpoint
# The program Lookout started in step 3 still runs; the connection is still up.
"$WINE" taskkill /f /im idle_app.exe </dev/null >/dev/null 2>&1
tw_poll 10 eval '[ -z "$(tw_windows "^OnlineApp$")" ]' || fail "OnlineApp did not end"
"$WINE" "$dir_win\\Lookout.exe" </dev/null >/dev/null 2>&1 &
pids+=("$!")
tw_wait_window '^OnlineApp$' 30 >/dev/null && echo "   ok: the signed Lookout launched OnlineApp" ||
    fail "the signed Lookout did not launch the Online StartUp folder's program"
end_lookout
"$WINE" taskkill /f /im idle_app.exe </dev/null >/dev/null 2>&1
"$WINE" "$dir_win\\Marshal.exe" </dev/null >/dev/null 2>&1 &
shown=$!
pids+=("$shown")
wizard=$(tw_wait_window '^Osprey Online StartUp Wizard$' 30) || fail "the signed wizard shows no window"
sleep 1
shot "$wizard" marshal-signed-page0
windows() { "$WINE" "$TW_BIN/list_windows.exe" </dev/null 2>/dev/null | tr -d '\r'; }
tw_poll 20 eval 'windows | grep -qF "&Begin"' && echo "   ok: the wizard's first page" ||
    { echo "   FAIL: the signed wizard does not show its first page" >&2; failures=$((failures + 1)); }
click_in "$wizard" 387 'HEIGHT - 25'           # the wizard's Cancel
tw_wait_exit "$shown" 30 || fail "the signed wizard did not end after Cancel"
tw_setup_uninstall "$dir_win"; check "signed uninstaller's exit code" 0 "$?"
tw_setup_removed "$dir_win" || failures=$((failures + 1))
checkpoint
echo "PASS"
