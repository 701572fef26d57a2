// A network as C source: one self-contained C99 file with the shape, the
// weights as exact hexadecimal literals, the sigmoid table and the forward
// pass in the arithmetic's own order, so that any C99 compiler (without
// contraction) gives the same bits as nrv. With a scheme, the scaling of
// raw inputs and the names of the outputs too. nrv-cli exportar and the
// window's Exportar como C call these functions.
#pragma once

#include <string>

#include "data/esquema.h"
#include "framework/resultado.h"
#include "network/aritmetica.h"

// Whether a prefix makes the file's names C identifiers that C does not
// reserve: a letter, then letters, digits or '_' (ASCII).
bool PrefijoCValido(const CString& strPrefijo);
// The prefix a destination gives when none is chosen: its file name without
// the extension, accented Latin letters without their accents, every other
// character made one '_' ("iris-40.c" gives iris_40, "ñandú.c" nandu),
// without '_' in front, with "red_" before a leading digit; "red" when
// nothing is left.
CString PrefijoCDeRuta(const CString& ruta);

struct OpcionesFuenteC {
  CString strPrefijo;             // a valid prefix (PrefijoCValido)
  CString strRed;                 // the network's path, named in the opening comment
  CString strFichero;             // the destination's file name, named there too (empty: prefix.c)
  const CEsquema* pEsquema = nullptr;
  CString strEsquema;             // the scheme's path, named in messages and comments
};

// The source (ASCII but for names in comments, LF line ends). A scheme whose
// inputs or outputs are not the network's is refused, as aplicar refuses it.
Resultado<std::string> FuenteC(const RedPerceptron& red, const OpcionesFuenteC& opciones);
