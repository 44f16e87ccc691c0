#!/usr/bin/env bash
# Marshal.exe from end to end under Wine and Xvfb, then Lookout.exe launching what it made.
#   0. A private prefix: the StartUp folder holds Mail.lnk, News.lnk, Pager.lnk and OSPREY.LNK
#      (shortcuts to copies of idle_app); the current user's Run key holds Pager (another
#      program than Pager.lnk's) and Clock, the machine's Sync (a quoted program path with
#      blanks) and Legacy: on 64-bit Windows in the 32-bit view of the machine's key, on 32-bit
#      Windows (one machine key) beside Sync. Marshal.exe runs from C:\Osprey.
#   1. A second Marshal started while the first runs ends at once, showing nothing.
#      The wizard driven by mouse and keyboard (xdotool): Begin clicked; Mail's and Pager's
#      check boxes clicked, News selected and checked with Space; Enter; Pager's check box
#      clicked, Sync renamed in place to "Sync/Tool" and checked with Space, Legacy's check
#      box clicked; Esc; the invalid-name message answered; "Sync Tool" typed into the rename
#      dialog; Enter; Finish clicked; the message that the moved Pager.lnk kept its name and
#      the Run value's shortcut is "Pager (2).lnk" and the three success messages answered;
#      Alt+X.
#      Task Manager's switches: Off.lnk, RunOff and MachOff switched off (not listed, never
#      touched, nor their switches); Mail.lnk, Pager and Legacy switched on (Legacy's in Run32
#      on 64-bit Windows).
#   2. Mail.lnk, News.lnk and Pager.lnk are in the Online StartUp folder byte for byte and
#      gone from StartUp (OSPREY.LNK stays); "Pager (2).lnk", "Sync Tool.lnk" and Legacy.lnk
#      hold the right fields (read with winedump); REMOVED.REG holds exactly the expected
#      lines, Legacy under the WOW6432Node key on 64-bit Windows; Pager, Sync and Legacy are
#      gone from the registry, Clock is not, nor the switched-off ones; the switches of Mail.lnk,
#      Pager and Legacy are in REMOVED.REG under their keys and gone; the system's `regedit /s
#      REMOVED.REG` (64-bit on 64-bit Windows, as a double-click runs it) brings each value and
#      switch back byte for byte into the view it came from.
#   3. Lookout.exe, started in a network namespace whose default route is up, launches the
#      five shortcuts the wizard put in the Online StartUp folder, and a shortcut to a program
#      in C:\windows\system32: that program, not its SysWOW64 namesake (a 32-bit program on
#      64-bit Windows sees SysWOW64 under System32's name; the shell, which is 64-bit, does not);
#      it closes them all when the route goes.
#   4. A second run with names beyond the ANSI code page (1252): StartUp holds "Почта 📧.lnk",
#      the current user's Run key "Новости: 新闻" (renamed in the dialog to "Новости") and the
#      machine's "Чат", whose program is in C:\Прога\. Each row reads as the registry holds
#      it; the shortcuts are moved or made with their names, arguments and folders exact;
#      REMOVED.REG becomes a version 5.00 file that keeps the first run's entries, and
#      regedit puts every value back exactly (compared with `reg export`). Lookout, started
#      again, launches the new shortcuts (window titles in Cyrillic and Chinese with an emoji)
#      and closes them when the route goes.
# TW_SCREENSHOTS=DIR keeps a screenshot of every page and of the rename dialog there
# (marshal-page0.png ... marshal-page4.png, marshal-page4-done.png, marshal-rename.png), of
# the screen with the message about the taken name (marshal-name-taken.png), and of the second
# run's pages 1 and 2 and rename dialog (marshal-page1-names.png, marshal-page2-names.png,
# marshal-rename-names.png).
# Needs root (ip netns), TW_BIN, TW_BUILD, TW_ARCH, TW_SOURCE (set by ctest).
set -u
. "$TW_SOURCE/tests/support/wine-env.sh"
. "$TW_SOURCE/tests/support/wizard-ui.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "needs root for ip netns"
command -v xdotool >/dev/null || fail "needs xdotool"
command -v winedump >/dev/null || fail "needs winedump"

octet=$(( $$ % 200 + 20 ))
tw_e2e_begin marshal

# The whole run happens in the namespace (the wineserver first); its route stays down until
# Lookout's turn.
tw_netns_create "tw-mw-$$" "10.232.$octet" || fail "cannot create a network namespace"
in_ns() { tw_in_ns "$@"; }
tw_start_server

# ---- 0. The prefix ------------------------------------------------------------------------
c="$WINEPREFIX/drive_c"
mkdir -p "$c/Apps" "$c/Program Files/Sync Tool" "$c/Osprey"
cp "$TW_BIN/idle_app.exe" "$c/Apps/idle_app.exe"
cp "$TW_BIN/idle_app.exe" "$c/Program Files/Sync Tool/sync.exe"
cp "$TW_BIN/Marshal.exe" "$c/Osprey/Marshal.exe"

programs_win=$(tw_programs_folder) || fail "no APPDATA"
programs=$(tw_c_path "$programs_win")
[ -n "$programs" ] || fail "no Unix path for $programs_win"
startup="$programs/StartUp"
online="$programs/Online Startup"
mkdir -p "$startup"
[ ! -e "$online" ] || fail "the Online StartUp folder exists already"

link() {  # NAME TITLE: a shortcut in StartUp to idle_app with a window title
    tw_link "$programs_win\\StartUp\\$1" 'C:\Apps\idle_app.exe' "$2" || fail "cannot write $1"
}
link Mail.lnk MailApp
link News.lnk NewsApp
link Pager.lnk PagerLinkApp
link OSPREY.LNK OspreyApp
link Off.lnk OffLinkApp
for f in Mail.lnk News.lnk Pager.lnk OSPREY.LNK Off.lnk; do
    [ -f "$startup/$f" ] || fail "no $f in StartUp"
    cp "$startup/$f" "$work/$f.orig"
done

run='Software\Microsoft\Windows\CurrentVersion\Run'
# On 64-bit Windows the machine's Run key has a native (64-bit) and a 32-bit view; VIEW picks
# one (64 or 32). On 32-bit Windows both name its one key.
if tw_windows64; then windows64=1; else windows64=0; fi
reg_add() {  # HIVE NAME DATA [VIEW]
    in_ns "$WINE_NATIVE" reg add "$1\\$run" /v "$2" /t REG_SZ /d "$3" /reg:"${4:-64}" /f </dev/null >/dev/null 2>&1 ||
        fail "reg add $2"
}
# A Run value as `reg query` prints it ("TYPE DATA"), or nothing when absent.
reg_get() {  # HIVE NAME [VIEW]
    in_ns "$WINE_NATIVE" reg query "$1\\$run" /v "$2" /reg:"${3:-64}" </dev/null 2>/dev/null | tr -d '\r' |
        awk -v name="$2" 'index($0, "    " name "    ") == 1 { sub("^    " name "    ", ""); sub("    ", " "); print }'
}
# The value names of a Run key in the registry's order.
reg_names() {  # HIVE [VIEW]
    in_ns "$WINE_NATIVE" reg query "$1\\$run" /reg:"${2:-64}" </dev/null 2>/dev/null | tr -d '\r' | awk '/^    /{print $1}'
}
reg_add HKCU Pager 'C:\Apps\idle_app.exe PagerApp'
reg_add HKCU Clock 'C:\Apps\clock.exe /tick'
reg_add HKLM Sync '"C:\Program Files\Sync Tool\sync.exe" SyncApp'
reg_add HKLM Legacy 'C:\Apps\idle_app.exe LegacyApp' 32
reg_add HKCU RunOff 'C:\Apps\idle_app.exe RunOffApp'
reg_add HKLM MachOff 'C:\Apps\idle_app.exe MachOffApp'
# Task Manager's switches (Windows 8 and later; Wine has none): Off.lnk, RunOff and MachOff
# switched off, so never listed nor touched; Mail.lnk, Pager and Legacy switched on, so their
# switches go to REMOVED.REG with them. They live in the native view; the machine's 32-bit
# values have theirs in Run32.
approved='Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved'
if tw_windows64; then legacy_switch=Run32; else legacy_switch=Run; fi
switch_add() {  # HIVE LIST NAME BYTES
    in_ns "$WINE_NATIVE" reg add "$1\\$approved\\$2" /v "$3" /t REG_BINARY /d "$4" /reg:64 /f </dev/null >/dev/null 2>&1 ||
        fail "reg add switch $3"
}
switch_get() {  # HIVE LIST NAME: the bytes as `reg query` prints them, or nothing
    in_ns "$WINE_NATIVE" reg query "$1\\$approved\\$2" /v "$3" /reg:64 </dev/null 2>/dev/null | tr -d '\r' |
        awk -v name="$3" 'index($0, "    " name "    ") == 1 { print $NF }'
}
off='0300000000000000A0B1C2D3' on='0200000000000000A0B1C2D3' on6='0600000000000000A0B1C2D3'
switch_add HKCU StartupFolder Off.lnk "$off"
switch_add HKCU Run RunOff "$off"
switch_add HKLM Run MachOff "$off"
switch_add HKCU StartupFolder Mail.lnk "$on"
switch_add HKCU Run Pager "$on6"
switch_add HKLM "$legacy_switch" Legacy "$on"
pager_before=$(reg_get HKCU Pager)
sync_before=$(reg_get HKLM Sync)
clock_before=$(reg_get HKCU Clock)
legacy_before=$(reg_get HKLM Legacy 32)
[ "$pager_before" = 'REG_SZ C:\Apps\idle_app.exe PagerApp' ] || fail "Pager reads [$pager_before]"
[ "$legacy_before" = 'REG_SZ C:\Apps\idle_app.exe LegacyApp' ] || fail "Legacy reads [$legacy_before]"
if [ "$windows64" = 1 ]; then
    [ -z "$(reg_get HKLM Legacy 64)" ] || fail "Legacy is in the native view too"
else
    [ "$(reg_get HKLM Legacy 64)" = "$legacy_before" ] || fail "32-bit Windows has two machine keys"
fi
# Page 2 lists the current user's values in the registry's order, then the machine's native
# view, then its 32-bit view (on 64-bit Windows).
user_rows=$(reg_names HKCU | grep -vx RunOff)     # switched off: not listed
machine_rows=$(reg_names HKLM | grep -vx MachOff)
row_of() { echo "$user_rows" | grep -nx "$1" | cut -d: -f1; }
pager_row=$(row_of Pager)
users=$(echo "$user_rows" | grep -c .)
sync_row=$(( users + $(echo "$machine_rows" | grep -nx Sync | cut -d: -f1) ))
if [ "$windows64" = 1 ]; then
    legacy_row=$(( users + $(echo "$machine_rows" | grep -c .) + $(reg_names HKLM 32 | grep -nx Legacy | cut -d: -f1) ))
else
    legacy_row=$(( users + $(echo "$machine_rows" | grep -nx Legacy | cut -d: -f1) ))
fi
[ -n "$pager_row" ] || fail "Pager is not listed by reg query"

# ---- 1. The wizard --------------------------------------------------------------------------
in_ns "$WINE" 'C:\Osprey\Marshal.exe' </dev/null >/dev/null 2>&1 &
marshal=$!
pids+=("$marshal")
tw_wizard_find 30 || fail "no wizard window within 30 s"
# A second Marshal while this one runs ends at once and shows nothing (a message box or a
# second wizard would keep it running): two could each drop the other's REMOVED.REG entry.
in_ns "$WINE" 'C:\Osprey\Marshal.exe' </dev/null >/dev/null 2>&1 &
tw_wait_exit $! 20 || fail "a second Marshal did not end while the first runs"
[ "$rc" -eq 0 ] || fail "the second Marshal's exit code is $rc"
echo "   a second Marshal ended at once"

# Page 4 shows "All done" once its work has ended: no message can come after that.
all_done() {
    tw_poll 20 eval 'tw_list_windows | grep -qF "All done, click the Exit button to close."' ||
        fail "page 4 did not end within 20 s (a message box: [$(tw_windows '^Online StartUp Wizard$')])"
}
shot() {  # NAME: the wizard's part of the screen
    [ -n "${TW_SCREENSHOTS:-}" ] || return 0
    mkdir -p "$TW_SCREENSHOTS"
    import -window root "$work/screen.png" 2>/dev/null &&
        /usr/bin/convert "$work/screen.png" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$TW_SCREENSHOTS/$1.png"
}
echo "1. the wizard, page by page"
shot marshal-page0
tw_wizard_next                                  # Begin, with the mouse
tw_wizard_check 1                               # Mail's check box
tw_wizard_select 2; tw_wizard_key space         # News selected, Space checks it
tw_wizard_check 3                               # Pager's check box
[ -z "$(tw_windows '^Online StartUp Wizard$')" ] || fail "page 1 showed a message"
shot marshal-page1
tw_wizard_key Return                            # Next
tw_wizard_check "$pager_row"                    # Pager's check box
tw_wizard_select "$sync_row"; sleep 1.2         # a second click on the selected row edits it
tw_wizard_select "$sync_row"; sleep 1
xdotool type --delay 40 'Sync/Tool'; tw_wizard_key Return
tw_wizard_key space                             # and checks it
tw_wizard_check "$legacy_row"                   # Legacy's check box, of the 32-bit view
shot marshal-page2
tw_wizard_key Escape                            # Esc presses Next
tw_wizard_answer 10 || fail "no invalid-name message"
rename=$(tw_wait_window '^Rename$' 10) || fail "no rename dialog"
sleep 0.5
shot marshal-rename
xdotool type --delay 40 'Sync Tool'; tw_wizard_key Return  # the name was selected: typing replaces it
tw_wait_gone "$rename" 5 || fail "the rename dialog did not accept 'Sync Tool'"
[ -z "$(tw_windows '^Online StartUp Wizard$')" ] || fail "a message after the rename"
shot marshal-page3
tw_wizard_next                                  # Finish, with the mouse
tw_wait_window '^Online StartUp Wizard$' 20 >/dev/null || fail "no message on page 4"
sleep 0.5
shot marshal-page4
[ -n "${TW_SCREENSHOTS:-}" ] && import -window root "$TW_SCREENSHOTS/marshal-name-taken.png" 2>/dev/null
tw_wizard_answer 10 || fail "the message about Pager's taken name not answered"
tw_wizard_answer 20 || fail "no first shortcut message"
tw_wizard_answer 20 || fail "no second shortcut message"
tw_wizard_answer 20 || fail "no third shortcut message"
all_done
[ -z "$(tw_windows '^Online StartUp Wizard$')" ] || fail "more messages on page 4"
shot marshal-page4-done
tw_wizard_key alt+x                             # Exit
tw_wait_exit "$marshal" 10 || fail "Marshal did not end after Exit"
[ "$rc" -eq 0 ] || fail "Marshal's exit code is $rc"
echo "   Marshal ended with exit code 0"

# ---- 2. What it did -----------------------------------------------------------------------
echo "2. shortcuts, REMOVED.REG and the registry"
failures=0
check() {  # WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "   ok: $1"; else echo "   FAIL: $1: expected [$2], got [$3]" >&2; failures=$((failures + 1)); fi
}
check "Online StartUp folder" $'Legacy.lnk\nMail.lnk\nNews.lnk\nPager (2).lnk\nPager.lnk\nSync Tool.lnk' "$(ls "$online" | LC_ALL=C sort)"
check "StartUp folder" $'OSPREY.LNK\nOff.lnk' "$(ls "$startup" | LC_ALL=C sort)"
for f in Mail.lnk News.lnk Pager.lnk; do
    cmp -s "$work/$f.orig" "$online/$f" && echo "   ok: $f moved byte for byte" ||
        { echo "   FAIL: $f differs" >&2; failures=$((failures + 1)); }
done
for f in OSPREY.LNK Off.lnk; do
    cmp -s "$work/$f.orig" "$startup/$f" && echo "   ok: $f untouched" ||
        { echo "   FAIL: $f changed" >&2; failures=$((failures + 1)); }
done

expect_link() {  # FILE PATH WORKDIR ARGUMENTS
    local l="$online/$1"
    check "$1: path" "$2" "$(tw_lnk_path "$l")"
    check "$1: working directory" "$3" "$(tw_lnk_field "$l" 'Working directory')"
    check "$1: arguments" "$4" "$(tw_lnk_field "$l" Arguments)"
    check "$1: icon" "$2" "$(tw_lnk_field "$l" 'Icon path')"
    check "$1: description" 'Created by Osprey Wizard' "$(tw_lnk_field "$l" Description)"
    check "$1: show command" 5 "$(tw_lnk_startup "$l")"
}
expect_link 'Pager (2).lnk' 'C:\Apps\idle_app.exe' 'C:\Apps\' PagerApp
expect_link 'Sync Tool.lnk' 'C:\Program Files\Sync Tool\sync.exe' 'C:\Program Files\Sync Tool\' SyncApp
expect_link Legacy.lnk 'C:\Apps\idle_app.exe' 'C:\Apps\' LegacyApp

sync_line='"Sync"="\"C:\\Program Files\\Sync Tool\\sync.exe\" SyncApp"'
legacy_line='"Legacy"="C:\\Apps\\idle_app.exe LegacyApp"'
# The machine's values in page 2's order: on 32-bit Windows both in its one key's section.
if [ "$windows64" = 1 ]; then
    machine=("$sync_line" '[HKEY_LOCAL_MACHINE\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run]' "$legacy_line")
elif [ "$sync_row" -lt "$legacy_row" ]; then
    machine=("$sync_line" "$legacy_line")
else
    machine=("$legacy_line" "$sync_line")
fi
# Each switch in its own key's section, saved with its entry: Mail.lnk's with the moves, first.
printf '%s\r\n' 'REGEDIT4' \
    "[HKEY_CURRENT_USER\\$approved\\StartupFolder]" \
    '"Mail.lnk"=hex:02,00,00,00,00,00,00,00,a0,b1,c2,d3' \
    '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]' \
    '"Pager"="C:\\Apps\\idle_app.exe PagerApp"' \
    "[HKEY_CURRENT_USER\\$approved\\Run]" \
    '"Pager"=hex:06,00,00,00,00,00,00,00,a0,b1,c2,d3' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run]' \
    "${machine[@]}" \
    "[HKEY_LOCAL_MACHINE\\$approved\\$legacy_switch]" \
    '"Legacy"=hex:02,00,00,00,00,00,00,00,a0,b1,c2,d3' >"$work/expected.reg"
if cmp -s "$work/expected.reg" "$c/Osprey/removed.reg"; then
    echo "   ok: REMOVED.REG holds exactly the expected lines"
else
    echo "   FAIL: REMOVED.REG differs:" >&2
    diff <(tr -d '\r' <"$work/expected.reg") <(tr -d '\r' <"$c/Osprey/removed.reg") >&2
    failures=$((failures + 1))
fi
check "Pager deleted" '' "$(reg_get HKCU Pager)"
check "Sync deleted" '' "$(reg_get HKLM Sync)"
check "Legacy deleted from its key" '' "$(reg_get HKLM Legacy 32)"
check "Clock kept" "$clock_before" "$(reg_get HKCU Clock)"
check "RunOff, switched off, kept" 'REG_SZ C:\Apps\idle_app.exe RunOffApp' "$(reg_get HKCU RunOff)"
check "MachOff, switched off, kept" 'REG_SZ C:\Apps\idle_app.exe MachOffApp' "$(reg_get HKLM MachOff)"
check "Off.lnk's switch untouched" "$off" "$(switch_get HKCU StartupFolder Off.lnk)"
check "RunOff's switch untouched" "$off" "$(switch_get HKCU Run RunOff)"
check "MachOff's switch untouched" "$off" "$(switch_get HKLM Run MachOff)"
check "Mail.lnk's switch removed" '' "$(switch_get HKCU StartupFolder Mail.lnk)"
check "Pager's switch removed" '' "$(switch_get HKCU Run Pager)"
check "Legacy's switch removed" '' "$(switch_get HKLM "$legacy_switch" Legacy)"
in_ns "$WINE_NATIVE" regedit /s 'C:\Osprey\removed.reg' </dev/null >/dev/null 2>&1
check "Pager restored by regedit" "$pager_before" "$(reg_get HKCU Pager)"
check "Sync restored by regedit" "$sync_before" "$(reg_get HKLM Sync)"
check "Legacy restored into its key" "$legacy_before" "$(reg_get HKLM Legacy 32)"
check "Mail.lnk's switch restored" "$on" "$(switch_get HKCU StartupFolder Mail.lnk)"
check "Pager's switch restored" "$on6" "$(switch_get HKCU Run Pager)"
check "Legacy's switch restored into $legacy_switch" "$on" "$(switch_get HKLM "$legacy_switch" Legacy)"
[ "$windows64" = 1 ] && check "and not into the native view" '' "$(reg_get HKLM Legacy 64)"
[ "$failures" -eq 0 ] || fail "$failures check(s) failed"
# Out again, so that nothing but Lookout starts the programs below.
in_ns "$WINE_NATIVE" reg delete "HKCU\\$run" /v Pager /f </dev/null >/dev/null 2>&1
in_ns "$WINE_NATIVE" reg delete "HKLM\\$run" /v Sync /reg:64 /f </dev/null >/dev/null 2>&1
in_ns "$WINE_NATIVE" reg delete "HKLM\\$run" /v Legacy /reg:32 /f </dev/null >/dev/null 2>&1
in_ns "$WINE_NATIVE" reg delete "HKCU\\$run" /v RunOff /f </dev/null >/dev/null 2>&1
in_ns "$WINE_NATIVE" reg delete "HKLM\\$run" /v MachOff /reg:64 /f </dev/null >/dev/null 2>&1
rm -f "$startup/Off.lnk"

# ---- 3. Lookout launches what the wizard put there --------------------------------------------
echo "3. Lookout, online, launches the Online StartUp folder"
cp "$TW_BIN/idle_app.exe" "$c/windows/system32/tw_system_app.exe"
[ -d "$c/windows/syswow64" ] && cp "$TW_BIN/report_start.exe" "$c/windows/syswow64/tw_system_app.exe"
tw_link "$programs_win\\Online Startup\\System App.lnk" 'C:\windows\system32\tw_system_app.exe' SystemApp ||
    fail "cannot write System App.lnk"
for title in MailApp NewsApp PagerLinkApp PagerApp SyncApp LegacyApp SystemApp OspreyApp; do
    [ -z "$(tw_windows "^$title\$")" ] || fail "$title runs before Lookout started"
done
tw_netns_online || fail "cannot add the route"
start=$(date +%s.%N)
in_ns "$WINE" "$TW_BIN/Lookout.exe" </dev/null >/dev/null 2>&1 &
lookout=$!
pids+=("$lookout")
launched=
for i in $(seq 1 300); do
    all=1
    for title in MailApp NewsApp PagerLinkApp PagerApp SyncApp LegacyApp SystemApp; do
        [ -n "$(tw_windows "^$title\$")" ] || { all=0; break; }
    done
    if [ "$all" = 1 ]; then launched=$(echo "$(date +%s.%N) - $start" | bc); break; fi
    kill -0 "$lookout" 2>/dev/null || fail "Lookout ended"
    sleep 0.1
done
[ "$(tw_count 'C:\windows\syswow64\tw_system_app.exe')" -eq 0 ] ||
    fail "System App.lnk started the SysWOW64 namesake of its program"
[ -n "$launched" ] || fail "the six programs did not all start within 30 s"
echo "   MailApp, NewsApp, PagerLinkApp, PagerApp, SyncApp, LegacyApp and SystemApp run, $launched s after Lookout started"
check "idle_app processes (Mail, News, both Pagers, Legacy)" 5 "$(tw_count 'C:\Apps\idle_app.exe')"
check "sync.exe processes" 1 "$(tw_count 'C:\Program Files\Sync Tool\sync.exe')"
[ -z "$(tw_windows '^OspreyApp$')" ] || fail "OSPREY.LNK's program was started"
[ "$failures" -eq 0 ] || fail "$failures check(s) failed"

# Every program the route's coming up started is closed when it goes.
all_gone() {  # TITLE...
    local title
    for title in "$@"; do [ -z "$(tw_windows "^$title\$")" ] || return 1; done
}
tw_netns_offline || fail "cannot remove the route"
tw_poll 60 all_gone MailApp NewsApp PagerLinkApp PagerApp SyncApp LegacyApp SystemApp ||
    fail "the programs were not all closed within 60 s of the route going"
echo "   all seven closed when the route went"
# Ended for good (its start reads the folder once): the Windows process, not just its starter.
in_ns "$WINE" taskkill /f /im Lookout.exe </dev/null >/dev/null 2>&1
tw_wait_exit "$lookout" 10 || fail "Lookout did not end"

# ---- 4. Names beyond the ANSI code page --------------------------------------------------------
echo "4. a second run: names in Cyrillic, Chinese and with emoji"
mail='Почта 📧'                  # a StartUp shortcut to idle_app, its window "Почта окно"
news='Новости: 新闻'             # a Run value of the current user: no file name as it stands
news_line='C:\Apps\idle_app.exe "新闻 📰"'
chat='Чат'                       # a Run value of the machine, its program in C:\Прога\
chat_line='"C:\Прога\чат 💬.exe" /c'
mkdir -p "$c/Прога"
cp "$TW_BIN/idle_app.exe" "$c/Прога/чат 💬.exe"
tw_link "$programs_win\\StartUp\\$mail.lnk" 'C:\Apps\idle_app.exe' '"Почта окно"' || fail "cannot write $mail.lnk"
cp "$startup/$mail.lnk" "$work/mail.lnk.orig"
reg_add HKCU "$news" "$news_line"
reg_add HKLM "$chat" "$chat_line"
# The values as regedit itself writes them (UTF-16, decoded), before and after.
reg_line() {  # HIVE NAME [VIEW]
    in_ns "$WINE_NATIVE" reg export "$1\\$run" 'C:\export.reg' /reg:"${3:-64}" /y </dev/null >/dev/null 2>&1
    iconv -f UTF-16LE -t UTF-8 "$c/export.reg" 2>/dev/null | tr -d '\r' | grep -F "\"$2\"=" ; rm -f "$c/export.reg"
}
news_before=$(reg_line HKCU "$news")
chat_before=$(reg_line HKLM "$chat")
[ "$news_before" = "\"$news\"=\"C:\\\\Apps\\\\idle_app.exe \\\"新闻 📰\\\"\"" ] || fail "the Run value reads [$news_before]"
[ -n "$chat_before" ] || fail "no $chat in the machine's Run key"
cp "$c/Osprey/removed.reg" "$work/removed.first"
tw_font_links
clock_row=$(reg_names HKCU | grep -nx Clock | cut -d: -f1)
news_row=$(( 3 - clock_row ))    # the current user's key holds Clock and the new value only
chat_row=3

in_ns "$WINE" 'C:\Osprey\Marshal.exe' </dev/null >/dev/null 2>&1 &
marshal=$!
pids+=("$marshal")
tw_wizard_find 30 || fail "no wizard window within 30 s"
tw_wizard_next                                  # Begin
tw_wizard_check 1                               # the one StartUp shortcut besides OSPREY.LNK
shot marshal-page1-names
tw_wizard_key Return
tw_wizard_check "$news_row"
tw_wizard_check "$chat_row"
shot marshal-page2-names
tw_wizard_key Return                            # Next: the name with ":" is refused
tw_wizard_answer 10 || fail "no invalid-name message for $news"
rename=$(tw_wait_window '^Rename$' 10) || fail "no rename dialog"
sleep 0.5
shot marshal-rename-names
# ": 新闻" off the end of the name the dialog shows.
tw_wizard_key End BackSpace BackSpace BackSpace BackSpace Return
tw_wait_gone "$rename" 5 || fail "the rename dialog did not accept the name"
tw_wizard_next                                  # Finish
tw_wizard_answer 20 || fail "no first shortcut message"
tw_wizard_answer 20 || fail "no second shortcut message"
all_done
[ -z "$(tw_windows '^Online StartUp Wizard$')" ] || fail "more messages on page 4"
tw_wizard_key alt+x
tw_wait_exit "$marshal" 10 || fail "Marshal did not end after Exit"

check "second run: StartUp folder" 'OSPREY.LNK' "$(ls "$startup")"
cmp -s "$work/mail.lnk.orig" "$online/$mail.lnk" && echo "   ok: $mail.lnk moved byte for byte" ||
    { echo "   FAIL: $mail.lnk not moved whole" >&2; failures=$((failures + 1)); }
# Wine's link reader keeps the target path in the ANSI code page: the strings the link holds
# in UTF-16 are compared here.
news_lnk="$online/Новости.lnk"
check "Новости.lnk: arguments" '"新闻 📰"' "$(tw_lnk_string "$news_lnk" Arguments)"
check "Новости.lnk: description" 'Created by Osprey Wizard' "$(tw_lnk_string "$news_lnk" 'Description')"
chat_lnk="$online/Чат.lnk"
check "Чат.lnk: arguments" '/c' "$(tw_lnk_string "$chat_lnk" Arguments)"
check "Чат.lnk: working directory" 'C:\Прога\' "$(tw_lnk_string "$chat_lnk" 'Working directory')"
check "Чат.lnk: icon" 'C:\Прога\чат 💬.exe' "$(tw_lnk_string "$chat_lnk" 'Icon location')"
check "$news deleted" '' "$(reg_line HKCU "$news")"
check "$chat deleted" '' "$(reg_line HKLM "$chat")"
header=$(head -c 2 "$c/Osprey/removed.reg" | od -An -tx1 | tr -d ' ')
check "REMOVED.REG: UTF-16 byte-order mark" fffe "$header"
iconv -f UTF-16LE -t UTF-8 "$c/Osprey/removed.reg" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//' >"$work/removed.text"
# The first run's file, its header made version 5, each new line at the end of its section.
tr -d '\r' <"$work/removed.first" | NEWS="\"$news\"=\"C:\\\\Apps\\\\idle_app.exe \\\"新闻 📰\\\"\"" \
    CHAT="\"$chat\"=\"\\\"C:\\\\Прога\\\\чат 💬.exe\\\" /c\"" awk '
    function close_section() {
        if (section == "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]") print ENVIRON["NEWS"]
        if (section == "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]") print ENVIRON["CHAT"]
    }
    NR == 1 { print "Windows Registry Editor Version 5.00"; next }
    /^\[/ { close_section(); section = $0 }
    { print }
    END { close_section() }' >"$work/removed.expected"
if cmp -s "$work/removed.expected" "$work/removed.text"; then
    echo "   ok: REMOVED.REG is a version 5.00 file with the first run's entries and the new ones"
else
    echo "   FAIL: REMOVED.REG differs:" >&2; diff "$work/removed.expected" "$work/removed.text" >&2
    failures=$((failures + 1))
fi
in_ns "$WINE_NATIVE" regedit /s 'C:\Osprey\removed.reg' </dev/null >/dev/null 2>&1
check "$news restored exactly" "$news_before" "$(reg_line HKCU "$news")"
check "$chat restored exactly" "$chat_before" "$(reg_line HKLM "$chat")"
check "the first run's Pager restored too" "$pager_before" "$(reg_get HKCU Pager)"
check "and Legacy, into the 32-bit view" "$legacy_before" "$(reg_get HKLM Legacy 32)"
[ "$failures" -eq 0 ] || fail "$failures check(s) failed"
for v in Pager "$news"; do in_ns "$WINE_NATIVE" reg delete "HKCU\\$run" /v "$v" /f </dev/null >/dev/null 2>&1; done
for v in Sync "$chat"; do in_ns "$WINE_NATIVE" reg delete "HKLM\\$run" /v "$v" /reg:64 /f </dev/null >/dev/null 2>&1; done
in_ns "$WINE_NATIVE" reg delete "HKLM\\$run" /v Legacy /reg:32 /f </dev/null >/dev/null 2>&1
# Wine cannot start Чат.lnk: its link reader knows the target only in the ANSI code page.
mv "$chat_lnk" "$work/"

echo "   Lookout again: the new shortcuts start with the route and close when it goes"
tw_netns_online || fail "cannot add the route"
in_ns "$WINE" "$TW_BIN/Lookout.exe" </dev/null >/dev/null 2>&1 &
lookout=$!
pids+=("$lookout")
tw_wait_window '^Почта окно$' 30 >/dev/null || fail "$mail.lnk's program did not start"
tw_wait_window '^新闻 📰$' 30 >/dev/null || fail "Новости.lnk's program did not start"
echo "   'Почта окно' and '新闻 📰' run"
tw_netns_offline || fail "cannot remove the route"
tw_poll 60 all_gone 'Почта окно' '新闻 📰' MailApp SystemApp || fail "the programs were not closed when the route went"
echo "   and closed when the route went"
echo "PASS"
