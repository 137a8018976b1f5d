#!/usr/bin/env bash
# Throughput of `corvella --compress` against other whitespace minifiers,
# whole process each (start, read, minify, write to /dev/null), on real
# libraries fetched with npm now (into bench/work/, never committed) and on a
# 50 MB concatenation of one of them. The best of several runs counts.
#
# Peers: esbuild --minify-whitespace (npm package esbuild), the C core of
# rjsmin (Debian package python3-rjsmin) and JavaScript::Minifier::XS (Debian
# package libjavascript-minifier-xs-perl). Missing peers are installed when
# this runs as root; otherwise they are left out.
#
#   bench/compress_peers.sh [BUILD_DIR]      (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=$root/bench/work
mkdir -p "$work"

say() { printf '%s\n' "$*" >&2; }

# Corvella itself and the in-process benchmark.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target corvella bench_minifier -j"$(nproc)" >/dev/null
corvella=$build/app/corvella

# Peers.
python=/usr/bin/python3 # Debian's, which sees python3-rjsmin
if [ "$(id -u)" = 0 ]; then
  missing=()
  "$python" -c 'import _rjsmin' 2>/dev/null || missing+=(python3-rjsmin)
  perl -MJavaScript::Minifier::XS -e1 2>/dev/null || missing+=(libjavascript-minifier-xs-perl)
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]} ..."
    { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"; } >/dev/null 2>&1 \
      || say "could not install ${missing[*]}"
  fi
fi

# The same pinned libraries as the minifier's library test, and esbuild.
libraries=(lodash/lodash.js jquery/dist/jquery.js d3/d3.js esprima/dist/esprima.js)
if [ ! -x "$work/node_modules/.bin/esbuild" ] || [ ! -f "$work/node_modules/d3/d3.js" ]; then
  say "fetching the libraries and esbuild with npm ..."
  npm install --no-save --no-audit --no-fund --no-package-lock --prefix "$work" \
    lodash@4.17.21 jquery@1.12.4 d3@3.5.17 esprima@4.0.1 esbuild@0.25.9 >/dev/null
fi
esbuild=$work/node_modules/.bin/esbuild

big=$work/jquery-50MB.js
if [ ! -f "$big" ]; then
  : >"$big"
  while [ "$(stat -c %s "$big")" -lt 52428800 ]; do cat "$work/node_modules/jquery/dist/jquery.js" >>"$big"; done
fi

# Seconds of the fastest of $1 runs of the rest of the line.
best_of() {
  local runs=$1 best="" start end t
  shift
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || { echo "failed"; return; }
    end=$(date +%s.%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

run_corvella() { "$corvella" --compress "$1"; }
run_esbuild() { "$esbuild" "$1" --minify-whitespace --log-level=error; }
run_rjsmin_bytes() {
  "$python" -c 'import sys, _rjsmin; sys.stdout.buffer.write(_rjsmin.jsmin(open(sys.argv[1], "rb").read()))' "$1"
}
run_rjsmin_str() {
  "$python" -c 'import sys, rjsmin; sys.stdout.write(rjsmin.jsmin(open(sys.argv[1], encoding="utf-8").read()))' "$1"
}
run_perl_xs() {
  perl -MJavaScript::Minifier::XS=minify -e \
    'local $/; open my $f, "<:raw", $ARGV[0] or die; my $s = <$f>; binmode STDOUT; print minify($s)' "$1"
}

peers=(corvella esbuild rjsmin_bytes rjsmin_str perl_xs)
labels=("corvella --compress" "esbuild --minify-whitespace" "rjsmin C core (bytes)" "rjsmin C core (str)"
  "JavaScript::Minifier::XS")
available() {
  case $1 in
    esbuild) [ -x "$esbuild" ] ;;
    rjsmin_*) "$python" -c 'import _rjsmin' 2>/dev/null ;;
    perl_xs) perl -MJavaScript::Minifier::XS -e1 2>/dev/null ;;
    *) true ;;
  esac
}

say "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-28s %8s' "file" "MB"
for i in "${!peers[@]}"; do printf ' %27s' "${labels[$i]}"; done
printf '   (MB/s, whole process, best run)\n'

declare -A result
for file in "${libraries[@]/#/$work/node_modules/}" "$big"; do
  size=$(stat -c %s "$file")
  mb=$(awk -v s="$size" 'BEGIN { print s / 1000000 }')
  runs=7
  [ "$size" -gt 10000000 ] && runs=3
  printf '%-28s %8.2f' "$(basename "$file")" "$mb"
  for peer in "${peers[@]}"; do
    if available "$peer"; then
      seconds=$(best_of "$runs" "run_$peer" "$file")
      if [ "$seconds" = failed ]; then
        printf ' %27s' "failed"
      else
        rate=$(awk -v m="$mb" -v t="$seconds" 'BEGIN { print m / t }')
        result[$peer,$(basename "$file")]=$rate
        printf ' %27.1f' "$rate"
      fi
    else
      printf ' %27s' "-"
    fi
  done
  printf '\n'
done

name=$(basename "$big")
if [ -n "${result[rjsmin_bytes,$name]:-}" ]; then
  awk -v n="$name" -v c="${result[corvella,$name]}" -v b="${result[rjsmin_bytes,$name]}" \
    -v s="${result[rjsmin_str,$name]:-0}" \
    'BEGIN { printf "\n%s: corvella / rjsmin (bytes) = %.2f, corvella / rjsmin (str) = %.2f\n", n, c / b, s ? c / s : 0 }'
fi

printf '\nIn process (no start-up, no file reading):\n'
"$build/bench/bench_minifier" "${libraries[@]/#/$work/node_modules/}" "$big"
