#!/usr/bin/env bash
# Marshal's processing operations under Wine, checked with tools that share no code with
# them (wizard_ops_driver runs the operations and prints the message boxes):
#   1. Run values (plain with arguments, quoted path with blanks, Mirabilis ICQ, RUNDLL,
#      REG_EXPAND_SZ, %ProgramFiles% naming the native Program Files as the 64-bit shell
#      expands it, also for the 32-bit build on 64-bit Windows) become shortcuts whose fields
#      winedump reads as intended, show command 5 included;
#   2. the values are gone from the Run key, and the system's `regedit /s` of REMOVED.REG
#      brings each one back with its type and data (read with `reg query`);
#   3. StartUp shortcuts are moved byte for byte; a different one of the same name is kept;
#      one held open by another program for 1 second is moved, one held for 10 is not and stays;
#   4. faults lose nothing: REMOVED.REG read-only, an unwritable Online StartUp folder, a
#      StartUp folder that allows no deletion. Read-only for real: the tests run as root,
#      where Wine's read-only attribute alone does not stop a write, so the file system's
#      immutable flag is set too (where chattr cannot set it these steps are skipped, and the
#      test ends as skipped: exit code 77);
#   5. name clashes in one processing run (moves, then Run values): a moved Pager.lnk and a
#      Run value Pager, an older old.lnk and a value Old, one value name in both hives (and on
#      64-bit Windows in both views of the machine's key), an older shortcut to the same
#      program: no shortcut is lost, each program has one that starts it, the messages are
#      exactly the expected ones, regedit restores every value into the key it came from;
#   6. Run values whose names hold line breaks (one that would add a section and a value of its
#      own to REMOVED.REG, a lone CR, a lone LF): no shortcut, no line, the value kept, the user
#      told; the value beside them converted, and importing REMOVED.REG changes nothing else.
# reg and regedit are the system's own ($WINE_NATIVE: 64-bit on 64-bit Windows).
# Needs TW_BIN, TW_BUILD, TW_ARCH, TW_SOURCE (set by ctest).
set -u
. "$TW_SOURCE/tests/support/wine-env.sh"

root=$(tw_wine_root)
mkdir -p "$root"
work=$(mktemp -d "$root/e2e-wizardops.XXXXXX")
tw_make_template "$root/template" || { echo "FAIL: no template prefix" >&2; exit 1; }
tw_new_prefix "$root/template" "$work/pfx"
tw_wine_env "$work/pfx"
unset DISPLAY
tw_start_server
immutable=()
cleanup() {
    local f
    for f in "${immutable[@]}"; do chattr -i "$f" 2>/dev/null; done
    tw_stop_server
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

driver="$TW_BIN/wizard_ops_driver.exe"
[ -f "$driver" ] || { echo "FAIL: no $driver" >&2; exit 1; }
run_driver() { "$WINE" "$driver" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

c="$work/pfx/drive_c"
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
mkdir -p "$c/Apps/Tray" "$c/Program Files/My App" "$c/Apps/ICQ" "$c/Online" "$c/Marshal" "$c/StartUp"
for f in "Apps/Tray/Tray.exe" "Program Files/My App/app.exe" "Apps/ICQ/Agent.exe" "Apps/ICQ/ICQ.EXE"; do
    printf 'MZ' >"$c/$f"
done

# reg_add and reg_get work on $run unless `key` names another Run key; `view` (64 or 32)
# picks a view of the machine's key on 64-bit Windows (on 32-bit Windows both are its one key).
reg_add() {  # NAME TYPE DATA
    "$WINE_NATIVE" reg add "${key:-$run}" /v "$1" /t "$2" /d "$3" /reg:"${view:-64}" /f </dev/null >/dev/null 2>&1 ||
        fail "reg add $1"
}
# The data of a Run value as `reg query` prints it: "TYPE DATA", or nothing when absent.
reg_get() {
    "$WINE_NATIVE" reg query "${key:-$run}" /v "$1" /reg:"${view:-64}" </dev/null 2>/dev/null | tr -d '\r' |
        awk -v name="$1" 'index($0, "    " name "    ") == 1 { sub("^    " name "    ", ""); sub("    ", " "); print }'
}


expect_eq() {  # WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then pass "$1"; else fail "$1: expected [$2], got [$3]"; fi
}

# ---- 1. Run values become shortcuts --------------------------------------------------
reg_add Tray REG_SZ 'C:\Apps\Tray\Tray.exe -min'
reg_add 'My App' REG_SZ '"C:\Program Files\My App\app.exe" /tray'
reg_add 'Mirabilis ICQ' REG_SZ 'C:\Apps\ICQ\Agent.exe'
reg_add Panel REG_SZ 'rundll32.exe shell32.dll,Control_RunDLL'
reg_add Expand REG_EXPAND_SZ '%SystemRoot%\notepad.exe /e'
reg_add Programs REG_EXPAND_SZ '"%ProgramFiles%\My App\app.exe" /p'
values=(Tray 'My App' 'Mirabilis ICQ' Panel Expand Programs)

declare -A before
for v in "${values[@]}"; do before[$v]=$(reg_get "$v"); done
expect_eq "Expand is stored expandable" 'REG_EXPAND_SZ %SystemRoot%\notepad.exe /e' "${before[Expand]}"

out=$(run_driver regshortcut 'C:\Online\' 'C:\Marshal\removed.reg' HKEY_CURRENT_USER Tray 'Tray Agent')
expect_eq "Tray: messages" $'STEP\nMSGBOX 64 The shortcut was created successfuly.' "$out"
l="$c/Online/Tray Agent.lnk"
expect_eq "Tray: show command" 5 "$(tw_lnk_startup "$l")"
expect_eq "Tray: path" 'C:\Apps\Tray\Tray.exe' "$(tw_lnk_path "$l")"
expect_eq "Tray: working directory" 'C:\Apps\Tray\' "$(tw_lnk_field "$l" 'Working directory')"
expect_eq "Tray: arguments" '-min' "$(tw_lnk_field "$l" Arguments)"
expect_eq "Tray: icon" 'C:\Apps\Tray\Tray.exe' "$(tw_lnk_field "$l" 'Icon path')"
expect_eq "Tray: description" 'Created by Osprey Wizard' "$(tw_lnk_field "$l" Description)"

run_driver regshortcut 'C:\Online\' 'C:\Marshal\removed.reg' HKEY_CURRENT_USER 'My App' 'My App' >/dev/null
l="$c/Online/My App.lnk"
expect_eq "quoted: path" 'C:\Program Files\My App\app.exe' "$(tw_lnk_path "$l")"
expect_eq "quoted: arguments" '/tray' "$(tw_lnk_field "$l" Arguments)"
expect_eq "quoted: working directory" 'C:\Program Files\My App\' "$(tw_lnk_field "$l" 'Working directory')"

run_driver regshortcut 'C:\Online\' 'C:\Marshal\removed.reg' HKEY_CURRENT_USER 'Mirabilis ICQ' ICQ >/dev/null
l="$c/Online/ICQ.lnk"
expect_eq "ICQ: path" 'C:\Apps\ICQ\ICQ.EXE' "$(tw_lnk_path "$l")"
expect_eq "ICQ: icon" 'C:\Apps\ICQ\ICQ.EXE' "$(tw_lnk_field "$l" 'Icon path')"
expect_eq "ICQ: working directory" 'C:\Apps\ICQ\' "$(tw_lnk_field "$l" 'Working directory')"
expect_eq "ICQ: no arguments" '' "$(tw_lnk_field "$l" Arguments)"

run_driver regshortcut 'C:\Online\' 'C:\Marshal\removed.reg' HKEY_CURRENT_USER Panel Panel >/dev/null
l="$c/Online/Panel.lnk"
sysdir=$("$WINE" cmd /c echo %SystemRoot%\\system32 </dev/null 2>/dev/null | tr -d '\r')
expect_eq "RUNDLL: arguments" 'shell32.dll,Control_RunDLL' "$(tw_lnk_field "$l" Arguments)"
expect_eq "RUNDLL: icon" 'shell32.dll' "$(tw_lnk_field "$l" 'Icon path')"
expect_eq "RUNDLL: working directory" "$sysdir" "$(tw_lnk_field "$l" 'Working directory')"
expect_eq "RUNDLL: show command" 5 "$(tw_lnk_startup "$l")"

run_driver regshortcut 'C:\Online\' 'C:\Marshal\removed.reg' HKEY_CURRENT_USER Expand Expand >/dev/null
l="$c/Online/Expand.lnk"
windir=$("$WINE" cmd /c echo %SystemRoot% </dev/null 2>/dev/null | tr -d '\r')
expect_eq "REG_EXPAND_SZ: expanded path" "$windir\\notepad.exe" "$(tw_lnk_path "$l")"
expect_eq "REG_EXPAND_SZ: arguments" '/e' "$(tw_lnk_field "$l" Arguments)"

run_driver regshortcut 'C:\Online\' 'C:\Marshal\removed.reg' HKEY_CURRENT_USER Programs Programs >/dev/null
l="$c/Online/Programs.lnk"
native_programs=$("$WINE_NATIVE" cmd /c echo %ProgramFiles% </dev/null 2>/dev/null | tr -d '\r')
expect_eq "%ProgramFiles%: the native folder" 'C:\Program Files' "$native_programs"
expect_eq "%ProgramFiles%: path" "$native_programs\\My App\\app.exe" "$(tw_lnk_path "$l")"
expect_eq "%ProgramFiles%: working directory" "$native_programs\\My App\\" "$(tw_lnk_field "$l" 'Working directory')"

# ---- 2. the values are gone, and REMOVED.REG brings them back ---------------------------
for v in "${values[@]}"; do
    expect_eq "$v deleted" '' "$(reg_get "$v")"
done
head -c 10 "$c/Marshal/removed.reg" | od -c | head -n1 | grep -q 'R   E   G   E   D   I   T   4  \\r  \\n' ||
    fail "REMOVED.REG does not begin with REGEDIT4 CR LF"
[ "$(grep -c '^REGEDIT4' "$c/Marshal/removed.reg")" = 1 ] || fail "REGEDIT4 written more than once"
"$WINE_NATIVE" regedit /s 'C:\Marshal\removed.reg' </dev/null >/dev/null 2>&1
for v in "${values[@]}"; do
    expect_eq "$v restored by regedit" "${before[$v]}" "$(reg_get "$v")"
done

# ---- 3. StartUp shortcuts moved --------------------------------------------------------
cp "$c/Online/Tray Agent.lnk" "$c/StartUp/Mail.lnk"
cp "$c/Online/Panel.lnk" "$c/StartUp/Mail.Online.lnk"
cp "$c/Online/ICQ.lnk" "$c/Online/Mail.lnk"  # an older shortcut of the same name, to ICQ
cp "$c/StartUp/Mail.lnk" "$work/Mail.lnk.orig"
cp "$c/StartUp/Mail.Online.lnk" "$work/Mail.Online.lnk.orig"
out=$(run_driver move 'C:\StartUp\' 'C:\Online\' Mail.lnk Mail.Online.lnk Gone.lnk)
expect_eq "move: texts" $'STEP\nTEXT |||||||Mail.lnk was moved sucessfully.\nMSGBOX 64 Mail.lnk already exists in the Online StartUp folder, so this shortcut was saved as Mail (2).lnk.\nSTEP\nTEXT |||||||Mail.Online.lnk was moved sucessfully.\nSTEP\nTEXT |||||||Couldn\'t move Gone.lnk.' "$out"
cmp -s "$work/Mail.lnk.orig" "$c/Online/Mail (2).lnk" && pass "move: Mail (2).lnk byte for byte" ||
    fail "move: Mail (2).lnk differs"
cmp -s "$c/Online/ICQ.lnk" "$c/Online/Mail.lnk" && pass "move: the older Mail.lnk kept" || fail "move: Mail.lnk replaced"
rm -f "$c/Online/Mail.lnk" "$c/Online/Mail (2).lnk"
cmp -s "$work/Mail.Online.lnk.orig" "$c/Online/Mail.Online.lnk" && pass "move: Mail.Online.lnk byte for byte" ||
    fail "move: Mail.Online.lnk differs"
[ ! -e "$c/StartUp/Mail.lnk" ] && [ ! -e "$c/StartUp/Mail.Online.lnk" ] && pass "move: sources gone" ||
    fail "move: a source is left"

# A shortcut that another program holds open without sharing its deletion (a virus scanner)
# is waited for about 2 seconds: held for 1 second it is moved, held for 10 it is not, and the
# source stays.
held_move() {  # SECONDS: moves Mail.lnk while the file is held that long; prints the texts
    cp "$work/Mail.lnk.orig" "$c/StartUp/Mail.lnk"
    rm -f "$c/Online/Mail.lnk" "$work/held"
    "$WINE" "$driver" hold 'C:\StartUp\Mail.lnk' "$1" </dev/null >"$work/held" 2>/dev/null &
    local holder=$! i
    for i in $(seq 1 100); do grep -q HELD "$work/held" 2>/dev/null && break; sleep 0.1; done
    grep -q HELD "$work/held" || fail "held move: the file was not held"
    run_driver move 'C:\StartUp\' 'C:\Online\' Mail.lnk
    wait "$holder"
}
expect_eq "held for 1 s: moved" $'STEP\nTEXT |||||||Mail.lnk was moved sucessfully.' "$(held_move 1)"
[ ! -e "$c/StartUp/Mail.lnk" ] && cmp -s "$work/Mail.lnk.orig" "$c/Online/Mail.lnk" && pass "held for 1 s: moved whole" ||
    fail "held for 1 s: not moved"
expect_eq "held for 10 s: not moved" $'STEP\nTEXT |||||||Couldn\'t move Mail.lnk.' "$(held_move 10)"
cmp -s "$work/Mail.lnk.orig" "$c/StartUp/Mail.lnk" && pass "held for 10 s: source kept" || fail "held for 10 s: source lost"
rm -f "$c/StartUp/Mail.lnk" "$c/Online/Mail.lnk"

# ---- 4. faults ---------------------------------------------------------------------------
probe="$work/probe"
: >"$probe"
skipped=
if ! chattr +i "$probe" 2>/dev/null; then
    skipped="4 (chattr +i is not available here: the read-only faults were not injected)"
    echo "SKIP: section $skipped"
else
    chattr -i "$probe"
    make_immutable() { chattr +i "$1" && immutable+=("$1"); }

    # REMOVED.REG read-only: the shortcut is made, the value stays, the user is told.
    reg_add Keep REG_SZ 'C:\Apps\Tray\Tray.exe /keep'
    "$WINE" cmd /c attrib +r 'C:\Marshal\removed.reg' </dev/null >/dev/null 2>&1
    cp "$c/Marshal/removed.reg" "$work/removed.before"
    make_immutable "$c/Marshal/removed.reg"
    out=$(run_driver regshortcut 'C:\Online\' 'C:\Marshal\removed.reg' HKEY_CURRENT_USER Keep Keep)
    expect_eq "read-only REMOVED.REG: messages" \
        $'STEP\nMSGBOX 48 Non-Critical ERROR: Can\'t save the value to REMOVED.REG. It was left in the registry.\nMSGBOX 64 The shortcut was created successfuly.' "$out"
    expect_eq "read-only REMOVED.REG: value kept" 'REG_SZ C:\Apps\Tray\Tray.exe /keep' "$(reg_get Keep)"
    cmp -s "$work/removed.before" "$c/Marshal/removed.reg" && pass "read-only REMOVED.REG: file unchanged" ||
        fail "read-only REMOVED.REG changed"
    [ -f "$c/Online/Keep.lnk" ] && pass "read-only REMOVED.REG: shortcut made" || fail "no Keep.lnk"

    # Online StartUp folder unwritable: no shortcut, value and REMOVED.REG untouched.
    mkdir -p "$c/Locked"
    make_immutable "$c/Locked"
    reg_add Stay REG_SZ 'C:\Apps\Tray\Tray.exe /stay'
    out=$(run_driver regshortcut 'C:\Locked\' 'C:\Marshal\removed.reg' HKEY_CURRENT_USER Stay Stay)
    expect_eq "unwritable Online folder: messages" \
        $'STEP\nMSGBOX 48 Non-Critical ERROR: Failed to create the shortcut.' "$out"
    expect_eq "unwritable Online folder: value kept" 'REG_SZ C:\Apps\Tray\Tray.exe /stay' "$(reg_get Stay)"
    cmp -s "$work/removed.before" "$c/Marshal/removed.reg" && pass "unwritable Online folder: REMOVED.REG unchanged" ||
        fail "REMOVED.REG changed"

    # Moving into the unwritable folder: the source stays.
    cp "$work/Mail.lnk.orig" "$c/StartUp/Mail.lnk"
    out=$(run_driver move 'C:\StartUp\' 'C:\Locked\' Mail.lnk)
    expect_eq "move into unwritable folder: text" $'STEP\nTEXT |||||||Couldn\'t move Mail.lnk.' "$out"
    cmp -s "$work/Mail.lnk.orig" "$c/StartUp/Mail.lnk" && pass "move into unwritable folder: source kept" ||
        fail "source lost"

    # A StartUp folder that allows no deletion: the copy arrives, the source stays.
    rm -f "$c/Online/Mail.lnk"
    make_immutable "$c/StartUp"
    out=$(run_driver move 'C:\StartUp\' 'C:\Online\' Mail.lnk)
    expect_eq "undeletable source: text" $'STEP\nTEXT |||||||Couldn\'t move Mail.lnk.' "$out"
    cmp -s "$work/Mail.lnk.orig" "$c/StartUp/Mail.lnk" && pass "undeletable source: source kept" || fail "source lost"
    cmp -s "$work/Mail.lnk.orig" "$c/Online/Mail.lnk" && pass "undeletable source: copy whole" || fail "copy differs"
fi

# ---- 5. name clashes in one processing run ------------------------------------------------
x="$c/Clash"
mkdir -p "$x/StartUp" "$x/Online" "$c/Apps/Clash"
for f in pager link old new user machine wow same; do printf 'MZ' >"$c/Apps/Clash/$f.exe"; done
make_link() {  # LINK TARGET ARGUMENTS
    "$WINE" "$TW_BIN/make_link.exe" "$1" "$2" "$3" </dev/null >/dev/null 2>&1 || fail "cannot write $1"
}
make_link 'C:\Clash\StartUp\Pager.lnk' 'C:\Apps\Clash\link.exe' '-from-startup'
make_link 'C:\Clash\Online\old.lnk' 'C:\Apps\Clash\old.exe' ''
make_link 'C:\Clash\Online\Same.lnk' 'C:\Apps\Clash\same.exe' '-s'
cp "$x/StartUp/Pager.lnk" "$work/Pager.lnk.orig"
cp "$x/Online/old.lnk" "$work/old.lnk.orig"
run_lm='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
reg_add Pager REG_SZ 'C:\Apps\Clash\pager.exe -run'
reg_add Old REG_SZ 'C:\Apps\Clash\new.exe'
reg_add Twin REG_SZ 'C:\Apps\Clash\user.exe'
key=$run_lm reg_add Twin REG_SZ 'C:\Apps\Clash\machine.exe -m'
reg_add Same REG_SZ 'C:\Apps\Clash\same.exe -s'
created='MSGBOX 64 The shortcut was created successfuly.'
renamed() { echo "MSGBOX 64 $1 already exists in the Online StartUp folder, so this shortcut was saved as $2."; }
# On 64-bit Windows page 2 lists the machine's native view and its 32-bit view, which holds a
# Twin of its own.
machine=HKEY_LOCAL_MACHINE wow_items=() wow_messages= wow_link= wow_start=
if tw_windows64; then
    machine=HKEY_LOCAL_MACHINE/64
    key=$run_lm view=32 reg_add Twin REG_SZ 'C:\Apps\Clash\wow.exe -w'
    wow_items=(reg HKEY_LOCAL_MACHINE/32 Twin Twin)
    wow_messages=$'\nSTEP\n'"$(renamed Twin.lnk 'Twin (3).lnk')"$'\n'"$created"
    wow_link=$'\nTwin (3).lnk' wow_start=$'\nC:\\Apps\\Clash\\wow.exe -w'
fi
declare -A clash_before
for v in Pager Old Twin Same; do clash_before[$v]=$(reg_get "$v"); done
clash_before[lm]=$(key=$run_lm reg_get Twin)
clash_before[wow]=$(key=$run_lm view=32 reg_get Twin)
out=$(run_driver process 'C:\Clash\StartUp\' 'C:\Clash\Online\' 'C:\Clash\removed.reg' move Pager.lnk \
    reg HKEY_CURRENT_USER Pager Pager reg HKEY_CURRENT_USER Old Old reg HKEY_CURRENT_USER Twin Twin \
    reg "$machine" Twin Twin "${wow_items[@]}" reg HKEY_CURRENT_USER Same Same)
expect_eq "clashes: messages" "STEP
TEXT |||||||Pager.lnk was moved sucessfully.
STEP
$(renamed Pager.lnk 'Pager (2).lnk')
$created
STEP
$(renamed old.lnk 'Old (2).lnk')
$created
STEP
$created
STEP
$(renamed Twin.lnk 'Twin (2).lnk')
$created$wow_messages
STEP
$created" "$out"
expect_eq "clashes: Online StartUp folder" $'Old (2).lnk\nPager (2).lnk\nPager.lnk\nSame.lnk\nTwin (2).lnk'"$wow_link"$'\nTwin.lnk\nold.lnk' \
    "$(cd "$x/Online" && ls -1 | LC_ALL=C sort)"
expect_eq "clashes: StartUp folder empty" '' "$(ls -A "$x/StartUp")"
cmp -s "$work/Pager.lnk.orig" "$x/Online/Pager.lnk" && pass "clashes: Pager.lnk moved byte for byte" || fail "Pager.lnk differs"
cmp -s "$work/old.lnk.orig" "$x/Online/old.lnk" && pass "clashes: old.lnk untouched" || fail "old.lnk changed"
expect_eq "clashes: Same.lnk is the new one" 'Created by Osprey Wizard' "$(tw_lnk_field "$x/Online/Same.lnk" Description)"
# Every program, with its arguments, is started by one shortcut of the folder.
starts=$(for l in "$x/Online"/*.lnk; do echo "$(tw_lnk_path "$l") $(tw_lnk_field "$l" Arguments)"; done | LC_ALL=C sort)
expect_eq "clashes: the programs the shortcuts start" 'C:\Apps\Clash\link.exe -from-startup
C:\Apps\Clash\machine.exe -m
C:\Apps\Clash\new.exe 
C:\Apps\Clash\old.exe 
C:\Apps\Clash\pager.exe -run
C:\Apps\Clash\same.exe -s
C:\Apps\Clash\user.exe '"$wow_start" "$starts"
for v in Pager Old Twin Same; do expect_eq "clashes: $v deleted" '' "$(reg_get "$v")"; done
expect_eq "clashes: machine's Twin deleted" '' "$(key=$run_lm reg_get Twin)"
expect_eq "clashes: machine's 32-bit Twin deleted" '' "$(key=$run_lm view=32 reg_get Twin)"
"$WINE_NATIVE" regedit /s 'C:\Clash\removed.reg' </dev/null >/dev/null 2>&1
for v in Pager Old Twin Same; do expect_eq "clashes: $v restored by regedit" "${clash_before[$v]}" "$(reg_get "$v")"; done
expect_eq "clashes: machine's Twin restored by regedit" "${clash_before[lm]}" "$(key=$run_lm reg_get Twin)"
expect_eq "clashes: machine's 32-bit Twin restored into its view" "${clash_before[wow]}" "$(key=$run_lm view=32 reg_get Twin)"

# ---- 6. names REMOVED.REG cannot carry ---------------------------------------------------------
# Any program may write a Run value whose name holds line breaks. Written as it is, the name
# below would put a section and a value of its writer's choosing into REMOVED.REG. Such values
# are refused: no shortcut, no line, the value stays, the user is told; the others go on.
inj=$'Inj\\x\r\n[HKEY_CURRENT_USER]\r\n@=dword:00000001\r\nX' lone_cr=$'Lone\rCR' lone_lf=$'Lone\nLF'
mkdir -p "$c/acc apps" "$c/Inj/StartUp" "$c/Inj/Online"
printf 'MZ' >"$c/acc apps/v1.exe"; printf 'MZ' >"$c/acc apps/v2.exe"
reg_add "$inj" REG_SZ 'C:\acc apps\v1.exe'
reg_add Plain REG_SZ 'C:\acc apps\v2.exe'
reg_add "$lone_cr" REG_SZ 'C:\acc apps\v1.exe /cr'
reg_add "$lone_lf" REG_SZ 'C:\acc apps\v1.exe /lf'
reg_has() { "$WINE_NATIVE" reg query "$run" /v "$1" </dev/null >/dev/null 2>&1; }  # NAME
out=$(run_driver process 'C:\Inj\StartUp\' 'C:\Inj\Online\' 'C:\Inj\removed.reg' reg HKEY_CURRENT_USER "$inj" Inj \
    reg HKEY_CURRENT_USER Plain Plain reg HKEY_CURRENT_USER "$lone_cr" CR reg HKEY_CURRENT_USER "$lone_lf" LF)
refused() { echo "MSGBOX 48 Non-Critical ERROR: REMOVED.REG can't hold the value named \"$1\". It was left in the registry, and no shortcut was made."; }
expect_eq "line breaks: messages" "STEP
$(refused 'Inj\x<CR><LF>[HKEY_CURRENT_USER]<CR><LF>@=dword:00000001<CR><LF>X')
STEP
$created
STEP
$(refused 'Lone<CR>CR')
STEP
$(refused 'Lone<LF>LF')" "$out"
expect_eq "line breaks: only Plain's shortcut" 'Plain.lnk' "$(ls -A "$c/Inj/Online")"
for v in "$inj" "$lone_cr" "$lone_lf"; do
    reg_has "$v" && pass "line breaks: value kept (${v:0:4})" || fail "line breaks: value ${v:0:4} deleted"
done
reg_has Plain && fail "line breaks: Plain not deleted"
printf '%s\r\n' REGEDIT4 '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]' \
    '"Plain"="C:\\acc apps\\v2.exe"' >"$work/inj-expected.reg"
cmp -s "$work/inj-expected.reg" "$c/Inj/removed.reg" && pass "line breaks: REMOVED.REG holds Plain's line only" ||
    fail "line breaks: REMOVED.REG is [$(tr '\r\n' '<>' <"$c/Inj/removed.reg")]"
# Imported, it changes the current user's hive by Plain's value and nothing else.
"$WINE_NATIVE" reg export HKCU 'C:\hkcu-before.reg' /y </dev/null >/dev/null 2>&1
"$WINE_NATIVE" regedit /s 'C:\Inj\removed.reg' </dev/null >/dev/null 2>&1
"$WINE_NATIVE" reg export HKCU 'C:\hkcu-after.reg' /y </dev/null >/dev/null 2>&1
hive_diff=$(diff <(iconv -f UTF-16LE -t UTF-8 "$c/hkcu-before.reg" | tr -d '\r') \
                 <(iconv -f UTF-16LE -t UTF-8 "$c/hkcu-after.reg" | tr -d '\r') | grep '^[<>]')
expect_eq "line breaks: the import adds Plain and nothing else" '> "Plain"="C:\\acc apps\\v2.exe"' "$hive_diff"
for v in "$inj" "$lone_cr" "$lone_lf" Plain; do "$WINE_NATIVE" reg delete "$run" /v "$v" /f </dev/null >/dev/null 2>&1; done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
if [ -n "$skipped" ]; then
    echo "the other checks passed; skipped: section $skipped"
    exit 77  # reported by ctest as a skip (SKIP_RETURN_CODE)
fi
echo "all checks passed"
