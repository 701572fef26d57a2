#include "network/nodusdoc.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "data/conjunto.h"
#include "framework/archivo.h"
#include "framework/dialogo.h"
#include "framework/fichero.h"
#include "framework/host.h"
#include "framework/mensajes.h"
#include "framework/texto.h"
#include "network/aplicar.h"
#include "network/aritmetica.h"
#include "network/dialogos.h"
#include "network/dialogos_tablas.h"
#include "network/exportar.h"
#include "network/exportar_c.h"
#include "network/motor.h"
#include "network/parada.h"
#include "network/parametros.h"
#include "network/registro.h"
#include "network/verificacion.h"
#include "resources/resource.h"

IMPLEMENT_RUNTIME(CNodusDoc)

// ---------------------------------------------------------------- generator

namespace {

std::mutex g_mutexAleatorio;
CGeneradorNodus g_generador;

constexpr double INVERSO_RAND_MAX = 1.0 / 32767.0;

const char* const ESTADO_ENTRENANDO = "Entrenando...";
const char* const ESTADO_FINALIZADO = "Entrenamiento Finalizado";
const char* const ESTADO_DETENIDO = "Entrenamiento Detenido";

// Owns the two events of a document; the training thread holds it too, so
// an event is never destroyed while the thread is still setting it.
struct CVidaEventos {
  HANDLE hDetener;
  HANDLE hParado;
  ~CVidaEventos() {
    CloseHandle(hDetener);
    CloseHandle(hParado);
  }
};

RedPerceptron Red(CNodusDoc& doc) {
  return RedPerceptron{doc.m_nEntradas, doc.m_nOcultas, doc.m_nSalidas, &doc.m_matPesosOculta,
                       &doc.m_matPesosSalida, &doc.m_matIncOculta, &doc.m_matIncSalida};
}

// A loaded set whose rows have exactly the network's inputs and outputs.
bool Encaja(const CConjuntoDatos& c, UINT nEntradas, UINT nSalidas) { return EncajaConjunto(c, nEntradas, nSalidas); }

bool Finitos(const CMatrizReales& m) {
  for (UINT i = 0; i < m.m_nFilas; ++i)
    for (UINT j = 0; j < m.m_nColumnas; ++j)
      if (!std::isfinite(m.m_ppFilas[i][j])) return false;
  return true;
}

// Whether every weight, previous change and factor is a finite number: a
// network that is not can neither be trained nor be told from a damaged
// file.
bool RedFinita(const CNodusDoc& d) {
  return std::isfinite(d.m_dMomento) && std::isfinite(d.m_dAprendizaje) && std::isfinite(d.m_dErrorMaximo) &&
         Finitos(d.m_matPesosOculta) && Finitos(d.m_matPesosSalida) && Finitos(d.m_matIncOculta) &&
         Finitos(d.m_matIncSalida);
}

// An export put in place whole, or the message box that says why not.
void Escribir(const CString& ruta, const std::string& bytes) {
  const Resultado<Hecho> r = EscribirExportacion(ruta, bytes);
  if (!r) AfxMessageBox(r.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

int AleatorioNodus() {
  std::lock_guard<std::mutex> lock(g_mutexAleatorio);
  return g_generador.Siguiente();
}

void SemillaNodus(UINT semilla) {
  std::lock_guard<std::mutex> lock(g_mutexAleatorio);
  g_generador = CGeneradorNodus(semilla);
}

// ---------------------------------------------------------------- life

CNodusDoc::CNodusDoc() {
  m_hEventoDetener = CreateEvent();
  m_hEventoParado = CreateEvent();
  auto vida = std::make_shared<CVidaEventos>();
  vida->hDetener = m_hEventoDetener;
  vida->hParado = m_hEventoParado;
  m_pVidaEventos = std::move(vida);
}

CNodusDoc::~CNodusDoc() {
  // The stop step: the thread may not outlive the fields it writes.
  if (HiloActivo()) {
    SetEvent(m_hEventoDetener);
    WaitForSingleObject(m_hEventoParado, INFINITE);
  }
  UnirHilo();
  LiberarFichero();
}

Resultado<Hecho> CNodusDoc::BloquearFichero() {
  if (m_fdBloqueo.load() >= 0 || GetPathName().empty()) return Hecho{};
  const int fd = ::open(GetPathName().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Hecho{};  // nothing there to train over
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int e = errno;
    ::close(fd);
    if (e == EWOULDBLOCK)
      return Rechazo(FormatC("La red %s ya se está entrenando en otra ventana o en otro programa; espere a que "
                             "termine.",
                             GetPathName().c_str()));
    return Hecho{};  // a file system without locks trains as before
  }
  m_fdBloqueo.store(fd);
  return Hecho{};
}

void CNodusDoc::LiberarFichero() {
  const int fd = m_fdBloqueo.exchange(-1);
  if (fd >= 0) ::close(fd);
}

BOOL CNodusDoc::OnSaveDocument(const CString& ruta) {
  if (!CDocument::OnSaveDocument(ruta)) return FALSE;
  if (m_fdBloqueo.load() < 0) return TRUE;
  // The old file is no longer at any path: lock the new one, then let the
  // old one go. Should another program have taken the new one in between,
  // it holds it, and the old lock is kept.
  const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return TRUE;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return TRUE;
  }
  const int viejo = m_fdBloqueo.exchange(fd);
  if (viejo >= 0) ::close(viejo);
  return TRUE;
}

Resultado<Hecho> CNodusDoc::EscribirRegistroPendiente() {
  if (m_strBloqueRegistro.empty()) return Hecho{};
  const CString bloque = std::move(m_strBloqueRegistro);
  m_strBloqueRegistro.clear();
  return CRegistroEntrenamiento().Escribir(bloque);
}

CString RutaDatosRed(const CString& strRuta, const CString& strRed) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path ruta(strRuta);
  if (strRuta.empty() || ruta.is_absolute() || strRed.empty() || fs::exists(ruta, ec)) return strRuta;
  const fs::path junto = fs::path(strRed).parent_path() / ruta;
  if (!fs::exists(junto, ec)) return strRuta;
  return junto.string();
}

bool CNodusDoc::HiloActivo() const {
  DWORD codigo = 0;
  return m_pHilo && GetExitCodeThread(m_pHilo, &codigo) && codigo == STILL_ACTIVE;
}

void CNodusDoc::UnirHilo() {
  if (m_pHilo) m_pHilo->Join();
  m_pHilo.reset();
}

void CNodusDoc::HabilitarControl(int id, BOOL bEnable) {
  if (CView* pVista = GetFirstView())
    if (CWnd* pCtl = pVista->GetDlgItem(id)) pCtl->EnableWindow(bEnable);
}

// ---------------------------------------------------------------- new network

BOOL CNodusDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return FALSE;

  CNuevaRedDlg dlg;
  for (;;) {
    if (dlg.DoModal() != IDOK) {
      m_nPuntos = 0;
      return FALSE;
    }
    DatosNuevaRed datos;
    datos.strFicheroEntrenamiento = dlg.m_strFicheroEntrenamiento;
    datos.strFicheroVerificacion = dlg.m_strFicheroVerificacion;
    datos.nOcultas = dlg.m_nOcultas;
    datos.dMomento = dlg.m_dMomento;
    datos.dAprendizaje = dlg.m_dAprendizaje;
    datos.dErrorMaximo = dlg.m_dErrorMaximo;
    datos.nMaxEpocas = dlg.m_nMaxEpocas;
    datos.opciones = m_opciones;
    if (CrearRed(datos)) break;
  }
  return TRUE;
}

BOOL CNodusDoc::NuevaRed(const DatosNuevaRed& datos) {
  if (!CDocument::OnNewDocument()) return FALSE;
  return CrearRed(datos);
}

BOOL CNodusDoc::CrearRed(const DatosNuevaRed& datos) {
  m_strFicheroEntrenamiento = datos.strFicheroEntrenamiento;
  m_strFicheroVerificacion = datos.strFicheroVerificacion;
  m_nOcultas = datos.nOcultas;

  CConjuntoDatos conjunto;
  // A binary header that announces more values than its file holds
  // makes no network: its counts may be anything.
  if (!conjunto.Dimensiones(m_strFicheroEntrenamiento, &m_nEntradas, &m_nSalidas) || m_nEntradas == 0 ||
      m_nSalidas == 0 || !CConjuntoDatos::Completo(m_strFicheroEntrenamiento)) {
    AfxMessageBox("Error en apertura de fichero", MB_OK, 0);
    return FALSE;
  }
  UINT nEntradasVer = 0, nSalidasVer = 0;
  if (!conjunto.Dimensiones(m_strFicheroVerificacion, &nEntradasVer, &nSalidasVer) ||
      !CConjuntoDatos::Completo(m_strFicheroVerificacion)) {
    AfxMessageBox("Error en apertura de fichero", MB_OK, 0);
    return FALSE;
  }
  if (nEntradasVer != m_nEntradas || nSalidasVer != m_nSalidas) {
    AfxMessageBox("Dimensiones Erroneas", MB_OK, 0);
    return FALSE;
  }

  m_dMomento = datos.dMomento;
  m_dAprendizaje = datos.dAprendizaje;
  m_dErrorMaximo = datos.dErrorMaximo;
  m_nMaxEpocas = datos.nMaxEpocas;
  m_opciones = datos.opciones;
  m_nEpoca = 0;
  m_bEntrenada = false;
  m_nPuntos = 0;
  // A network that the machine cannot hold is reported as the framework
  // reports any memory failure, and the dialog comes back for a smaller
  // one; nothing of it is kept.
  try {
    ConstruirRed();
  } catch (const CMemoryException& e) {
    LiberarRed();
    AfxMessageBox(e.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  } catch (const std::bad_alloc&) {
    LiberarRed();
    AfxMessageBox(CMemoryException().Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
  }
  SetEstado(CString());
  m_bEntrenando = false;
  return TRUE;
}

void CNodusDoc::ConstruirRed() {
  // Each row holds one more column, the bias: a count with no room for it
  // cannot be a network.
  if (m_nEntradas == UINT_MAX || m_nOcultas == UINT_MAX) AfxThrowMemoryException();
  const UINT nColumnasOculta = m_nEntradas + 1;
  const UINT nColumnasSalida = m_nOcultas + 1;
  m_arrErrorMaximo.Dimensionar(m_nMaxEpocas);
  m_arrErrorTotal.Dimensionar(m_nMaxEpocas);
  m_arrAciertos.Dimensionar(m_nMaxEpocas);
  m_matPesosOculta.Dimensionar(m_nOcultas, nColumnasOculta);
  m_matIncOculta.Dimensionar(m_nOcultas, nColumnasOculta);
  m_matPesosSalida.Dimensionar(m_nSalidas, nColumnasSalida);
  m_matIncSalida.Dimensionar(m_nSalidas, nColumnasSalida);
  SortearPesos();
}

void CNodusDoc::SortearPesos() {
  const UINT nColumnasOculta = m_nEntradas + 1;
  const UINT nColumnasSalida = m_nOcultas + 1;
  // With a seed of its own the network draws from its own sequence and the
  // process's goes on untouched.
  CGeneradorNodus propio(m_opciones.nSemilla);
  auto aleatorio = [&] { return m_opciones.bSemilla ? propio.Siguiente() : AleatorioNodus(); };
  for (UINT j = 0; j < m_nOcultas; ++j)
    for (UINT i = 0; i < nColumnasOculta; ++i)
      m_matPesosOculta.m_ppFilas[j][i] = aleatorio() * INVERSO_RAND_MAX * 0.6 - 0.3;
  for (UINT k = 0; k < m_nSalidas; ++k)
    for (UINT j = 0; j < nColumnasSalida; ++j)
      m_matPesosSalida.m_ppFilas[k][j] = aleatorio() * INVERSO_RAND_MAX * 0.6 - 0.3;
}

void CNodusDoc::LiberarRed() {
  m_arrErrorMaximo.Liberar();
  m_arrErrorTotal.Liberar();
  m_arrAciertos.Liberar();
  m_matPesosOculta.Liberar();
  m_matIncOculta.Liberar();
  m_matPesosSalida.Liberar();
  m_matIncSalida.Liberar();
}

// ---------------------------------------------------------------- file

void CNodusDoc::Serialize(CArchive& ar) {
  OnDetener();
  if (ar.IsStoring()) {
    // Such a file could never be opened again: the one on disk is kept.
    if (!RedFinita(*this))
      throw CArchiveException(CArchiveException::generic, "la red tiene pesos o factores que no son números finitos");
    ar << m_nOcultas << m_dMomento << m_dAprendizaje << m_nMaxEpocas << UINT(m_nEpoca.load())
       << m_dErrorMaximo << UINT(m_bEntrenada ? 1 : 0) << UINT(m_nPuntos.load());
    ar << m_strFicheroEntrenamiento << m_strFicheroVerificacion;
    ar << m_nEntradas << m_nSalidas;
    ar << GetEstado();
  } else {
    UINT nEpoca = 0, nEntrenada = 0, nPuntos = 0;
    ar >> m_nOcultas >> m_dMomento >> m_dAprendizaje >> m_nMaxEpocas >> nEpoca >> m_dErrorMaximo >>
        nEntrenada >> nPuntos;
    ar >> m_strFicheroEntrenamiento >> m_strFicheroVerificacion;
    ar >> m_nEntradas >> m_nSalidas;
    CString estado;
    ar >> estado;
    m_nEpoca = nEpoca;
    m_bEntrenada = nEntrenada == 1;
    // Outside a run the filled entries are the completed epochs: no view
    // or command may show an epoch that never ran. A count beyond the
    // history is damage (checked below with the shapes).
    m_nPuntos = nPuntos <= m_nMaxEpocas ? nEpoca : nPuntos;
    SetEstado(estado);
  }
  if (ar.IsLoading()) {
    // A file cut inside its weights or history would load with zeros there:
    // refuse it whole. The shapes themselves are checked once read.
    const std::uint64_t e = m_nEntradas, o = m_nOcultas, s = m_nSalidas, n = m_nMaxEpocas;
    const std::uint64_t necesarios = 2 * (8 + 8 * o * (e + 1)) + 2 * (8 + 8 * s * (o + 1)) + 3 * (4 + 8 * n);
    if (ar.Restantes() < necesarios) AfxThrowArchiveException(CArchiveException::endOfFile);
  }
  m_matPesosOculta.Serialize(ar);
  m_matPesosSalida.Serialize(ar);
  m_matIncOculta.Serialize(ar);
  m_matIncSalida.Serialize(ar);
  m_arrErrorMaximo.Serialize(ar);
  m_arrErrorTotal.Serialize(ar);
  m_arrAciertos.Serialize(ar);
  // The options, after every field of the described layout: a file
  // without them is that layout exactly. A run leaves room in the history
  // for epochs that did not come; the file keeps those completed.
  if (ar.IsStoring()) {
    m_opciones.RecortarHistorial(m_nEpoca.load());
    EscribirBloqueOpciones(ar, m_opciones);
  }

  if (ar.IsLoading()) {
    // Training, verification and the exports trust these shapes.
    const bool bien =
        m_nEntradas > 0 && m_nOcultas > 0 && m_nSalidas > 0 && m_nEntradas < 0xFFFFFFFFu &&
        m_nOcultas < 0xFFFFFFFFu && m_matPesosOculta.m_nFilas == m_nOcultas &&
        m_matPesosOculta.m_nColumnas == m_nEntradas + 1 && m_matIncOculta.m_nFilas == m_nOcultas &&
        m_matIncOculta.m_nColumnas == m_nEntradas + 1 && m_matPesosSalida.m_nFilas == m_nSalidas &&
        m_matPesosSalida.m_nColumnas == m_nOcultas + 1 && m_matIncSalida.m_nFilas == m_nSalidas &&
        m_matIncSalida.m_nColumnas == m_nOcultas + 1 && m_arrErrorMaximo.m_nTam == m_nMaxEpocas &&
        m_arrErrorTotal.m_nTam == m_nMaxEpocas && m_arrAciertos.m_nTam == m_nMaxEpocas &&
        m_nEpoca <= m_nMaxEpocas && m_nPuntos <= m_nMaxEpocas;
    if (!bien)
      throw CArchiveException(CArchiveException::generic,
                              "El fichero no contiene una red válida: sus dimensiones no concuerdan.");
    if (!RedFinita(*this))
      throw CArchiveException(CArchiveException::generic,
                              "El fichero no contiene una red válida: tiene valores que no son números finitos.");
    m_opciones = LeerBloqueOpciones(ar);
    // The best epoch's copy holds this network's weights, of an epoch that ran.
    const std::uint64_t nPesos = 2 * (std::uint64_t(m_nOcultas) * (m_nEntradas + 1) + std::uint64_t(m_nSalidas) * (m_nOcultas + 1));
    if (m_opciones.bMejor && (m_opciones.mejores.size() != nPesos || m_opciones.nEpocaMejor >= m_nEpoca))
      throw CArchiveException(CArchiveException::generic,
                              "El fichero no contiene una red válida: su mejor época no concuerda con la red.");
    // The history measured under the option: of epochs that ran, its
    // classes the network's outputs.
    const OpcionesRed& op = m_opciones;
    if (op.entErrorMaximo.size() > m_nEpoca || (op.nClases != 0 && op.nClases != m_nSalidas) ||
        op.aciertosClase.size() > std::uint64_t(m_nEpoca) * m_nSalidas ||
        op.matrices.size() > std::uint64_t(m_nEpoca) * m_nSalidas * m_nSalidas)
      throw CArchiveException(CArchiveException::generic,
                              "El fichero no contiene una red válida: su historial de entrenamiento no concuerda "
                              "con la red.");
  }
  m_bEntrenando = false;
}

// ---------------------------------------------------------------- commands

bool CNodusDoc::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
  switch (id) {
    case ID_ENTRENAR:
      if (pCmdUI) OnUpdateEntrenar(pCmdUI);
      else OnEntrenar();
      return true;
    case ID_DETENER:
      if (pCmdUI) OnUpdateDetener(pCmdUI);
      else OnDetener();
      return true;
    case ID_VERIFICAR:
      if (pCmdUI) pCmdUI->Enable(TRUE);
      else OnVerificar();
      return true;
    case ID_MATRIZ_CONFUSION:
      if (pCmdUI) OnUpdateMatrizConfusion(pCmdUI);
      else OnMatrizConfusion();
      return true;
    case ID_APLICAR_FICHERO:
      if (pCmdUI) OnUpdateAplicarFichero(pCmdUI);
      else OnAplicarFichero();
      return true;
    case ID_GUARDAR_HISTORIAL:
      if (pCmdUI) OnUpdateGuardarHistorial(pCmdUI);
      else OnGuardarHistorial();
      return true;
    case ID_GUARDAR_PESOS:
      if (pCmdUI) OnUpdateGuardarPesos(pCmdUI);
      else OnGuardarPesos();
      return true;
    case ID_EXPORTAR_C:
      if (pCmdUI) pCmdUI->Enable(TRUE);
      else OnExportarC();
      return true;
    case ID_FICHEROS_DATOS:
      if (pCmdUI) OnUpdateFicherosDatos(pCmdUI);
      else OnFicherosDatos();
      return true;
    case ID_OPCIONES_ENTRENAMIENTO:
      if (pCmdUI) OnUpdateOpcionesEntrenamiento(pCmdUI);
      else OnOpcionesEntrenamiento();
      return true;
    case ID_MAS_EPOCAS:
      if (pCmdUI) OnUpdateMasEpocas(pCmdUI);
      else OnMasEpocas();
      return true;
    default:
      return CDocument::OnCmdMsg(id, pCmdUI);
  }
}

void CNodusDoc::OnEntrenar() {
  if (!m_bEntrenando && !m_bEntrenada) {
    // The run writes each epoch's figures in place, while the views read
    // those published: their room is made here, before the thread.
    if (m_opciones.bMedirEntrenamiento) {
      try {
        m_opciones.PrepararHistorial(m_nMaxEpocas, m_nSalidas);
      } catch (const std::bad_alloc&) {
        AfxMessageBox(CMemoryException().Mensaje(), MB_OK | MB_ICONEXCLAMATION);
        return;
      }
    }
    if (m_fdBloqueo.load() < 0) {
      if (const Resultado<Hecho> b = BloquearFichero(); !b) {
        AfxMessageBox(b.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
        return;
      }
      m_bBloqueoDelEntrenamiento = m_fdBloqueo.load() >= 0;
    }
    CView* pVista = GetFirstView();
    m_hWndVista = pVista ? pVista->GetSafeHwnd() : 0;
    ResetEvent(m_hEventoDetener);
    // A previous thread past its last step may not have set the event yet:
    // let it finish, so its signal cannot be taken for the new thread's.
    if (HiloActivo()) WaitForSingleObject(m_hEventoParado, INFINITE);
    UnirHilo();
    // A stop that arrives before the new thread's first step must wait for
    // it, not for a signal left by an earlier run.
    ResetEvent(m_hEventoParado);
    // Outside a run the filled entries are the completed epochs.
    if (m_nPuntos != m_nEpoca) m_nPuntos = m_nEpoca.load();
    m_strRutaEntrenamiento = RutaDatos(m_strFicheroEntrenamiento);
    m_strRutaVerificacion = RutaDatos(m_strFicheroVerificacion);
    m_strRutaPrueba = RutaDatos(m_opciones.strFicheroPrueba);
    m_bEntrenando = true;
    m_pHilo = AfxBeginThread(HiloEntrenamiento, this, THREAD_PRIORITY_LOWEST);
  }
  HabilitarControl(ID_ENTRENAR, FALSE);
  HabilitarControl(ID_DETENER, TRUE);
}

void CNodusDoc::OnDetener() {
  if (HiloActivo()) {
    SetEvent(m_hEventoDetener);
    WaitForSingleObject(m_hEventoParado, INFINITE);
  }
  UnirHilo();
  m_bEntrenando = false;
  if (PuedeEntrenarse()) HabilitarControl(ID_ENTRENAR, TRUE);
  HabilitarControl(ID_DETENER, FALSE);
}

void CNodusDoc::OnUpdateEntrenar(CCmdUI* pCmdUI) {
  pCmdUI->Enable(!m_bEntrenando && PuedeEntrenarse());
}

void CNodusDoc::OnUpdateDetener(CCmdUI* pCmdUI) { pCmdUI->Enable(m_bEntrenando.load()); }

// ---------------------------------------------------------------- data files

Resultado<Hecho> CNodusDoc::CambiarFicherosDatos(const CString& strEntrenamiento, const CString& strVerificacion) {
  if (m_bEntrenando)
    return Fallo{"La red se está entrenando: deténgala antes de cambiar sus ficheros de datos."};
  for (const CString* pNuevo : {&strEntrenamiento, &strVerificacion}) {
    if (pNuevo->empty()) continue;
    const CString ruta = RutaDatos(*pNuevo);
    if (const Resultado<Hecho> r = ComprobarFicheroDatos(ruta); !r) return Rechazo(r.Mensaje() + ": " + ruta);
    CConjuntoDatos conjunto;
    UINT nEntradas = 0, nSalidas = 0;
    if (!conjunto.Dimensiones(ruta, &nEntradas, &nSalidas) || !CConjuntoDatos::Completo(ruta))
      return Rechazo("Error en apertura de fichero. " + ruta);
    if (nEntradas != m_nEntradas || nSalidas != m_nSalidas)
      return Rechazo(FormatC("Dimensiones Erroneas: %s tiene %u entradas y %u salidas; la red, %u y %u.", ruta.c_str(),
                             nEntradas, nSalidas, m_nEntradas, m_nSalidas));
  }
  bool bCambio = false;
  for (auto [pNuevo, pCampo] : {std::pair{&strEntrenamiento, &m_strFicheroEntrenamiento},
                                std::pair{&strVerificacion, &m_strFicheroVerificacion}}) {
    if (pNuevo->empty() || *pNuevo == *pCampo) continue;
    *pCampo = *pNuevo;
    bCambio = true;
  }
  if (bCambio) SetModifiedFlag(TRUE);
  return Hecho{};
}

void CNodusDoc::OnUpdateFicherosDatos(CCmdUI* pCmdUI) { pCmdUI->Enable(!m_bEntrenando); }

void CNodusDoc::OnFicherosDatos() {
  CFicherosDatosDlg dlg;
  dlg.m_strFicheroEntrenamiento = m_strFicheroEntrenamiento;
  dlg.m_strFicheroVerificacion = m_strFicheroVerificacion;
  // Until files the network can train on are given, or the dialog is
  // cancelled; it comes back with what was typed.
  for (;;) {
    if (dlg.DoModal() != IDOK) return;
    const Resultado<Hecho> r = CambiarFicherosDatos(dlg.m_strFicheroEntrenamiento, dlg.m_strFicheroVerificacion);
    if (r) break;
    AfxMessageBox(r.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    if (!r.GetFallo().bRechazo) return;
  }
  UpdateAllViews(nullptr);
}

Resultado<Hecho> CNodusDoc::AmpliarEpocas(UINT nMas) {
  if (m_bEntrenando) return Fallo{"La red se está entrenando: deténgala antes de darle más épocas."};
  if (m_bEntrenada)
    return Fallo{"La red ya está entrenada: una época quedó por debajo del error máximo por muestra; no se le "
                 "pueden dar más épocas."};
  if (m_opciones.bParadaTemprana)
    return Fallo{"La red se detuvo por su paciencia y volvió a su mejor época; no se le pueden dar más épocas."};
  if (nMas == 0 || m_nMaxEpocas >= kEpocasMaximasAmpliadas || nMas > kEpocasMaximasAmpliadas - m_nMaxEpocas)
    return Rechazo(FormatC("Una red puede tener hasta %u épocas.", kEpocasMaximasAmpliadas));
  const UINT nNuevo = m_nMaxEpocas + nMas;
  // The new vectors whole before any old one goes: a failure keeps the network.
  CArrayReales nuevos[3];
  CArrayReales* viejos[3] = {&m_arrErrorMaximo, &m_arrErrorTotal, &m_arrAciertos};
  try {
    for (int i = 0; i < 3; ++i) {
      nuevos[i].Dimensionar(nNuevo);
      if (viejos[i]->m_nTam != 0)
        std::memcpy(nuevos[i].m_pDatos, viejos[i]->m_pDatos, std::size_t(viejos[i]->m_nTam) * sizeof(double));
    }
  } catch (const CMemoryException& e) {
    return Fallo{e.Mensaje()};
  }
  for (int i = 0; i < 3; ++i) std::swap(viejos[i]->m_pDatos, nuevos[i].m_pDatos), std::swap(viejos[i]->m_nTam, nuevos[i].m_nTam);
  m_nMaxEpocas = nNuevo;
  SetModifiedFlag(TRUE);
  return Hecho{};
}

void CNodusDoc::OnUpdateMasEpocas(CCmdUI* pCmdUI) {
  pCmdUI->Enable(!m_bEntrenando && !m_bEntrenada && !m_opciones.bParadaTemprana);
}

void CNodusDoc::OnMasEpocas() {
  CMasEpocasDlg dlg;
  dlg.m_strEpocasRed = FormatC("La red ha completado %u de sus %u épocas; puede tener hasta %u en total.",
                               m_nEpoca.load(), m_nMaxEpocas, kEpocasMaximasAmpliadas);
  dlg.m_strMasEpocas = TextoParametro(Parametro(PARAM_EPOCAS).dPorOmision);
  // entrenar --mas-epocas's two steps, with its words; a refused number
  // brings the dialog back with it.
  for (;;) {
    if (dlg.DoModal() != IDOK) return;
    const Resultado<UINT> n = ComprobarMasEpocas(dlg.m_strMasEpocas, m_nMaxEpocas);
    const Resultado<Hecho> r = n ? AmpliarEpocas(*n) : Resultado<Hecho>(n.GetFallo());
    if (r) break;
    AfxMessageBox(r.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    if (!r.EsRechazo()) return;
  }
  HabilitarControl(ID_ENTRENAR, PuedeEntrenarse());
  UpdateAllViews(nullptr);
}

// ---------------------------------------------------------------- options

Resultado<Hecho> CNodusDoc::CambiarOpciones(std::map<std::string, std::string> textos, bool bBarajar,
                                            bool bMedirEntrenamiento) {
  if (m_bEntrenando) return Fallo{"La red se está entrenando: deténgala antes de cambiar sus opciones."};
  const OpcionesRed& antes = m_opciones;
  // What the texts set starts unset; what is fixed keeps its value.
  OpcionesRed base = antes;
  if (m_nEpoca == 0) {
    base.bSemilla = false;
    base.nSemilla = 1;
  } else {
    textos.erase("semilla");
  }
  if (antes.bParadaTemprana) textos.erase("paciencia");
  else base.nPaciencia = 0;
  base.bBarajar = false;
  base.strFicheroPrueba.clear();
  base.strEsquema.clear();
  // The files are read where training and Verificar read them, and kept as
  // given.
  CString strPrueba, strEsquema;
  for (auto [clave, pRuta] : {std::pair{"prueba", &strPrueba}, std::pair{"esquema", &strEsquema}})
    if (const auto it = textos.find(clave); it != textos.end()) {
      *pRuta = it->second;
      it->second = RutaDatos(*pRuta);
    }
  Resultado<OpcionesRed> r = ComprobarOpcionesRed(textos, bBarajar, RutaDatos(m_strFicheroEntrenamiento),
                                                  RutaDatos(m_strFicheroVerificacion), base);
  if (!r) return r.GetFallo();
  OpcionesRed nuevas = *r;
  nuevas.strFicheroPrueba = strPrueba;
  nuevas.strEsquema = strEsquema;
  nuevas.bMedirEntrenamiento = bMedirEntrenamiento;
  if (nuevas.strFicheroPrueba != antes.strFicheroPrueba) {
    nuevas.bFigurasPrueba = false;
    nuevas.figurasPrueba = FigurasPrueba();
  }
  if (nuevas.nPaciencia == 0) {
    nuevas.bMejor = false;
    nuevas.nEpocaMejor = 0;
    nuevas.mejores.clear();
  }
  if (nuevas == antes) return Hecho{};
  const bool bSemillaNueva = m_nEpoca == 0 && (nuevas.bSemilla != antes.bSemilla || nuevas.nSemilla != antes.nSemilla);
  m_opciones = std::move(nuevas);
  if (bSemillaNueva) SortearPesos();
  SetModifiedFlag(TRUE);
  return Hecho{};
}

void CNodusDoc::OnUpdateOpcionesEntrenamiento(CCmdUI* pCmdUI) { pCmdUI->Enable(!m_bEntrenando); }

namespace {

// A field left empty (or blank) is an option not given.
void AnadirTexto(std::map<std::string, std::string>& textos, const char* opcion, const CString& texto) {
  if (texto.find_first_not_of(" \t") != CString::npos) textos[opcion] = texto;
}

}  // namespace

void CNodusDoc::OnOpcionesEntrenamiento() {
  const OpcionesRed& op = m_opciones;
  COpcionesEntrenamientoDlg dlg;
  dlg.m_strSemilla = op.bSemilla ? FormatC("%u", op.nSemilla) : CString();
  dlg.m_bSemillaFija = m_nEpoca != 0;
  if (!dlg.m_bSemillaFija)
    dlg.m_strNotaSemilla = "La red aún no se ha entrenado: toma sus pesos iniciales de esta semilla (vacía: sin "
                           "semilla propia). También ordena el barajado.";
  else if (op.bSemilla)
    dlg.m_strNotaSemilla = "La semilla dio los pesos iniciales al crear la red; entrenada ya, no cambia y solo "
                           "ordena el barajado.";
  else
    dlg.m_strNotaSemilla = "La red no tiene semilla propia: sus pesos iniciales salieron de la secuencia del "
                           "programa; el barajado usa la semilla 1.";
  dlg.m_strPaciencia = op.nPaciencia ? FormatC("%u", op.nPaciencia) : CString();
  dlg.m_bPacienciaFija = op.bParadaTemprana;
  dlg.m_bBarajar = op.bBarajar ? TRUE : FALSE;
  dlg.m_strFicheroPrueba = op.strFicheroPrueba;
  dlg.m_bMedirEntrenamiento = op.bMedirEntrenamiento ? TRUE : FALSE;
  dlg.m_strEsquema = op.strEsquema;
  // Until options the network takes are given, or the dialog is cancelled;
  // it comes back with what was typed.
  for (;;) {
    if (dlg.DoModal() != IDOK) return;
    std::map<std::string, std::string> textos;
    AnadirTexto(textos, "semilla", dlg.m_strSemilla);
    AnadirTexto(textos, "paciencia", dlg.m_strPaciencia);
    AnadirTexto(textos, "prueba", dlg.m_strFicheroPrueba);
    AnadirTexto(textos, "esquema", dlg.m_strEsquema);
    const Resultado<Hecho> r = CambiarOpciones(std::move(textos), dlg.m_bBarajar != FALSE,
                                               dlg.m_bMedirEntrenamiento != FALSE);
    if (r) break;
    AfxMessageBox(r.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    if (!r.EsRechazo()) return;
  }
  UpdateAllViews(nullptr);
}

// ---------------------------------------------------------------- training thread

UINT HiloEntrenamiento(void* pParam) {
  CNodusDoc* pDoc = static_cast<CNodusDoc*>(pParam);
  // Keeps the events alive until this thread's very last use of them.
  const std::shared_ptr<void> vidaEventos = pDoc->m_pVidaEventos;
  const HANDLE hParado = pDoc->m_hEventoParado;
  const HANDLE hDetener = pDoc->m_hEventoDetener;

  // The last step before the document may go: the file's lock taken for
  // this run is given back, then the run is over.
  const auto terminar = [pDoc, hParado] {
    if (pDoc->m_bBloqueoDelEntrenamiento.exchange(false)) pDoc->LiberarFichero();
    SetEvent(hParado);
  };
  ResetEvent(hParado);
  // Gone back to its best epoch, a network is done as one that met its
  // criterion is.
  if (pDoc->m_bEntrenada || pDoc->m_opciones.bParadaTemprana) {
    terminar();
    return 0;
  }
  pDoc->SetModifiedFlag(TRUE);

  const UINT nEntradas = pDoc->m_nEntradas;
  const UINT nSalidas = pDoc->m_nSalidas;
  const double dMomento = pDoc->m_dMomento;
  const double dAprendizaje = pDoc->m_dAprendizaje;
  const double dErrorMaximo = pDoc->m_dErrorMaximo;
  const UINT nMaxEpocas = pDoc->m_nMaxEpocas;
  const UINT e0 = pDoc->m_nEpoca.load(std::memory_order_acquire);
  const HWND hWnd = pDoc->m_hWndVista;
  const RedPerceptron red = Red(*pDoc);
  const OpcionesRed opciones = pDoc->m_opciones;

  // Everything the run needs is had before its first epoch. A memory
  // failure on the way ends the thread as a failed start does, with the
  // framework's message; a long load looks at the stop request as it
  // reads, and a stop there ends the run before any epoch.
  std::unique_ptr<CConjuntoDatos> pEntrenamiento, pVerificacion;
  std::unique_ptr<CMotorPerceptron> pMotor;
  std::unique_ptr<CBarajado> pBarajado;
  std::unique_ptr<CParadaTemprana> pParada;
  // Under bMedirEntrenamiento: the verification file's outputs of each
  // epoch, for its confusion matrix.
  std::unique_ptr<CMatrizReales> pSalidasVer;
  std::vector<UINT> matriz;
  CString bloque;
  CString fallo;
  bool detenido = false;
  try {
    auto cargar = [&](std::unique_ptr<CConjuntoDatos>& p, const CString& ruta) {
      p = std::make_unique<CConjuntoDatos>();
      p->m_hDetener = hDetener;
      if (!p->Cargar(ruta)) {
        if (p->m_bDetenido) detenido = true;
        else fallo = "Error en apertura de fichero. " + ruta;
        return false;
      }
      if (!Encaja(*p, nEntradas, nSalidas)) {
        fallo = "Dimensiones Erroneas";
        return false;
      }
      return true;
    };
    if (cargar(pEntrenamiento, pDoc->m_strRutaEntrenamiento) &&
        cargar(pVerificacion, pDoc->m_strRutaVerificacion)) {
      // The fast engine: the same bits as EntrenarEpoca and MedirConjunto,
      // its buffers made once per run; the matrices hold the state after
      // each call.
      pMotor = std::make_unique<CMotorPerceptron>(red);
      if (opciones.bBarajar) pBarajado = std::make_unique<CBarajado>(*pEntrenamiento, opciones.nSemilla);
      if (opciones.nPaciencia != 0)
        pParada = std::make_unique<CParadaTemprana>(red, opciones, pDoc->m_arrErrorTotal.m_pDatos, e0);
      if (opciones.bMedirEntrenamiento) {
        pSalidasVer = std::make_unique<CMatrizReales>();
        pSalidasVer->Dimensionar(pVerificacion->m_nMuestras, nSalidas);
        matriz.resize(std::size_t(nSalidas) * nSalidas);
      }
      bloque = CabeceraRegistro(pDoc->m_strFicheroEntrenamiento, pDoc->m_strFicheroVerificacion, e0, dAprendizaje,
                                dMomento);
      bloque.reserve(bloque.size() + std::size_t(nMaxEpocas - std::min(e0, nMaxEpocas)) * 64 + 2);
    }
  } catch (const CException& e) {
    fallo = e.Mensaje();
  } catch (const std::bad_alloc&) {
    fallo = CMemoryException().Mensaje();
  }
  if (!fallo.empty() || detenido) {
    pBarajado.reset();
    pParada.reset();
    pSalidasVer.reset();
    pEntrenamiento.reset();
    pVerificacion.reset();
    pMotor.reset();
    if (fallo.empty()) {
      // Stopped while loading: the run ends with nothing to record.
      pDoc->m_bEntrenando = false;
    } else {
      AfxMessageBox(fallo, MB_OK, 0);
    }
    terminar();
    return 0;
  }

  double* const pErrorMaximo = pDoc->m_arrErrorMaximo.m_pDatos;
  double* const pErrorTotal = pDoc->m_arrErrorTotal.m_pDatos;
  double* const pAciertos = pDoc->m_arrAciertos.m_pDatos;
  // The history of the option, made room for by OnEntrenar: entries past
  // a vector's end (matrices that do not fit) are not kept.
  OpcionesRed& hist = pDoc->m_opciones;

  pDoc->SetEstado(ESTADO_ENTRENANDO);
  PostMessage(hWnd, WM_ACTUALIZAR, 0, 0);

  UINT e = e0;
  bool alcanzado = false;
  bool noFinito = false;
  bool agotada = false;  // the patience ran out
  while (e < nMaxEpocas) {
    if (pBarajado) pBarajado->Epoca(e);
    pMotor->EntrenarEpoca(*pEntrenamiento, dAprendizaje, dMomento);
    if (pBarajado) pBarajado->Restaurar();
    const MedidasConjunto m = pMotor->MedirConjunto(*pVerificacion, pSalidasVer.get());
    if (pSalidasVer) {
      // The training set measured by the same pass, with the weights the
      // verification file saw.
      const MedidasConjunto t = pMotor->MedirConjunto(*pEntrenamiento);
      if (e < hist.entErrorMaximo.size()) {
        hist.entErrorMaximo[e] = std::isnan(t.dErrorTotal) ? t.dErrorTotal : t.dErrorMaximo;
        hist.entErrorTotal[e] = t.dErrorTotal;
        hist.entAciertos[e] = t.dTasaAciertos;
      }
      ContarMatriz(red, *pVerificacion, *pSalidasVer, matriz.data());
      const std::size_t n = nSalidas, celdas = n * n;
      if ((std::size_t(e) + 1) * n <= hist.aciertosClase.size())
        for (UINT k = 0; k < nSalidas; ++k) hist.aciertosClase[e * n + k] = AciertosClase(matriz.data(), nSalidas, k);
      if ((std::size_t(e) + 1) * celdas <= hist.matrices.size())
        std::copy(matriz.begin(), matriz.end(), hist.matrices.begin() + std::ptrdiff_t(e * celdas));
    }
    // A NaN error never counts as the greatest, but it makes the total
    // NaN: the epoch's maximum is then recorded as what it is.
    const double dMaximo = std::isnan(m.dErrorTotal) ? m.dErrorTotal : m.dErrorMaximo;
    // Weights that are no longer finite cannot meet the criterion, however
    // the error reads, and cannot be trained on.
    noFinito = !std::isfinite(dMaximo) || !std::isfinite(m.dErrorTotal) || !Finitos(*red.pPesosOculta) ||
               !Finitos(*red.pPesosSalida);
    alcanzado = !noFinito && dMaximo < dErrorMaximo;
    pErrorMaximo[e] = dMaximo;
    pErrorTotal[e] = m.dErrorTotal;
    pAciertos[e] = m.dTasaAciertos;
    agotada = pParada && !noFinito && pParada->Epoca(e, m.dErrorTotal);
    // Published after the entries it counts.
    const UINT nPuntos = pDoc->m_nPuntos.load(std::memory_order_relaxed);
    if (nPuntos < nMaxEpocas) pDoc->m_nPuntos.store(nPuntos + 1, std::memory_order_release);
    ++e;
    PostMessage(hWnd, WM_ACTUALIZAR, 0, 0);
    if (WaitForSingleObject(hDetener, 0) == WAIT_OBJECT_0) break;
    if (alcanzado || noFinito || agotada) break;
  }
  // Back to the best epoch when the patience ran out (the criterion met
  // in that very epoch keeps it).
  const bool bParadaTemprana = agotada && !alcanzado;
  if (pParada) {
    if (bParadaTemprana) pParada->Volver();
    pParada->Guardar(pDoc->m_opciones);
    pDoc->m_opciones.bParadaTemprana = bParadaTemprana;
  }
  const UINT nMejor = pParada ? pParada->Mejor() : 0;

  // The whole block in one write, so that runs of other documents in the
  // same folder never come between its lines. The log is a courtesy: a
  // block that cannot be made or written is said (never waited for) and
  // costs the network nothing.
  try {
    for (UINT i = e0; i < e; ++i) bloque += LineaEpocaRegistro(i, pErrorMaximo[i], pErrorTotal[i], pAciertos[i]);
    bloque += "\n";
    if (pDoc->m_bRegistroTrasGuardar) {
      pDoc->m_strBloqueRegistro = std::move(bloque);
    } else if (const Resultado<Hecho> r = CRegistroEntrenamiento().Escribir(bloque); !r) {
      AfxPostToUi([mensaje = r.Mensaje()] { AfxMessageBox(mensaje, MB_OK | MB_ICONEXCLAMATION); });
    }
  } catch (const std::bad_alloc&) {
  }

  // The test file, measured once with the weights the run leaves.
  pMotor.reset();
  pSalidasVer.reset();
  CString avisoPrueba;
  if (!opciones.strFicheroPrueba.empty() && e > e0) {
    const Resultado<FigurasPrueba> f = MedirFicheroPrueba(red, pDoc->m_strRutaPrueba, e);
    pDoc->m_opciones.bFigurasPrueba = bool(f);
    pDoc->m_opciones.figurasPrueba = f ? *f : FigurasPrueba();
    if (!f) avisoPrueba = f.Mensaje();
  }

  pDoc->m_nEpoca.store(e, std::memory_order_release);
  pDoc->m_bEntrenada = alcanzado;

  if (alcanzado || e == nMaxEpocas || bParadaTemprana) {
    // Posted: this thread never waits for the user-interface thread, and a
    // view that is gone by then is simply not found.
    AfxPostToUi([hWnd] {
      if (CWnd* pVista = CWnd::FromHandle(hWnd))
        if (CWnd* pCtl = pVista->GetDlgItem(ID_DETENER)) pCtl->EnableWindow(FALSE);
    });
    PostMessage(hWnd, WM_FIN_ENTRENAMIENTO, 0, 0);
  }

  pEntrenamiento.reset();
  pVerificacion.reset();
  pMotor.reset();

  pDoc->SetEstado(alcanzado          ? CString(ESTADO_FINALIZADO)
                  : bParadaTemprana ? EstadoParadaTemprana(nMejor)
                                    : CString(ESTADO_DETENIDO));
  PostMessage(hWnd, WM_ACTUALIZAR, 0, 0);
  if (noFinito) {
    // Said before the run is taken down, as a failed load is.
    AfxMessageBox(FormatC("Entrenamiento detenido: la época %u ha dado valores que no son números finitos; "
                          "la red no puede seguir entrenándose.",
                          e - 1),
                  MB_OK | MB_ICONEXCLAMATION);
  }
  if (!avisoPrueba.empty()) AfxMessageBox(avisoPrueba, MB_OK | MB_ICONEXCLAMATION);
  pDoc->m_bEntrenando = false;
  terminar();
  // From here on the document may be gone.
  return 0;
}

// ---------------------------------------------------------------- verification

RedPerceptron CNodusDoc::GetRed() { return Red(*this); }

void CNodusDoc::OnVerificar() {
  OnDetener();
  HabilitarControl(ID_ENTRENAR, PuedeEntrenarse());

  CVerificarDlg dlg;
  for (;;) {
    if (dlg.DoModal() != IDOK) return;
    const Resultado<Hecho> r = ComprobarDimensiones(GetRed(), dlg.m_strFichero);
    if (r) break;
    AfxMessageBox(r.Mensaje(), MB_OK, 0);
  }
  // A network whose scheme has numeric outputs gives their figures too,
  // in the table's units, as verificar --esquema does. A scheme that cannot
  // be read, or is not of the network's shape, leaves the usual figures.
  if (!m_opciones.strEsquema.empty()) {
    const CString strEsquema = RutaDatos(m_opciones.strEsquema);
    const Resultado<CEsquema> e = LeerEsquema(strEsquema);
    if (e && !e->Clase() && ComprobarEsquemaRed(GetRed(), *e, strEsquema)) {
      const Resultado<VerificacionDatos> d = VerificarDatos(GetRed(), dlg.m_strFichero, strEsquema);
      if (!d) {
        AfxMessageBox(d.Mensaje(), MB_OK, 0);
        return;
      }
      const TextosResultados t = TextosVerificacion(dlg.m_strFichero, d->resultados);
      CResultadosRegresionDlg resultados;
      resultados.m_strFichero = t.strFichero;
      resultados.m_strAciertos = t.strAciertos;
      resultados.m_strErrorTotal = t.strErrorTotal;
      resultados.m_strMuestras = t.strMuestras;
      resultados.m_strNota = "Salidas numéricas, en las unidades de la tabla (esquema " + m_opciones.strEsquema + "):";
      resultados.m_celdas = CeldasRegresion(d->regresion);
      resultados.DoModal();
      return;
    }
  }
  const Resultado<ResultadosVerificacion> v = VerificarFichero(GetRed(), dlg.m_strFichero);
  if (!v) {
    AfxMessageBox(v.Mensaje(), MB_OK, 0);
    return;
  }
  const TextosResultados t = TextosVerificacion(dlg.m_strFichero, *v);
  CResultadosDlg resultados;
  resultados.m_strFichero = t.strFichero;
  resultados.m_strAciertos = t.strAciertos;
  resultados.m_strErrorTotal = t.strErrorTotal;
  resultados.m_strMuestras = t.strMuestras;
  resultados.DoModal();
}

void CNodusDoc::OnUpdateMatrizConfusion(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CNodusDoc::OnUpdateAplicarFichero(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CNodusDoc::OnMatrizConfusion() {
  OnDetener();
  HabilitarControl(ID_ENTRENAR, PuedeEntrenarse());

  CMatrizDlg dlg;
  Resultado<VerificacionDatos> m = Fallo{};
  for (;;) {
    if (dlg.DoModal() != IDOK) return;
    m = VerificarDatos(GetRed(), dlg.m_strFichero, dlg.m_strEsquema);
    if (m) break;
    AfxMessageBox(m.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    // A refused file or shape: another file; anything else ends the command.
    if (!m.EsRechazo()) return;
  }
  const TextosResultados t = TextosVerificacion(dlg.m_strFichero, m->resultados);
  CResultadosMatrizDlg resultados;
  resultados.m_strFichero = t.strFichero;
  resultados.m_strMuestras = t.strMuestras;
  resultados.m_strAciertos = t.strAciertos;
  resultados.m_celdas = CeldasMatriz(m->resultados, m->nombres, false);
  resultados.m_strTabulado = TextoMatriz(m->resultados, m->nombres, true);
  resultados.DoModal();
}

void CNodusDoc::OnAplicarFichero() {
  OnDetener();
  HabilitarControl(ID_ENTRENAR, PuedeEntrenarse());

  CAplicarDlg dlg;
  for (;;) {
    if (dlg.DoModal() != IDOK) return;
    Resultado<AplicacionFichero> a = Fallo{};
    if (const Resultado<Hecho> c = ComprobarSalidaAplicacion(dlg.m_strSalida, FicherosDeLaRed(*this, GetPathName()),
                                                             dlg.m_strFichero, dlg.m_strEsquema);
        !c)
      a = c.GetFallo();
    else
      a = AplicarFichero(GetRed(), dlg.m_strFichero, dlg.m_strEsquema);
    if (a) {
      const Resultado<Hecho> r = EscribirExportacion(dlg.m_strSalida, a->strCsv);
      if (!r) AfxMessageBox(r.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
      else AfxMessageBox(ResumenAplicacion(a->aplicacion, dlg.m_strSalida), MB_OK | MB_ICONINFORMATION);
      return;
    }
    AfxMessageBox(a.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    if (!a.EsRechazo()) return;
  }
}

// ---------------------------------------------------------------- exports

void CNodusDoc::OnUpdateGuardarHistorial(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nEpoca != 0); }

void CNodusDoc::OnUpdateGuardarPesos(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CNodusDoc::OnGuardarHistorial() {
  CFileDialog dlg(FALSE, "txt", CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  {{"Ficheros ASCII (*.txt)", "*.txt"}, {"Todos los ficheros (*.*)", "*.*"}}, "Examinar Archivos");
  if (!PedirDestino(dlg)) return;
  Escribir(dlg.GetPathName(), BytesHistorial(*this));
}

void CNodusDoc::OnGuardarPesos() {
  OnDetener();
  CFileDialog dlg(FALSE, "txt", CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  {{"Ficheros ASCII (*.txt;*.dat)", "*.txt;*.dat"},
                   {"Ficheros Binarios (*.ie3;*.bin)", "*.ie3;*.bin"},
                   {"Todos los ficheros (*.*)", "*.*"}},
                  "Guardar Pesos");
  if (!PedirDestino(dlg)) return;
  Escribir(dlg.GetPathName(), BytesPesos(GetRed(), PesosBinarios(dlg.GetPathName())));
}

void CNodusDoc::OnExportarC() {
  // The weights as training leaves them, as Guardar pesos takes them.
  OnDetener();
  CFileDialog dlg(FALSE, "c", CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  {{"Ficheros C (*.c)", "*.c"}, {"Todos los ficheros (*.*)", "*.*"}}, "Exportar como C");
  if (!PedirDestino(dlg)) return;
  const CString destino = dlg.GetPathName();
  OpcionesFuenteC op;
  op.strPrefijo = PrefijoCDeRuta(destino);
  op.strRed = GetPathName().empty() ? GetTitle() : GetPathName();
  op.strFichero = destino.substr(destino.rfind('/') == CString::npos ? 0 : destino.rfind('/') + 1);
  const Resultado<std::string> fuente = FuenteC(GetRed(), op);
  if (!fuente) {
    AfxMessageBox(fuente.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  Escribir(destino, *fuente);
}

bool CNodusDoc::PedirDestino(CFileDialog& dlg) {
  // Written over, one of the network's own files would be lost.
  for (;;) {
    if (dlg.DoModal() != IDOK) return false;
    const Resultado<Hecho> c = ComprobarDestinoRed(*this, GetPathName(), dlg.GetPathName());
    if (c) return true;
    AfxMessageBox(c.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
  }
}

// ---------------------------------------------------------------- Cerrar todas

int CNodusDoc::PreguntarGuardar() {
  CGuardarCambiosDlg dlg;
  dlg.m_strMensaje = "¿ Guardar cambios en " + GetTitle() + " ?";
  const INT_PTR r = dlg.DoModal();
  if (r == IDCANCEL) return 1;
  if (r != IDOK) return 0;
  // A save that failed (already reported by the framework) keeps the
  // document open: nothing is lost. A saved one enters the recent files.
  auto guardar = [this](const CString& ruta) {
    if (!CDocument::OnSaveDocument(ruta)) return 1;
    if (m_pDocTemplate) m_pDocTemplate->DocumentoGuardado(ruta);
    return 0;
  };
  if (!GetPathName().empty()) return guardar(GetPathName());
  CFileDialog fd(FALSE, "nrv", CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                 {{"Ficheros NRV (*.nrv)", "*.nrv"}, {"Todos los ficheros (*.*)", "*.*"}}, "Guardar Documento");
  for (;;) {
    const INT_PTR rf = fd.DoModal();
    if (rf != IDOK) return rf == IDCANCEL ? 1 : 0;
    const Resultado<Hecho> c = ComprobarGuardarComo(fd.GetPathName());
    if (c) return guardar(fd.GetPathName());
    AfxMessageBox(c.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
  }
}

Resultado<Hecho> CNodusDoc::ComprobarGuardarComo(const CString& ruta) const { return ComprobarGuardarRed(*this, ruta); }
