# scripts/demo.sh runs to its end with this nrv-cli and shows every step.
. "$(dirname "$0")/comun.inc"

bash "$EJEMPLOS/../scripts/demo.sh" "$NRV" >demo.txt 2>&1 || fallo "la demostración ha fallado: $(tail -5 demo.txt)"
for orden in nueva info entrenar verificar historial pesos; do
  grep -q "^\$ nrv-cli $orden " demo.txt || fallo "la demostración no muestra «nrv-cli $orden»"
done
grep -qx "nrv: Introduzca un número." demo.txt || fallo "la demostración no muestra el valor rechazado"
grep -q "^Fin de la demostración" demo.txt || fallo "la demostración no ha llegado al final"

termina
