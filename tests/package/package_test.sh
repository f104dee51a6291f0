#!/usr/bin/env bash
# Tests of the Debian package, run by CTest: `build` makes the .deb with CPack from the build tree;
# the other cases take that .deb apart with the real Debian tools and run the programs unpacked
# from it into a scratch root (dpkg -x).
# Usage: package_test.sh CASE     (environment: see tests/package/CMakeLists.txt)
set -uo pipefail
# Texts are Russian: tools that cut or compare characters need a UTF-8 locale.
export LC_ALL=C.UTF-8

case_name=$1
: "${PACKAGE_DIR:?}" "${SCRATCH_DIR:?}" "${TAVLORA_VERSION:?}" "${ICON_SIZES:?}"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() {  # check DESCRIPTION COMMAND...: the command must succeed
    local what=$1
    shift
    "$@" || fail "$what"
}
finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

deb="$PACKAGE_DIR/tavlora_${TAVLORA_VERSION}_amd64.deb"

# A fresh scratch folder for this case, with the package unpacked under root/.
unpack() {
    scratch="$SCRATCH_DIR/$case_name"
    rm -rf "$scratch"
    mkdir -p "$scratch/root"
    if [ ! -f "$deb" ]; then
        echo "FAIL: no package $deb (the package.build test makes it)" >&2
        exit 1
    fi
    dpkg-deb -x "$deb" "$scratch/root" || { echo "FAIL: dpkg-deb -x $deb" >&2; exit 1; }
    root="$scratch/root"
}

case "$case_name" in

build)
    : "${CPACK:?}" "${CPACK_CONFIG:?}"
    rm -rf "$PACKAGE_DIR"
    mkdir -p "$PACKAGE_DIR"
    "$CPACK" --config "$CPACK_CONFIG" -B "$PACKAGE_DIR" || { echo "FAIL: cpack" >&2; exit 1; }
    check "the package is named tavlora_<version>_amd64.deb" test -f "$deb"
    finish
    ;;

contents)
    listing=$(dpkg-deb -c "$deb") || { echo "FAIL: dpkg-deb -c" >&2; exit 1; }
    expected=(
        ./usr/bin/tavlora
        ./usr/bin/tavlora-cli
        ./usr/share/applications/tavlora.desktop
        ./usr/share/icons/hicolor/scalable/apps/tavlora.svg
        ./usr/share/man/man1/tavlora-cli.1.gz
        ./usr/share/man/man1/tavlora.1.gz
        ./usr/share/bash-completion/completions/tavlora-cli
        ./usr/share/tavlora/Tavlora_5d69.ldr
        ./usr/share/tavlora/example.lsc
        ./usr/share/doc/tavlora/copyright
        ./usr/share/doc/tavlora/changelog.gz
    )
    for size in $ICON_SIZES; do expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/tavlora.png"); done
    for path in "${expected[@]}"; do
        grep -qE "[[:space:]]${path//./\\.}\$" <<<"$listing" || fail "dpkg-deb -c does not list $path"
    done
    # Programs executable, everything owned by root.
    grep -qE '^-rwxr-xr-x root/root .* \./usr/bin/tavlora$' <<<"$listing" || fail "tavlora is not an executable of root"
    unusual=$(grep -vE '^(-rw-r--r--|-rwxr-xr-x|drwxr-xr-x) root/root ' <<<"$listing")
    [ -z "$unusual" ] || fail "entries not owned by root or with unusual permissions: $unusual"
    [ "$(dpkg-deb -f "$deb" Package)" = tavlora ] || fail "package name"
    [ "$(dpkg-deb -f "$deb" Version)" = "$TAVLORA_VERSION" ] || fail "package version"
    [ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "architecture"
    # The runtime libraries found by dpkg-shlibdeps.
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6charts6 libcurl4 libxlsxwriter; do
        grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
    done
    finish
    ;;

install)
    unpack
    cli="$root/usr/bin/tavlora-cli"
    check "tavlora-cli --version names the version" grep -qx "tavlora-cli $TAVLORA_VERSION" <("$cli" --version)

    # The command line on a copy of the installed sample folder.
    cp -r "$root/usr/share/tavlora" "$scratch/data"
    status=$("$cli" --data "$scratch/data" archive status) || fail "tavlora-cli archive status failed"
    grep -qx 'Архив тиражей: 1390' <<<"$status" || fail "archive status of the sample: $status"

    # The window on a fresh home folder: it chooses the user's data folder (the folder of the
    # executable is writable here, but it is no build tree and holds no data file), seeds it from
    # the installed folder and opens it (its stakes file appears and stays locked while it runs).
    home="$scratch/home"
    mkdir -p "$home"
    data="$home/.local/share/tavlora"
    mkdir -m 700 -p "$scratch/runtime"
    env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_DATA_DIRS HOME="$home" XDG_RUNTIME_DIR="$scratch/runtime" \
        QT_QPA_PLATFORM=offscreen "$root/usr/bin/tavlora" >"$scratch/window.log" 2>&1 &
    window=$!
    for _ in $(seq 1 240); do
        [ -e "$data/Tavlora_5d69.lsk" ] && break
        kill -0 "$window" 2>/dev/null || break
        sleep 0.25
    done
    if [ -e "$data/Tavlora_5d69.lsk" ]; then
        sleep 1
        kill -0 "$window" 2>/dev/null || fail "the window ended within a second of its start"
        # While the window holds the folder the command line may not write its stakes.
        if "$cli" --data "$data" stakes add --numbers "1;2;3;4;5" >/dev/null 2>&1; then
            fail "the window does not hold its data folder"
        fi
    else
        fail "the window did not open $data"
    fi
    kill "$window" 2>/dev/null
    wait "$window" 2>/dev/null
    sed 's/^/window: /' "$scratch/window.log"

    check "the archive seeded into $data is the installed one" \
        cmp "$root/usr/share/tavlora/Tavlora_5d69.ldr" "$data/Tavlora_5d69.ldr"
    check "the example scenario is seeded" cmp "$root/usr/share/tavlora/example.lsc" "$data/example.lsc"
    check "the window wrote its settings there" test -f "$data/Tavlora_5d69.frm"
    status=$("$cli" --data "$data" archive status) || fail "tavlora-cli archive status on the seeded folder failed"
    grep -qx 'Архив тиражей: 1390' <<<"$status" || fail "archive status of the seeded folder: $status"
    extra=$(ls -A "$root/usr/bin" | grep -vxE 'tavlora|tavlora-cli')
    [ -z "$extra" ] || fail "files written beside the programs: $extra"
    finish
    ;;

desktop)
    unpack
    entry="$root/usr/share/applications/tavlora.desktop"
    if command -v desktop-file-validate >/dev/null; then
        out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
        [ -z "$out" ] || fail "desktop-file-validate reports: $out"
    else
        echo "desktop-file-validate not installed: the entry is not validated"
    fi
    grep -qx 'Exec=tavlora' "$entry" || fail "the entry does not start tavlora"
    grep -qx 'Icon=tavlora' "$entry" || fail "the entry does not use the tavlora icon"
    for key in GenericName Comment; do
        grep -qP "^$key=.*\p{Cyrillic}" "$entry" || fail "$key is not in Russian"
    done
    # Each PNG is a picture of its folder's size (IHDR width and height, big-endian).
    for size in $ICON_SIZES; do
        png="$root/usr/share/icons/hicolor/${size}x${size}/apps/tavlora.png"
        header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
        [ "${header:0:16}" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
        width=$((16#${header:32:8}))
        height=$((16#${header:40:8}))
        [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$png is ${width}x${height}, not ${size}x${size}"
    done
    grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/tavlora.svg" || fail "the scalable icon is no SVG"
    finish
    ;;

manpage)
    unpack
    cli="$root/usr/bin/tavlora-cli"
    page="$root/usr/share/man/man1/tavlora-cli.1.gz"
    whatis=$(lexgrog "$page" 2>&1) || fail "lexgrog finds no NAME line: $whatis"
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man --warnings: $warnings"
    text=$(MANWIDTH=200 man -l "$page" 2>/dev/null | col -bx)
    grep -qF "tavlora $TAVLORA_VERSION" <<<"$text" || fail "the page does not name version $TAVLORA_VERSION"
    # Every command of the help has its section with its usage, line for line.
    commands=$("$cli" --help | sed -n '/^Команды:/,$p' | tail -n +2 | awk 'NF {print $1}')
    [ -n "$commands" ] || fail "no commands in tavlora-cli --help"
    for name in $commands; do
        grep -qx "   $name" <<<"$text" || fail "no section for the command $name"
        while IFS= read -r line; do
            line=${line#Использование: }
            [ -n "${line// /}" ] || continue
            grep -qF -- "$line" <<<"$text" || fail "the page lacks the help line of $name: $line"
        done < <("$cli" help "$name")
    done
    window_page="$root/usr/share/man/man1/tavlora.1.gz"
    lexgrog "$window_page" >/dev/null 2>&1 || fail "the window's page has no NAME line"
    finish
    ;;

completion)
    unpack
    cli="$root/usr/bin/tavlora-cli"
    script="$root/usr/share/bash-completion/completions/tavlora-cli"
    work="$scratch/cwd"
    mkdir -p "$work/my data" "$work/other"
    touch "$work/draws.csv"
    cd "$work" || exit 1
    # complete WORDS...: what the completion offers for the last word, sorted, one line.
    complete_words() {
        bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _tavlora_cli
                 printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd "|"' _ "$script" "$@"
    }
    commands=$("$cli" --help | sed -n '/^Команды:/,$p' | tail -n +2 | awk 'NF {print $1}' | sort)
    all="$(printf '%s\n' $commands help | sort | paste -sd '|')"
    # Table: words typed -> what must be offered.
    cases=(
        "tavlora-cli ''=>$all"
        "tavlora-cli --data 'my data' --offset 3 ''=>$all"
        "tavlora-cli --da=>--data"
        "tavlora-cli --data ''=>my data|other"
        "tavlora-cli --data m=>my data"
        "tavlora-cli --offset ''=>"
        "tavlora-cli ar=>archive"
        "tavlora-cli --yes archive st=>status"
        "tavlora-cli archive list --l=>--last"
        "tavlora-cli archive ''=>add|delete|download|edit|export|import|list|status"
        "tavlora-cli help ar=>archive"
        "tavlora-cli help archive ''=>"
    )
    for c in "${cases[@]}"; do
        words=${c%%=>*}
        want=${c#*=>}
        eval "set -- $words"
        got=$(complete_words "$@")
        [ "$got" = "$want" ] || fail "completion of [$words]: got [$got], want [$want]"
    done
    # Every sub-command a command's summary names is offered after it.
    while IFS=$'\t' read -r name summary; do
        name=${name//[[:space:]]/}
        list=${summary##*: }
        [[ $list =~ ^[a-z][a-z-]*(,\ [a-z][a-z-]*)*$ ]] || continue
        got="|$(complete_words tavlora-cli "$name" '')|"
        for sub in ${list//,/}; do
            [[ $got == *"|$sub|"* ]] || fail "completion after $name lacks $sub: $got"
        done
    done < <("$cli" --help | sed -n '/^Команды:/,$p' | tail -n +2)
    finish
    ;;

lintian)
    if ! command -v lintian >/dev/null; then
        echo "lintian is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
    out=$(lintian --no-cfg --display-level '>=pedantic' "$deb" 2>&1)
    echo "$out"
    errors=$(grep -E '^E: ' <<<"$out")
    [ -z "$errors" ] || fail "lintian reports errors"
    finish
    ;;

*)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
