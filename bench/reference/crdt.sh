#!/usr/bin/env bash
# The document benchmarks' workloads on the reference implementation (the automerge npm
# package), installed into the build directory on first use.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
dir=${VESK_BUILD_DIR:?VESK_BUILD_DIR must be set}/crdt-reference
data=${VESK_SHARED_DATA:-$root/../shared/data}

mkdir -p "$dir"
if [ ! -f "$dir/node_modules/@automerge/automerge/package.json" ]; then
  [ -f "$dir/package.json" ] || echo '{"private": true, "type": "module"}' >"$dir/package.json"
  (cd "$dir" && npm install --no-audit --no-fund --loglevel=error @automerge/automerge@3)
fi
# The script runs from the install folder so that Node resolves the package there.
cp "$here/crdt_reference.mjs" "$dir/crdt_reference.mjs"
echo "reference: @automerge/automerge $(node -p "require('$dir/node_modules/@automerge/automerge/package.json').version")"
VESK_SHARED_DATA=$data node --max-old-space-size=8192 "$dir/crdt_reference.mjs"
