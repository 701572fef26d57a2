#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "network/aritmetica.h"

namespace {

// A network with its four matrices, weights given row by row.
struct Red {
  CMatrizReales oculta, salida, incOculta, incSalida;
  RedPerceptron red{};

  Red(UINT e, UINT h, UINT s) {
    oculta.Dimensionar(h, e + 1);
    salida.Dimensionar(s, h + 1);
    incOculta.Dimensionar(h, e + 1);
    incSalida.Dimensionar(s, h + 1);
    red = RedPerceptron{e, h, s, &oculta, &salida, &incOculta, &incSalida};
  }
};

void Poner(CMatrizReales& m, std::initializer_list<std::initializer_list<double>> filas) {
  UINT i = 0;
  for (const auto& f : filas) {
    UINT j = 0;
    for (double v : f) m.m_ppFilas[i][j++] = v;
    ++i;
  }
}

void Llenar(CConjuntoDatos& c, std::initializer_list<std::initializer_list<double>> entradas,
            std::initializer_list<std::initializer_list<double>> salidas) {
  c.m_nMuestras = UINT(entradas.size());
  c.m_nEntradas = UINT(entradas.begin()->size());
  c.m_nSalidas = UINT(salidas.begin()->size());
  c.m_matEntradas.Dimensionar(c.m_nMuestras, c.m_nEntradas);
  c.m_matSalidas.Dimensionar(c.m_nMuestras, c.m_nSalidas);
  Poner(c.m_matEntradas, entradas);
  Poner(c.m_matSalidas, salidas);
  c.m_bCargado = true;
}

}  // namespace

// --- The table ---

TEST(AritmeticaTabla, EntradasReveladoras) {
  EXPECT_EQ(TablaSigmoide[0], 0.000335);
  EXPECT_EQ(TablaSigmoide[1], 0.000338);
  EXPECT_EQ(TablaSigmoide[512], 0.017986);
  EXPECT_EQ(TablaSigmoide[896], 0.268941);
  EXPECT_EQ(TablaSigmoide[1023], 0.498047);
  EXPECT_EQ(TablaSigmoide[1024], 0.5);
  EXPECT_EQ(TablaSigmoide[1025], 0.501953);
  EXPECT_EQ(TablaSigmoide[1152], 0.731059);
  EXPECT_EQ(TablaSigmoide[1280], 0.880797);
  EXPECT_EQ(TablaSigmoide[1536], 0.982014);
  EXPECT_EQ(TablaSigmoide[1920], 0.999089);
  EXPECT_EQ(TablaSigmoide[2046], 0.999659);
  EXPECT_EQ(TablaSigmoide[2047], 0.999662);
}

TEST(AritmeticaTabla, CadaEntradaEsElSigmoideRedondeadoASeisDecimales) {
  // No entry lies near a rounding half, so the library's exp decides them all.
  for (int i = 0; i < 2048; ++i) {
    const double v = 1.0 / (1.0 + std::exp(-(i - 1024) / 128.0));
    ASSERT_EQ(TablaSigmoide[i], std::round(v * 1e6) / 1e6) << i;
  }
  for (int i = 1; i < 2048; ++i) ASSERT_LE(TablaSigmoide[i - 1], TablaSigmoide[i]) << i;
}

// --- Sigmoide ---

TEST(AritmeticaSigmoide, CasosLimite) {
  EXPECT_EQ(Sigmoide(0.0), 0.5);
  EXPECT_EQ(Sigmoide(1.0), 0.731059);
  EXPECT_EQ(Sigmoide(-1.0), 0.268941);
  EXPECT_EQ(Sigmoide(-8.0), 0.000335);
  EXPECT_EQ(Sigmoide(-8.000001), 0.0);
  EXPECT_EQ(Sigmoide(8.000001), 0.999);
  EXPECT_EQ(Sigmoide(7.99), 0.999662);
  EXPECT_EQ(Sigmoide(-1e300), 0.0);
  EXPECT_EQ(Sigmoide(1e300), 0.999);
  EXPECT_EQ(Sigmoide(INFINITY), 0.999);
  EXPECT_EQ(Sigmoide(-INFINITY), 0.0);
}

TEST(AritmeticaSigmoide, MitadExactaVaAlIndiceInferior) {
  EXPECT_EQ(Sigmoide(1.0 / 256), 0.5);        // t = 1024.5 -> 1024
  EXPECT_EQ(Sigmoide(-1.0 / 256), 0.498047);  // t = 1023.5 -> 1023
  EXPECT_EQ(Sigmoide(3.0 / 512), 0.501953);   // t = 1024.75 -> 1025
  EXPECT_EQ(Sigmoide(1.0 / 512), 0.5);        // t = 1024.25 -> 1024
  EXPECT_EQ(Sigmoide(-8.0 + 1.0 / 256), TablaSigmoide[0]);  // t = 0.5 -> 0
  EXPECT_EQ(Sigmoide(7.99609375), TablaSigmoide[2047]);     // t = 2047.5 -> 2047
}

TEST(AritmeticaSigmoide, JustoDebajoDeOchoDaLaUltimaEntrada) {
  // These nets round to 2048, one past the table: they take entry 2047.
  EXPECT_EQ(Sigmoide(7.997), 0.999662);
  EXPECT_EQ(Sigmoide(std::nextafter(7.99609375, 9.0)), 0.999662);
  EXPECT_EQ(Sigmoide(8.0), 0.999662);
  // Not monotonic at the top: above 8 the constant 0.999.
  EXPECT_GT(Sigmoide(8.0), Sigmoide(std::nextafter(8.0, 9.0)));
}

TEST(AritmeticaSigmoide, NetNoNumericoNoLeeFueraDeLaTabla) {
  EXPECT_TRUE(std::isnan(Sigmoide(NAN)));
}

TEST(AritmeticaSigmoide, CadaNodoDeLaRejillaDaSuEntrada) {
  for (int i = 0; i < 2048; ++i) ASSERT_EQ(Sigmoide(-8.0 + i / 128.0), TablaSigmoide[i]) << i;
}

// --- Propagar ---

TEST(AritmeticaPropagar, SumaPesosPorEntradasMasSesgo) {
  Red r(2, 2, 1);
  Poner(r.oculta, {{0.5, 0.25, -1.0}, {-2.0, 4.0, 3.0}});
  Poner(r.salida, {{1.0, -1.0, 0.0}});
  const double x[2] = {2.0, 4.0};
  double h[2], o[1];
  Propagar(r.red, x, h, o);
  EXPECT_EQ(h[0], Sigmoide(1.0));         // 0.5*2 + 0.25*4 - 1
  EXPECT_EQ(h[1], 0.999);                 // -4 + 16 + 3 = 15 > 8
  EXPECT_EQ(o[0], TablaSigmoide[990]);    // net = 0.731059 - 0.999: t = 989.70
}

TEST(AritmeticaPropagar, OrdenDeLaSumaDesdeCero) {
  // 1e16 + 1 - 1e16 in increasing index from 0.0 is 0 (1 is absorbed); in
  // any other order it would be 1 and the output would change.
  Red r(3, 1, 1);
  Poner(r.oculta, {{1.0, 1.0, -1.0, 0.0}});
  Poner(r.salida, {{0.0, 0.0}});
  const double x[3] = {1e16, 1.0, 1e16};
  double h[1], o[1];
  Propagar(r.red, x, h, o);
  EXPECT_EQ(h[0], 0.5);
}

TEST(AritmeticaPropagar, SesgoMasSuma) {
  // net = 1/512 * 1 + 1/256: the bias column joins the sum.
  Red r(1, 1, 1);
  Poner(r.oculta, {{1.0 / 512, 1.0 / 256}});
  Poner(r.salida, {{0.0, 0.0}});
  const double x[1] = {1.0};
  double h[1], o[1];
  Propagar(r.red, x, h, o);
  EXPECT_EQ(h[0], 0.501953);  // net = 3/512: t = 1024.75
}

// --- Retropropagar ---

// Two inputs, two hidden neurons, one output; nets that land on table
// entries, so every value below is worked out by hand.
class AritmeticaPaso : public ::testing::Test {
 protected:
  AritmeticaPaso() : r(2, 2, 1) {
    Poner(r.oculta, {{0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}});  // h = (0.5, 0.731059)
    Poner(r.salida, {{0.0, 0.0, 0.0}});                   // o = 0.5
  }
  void Paso(double a, double m) {
    Propagar(r.red, x, h, o);
    Retropropagar(r.red, x, t, h, o, dO, dH, a, m);
  }
  Red r;
  const double x[2] = {1.0, 0.5};
  double t[1] = {1.0};
  double h[2] = {}, o[1] = {}, dO[1] = {}, dH[2] = {};
};

TEST_F(AritmeticaPaso, SinMomento) {
  Paso(0.5, 0.0);
  const double h1 = 0.731059;
  ASSERT_EQ(h[0], 0.5);
  ASSERT_EQ(h[1], h1);
  ASSERT_EQ(o[0], 0.5);
  EXPECT_EQ(dO[0], 0.125);  // 0.5 * 0.5 * 0.5

  // Output row: a*dO*h, bias a*dO.
  EXPECT_EQ(r.incSalida.m_ppFilas[0][0], 0.03125);
  EXPECT_EQ(r.incSalida.m_ppFilas[0][1], 0.0625 * h1);
  EXPECT_EQ(r.incSalida.m_ppFilas[0][2], 0.0625);
  EXPECT_EQ(r.salida.m_ppFilas[0][0], 0.03125);
  EXPECT_EQ(r.salida.m_ppFilas[0][1], 0.0625 * h1);
  EXPECT_EQ(r.salida.m_ppFilas[0][2], 0.0625);

  // Hidden terms from the output weights just changed: with the old ones
  // (all zero) they would be 0.
  EXPECT_EQ(dH[0], 0.0009765625);  // 0.25 * (0.03125 * 0.125)
  EXPECT_EQ(dH[1], h1 * (1.0 - h1) * (0.0625 * h1 * 0.125));

  EXPECT_EQ(r.incOculta.m_ppFilas[0][0], 0.00048828125);   // 0.5 * dH0 * 1
  EXPECT_EQ(r.incOculta.m_ppFilas[0][1], 0.000244140625);  // 0.5 * dH0 * 0.5
  EXPECT_EQ(r.incOculta.m_ppFilas[0][2], 0.00048828125);   // bias
  EXPECT_EQ(r.oculta.m_ppFilas[0][0], 0.00048828125);
  EXPECT_EQ(r.oculta.m_ppFilas[0][1], 0.000244140625);
  EXPECT_EQ(r.oculta.m_ppFilas[0][2], 0.00048828125);
  const double dH1 = dH[1];
  EXPECT_EQ(r.incOculta.m_ppFilas[1][0], 0.5 * dH1 * 1.0);
  EXPECT_EQ(r.oculta.m_ppFilas[1][0], 1.0 + 0.5 * dH1);
  EXPECT_EQ(r.oculta.m_ppFilas[1][1], 0.0 + 0.5 * dH1 * 0.5);
  EXPECT_EQ(r.oculta.m_ppFilas[1][2], 0.5 * dH1);
}

TEST_F(AritmeticaPaso, ConMomentoSumaLaFraccionDelCambioAnterior) {
  Poner(r.incSalida, {{0.1, 0.2, 0.3}});
  Poner(r.incOculta, {{0.01, 0.02, 0.03}, {-0.01, -0.02, -0.03}});
  Paso(0.5, 0.5);
  const double h1 = 0.731059;
  ASSERT_EQ(dO[0], 0.125);
  // Output row: m*prev + a*dO*h.
  const double c0 = 0.5 * 0.1 + 0.03125, c1 = 0.5 * 0.2 + 0.0625 * h1, c2 = 0.5 * 0.3 + 0.0625;
  EXPECT_EQ(r.incSalida.m_ppFilas[0][0], c0);
  EXPECT_EQ(r.incSalida.m_ppFilas[0][1], c1);
  EXPECT_EQ(r.incSalida.m_ppFilas[0][2], c2);
  EXPECT_EQ(r.salida.m_ppFilas[0][0], c0);
  EXPECT_EQ(r.salida.m_ppFilas[0][2], c2);
  // Hidden terms from those new weights.
  EXPECT_EQ(dH[0], 0.25 * (c0 * 0.125));
  EXPECT_EQ(dH[1], h1 * (1.0 - h1) * (c1 * 0.125));
  const double d0 = 0.5 * 0.01 + 0.5 * dH[0] * 1.0;
  EXPECT_EQ(r.incOculta.m_ppFilas[0][0], d0);
  EXPECT_EQ(r.oculta.m_ppFilas[0][0], d0);
  EXPECT_EQ(r.incOculta.m_ppFilas[0][1], 0.5 * 0.02 + 0.5 * dH[0] * 0.5);
  EXPECT_EQ(r.incOculta.m_ppFilas[1][2], 0.5 * -0.03 + 0.5 * dH[1]);
  EXPECT_EQ(r.oculta.m_ppFilas[1][2], 0.5 * -0.03 + 0.5 * dH[1]);
  EXPECT_EQ(r.oculta.m_ppFilas[1][0], 1.0 + (0.5 * -0.01 + 0.5 * dH[1]));
}

TEST_F(AritmeticaPaso, ElSegundoPasoAnadeMVecesElPrimerCambio) {
  Paso(0.5, 0.0);
  CMatrizReales primero;
  primero.Dimensionar(1, 3);
  for (UINT i = 0; i < 3; ++i) primero.m_ppFilas[0][i] = r.incSalida.m_ppFilas[0][i];
  double antes[3];
  for (UINT i = 0; i < 3; ++i) antes[i] = r.salida.m_ppFilas[0][i];
  Paso(0.5, 0.9);
  for (UINT i = 0; i < 3; ++i) {
    const double entrada = i < 2 ? h[i] : 1.0;
    const double cambio = 0.9 * primero.m_ppFilas[0][i] + 0.5 * dO[0] * entrada;
    EXPECT_EQ(r.incSalida.m_ppFilas[0][i], cambio) << i;
    EXPECT_EQ(r.salida.m_ppFilas[0][i], antes[i] + cambio) << i;
  }
}

TEST_F(AritmeticaPaso, ProductoDeIzquierdaADerecha) {
  // a*dO*h is (a*dO)*h. With target 0.7 the error term is no power of two,
  // so some learning factor tells the two groupings apart.
  t[0] = 0.7;
  const double h1 = 0.731059;
  const double d = 0.5 * (1.0 - 0.5) * (0.7 - 0.5);
  double a = 0.0;
  for (int i = 1; i < 1000 && a == 0.0; ++i) {
    const double c = i / 1000.0;
    if ((c * d) * h1 != c * (d * h1)) a = c;
  }
  ASSERT_NE(a, 0.0);
  Paso(a, 0.0);
  ASSERT_EQ(dO[0], d);
  EXPECT_EQ(r.incSalida.m_ppFilas[0][1], (a * d) * h1);
}

TEST(AritmeticaRetropropagar, NeuronaSaturadaNoDevuelveError) {
  Red r(1, 1, 1);
  Poner(r.oculta, {{-20.0, 0.0}});  // h = 0.0
  Poner(r.salida, {{0.0, 20.0}});   // o = 0.999
  const double x[1] = {1.0}, t[1] = {0.0};
  double h[1], o[1], dO[1], dH[1];
  Propagar(r.red, x, h, o);
  ASSERT_EQ(h[0], 0.0);
  ASSERT_EQ(o[0], 0.999);
  Retropropagar(r.red, x, t, h, o, dO, dH, 1.0, 0.0);
  EXPECT_EQ(dO[0], 0.999 * (1.0 - 0.999) * (0.0 - 0.999));
  EXPECT_EQ(dH[0], 0.0);
  EXPECT_EQ(r.oculta.m_ppFilas[0][0], -20.0);
  EXPECT_EQ(r.salida.m_ppFilas[0][0], 0.0);  // h = 0: no change to its weight
  EXPECT_EQ(r.salida.m_ppFilas[0][1], 20.0 + dO[0]);
}

// --- MedirConjunto ---

TEST(AritmeticaMedir, ErroresYAciertos) {
  Red r(1, 1, 2);  // every weight 0: h = 0.5, o = (0.5, 0.5)
  CConjuntoDatos c;
  Llenar(c, {{1.0}, {2.0}, {3.0}}, {{1.0, 0.0}, {0.5, 1.5}, {0.0, 1.0}});
  std::vector<double> h(1), o(2);
  const MedidasConjunto m = MedirConjunto(r.red, c, h.data(), o.data());
  const double e0 = std::sqrt(0.25 + 0.25), e1 = std::sqrt(0.0 + 1.0), e2 = std::sqrt(0.25 + 0.25);
  EXPECT_EQ(m.dErrorMaximo, 1.0);
  EXPECT_EQ(m.dErrorTotal, std::sqrt(e0 + e1 + e2));
  EXPECT_EQ(m.nAciertos, 1u);  // only the first: equal outputs win at index 0
  EXPECT_EQ(m.dTasaAciertos, 100.0 / 3);
}

TEST(AritmeticaMedir, ReglasDelGanador) {
  Red r(1, 1, 2);
  CConjuntoDatos fallo, acierto;
  Llenar(fallo, {{0.0}}, {{0.0, 1.0}});    // outputs (0.5, 0.5): winner 0, target winner 1
  Llenar(acierto, {{0.0}}, {{1.0, 1.0}});  // equal targets: the first wins
  std::vector<double> h(1), o(2);
  EXPECT_EQ(MedirConjunto(r.red, fallo, h.data(), o.data()).nAciertos, 0u);
  EXPECT_EQ(MedirConjunto(r.red, acierto, h.data(), o.data()).nAciertos, 1u);
  // A strictly greater later output wins.
  Poner(r.salida, {{0.0, 0.0}, {0.0, 1.0}});
  CConjuntoDatos segundo;
  Llenar(segundo, {{0.0}}, {{0.2, 0.3}});
  EXPECT_EQ(MedirConjunto(r.red, segundo, h.data(), o.data()).nAciertos, 1u);
}

TEST(AritmeticaMedir, UnaSalidaSiempreAcierta) {
  Red r(2, 2, 1);
  CConjuntoDatos c;
  Llenar(c, {{0.0, 1.0}, {5.0, -3.0}}, {{0.0}, {1.0}});
  std::vector<double> h(2), o(1);
  const MedidasConjunto m = MedirConjunto(r.red, c, h.data(), o.data());
  EXPECT_EQ(m.nAciertos, 2u);
  EXPECT_EQ(m.dTasaAciertos, 100.0);
  EXPECT_EQ(m.dErrorMaximo, 0.5);
}

TEST(AritmeticaMedir, ConjuntoVacio) {
  Red r(2, 3, 2);
  CConjuntoDatos c;
  std::vector<double> h(3), o(2);
  const MedidasConjunto m = MedirConjunto(r.red, c, h.data(), o.data());
  EXPECT_EQ(m.dErrorMaximo, 0.0);
  EXPECT_EQ(m.dErrorTotal, 0.0);
  EXPECT_EQ(m.nAciertos, 0u);
  EXPECT_EQ(m.dTasaAciertos, 0.0);
  EXPECT_FALSE(std::isnan(m.dTasaAciertos));
}

TEST(AritmeticaMedir, SinSalidasNoLeeFueraDeLaFila) {
  // A set with no outputs has no target storage at all.
  Red r(1, 1, 0);
  CConjuntoDatos c;
  c.m_nMuestras = 2;
  c.m_nEntradas = 1;
  c.m_nSalidas = 0;
  c.m_matEntradas.Dimensionar(2, 1);
  c.m_matSalidas.Dimensionar(2, 0);
  ASSERT_EQ(c.m_matSalidas.m_ppFilas, nullptr);
  std::vector<double> h(1);
  const MedidasConjunto m = MedirConjunto(r.red, c, h.data(), nullptr);
  EXPECT_EQ(m.dErrorMaximo, 0.0);
  EXPECT_EQ(m.nAciertos, 2u);  // both winners are index 0
  EXPECT_EQ(m.dTasaAciertos, 100.0);
}

TEST(AritmeticaMedir, FilasMasCortasQueLaRedNoSeLeen) {
  Red r(3, 1, 2);
  CConjuntoDatos c;
  Llenar(c, {{1.0, 2.0}}, {{0.0, 1.0}});  // 2 inputs for a 3-input network
  std::vector<double> h(1), o(2);
  const MedidasConjunto m = MedirConjunto(r.red, c, h.data(), o.data());
  EXPECT_EQ(m.nAciertos, 0u);
  EXPECT_EQ(m.dErrorTotal, 0.0);
  EXPECT_EQ(m.dTasaAciertos, 0.0);
}

TEST(AritmeticaMedir, NoCambiaLosPesos) {
  Red r(1, 1, 1);
  Poner(r.oculta, {{0.3, -0.2}});
  Poner(r.salida, {{0.1, 0.05}});
  CConjuntoDatos c;
  Llenar(c, {{1.0}, {0.0}}, {{1.0}, {0.0}});
  std::vector<double> h(1), o(1);
  MedirConjunto(r.red, c, h.data(), o.data());
  EXPECT_EQ(r.oculta.m_ppFilas[0][0], 0.3);
  EXPECT_EQ(r.salida.m_ppFilas[0][1], 0.05);
  EXPECT_EQ(r.incSalida.m_ppFilas[0][0], 0.0);
}
