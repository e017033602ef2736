// The panel designer (TForm8): which page each panel item is shown on, its
// style, and dragging items on the main window's screen picture. Everything
// is changed straight in the firmware's panel tables while design mode is on
// and reaches e2.rom when move mode ends.
#pragma once

#include <QPoint>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "designer/qt/item_edit.h"
#include "files/panel_overlaps.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class QUndoStack;

namespace zen {

struct Instrument;
struct Settings;

// List line: the name padded with dots to 26 characters, then the usage.
std::string designerListLine(const Settings& settings, int item);
// Usage index 0 "not used", 1 page 1, 2 page 2, 3 both, from the options byte and back.
int usageIndex(std::uint8_t options);
std::uint8_t withUsage(std::uint8_t options, int index);

struct DesignerState {
  bool listReady = false;
  bool designerDragging = false;
  std::uint8_t lastPickedItem = 0;
  int dragWidth = 0;
  int dragHeight = 0;
};

class TForm8 : public QWidget {
  Q_OBJECT
 public:
  // The screen lies this many pixels in from the picture's top-left corner.
  static constexpr int ScreenInset = 5;

  TForm8(Instrument& z, QWidget* parent = nullptr);
  ~TForm8() override;

  // Mouse on the main window's screen picture, in picture pixels at zoom 1.
  void Image2MouseDown(QPoint picture);
  void Image2MouseMove(QPoint picture);
  void Image2MouseUp();
  // Whether a press there would pick an item (the picture shows a move cursor).
  bool pickableAt(QPoint picture) const;

  const DesignerState& state() const { return state_; }
  QListWidget* listBox() const { return listBox1_; }
  int usageShown() const;
  QString positionText(int edit) const;  // Edit1..Edit4
  // Every edit of move mode, back to its start.
  QUndoStack* undoStack() const { return undoStack_; }
  // The overlaps of the page on display, one line each.
  QListWidget* overlapList() const { return overlaps_; }
  QString styleShown() const;
  // Arrow keys move the picked item (Shift: eight steps); false when not one of them.
  bool arrowKey(int key, Qt::KeyboardModifiers modifiers);
  // Catches up with what the instrument changed (design mode, the selection by
  // the bezel keys, places); a timer does it while the window is shown.
  void followInstrument();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ListBox1Click();
  void RadioGroup1Click();
  void Button1Click();
  void Button2Click();
  void rebuildList();
  void showUsage(int index);
  void showPositions(int item);
  void selectLine(int item);
  void showPosition(int page, int x, int row);
  void syncMoveModeCaption();
  void refreshOverlaps();
  void showStyle(int item);
  // Pushes the edit of the item since before, if it changed anything.
  void recordEdit(int item, const ItemBytes& before, const QString& text, int mergeId);
  void itemRestored(int item);
  // Items are picked and dragged only in design mode with the page on screen.
  bool mouseEditing() const;
  void redrawShownPage();
  int selectedLine() const;
  // First item shown on the current page under the screen point, searching
  // cyclically from first; -1 if none.
  int itemAt(int x, int y, int first) const;

  Instrument& z_;
  DesignerState state_;
  QListWidget* listBox1_ = nullptr;
  QButtonGroup* radioGroup1_ = nullptr;
  std::array<QLineEdit*, 4> edits_{};
  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
  QTimer* captionTimer_ = nullptr;
  QGroupBox* usageBox_ = nullptr;
  QLabel* styleLabel_ = nullptr;
  QListWidget* overlaps_ = nullptr;
  QUndoStack* undoStack_ = nullptr;
  ItemBytes dragStart_;  // the dragged item at the press
  bool wasDesignMode_ = false;
  int followedItem_ = -1;
  std::vector<int> overlapping_;  // items marked in the list
  std::vector<Overlap> overlapsFound_;
  std::vector<std::uint8_t> overlapsOf_;  // the page and settings they were found for
};

}  // namespace zen
