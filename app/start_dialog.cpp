#include "app/start_dialog.h"

#include "app/program_names.h"
#include "link/adapter.h"
#include "sys/devices.h"
#include "ui/form_look.h"
#include "ui_start_dialog.h"

#include <QLineEdit>
#include <QSettings>

namespace stepdrive {

namespace {
// The selected list position, or -1 when the operator typed a text of his own.
int selectedPosition(const QComboBox* combo) {
    const int i = combo->currentIndex();
    return i >= 0 && combo->currentText() == combo->itemText(i) ? i : -1;
}

// The port last connected and its line speed are kept for the next start
// of the program.
constexpr char kLastPortKey[] = "port";
constexpr char kLastBaudKey[] = "baud";
} // namespace

StartDialog::StartDialog(const std::vector<PortEntry>& available, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::StartDialogForm>()) {
    ui_->setupUi(this);
    Combo_ = {ui_->Combo_0, ui_->Combo_1};
    for (QComboBox* combo : Combo_)
        combo->setInsertPolicy(QComboBox::NoInsert);
    connect(ui_->cmd_common, &QPushButton::clicked, this, &StartDialog::cmd_common_Click);
    connect(ui_->cmd_commoff, &QPushButton::clicked, this, &StartDialog::cmd_commoff_Click);
    connect(ui_->CMD3, &QPushButton::clicked, this, &StartDialog::CMD3_Click);
    connect(ui_->PORT, &QListWidget::itemClicked, this, &StartDialog::PORT_Click);
    Form_Load(available);
}

StartDialog::~StartDialog() = default;

void StartDialog::Form_Load(const std::vector<PortEntry>& available) {
    setUpWindow(this, Border::Fixed);
    // The caption's runs of blanks break it into its three lines in the design
    // font; the Hangul font's blanks are narrower, so break there explicitly.
    // (A loop, not a regular expression: that would load its library at start-up.)
    QString caption;
    const QString designed = ui_->Label3->text();
    for (qsizetype i = 0; i < designed.size();) {
        qsizetype blanks = 0;
        while (i + blanks < designed.size() && designed[i + blanks] == QLatin1Char(' '))
            ++blanks;
        caption += blanks >= 2   ? QStringLiteral("\n")
                   : blanks == 1 ? QStringLiteral(" ")
                                 : QString(designed[i]);
        i += blanks ? blanks : 1;
    }
    ui_->Label3->setText(caption);
    for (const PortEntry& e : available) {
        auto* item = new QListWidgetItem(e.text, ui_->PORT);
        item->setToolTip(e.toolTip);
        item->setData(Qt::UserRole, e.port);
    }
    ui_->cmd_commoff->setEnabled(false);
    Rs232_Init();
    // An address longer than the port box shows from its start once typed,
    // and whole in the box's tip.
    QComboBox* port = Combo_[kPortBox];
    connect(port, &QComboBox::editTextChanged, port, &QWidget::setToolTip);
    connect(port->lineEdit(), &QLineEdit::editingFinished, port,
            [port] { port->lineEdit()->setCursorPosition(0); });
    port->setToolTip(port->currentText());
    port->lineEdit()->setCursorPosition(0);
}

void StartDialog::Rs232_Init() {
    for (int n = 1; n <= 9; ++n)
        Combo_[kPortBox]->addItem(comName(n));
    Combo_[kPortBox]->setCurrentIndex(kDefaultPort);
    // The port last connected comes first, while its device is still there;
    // a device server's address is not looked up until it is connected.
    const PortChoice last = parsePortChoice(QSettings().value(kLastPortKey).toString());
    if (!last.path().isEmpty() && (isNetworkName(last.path()) ||
                                   sys::deviceAccess(last.path()) != sys::DeviceAccess::Missing))
        showPort(last.text());
    // A known adapter is offered under the name it has now, whatever it was.
    const auto adapter =
        AdapterIdentity::fromString(QSettings().value(QLatin1String(kLastAdapterKey)).toString());
    const QString now = adapter ? whereIs(*adapter) : QString();
    if (!now.isEmpty() && !sameDevice(now, last.path())) {
        showPort(now);
        for (int i = 0; i < ui_->PORT->count(); ++i)
            if (sameDevice(ui_->PORT->item(i)->data(Qt::UserRole).toString(), now))
                ui_->PORT->setCurrentRow(i);
    }
    for (const char* entry : kBaudEntries)
        Combo_[kBaudBox]->addItem(QString::fromLatin1(entry));
    const int lastBaud = Combo_[kBaudBox]->findText(QSettings().value(kLastBaudKey).toString());
    Combo_[kBaudBox]->setCurrentIndex(lastBaud >= 0 ? lastBaud : kDefaultBaud);
}

void StartDialog::cmd_common_Click() {
    for (QComboBox* combo : Combo_)
        combo->setEnabled(false);
    const int baud = selectedPosition(Combo_[kBaudBox]);
    const QString entry = baud >= 0 ? QString::fromLatin1(kBaudEntries[baud]) : QString();
    const QString settings =
        entry + QStringLiteral(",N") + QStringLiteral(",8") + QStringLiteral(",1");

    asked_ = parsePortChoice(Combo_[kPortBox]->currentText());
    askedBaud_ = entry;
    emit connectRequested(asked_, settings);
}

// The shell closes the link, or keeps it when the operator says so.
void StartDialog::cmd_commoff_Click() {
    emit disconnectRequested();
}

void StartDialog::setConnected(bool connected) {
    if (connected) {
        QSettings settings;
        settings.setValue(kLastPortKey, asked_.text());
        settings.setValue(kLastBaudKey, askedBaud_);
    }
    for (QComboBox* combo : Combo_)
        combo->setEnabled(!connected);
    ui_->cmd_commoff->setEnabled(connected);
    ui_->cmd_common->setEnabled(!connected);
}

void StartDialog::PORT_Click(QListWidgetItem* item) {
    if (Combo_[kPortBox]->isEnabled())
        showPort(item->data(Qt::UserRole).toString());
}

void StartDialog::showPort(const QString& port) {
    const int listed = Combo_[kPortBox]->findText(port);
    if (listed >= 0)
        Combo_[kPortBox]->setCurrentIndex(listed);
    else
        Combo_[kPortBox]->setEditText(port);
}

void StartDialog::CMD3_Click() {
    emit exitRequested();
}

} // namespace stepdrive
