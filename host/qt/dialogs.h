// Message boxes and file dialogs go through here, so tests capture the texts
// and never block on a modal dialog.
#pragma once

#include <QString>

class QWidget;

namespace zen {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void showMessage(const QString& text) = 0;
  virtual QString openFileName(const QString& caption, const QString& filter) = 0;
  virtual QString saveFileName(const QString& caption, const QString& filter) = 0;
  // Where file dialogs open: the program folder.
  QString startFolder;
};

class WidgetDialogs : public Dialogs {
 public:
  explicit WidgetDialogs(QWidget* parent) : parent_(parent) {}
  void showMessage(const QString& text) override;
  QString openFileName(const QString& caption, const QString& filter) override;
  QString saveFileName(const QString& caption, const QString& filter) override;

 private:
  QWidget* parent_;
};

}  // namespace zen
