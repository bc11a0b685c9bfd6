#pragma once
// The connection dialog `Start`: finds the ports that open, offers port and
// baud rate, configures the three panels' port objects and opens the link on
// the main panel's.

#include <QWidget>
#include <array>
#include <memory>

class QComboBox;
class QListWidgetItem;

namespace Ui {
class StartDialogForm;
}

namespace stepdrive {

class CommControl;
class Shell;

class StartDialog : public QWidget {
    Q_OBJECT
public:
    // The baud list, by position; the entry is the first field of the line
    // settings string.
    static constexpr std::array<const char*, 13> kBaudEntries{
        "low_speed6000", "128000", "115200", "57600", "56000", "38400", "19200",
        "14400",         "9600",   "4800",   "2400",  "1200",  "600"};
    static constexpr int kDefaultPort = 3; // "COM4"
    static constexpr int kDefaultBaud = 6; // "19200"

    explicit StartDialog(Shell& shell, QWidget* parent = nullptr);
    ~StartDialog() override;

    void Rs232_Init();
    // The link was lost: back to the idle state, ready to connect again.
    void showDisconnected() { setConnected(false); }

private:
    void Form_Load();
    bool Rs232_Probe(CommControl& port, int n);
    void cmd_common_Click();
    void cmd_commoff_Click();
    void CMD3_Click();
    void PORT_Click(QListWidgetItem* item);
    void setConnected(bool connected);
    // Shows `port` ("COM4" or a device) in the port box.
    void showPort(const QString& port);

    std::unique_ptr<Ui::StartDialogForm> ui_;
    Shell& shell_;
    std::array<QComboBox*, 2> Combo_{};
};

} // namespace stepdrive
