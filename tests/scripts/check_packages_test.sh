#!/usr/bin/env bash
# Cases of scripts/check_packages.sh's naming of packages the tests tried to
# use but that were never installed: which missing files are looked up, and
# which packages Debian's file index names for them. Run with the case's name;
# exits 0 when it holds, 1 with the reason when not, 77 when it cannot run here.
set -uo pipefail
check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check_packages.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAILED: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }

# scripts/check_packages.sh --name-missing on the paths in $1 (- for standard
# input), its messages in $scratch/err; skips the case when the index is unavailable.
name_missing() {
    command -v apt-file >/dev/null 2>&1 || skip "apt-file is not installed (scripts/setup.sh installs it)"
    local status=0
    "$check" --name-missing "$1" >"$scratch/out" 2>"$scratch/err" || status=$?
    [ "$status" -ne 2 ] || skip "$(cat "$scratch/err") (run apt-file update as root)"
    [ ! -s "$scratch/out" ] || fail "--name-missing wrote to standard output: $(cat "$scratch/out")"
    return "$status"
}

# A package that is not installed here and one of its files under /usr, from
# the index, as "package<TAB>path"; nothing when every candidate is installed.
uninstalled_package_file() {
    local p status path
    for p in dbus-x11 fonts-liberation xfonts-100dpi fonts-noto-mono fonts-urw-base35; do
        status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null)
        case "$status" in ii*) continue ;; esac
        path=$(apt-file list -F "$p" 2>/dev/null | sed 's/^[^:]*: //' | grep '^/usr/' |
            grep -v '^/usr/share/doc/' | head -n 1)
        [ -n "$path" ] && { printf '%s\t%s\n' "$p" "$path"; return; }
    done
}

case_LooksUpOnlyMissingFilesAPackageCouldProvide() {
    local lib
    lib=$(realpath -m /lib/x86_64-linux-gnu/../lib/zz-frameloom-test/data.bin) # /usr/lib/... on merged /usr
    printf '%s\n' \
        $'failed\topenat\t/usr/share/fonts/type1/zz-frameloom-test/Missing.t1' \
        $'failed\topenat\t/lib/x86_64-linux-gnu/../lib/zz-frameloom-test/data.bin' \
        $'failed\topen\t/usr/share/zz-frameloom-test//twice.xml' \
        $'failed\topenat\t/usr/share/locale/de/LC_MESSAGES/zz-frameloom-test.mo' \
        $'failed\topenat\t/usr/lib/locale/de_DE.utf8/LC_CTYPE' \
        $'failed\topenat\t/usr/lib/x86_64-linux-gnu/tls/libzzfound.so.1' \
        $'ok\topenat\t/usr/lib/x86_64-linux-gnu/libzzfound.so.1' \
        $'failed\topenat\t/usr/lib/x86_64-linux-gnu/tls/libzzlost.so.2' \
        $'failed\texecve\t/usr/bin/zz-frameloom-helper' \
        $'failed\topenat\t/usr/local/share/fonts/zz.ttf' \
        $'failed\topenat\t/usr/bin/dpkg' \
        $'failed\topenat\t/etc/zz-frameloom-test.conf' \
        $'failed\tnewfstatat\t/usr/share/fonts/type1/zz-frameloom-test/Looked-at.t1' \
        $'failed\taccess\t/usr/share/zz-frameloom-test/readable.conf' \
        $'failed\tstatx\t/usr/local/share/zz-frameloom-test/local.conf' \
        $'failed\topenat\t/usr/share/fonts/type1/zz-frameloom-test/Missing.t1' >"$scratch/calls"
    "$check" --looked-for "$scratch/calls" >"$scratch/got" || fail "--looked-for exited $?"
    printf '%s\n' "$lib" /usr/lib/x86_64-linux-gnu/tls/libzzlost.so.2 \
        /usr/share/fonts/type1/zz-frameloom-test/Missing.t1 /usr/share/zz-frameloom-test/twice.xml \
        /usr/share/fonts/type1/zz-frameloom-test/Looked-at.t1 /usr/share/zz-frameloom-test/readable.conf |
        sort >"$scratch/want"
    diff -u "$scratch/want" <(sort "$scratch/got") >&2 || fail "--looked-for kept other paths than the ones above"
}

case_NamesAPackageThatIsNotInstalled() {
    command -v apt-file >/dev/null 2>&1 || skip "apt-file is not installed (scripts/setup.sh installs it)"
    local package path status=0
    IFS=$'\t' read -r package path < <(uninstalled_package_file)
    [ -n "$package" ] || skip "no package this case could use is both uninstalled and in the index here"
    # Found among the calls of a test run, as the whole check would find it.
    printf 'failed\topenat\t%s\nfailed\topenat\t/usr/share/zz-frameloom-test/nothing\n' "$path" >"$scratch/calls"
    "$check" --looked-for "$scratch/calls" >"$scratch/paths" || fail "--looked-for exited $?"
    grep -qxF "$path" "$scratch/paths" || fail "$path of $package was not looked up"
    name_missing "$scratch/paths" || status=$?
    [ "$status" -eq 1 ] || fail "--name-missing exited $status for $path of $package: $(cat "$scratch/err")"
    grep -qF "Packages the tests tried to use that are not installed" "$scratch/err" || fail "no heading: $(cat "$scratch/err")"
    grep -qE "^  ([a-z0-9.+-]+ or )*$package( or [a-z0-9.+-]+)*, for$" "$scratch/err" ||
        fail "$package not named: $(cat "$scratch/err")"
    grep -qxF "      $path" "$scratch/err" || fail "$path not named: $(cat "$scratch/err")"
    grep -qF "zz-frameloom-test" "$scratch/err" && fail "a path no package provides was named: $(cat "$scratch/err")"
    echo "named $package for $path"
}

case_NamesNothingForInstalledPackagesOrPathsNoPackageProvides() {
    local package path listed status=0
    IFS=$'\t' read -r package path < <(uninstalled_package_file)
    [ -n "$package" ] || skip "no package this case could use is both uninstalled and in the index here"
    listed=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf # fonts-dejavu-core, which scripts/setup.sh installs
    # Looked up even if present: the naming itself does not look at the disk.
    printf '%s\n' "$listed" /usr/share/zz-frameloom-test/nothing /usr/lib/zz-frameloom-test/libnone.so.1 \
        >"$scratch/paths"
    name_missing - <"$scratch/paths" || status=$?
    [ "$status" -eq 0 ] || fail "--name-missing exited $status: $(cat "$scratch/err")"
    [ ! -s "$scratch/err" ] || fail "something was named: $(cat "$scratch/err")"
    # With a package that is not installed among them, only that one is named.
    printf '%s\n' "$path" >>"$scratch/paths"
    status=0
    name_missing - <"$scratch/paths" || status=$?
    [ "$status" -eq 1 ] || fail "$package, which is not installed, was not named: $(cat "$scratch/err")"
    grep -qF "$package" "$scratch/err" || fail "$package not named: $(cat "$scratch/err")"
    grep -qF -e "fonts-dejavu-core" -e "$listed" "$scratch/err" && fail "an installed package was named: $(cat "$scratch/err")"
    [ "$(grep -c '^      /' "$scratch/err")" -eq 1 ] || fail "other paths were named: $(cat "$scratch/err")"
}

case_SaysWhenDebiansFileIndexIsUnavailable() {
    command -v apt-file >/dev/null 2>&1 || skip "apt-file is not installed (scripts/setup.sh installs it)"
    # An apt configuration whose lists folder is empty: no Contents lists at all.
    mkdir -p "$scratch/lists"
    printf 'Dir::State::lists "%s/lists/";\n' "$scratch" >"$scratch/apt.conf"
    local status
    printf '/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1\n' |
        APT_CONFIG="$scratch/apt.conf" "$check" --name-missing - >"$scratch/out" 2>"$scratch/err"
    status=$?
    [ "$status" -eq 2 ] || fail "exited $status without an index: $(cat "$scratch/err")"
    grep -qF "Debian's file index is not available here" "$scratch/err" || fail "no reason given: $(cat "$scratch/err")"
    "$check" --name-missing >/dev/null 2>"$scratch/err"
    [ $? -eq 2 ] && grep -qF "usage:" "$scratch/err" || fail "a missing argument was not refused"
}

[ $# -eq 1 ] && declare -F "case_$1" >/dev/null || { echo "usage: $0 CASE" >&2; exit 2; }
"case_$1"
