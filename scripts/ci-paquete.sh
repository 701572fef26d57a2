#!/usr/bin/env bash
# CI: the Debian package. Builds the programs in Release (build-paquete/,
# without tests or benchmarks), makes the package with cpack, checks it with
# lintian, unpacks it into a temporary root and runs what it holds from
# there: nrv-cli --version and the demo, nrv --version, the manual pages,
# the desktop files and the bash completion.
set -euo pipefail
cd "$(dirname "$0")/.."
raiz=$PWD
build=${NRV_BUILD_PAQUETE:-build-paquete}
case $build in /*) ;; *) build=$raiz/$build ;; esac

echo "== Release build in $build"
lanzador=()
command -v ccache >/dev/null && lanzador=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Debian's hardening flags, as its own packages are built (no -g: the
# package is stripped).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
opciones_cxx=$(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')
opciones_cxx="$opciones_cxx $(dpkg-buildflags --get CPPFLAGS)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNRV_BUILD_TESTS=OFF -DNRV_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$opciones_cxx" "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" \
  "${lanzador[@]}" >/dev/null
cmake --build "$build" -j "${NRV_JOBS:-2}"

echo "== cpack -G DEB"
# The files' dates in the package are the commit's: one commit, one package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --git-dir >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
fi
rm -f "$build"/nrv_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
paquetes=("$build"/nrv_*.deb)
paquete=${paquetes[0]}
[ ${#paquetes[@]} -eq 1 ] && [ -f "$paquete" ] || { echo "cpack no ha hecho un paquete" >&2; exit 1; }
dpkg-deb --field "$paquete"

fallos=0
fallo() {
  echo "FALLO: $*" >&2
  fallos=$((fallos + 1))
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/nrv-paquete.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# Made again from the same build, later, the package is the same, byte for
# byte.
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  sleep 1
  (cd "$build" && cpack -G DEB -B "$tmp/otra" >/dev/null)
  cmp -s "$paquete" "$tmp/otra/$(basename "$paquete")" || fallo "dos cpack de la misma compilación dan paquetes distintos"
fi

# The package's version is the project's, and its changelog's last entry.
version=$(sed -n 's/^project(nrv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$(dpkg-deb -f "$paquete" Version)" = "$version-1" ] ||
  fallo "el paquete es la versión $(dpkg-deb -f "$paquete" Version), el proyecto la $version"
[ "$(dpkg-parsechangelog -l "$build/packaging/changelog" -S Version)" = "$version-1" ] ||
  fallo "packaging/changelog.in no tiene la entrada de la versión $version-1"

echo "== lintian"
# Tags left alone, and why:
# - initial-upload-closes-no-bugs: the package is not uploaded to Debian,
#   so there is no "intent to package" bug for its first entry to close.
lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$paquete" || fallo "lintian"

echo "== unpacked into a temporary root"
dpkg-deb -x "$paquete" "$tmp/raiz"
r=$tmp/raiz/usr
for f in bin/nrv bin/nrv-cli share/applications/nrv.desktop share/icons/hicolor/scalable/apps/nrv.svg \
  share/icons/hicolor/scalable/mimetypes/application-x-nrv.svg share/mime/packages/nrv.xml \
  share/metainfo/io.github.nrv.nrv.metainfo.xml share/man/man1/nrv.1.gz share/man/man1/nrv-cli.1.gz \
  share/bash-completion/completions/nrv-cli share/doc/nrv/copyright share/doc/nrv/changelog.Debian.gz \
  share/doc/nrv/manual/10-nrv.md share/doc/nrv/manual/imagenes/principal.png; do
  [ -f "$r/$f" ] || fallo "el paquete no tiene /usr/$f"
done
cmp -s "$r/share/icons/hicolor/scalable/mimetypes/application-x-nrv.svg" resources/icons/nrv-documento.svg ||
  fallo "el icono de application/x-nrv no es resources/icons/nrv-documento.svg"

"$r/bin/nrv-cli" --version
[ "$("$r/bin/nrv-cli" --version | head -n 1)" = "nrv-cli (nrv) $version" ] || fallo "nrv-cli --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$r/bin/nrv" --version | head -n 1)" = "nrv $version" ] || fallo "nrv --version"
scripts/demo.sh "$r/bin/nrv-cli" >"$tmp/demo.txt" 2>&1 || fallo "la demostración: $(tail -n 5 "$tmp/demo.txt")"
grep -q "^Fin de la demostración" "$tmp/demo.txt" || fallo "la demostración no ha llegado al final"
echo "demo: $(grep -c '^\$ nrv-cli' "$tmp/demo.txt") orders run by the unpacked nrv-cli"

for p in nrv nrv-cli; do
  avisos=$(MANWIDTH=80 man --warnings -l "$r/share/man/man1/$p.1.gz" 2>&1 >/dev/null) || fallo "man -l $p.1.gz"
  [ -z "$avisos" ] || fallo "man -l $p.1.gz: $avisos"
done
avisos=$(desktop-file-validate "$r/share/applications/nrv.desktop" 2>&1) || fallo "desktop-file-validate: $avisos"
[ -z "$avisos" ] || echo "$avisos"
appstreamcli validate --no-net --no-color "$r/share/metainfo/io.github.nrv.nrv.metainfo.xml" || fallo "appstreamcli validate"
# bash-completion finds the completion by the command's name.
if [ -f /usr/share/bash-completion/bash_completion ]; then
  XDG_DATA_DIRS=$r/share bash -c '. /usr/share/bash-completion/bash_completion
    __load_completion nrv-cli && complete -p nrv-cli' | grep -qx "complete -F _nrv_cli nrv-cli" ||
    fallo "bash-completion no carga el completado de nrv-cli"
fi

if [ "$fallos" -ne 0 ]; then
  echo "$fallos comprobaciones del paquete fallidas" >&2
  exit 1
fi
echo "== $(basename "$paquete"): correct"
