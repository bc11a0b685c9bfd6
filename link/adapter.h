#pragma once
// A USB serial adapter known by what it is rather than by its device name,
// which changes when it is pulled and plugged back (/dev/ttyUSB0 comes back
// as /dev/ttyUSB1), and where it is now. The system keeps a stable name for
// it: a link named after maker, product and serial number in
// /dev/serial/by-id, pointing at the current device.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

namespace stepdrive {

struct SystemPort;

// The folder of stable names: STEPDRIVE_SERIAL_BY_ID when set, otherwise
// /dev/serial/by-id (absent where the system keeps none).
QString stableNameFolder();

// What an adapter is, whatever device name it has at the moment.
struct AdapterIdentity {
    QString byId; // its link's file name in the stable-name folder: "usb-FTDI_..."
    QString manufacturer;
    QString product;
    QString serial;

    // True when it can be found again: by its stable name or its serial number.
    bool known() const { return !byId.isEmpty() || !serial.isEmpty(); }
    // For the operator: "FTDI FT232R USB UART (A50285BI)", or the stable name
    // when the system says nothing more.
    QString text() const;
    // True when `port` carries this serial number, maker and product (and
    // the serial number is not empty).
    bool isPort(const SystemPort& port) const;

    // One string to keep it in, and back; nullopt for a string that holds no
    // known identity.
    QString toString() const;
    static std::optional<AdapterIdentity> fromString(const QString& text);

    bool operator==(const AdapterIdentity& o) const {
        return byId == o.byId && manufacturer == o.manufacturer && product == o.product &&
               serial == o.serial;
    }
};

// The adapter behind `device`: a device path, or a stable name (a path in
// the stable-name folder). Nullopt where none is known: a pseudo-terminal
// with no stable name, a built-in port, a network name.
std::optional<AdapterIdentity> adapterOf(const QString& device);

// The device the adapter is under now: its stable name's target; for one
// without a stable name, the system's port of the same serial number, maker
// and product. Empty when it is not there.
QString whereIs(const AdapterIdentity& adapter);

// Waits for an adapter to be there: looks where it is every kPollMs and
// raises `back` once it has been there for kSettleMs (a device that just
// appeared needs a moment), once per watch.
class AdapterWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 250;
    static constexpr int kSettleMs = 300;

    explicit AdapterWatch(QObject* parent = nullptr);

    void watch(const AdapterIdentity& adapter);
    void stop();
    bool watching() const { return timer_.isActive(); }

signals:
    void back(const QString& device);

private:
    void look();

    QTimer timer_;
    AdapterIdentity adapter_;
    QString seen_;        // where it was at the last look; empty when absent
    QElapsedTimer since_; // since it has been there
};

} // namespace stepdrive
