#include "network/parametros.h"

#include <filesystem>
#include <type_traits>

#include "data/conjunto.h"
#include "data/esquema.h"
#include "framework/dialogo.h"
#include "framework/texto.h"
#include "network/verificacion.h"

CString TextoParametro(double d) { return FormatC("%.*g", 15, d); }

Resultado<Hecho> ComprobarFicheroVerificacion(const CString& strVerificacion, const CString& strEntrenamiento) {
  if (strVerificacion.empty()) return Rechazo("No ha introducido un fichero");
  if (strEntrenamiento.empty()) return Hecho{};
  UINT nEntradasEnt = 0, nSalidasEnt = 0, nEntradasVer = 0, nSalidasVer = 0;
  CConjuntoDatos conjunto;
  conjunto.Dimensiones(strEntrenamiento, &nEntradasEnt, &nSalidasEnt);
  // A binary header that announces more values than its file holds
  // cannot size a network.
  if (!conjunto.Dimensiones(strVerificacion, &nEntradasVer, &nSalidasVer) ||
      !CConjuntoDatos::Completo(strVerificacion) || !CConjuntoDatos::Completo(strEntrenamiento))
    return Rechazo(" No se han podido dimensionar los datos. ");
  if (nEntradasVer != nEntradasEnt || nSalidasVer != nSalidasEnt) return Rechazo(" Dimensiones incorrectas. ");
  return Hecho{};
}

Resultado<DatosNuevaRed> ComprobarNuevaRed(const CString& strEntrenamiento, const CString& strVerificacion,
                                           const std::map<std::string, std::string>& textos, DatosNuevaRed base) {
  base.strFicheroEntrenamiento = strEntrenamiento;
  base.strFicheroVerificacion = strVerificacion;
  if (const Resultado<Hecho> r = ComprobarFicheroDatos(strEntrenamiento); !r) return r.GetFallo();

  // A number not given is the one the dialog would show.
  auto leer = [&](IndiceParametro i, auto& valor) -> CString {
    const DefinicionParametro& p = Parametro(i);
    const auto it = textos.find(p.strOpcion);
    if (it == textos.end()) return CString();
    if constexpr (std::is_same_v<std::remove_reference_t<decltype(valor)>, UINT>)
      return RechazoTextoUInt(it->second, MinimoEntero(i), MaximoEntero(i), valor);
    else
      return RechazoTextoDouble(it->second, p.dMinimo, p.dMaximo, valor);
  };
  // The dialog's order of fields; the first refusal ends the check.
  CString m;
  if ((m = leer(PARAM_ERROR, base.dErrorMaximo)).empty() && (m = leer(PARAM_EPOCAS, base.nMaxEpocas)).empty() &&
      (m = leer(PARAM_MOMENTO, base.dMomento)).empty() && (m = leer(PARAM_OCULTAS, base.nOcultas)).empty())
    m = leer(PARAM_APRENDIZAJE, base.dAprendizaje);
  if (!m.empty()) return Rechazo(m);
  if (const Resultado<Hecho> r = ComprobarFicheroVerificacion(strVerificacion, strEntrenamiento); !r)
    return r.GetFallo();
  return base;
}

Resultado<OpcionesRed> ComprobarOpcionesRed(const std::map<std::string, std::string>& textos, bool bBarajar,
                                            const CString& strEntrenamiento, const CString& strVerificacion,
                                            OpcionesRed base) {
  if (const auto it = textos.find("semilla"); it != textos.end()) {
    if (const CString m = RechazoTextoUInt(it->second, 0, kSemillaMaxima, base.nSemilla); !m.empty())
      return Rechazo("Semilla: " + m);
    base.bSemilla = true;
  }
  if (const auto it = textos.find("paciencia"); it != textos.end())
    if (const CString m = RechazoTextoUInt(it->second, 1, kPacienciaMaxima, base.nPaciencia); !m.empty())
      return Rechazo("Paciencia: " + m);
  if (bBarajar) base.bBarajar = true;
  if (const auto it = textos.find("prueba"); it != textos.end()) {
    const CString& ruta = it->second;
    if (const Resultado<Hecho> r = ComprobarFicheroDatos(ruta); !r)
      return Rechazo("Fichero de prueba: " + r.Mensaje() + ": " + ruta);
    // What the network tunes on cannot tell how it does on new data.
    for (const CString* otro : {&strEntrenamiento, &strVerificacion}) {
      std::error_code ec;
      if (*otro == ruta || std::filesystem::equivalent(*otro, ruta, ec))
        return Rechazo("El fichero de prueba ha de ser otro que los de entrenamiento y verificación.");
    }
    UINT nEntradasEnt = 0, nSalidasEnt = 0, nEntradas = 0, nSalidas = 0;
    CConjuntoDatos conjunto;
    conjunto.Dimensiones(strEntrenamiento, &nEntradasEnt, &nSalidasEnt);
    if (!conjunto.Dimensiones(ruta, &nEntradas, &nSalidas) || !CConjuntoDatos::Completo(ruta))
      return Rechazo("Fichero de prueba: No se han podido dimensionar los datos: " + ruta);
    if (nEntradas != nEntradasEnt || nSalidas != nSalidasEnt)
      return Rechazo(FormatC("El fichero de prueba %s tiene %u entradas y %u salidas; el de entrenamiento, %u y %u.",
                             ruta.c_str(), nEntradas, nSalidas, nEntradasEnt, nSalidasEnt));
    base.strFicheroPrueba = ruta;
  }
  if (const auto it = textos.find("esquema"); it != textos.end()) {
    const CString& ruta = it->second;
    const Resultado<CEsquema> e = LeerEsquema(ruta);
    if (!e) return Rechazo(e.Mensaje());
    UINT nEntradas = 0, nSalidas = 0;
    CConjuntoDatos().Dimensiones(strEntrenamiento, &nEntradas, &nSalidas);
    if (e->Entradas() != nEntradas || e->Salidas() != nSalidas)
      return Rechazo(FormatC("El esquema %s da %u entradas y %u salidas; el fichero de entrenamiento, %u y %u.",
                             ruta.c_str(), e->Entradas(), e->Salidas(), nEntradas, nSalidas));
    base.strEsquema = ruta;
  }
  return base;
}

Resultado<UINT> ComprobarMasEpocas(const CString& texto, UINT nEpocasMaximas) {
  const UINT nHueco = nEpocasMaximas < kEpocasMaximasAmpliadas ? kEpocasMaximasAmpliadas - nEpocasMaximas : 0;
  if (nHueco == 0)
    return Rechazo(FormatC("La red ya tiene %u épocas, el máximo que puede tener.", nEpocasMaximas));
  UINT n = 0;
  if (const CString m = RechazoTextoUInt(texto, 1, nHueco, n); !m.empty()) return Rechazo("Más épocas: " + m);
  return n;
}
