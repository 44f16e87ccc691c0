#!/usr/bin/env bash
# What users download, made a second time and then signed (scripts/build, no tests):
#   1. reproducible: a copy of the source in another folder is built by scripts/build, later,
#      in another time zone, with another umask and, run as root, by another user (nobody) on
#      another host name; every file in build/dist and both bin folders is the same byte for
#      byte as this build's;
#   2. stamped: every program and setup carries the commit's time stamp and a PE checksum that
#      fits (read by pefile); every file in the setups (read by 7-Zip) and in the zips has the
#      commit's time (to the even second); the zips hold their four entries in a fixed order,
#      mode 644;
#      SHA256SUMS lists every download and `sha256sum -c` accepts it;
#   3. no path of either build, nor the other user's or either host's name, is in a shipped
#      file or in a file inside a setup or zip (strings, 8-bit and UTF-16);
#   4. signed: the copy built again with a certificate made here: osslsigncode verifies the
#      four programs, both setups and both uninstallers (7-Zip takes them out) with only that
#      certificate trusted; each signed program is the unsigned one plus its signature;
#      signing the programs and making the setups again gives the same bytes; the setups name
#      the certificate's subject as their publisher. The signed setups and the certificate are kept in $TW_BUILD/signed for
#      e2e_setup, which installs one;
#   5. a signing failure (a wrong password, a time-stamp server that does not answer) fails
#      the build and leaves no setup, zip or unsigned program.
# Prints the time of each build and the sizes of the unsigned and signed setups.
# Needs TW_BUILD, TW_ARCH, TW_SOURCE, TW_DIST, TW_VERSION (ctest); root for another user and
# host name (else only the folder, time zone and umask differ). TW_KEEP=1 keeps the copy.
set -u
. "$TW_SOURCE/tests/support/wine-env.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in osslsigncode openssl 7zz zipinfo strings /usr/bin/python3; do
    command -v "$tool" >/dev/null || fail "needs $tool (scripts/setup installs it)"
done
failures=0
check() {  # WHAT EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then echo "   ok: $1"; else echo "   FAIL: $1: expected [$2], got [$3]" >&2; failures=$((failures + 1)); fi
}
bad() { echo "   FAIL: $*" >&2; failures=$((failures + 1)); }

# This build's shipped files, as scripts/build lays them out: build/bin, build/x64/bin, build/dist.
case "$TW_ARCH" in
    x86_64) top=$(cd "$TW_BUILD/.." && pwd) ;;
    *) top=$(cd "$TW_BUILD" && pwd) ;;
esac
epoch=$(sed -n 's/^TW_SOURCE_DATE_EPOCH:INTERNAL=//p' "$TW_BUILD/CMakeCache.txt")
[ -n "$epoch" ] || fail "no TW_SOURCE_DATE_EPOCH in $TW_BUILD/CMakeCache.txt"
grep -q '^TW_SIGN_PKCS12:FILEPATH=$' "$TW_BUILD/CMakeCache.txt" ||
    fail "this build is signed: the comparison needs an unsigned one (scripts/test builds unsigned)"
shipped=(bin/Lookout.exe bin/Marshal.exe x64/bin/Lookout.exe x64/bin/Marshal.exe)
setups=(dist/Tetherwatch-$TW_VERSION-x64-setup.exe dist/Tetherwatch-$TW_VERSION-x86-setup.exe)
zips=(dist/Tetherwatch-$TW_VERSION-x64.zip dist/Tetherwatch-$TW_VERSION-x86.zip)
for f in "${shipped[@]}" "${setups[@]}" "${zips[@]}" dist/SHA256SUMS; do
    [ -f "$top/$f" ] || fail "no $top/$f (scripts/build makes it)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tw-release.XXXXXX")
trap 'if [ "${TW_KEEP:-0}" = 1 ]; then echo "kept $work" >&2; else rm -rf "$work"; fi' EXIT
copy=$work/source
mkdir -p "$copy" "$work/home"
# The source as it is, committed or not (what git ignores, build/ among it, stays behind).
if git -c safe.directory="$TW_SOURCE" -C "$TW_SOURCE" rev-parse >/dev/null 2>&1; then
    git -c safe.directory="$TW_SOURCE" -C "$TW_SOURCE" ls-files -z -c -o --exclude-standard |
        (cd "$TW_SOURCE" && xargs -0 cp -a --parents -t "$copy")
else
    tar -C "$TW_SOURCE" --exclude=./build -cf - . | tar -C "$copy" -xf -
fi

# Runs scripts/build of the copy with nothing of this environment but PATH, the commit's time
# and the given variables; as root, as nobody on the host name tw-release-host.
other_host=tw-release-host other_user=nobody
if [ "$(id -u)" = 0 ]; then
    chown -R "$other_user:" "$work"
    as_other=(unshare --uts sh -c 'host=$0 user=$1; shift; hostname "$host" && exec runuser -u "$user" -- "$@"'
        "$other_host" "$other_user")
    varied="folder, time, time zone, umask, user ($other_user) and host name ($other_host)"
else
    as_other=()
    varied="folder, time, time zone and umask (not root: same user and host name)"
fi
build_copy() {  # VARIABLE=VALUE...: scripts/build's output in $work/build.log
    "${as_other[@]}" env -i PATH="$PATH" HOME="$work/home" LANG=C.UTF-8 TZ=America/St_Johns \
        SOURCE_DATE_EPOCH="$epoch" "$@" bash -c 'umask 077 && exec "$0"' "$copy/scripts/build" \
        >"$work/build.log" 2>&1
}
elapsed() { echo "$(( $(date +%s) - $1 )) s"; }

# ---- 1. The same bytes -----------------------------------------------------------------------
echo "1. the shipped files built again from a copy: $varied differ"
start=$(date +%s)
build_copy || { tail -n 30 "$work/build.log" >&2; fail "the second build failed"; }
echo "   second build (both architectures, setups, zips): $(elapsed "$start")"
other=$copy/build
check "the same downloads" "$(ls -A "$top/dist")" "$(ls -A "$other/dist")"
for dir in bin x64/bin; do
    check "only the programs in the second build's $dir" $'Lookout.exe\nMarshal.exe' "$(ls -A "$other/$dir")"
done
for f in "${shipped[@]}" $(cd "$other" && ls -d dist/*); do
    if cmp -s "$top/$f" "$other/$f"; then
        echo "   ok: $f is the same"
    else
        bad "$f differs: $(cmp "$top/$f" "$other/$f" 2>&1 | head -n 1), $(cmp -l "$top/$f" "$other/$f" 2>/dev/null | wc -l) bytes"
    fi
done

# ---- 2. Stamps -------------------------------------------------------------------------------
echo "2. the commit's time ($(date -u -d "@$epoch" '+%F %T') UTC) in every stamp"
# "time-stamp checksum-fits" of each PE file, as pefile reads them.
pe_stamps() {
    /usr/bin/python3 - "$@" <<'EOF'
import sys, pefile
for path in sys.argv[1:]:
    pe = pefile.PE(path, fast_load=True)
    print(pe.FILE_HEADER.TimeDateStamp, "fits" if pe.verify_checksum() else "wrong")
EOF
}
stamps=$(cd "$top" && pe_stamps "${shipped[@]}" "${setups[@]}" 2>&1)
names=("${shipped[@]}" "${setups[@]}")
i=0
while read -r stamp sum; do
    check "${names[$i]}: time stamp, checksum" "$epoch fits" "$stamp $sum"
    i=$((i + 1))
done <<<"$stamps"
check "every program and setup read" "${#names[@]}" "$i"
# The files' times: the commit's, rounded down to the two-second steps of the zips' times.
even=$(( epoch / 2 * 2 ))
zip_time=$(TZ=UTC0 date -d "@$even" '+%Y%m%d.%H%M%S')
for zip in "${zips[@]}"; do
    check "$zip: entries, order, mode, time" \
        "$(printf -- "-rw-r--r-- $zip_time %s\n" Lookout.exe Marshal.exe README.txt LICENSE.txt)" \
        "$(TZ=UTC0 zipinfo -T "$top/$zip" | awk '/^-/ { print $1, $7, $8 }')"
done
seven_time=$(TZ=UTC0 date -d "@$even" '+%F %T')
for setup in "${setups[@]}"; do
    # The plug-ins come without a time; the uninstaller is made at install time.
    check "$setup: the time of each file in it" \
        "$(printf "$seven_time %s\n" '$PLUGINSDIR/modern-wizard.bmp' Lookout.exe Marshal.exe README.txt LICENSE.txt)" \
        "$(TZ=UTC0 7zz l -slt "$top/$setup" | awk '/^Path = / { path = substr($0, 8) } /^Modified = ./ { print substr($3 " " $4, 1, 19), path }')"
done
check "SHA256SUMS lists every download" "$(LC_ALL=C ls "$top/dist" | grep -vx SHA256SUMS)" "$(awk '{ print $2 }' "$top/dist/SHA256SUMS")"
(cd "$top/dist" && sha256sum --quiet -c SHA256SUMS) && echo "   ok: sha256sum -c SHA256SUMS" || bad "sha256sum -c SHA256SUMS"

# ---- 3. Nothing of the building machines -----------------------------------------------------
echo "3. no build path, user or host name in what users get"
unpacked=$work/unpacked
for tree in "$top" "$other"; do
    mkdir -p "$unpacked/${tree//\//_}/dist"
    for f in "${zips[@]}"; do unzip -q -o "$tree/$f" -d "$unpacked/${tree//\//_}/$f" || bad "cannot unpack $f"; done
    for f in "${setups[@]}"; do 7zz x -y "-o$unpacked/${tree//\//_}/$f" "$tree/$f" >/dev/null || bad "cannot unpack $f"; done
done
# The text files are the README and the licence, which may well say "root" or "nobody".
needles=("$TW_SOURCE" "$top" "$copy" "$work")
[ "$(id -u)" = 0 ] && needles+=("$other_host")
# A short host name ("vm") is found by chance in any program.
[ "$(hostname | wc -c)" -gt 8 ] && needles+=("$(hostname)")
programs=("${shipped[@]/#/$top/}" "${shipped[@]/#/$other/}" "${setups[@]/#/$top/}" $(find "$unpacked" -type f ! -name '*.txt'))
everything=("${programs[@]}" "${zips[@]/#/$top/}" $(find "$unpacked" -type f -name '*.txt'))
found=0
for f in "${everything[@]}"; do
    for needle in "${needles[@]}"; do
        { strings -a "$f"; strings -a -e l "$f"; } | grep -qF -- "$needle" && { bad "$f holds \"$needle\""; found=1; }
    done
    if [ "$(id -u)" = 0 ] && printf '%s\n' "${programs[@]}" | grep -qxF -- "$f"; then
        { strings -a "$f"; strings -a -e l "$f"; } | grep -qw -- "$other_user" && { bad "$f holds \"$other_user\""; found=1; }
    fi
done
[ "$found" = 1 ] || echo "   ok: none of [${needles[*]}] in ${#everything[@]} files"

# ---- 4. Signed -------------------------------------------------------------------------------
echo "4. signed with a throwaway certificate"
cert=$work/certificate
subject='Tetherwatch "Test" Signer $1'   # a " and a $, which NSIS reads in strings
# A self-signed code-signing certificate and its key in $cert/signer.p12, the password in
# $cert/password, the certificate alone in $cert/cert.pem.
make_certificate() {
    mkdir -p "$cert"
    openssl req -x509 -newkey rsa:2048 -sha256 -days 7 -nodes -subj "/CN=$subject/O=Tetherwatch tests" \
        -addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=codeSigning \
        -keyout "$cert/key.pem" -out "$cert/cert.pem" 2>"$cert/openssl.log" || fail "openssl: $(cat "$cert/openssl.log")"
    echo "throwaway $$ $RANDOM" >"$cert/password"
    openssl pkcs12 -export -in "$cert/cert.pem" -inkey "$cert/key.pem" -passout "file:$cert/password" \
        -out "$cert/signer.p12" || fail "cannot make the PKCS#12 file"
    rm -f "$cert/key.pem"
    [ "$(id -u)" != 0 ] || chown -R "$other_user:" "$cert"
}
make_certificate
mkdir -p "$work/unsigned"
cp "$other"/bin/*.exe "$work/unsigned/"
signing=(TW_SIGN_PKCS12="$cert/signer.p12" TW_SIGN_PASSWORD_FILE="$cert/password")
start=$(date +%s)
build_copy "${signing[@]}" || { tail -n 30 "$work/build.log" >&2; fail "the signed build failed"; }
echo "   signed build, after the unsigned one: $(elapsed "$start")"
grep -F "build: signed by \"$subject\"" "$work/build.log" | sed 's/^/   /'
for setup in "${setups[@]}"; do
    echo "   $setup: $(stat -c %s "$top/$setup") bytes unsigned, $(stat -c %s "$other/$setup") signed"
done
for f in "${setups[@]}"; do
    rm -rf "$work/signed-setup"
    7zz x -y "-o$work/signed-setup" "$other/$f" Uninstall.exe >/dev/null
    cp "$work/signed-setup/Uninstall.exe" "$work/$(basename "$f" .exe)-Uninstall.exe" 2>/dev/null ||
        bad "no uninstaller in $f"
done
verified=0
for f in "${shipped[@]/#/$other/}" "${setups[@]/#/$other/}" "$work"/*-Uninstall.exe; do
    if tw_signed "$f" "$cert/cert.pem"; then
        verified=$((verified + 1))
    else
        bad "osslsigncode does not verify ${f#"$work"/}"
    fi
done
check "signatures verified (4 programs, 2 setups, 2 uninstallers)" 8 "$verified"
for exe in Lookout.exe Marshal.exe; do
    osslsigncode remove-signature -in "$other/bin/$exe" -out "$work/stripped-$exe" >/dev/null 2>&1
    cmp -s "$work/stripped-$exe" "$work/unsigned/$exe" && echo "   ok: the signed $exe is the unsigned one and a signature" ||
        bad "the signed $exe without its signature is not the unsigned one"
    cp "$work/unsigned/$exe" "$work/again-$exe"
    env -i PATH="$PATH" SOURCE_DATE_EPOCH="$epoch" "${signing[@]}" "$copy/scripts/sign" "$work/again-$exe" ||
        bad "cannot sign $exe again"
    cmp -s "$work/again-$exe" "$other/bin/$exe" && echo "   ok: $exe signed again is the same" ||
        bad "$exe signed again differs"
done
# The setups made again with the same certificate: the same bytes.
mkdir -p "$work/signed-first"
cp "$other"/dist/*-setup.exe "$work/signed-first/"
rm -f "$other"/dist/*-setup.exe
build_copy "${signing[@]}" || { tail -n 30 "$work/build.log" >&2; fail "the signed setups could not be made again"; }
for f in "${setups[@]}"; do
    cmp -s "$work/signed-first/$(basename "$f")" "$other/$f" && echo "   ok: $f signed again is the same" ||
        bad "$f signed again differs"
done
for f in "${setups[@]}"; do
    company=$(wrestool -x --raw -t16 "$other/$f" | tr -d '\000' | grep -aoF "CompanyName$subject" | head -n 1)
    check "$f: the publisher in its version information" "CompanyName$subject" "$company"
done
# Another certificate in the same file: everything is signed again, with it.
make_certificate
build_copy "${signing[@]}" || { tail -n 30 "$work/build.log" >&2; bad "a new certificate in the same file: the build failed"; }
renewed=0
for f in "${shipped[@]/#/$other/}" "${setups[@]/#/$other/}"; do
    tw_signed "$f" "$cert/cert.pem" && renewed=$((renewed + 1))
done
check "a new certificate in the same file: programs and setups signed with it" 6 "$renewed"
# For e2e_setup: the signed setups, the certificate that verifies them and its subject.
rm -rf "$TW_BUILD/signed"
mkdir -p "$TW_BUILD/signed"
cp "$other"/dist/*-setup.exe "$cert/cert.pem" "$TW_BUILD/signed/"
echo "$subject" >"$TW_BUILD/signed/subject.txt"

# ---- 5. A failed signing ------------------------------------------------------------------------
echo "5. a signing failure fails the build and leaves nothing to publish"
build_copy TW_SIGN_PKCS12="$cert/signer.p12" TW_SIGN_PASSWORD=wrong &&
    bad "the build succeeded with a wrong password"
grep -q 'wrong password' "$work/build.log" && echo "   ok: wrong password: the message" || bad "wrong password: no message"
check "wrong password: build/dist" "" "$(ls -A "$other/dist" 2>/dev/null)"
# Nothing listens on port 9 (discard) of this machine.
build_copy "${signing[@]}" TW_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/ &&
    bad "the build succeeded without its time-stamp server"
grep -q 'cannot sign .*\.exe (deleted)' "$work/build.log" && echo "   ok: no time-stamp server: the message" ||
    bad "no time-stamp server: no message"
check "no time-stamp server: build/dist" "" "$(ls -A "$other/dist" 2>/dev/null)"
# The programs that were not relinked before the build stopped keep the earlier signature.
unsigned=
for f in "$other"/bin/*.exe "$other"/x64/bin/*.exe; do
    [ -f "$f" ] && ! tw_signed "$f" "$cert/cert.pem" && unsigned+=" ${f#"$other"/}"
done
check "no time-stamp server: no unsigned program left" "" "$unsigned"

[ "$failures" -eq 0 ] || fail "$failures check(s) failed"
echo "PASS"
