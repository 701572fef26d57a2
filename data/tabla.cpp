// Tables read with libcsv in its strict mode (RFC 4180 quoting; blanks
// around unquoted cells dropped), fed one line at a time so that every row
// knows the line where it begins.
#include "data/tabla.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <new>
#include <unordered_set>

#include <unistd.h>

#include "data/conjunto.h"
#include "framework/fichero.h"
#include "framework/texto.h"

// ---------------------------------------------------------------- FilasTabla

FilasTabla::Fila::Fila(const FilasTabla& t, std::size_t r) : m_pFilas(&t) {
  m_nPrimera = r == 0 ? 0 : t.m_finFila[r - 1];
  m_nCeldas = t.m_finFila[r] - m_nPrimera;
  m_nBase = t.m_inicioFila[r];
}

std::string_view FilasTabla::Fila::Vista(std::size_t c) const {
  const std::vector<std::uint32_t>& fin = m_pFilas->m_finCelda;
  const std::size_t a = c == 0 ? 0 : fin[m_nPrimera + c - 1], b = fin[m_nPrimera + c];
  return std::string_view(m_pFilas->m_texto).substr(m_nBase + a, b - a);
}

std::vector<CString> FilasTabla::Fila::Celdas() const {
  std::vector<CString> v;
  v.reserve(m_nCeldas);
  for (std::size_t c = 0; c < m_nCeldas; ++c) v.emplace_back(Vista(c));
  return v;
}

bool FilasTabla::Fila::operator==(const std::vector<CString>& v) const {
  if (v.size() != m_nCeldas) return false;
  for (std::size_t c = 0; c < m_nCeldas; ++c)
    if (Vista(c) != v[c]) return false;
  return true;
}

void FilasTabla::Reservar(std::size_t nBytes, std::size_t nCeldas, std::size_t nFilas) {
  m_texto.reserve(nBytes);
  m_finCelda.reserve(nCeldas);
  m_inicioFila.reserve(nFilas);
  m_finFila.reserve(nFilas);
}

void FilasTabla::AnadirCelda(std::string_view celda) {
  m_texto.append(celda);
  const std::size_t fin = m_texto.size() - m_nInicioPendiente;
  // A row of more than 4 GiB of text: no table a user imports.
  if (fin > UINT32_MAX) throw std::bad_alloc();
  m_finCelda.push_back(static_cast<std::uint32_t>(fin));
}

void FilasTabla::CerrarFila() {
  m_inicioFila.push_back(m_nInicioPendiente);
  m_finFila.push_back(m_finCelda.size());
  m_nInicioPendiente = m_texto.size();
}

void FilasTabla::DescartarFila() {
  m_texto.resize(m_nInicioPendiente);
  m_finCelda.resize(m_finFila.empty() ? 0 : m_finFila.back());
}

void FilasTabla::QuitarPrimera() { ++m_nQuitadas; }

void FilasTabla::resize(std::size_t n) {
  const std::size_t filas = n + m_nQuitadas;
  if (filas >= m_finFila.size()) return;
  m_texto.resize(m_inicioFila[filas]);
  m_finCelda.resize(filas == 0 ? 0 : m_finFila[filas - 1]);
  m_inicioFila.resize(filas);
  m_finFila.resize(filas);
  m_nInicioPendiente = m_texto.size();
}

void FilasTabla::Liberar() { *this = FilasTabla(); }

bool FilasTabla::operator==(const std::vector<std::vector<CString>>& v) const {
  if (v.size() != size()) return false;
  for (std::size_t r = 0; r < v.size(); ++r)
    if (!((*this)[r] == v[r])) return false;
  return true;
}

namespace {

// Rows looked at to settle the syntax.
constexpr UINT kFilasMuestra = 50;

// UTF-16 by its byte-order mark, or by the NUL that every other byte of
// its Latin text is.
bool EsUtf16(const std::string& s) {
  if (s.compare(0, 2, "\xFF\xFE") == 0 || s.compare(0, 2, "\xFE\xFF") == 0) return true;
  const std::size_t n = std::min<std::size_t>(s.size(), 512) / 2 * 2;
  if (n < 4) return false;
  std::size_t nulos[2] = {0, 0};
  for (std::size_t i = 0; i < n; ++i)
    if (s[i] == '\0') ++nulos[i % 2];
  const std::size_t mitad = n / 2;
  const auto muchos = [mitad](std::size_t k) { return k * 4 >= mitad * 3; };
  const auto pocos = [mitad](std::size_t k) { return k * 4 <= mitad; };
  return (muchos(nulos[0]) && pocos(nulos[1])) || (muchos(nulos[1]) && pocos(nulos[0]));
}

bool EsBlanco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The parser's state while it is fed: the rows made so far (the one being
// made among them, open) and the line where it began.
struct Lectura {
  FilasTabla* pFilas;
  std::vector<UINT>* pLineas;
  UINT nLinea = 0;        // line being fed
  UINT nLineaFila = 0;    // line where the row in progress began; 0: none yet
  UINT nMax = 0;          // stop after this many rows (0: all)
  bool Lleno() const { return nMax != 0 && pFilas->size() >= nMax; }
};

extern "C" void AlCampo(void* s, std::size_t n, void* datos) {
  auto* l = static_cast<Lectura*>(datos);
  l->pFilas->AnadirCelda(s ? std::string_view(static_cast<const char*>(s), n) : std::string_view());
}

extern "C" void AlFila(int, void* datos) {
  auto* l = static_cast<Lectura*>(datos);
  if (!l->Lleno()) {
    l->pFilas->CerrarFila();
    l->pLineas->push_back(l->nLineaFila ? l->nLineaFila : l->nLinea);
  } else {
    l->pFilas->DescartarFila();
  }
  l->nLineaFila = 0;
}

// A parse that went wrong: the line and what.
struct ErrorAnalisis {
  UINT nLinea = 0;
  bool bSinCerrar = false;  // a quote opened and never closed
};

// Splits texto into rows with separator sep. False on a quoting error.
// Without bFinal the text is only the start of the file: a row it leaves
// unfinished is dropped, not refused.
bool Analizar(const std::string& texto, char sep, UINT nMax, bool bFinal, FilasTabla& filas, std::vector<UINT>& lineas,
              ErrorAnalisis& error) {
  csv_parser p;
  if (csv_init(&p, CSV_STRICT | CSV_STRICT_FINI) != 0) throw std::bad_alloc();
  csv_set_delim(&p, static_cast<unsigned char>(sep));
  Lectura l{&filas, &lineas, 0, 0, nMax};
  if (nMax == 0) {
    // A whole table: room for all of it at once, never twice its size
    // while a buffer grows. Its cells are at most its separators and line
    // ends, and their text at most its bytes.
    const std::size_t nLineas = std::size_t(std::count(texto.begin(), texto.end(), '\n')) + 1;
    filas.Reservar(texto.size(), std::size_t(std::count(texto.begin(), texto.end(), sep)) + nLineas, nLineas);
    lineas.reserve(nLineas);
  }
  bool bien = true;
  std::size_t i = 0;
  while (i < texto.size() && !l.Lleno()) {
    // A line ends with LF, CR LF or a lone CR, as libcsv ends a row.
    std::size_t j = texto.find_first_of("\r\n", i);
    if (j == std::string::npos) j = texto.size();
    else if (texto[j] == '\r' && j + 1 < texto.size() && texto[j + 1] == '\n') j += 2;
    else ++j;
    ++l.nLinea;
    // A row begins on the first line that holds something.
    if (l.nLineaFila == 0 && !filas.FilaEmpezada() &&
        std::any_of(texto.begin() + static_cast<std::ptrdiff_t>(i), texto.begin() + static_cast<std::ptrdiff_t>(j),
                    [](char c) { return !EsBlanco(c); }))
      l.nLineaFila = l.nLinea;
    if (csv_parse(&p, texto.data() + i, j - i, AlCampo, AlFila, &l) != j - i) {
      if (csv_error(&p) == CSV_ENOMEM || csv_error(&p) == CSV_ETOOBIG) {
        csv_free(&p);
        throw std::bad_alloc();
      }
      error.nLinea = l.nLinea;
      bien = false;
      break;
    }
    i = j;
  }
  if (bien && !l.Lleno() && bFinal && csv_fini(&p, AlCampo, AlFila, &l) != 0) {
    error.nLinea = l.nLineaFila ? l.nLineaFila : l.nLinea;
    error.bSinCerrar = true;
    bien = false;
  }
  csv_free(&p);
  // A row left unfinished is no row.
  filas.DescartarFila();
  return bien;
}

bool EsNumerica(ClaseCelda c) { return c != ClaseCelda::Texto; }

// Whether a first row read as a sample is unlike all the rows after it: in
// every numeric column its number lies farther from theirs than they lie
// from one another, and in every other column its text is none of theirs
// (a header of years over rows of measures).
bool PrimeraFilaAjena(const FilasTabla& todas, char cDecimal) {
  const std::size_t nFilas = std::min<std::size_t>(todas.size(), kFilasMuestra);
  std::vector<std::vector<CString>> filas;
  for (std::size_t r = 0; r < nFilas; ++r) filas.push_back(todas[r].Celdas());
  // Too few rows say nothing of their spread.
  if (filas.size() < 4) return false;
  const std::vector<CString>& primera = filas[0];
  bool numerica = false;
  for (std::size_t i = 0; i < primera.size(); ++i) {
    double v0 = 0.0, v = 0.0, minimo = 0.0, maximo = 0.0;
    const bool numero0 = LeerCelda(primera[i], cDecimal, v0) == ClaseCelda::Numero;
    bool numeros = true, visto = false;
    for (std::size_t r = 1; r < filas.size(); ++r) {
      if (i >= filas[r].size()) return false;
      if (LeerCelda(filas[r][i], cDecimal, v) != ClaseCelda::Numero) {
        numeros = false;
        continue;
      }
      minimo = visto ? std::min(minimo, v) : v;
      maximo = visto ? std::max(maximo, v) : v;
      visto = true;
    }
    if (numeros && numero0) {
      const double distancia = v0 < minimo ? minimo - v0 : v0 - maximo;
      if (!(distancia > maximo - minimo)) return false;
      numerica = true;
    } else if (numeros) {
      return false;
    } else {
      for (std::size_t r = 1; r < filas.size(); ++r)
        if (filas[r][i] == primera[i]) return false;
    }
  }
  return numerica;
}

// A comma is the decimal mark when some cell reads as a number with it and
// not with a point.
bool HayComasDecimales(const FilasTabla& filas) {
  double v = 0.0;
  for (std::size_t r = 0; r < filas.size() && r < kFilasMuestra; ++r)
    for (const CString& c : filas[r].Celdas())
      if (c.find(',') != CString::npos && LeerCelda(c, ',', v) == ClaseCelda::Numero) return true;
  return false;
}

}  // namespace

ClaseCelda LeerCelda(const CString& celda, char cDecimal, double& dValor) {
  std::size_t a = 0, b = celda.size();
  while (a < b && (celda[a] == ' ' || celda[a] == '\t')) ++a;
  while (b > a && (celda[b - 1] == ' ' || celda[b - 1] == '\t')) --b;
  CString s = celda.substr(a, b - a);
  // The words of NaN and the infinities, signed or not, in any case.
  CString palabra = s;
  if (!palabra.empty() && (palabra[0] == '+' || palabra[0] == '-')) palabra.erase(0, 1);
  for (char& c : palabra) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (palabra == "nan" || palabra == "inf" || palabra == "infinity") {
    dValor = std::nan("");
    return ClaseCelda::NoFinito;
  }
  // [sign] digits [mark digits] [e [sign] digits]
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t cifras = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++cifras;
  if (i < s.size() && s[i] == cDecimal) {
    s[i] = '.';
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++cifras;
  }
  if (cifras == 0) return ClaseCelda::Texto;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exp = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++exp;
    if (exp == 0) return ClaseCelda::Texto;
  }
  if (i != s.size()) return ClaseCelda::Texto;
  dValor = AtofC(s.c_str());
  return std::isfinite(dValor) ? ClaseCelda::Numero : ClaseCelda::NoFinito;
}

CString CeldaEnMensaje(const CString& celda, std::size_t nMax) {
  CString s;
  std::size_t caracteres = 0;
  for (std::size_t i = 0; i < celda.size(); ++i) {
    const auto c = static_cast<unsigned char>(celda[i]);
    // A character begins at every byte but UTF-8's continuation bytes.
    if ((c & 0xC0) != 0x80 && caracteres++ == nMax && nMax != 0) return s + "…";
    if (c == '\n') s += "\\n";
    else if (c == '\r') s += "\\r";
    else if (c == '\t') s += "\\t";
    else if (c == 0) s += "\\0";
    else if (c < 0x20 || c == 0x7F) s += FormatC("\\x%02x", c);
    // The C1 controls, U+0080 to U+009F, that some terminals obey too.
    else if (c == 0xC2 && i + 1 < celda.size() && static_cast<unsigned char>(celda[i + 1]) < 0xA0 &&
             static_cast<unsigned char>(celda[i + 1]) >= 0x80)
      s += FormatC("\\u%04x", static_cast<unsigned char>(celda[++i]));
    else s += static_cast<char>(c);
  }
  return s;
}

CString NombreSeparador(char c) { return c == '\t' ? CString("tab") : CString(1, c); }

CString NombreColumna(const Tabla& tabla, UINT nColumna) {
  CString s = FormatC("columna %u", nColumna + 1);
  if (nColumna < tabla.cabecera.size() && !tabla.cabecera[nColumna].empty())
    s += " (" + CeldaEnMensaje(tabla.cabecera[nColumna]) + ")";
  return s;
}

Resultado<Tabla> LeerTabla(const CString& ruta, const OpcionesTabla& opciones, UINT nMaxFilas) {
  // Only a regular file, opened without waiting on it; a preview takes
  // enough of it for its first rows.
  constexpr std::size_t kVistaPrevia = std::size_t(1) << 20;
  std::string bytes;
  if (!AfxLeerFicheroRegular(ruta, bytes, nMaxFilas == 0 ? std::size_t(-1) : kVistaPrevia + 1)) {
    if (errno == EISDIR) return Fallo{FormatC("No se ha podido abrir la tabla %s: es una carpeta.", ruta.c_str())};
    if (errno == EINVAL)
      return Fallo{FormatC("No se ha podido abrir la tabla %s: no es un fichero corriente (es un dispositivo, una "
                           "tubería o un enchufe).",
                           ruta.c_str())};
    if (errno == ENOENT || errno == EACCES) return Fallo{FormatC("No se ha podido abrir la tabla %s.", ruta.c_str())};
    return Fallo{FormatC("No se ha podido leer la tabla %s.", ruta.c_str())};
  }
  // A file of the system (/proc) says it measures 0 bytes and yet has
  // something to read: it is not empty, only not a table nrv can read.
  if (bytes.empty()) {
    const int fd = AfxAbrirFicheroRegular(ruta, nullptr);
    char c = 0;
    const bool hayAlgo = fd >= 0 && ::read(fd, &c, 1) == 1;
    if (fd >= 0) ::close(fd);
    if (hayAlgo)
      return Fallo{FormatC("No se ha podido leer la tabla %s: el sistema la da como vacía y tiene contenido (¿es "
                           "un fichero del sistema?); cópiela antes a un fichero corriente.",
                           ruta.c_str())};
  }
  bool bFinal = true;
  if (nMaxFilas != 0 && bytes.size() > kVistaPrevia) {
    bytes.resize(kVistaPrevia);
    bFinal = false;
  }
  return LeerTablaParte(ruta, bytes, opciones, nMaxFilas, bFinal);
}

Resultado<Tabla> LeerTablaBytes(const CString& ruta, const std::string& bytes, const OpcionesTabla& opciones,
                                UINT nMaxFilas) {
  return LeerTablaParte(ruta, bytes, opciones, nMaxFilas, true);
}

Resultado<Tabla> LeerTablaParte(const CString& ruta, const std::string& bytesDados, const OpcionesTabla& opciones,
                                UINT nMaxFilas, bool bFinal) {
  const char* nombre = ruta.c_str();
  if (EsUtf16(bytesDados))
    return Fallo{FormatC("%s: la tabla está en UTF-16; guárdela en UTF-8 (o Windows-1252) para importarla.", nombre)};
  // The bytes as they are, without a copy, unless they must change.
  std::string convertido;
  const std::string* pTexto = &bytesDados;
  if (bytesDados.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    convertido = bytesDados.substr(3);
    pTexto = &convertido;
  }
  // Text that is not UTF-8 comes from a Windows-1252 program.
  if (!EsUtf8(*pTexto)) {
    convertido = Cp1252AUtf8(*pTexto);
    pTexto = &convertido;
  }
  const std::string& texto = *pTexto;

  Tabla t;
  t.strRuta = ruta;
  // The separator: the first of tab, semicolon and comma that splits the
  // first rows into the same number (two or more) of cells; failing that,
  // the one that gives the first row most cells.
  if (opciones.cSeparador != 0) {
    t.cSeparador = opciones.cSeparador;
  } else {
    char mejor = ',';
    std::size_t mejorCeldas = 0;
    bool hallado = false;
    for (char sep : {'\t', ';', ','}) {
      FilasTabla filas;
      std::vector<UINT> lineas;
      ErrorAnalisis e;
      const bool bien = Analizar(texto, sep, kFilasMuestra, bFinal, filas, lineas, e);
      if (filas.empty()) continue;
      const std::size_t n = filas[0].size();
      bool iguales = true;
      for (std::size_t r = 0; r < filas.size(); ++r) iguales = iguales && filas[r].size() == n;
      if (bien && n >= 2 && iguales) {
        t.cSeparador = sep;
        hallado = true;
        break;
      }
      if (n > mejorCeldas) {
        mejorCeldas = n;
        mejor = sep;
      }
    }
    if (!hallado) t.cSeparador = mejor;
  }

  ErrorAnalisis e;
  if (!Analizar(texto, t.cSeparador, nMaxFilas, bFinal, t.filas, t.lineas, e)) {
    if (e.bSinCerrar) return Fallo{FormatC("%s, línea %u: unas comillas abiertas no se cierran.", nombre, e.nLinea)};
    return Fallo{FormatC("%s, línea %u: hay comillas fuera de lugar (una celda con comillas va entera entre "
                         "comillas, y las de dentro, dobladas).",
                         nombre, e.nLinea)};
  }
  t.bCompleta = bFinal && (nMaxFilas == 0 || t.filas.size() < nMaxFilas);
  // libcsv makes no row of a line without cells (blank lines).
  if (t.filas.empty()) return Fallo{FormatC("%s: la tabla está vacía.", nombre)};

  if (opciones.cDecimal != 0)
    t.cDecimal = opciones.cDecimal;
  else
    t.cDecimal = t.cSeparador != ',' && HayComasDecimales(t.filas) ? ',' : '.';
  if (t.cDecimal == t.cSeparador)
    return Fallo{FormatC("%s: el separador y la marca decimal no pueden ser el mismo carácter (%s).", nombre,
                         NombreSeparador(t.cSeparador).c_str())};

  // A header: the first row has a cell that is not a number where the
  // second row has a number.
  if (opciones.nCabecera >= 0) {
    t.bCabecera = opciones.nCabecera == 1;
  } else if (t.filas.size() >= 2) {
    const auto a = t.filas[0];
    const auto b = t.filas[1];
    double v = 0.0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()) && !t.bCabecera; ++i)
      t.bCabecera = !EsNumerica(LeerCelda(a[i], t.cDecimal, v)) && EsNumerica(LeerCelda(b[i], t.cDecimal, v));
  } else {
    // A lone row of names is a header without rows, not a sample.
    double v = 0.0;
    const std::vector<CString> primera = t.filas[0].Celdas();
    t.bCabecera = std::none_of(primera.begin(), primera.end(),
                               [&](const CString& c) { return c.empty() || EsNumerica(LeerCelda(c, t.cDecimal, v)); });
  }
  if (!t.bCabecera && opciones.nCabecera < 0 && PrimeraFilaAjena(t.filas, t.cDecimal))
    t.strDuda = FormatC("%s, línea %u: la primera fila se lee como una muestra, pero no se parece a las demás "
                        "(¿es la cabecera?); diga si la tabla tiene cabecera o no.",
                        nombre, t.lineas[0]);
  if (t.bCabecera) {
    t.cabecera = t.filas.front().Celdas();
    // A header cell left empty (a spreadsheet's index column) still names
    // its column, with a name that no other cell has.
    std::unordered_set<CString> nombres(t.cabecera.begin(), t.cabecera.end());
    for (std::size_t i = 0; i < t.cabecera.size(); ++i)
      if (t.cabecera[i].empty()) {
        CString n = FormatC("columna %zu", i + 1);
        for (UINT k = 2; nombres.count(n); ++k) n = FormatC("columna %zu (%u)", i + 1, k);
        nombres.insert(n);
        t.cabecera[i] = n;
      }
    t.filas.QuitarPrimera();
    t.lineas.erase(t.lineas.begin());
    if (t.filas.empty()) return Fallo{FormatC("%s: la tabla solo tiene la cabecera; le faltan las filas.", nombre)};
    t.nColumnas = static_cast<UINT>(t.cabecera.size());
  } else {
    t.nColumnas = static_cast<UINT>(t.filas[0].size());
  }
  return t;
}

Resultado<Hecho> ComprobarCeldas(const Tabla& t) {
  for (std::size_t r = 0; r < t.filas.size(); ++r)
    if (t.filas[r].size() != t.nColumnas)
      return Fallo{FormatC("%s, línea %u: tiene %zu celdas y %s %u.", t.strRuta.c_str(), t.lineas[r],
                           t.filas[r].size(), t.bCabecera ? "la cabecera" : "la primera fila", t.nColumnas)};
  return Hecho{};
}

bool PareceTabla(const CString& ruta) {
  if (CConjuntoDatos::TipoFichero(ruta) != 0) return false;
  // Its first data line, among the first bytes of a regular file only.
  std::string bytes;
  if (!AfxLeerFicheroRegular(ruta, bytes, std::size_t(64) << 10)) return false;
  std::size_t ini = 0;
  while (ini < bytes.size()) {
    std::size_t fin = bytes.find('\n', ini);
    if (fin == std::string::npos) fin = bytes.size();
    std::size_t finTexto = fin;
    if (finTexto > ini && fin < bytes.size() && bytes[finTexto - 1] == '\r') --finTexto;
    if (finTexto > ini && bytes[ini] != '/') {
      const std::string linea = bytes.substr(ini, finTexto - ini);
      return linea.find_first_of(",;") != std::string::npos;
    }
    ini = fin + 1;
  }
  return false;
}
