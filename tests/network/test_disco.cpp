// A full disk: saves and exports that cannot be written are reported, leave
// the good file that was there as it was, leave no partial file behind and
// lose nothing of the open network.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <set>

#include "network/registro.h"
#include "tests/network/documento_apoyo.h"

namespace {

class Disco : public ::testing::Test {
 protected:
  void SetUp() override {
    CNuevaRedDlg::RestablecerValores();
    ParametrosRed p;
    p.entrenamiento = Ejemplo("xor.txt");
    p.verificacion = Ejemplo("xor.txt");
    ASSERT_TRUE(CrearRed(host, doc, p));
    // Two completed epochs, so that the history has lines to write.
    doc.m_nEpoca = 2;
    doc.m_nPuntos = 2;
    doc.m_arrErrorMaximo.m_pDatos[0] = 0.5;
    doc.m_arrErrorMaximo.m_pDatos[1] = 0.25;
    doc.SetModifiedFlag(TRUE);
    antes = Guardar(doc);
  }
  void TearDown() override { CNuevaRedDlg::RestablecerValores(); }

  // Nothing of the open network changed and it still asks to be saved.
  void NadaPerdido() {
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(Guardar(doc), antes);
  }

  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};
  CNodusDoc doc;
  std::vector<BYTE> antes;
};

std::set<std::string> Nombres(const std::string& carpeta) {
  std::set<std::string> r;
  if (DIR* d = opendir(carpeta.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") r.insert(e->d_name);
    closedir(d);
  }
  return r;
}

bool EmpiezaPor(const CString& s, const CString& inicio) { return s.compare(0, inicio.size(), inicio) == 0; }

// A small tmpfs of the test's own, or nothing where the test may not mount.
class CDiscoPequeno {
 public:
  explicit CDiscoPequeno(const std::string& punto) : m_punto(punto) {
    ::mkdir(punto.c_str(), 0755);
    m_bMontado = geteuid() == 0 && ::mount("nrv-prueba", punto.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
  }
  ~CDiscoPequeno() {
    if (m_bMontado) ::umount2(m_punto.c_str(), MNT_DETACH);
  }
  bool Montado() const { return m_bMontado; }
  // Fills what is left with one file; returns its path.
  std::string Llenar() {
    const std::string ruta = m_punto + "/relleno";
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    char bloque[4096] = {};
    while (::write(fd, bloque, sizeof bloque) > 0) {
    }
    while (::write(fd, bloque, 1) > 0) {
    }
    EXPECT_EQ(errno, ENOSPC);
    ::close(fd);
    return ruta;
  }

 private:
  std::string m_punto;
  bool m_bMontado = false;
};

}  // namespace

// ---------------------------------------------------------------- /dev/full

TEST_F(Disco, GuardarEnDispositivoLlenoSeAvisaYNoPierdeNada) {
  host.Limpiar();
  EXPECT_FALSE(doc.OnSaveDocument("/dev/full"));
  ASSERT_EQ(host.Textos().size(), 1u);
  EXPECT_TRUE(EmpiezaPor(host.Textos()[0], "No se ha podido guardar el documento /dev/full: ")) << host.Textos()[0];
  NadaPerdido();
}

TEST_F(Disco, ExportacionesEnDispositivoLlenoSeAvisan) {
  host.Limpiar();
  host.respuestasFichero = {"/dev/full", "/dev/full"};
  doc.OnGuardarHistorial();
  doc.OnGuardarPesos();
  const auto textos = host.Textos();
  ASSERT_EQ(textos.size(), 2u);
  for (const CString& t : textos) EXPECT_TRUE(EmpiezaPor(t, "Error al escribir el fichero /dev/full: ")) << t;
  NadaPerdido();
}

// ---------------------------------------------------------------- full tmpfs

TEST_F(Disco, DiscoLlenoDejaLosFicherosBuenosYNingunoAMedias) {
  CDiscoPequeno disco(carpeta.Fichero("disco"));
  if (!disco.Montado()) GTEST_SKIP() << "no se puede montar un tmpfs aquí (hace falta ser root)";
  const std::string red = carpeta.Fichero("disco/red.nrv");
  const std::string historial = carpeta.Fichero("disco/historial.txt");
  const std::string pesos = carpeta.Fichero("disco/pesos.txt");

  // Good files first, while there is room.
  ASSERT_TRUE(doc.OnSaveDocument(red));
  host.respuestasFichero = {historial, pesos};
  doc.OnGuardarHistorial();
  doc.OnGuardarPesos();
  ASSERT_TRUE(host.Textos().empty()) << host.Textos()[0];
  const std::string buenaRed = LeerFichero(red), buenHistorial = LeerFichero(historial),
                    buenosPesos = LeerFichero(pesos);
  ASSERT_FALSE(buenHistorial.empty());

  // Something changes in the network, then the disk fills up.
  doc.m_matPesosOculta.m_ppFilas[0][0] = 0.125;
  doc.m_arrErrorMaximo.m_pDatos[0] = 0.0625;
  doc.SetModifiedFlag(TRUE);
  antes = Guardar(doc);
  const std::string relleno = disco.Llenar();
  const std::set<std::string> presentes = Nombres(carpeta.Fichero("disco"));

  host.Limpiar();
  EXPECT_FALSE(doc.OnSaveDocument(red));
  host.respuestasFichero = {historial, pesos};
  doc.OnGuardarHistorial();
  doc.OnGuardarPesos();
  const auto textos = host.Textos();
  ASSERT_EQ(textos.size(), 3u);
  EXPECT_TRUE(EmpiezaPor(textos[0], "No se ha podido guardar el documento " + red + ": ")) << textos[0];
  EXPECT_TRUE(EmpiezaPor(textos[1], "Error al escribir el fichero " + historial + ": ")) << textos[1];
  EXPECT_TRUE(EmpiezaPor(textos[2], "Error al escribir el fichero " + pesos + ": ")) << textos[2];

  EXPECT_EQ(LeerFichero(red), buenaRed);
  EXPECT_EQ(LeerFichero(historial), buenHistorial);
  EXPECT_EQ(LeerFichero(pesos), buenosPesos);
  EXPECT_EQ(Nombres(carpeta.Fichero("disco")), presentes);
  NadaPerdido();

  // Once there is room again the same document saves whole.
  ASSERT_EQ(::unlink(relleno.c_str()), 0);
  host.Limpiar();
  EXPECT_TRUE(doc.OnSaveDocument(red));
  EXPECT_TRUE(host.Textos().empty());
  EXPECT_EQ(LeerFichero(red), std::string(antes.begin(), antes.end()));
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(Disco, UnFicheroNuevoQueNoCabeNoQuedaAMedias) {
  CDiscoPequeno disco(carpeta.Fichero("disco"));
  if (!disco.Montado()) GTEST_SKIP() << "no se puede montar un tmpfs aquí (hace falta ser root)";
  disco.Llenar();
  const std::set<std::string> presentes = Nombres(carpeta.Fichero("disco"));
  host.Limpiar();
  EXPECT_FALSE(doc.OnSaveDocument(carpeta.Fichero("disco/nueva.nrv")));
  host.respuestasFichero = {carpeta.Fichero("disco/h.txt"), carpeta.Fichero("disco/p.bin")};
  doc.OnGuardarHistorial();
  doc.OnGuardarPesos();
  EXPECT_EQ(host.Textos().size(), 3u);
  EXPECT_EQ(Nombres(carpeta.Fichero("disco")), presentes);
  NadaPerdido();
}

// ---------------------------------------------------------------- locale

TEST_F(Disco, LasExportacionesElRegistroYLosResultadosNoCambianConElLocale) {
  auto producir = [&](const char* locale) {
    const char* actual = std::setlocale(LC_ALL, nullptr);
    const std::string anterior = actual ? actual : "C";
    if (std::setlocale(LC_ALL, locale) == nullptr) return std::string();
    const std::string sufijo = locale[0] == 'C' ? "-c" : "-es";
    host.Limpiar();
    host.respuestasFichero = {carpeta.Fichero("h" + sufijo + ".txt"), carpeta.Fichero("p" + sufijo + ".txt"),
                              carpeta.Fichero("p" + sufijo + ".bin")};
    doc.OnGuardarHistorial();
    doc.OnGuardarPesos();
    doc.OnGuardarPesos();
    std::string r = LeerFichero(carpeta.Fichero("h" + sufijo + ".txt")) + "#" +
                    LeerFichero(carpeta.Fichero("p" + sufijo + ".txt")) + "#" +
                    LeerFichero(carpeta.Fichero("p" + sufijo + ".bin")) + "#";
    r += CabeceraRegistro("a.txt", "b.txt", 3, 0.1, 0.9) + LineaEpocaRegistro(3, 0.123456789, 1.5, 87.5) + "#";
    // The results dialog of a verification on the training file.
    host.guionDialogos.push_back([](CDialog& d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, Ejemplo("xor.txt"));
      PulsarOK(d);
    });
    host.guionDialogos.push_back([&r](CDialog& d) {
      auto& res = static_cast<CResultadosDlg&>(d);
      r += res.m_strFichero + "|" + res.m_strMuestras + "|" + res.m_strAciertos + "|" + res.m_strErrorTotal;
      PulsarOK(d);
    });
    doc.OnVerificar();
    for (const CString& t : host.Textos()) r += "|" + t;
    std::setlocale(LC_ALL, anterior.c_str());
    return r;
  };
  const std::string c = producir("C");
  const std::string es = producir("es_ES.UTF-8");
  if (es.empty()) GTEST_SKIP() << "es_ES.UTF-8 no está instalado";
  EXPECT_NE(c.find("0,500000"), std::string::npos);  // the history's own decimal commas
  EXPECT_NE(c.find("%"), std::string::npos);
  EXPECT_EQ(c, es);
}
