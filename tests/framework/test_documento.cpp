// Documents: save and open through Serialize, saves that fail without
// touching the previous file, damaged files that open nothing, the save
// question, "Guardar como", titles of new documents and the views.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "framework/archivo.h"
#include "framework/documento.h"
#include "framework/texto.h"
#include "tests/support/test_host.h"

namespace {

// A small document: a name, a count and that many doubles. A count that the
// archive cannot hold is refused, as the program's documents do.
class CDocPrueba : public CDocument {
 public:
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar << m_strNombre << static_cast<UINT>(m_valores.size());
      for (double v : m_valores) {
        if (m_bFallarAlGuardar) AfxThrowArchiveException(CArchiveException::writeError);
        ar << v;
      }
    } else {
      UINT n = 0;
      ar >> m_strNombre >> n;
      if (n > ar.Restantes() / sizeof(double)) AfxThrowArchiveException(CArchiveException::badIndex);
      m_valores.resize(n);
      for (double& v : m_valores) ar >> v;
    }
  }
  void DeleteContents() override {
    m_strNombre.clear();
    m_valores.clear();
    ++m_nBorrados;
  }
  CString m_strNombre;
  std::vector<double> m_valores;
  bool m_bFallarAlGuardar = false;
  int m_nBorrados = 0;
};

void Rellenar(CDocPrueba& d, std::size_t n = 100) {
  d.m_strNombre = "Red de prueba ñ";
  d.m_valores.clear();
  for (std::size_t i = 0; i < n; ++i) d.m_valores.push_back(static_cast<double>(i) / 7.0);
  d.SetModifiedFlag(TRUE);
}

std::vector<std::string> Contenido(const std::string& carpeta) {
  std::vector<std::string> nombres;
  for (const auto& e : std::filesystem::directory_iterator(carpeta)) nombres.push_back(e.path().filename().string());
  std::sort(nombres.begin(), nombres.end());
  return nombres;
}

TEST(GuardarYAbrir, ElIdaYVueltaReproduceElDocumento) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Fichero("red.nrv");
  CDocPrueba a;
  Rellenar(a);
  EXPECT_TRUE(a.OnSaveDocument(ruta));
  EXPECT_FALSE(a.IsModified());
  EXPECT_EQ(Contenido(tmp.Ruta()), std::vector<std::string>{"red.nrv"});  // no temporary left
  CDocPrueba b;
  EXPECT_TRUE(b.OnOpenDocument(ruta));
  EXPECT_FALSE(b.IsModified());
  EXPECT_EQ(b.m_strNombre, a.m_strNombre);
  EXPECT_EQ(b.m_valores, a.m_valores);
  EXPECT_TRUE(host.Textos().empty());
  // Saving again gives the same bytes.
  const std::string antes = LeerFichero(ruta);
  EXPECT_TRUE(b.OnSaveDocument(ruta));
  EXPECT_EQ(LeerFichero(ruta), antes);
}

TEST(GuardarYAbrir, GuardarEncimaConservaLosPermisosDelFichero) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Escribir("red.nrv", "viejo");
  ASSERT_EQ(chmod(ruta.c_str(), 0640), 0);
  CDocPrueba d;
  Rellenar(d);
  ASSERT_TRUE(d.OnSaveDocument(ruta));
  struct stat st {};
  ASSERT_EQ(stat(ruta.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(GuardarYAbrir, AtravesDeUnEnlaceSeReemplazaElFicheroReal) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string real = tmp.Escribir("real.nrv", "viejo");
  const std::string enlace = tmp.Fichero("enlace.nrv");
  ASSERT_EQ(symlink(real.c_str(), enlace.c_str()), 0);
  CDocPrueba d;
  Rellenar(d);
  ASSERT_TRUE(d.OnSaveDocument(enlace));
  EXPECT_TRUE(std::filesystem::is_symlink(enlace));
  EXPECT_NE(LeerFichero(real), "viejo");
}

TEST(GuardarYAbrir, UnNombreDeFicheroLargoSeGuarda) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Fichero(std::string(250, 'n') + ".nrv");
  CDocPrueba d;
  Rellenar(d);
  EXPECT_TRUE(d.OnSaveDocument(ruta));
  EXPECT_TRUE(host.Textos().empty());
  CDocPrueba b;
  EXPECT_TRUE(b.OnOpenDocument(ruta));
  EXPECT_EQ(b.m_valores, d.m_valores);
}

TEST(GuardadoFallido, EnUnaCarpetaQueNoExisteDevuelveFalseYLoDice) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Fichero("no/existe/red.nrv");
  CDocPrueba d;
  Rellenar(d);
  EXPECT_FALSE(d.OnSaveDocument(ruta));
  EXPECT_TRUE(d.IsModified());
  ASSERT_EQ(host.Mensajes().size(), 1u);
  EXPECT_EQ(host.Textos()[0], "No se ha podido guardar el documento " + ruta + ": no existe el fichero o la carpeta.");
  EXPECT_EQ(host.Mensajes()[0].estilo, MB_OK | MB_ICONEXCLAMATION);
  EXPECT_TRUE(Contenido(tmp.Ruta()).empty());
}

TEST(GuardadoFallido, UnErrorDelDocumentoAlGuardarDejaElFicheroAnterior) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string previo = "contenido previo \x01\x02\xFF";
  const std::string ruta = tmp.Escribir("red.nrv", previo);
  CDocPrueba d;
  Rellenar(d);
  d.m_bFallarAlGuardar = true;
  EXPECT_FALSE(d.OnSaveDocument(ruta));
  EXPECT_EQ(LeerFichero(ruta), previo);
  EXPECT_EQ(Contenido(tmp.Ruta()), std::vector<std::string>{"red.nrv"});
  EXPECT_EQ(host.Textos(), std::vector<CString>{"No se ha podido guardar el documento " + ruta +
                                                ": Error al escribir el fichero."});
}

// A file-size limit makes the disk refuse the bytes half-way, as a full disk
// does, while the target already exists.
TEST(GuardadoFallido, UnDiscoQueNoAdmiteLosBytesDejaElFicheroAnteriorByteAByte) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string previo(64, 'P');
  const std::string ruta = tmp.Escribir("red.nrv", previo);
  CDocPrueba d;
  Rellenar(d, 10000);
  struct rlimit antes {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &antes), 0);
  auto senal = signal(SIGXFSZ, SIG_IGN);
  struct rlimit limite = antes;
  limite.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limite), 0);
  const BOOL r = d.OnSaveDocument(ruta);
  setrlimit(RLIMIT_FSIZE, &antes);
  signal(SIGXFSZ, senal);
  EXPECT_FALSE(r);
  EXPECT_EQ(LeerFichero(ruta), previo);
  EXPECT_EQ(Contenido(tmp.Ruta()), std::vector<std::string>{"red.nrv"});
  ASSERT_EQ(host.Textos().size(), 1u);
  EXPECT_EQ(host.Textos()[0], "No se ha podido guardar el documento " + ruta + ": el fichero es demasiado grande.");
  EXPECT_TRUE(d.IsModified());
}

TEST(GuardadoFallido, EnDevFullSeInformaYElDispositivoSigueAhi) {
  CTestHost host;
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "/dev/full no se puede escribir";
  CDocPrueba d;
  Rellenar(d);
  EXPECT_FALSE(d.OnSaveDocument("/dev/full"));
  EXPECT_EQ(host.Textos(), std::vector<CString>{"No se ha podido guardar el documento /dev/full: no queda espacio en el dispositivo."});
  struct stat st {};
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));  // never replaced by a file
}

TEST(GuardadoFallido, SobreUnaCarpetaNoLaToca) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string carpeta = tmp.Fichero("carpeta");
  std::filesystem::create_directory(carpeta);
  CDocPrueba d;
  Rellenar(d);
  EXPECT_FALSE(d.OnSaveDocument(carpeta));
  EXPECT_TRUE(std::filesystem::is_directory(carpeta));
  EXPECT_EQ(host.Textos(), std::vector<CString>{"No se ha podido guardar el documento " + carpeta + ": es una carpeta."});
}

TEST(AperturaFallida, UnFicheroTruncadoNoAbreNadaYLoDice) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Fichero("red.nrv");
  CDocPrueba a;
  Rellenar(a);
  ASSERT_TRUE(a.OnSaveDocument(ruta));
  const std::string bytes = LeerFichero(ruta);
  for (std::size_t corte : {bytes.size() - 1, bytes.size() / 2, std::size_t(3), std::size_t(0)}) {
    const std::string roto = tmp.Escribir("roto.nrv", bytes.substr(0, corte));
    CDocPrueba b;
    b.m_strNombre = "anterior";
    host.Limpiar();
    EXPECT_FALSE(b.OnOpenDocument(roto)) << corte;
    EXPECT_TRUE(b.m_strNombre.empty()) << corte;
    EXPECT_TRUE(b.m_valores.empty()) << corte;
    EXPECT_FALSE(b.IsModified()) << corte;
    EXPECT_EQ(host.Textos(), std::vector<CString>{"El fichero " + roto + " está dañado o no es una red de nrv."}) << corte;
  }
}

TEST(AperturaFallida, UnaCuentaImposibleSeRechazaSinReservarla) {
  CTestHost host;
  CCarpetaTemporal tmp;
  // Name "x", then a count of 0xFFFFFFFF doubles that the file cannot hold.
  const std::string ruta = tmp.Escribir("red.nrv", std::string("\x01x\xFF\xFF\xFF\xFF", 6));
  CDocPrueba d;
  EXPECT_FALSE(d.OnOpenDocument(ruta));
  EXPECT_EQ(host.Textos(), std::vector<CString>{"El fichero " + ruta + " está dañado o no es una red de nrv."});
}

TEST(AperturaFallida, UnFicheroQueNoExisteOUnaCarpetaSeNombranEnElMensaje) {
  CTestHost host;
  CCarpetaTemporal tmp;
  CDocPrueba d;
  const std::string falta = tmp.Fichero("falta.nrv");
  EXPECT_FALSE(d.OnOpenDocument(falta));
  EXPECT_FALSE(d.OnOpenDocument(tmp.Ruta()));
  EXPECT_FALSE(d.OnOpenDocument("/dev/null"));
  EXPECT_EQ(host.Textos(),
            (std::vector<CString>{"No se ha podido abrir el documento " + falta + ": no existe el fichero o la carpeta.",
                                  "No se ha podido abrir el documento " + tmp.Ruta() + ": es una carpeta.",
                                  "No se ha podido abrir el documento /dev/null: no es un fichero normal."}));
}

TEST(PreguntaAlCerrar, UnDocumentoSinCambiosNoPregunta) {
  CTestHost host;
  CDocPrueba d;
  EXPECT_TRUE(d.SaveModified());
  EXPECT_TRUE(host.Textos().empty());
}

TEST(PreguntaAlCerrar, NoCierraSinGuardarYCancelarNoCierra) {
  CTestHost host;
  CDocPrueba d;
  d.SetTitle("Nrv 1");
  d.SetModifiedFlag();
  host.respuestasMensaje = {IDNO, IDCANCEL};
  EXPECT_TRUE(d.SaveModified());
  EXPECT_FALSE(d.SaveModified());
  ASSERT_EQ(host.Mensajes().size(), 2u);
  EXPECT_EQ(host.Mensajes()[0].texto, "¿Guardar cambios a Nrv 1?");
  EXPECT_EQ(host.Mensajes()[0].estilo, MB_YESNOCANCEL | MB_ICONEXCLAMATION);
  EXPECT_TRUE(d.IsModified());
  EXPECT_TRUE(host.dialogosFichero.empty());
}

TEST(PreguntaAlCerrar, SiGuardaEnSuRutaSinPreguntarLaRuta) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Fichero("red.nrv");
  CDocPrueba d;
  Rellenar(d);
  d.SetPathName(ruta);
  host.respuestasMensaje = {IDYES};
  EXPECT_TRUE(d.SaveModified());
  EXPECT_EQ(host.Textos(), std::vector<CString>{"¿Guardar cambios a red.nrv?"});
  EXPECT_TRUE(host.dialogosFichero.empty());
  EXPECT_FALSE(d.IsModified());
  CDocPrueba b;
  EXPECT_TRUE(b.OnOpenDocument(ruta));
  EXPECT_EQ(b.m_valores, d.m_valores);
}

TEST(PreguntaAlCerrar, SiSinRutaPreguntaConGuardarComo) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Fichero("elegido.nrv");
  CDocTemplate plantilla;
  CDocPrueba d;
  d.m_pDocTemplate = &plantilla;
  Rellenar(d);
  d.SetTitle("Nrv 1");
  host.respuestasMensaje = {IDYES};
  host.respuestasFichero = {ruta};
  EXPECT_TRUE(d.SaveModified());
  ASSERT_EQ(host.dialogosFichero.size(), 1u);
  ComprobarDialogoFichero(host.dialogosFichero[0],
                          CFileDialog(FALSE, "nrv", "Nrv 1", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                      {{"NRV Files (*.nrv)", "*.nrv"}, {"Todos los ficheros (*.*)", "*.*"}},
                                      "Guardar como"));
  EXPECT_EQ(d.GetPathName(), ruta);
  EXPECT_EQ(d.GetTitle(), "elegido.nrv");
  EXPECT_FALSE(d.IsModified());
  EXPECT_TRUE(std::filesystem::exists(ruta));
}

TEST(PreguntaAlCerrar, SiYGuardarComoCanceladoNoCierra) {
  CTestHost host;
  CDocPrueba d;
  Rellenar(d);
  d.SetTitle("Nrv 2");
  host.respuestasMensaje = {IDYES};
  host.respuestasFichero = {""};
  EXPECT_FALSE(d.SaveModified());
  EXPECT_TRUE(d.IsModified());
  EXPECT_TRUE(d.GetPathName().empty());
  EXPECT_EQ(d.GetTitle(), "Nrv 2");
}

TEST(PreguntaAlCerrar, SiYUnGuardadoFallidoNoCierra) {
  CTestHost host;
  CCarpetaTemporal tmp;
  CDocPrueba d;
  Rellenar(d);
  d.SetPathName(tmp.Fichero("falta/red.nrv"));
  host.respuestasMensaje = {IDYES};
  EXPECT_FALSE(d.SaveModified());
  EXPECT_TRUE(d.IsModified());
  EXPECT_EQ(host.Textos().size(), 2u);  // the question, then the failure
}

TEST(GuardarComo, UnaCopiaNoCambiaLaRutaNiElTitulo) {
  CTestHost host;
  CCarpetaTemporal tmp;
  CDocPrueba d;
  Rellenar(d);
  d.SetPathName(tmp.Fichero("original.nrv"));
  EXPECT_TRUE(d.DoSave(tmp.Fichero("copia.nrv"), FALSE));
  EXPECT_EQ(d.GetPathName(), tmp.Fichero("original.nrv"));
  EXPECT_EQ(d.GetTitle(), "original.nrv");
  host.respuestasFichero = {tmp.Fichero("otra.nrv")};
  EXPECT_TRUE(d.DoFileSaveAs());
  ASSERT_EQ(host.dialogosFichero.size(), 1u);
  EXPECT_EQ(host.dialogosFichero[0].m_strFileName, tmp.Fichero("original.nrv"));
  EXPECT_EQ(d.GetTitle(), "otra.nrv");
}

class CDocNuevoPrueba : public CDocPrueba {
 public:
  BOOL OnNewDocument() override { return CDocPrueba::OnNewDocument() && m_bAceptar; }
  bool m_bAceptar = true;
};

TEST(Titulos, LosNuevosDocumentosSeNumeranSoloAlCrearse) {
  CTestHost host;
  CDocTemplate plantilla;
  CDocNuevoPrueba a, cancelado, b;
  EXPECT_TRUE(plantilla.NuevoDocumento(&a));
  EXPECT_EQ(a.GetTitle(), "Nrv 1");
  EXPECT_EQ(a.m_pDocTemplate, &plantilla);
  EXPECT_TRUE(a.GetPathName().empty());
  EXPECT_FALSE(a.IsModified());
  cancelado.m_bAceptar = false;
  EXPECT_FALSE(plantilla.NuevoDocumento(&cancelado));
  EXPECT_TRUE(plantilla.NuevoDocumento(&b));
  EXPECT_EQ(b.GetTitle(), "Nrv 2");
}

TEST(Titulos, AbrirDaLaRutaYElNombreDelFichero) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Fichero("iris.nrv");
  CDocPrueba a;
  Rellenar(a);
  ASSERT_TRUE(a.OnSaveDocument(ruta));
  CDocTemplate plantilla;
  CDocPrueba b;
  EXPECT_TRUE(plantilla.AbrirDocumento(&b, ruta));
  EXPECT_EQ(b.GetPathName(), ruta);
  EXPECT_EQ(b.GetTitle(), "iris.nrv");
  CDocPrueba c;
  EXPECT_FALSE(plantilla.AbrirDocumento(&c, tmp.Fichero("falta.nrv")));
  EXPECT_TRUE(c.GetPathName().empty());
  b.SetPathName("sin/carpeta.nrv", FALSE);
  EXPECT_EQ(b.GetTitle(), "iris.nrv");
}

class CVistaPrueba : public CView {
 public:
  void OnUpdate(CView* pSender, LPARAM lHint, CObject*) override {
    ++m_nActualizaciones;
    m_pUltimoEmisor = pSender;
    m_lUltimaPista = lHint;
  }
  int m_nActualizaciones = 0;
  CView* m_pUltimoEmisor = nullptr;
  LPARAM m_lUltimaPista = -1;
};

class CDocOrdenes : public CDocPrueba {
 public:
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override {
    if (id != 32771) return false;
    if (pCmdUI) pCmdUI->Enable(FALSE);
    else ++m_nEjecutadas;
    return true;
  }
  int m_nEjecutadas = 0;
};

TEST(Vistas, UpdateAllViewsAvisaATodasMenosAlEmisor) {
  CTestHost host;
  CDocPrueba d;
  CVistaPrueba v1, v2;
  d.AddView(&v1);
  d.AddView(&v2);
  d.AddView(&v1);  // once only
  EXPECT_EQ(d.GetViews().size(), 2u);
  EXPECT_EQ(d.GetFirstView(), &v1);
  EXPECT_EQ(v1.GetDocument(), &d);
  d.UpdateAllViews(nullptr, 3);
  EXPECT_EQ(v1.m_nActualizaciones, 1);
  EXPECT_EQ(v2.m_nActualizaciones, 1);
  EXPECT_EQ(v2.m_lUltimaPista, 3);
  d.UpdateAllViews(&v1);
  EXPECT_EQ(v1.m_nActualizaciones, 1);
  EXPECT_EQ(v2.m_nActualizaciones, 2);
  EXPECT_EQ(v2.m_pUltimoEmisor, &v1);
  v1.OnInitialUpdate();
  EXPECT_EQ(v1.m_nActualizaciones, 2);
  EXPECT_EQ(v1.m_pUltimoEmisor, nullptr);
}

TEST(Vistas, UnaVistaDestruidaSaleDeLaListaYUnDocumentoDestruidoSueltaSusVistas) {
  CTestHost host;
  CVistaPrueba queda;
  {
    CDocPrueba d;
    {
      CVistaPrueba v;
      d.AddView(&v);
      d.AddView(&queda);
    }
    EXPECT_EQ(d.GetViews().size(), 1u);
    d.UpdateAllViews(nullptr);
    EXPECT_EQ(queda.m_nActualizaciones, 1);
  }
  EXPECT_EQ(queda.GetDocument(), nullptr);
}

TEST(Vistas, LasOrdenesPasanDeLaVistaASuDocumento) {
  CTestHost host;
  CDocOrdenes d;
  CVistaPrueba v;
  EXPECT_FALSE(v.OnCmdMsg(32771, nullptr));  // no document yet
  d.AddView(&v);
  EXPECT_TRUE(v.OnCmdMsg(32771, nullptr));
  EXPECT_EQ(d.m_nEjecutadas, 1);
  CCmdUI ui(32771);
  EXPECT_TRUE(v.OnCmdMsg(32771, &ui));
  EXPECT_FALSE(ui.m_bEnabled);
  EXPECT_FALSE(v.OnCmdMsg(32773, nullptr));
}

TEST(ErroresDelSistema, SeDescribenEnEspanol) {
  EXPECT_EQ(AfxDescribirError(ENOSPC), "no queda espacio en el dispositivo");
  EXPECT_EQ(AfxDescribirError(EACCES), "permiso denegado");
  EXPECT_EQ(AfxDescribirError(123456), "error del sistema 123456");
}

}  // namespace

// ---- Saves that clean up and keep what the file was ----

TEST(GuardadoSeguro, LosTemporalesDeUnGuardadoInterrumpidoSeBorranAlGuardarDeNuevo) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Escribir("red.nrv", "viejo");
  // A save killed half-way (its process gone, untouched for an hour); one
  // still being written by a live process; one of another target; one of
  // a process gone but written a moment ago (another machine's save).
  const std::string muerto = tmp.Escribir(".red.nrv.999999999.3.tmp", std::string(1000, 'x'));
  const std::string vivo = tmp.Escribir(FormatC(".red.nrv.%ld.1.tmp", static_cast<long>(getppid())), "x");
  const std::string otro = tmp.Escribir(".otra.nrv.999999999.1.tmp", "x");
  const std::string reciente = tmp.Escribir(".red.nrv.999999998.2.tmp", "x");
  const std::string parecido = tmp.Escribir(".red.nrv.7.999999999.1.tmp", "x");  // ".red.nrv.7"'s
  for (const std::string& f : {muerto, vivo, otro, parecido}) {
    const timespec antes[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, f.c_str(), antes, 0), 0);
  }
  CDocPrueba d;
  Rellenar(d);
  ASSERT_TRUE(d.OnSaveDocument(ruta));
  std::vector<std::string> quedan = {".otra.nrv.999999999.1.tmp", ".red.nrv.7.999999999.1.tmp",
                                     ".red.nrv.999999998.2.tmp",
                                     FormatC(".red.nrv.%ld.1.tmp", static_cast<long>(getppid())), "red.nrv"};
  std::sort(quedan.begin(), quedan.end());
  EXPECT_EQ(Contenido(tmp.Ruta()), quedan);
  EXPECT_TRUE(host.Textos().empty());
}

TEST(GuardadoSeguro, UnFicheroConEnlacesDurosLosConserva) {
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Escribir("red.nrv", std::string(100000, 'v'));
  const std::string otro = tmp.Fichero("copia.nrv");
  ASSERT_EQ(link(ruta.c_str(), otro.c_str()), 0);
  CDocPrueba d;
  Rellenar(d);
  ASSERT_TRUE(d.OnSaveDocument(ruta));
  struct stat a {}, b {};
  ASSERT_EQ(stat(ruta.c_str(), &a), 0);
  ASSERT_EQ(stat(otro.c_str(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  EXPECT_EQ(a.st_nlink, 2u);
  EXPECT_EQ(LeerFichero(otro), LeerFichero(ruta));
  CDocPrueba leido;
  ASSERT_TRUE(leido.OnOpenDocument(otro));  // shorter than before: nothing of the old bytes follows
  EXPECT_EQ(leido.m_valores, d.m_valores);
  EXPECT_EQ(Contenido(tmp.Ruta()), (std::vector<std::string>{"copia.nrv", "red.nrv"}));
}

TEST(GuardadoSeguro, UnFicheroDeOtroDuenoConservaSuDueno) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can make a file of another owner here";
  CTestHost host;
  CCarpetaTemporal tmp;
  const std::string ruta = tmp.Escribir("red.nrv", "viejo");
  ASSERT_EQ(chown(ruta.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(ruta.c_str(), 0664), 0);
  CDocPrueba d;
  Rellenar(d);
  ASSERT_TRUE(d.OnSaveDocument(ruta));
  struct stat st {};
  ASSERT_EQ(stat(ruta.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 0777, 0664u);
  EXPECT_NE(LeerFichero(ruta), "viejo");
}
