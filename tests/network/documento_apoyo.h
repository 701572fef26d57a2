// What the document tests share: a host whose queue can be waited for, a
// view that records what reaches it, a current directory of the test's own
// and the scripted creation of a network.
#pragma once

#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/archivo.h"
#include "framework/mensajes.h"
#include "network/dialogos.h"
#include "network/nodusdoc.h"
#include "resources/resource.h"
#include "tests/support/test_host.h"

// The training thread's posts and message boxes wake the waiting test.
class CHostEspera : public CTestHost {
 public:
  ~CHostEspera() override { Retirar(); }
  void WakeUi() override {
    {
      std::lock_guard<std::mutex> lock(m_mutexAvisos);
      ++m_nAvisos;
    }
    m_condAvisos.notify_all();
  }
  // Runs the queue until pred() holds, sleeping until the next post.
  template <class Pred>
  void PumparHasta(Pred pred) {
    for (;;) {
      unsigned n;
      {
        std::lock_guard<std::mutex> lock(m_mutexAvisos);
        n = m_nAvisos;
      }
      AfxPumpMessages();
      if (pred()) return;
      std::unique_lock<std::mutex> lock(m_mutexAvisos);
      m_condAvisos.wait(lock, [&] { return m_nAvisos != n; });
    }
  }

 private:
  std::mutex m_mutexAvisos;
  std::condition_variable m_condAvisos;
  unsigned m_nAvisos = 0;
};

// What the view saw when a message reached it.
struct Recibido {
  UINT mensaje;
  CString estado;
  UINT puntos;
  bool detenerHabilitado;
};

// Reads the document as the training view does: on WM_ACTUALIZAR it
// updates itself from the history below m_nPuntos and the status text.
class CVistaPrueba : public CView {
 public:
  CVistaPrueba() {
    AddControl(ID_ENTRENAR, "Entrenar");
    AddControl(ID_DETENER, "Detener");
  }
  CNodusDoc* Doc() const { return static_cast<CNodusDoc*>(GetDocument()); }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    (void)wParam;
    (void)lParam;
    CNodusDoc* d = Doc();
    recibidos.push_back({message, d ? d->GetEstado() : CString(), d ? d->m_nPuntos.load() : 0u,
                         GetDlgItem(ID_DETENER)->IsWindowEnabled() != FALSE});
    if (message == WM_ACTUALIZAR && d) d->UpdateAllViews(nullptr);
    return 0;
  }
  void OnUpdate(CView*, LPARAM, CObject*) override {
    CNodusDoc* d = Doc();
    const UINT n = d->m_nPuntos.load();
    double suma = 0.0;
    for (UINT i = 0; i < n; ++i) suma += d->m_arrErrorMaximo.m_pDatos[i] + d->m_arrAciertos.m_pDatos[i];
    ultimaSuma = suma;
    ++actualizaciones;
  }
  bool Habilitado(int id) { return GetDlgItem(id)->IsWindowEnabled() != FALSE; }
  std::vector<UINT> Mensajes() const {
    std::vector<UINT> m;
    for (const auto& r : recibidos) m.push_back(r.mensaje);
    return m;
  }
  int Cuenta(UINT mensaje) const {
    int n = 0;
    for (const auto& r : recibidos) n += r.mensaje == mensaje;
    return n;
  }
  std::vector<Recibido> recibidos;
  int actualizaciones = 0;
  double ultimaSuma = 0.0;
};

// The test's own current directory, so HNRV.TXT lands in a temporary folder.
class CDirectorioActual {
 public:
  explicit CDirectorioActual(const std::string& ruta) {
    char buf[4096];
    m_anterior = getcwd(buf, sizeof buf) ? buf : "/";
    EXPECT_EQ(chdir(ruta.c_str()), 0);
  }
  ~CDirectorioActual() { (void)chdir(m_anterior.c_str()); }

 private:
  std::string m_anterior;
};

struct ParametrosRed {
  CString entrenamiento;
  CString verificacion;
  CString ocultas = "3";
  CString aprendizaje = "0.1";
  CString momento = "0.9";
  CString error = "0.7";
  CString epocas = "100";
  bool guardar = false;
};

// One showing of the new-network dialog, filled and confirmed.
inline void GuionNuevaRed(CTestHost& host, const ParametrosRed& p) {
  host.guionDialogos.push_back([p](CDialog& d) {
    Escribir(d, IDC_FICHERO_ENTRENAMIENTO, p.entrenamiento);
    Escribir(d, IDC_FICHERO_VERIFICACION, p.verificacion);
    Escribir(d, IDC_OCULTAS, p.ocultas);
    Escribir(d, IDC_APRENDIZAJE, p.aprendizaje);
    Escribir(d, IDC_MOMENTO, p.momento);
    Escribir(d, IDC_ERROR_MAXIMO, p.error);
    Escribir(d, IDC_MAX_EPOCAS, p.epocas);
    d.GetDlgItem(IDC_GUARDAR_VALORES)->SetCheck(p.guardar ? 1 : 0);
    PulsarOK(d);
  });
}

// Creates the network through OnNewDocument; the generator starts again
// from seed 1, so every test gets the first network of a run.
inline bool CrearRed(CTestHost& host, CNodusDoc& doc, const ParametrosRed& p) {
  SemillaNodus(1);
  GuionNuevaRed(host, p);
  return doc.OnNewDocument() != FALSE;
}

// Waits until the thread has taken its last step (without taking the signal
// from a later OnDetener), then delivers what it posted.
inline void EsperarFinHilo(CNodusDoc& doc) {
  WaitForSingleObject(doc.m_hEventoParado, INFINITE);
  SetEvent(doc.m_hEventoParado);
  AfxPumpMessages();
}

// A new network of iris (5 hidden neurons, 0.3, 0.5, criterion 0), made as
// nrv-cli nueva makes it with these options; and a run of it to its end.
inline bool NuevaIris(CNodusDoc& doc, UINT nEpocas, const OpcionesRed& op = OpcionesRed(), UINT nOcultas = 5) {
  SemillaNodus(1);
  DatosNuevaRed d;
  d.strFicheroEntrenamiento = Ejemplo("iris-train.txt");
  d.strFicheroVerificacion = Ejemplo("iris-test.txt");
  d.nOcultas = nOcultas;
  d.dAprendizaje = 0.3;
  d.dMomento = 0.5;
  d.dErrorMaximo = 0.0;
  d.nMaxEpocas = nEpocas;
  d.opciones = op;
  return doc.NuevaRed(d) != FALSE;
}
inline void EntrenarHastaElFin(CNodusDoc& doc) {
  doc.OnEntrenar();
  EsperarFinHilo(doc);
  doc.OnDetener();
}

// A copy of an example data file with one more sample whose input line is
// short (one value): loading it shows "faltan datos", so a training thread
// with it as verification file waits for the user-interface thread before
// its first epoch, and a stop asked right after OnEntrenar always lands in
// that first epoch, however the threads are scheduled.
inline std::string ConAviso(const CCarpetaTemporal& c, const std::string& ejemplo, const std::string& salida) {
  return c.Escribir("aviso-" + ejemplo, LeerFichero(Ejemplo(ejemplo)) + "\n1\n" + salida + "\n");
}

// One run stopped at once: with a verification file from ConAviso it
// completes exactly its first epoch.
inline void EntrenarUnaEpoca(CNodusDoc& doc) {
  doc.OnEntrenar();
  doc.OnDetener();
  AfxPumpMessages();
}

inline std::vector<BYTE> Guardar(CNodusDoc& doc) {
  std::vector<BYTE> bytes;
  {
    CArchive ar(bytes);
    doc.Serialize(ar);
    ar.Close();
  }
  return bytes;
}

inline std::vector<double> Valores(const CMatrizReales& m) {
  std::vector<double> v;
  for (UINT i = 0; i < m.m_nFilas; ++i)
    for (UINT j = 0; j < m.m_nColumnas; ++j) v.push_back(m.m_ppFilas[i][j]);
  return v;
}

inline std::vector<double> Valores(const CArrayReales& a) { return std::vector<double>(a.m_pDatos, a.m_pDatos + a.m_nTam); }

inline int Contar(const std::string& s, const std::string& sub) {
  int n = 0;
  for (std::size_t p = s.find(sub); p != std::string::npos; p = s.find(sub, p + sub.size())) ++n;
  return n;
}
