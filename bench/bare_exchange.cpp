// A bare Qt Core + SerialPort program making stepdrive-cli's position
// exchange: opens the line at 19200 baud, sends the position request, waits
// for the 10-byte reply and prints the position. The floor that
// stepdrive_cli_bench holds "stepdrive-cli position" against.
//
//   stepdrive_bare_exchange DEVICE

#include <QCoreApplication>
#include <QSerialPort>
#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DEVICE\n", argv[0]);
        return 1;
    }
    QSerialPort port(QString::fromLocal8Bit(argv[1]));
    port.setBaudRate(19200);
    if (!port.open(QIODevice::ReadWrite))
        return 2;
    const char request[] = {'\xAA', 0, 6, 8, 0, 0, 0, 0, '\xEE', 0x0E, 0, 0};
    port.write(request, sizeof request);
    port.waitForBytesWritten(1000);
    QByteArray reply;
    while (reply.size() < 10 && port.waitForReadyRead(1000))
        reply += port.readAll();
    if (reply.size() < 10)
        return 4;
    std::uint32_t raw = 0;
    for (int i = 4; i < 8; ++i)
        raw = (raw << 8) | static_cast<std::uint8_t>(reply[i]);
    std::printf("position=%d\n", static_cast<std::int32_t>(raw));
    return 0;
}
