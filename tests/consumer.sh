#!/bin/sh
# Installs the development package into a fresh prefix, builds the consumer
# example against it and runs a script in the consumer's script editor.
#   $1: Corvella's build folder  $2: the consumer's sources  $3: a scratch folder
#   $4: the compiler flags Corvella was built with (a sanitized build's
#   libraries need the same runtime in the consumer)
set -e
rm -rf "$3"
mkdir -p "$3"
cmake --install "$1" --prefix "$3/prefix" --component Development >"$3/install.log"
cmake -S "$2" -B "$3/build" -DCMAKE_PREFIX_PATH="$3/prefix" "-DCMAKE_CXX_FLAGS=$4" "-DCMAKE_EXE_LINKER_FLAGS=$4" >"$3/configure.log" 2>&1 || { cat "$3/configure.log"; exit 1; }
cmake --build "$3/build" >"$3/build.log" 2>&1 || { tail -n 40 "$3/build.log"; exit 1; }
exec sh "$(dirname "$0")/run_isolated.sh" "$3/build/consumer" --run-in-editor "$2/drive_form.js"
