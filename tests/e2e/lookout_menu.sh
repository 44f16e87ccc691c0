#!/usr/bin/env bash
# Lookout.exe's tray menu and tray icon for real under Wine and Xvfb, in a private network
# namespace whose default route is the connection. Two helpers (copies of idle_app) behind
# shortcuts in the Online StartUp folder are started by hand before Lookout, which adopts
# them; "EnableState" is on, so Exit stores whether the monitor ran.
#   0. offline with the helpers running: the tray shows 706;
#   1. a right click on the tray icon opens the owner-drawn menu at the pointer;
#   2. "Disable" stops the monitor: the tray shows 704, and the running helpers are closed
#      (AskFirst is off);
#   3. "Enable" starts the monitor again, offline with nothing running: 703;
#   4. the connection comes up: Lookout launches the helpers, 705;
#   5. the connection goes down: Lookout closes them, 703 (not 706: the picture of the
#      program window must not stay behind);
#   6. up again (705), then the helpers are closed by hand: 701;
#   7. "Exit" removes the tray icon and ends Lookout with exit code 0; the stored "Enabled"
#      is "True".
# The tray icon is read from the screen: the tray window is searched for the exact opaque
# pixels of the icon files. TW_SCREENSHOTS=DIR keeps the menu and tray pictures there.
# Needs root (ip netns), TW_BIN, TW_BUILD, TW_ARCH, TW_SOURCE (set by ctest).
set -u
. "$TW_SOURCE/tests/support/wine-env.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "needs root for ip netns"
command -v xdotool >/dev/null || fail "needs xdotool"
[ -x /usr/bin/python3 ] && /usr/bin/python3 -c 'import PIL' 2>/dev/null || fail "needs /usr/bin/python3 with PIL"

tw_e2e_begin menu
tw_netns_create "tw-menu-$$" "10.234.$(( $$ % 200 + 20 ))" || fail "cannot create a network namespace"
# Everything Wine runs inside the namespace (tw_wine), the wineserver first.
tw_start_server

lookout="$TW_BIN/Lookout.exe"
[ -f "$lookout" ] || fail "no $lookout"
art="$TW_SOURCE/resources/lookout/art"

# ---- Screen helpers ----

shot() { xwd -root -silent | /usr/bin/convert xwd:- "$1"; }
keep() { [ -n "${TW_SCREENSHOTS:-}" ] && cp "$1" "$TW_SCREENSHOTS/$2"; true; }
tray_window() { xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null | head -n1; }
# Which of the tray icons 701-706 the tray window shows ("none" when none): the one whose
# opaque pixels all appear, exactly, at some place in the window.
tray_icon() {
    local wid; wid=$(tray_window)
    [ -n "$wid" ] || { echo none; return; }
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    shot "$work/screen.png"
    /usr/bin/python3 - "$work/screen.png" "$X" "$Y" "$WIDTH" "$HEIGHT" "$art" <<'PY'
import sys
from PIL import Image
screen, x, y, w, h, art = sys.argv[1], *map(int, sys.argv[2:6]), sys.argv[6]
area = Image.open(screen).convert("RGB").crop((x, y, x + w, y + h))
pixels = area.load()
def icon16(number):
    ico = Image.open(f"{art}/{number}.ico")
    ico.size = (16, 16)
    return ico.convert("RGBA")
found = "none"
# Icons with the program window first: the plain modem can be part of them.
for number in (704, 705, 706, 701, 703, 702):
    icon = icon16(number)
    opaque = [(i, j, icon.getpixel((i, j))[:3]) for j in range(16) for i in range(16)
              if icon.getpixel((i, j))[3] == 255]
    if any(all(pixels[ox + i, oy + j] == c for i, j, c in opaque)
           for oy in range(h - 15) for ox in range(w - 15)):
        found = str(number)
        break
print(found)
PY
}
shows_icon() { [ "$(tray_icon)" = "$1" ]; }
wait_icon() { TW_POLL=0.5 tw_poll "$2" shows_icon "$1"; }  # NUMBER SECONDS
# Waits for icon NUMBER (or fails with WHAT) and keeps the tray's picture as tray-NAME.png.
expect_icon() {  # expect_icon NUMBER NAME WHAT
    wait_icon "$1" 15 || fail "$3: the tray shows $(tray_icon), not $1"
    echo "   tray icon $1"
    if [ -n "${TW_SCREENSHOTS:-}" ]; then
        eval "$(xdotool getwindowgeometry --shell "$(tray_window)")"
        /usr/bin/convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage \
            "$TW_SCREENSHOTS/lookout-tray-$2.png"
    fi
}
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
# Right-clicks the tray icon and waits for a new visible window of a menu's size; sets
# MENU_X, MENU_Y, MENU_W, MENU_H.
open_menu() {
    local wid before after new i
    wid=$(tray_window)
    [ -n "$wid" ] || fail "no tray window"
    xdotool windowraise "$wid"
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    before=$(visible_windows)
    xdotool mousemove $(( X + 12 )) $(( Y + 31 )) sleep 0.3 click 3
    for i in $(seq 1 50); do
        after=$(visible_windows)
        new=$(comm -13 <(echo "$before") <(echo "$after"))
        for w in $new; do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            # The large layout: 190 wide, 4 x 32 + 3 x 7 + 32 = 181 high, plus the borders.
            if [ "$WIDTH" -ge 190 ] && [ "$WIDTH" -le 230 ] && [ "$HEIGHT" -ge 181 ] && [ "$HEIGHT" -le 200 ]; then
                MENU_X=$X MENU_Y=$Y MENU_W=$WIDTH MENU_H=$HEIGHT
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}
menu_gone() {
    local i
    for i in $(seq 1 30); do
        xdotool search --onlyvisible --name '' 2>/dev/null | while read -r w; do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            [ "$X" = "$MENU_X" ] && [ "$Y" = "$MENU_Y" ] && [ "$HEIGHT" = "$MENU_H" ] && echo open
        done | grep -q open || return 0
        sleep 0.1
    done
    return 1
}

# ---- The helpers, their shortcuts and the options ----

drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/twmenu"
cp "$TW_BIN/idle_app.exe" "$drive_c/twmenu/alpha.exe"
cp "$TW_BIN/idle_app.exe" "$drive_c/twmenu/beta.exe"
programs=$(tw_programs_folder) || fail "no APPDATA"
folder="$programs\\Online Startup"
tw_wine cmd /c mkdir "$folder" </dev/null >/dev/null 2>&1
for name in alpha beta; do
    tw_link "$folder\\$name.lnk" "C:\\twmenu\\$name.exe" "$name" || fail "cannot write $name.lnk"
done
options='HKCU\Software\OSPREY\Options'
tw_wine reg add "$options" /v EnableState /t REG_SZ /d True /f </dev/null >/dev/null 2>&1 || fail "reg add"
tw_wine reg add "$options" /v AskFirst /t REG_SZ /d False /f </dev/null >/dev/null 2>&1 || fail "reg add"

# Started under the paths the shortcuts name (a Unix path would run as Z:\...).
start_helpers() {
    tw_wine 'C:\twmenu\alpha.exe' alpha </dev/null >/dev/null 2>&1 &
    alpha=$!
    tw_wine 'C:\twmenu\beta.exe' beta </dev/null >/dev/null 2>&1 &
    beta=$!
    pids+=("$alpha" "$beta")
    tw_wait_window '^alpha$' 10 >/dev/null && tw_wait_window '^beta$' 10 >/dev/null || fail "the helpers did not start"
}

# How many processes run a helper's program (Lookout's launches included).
helpers_running() {
    tw_processes | awk -F'\t' '$2 == "c:\\twmenu\\alpha.exe" || $2 == "c:\\twmenu\\beta.exe"' | wc -l
}

# Waits until N helpers run (or fails with WHAT).
helpers_are() { [ "$(helpers_running)" -eq "$1" ]; }
wait_helpers() { tw_poll 25 helpers_are "$1" || fail "$2: $(helpers_running) helpers run, not $1"; }  # N WHAT

echo "0. offline, helpers running, Lookout started"
start_helpers
tw_wine "$lookout" </dev/null >/dev/null 2>&1 &
lookout_pid=$!
pids+=("$lookout_pid")
has_tray() { [ -n "$(tray_window)" ]; }
tw_poll 10 has_tray || fail "no tray icon within 10 s"
expect_icon 706 not-connected-apps "offline with the helpers adopted"
kill -0 "$alpha" && kill -0 "$beta" || fail "a helper ended at start"

echo "1. a right click opens the menu"
open_menu || fail "no menu after a right click on the tray icon"
echo "   menu at $MENU_X,$MENU_Y, $MENU_W x $MENU_H"
shot "$work/menu.png"
keep "$work/menu.png" lookout-e2e-menu.png

echo "2. Disable"
xdotool mousemove $(( MENU_X + MENU_W / 2 )) $(( MENU_Y + 3 + 16 )) sleep 0.3 click 1
menu_gone || fail "the menu stayed open after the click"
expect_icon 704 disabled "after Disable"
tw_poll 25 tw_ended "$alpha" || fail "alpha still runs after Disable"
tw_poll 25 tw_ended "$beta" || fail "beta still runs after Disable"
[ "$(helpers_running)" -eq 0 ] || fail "a helper still runs after Disable"
echo "   helpers closed"
kill -0 "$lookout_pid" || fail "Lookout ended"

echo "3. Enable, offline, nothing running"
open_menu || fail "no menu the second time"
shot "$work/menu-disabled.png"
keep "$work/menu-disabled.png" lookout-e2e-menu-disabled.png
xdotool mousemove $(( MENU_X + MENU_W / 2 )) $(( MENU_Y + 3 + 16 )) sleep 0.3 click 1
menu_gone || fail "the menu stayed open after the click"
expect_icon 703 not-connected "after Enable"

echo "4. the connection comes up: Lookout launches the helpers"
tw_netns_online || fail "cannot add the route"
wait_helpers 2 "online"
expect_icon 705 connected-apps "online with the helpers launched"

echo "5. the connection goes down: Lookout closes the helpers"
tw_netns_offline || fail "cannot remove the route"
wait_helpers 0 "offline"
expect_icon 703 not-connected-after-apps "offline after the helpers were closed"

echo "6. up again, then the helpers are closed by hand"
tw_netns_online || fail "cannot add the route"
wait_helpers 2 "online again"
expect_icon 705 connected-apps-again "online again"
for name in alpha beta; do tw_wine taskkill /im "$name.exe" </dev/null >/dev/null 2>&1; done
wait_helpers 0 "closed by hand"
expect_icon 701 connected "online, nothing running"

echo "7. Exit"
open_menu || fail "no menu the last time"
xdotool mousemove $(( MENU_X + MENU_W / 2 )) $(( MENU_Y + MENU_H - 3 - 16 )) sleep 0.3 click 1
tw_wait_exit "$lookout_pid" 10 || fail "Lookout still runs after Exit"
[ "$rc" -eq 0 ] || fail "Lookout's exit code is $rc"
[ "$(tray_icon)" = none ] || fail "the tray icon is still shown"
echo "   Lookout ended, tray icon removed"
enabled=$(tw_wine reg query "$options" /v Enabled </dev/null 2>/dev/null | tr -d '\r' | awk '/Enabled/ {print $NF}')
[ "$enabled" = True ] || fail "stored Enabled is '$enabled', not True"
echo "   stored Enabled: True"
echo "PASS"
