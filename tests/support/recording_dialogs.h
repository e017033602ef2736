// Dialogs for window tests: records every message instead of showing a modal
// box, so a test can check the exact texts and never hangs.
#pragma once

#include <QStringList>

#include "host/qt/dialogs.h"

namespace zen::test {

class RecordingDialogs : public Dialogs {
 public:
  void expect(const QString& text) { expected_ << text; }
  void allowAnything() { allowAnything_ = true; }
  void answerOpen(const QString& path) { openAnswers_ << path; }
  void answerSave(const QString& path) { saveAnswers_ << path; }

  void showMessage(const QString& text) override {
    shown_ << text;
    if (!allowAnything_ && !expected_.contains(text)) unexpected_ << text;
  }
  QString openFileName(const QString& caption, const QString& filter) override {
    asked_ << caption + " | " + filter;
    if (openAnswers_.isEmpty()) {
      unexpected_ << "open dialog: " + caption;
      return {};
    }
    return openAnswers_.takeFirst();
  }
  QString saveFileName(const QString& caption, const QString& filter) override {
    asked_ << caption + " | " + filter;
    if (saveAnswers_.isEmpty()) {
      unexpected_ << "save dialog: " + caption;
      return {};
    }
    return saveAnswers_.takeFirst();
  }

  const QStringList& shown() const { return shown_; }
  // File dialogs shown, as "caption | filter".
  const QStringList& asked() const { return asked_; }
  const QStringList& unexpected() const { return unexpected_; }
  bool allExpectedShown() const {
    for (const QString& e : expected_)
      if (!shown_.contains(e)) return false;
    return unexpected_.isEmpty();
  }

 private:
  QStringList expected_, shown_, unexpected_, openAnswers_, saveAnswers_, asked_;
  bool allowAnything_ = false;
};

}  // namespace zen::test
