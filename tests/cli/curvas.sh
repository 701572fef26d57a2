# nrv-cli curvas and historial --csv: the training curves as an SVG picture
# (well-formed, the three graphs in their colours with titles and latest
# values) and the history for plotting tools (header, points, LF), the same
# bytes in every locale; the refusals.
. "$(dirname "$0")/comun.inc"

red_xor x.nrv --epocas 30 --error 0
"$NRV" entrenar x.nrv >entrenar.txt 2>&1 || fallo "entrenar"

ejecutar curvas x.nrv c.svg
espera_rc 0 "curvas"
espera_salida "Gráficas guardadas en c.svg ($(stat -c %s c.svg) bytes, épocas: 30)." "curvas"
head -n 1 c.svg | grep -qx '<?xml version="1.0" encoding="UTF-8"?>' || fallo "c.svg no empieza por la declaración XML"
grep -q $'\r' c.svg && fallo "c.svg lleva CR"
if command -v python3 >/dev/null; then
  python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' c.svg 2>error.txt ||
    fallo "c.svg no es XML bien formado: $(tail -1 error.txt)"
fi
for id in 1011 1020 1015; do
  grep -q "<g id=\"grafica$id\"" c.svg || fallo "c.svg no tiene la gráfica $id"
done
for color in '#7dff32' '#ff00ff' '#00ffff'; do
  [ "$(grep -c "<polyline stroke=\"$color\" stroke-width=\"2\"" c.svg)" -ge 1 ] || fallo "c.svg no tiene la curva $color"
done
[ "$(grep -c 'stroke-dasharray="8 4 2 4 2 4"' c.svg)" -eq 3 ] || fallo "c.svg no tiene las tres líneas de referencia"
for titulo in "Error Máximo:" "Error Total:" "Aciertos:"; do
  grep -q ">$titulo</text>" c.svg || fallo "c.svg no tiene el título $titulo"
done
# The latest values, as info gives them.
ultima=$(info_campo x.nrv "Última época")
maximo=$(sed -n 's/.*error máximo \([0-9.]*\),.*/\1/p' <<<"$ultima")
grep -q "id=\"texto1005\"[^>]*>$maximo</text>" c.svg || fallo "c.svg no muestra el último error máximo $maximo"
aciertos=$(sed -n 's/.*aciertos *\([0-9.]*\)%.*/\1/p' <<<"$ultima")
grep -q "id=\"texto1012\"[^>]*>$aciertos%</text>" c.svg || fallo "c.svg no muestra la última tasa $aciertos%"
# The same bytes in Spanish.
LC_ALL=es_ES.UTF-8 "$NRV" curvas x.nrv es.svg >/dev/null || fallo "curvas en español"
cmp -s c.svg es.svg || fallo "curvas cambia con el idioma"

# A network never trained: the frames' axes and references, no curve, no
# total-error frame (the view hides it), "n/a".
red_xor nueva.nrv
ejecutar curvas nueva.nrv n.svg
espera_rc 0 "curvas de una red sin entrenar"
grep -q '<polyline stroke="#7dff32"' n.svg && fallo "una red sin entrenar tiene curva"
grep -q 'id="grafica1020"' n.svg && fallo "una red sin entrenar muestra el marco del error total"
[ "$(grep -c '>n/a</text>' n.svg)" -eq 2 ] || fallo "una red sin entrenar no muestra n/a"

# historial --csv: header, one row per epoch with points, LF only.
ejecutar historial x.nrv h.csv --csv
espera_rc 0 "historial --csv"
espera_salida "Historial guardado en h.csv ($(stat -c %s h.csv) bytes, épocas: 30)." "historial --csv"
[ "$(head -n 1 h.csv)" = "epoca,error_maximo,error_total,tasa_aciertos" ] || fallo "cabecera del CSV: $(head -n 1 h.csv)"
[ "$(wc -l <h.csv)" -eq 31 ] || fallo "el CSV no tiene 31 líneas"
grep -q $'\r' h.csv && fallo "el CSV lleva CR"
[ "$(tail -n +2 h.csv | grep -cE '^[0-9]+,[0-9.e+-]+,[0-9.e+-]+,[0-9.e+-]+$')" -eq 30 ] || fallo "filas del CSV: $(sed -n 2,3p h.csv)"
[ "$(tail -c 1 h.csv | od -An -c | tr -d ' ')" = '\n' ] || fallo "el CSV no acaba en LF"
# The same figures as the history file, rounded as it rounds them.
"$NRV" historial x.nrv h.txt >/dev/null
tail -n +2 h.csv | LC_ALL=C awk -F, '{ printf "%u\t%7.6f\t%7.6f\t%7.4f\r\n", $1, $2, $3, $4 }' | tr . , >h.desde-csv
cmp -s h.desde-csv h.txt || fallo "el CSV no tiene las cifras del historial"
LC_ALL=es_ES.UTF-8 "$NRV" historial x.nrv es.csv --csv >/dev/null || fallo "historial --csv en español"
cmp -s h.csv es.csv || fallo "historial --csv cambia con el idioma"

# Refusals.
ejecutar curvas x.nrv c.png
espera_rc 2 "curvas a un PNG"
espera_error "nrv-cli curvas solo escribe SVG, no .png; las imágenes PNG y los PDF se guardan con «Archivo › Exportar gráficas...» de nrv." \
  "curvas a un PNG"
[ -e c.png ] && fallo "curvas ha escrito c.png"
cp x.nrv x.antes
ejecutar curvas x.nrv x.nrv
espera_rc 2 "curvas sobre la red"
cmp -s x.nrv x.antes || fallo "curvas ha cambiado la red"
ejecutar curvas no-existe.nrv c.svg
espera_rc 1 "curvas de una red que no existe"
ejecutar curvas x.nrv no-existe/c.svg
espera_rc 1 "curvas a una carpeta que no existe"
espera_error "No se ha podido crear el fichero no-existe/c.svg: no existe el fichero o la carpeta." "curvas a una carpeta que no existe"

# --informe has nrv draw the page: a tool without nrv beside it nor on the
# PATH says so, and writes nothing.
mkdir solo
cp "$NRV" solo/nrv-cli
PATH=/nonexistent solo/nrv-cli curvas x.nrv i.pdf --informe >salida.txt 2>errores.txt
RC=$?
ERRORES=$(cat errores.txt)
espera_rc 1 "curvas --informe sin nrv"
espera_error "La página de informe la dibuja el programa nrv, que no está instalado junto a nrv-cli ni en el PATH; instálelo (no necesita pantalla), o use «nrv-cli curvas» sin --informe, que escribe las gráficas en SVG." \
  "curvas --informe sin nrv"
[ -e i.pdf ] && fallo "curvas --informe sin nrv ha escrito i.pdf"

termina
