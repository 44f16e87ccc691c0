#!/usr/bin/env bash
# Benchmark of Lookout's idle cost: the real Lookout.exe with ten listed programs, none
# running, offline (a private network namespace without a default route), beside probe_loop,
# a program that only calls InternetGetConnectedState every 2 s, and, for reference, the same
# probe made from a hidden window's 2-second timer (what any GUI program's tick costs). All
# run side by side for the same 30 s; the CPU time of each process (all its threads, from
# /proc) is printed with the ratio to the probe loop, and the goal (Lookout at most 1.25
# times the probe loop). Prints figures; never fails on them. TW_CPU_SECONDS changes the
# 30 s. Needs root (ip netns), TW_BIN, TW_BUILD, TW_ARCH, TW_SOURCE (set by ctest).
set -u
. "$TW_SOURCE/tests/support/wine-env.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "needs root for ip netns"
seconds=${TW_CPU_SECONDS:-30}

tw_e2e_begin cpu
tw_netns_create "tw-cpu-$$" "10.233.$(( $$ % 200 + 20 ))" || fail "cannot create a network namespace"
# Everything Wine runs inside the namespace (tw_wine), the wineserver first.
tw_start_server

drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/twcpu"
programs=$(tw_programs_folder) || fail "no APPDATA"
folder="$programs\\Online Startup"
tw_wine cmd /c mkdir "$folder" </dev/null >/dev/null 2>&1
for i in $(seq 1 10); do
    cp "$TW_BIN/idle_app.exe" "$drive_c/twcpu/app$i.exe"
    tw_link "$folder\\App $i.lnk" "C:\\twcpu\\app$i.exe" || fail "cannot write App $i.lnk"
done

# CPU time of a process in nanoseconds: the sum over its threads of the scheduler's run time
# (/proc/PID/task/*/schedstat), or, without scheduler statistics, utime + stime in clock ticks.
cpu_ns() {
    local pid=$1 total=0 t ticks
    if [ -r "/proc/$pid/schedstat" ]; then
        for t in /proc/"$pid"/task/*/schedstat; do
            total=$(( total + $(cut -d' ' -f1 "$t" 2>/dev/null || echo 0) ))
        done
        echo "$total"
    else
        ticks=$(awk '{print $14 + $15}' "/proc/$pid/stat")
        echo $(( ticks * 1000000000 / $(getconf CLK_TCK) ))
    fi
}
# The Unix process that runs a Windows program of this prefix (Wine runs it in the loader's
# process; other prefixes may run programs of the same name).
unix_pid() {  # unix_pid EXE-NAME
    local p
    for p in $(pgrep -f "$1"); do
        tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
    done
}

tw_wine "$TW_BIN/Lookout.exe" </dev/null >/dev/null 2>&1 &
pids+=($!)
tw_wine "$TW_BIN/probe_loop.exe" </dev/null >/dev/null 2>&1 &
pids+=($!)
cp "$TW_BIN/probe_loop.exe" "$drive_c/twcpu/probe_window.exe"
tw_wine 'C:\twcpu\probe_window.exe' --window </dev/null >/dev/null 2>&1 &
pids+=($!)
tw_wait_window '^Wine System Tray$' 15 >/dev/null || fail "no tray icon within 15 s"
sleep 5  # start-up done, a few ticks run
lookout=$(unix_pid Lookout.exe)
probe=$(unix_pid probe_loop.exe)
window=$(unix_pid probe_window.exe)
explorer=$(unix_pid 'explorer.exe')
[ -n "$lookout" ] && [ -n "$probe" ] && [ -n "$window" ] || fail "cannot find the processes"

l0=$(cpu_ns "$lookout"); p0=$(cpu_ns "$probe"); w0=$(cpu_ns "$window"); e0=$(cpu_ns "${explorer:-$$}")
t0=$(date +%s%N)
sleep "$seconds"
l1=$(cpu_ns "$lookout"); p1=$(cpu_ns "$probe"); w1=$(cpu_ns "$window"); e1=$(cpu_ns "${explorer:-$$}")
t1=$(date +%s%N)
kill -0 "$lookout" || fail "Lookout ended"

wall=$(( t1 - t0 ))
percent() { awk -v c="$1" -v w="$wall" 'BEGIN { printf "%.3f", 100 * c / w }'; }
echo
echo "Idle CPU over $(awk -v w="$wall" 'BEGIN { printf "%.1f", w / 1e9 }') s, offline, 10 listed programs not running (% of one core)"
printf "  %-28s %8s %%  (%d ms)\n" "Lookout.exe" "$(percent $(( l1 - l0 )))" $(( (l1 - l0) / 1000000 ))
printf "  %-28s %8s %%  (%d ms)\n" "probe_loop.exe (baseline)" "$(percent $(( p1 - p0 )))" $(( (p1 - p0) / 1000000 ))
printf "  %-28s %8s %%  (%d ms)\n" "probe_loop.exe --window" "$(percent $(( w1 - w0 )))" $(( (w1 - w0) / 1000000 ))
[ -n "$explorer" ] && printf "  %-28s %8s %%  (%d ms)\n" "explorer.exe (the tray)" "$(percent $(( e1 - e0 )))" $(( (e1 - e0) / 1000000 ))
awk -v l=$(( l1 - l0 )) -v p=$(( p1 - p0 )) -v w=$(( w1 - w0 )) 'BEGIN {
    if (p <= 0) { print "  ratio: no baseline CPU measured"; exit }
    r = l / p
    printf "  ratio Lookout / probe loop: %.2f (goal: at most 1.25, %s)\n", r, r <= 1.25 ? "met" : "NOT met"
    printf "  ratio probe from a window timer / probe loop: %.2f\n", w / p
}'
echo "PASS"
