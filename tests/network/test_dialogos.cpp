// The document's dialogs: the new-network dialog's checks and their order,
// its stored defaults, the browse buttons, the verification, results and
// "Cerrar todas" dialogs.
#include <filesystem>

#include "network/parametros.h"
#include "tests/network/documento_apoyo.h"

namespace {

constexpr UINT kAyudaFichero = 61716;

class Dialogos : public ::testing::Test {
 protected:
  void SetUp() override { CNuevaRedDlg::RestablecerValores(); }
  void TearDown() override { CNuevaRedDlg::RestablecerValores(); }
  CHostEspera host;
  CCarpetaTemporal carpeta;

  // A dialog holding valid values, ready for one field to be changed.
  void Validos(CDialog& d) {
    Escribir(d, IDC_FICHERO_ENTRENAMIENTO, Ejemplo("xor.txt"));
    Escribir(d, IDC_FICHERO_VERIFICACION, Ejemplo("xor.txt"));
  }
  // What OK says of a dialog with one field changed: the messages shown
  // (empty when it closed) and the control the focus was left on.
  std::vector<CString> Probar(int id, const CString& texto, int* foco = nullptr) {
    host.Limpiar();
    CNuevaRedDlg dlg;
    dlg.OnInitDialog();
    Validos(dlg);
    Escribir(dlg, id, texto);
    PulsarOK(dlg);
    if (foco) *foco = dlg.GetFocusControl();
    EXPECT_EQ(dlg.IsEnded(), host.Textos().empty()) << id << " " << texto;
    return host.Textos();
  }
  std::vector<CString> Ninguno() { return {}; }
};

CString Texto(CDialog& d, int id) { return d.GetDlgItem(id)->GetWindowText(); }

}  // namespace

// ---------------------------------------------------------------- new network

TEST_F(Dialogos, ElPrimerDialogoMuestraLosValoresDeArranque) {
  CNuevaRedDlg dlg;
  EXPECT_EQ(dlg.GetTemplateId(), UINT(IDD_NUEVA_RED));
  dlg.OnInitDialog();
  EXPECT_EQ(Texto(dlg, IDC_FICHERO_ENTRENAMIENTO), "");
  EXPECT_EQ(Texto(dlg, IDC_FICHERO_VERIFICACION), "");
  EXPECT_EQ(Texto(dlg, IDC_OCULTAS), "40");
  EXPECT_EQ(Texto(dlg, IDC_APRENDIZAJE), "0.1");
  EXPECT_EQ(Texto(dlg, IDC_MOMENTO), "0.9");
  EXPECT_EQ(Texto(dlg, IDC_ERROR_MAXIMO), "0.7");
  EXPECT_EQ(Texto(dlg, IDC_MAX_EPOCAS), "100");
  EXPECT_EQ(dlg.GetDlgItem(IDC_GUARDAR_VALORES)->GetCheck(), 0);
}

TEST_F(Dialogos, LosLimitesDeCadaCampo) {
  EXPECT_EQ(Probar(IDC_ERROR_MAXIMO, "0"), Ninguno());
  EXPECT_EQ(Probar(IDC_ERROR_MAXIMO, "1"), Ninguno());
  EXPECT_EQ(Probar(IDC_ERROR_MAXIMO, "1.01"), std::vector<CString>{"Introduzca un número entre 0 y 1."});
  EXPECT_EQ(Probar(IDC_ERROR_MAXIMO, "-0.1"), std::vector<CString>{"Introduzca un número entre 0 y 1."});
  EXPECT_EQ(Probar(IDC_MOMENTO, "0"), Ninguno());
  EXPECT_EQ(Probar(IDC_MOMENTO, "1"), Ninguno());
  EXPECT_EQ(Probar(IDC_APRENDIZAJE, "0.5"), Ninguno());
  EXPECT_EQ(Probar(IDC_APRENDIZAJE, "0"), Ninguno());
  int foco = 0;
  EXPECT_EQ(Probar(IDC_APRENDIZAJE, "0.51", &foco), std::vector<CString>{"Introduzca un número entre 0 y 0.5."});
  EXPECT_EQ(foco, IDC_APRENDIZAJE);
  EXPECT_EQ(Probar(IDC_OCULTAS, "0", &foco), std::vector<CString>{"Introduzca un número entero entre 1 y 128."});
  EXPECT_EQ(foco, IDC_OCULTAS);
  EXPECT_EQ(Probar(IDC_OCULTAS, "129"), std::vector<CString>{"Introduzca un número entero entre 1 y 128."});
  EXPECT_EQ(Probar(IDC_OCULTAS, "128"), Ninguno());
  EXPECT_EQ(Probar(IDC_OCULTAS, "1"), Ninguno());
  EXPECT_EQ(Probar(IDC_MAX_EPOCAS, "400"), Ninguno());
  EXPECT_EQ(Probar(IDC_MAX_EPOCAS, "401", &foco), std::vector<CString>{"Introduzca un número entero entre 1 y 400."});
  EXPECT_EQ(foco, IDC_MAX_EPOCAS);
  EXPECT_EQ(Probar(IDC_MAX_EPOCAS, "0"), std::vector<CString>{"Introduzca un número entero entre 1 y 400."});
  EXPECT_EQ(Probar(IDC_APRENDIZAJE, "0,5", &foco), std::vector<CString>{"Introduzca un número."});
  EXPECT_EQ(foco, IDC_APRENDIZAJE);
  EXPECT_EQ(Probar(IDC_OCULTAS, "tres"), std::vector<CString>{"Introduzca un número entero positivo."});
  EXPECT_EQ(Probar(IDC_MAX_EPOCAS, "-5"), std::vector<CString>{"Introduzca un número entero positivo."});
}

TEST_F(Dialogos, ElOrdenDeLasComprobaciones) {
  CNuevaRedDlg dlg;
  dlg.OnInitDialog();
  // Every number wrong and the training field empty: the field first.
  for (int id : {IDC_ERROR_MAXIMO, IDC_MAX_EPOCAS, IDC_MOMENTO, IDC_OCULTAS, IDC_APRENDIZAJE})
    Escribir(dlg, id, "x");
  PulsarOK(dlg);
  EXPECT_EQ(host.Textos(), std::vector<CString>{"No ha introducido un fichero"});
  EXPECT_EQ(dlg.GetFocusControl(), IDC_FICHERO_ENTRENAMIENTO);
  // Then the numbers in the exchange's order.
  Escribir(dlg, IDC_FICHERO_ENTRENAMIENTO, Ejemplo("xor.txt"));
  const std::pair<int, CString> arreglos[] = {
      {IDC_ERROR_MAXIMO, "0.7"}, {IDC_MAX_EPOCAS, "100"}, {IDC_MOMENTO, "0.9"}, {IDC_OCULTAS, "3"}, {IDC_APRENDIZAJE, "0.1"}};
  for (const auto& [id, valor] : arreglos) {
    host.Limpiar();
    PulsarOK(dlg);
    EXPECT_EQ(dlg.GetFocusControl(), id);
    EXPECT_EQ(host.Textos().size(), 1u);
    Escribir(dlg, id, valor);
  }
  // The empty verification field only after every number passed.
  host.Limpiar();
  PulsarOK(dlg);
  EXPECT_EQ(host.Textos(), std::vector<CString>{"No ha introducido un fichero"});
  EXPECT_EQ(dlg.GetFocusControl(), IDC_FICHERO_VERIFICACION);
  EXPECT_FALSE(dlg.IsEnded());
  Escribir(dlg, IDC_FICHERO_VERIFICACION, Ejemplo("xor.txt"));
  PulsarOK(dlg);
  EXPECT_TRUE(dlg.IsEnded());
  EXPECT_EQ(dlg.GetResult(), IDOK);
  EXPECT_EQ(dlg.m_nOcultas, 3u);
  EXPECT_EQ(dlg.m_strFicheroVerificacion, Ejemplo("xor.txt"));
}

TEST_F(Dialogos, LosFicherosSeCompruebanConSusMensajes) {
  const std::string noExiste = carpeta.Fichero("no-existe.txt");
  EXPECT_EQ(Probar(IDC_FICHERO_ENTRENAMIENTO, noExiste),
            std::vector<CString>{"No se ha podido abrir el fichero o fichero inexistente"});
  EXPECT_EQ(Probar(IDC_FICHERO_ENTRENAMIENTO, carpeta.Ruta()),
            std::vector<CString>{"No se ha podido abrir el fichero o fichero inexistente"});
  const auto m = host.Mensajes();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].estilo, MB_ICONEXCLAMATION);
  EXPECT_EQ(m[0].ayuda, kAyudaFichero);
  EXPECT_EQ(Probar(IDC_FICHERO_VERIFICACION, noExiste), std::vector<CString>{" No se han podido dimensionar los datos. "});
  const std::string otraSalida = carpeta.Escribir("dos.txt", "0 0\n0 1\n1 1\n1 0\n");
  EXPECT_EQ(Probar(IDC_FICHERO_VERIFICACION, otraSalida), std::vector<CString>{" Dimensiones incorrectas. "});
  const std::string otraEntrada = carpeta.Escribir("tres.txt", "0 0 1\n1\n");
  int foco = 0;
  EXPECT_EQ(Probar(IDC_FICHERO_VERIFICACION, otraEntrada, &foco), std::vector<CString>{" Dimensiones incorrectas. "});
  EXPECT_EQ(foco, IDC_FICHERO_VERIFICACION);
  EXPECT_EQ(host.Mensajes()[0].ayuda, kAyudaFichero);
  // A training file that cannot be measured leaves counts of 0 to compare.
  CNuevaRedDlg dlg;
  dlg.OnInitDialog();
  Escribir(dlg, IDC_FICHERO_ENTRENAMIENTO, carpeta.Escribir("comentario.txt", "/ nada\n"));
  Escribir(dlg, IDC_FICHERO_VERIFICACION, Ejemplo("xor.txt"));
  host.Limpiar();
  PulsarOK(dlg);
  EXPECT_EQ(host.Textos(), std::vector<CString>{" Dimensiones incorrectas. "});
}

TEST_F(Dialogos, GuardarValoresLosDejaParaElSiguienteDialogo) {
  {
    CNuevaRedDlg dlg;
    dlg.OnInitDialog();
    Validos(dlg);
    Escribir(dlg, IDC_OCULTAS, "7");
    Escribir(dlg, IDC_APRENDIZAJE, "0.25");
    Escribir(dlg, IDC_MOMENTO, "0.5");
    Escribir(dlg, IDC_ERROR_MAXIMO, "0.05");
    Escribir(dlg, IDC_MAX_EPOCAS, "250");
    dlg.GetDlgItem(IDC_GUARDAR_VALORES)->SetCheck(1);
    PulsarOK(dlg);
    ASSERT_TRUE(dlg.IsEnded());
  }
  {
    CNuevaRedDlg dlg;
    dlg.OnInitDialog();
    EXPECT_EQ(Texto(dlg, IDC_FICHERO_ENTRENAMIENTO), Ejemplo("xor.txt"));
    EXPECT_EQ(Texto(dlg, IDC_FICHERO_VERIFICACION), Ejemplo("xor.txt"));
    EXPECT_EQ(Texto(dlg, IDC_OCULTAS), "7");
    EXPECT_EQ(Texto(dlg, IDC_APRENDIZAJE), "0.25");
    EXPECT_EQ(Texto(dlg, IDC_MOMENTO), "0.5");
    EXPECT_EQ(Texto(dlg, IDC_ERROR_MAXIMO), "0.05");
    EXPECT_EQ(Texto(dlg, IDC_MAX_EPOCAS), "250");
    EXPECT_EQ(dlg.GetDlgItem(IDC_GUARDAR_VALORES)->GetCheck(), 0);
    // Confirmed without the box: the defaults stay.
    Escribir(dlg, IDC_OCULTAS, "9");
    PulsarOK(dlg);
    ASSERT_TRUE(dlg.IsEnded());
  }
  EXPECT_EQ(CNuevaRedDlg::ValoresGuardados().nOcultas, 7u);
  EXPECT_EQ(CNuevaRedDlg::ValoresGuardados().dMomento, 0.5);
}

TEST_F(Dialogos, SeGuardanLosValoresDelUltimoOKAceptado) {
  {
    CNuevaRedDlg dlg;
    dlg.OnInitDialog();
    Validos(dlg);
    Escribir(dlg, IDC_OCULTAS, "7");
    dlg.GetDlgItem(IDC_GUARDAR_VALORES)->SetCheck(1);
    PulsarOK(dlg);
    ASSERT_TRUE(dlg.IsEnded());
    // Shown again (the document refused the files), changed, refused and
    // cancelled.
    dlg.OnInitDialog();
    Escribir(dlg, IDC_OCULTAS, "50");
    Escribir(dlg, IDC_APRENDIZAJE, "0.9");
    PulsarOK(dlg);
    PulsarCancel(dlg);
  }
  EXPECT_EQ(CNuevaRedDlg::ValoresGuardados().nOcultas, 7u);
  {
    CNuevaRedDlg dlg;  // cancelled at once: nothing kept
    dlg.OnInitDialog();
    Escribir(dlg, IDC_OCULTAS, "11");
    PulsarCancel(dlg);
  }
  EXPECT_EQ(CNuevaRedDlg::ValoresGuardados().nOcultas, 7u);
}

TEST_F(Dialogos, ConGuardarValoresLaSiguienteRedNuevaAbreConEllos) {
  CCarpetaTemporal otra;
  CDirectorioActual dir(otra.Ruta());
  ParametrosRed p;
  p.entrenamiento = Ejemplo("xor.txt");
  p.verificacion = Ejemplo("xor.txt");
  p.ocultas = "6";
  p.guardar = true;
  CNodusDoc a;
  ASSERT_TRUE(CrearRed(host, a, p));
  CString visto;
  host.guionDialogos.push_back([&](CDialog& d) {
    visto = Texto(d, IDC_OCULTAS);
    EXPECT_EQ(d.GetDlgItem(IDC_GUARDAR_VALORES)->GetCheck(), 0);
    PulsarOK(d);
  });
  CNodusDoc b;
  ASSERT_TRUE(b.OnNewDocument());
  EXPECT_EQ(visto, "6");
  EXPECT_EQ(b.m_nOcultas, 6u);
  EXPECT_EQ(b.m_strFicheroEntrenamiento, Ejemplo("xor.txt"));
}

TEST_F(Dialogos, ExaminarLlenaElCampoYCancelarNoCambiaNada) {
  CNuevaRedDlg dlg;
  dlg.OnInitDialog();
  Escribir(dlg, IDC_FICHERO_VERIFICACION, "escrito");
  host.respuestasFichero = {"/ruta/elegida.txt", "", "/otra/ver.dat"};
  PulsarBoton(dlg, IDC_EXAMINAR_ENTRENAMIENTO);
  EXPECT_EQ(dlg.m_strFicheroEntrenamiento, "/ruta/elegida.txt");
  EXPECT_EQ(Texto(dlg, IDC_FICHERO_ENTRENAMIENTO), "/ruta/elegida.txt");
  EXPECT_EQ(Texto(dlg, IDC_FICHERO_VERIFICACION), "escrito");
  PulsarBoton(dlg, IDC_EXAMINAR_VERIFICACION);  // cancelled
  EXPECT_EQ(Texto(dlg, IDC_FICHERO_VERIFICACION), "escrito");
  EXPECT_EQ(dlg.m_strFicheroVerificacion, "");
  PulsarBoton(dlg, IDC_EXAMINAR_VERIFICACION);
  EXPECT_EQ(Texto(dlg, IDC_FICHERO_VERIFICACION), "/otra/ver.dat");
  EXPECT_EQ(dlg.m_strFicheroVerificacion, "/otra/ver.dat");
  ASSERT_EQ(host.dialogosFichero.size(), 3u);
  for (const CFileDialog& fd : host.dialogosFichero)
    ComprobarDialogoFichero(fd, CFileDialog(TRUE, "", "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                            {{"Ficheros ASCII (*.txt;*.dat)", "*.txt;*.dat"},
                                             {"Ficheros Binarios (*.ie3;*.bin)", "*.ie3;*.bin"},
                                             {"Todos los ficheros (*.*)", "*.*"}},
                                            "Examinar Archivos"));
}

// ---------------------------------------------------------------- verification

TEST_F(Dialogos, ExaminarEnVerificarDejaEnLaCajaLaRutaGuardada) {
  CVerificarDlg dlg;
  EXPECT_EQ(dlg.GetTemplateId(), UINT(IDD_VERIFICAR));
  dlg.OnInitDialog();
  EXPECT_EQ(Texto(dlg, IDC_FICHERO_ENTRENAMIENTO), "");
  host.respuestasFichero = {"/datos/elegido.txt", ""};
  PulsarBoton(dlg, IDC_EXAMINAR);
  EXPECT_EQ(dlg.m_strFichero, "/datos/elegido.txt");
  EXPECT_EQ(Texto(dlg, IDC_FICHERO_ENTRENAMIENTO), "/datos/elegido.txt");
  Escribir(dlg, IDC_FICHERO_ENTRENAMIENTO, "tecleado");
  PulsarBoton(dlg, IDC_EXAMINAR);  // cancelled: the box shows the stored path again
  EXPECT_EQ(Texto(dlg, IDC_FICHERO_ENTRENAMIENTO), "/datos/elegido.txt");
  EXPECT_EQ(host.dialogosFichero.back().m_strTitulo, "Examinar Archivos");
  EXPECT_TRUE(host.dialogosFichero.back().m_bOpenFileDialog);
  EXPECT_EQ(host.dialogosFichero.back().m_filtros.size(), 3u);
}

TEST_F(Dialogos, ElDialogoDeResultadosMuestraSusCuatroTextos) {
  CResultadosDlg dlg;
  EXPECT_EQ(dlg.GetTemplateId(), UINT(IDD_RESULTADOS));
  dlg.m_strErrorTotal = "1.234568";
  dlg.m_strFichero = "/datos/f.txt";
  dlg.m_strMuestras = "150";
  dlg.m_strAciertos = " 5.0000 %";
  dlg.OnInitDialog();
  EXPECT_EQ(Texto(dlg, IDC_ERROR_TOTAL), "1.234568");
  EXPECT_EQ(Texto(dlg, IDC_RES_FICHERO), "/datos/f.txt");
  EXPECT_EQ(Texto(dlg, IDC_RES_MUESTRAS), "150");
  EXPECT_EQ(Texto(dlg, IDC_ACIERTOS), " 5.0000 %");
  PulsarOK(dlg);
  EXPECT_TRUE(dlg.IsEnded());
}

// ---------------------------------------------------------------- Cerrar todas

TEST_F(Dialogos, ElDialogoDeGuardarCambiosTerminaConNo) {
  CGuardarCambiosDlg dlg;
  EXPECT_EQ(dlg.GetTemplateId(), UINT(IDD_GUARDAR_CAMBIOS));
  EXPECT_EQ(dlg.m_strMensaje, "");
  EXPECT_EQ(dlg.m_btnNo, dlg.GetDlgItem(IDC_NO));
  dlg.m_strMensaje = "pregunta";
  dlg.OnInitDialog();
  EXPECT_EQ(Texto(dlg, IDC_MENSAJE), "pregunta");
  PulsarBoton(dlg, IDC_NO);
  EXPECT_TRUE(dlg.IsEnded());
  EXPECT_EQ(dlg.GetResult(), IDC_NO);
}

TEST_F(Dialogos, PreguntarGuardarSegunLaRespuesta) {
  CCarpetaTemporal otra;
  CDirectorioActual dir(otra.Ruta());
  ParametrosRed p;
  p.entrenamiento = Ejemplo("xor.txt");
  p.verificacion = Ejemplo("xor.txt");
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, p));
  doc.SetTitle("Nrv 1");
  CString pregunta;
  auto responder = [&](int boton) {
    host.guionDialogos.push_back([&pregunta, boton](CDialog& d) {
      pregunta = d.GetDlgItem(IDC_MENSAJE)->GetWindowText();
      PulsarBoton(d, boton);
    });
  };

  responder(IDC_NO);
  EXPECT_EQ(doc.PreguntarGuardar(), 0);
  EXPECT_EQ(pregunta, "¿ Guardar cambios en Nrv 1 ?");
  responder(IDCANCEL);
  EXPECT_EQ(doc.PreguntarGuardar(), 1);
  EXPECT_TRUE(host.dialogosFichero.empty());

  // SI for a never-saved network: the "Guardar Documento" dialog.
  responder(IDOK);
  host.respuestasFichero.push_back("");
  EXPECT_EQ(doc.PreguntarGuardar(), 1);
  ASSERT_EQ(host.dialogosFichero.size(), 1u);
  ComprobarDialogoFichero(host.dialogosFichero[0],
                          CFileDialog(FALSE, "nrv", "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                      {{"Ficheros NRV (*.nrv)", "*.nrv"}, {"Todos los ficheros (*.*)", "*.*"}},
                                      "Guardar Documento"));

  responder(IDOK);
  host.respuestasFichero.push_back(otra.Fichero("red.nrv"));
  EXPECT_EQ(doc.PreguntarGuardar(), 0);
  EXPECT_EQ(LeerFichero(otra.Fichero("red.nrv")).size(), Guardar(doc).size());
  EXPECT_EQ(doc.GetPathName(), "");
  EXPECT_EQ(doc.GetTitle(), "Nrv 1");

  // SI with a path: saved there without asking.
  doc.SetPathName(otra.Fichero("propia.nrv"));
  responder(IDOK);
  EXPECT_EQ(doc.PreguntarGuardar(), 0);
  EXPECT_TRUE(std::filesystem::exists(otra.Fichero("propia.nrv")));
  EXPECT_EQ(host.dialogosFichero.size(), 2u);
}

// The core's check of a new network (nrv-cli nueva) and the dialog's take
// their ranges from one table: at each bound and just past it they accept
// and refuse alike, with the same message.
TEST_F(Dialogos, LaComprobacionDelNucleoDiceLoMismoQueElDialogo) {
  const std::pair<IndiceParametro, int> campos[] = {{PARAM_OCULTAS, IDC_OCULTAS},
                                                    {PARAM_APRENDIZAJE, IDC_APRENDIZAJE},
                                                    {PARAM_MOMENTO, IDC_MOMENTO},
                                                    {PARAM_ERROR, IDC_ERROR_MAXIMO},
                                                    {PARAM_EPOCAS, IDC_MAX_EPOCAS}};
  for (const auto& [i, id] : campos) {
    const DefinicionParametro& p = Parametro(i);
    const double paso = p.tipo == TipoParametro::Entero ? 1.0 : 0.001;
    for (const CString& texto : {TextoParametro(p.dMinimo), TextoParametro(p.dMaximo),
                                 TextoParametro(p.dMinimo - paso), TextoParametro(p.dMaximo + paso),
                                 CString("x")}) {
      const std::vector<CString> dialogo = Probar(id, texto);
      const Resultado<DatosNuevaRed> nucleo = ComprobarNuevaRed(
          Ejemplo("xor.txt"), Ejemplo("xor.txt"), {{p.strOpcion, texto}}, DatosNuevaRed{});
      ASSERT_EQ(dialogo.empty(), bool(nucleo)) << p.strOpcion << " " << texto;
      if (!dialogo.empty()) {
        EXPECT_EQ(dialogo.front(), nucleo.Mensaje()) << p.strOpcion << " " << texto;
      }
    }
  }
  // Nothing given: the dialog's first values.
  const Resultado<DatosNuevaRed> r = ComprobarNuevaRed(Ejemplo("xor.txt"), Ejemplo("xor.txt"), {}, DatosNuevaRed{});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->nOcultas, 40u);
  EXPECT_EQ(r->dAprendizaje, 0.1);
  EXPECT_EQ(r->nMaxEpocas, 100u);
}

// ---------------------------------------------------------------- data files

TEST_F(Dialogos, FicherosDeDatosAceptaLosQueEncajanYRechazaLosDemas) {
  CNodusDoc doc;
  ParametrosRed p;
  p.entrenamiento = Ejemplo("xor.txt");
  p.verificacion = Ejemplo("xor.txt");
  ASSERT_TRUE(CrearRed(host, doc, p));
  const std::string otro = carpeta.Escribir("otro.txt", LeerFichero(Ejemplo("xor.txt")));
  const std::string tres = carpeta.Escribir("tres.txt", "1 2 3\n4\n");
  host.Limpiar();

  // A file of other inputs is refused and the dialog comes back with what
  // was typed; "..." fills its own field only; then the change is made.
  CString visto;
  host.guionDialogos.push_back([&](CDialog& d) {
    EXPECT_EQ(d.GetTemplateId(), UINT(IDD_FICHEROS_DATOS));
    EXPECT_EQ(Texto(d, IDC_FICHERO_ENTRENAMIENTO), CString(Ejemplo("xor.txt")));
    Escribir(d, IDC_FICHERO_ENTRENAMIENTO, tres);
    PulsarOK(d);
  });
  host.respuestasFichero = {otro};
  host.guionDialogos.push_back([&](CDialog& d) {
    visto = Texto(d, IDC_FICHERO_ENTRENAMIENTO);
    Escribir(d, IDC_FICHERO_ENTRENAMIENTO, Ejemplo("xor.txt"));
    PulsarBoton(d, IDC_EXAMINAR_VERIFICACION);
    EXPECT_EQ(Texto(d, IDC_FICHERO_ENTRENAMIENTO), CString(Ejemplo("xor.txt")));
    PulsarOK(d);
  });
  doc.OnFicherosDatos();
  EXPECT_TRUE(host.guionDialogos.empty());
  EXPECT_EQ(visto, CString(tres));
  ASSERT_EQ(host.Textos().size(), 1u);
  EXPECT_EQ(host.Textos()[0].rfind("Dimensiones Erroneas: " + tres, 0), 0u) << host.Textos()[0];
  EXPECT_EQ(doc.m_strFicheroEntrenamiento, Ejemplo("xor.txt"));
  EXPECT_EQ(doc.m_strFicheroVerificacion, otro);
  EXPECT_TRUE(doc.IsModified());

  // Cancel, or the same files, change nothing.
  doc.SetModifiedFlag(FALSE);
  doc.OnFicherosDatos();
  EXPECT_TRUE(doc.CambiarFicherosDatos(CString(), otro));
  EXPECT_FALSE(doc.IsModified());

  // Not while training: the command is disabled and the change refused.
  doc.m_bEntrenando = true;
  CCmdUI cmd(ID_FICHEROS_DATOS);
  doc.OnCmdMsg(ID_FICHEROS_DATOS, &cmd);
  EXPECT_FALSE(cmd.m_bEnabled);
  const Resultado<Hecho> r = doc.CambiarFicherosDatos(Ejemplo("xor.txt"), CString());
  EXPECT_FALSE(r);
  EXPECT_FALSE(r.GetFallo().bRechazo);
  EXPECT_EQ(doc.m_strFicheroVerificacion, otro);
  doc.m_bEntrenando = false;
}

TEST_F(Dialogos, UnaRutaRelativaSeBuscaEnLaCarpetaDeLaRed) {
  carpeta.Escribir("junto.txt", "1\n2\n");
  const std::string red = carpeta.Fichero("red.nrv");
  EXPECT_EQ(RutaDatosRed("junto.txt", red), carpeta.Fichero("junto.txt"));
  EXPECT_EQ(RutaDatosRed("falta.txt", red), "falta.txt");  // nowhere: as stored
  EXPECT_EQ(RutaDatosRed("/x/junto.txt", red), "/x/junto.txt");
  EXPECT_EQ(RutaDatosRed("junto.txt", ""), "junto.txt");
}
