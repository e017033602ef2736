// Runs zenara-panel and collects what it said.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace zen::test {

struct PanelRun {
  int exitCode;
  QStringList out;
  QString err;
};

inline PanelRun zenaraPanel(const QStringList& arguments) {
  QProcess p;
  p.start(QStringLiteral(ZENARA_PANEL_PROGRAM), arguments);
  // A program that did not start or did not end in time reports -1, never 0.
  const bool finished = p.waitForFinished(90000);
  return {finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
          QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace zen::test
