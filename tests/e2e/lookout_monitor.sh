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
#   3. a fresh start listing only Alpha, no options set: a 4-second drop closes it, and it
#      starts again when the route is back;
#   4. CloseDelay 8: a 4-second drop leaves Alpha running (never closed, never started twice);
#      a long drop closes it 8 s after the first tick that saw it;
#   5. StartDelay 6: Alpha starts only 6 s after the route is back;
#   6. a resume from sleep (WM_POWERBROADCAST) runs a tick and the drop waits its whole
#      CloseDelay again from the wake-up;
#   7. NeedInternet on, with Wine's real Network List Manager: launched with the route,
#      closed without it.
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

# ---- The monitor's own options: each run restarts Lookout with only Alpha listed ----
options='HKCU\Software\OSPREY\Options'
set_option() { tw_wine reg add "$options" /v "$1" /t REG_SZ /d "$2" /f </dev/null >/dev/null 2>&1 || fail "reg add $1"; }
# Ends Lookout at once, without its unload (which would close Alpha).
stop_lookout() {
    tw_wine taskkill /f /im Lookout.exe </dev/null >/dev/null 2>&1
    tw_wait_exit "$lookout" 10 || fail "Lookout did not end"
}
start_lookout() {
    in_ns "$WINE" "$TW_BIN/Lookout.exe" </dev/null >/dev/null 2>&1 &
    lookout=$!
    pids+=("$lookout")
    sleep 3  # loaded, one tick at least
    kill -0 "$lookout" 2>/dev/null || fail "Lookout ended at start"
}
alpha_runs() { [ "$(tw_count "$alpha")" -eq "$1" ]; }
# Polls for up to $1 seconds until Alpha runs $2 times; prints the seconds since $3.
wait_alpha() {
    local end
    end=$(echo "$(now) + $1" | bc)
    while (( $(echo "$(now) < $end" | bc) )); do
        if alpha_runs "$2"; then since "$3"; return 0; fi
        sleep 0.2
    done
    return 1
}
# Changes the route ($1: online or offline), then waits up to $2 seconds for Alpha to run $3
# times; prints the seconds that took.
route_then_alpha() {
    local t
    t=$(now)
    "$1" || fail "cannot change the route"
    wait_alpha "$2" "$3" "$t"
}
# Fails if Alpha does not run exactly once at every look for $1 seconds.
alpha_stays() {
    local end n
    end=$(echo "$(now) + $1" | bc)
    while (( $(echo "$(now) < $end" | bc) )); do
        n=$(tw_count "$alpha")
        [ "$n" -eq 1 ] || fail "$2: Alpha runs $n times"
        sleep 0.2
    done
}

stop_lookout
tw_wine taskkill /f /im stubborn2.exe </dev/null >/dev/null 2>&1
unix_folder=$(tw_c_path "$folder")
find "$unix_folder" -name '*.lnk' ! -name Alpha.lnk -delete
[ "$(ls "$unix_folder")" = Alpha.lnk ] || fail "the folder still lists $(ls "$unix_folder")"

echo "3. no options: a 4-second drop closes Alpha, the route back starts it again"
online || fail "cannot add the route"
start=$(now)
start_lookout
wait_alpha 15 1 "$start" >/dev/null || fail "Alpha was not started at load"
start=$(now)
offline || fail "cannot remove the route"
closed=$(wait_alpha 4 0 "$start") || fail "Alpha still runs 4 s into the drop"
echo "   closed $closed s into the drop"
sleep "$(echo "4 - $(since "$start")" | bc | sed 's/^-.*/0/')"
start=$(now)
online || fail "cannot add the route"
again=$(wait_alpha 10 1 "$start") || fail "Alpha was not started again"
echo "   started again $again s after the route came back"

echo "4. CloseDelay 8: a 4-second drop leaves Alpha alone, a long one closes it after 8 s"
stop_lookout
set_option CloseDelay 8
start_lookout
alpha_runs 1 || fail "Alpha was started again at load"
offline || fail "cannot remove the route"
alpha_stays 4 "during the short drop"
online || fail "cannot add the route"
alpha_stays 6 "after the short drop"
start=$(now)
offline || fail "cannot remove the route"
if [ -n "${TW_SCREENSHOTS:-}" ]; then
    # The tooltip with its countdown: the mouse on the tray's one icon (the icons of the
    # Lookouts ended before went with their windows).
    sleep 3
    xdotool mousemove 12 31 sleep 0.2 mousemove_relative 1 0
    sleep 1.5
    import -window root "$TW_SCREENSHOTS/lookout-tooltip-closing.png" 2>/dev/null
    xdotool mousemove 0 0
fi
closed=$(wait_alpha 16 0 "$start") || fail "Alpha still runs 16 s into the long drop"
echo "   closed $closed s into the long drop"
(( $(echo "$closed >= 7.5" | bc) )) || fail "closed after $closed s, before the 8-second CloseDelay"

echo "5. StartDelay 6: Alpha starts only 6 s after the route is back"
stop_lookout
set_option StartDelay 6
start_lookout
alpha_runs 0 || fail "Alpha was started while offline"
started=$(route_then_alpha online 14 1) || fail "Alpha was not started within 14 s"
echo "   started $started s after the route came back"
(( $(echo "$started >= 5.5" | bc) )) || fail "started after $started s, before the 6-second StartDelay"

echo "6. resume from sleep: a tick at once, and the drop waits its whole CloseDelay from then"
start=$(now)
offline || fail "cannot remove the route"
alpha_stays 5 "before the resume"
woke=$(now)
tw_wine "$TW_BIN/broadcast.exe" 0x218 18 </dev/null >/dev/null 2>&1 || fail "the resume broadcast failed"
# Counted from the drop, CloseDelay would have run out by now: from the wake-up it has not.
alpha_stays 6 "after the resume"
closed=$(wait_alpha 10 0 "$woke") || fail "Alpha still runs 16 s after the resume"
echo "   closed $closed s after the resume ($(since "$start") s into the drop)"

echo "7. NeedInternet, with the real Network List Manager"
stop_lookout
set_option StartDelay 0
set_option CloseDelay 0
set_option NeedInternet True
start_lookout
alpha_runs 0 || fail "Alpha was started while offline"
started=$(route_then_alpha online 8 1) || fail "Alpha was not started with the route"
echo "   started $started s after the route came back"
closed=$(route_then_alpha offline 8 0) || fail "Alpha still runs without the route"
echo "   closed $closed s after the route went"
kill -0 "$lookout" 2>/dev/null || fail "Lookout ended"
echo "PASS"
