// nrv-cli importar and aplicar: tables in, results out, through the core's
// functions that the window's dialogs call too.
#include <cstdlib>

#include "cli/ordenes.h"
#include "data/importar.h"
#include "framework/dialogo.h"
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
  if (Dada(linea, "particion")) {
    const Resultado<std::vector<UINT>> p = LeerParticion(Valor(linea, "particion"));
    if (!p) {
      Avisar(p.Mensaje());
      return false;
    }
    op.particion = *p;
  } else if (Dada(linea, "semilla") || linea.Tiene("estratificar")) {
    Avisar("--semilla y --estratificar solo sirven con --particion.");
    return false;
  }
  if (Dada(linea, "semilla")) {
    UINT n = 0;
    if (const CString m = RechazoTextoUInt(Valor(linea, "semilla"), 0, 0xFFFFFFFFu, n); !m.empty()) {
      Avisar("Semilla: " + m);
      return false;
    }
    op.nSemilla = n;
  }
  op.bEstratificar = linea.Tiene("estratificar");
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
  if (!imp->tabla.strDuda.empty()) Avisar(imp->tabla.strDuda);
  CString s = ResumenImportacion(*imp, destino, esquema);
  if (esquema.empty())
    s += "Sin --esquema la escala no se guarda: dé un fichero de esquema para importar otras tablas igual.\n";
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
  const CString rutaEsquema = Valor(linea, "esquema");
  if (haySalida) {
    const Resultado<Hecho> c = ComprobarSalidaAplicacion(salida, FicherosDeLaRed(doc, ruta), datos, rutaEsquema);
    if (!c) {
      Avisar(c.Mensaje());
      return SALIDA_USO;
    }
  }
  if (Dada(linea, "esquema") && rutaEsquema.empty()) {
    Avisar("Falta el fichero de --esquema.");
    return SALIDA_USO;
  }
  const Resultado<AplicacionFichero> a = AplicarFichero(doc.GetRed(), datos, rutaEsquema);
  if (!a) {
    Avisar(a.Mensaje());
    return a.EsRechazo() ? SALIDA_USO : SALIDA_FALLO;
  }
  if (const CString aviso = AvisoOrdenEsquema(rutaEsquema, doc.RutaDatos(doc.m_strFicheroEntrenamiento)); !aviso.empty())
    Avisar(aviso);
  if (!haySalida) {
    Imprimir(a->strCsv);
    return SALIDA_EXITO;
  }
  const Resultado<Hecho> r = EscribirExportacion(salida, a->strCsv);
  if (!r) {
    Avisar(r.Mensaje());
    return SALIDA_FALLO;
  }
  Imprimir(ResumenAplicacion(a->aplicacion, salida) + "\n");
  return SALIDA_EXITO;
}
