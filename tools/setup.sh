# Sourced by ./corvella, ./run-tests, tools/run-sanitized-tests and .ci/run:
# installs the Debian packages that are missing, then configures and builds.
# Everything it prints goes to stderr or to the build folder's setup.log,
# never to stdout, so a script's output on stdout stays clean.

corvella_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The one list for developers and CI alike: building, the tests (Qt's own
# example programs are programs the --app tests attach to), the man page
# (help2man), the format check (clang-format) and the package check
# (desktop-file-utils). ca-certificates lets npm reach its registry.
corvella_packages="cmake g++ make qtbase5-dev qtscript5-dev libqt5opengl5-dev xvfb xauth fonts-dejavu-core python3
  qtbase5-examples help2man clang-format desktop-file-utils ca-certificates"

corvella_install_missing() {
  local missing=() p
  for p in $corvella_packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" != 0 ]; then
    echo "corvella: missing Debian packages: ${missing[*]} (run as root, or install them with apt-get)" >&2
    return 1
  fi
  echo "corvella: installing ${missing[*]} ..." >&2
  { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"; } >&2 \
    || { echo "corvella: apt-get could not install ${missing[*]}" >&2; return 1; }
}

# $1: the target to build ("all" for everything); $2: the build folder
# (build/ by default); any further arguments are passed to cmake when it
# configures a new build folder.
corvella_build() {
  local target=${1:-all} dir=${2:-$corvella_root/build}
  shift $(($# < 2 ? $# : 2))
  local log="$dir/setup.log"
  mkdir -p "$dir"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$corvella_root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$log" 2>&1 \
      || { cat "$log" >&2; echo "corvella: configuring failed (log: $log)" >&2; return 1; }
  fi
  cmake --build "$dir" --target "$target" -j"$(nproc)" >"$log" 2>&1 \
    || { tail -n 60 "$log" >&2; echo "corvella: build failed (log: $log)" >&2; return 1; }
}
