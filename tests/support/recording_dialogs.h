// Dialogs for window tests: records every message instead of showing a modal
// box, so a test can check the exact texts and never hangs. With modal() a
// message waits in a nested event loop, like a real box, until closeAll().
#pragma once

#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <vector>

#include "sim/qt/dialogs.h"

namespace zen::test {

class RecordingDialogs : public Dialogs {
 public:
  void expect(const QString& text) { expected_ << text; }
  void allowAnything() { allowAnything_ = true; }
  void answerOpen(const QString& path) { openAnswers_ << path; }
  void answerSave(const QString& path) { saveAnswers_ << path; }
  void modal() { modal_ = true; }
  // The next question is answered with answers[index]; unanswered ones get -1.
  void answerAsk(int index) { askAnswers_.push_back(index); }

  void showMessage(const QString& text) override {
    shown_ << text;
    if (!allowAnything_ && !expected_.contains(text)) unexpected_ << text;
    if (!modal_) return;
    QEventLoop loop;
    loops_.push_back(&loop);
    // A box nobody closes fails the test instead of hanging it.
    QTimer::singleShot(5000, &loop, [&] {
      unexpected_ << "still open after 5 s: " + text;
      loop.quit();
    });
    loop.exec();
    loops_.pop_back();
  }
  void closeAll() override {
    for (QEventLoop* loop : loops_) loop->quit();
  }
  QString openFileName(const QString& caption, const QString& filter) override {
    asked_ << caption + " | " + filter;
    if (openAnswers_.isEmpty()) {
      unexpected_ << "open dialog: " + caption;
      return {};
    }
    return openAnswers_.takeFirst();
  }
  QString saveFileName(const QString& caption, const QString& filter, const QString& = {}) override {
    asked_ << caption + " | " + filter;
    if (saveAnswers_.isEmpty()) {
      unexpected_ << "save dialog: " + caption;
      return {};
    }
    return saveAnswers_.takeFirst();
  }

  int ask(const QString& question, const QString& details, const QStringList& answers) override {
    questions_ << question + " | " + details + " | " + answers.join('/');
    if (askAnswers_.empty()) {
      if (!allowAnything_) unexpected_ << "question: " + question;
      return -1;
    }
    const int answer = askAnswers_.front();
    askAnswers_.erase(askAnswers_.begin());
    return answer;
  }

  const QStringList& shown() const { return shown_; }
  // Questions asked, as "question | details | answer/answer".
  const QStringList& questions() const { return questions_; }
  // File dialogs shown, as "caption | filter".
  const QStringList& asked() const { return asked_; }
  const QStringList& unexpected() const { return unexpected_; }
  bool allExpectedShown() const {
    for (const QString& e : expected_)
      if (!shown_.contains(e)) return false;
    return unexpected_.isEmpty();
  }

 private:
  QStringList expected_, shown_, unexpected_, openAnswers_, saveAnswers_, asked_, questions_;
  std::vector<int> askAnswers_;
  bool allowAnything_ = false;
  bool modal_ = false;
  std::vector<QEventLoop*> loops_;
};

}  // namespace zen::test
