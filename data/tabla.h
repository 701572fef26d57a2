// Delimited tables as people keep them (CSV and its kin): RFC 4180 quoting,
// UTF-8 (or Windows-1252), LF or CR LF; the separator, the decimal mark and
// the header row detected unless they are given.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "framework/resultado.h"

struct OpcionesTabla {
  char cSeparador = 0;  // ',', ';' or '\t'; 0: detected
  char cDecimal = 0;    // '.' or ','; 0: detected
  int nCabecera = -1;   // 1: the first row is a header; 0: it is not; -1: detected
};

// The rows of a table, their cells as text, held compactly: every cell's
// bytes one after another in one buffer, with where each cell and each row
// ends (a row of cells as strings costs some 250 bytes more a row).
// Read like a vector of rows of CString: filas[r][c] gives the cell.
class FilasTabla {
 public:
  class Fila {
   public:
    std::size_t size() const { return m_nCeldas; }
    bool empty() const { return m_nCeldas == 0; }
    std::string_view Vista(std::size_t c) const;
    CString operator[](std::size_t c) const { return CString(Vista(c)); }
    std::vector<CString> Celdas() const;
    bool operator==(const std::vector<CString>& v) const;

   private:
    friend class FilasTabla;
    Fila(const FilasTabla& t, std::size_t r);
    const FilasTabla* m_pFilas;
    std::size_t m_nPrimera, m_nCeldas;  // the row's first cell, and its count
    std::size_t m_nBase;                // where its bytes begin
  };
  class Iterador {
   public:
    Iterador(const FilasTabla& t, std::size_t r) : m_pFilas(&t), m_nFila(r) {}
    Fila operator*() const { return (*m_pFilas)[m_nFila]; }
    Iterador& operator++() {
      ++m_nFila;
      return *this;
    }
    bool operator!=(const Iterador& o) const { return m_nFila != o.m_nFila; }

   private:
    const FilasTabla* m_pFilas;
    std::size_t m_nFila;
  };

  std::size_t size() const { return m_finFila.size() - m_nQuitadas; }
  bool empty() const { return size() == 0; }
  Fila operator[](std::size_t r) const { return Fila(*this, r + m_nQuitadas); }
  Fila front() const { return (*this)[0]; }
  Iterador begin() const { return Iterador(*this, 0); }
  Iterador end() const { return Iterador(*this, size()); }

  // Building: cells of the row in progress, then the row's end (or the
  // row left out: its cells dropped).
  void Reservar(std::size_t nBytes, std::size_t nCeldas, std::size_t nFilas);
  void AnadirCelda(std::string_view celda);
  void CerrarFila();
  void DescartarFila();
  bool FilaEmpezada() const { return m_finCelda.size() > (m_finFila.empty() ? 0 : m_finFila.back()); }
  // The first row left out (a header), in no time; the rows past n dropped.
  void QuitarPrimera();
  void resize(std::size_t n);
  // Back to no rows, the memory given back.
  void Liberar();

  bool operator==(const std::vector<std::vector<CString>>& v) const;

 private:
  std::string m_texto;
  std::vector<std::uint32_t> m_finCelda;  // where each cell's bytes end, from its row's start
  std::vector<std::size_t> m_inicioFila;  // where each row's bytes begin in m_texto
  std::vector<std::size_t> m_finFila;     // where each row's cells end in m_finCelda
  std::size_t m_nInicioPendiente = 0;     // where the row in progress begins
  std::size_t m_nQuitadas = 0;            // rows left out at the front
};

// A table as it is read: the syntax found, the header's names and the rows'
// cells as text, each row with the line of the file where it begins.
struct Tabla {
  CString strRuta;  // as given, for the messages
  char cSeparador = ',';
  char cDecimal = '.';
  bool bCabecera = false;
  UINT nColumnas = 0;              // cells of the header, else of the first row
  std::vector<CString> cabecera;   // the header's cells; empty without a header
  FilasTabla filas;
  std::vector<UINT> lineas;        // 1-based line where each row begins
  bool bCompleta = true;           // false: only the first rows were read
  // Not empty: why the first row, read as a sample by detection, looks
  // like a header (a header of numbers).
  CString strDuda;
};

// Reads the table (nMaxFilas > 0: only its first rows, for a preview) and
// settles its syntax. Refusals name the file and the line: an unclosed
// quote, a quote out of place, an empty table, a header without rows.
// The rows' cell counts are not checked here (see ComprobarCeldas).
Resultado<Tabla> LeerTabla(const CString& ruta, const OpcionesTabla& opciones, UINT nMaxFilas = 0);
// The same from bytes already read: the whole file, or (bFinal false) only
// its start, whose last, unfinished row is left out.
Resultado<Tabla> LeerTablaBytes(const CString& ruta, const std::string& bytes, const OpcionesTabla& opciones,
                                UINT nMaxFilas = 0);
Resultado<Tabla> LeerTablaParte(const CString& ruta, const std::string& bytes, const OpcionesTabla& opciones,
                                UINT nMaxFilas, bool bFinal);
// Every row has as many cells as the header (or the first row).
Resultado<Hecho> ComprobarCeldas(const Tabla& tabla);

// What a cell holds for the importer.
enum class ClaseCelda { Numero, NoFinito, Texto };
// Reads a whole cell as a number with the given decimal mark (blanks around
// it allowed): [sign] digits [mark digits] [e [sign] digits], at least one
// digit. NaN and infinite values ("nan", "inf", "Infinity", or a number too
// large for a double) are NoFinito.
ClaseCelda LeerCelda(const CString& celda, char cDecimal, double& dValor);

// "columna 3 (petal_length)", or "columna 3" without a header name.
CString NombreColumna(const Tabla& tabla, UINT nColumna);
// A cell or a name as a message quotes it, on one line and short: control
// characters escaped (\n, \t, \0, \x1b...) and, past nMax characters (0:
// never), the first nMax and "…".
CString CeldaEnMensaje(const CString& celda, std::size_t nMax = 60);
// The separator as the options and the messages name it: ",", ";" or "tab".
CString NombreSeparador(char c);

// Whether a data file looks like a table: its first data line holds a comma
// or a semicolon inside its values. Binary files never do.
bool PareceTabla(const CString& ruta);
