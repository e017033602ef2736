#include "desktop/panel_commands.h"

#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "files/panel_file.h"
#include "firmware/instruments/panel.h"
#include "sim/qt/dialogs.h"
#include "sim/simulation_host.h"

namespace zen {

namespace {

// One command at a time: a transfer waits with the event loop running, so
// the menus stay live meanwhile.
class BusyGuard {
 public:
  explicit BusyGuard(bool& busy) : busy_(busy), entered_(!busy) { busy_ = true; }
  ~BusyGuard() {
    if (entered_) busy_ = false;
  }
  bool entered() const { return entered_; }

 private:
  bool& busy_;
  bool entered_;
};

}  // namespace

TForm2::TForm2(QWidget* parent) : QWidget(parent, Qt::Tool), memo1_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Status"));
  resize(260, 360);
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setReadOnly(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(memo1_);
}

QStringList TForm2::lines() const {
  const QString text = memo1_->toPlainText();
  return text.isEmpty() ? QStringList{} : text.split('\n');
}

PanelCommands::PanelCommands(SimulationHost& host, Link& link, Dialogs& dialogs, QWidget* window)
    : QObject(window), host_(host), link_(link), dialogs_(dialogs), form2_(new TForm2(window)) {}

void PanelCommands::addCommand(QMenu* menu, const char* text, const char* name,
                               void (PanelCommands::*slot)()) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(QString::fromUtf8(name));
  connect(action, &QAction::triggered, this, slot);
}

void PanelCommands::addFileActions(QMenu* file) {
  addCommand(file, "&Save panel layout", "Savepanellayout1", &PanelCommands::Savepanellayout1Click);
  addCommand(file, "&Load panel layout", "Loadpanellayout1", &PanelCommands::Loadpanellayout1Click);
}

void PanelCommands::addConnectActions(QMenu* connectMenu) {
  addCommand(connectMenu, "&Upload panel from Orvex", "UploadpanelfromOrvex1",
             &PanelCommands::UploadpanelfromOrvex1Click);
  addCommand(connectMenu, "&Download panel to Orvex", "DownloadpaneltoOrvex1",
             &PanelCommands::DownloadpaneltoOrvex1Click);
}

void PanelCommands::Savepanellayout1Click() {
  BusyGuard guard(busy_);
  if (!guard.entered()) return message(BusyMessage);
  if (!host_.firmwareRunning()) return message(SimulationNotRunningMessage);
  QString name = dialogs_.saveFileName(SaveTitle, Filter, QStringLiteral("pcf"));
  if (name.isEmpty()) return;
  if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".pcf");
  if (auto error = savePanelFile(host_.instrument(), name.toStdString())) return message(*error);
  emit panelFileUsed(name, false);
}

void PanelCommands::Loadpanellayout1Click() {
  BusyGuard guard(busy_);
  if (!guard.entered()) return message(BusyMessage);
  if (!host_.firmwareRunning()) return message(SimulationNotRunningMessage);
  const QString name = dialogs_.openFileName(LoadTitle, Filter);
  if (name.isEmpty()) return;
  if (auto refused = loadPanelFile(host_.instrument(), name.toStdString())) return message(*refused);
  applied();
  emit panelFileUsed(name, true);
}

void PanelCommands::UploadpanelfromOrvex1Click() {
  BusyGuard guard(busy_);
  if (!guard.entered()) return message(BusyMessage);
  TransferContext t = context();
  const auto panel = uploadPanel(t);
  if (!panel) return;
  applyPanelSettings(host_.instrument(), *panel);
  applied();
  result("The panel was read from the instrument on " + lineName(link_) +
         " and is shown now; it reaches e2.rom with the instrument's next settings save. The bytes read are "
         "in " +
         (host_.programFolder() / UploadFileName).string() + ".");
  emit panelUploaded();
}

void PanelCommands::DownloadpaneltoOrvex1Click() {
  BusyGuard guard(busy_);
  if (!guard.entered()) return message(BusyMessage);
  TransferContext t = context();
  downloadPanel(t, host_.instrument().settings);
}

TransferContext PanelCommands::context() { return {link_, *this, host_, host_.firmwareRunning()}; }

void PanelCommands::applied() {
  redrawPage(host_.instrument());
  if (onPanelApplied) onPanelApplied();
}

void PanelCommands::openStatus() {
  form2_->memo()->clear();
  form2_->show();
  form2_->raise();
}

void PanelCommands::statusLine(const std::string& text) {
  form2_->memo()->appendPlainText(QString::fromStdString(text));
}

void PanelCommands::closeStatus() { form2_->hide(); }

void PanelCommands::message(const std::string& text) { dialogs_.showMessage(QString::fromStdString(text)); }

// A good transfer over a fast line is over in a moment: the Status window
// stays up with the result as its last line, besides the message.
void PanelCommands::result(const std::string& text) {
  statusLine(text);
  form2_->show();
  form2_->raise();
  dialogs_.showMessage(QString::fromStdString(text));
}

}  // namespace zen
