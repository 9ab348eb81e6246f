#!/bin/bash
# Makes the Debian package of this build with CPack (never installs it) and
# checks it: every file in its place, dependencies from the linked
# libraries, no lintian errors, clean menu entries and manual pages, and a
# manual page of velunda-cli that names every option its --help names.
# Usage: package_test.sh BUILD_DIR
set -u
build=$1
work=$(mktemp -d /tmp/velunda-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; echo "FAILED: cpack"; exit 1; }
deb=$(ls "$work"/velunda_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAILED: no package made"; exit 1; }
dpkg-deb -c "$deb" | awk '{ print $1 " " substr($6, 2) ($7 == "->" ? " -> " $8 : "") }' >"$work/list"

# Kind (- file, l link, x executable) and path of what must be there.
while read -r kind path; do
    case $kind in
        x) grep -q "^-rwxr-xr-x $path\$" "$work/list" || fail "no program $path" ;;
        -) grep -q "^-rw-r--r-- $path\$" "$work/list" || fail "no file $path" ;;
        l) grep -q "^l[^ ]* $path\$" "$work/list" || fail "no link $path" ;;
    esac
done <<'LIST'
x /usr/games/velunda
x /usr/games/velunda-mini
x /usr/games/velunda-cli
x /usr/lib/games/velunda/Velunda
- /usr/share/games/velunda/Graphics/Board.bmp
- /usr/share/games/velunda/Graphics/WBoard.bmp
- /usr/share/games/velunda/games/sample-01.sdk
- /usr/share/games/velunda/games/sample-30.sdk
- /usr/share/applications/velunda.desktop
- /usr/share/applications/velunda-mini.desktop
- /usr/share/icons/hicolor/128x128/apps/velunda.png
- /usr/share/man/man6/velunda.6.gz
- /usr/share/man/man6/velunda-cli.6.gz
l /usr/share/man/man6/velunda-mini.6.gz -> velunda.6.gz
- /usr/share/doc/velunda/copyright
- /usr/share/doc/velunda/changelog.gz
LIST
# Nothing of the build's own: the launcher, the build's runtime folder, tests.
grep -E 'VelundaMini|runtime|test|\.a$' "$work/list" && fail "files that are not the game's"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libglut3.12 libgtk-3-0 libcairo2 libgl1 libx11-6 libstdc++6; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
# The menu entries start the installed commands, with the theme's icon.
for command in velunda velunda-mini; do
    entry=$work/root/usr/share/applications/$command.desktop
    out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate $command.desktop: $out"
    grep -qx "Exec=/usr/games/$command" "$entry" || fail "$command.desktop does not start /usr/games/$command"
    grep -qx "Icon=velunda" "$entry" || fail "$command.desktop has not the icon velunda"
done
size=$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/128x128/apps/velunda.png" 2>&1)
[ "$size" = 128x128 ] || fail "the icon is $size in the folder of 128x128"

# The manual pages read without a warning of man or groff.
for page in velunda velunda-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man6/$page.6.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done
# Every option velunda-cli's usage names is in its page (as roff writes "-": "\-").
zcat "$work/root/usr/share/man/man6/velunda-cli.6.gz" | sed 's/\\-/-/g' >"$work/velunda-cli.6"
for option in $("$work/root/usr/games/velunda-cli" --help | grep -oE -- '(^|[[ ])--?[a-z][a-z-]*' | tr -d '[ ' | sort -u); do
    grep -qE -- "(^|[ \"(])$option([ \"),]|$)" "$work/velunda-cli.6" || fail "velunda-cli.6 does not name $option"
done
for command in $("$work/root/usr/games/velunda-cli" --help | grep -oE 'velunda-cli [a-z]+' | cut -d' ' -f2 | sort -u); do
    grep -qx "\.SS $command" "$work/velunda-cli.6" || fail "velunda-cli.6 has no section for $command"
done

lintian --fail-on error --suppress-tags binary-has-unneeded-section "$deb" >"$work/lintian" 2>&1 ||
    fail "lintian: $(grep -v 'root privileges' "$work/lintian")"
grep -E '^[EW]:' "$work/lintian"

[ "$failures" -eq 0 ] && echo "the package $(basename "$deb") is whole" || { echo "contents:"; cat "$work/list"; }
exit $((failures > 0))
