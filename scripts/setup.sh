#!/usr/bin/env bash
# Installs what nrv needs from Debian's packages (only what is missing),
# then configures and builds into build/. Usage: scripts/setup.sh [cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build ccache g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libfann-dev libcsv-dev nlohmann-json3-dev libboost-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-charts-dev libqt6opengl6-dev libgl-dev qt6-qpa-plugins qt6-translations-l10n
  libx11-dev locales-all xvfb xauth openbox imagemagick poppler-utils fonts-dejavu-core
  help2man man-db bash-completion dpkg-dev file lintian desktop-file-utils appstream shared-mime-info
  munge slurmctld slurmd slurm-client parallel hyperfine time
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "== installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "These packages are missing; install them as root with:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
fi

build=${NRV_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "${NRV_JOBS:-2}"
