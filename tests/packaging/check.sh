#!/usr/bin/env bash
# Checks of what the Debian package ships. Usage: check.sh CHECK SOURCE_DIR BUILD_DIR VERSION
# A check whose tool is missing says so and ends with 77, which ctest counts as skipped
# (scripts/install-deps.sh installs every tool).
set -euo pipefail
check=$1 src=$2 build=$3 version=$4

need() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is missing (scripts/install-deps.sh installs it)"
            exit 77
        fi
    done
}
fail() {
    echo "FAIL: $*"
    exit 1
}

case $check in
manpages)
    need groff man
    for page in "$build"/man/*.1; do
        out=$(groff -ww -z -man "$page" 2>&1)
        [ -z "$out" ] || fail "groff on $page: $out"
        out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
        [ -z "$out" ] || fail "man on $page: $out"
        grep -q "Nimbrel $version" "$page" || fail "$page does not name version $version"
    done
    # The console's examples give what the page says they give.
    examples=$(LC_ALL=C MANWIDTH=200 man -l "$build/man/nimbrel-cli.1" 2>/dev/null |
        sed -n '/^BEISPIELE/,/^SIEHE AUCH/p' | sed -n 's/^       //p')
    [ -n "$examples" ] || fail "nimbrel-cli.1 has no examples"
    home=$(mktemp -d)
    trap 'rm -rf "$home"' EXIT
    run_example() {
        [ -n "$command" ] || return 0
        got=$(cd "$home" && env -u LC_ALL -u LC_NUMERIC LANG=de_DE.UTF-8 HOME="$home" \
            PATH="$build/cli:$PATH" bash -c "$command" 2>&1) || true
        [ "$got" = "$want" ] || fail "example '$command' gives '$got', not '$want'"
    }
    command="" want=""
    while IFS= read -r line; do
        if [[ $line == '$ '* ]]; then
            run_example
            command=${line#'$ '} want=""
        elif [ -n "$command" ]; then
            want+="${want:+$'\n'}$line"
        fi
    done <<<"$examples"
    run_example
    # Every console option that --help lists is described.
    for option in $("$build"/cli/nimbrel-cli --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -q -- "^\.B[I]* ${option//-/\\\\-}\b" "$src/man/nimbrel-cli.1" ||
            fail "nimbrel-cli.1 does not describe $option"
    done
    ;;
desktop)
    need desktop-file-validate appstreamcli
    desktop-file-validate "$src/packaging/nimbrel.desktop" || fail "desktop entry"
    metainfo=$src/packaging/io.github.nimbrel.Nimbrel.metainfo.xml
    appstreamcli validate --no-net "$metainfo" || fail "metainfo"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in $metainfo"
    ;;
completion)
    bash_completion=/usr/share/bash-completion/bash_completion
    [ -r "$bash_completion" ] || { echo "SKIP: bash-completion is missing"; exit 77; }
    # Each case: the command line up to the cursor, then the completions expected.
    cases=(
        "nimbrel-cli --mo|--mode"
        "nimbrel-cli --mode n|newton numderivative"
        "nimbrel-cli --batch --no|--no-ini"
        "nimbrel-cli --var |"
        "nimbrel-cli -i $src/LICE|$src/LICENSE"
        "nimbrel-cli --no-ini -- sin(x) -i $src/LICE|$src/LICENSE"
        "nimbrel-cli -- --mo|"
    )
    for entry in "${cases[@]}"; do
        line=${entry%%|*} want=${entry#*|}
        got=$(bash -c '
            source "$1"; source "$2"
            COMP_LINE=$3; COMP_POINT=${#3}
            read -ra COMP_WORDS <<<"$3"; [[ $3 == *" " ]] && COMP_WORDS+=("")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            _nimbrel_cli; echo "${COMPREPLY[*]}"' _ "$bash_completion" \
            "$src/packaging/completion/nimbrel-cli.bash" "$line")
        [ "$got" = "$want" ] || fail "[$line]: got '$got', want '$want'"
    done
    if command -v zsh >/dev/null; then
        zsh -n "$src/packaging/completion/_nimbrel-cli" || fail "zsh completion"
    else
        echo "NOTE: zsh is missing; its completion was not checked"
    fi
    ;;
deb)
    need cpack dpkg-deb dpkg-shlibdeps file
    work=$build/package-test
    rm -rf "$work"
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work.log" 2>&1 ||
        { cat "$work.log"; fail "cpack"; }
    deb=$work/nimbrel_${version}_amd64.deb
    [ -f "$deb" ] || fail "no $deb"
    contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for file in ./usr/bin/nimbrel ./usr/bin/nimbrel-cli ./usr/share/nimbrel/Nimbrel.html \
        ./usr/share/man/man1/nimbrel.1.gz ./usr/share/man/man1/nimbrel-cli.1.gz \
        ./usr/share/bash-completion/completions/nimbrel-cli \
        ./usr/share/zsh/vendor-completions/_nimbrel-cli \
        ./usr/share/applications/nimbrel.desktop \
        ./usr/share/metainfo/io.github.nimbrel.Nimbrel.metainfo.xml \
        ./usr/share/icons/hicolor/scalable/apps/nimbrel.svg \
        ./usr/share/icons/hicolor/48x48/apps/nimbrel.png \
        ./usr/share/icons/hicolor/256x256/apps/nimbrel.png \
        ./usr/share/doc/nimbrel/copyright ./usr/share/doc/nimbrel/changelog.gz; do
        grep -qx -- "$file" <<<"$contents" || fail "$file is not in the package"
    done
    # Nothing from the tests, the benchmark or the build tree.
    ! grep -E 'test|bench|fuzz|\.a$|/include/' <<<"$contents" || fail "stray files"
    [ "$(dpkg-deb -f "$deb" Section)" = math ] || fail "section"
    head -1 "$src/packaging/changelog" | grep -qF "nimbrel ($version)" ||
        fail "packaging/changelog does not begin with version $version"
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    names=$(sed 's/ *([^)]*)//g; s/ *| */\n/g; s/, */\n/g' <<<"$depends")
    for package in libqt6widgets6 libqt6core6 libstdc++6 libc6 libedit2; do
        grep -qxF "$package" <<<"$names" || fail "Depends lacks $package"
    done
    grep -q 'asan\|ubsan' <<<"$depends" && fail "sanitizer runtime in Depends"
    # Stripped: no debug sections left.
    dpkg-deb -x "$deb" "$work/root"
    for program in nimbrel nimbrel-cli; do
        file "$work/root/usr/bin/$program" | grep -q ', stripped' || fail "$program not stripped"
    done
    if command -v lintian >/dev/null; then
        lintian --tag-display-limit 0 "$deb" | tee "$work/lintian.txt" || true
        ! grep -q '^E:' "$work/lintian.txt" || fail "lintian reports errors"
    else
        echo "NOTE: lintian is missing; the package was not linted"
    fi
    rm -rf "$work/root"
    ;;
*)
    fail "unknown check $check"
    ;;
esac
echo "OK: $check"
