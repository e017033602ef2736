// The panel designer with the main window's screen picture on the offscreen
// platform: the item list, usage and style changes, and picking and dragging
// items with the mouse at zoom 1 and 2.
#include <QAction>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGroupBox>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <fstream>
#include <functional>

#include "designer/qt/panel_designer.h"
#include "desktop/main_window.h"
#include "files/panel_settings.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"
#include "support/recording_dialogs.h"
#include "support/screen_probe.h"
#include "support/test_files.h"

using namespace zen;

namespace {

struct Rig {
  explicit Rig(int zoom = 1) {
    std::ofstream(folder / "SM.INI") << "[General]\r\nPORT=1\r\n[Devices]\r\nCOM1=/nonexistent/tty\r\n";
    dialogs.allowAnything();
    window = std::make_unique<TForm1>(TForm1::Options{folder, zoom, &dialogs, nullptr});
    designer = window->designerWindow();
    screen = window->findChild<QWidget*>("Image2");
    z().main.pageVisible = 1;  // as the main loop shows it
  }
  Instrument& z() { return window->instrument(); }
  void startDesignMode() {
    enterDesignMode(z());
    designer->followInstrument();
  }
  Settings& s() { return z().settings; }
  // An empty panel with the given items shown on page 1 in style 0.
  void panelOf(std::initializer_list<std::pair<int, ItemLocation>> items) {
    s().itemOptions.fill(0);
    for (auto [item, place] : items) {
      s().itemOptions[item] = 0x01;
      s().page1Locations[item] = place;
    }
  }
  // Mouse actions at a screen pixel, through the picture's inset and zoom.
  QPoint at(int x, int y) const { return QPoint(x + 5, y + 5) * (screen->width() / 330); }
  void press(int x, int y) { QTest::mousePress(screen, Qt::LeftButton, {}, at(x, y)); }
  void drag(int x, int y) { QTest::mouseMove(screen, at(x, y)); }
  void release() { QTest::mouseRelease(screen, Qt::LeftButton, {}, at(0, 0)); }
  int picked() const { return designer->state().lastPickedItem; }
  void select(int item) { designer->listBox()->setCurrentRow(item); }
  void clickUsage(int index) {
    designer->findChild<QGroupBox*>("RadioGroup1")->findChildren<QRadioButton*>()[index]->click();
  }
  QPushButton* button(const char* name) { return designer->findChild<QPushButton*>(name); }
  std::vector<std::uint8_t> panelBytes() {
    std::vector<std::uint8_t> bytes;
    for (int item : {62, 63, 64}) std::ranges::copy(itemBytes(s(), item), std::back_inserter(bytes));
    return bytes;
  }

  QTemporaryDir dir;
  std::filesystem::path folder = dir.path().toStdString();
  test::RecordingDialogs dialogs;
  std::unique_ptr<TForm1> window;
  TForm8* designer;
  QWidget* screen;
};

}  // namespace

class PanelDesignerTest : public QObject {
  Q_OBJECT

 private slots:
  void listLinesInAFixedPitchFont() {
    Rig rig;
    rig.s().itemOptions[0] = 0x37;
    rig.s().itemOptions[21] = 0x0F;
    rig.s().itemOptions[50] = 0xF0;
    rig.designer->show();
    QListWidget* list = rig.designer->listBox();
    QCOMPARE(list->count(), 79);
    QCOMPARE(list->item(0)->text(), QString("Altitude indicator........page 1+2"));
    QCOMPARE(list->item(9)->text(), QString("Coolant temperature gauge.not used"));
    QCOMPARE(list->item(21)->text(), QString("Current time..............page 1"));
    QCOMPARE(list->item(50)->text(), QString("Air pressure label........page 2"));
    QVERIFY(QFontInfo(list->font()).fixedPitch());
    // Not a named face, which other machines may lack.
    QCOMPARE(list->font().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
  }

  // The line picked on the screen is the one the buttons then act on.
  void pickingSelectsTheListLine() {
    Rig rig;
    rig.panelOf({{4, {1, 10}}, {22, {10, 100}}});
    rig.s().itemOptions[9] = 0x01;
    rig.designer->show();
    rig.startDesignMode();
    rig.select(9);
    rig.press(85, 103);
    rig.release();
    QCOMPARE(rig.designer->listBox()->currentRow(), 22);
    QCOMPARE(rig.designer->positionText(1), QString("80"));
    rig.button("Button1")->click();
    QCOMPARE(rig.s().itemOptions[22], std::uint8_t(0x03));
    QCOMPARE(rig.s().itemOptions[9], std::uint8_t(0x01));
    rig.clickUsage(2);
    QCOMPARE(rig.s().itemOptions[22], std::uint8_t(0x12));
  }

  // Overlapping items are marked in the list and named below it; the arrow
  // keys move the picked item and stop at the screen's edges.
  void arrowKeysMoveInsideTheScreenAndOverlapsShow() {
    Rig rig;
    rig.panelOf({{21, {10, 100}}, {22, {14, 100}}, {25, {20, 50}}});
    rig.designer->show();
    rig.startDesignMode();
    QListWidget* list = rig.designer->listBox();
    QCOMPARE(rig.designer->overlapList()->count(), 1);
    QCOMPARE(rig.designer->overlapList()->item(0)->text(),
             QString("Page 1: Current time at (80, 100) and Flight time at (112, 100)"));
    QCOMPARE(list->item(22)->foreground().color(), QColor(200, 0, 0));
    QVERIFY(list->item(25)->foreground() == QBrush());
    rig.press(120, 103);
    rig.release();
    const ItemLocation& place = rig.s().page1Locations[22];
    const struct {
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
      int repeat, column, row;
    } steps[] = {{Qt::Key_Right, {}, 1, 15, 100},
                 {Qt::Key_Down, {}, 1, 15, 101},
                 {Qt::Key_Down, Qt::ShiftModifier, 1, 15, 109},
                 {Qt::Key_Left, Qt::ShiftModifier, 1, 7, 109},
                 {Qt::Key_Up, Qt::ShiftModifier, 20, 7, 0},
                 {Qt::Key_Left, {}, 9, 0, 0},
                 {Qt::Key_Right, Qt::ShiftModifier, 9, 35, 0},
                 {Qt::Key_Down, Qt::ShiftModifier, 40, 35, 232}};
    for (const auto& step : steps) {
      for (int i = 0; i < step.repeat; ++i) QTest::keyClick(list, step.key, step.modifiers);
      QCOMPARE(QPoint(place.column, place.row), QPoint(step.column, step.row));
    }
    QCOMPARE(list->currentRow(), 22);
    QCOMPARE(rig.designer->overlapList()->count(), 0);
    QVERIFY(list->item(22)->foreground() == QBrush());
    // Outside move mode the arrows walk the list.
    rig.button("Button2")->click();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 23);
    QCOMPARE(QPoint(place.column, place.row), QPoint(35, 232));
  }

  void everyEditUndoesAndRedoesToTheExactBytes() {
    const std::function<void(Rig&)> edits[] = {
        [](Rig& rig) {
          rig.press(85, 103);
          rig.drag(45, 65);
          rig.drag(50, 70);
          rig.release();
        },
        [](Rig& rig) { rig.button("Button1")->click(); },
        [](Rig& rig) { rig.clickUsage(3); },
        [](Rig& rig) {
          QTest::keyClick(rig.designer->listBox(), Qt::Key_Up);
          QTest::keyClick(rig.designer->listBox(), Qt::Key_Right, Qt::ShiftModifier);
        },
    };
    for (const auto& edit : edits) {
      Rig rig;
      rig.panelOf({{21, {10, 100}}});
      rig.designer->show();
      rig.button("Button2")->click();
      rig.select(21);
      const auto before = rig.panelBytes();
      edit(rig);
      const auto after = rig.panelBytes();
      QVERIFY(after != before);
      QCOMPARE(rig.designer->undoStack()->count(), 1);
      rig.designer->findChild<QAction*>("Undo")->trigger();
      QCOMPARE(rig.panelBytes(), before);
      rig.designer->findChild<QAction*>("Redo")->trigger();
      QCOMPARE(rig.panelBytes(), after);
      // Ending move mode keeps what is shown and forgets the steps.
      rig.button("Button2")->click();
      QVERIFY(!rig.designer->findChild<QAction*>("Undo")->isEnabled());
      QCOMPARE(rig.panelBytes(), after);
    }
    // Move mode ended by the bezel keys, which saved: undo has nothing left to take back.
    Rig rig;
    rig.panelOf({{21, {10, 100}}});
    rig.button("Button2")->click();
    rig.select(21);
    rig.button("Button1")->click();
    const auto saved = rig.panelBytes();
    rig.z().main.designMode = 0;
    rig.designer->findChild<QAction*>("Undo")->trigger();
    QCOMPARE(rig.panelBytes(), saved);
  }

  // The window follows the bezel keys' selection and shows the page it edits.
  void designerFollowsTheInstrument() {
    Rig rig;
    rig.panelOf({{21, {10, 100}}, {22, {14, 100}}});
    rig.designer->show();
    rig.designer->followInstrument();
    QVERIFY(!rig.button("Button1")->isEnabled());
    QVERIFY(!rig.designer->findChild<QGroupBox*>("RadioGroup1")->isEnabled());
    rig.startDesignMode();
    QVERIFY(rig.button("Button1")->isEnabled());
    rig.z().main.selectedItem = 22;  // as the Next key leaves it
    rig.designer->followInstrument();
    QCOMPARE(rig.designer->listBox()->currentRow(), 22);
    QCOMPARE(rig.designer->styleShown(), QString("Style on page 1:\nSingle height, 1 of 2"));
    rig.clickUsage(2);
    QCOMPARE(int(rig.z().main.activePage), 1);
    rig.clickUsage(1);
    QCOMPARE(int(rig.z().main.activePage), 0);
  }

  void nothingChangesOutsideDesignModeOrWithAMenuShown() {
    Rig rig;
    rig.panelOf({{21, {10, 100}}});
    const auto before = rig.panelBytes();
    auto tryEverything = [&] {
      rig.press(85, 103);
      rig.drag(200, 200);
      QVERIFY(!rig.designer->state().designerDragging);
      rig.release();
      rig.select(21);
      rig.clickUsage(2);
      rig.button("Button1")->click();
    };
    tryEverything();
    QCOMPARE(rig.panelBytes(), before);
    QCOMPARE(rig.designer->usageShown(), 1);
    QCOMPARE(rig.screen->cursor().shape(), Qt::ArrowCursor);

    // With a menu on the screen the mouse leaves the page alone, and a list
    // change waits for the page to come back.
    rig.startDesignMode();
    rig.z().main.pageVisible = 0;
    rig.z().screen.drawTextAt(0, 0, "MENU");
    const int menuInk = test::ink(rig.z().screen);
    tryEverything();
    QCOMPARE(rig.s().page1Locations[21].row, 100);
    QCOMPARE(rig.s().itemOptions[21], std::uint8_t(0x10));
    QCOMPARE(test::ink(rig.z().screen), menuInk);
  }

  void pressPicksOverlappingItemsInTurnAtEveryZoom() {
    for (int zoom : {1, 2}) {
      Rig rig(zoom);
      rig.panelOf({{21, {10, 100}}, {22, {10, 100}}, {25, {20, 50}}});
      rig.startDesignMode();
      for (int expected : {21, 22, 21}) {
        rig.press(85, 103);
        QCOMPARE(rig.picked(), expected);
        QCOMPARE(int(rig.z().main.selectedItem), expected);
        rig.release();
      }
      QCOMPARE(rig.designer->positionText(1), QString("80"));
      QCOMPARE(rig.designer->positionText(2), QString("100"));
      // The item's first column is a hit, the pixel before it is not.
      rig.press(160, 50);
      QCOMPARE(rig.picked(), 25);
      rig.release();
      rig.press(159, 50);
      QVERIFY(!rig.designer->state().designerDragging);
      rig.drag(165, 52);
      QCOMPARE(rig.screen->cursor().shape(), Qt::SizeAllCursor);
      rig.drag(300, 20);
      QCOMPARE(rig.screen->cursor().shape(), Qt::ArrowCursor);
    }
  }

  void dragStopsInsideTheScreen() {
    Rig rig(2);
    rig.panelOf({{21, {10, 100}}, {5, {0, 0}}});
    rig.startDesignMode();
    const ItemLocation& place = rig.s().page1Locations[21];
    rig.press(85, 103);
    rig.drag(123, 45);
    QCOMPARE(place.column, 15);
    QCOMPARE(place.row, 45);
    // Past the bottom the lower edge stops on row 239; past the right the item stays inside.
    rig.drag(500, 300);
    QCOMPARE(place.row + 8 - 1, 239);
    QCOMPARE(place.column, (320 - 40) / 8);
    QCOMPARE(rig.designer->positionText(2), QString::number(place.row));
    rig.drag(-20, -20);
    QCOMPARE(place.column, 0);
    QCOMPARE(place.row, 0);
    rig.release();
    rig.drag(100, 100);
    QCOMPARE(place.row, 0);
    // The RPM dial, 102 x 122 in style 2.
    rig.s().itemOptions[5] = 0x05;
    rig.press(2, 2);
    QCOMPARE(rig.picked(), 5);
    rig.drag(310, 239);
    QCOMPARE(rig.s().page1Locations[5].row, 240 - 122);
    QCOMPARE(rig.s().page1Locations[5].column, (320 - 102) / 8);
  }

  void usageChangesKeepLocationsAndStyles() {
    Rig rig;
    rig.s().itemOptions[23] = 0x35;  // both pages, style 2 and 1
    rig.s().page1Locations[23] = {3, 198};
    rig.s().page2Locations[23] = {33, 9};
    const auto places = rig.panelBytes();
    rig.designer->show();
    rig.startDesignMode();
    rig.select(23);
    QCOMPARE(rig.designer->usageShown(), 3);
    QCOMPARE(rig.designer->positionText(3), QString("264"));
    rig.clickUsage(0);
    QCOMPARE(rig.s().itemOptions[23], std::uint8_t(0x24));
    QVERIFY(std::equal(places.begin(), places.begin() + 316, rig.panelBytes().begin()));
    QCOMPARE(rig.designer->listBox()->item(23)->text(), QString("Glide/climb ratio.........not used"));
    QCOMPARE(rig.designer->listBox()->currentRow(), 23);
    QCOMPARE(int(rig.z().main.selectedItem), 23);
    rig.clickUsage(2);
    QCOMPARE(rig.s().itemOptions[23], std::uint8_t(0x34));
    // Another line shows its own usage and changes nothing; a spare entry cannot be shown.
    rig.s().itemOptions[24] = 0x01;
    rig.select(24);
    QCOMPARE(rig.designer->usageShown(), 1);
    QCOMPARE(rig.designer->positionText(3), QString("---"));
    QCOMPARE(rig.s().itemOptions[24], std::uint8_t(0x01));
    rig.select(40);
    rig.clickUsage(3);
    QCOMPARE(rig.s().itemOptions[40], std::uint8_t(0));
  }

  void changeDisplayOptionStepsTheStyleOfTheShownPage() {
    const struct {
      std::uint8_t page, before, after;
    } cases[] = {{0, 0x1F, 0x11}, {0, 0x13, 0x15}, {1, 0xF1, 0x11}, {1, 0x0F, 0x0F}};
    for (const auto& c : cases) {
      Rig rig;
      rig.s().itemOptions[22] = c.before;
      rig.z().main.activePage = c.page;
      rig.startDesignMode();
      rig.select(22);
      rig.button("Button1")->click();
      QCOMPARE(rig.s().itemOptions[22], c.after);
    }
    // A grown item is pulled back inside the screen.
    Rig rig;
    rig.panelOf({{5, {30, 200}}});
    rig.s().itemOptions[5] = 0x03;  // style 1: 60 x 28, next 102 x 122
    rig.startDesignMode();
    rig.select(5);
    rig.button("Button1")->click();
    QCOMPARE(rig.s().page1Locations[5].row, 240 - 122);
  }

  void moveModeButtonSavesOnEnd() {
    Rig rig;
    rig.panelOf({{21, {10, 100}}});
    rig.designer->show();
    QPushButton* button = rig.button("Button2");
    QCOMPARE(button->text(), QString("Activate move mode"));
    rig.select(21);
    button->click();
    QCOMPARE(int(rig.z().main.selectedItem), 21);
    QCOMPARE(button->text(), QString("End move mode"));
    rig.press(85, 103);
    rig.drag(45, 65);
    QVERIFY(!std::filesystem::exists(rig.folder / "e2.rom"));
    button->click();
    QVERIFY(!rig.z().main.designMode);
    QCOMPARE(button->text(), QString("Activate move mode"));
    const auto e2 = test::readBytes(rig.folder / "e2.rom");
    QCOMPARE(e2.at(SettingsItemTable[62].address + 2 * 21), 5);
    QCOMPARE(e2.at(SettingsItemTable[62].address + 2 * 21 + 1), 65);
    // Design mode ended by the bezel keys shows on the button too.
    button->click();
    rig.z().main.designMode = 0;
    QTRY_COMPARE(button->text(), QString("Activate move mode"));
  }

  void designerNeedsTheRunningSimulation() {
    Rig rig;
    rig.window->findChild<QAction*>("Showpaneldesignaid1")->trigger();
    QVERIFY(!rig.designer->isVisible());
    QCOMPARE(rig.dialogs.shown().last(), QString(SimulationNotRunningMessage));
  }

  // File -> Export panel sheet: the running instrument's settings as they stand, unsaved ones too.
  void panelSheetOfTheRunningInstrument() {
    Rig rig;
    QAction* exportSheet = rig.window->findChild<QAction*>("Exportpanelsheet1");
    exportSheet->trigger();
    QCOMPARE(rig.dialogs.shown().last(), QString(SimulationNotRunningMessage));
    // The port message comes once the window shows; only the sheet's own count here.
    const auto sheetMessages = [&] {
      QStringList own = rig.dialogs.shown();
      own.removeIf([](const QString& m) { return m.startsWith("Comms port"); });
      return own;
    };
    const auto messages = sheetMessages().size();
    buildImageFromDefaults(rig.z(), true);
    writeSettingsFile(rig.z());
    rig.dialogs.answerSave(QString::fromStdString((rig.folder / "sheet").string()));
    QSignalSpy finished(rig.window.get(), &TForm1::finished);
    QTimer::singleShot(0, rig.window.get(), &TForm1::Button1Click);
    QTimer::singleShot(3500, rig.window.get(), [&] {
      rig.s().registration = {6, {'D', '-', 'T', 'E', 'S', 'T'}};
      exportSheet->trigger();
      rig.window->close();
    });
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QVERIFY2(sheetMessages().size() == messages, qPrintable(sheetMessages().join(" // ")));
    QProcess text;
    text.start("pdftotext", {QString::fromStdString((rig.folder / "sheet.pdf").string()), "-"});
    QVERIFY(text.waitForFinished(10000));
    const QString sheet = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(sheet.contains("D-TEST") && sheet.contains("Items on page 2"), qPrintable(sheet.left(400)));
  }

  // Closing mid-drag ends the program promptly and leaves e2.rom as it was.
  void closingMidDragEndsPromptlyWithoutSaving() {
    Rig rig;
    buildImageFromDefaults(rig.z(), true);
    writeSettingsFile(rig.z());
    const auto e2Before = test::readBytes(rig.folder / "e2.rom");
    QSignalSpy finished(rig.window.get(), &TForm1::finished);
    rig.window->show();
    // The firmware runs nested in the switch-on command: the test acts from a timer inside it.
    QTimer::singleShot(0, rig.window.get(), &TForm1::Button1Click);
    QElapsedTimer clock;
    bool dragged = false;
    QTimer::singleShot(3500, rig.window.get(), [&] {
      rig.window->findChild<QAction*>("Showpaneldesignaid1")->trigger();
      rig.button("Button2")->click();
      rig.press(150, 40);  // the altimeter dial of page 1, at (15, 0)
      rig.drag(0, 100);
      dragged = rig.designer->isVisible() && rig.picked() == 0 && rig.s().page1Locations[0].column == 0;
      clock.start();
      rig.dialogs.answerAsk(1);  // Discard
      rig.window->close();
    });
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QVERIFY(dragged);
    QCOMPARE(rig.dialogs.questions().size(), 1);
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(std::filesystem::exists(rig.folder / "RTC.ram"));
    QVERIFY(std::filesystem::exists(rig.folder / "SM.INI"));
    QCOMPARE(test::readBytes(rig.folder / "e2.rom"), e2Before);
  }
};

QTEST_MAIN(PanelDesignerTest)
#include "test_panel_designer.moc"
