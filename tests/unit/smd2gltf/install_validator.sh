#!/usr/bin/env bash
# install_validator.sh DEST: installs the Khronos glTF validator (npm package
# gltf-validator, the version validator/package-lock.json pins) into DEST,
# unless that version is already there. Fails with one clear line when node
# or npm is missing or the npm registry cannot be reached.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dest=$1
lock="$here/validator/package-lock.json"
if [ -f "$dest/node_modules/gltf-validator/package.json" ] && cmp -s "$lock" "$dest/package-lock.json"; then
  exit 0
fi
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "install_validator: node and npm are needed (scripts/install-deps.sh installs them)" >&2
  exit 1
fi
mkdir -p "$dest"
cp "$here/validator/package.json" "$lock" "$dest/"
if ! (cd "$dest" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error \
        --cache "$dest/.npm-cache" --fetch-retries=1 --fetch-timeout=30000); then
  rm -f "$dest/package-lock.json"
  echo "install_validator: cannot install gltf-validator from the npm registry into $dest" \
       "(is the registry reachable? npm's message is above)" >&2
  exit 1
fi
