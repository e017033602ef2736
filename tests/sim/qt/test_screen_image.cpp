// The screen picture: what the PNG holds is what the screen shows.
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "sim/qt/screen_image.h"

using namespace zen;

class ScreenImageTest : public QObject {
  Q_OBJECT

 private slots:
  void pngHoldsTheCompositeAtTheZoom() {
    Screen screen;
    screen.drawTextAt(1, 1, "Zenara");
    screen.drawColour = 1;
    screen.setPen(0, 0);
    screen.lineTo(319, 239);
    screen.setGraphicsPixel(8, 8, GraphicsPixel::Silver);  // erased small text shows silver
    QTemporaryDir dir;
    const QString path = dir.filePath("screen.png");
    QVERIFY(!writeScreenPng(screen, path.toStdString(), 3));
    const QImage image(path);
    QCOMPARE(image.size(), QSize(960, 720));
    for (int y = 0; y < 720; ++y)
      for (int x = 0; x < 960; ++x) {
        const QRgb expected = screen.compositePixel(x / 3, y / 3) ? qRgb(0, 0, 0) : qRgb(192, 192, 192);
        if (image.pixel(x, y) != expected) QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
      }
  }

  void unwritablePlaceIsReported() {
    QTemporaryDir dir;
    const auto error = writeScreenPng(Screen{}, (dir.path() + "/missing/screen.png").toStdString());
    QVERIFY(error && !error->empty());
  }
};

QTEST_MAIN(ScreenImageTest)
#include "test_screen_image.moc"
