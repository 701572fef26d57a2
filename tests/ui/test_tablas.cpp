// Archivo › Importar datos, NRV › Aplicar a fichero and NRV › Matriz de
// confusión on screen, each compared with nrv-cli doing the same thing:
// the same bytes written, the same messages, the same counts.
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "network/dialogos.h"
#include "network/nodusdoc.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/marcos.h"

namespace {

struct SalidaCli {
  int nCodigo = -1;
  QString out;
  QString err;
};

// nrv-cli run in the test's folder.
SalidaCli NrvCli(const QStringList& argumentos) {
  QProcess p;
  p.start(QStringLiteral(NRV_CLI), argumentos);
  if (!p.waitForFinished(120000)) return {};
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray Bytes(const QString& ruta) {
  QFile f(ruta);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Guardar(const QString& ruta, const QByteArray& bytes) {
  QFile f(ruta);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

CNodusDoc* Doc(CNodusApp* app, int i) {
  return static_cast<CNodusDoc*>(app->Plantilla()->Documentos().at(static_cast<std::size_t>(i)));
}

}  // namespace

class PruebaTablas : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_pEntorno;
  std::unique_ptr<CGuion> m_pGuion;
  std::unique_ptr<CNodusApp> m_pApp;

  CMainFrame* Arrancar(const QStringList& args = {}) {
    m_pApp = std::make_unique<CNodusApp>();
    if (!m_pApp->InitInstance(args)) return nullptr;
    return m_pApp->m_pMainWnd;
  }
  QString Ruta(const QString& nombre) const { return m_pEntorno->Ruta(nombre); }
  QString Copia(const QString& ejemplo) {
    const QString r = Ruta(ejemplo);
    QFile::remove(r);
    QFile::copy(Ejemplo(ejemplo), r);
    QFile(r).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return r;
  }
  // A new network of the iris shape (4 inputs, 3 outputs) on a data file
  // large enough to be still training when the next command comes.
  CNodusDoc* RedEntrenando(CMainFrame* m) {
    QByteArray datos;
    for (int i = 0; i < 20000; ++i) {
      const int k = i % 3;
      datos += QByteArray::number((i % 7) / 7.0) + ' ' + QByteArray::number((i % 5) / 5.0) + ' ' +
               QByteArray::number(k / 3.0) + " 0.5\n" + (k == 0 ? "1 0 0\n" : k == 1 ? "0 1 0\n" : "0 0 1\n");
    }
    const QString fichero = Ruta(QStringLiteral("grande.txt"));
    if (!Guardar(fichero, datos)) return nullptr;
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, fichero);
      Escribir(d, IDC_FICHERO_VERIFICACION, fichero);
      Escribir(d, IDC_MAX_EPOCAS, QStringLiteral("400"));
      Escribir(d, IDC_ERROR_MAXIMO, QStringLiteral("0"));
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_FILE_NEW);
    CNodusDoc* doc = Doc(m_pApp.get(), static_cast<int>(m_pApp->Plantilla()->Documentos().size()) - 1);
    m->EjecutarComando(ID_ENTRENAR);
    return doc;
  }

 private slots:
  void init() {
    m_pEntorno = std::make_unique<CEntornoPrueba>();
    m_pGuion = std::make_unique<CGuion>();
    CNuevaRedDlg::RestablecerValores();
  }
  void cleanup() {
    if (m_pApp) m_pApp->CloseAllDocuments();
    m_pApp.reset();
    QCOMPARE(m_pGuion->Inesperadas(), QStringList());
    m_pGuion.reset();
    m_pEntorno.reset();
  }

  // The menus and the status-bar prompts of the three commands; import
  // needs no network, the other two a network window.
  void menusYAvisos() {
    CMainFrame* m = Arrancar();
    QVERIFY(m);
    m->ActualizarInterfaz();
    QVERIFY(m->AccionMenu(ID_IMPORTAR_DATOS));
    QCOMPARE(m->AccionMenu(ID_IMPORTAR_DATOS)->text(), QStringLiteral("&Importar datos..."));
    QVERIFY(m->EstaHabilitado(ID_IMPORTAR_DATOS));
    QVERIFY(!m->EstaHabilitado(ID_APLICAR_FICHERO));
    QVERIFY(!m->EstaHabilitado(ID_MATRIZ_CONFUSION));
    m->AccionMenu(ID_IMPORTAR_DATOS)->showStatusText(m);
    QCOMPARE(m->TextoEstado(), QStringLiteral("Convierte una tabla (CSV) en un fichero de datos, con su esquema"));

    m_pApp->OpenDocumentFile(Copia(QStringLiteral("iris.nrv")).toStdString());
    m->ActualizarInterfaz();
    QVERIFY(m->EstaHabilitado(ID_IMPORTAR_DATOS));
    QVERIFY(m->EstaHabilitado(ID_APLICAR_FICHERO));
    QVERIFY(m->EstaHabilitado(ID_MATRIZ_CONFUSION));
    QCOMPARE(m->AccionMenu(ID_APLICAR_FICHERO)->text(), QStringLiteral("&Aplicar a fichero..."));
    QCOMPARE(m->AccionMenu(ID_MATRIZ_CONFUSION)->text(), QStringLiteral("&Matriz de confusión..."));
    m->AccionMenu(ID_MATRIZ_CONFUSION)->showStatusText(m);
    QCOMPARE(m->TextoEstado(), QStringLiteral("Muestra la matriz de confusión de la red con un fichero de datos"));
    m->AccionMenu(ID_APLICAR_FICHERO)->showStatusText(m);
    QCOMPARE(m->TextoEstado(),
             QStringLiteral("Calcula las salidas de la red para cada muestra de un fichero y las guarda en CSV"));
  }

  // What the dialog detects is shown (the automatic entries and the
  // preview), and each forced choice reads the table again.
  void importarDeteccionYElecciones() {
    const QString tabla = Ruta(QStringLiteral("medidas.csv"));
    QVERIFY(Guardar(tabla, "a;b;clase\n1,5;2;x\n3,25;4;y\n5;6,5;x\n"));
    CMainFrame* m = Arrancar();
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Importar datos"));
      QCOMPARE(Texto(d, IDC_LECTURA), QStringLiteral("Elija la tabla que quiere importar."));
      QCOMPARE(ElementosCombo(d, IDC_SEPARADOR),
               (QStringList{"Automático", "Coma (,)", "Punto y coma (;)", "Tabulador"}));
      Escribir(d, IDC_TABLA, tabla);
      Dejar(d, IDC_TABLA);
      QCOMPARE(ElementosCombo(d, IDC_SEPARADOR).front(), QStringLiteral("Automático: punto y coma"));
      QCOMPARE(ElementosCombo(d, IDC_DECIMAL), (QStringList{"Automática: coma", "Punto (.)", "Coma (,)"}));
      QCOMPARE(ElementosCombo(d, IDC_CABECERA), (QStringList{"Automática: sí", "Sí", "No"}));
      QCOMPARE(ElementosCombo(d, IDC_CLASE),
               (QStringList{"Automática: columna 3 (clase)", "columna 1 (a)", "columna 2 (b)", "columna 3 (clase)",
                            "Ninguna: salidas numéricas"}));
      QCOMPARE(ElementosCombo(d, IDC_ESCALA), (QStringList{"Mín-máx a [0, 1]", "Ninguna"}));
      QCOMPARE(Encabezados(d, IDC_VISTA_PREVIA), (QStringList{"Línea", "a", "b", "clase (clase)"}));
      QCOMPARE(Filas(d, IDC_VISTA_PREVIA), 3);
      QCOMPARE(Celda(d, IDC_VISTA_PREVIA, 0, 0), QStringLiteral("2"));
      QCOMPARE(Celda(d, IDC_VISTA_PREVIA, 1, 1), QStringLiteral("3,25"));
      QCOMPARE(Celda(d, IDC_VISTA_PREVIA, 2, 3), QStringLiteral("x"));
      QCOMPARE(Texto(d, IDC_LECTURA),
               QStringLiteral("Leída con separador «;», marca decimal «,» y cabecera. La tabla tiene 3 filas."));
      QVERIFY(!Control(d, IDC_SALIDAS)->isEnabled());
      // Every entry fits its box.
      for (int id : {IDC_SEPARADOR, IDC_DECIMAL, IDC_CABECERA, IDC_CLASE, IDC_ESCALA}) {
        QWidget* w = Control(d, id);
        for (const QString& e : ElementosCombo(d, id))
          QVERIFY2(w->fontMetrics().horizontalAdvance(e) + 24 <= w->width(), qPrintable(e));
      }

      // No header: the names are a row, and a row of text the inputs refuse.
      Elegir(d, IDC_CABECERA, 2);
      QCOMPARE(Encabezados(d, IDC_VISTA_PREVIA), (QStringList{"Línea", "columna 1", "columna 2", "columna 3"}));
      QCOMPARE(Filas(d, IDC_VISTA_PREVIA), 4);
      QCOMPARE(Celda(d, IDC_VISTA_PREVIA, 0, 1), QStringLiteral("a"));
      QCOMPARE(Texto(d, IDC_LECTURA),
               QStringLiteral("Leída con separador «;», marca decimal «,» y sin cabecera. La tabla tiene 4 filas.\n") +
                   tabla + QStringLiteral(", línea 1, columna 1: «a» no es un número."));
      Elegir(d, IDC_CABECERA, 0);

      // A comma as separator: the decimal mark detected follows it.
      Elegir(d, IDC_SEPARADOR, 1);
      QCOMPARE(ElementosCombo(d, IDC_DECIMAL).front(), QStringLiteral("Automática: punto"));
      QVERIFY(Texto(d, IDC_LECTURA).startsWith(QStringLiteral("Leída con separador «,», marca decimal «.»")));
      Elegir(d, IDC_SEPARADOR, 0);
      QCOMPARE(Encabezados(d, IDC_VISTA_PREVIA).size(), 4);

      // Another class column, then numeric outputs.
      Elegir(d, IDC_CLASE, 2);
      QCOMPARE(Encabezados(d, IDC_VISTA_PREVIA), (QStringList{"Línea", "a", "b", "clase"}));
      QVERIFY(Texto(d, IDC_LECTURA).endsWith(QStringLiteral(", línea 2, columna 3 (clase): «x» no es un número.")));
      Elegir(d, IDC_CLASE, 3);
      QCOMPARE(Encabezados(d, IDC_VISTA_PREVIA), (QStringList{"Línea", "a", "b", "clase (clase)"}));
      Elegir(d, IDC_CLASE, 4);
      QVERIFY(Control(d, IDC_SALIDAS)->isEnabled());
      Pulsar(d, IDCANCEL);
    });
    m->EjecutarComando(ID_IMPORTAR_DATOS);
    QCOMPARE(m_pGuion->Dialogos(), QStringList{QStringLiteral("Importar datos")});
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
  }

  // A table with its class first, semicolons and decimal commas: the
  // automatic class is that column, as nrv-cli takes it; names beside the
  // table are suggested for what is written (never over a file, and giving
  // way to the next table's); a data file left out is asked for with the
  // window still open.
  void importarClasePrimeraYNombresSugeridos() {
    const QString tabla = Ruta(QStringLiteral("pc.csv"));
    QVERIFY(Guardar(tabla, "especie;largo;peso\nsetosa;5,1;0,2\nvirginica;6,3;2,5\nsetosa;4,9;0,3\n"));
    const QString otra = Ruta(QStringLiteral("otra.csv"));
    QVERIFY(Guardar(otra, "a,b,k\n1,2,x\n3,4,y\n"));
    QVERIFY(Guardar(Ruta(QStringLiteral("otra.json")), "{}"));
    CMainFrame* m = Arrancar();
    bool bVisible = false;
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_TABLA, tabla);
      Dejar(d, IDC_TABLA);
      QCOMPARE(ElementosCombo(d, IDC_CLASE).front(), QStringLiteral("Automática: columna 1 (especie)"));
      QCOMPARE(Encabezados(d, IDC_VISTA_PREVIA).at(1), QStringLiteral("especie (clase)"));
      QCOMPARE(Texto(d, IDC_DESTINO), Ruta(QStringLiteral("pc.txt")));
      QCOMPARE(Texto(d, IDC_ESQUEMA), Ruta(QStringLiteral("pc.json")));
      // The window grows, its preview with it; the buttons keep to the edge.
      const QRect lista = Control(d, IDC_VISTA_PREVIA)->geometry(), ok = Control(d, IDOK)->geometry();
      const QRect clase = Control(d, IDC_CLASE)->geometry();
      QCOMPARE(d->minimumSize(), d->size());
      d->resize(d->width() + 200, d->height() + 150);
      QCOMPARE(Control(d, IDC_VISTA_PREVIA)->geometry(), lista.adjusted(0, 0, 200, 150));
      QCOMPARE(Control(d, IDOK)->geometry(), ok.translated(200, 150));
      QCOMPARE(Control(d, IDC_CLASE)->geometry(), clase.translated(0, 150));
      Escribir(d, IDC_TABLA, otra);
      Dejar(d, IDC_TABLA);
      QCOMPARE(Texto(d, IDC_DESTINO), Ruta(QStringLiteral("otra.txt")));
      QCOMPARE(Texto(d, IDC_ESQUEMA), QString());  // otra.json is there
      Escribir(d, IDC_TABLA, tabla);
      Dejar(d, IDC_TABLA);
      Escribir(d, IDC_DESTINO, QString());
      m_pGuion->alVerMensaje = [&](QDialog*) { bVisible = d->isVisible(); };
      m_pGuion->Respuesta(QStringLiteral("Aceptar"));
      Pulsar(d, IDOK);
      QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("No ha introducido un fichero")});
      QVERIFY(d->isVisible());
      Escribir(d, IDC_DESTINO, Ruta(QStringLiteral("pc.txt")));
      m_pGuion->alVerMensaje = nullptr;
      m_pGuion->Respuesta(QStringLiteral("Aceptar"));
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_IMPORTAR_DATOS);
    QVERIFY(bVisible);
    const SalidaCli cli = NrvCli({QStringLiteral("importar"), tabla, Ruta(QStringLiteral("cli.txt")),
                                  QStringLiteral("--esquema"), Ruta(QStringLiteral("cli.json"))});
    QCOMPARE(cli.nCodigo, 0);
    QCOMPARE(Bytes(Ruta(QStringLiteral("pc.txt"))), Bytes(Ruta(QStringLiteral("cli.txt"))));
    QCOMPARE(Bytes(Ruta(QStringLiteral("pc.json"))), Bytes(Ruta(QStringLiteral("cli.json"))));
    m_pGuion->Limpiar();
  }

  // A table of 20 000 columns: the class combo box lists them all, the
  // preview shows the first 200 and says so.
  void importarTablaAncha() {
    const QString tabla = Ruta(QStringLiteral("ancha.csv"));
    QByteArray cabecera, fila;
    for (int i = 0; i < 20000; ++i) {
      cabecera += "c" + QByteArray::number(i) + ",";
      fila += "1,";
    }
    QVERIFY(Guardar(tabla, cabecera + "k\n" + fila + "x\n"));
    CMainFrame* m = Arrancar();
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_TABLA, tabla);
      Dejar(d, IDC_TABLA);
      QCOMPARE(ElementosCombo(d, IDC_CLASE).size(), 20003);
      QCOMPARE(Encabezados(d, IDC_VISTA_PREVIA).size(), 201);
      QVERIFY(Texto(d, IDC_LECTURA).contains(QStringLiteral("Se ven sus primeras 200 columnas de 20001.")));
      Pulsar(d, IDCANCEL);
    });
    m->EjecutarComando(ID_IMPORTAR_DATOS);
  }

  // A refusal in a message box with nrv-cli's words, nothing written, and
  // the dialog again with the choices made.
  void importarRechazoSinEscribir() {
    const QString tabla = Ruta(QStringLiteral("mala.csv"));
    QVERIFY(Guardar(tabla, "x,y,clase\r\n1,2,a\r\n3,abc,b\r\n"));
    const QString destino = Ruta(QStringLiteral("mala.txt"));
    const QString esquema = Ruta(QStringLiteral("mala.json"));
    CMainFrame* m = Arrancar();
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_TABLA, tabla);
      Dejar(d, IDC_TABLA);
      Elegir(d, IDC_ESCALA, 1);
      Escribir(d, IDC_DESTINO, destino);
      Escribir(d, IDC_ESQUEMA, esquema);
      Dejar(d, IDC_ESQUEMA);
      m_pGuion->Ventana([&](QDialog* d2) {
        QCOMPARE(Texto(d2, IDC_TABLA), tabla);
        QCOMPARE(Texto(d2, IDC_DESTINO), destino);
        QCOMPARE(Texto(d2, IDC_ESQUEMA), esquema);
        QCOMPARE(qobject_cast<QComboBox*>(Control(d2, IDC_ESCALA))->currentIndex(), 1);
        QCOMPARE(Filas(d2, IDC_VISTA_PREVIA), 2);
        Pulsar(d2, IDCANCEL);
      });
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_IMPORTAR_DATOS);
    const SalidaCli cli = NrvCli({QStringLiteral("importar"), tabla, Ruta(QStringLiteral("cli.txt")),
                                  QStringLiteral("--esquema"), Ruta(QStringLiteral("cli.json")),
                                  QStringLiteral("--escala"), QStringLiteral("ninguna")});
    QCOMPARE(cli.nCodigo, 1);
    QCOMPARE(m_pGuion->Mensajes().size(), 1);
    QCOMPARE(QStringLiteral("nrv: ") + m_pGuion->Mensajes().front() + QStringLiteral("\n"), cli.err);
    QCOMPARE(m_pGuion->Mensajes().front(), tabla + QStringLiteral(", línea 3, columna 2 (y): «abc» no es un número."));
    QCOMPARE(m_pGuion->Titulos(), QStringList{QStringLiteral("nrv")});
    QCOMPARE(m_pGuion->Iconos(), QList<int>{int(QMessageBox::Warning)});
    QVERIFY(!QFile::exists(destino));
    QVERIFY(!QFile::exists(esquema));
    QCOMPARE(m_pGuion->Dialogos().size(), 2);
  }

  // The training table writes the scheme, the test table is read through
  // it into a binary file: byte for byte what nrv-cli importar writes, and
  // the same summary.
  void importarComoNrvCli() {
    const QString entrenamiento = Copia(QStringLiteral("iris-train.csv"));
    const QString prueba = Copia(QStringLiteral("iris-test.csv"));
    QVERIFY(QDir(m_pEntorno->Ruta(QString())).mkpath(QStringLiteral("v")));
    QVERIFY(QDir(m_pEntorno->Ruta(QString())).mkpath(QStringLiteral("c")));
    CMainFrame* m = Arrancar();
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_TABLA, entrenamiento);
      Dejar(d, IDC_TABLA);
      QCOMPARE(Encabezados(d, IDC_VISTA_PREVIA).last(), QStringLiteral("species (clase)"));
      QCOMPARE(Filas(d, IDC_VISTA_PREVIA), 20);
      QVERIFY(Texto(d, IDC_LECTURA).endsWith(QStringLiteral("Se ven sus primeras 20 filas.")));
      Escribir(d, IDC_DESTINO, Ruta(QStringLiteral("v/entrenamiento.txt")));
      Escribir(d, IDC_ESQUEMA, Ruta(QStringLiteral("v/iris.json")));
      Dejar(d, IDC_ESQUEMA);
      QVERIFY(Control(d, IDC_CLASE)->isEnabled());
      Pulsar(d, IDOK);
    });
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    m->EjecutarComando(ID_IMPORTAR_DATOS);

    // The scheme now exists: the test table is read through it as it is.
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_TABLA, prueba);
      Escribir(d, IDC_ESQUEMA, Ruta(QStringLiteral("v/iris.json")));
      Dejar(d, IDC_ESQUEMA);
      QVERIFY(!Control(d, IDC_CLASE)->isEnabled());
      QVERIFY(!Control(d, IDC_ESCALA)->isEnabled());
      QVERIFY(Texto(d, IDC_LECTURA).endsWith(QStringLiteral("\nSe aplicará el esquema ") + Ruta(QStringLiteral("v/iris.json")) +
                                             QStringLiteral(", tal como está.")));
      Escribir(d, IDC_DESTINO, Ruta(QStringLiteral("v/verificacion.bin")));
      Pulsar(d, IDOK);
    });
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    m->EjecutarComando(ID_IMPORTAR_DATOS);

    const SalidaCli c1 = NrvCli({QStringLiteral("importar"), entrenamiento, Ruta(QStringLiteral("c/entrenamiento.txt")),
                                 QStringLiteral("--esquema"), Ruta(QStringLiteral("c/iris.json"))});
    const SalidaCli c2 = NrvCli({QStringLiteral("importar"), prueba, Ruta(QStringLiteral("c/verificacion.bin")),
                                 QStringLiteral("--esquema"), Ruta(QStringLiteral("c/iris.json"))});
    QCOMPARE(c1.nCodigo, 0);
    QCOMPARE(c2.nCodigo, 0);
    for (const char* f : {"entrenamiento.txt", "iris.json", "verificacion.bin"}) {
      const QByteArray ventana = Bytes(Ruta(QStringLiteral("v/") + QLatin1String(f)));
      QVERIFY2(!ventana.isEmpty(), f);
      QVERIFY2(ventana == Bytes(Ruta(QStringLiteral("c/") + QLatin1String(f))), f);
    }
    const QStringList mensajes = m_pGuion->Mensajes();
    QCOMPARE(mensajes.size(), 2);
    const auto comoVentana = [this](QString s) {
      return s.replace(Ruta(QStringLiteral("c/")), Ruta(QStringLiteral("v/"))).chopped(1);
    };
    QCOMPARE(mensajes[0], comoVentana(c1.out));
    QCOMPARE(mensajes[1], comoVentana(c2.out));
    QVERIFY(mensajes[0].startsWith(QStringLiteral("Tabla ") + entrenamiento + QStringLiteral(" importada en ")));
    QCOMPARE(m_pGuion->Iconos(), (QList<int>{int(QMessageBox::Information), int(QMessageBox::Information)}));
  }

  // The three-way split: refused as importar --particion refuses it, then
  // the three data files and the scheme nrv-cli writes with the same
  // choices, byte for byte, and the same summary.
  void importarParticionComoNrvCli() {
    const QString tabla = Copia(QStringLiteral("iris-train.csv"));
    QVERIFY(QDir(m_pEntorno->Ruta(QString())).mkpath(QStringLiteral("v")));
    QVERIFY(QDir(m_pEntorno->Ruta(QString())).mkpath(QStringLiteral("c")));
    CMainFrame* m = Arrancar();
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(Texto(d, IDC_PARTICION), QString());
      QCOMPARE(Texto(d, IDC_SEMILLA), QStringLiteral("1"));
      QVERIFY(!Control(d, IDC_SEMILLA)->isEnabled());
      QVERIFY(!Control(d, IDC_ESTRATIFICAR)->isEnabled());
      Escribir(d, IDC_TABLA, tabla);
      Dejar(d, IDC_TABLA);
      Escribir(d, IDC_DESTINO, Ruta(QStringLiteral("v/iris.txt")));
      Escribir(d, IDC_ESQUEMA, Ruta(QStringLiteral("v/iris.json")));
      Dejar(d, IDC_ESQUEMA);
      Escribir(d, IDC_PARTICION, QStringLiteral("60,20,30"));
      Dejar(d, IDC_PARTICION);
      QVERIFY(Control(d, IDC_SEMILLA)->isEnabled());
      QVERIFY(Control(d, IDC_ESTRATIFICAR)->isEnabled());
      Escribir(d, IDC_SEMILLA, QStringLiteral("5"));
      Pulsar(d, IDC_ESTRATIFICAR);
      // Refused in the dialog, which stays open with what was typed.
      Pulsar(d, IDOK);
      QVERIFY(d->isVisible());
      Escribir(d, IDC_SEMILLA, QStringLiteral("-5"));
      Escribir(d, IDC_PARTICION, QStringLiteral("60,20,20"));
      Pulsar(d, IDOK);
      QVERIFY(d->isVisible());
      Escribir(d, IDC_SEMILLA, QStringLiteral("5"));
      Pulsar(d, IDOK);
    });
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    m->EjecutarComando(ID_IMPORTAR_DATOS);

    const QStringList base{QStringLiteral("importar"), tabla, Ruta(QStringLiteral("c/iris.txt")), QStringLiteral("--esquema"),
                           Ruta(QStringLiteral("c/iris.json"))};
    const SalidaCli suma = NrvCli(base + QStringList{QStringLiteral("--particion"), QStringLiteral("60,20,30")});
    const SalidaCli semilla = NrvCli(base + QStringList{QStringLiteral("--particion"), QStringLiteral("60,20,20"),
                                                        QStringLiteral("--semilla"), QStringLiteral("-5")});
    const SalidaCli cli = NrvCli(base + QStringList{QStringLiteral("--particion"), QStringLiteral("60,20,20"),
                                                    QStringLiteral("--semilla"), QStringLiteral("5"),
                                                    QStringLiteral("--estratificar")});
    QCOMPARE(cli.nCodigo, 0);
    const QStringList mensajes = m_pGuion->Mensajes();
    QCOMPARE(mensajes.size(), 3);
    QCOMPARE(QStringLiteral("nrv: ") + mensajes[0] + QStringLiteral("\n"), suma.err);
    QCOMPARE(QStringLiteral("nrv: ") + mensajes[1] + QStringLiteral("\n"), semilla.err);
    QCOMPARE(mensajes[2], QString(cli.out).replace(Ruta(QStringLiteral("c/")), Ruta(QStringLiteral("v/"))).chopped(1));
    for (const char* f : {"iris-entrenamiento.txt", "iris-verificacion.txt", "iris-prueba.txt", "iris.json"}) {
      const QByteArray ventana = Bytes(Ruta(QStringLiteral("v/") + QLatin1String(f)));
      QVERIFY2(!ventana.isEmpty(), f);
      QVERIFY2(ventana == Bytes(Ruta(QStringLiteral("c/") + QLatin1String(f))), f);
    }
    QVERIFY(!QFile::exists(Ruta(QStringLiteral("v/iris.txt"))));
  }

  // Aplicar stops the training first and refreshes Entrenar, refuses the
  // data file as its own output, then writes the CSV that nrv-cli aplicar
  // writes for the same network.
  void aplicarComoNrvCli() {
    CMainFrame* m = Arrancar();
    CNodusDoc* doc = RedEntrenando(m);
    QVERIFY(doc);
    QVERIFY(doc->m_bEntrenando.load());
    QWidget* form = m->MarcoActivo()->Lienzo();
    QVERIFY(!Control(form, ID_ENTRENAR)->isEnabled());
    QCOMPARE(NrvCli({QStringLiteral("importar"), Copia(QStringLiteral("iris-train.csv")),
                     Ruta(QStringLiteral("e.txt")), QStringLiteral("--esquema"), Ruta(QStringLiteral("iris.json"))})
                 .nCodigo,
             0);
    const QString nuevas = Copia(QStringLiteral("iris-nuevas.csv"));
    const QString salida = Ruta(QStringLiteral("ventana.csv"));
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Aplicar a fichero"));
      QVERIFY(!doc->m_bEntrenando.load());
      QVERIFY(Control(form, ID_ENTRENAR)->isEnabled());
      QVERIFY(!Control(form, ID_DETENER)->isEnabled());
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, nuevas);
      Escribir(d, IDC_ESQUEMA, Ruta(QStringLiteral("iris.json")));
      Escribir(d, IDC_SALIDA_CSV, nuevas);
      m_pGuion->Ventana([&](QDialog* d2) {
        QCOMPARE(Texto(d2, IDC_FICHERO_ENTRENAMIENTO), nuevas);
        Escribir(d2, IDC_SALIDA_CSV, salida);
        Pulsar(d2, IDOK);
      });
      Pulsar(d, IDOK);
    });
    m_pGuion->Respuesta(QString());
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    m->EjecutarComando(ID_APLICAR_FICHERO);
    QCOMPARE(Bytes(nuevas), Bytes(Ejemplo(QStringLiteral("iris-nuevas.csv"))));

    // The network as it stopped, for nrv-cli.
    const QString red = Ruta(QStringLiteral("red.nrv"));
    QVERIFY(doc->OnSaveDocument(red.toStdString()));
    const SalidaCli cli = NrvCli({QStringLiteral("aplicar"), red, nuevas, Ruta(QStringLiteral("cli.csv")),
                                  QStringLiteral("--esquema"), Ruta(QStringLiteral("iris.json"))});
    QCOMPARE(cli.nCodigo, 0);
    QVERIFY(!Bytes(salida).isEmpty());
    QCOMPARE(Bytes(salida), Bytes(Ruta(QStringLiteral("cli.csv"))));
    QVERIFY(Bytes(salida).startsWith("muestra,setosa,versicolor,virginica,ganadora\r\n"));
    QCOMPARE(m_pGuion->Mensajes(),
             (QStringList{QStringLiteral("El fichero de salida ") + nuevas +
                              QStringLiteral(" es el de los datos; elija otro."),
                          QStringLiteral("Resultados de 10 muestras escritos en ") + salida + QStringLiteral(".")}));
    QCOMPARE(cli.out, QStringLiteral("Resultados de 10 muestras escritos en ") + Ruta(QStringLiteral("cli.csv")) +
                          QStringLiteral(".\n"));

    // A data file with its targets: objetivo and acierto, as nrv-cli.
    const QString prueba = Ejemplo(QStringLiteral("iris-test.txt"));
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, prueba);
      Escribir(d, IDC_SALIDA_CSV, Ruta(QStringLiteral("prueba.csv")));
      Pulsar(d, IDOK);
    });
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    m->EjecutarComando(ID_APLICAR_FICHERO);
    const SalidaCli cli2 = NrvCli({QStringLiteral("aplicar"), red, prueba, Ruta(QStringLiteral("prueba-cli.csv"))});
    QCOMPARE(cli2.nCodigo, 0);
    QCOMPARE(Bytes(Ruta(QStringLiteral("prueba.csv"))), Bytes(Ruta(QStringLiteral("prueba-cli.csv"))));
    QVERIFY(Bytes(Ruta(QStringLiteral("prueba.csv"))).startsWith("muestra,salida1,salida2,salida3,ganadora,objetivo,acierto\r\n"));
  }

  // The matrix stops the training first, shows the counts, recall and
  // precision of verificar --matriz and copies them tab-separated.
  void matrizComoVerificar() {
    CMainFrame* m = Arrancar();
    CNodusDoc* doc = RedEntrenando(m);
    QVERIFY(doc);
    QVERIFY(doc->m_bEntrenando.load());
    QCOMPARE(NrvCli({QStringLiteral("importar"), Copia(QStringLiteral("iris-train.csv")),
                     Ruta(QStringLiteral("e.txt")), QStringLiteral("--esquema"), Ruta(QStringLiteral("iris.json"))})
                 .nCodigo,
             0);
    const QString prueba = Copia(QStringLiteral("iris-test.csv"));
    QStringList titulos;
    QList<QStringList> filas;
    QString aciertos, muestras;
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Matriz de confusión"));
      QVERIFY(!doc->m_bEntrenando.load());
      QVERIFY(Control(m->MarcoActivo()->Lienzo(), ID_ENTRENAR)->isEnabled());
      // A data file of another shape is refused and asked for again.
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, Ejemplo(QStringLiteral("xor.txt")));
      Pulsar(d, IDOK);
    });
    m_pGuion->Respuesta(QString());
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(Texto(d, IDC_FICHERO_ENTRENAMIENTO), Ejemplo(QStringLiteral("xor.txt")));
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, prueba);
      Escribir(d, IDC_ESQUEMA, Ruta(QStringLiteral("iris.json")));
      Pulsar(d, IDOK);
    });
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Matriz de confusión"));
      QCOMPARE(Texto(d, IDC_RES_FICHERO), prueba);
      muestras = Texto(d, IDC_RES_MUESTRAS);
      aciertos = Texto(d, IDC_ACIERTOS);
      titulos = Encabezados(d, IDC_MATRIZ);
      for (int r = 0; r < Filas(d, IDC_MATRIZ); ++r) {
        QStringList f;
        for (int c = 0; c < titulos.size(); ++c) f << Celda(d, IDC_MATRIZ, r, c);
        filas << f;
      }
      QGuiApplication::clipboard()->clear();
      Pulsar(d, IDC_COPIAR);
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_MATRIZ_CONFUSION);
    QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("Dimensiones Incorrectas del Fichero de Verificación")});

    const QString red = Ruta(QStringLiteral("red.nrv"));
    QVERIFY(doc->OnSaveDocument(red.toStdString()));
    const QStringList args{QStringLiteral("verificar"), red, prueba, QStringLiteral("--matriz"),
                           QStringLiteral("--esquema"), Ruta(QStringLiteral("iris.json"))};
    const SalidaCli texto = NrvCli(args);
    const SalidaCli json = NrvCli(args + QStringList{QStringLiteral("--json")});
    QCOMPARE(texto.nCodigo, 0);
    QCOMPARE(json.nCodigo, 0);
    QVERIFY(texto.out.contains(QStringLiteral("\nTasa Aciertos: ") + aciertos + QStringLiteral("\n")));
    QVERIFY(texto.out.contains(QStringLiteral("\nNº Muestras: ") + muestras + QStringLiteral("\n")));

    QCOMPARE(titulos, (QStringList{"objetivo \\ red", "setosa", "versicolor", "virginica", "Sensibilidad"}));
    const QJsonObject matriz = QJsonDocument::fromJson(json.out.toUtf8()).object().value(QStringLiteral("matriz")).toObject();
    const QJsonArray cuentas = matriz.value(QStringLiteral("cuentas")).toArray();
    QCOMPARE(filas.size(), 4);
    int total = 0;
    for (int t = 0; t < 3; ++t)
      for (int o = 0; o < 3; ++o) {
        QCOMPARE(filas[t][o + 1].toInt(), cuentas[t].toArray()[o].toInt());
        total += filas[t][o + 1].toInt();
      }
    QCOMPARE(QString::number(total), muestras);
    QCOMPARE(filas[3][0], QStringLiteral("Precisión"));
    // Each line of the aligned text holds the dialog's cells, in order.
    for (const QStringList& f : filas) {
      QStringList celdas = f;
      celdas.removeAll(QString());
      QString patron;
      for (const QString& c : celdas) patron += QRegularExpression::escape(c.trimmed()) + QStringLiteral(" +");
      QVERIFY2(QRegularExpression(QStringLiteral("\n") + patron.chopped(2) + QStringLiteral("\n")).match(texto.out).hasMatch(),
               qPrintable(f.join(QLatin1Char('|'))));
    }

    // The copy: one line per row, its cells between tabs.
    const QStringList lineas = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lineas.size(), 5);
    QCOMPARE(lineas[0].split(QLatin1Char('\t')), titulos);
    const QJsonArray sensibilidad = matriz.value(QStringLiteral("sensibilidad")).toArray();
    for (int t = 0; t < 3; ++t) {
      const QStringList c = lineas[t + 1].split(QLatin1Char('\t'));
      QCOMPARE(c.size(), 5);
      QCOMPARE(c.mid(0, 4), filas[t].mid(0, 4));
      QCOMPARE(c[4], QString::number(sensibilidad[t].toDouble(), 'f', 4));
    }
    QCOMPARE(lineas[4].split(QLatin1Char('\t')).front(), QStringLiteral("Precisión"));
  }
};

QTEST_MAIN(PruebaTablas)
#include "test_tablas.moc"
