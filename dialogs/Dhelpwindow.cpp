#include "dialogs/Dhelpwindow.h"

ThelpWindow* helpWindow = nullptr;

ThelpWindow::ThelpWindow(QWidget* parent) : QDialog(parent) { setWindowTitle("Chimewick Help"); }
