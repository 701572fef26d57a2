// The network document: one open perceptron network with its weights,
// training parameters, per-epoch history, data-file paths, status text and
// the control of its training thread.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "framework/comandos.h"
#include "framework/documento.h"
#include "framework/hilos.h"
#include "framework/resultado.h"
#include "framework/ventana.h"
#include "network/aritmetica.h"
#include "network/opciones.h"
#include "network/parametros.h"
#include "storage/reales.h"

class CFileDialog;

// A data path stored in a network file, as it is to be opened: a relative
// path that the working folder does not hold is taken from the folder of
// the network's file (strRed), when it is there. Absolute paths, and
// relative ones the working folder holds, are as stored.
CString RutaDatosRed(const CString& strRuta, const CString& strRed);

// The status text, replaced by the training thread while the view reads it.
class CTextoCompartido {
 public:
  CTextoCompartido() = default;
  CTextoCompartido(const CTextoCompartido&) = delete;
  CTextoCompartido& operator=(const CTextoCompartido&) = delete;

  CString Get() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_str;
  }
  void Set(const CString& s) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_str = s;
  }
  operator CString() const { return Get(); }
  CTextoCompartido& operator=(const CString& s) {
    Set(s);
    return *this;
  }
  bool empty() const { return Get().empty(); }
  bool operator==(const CString& s) const { return Get() == s; }

 private:
  mutable std::mutex m_mutex;
  CString m_str;
};

class CNodusDoc : public CDocument {
  DECLARE_RUNTIME(CNodusDoc)
 public:
  CNodusDoc();
  ~CNodusDoc() override;
  CNodusDoc(const CNodusDoc&) = delete;
  CNodusDoc& operator=(const CNodusDoc&) = delete;

  void Serialize(CArchive& ar) override;
  BOOL OnNewDocument() override;
  // Guardar como never over the network's data files or the log
  // (ComprobarGuardarRed).
  Resultado<Hecho> ComprobarGuardarComo(const CString& ruta) const override;
  // A new network from values already checked (ComprobarNuevaRed), as New
  // makes one from the dialog's: FALSE after the message box that says why
  // the data files make none.
  BOOL NuevaRed(const DatosNuevaRed& datos);
  // The document's commands: Entrenar, Detener, Verificar, Matriz de
  // confusión, Aplicar a fichero, Guardar historial, Guardar pesos and
  // Exportar como C.
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

  void OnEntrenar();
  void OnDetener();
  void OnUpdateEntrenar(CCmdUI* pCmdUI);
  void OnUpdateDetener(CCmdUI* pCmdUI);
  void OnVerificar();
  // Like Verificar, both stop a running training first: the matrix of a
  // file, and the network applied to a file (results in CSV).
  void OnMatrizConfusion();
  void OnAplicarFichero();
  void OnUpdateMatrizConfusion(CCmdUI* pCmdUI);
  void OnUpdateAplicarFichero(CCmdUI* pCmdUI);
  void OnGuardarHistorial();
  void OnUpdateGuardarHistorial(CCmdUI* pCmdUI);
  void OnGuardarPesos();
  void OnUpdateGuardarPesos(CCmdUI* pCmdUI);
  // The network as one C source file (exportar_c.h), its names prefixed
  // after the file's name.
  void OnExportarC();
  // The file dialog of an export until it gives a destination that is none
  // of the network's files (each refusal said); false when it is cancelled.
  bool PedirDestino(CFileDialog& dlg);
  // "Cerrar todas" asks through dialog 139: 1 keeps the document open, 0
  // lets it be closed.
  int PreguntarGuardar();

  // The network's file locked against another training of it, in this
  // program or another (flock on the file of GetPathName(); nothing for a
  // network never saved): refused, with the words that say so, while
  // another holds it. Entrenar takes it for its run when it is not held
  // already; whoever took it here keeps it until LiberarFichero or the end
  // of the document.
  Resultado<Hecho> BloquearFichero();
  void LiberarFichero();
  // A save puts a new file in the place of the old one; a lock held goes
  // with it to the new file, so that the path stays locked.
  BOOL OnSaveDocument(const CString& ruta) override;

  // The training log's block of a run is written when the run ends, or,
  // with m_bRegistroTrasGuardar (nrv-cli, which saves the network after
  // each run), kept until EscribirRegistroPendiente is called once the
  // network is saved: the log never tells of epochs that its file lacks.
  bool m_bRegistroTrasGuardar = false;
  Resultado<Hecho> EscribirRegistroPendiente();

  // Whether the network can still be trained: not met its criterion and
  // epochs left (Entrenar also wants no run in progress).
  // A network gone back to its best epoch by its patience is done too.
  bool PuedeEntrenarse() const { return !m_bEntrenada && m_nEpoca < m_nMaxEpocas && !m_opciones.bParadaTemprana; }

  // A data path of this network as it is to be opened (RutaDatosRed with
  // the network's own file).
  CString RutaDatos(const CString& strRuta) const { return RutaDatosRed(strRuta, GetPathName()); }

  // New training and verification files for the network (an empty path
  // keeps that one): each must open and hold the network's inputs and
  // outputs. Refused while training, with the words that say why; the
  // document is marked modified when a path changed.
  Resultado<Hecho> CambiarFicherosDatos(const CString& strEntrenamiento, const CString& strVerificacion);
  // NRV › Ficheros de datos...: the dialog until its files are accepted.
  void OnFicherosDatos();
  void OnUpdateFicherosDatos(CCmdUI* pCmdUI);

  // The network's shape and weights, as the arithmetic and the core's
  // operations take them. Read the weights only while no training runs.
  RedPerceptron GetRed();

  // More epochs for a network that is not done (criterion met, or gone
  // back to its best epoch): the limit rises by nMas and the history grows,
  // its entries kept, so the next run goes on where the last one stopped,
  // as a stop and resume does. Refused while training, with the words that
  // say why; marks the document modified.
  Resultado<Hecho> AmpliarEpocas(UINT nMas);

  // NRV › Más épocas...: the dialog until a number AmpliarEpocas takes is
  // given; greyed while training and for a network that is done.
  void OnMasEpocas();
  void OnUpdateMasEpocas(CCmdUI* pCmdUI);

  // New options for the next runs, given as nrv-cli nueva's texts
  // ("semilla", "paciencia", "prueba"; a text not given is an option
  // unset) and checked by ComprobarOpcionesRed against the network's data
  // files, in its words. The seed draws the weights again, as nueva
  // --semilla would have, only while no epoch has been trained; after that
  // it stays as it is. Patience stays too once it has stopped the network.
  // A new test file drops the last one's figures; no patience, its best
  // epoch. Refused while training; marks the document modified when an
  // option changed.
  Resultado<Hecho> CambiarOpciones(std::map<std::string, std::string> textos, bool bBarajar,
                                   bool bMedirEntrenamiento);
  // NRV › Opciones de entrenamiento...: the dialog until its options are
  // accepted; greyed while training.
  void OnOpcionesEntrenamiento();
  void OnUpdateOpcionesEntrenamiento(CCmdUI* pCmdUI);

  // The status text, safe from any thread.
  CString GetEstado() const { return m_strEstado.Get(); }
  void SetEstado(const CString& s) { m_strEstado.Set(s); }

  // Fields. The training thread writes the weights, the previous changes,
  // the history entries from the run's first epoch on, m_nPuntos, m_nEpoca,
  // m_bEntrenada, m_bEntrenando and m_strEstado. m_nPuntos is published
  // (release) after the history entries it counts and m_nEpoca after those
  // of the whole run: read them with acquire (the default load does) and
  // read the history only below them.
  HANDLE m_hEventoParado;
  CMatrizReales m_matPesosOculta;
  CMatrizReales m_matPesosSalida;
  CMatrizReales m_matIncOculta;
  CMatrizReales m_matIncSalida;
  CString m_strFicheroEntrenamiento;
  CString m_strFicheroVerificacion;
  HWND m_hWndVista = 0;
  UINT m_nOcultas = 0;
  UINT m_nEntradas = 0;
  UINT m_nSalidas = 0;
  double m_dMomento = 0.0;
  double m_dAprendizaje = 0.0;
  UINT m_nMaxEpocas = 0;
  std::atomic<UINT> m_nEpoca{0};
  double m_dErrorMaximo = 0.0;
  std::atomic<bool> m_bEntrenada{false};
  CArrayReales m_arrErrorMaximo;
  CArrayReales m_arrErrorTotal;
  CArrayReales m_arrAciertos;
  std::atomic<UINT> m_nPuntos{0};
  std::atomic<bool> m_bEntrenando{false};
  HANDLE m_hEventoDetener;
  std::shared_ptr<CWinThread> m_pHilo;
  CTextoCompartido m_strEstado;
  // Whether a thread was started and still runs (valid after it has ended).
  bool HiloActivo() const;
  // Everything beyond the fields above, kept in the file's extension block.
  OpcionesRed m_opciones;

 private:
  std::atomic<int> m_fdBloqueo{-1};
  std::atomic<bool> m_bBloqueoDelEntrenamiento{false};  // taken by OnEntrenar, released by its thread
  CString m_strBloqueRegistro;  // written by the thread before m_nEpoca, read once it has ended
  // The data files of a run as it opens them, set by OnEntrenar.
  CString m_strRutaEntrenamiento, m_strRutaVerificacion, m_strRutaPrueba;

  friend UINT HiloEntrenamiento(void* pParam);
  // The new network's history, weights (random) and previous changes
  // (zero) for its dimensions; throws CMemoryException when they cannot
  // be had. LiberarRed releases them all.
  void ConstruirRed();
  // The new network's random weights, from its seed or the process's
  // sequence.
  void SortearPesos();
  // Steps of a new network after its values were accepted: measures the
  // data files and builds the network, or says why not.
  BOOL CrearRed(const DatosNuevaRed& datos);
  void LiberarRed();
  // After the stop step: waits until the thread is gone, then lets it go.
  void UnirHilo();
  // Enables or disables a control of the first view (user-interface thread).
  void HabilitarControl(int id, BOOL bEnable);

  // The two events live as long as their last user: the document or a
  // training thread that is just setting m_hEventoParado.
  std::shared_ptr<void> m_pVidaEventos;
};

// The training thread: pParam is the CNodusDoc. Always returns 0.
UINT HiloEntrenamiento(void* pParam);

// The document's random generator: the C library's standard sequence
// (seed 1 at start), shared by the whole process and continuing across
// networks. Values 0 .. 32767.
int AleatorioNodus();
// Starts the sequence again from a seed (tests).
void SemillaNodus(UINT semilla);
