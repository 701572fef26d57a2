// Archivo › Experimento: a plan written in a form (or opened) and saved as
// its JSON file, its runs made in the background by nrv-cli experimento,
// and the summary and the runs shown as they finish.
#pragma once

#include <QProcess>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

#include "framework/resultado.h"
#include "network/experimento.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QTimer;

// The program that makes the runs: beside this one when installed, the
// build's own when run from the build tree, else on the PATH; empty when
// there is none.
QString ProgramaExperimentos();

class CVentanaExperimento : public QWidget {
  Q_OBJECT
 public:
  // abrirRed opens a run's network in a window of its own.
  explicit CVentanaExperimento(std::function<void(const QString&)> abrirRed, QWidget* parent = nullptr);
  ~CVentanaExperimento() override;

  // The form's plan, checked as nrv-cli checks a plan file (relative
  // paths against the plan's folder, or the current one before it has
  // a file).
  Resultado<PlanExperimento> PlanDelFormulario() const;
  // Abrir plan and Guardar plan without their file dialogs; false when the
  // plan does not read or cannot be written (the reason shown).
  bool CargarPlan(const QString& ruta);
  bool GuardarPlan(const QString& ruta);
  QString RutaPlan() const { return m_strPlan; }
  void FijarCarpeta(const QString& carpeta);
  QString Carpeta() const;

  // Ejecutar: saves the plan to its file, then runs every pending run;
  // false when it could not start (the reason shown).
  bool Ejecutar();
  // Detener: no new run starts; a second one interrupts those in
  // progress, which are redone next time.
  void Detener();
  bool EnMarcha() const;
  // The folder's results read again into both tables and the bar.
  void Refrescar();
  // Opens the network of the runs table's row (when the run is done).
  void AbrirEjecucion(int fila);

 signals:
  void Terminado(int codigo);

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QLineEdit* Ruta(const char* nombre, const QString& titulo, bool bGuardar, int filtros, class QGridLayout* g,
                  int fila);
  // Both signals of a Ctrl+C twice, waiting for the end.
  void Interrumpir();
  void ElegirPlan();
  void GuardarPlanComo();
  void ActualizarDatos();
  void AlTerminar(int codigo, QProcess::ExitStatus estado);
  void LlenarFormulario(const PlanExperimento& plan);
  void LlenarResumen(const std::vector<nlohmann::ordered_json>& resultados);
  QString CarpetaPlan() const;

  std::function<void(const QString&)> m_abrirRed;
  QString m_strPlan;
  QRadioButton* m_pFicheros = nullptr;
  QRadioButton* m_pTabla = nullptr;
  QWidget* m_pGrupoFicheros = nullptr;
  QWidget* m_pGrupoTabla = nullptr;
  QLineEdit* m_pEntrenamiento = nullptr;
  QLineEdit* m_pVerificacion = nullptr;
  QLineEdit* m_pPrueba = nullptr;
  QLineEdit* m_pTablaRuta = nullptr;
  QLineEdit* m_pEsquema = nullptr;
  QLineEdit* m_pClase = nullptr;
  QSpinBox* m_pSalidas = nullptr;
  QRadioButton* m_pParticion = nullptr;
  QRadioButton* m_pCruzada = nullptr;
  QLineEdit* m_pPorcentajes = nullptr;
  QSpinBox* m_pPliegues = nullptr;
  QLineEdit* m_pFraccion = nullptr;
  QCheckBox* m_pEstratificar = nullptr;
  std::vector<std::pair<const char*, QLineEdit*>> m_rejilla;
  QComboBox* m_pBarajar = nullptr;
  QSpinBox* m_pSemilla = nullptr;
  QSpinBox* m_pRepeticiones = nullptr;
  QLineEdit* m_pSemillas = nullptr;
  QComboBox* m_pComparar = nullptr;
  QLineEdit* m_pCarpeta = nullptr;
  QSpinBox* m_pTrabajos = nullptr;
  QPushButton* m_pEjecutar = nullptr;
  QPushButton* m_pDetener = nullptr;
  QProgressBar* m_pBarra = nullptr;
  QLabel* m_pEstado = nullptr;
  QTabWidget* m_pPestanas = nullptr;
  QTableWidget* m_pResumen = nullptr;
  QTableWidget* m_pEjecuciones = nullptr;
  QPlainTextEdit* m_pMensajes = nullptr;
  QProcess* m_pProceso = nullptr;
  QTimer* m_pReloj = nullptr;
  int m_nDetenciones = 0;
  // The runs of the plan being shown, and how many were found done.
  std::vector<EjecucionPlan> m_runs;
  PlanExperimento m_plan;
  QString m_strCarpetaRuns;
  std::vector<nlohmann::ordered_json> m_resultados;  // null: not done
  std::size_t m_nHechas = ~std::size_t(0);
};
