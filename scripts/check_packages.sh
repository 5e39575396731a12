#!/usr/bin/env bash
# Proves that scripts/setup.sh names every Debian package the tests use, so a
# brand-new machine passes too. Runs the test suite once under strace, maps
# every file under /usr that a test opened or executed to its package, and
# fails, naming file and package, when that package is neither in setup.sh's
# list nor reached from it through Depends / Pre-Depends (Recommends do not
# count: setup.sh installs without them). Essential packages are on every
# Debian machine and count as present.
#
# A package that was never installed leaves no file for dpkg to name: the tests
# only look for its files (stat, access, open) and fail. Those paths are looked
# up in Debian's file index (apt-file's Contents lists), and a package that
# provides them but is not installed and not in setup.sh's list fails the check
# as well.
#
#   scripts/check_packages.sh                      the whole check
#   scripts/check_packages.sh --looked-for CALLS   of the calls the tests made
#       (lines "ok|failed<TAB>system call<TAB>path"), the missing files
#       worth looking up, one a line
#   scripts/check_packages.sh --name-missing FILE  only the naming of the packages
#       that provide the paths in FILE (one a line, "-" for standard input):
#       exit 0 when none needs naming, 1 when some package is named, 2 when
#       Debian's file index is not available here (for paths to look up).
set -euo pipefail
cd "$(dirname "$0")/.."
PRESET="${PRESET:-release}"
work="build/package-check"
mkdir -p "$work"

# ---- the packages setup.sh brings in, with everything they depend on

# Writes the closure's file name to the variable closure. It changes only with
# the list or with what is installed: cached under a key of both.
find_closure() {
    key="$( (scripts/setup.sh --list; cat /var/lib/dpkg/status) | sha256sum | cut -c1-16)"
    closure="$work/closure-$key.txt"
    if [ ! -s "$closure" ]; then
        rm -f "$work"/closure-*.txt
        {
            scripts/setup.sh --list | sed 's/^/ROOT\t/'
            dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Essential}\t${Provides}\t${Pre-Depends}, ${Depends}\n'
        } | awk -F'\t' '
            function bare(name) { sub(/^ +/, "", name); sub(/[ (].*/, "", name); sub(/:.*/, "", name); gsub(/ /, "", name); return name }
            $1 == "ROOT" { root[$2] = 1; next }
            $1 !~ /^ii/ { next }
            {
                installed[$2] = 1
                deps[$2] = $5
                if ($3 == "yes") root[$2] = 1
                n = split($4, prov, ",")
                for (i = 1; i <= n; i++) { v = bare(prov[i]); if (v != "") providers[v] = providers[v] " " $2 }
            }
            END {
                top = 0
                for (p in root) if (p in installed) { seen[p] = 1; queue[++top] = p }
                while (top > 0) {
                    p = queue[top--]
                    n = split(deps[p], clause, ",")
                    for (i = 1; i <= n; i++) {
                        # An "a | b" clause is met by its first alternative that is installed.
                        m = split(clause[i], alt, "|")
                        for (j = 1; j <= m; j++) {
                            a = bare(alt[j]); got = ""
                            if (a in installed) got = a
                            else if (a in providers) got = providers[a]
                            if (got == "") continue
                            k = split(got, names, " ")
                            for (q = 1; q <= k; q++)
                                if (!(names[q] in seen)) { seen[names[q]] = 1; queue[++top] = names[q] }
                            break
                        }
                    }
                }
                for (p in seen) print p
            }' | sort >"$closure.tmp"
        mv "$closure.tmp" "$closure"
    fi
}

# ---- Debian's file index: which package provides a path, installed or not

# True when apt-file can answer from Contents lists present on this machine.
index_ready() {
    command -v apt-file >/dev/null 2>&1 &&
        apt-file search -l -F /usr/bin/dpkg 2>/dev/null | grep -qx dpkg
}

# Reads paths the tests looked for but that do not exist, prints
# "package<TAB>path" for every path that only packages outside setup.sh's list
# provide, none of them installed. (Everything installed from the list's closure
# is installed; a package installed without that file is another version of
# it, which the tests did without.) Paths no package provides are dropped.
# Merged /usr: a package may ship a file under its /lib, /bin or /sbin name, so
# both names are looked up.
name_missing_packages() {
    local scratch status=0
    scratch=$(mktemp -d)
    awk '$0 != "" {
        print $0 "\t" $0
        if ($0 ~ /^\/usr\/(lib|lib64|bin|sbin)\//) print substr($0, 5) "\t" $0
        else if ($0 ~ /^\/(lib|lib64|bin|sbin)\//) print "/usr" $0 "\t" $0
    }' | sort -u >"$scratch/names"
    cut -f1 "$scratch/names" | sort -u >"$scratch/queries"
    dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\n' | awk -F'\t' '$1 ~ /^ii/ { print $2 }' >"$scratch/installed"
    scripts/setup.sh --list >>"$scratch/installed"
    : >"$scratch/providers"
    if [ -s "$scratch/queries" ]; then
        apt-file search -F -f "$scratch/queries" >"$scratch/providers" 2>"$scratch/errors" || status=$?
        # apt-file exits 1 when nothing matched, 3 without Contents lists.
        if [ "$status" -gt 1 ]; then
            echo "Debian's file index is not available here (install apt-file and run apt-file update as root):" >&2
            sed 's/^/   /' "$scratch/errors" >&2
            rm -rf "$scratch"
            return 2
        fi
    fi
    awk -F'\t' '
        FILENAME == ARGV[1] { have[$1] = 1; next }
        FILENAME == ARGV[2] { used[$1] = used[$1] "\t" $2; next }
        {
            package = $0; sub(/: .*/, "", package); query = substr($0, length(package) + 3)
            n = split(substr(used[query], 2), paths, "\t")
            for (i = 1; i <= n; i++) {
                path = paths[i]
                if (package in have) covered[path] = 1
                else if (index(" " offered[path] " ", " " package " ") == 0)
                    offered[path] = offered[path] (offered[path] == "" ? "" : " ") package
            }
        }
        END {
            for (path in offered) if (!(path in covered)) {
                names = offered[path]; gsub(/ /, " or ", names); print names "\t" path
            }
        }
    ' "$scratch/installed" "$scratch/names" "$scratch/providers" | sort -k1,1 -k2
    rm -rf "$scratch"
}

# Prints the named packages for people, from "package<TAB>path" lines.
report_packages() { # $1: the heading
    echo "$1" >&2
    awk -F'\t' '
        $1 != last { if (last != "") print ""; printf "  %s, for", $1; last = $1; count = 0 }
        { if (++count <= 5) printf "\n      %s", $2; else if (count == 6) printf "\n      ..." }
        END { print "" }' >&2
}

# Of the files the tests tried to open and did not find, the ones a package
# could have provided: by their merged-/usr name, still missing, and none of
#  - a place no package ships to (/usr/local), or documentation (/usr/share/doc),
#  - translations (/usr/share/locale, /usr/lib/locale), which are optional,
#  - a Perl or Python module: optional ones are looked for along the search
#    path, and one a program needs comes with it through its Depends,
#  - a library looked for along a search path and found in a later place of it
#    (a file of that name was opened).
# Files only looked at with stat or access count too (a library may check that
# a file is there before it opens it), but only where their folder is missing as
# well, which is how a package that was never installed shows: the tools' probes
# for optional siblings and programs along the PATH look into folders that exist.
# Programs the tests run are left out: a library that starts a helper only when
# it is there (dbus-launch) looks for it along the PATH, while a program the
# tests need and lack fails them as "command not found".
looked_for() { # $1: the calls, as "ok|failed<TAB>call<TAB>path" lines
    local tried
    tried=$(mktemp)
    awk -F'\t' '$1 == "failed" && $2 != "execve" { print ($2 ~ /^open/ ? "open" : "look") "\t" $3 }' "$1" |
        sort -u >"$tried"
    # realpath answers one line for each path, in order.
    paste <(cut -f1 "$tried") <(cut -f2 "$tried" | xargs -r -d '\n' realpath -m --) |
        awk -F'\t' -v calls="$1" '
            BEGIN {
                while ((getline line < calls) > 0) {
                    if (split(line, field, "\t") != 3 || field[1] != "ok") continue
                    n = split(field[3], part, "/"); found[part[n]] = 1
                }
            }
            $2 !~ "^/(usr|lib|lib64|bin|sbin)/" || $2 ~ "^/usr/(local|share/doc)/" { next }
            $2 ~ "^/usr/(share|lib)/locale/" { next }
            {
                n = split($2, part, "/"); name = part[n]
                if (name ~ /\.(pm|pmc|pl|py|pyc)$/) next
                if (name ~ /\.so(\.[0-9.]+)?$/ && (name in found)) next
                print
            }' |
        while IFS=$'\t' read -r kind f; do
            [ -e "$f" ] || [ -L "$f" ] && continue
            [ "$kind" = open ] || [ ! -d "$(dirname "$f")" ] || continue
            printf '%s\n' "$f"
        done | sort -u
    rm -f "$tried"
}

NOT_INSTALLED_HEADING="Packages the tests tried to use that are not installed (add them to scripts/setup.sh's list):"

if [ "${1:-}" = "--looked-for" ]; then
    [ $# -eq 2 ] || { echo "usage: $0 --looked-for CALLS" >&2; exit 2; }
    looked_for "$2"
    exit 0
fi
if [ "${1:-}" = "--name-missing" ]; then
    [ $# -eq 2 ] || { echo "usage: $0 --name-missing FILE|-" >&2; exit 2; }
    command -v apt-file >/dev/null 2>&1 || { echo "Debian's file index is not available here: install apt-file." >&2; exit 2; }
    named=$(if [ "$2" = "-" ]; then cat; else cat -- "$2"; fi | name_missing_packages) || exit $?
    [ -z "$named" ] && exit 0
    printf '%s\n' "$named" | report_packages "$NOT_INSTALLED_HEADING"
    exit 1
fi

scripts/setup.sh
cmake --preset "$PRESET" >/dev/null
cmake --build --preset "$PRESET"
find_closure

# ---- the files the tests use

trace="$work/trace.txt"
echo "== running the tests under strace to see which files they use"
status=0
# The files opened or run are the ones used; the stat and access calls show
# files looked for that may not be there.
calls="open,openat,execve,stat,lstat,newfstatat,statx,access,faccessat,faccessat2"
QT_QPA_PLATFORM=offscreen strace -f -qq -e trace="$calls" -o "$trace" \
    ctest --preset "$PRESET" >"$work/ctest.log" 2>&1 || status=$?

# Each call as "result<TAB>call<TAB>path"; a call another thread interrupted
# ("<unfinished ...>") gets its result from the line that resumes it in the same process.
awk '
    match($0, /(open|openat|execve|stat|lstat|newfstatat|statx|access|faccessat|faccessat2)\(([A-Z_0-9]+, )?"\/[^"]*"/) {
        call = substr($0, RSTART, RLENGTH); kind = call; sub(/\(.*/, "", kind)
        sub(/^[^"]*"/, "", call); sub(/"$/, "", call)
        if ($0 ~ /<unfinished \.\.\.>$/) { pending[$1] = kind "\t" call; next }
        print $NF ($(NF - 1) == "=" ? "" : " " $(NF - 1)) "\t" kind "\t" call; next
    }
    /<\.\.\. [a-z0-9]+ resumed>/ && ($1 in pending) { print $NF "\t" pending[$1]; delete pending[$1] }
' "$trace" | awk -F'\t' '{ print ($1 ~ /^[0-9]+$/ ? "ok" : "failed") "\t" $2 "\t" $3 }' >"$work/calls.txt"
paths() { # $1: ok or failed, $2: a pattern of the calls
    awk -F'\t' -v want="$1" -v kinds="$2" '$1 == want && $2 ~ kinds { print $3 }' "$work/calls.txt" |
        grep -E '^/(usr|lib|lib64|bin|sbin)/' | sort -u
}
paths ok '^(open|openat|execve)$' >"$work/files.txt"
if [ "$status" -ne 0 ]; then
    echo "(some tests failed under strace, see $work/ctest.log; the test run reports them)"
fi

# ---- the files the tests looked for and did not find

looked_for "$work/calls.txt" >"$work/looked-for.txt"
limit=10000
if [ "$(wc -l <"$work/looked-for.txt")" -gt "$limit" ]; then
    echo "   (only the first $limit of $(wc -l <"$work/looked-for.txt") paths looked for are looked up)"
    head -n "$limit" "$work/looked-for.txt" >"$work/looked-for.tmp"
    mv "$work/looked-for.tmp" "$work/looked-for.txt"
fi
ready=false
index_ready && ready=true
if ! $ready && [ "$(id -u)" -eq 0 ] && command -v apt-file >/dev/null 2>&1; then
    echo "== fetching Debian's file index (apt-file update)"
    apt-file update >"$work/apt-file-update.log" 2>&1 || echo "   (apt-file update failed, see $work/apt-file-update.log)"
    index_ready && ready=true
fi
not_installed=""
if $ready; then
    not_installed=$(name_missing_packages <"$work/looked-for.txt") || not_installed=""
    echo "== the tests looked for $(wc -l <"$work/looked-for.txt") files that are missing;" \
        "$(printf '%s' "$not_installed" | grep -c '^' || true) of them come from packages that are not installed"
else
    echo "Debian's file index is not available (apt-file update as root fetches it): the packages of the" >&2
    echo "files the tests looked for and did not find cannot be named. Those in folders that do not exist:" >&2
    while IFS= read -r f; do [ -d "$(dirname "$f")" ] || echo "   $f"; done <"$work/looked-for.txt" | head -n 20 >&2
fi

# Every file to its package in bulk. Merged /usr: dpkg may know a file by its
# /lib or its /usr/lib name, and a link (e.g. an alternative) by its target.
owners="$work/owners.txt"
: >"$owners"
lookup() { # reads paths, appends "package<TAB>path" for those dpkg knows
    xargs -r -d '\n' dpkg-query -S 2>/dev/null | grep -v '^diversion' |
        sed -E 's/^([^:,]+)(:[a-z0-9]+)?(, [^:]+)*: /\1\t/' >>"$owners" || true
}
files=()
while IFS= read -r f; do [ -d "$f" ] || files+=("$f"); done <"$work/files.txt"
printf '%s\n' "${files[@]}" | lookup
unknown() { printf '%s\n' "${files[@]}" | sort -u | comm -23 - <(cut -f2 "$owners" | sort -u); }
alias_of() { # the other names of each path, tab-separated from the path the tests used
    while IFS= read -r f; do
        for g in "$f" "$(readlink -f "$f")"; do
            case "$g" in
            /usr/*) printf '%s\t%s\n' "${g#/usr}" "$f" ;;
            *) printf '%s\t%s\n' "/usr$g" "$f" ;;
            esac
            [ "$g" = "$f" ] || printf '%s\t%s\n' "$g" "$f"
        done
    done
}
unknown | alias_of >"$work/aliases.txt"
before=$(wc -l <"$owners")
cut -f1 "$work/aliases.txt" | sort -u | lookup
# Name each alias's owner under the path the tests used.
tail -n +"$((before + 1))" "$owners" | awk -F'\t' 'NR == FNR { used[$1] = used[$1] " " $2; next }
    { n = split(used[$2], u, " "); for (i = 1; i <= n; i++) print $1 "\t" u[i] }' \
    "$work/aliases.txt" - >"$owners.aliases"
head -n "$before" "$owners" >"$owners.direct"
cat "$owners.direct" "$owners.aliases" | sort -u >"$owners"
rm -f "$owners.direct" "$owners.aliases"

used_packages=$(cut -f1 "$owners" | sort -u | wc -l)
echo "== the tests used ${#files[@]} files under /usr from $used_packages packages"
unknown | sed 's/^/   (from no package: /; s/$/)/'

missing=$(awk -F'\t' 'NR == FNR { ok[$1] = 1; next } !($1 in ok)' "$closure" "$owners" | sort -k1,1 -k2)
if [ -n "$missing" ]; then
    printf '%s\n' "$missing" |
        report_packages "Packages the tests use that scripts/setup.sh does not install (add them to its list):"
fi
if [ -n "$not_installed" ]; then
    printf '%s\n' "$not_installed" | report_packages "$NOT_INSTALLED_HEADING"
fi
[ -z "$missing" ] && [ -z "$not_installed" ] || exit 1
echo "== every package the tests use comes from scripts/setup.sh's list"
