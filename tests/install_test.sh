#!/usr/bin/env bash
# Installs a build into a temporary prefix and runs every installed program there (one
# calculation, and the first line of --version); checks that the man pages, the licence and the
# changelog were installed.
# Usage: install_test.sh BUILD_DIR VERSION PROGRAM...
set -euo pipefail
build=$1 version=$2
shift 2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
check() { # what, expected, actual
    if [ "$2" != "$3" ]; then
        printf 'FAIL %s: expected %q, got %q\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}
for program in "$@"; do
    installed=$prefix/bin/$program
    check "$program on one calculation" "-12" "$(printf -- '-3\n4\n*\n' | "$installed")"
    check "$program --version" "$program $version" "$("$installed" --version | head -n 1)"
    check "$program man page" "yes" "$([ -s "$prefix/share/man/man1/$program.1.gz" ] && echo yes)"
done
docs=$prefix/share/doc/exact-calculators
check "copyright file" "yes" "$(grep -q '^License: Expat' "$docs/copyright" && echo yes)"
check "changelog" "yes" "$([ -s "$docs/changelog.gz" ] && echo yes)"
echo "$# programs installed and run from $prefix: $failures failed"
[ "$failures" -eq 0 ]
