#!/usr/bin/env bash
# Proves that scripts/setup.sh names every Debian package the tests use, so a
# brand-new machine passes too. Runs the test suite once under strace, maps
# every file under /usr that a test opened or executed to its package, and
# fails, naming file and package, when that package is neither in setup.sh's
# list nor reached from it through Depends / Pre-Depends (Recommends do not
# count: setup.sh installs without them). Essential packages are on every
# Debian machine and count as present.
set -euo pipefail
cd "$(dirname "$0")/.."
PRESET="${PRESET:-release}"
work="build/package-check"
mkdir -p "$work"

scripts/setup.sh
cmake --preset "$PRESET" >/dev/null
cmake --build --preset "$PRESET"

# ---- the packages setup.sh brings in, with everything they depend on

# The closure changes only with the list or with what is installed: cache it.
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

# ---- the files the tests use

trace="$work/trace.txt"
echo "== running the tests under strace to see which files they use"
status=0
QT_QPA_PLATFORM=offscreen strace -f -qq -e trace=open,openat,execve -o "$trace" \
    ctest --preset "$PRESET" >"$work/ctest.log" 2>&1 || status=$?

# Each call as "result<TAB>path"; a call another thread interrupted ("<unfinished ...>")
# gets its result from the line that resumes it in the same process.
awk '
    match($0, /(open|openat|execve)\(([A-Z_0-9]+, )?"\/[^"]*"/) {
        call = substr($0, RSTART, RLENGTH); sub(/^[^"]*"/, "", call); sub(/"$/, "", call)
        if ($0 ~ /<unfinished \.\.\.>$/) { pending[$1] = call; next }
        print $NF ($(NF - 1) == "=" ? "" : " " $(NF - 1)) "\t" call; next
    }
    /<\.\.\. (open|openat|execve) resumed>/ && ($1 in pending) { print $NF "\t" pending[$1]; delete pending[$1] }
' "$trace" | awk -F'\t' '{ print ($1 ~ /^[0-9]+$/ ? "ok" : "failed") "\t" $2 }' >"$work/calls.txt"
paths() { awk -F'\t' -v want="$1" '$1 == want { print $2 }' "$work/calls.txt" |
    grep -E '^/(usr|lib|lib64|bin|sbin)/' | sort -u; }
paths ok >"$work/files.txt"
if [ "$status" -ne 0 ]; then
    echo "(some tests failed under strace, see $work/ctest.log; the test run reports them)"
    # A package missing altogether shows as files looked for in folders that do not exist.
    paths failed | while IFS= read -r f; do
        # Not the loader's and toolkits' probing of places that seldom exist.
        case "$f" in /usr/share/locale/* | /usr/lib/locale/* | */qt6/plugins/* | *.so | *.so.*) continue ;; esac
        [ -d "$(dirname "$f")" ] || echo "   looked for $f: no package here provides its folder"
    done | head -n 20
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
    echo "Packages the tests use that scripts/setup.sh does not install (add them to its list):" >&2
    printf '%s\n' "$missing" | awk -F'\t' '
        $1 != last { if (last != "") print ""; printf "  %s, for", $1; last = $1; count = 0 }
        { if (++count <= 5) printf "\n      %s", $2; else if (count == 6) printf "\n      ..." }
        END { print "" }' >&2
    exit 1
fi
echo "== every package the tests use comes from scripts/setup.sh's list"
