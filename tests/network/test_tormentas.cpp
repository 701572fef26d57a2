// Stop storms and shutdown: thousands of Entrenar/Detener cycles, stops
// that arrive while the thread still loads its files, documents closed
// while they train, alone and several at once. No deadlock, no epoch lost
// between the history, the log and m_nEpoca, nothing used after it is gone.
#include <memory>

#include "framework/texto.h"
#include "network/registro.h"
#include "tests/network/documento_apoyo.h"

namespace {

// A view that only counts: the storms post millions of updates, and
// re-reading the whole history for each would make the test quadratic.
class CVistaLigera : public CVistaPrueba {
 public:
  LRESULT WindowProc(UINT message, WPARAM, LPARAM) override {
    if (message == WM_FIN_ENTRENAMIENTO) ++fines;
    if (message == WM_ACTUALIZAR && Doc()) Doc()->UpdateAllViews(nullptr);
    return 0;
  }
  void OnUpdate(CView*, LPARAM, CObject*) override {
    // Reads what the view reads, in constant time.
    const UINT n = Doc()->m_nPuntos.load();
    if (n > 0) ultimaSuma = Doc()->m_arrErrorMaximo.m_pDatos[n - 1];
    ++actualizaciones;
  }
  int fines = 0;
};

struct Tanda {
  UINT e0;
  UINT e1;
};

class Tormentas : public ::testing::Test {
 protected:
  void SetUp() override { CNuevaRedDlg::RestablecerValores(); }
  void TearDown() override { CNuevaRedDlg::RestablecerValores(); }

  // An xor network that never meets its criterion within its epochs.
  void Crear(CNodusDoc& doc, const CString& verificacion, UINT epocas) {
    ParametrosRed p;
    p.entrenamiento = Ejemplo("xor.txt");
    p.verificacion = verificacion;
    ASSERT_TRUE(CrearRed(host, doc, p));
    // More epochs than the dialog offers: storms need room.
    doc.m_nMaxEpocas = epocas;
    doc.m_arrErrorMaximo.Dimensionar(epocas);
    doc.m_arrErrorTotal.Dimensionar(epocas);
    doc.m_arrAciertos.Dimensionar(epocas);
    doc.m_dErrorMaximo = 0.0;
  }

  // The log that the runs must have left: every block whole, with exactly
  // the epochs of its run, from the history as it stands now.
  static std::string RegistroEsperado(CNodusDoc& doc, const std::vector<Tanda>& tandas) {
    CString texto;
    for (const Tanda& t : tandas) {
      texto += CabeceraRegistro(doc.m_strFicheroEntrenamiento, doc.m_strFicheroVerificacion, t.e0, doc.m_dAprendizaje,
                                doc.m_dMomento);
      for (UINT i = t.e0; i < t.e1; ++i)
        texto += LineaEpocaRegistro(i, doc.m_arrErrorMaximo.m_pDatos[i], doc.m_arrErrorTotal.m_pDatos[i],
                                    doc.m_arrAciertos.m_pDatos[i]);
      texto += "\n";
    }
    CString crlf;
    for (char c : texto) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    std::string bytes;
    Utf8ACp1252(crlf, bytes);
    return bytes;
  }

  std::string Registro() const { return LeerFichero(carpeta.Fichero(CRegistroEntrenamiento::Nombre)); }

  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};
};

}  // namespace

TEST_F(Tormentas, MilesDeEntrenarDetenerYLaHistoriaElRegistroYLaEpocaConcuerdan) {
  // Room for far more epochs than the storm runs; should a slow machine
  // let the thread reach the limit, that run ends there as it should.
  constexpr UINT kEpocas = 1000000;
  CNodusDoc doc;
  Crear(doc, Ejemplo("xor.txt"), kEpocas);
  CVistaLigera vista;
  doc.AddView(&vista);
  std::vector<Tanda> tandas;
  for (int i = 0; i < 2000 && doc.m_nEpoca < kEpocas; ++i) {
    const UINT e0 = doc.m_nEpoca;
    doc.OnEntrenar();
    // Now and then the thread gets to run a few epochs first.
    if (i % 7 == 3) host.PumparHasta([&] { return doc.m_nPuntos >= e0 + 3 || !doc.m_bEntrenando; });
    doc.OnDetener();
    const UINT e1 = doc.m_nEpoca;
    ASSERT_GT(e1, e0) << "ciclo " << i;  // a stop ends a run after a whole epoch
    ASSERT_EQ(doc.m_nPuntos.load(), e1) << "ciclo " << i;
    ASSERT_FALSE(doc.m_bEntrenando);
    tandas.push_back({e0, e1});
    if (i % 20 == 0) AfxPumpMessages();
  }
  AfxPumpMessages();
  EXPECT_EQ(Registro(), RegistroEsperado(doc, tandas));
  for (UINT i = 0; i < doc.m_nEpoca; ++i) ASSERT_GT(doc.m_arrErrorTotal.m_pDatos[i], 0.0) << i;
  for (UINT i = doc.m_nEpoca; i < doc.m_nMaxEpocas; ++i) ASSERT_EQ(doc.m_arrErrorTotal.m_pDatos[i], 0.0) << i;
  EXPECT_EQ(vista.fines, doc.m_nEpoca == kEpocas ? 1 : 0);
  EXPECT_EQ(doc.GetEstado(), "Entrenamiento Detenido");
  RecordProperty("epocas", static_cast<int>(doc.m_nEpoca.load()));
}

TEST_F(Tormentas, DetenerMientrasElHiloCargaSusFicherosDejaUnaEpocaCadaVez) {
  // The verification file makes the loader show "faltan datos": the stop
  // is asked while the thread is inside its loading, every time.
  const CString aviso = ConAviso(carpeta, "xor.txt", "0");
  CNodusDoc doc;
  Crear(doc, aviso, 5000);
  std::vector<Tanda> tandas;
  for (UINT i = 0; i < 2000; ++i) {
    doc.OnEntrenar();
    doc.OnDetener();
    ASSERT_EQ(doc.m_nEpoca, i + 1);
    ASSERT_EQ(doc.m_nPuntos, i + 1);
    tandas.push_back({i, i + 1});
    if (i % 20 == 0) AfxPumpMessages();
  }
  AfxPumpMessages();
  EXPECT_EQ(host.Textos().size(), 2000u);
  EXPECT_EQ(Registro(), RegistroEsperado(doc, tandas));
}

TEST_F(Tormentas, CerrarUnDocumentoQueEntrenaLoDetieneYNadaLlegaDespues) {
  int tandas = 0;
  for (int i = 0; i < 300; ++i) {
    auto vista = std::make_unique<CVistaLigera>();
    auto doc = std::make_unique<CNodusDoc>();
    Crear(*doc, Ejemplo("xor.txt"), 100000);
    doc->AddView(vista.get());
    doc->OnEntrenar();
    ++tandas;
    // Closed at once (the thread still loading), or after some epochs.
    if (i % 3 == 1) host.PumparHasta([&] { return doc->m_nPuntos >= 2; });
    if (i % 3 == 2) host.PumparHasta([&] { return doc->m_nPuntos >= 20; });
    // The frame goes first, then the document: as the application closes.
    vista.reset();
    doc.reset();
    // What the thread posted to the gone view is dropped.
    AfxPumpMessages();
  }
  // Every run left its block whole, closing line included.
  const std::string r = Registro();
  EXPECT_EQ(Contar(r, "FICHERO ENTRENADO"), tandas);
  EXPECT_EQ(Contar(r, "\r\n\r\nFICHERO ENTRENADO") + 1, tandas);
  EXPECT_EQ(r.substr(r.size() - 4), "\r\n\r\n");
}

TEST_F(Tormentas, VariosDocumentosEntrenanYSeCierranALaVez) {
  constexpr int kDocumentos = 4;
  int tandas = 0;
  for (int ronda = 0; ronda < 60; ++ronda) {
    std::vector<std::unique_ptr<CVistaLigera>> vistas;
    std::vector<std::unique_ptr<CNodusDoc>> docs;
    for (int d = 0; d < kDocumentos; ++d) {
      vistas.push_back(std::make_unique<CVistaLigera>());
      docs.push_back(std::make_unique<CNodusDoc>());
      Crear(*docs.back(), Ejemplo("xor.txt"), 100000);
      docs.back()->AddView(vistas.back().get());
    }
    for (auto& d : docs) d->OnEntrenar();
    tandas += kDocumentos;
    if (ronda % 2 == 1) host.PumparHasta([&] { return docs.back()->m_nPuntos >= 5; });
    // One is stopped first and reopened for training: the others keep on.
    docs[0]->OnDetener();
    const UINT e = docs[0]->m_nEpoca;
    EXPECT_EQ(docs[0]->m_nPuntos.load(), e);
    docs[0]->OnEntrenar();
    ++tandas;
    // "Cerrar todas": every view and document goes, in order.
    for (int d = 0; d < kDocumentos; ++d) {
      vistas[d].reset();
      docs[d].reset();
    }
    AfxPumpMessages();
  }
  const std::string r = Registro();
  EXPECT_EQ(Contar(r, "FICHERO ENTRENADO"), tandas);
  // Blocks never mix: each header is followed by its own six rows.
  EXPECT_EQ(Contar(r, "FICHERO TEST:"), tandas);
  EXPECT_EQ(Contar(r, "Epoca  Error M\xE1ximo"), tandas);
}
