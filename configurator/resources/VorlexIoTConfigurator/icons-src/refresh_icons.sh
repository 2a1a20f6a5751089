#!/usr/bin/env bash
# Fetches the Material icon package again and refreshes the SVG sources listed in material/icons.txt,
# the package's LICENSE and material/NOTICE. Only this script needs the network; the build does not.
#
#   ./refresh_icons.sh            the version named in material/NOTICE
#   ./refresh_icons.sh 0.14.15    a given version
#   ./refresh_icons.sh latest     the newest published version
#
# Review the changed SVGs (git diff) and look at the rendered icons before committing.
set -euo pipefail

package="@material-design-icons/svg"
here="$(cd "$(dirname "$0")" && pwd)"
dest="$here/material"
list="$dest/icons.txt"

version="${1:-$(sed -n 's/^Version: //p' "$dest/NOTICE" 2>/dev/null || true)}"
version="${version:-latest}"

command -v npm >/dev/null || { echo "npm is needed (Debian package npm)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "$package@$version" >/dev/null)
tar -xzf "$work"/*.tgz -C "$work"
pkg="$work/package"
resolved="$(node -p "require('$pkg/package.json').version")"
licence="$(node -p "require('$pkg/package.json').license")"

entries=()
while read -r name file; do
    case "$name" in '' | '#'*) continue ;; esac
    [ -f "$pkg/$file" ] || { echo "$file is not in $package $resolved" >&2; exit 1; }
    entries+=("$name $file")
done <"$list"

# Sources no longer listed go; listed ones are copied under their base name.
find "$dest" -maxdepth 1 -name '*.svg' -delete
for entry in "${entries[@]}"; do
    file="${entry#* }"
    cp "$pkg/$file" "$dest/$(basename "$file")"
done
cp "$pkg/LICENSE" "$dest/LICENSE"

{
    echo "Icon glyphs of this program come from the npm package below, unchanged."
    echo
    echo "Package: $package"
    echo "Version: $resolved"
    echo "Licence: $licence (full text in LICENSE beside this file)"
    echo "Content: SVG files of Google's Material Icons, as optimised by the package"
    echo
    echo "Icon (icons/<name>.png, icons/<name>_white.png)  <-  file in the package  ->  file here"
    for entry in "${entries[@]}"; do
        name="${entry%% *}"
        file="${entry#* }"
        printf '  %-10s <-  %-22s ->  %s\n' "$name" "$file" "$(basename "$file")"
    done
} >"$dest/NOTICE"

echo "Refreshed ${#entries[@]} icons from $package $resolved."
