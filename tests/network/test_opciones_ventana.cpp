// The window's side of the training options: NRV › Opciones de
// entrenamiento... and NRV › Más épocas... on the document (CambiarOpciones,
// AmpliarEpocas through their dialogs), and the text beside the form.
#include "framework/texto.h"
#include "network/aplicar.h"
#include "network/parada.h"
#include "network/parametros.h"
#include "network/verificacion.h"
#include "tests/network/documento_apoyo.h"

namespace {

class OpcionesVentana : public ::testing::Test {
 protected:
  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};

  void Crear(CNodusDoc& doc, UINT nEpocas, const OpcionesRed& op = OpcionesRed()) {
    ASSERT_TRUE(NuevaIris(doc, nEpocas, op));
  }
  void Entrenar(CNodusDoc& doc) { EntrenarHastaElFin(doc); }
  bool Habilitado(CNodusDoc& doc, UINT id) {
    CCmdUI cmd(id);
    EXPECT_TRUE(doc.OnCmdMsg(id, &cmd));
    return cmd.m_bEnabled != FALSE;
  }
};

using Textos = std::map<std::string, std::string>;

}  // namespace

TEST_F(OpcionesVentana, UnaSemillaAntesDeEntrenarDaLaRedDeNuevaConSemilla) {
  OpcionesRed op;
  op.bSemilla = true;
  op.nSemilla = 7;
  CNodusDoc cli, ventana;
  Crear(cli, 10, op);
  Crear(ventana, 10);
  ASSERT_TRUE(ventana.CambiarOpciones({{"semilla", "7"}}, false, false));
  EXPECT_TRUE(ventana.IsModified());
  EXPECT_EQ(Guardar(ventana), Guardar(cli));
  // And trained the same.
  Entrenar(cli);
  Entrenar(ventana);
  EXPECT_EQ(Guardar(ventana), Guardar(cli));

  // The seed taken away before training: the weights come again from the
  // process's sequence, as a network made without one.
  CNodusDoc sin, quitada;
  Crear(sin, 10);
  Crear(quitada, 10, op);
  SemillaNodus(1);
  ASSERT_TRUE(quitada.CambiarOpciones({}, false, false));
  EXPECT_FALSE(quitada.m_opciones.bSemilla);
  EXPECT_EQ(Guardar(quitada), Guardar(sin));
}

TEST_F(OpcionesVentana, TrasEntrenarLaSemillaNoCambiaYLoDemasSi) {
  OpcionesRed op;
  op.bSemilla = true;
  op.nSemilla = 3;
  CNodusDoc doc;
  Crear(doc, 6, op);
  Entrenar(doc);
  const std::vector<double> pesos = Valores(doc.m_matPesosOculta);
  doc.SetModifiedFlag(FALSE);
  // The same options: nothing changes, nothing to save.
  ASSERT_TRUE(doc.CambiarOpciones({{"semilla", "3"}}, false, false));
  EXPECT_FALSE(doc.IsModified());
  ASSERT_TRUE(doc.CambiarOpciones(
      {{"semilla", "99"}, {"paciencia", "400"}, {"prueba", Ejemplo("iris-test.bin")}}, true, true));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.m_opciones.nSemilla, 3u);
  EXPECT_EQ(Valores(doc.m_matPesosOculta), pesos);
  EXPECT_EQ(doc.m_opciones.nPaciencia, 400u);
  EXPECT_TRUE(doc.m_opciones.bBarajar);
  EXPECT_TRUE(doc.m_opciones.bMedirEntrenamiento);
  EXPECT_EQ(doc.m_opciones.strFicheroPrueba, Ejemplo("iris-test.bin"));

  // The next run goes by them.
  ASSERT_TRUE(doc.AmpliarEpocas(3));
  Entrenar(doc);
  ASSERT_TRUE(doc.m_opciones.bMejor);
  ASSERT_TRUE(doc.m_opciones.bFigurasPrueba);
  EXPECT_EQ(doc.m_opciones.figurasPrueba.nEpoca, doc.m_nEpoca.load());
  // Another test file drops the figures of the last; no patience, its best epoch.
  ASSERT_TRUE(doc.CambiarOpciones({{"prueba", Ejemplo("iris-test.txt") + ".no"}}, false, false).EsRechazo());
  ASSERT_TRUE(doc.m_opciones.bFigurasPrueba);
  ASSERT_TRUE(doc.CambiarOpciones({{"prueba", Ejemplo("iris-train.bin")}}, false, false));
  EXPECT_FALSE(doc.m_opciones.bFigurasPrueba);
  EXPECT_FALSE(doc.m_opciones.bMejor);
  EXPECT_TRUE(doc.m_opciones.mejores.empty());
  ASSERT_TRUE(doc.CambiarOpciones({}, false, false));
  EXPECT_EQ(doc.m_opciones.strFicheroPrueba, "");
  // Of what the dialog sets only the seed is left (the training set's
  // history of the epochs measured stays with them).
  const OpcionesRed& queda = doc.m_opciones;
  EXPECT_TRUE(queda.bSemilla);
  EXPECT_EQ(queda.nSemilla, 3u);
  EXPECT_EQ(queda.nPaciencia, 0u);
  EXPECT_FALSE(queda.bBarajar || queda.bFigurasPrueba || queda.bMedirEntrenamiento || queda.bMejor || queda.bParadaTemprana);
  EXPECT_TRUE(queda.strFicheroPrueba.empty() && queda.strEsquema.empty());
  EXPECT_TRUE(queda.HayHistorial());
}

TEST_F(OpcionesVentana, LosRechazosSonLosDeNrvCliYLaRedNoCambia) {
  CNodusDoc doc;
  Crear(doc, 6);
  const std::vector<BYTE> antes = Guardar(doc);
  const CString ent = Ejemplo("iris-train.txt"), ver = Ejemplo("iris-test.txt");
  for (const Textos& t : {Textos{{"semilla", "-1"}}, Textos{{"paciencia", "0"}}, Textos{{"paciencia", "401"}},
                          Textos{{"prueba", ver}}, Textos{{"prueba", ent}}, Textos{{"prueba", Ejemplo("xor.txt")}},
                          Textos{{"prueba", "no-existe.txt"}}}) {
    const Resultado<Hecho> r = doc.CambiarOpciones(t, true, true);
    const Resultado<OpcionesRed> cli = ComprobarOpcionesRed(t, true, ent, ver, OpcionesRed());
    ASSERT_FALSE(r);
    EXPECT_TRUE(r.EsRechazo());
    EXPECT_EQ(r.Mensaje(), cli.Mensaje());
  }
  EXPECT_EQ(Guardar(doc), antes);
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(OpcionesVentana, ElDialogoVuelveConLoEscritoTrasUnRechazo) {
  CNodusDoc doc;
  Crear(doc, 6);
  Entrenar(doc);
  host.guionDialogos.push_back([](CDialog& d) {
    EXPECT_EQ(d.GetTemplateId(), UINT(IDD_OPCIONES_ENTRENAMIENTO));
    // Trained already: the seed is only shown, and says why.
    EXPECT_FALSE(d.GetDlgItem(IDC_SEMILLA)->IsWindowEnabled());
    EXPECT_EQ(d.GetDlgItem(IDC_SEMILLA)->GetWindowText(), "");
    EXPECT_EQ(d.GetDlgItem(IDC_NOTA_SEMILLA)->GetWindowText(),
              "La red no tiene semilla propia: sus pesos iniciales salieron de la secuencia del programa; el "
              "barajado usa la semilla 1.");
    EXPECT_TRUE(d.GetDlgItem(IDC_PACIENCIA)->IsWindowEnabled());
    Escribir(d, IDC_PACIENCIA, "0");
    d.GetDlgItem(IDC_BARAJAR)->SetCheck(1);
    PulsarOK(d);
  });
  host.guionDialogos.push_back([](CDialog& d) {
    EXPECT_EQ(d.GetDlgItem(IDC_PACIENCIA)->GetWindowText(), "0");
    EXPECT_EQ(d.GetDlgItem(IDC_BARAJAR)->GetCheck(), 1);
    Escribir(d, IDC_PACIENCIA, " ");
    Escribir(d, IDC_FICHERO_PRUEBA, Ejemplo("iris-test.bin"));
    PulsarOK(d);
  });
  doc.OnOpcionesEntrenamiento();
  EXPECT_EQ(host.Textos(), std::vector<CString>{"Paciencia: Introduzca un número entero entre 1 y 400."});
  EXPECT_EQ(host.Mensajes().front().estilo, UINT(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(doc.m_opciones.nPaciencia, 0u);
  EXPECT_TRUE(doc.m_opciones.bBarajar);
  EXPECT_EQ(doc.m_opciones.strFicheroPrueba, Ejemplo("iris-test.bin"));
  EXPECT_TRUE(host.guionDialogos.empty());

  // Shown again: the options as they are now; Cancel changes nothing.
  host.Limpiar();
  host.guionDialogos.push_back([](CDialog& d) {
    EXPECT_EQ(d.GetDlgItem(IDC_FICHERO_PRUEBA)->GetWindowText(), Ejemplo("iris-test.bin"));
    EXPECT_EQ(d.GetDlgItem(IDC_PACIENCIA)->GetWindowText(), "");
    d.GetDlgItem(IDC_BARAJAR)->SetCheck(0);
    PulsarCancel(d);
  });
  doc.OnOpcionesEntrenamiento();
  EXPECT_TRUE(doc.m_opciones.bBarajar);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(OpcionesVentana, OpcionesYMasEpocasEnGrisMientrasEntrena) {
  CNodusDoc doc;
  Crear(doc, 400);
  EXPECT_TRUE(Habilitado(doc, ID_OPCIONES_ENTRENAMIENTO));
  EXPECT_TRUE(Habilitado(doc, ID_MAS_EPOCAS));
  doc.m_bEntrenando = true;
  EXPECT_FALSE(Habilitado(doc, ID_OPCIONES_ENTRENAMIENTO));
  EXPECT_FALSE(Habilitado(doc, ID_MAS_EPOCAS));
  EXPECT_EQ(doc.CambiarOpciones({}, true, false).Mensaje(),
            "La red se está entrenando: deténgala antes de cambiar sus opciones.");
  EXPECT_FALSE(doc.m_opciones.bBarajar);
  doc.m_bEntrenando = false;
  // A network that is done takes no more epochs.
  doc.m_bEntrenada = true;
  EXPECT_FALSE(Habilitado(doc, ID_MAS_EPOCAS));
  EXPECT_TRUE(Habilitado(doc, ID_OPCIONES_ENTRENAMIENTO));
  doc.m_bEntrenada = false;
  doc.m_opciones.bParadaTemprana = true;
  EXPECT_FALSE(Habilitado(doc, ID_MAS_EPOCAS));
}

TEST_F(OpcionesVentana, MasEpocasComoEntrenarMasEpocas) {
  CNodusDoc larga, dos;
  Crear(larga, 9);
  Crear(dos, 5);
  Entrenar(larga);
  Entrenar(dos);
  EXPECT_FALSE(dos.PuedeEntrenarse());
  host.guionDialogos.push_back([](CDialog& d) {
    EXPECT_EQ(d.GetTemplateId(), UINT(IDD_MAS_EPOCAS));
    EXPECT_EQ(d.GetDlgItem(IDC_EPOCAS_RED)->GetWindowText(),
              "La red ha completado 5 de sus 5 épocas; puede tener hasta 1000000 en total.");
    EXPECT_EQ(d.GetDlgItem(IDC_MAS_EPOCAS)->GetWindowText(), "100");
    Escribir(d, IDC_MAS_EPOCAS, "999996");
    PulsarOK(d);
  });
  host.guionDialogos.push_back([](CDialog& d) {
    EXPECT_EQ(d.GetDlgItem(IDC_MAS_EPOCAS)->GetWindowText(), "999996");
    Escribir(d, IDC_MAS_EPOCAS, "4");
    PulsarOK(d);
  });
  dos.OnMasEpocas();
  EXPECT_EQ(host.Textos(), std::vector<CString>{ComprobarMasEpocas("999996", 5).Mensaje()});
  EXPECT_EQ(host.Textos().front(), "Más épocas: Introduzca un número entero entre 1 y 999995.");
  EXPECT_EQ(dos.m_nMaxEpocas, 9u);
  EXPECT_TRUE(dos.IsModified());
  EXPECT_TRUE(dos.PuedeEntrenarse());
  Entrenar(dos);
  EXPECT_EQ(Guardar(dos), Guardar(larga));
}

TEST_F(OpcionesVentana, JuntoAlFormularioLaPruebaYLaParadaTemprana) {
  OpcionesRed op;
  EXPECT_EQ(TextoPruebaYParada(op, 0), "");
  op.strFicheroPrueba = "iris-prueba.txt";
  EXPECT_EQ(TextoPruebaYParada(op, 0), "Fichero de prueba: iris-prueba.txt (se mide al acabar cada entrenamiento)");
  op.bFigurasPrueba = true;
  op.figurasPrueba = FigurasPrueba{12, 30, 29, 96.666666666666671, 1.5, 0.9};
  op.nPaciencia = 5;
  op.bParadaTemprana = true;
  op.nEpocaMejor = 6;
  EXPECT_EQ(TextoPruebaYParada(op, 12),
            "Prueba (iris-prueba.txt, época 11): Nº Muestras: 30, Tasa Aciertos: 96.6667 %, Error Total: 1.500000\n"
            "Parada temprana: 5 épocas sin mejorar el error total de verificación; la red volvió a su mejor época, "
            "la 6, de las 12 entrenadas.");
}

TEST_F(OpcionesVentana, UnEsquemaQueNoSeLeeSeRechaza) {
  CNodusDoc doc;
  Crear(doc, 6);
  EXPECT_TRUE(doc.CambiarOpciones({{"esquema", carpeta.Fichero("no-esta.json")}}, false, false).EsRechazo());
  EXPECT_EQ(doc.m_opciones.strEsquema, "");
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(OpcionesVentana, LasCeldasDeRegresionSonLasLineasDeVerificar) {
  std::vector<RegresionSalida> r(2);
  r[0] = {"precio", 1234.5678, 0.001234567, true, 0.98765432};
  r[1] = {"y", 2.0, 1.0, false, 0.0};
  const std::vector<std::vector<CString>> c = CeldasRegresion(r);
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0], (std::vector<CString>{"Salida", "RMSE", "MAE", "R²"}));
  EXPECT_EQ(c[1], (std::vector<CString>{"precio", "1234.57", "0.00123457", "0.987654"}));
  EXPECT_EQ(c[2], (std::vector<CString>{"y", "2", "1", "-"}));
  EXPECT_EQ(TextoRegresion(r), "Salida  RMSE          MAE           R²\n"
                               "precio  1234.57       0.00123457    0.987654\n"
                               "y       2             1             -\n");
}
