// The strip beside the form of a network's window that tells its test
// file's figures and how its patience ended (TextoPruebaYParada): below the
// form, never inside it, and there only for a network that has something
// to tell, so that the window of any other is as it always was.
#pragma once

class QLabel;
class QString;
class QWidget;

// Shows texto under the form lienzo (of a child frame's scroll area), or
// hides the strip when texto is empty. A window that showed all there was
// grows to show the strip too, as it was sized to show the form.
void MostrarCifrasPrueba(QWidget* lienzo, const QString& texto);
// The strip of a form, while it has been made.
QLabel* CifrasPrueba(QWidget* lienzo);
