#!/bin/sh
# Builds the large script that bench_highlighter loads: a real library from
# npm, concatenated to at least 5 MB. Third-party code stays in bench/work/,
# which is not committed. `npm pack` only downloads the package's tarball, so
# the node_modules folder that other benchmarks share is left alone.
set -e
here=$(cd "$(dirname "$0")" && pwd)
work="$here/work/highlighter"
out="$here/work/highlighter-input.js"
library="$work/package/lodash.js"
target=$((5 * 1024 * 1024))

mkdir -p "$work"
if [ ! -f "$library" ]; then
    command -v npm >/dev/null || { echo "npm is needed: apt-get install npm" >&2; exit 1; }
    tarball=$(cd "$work" && npm pack --silent lodash@4 | tail -n 1)
    tar -xzf "$work/$tarball" -C "$work"
fi

: > "$out.tmp"
while [ "$(wc -c < "$out.tmp")" -lt "$target" ]; do
    cat "$library" >> "$out.tmp"
done
mv "$out.tmp" "$out"
echo "$out"
