#!/usr/bin/env bash
# Marshal's processing run, ended at any one of its steps, loses nothing. The run (leftover of
# an earlier export taken care of, two StartUp shortcuts moved, three Run values of both hives
# turned into shortcuts, saved to REMOVED.REG and deleted, and on 64-bit Windows a fourth in
# the 32-bit view of the machine's key; an earlier REMOVED.REG holds two entries of a previous
# run) is done by wizard_ops_driver, which counts the changes to files and registry and ends
# itself with TerminateProcess right after the k-th, for every k up to the total: as a kill
# (what was written stays), as a power failure (what was written and not flushed is gone
# too) and, on 32-bit Windows, as a kill on Windows 98 (Wine told so for the driver), where a
# file is replaced by deleting it and renaming the new one. After each end:
#   - every Run value is still in the registry, or its shortcut is in the Online StartUp
#     folder and `regedit /s` of REMOVED.REG as the end left it brings it back exactly;
#   - every StartUp shortcut is in the StartUp folder or, byte for byte, in the Online one;
#   - that REMOVED.REG imports, and gives back both entries of the earlier run;
#   - a second run, of what is still listed, finishes the job with nothing but the usual
#     messages, leaves no .new file, and its REMOVED.REG gives back every value.
# One prefix for every run: the state is put back between runs.
# Needs TW_BIN, TW_BUILD, TW_ARCH, TW_SOURCE (set by ctest).
set -u
. "$TW_SOURCE/tests/support/wine-env.sh"
tw_e2e_begin wizardkill
tw_start_server
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

driver="$TW_BIN/wizard_ops_driver.exe"
[ -f "$driver" ] || { echo "FAIL: no $driver" >&2; exit 1; }
run_driver() { "$WINE" "$driver" "$@" </dev/null 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

c="$WINEPREFIX/drive_c"
k_dir="$c/Kill"
removed="$k_dir/Marshal/removed.reg"
mkdir -p "$k_dir/StartUp" "$k_dir/Online" "$k_dir/Marshal" "$k_dir/orig"
run_cu='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_lm='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
run_wow='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run'
cu_section='[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]'
lm_section='[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run]'
wow_section='[HKEY_LOCAL_MACHINE\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run]'

# The values of this run (hive as page 2 lists it, name, shortcut), the earlier run's two, the
# shortcuts. 64-bit Windows has the machine's key twice: a value in each view.
if tw_windows64; then machine=HKEY_LOCAL_MACHINE/64; else machine=HKEY_LOCAL_MACHINE; fi
values=('HKEY_CURRENT_USER|Mail|Mail Checker' 'HKEY_CURRENT_USER|News|News' "$machine|Scan|Scan")
earlier=('HKEY_CURRENT_USER|Old' "$machine|OldScan")
shortcuts=(Chat.lnk Pager.lnk)
list="reg query $run_cu & reg query $run_lm /reg:64"
wow_start=() wow_clear=()
keep='"Keep"="C:\\Apps\\Keep\\keep.exe"'
keeps=('HKEY_CURRENT_USER|Keep' "$machine|Keep")
if tw_windows64; then
    values+=('HKEY_LOCAL_MACHINE/32|Sync|Sync')
    keeps+=('HKEY_LOCAL_MACHINE/32|Keep')
    list+=" & reg query $run_wow /reg:64"
    wow_start=("$wow_section" '"Sync"="C:\\Apps\\Sync\\sync.exe"' "$keep")
    wow_clear=("$wow_section" '"Sync"=-')
fi
for p in Mail News Scan Sync Chat Pager; do mkdir -p "$c/Apps/$p"; printf 'MZ' >"$c/Apps/$p/${p,,}.exe"; done

tw_link 'C:\Kill\orig\Chat.lnk' 'C:\Apps\Chat\chat.exe' '-auto' || fail "cannot write Chat.lnk"
tw_link 'C:\Kill\orig\Pager.lnk' 'C:\Apps\Pager\pager.exe' || fail "cannot write Pager.lnk"
# REMOVED.REG of a previous run, as the private-profile writer left it.
printf '%s\r\n' REGEDIT4 '' "$cu_section" '"Old"="C:\\Apps\\Old\\old.exe"' '' "$lm_section" \
    '"OldScan"="\"C:\\Apps\\Old\\scan.exe\" -x"' >"$k_dir/orig/removed.reg"
# The registry as the run finds it, and with none of the values. Each Run key also holds a
# value the user did not choose, "Keep": it stays, and every listing of a key shows it.
hex2=$(printf '%%SystemDrive%%\\Apps\\News\\news.exe /quiet\0' | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
printf '%s\r\n' REGEDIT4 "$cu_section" '"Mail"="\"C:\\Apps\\Mail\\mail.exe\" -check"' "\"News\"=hex(2):$hex2" \
    '"Old"=-' "$keep" "$lm_section" '"Scan"="C:\\Apps\\Scan\\scan.exe /tray"' '"OldScan"=-' "$keep" \
    "${wow_start[@]}" >"$k_dir/start.reg"
printf '%s\r\n' REGEDIT4 "$cu_section" '"Mail"=-' '"News"=-' '"Old"=-' "$lm_section" '"Scan"=-' '"OldScan"=-' \
    "${wow_clear[@]}" >"$k_dir/clear.reg"

# reg, regedit and cmd are the system's own (64-bit on 64-bit Windows).
reg_import() { "$WINE_NATIVE" regedit /s "$1" </dev/null >/dev/null 2>&1; }  # WINDOWS-PATH
# Runs a cmd command line in which $list lists the Run keys; prints one "N|HIVE|NAME|TYPE
# DATA" line per value listed, N counting the "echo ====" before it, HIVE as page 2 names it.
# Fails, saying what cmd gave, when the output names fewer keys than the line lists: a listing
# is never taken for a registry without the values.
registry() {  # COMMANDS
    local raw keys
    raw=$("$WINE_NATIVE" cmd /c "$1" </dev/null 2>"$work/cmd.err" | tr -d '\r')
    keys=$(grep -o 'reg query' <<<"$1" | wc -l)
    if [ "$(grep -c '^HKEY_' <<<"$raw")" -lt "$keys" ]; then
        echo "note: cmd listed fewer than $keys keys: [$(head -c 300 <<<"$raw")]" \
            "[$(head -c 300 "$work/cmd.err")]" >&2
        return 1
    fi
    awk -F'    ' -v machine="$machine" '/^====/ { n++ }
        /^HKEY_/ { h = substr($0, 1, index($0, "\\") - 1); if (h == "HKEY_LOCAL_MACHINE") h = machine }
        /^HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\/ { h = "HKEY_LOCAL_MACHINE/32" }
        /^    / && NF >= 3 { d = $4; for (i = 5; i <= NF; i++) d = d "    " $i
                             print n + 0 "|" h "|" $2 "|" $3 " " d }' <<<"$raw"
}
# The values now (HIVE|NAME|TYPE DATA lines); a listing that came back short is taken again.
snapshot() {
    local out try
    for try in 1 2 3; do
        out=$(registry "$list") && { cut -d'|' -f2- <<<"$out"; return 0; }
    done
    return 1
}
section() { sed -n "s/^$1|//p" <<<"$2"; }  # N REGISTRY-OUTPUT
value_of() { grep -F -- "$1|" <<<"$2" | head -n1 | cut -d'|' -f3-; }  # HIVE|NAME SNAPSHOT

# The files as the run finds them; reset_files alone when the registry was reset already.
reset_files() {
    rm -f "$k_dir/Online"/* "$k_dir/StartUp"/* "$removed.new"
    cp "$k_dir/orig"/*.lnk "$k_dir/StartUp/"
    cp "$k_dir/orig/removed.reg" "$removed"
}
reset() { reset_files; reg_import 'C:\Kill\start.reg'; }

# The whole processing run for what is still there: the shortcuts still in the StartUp
# folder and the values still in the registry, as the wizard's pages would list them.
process_args() {  # SNAPSHOT
    local s v
    args=('C:\Kill\StartUp\' 'C:\Kill\Online\' 'C:\Kill\Marshal\removed.reg')
    expected=()
    for s in "${shortcuts[@]}"; do
        [ -f "$k_dir/StartUp/$s" ] || continue
        args+=(move "$s")
        expected+=(STEP "TEXT |||||||$s was moved sucessfully.")
    done
    for v in "${values[@]}"; do
        IFS='|' read -r hive name link <<<"$v"
        [ -n "$(value_of "$hive|$name" "$1")" ] || continue
        args+=(reg "$hive" "$name" "$link")
        expected+=(STEP 'MSGBOX 64 The shortcut was created successfuly.')
    done
}

# Each value in VALUES that is missing from the registry against what it held at the start.
values_back() {  # WHAT SNAPSHOT VALUE...
    local what=$1 now=$2 v
    shift 2
    for v in "$@"; do
        [ "$(value_of "$v" "$now")" = "$(value_of "$v" "$start")" ] || fail "$what: $v is [$(value_of "$v" "$now")]"
    done
}

reset
reg_import 'C:\Kill\Marshal\removed.reg'
start=$(snapshot) || fail "set-up: the registry cannot be listed"
for v in "${values[@]}" "${earlier[@]}" "${keeps[@]}"; do
    IFS='|' read -r hive name _ <<<"$v"
    [ -n "$(value_of "$hive|$name" "$start")" ] || fail "set-up: no $hive $name"
done

# Each pass: the whole run once, counting its steps, then ended at each of them. Windows 98
# ended between the deletion and the rename leaves REMOVED.REG as its new file only, which
# the next run takes in.
passes=('NT kill outage')
[ "${TW_ARCH:-i686}" = i686 ] && ! tw_windows64 && passes+=('98 kill')
began=$SECONDS
tried=0
total=0
losses=0
for pass in "${passes[@]}"; do
    read -r system modes <<<"$pass"
    if [ "$system" = 98 ]; then
        "$WINE" reg add 'HKCU\Software\Wine\AppDefaults\wizard_ops_driver.exe' /v Version /d win98 /f \
            </dev/null >/dev/null 2>&1 || fail "cannot make Wine a Windows 98"
    fi
    reset
    process_args "$start"
    whole=("${args[@]}")
    out=$(run_driver changes 0 process "${args[@]}")
    [ "$(grep -v '^CHANGE ' <<<"$out")" = "$(printf '%s\n' "${expected[@]}")" ] || fail "$system: the whole run said: $out"
    steps=$(grep -c '^CHANGE ' <<<"$out")
    echo "$system: a processing run makes $steps changes:" $(sed -n 's/^CHANGE \([A-Za-z]*\) .*/\1/p' <<<"$out" | sort | uniq -c)
    [ "$steps" -gt 0 ] || fail "$system: no change seen"
    reset
    for mode in $modes; do
        total=$((total + steps))
        for k in $(seq 1 "$steps"); do
            what="$system $mode $k"
            lost=
            reset_files
            out=$(run_driver changes "$k" process "${whole[@]}"; echo "rc=$?")
            [ "$(grep -c '^CHANGE ' <<<"$out")" = "$k" ] && grep -qx 'rc=99' <<<"$out" ||
                { fail "$what: not ended at change $k: $(tail -n 3 <<<"$out" | tr '\n' ' ')"; break 3; }
            tried=$((tried + 1))
            # A power failure loses what was not flushed (the worst it can do: all of it).
            if [ "$mode" = outage ]; then
                while IFS= read -r f; do
                    rm -f "$(tw_c_path "$f")"
                    lost+="$f "
                done < <(sed -n 's/^UNFLUSHED //p' <<<"$out")
                [ -z "$lost" ] || losses=$((losses + 1))
            fi
            now=$(snapshot) || fail "$what: the registry cannot be listed"
            values_back "$what: the value not chosen" "$now" "${keeps[@]}"
            # Run values: in the registry as they were, or made into a shortcut.
            gone=()
            for v in "${values[@]}"; do
                IFS='|' read -r hive name link <<<"$v"
                got=$(value_of "$hive|$name" "$now")
                if [ -z "$got" ]; then
                    gone+=("$hive|$name")
                    [ -n "$(tw_lnk_path "$k_dir/Online/$link.lnk")" ] || fail "$what: $name deleted without its shortcut"
                elif [ "$got" != "$(value_of "$hive|$name" "$start")" ]; then
                    fail "$what: $name changed to [$got]"
                fi
            done
            # StartUp shortcuts: in one of the folders, byte for byte.
            for s in "${shortcuts[@]}"; do
                cmp -s "$k_dir/orig/$s" "$k_dir/StartUp/$s" || cmp -s "$k_dir/orig/$s" "$k_dir/Online/$s" ||
                    fail "$what: $s is in neither folder"
            done
            if [ -f "$removed" ]; then
                cp "$removed" "$k_dir/ended.reg"
            elif [ "$system" = 98 ] && [ -f "$removed.new" ]; then
                cp "$removed.new" "$k_dir/ended.reg"
            else
                fail "$what: REMOVED.REG is gone"
            fi

            # The second run, from what is left.
            process_args "$now"
            second=$(run_driver process "${args[@]}")
            [ "$second" = "$(printf '%s\n' "${expected[@]}")" ] || fail "$what: second run said: $(tr '\n' '/' <<<"$second")"
            [ ! -e "$removed.new" ] || fail "$what: removed.reg.new left after the second run"
            for s in "${shortcuts[@]}"; do
                cmp -s "$k_dir/orig/$s" "$k_dir/Online/$s" && [ ! -e "$k_dir/StartUp/$s" ] || fail "$what: $s not moved"
            done
            # The registry after it (0); after importing REMOVED.REG as the end left it (1), which
            # gives back what was gone then and the earlier run's entries; after importing the
            # finished one into a registry without any of the five values (2): everything. Then
            # the registry as the next run finds it.
            states=$(registry "$list & echo ==== & regedit /s C:\Kill\ended.reg & $list & echo ==== & \
regedit /s C:\Kill\clear.reg C:\Kill\Marshal\removed.reg & $list & regedit /s C:\Kill\start.reg") ||
                fail "$what: the registry cannot be listed after the second run"
            after=$(section 0 "$states")
            for v in "${values[@]}"; do
                IFS='|' read -r hive name link <<<"$v"
                [ -z "$(value_of "$hive|$name" "$after")" ] || fail "$what: $name still in the registry"
                [ -n "$(tw_lnk_path "$k_dir/Online/$link.lnk")" ] || fail "$what: no $link.lnk"
            done
            values_back "$what: the ended run's REMOVED.REG" "$(section 1 "$states")" "${gone[@]}" "${earlier[@]}"
            values_back "$what: the final REMOVED.REG" "$(section 2 "$states")" "${values[@]%|*}" "${earlier[@]}"
            [ "$failures" -eq 0 ] || { echo "failed after $what (lost: ${lost:-nothing})" >&2; break 3; }
        done
    done
done
echo "ended at every change of each pass (${passes[*]}): $tried of $total runs in $((SECONDS - began)) s;" \
    "$losses power failures lost an unflushed file"
[ "$tried" = "$total" ] || fail "$tried of $total runs tried"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all checks passed"
