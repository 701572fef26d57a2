#include "network/opciones.h"

#include <cmath>
#include <cstring>

#include "framework/archivo.h"

namespace {

constexpr BYTE MAGIA[4] = {'N', 'R', 'V', 'E'};
constexpr UINT VERSION_BLOQUE = 1;

// Tags of the block's entries. A new option takes the next free number;
// none is ever reused for another meaning.
enum Etiqueta : UINT {
  ETQ_SEMILLA = 1,              // u32
  ETQ_PACIENCIA = 2,            // u32, not 0
  ETQ_BARAJAR = 3,              // no payload
  ETQ_FICHERO_PRUEBA = 4,       // str
  ETQ_FIGURAS_PRUEBA = 5,       // u32 epoch, u32 samples, u32 hits, f64 rate, f64 total, f64 maximum
  ETQ_ESQUEMA = 6,              // str
  ETQ_MEDIR_ENTRENAMIENTO = 7,  // no payload
  ETQ_MEJOR = 8,                // u32 stopped early (0, 1), u32 epoch, u32 count, count f64
  // 0x100 on: the history kept under ETQ_MEDIR_ENTRENAMIENTO.
};

[[noreturn]] void Danado(const char* detalle) {
  throw CArchiveException(CArchiveException::generic,
                          CString("El fichero no contiene una red válida: ") + detalle + ".");
}

void Entrada(std::vector<BYTE>& bloque, UINT etiqueta, const std::vector<BYTE>& carga) {
  CArchive ar(bloque);
  ar << etiqueta << UINT(carga.size());
  if (!carga.empty()) ar.Write(carga.data(), carga.size());
  ar.Close();
}

template <typename F>
std::vector<BYTE> Carga(F escribir) {
  std::vector<BYTE> v;
  CArchive ar(v);
  escribir(ar);
  ar.Close();
  return v;
}

// A payload read whole: what it holds is read through its own archive,
// which must end exactly at its end.
template <typename F>
void LeerCarga(const std::vector<BYTE>& carga, F leer) {
  CArchive ar(carga.data(), carga.size());
  leer(ar);
  if (ar.Restantes() != 0) Danado("una opción tiene una longitud que no es la suya");
}

}  // namespace

bool OpcionesRed::PorOmision() const {
  return !bSemilla && nPaciencia == 0 && !bBarajar && strFicheroPrueba.empty() && !bFigurasPrueba &&
         strEsquema.empty() && !bMedirEntrenamiento && !bMejor;
}

void EscribirBloqueOpciones(CArchive& ar, const OpcionesRed& op) {
  if (op.PorOmision()) return;
  std::vector<BYTE> e;
  if (op.bSemilla) Entrada(e, ETQ_SEMILLA, Carga([&](CArchive& a) { a << op.nSemilla; }));
  if (op.nPaciencia != 0) Entrada(e, ETQ_PACIENCIA, Carga([&](CArchive& a) { a << op.nPaciencia; }));
  if (op.bBarajar) Entrada(e, ETQ_BARAJAR, {});
  if (!op.strFicheroPrueba.empty())
    Entrada(e, ETQ_FICHERO_PRUEBA, Carga([&](CArchive& a) { a << op.strFicheroPrueba; }));
  if (op.bFigurasPrueba) {
    const FigurasPrueba& f = op.figurasPrueba;
    Entrada(e, ETQ_FIGURAS_PRUEBA, Carga([&](CArchive& a) {
              a << f.nEpoca << f.nMuestras << f.nAciertos << f.dTasaAciertos << f.dErrorTotal << f.dErrorMaximo;
            }));
  }
  if (!op.strEsquema.empty()) Entrada(e, ETQ_ESQUEMA, Carga([&](CArchive& a) { a << op.strEsquema; }));
  if (op.bMedirEntrenamiento) Entrada(e, ETQ_MEDIR_ENTRENAMIENTO, {});
  if (op.bMejor)
    Entrada(e, ETQ_MEJOR, Carga([&](CArchive& a) {
              a << UINT(op.bParadaTemprana ? 1 : 0) << op.nEpocaMejor << UINT(op.mejores.size());
              for (double d : op.mejores) a << d;
            }));
  ar.Write(MAGIA, sizeof MAGIA);
  ar << VERSION_BLOQUE << UINT(e.size());
  ar.Write(e.data(), e.size());
}

OpcionesRed LeerBloqueOpciones(CArchive& ar) {
  OpcionesRed op;
  BYTE magia[4];
  const std::size_t n = ar.Read(magia, sizeof magia);
  if (n == 0) return op;
  if (n != sizeof magia || std::memcmp(magia, MAGIA, sizeof magia) != 0)
    Danado("hay datos detrás de su historial");
  UINT nVersion = 0, nLongitud = 0;
  ar >> nVersion >> nLongitud;
  if (nVersion != VERSION_BLOQUE) Danado("sus opciones son de una versión de nrv que esta no conoce");
  if (nLongitud > ar.Restantes()) AfxThrowArchiveException(CArchiveException::endOfFile);
  std::vector<BYTE> bloque(nLongitud);
  if (ar.Read(bloque.data(), bloque.size()) != bloque.size()) AfxThrowArchiveException(CArchiveException::endOfFile);
  BYTE resto;
  if (ar.Read(&resto, 1) != 0) Danado("hay datos detrás de sus opciones");

  CArchive lector(bloque.data(), bloque.size());
  UINT nAnterior = 0;
  while (lector.Restantes() > 0) {
    UINT nEtiqueta = 0, nTam = 0;
    lector >> nEtiqueta >> nTam;
    // In increasing order, each once: a file has one reading only.
    if (nEtiqueta <= nAnterior) Danado("sus opciones no están en orden");
    nAnterior = nEtiqueta;
    if (nTam > lector.Restantes()) AfxThrowArchiveException(CArchiveException::endOfFile);
    std::vector<BYTE> carga(nTam);
    lector.Read(carga.data(), carga.size());
    switch (nEtiqueta) {
      case ETQ_SEMILLA:
        LeerCarga(carga, [&](CArchive& a) { a >> op.nSemilla; });
        op.bSemilla = true;
        break;
      case ETQ_PACIENCIA:
        LeerCarga(carga, [&](CArchive& a) { a >> op.nPaciencia; });
        if (op.nPaciencia == 0) Danado("su paciencia es 0");
        break;
      case ETQ_BARAJAR:
        LeerCarga(carga, [](CArchive&) {});
        op.bBarajar = true;
        break;
      case ETQ_FICHERO_PRUEBA:
        LeerCarga(carga, [&](CArchive& a) { a >> op.strFicheroPrueba; });
        if (op.strFicheroPrueba.empty()) Danado("su fichero de prueba está vacío");
        break;
      case ETQ_FIGURAS_PRUEBA: {
        FigurasPrueba& f = op.figurasPrueba;
        LeerCarga(carga, [&](CArchive& a) {
          a >> f.nEpoca >> f.nMuestras >> f.nAciertos >> f.dTasaAciertos >> f.dErrorTotal >> f.dErrorMaximo;
        });
        if (f.nAciertos > f.nMuestras || !std::isfinite(f.dTasaAciertos) || !std::isfinite(f.dErrorTotal) ||
            !std::isfinite(f.dErrorMaximo))
          Danado("las cifras de su fichero de prueba no son coherentes");
        op.bFigurasPrueba = true;
        break;
      }
      case ETQ_ESQUEMA:
        LeerCarga(carga, [&](CArchive& a) { a >> op.strEsquema; });
        if (op.strEsquema.empty()) Danado("su esquema está vacío");
        break;
      case ETQ_MEDIR_ENTRENAMIENTO:
        LeerCarga(carga, [](CArchive&) {});
        op.bMedirEntrenamiento = true;
        break;
      case ETQ_MEJOR: {
        UINT nParada = 0, nCuenta = 0;
        LeerCarga(carga, [&](CArchive& a) {
          a >> nParada >> op.nEpocaMejor >> nCuenta;
          if (std::uint64_t(nCuenta) * 8 != a.Restantes()) Danado("sus mejores pesos tienen otra longitud");
          op.mejores.resize(nCuenta);
          for (double& d : op.mejores) {
            a >> d;
            if (!std::isfinite(d)) Danado("sus mejores pesos no son números finitos");
          }
        });
        if (nParada > 1) Danado("su parada temprana no es 0 ni 1");
        op.bParadaTemprana = nParada == 1;
        op.bMejor = true;
        break;
      }
      default:
        // Skipped, it would be lost at the next save.
        Danado("guarda opciones que esta versión de nrv no conoce");
    }
  }
  // A block says only what differs from the defaults.
  if (op.PorOmision()) Danado("su bloque de opciones está vacío");
  return op;
}
