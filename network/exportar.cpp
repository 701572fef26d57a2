#include "network/exportar.h"

#include <cmath>
#include <cstring>

#include <nlohmann/json.hpp>

#include "framework/dialogo.h"
#include "framework/documento.h"
#include "framework/fichero.h"
#include "framework/texto.h"
#include "network/nodusdoc.h"
#include "network/registro.h"

namespace {

CString Causa(int err) {
  CString s = AfxDescribirError(err);
  while (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

void AnadirFloat(std::string& s, double v) {
  const float f = static_cast<float>(v);
  std::uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  for (int i = 0; i < 4; ++i) s += static_cast<char>((bits >> (8 * i)) & 0xFF);
}

}  // namespace

namespace {

// Whether epoch e is complete and stored: only the epochs completed before a
// run in progress count (the thread writes entries from m_nEpoca on and
// raises it only when the run ends).
bool EpocaGuardada(const CNodusDoc& doc, UINT e) {
  return e < doc.m_nEpoca.load(std::memory_order_acquire) && e < doc.m_arrErrorMaximo.m_nTam &&
         e < doc.m_arrErrorTotal.m_nTam && e < doc.m_arrAciertos.m_nTam;
}

}  // namespace

std::string BytesHistorial(const CNodusDoc& doc) {
  std::string texto;
  for (UINT e = 0; EpocaGuardada(doc, e); ++e) {
    CString linea = FormatC("%u\t%7.6f\t%7.6f\t%7.4f", e, doc.m_arrErrorMaximo.m_pDatos[e],
                            doc.m_arrErrorTotal.m_pDatos[e], doc.m_arrAciertos.m_pDatos[e]);
    for (char& c : linea)
      if (c == '.') c = ',';
    texto += linea;
    texto += "\r\n";
  }
  return texto;
}

std::string BytesHistorialCsv(const CNodusDoc& doc) {
  std::string texto = "epoca,error_maximo,error_total,tasa_aciertos\n";
  for (UINT e = 0; EpocaGuardada(doc, e); ++e)
    texto += FormatC("%u,", e) + TextoExacto(doc.m_arrErrorMaximo.m_pDatos[e]) + "," +
             TextoExacto(doc.m_arrErrorTotal.m_pDatos[e]) + "," + TextoExacto(doc.m_arrAciertos.m_pDatos[e]) + "\n";
  return texto;
}

std::string BytesHistorialJson(const CNodusDoc& doc) {
  using Json = nlohmann::ordered_json;
  const OpcionesRed& op = doc.m_opciones;
  const std::size_t n = op.nClases, celdas = n * n;
  Json epocas = Json::array();
  for (UINT e = 0; EpocaGuardada(doc, e); ++e) {
    Json j;
    j["epoca"] = e;
    j["error_maximo"] = doc.m_arrErrorMaximo.m_pDatos[e];
    j["error_total"] = doc.m_arrErrorTotal.m_pDatos[e];
    j["tasa_aciertos"] = doc.m_arrAciertos.m_pDatos[e];
    // The option's figures where it kept them; NaN (not measured) is null.
    if (e < op.entErrorMaximo.size())
      j["entrenamiento"] = std::isnan(op.entErrorTotal[e]) ? Json(nullptr)
                                                           : Json{{"error_maximo", op.entErrorMaximo[e]},
                                                                  {"error_total", op.entErrorTotal[e]},
                                                                  {"tasa_aciertos", op.entAciertos[e]}};
    if (n != 0 && (std::size_t(e) + 1) * n <= op.aciertosClase.size()) {
      Json a = Json::array();
      for (std::size_t k = 0; k < n; ++k) a.push_back(op.aciertosClase[e * n + k]);
      j["aciertos_clase"] = std::move(a);
    }
    if (n != 0 && (std::size_t(e) + 1) * celdas <= op.matrices.size()) {
      const UINT* m = op.matrices.data() + e * celdas;
      Json filas = Json::array();
      bool medida = false;
      for (std::size_t t = 0; t < n; ++t) {
        Json f = Json::array();
        for (std::size_t o = 0; o < n; ++o) {
          f.push_back(m[t * n + o]);
          medida = medida || m[t * n + o] != 0;
        }
        filas.push_back(std::move(f));
      }
      j["matriz"] = medida ? std::move(filas) : Json(nullptr);
    }
    epocas.push_back(std::move(j));
  }
  Json r;
  r["epocas"] = std::move(epocas);
  return r.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool PesosBinarios(const CString& ruta) {
  const CString ext = AfxExtensionFichero(ruta);
  return ext == "ie3" || ext == "bin";
}

std::string BytesPesos(const RedPerceptron& red, bool bBinario) {
  std::string bytes;
  auto fila = [&](const double* w, UINT n) {
    if (bBinario) {
      for (UINT i = 0; i < n; ++i) AnadirFloat(bytes, w[i]);
    } else {
      for (UINT i = 0; i < n; ++i) bytes += FormatC("%.4f ", w[i]);
      bytes += "\r\n";
    }
  };
  const CMatrizReales& w1 = *red.pPesosOculta;
  const CMatrizReales& w2 = *red.pPesosSalida;
  for (UINT j = 0; j < w1.m_nFilas; ++j) fila(w1.m_ppFilas[j], w1.m_nColumnas);
  for (UINT k = 0; k < w2.m_nFilas; ++k) fila(w2.m_ppFilas[k], w2.m_nColumnas);
  return bytes;
}

std::vector<FicheroProtegido> FicherosDeLaRed(const CNodusDoc& doc, const CString& strRed) {
  return {{strRed, "la propia red"},
          {RutaDatosRed(doc.m_strFicheroEntrenamiento, strRed), "el fichero de entrenamiento de la red"},
          {RutaDatosRed(doc.m_strFicheroVerificacion, strRed), "el fichero de verificación de la red"},
          {RutaDatosRed(doc.m_opciones.strFicheroPrueba, strRed), "el fichero de prueba de la red"},
          {CRegistroEntrenamiento::Nombre, "el registro de entrenamiento"}};
}

Resultado<Hecho> ComprobarDestinoRed(const CNodusDoc& doc, const CString& strRed, const CString& strDestino,
                                     const std::vector<FicheroProtegido>& entradas) {
  std::vector<FicheroProtegido> protegidos = FicherosDeLaRed(doc, strRed);
  protegidos.insert(protegidos.end(), entradas.begin(), entradas.end());
  return AfxComprobarDestino(strDestino, protegidos);
}

Resultado<Hecho> ComprobarGuardarRed(const CNodusDoc& doc, const CString& strDestino) {
  std::vector<FicheroProtegido> protegidos = FicherosDeLaRed(doc, doc.GetPathName());
  protegidos.front().strRuta.clear();  // saving over itself is a save
  return AfxComprobarDestino(strDestino, protegidos);
}

Resultado<Hecho> EscribirExportacion(const CString& ruta, const std::string& bytes) {
  const ResultadoEscritura r = AfxEscribirFicheroSeguro(ruta, bytes.data(), bytes.size());
  if (r) return Hecho{};
  const char* formato = r.bAlCrear ? "No se ha podido crear el fichero %s: %s." : "Error al escribir el fichero %s: %s.";
  return Fallo{FormatC(formato, ruta.c_str(), Causa(r.error).c_str())};
}
