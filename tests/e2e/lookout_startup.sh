#!/usr/bin/env bash
# Lookout.exe's start-up under Wine and Xvfb:
#   1. an empty Online StartUp folder: the warning box, titled "Tetherwatch", waits for OK;
#   2. meanwhile a second copy ends at once with exit code 0 and shows nothing;
#   3. after OK the first copy ends with exit code 0, and no settings key was created;
#   4. with a shortcut in the folder (the one the shell names, as the wizard fills it) no
#      warning is shown: Lookout stays, its first tick's status shown;
#   5. the shell's "TaskbarCreated" broadcast, after the shell has forgotten the icon, puts the
#      icon back (the real window and subclass: a message-only window would not get it).
# Needs TW_BIN, TW_BUILD, TW_ARCH, TW_SOURCE (set by ctest).
set -u
. "$TW_SOURCE/tests/support/wine-env.sh"

tw_e2e_begin lookout
tw_start_server
fail() { echo "FAIL: $*" >&2; exit 1; }
now() { date +%s.%N; }
elapsed() { echo "$(now) - $1" | bc; }

lookout="$TW_BIN/Lookout.exe"
[ -f "$lookout" ] || fail "no $lookout"

boxes() { tw_windows '^Tetherwatch$'; }

# The Online StartUp folder as the wizard makes it: the shell's Programs folder of the
# Start menu, then "Online Startup".
programs=$(tw_programs_folder) || fail "no APPDATA"
folder="$programs\\Online Startup"
"$WINE" cmd /c mkdir "$folder" </dev/null >/dev/null 2>&1
"$WINE" cmd /c dir "$folder" </dev/null >/dev/null 2>&1 || fail "cannot create $folder"

echo "1. empty Online StartUp folder: the warning"
start=$(now)
"$WINE" "$lookout" </dev/null >/dev/null 2>&1 &
first=$!
pids+=("$first")
box=$(tw_wait_window '^Tetherwatch$' 30) || fail "no warning box within 30 s"
echo "   warning box after $(elapsed "$start") s"
[ "$(boxes | wc -l)" -eq 1 ] || fail "more than one box"
kill -0 "$first" 2>/dev/null || fail "the first copy did not wait for the box to be answered"

echo "2. a second copy while the first runs"
start=$(now)
"$WINE" "$lookout" </dev/null >/dev/null 2>&1 &
second=$!
pids+=("$second")
tw_wait_exit "$second" 15 || fail "the second copy did not end within 15 s"
echo "   second copy ended after $(elapsed "$start") s with exit code $rc"
[ "$rc" -eq 0 ] || fail "the second copy's exit code is $rc"
[ "$(boxes | wc -l)" -eq 1 ] || fail "the second copy showed something"

echo "3. OK ends the first copy without touching the settings"
tw_answer "$box" Return 50 || fail "OK could not be pressed"
tw_wait_exit "$first" 10 || fail "the first copy did not end after OK"
[ "$rc" -eq 0 ] || fail "the first copy's exit code is $rc"
[ -z "$(boxes)" ] || fail "a box is still shown"
if "$WINE" reg query 'HKCU\Software\OSPREY' </dev/null >/dev/null 2>&1; then
    fail "HKEY_CURRENT_USER\\Software\\OSPREY was created"
fi

echo "4. a shortcut in the folder: no warning"
tw_link "$folder\\Notepad.lnk" 'C:\windows\notepad.exe' || fail "cannot write a shortcut"
"$WINE" "$lookout" </dev/null >/dev/null 2>&1 &
third=$!
pids+=("$third")
# The load ends with the first tick, whose status shows: by then the warning is long decided.
shown_or_ended() { tw_ended "$third" || tw_status_is 'Status: *'; }
tw_poll 30 shown_or_ended || fail "Lookout showed no status within 30 s"
if tw_ended "$third"; then wait "$third"; fail "Lookout ended (exit code $?) although the folder has a shortcut"; fi
[ -z "$(boxes)" ] || fail "the warning was shown although the folder has a shortcut"

echo "5. the shell's TaskbarCreated broadcast puts the icon back"
icon() { "$WINE" "$TW_BIN/tray_icon.exe" "$@" </dev/null 2>/dev/null; }
tray=$(icon find | tr -d '\r')
[ -n "$tray" ] || fail "the shell holds no icon of Lookout's"
icon forget "$tray" || fail "the icon could not be removed"
icon has "$tray" && fail "the shell still holds the icon"
tw_poll 10 eval '[ -z "$(tw_windows "^Wine System Tray\$")" ]' || fail "the tray still shows an icon"
icon broadcast || fail "TaskbarCreated could not be broadcast"
tw_poll 10 icon has "$tray" || fail "no icon 10 s after the TaskbarCreated broadcast"
tw_wait_window '^Wine System Tray$' 10 >/dev/null || fail "the tray does not show the icon again"
echo "PASS"
