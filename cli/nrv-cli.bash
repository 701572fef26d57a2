# bash completion for nrv-cli: its commands, their options, and for each
# argument the files it takes. Installed as
# /usr/share/bash-completion/completions/nrv-cli; works without the
# bash-completion package too (source this file).

# What command $1 takes: sets the caller's arrays argumentos (the kind of
# each argument, in order) and opciones. An option written "--x=KIND" takes
# a value of that kind, "--x" none. Kinds: red (*.nrv), datos (data files:
# *.txt *.dat *.bin *.ie3), tabla (*.csv), esquema (*.json), c (*.c),
# svg (*.svg), entrada (a data file, or a table once --esquema is given),
# fichero (any file), "-" (a value with nothing to offer) or words
# separated by "|".
_nrv_cli_orden() {
  case $1 in
    nueva)
      argumentos=(red datos datos)
      opciones=(--ocultas=- --aprendizaje=- --momento=- --error=- --epocas=- --reemplazar) ;;
    entrenar)
      argumentos=(red)
      opciones=(--hilos=-) ;;
    verificar)
      argumentos=(red entrada)
      opciones=(--matriz --json --esquema=esquema) ;;
    historial)
      argumentos=(red fichero)
      opciones=(--csv) ;;
    pesos) argumentos=(red fichero) ;;
    info)
      argumentos=(red)
      opciones=(--json) ;;
    importar)
      argumentos=(tabla datos)
      opciones=(--esquema=esquema --clase=- --salidas=- --separador=- --decimal=-
        --cabecera --sin-cabecera '--escala=minmax|ninguna') ;;
    aplicar)
      argumentos=(red entrada tabla)
      opciones=(--esquema=esquema) ;;
    exportar)
      argumentos=(red c)
      opciones=(--esquema=esquema --nombre=-) ;;
    curvas) argumentos=(red svg) ;;
    *) return 1 ;;
  esac
}

_nrv_cli_ordenes='nueva entrenar verificar historial pesos info importar aplicar exportar curvas help'

# Adds to COMPREPLY the files of kind $1 that begin with $2, and folders;
# the caller's esquema says whether --esquema was given.
_nrv_cli_ficheros() {
  local extensiones
  case $1 in
    red) extensiones=nrv ;;
    datos) extensiones='txt|dat|bin|ie3' ;;
    tabla) extensiones=csv ;;
    esquema) extensiones=json ;;
    entrada)
      extensiones='txt|dat|bin|ie3'
      ((esquema)) && extensiones+='|csv' ;;
    c | svg) extensiones=$1 ;;
    fichero) extensiones= ;;
    -) return ;;
    *)
      local -a palabras
      IFS='|' read -ra palabras <<<"$1"
      local IFS=$'\n'
      COMPREPLY+=($(compgen -W "${palabras[*]}" -- "$2"))
      return ;;
  esac
  compopt -o filenames 2>/dev/null
  local IFS=$'\n' extglob
  if [[ -z $extensiones ]]; then
    COMPREPLY+=($(compgen -f -- "$2"))
    return
  fi
  # Either case of the extension; the pattern needs extglob.
  extglob=$(shopt -p extglob)
  shopt -s extglob
  COMPREPLY+=($(compgen -f -X "!*.@($extensiones|${extensiones^^})" -- "$2") $(compgen -d -- "$2"))
  eval "$extglob"
}

# The kind of value that option $1 of the current command takes, in the
# caller's variable tipo; fails for an option without a value.
_nrv_cli_valor() {
  local o
  for o in "${opciones[@]}"; do
    if [[ $o == "$1="* ]]; then
      tipo=${o#*=}
      return 0
    fi
  done
  return 1
}

_nrv_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev= opcion= tipo=
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  # The shell splits "--opción=valor" at "=" into three words.
  if [[ $cur == = && $prev == --* ]]; then
    opcion=$prev
    cur=
  elif [[ $prev == = ]] && ((COMP_CWORD > 1)) && [[ ${COMP_WORDS[COMP_CWORD - 2]} == --* ]]; then
    opcion=${COMP_WORDS[COMP_CWORD - 2]}
  fi

  # The command, and how many of its arguments come before the current word.
  local orden= i palabra n=0 solo=0 esquema=0
  local -a argumentos=() opciones=()
  for ((i = 1; i < COMP_CWORD; i++)); do
    palabra=${COMP_WORDS[i]}
    if [[ -z $orden ]]; then
      [[ $palabra == -* ]] && continue
      orden=$palabra
      if [[ $orden == help || $orden == ayuda ]]; then
        ((COMP_CWORD == i + 1)) && COMPREPLY=($(compgen -W "${_nrv_cli_ordenes% help}" -- "$cur"))
        return 0
      fi
      _nrv_cli_orden "$orden" || return 0
    elif ((solo)) || [[ $palabra != -?* ]]; then
      n=$((n + 1))
    elif [[ $palabra == -- ]]; then
      solo=1
    elif [[ $palabra == --esquema=?* ]]; then
      esquema=1
    elif _nrv_cli_valor "$palabra"; then
      [[ $palabra == --esquema ]] && esquema=1
      # Its value is the next word, or the two after it ("--x=valor").
      if [[ ${COMP_WORDS[i + 1]} == = ]]; then i=$((i + 2)); else i=$((i + 1)); fi
    fi
  done

  if [[ -z $orden ]]; then
    if [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W '--help --version' -- "$cur"))
    else
      COMPREPLY=($(compgen -W "$_nrv_cli_ordenes" -- "$cur"))
    fi
    return 0
  fi

  # The value of an option.
  [[ -z $opcion ]] && ((!solo)) && [[ $prev == --* ]] && opcion=$prev
  if [[ -n $opcion ]] && _nrv_cli_valor "$opcion"; then
    _nrv_cli_ficheros "$tipo" "$cur"
  elif [[ $cur == -* ]] && ((!solo)); then
    local nombres=(--help "${opciones[@]%%=*}")
    COMPREPLY=($(compgen -W "${nombres[*]}" -- "$cur"))
  elif ((n < ${#argumentos[@]})); then
    _nrv_cli_ficheros "${argumentos[n]}" "$cur"
  fi
  return 0
} &&
  complete -F _nrv_cli nrv-cli
