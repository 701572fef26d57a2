// nrv-cli importar and aplicar: tables in, results out, through the core's
// functions that the window's dialogs call too.
#include <cstdlib>
#include <filesystem>

#include "cli/ordenes.h"
#include "data/importar.h"
#include "framework/texto.h"
#include "network/aplicar.h"
#include "network/exportar.h"
#include "network/nodusdoc.h"

namespace {

CString Valor(const LineaOrdenes& linea, const char* opcion) {
  const auto it = linea.opciones.find(opcion);
  return it == linea.opciones.end() ? CString() : it->second;
}

bool Dada(const LineaOrdenes& linea, const char* opcion) { return linea.opciones.count(opcion) != 0; }

bool MismoFichero(const CString& a, const CString& b) {
  std::error_code ec;
  return a == b || std::filesystem::equivalent(a, b, ec);
}

CString Cuenta(UINT n, const char* singular, const char* plural) {
  return FormatC("%u %s", n, n == 1 ? singular : plural);
}

CString Lista(const std::vector<CString>& v) {
  CString s;
  for (std::size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + v[i];
  return s;
}

// The options of importar; false (the reason said) when one is refused.
bool LeerOpciones(const LineaOrdenes& linea, OpcionesImportacion& op) {
  if (Dada(linea, "separador")) {
    const CString v = Valor(linea, "separador");
    if (v == "," || v == ";") op.tabla.cSeparador = v[0];
    else if (v == "tab" || v == "\t") op.tabla.cSeparador = '\t';
    else {
      Avisar("El separador ha de ser «,», «;» o «tab».");
      return false;
    }
  }
  if (Dada(linea, "decimal")) {
    const CString v = Valor(linea, "decimal");
    if (v != "." && v != ",") {
      Avisar("La marca decimal ha de ser «.» o «,».");
      return false;
    }
    op.tabla.cDecimal = v[0];
  }
  if (linea.Tiene("cabecera") && linea.Tiene("sin-cabecera")) {
    Avisar("Elija --cabecera o --sin-cabecera, no ambas.");
    return false;
  }
  if (linea.Tiene("cabecera")) op.tabla.nCabecera = 1;
  if (linea.Tiene("sin-cabecera")) op.tabla.nCabecera = 0;
  if (Dada(linea, "clase") && Dada(linea, "salidas")) {
    Avisar("Elija --clase o --salidas, no ambas.");
    return false;
  }
  if (Dada(linea, "clase")) {
    op.esquema.strClase = Valor(linea, "clase");
    if (op.esquema.strClase.empty()) {
      Avisar("Falta la columna de --clase.");
      return false;
    }
  }
  if (Dada(linea, "salidas")) {
    const CString v = Valor(linea, "salidas");
    char* fin = nullptr;
    const unsigned long n = v.empty() || v[0] == '-' || v[0] == '+' ? 0 : std::strtoul(v.c_str(), &fin, 10);
    if (n == 0 || n > 100000 || fin == nullptr || *fin != '\0') {
      Avisar("El número de salidas ha de ser un entero positivo.");
      return false;
    }
    op.esquema.nSalidas = static_cast<UINT>(n);
  }
  if (Dada(linea, "escala")) {
    const CString v = Valor(linea, "escala");
    if (v != "minmax" && v != "ninguna") {
      Avisar("La escala ha de ser «minmax» o «ninguna».");
      return false;
    }
    op.esquema.bEscalar = v == "minmax";
    op.bEscalaDada = true;
  }
  return true;
}

}  // namespace

int OrdenImportar(const LineaOrdenes& linea, CHostLinea&) {
  const CString& tabla = linea.posicionales[0];
  const CString& destino = linea.posicionales[1];
  const CString esquema = Valor(linea, "esquema");
  OpcionesImportacion op;
  if (!LeerOpciones(linea, op)) return SALIDA_USO;
  if (Dada(linea, "esquema") && esquema.empty()) {
    Avisar("Falta el fichero de --esquema.");
    return SALIDA_USO;
  }
  Resultado<Importacion> imp = ImportarTabla(tabla, esquema, op);
  if (!imp) {
    Avisar(imp.Mensaje());
    return imp.EsRechazo() ? SALIDA_USO : SALIDA_FALLO;
  }
  const Resultado<Hecho> g = GuardarImportacion(*imp, destino, esquema);
  if (!g) {
    Avisar(g.Mensaje());
    return g.EsRechazo() ? SALIDA_USO : SALIDA_FALLO;
  }
  const CConjuntoDatos& c = *imp->pConjunto;
  const Tabla& t = imp->tabla;
  CString s = "Tabla " + tabla + " importada en " + destino + ": " + Cuenta(c.m_nMuestras, "muestra", "muestras") +
              ", " + Cuenta(c.m_nEntradas, "entrada", "entradas") + ", " + Cuenta(c.m_nSalidas, "salida", "salidas") +
              ".\n";
  s += FormatC("Leída con separador «%s», marca decimal «%c» y %s.\n", NombreSeparador(t.cSeparador).c_str(),
               t.cDecimal, t.bCabecera ? "cabecera" : "sin cabecera");
  const ColumnaEsquema* clase = imp->esquema.Clase();
  s += (clase ? "Clases, en el orden de las salidas: " : "Salidas: ") + Lista(imp->esquema.NombresSalidas()) + ".\n";
  if (esquema.empty())
    s += "Sin --esquema la escala no se guarda: dé un fichero de esquema para importar otras tablas igual.\n";
  else
    s += (imp->bEsquemaNuevo ? "Esquema escrito en " : "Esquema aplicado: ") + esquema + ".\n";
  Imprimir(s);
  return SALIDA_EXITO;
}

int OrdenAplicar(const LineaOrdenes& linea, CHostLinea&) {
  const CString& ruta = linea.posicionales[0];
  const CString& datos = linea.posicionales[1];
  const bool haySalida = linea.posicionales.size() > 2;
  const CString salida = haySalida ? linea.posicionales[2] : CString();
  CNodusDoc doc;
  if (!doc.OnOpenDocument(ruta)) return SALIDA_FALLO;
  if (haySalida) {
    if (salida.empty()) {
      Avisar("No ha introducido un fichero");
      return SALIDA_USO;
    }
    if (MismoFichero(salida, ruta) || MismoFichero(salida, datos)) {
      Avisar(FormatC("El fichero de salida %s es %s; elija otro.", salida.c_str(),
                     MismoFichero(salida, ruta) ? "la propia red" : "el de los datos"));
      return SALIDA_USO;
    }
  }
  const CString rutaEsquema = Valor(linea, "esquema");
  std::unique_ptr<CEsquema> esquema;
  if (Dada(linea, "esquema")) {
    Resultado<CEsquema> e = LeerEsquema(rutaEsquema);
    if (!e) {
      Avisar(e.Mensaje());
      return SALIDA_FALLO;
    }
    esquema = std::make_unique<CEsquema>(std::move(*e));
  }
  const RedPerceptron red = doc.GetRed();
  const Resultado<DatosRed> d = CargarDatosRed(red, datos, esquema.get(), rutaEsquema, OpcionesTabla(), false);
  if (!d) {
    Avisar(d.Mensaje());
    return d.EsRechazo() ? SALIDA_USO : SALIDA_FALLO;
  }
  const Aplicacion a = AplicarConjunto(red, *d->pConjunto, d->bObjetivos);
  const std::string texto = TextoAplicacion(a, esquema.get());
  if (!haySalida) {
    Imprimir(texto);
    return SALIDA_EXITO;
  }
  const Resultado<Hecho> r = EscribirExportacion(salida, texto);
  if (!r) {
    Avisar(r.Mensaje());
    return SALIDA_FALLO;
  }
  CString s = "Resultados de " + Cuenta(a.nMuestras, "muestra", "muestras") + " escritos en " + salida;
  if (a.bObjetivos)
    s += FormatC(" (aciertos: %u de %u, %.4f %%)", a.Aciertos(), a.nMuestras,
                 a.nMuestras ? 100.0 * a.Aciertos() / a.nMuestras : 0.0);
  Imprimir(s + ".\n");
  return SALIDA_EXITO;
}
