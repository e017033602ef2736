// The save dialog asks before replacing the file it will actually write.
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "sim/qt/dialogs.h"

using namespace zen;

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void nameWithoutExtensionIsCheckedWithIt() {
    QTemporaryDir folder;
    std::ofstream(folder.filePath("cruise.pcf").toStdString()) << "kept";
    WidgetDialogs dialogs(nullptr);
    dialogs.startFolder = folder.path();
    QString asked;
    // The user types the name without its extension and clicks Save.
    QTimer::singleShot(300, [&] {
      QPointer<QFileDialog> dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText("cruise");
      QTimer::singleShot(300, [&, dialog] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          asked = box->text();
          box->button(QMessageBox::No)->click();
        }
        if (dialog) dialog->reject();
      });
      QMetaObject::invokeMethod(dialog, "accept");
    });
    const QString chosen = dialogs.saveFileName("Save", "Panel configuration file (*.pcf)", "pcf");
    QVERIFY2(asked.contains("cruise.pcf"), qPrintable(asked));
    QVERIFY(chosen.isEmpty());
  }
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
