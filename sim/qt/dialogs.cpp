#include "sim/qt/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

namespace zen {

QString fileErrorText(const std::filesystem::path& file, const std::string& reason) {
  return QStringLiteral("%1: %2").arg(QString::fromStdString(file.string()), QString::fromStdString(reason));
}

void ClosingDialogs::terminate() {
  terminating_ = true;
  shown_.closeAll();
}

void ClosingDialogs::showMessage(const QString& text) {
  if (terminating_) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
    return;
  }
  shown_.showMessage(text);
}

QString ClosingDialogs::openFileName(const QString& caption, const QString& filter) {
  if (terminating_) return {};
  shown_.startFolder = startFolder;
  return shown_.openFileName(caption, filter);
}

QString ClosingDialogs::saveFileName(const QString& caption, const QString& filter,
                                     const QString& defaultSuffix) {
  if (terminating_) return {};
  shown_.startFolder = startFolder;
  return shown_.saveFileName(caption, filter, defaultSuffix);
}

int ClosingDialogs::ask(const QString& question, const QString& details, const QStringList& answers) {
  if (terminating_) return -1;
  return shown_.ask(question, details, answers);
}

void WidgetDialogs::showMessage(const QString& text) {
  QMessageBox::information(parent_, QApplication::applicationName(), text);
}

// Qt's own file dialog rather than the desktop's, so closeAll can end it.
QString WidgetDialogs::openFileName(const QString& caption, const QString& filter) {
  return QFileDialog::getOpenFileName(parent_, caption, startFolder, filter, nullptr,
                                      QFileDialog::DontUseNativeDialog);
}

QString WidgetDialogs::saveFileName(const QString& caption, const QString& filter,
                                    const QString& defaultSuffix) {
  QFileDialog dialog(parent_, caption, startFolder, filter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

int WidgetDialogs::ask(const QString& question, const QString& details, const QStringList& answers) {
  QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question, QMessageBox::NoButton,
                  parent_);
  box.setInformativeText(details);
  QList<QAbstractButton*> buttons;
  for (const QString& answer : answers) buttons << box.addButton(answer, QMessageBox::ActionRole);
  if (!buttons.isEmpty()) {
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    box.setEscapeButton(buttons.last());
  }
  box.exec();
  return static_cast<int>(buttons.indexOf(box.clickedButton()));
}

void WidgetDialogs::closeAll() {
  for (int i = 0; i < 16 && QApplication::activePopupWidget(); ++i)
    QApplication::activePopupWidget()->close();
  for (QWidget* window : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(window);
    if (dialog && dialog->isVisible()) dialog->reject();
  }
}

}  // namespace zen
