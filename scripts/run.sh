#!/usr/bin/env bash
# Sets up, builds and starts the workbench on the example network of
# examples/. Without a display it says so and runs the nrv-cli demo instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${NRV_BUILD_DIR:-build}
case $build in /*) ;; *) build=$PWD/$build ;; esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display available (DISPLAY is not set): running the nrv-cli demo instead."
  exec scripts/demo.sh "$build/cli/nrv-cli"
fi
if [ ! -x "$build/ui/nrv" ]; then
  echo "The workbench was not built (Qt 6 missing?): running the nrv-cli demo instead."
  exec scripts/demo.sh "$build/cli/nrv-cli"
fi

# A working folder of its own: the training log HNRV.TXT and saved networks
# land there, and the examples stay as they are. The network names its data
# files relative to it.
trabajo="$build/trabajo"
mkdir -p "$trabajo"
for f in iris-train.txt iris-test.txt xor.txt; do cp -f "examples/$f" "$trabajo/"; done
[ -f "$trabajo/iris.nrv" ] || cp examples/iris.nrv "$trabajo/"
echo "Starting the workbench in $trabajo on iris.nrv"
cd "$trabajo"
exec "$build/ui/nrv" iris.nrv
