#!/usr/bin/env bash
# Smoke checks of what users get, as 32-bit code: build/bin's Lookout.exe and Marshal.exe and
# the x86 setup. scripts/test runs them natively where 32-bit Wine starts, else inside the
# emulated machine (scripts/guest/run). Each check has its own prefix and Xvfb:
#   lookout-warning  an empty Online StartUp folder: the warning, titled "Tetherwatch", with
#                    its exact text; OK ends Lookout with exit code 0;
#   lookout-monitor  two shortcuts, the second one's program ignoring the close request; in a
#                    network namespace the route added starts both, the route removed closes
#                    the first, and the not-responding prompt for the second, answered No,
#                    kills it;
#   marshal          all five pages: one StartUp shortcut moved, one Run value made a
#                    shortcut, REMOVED.REG brings the value back through regedit /s;
#   setup            the x86 setup installs silently, build/bin's programs and OSPREY.LNK among what
#                    it puts in place; the silent uninstall removes it (skipped without a setup).
# Prints each check's result and time, then "N passed, N failed"; a failing check prints what
# it saw. Needs root (ip netns) and TW_BIN (the i686 programs and test helpers), TW_BUILD (a
# work folder, the template prefix in its wine/), TW_SOURCE. Optional: TW_DIST (the setups),
# TW_WAIT_SCALE (multiplies every wait), TW_POLL, TW_OUT (screenshots of each check's main
# window, and of failures), TW_CHECKS (the names of the checks to run).
set -u
export TW_ARCH=${TW_ARCH:-i686}  # x86_64 runs them on the 64-bit build, to try them out quickly
. "$TW_SOURCE/tests/support/wine-env.sh"
. "$TW_SOURCE/tests/support/wizard-ui.sh"
dist=${TW_DIST:-$TW_SOURCE/build/dist}

# A failure shows the windows, a screenshot and the end of what the programs printed.
fail() {
    echo "   FAIL: $*"
    { tw_show_failure "$check"; echo "--- programs' output:"; tail -n 15 "$work/programs.log"; } | sed 's/^/   /'
    exit 1
}
start_bg() { tw_wine "$@" </dev/null >>"$work/programs.log" 2>&1 & last=$!; pids+=("$last"); }
# The texts of the static controls of the window titled TITLE (a message box's text).
box_text() {
    tw_list_windows | T="$1" awk -F'\t' '$1 != "" { inside = ($3 == ENVIRON["T"]) }
        $1 == "" && inside && $2 == "Static" && $3 != "" { print $3 }'
}
running() { [ "$(tw_count "$1")" -eq "$2" ]; }
# A screenshot of what a passing check saw, TW_OUT/NAME.png.
shot() { [ -z "${TW_OUT:-}" ] || import -window root "$TW_OUT/$1.png" 2>/dev/null; }

check_lookout_warning() {
    tw_start_server
    mkdir -p "$(tw_c_path "$TW_PROGRAMS\\Online Startup")"
    start_bg "$TW_BIN/Lookout.exe"
    box=$(tw_wait_window '^Tetherwatch$' 15) || fail "no message box titled Tetherwatch"
    expected='There are no shortcuts in your Online StartUp folder. You can move your online programs shortcuts from your StartUp folder, use the Online StartUp Wizard, or create new shortcuts to your online programs. '
    text=$(box_text Tetherwatch)
    [ "$text" = "$expected" ] || fail "the warning reads [$text]"
    shot lookout-warning-box
    tw_answer "$box" Return 50 || fail "the warning could not be answered"
    tw_wait_exit "$last" 10 || fail "Lookout did not end after OK"
    [ "$rc" -eq 0 ] || fail "Lookout's exit code is $rc"
}

check_lookout_monitor() {
    tw_netns_create "tw-x86-$$" "10.233.$(( $$ % 200 + 20 ))" || fail "cannot create a network namespace"
    tw_start_server
    mkdir -p "$WINEPREFIX/drive_c/twx86"
    cp "$TW_BIN/idle_app.exe" "$WINEPREFIX/drive_c/twx86/alpha.exe"
    cp "$TW_BIN/idle_app.exe" "$WINEPREFIX/drive_c/twx86/stubborn.exe"
    alpha='C:\twx86\alpha.exe' stubborn='C:\twx86\stubborn.exe'
    folder="$TW_PROGRAMS\\Online Startup"
    mkdir -p "$(tw_c_path "$folder")"
    tw_link "$folder\\Alpha.lnk" "$alpha" '"Alpha Window"' || fail "cannot write Alpha.lnk"
    tw_link "$folder\\Stubborn.lnk" "$stubborn" '--ignore-close "Stubborn Window"' || fail "cannot write Stubborn.lnk"
    start_bg "$TW_BIN/Lookout.exe"
    lookout=$last
    tw_wait_window '^Wine System Tray$' 15 >/dev/null || fail "no tray icon"
    # The load has decided once its first tick shows the status; then one more tick (2 s).
    tw_wait_status 'Status: Not Connected*' 15 || fail "no offline status"
    sleep "$(tw_limit 3)"
    running "$alpha" 0 || fail "Alpha started while offline"

    tw_netns_online || fail "cannot add the route"
    echo "   route added"
    tw_poll 15 eval 'running "$alpha" 1 && running "$stubborn" 1' || fail "the programs did not start"
    app=$(tw_wait_window '^Stubborn Window$' 10) || fail "no window 'Stubborn Window'"
    echo "   both programs run"

    tw_netns_offline || fail "cannot remove the route"
    echo "   route removed"
    tw_poll 15 running "$alpha" 0 || fail "Alpha still runs"
    # The prompt comes 20 s (not slowed by emulation) after the close request, under the
    # program's window title.
    prompt=$(TW_WAIT_SCALE=1 tw_wait_window '^Stubborn Window$' $(( 20 + $(tw_limit 15) )) "$app") ||
        fail "no not-responding prompt"
    expected='This program is not responding. It may be busy, waiting for a response from you, or it may have stopped running.\r\rClick Yes to wait for the application, No to kill the application, or Cancel to leave the application alone.'
    text=$(box_text 'Stubborn Window')
    [ "$text" = "$expected" ] || fail "the prompt reads [$text]"
    shot lookout-monitor-prompt
    tw_answer "$prompt" n 50 || fail "the prompt could not be answered"
    echo "   prompt answered No"
    tw_poll 15 running "$stubborn" 0 || fail "the stubborn program still runs after No"
    tw_ended "$lookout" && fail "Lookout ended"
    true
}

check_marshal() {
    tw_start_server
    c="$WINEPREFIX/drive_c"
    mkdir -p "$c/Apps" "$c/Osprey"
    cp "$TW_BIN/idle_app.exe" "$c/Apps/idle_app.exe"
    cp "$TW_BIN/Marshal.exe" "$c/Osprey/Marshal.exe"
    programs=$(tw_c_path "$TW_PROGRAMS")
    mkdir -p "$programs/StartUp"
    tw_link "$TW_PROGRAMS\\StartUp\\Mail.lnk" 'C:\Apps\idle_app.exe' MailApp || fail "cannot write Mail.lnk"
    cp "$programs/StartUp/Mail.lnk" "$work/Mail.lnk"
    run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
    tw_wine reg add "$run" /v Pager /t REG_SZ /d 'C:\Apps\idle_app.exe PagerApp' /f </dev/null >/dev/null 2>&1 || fail "reg add"
    pager_value() { tw_wine reg query "$run" /v Pager </dev/null 2>/dev/null | tr -d '\r' | sed -n 's/^    Pager    REG_SZ    //p'; }
    [ "$(pager_value)" = 'C:\Apps\idle_app.exe PagerApp' ] || fail "Pager reads [$(pager_value)]"
    # Page 2 lists the current user's Run values in the registry's order.
    pager_row=$(tw_wine reg query "$run" </dev/null 2>/dev/null | tr -d '\r' | awk '/^    /{print $1}' | grep -nx Pager | cut -d: -f1)

    # Each page is known by a control's text; the wizard takes input only once it shows.
    page() { local want=$1; tw_poll 20 eval 'tw_list_windows | grep -qF -- "$want"' || fail "page $2 did not show"; }
    start_bg 'C:\Osprey\Marshal.exe'
    marshal=$last
    tw_wizard_find 30 || fail "no wizard window"
    page '&Begin' 0
    tw_wizard_next
    page 'Check the StartUp folder shortcut' 1
    tw_wizard_check 1
    tw_wizard_next
    page 'Check the registry item(s)' 2
    tw_wizard_check "$pager_row"
    tw_wizard_next
    page '-1 registry item shortcut(s) will be created.' 3
    tw_list_windows | grep -qF -- '-1 StartUp shortcut(s) will be moved.' || fail "page 3 does not count Mail.lnk"
    shot marshal-page3
    tw_wizard_next
    box=$(tw_wait_window '^Online StartUp Wizard$' 30) || fail "no message for the created shortcut"
    text=$(box_text 'Online StartUp Wizard')
    [ "$text" = 'The shortcut was created successfuly.' ] || fail "the message reads [$text]"
    shot marshal-page4
    tw_answer "$box" Return 50 || fail "the message could not be answered"
    page 'All done, click the Exit button to close.' 4
    tw_wizard_next
    tw_wait_exit "$marshal" 15 || fail "Marshal did not end after Exit"
    [ "$rc" -eq 0 ] || fail "Marshal's exit code is $rc"

    online="$programs/Online Startup"
    cmp -s "$work/Mail.lnk" "$online/Mail.lnk" || fail "Mail.lnk was not moved byte for byte"
    [ ! -e "$programs/StartUp/Mail.lnk" ] || fail "Mail.lnk is still in StartUp"
    grep -aqF 'C:\Apps\idle_app.exe' "$online/Pager.lnk" 2>/dev/null || fail "no Pager.lnk to idle_app.exe"
    expected=$(printf '%s\r\n' REGEDIT4 '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]' \
        '"Pager"="C:\\Apps\\idle_app.exe PagerApp"')
    [ "$(cat "$c/Osprey/removed.reg")" = "$expected" ] || fail "REMOVED.REG holds [$(cat -A "$c/Osprey/removed.reg")]"
    [ -z "$(pager_value)" ] || fail "Pager is still in the registry"
    tw_wine regedit /s 'C:\Osprey\removed.reg' </dev/null >/dev/null 2>&1
    [ "$(pager_value)" = 'C:\Apps\idle_app.exe PagerApp' ] || fail "regedit /s restored [$(pager_value)]"
}

check_setup() {
    tw_start_server
    tw_setup_paths
    tw_setup_install "$setup"
    rc=$?
    [ "$rc" -eq 0 ] || fail "the silent setup's exit code is $rc"
    missing=$(tw_setup_installed "$TW_INSTALL_DIR") || fail "$missing"
    dir=$(tw_c_path "$TW_INSTALL_DIR")
    for exe in Lookout.exe Marshal.exe; do
        cmp -s "$TW_BIN/$exe" "$dir/$exe" || fail "the installed $exe is not build/bin's"
    done
    grep -aqiF 'Tetherwatch\Lookout.exe' "$(tw_c_path "$TW_STARTUP")/OSPREY.LNK" ||
        fail "OSPREY.LNK does not start the installed Lookout.exe"
    tw_setup_uninstall "$TW_INSTALL_DIR"
    rc=$?
    [ "$rc" -eq 0 ] || fail "the silent uninstall's exit code is $rc"
    left=$(tw_setup_removed "$TW_INSTALL_DIR") || fail "$left"
}

# Runs one check in a subshell of its own (prefix, Xvfb, clean-up) and prints its result.
passed=0 failed=0
run_check() {  # NAME
    local begin=$SECONDS
    check=$1
    echo "check $1"
    if ( tw_e2e_begin "$1" && "check_${1//-/_}" ); then
        echo "check $1: PASS ($(( SECONDS - begin )) s)"
        passed=$(( passed + 1 ))
    else
        echo "check $1: FAIL ($(( SECONDS - begin )) s)"
        failed=$(( failed + 1 ))
    fi
}

begin=$SECONDS
mkdir -p "$TW_BUILD/wine"
# Warm-up: the first Wine programs after a boot are slow and log a cold start of Wine's
# services; these load most of the system DLLs the programs use. The Programs folder is
# asked once: every prefix is a copy of one template.
TW_PROGRAMS=$(tw_e2e_begin warm-up >&2 && tw_start_server && tw_link 'C:\warm-up.lnk' 'C:\windows\notepad.exe' &&
    tw_list_windows >/dev/null && tw_programs_folder)
export TW_PROGRAMS
[ -n "$TW_PROGRAMS" ] || echo "warm-up failed"
echo "warm-up: $(( SECONDS - begin )) s"
setup=$(ls "$dist"/Tetherwatch-*-x86-setup.exe 2>/dev/null | head -n1)
skipped=
for name in ${TW_CHECKS:-lookout-warning lookout-monitor marshal setup}; do
    if [ "$name" = setup ] && [ -z "$setup" ]; then
        skipped=", 1 skipped"
        echo "check setup: skipped, no x86 setup in $dist"
    else
        run_check "$name"
    fi
done
echo "x86 smoke checks took $(( SECONDS - begin )) s"
echo "x86: $passed passed, $failed failed$skipped"
[ "$failed" -eq 0 ]
