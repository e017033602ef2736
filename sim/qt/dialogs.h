// Message boxes and file dialogs go through here, so tests capture the texts
// and never block on a modal dialog, and a closing program can end them.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>

class QWidget;

namespace zen {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void showMessage(const QString& text) = 0;
  virtual QString openFileName(const QString& caption, const QString& filter) = 0;
  // A name typed without an extension gets defaultSuffix before the dialog
  // asks whether to replace an existing file, so it asks about the file written.
  virtual QString saveFileName(const QString& caption, const QString& filter,
                               const QString& defaultSuffix = {}) = 0;
  // A question with one button per answer; returns the index of the answer
  // chosen, or -1 when the box was closed without one.
  virtual int ask(const QString&, const QString&, const QStringList&) { return -1; }
  // Where file dialogs open: the program folder.
  QString startFolder;
  // Makes every open box and dialog return at once, as if cancelled.
  virtual void closeAll() {}
};

// Stands in front of the dialogs of a closing program: once it terminates,
// nobody is asked anything any more. Messages go to standard error and file
// dialogs choose no file.
class ClosingDialogs : public Dialogs {
 public:
  explicit ClosingDialogs(Dialogs& shown) : shown_(shown) {}
  // Also ends every box and dialog open now.
  void terminate();
  bool terminating() const { return terminating_; }

  void showMessage(const QString& text) override;
  QString openFileName(const QString& caption, const QString& filter) override;
  QString saveFileName(const QString& caption, const QString& filter,
                       const QString& defaultSuffix = {}) override;
  int ask(const QString& question, const QString& details, const QStringList& answers) override;
  void closeAll() override { shown_.closeAll(); }

 private:
  Dialogs& shown_;
  bool terminating_ = false;
};

// A file that could not be read or written, and why.
QString fileErrorText(const std::filesystem::path& file, const std::string& reason);

class WidgetDialogs : public Dialogs {
 public:
  explicit WidgetDialogs(QWidget* parent) : parent_(parent) {}
  void showMessage(const QString& text) override;
  QString openFileName(const QString& caption, const QString& filter) override;
  QString saveFileName(const QString& caption, const QString& filter,
                       const QString& defaultSuffix = {}) override;
  // The last answer is also what Escape chooses.
  int ask(const QString& question, const QString& details, const QStringList& answers) override;
  // Also the boxes and dialogs that other code opened, and open menus.
  void closeAll() override;

 private:
  QWidget* parent_;
};

}  // namespace zen
