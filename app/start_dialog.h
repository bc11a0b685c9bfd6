#pragma once
// The connection dialog `Start`: lists the ports found, offers port and baud
// rate, and hands the operator's choice back: connect, disconnect, exit. The
// shell opens and closes the link.

#include "app/port_list.h"
#include "link/port_names.h"

#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class QComboBox;
class QListWidgetItem;

namespace Ui {
class StartDialogForm;
}

namespace stepdrive {

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

    // `available`: the entries of "사용가능 포트", found before the dialog shows.
    explicit StartDialog(const std::vector<PortEntry>& available, QWidget* parent = nullptr);
    ~StartDialog() override;

    void Rs232_Init();
    // Connected (the link opened: the port and its speed are kept for the
    // next start) or
    // idle (it did not open, it was closed or it was lost).
    void setConnected(bool connected);

signals:
    // "통신 연결": the port and the line settings string ("19200,N,8,1").
    void connectRequested(const stepdrive::PortChoice& port, const QString& settings);
    void disconnectRequested();
    void exitRequested();

private:
    void Form_Load(const std::vector<PortEntry>& available);
    void cmd_common_Click();
    void cmd_commoff_Click();
    void CMD3_Click();
    void PORT_Click(QListWidgetItem* item);
    // Shows `port` ("COM4" or a device) in the port box.
    void showPort(const QString& port);

    std::unique_ptr<Ui::StartDialogForm> ui_;
    // Combo(0) takes the port, Combo(1) the baud rate.
    enum { kPortBox, kBaudBox };
    std::array<QComboBox*, 2> Combo_{};
    PortChoice asked_;  // the port of the last connect
    QString askedBaud_; // and its baud entry
};

} // namespace stepdrive
