#include "app/start_dialog.h"

#include "app/port_list.h"
#include "app/shell.h"
#include "link/comm_control.h"
#include "link/port_names.h"
#include "panels/main/main_panel.h"
#include "ui/form_look.h"
#include "ui_start_dialog.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalBlocker>

namespace stepdrive {

namespace {
// The selected list position, or -1 when the operator typed a text of his own.
int selectedPosition(const QComboBox* combo) {
    const int i = combo->currentIndex();
    return i >= 0 && combo->currentText() == combo->itemText(i) ? i : -1;
}

// The port last connected is kept for the next start of the program.
constexpr char kLastPortKey[] = "port";
QSettings programSettings() {
    return QSettings(QStringLiteral("stepdrive"), QStringLiteral("stepdrive"));
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
    connect(ui_->PORT, &QListWidget::itemClicked, this, &StartDialog::PORT_Click);
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
    std::vector<int> opened;
    for (int n = 1; n <= 10; ++n)
        if (Rs232_Probe(msc, n))
            opened.push_back(n);
    for (const PortEntry& e : portEntries(opened, systemPorts())) {
        auto* item = new QListWidgetItem(e.text, ui_->PORT);
        item->setToolTip(e.toolTip);
        item->setData(Qt::UserRole, e.port);
    }
    ui_->cmd_commoff->setEnabled(false);
    Rs232_Init();
}

void StartDialog::Rs232_Init() {
    for (int n = 1; n <= 9; ++n)
        Combo_[0]->addItem(comName(n));
    Combo_[0]->setCurrentIndex(kDefaultPort);
    // The port last connected comes first, while it is still there.
    const PortChoice last = parsePortChoice(programSettings().value(kLastPortKey).toString());
    if (!last.path().isEmpty() && QFileInfo::exists(last.path()))
        showPort(last.text());
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
    const PortChoice choice = parsePortChoice(Combo_[0]->currentText());
    for (const Config& c : configs) {
        c.port.setCommPort(choice.com);
        c.port.setDevice(choice.device);
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
    programSettings().setValue(kLastPortKey, choice.text());
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

void StartDialog::PORT_Click(QListWidgetItem* item) {
    if (Combo_[0]->isEnabled())
        showPort(item->data(Qt::UserRole).toString());
}

void StartDialog::showPort(const QString& port) {
    const int listed = Combo_[0]->findText(port);
    if (listed >= 0)
        Combo_[0]->setCurrentIndex(listed);
    else
        Combo_[0]->setEditText(port);
}

void StartDialog::CMD3_Click() {
    shell_.exitProgram();
}

} // namespace stepdrive
