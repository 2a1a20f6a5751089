#!/usr/bin/env bash
# Checks the Debian package that `make package` made in a release build folder (default build-release/):
#  1. the package as a file: name, version, fields, file list, nothing of the build machine in it, lintian,
#     the desktop entry, the metainfo and the manual pages;
#  2. installed with apt-get: both executables run from the installed files alone (an empty folder, an
#     empty HOME, a bare environment), every Qt plugin they load and every Qt module the interface
#     imports comes from a package the package depends on, the manual pages are found by man;
#  3. removed again: none of its files is left.
# Needs root for apt-get (sudo when not root). Usage: check-package.sh [BUILD_FOLDER]
# The bash -c snippets take their values as arguments, hence single quotes.
# shellcheck disable=SC2016
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-release}" && pwd)
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo

checks=0
failures=0
step() { echo "== $*"; }
ok() {
    checks=$((checks + 1))
    echo "   ok: $*"
}
bad() {
    checks=$((checks + 1))
    failures=$((failures + 1))
    echo "   FAILED: $*" >&2
}
# check <description> <command...>: one check; a failure is counted and the next check runs.
check() {
    local what=$1
    shift
    if "$@"; then ok "$what"; else bad "$what"; fi
}
# Exit status 0 when every argument is a non-empty "true": check "..." all "$a" "$b" (see is()).
all() {
    local value
    for value in "$@"; do [ "$value" = true ] || return 1; done
}
is() { if "$@"; then echo true; else echo false; fi; }
not() { ! "$@"; }
die() {
    echo "package-check: $*" >&2
    exit 1
}

work=$(mktemp -d)
installed_by_us=""
cleanup() {
    if [ -n "$installed_by_us" ]; then
        echo "package-check: removing $installed_by_us after a failure" >&2
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q "$installed_by_us" >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# What the sources and the build say the package is.
program_version=$(sed -n 's/^set(VK_PROGRAM_VERSION "\(.*\)")$/\1/p' "$root/CMakeLists.txt")
[ -n "$program_version" ] || die "no VK_PROGRAM_VERSION in $root/CMakeLists.txt"
cpack_config=$build/CPackConfig.cmake
[ -f "$cpack_config" ] || die "$cpack_config is missing: run 'make package' first"
cpack_var() { sed -n "s/^set($1 \"\(.*\)\")$/\1/p" "$cpack_config"; }
name=$(cpack_var CPACK_PACKAGE_NAME)
version=$(cpack_var CPACK_PACKAGE_VERSION)
arch=$(dpkg --print-architecture)
deb=$build/${name}_${version}_${arch}.deb
[ -f "$deb" ] || die "$deb is missing: run 'make package' first"
desktop_source=$(ls "$root"/packaging/*.desktop)
app_id=$(basename "$desktop_source" .desktop)
qml_dir=$(qtpaths6 --query QT_INSTALL_QML)
plugin_dir=$(qtpaths6 --query QT_INSTALL_PLUGINS)
echo "package-check: $deb ($(du -k "$deb" | cut -f1) KiB), program version $program_version"

step "the package file"
field() { dpkg-deb --field "$deb" "$1"; }
check "Package is $name" [ "$(field Package)" = "$name" ]
check "Version $(field Version) is the program's version $program_version in Debian's form" \
    all "$(is [ "$(field Version)" = "$version" ])" "$(is [ "${version/\~/}" = "$program_version" ])"
if [ "$version" != "${version/\~/}" ]; then
    check "pre-release $version sorts before its release ${version%%~*}" \
        dpkg --compare-versions "$version" lt "${version%%~*}"
fi
depends=$(field Depends)
check "dpkg-shlibdeps filled in the libraries (libc6, libqt6core6, libqt6quick6)" \
    bash -c 'for p in libc6 libqt6core6 libqt6quick6; do grep -qE "(^|, )$p( |,|$)" <<<"$1" || exit 1; done' _ "$depends"
check "Maintainer, Description and Homepage are set" \
    bash -c '[ -n "$(dpkg-deb --field "$1" Maintainer)" ] && [ -n "$(dpkg-deb --field "$1" Homepage)" ] &&
             [ "$(dpkg-deb --field "$1" Description | wc -l)" -gt 3 ]' _ "$deb"

dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^/\?$' | sort >"$work/contents"
expected=(
    /usr/bin/VorlexIoTConfigurator
    /usr/bin/vk-config
    "/usr/share/applications/$app_id.desktop"
    "/usr/share/metainfo/$app_id.metainfo.xml"
    "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    "/usr/share/icons/hicolor/256x256/apps/$app_id.png"
    /usr/share/man/man1/vk-config.1.gz
    /usr/share/man/man1/VorlexIoTConfigurator.1.gz
    "/usr/share/doc/$name/copyright"
    "/usr/share/doc/$name/changelog.gz")
for path in "${expected[@]}"; do
    check "holds $path" grep -qxF "$path" "$work/contents"
done
check "installs under /usr only" bash -c '! grep -v "^/usr\(/\|$\)" "$1"' _ "$work/contents"

extracted=$work/extracted
dpkg-deb -x "$deb" "$extracted"
check "no path of the build machine ($root, $build) in any installed file" \
    bash -c '! grep -rlF -e "$1" -e "$2" "$3"' _ "$root" "$build" "$extracted"
check "the executables are stripped ELF files" \
    bash -c 'for f in "$1"/usr/bin/*; do file -b "$f" | grep -q "ELF.*, stripped" || exit 1; done' _ "$extracted"
check "the PNG icon is 256 x 256" python3 - "$extracted/usr/share/icons/hicolor/256x256/apps/$app_id.png" <<'EOF'
import struct, sys
data = open(sys.argv[1], 'rb').read(24)
sys.exit(0 if data[:8] == b'\x89PNG\r\n\x1a\n' and struct.unpack('>II', data[16:24]) == (256, 256) else 1)
EOF
check "the scalable icon is the program's SVG" \
    cmp -s "$extracted/usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
    "$root/configurator/resources/VorlexIoTConfigurator/icons-src/app_icon.svg"

step "lintian"
lintian_status=0
lintian --fail-on error --tag-display-limit 0 --display-info "$deb" >"$work/lintian.txt" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$work/lintian.txt" | sed 's/^/   /' || true
check "lintian reports no error" [ "$lintian_status" = 0 ]

step "desktop entry and metainfo"
desktop=$extracted/usr/share/applications/$app_id.desktop
metainfo=$extracted/usr/share/metainfo/$app_id.metainfo.xml
check "desktop-file-validate passes" desktop-file-validate "$desktop"
check "the desktop entry starts the installed program with the installed icon" \
    bash -c 'grep -qx "Exec=VorlexIoTConfigurator" "$1" && grep -qx "Icon=$2" "$1" &&
             grep -q "^Keywords=.*Bluetooth" "$1"' _ "$desktop" "$app_id"
check "appstreamcli validate --no-net passes" appstreamcli validate --no-net "$metainfo"
check "appstreamcli validate-tree --no-net passes (metainfo, desktop entry and icon together)" \
    appstreamcli validate-tree --no-net "$extracted"
check "the metainfo's release is $program_version" \
    grep -qE "<release version=\"$program_version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" "$metainfo"
screenshots=$(sed -n 's|.*<image[^>]*>.*/\([^/<]*\)</image>.*|\1|p' "$metainfo")
check "the metainfo shows screenshots" [ -n "$screenshots" ]
for shot in $screenshots; do
    check "screenshot $shot is one of docs/screenshots" [ -f "$root/docs/screenshots/$shot" ]
done

step "manual pages (as files)"
for page in vk-config VorlexIoTConfigurator; do
    file=$extracted/usr/share/man/man1/$page.1.gz
    check "$page.1 renders without a warning" \
        bash -c '[ -z "$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null)" ]' _ "$file"
done

step "install with apt-get"
if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed'; then
    echo "   note: $name was installed already; it is installed again from $deb and removed at the end"
fi
installed_by_us=$name
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends --reinstall "$deb" \
    >"$work/apt-install.txt" 2>&1 || { cat "$work/apt-install.txt" >&2; die "apt-get install $deb failed"; }
check "$name $version is installed" \
    bash -c '[ "$(dpkg-query -W -f="\${Status} \${Version}" "$1")" = "install ok installed $2" ]' _ "$name" "$version"

# Packages the installed package brings, directly or not.
apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
    --no-enhances "$name" 2>/dev/null | grep -v '^ ' | sed 's/:.*//; s/[<>]//g' | sort -u >"$work/closure"
owner() { dpkg-query -S "$1" 2>/dev/null | head -n 1 | cut -d: -f1 | cut -d, -f1; }
in_closure() { grep -qxF "$1" "$work/closure"; }

mkdir -p "$work/home" "$work/cwd" "$work/runtime"
chmod 700 "$work/runtime"
# run_installed <log> <command...>: in an empty folder, with an empty HOME and a bare environment.
run_installed() {
    local log=$1
    shift
    (cd "$work/cwd" && timeout --kill-after=10 300 env -i PATH=/usr/bin:/bin HOME="$work/home" \
        XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "$@") >"$log" 2>&1
}
check_plugins() { # <LD_DEBUG log> <what>: every Qt plugin loaded with dlopen comes from a dependency
    local loaded missing="" plugin package
    # (the dynamic loader also names the hardware-specific variants it looked for: only files that exist count)
    loaded=$(grep -oE 'file=[^ ]+ \[0\];  dynamically loaded by' "$1" | sed 's/^file=//; s/ .*//' | sort -u |
        grep -E "^($plugin_dir|$qml_dir)/" | while read -r plugin; do [ -e "$plugin" ] && echo "$plugin"; done || true)
    for plugin in $loaded; do
        package=$(owner "$plugin")
        in_closure "${package:-none}" || missing+=" $plugin (${package:-no package})"
    done
    check "$2: the $(wc -w <<<"$loaded") Qt plugins loaded come from dependencies${missing:+; not:$missing}" \
        all "$(is [ -z "$missing" ])" "$(is [ -n "$loaded" ])"
}

step "the installed programs"
for program in VorlexIoTConfigurator vk-config; do
    version_log=$work/version-$program.txt
    version_status=0
    run_installed "$version_log" "/usr/bin/$program" --version || version_status=$?
    check "$program --version prints $program_version (exit $version_status): $(head -n 1 "$version_log")" \
        all "$(is [ "$version_status" = 0 ])" "$(is grep -qx "$program $program_version" "$version_log")"
done

load_log=$work/quit-after-load.txt
load_status=0
run_installed "$load_log" env LD_DEBUG=files /usr/bin/VorlexIoTConfigurator --quit-after-load || load_status=$?
grep -v '^ *[0-9]*:' "$load_log" | grep -E '\]\[(WARNING|CRITICAL|FATAL)\]' | sed 's/^/   log: /' || true
check "VorlexIoTConfigurator --quit-after-load (offscreen) exits 0 (exit $load_status)" [ "$load_status" = 0 ]
# A document that cannot be loaded is logged (a warning from the QML engine with the document's
# location, then "Invalid QQmlApplicationEngine::rootObjects!"), and the program still exits 0.
qml_failures() {
    grep -v '^ *[0-9]*:' "$1" |
        grep -E '\]\[(WARNING|CRITICAL|FATAL)\]\[[^]]*qrc:|QQmlApplicationEngine failed|Invalid QQmlApplicationEngine'
}
check "the main window loaded, no QML error in the log" not qml_failures "$load_log"
check_plugins "$load_log" "offscreen"

if command -v xvfb-run >/dev/null; then
    xcb_log=$work/quit-after-load-xcb.txt
    xcb_status=0
    (cd "$work/cwd" && timeout --kill-after=10 300 xvfb-run -a sh -c 'exec env -i PATH=/usr/bin:/bin HOME="$1" \
        XDG_RUNTIME_DIR="$2" LANG=C.UTF-8 DISPLAY="$DISPLAY" XAUTHORITY="$XAUTHORITY" QT_QPA_PLATFORM=xcb \
        LD_DEBUG=files /usr/bin/VorlexIoTConfigurator --quit-after-load' _ "$work/home" "$work/runtime") \
        >"$xcb_log" 2>&1 || xcb_status=$?
    check "VorlexIoTConfigurator --quit-after-load on an X server (Xvfb) exits 0 (exit $xcb_status)" [ "$xcb_status" = 0 ]
    check "the main window loaded on the X server, no QML error in the log" not qml_failures "$xcb_log"
    check_plugins "$xcb_log" "X server"
fi

# The interface builds pages and dialogs when first shown: the modules they import are not all loaded at
# start. Every Qt module a document imports must come from a dependency too.
imports=$(grep -rhoE '^[[:space:]]*import[[:space:]]+[A-Za-z][A-Za-z0-9_.]*' \
    "$root/configurator/resources/VorlexIoTConfigurator/qml" | awk '{print $2}' | sort -u)
resolved=0
for module in $imports; do
    qmldir=$qml_dir/${module//.//}/qmldir
    [ -f "$qmldir" ] || continue # one of the program's own modules, or built into a Qt library
    resolved=$((resolved + 1))
    package=$(owner "$qmldir")
    check "QML module $module comes from a dependency (${package:-no package})" in_closure "${package:-none}"
done
check "the documents' Qt module imports were found ($resolved)" [ "$resolved" -gt 0 ]

scan_log=$work/scan.txt
scan_status=0
run_installed "$scan_log" /usr/bin/vk-config --simulator scan || scan_status=$?
sed 's/^/   /' "$scan_log"
check "vk-config --simulator scan exits 0 (exit $scan_status)" [ "$scan_status" = 0 ]
check "vk-config --simulator scan lists the simulated devices" \
    bash -c 'grep -qE "^name +serial" "$1" && grep -qE "^FM-200 Flow +10250001 " "$1"' _ "$scan_log"
report_status=0
run_installed "$work/report.txt" /usr/bin/vk-config --simulator report 10250001 --password 4711 \
    -o "$work/report.pdf" || report_status=$?
check "vk-config --simulator report writes a PDF (exit $report_status)" \
    all "$(is [ "$report_status" = 0 ])" "$(is [ "$(head -c 5 "$work/report.pdf" 2>/dev/null)" = "%PDF-" ])"

step "man"
for page in vk-config VorlexIoTConfigurator; do
    check "man -w $page finds the installed page" \
        [ "$(env -i PATH=/usr/bin:/bin man -w "$page" 2>/dev/null)" = "/usr/share/man/man1/$page.1.gz" ]
    rendered=$work/man-$page.txt
    env -i PATH=/usr/bin:/bin HOME="$work/home" LANG=C MANWIDTH=200 MANPAGER=cat man "$page" >"$rendered" 2>&1 || true
    check "man $page renders (NAME, SYNOPSIS, OPTIONS)" \
        bash -c 'grep -q "^NAME" "$1" && grep -q "^SYNOPSIS" "$1" && grep -q "^OPTIONS" "$1" &&
                 grep -qE "^ +$2 - " "$1"' _ "$rendered" "$page"
    # Every option of --help is described in the manual page.
    run_installed "$work/help-$page.txt" "/usr/bin/$page" --help || true
    help_options=$(grep -oE '^ +(-[a-z], )?--[a-z][a-z-]*' "$work/help-$page.txt" | grep -oE -- '--[a-z-]+' | sort -u || true)
    undocumented=""
    for option in $help_options; do
        [ "$option" = --help-all ] && continue
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" "$rendered" || undocumented+=" $option"
    done
    check "man $page describes the $(wc -w <<<"$help_options") options of $page --help${undocumented:+; not:$undocumented}" \
        all "$(is [ -n "$help_options" ])" "$(is [ -z "$undocumented" ])"
done

step "remove"
dpkg-query -L "$name" | sort >"$work/installed-files"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q "$name" >"$work/apt-purge.txt" 2>&1 ||
    { cat "$work/apt-purge.txt" >&2; die "apt-get purge $name failed"; }
installed_by_us=""
check "$name is no longer installed" bash -c '! dpkg-query -W -f="\${Status}" "$1" 2>/dev/null | grep -q "ok installed"' _ "$name"
left=""
while read -r path; do
    if [ -L "$path" ] || [ -f "$path" ]; then
        left+=" $path"
    elif [ -d "$path" ] && [ -z "$(owner "$path")" ]; then
        left+=" $path/" # a folder only this package had
    fi
done <"$work/installed-files"
check "no file of $name is left${left:+:$left}" [ -z "$left" ]

echo "package-check: $((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
