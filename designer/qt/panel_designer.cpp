#include "designer/qt/panel_designer.h"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <utility>

#include "files/item_styles.h"
#include "files/panel_overlaps.h"
#include "firmware/core/instrument.h"
#include "firmware/core/settings_store.h"
#include "firmware/instruments/panel.h"
#include "firmware/instruments/panel_items.h"

namespace zen {

namespace {

constexpr std::size_t NameColumn = 26;
constexpr std::uint8_t Page1Bit = 0x01;
constexpr std::uint8_t Page2Bit = 0x10;
constexpr std::uint8_t UsageBits = Page1Bit | Page2Bit;

constexpr const char* UsageTexts[4] = {"not used", "page 1", "page 2", "page 1+2"};
constexpr const char* UsageCaptions[4] = {"Not used, do not display", "Display on page 1",
                                          "Display on page 2", "Display on page 1 and 2"};
constexpr const char* ActivateCaption = "Activate move mode";
constexpr const char* EndCaption = "End move mode";
constexpr const char* NoPosition = "---";
constexpr int KeyMoveMerge = 1;
const QColor OverlapColour(200, 0, 0);

// Where an item of that size ends up when asked to go to (column, row): inside the screen.
ItemLocation keptInside(int column, int row, int width, int height) {
  row = std::clamp(row, 0, std::max(0, ScreenHeight - height));
  column = std::clamp(column, 0, std::max(0, (ScreenWidth - width) / 8));
  return {static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)};
}

bool isSpare(int item) { return PanelItems[item].kind == ItemKind::Spare; }

}  // namespace

std::string designerListLine(const Settings& settings, int item) {
  std::string line(itemName(item));
  if (line.size() < NameColumn) line.resize(NameColumn, '.');
  return line + UsageTexts[usageIndex(settings.itemOptions[item])];
}

int usageIndex(std::uint8_t options) {
  return ((options & Page1Bit) ? 1 : 0) + ((options & Page2Bit) ? 2 : 0);
}

std::uint8_t withUsage(std::uint8_t options, int index) {
  std::uint8_t bits = 0;
  if (index & 1) bits |= Page1Bit;
  if (index & 2) bits |= Page2Bit;
  return static_cast<std::uint8_t>((options & ~UsageBits) | bits);
}

TForm8::TForm8(Instrument& z, QWidget* parent) : QWidget(parent, Qt::Tool), z_(z) {
  setObjectName("Form8");
  setWindowTitle("Panel designer");

  listBox1_ = new QListWidget(this);
  listBox1_->setObjectName("ListBox1");
  // A named face resolves to a proportional one where it is missing.
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  listBox1_->setFont(fixed);
  listBox1_->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QString(NameColumn + 12, 'W')), 440);

  auto* usage = usageBox_ = new QGroupBox("Item usage", this);
  usage->setObjectName("RadioGroup1");
  auto* usageLayout = new QVBoxLayout(usage);
  radioGroup1_ = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    auto* button = new QRadioButton(UsageCaptions[i], usage);
    radioGroup1_->addButton(button, i);
    usageLayout->addWidget(button);
  }

  auto pageBox = [this](const char* title, int firstEdit) {
    auto* box = new QGroupBox(title, this);
    auto* grid = new QGridLayout(box);
    const char* captions[2] = {"Horizontal", "Vertical"};
    for (int i = 0; i < 2; ++i) {
      auto* edit = new QLineEdit(NoPosition, box);
      edit->setObjectName(QStringLiteral("Edit%1").arg(firstEdit + i + 1));
      edit->setReadOnly(true);
      edits_[firstEdit + i] = edit;
      grid->addWidget(new QLabel(captions[i], box), i, 0);
      grid->addWidget(edit, i, 1);
    }
    return box;
  };

  button1_ = new QPushButton("Change display option", this);
  button1_->setObjectName("Button1");
  button2_ = new QPushButton(ActivateCaption, this);
  button2_->setObjectName("Button2");

  styleLabel_ = new QLabel(this);
  styleLabel_->setObjectName("StyleName");
  // Two lines from the start, so that the window's first size has room for them.
  styleLabel_->setMinimumHeight(2 * styleLabel_->fontMetrics().lineSpacing());
  overlaps_ = new QListWidget(this);
  overlaps_->setObjectName("Overlaps");
  overlaps_->setMaximumHeight(100);
  overlaps_->setFocusPolicy(Qt::NoFocus);

  undoStack_ = new QUndoStack(this);
  auto* menuBar = new QMenuBar(this);
  QMenu* edit = menuBar->addMenu("&Edit");
  QAction* undo = edit->addAction("&Undo");
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  QAction* redo = edit->addAction("&Redo");
  redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  for (QAction* action : {undo, redo}) {
    // Also while the main window has the focus, where the items are dragged.
    action->setShortcutContext(Qt::ApplicationShortcut);
    action->setEnabled(false);
  }
  connect(undoStack_, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
  connect(undoStack_, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
  // Move mode may have ended by the bezel keys since the last look: its steps are gone then.
  connect(undo, &QAction::triggered, this, [this] {
    followInstrument();
    undoStack_->undo();
  });
  connect(redo, &QAction::triggered, this, [this] {
    followInstrument();
    undoStack_->redo();
  });
  undo->setObjectName("Undo");
  redo->setObjectName("Redo");

  auto* side = new QVBoxLayout;
  side->addWidget(usage);
  side->addWidget(styleLabel_);
  side->addWidget(pageBox("Page 1", 0));
  side->addWidget(pageBox("Page 2", 2));
  side->addWidget(button1_);
  side->addWidget(button2_);
  side->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addWidget(listBox1_, 1);
  columns->addLayout(side);
  // Below both columns: the overlap lines are long.
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menuBar);
  layout->addLayout(columns, 1);
  layout->addWidget(new QLabel("Overlaps on the page shown", this));
  layout->addWidget(overlaps_);
  // The arrow keys move the picked item whichever control has the focus; an open menu keeps them.
  for (QWidget* child : findChildren<QWidget*>())
    if (!qobject_cast<QMenu*>(child) && !qobject_cast<QMenuBar*>(child)) child->installEventFilter(this);

  // A click on the selected line selects it again, as keys and clicks on other lines do.
  connect(listBox1_, &QListWidget::currentRowChanged, this, &TForm8::ListBox1Click);
  connect(listBox1_, &QListWidget::itemClicked, this, &TForm8::ListBox1Click);
  connect(radioGroup1_, &QButtonGroup::idClicked, this, &TForm8::RadioGroup1Click);
  connect(button1_, &QPushButton::clicked, this, &TForm8::Button1Click);
  connect(button2_, &QPushButton::clicked, this, &TForm8::Button2Click);

  // Design mode also starts and ends with the bezel keys; the button follows it.
  captionTimer_ = new QTimer(this);
  captionTimer_->setInterval(200);
  connect(captionTimer_, &QTimer::timeout, this, &TForm8::followInstrument);

  z_.panel.showItemPosition = [](void* context, int page, int x, int row) {
    static_cast<TForm8*>(context)->showPosition(page, x, row);
  };
  z_.panel.showItemPositionContext = this;
  rebuildList();
  state_.listReady = true;
}

TForm8::~TForm8() {
  if (z_.panel.showItemPositionContext == this) {
    z_.panel.showItemPosition = nullptr;
    z_.panel.showItemPositionContext = nullptr;
  }
}

void TForm8::showEvent(QShowEvent* event) {
  rebuildList();
  followInstrument();
  captionTimer_->start();
  QWidget::showEvent(event);
}

void TForm8::hideEvent(QHideEvent* event) {
  captionTimer_->stop();
  QWidget::hideEvent(event);
}

int TForm8::selectedLine() const { return listBox1_->currentRow(); }

int TForm8::usageShown() const { return radioGroup1_->checkedId(); }

QString TForm8::positionText(int edit) const { return edits_[edit - 1]->text(); }

void TForm8::rebuildList() {
  const int row = selectedLine();
  const QSignalBlocker quiet(listBox1_);
  listBox1_->clear();
  for (int item = 0; item < PanelItemCount; ++item)
    listBox1_->addItem(QString::fromStdString(designerListLine(z_.settings, item)));
  listBox1_->setCurrentRow(row);
  overlapping_.clear();
  refreshOverlaps();
}

// Showing another usage runs the usage handler, as a click on it would.
void TForm8::showUsage(int index) {
  if (radioGroup1_->checkedId() == index) return;
  radioGroup1_->button(index)->setChecked(true);
  RadioGroup1Click();
}

void TForm8::showPositions(int item) {
  const std::uint8_t options = z_.settings.itemOptions[item];
  for (int page = 0; page < 2; ++page) {
    const bool shown = options & (page == 0 ? Page1Bit : Page2Bit);
    const ItemLocation& place = itemLocationOn(z_, item, page);
    edits_[2 * page]->setText(shown ? QString::number(place.column * 8) : NoPosition);
    edits_[2 * page + 1]->setText(shown ? QString::number(place.row) : NoPosition);
  }
}

// The line and the details of an item picked elsewhere, with nothing changed.
void TForm8::selectLine(int item) {
  {
    const QSignalBlocker quietList(listBox1_);
    listBox1_->setCurrentRow(item);
  }
  const QSignalBlocker quietUsage(radioGroup1_);
  radioGroup1_->button(usageIndex(z_.settings.itemOptions[item]))->setChecked(true);
  showPositions(item);
  showStyle(item);
}

void TForm8::ListBox1Click() {
  const int item = selectedLine();
  if (item < 0) return;
  state_.listReady = false;
  showUsage(usageIndex(z_.settings.itemOptions[item]));
  showPositions(item);
  showStyle(item);
  if (z_.main.designMode && itemVisible(z_, item)) z_.main.selectedItem = static_cast<std::uint8_t>(item);
  state_.listReady = true;
}

void TForm8::RadioGroup1Click() {
  const int item = selectedLine();
  if (item < 0) return;
  std::uint8_t& options = z_.settings.itemOptions[item];
  const int index = radioGroup1_->checkedId();
  // Outside design mode nothing changes; a spare entry has nothing to show.
  if (!z_.main.designMode || (isSpare(item) && index != 0)) {
    const QSignalBlocker quiet(radioGroup1_);
    radioGroup1_->button(usageIndex(options))->setChecked(true);
    return;
  }
  const ItemBytes before = itemBytesOf(z_.settings, item);
  options = withUsage(options, index);
  z_.main.selectedItem = static_cast<std::uint8_t>(item);
  // The instrument shows the page the item was just put on.
  if (options != before.options && z_.main.pageVisible && !itemVisible(z_, item) &&
      itemVisibleOn(z_, item, z_.main.activePage ^ 1))
    z_.main.activePage ^= 1;
  if (state_.listReady) rebuildList();
  redrawShownPage();
  recordEdit(item, before, radioGroup1_->button(index)->text(), ItemEdit::NoMerge);
}

void TForm8::Button1Click() {
  const int item = selectedLine();
  if (item < 0 || !z_.main.designMode) return;
  const ItemBytes before = itemBytesOf(z_.settings, item);
  std::uint8_t& options = z_.settings.itemOptions[item];
  const int page = z_.main.activePage;
  if (page == 0 && (options & Page1Bit))
    options = static_cast<std::uint8_t>((options & ~0x0E) | ((options + 2) & 0x0E));
  else if (page != 0 && (options & Page2Bit))
    options = static_cast<std::uint8_t>((options & ~0xE0) | ((options + 0x20) & 0xE0));
  // A larger style may reach past an edge; the firmware highlights its selection again.
  clampItemPositions(z_);
  z_.main.lastSelectedItem = 255;
  redrawShownPage();
  recordEdit(item, before, "Change display option", ItemEdit::NoMerge);
}

void TForm8::Button2Click() {
  MainState& m = z_.main;
  if (!m.designMode) {
    enterDesignMode(z_);
    const int item = selectedLine();
    if (item >= 0 && itemVisible(z_, item)) m.selectedItem = static_cast<std::uint8_t>(item);
  } else {
    state_.designerDragging = false;
    saveAllSettings(z_);
    m.designMode = 0;
    redrawShownPage();
  }
  followInstrument();
}

bool TForm8::mouseEditing() const { return z_.main.designMode && z_.main.pageVisible; }

// A menu or the start-up screens own the screen until the page is back.
void TForm8::redrawShownPage() {
  if (z_.main.pageVisible) redrawPage(z_);
}

void TForm8::syncMoveModeCaption() { button2_->setText(z_.main.designMode ? EndCaption : ActivateCaption); }

void TForm8::followInstrument() {
  const bool designMode = z_.main.designMode;
  if (designMode != wasDesignMode_) {
    // Undo reaches back to the start of move mode; its end saved what is shown.
    undoStack_->clear();
    wasDesignMode_ = designMode;
  }
  syncMoveModeCaption();
  usageBox_->setEnabled(designMode);
  button1_->setEnabled(designMode);
  const int selected = z_.main.selectedItem;
  if (designMode && selected != followedItem_ && itemVisible(z_, selected)) selectLine(selected);
  followedItem_ = selected;
  if (selectedLine() >= 0) {
    showPositions(selectedLine());
    showStyle(selectedLine());
  }
  refreshOverlaps();
}

void TForm8::showStyle(int item) {
  const std::uint8_t options = z_.settings.itemOptions[item];
  const int page = z_.main.activePage;
  const int style = page == 0 ? (options >> 1) & 7 : (options >> 5) & 7;
  styleLabel_->setText(QStringLiteral("Style on page %1:\n%2")
                           .arg(page + 1)
                           .arg(QString::fromStdString(styleName(item, style))));
}

QString TForm8::styleShown() const { return styleLabel_->text(); }

void TForm8::refreshOverlaps() {
  const int page = z_.main.activePage;
  // Drawing each item takes a while: only a changed panel or page is looked at again.
  std::vector<std::uint8_t> settings{static_cast<std::uint8_t>(page)};
  for (int n = 0; n < SettingsItemCount; ++n)
    std::ranges::copy(itemBytes(std::as_const(z_.settings), n), std::back_inserter(settings));
  if (settings != overlapsOf_) {
    overlapsFound_ = pageOverlaps(z_, page);
    overlapsOf_ = std::move(settings);
  }
  const std::vector<Overlap>& overlaps = overlapsFound_;
  std::vector<int> items;
  QStringList lines;
  for (const Overlap& overlap : overlaps) {
    items.push_back(overlap.first);
    items.push_back(overlap.second);
    lines << QString::fromStdString(overlapLine(z_, page, overlap));
  }
  std::ranges::sort(items);
  items.erase(std::unique(items.begin(), items.end()), items.end());
  bool same = overlaps_->count() == lines.size();
  for (int i = 0; same && i < lines.size(); ++i) same = overlaps_->item(i)->text() == lines[i];
  if (!same) {
    overlaps_->clear();
    overlaps_->addItems(lines);
  }
  if (items == overlapping_) return;
  for (int item = 0; item < listBox1_->count(); ++item)
    listBox1_->item(item)->setForeground(std::ranges::binary_search(items, item) ? QBrush(OverlapColour)
                                                                                 : QBrush());
  overlapping_ = std::move(items);
}

void TForm8::recordEdit(int item, const ItemBytes& before, const QString& text, int mergeId) {
  const ItemBytes after = itemBytesOf(z_.settings, item);
  if (after == before) return;
  // Pushing applies the edit once more: it is already in place.
  undoStack_->push(new ItemEdit(z_.settings, item, before, after, text, mergeId,
                                [this](int changed) { itemRestored(changed); }));
  refreshOverlaps();
}

// After an undo or redo: the page, the list and the details show the item as it is now.
void TForm8::itemRestored(int item) {
  if (!z_.main.designMode) return;
  if (itemVisible(z_, item)) z_.main.selectedItem = static_cast<std::uint8_t>(item);
  z_.main.lastSelectedItem = 255;
  rebuildList();
  selectLine(item);
  redrawShownPage();
}

bool TForm8::arrowKey(int key, Qt::KeyboardModifiers modifiers) {
  int dx = 0, dy = 0;
  switch (key) {
    case Qt::Key_Left:
      dx = -1;
      break;
    case Qt::Key_Right:
      dx = 1;
      break;
    case Qt::Key_Up:
      dy = -1;
      break;
    case Qt::Key_Down:
      dy = 1;
      break;
    default:
      return false;
  }
  const int item = selectedLine();
  // Outside move mode the arrows walk the list as usual.
  if (!mouseEditing() || item < 0 || !itemVisible(z_, item)) return false;
  const int step = (modifiers & Qt::ShiftModifier) ? 8 : 1;
  const ItemBytes before = itemBytesOf(z_.settings, item);
  PanelState& p = z_.panel;
  measureItem(z_, item);
  ItemLocation& place = itemLocationOn(z_, item, z_.main.activePage);
  // Columns are 8 pixels wide: left and right move by columns.
  place = keptInside(place.column + dx * step, place.row + dy * step, p.itemWidth, p.itemHeight);
  z_.main.selectedItem = static_cast<std::uint8_t>(item);
  redrawPage(z_);
  highlightItem(z_, item);
  recordEdit(item, before, "Move", KeyMoveMerge);
  return true;
}

bool TForm8::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (arrowKey(key->key(), key->modifiers())) return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TForm8::showPosition(int page, int x, int row) {
  edits_[page == 0 ? 0 : 2]->setText(QString::number(x));
  edits_[page == 0 ? 1 : 3]->setText(QString::number(row));
}

int TForm8::itemAt(int x, int y, int first) const {
  PanelState& p = z_.panel;
  const std::uint8_t width = p.itemWidth;
  const std::uint16_t height = p.itemHeight;
  int hit = -1;
  for (int step = 0; step < PanelItemCount && hit < 0; ++step) {
    const int item = (first + step) % PanelItemCount;
    if (!itemVisible(z_, item)) continue;
    measureItem(z_, item);
    const ItemLocation& place = itemLocationOn(z_, item, z_.main.activePage);
    const int left = place.column * 8;
    if (x >= left && x < left + p.itemWidth && y >= place.row && y < place.row + p.itemHeight) hit = item;
  }
  p.itemWidth = width;
  p.itemHeight = height;
  return hit;
}

bool TForm8::pickableAt(QPoint picture) const {
  return mouseEditing() && itemAt(picture.x() - ScreenInset, picture.y() - ScreenInset, 0) >= 0;
}

void TForm8::Image2MouseDown(QPoint picture) {
  if (!mouseEditing()) return;
  const int item = itemAt(picture.x() - ScreenInset, picture.y() - ScreenInset,
                          (state_.lastPickedItem + 1) % PanelItemCount);
  if (item < 0) return;
  z_.main.selectedItem = static_cast<std::uint8_t>(item);
  // The buttons act on the list's line: it is the item picked.
  selectLine(item);
  redrawPage(z_);
  highlightItem(z_, item);  // measures the item and shows its place
  state_.designerDragging = true;
  dragStart_ = itemBytesOf(z_.settings, item);
  state_.lastPickedItem = static_cast<std::uint8_t>(item);
  state_.dragWidth = z_.panel.itemWidth;
  state_.dragHeight = z_.panel.itemHeight;
}

void TForm8::Image2MouseMove(QPoint picture) {
  // Design mode may have ended by the keys meanwhile; it saved what was there.
  if (!state_.designerDragging || !mouseEditing()) return;
  const int x = std::max(0, picture.x() - ScreenInset);
  const int y = std::max(0, picture.y() - ScreenInset);
  ItemLocation& place = itemLocationOn(z_, state_.lastPickedItem, z_.main.activePage);
  place = keptInside(x / 8, y, state_.dragWidth, state_.dragHeight);
  redrawPage(z_);
  highlightItem(z_, z_.main.selectedItem);
}

void TForm8::Image2MouseUp() {
  if (!state_.designerDragging) return;
  state_.designerDragging = false;
  // Design mode may have ended meanwhile; its end saved what was there.
  if (z_.main.designMode) recordEdit(state_.lastPickedItem, dragStart_, "Move", ItemEdit::NoMerge);
}

}  // namespace zen
