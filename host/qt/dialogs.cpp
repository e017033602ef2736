#include "host/qt/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace zen {

void WidgetDialogs::showMessage(const QString& text) {
  QMessageBox::information(parent_, QApplication::applicationName(), text);
}

QString WidgetDialogs::openFileName(const QString& caption, const QString& filter) {
  return QFileDialog::getOpenFileName(parent_, caption, startFolder, filter);
}

QString WidgetDialogs::saveFileName(const QString& caption, const QString& filter) {
  return QFileDialog::getSaveFileName(parent_, caption, startFolder, filter);
}

}  // namespace zen
