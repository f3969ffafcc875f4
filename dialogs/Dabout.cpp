#include "dialogs/Dabout.h"

TaboutWindow* aboutWindow = nullptr;

TaboutWindow::TaboutWindow(QWidget* parent) : QDialog(parent) { setWindowTitle("About Chimewick"); }
