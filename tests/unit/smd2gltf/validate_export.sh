#!/usr/bin/env bash
# validate_export.sh VALIDATOR_DIR SMD2GLTF REFERENCE.smd [CLIP.smd]...:
# exports the files with smd2gltf and runs the Khronos glTF validator on the
# result; fails on any error or warning.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
validator=$1
tool=$2
shift 2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
glb="$out/$(basename "$1" .smd).glb"
"$tool" "$@" -o "$glb"
node "$here/validate.js" "$validator" "$glb"
