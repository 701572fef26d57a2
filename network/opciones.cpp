#include "network/opciones.h"

#include <algorithm>
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
  ETQ_ENT_ERROR_MAXIMO = 0x100,  // u32 count, count f64 (NaN: not measured)
  ETQ_ENT_ERROR_TOTAL = 0x101,   // the same
  ETQ_ENT_ACIERTOS = 0x102,      // the same
  ETQ_ACIERTOS_CLASE = 0x103,    // u32 classes, u32 epochs, classes x epochs f64
  ETQ_MATRICES = 0x104,          // u32 classes, u32 epochs, classes² x epochs u32
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

void EscribirReales(CArchive& a, const std::vector<double>& v) {
  a << UINT(v.size());
  for (double d : v) a << d;
}

// A vector of the history, any doubles as the document's own history
// keeps them (NaN: an epoch not measured, or figures that were not numbers).
void LeerReales(CArchive& a, std::vector<double>& v) {
  UINT n = 0;
  a >> n;
  if (std::uint64_t(n) * 8 != a.Restantes()) Danado("su historial de entrenamiento tiene otra longitud");
  v.resize(n);
  for (double& d : v) a >> d;
}

}  // namespace

bool OpcionesRed::PorOmision() const {
  return !bSemilla && nPaciencia == 0 && !bBarajar && strFicheroPrueba.empty() && !bFigurasPrueba &&
         strEsquema.empty() && !bMedirEntrenamiento && !bMejor && !HayHistorial();
}

void OpcionesRed::PrepararHistorial(UINT nEpocas, UINT nSalidas) {
  const double nan = std::nan("");
  for (std::vector<double>* v : {&entErrorMaximo, &entErrorTotal, &entAciertos})
    if (v->size() < nEpocas) v->resize(nEpocas, nan);
  // The classes are the network's outputs; a history of another shape
  // cannot go on.
  if (nClases != nSalidas) {
    aciertosClase.clear();
    matrices.clear();
    nClases = nSalidas;
  }
  const std::size_t n = std::size_t(nEpocas) * nClases;
  if (aciertosClase.size() < n) aciertosClase.resize(n, nan);
  // The matrices of the first epochs, as many as kCeldasMatrices holds.
  const std::size_t matriz = std::size_t(nClases) * nClases;
  const std::size_t celdas = matriz == 0 ? 0 : std::min(n * nClases, kCeldasMatrices / matriz * matriz);
  if (matrices.size() < celdas) matrices.resize(celdas, 0);
}

void OpcionesRed::RecortarHistorial(UINT nEpocas) {
  for (std::vector<double>* v : {&entErrorMaximo, &entErrorTotal, &entAciertos})
    if (v->size() > nEpocas) v->resize(nEpocas);
  const std::size_t n = std::size_t(nEpocas) * nClases;
  if (aciertosClase.size() > n) aciertosClase.resize(n);
  if (matrices.size() > n * nClases) matrices.resize(n * nClases);
  if (aciertosClase.empty() && matrices.empty()) nClases = 0;
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
  if (!op.entErrorMaximo.empty()) {
    Entrada(e, ETQ_ENT_ERROR_MAXIMO, Carga([&](CArchive& a) { EscribirReales(a, op.entErrorMaximo); }));
    Entrada(e, ETQ_ENT_ERROR_TOTAL, Carga([&](CArchive& a) { EscribirReales(a, op.entErrorTotal); }));
    Entrada(e, ETQ_ENT_ACIERTOS, Carga([&](CArchive& a) { EscribirReales(a, op.entAciertos); }));
  }
  if (op.nClases != 0 && !op.aciertosClase.empty())
    Entrada(e, ETQ_ACIERTOS_CLASE, Carga([&](CArchive& a) {
              a << op.nClases << UINT(op.aciertosClase.size() / op.nClases);
              for (double d : op.aciertosClase) a << d;
            }));
  if (op.nClases != 0 && !op.matrices.empty())
    Entrada(e, ETQ_MATRICES, Carga([&](CArchive& a) {
              a << op.nClases << UINT(op.matrices.size() / (std::size_t(op.nClases) * op.nClases));
              for (UINT c : op.matrices) a << c;
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
      case ETQ_ENT_ERROR_MAXIMO:
        LeerCarga(carga, [&](CArchive& a) { LeerReales(a, op.entErrorMaximo); });
        break;
      case ETQ_ENT_ERROR_TOTAL:
        LeerCarga(carga, [&](CArchive& a) { LeerReales(a, op.entErrorTotal); });
        break;
      case ETQ_ENT_ACIERTOS:
        LeerCarga(carga, [&](CArchive& a) { LeerReales(a, op.entAciertos); });
        break;
      case ETQ_ACIERTOS_CLASE:
      case ETQ_MATRICES: {
        const bool bMatrices = nEtiqueta == ETQ_MATRICES;
        LeerCarga(carga, [&](CArchive& a) {
          UINT nClases = 0, nEpocas = 0;
          a >> nClases >> nEpocas;
          if (nClases == 0 || (op.nClases != 0 && nClases != op.nClases)) Danado("sus clases no concuerdan");
          op.nClases = nClases;
          // No more than the program keeps (so nothing here overflows).
          if (bMatrices && (nClases > 1024 || std::uint64_t(nClases) * nClases * nEpocas > kCeldasMatrices))
            Danado("sus matrices de confusión son más de las que guarda nrv");
          const std::uint64_t n = std::uint64_t(nEpocas) * nClases * (bMatrices ? nClases : 1);
          const std::uint64_t tam = bMatrices ? 4 : 8;
          if (n > a.Restantes() / tam || n * tam != a.Restantes())
            Danado("su historial por clases tiene otra longitud");
          if (bMatrices) {
            op.matrices.resize(n);
            for (UINT& c : op.matrices) a >> c;
          } else {
            op.aciertosClase.resize(n);
            for (double& d : op.aciertosClase) {
              a >> d;
              if (d < 0 || d > 100) Danado("sus aciertos por clase no son porcentajes");
            }
          }
        });
        break;
      }
      default:
        // Skipped, it would be lost at the next save.
        Danado("guarda opciones que esta versión de nrv no conoce");
    }
  }
  if (op.entErrorMaximo.size() != op.entErrorTotal.size() || op.entErrorMaximo.size() != op.entAciertos.size())
    Danado("su historial de entrenamiento tiene otra longitud");
  // A block says only what differs from the defaults.
  if (op.PorOmision()) Danado("su bloque de opciones está vacío");
  return op;
}
