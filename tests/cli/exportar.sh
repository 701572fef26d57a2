# nrv-cli historial and pesos: the history file and both weight forms.
. "$(dirname "$0")/comun.inc"

red_xor x.nrv --epocas 7 --error 0
# The initial weights can be exported before any training.
ejecutar pesos x.nrv inicial.txt
espera_rc 0 "pesos de una red sin entrenar"
"$NRV" entrenar x.nrv >entrenar.txt 2>&1 || fallo "entrenar"

# History: one line per epoch, tabs, decimal commas, CR LF, nothing else.
ejecutar historial x.nrv h.txt
espera_rc 0 "historial"
espera_salida "Historial guardado en h.txt ($(stat -c %s h.txt) bytes, épocas: 7)." "historial"
[ "$(wc -l <h.txt)" -eq 7 ] || fallo "el historial no tiene 7 líneas"
[ "$(tr -d '\r' <h.txt | grep -cE '^[0-9]+'$'\t''[0-9]+,[0-9]{6}'$'\t''[0-9]+,[0-9]{6}'$'\t''[ 0-9]{2,3},[0-9]{4}$')" -eq 7 ] ||
  fallo "formato del historial: $(head -2 h.txt)"
[ "$(grep -c $'\r$' h.txt)" -eq 7 ] || fallo "el historial no termina sus líneas en CR LF"
grep -q '\.' h.txt && fallo "el historial tiene puntos"
[ "$(cut -f 1 h.txt | tr '\n' ' ')" = "0 1 2 3 4 5 6 " ] || fallo "épocas del historial"
# The same figures as the training printed.
tr -d '\r' <h.txt | tr ',' '.' | awk -F'\t' '{ printf "%.6f %.5f %.4f\n", $2, $3, $4 }' >h.cifras
grep -E '^ +[0-9]+ '$'\t' entrenar.txt | awk -F'\t' '{ printf "%.6f %.5f %.4f\n", $2, $3, $4 }' >e.cifras
cmp -s h.cifras e.cifras || fallo "el historial no tiene las cifras del entrenamiento"

# Weights, text form: 3 hidden rows of 2 + 1 numbers, then 1 output row of 3 + 1.
ejecutar pesos x.nrv p.txt
espera_rc 0 "pesos en texto"
[ "$(wc -l <p.txt)" -eq 4 ] || fallo "pesos en texto: se esperaban 4 líneas"
[ "$(tr -d '\r' <p.txt | awk '{ printf "%d ", NF }')" = "3 3 3 4 " ] || fallo "pesos en texto: números por línea"
[ "$(tr -d '\r' <p.txt | grep -cE '^(-?[0-9]+\.[0-9]{4} )+$')" -eq 4 ] || fallo "formato de los pesos: $(head -1 p.txt)"
[ "$(grep -c $'\r$' p.txt)" -eq 4 ] || fallo "los pesos en texto no terminan en CR LF"
cmp -s p.txt inicial.txt && fallo "los pesos no han cambiado al entrenar"

# Binary form: 4 x (3 x 3 + 1 x 4) = 52 bytes, the same values in the same order.
for nombre in p.bin p.ie3; do
  ejecutar pesos x.nrv "$nombre"
  espera_rc 0 "pesos en $nombre"
  [ "$(stat -c %s "$nombre")" -eq 52 ] || fallo "$nombre ocupa $(stat -c %s "$nombre") bytes, no 52"
  espera_salida "Pesos guardados en $nombre (52 bytes, épocas entrenadas: 7)." "pesos en $nombre"
done
LC_ALL=C od -An -v -t f4 -w4 p.bin | LC_ALL=C awk '{ printf "%.4f\n", $1 }' >binario.txt
tr -d '\r' <p.txt | tr ' ' '\n' | grep -v '^$' | LC_ALL=C awk '{ printf "%.4f\n", $1 }' >texto.txt
cmp -s binario.txt texto.txt || fallo "los pesos binarios no son los de texto"
# Only lower-case .bin and .ie3 are binary; anything else is text.
for nombre in p.BIN p.dat sin_extension; do
  "$NRV" pesos x.nrv "$nombre" >/dev/null || fallo "pesos en $nombre"
  cmp -s "$nombre" p.txt || fallo "$nombre no está en la forma de texto"
done
# An existing file is replaced.
echo viejo >p.txt
"$NRV" pesos x.nrv p.txt >/dev/null && [ "$(wc -l <p.txt)" -eq 4 ] || fallo "pesos no ha sustituido el fichero"
# Exports change nothing in the network.
cp x.nrv x.antes
"$NRV" historial x.nrv h2.txt >/dev/null
"$NRV" pesos x.nrv p2.bin >/dev/null
cmp -s x.nrv x.antes || fallo "las exportaciones han cambiado la red"

termina
