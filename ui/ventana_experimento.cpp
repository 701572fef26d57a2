#include "ui/ventana_experimento.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "framework/dialogo.h"
#include "framework/fichero.h"
#include "framework/host.h"
#include "framework/texto.h"
#include "network/dialogos.h"
#include "network/dialogos_tablas.h"
#include "network/resumen.h"

using Json = nlohmann::ordered_json;

namespace {

QString Q(const CString& s) { return QString::fromStdString(s); }
CString C(const QString& s) { return s.toStdString(); }

// A cell that sorts by the number it shows, not by its text.
class CeldaNumerica : public QTableWidgetItem {
 public:
  CeldaNumerica(const QString& texto, std::optional<double> valor) : QTableWidgetItem(texto) {
    if (valor) setData(Qt::UserRole, *valor);
  }
  bool operator<(const QTableWidgetItem& otra) const override {
    const QVariant a = data(Qt::UserRole), b = otra.data(Qt::UserRole);
    if (a.isValid() && b.isValid()) return a.toDouble() < b.toDouble();
    if (a.isValid() != b.isValid()) return a.isValid();  // the empty ones last
    return QTableWidgetItem::operator<(otra);
  }
};

QTableWidgetItem* Celda(const QString& texto, std::optional<double> valor = std::nullopt, bool bDerecha = false) {
  auto* c = new CeldaNumerica(texto, valor);
  c->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  if (bDerecha) c->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return c;
}

// The numbers of a list field («4, 8» or «0.1 0.25»), as JSON numbers; the
// plan's own check gives their ranges.
std::optional<Fallo> LeerListaCampo(const QString& texto, const QString& etiqueta, Json& lista) {
  lista = Json::array();
  for (const QString& t : texto.split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts)) {
    Json v;
    try {
      v = Json::parse(t.toStdString());
    } catch (const Json::exception&) {
    }
    if (!v.is_number())
      return Rechazo(FormatC("%s: «%s» no es un número (escríbalo con punto: 0.25).", C(etiqueta).c_str(),
                             C(t).c_str()));
    lista.push_back(v);
  }
  return std::nullopt;
}

QString TextoLista(const Json& lista) {
  QStringList partes;
  for (const Json& v : lista) {
    if (v.is_boolean()) continue;
    partes << (v.is_number_integer() ? QString::number(v.get<std::int64_t>()) : Q(TextoExacto(v.get<double>())));
  }
  return partes.join(QStringLiteral(", "));
}

QString TextoCifra(const Json& r, const char* parte, const char* cifra, int decimales) {
  if (!r.is_object() || !r.contains(parte) || !r[parte].is_object() || !r[parte].contains(cifra) ||
      !r[parte][cifra].is_number())
    return QString();
  return QString::number(r[parte][cifra].get<double>(), 'f', decimales);
}

// The grid's keys and their labels, in the plan's order.
struct CampoRejilla {
  const char* clave;
  const char* etiqueta;
};
constexpr CampoRejilla kRejilla[] = {
    {"ocultas", "Neuronas ocultas"}, {"aprendizaje", "Factor de aprendizaje"}, {"momento", "Factor de momento"},
    {"error", "Error máximo"},       {"epocas", "Máximo de épocas"},           {"paciencia", "Paciencia"},
};

enum Filtros { kFiltroDatos, kFiltroTabla, kFiltroEsquema };

}  // namespace

QString ProgramaExperimentos() {
  const QString junto = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("nrv-cli"));
  if (QFileInfo(junto).isExecutable()) return junto;
#ifdef NRV_CLI_CONSTRUIDO
  if (QFileInfo(QStringLiteral(NRV_CLI_CONSTRUIDO)).isExecutable()) return QStringLiteral(NRV_CLI_CONSTRUIDO);
#endif
  return QStandardPaths::findExecutable(QStringLiteral("nrv-cli"));
}

CVentanaExperimento::CVentanaExperimento(std::function<void(const QString&)> abrirRed, QWidget* parent)
    : QWidget(parent, Qt::Window), m_abrirRed(std::move(abrirRed)) {
  setObjectName(QStringLiteral("ventanaExperimento"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Experimento"));
  auto* exterior = new QVBoxLayout(this);
  auto* division = new QSplitter(Qt::Vertical);
  division->setChildrenCollapsible(false);
  exterior->addWidget(division);
  auto* arriba = new QWidget();
  auto* raiz = new QVBoxLayout(arriba);
  raiz->setContentsMargins(0, 0, 0, 0);
  division->addWidget(arriba);

  // The plan's file.
  auto* filaPlan = new QHBoxLayout();
  auto* abrir = new QPushButton(QStringLiteral("&Abrir plan..."));
  auto* guardar = new QPushButton(QStringLiteral("&Guardar plan..."));
  m_pEstado = new QLabel();
  m_pEstado->setObjectName(QStringLiteral("estado"));
  m_pEstado->setWordWrap(true);
  filaPlan->addWidget(abrir);
  filaPlan->addWidget(guardar);
  filaPlan->addWidget(m_pEstado, 1);
  raiz->addLayout(filaPlan);
  connect(abrir, &QPushButton::clicked, this, &CVentanaExperimento::ElegirPlan);
  connect(guardar, &QPushButton::clicked, this, &CVentanaExperimento::GuardarPlanComo);

  auto* columnas = new QHBoxLayout();
  raiz->addLayout(columnas);

  // The data: fixed files, or a table split for each run.
  auto* datos = new QGroupBox(QStringLiteral("Datos"));
  auto* vDatos = new QVBoxLayout(datos);
  m_pFicheros = new QRadioButton(QStringLiteral("&Ficheros de datos"));
  m_pTabla = new QRadioButton(QStringLiteral("&Tabla repartida en cada ejecución"));
  m_pFicheros->setChecked(true);
  vDatos->addWidget(m_pFicheros);
  m_pGrupoFicheros = new QWidget();
  auto* gF = new QGridLayout(m_pGrupoFicheros);
  gF->setContentsMargins(18, 0, 0, 0);
  m_pEntrenamiento = Ruta("entrenamiento", QStringLiteral("Entrenamiento:"), false, kFiltroDatos, gF, 0);
  m_pVerificacion = Ruta("verificacion", QStringLiteral("Verificación:"), false, kFiltroDatos, gF, 1);
  m_pPrueba = Ruta("prueba", QStringLiteral("Prueba (opcional):"), false, kFiltroDatos, gF, 2);
  vDatos->addWidget(m_pGrupoFicheros);
  vDatos->addWidget(m_pTabla);
  m_pGrupoTabla = new QWidget();
  auto* gT = new QGridLayout(m_pGrupoTabla);
  gT->setContentsMargins(18, 0, 0, 0);
  m_pTablaRuta = Ruta("tabla", QStringLiteral("Tabla:"), false, kFiltroTabla, gT, 0);
  m_pEsquema = Ruta("esquema", QStringLiteral("Esquema (opcional):"), false, kFiltroEsquema, gT, 1);
  gT->addWidget(new QLabel(QStringLiteral("Clase:")), 2, 0);
  m_pClase = new QLineEdit();
  m_pClase->setObjectName(QStringLiteral("clase"));
  m_pClase->setPlaceholderText(QStringLiteral("nombre o número de la columna; vacío: la última"));
  gT->addWidget(m_pClase, 2, 1, 1, 2);
  gT->addWidget(new QLabel(QStringLiteral("Salidas numéricas:")), 3, 0);
  m_pSalidas = new QSpinBox();
  m_pSalidas->setObjectName(QStringLiteral("salidas"));
  m_pSalidas->setRange(0, 100000);
  m_pSalidas->setSpecialValueText(QStringLiteral("ninguna (clases)"));
  gT->addWidget(m_pSalidas, 3, 1, 1, 2);
  m_pParticion = new QRadioButton(QStringLiteral("&Partición (%):"));
  m_pParticion->setChecked(true);
  m_pPorcentajes = new QLineEdit(QStringLiteral("70,15,15"));
  m_pPorcentajes->setObjectName(QStringLiteral("particion"));
  gT->addWidget(m_pParticion, 4, 0);
  gT->addWidget(m_pPorcentajes, 4, 1, 1, 2);
  m_pCruzada = new QRadioButton(QStringLiteral("&Validación cruzada:"));
  auto* filaCruzada = new QHBoxLayout();
  m_pPliegues = new QSpinBox();
  m_pPliegues->setObjectName(QStringLiteral("pliegues"));
  m_pPliegues->setRange(2, 100);
  m_pPliegues->setValue(5);
  m_pPliegues->setSuffix(QStringLiteral(" pliegues"));
  m_pFraccion = new QLineEdit(QStringLiteral("0.15"));
  m_pFraccion->setObjectName(QStringLiteral("fraccion"));
  filaCruzada->addWidget(m_pPliegues);
  filaCruzada->addWidget(new QLabel(QStringLiteral("verifica:")));
  filaCruzada->addWidget(m_pFraccion);
  gT->addWidget(m_pCruzada, 5, 0);
  gT->addLayout(filaCruzada, 5, 1, 1, 2);
  m_pEstratificar = new QCheckBox(QStringLiteral("E&stratificar por clase"));
  m_pEstratificar->setObjectName(QStringLiteral("estratificar"));
  gT->addWidget(m_pEstratificar, 6, 0, 1, 3);
  vDatos->addWidget(m_pGrupoTabla);
  vDatos->addStretch(1);
  columnas->addWidget(datos, 3);
  for (QRadioButton* r : {m_pFicheros, m_pTabla, m_pParticion, m_pCruzada})
    connect(r, &QRadioButton::toggled, this, &CVentanaExperimento::ActualizarDatos);

  // The grid: the values of each parameter, and the seeds.
  auto* rejilla = new QGroupBox(QStringLiteral("Rejilla (valores separados por comas)"));
  auto* gR = new QGridLayout(rejilla);
  int fila = 0;
  for (const CampoRejilla& c : kRejilla) {
    auto* e = new QLineEdit();
    e->setObjectName(QString::fromLatin1(c.clave));
    auto* l = new QLabel(QString::fromUtf8(c.etiqueta) + QLatin1Char(':'));
    l->setBuddy(e);
    gR->addWidget(l, fila, 0);
    gR->addWidget(e, fila++, 1);
    m_rejilla.emplace_back(c.clave, e);
  }
  m_rejilla[5].second->setPlaceholderText(QStringLiteral("0: sin paciencia"));
  gR->addWidget(new QLabel(QStringLiteral("Barajar:")), fila, 0);
  m_pBarajar = new QComboBox();
  m_pBarajar->setObjectName(QStringLiteral("barajar"));
  m_pBarajar->addItems({QStringLiteral("No"), QStringLiteral("Sí"), QStringLiteral("Sin y con barajado")});
  gR->addWidget(m_pBarajar, fila++, 1);
  gR->addWidget(new QLabel(QStringLiteral("Semilla:")), fila, 0);
  auto* filaSemilla = new QHBoxLayout();
  m_pSemilla = new QSpinBox();
  m_pSemilla->setObjectName(QStringLiteral("semilla"));
  m_pSemilla->setRange(1, 0x7fffffff);
  m_pRepeticiones = new QSpinBox();
  m_pRepeticiones->setObjectName(QStringLiteral("repeticiones"));
  m_pRepeticiones->setRange(1, 10000);
  m_pRepeticiones->setSuffix(QStringLiteral(" repeticiones"));
  filaSemilla->addWidget(m_pSemilla);
  filaSemilla->addWidget(m_pRepeticiones);
  gR->addLayout(filaSemilla, fila++, 1);
  gR->addWidget(new QLabel(QStringLiteral("O estas semillas:")), fila, 0);
  m_pSemillas = new QLineEdit();
  m_pSemillas->setObjectName(QStringLiteral("semillas"));
  gR->addWidget(m_pSemillas, fila++, 1);
  gR->addWidget(new QLabel(QStringLiteral("Mejor configuración por:")), fila, 0);
  m_pComparar = new QComboBox();
  m_pComparar->setObjectName(QStringLiteral("comparar"));
  m_pComparar->addItems({QStringLiteral("Tasa de aciertos (mayor)"), QStringLiteral("Error total (menor)")});
  gR->addWidget(m_pComparar, fila++, 1);
  gR->setRowStretch(fila, 1);
  columnas->addWidget(rejilla, 2);

  // Where the runs go, and how many at once.
  auto* filaCarpeta = new QHBoxLayout();
  auto* lCarpeta = new QLabel(QStringLiteral("&Carpeta:"));
  m_pCarpeta = new QLineEdit();
  m_pCarpeta->setObjectName(QStringLiteral("carpeta"));
  lCarpeta->setBuddy(m_pCarpeta);
  auto* examinarCarpeta = new QPushButton(QStringLiteral("..."));
  examinarCarpeta->setToolTip(QStringLiteral("Elegir la carpeta de las ejecuciones"));
  connect(examinarCarpeta, &QPushButton::clicked, this, [this] {
    QFileDialog fd(this, QStringLiteral("Carpeta del experimento"), m_pCarpeta->text());
    fd.setOption(QFileDialog::DontUseNativeDialog, true);
    fd.setFileMode(QFileDialog::Directory);
    fd.setOption(QFileDialog::ShowDirsOnly, true);
    if (fd.exec() == QDialog::Accepted && !fd.selectedFiles().isEmpty()) FijarCarpeta(fd.selectedFiles().front());
  });
  m_pTrabajos = new QSpinBox();
  m_pTrabajos->setObjectName(QStringLiteral("trabajos"));
  m_pTrabajos->setRange(0, 1024);
  m_pTrabajos->setSpecialValueText(QStringLiteral("todos los núcleos"));
  m_pTrabajos->setPrefix(QStringLiteral("a la vez: "));
  m_pEjecutar = new QPushButton(QStringLiteral("&Ejecutar"));
  m_pEjecutar->setObjectName(QStringLiteral("ejecutar"));
  m_pDetener = new QPushButton(QStringLiteral("&Detener"));
  m_pDetener->setObjectName(QStringLiteral("detener"));
  m_pDetener->setEnabled(false);
  filaCarpeta->addWidget(lCarpeta);
  filaCarpeta->addWidget(m_pCarpeta, 1);
  filaCarpeta->addWidget(examinarCarpeta);
  filaCarpeta->addWidget(m_pTrabajos);
  filaCarpeta->addWidget(m_pEjecutar);
  filaCarpeta->addWidget(m_pDetener);
  raiz->addLayout(filaCarpeta);
  connect(m_pEjecutar, &QPushButton::clicked, this, [this] { Ejecutar(); });
  connect(m_pDetener, &QPushButton::clicked, this, &CVentanaExperimento::Detener);
  connect(m_pCarpeta, &QLineEdit::editingFinished, this, [this] {
    if (!EnMarcha()) FijarCarpeta(m_pCarpeta->text());
  });

  m_pBarra = new QProgressBar();
  m_pBarra->setObjectName(QStringLiteral("progreso"));
  m_pBarra->setFormat(QStringLiteral("%v de %m ejecuciones"));
  m_pBarra->setRange(0, 1);
  m_pBarra->setValue(0);
  m_pBarra->setTextVisible(false);  // until a plan gives its runs
  raiz->addWidget(m_pBarra);

  // What the runs left: the summary by configuration, each run, and what
  // nrv-cli said.
  m_pPestanas = new QTabWidget();
  m_pResumen = new QTableWidget();
  m_pResumen->setObjectName(QStringLiteral("resumen"));
  m_pResumen->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_pResumen->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_pResumen->verticalHeader()->hide();
  m_pResumen->setSortingEnabled(true);
  auto* paginaResumen = new QWidget();
  auto* vResumen = new QVBoxLayout(paginaResumen);
  auto* notaResumen = new QLabel(QStringLiteral(
      "Media ± desviación típica de cada configuración; * la mejor. Pulse una cabecera para ordenar; doble clic en "
      "una fila para ver sus ejecuciones."));
  notaResumen->setWordWrap(true);
  auto* copiar = new QPushButton(QStringLiteral("C&opiar"));
  copiar->setToolTip(QStringLiteral("Copia la tabla, separada por tabuladores, para una hoja de cálculo"));
  auto* filaNota = new QHBoxLayout();
  filaNota->addWidget(notaResumen, 1);
  filaNota->addWidget(copiar);
  vResumen->addLayout(filaNota);
  vResumen->addWidget(m_pResumen, 1);
  m_pPestanas->addTab(paginaResumen, QStringLiteral("Resumen"));
  connect(copiar, &QPushButton::clicked, this, [this] {
    QStringList lineas;
    QStringList cab;
    for (int c = 0; c < m_pResumen->columnCount(); ++c) cab << m_pResumen->horizontalHeaderItem(c)->text();
    lineas << cab.join(QLatin1Char('\t'));
    for (int f = 0; f < m_pResumen->rowCount(); ++f) {
      QStringList celdas;
      for (int c = 0; c < m_pResumen->columnCount(); ++c)
        celdas << (m_pResumen->item(f, c) ? m_pResumen->item(f, c)->text() : QString());
      lineas << celdas.join(QLatin1Char('\t'));
    }
    QApplication::clipboard()->setText(lineas.join(QLatin1Char('\n')) + QLatin1Char('\n'));
  });
  connect(m_pResumen, &QTableWidget::cellDoubleClicked, this, [this](int f, int) {
    const QTableWidgetItem* c = m_pResumen->item(f, 0);
    if (!c) return;
    const UINT nConf = UINT(c->data(Qt::UserRole).toDouble());
    for (std::size_t i = 0; i < m_runs.size(); ++i)
      if (m_runs[i].nConfiguracion == nConf) {
        m_pPestanas->setCurrentIndex(1);
        m_pEjecuciones->selectRow(int(i));
        m_pEjecuciones->scrollToItem(m_pEjecuciones->item(int(i), 0));
        break;
      }
  });

  m_pEjecuciones = new QTableWidget();
  m_pEjecuciones->setObjectName(QStringLiteral("ejecuciones"));
  m_pEjecuciones->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_pEjecuciones->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_pEjecuciones->setSelectionMode(QAbstractItemView::SingleSelection);
  m_pEjecuciones->verticalHeader()->hide();
  m_pEjecuciones->setColumnCount(11);
  m_pEjecuciones->setHorizontalHeaderLabels(
      {QStringLiteral("ejec."), QStringLiteral("conf."), QStringLiteral("semilla"), QStringLiteral("pliegue"),
       QStringLiteral("estado"), QStringLiteral("épocas"), QStringLiteral("verif. aciertos %"),
       QStringLiteral("verif. error total"), QStringLiteral("prueba aciertos %"), QStringLiteral("prueba error total"),
       QStringLiteral("parámetros")});
  m_pEjecuciones->horizontalHeader()->setStretchLastSection(true);
  for (QTableWidget* t : {m_pResumen, m_pEjecuciones}) {
    t->setWordWrap(false);
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 8);
  }
  auto* paginaEjecuciones = new QWidget();
  auto* vEjecuciones = new QVBoxLayout(paginaEjecuciones);
  auto* filaAbrir = new QHBoxLayout();
  auto* notaEjecuciones =
      new QLabel(QStringLiteral("Doble clic en una ejecución hecha para abrir su red en una ventana propia."));
  auto* botonAbrir = new QPushButton(QStringLiteral("Abrir &red"));
  botonAbrir->setObjectName(QStringLiteral("abrirRed"));
  filaAbrir->addWidget(notaEjecuciones, 1);
  filaAbrir->addWidget(botonAbrir);
  vEjecuciones->addLayout(filaAbrir);
  vEjecuciones->addWidget(m_pEjecuciones, 1);
  m_pPestanas->addTab(paginaEjecuciones, QStringLiteral("Ejecuciones"));
  connect(m_pEjecuciones, &QTableWidget::cellDoubleClicked, this, [this](int f, int) { AbrirEjecucion(f); });
  connect(botonAbrir, &QPushButton::clicked, this, [this] {
    const auto filas = m_pEjecuciones->selectionModel()->selectedRows();
    if (filas.isEmpty()) {
      AfxMessageBox("Elija una ejecución de la lista.", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    AbrirEjecucion(filas.front().row());
  });

  m_pMensajes = new QPlainTextEdit();
  m_pMensajes->setObjectName(QStringLiteral("mensajes"));
  m_pMensajes->setReadOnly(true);
  m_pPestanas->addTab(m_pMensajes, QStringLiteral("Mensajes"));
  division->addWidget(m_pPestanas);
  division->setStretchFactor(1, 1);

  m_pReloj = new QTimer(this);
  m_pReloj->setInterval(500);
  connect(m_pReloj, &QTimer::timeout, this, &CVentanaExperimento::Refrescar);

  LlenarFormulario(PlanPorOmision());
  m_pEstado->setText(QStringLiteral("Escriba un plan o abra uno (un fichero JSON, el mismo de nrv-cli experimento)."));
  // Wide enough for the summary's columns, never larger than the screen.
  const QSize disponible = screen() ? screen()->availableGeometry().size() * 0.95 : QSize(1120, 720);
  resize(QSize(1120, 720).boundedTo(disponible));
}

CVentanaExperimento::~CVentanaExperimento() {
  // Closing the program stops the experiment: the runs in progress leave
  // no result and are redone next time.
  if (EnMarcha()) Interrumpir();
}

void CVentanaExperimento::Interrumpir() {
  // Two signals apart, or they may arrive as one.
  m_pProceso->disconnect(this);
  m_pProceso->terminate();
  if (!m_pProceso->waitForFinished(300)) {
    m_pProceso->terminate();
    m_pProceso->waitForFinished(10000);
  }
}

QLineEdit* CVentanaExperimento::Ruta(const char* nombre, const QString& titulo, bool bGuardar, int filtros,
                                     QGridLayout* g, int fila) {
  auto* l = new QLabel(titulo);
  auto* e = new QLineEdit();
  e->setObjectName(QString::fromLatin1(nombre));
  l->setBuddy(e);
  auto* b = new QPushButton(QStringLiteral("..."));
  b->setToolTip(QStringLiteral("Examinar"));
  g->addWidget(l, fila, 0);
  g->addWidget(e, fila, 1);
  g->addWidget(b, fila, 2);
  connect(b, &QPushButton::clicked, this, [e, bGuardar, filtros] {
    std::vector<FiltroFichero> f = filtros == kFiltroDatos   ? FiltrosDatos()
                                   : filtros == kFiltroTabla ? FiltrosTablas()
                                                             : FiltrosEsquemas();
    CFileDialog dlg(bGuardar ? FALSE : TRUE, CString(), C(e->text()), OFN_HIDEREADONLY, std::move(f),
                    "Examinar Archivos");
    if (dlg.DoModal() == IDOK) e->setText(Q(dlg.GetPathName()));
  });
  return e;
}

void CVentanaExperimento::ActualizarDatos() {
  const bool bTabla = m_pTabla->isChecked();
  m_pGrupoFicheros->setEnabled(!bTabla);
  m_pGrupoTabla->setEnabled(bTabla);
  m_pPorcentajes->setEnabled(m_pParticion->isChecked());
  m_pPliegues->setEnabled(m_pCruzada->isChecked());
  m_pFraccion->setEnabled(m_pCruzada->isChecked());
}

QString CVentanaExperimento::CarpetaPlan() const {
  return m_strPlan.isEmpty() ? QDir::currentPath() : QFileInfo(m_strPlan).absolutePath();
}

QString CVentanaExperimento::Carpeta() const { return m_pCarpeta->text().trimmed(); }

void CVentanaExperimento::FijarCarpeta(const QString& carpeta) {
  m_pCarpeta->setText(carpeta);
  // What is there already shows at once: a partial folder, or another
  // plan's runs.
  const Resultado<PlanExperimento> plan = PlanDelFormulario();
  m_runs.clear();
  if (plan && !carpeta.trimmed().isEmpty()) {
    m_plan = *plan;
    m_runs = ExpandirPlan(m_plan);
    m_strCarpetaRuns = QDir(CarpetaPlan()).absoluteFilePath(carpeta.trimmed());
  }
  m_nHechas = ~std::size_t(0);
  m_resultados.clear();
  m_pEjecuciones->setRowCount(0);
  Refrescar();
}

Resultado<PlanExperimento> CVentanaExperimento::PlanDelFormulario() const {
  Json j;
  auto ruta = [&](const char* clave, const QLineEdit* e) {
    if (!e->text().trimmed().isEmpty()) j[clave] = C(e->text().trimmed());
  };
  if (m_pFicheros->isChecked()) {
    ruta("entrenamiento", m_pEntrenamiento);
    ruta("verificacion", m_pVerificacion);
    ruta("prueba", m_pPrueba);
  } else {
    ruta("tabla", m_pTablaRuta);
    ruta("esquema", m_pEsquema);
    if (!j.contains("tabla")) return Rechazo("Plan: falta la tabla que se reparte en cada ejecución.");
    if (m_pCruzada->isChecked()) {
      j["validacion_cruzada"] = m_pPliegues->value();
      Json f;
      if (auto fallo = LeerListaCampo(m_pFraccion->text(), QStringLiteral("Verifica"), f)) return *fallo;
      if (f.size() != 1) return Rechazo("Verifica: escriba una fracción, por ejemplo 0.15.");
      j["verificacion"] = f[0];
    } else {
      j["particion"] = C(m_pPorcentajes->text().trimmed());
    }
    j["estratificar"] = m_pEstratificar->isChecked();
    if (m_pSalidas->value() > 0)
      j["salidas"] = m_pSalidas->value();
    else if (!m_pClase->text().trimmed().isEmpty())
      j["clase"] = C(m_pClase->text().trimmed());
  }
  Json g = Json::object();
  for (std::size_t i = 0; i < m_rejilla.size(); ++i) {
    Json lista;
    if (auto fallo = LeerListaCampo(m_rejilla[i].second->text(), QString::fromUtf8(kRejilla[i].etiqueta), lista))
      return *fallo;
    if (!lista.empty()) g[m_rejilla[i].first] = lista;
  }
  switch (m_pBarajar->currentIndex()) {
    case 1: g["barajar"] = Json::array({true}); break;
    case 2: g["barajar"] = Json::array({false, true}); break;
    default: break;
  }
  j["rejilla"] = g;
  Json semillas;
  if (auto fallo = LeerListaCampo(m_pSemillas->text(), QStringLiteral("Semillas"), semillas)) return *fallo;
  if (!semillas.empty()) {
    j["semillas"] = semillas;
  } else {
    j["semilla"] = m_pSemilla->value();
    j["repeticiones"] = m_pRepeticiones->value();
  }
  j["comparar"] = m_pComparar->currentIndex() == 1 ? "error_total" : "tasa_aciertos";
  return AnalizarPlan(j.dump(), C(CarpetaPlan()));
}

void CVentanaExperimento::LlenarFormulario(const PlanExperimento& plan) {
  const Json j = JsonPlan(plan, C(CarpetaPlan()));
  auto texto = [&](const char* clave) { return j.contains(clave) ? Q(j[clave].get<std::string>()) : QString(); };
  const bool bTabla = j.contains("tabla");
  (bTabla ? m_pTabla : m_pFicheros)->setChecked(true);
  m_pEntrenamiento->setText(bTabla ? QString() : texto("entrenamiento"));
  m_pVerificacion->setText(bTabla ? QString() : texto("verificacion"));
  m_pPrueba->setText(bTabla ? QString() : texto("prueba"));
  m_pTablaRuta->setText(texto("tabla"));
  m_pEsquema->setText(texto("esquema"));
  m_pClase->setText(texto("clase"));
  m_pSalidas->setValue(j.value("salidas", 0));
  const OpcionesImportacion& op = plan.importacion;
  (op.nPliegues ? m_pCruzada : m_pParticion)->setChecked(true);
  if (op.nPliegues) {
    m_pPliegues->setValue(int(op.nPliegues));
    m_pFraccion->setText(Q(TextoExacto(double(op.nVerificacion) / 10000.0)));
  } else if (!op.particion.empty()) {
    QStringList p;
    for (UINT n : op.particion) p << QString::number(n);
    m_pPorcentajes->setText(p.join(QLatin1Char(',')));
  }
  m_pEstratificar->setChecked(op.bEstratificar);
  const Json& g = j["rejilla"];
  for (auto& [clave, e] : m_rejilla) e->setText(TextoLista(g[clave]));
  // Paciencia 0 alone is no patience: the field stays empty.
  if (g["paciencia"] == Json::array({0})) m_rejilla[5].second->clear();
  const Json& b = g["barajar"];
  m_pBarajar->setCurrentIndex(b.size() > 1 ? 2 : (b.size() == 1 && b[0] == true) ? 1 : 0);
  if (j.contains("semillas")) {
    m_pSemillas->setText(TextoLista(j["semillas"]));
    m_pSemilla->setValue(1);
    m_pRepeticiones->setValue(1);
  } else {
    m_pSemillas->clear();
    m_pSemilla->setValue(j.value("semilla", 1));
    m_pRepeticiones->setValue(j.value("repeticiones", 1));
  }
  m_pComparar->setCurrentIndex(plan.strComparar == "error_total" ? 1 : 0);
  ActualizarDatos();
}

bool CVentanaExperimento::CargarPlan(const QString& ruta) {
  const Resultado<PlanExperimento> plan = LeerPlan(C(ruta));
  if (!plan) {
    AfxMessageBox(plan.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  m_strPlan = QFileInfo(ruta).absoluteFilePath();
  LlenarFormulario(*plan);
  setWindowTitle(QStringLiteral("Experimento - ") + QFileInfo(m_strPlan).fileName());
  // Its runs go beside it, in a folder of its name, unless one was chosen.
  const QFileInfo fi(m_strPlan);
  const QString carpeta = fi.path() + QLatin1Char('/') + fi.completeBaseName() +
                          (fi.suffix().isEmpty() ? QStringLiteral("-ejecuciones") : QString());
  FijarCarpeta(carpeta);
  m_pEstado->setText(QStringLiteral("Plan %1: %2 ejecuciones.").arg(m_strPlan).arg(m_runs.size()));
  return true;
}

bool CVentanaExperimento::GuardarPlan(const QString& ruta) {
  const QString anterior = m_strPlan;
  m_strPlan = QFileInfo(ruta).absoluteFilePath();
  // Relative paths of the form are the plan's: read against the folder it goes to.
  const Resultado<PlanExperimento> plan = PlanDelFormulario();
  if (!plan) {
    m_strPlan = anterior;
    AfxMessageBox(plan.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const std::string texto = JsonPlan(*plan, C(CarpetaPlan())).dump(2) + "\n";
  std::FILE* f = std::fopen(C(m_strPlan).c_str(), "wb");
  const bool bEscrito = f && std::fwrite(texto.data(), 1, texto.size(), f) == texto.size();
  if (f == nullptr || std::fclose(f) != 0 || !bEscrito) {
    m_strPlan = anterior;
    AfxMessageBox(FormatC("No se puede escribir el plan %s.", C(ruta).c_str()), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  setWindowTitle(QStringLiteral("Experimento - ") + QFileInfo(m_strPlan).fileName());
  if (Carpeta().isEmpty()) {
    const QFileInfo fi(m_strPlan);
    m_pCarpeta->setText(fi.path() + QLatin1Char('/') + fi.completeBaseName() +
                        (fi.suffix().isEmpty() ? QStringLiteral("-ejecuciones") : QString()));
  }
  return true;
}

void CVentanaExperimento::ElegirPlan() {
  CFileDialog dlg(TRUE, "json", CString(), OFN_HIDEREADONLY,
                  {{"Planes de experimento (*.json)", "*.json"}, {"Todos los ficheros (*.*)", "*.*"}}, "Abrir plan");
  if (dlg.DoModal() == IDOK) CargarPlan(Q(dlg.GetPathName()));
}

void CVentanaExperimento::GuardarPlanComo() {
  CFileDialog dlg(FALSE, "json", m_strPlan.isEmpty() ? CString("plan.json") : C(m_strPlan),
                  OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  {{"Planes de experimento (*.json)", "*.json"}, {"Todos los ficheros (*.*)", "*.*"}}, "Guardar plan");
  if (dlg.DoModal() == IDOK && GuardarPlan(Q(dlg.GetPathName())))
    m_pEstado->setText(QStringLiteral("Plan guardado en %1.").arg(m_strPlan));
}

bool CVentanaExperimento::EnMarcha() const {
  return m_pProceso != nullptr && m_pProceso->state() != QProcess::NotRunning;
}

bool CVentanaExperimento::Ejecutar() {
  if (EnMarcha()) return false;
  const Resultado<PlanExperimento> plan = PlanDelFormulario();
  if (!plan) {
    AfxMessageBox(plan.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  // nrv-cli reads the plan from its file: the form is saved first, unless
  // the file already says the same.
  if (m_strPlan.isEmpty()) {
    GuardarPlanComo();
    if (m_strPlan.isEmpty()) return false;
  } else {
    const Resultado<PlanExperimento> enFichero = LeerPlan(C(m_strPlan));
    const CString carpeta = C(CarpetaPlan());
    if ((!enFichero || JsonPlan(*enFichero, carpeta) != JsonPlan(*plan, carpeta)) && !GuardarPlan(m_strPlan))
      return false;
  }
  if (Carpeta().isEmpty()) {
    AfxMessageBox("Elija la carpeta donde se guardan las ejecuciones.", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  const QString programa = ProgramaExperimentos();
  if (programa.isEmpty()) {
    AfxMessageBox("No se encuentra nrv-cli, que hace las ejecuciones del experimento; instálelo junto a nrv.",
                  MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  FijarCarpeta(Carpeta());
  QStringList args = {QStringLiteral("experimento"), m_strPlan, m_strCarpetaRuns};
  if (m_pTrabajos->value() > 0) args << QStringLiteral("--trabajos") << QString::number(m_pTrabajos->value());
  delete m_pProceso;
  m_pProceso = new QProcess(this);
  m_pProceso->setWorkingDirectory(CarpetaPlan());
  // What it prints on its standard output the window shows from the folder.
  m_pProceso->setStandardOutputFile(QProcess::nullDevice());
  connect(m_pProceso, &QProcess::readyReadStandardError, this, [this] {
    const QString texto = QString::fromUtf8(m_pProceso->readAllStandardError());
    m_pMensajes->moveCursor(QTextCursor::End);
    m_pMensajes->insertPlainText(texto);
    m_pPestanas->setTabText(2, QStringLiteral("Mensajes (%1)").arg(m_pMensajes->document()->lineCount() - 1));
  });
  connect(m_pProceso, &QProcess::finished, this, &CVentanaExperimento::AlTerminar);
  m_nDetenciones = 0;
  m_pMensajes->clear();
  m_pPestanas->setTabText(2, QStringLiteral("Mensajes"));
  m_pProceso->start(programa, args);
  if (!m_pProceso->waitForStarted(10000)) {
    AfxMessageBox(FormatC("No se puede iniciar %s.", C(programa).c_str()), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  m_pEjecutar->setEnabled(false);
  m_pDetener->setEnabled(true);
  m_pDetener->setText(QStringLiteral("&Detener"));
  m_pEstado->setText(QStringLiteral("En marcha: %1 ejecuciones en %2.").arg(m_runs.size()).arg(m_strCarpetaRuns));
  m_pReloj->start();
  return true;
}

void CVentanaExperimento::Detener() {
  if (!EnMarcha()) return;
  // nrv-cli takes SIGTERM as a Ctrl+C: the first lets the runs in
  // progress finish, the second interrupts them.
  ++m_nDetenciones;
  m_pProceso->terminate();
  if (m_nDetenciones == 1) {
    m_pEstado->setText(QStringLiteral("Deteniendo: se terminan las ejecuciones en curso (Interrumpir las corta)."));
    m_pDetener->setText(QStringLiteral("&Interrumpir"));
  } else {
    m_pEstado->setText(QStringLiteral("Interrumpiendo las ejecuciones en curso; se repetirán la próxima vez."));
    m_pDetener->setEnabled(false);
  }
}

void CVentanaExperimento::AlTerminar(int codigo, QProcess::ExitStatus estado) {
  m_pReloj->stop();
  Refrescar();
  const std::size_t nHechas = std::count_if(m_resultados.begin(), m_resultados.end(),
                                            [](const Json& r) { return !r.is_null(); });
  QString s;
  if (nHechas == m_runs.size() && codigo == 0)
    s = QStringLiteral("Experimento hecho: %1 ejecuciones en %2.").arg(m_runs.size()).arg(m_strCarpetaRuns);
  else
    s = QStringLiteral("%1 de %2 ejecuciones hechas; Ejecutar hace las %3 que faltan.")
            .arg(nHechas)
            .arg(m_runs.size())
            .arg(m_runs.size() - nHechas);
  if (estado != QProcess::NormalExit)
    s = QStringLiteral("nrv-cli ha terminado de forma anómala. ") + s;
  else if (m_nDetenciones > 0)
    s = QStringLiteral("Experimento detenido: ") + s;
  else if (codigo != 0)
    s = QStringLiteral("Algunas ejecuciones han fallado (vea los mensajes): ") + s;
  if (codigo != 0 && m_nDetenciones == 0 && m_pMensajes->document()->characterCount() > 1)
    m_pPestanas->setCurrentIndex(2);
  m_pEstado->setText(s);
  m_pEjecutar->setEnabled(true);
  m_pDetener->setEnabled(false);
  m_pDetener->setText(QStringLiteral("&Detener"));
  emit Terminado(estado == QProcess::NormalExit ? codigo : -1);
}

void CVentanaExperimento::Refrescar() {
  m_pBarra->setTextVisible(!m_runs.empty());
  if (m_runs.empty()) {
    m_pBarra->setRange(0, 1);
    m_pBarra->setValue(0);
    m_pResumen->setRowCount(0);
    m_pResumen->setColumnCount(0);
    return;
  }
  if (m_pEjecuciones->rowCount() != int(m_runs.size())) {
    m_pEjecuciones->setRowCount(int(m_runs.size()));
    for (std::size_t i = 0; i < m_runs.size(); ++i) {
      const EjecucionPlan& e = m_runs[i];
      const int f = int(i);
      m_pEjecuciones->setItem(f, 0, Celda(Q(NombreEjecucion(e.nNumero))));
      m_pEjecuciones->setItem(f, 1, Celda(QString::number(e.nConfiguracion), {}, true));
      m_pEjecuciones->setItem(f, 2, Celda(QString::number(e.nSemilla), {}, true));
      m_pEjecuciones->setItem(f, 3, Celda(e.pliegue ? QString::number(*e.pliegue) : QString(), {}, true));
      m_pEjecuciones->setItem(f, 4, Celda(QString()));
      for (int c = 5; c < 10; ++c) m_pEjecuciones->setItem(f, c, Celda(QString(), {}, true));
      const CString linea = LineaEjecucion(e);
      m_pEjecuciones->setItem(f, 10, Celda(Q(linea.substr(linea.find(" ocultas=") + 1))));
    }
    m_pEjecuciones->resizeColumnsToContents();
  }
  // Only the runs not yet seen done are read again.
  m_resultados.resize(m_runs.size());
  std::vector<Json> resultados;
  std::size_t nHechas = 0;
  for (std::size_t i = 0; i < m_runs.size(); ++i) {
    const int f = int(i);
    if (m_resultados[i].is_null()) {
      Json r = LeerResultado(C(m_strCarpetaRuns + QLatin1Char('/') + Q(NombreEjecucion(m_runs[i].nNumero))));
      if (r.is_null()) {
        m_pEjecuciones->item(f, 4)->setText(QStringLiteral("pendiente"));
        continue;
      }
      if (!EsResultadoDe(r, m_runs[i])) {
        m_pEjecuciones->item(f, 4)->setText(QStringLiteral("de otro plan"));
        continue;
      }
      m_pEjecuciones->item(f, 4)->setText(QStringLiteral("hecha"));
      m_pEjecuciones->item(f, 5)->setText(r.contains("epocas") ? Q(r["epocas"].dump()) : QString());
      m_pEjecuciones->item(f, 6)->setText(TextoCifra(r, "verificacion", "tasa_aciertos", 2));
      m_pEjecuciones->item(f, 7)->setText(TextoCifra(r, "verificacion", "error_total", 4));
      m_pEjecuciones->item(f, 8)->setText(TextoCifra(r, "prueba", "tasa_aciertos", 2));
      m_pEjecuciones->item(f, 9)->setText(TextoCifra(r, "prueba", "error_total", 4));
      m_resultados[i] = std::move(r);
    }
    ++nHechas;
    resultados.push_back(m_resultados[i]);
  }
  m_pBarra->setRange(0, int(m_runs.size()));
  m_pBarra->setValue(int(nHechas));
  if (nHechas != m_nHechas) {
    m_nHechas = nHechas;
    LlenarResumen(resultados);
  }
  if (EnMarcha() && m_nDetenciones == 0)
    m_pEstado->setText(QStringLiteral("En marcha: %1 de %2 ejecuciones hechas.").arg(nHechas).arg(m_runs.size()));
}

void CVentanaExperimento::LlenarResumen(const std::vector<Json>& resultados) {
  const bool bOrden = m_pResumen->isSortingEnabled();
  m_pResumen->setSortingEnabled(false);
  if (resultados.empty()) {
    m_pResumen->setRowCount(0);
    m_pResumen->setColumnCount(0);
    m_pResumen->setSortingEnabled(bOrden);
    return;
  }
  const TablaResumen t = TablaDeResumen(ResumirResultados(resultados));
  QStringList cabecera;
  for (const CString& c : t.cabecera) cabecera << Q(c);
  m_pResumen->setColumnCount(int(cabecera.size()));
  m_pResumen->setHorizontalHeaderLabels(cabecera);
  m_pResumen->setRowCount(int(t.filas.size()));
  for (std::size_t f = 0; f < t.filas.size(); ++f)
    for (std::size_t c = 0; c < t.filas[f].size(); ++c) {
      const CeldaResumen& x = t.filas[f][c];
      QTableWidgetItem* celda = Celda(Q(x.texto), x.valor, c > 0 && c < 2 + t.nParametros);
      if (c == 0 && x.texto.find('*') != CString::npos) {
        QFont negrita = celda->font();
        negrita.setBold(true);
        celda->setFont(negrita);
      }
      m_pResumen->setItem(int(f), int(c), celda);
    }
  m_pResumen->setSortingEnabled(bOrden);
  m_pResumen->resizeColumnsToContents();
}

void CVentanaExperimento::AbrirEjecucion(int fila) {
  if (fila < 0 || std::size_t(fila) >= m_runs.size()) return;
  const QString nombre = Q(NombreEjecucion(m_runs[std::size_t(fila)].nNumero));
  if (std::size_t(fila) >= m_resultados.size() || m_resultados[std::size_t(fila)].is_null()) {
    AfxMessageBox(FormatC("La ejecución %s no está hecha todavía.", C(nombre).c_str()), MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (m_abrirRed) m_abrirRed(m_strCarpetaRuns + QLatin1Char('/') + nombre + QStringLiteral("/red.nrv"));
}

void CVentanaExperimento::closeEvent(QCloseEvent* e) {
  if (EnMarcha()) {
    if (AfxMessageBox("El experimento sigue en marcha. ¿Interrumpirlo y cerrar la ventana? Las ejecuciones en curso "
                      "se repetirán la próxima vez que lo ejecute.",
                      MB_YESNO | MB_ICONQUESTION) != IDYES) {
      e->ignore();
      return;
    }
    Interrumpir();
  }
  e->accept();
}
