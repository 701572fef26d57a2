#include "network/exportar_c.h"

#include <algorithm>
#include <cmath>

#include "framework/texto.h"
#include "network/aplicar.h"

namespace {

bool Letra(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool Cifra(char c) { return c >= '0' && c <= '9'; }

CString Mayusculas(CString s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// A double as a C99 literal that reads back to the same bits: hexadecimal
// for finite values (exact in every conforming compiler, unlike decimal).
// An infinite weight is HUGE_VAL; a NaN weight makes every net it reaches
// NaN, which the activation turns into nrv's own NaN, so NAN will do.
CString Literal(double v) {
  if (std::isnan(v)) return "NAN";
  if (std::isinf(v)) return v > 0 ? "HUGE_VAL" : "-HUGE_VAL";
  return FormatC("%a", v);
}

// Text for a comment: a "*/" in a path or a name would end it.
CString EnComentario(CString s) {
  for (std::size_t i; (i = s.find("*/")) != CString::npos;) s.replace(i, 2, "* /");
  return s;
}

// A C string literal of UTF-8 text: printable ASCII as it is, everything
// else in octal escapes (three digits, so no following digit is taken in),
// and '?' escaped against trigraphs.
CString LiteralCadena(const CString& s) {
  CString r = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\' || c == '?') {
      r += '\\';
      r += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      r += static_cast<char>(c);
    } else {
      r += FormatC("\\%03o", c);
    }
  }
  return r + "\"";
}

// The most characters C99 requires a compiler to take in one string
// literal; a longer name goes in a char array of its own.
constexpr std::size_t kLiteralMaximo = 4095;

// The names of a list of strings, one per line ("    x,"), and before it
// the char arrays of the names too long for a literal.
void Cadenas(CString& antes, CString& lista, const CString& p, const char* nombre, const std::vector<CString>& v) {
  for (std::size_t k = 0; k < v.size(); ++k) {
    CString elemento = LiteralCadena(v[k]);
    if (v[k].size() > kLiteralMaximo) {
      elemento = FormatC("%s_%s_%zu", p.c_str(), nombre, k);
      antes += "\nstatic const char " + elemento + "[] = {";
      for (std::size_t i = 0; i < v[k].size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(v[k][i]);
        antes += i % 12 == 0 ? "\n    " : " ";
        if (c == '\'' || c == '\\')
          antes += FormatC("'\\%c',", c);
        else if (c >= 0x20 && c < 0x7F)
          antes += FormatC("'%c',", c);
        else
          antes += FormatC("'\\%03o',", c);
      }
      antes += "\n    0\n};\n";
    }
    lista += "    " + elemento + (k + 1 < v.size() ? ",\n" : "\n");
  }
}

// Values in rows of four, indented, comma-separated.
void Valores(CString& s, const double* v, UINT n, const char* sangria) {
  for (UINT i = 0; i < n; ++i) {
    if (i % 4 == 0) s += i == 0 ? sangria : CString(",\n") + sangria;
    else s += ", ";
    s += Literal(v[i]);
  }
}

// A matrix of weights as a static array; its dimensions are at least 1, as
// C asks, whatever the network's.
void Matriz(CString& s, const CString& nombre, const CMatrizReales& m, UINT filas, UINT columnas) {
  s += FormatC("static const double %s[%u][%u] = {\n", nombre.c_str(), filas ? filas : 1, columnas ? columnas : 1);
  if (filas == 0 || columnas == 0 || m.m_ppFilas == nullptr) {
    s += "    {0}\n};\n";
    return;
  }
  for (UINT i = 0; i < filas; ++i) {
    s += FormatC("    /* %u */ {\n", i);
    Valores(s, m.m_ppFilas[i], columnas, "        ");
    s += i + 1 < filas ? "},\n" : "}\n";
  }
  s += "};\n";
}

// Text of a comment in lines of at most 79 characters (a longer word stands
// alone), each after the indentation, each ended by a newline.
CString Parrafo(const CString& texto, const char* sangria) {
  CString r, linea = sangria;
  const std::size_t vacia = linea.size();
  std::size_t i = 0;
  while (i < texto.size()) {
    const std::size_t fin = std::min(texto.find(' ', i), texto.size());
    const CString palabra = texto.substr(i, fin - i);
    if (linea.size() > vacia && linea.size() + 1 + palabra.size() > 79) {
      r += linea + "\n";
      linea = sangria;
    }
    linea += (linea.size() > vacia ? " " : "") + palabra;
    i = fin + 1;
  }
  return r + linea + "\n";
}

CString Lista(const std::vector<CString>& v) {
  CString s;
  for (std::size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + v[i];
  return s;
}

// The columns of a use, in the scheme's order.
std::vector<const ColumnaEsquema*> Columnas(const CEsquema& e, UsoColumna uso) {
  std::vector<const ColumnaEsquema*> v;
  for (const ColumnaEsquema& c : e.columnas)
    if (c.uso == uso) v.push_back(&c);
  return v;
}

std::vector<CString> Nombres(const std::vector<const ColumnaEsquema*>& cols, const char* generico) {
  std::vector<CString> v;
  for (std::size_t i = 0; i < cols.size(); ++i)
    v.push_back(cols[i]->strNombre.empty() ? FormatC("%s%zu", generico, i + 1) : cols[i]->strNombre);
  return v;
}

// The minimum, maximum and whether scaled of a list of columns, as arrays,
// and the function that applies them as CEsquema::Escalar or Desescalar.
void Escala(CString& s, const CString& p, const char* sufijo, const std::vector<const ColumnaEsquema*>& cols) {
  const UINT n = static_cast<UINT>(cols.size());
  std::vector<double> minimo, maximo;
  CString escalada;
  for (UINT i = 0; i < n; ++i) {
    minimo.push_back(cols[i]->bEscalada ? cols[i]->dMinimo : 0.0);
    maximo.push_back(cols[i]->bEscalada ? cols[i]->dMaximo : 0.0);
    escalada += CString(i % 16 == 0 ? (i ? ",\n    " : "    ") : ", ") + (cols[i]->bEscalada ? "1" : "0");
  }
  s += FormatC("static const double %s_minimo_%s[%u] = {\n", p.c_str(), sufijo, n);
  Valores(s, minimo.data(), n, "    ");
  s += "\n};\n";
  s += FormatC("static const double %s_maximo_%s[%u] = {\n", p.c_str(), sufijo, n);
  Valores(s, maximo.data(), n, "    ");
  s += "\n};\n";
  s += FormatC("static const unsigned char %s_escalada_%s[%u] = {\n", p.c_str(), sufijo, n);
  s += escalada + "\n};\n";
}

}  // namespace

bool PrefijoCValido(const CString& s) {
  // C reserves the names that begin with '_' at file scope, where these go.
  if (s.empty() || !Letra(s[0]) || s[0] == '_') return false;
  for (char c : s)
    if (!Letra(c) && !Cifra(c)) return false;
  return true;
}

namespace {

// The letter without its accent of a two-byte UTF-8 letter of Latin-1
// (U+00C0 to U+00FF; the second byte given), or 0.
char SinTilde(unsigned char segundo) {
  static const char kLetras[] = "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYTsaaaaaaaceeeeiiiidnooooo/ouuuuyty";
  if (segundo < 0x80 || segundo > 0xBF) return 0;
  const char c = kLetras[segundo - 0x80];
  return Letra(c) ? c : 0;
}

}  // namespace

CString PrefijoCDeRuta(const CString& ruta) {
  CString nombre = ruta.substr(ruta.rfind('/') == CString::npos ? 0 : ruta.rfind('/') + 1);
  if (const std::size_t punto = nombre.rfind('.'); punto != CString::npos) nombre.resize(punto);
  CString p;
  for (std::size_t i = 0; i < nombre.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(nombre[i]);
    if (Letra(char(c)) || Cifra(char(c))) {
      p += char(c);
    } else if (c == 0xC3 && i + 1 < nombre.size() && SinTilde(static_cast<unsigned char>(nombre[i + 1]))) {
      p += SinTilde(static_cast<unsigned char>(nombre[++i]));  // "ñandú" gives nandu
    } else {
      // Any other character, or the bytes of one, as one '_'.
      if (c >= 0xC0)
        while (i + 1 < nombre.size() && (static_cast<unsigned char>(nombre[i + 1]) & 0xC0) == 0x80) ++i;
      p += '_';
    }
  }
  // Never a name C reserves: no '_' in front.
  const std::size_t primera = p.find_first_not_of('_');
  p = primera == CString::npos ? CString() : p.substr(primera);
  if (p.empty()) return "red";
  return Cifra(p[0]) ? "red_" + p : p;
}

Resultado<std::string> FuenteC(const RedPerceptron& red, const OpcionesFuenteC& op) {
  const CEsquema* esquema = op.pEsquema;
  if (esquema)
    if (Resultado<Hecho> r = ComprobarEsquemaRed(red, *esquema, op.strEsquema); !r) return r.GetFallo();
  const CString& p = op.strPrefijo;
  const CString f = op.strFichero.empty() ? p + ".c" : EnComentario(op.strFichero);
  const CString P = Mayusculas(p);
  const UINT nE = red.nEntradas, nH = red.nOcultas, nS = red.nSalidas;
  const auto uno = [](UINT n) { return n ? n : 1u; };

  std::vector<const ColumnaEsquema*> entradas, salidasNumericas;
  std::vector<CString> clases;
  if (esquema) {
    entradas = Columnas(*esquema, UsoColumna::Entrada);
    salidasNumericas = Columnas(*esquema, UsoColumna::Salida);
    if (const ColumnaEsquema* c = esquema->Clase()) clases = c->clases;
  }

  // ---------------------------------------------------------------- the opening comment
  CString s = FormatC("/* %s: la red %s de nrv, en C99.\n   %u %s, %u %s y %u %s", f.c_str(),
                      EnComentario(op.strRed).c_str(), nE, nE == 1 ? "entrada" : "entradas", nH,
                      nH == 1 ? "neurona oculta" : "neuronas ocultas", nS, nS == 1 ? "salida" : "salidas");
  s += esquema ? FormatC("; con el esquema %s.\n", EnComentario(op.strEsquema).c_str()) : CString(".\n");
  s += FormatC(
      "\n"
      "   Compílese con un compilador de C99 y con -ffp-contract=off (sin\n"
      "   multiplicación-suma fusionada), sin -ffast-math ni otra opción que cambie la\n"
      "   aritmética de coma flotante, y enlácese con la biblioteca matemática:\n"
      "       cc -std=c99 -ffp-contract=off -c %s        (y -lm al enlazar)\n"
      "   Así da, para cada entrada, los mismos bits que la propagación de nrv: los\n"
      "   pesos son literales hexadecimales exactos, la tabla de la sigmoide es la de\n"
      "   nrv, y cada suma empieza en 0.0 y sigue el orden creciente de índice, con\n"
      "   cada producto redondeado antes de sumarlo y el peso del umbral sumado al\n"
      "   final. Los double han de evaluarse en binary64 (FLT_EVAL_METHOD 0 o 1, como\n"
      "   en x86-64 y AArch64; en x86 de 32 bits, con -msse2 -mfpmath=sse).\n"
      "\n"
      "   Desde otro fichero:\n"
      "       void %s_propagar(const double *entradas, double *salidas);\n"
      "           %u %s de la red; %u %s, cada una entre 0.0 y 0.999662 (NaN si\n"
      "           alguna entrada lo es o lo produce)\n"
      "       unsigned %s_ganadora(const double *salidas);\n"
      "           la salida mayor (la primera, si hay varias iguales), como la elige nrv\n",
      f.c_str(), p.c_str(), nE, nE == 1 ? "entrada" : "entradas", nS, nS == 1 ? "salida" : "salidas", p.c_str());
  if (esquema) {
    s += FormatC("       void %s_escalar(const double *crudas, double *entradas);\n", p.c_str());
    s += Parrafo("las medidas en bruto (" + EnComentario(Lista(Nombres(entradas, "entrada"))) +
                     "), escaladas como las escala el esquema",
                 "           ");
    if (!clases.empty()) {
      s += FormatC("       extern const char *const %s_clases[%u];\n", p.c_str(), nS);
      s += Parrafo("la clase de cada salida (UTF-8): " + EnComentario(Lista(clases)), "           ");
    } else {
      s += FormatC("       void %s_desescalar(const double *salidas, double *valores);\n", p.c_str());
      s += Parrafo("las salidas en las unidades de sus columnas (" +
                       EnComentario(Lista(Nombres(salidasNumericas, "salida"))) + ")",
                   "           ");
      s += FormatC("       extern const char *const %s_nombres_salidas[%u];\n", p.c_str(), nS);
    }
  }
  s += FormatC(
      "   o bien #include \"%s\", que define además %s_ENTRADAS, %s_OCULTAS y\n"
      "   %s_SALIDAS.\n"
      "*/\n"
      "\n"
      "#include <float.h>\n"
      "#include <math.h>\n"
      "#include <stdint.h>\n"
      "#include <string.h>\n"
      "\n"
      "#ifdef __clang__\n"
      "#pragma STDC FP_CONTRACT OFF\n"
      "#endif\n"
      "#ifdef __FAST_MATH__\n"
      "#error \"compílese sin -ffast-math, que cambia los bits de los resultados\"\n"
      "#endif\n"
      "#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 2\n"
      "#error \"los double se evalúan con precisión extendida; en x86 de 32 bits, compílese con -msse2 -mfpmath=sse\"\n"
      "#endif\n"
      "\n"
      "#define %s_ENTRADAS %u\n"
      "#define %s_OCULTAS %u\n"
      "#define %s_SALIDAS %u\n"
      "\n",
      f.c_str(), P.c_str(), P.c_str(), P.c_str(), P.c_str(), nE,
      P.c_str(), nH, P.c_str(), nS);

  // ---------------------------------------------------------------- weights and table
  s += "/* Pesos de la capa oculta: una fila por neurona, con el peso de cada entrada\n"
       "   y, al final, el del umbral (su entrada es la constante 1). */\n";
  Matriz(s, p + "_pesos_oculta", *red.pPesosOculta, nH, nE + 1);
  s += "\n/* Pesos de la capa de salida: una fila por salida, con el peso de cada neurona\n"
       "   oculta y, al final, el del umbral. */\n";
  Matriz(s, p + "_pesos_salida", *red.pPesosSalida, nS, nH + 1);
  s += "\n/* La tabla de la sigmoide de nrv: la entrada i es 1/(1+exp(-(i-1024)/128))\n"
       "   redondeada a 6 decimales, es decir, la sigmoide en -8 + i/128. */\n";
  s += FormatC("static const double %s_tabla[2048] = {\n", p.c_str());
  for (UINT i = 0; i < 2048; i += 4) {
    s += FormatC("    /* %4u */ ", i);
    for (UINT k = i; k < i + 4; ++k) s += Literal(TablaSigmoide[k]) + (k + 1 < 2048 ? (k + 1 < i + 4 ? ", " : ",") : "");
    s += "\n";
  }
  s += "};\n\n";

  // ---------------------------------------------------------------- the arithmetic
  s += FormatC(
      "/* La activación de nrv: 0.999 por encima de 8, 0.0 por debajo de -8, el NaN\n"
      "   de nrv para un NaN; si no, la entrada de la tabla más cercana a\n"
      "   t = 1024 + 128 net, con un medio exacto hacia abajo. Las entradas netas\n"
      "   de (7.99609375, 8] darían el índice 2048: toman la última entrada. */\n"
      "static double %s_sigmoide(double net)\n"
      "{\n"
      "    double t, c;\n"
      "    unsigned indice;\n"
      "    if (net > 8.0)\n"
      "        return %s; /* 0.999 */\n"
      "    if (net < -8.0)\n"
      "        return 0.0;\n"
      "    if (net != net) {\n"
      "        /* Positivo, silencioso y sin carga. */\n"
      "        const uint64_t bits = UINT64_C(0x7ff8000000000000);\n"
      "        double nan;\n"
      "        memcpy(&nan, &bits, sizeof nan);\n"
      "        return nan;\n"
      "    }\n"
      "    t = 1024.0 + 128.0 * net;\n"
      "    c = ceil(t);\n"
      "    indice = c - t < 0.5 ? (unsigned)c : (unsigned)floor(t);\n"
      "    if (indice > 2047)\n"
      "        indice = 2047;\n"
      "    return %s_tabla[indice];\n"
      "}\n"
      "\n"
      "/* La propagación de nrv: cada neurona suma desde 0.0 los productos de sus\n"
      "   pesos por sus entradas en orden creciente y después añade el umbral:\n"
      "   net = umbral + suma. Primero la capa oculta, después la de salida. */\n"
      "void %s_propagar(const double *entradas, double *salidas)\n"
      "{\n"
      "    double ocultas[%u];\n"
      "    unsigned i, j, k;\n"
      "    for (i = 0; i < %s_OCULTAS; ++i) {\n"
      "        const double *w = %s_pesos_oculta[i];\n"
      "        double s = 0.0;\n"
      "        for (j = 0; j < %s_ENTRADAS; ++j)\n"
      "            s += w[j] * entradas[j];\n"
      "        ocultas[i] = %s_sigmoide(w[%s_ENTRADAS] + s);\n"
      "    }\n"
      "    for (k = 0; k < %s_SALIDAS; ++k) {\n"
      "        const double *w = %s_pesos_salida[k];\n"
      "        double s = 0.0;\n"
      "        for (i = 0; i < %s_OCULTAS; ++i)\n"
      "            s += w[i] * ocultas[i];\n"
      "        salidas[k] = %s_sigmoide(w[%s_OCULTAS] + s);\n"
      "    }\n"
      "}\n"
      "\n"
      "unsigned %s_ganadora(const double *salidas)\n"
      "{\n"
      "    unsigned k, g = 0;\n"
      "    for (k = 1; k < %s_SALIDAS; ++k)\n"
      "        if (salidas[k] > salidas[g])\n"
      "            g = k;\n"
      "    return g;\n"
      "}\n",
      p.c_str(), Literal(0.999).c_str(), p.c_str(), p.c_str(), uno(nH), P.c_str(), p.c_str(), P.c_str(), p.c_str(),
      P.c_str(), P.c_str(), p.c_str(), P.c_str(), p.c_str(), P.c_str(), p.c_str(), P.c_str());

  // ---------------------------------------------------------------- the scheme
  if (esquema) {
    CString nota = Parrafo("Escala de las entradas del esquema " + EnComentario(op.strEsquema) + ", en su orden (" +
                               EnComentario(Lista(Nombres(entradas, "entrada"))) +
                               "): (v - mínimo) / (máximo - mínimo), o v - mínimo si ambos coinciden; una entrada "
                               "sin escala pasa tal cual. Son las operaciones de nrv en su orden, así que los "
                               "valores escalados son los mismos, bit a bit. */",
                           "   ");
    s += "\n/*" + nota.substr(2);
    Escala(s, p, "entrada", entradas);
    s += FormatC(
        "\n"
        "void %s_escalar(const double *crudas, double *entradas)\n"
        "{\n"
        "    unsigned j;\n"
        "    for (j = 0; j < %s_ENTRADAS; ++j) {\n"
        "        if (%s_escalada_entrada[j]) {\n"
        "            const double rango = %s_maximo_entrada[j] - %s_minimo_entrada[j];\n"
        "            entradas[j] = rango > 0.0 ? (crudas[j] - %s_minimo_entrada[j]) / rango\n"
        "                                      : crudas[j] - %s_minimo_entrada[j];\n"
        "        } else {\n"
        "            entradas[j] = crudas[j];\n"
        "        }\n"
        "    }\n"
        "}\n",
        p.c_str(), P.c_str(), p.c_str(), p.c_str(), p.c_str(), p.c_str(), p.c_str());
    if (!clases.empty()) {
      CString antes, lista;
      Cadenas(antes, lista, p, "clase", clases);
      s += antes;
      s += FormatC("\n/* La clase de cada salida, en el orden del esquema. */\nconst char *const %s_clases[%u] = {\n",
                   p.c_str(), nS);
      s += lista + "};\n";
    } else {
      s += "\n/* Escala de las salidas numéricas: cada salida vuelve a las unidades de su\n"
           "   columna como en nrv, mínimo + v (máximo - mínimo), o mínimo + v. */\n";
      Escala(s, p, "salida", salidasNumericas);
      s += FormatC(
          "\n"
          "void %s_desescalar(const double *salidas, double *valores)\n"
          "{\n"
          "    unsigned k;\n"
          "    for (k = 0; k < %s_SALIDAS; ++k) {\n"
          "        if (%s_escalada_salida[k]) {\n"
          "            const double rango = %s_maximo_salida[k] - %s_minimo_salida[k];\n"
          "            valores[k] = rango > 0.0 ? %s_minimo_salida[k] + salidas[k] * rango\n"
          "                                     : %s_minimo_salida[k] + salidas[k];\n"
          "        } else {\n"
          "            valores[k] = salidas[k];\n"
          "        }\n"
          "    }\n"
          "}\n",
          p.c_str(), P.c_str(), p.c_str(), p.c_str(), p.c_str(), p.c_str(), p.c_str());
      CString antes, lista;
      Cadenas(antes, lista, p, "nombre_salida", esquema->NombresSalidas());
      s += antes;
      s += FormatC("\nconst char *const %s_nombres_salidas[%u] = {\n", p.c_str(), nS);
      s += lista + "};\n";
    }
  }
  return std::string(s);
}
