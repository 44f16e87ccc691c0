#!/usr/bin/env bash
# Lookout.exe's monitor for real: Wine, Xvfb and a private network namespace whose default
# route is the connection. The Online StartUp folder holds shortcuts to copies of idle_app:
#   Alpha, Beta (already running before Lookout starts), Spaced (its folder name has a
#   blank; a planted C:\twe2e\My.exe must not run instead), Stubborn One and Упрямый Два
#   (both ignore WM_CLOSE).
#   1. route added: within one tick (2 s) plus slack every helper runs, Beta only once;
#   2. route removed: Alpha, Beta and Spaced close on the close request; after 20 s the
#      not-responding prompt appears under each stubborn helper's window title; No kills
#      Stubborn One, Cancel leaves Упрямый Два running (a title beyond the ANSI code page, read
#      from the other program and shown in the prompt as it is).
# TW_SCREENSHOTS=DIR keeps a screenshot of the first prompt there. Needs root (ip netns),
# TW_BIN, TW_BUILD, TW_ARCH, TW_SOURCE (set by ctest).
set -u
. "$TW_SOURCE/tests/support/wine-env.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "needs root for ip netns"
command -v xdotool >/dev/null || fail "needs xdotool"

octet=$(( $$ % 200 + 20 ))
tw_e2e_begin monitor

tw_netns_create "tw-e2e-$$" "10.231.$octet" || fail "cannot create a network namespace"
online() { tw_netns_online; }
offline() { tw_netns_offline; }

# Everything Wine runs inside the namespace, the wineserver first.
in_ns() { tw_in_ns "$@"; }
tw_start_server

now() { date +%s.%N; }
since() { echo "$(now) - $1" | bc; }

# The helpers, inside the prefix.
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/twe2e/alpha" "$drive_c/twe2e/beta" "$drive_c/twe2e/stubborn" "$drive_c/twe2e/My Apps"
cp "$TW_BIN/idle_app.exe" "$drive_c/twe2e/alpha/alpha.exe"
cp "$TW_BIN/idle_app.exe" "$drive_c/twe2e/beta/beta.exe"
cp "$TW_BIN/idle_app.exe" "$drive_c/twe2e/stubborn/stubborn1.exe"
cp "$TW_BIN/idle_app.exe" "$drive_c/twe2e/stubborn/stubborn2.exe"
cp "$TW_BIN/idle_app.exe" "$drive_c/twe2e/My Apps/spaced.exe"
cp "$TW_BIN/idle_app.exe" "$drive_c/twe2e/My.exe"
alpha='C:\twe2e\alpha\alpha.exe'
beta='C:\twe2e\beta\beta.exe'
stubborn1='C:\twe2e\stubborn\stubborn1.exe'
stubborn2='C:\twe2e\stubborn\stubborn2.exe'
spaced='C:\twe2e\My Apps\spaced.exe'
planted='C:\twe2e\My.exe'

programs=$(tw_programs_folder) || fail "no APPDATA"
folder="$programs\\Online Startup"
in_ns "$WINE" cmd /c mkdir "$folder" </dev/null >/dev/null 2>&1
link() { tw_link "$folder\\$1" "$2" "$3" || fail "cannot write $1"; }
link Alpha.lnk "$alpha" '"Alpha Window"'
link Beta.lnk "$beta" '"Beta Window"'
link "Stubborn One.lnk" "$stubborn1" '--ignore-close "Stubborn One"'
link "Упрямый Два.lnk" "$stubborn2" '--ignore-close "Упрямый Два"'
link Spaced.lnk "$spaced" '"Spaced Window"'

echo "0. offline; Beta already runs; Lookout starts"
in_ns "$WINE" "$beta" "Beta Window" </dev/null >/dev/null 2>&1 &
pids+=($!)
tw_wait_window "^Beta Window$" 10 >/dev/null
[ "$(tw_count "$beta")" -eq 1 ] || fail "Beta did not start"
in_ns "$WINE" "$TW_BIN/Lookout.exe" </dev/null >/dev/null 2>&1 &
lookout=$!
pids+=("$lookout")
tw_wait_window '^Wine System Tray$' 15 >/dev/null || fail "no tray icon within 15 s"
# The load has decided once its first tick shows the status; then one more tick (2 s), each
# tick deciding right after it shows the status.
tw_wait_status 'Status: Not Connected, With Apps Running' 15 || fail "no offline status within 15 s"
sleep "$(tw_limit 3)"
kill -0 "$lookout" 2>/dev/null || fail "Lookout ended"
for exe in "$alpha" "$stubborn1" "$stubborn2" "$spaced"; do
    [ "$(tw_count "$exe")" -eq 0 ] || fail "$exe was started while offline"
done

echo "1. route added: the helpers start"
start=$(now)
online || fail "cannot add the route"
launched=
for i in $(seq 1 100); do
    list=$(tw_processes)
    all=1
    for exe in "$alpha" "$stubborn1" "$stubborn2" "$spaced"; do
        lower=$(echo "$exe" | tr 'A-Z' 'a-z')
        echo "$list" | P="$lower" awk -F'\t' '$2 == ENVIRON["P"] {found=1} END {exit !found}' || all=0
    done
    if [ "$all" = 1 ]; then launched=$(since "$start"); break; fi
    sleep 0.1
done
[ -n "$launched" ] || fail "the helpers did not all start within 10 s"
echo "   all running $launched s after the route was added"
[ "$(tw_count "$beta")" -eq 1 ] || fail "Beta runs $(tw_count "$beta") times: it was not adopted"
[ "$(tw_count "$planted")" -eq 0 ] || fail "the planted first-word program ran"
[ "$(tw_count "$spaced")" -eq 1 ] || fail "the program in 'My Apps' did not run once"
for name in "Alpha Window" "Spaced Window" "Stubborn One" "Упрямый Два"; do
    tw_wait_window "^$name$" 15 >/dev/null || fail "no window '$name'"
done
app_one=$(tw_windows "^Stubborn One$")
app_two=$(tw_windows "^Упрямый Два$")
# The batch shows the program it starts; the first tick after it shows the status again, with
# everything running, and then another tick: nothing more is started.
tw_wait_status 'Status: Connected: LAN, With Apps Running' 15 || fail "no status after the launches within 15 s"
sleep "$(tw_limit 3)"
tw_status_is 'Status: Connected: LAN, With Apps Running' || fail "the status is now [$(tw_lookout_status)]"
[ "$(tw_count "$alpha")" -eq 1 ] || fail "Alpha was started twice"

echo "2. route removed: the helpers close; the stubborn ones are asked about"
start=$(now)
offline || fail "cannot remove the route"
answered_one= answered_two=
while (( $(echo "$(since "$start") < 90" | bc) )); do
    for wid in $(tw_windows "^Stubborn One$"); do
        [ "$wid" = "$app_one" ] && continue
        [ -n "$answered_one" ] && continue
        answered_one=$(since "$start")
        echo "   prompt 'Stubborn One' after $answered_one s: answering No"
        sleep 0.5
        if [ -n "${TW_SCREENSHOTS:-}" ]; then
            mkdir -p "$TW_SCREENSHOTS"
            import -window root "$TW_SCREENSHOTS/lookout-not-responding.png" 2>/dev/null
        fi
        tw_answer "$wid" n 50
    done
    for wid in $(tw_windows "^Упрямый Два$"); do
        [ "$wid" = "$app_two" ] && continue
        [ -n "$answered_two" ] && continue
        answered_two=$(since "$start")
        echo "   prompt 'Упрямый Два' after $answered_two s: answering Cancel"
        sleep 0.5
        tw_answer "$wid" Escape 79
    done
    [ -n "$answered_one" ] && [ -n "$answered_two" ] && break
    sleep 0.1
done
[ -n "$answered_one" ] || fail "no prompt for Stubborn One"
[ -n "$answered_two" ] || fail "no prompt for Упрямый Два"
first=$answered_one
(( $(echo "$answered_two < $first" | bc) )) && first=$answered_two
(( $(echo "$first >= 20" | bc) )) || fail "the first prompt came after $first s, before the 20-second wait"
# The batch ends after the second answer; give the processes a moment to go.
for i in $(seq 1 100); do
    [ "$(tw_count "$stubborn1")" -eq 0 ] && [ "$(tw_count "$alpha")" -eq 0 ] && break
    sleep 0.1
done
for exe in "$alpha" "$beta" "$spaced"; do
    [ "$(tw_count "$exe")" -eq 0 ] || fail "$exe still runs after the close request"
done
[ "$(tw_count "$stubborn1")" -eq 0 ] || fail "Stubborn One still runs after No"
[ "$(tw_count "$stubborn2")" -eq 1 ] || fail "Упрямый Два did not stay after Cancel"
for wid in $(tw_windows "^Stubborn One$") $(tw_windows "^Упрямый Два$"); do
    [ "$wid" = "$app_two" ] || fail "a prompt is still shown"
done
kill -0 "$lookout" 2>/dev/null || fail "Lookout ended"
echo "PASS"
