// nrv: the workbench for three-layer perceptron networks.
#include <QApplication>

#include "ui/aplicacion.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QStringList argumentos = QApplication::arguments();
  argumentos.removeFirst();
  int resultado = 1;
  {
    CNodusApp app;
    if (app.InitInstance(argumentos)) resultado = QApplication::exec();
  }
  return resultado;
}
