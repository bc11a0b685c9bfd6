#include "app/start_dialog.h"

#include "app/shell.h"
#include "link/comm_control.h"
#include "link/port_names.h"
#include "panels/main/main_panel.h"
#include "ui/form_look.h"
#include "ui_start_dialog.h"

#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSignalBlocker>
#include <optional>

namespace stepdrive {

namespace {
// The selected list position, or -1 when the operator typed a text of his own.
int selectedPosition(const QComboBox* combo) {
    const int i = combo->currentIndex();
    return i >= 0 && combo->currentText() == combo->itemText(i) ? i : -1;
}

// "/dev/ttyUSB0 — FT232R USB UART", for the tooltip of a found port.
QString describeDevice(const QString& path, const QList<QSerialPortInfo>& system) {
    for (const QSerialPortInfo& info : system)
        if (info.systemLocation() == path && !info.description().isEmpty())
            return QStringLiteral("%1 — %2").arg(path, info.description());
    return path;
}
} // namespace

StartDialog::StartDialog(Shell& shell, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::StartDialogForm>()), shell_(shell) {
    ui_->setupUi(this);
    Combo_ = {ui_->Combo_0, ui_->Combo_1};
    for (QComboBox* combo : Combo_)
        combo->setInsertPolicy(QComboBox::NoInsert);
    connect(ui_->cmd_common, &QPushButton::clicked, this, &StartDialog::cmd_common_Click);
    connect(ui_->cmd_commoff, &QPushButton::clicked, this, &StartDialog::cmd_commoff_Click);
    connect(ui_->CMD3, &QPushButton::clicked, this, &StartDialog::CMD3_Click);
    Form_Load();
}

StartDialog::~StartDialog() = default;

void StartDialog::Form_Load() {
    setUpWindow(this, Border::Fixed);
    // The caption's runs of blanks break it into its three lines in the design
    // font; the Hangul font's blanks are narrower, so break there explicitly.
    ui_->Label3->setText(ui_->Label3->text().replace(QRegularExpression(QStringLiteral(" {2,}")),
                                                     QStringLiteral("\n")));
    CommControl& msc = shell_.MSC();
    std::optional<QList<QSerialPortInfo>> system;
    for (int n = 1; n <= 10; ++n) {
        if (Rs232_Probe(msc, n)) {
            // The system's list of ports is asked for once, and only if needed.
            if (!system)
                system = QSerialPortInfo::availablePorts();
            auto* item = new QListWidgetItem(comName(n), ui_->PORT);
            item->setToolTip(describeDevice(portDevice(n), *system));
        }
    }
    ui_->cmd_commoff->setEnabled(false);
    Rs232_Init();
}

void StartDialog::Rs232_Init() {
    for (int n = 1; n <= 9; ++n)
        Combo_[0]->addItem(comName(n));
    Combo_[0]->setCurrentIndex(kDefaultPort);
    for (const char* entry : kBaudEntries)
        Combo_[1]->addItem(QString::fromLatin1(entry));
    Combo_[1]->setCurrentIndex(kDefaultBaud);
}

bool StartDialog::Rs232_Probe(CommControl& port, int n) {
    // The probe reports nothing: a port that does not open is simply not listed.
    const QSignalBlocker quiet(port);
    port.setCommPort(n);
    const bool opened = port.setPortOpen(true);
    if (port.PortOpen())
        port.setPortOpen(false);
    return opened;
}

void StartDialog::cmd_common_Click() {
    for (QComboBox* combo : Combo_)
        combo->setEnabled(false);
    const int baud = selectedPosition(Combo_[1]);
    const QString entry = baud >= 0 ? QString::fromLatin1(kBaudEntries[baud]) : QString();
    const QString settings =
        entry + QStringLiteral(",N") + QStringLiteral(",8") + QStringLiteral(",1");

    struct Config {
        CommControl& port;
        int threshold;
    };
    const Config configs[] = {{shell_.MSC(), 10}, {shell_.MSC1(), 13}, {shell_.MSC2(), 10}};
    for (const Config& c : configs) {
        c.port.setCommPort(selectedPosition(Combo_[0]) + 1);
        c.port.setSettings(settings);
        c.port.setInputMode(CommControl::comInputModeBinary);
        c.port.setInputLen(1);
        c.port.setRThreshold(c.threshold);
        c.port.setInBufferCount(0);
    }

    for (CommControl* port : {&shell_.MSC2(), &shell_.MSC1()})
        if (port->PortOpen())
            port->setPortOpen(false);
    if (!shell_.MSC().PortOpen() && !shell_.MSC().setPortOpen(true)) {
        // The port control has said why; stay here, ready for another choice.
        setConnected(false);
        return;
    }
    shell_.markConfigured();
    setConnected(true);
    shell_.showOnly(shell_.main());
}

void StartDialog::cmd_commoff_Click() {
    for (CommControl* port : {&shell_.MSC1(), &shell_.MSC()})
        if (port->PortOpen())
            port->setPortOpen(false);
    setConnected(false);
}

void StartDialog::setConnected(bool connected) {
    for (QComboBox* combo : Combo_)
        combo->setEnabled(!connected);
    ui_->cmd_commoff->setEnabled(connected);
    ui_->cmd_common->setEnabled(!connected);
}

void StartDialog::CMD3_Click() {
    shell_.exitProgram();
}

} // namespace stepdrive
