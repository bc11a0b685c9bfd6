// Ports on device servers: their names, and the client's side of telnet
// with COM-PORT-CONTROL against a scripted server.

#include "link/port_names.h"
#include "link/telnet.h"

#include <gtest/gtest.h>
#include <map>

using namespace stepdrive;

namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace

TEST(NetAddress, readsTheTwoFormsAndRefusesTheRest) {
    using Mode = NetAddress::Mode;
    const struct {
        const char* name;
        bool network; // in a network form
        bool usable;
        Mode mode;
        const char* host;
        int port;
    } cases[] = {
        {"tcp://10.0.0.7:4001", true, true, Mode::Raw, "10.0.0.7", 4001},
        {" RFC2217://press-3.plant:2001 ", true, true, Mode::Rfc2217, "press-3.plant", 2001},
        {"tcp://[::1]:65535", true, true, Mode::Raw, "::1", 65535},
        {"rfc2217://[fe80::1%eth0]:4001", true, false, Mode::Raw, "", 0},
        {"tcp://10.0.0.7", true, false, Mode::Raw, "", 0},
        {"tcp://10.0.0.7:0", true, false, Mode::Raw, "", 0},
        {"tcp://10.0.0.7:65536", true, false, Mode::Raw, "", 0},
        {"tcp://::1:4001", true, false, Mode::Raw, "", 0},
        {"tcp://:4001", true, false, Mode::Raw, "", 0},
        {"/dev/ttyUSB0", false, false, Mode::Raw, "", 0},
        {"udp://10.0.0.7:4001", false, false, Mode::Raw, "", 0},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(isNetworkName(name), c.network) << c.name;
        // A network name is a device to the port box, never a COM number.
        EXPECT_EQ(parsePortChoice(name).com, 0) << c.name;
        const auto a = parseNetAddress(name);
        ASSERT_EQ(a.has_value(), c.usable) << c.name;
        if (!a)
            continue;
        EXPECT_EQ(a->mode, c.mode) << c.name;
        EXPECT_EQ(a->host, QString::fromLatin1(c.host)) << c.name;
        EXPECT_EQ(a->port, c.port) << c.name;
    }
}

TEST(Telnet, doublesEveryFF) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"", ""},
        {"AA 00 0D 01 FF FF FF FF EE 0A", "AA 00 0D 01 FF FF FF FF FF FF FF FF EE 0A"},
        {"FF", "FF FF"},
        {"0D 00 0D 0A", "0D 00 0D 0A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(escapeIac(hex(c.in)), hex(c.out)) << c.in;
}

// What the client says to a server and makes of its answers, fed whole and
// one byte at a time.
TEST(Telnet, negotiatesBinaryAndTheFarLineAndSaysARefusal) {
    using State = Rfc2217Client::State;
    // What ser2net sends on connecting: WILL SGA, DO SGA, WILL ECHO,
    // DONT ECHO, DO BINARY, WILL BINARY, DO COM-PORT.
    const char* greeting = "FFFB03 FFFD03 FFFB01 FFFE01 FFFD00 FFFB00 FFFD2C";
    const char* confirmed =
        "FFFA2C65 00004B00 FFF0 FFFA2C66 08 FFF0 FFFA2C67 01 FFF0 FFFA2C68 01 FFF0";
    const struct {
        const char* what;
        LineSettings wanted;
        std::vector<const char*> server;
        State state;
        const char* data;    // data bytes among the server's
        const char* answers; // what the client answered, in order
        const char* refusal;
    } cases[] = {
        {"ser2net",
         {19200, 'N', 8, 1},
         {greeting, confirmed, "AA FF FF 0D FFF1 BB"},
         State::Ready,
         "AA FF 0D BB",
         // DO SGA, WILL SGA, DONT ECHO, then the far line: 19200 baud, 8, N, 1.
         "FFFD03 FFFB03 FFFE01 FFFA2C01 00004B00 FFF0 FFFA2C02 08 FFF0 FFFA2C03 01 FFF0 FFFA2C04 "
         "01 FFF0",
         ""},
        {"a speed with FF in it, doubled both ways",
         {65535, 'N', 8, 1},
         {"FFFD00 FFFB00 FFFD2C",
          "FFFA2C65 0000FFFFFFFF FFF0 FFFA2C66 08 FFF0 FFFA2C67 01 FFF0 FFFA2C68 01 FFF0"},
         State::Ready,
         "",
         "FFFA2C01 0000FFFFFFFF FFF0 FFFA2C02 08 FFF0 FFFA2C03 01 FFF0 FFFA2C04 01 FFF0",
         ""},
        {"another speed set",
         {19200, 'N', 8, 1},
         {greeting, "FFFA2C65 00002580 FFF0"},
         State::Refused,
         "",
         nullptr,
         "9600 baud set, not 19200"},
        {"no COM-PORT-CONTROL",
         {19200, 'N', 8, 1},
         {"FFFD00 FFFB00 FFFE2C"},
         State::Refused,
         "",
         "",
         "COM-PORT-CONTROL refused"},
        {"no binary mode",
         {19200, 'N', 8, 1},
         {"FFFC00"},
         State::Refused,
         "",
         "",
         "binary mode refused"},
        {"not telnet at all",
         {19200, 'N', 8, 1},
         {"BB 00 07 64"},
         State::Negotiating,
         "BB 00 07 64",
         "",
         ""},
    };
    // Each refusal as the windows take it.
    using What = ServerRefusal::What;
    const std::map<QString, What> refusedAs{{"", What::None},
                                            {"9600 baud set, not 19200", What::FarBaud},
                                            {"COM-PORT-CONTROL refused", What::ComPortRefused},
                                            {"binary mode refused", What::BinaryRefused}};
    for (const auto& c : cases) {
        for (const bool byteByByte : {false, true}) {
            Rfc2217Client client(c.wanted);
            EXPECT_EQ(client.start(), hex("FFFB00 FFFD00 FFFB2C")) << c.what;
            QByteArray data, answers;
            for (const char* chunk : c.server) {
                const QByteArray bytes = hex(chunk);
                for (qsizetype i = 0; i < bytes.size(); i += byteByByte ? 1 : bytes.size())
                    data += client.feed(bytes.mid(i, byteByByte ? 1 : bytes.size()), &answers);
            }
            EXPECT_EQ(client.state(), c.state) << c.what << byteByByte;
            EXPECT_EQ(data, hex(c.data)) << c.what << byteByByte;
            if (c.answers) {
                EXPECT_EQ(answers.toHex(' ').toUpper(), hex(c.answers).toHex(' ').toUpper())
                    << c.what << byteByByte;
            }
            EXPECT_EQ(client.refusal(), QString::fromLatin1(c.refusal)) << c.what;
            EXPECT_EQ(client.refused().what, refusedAs.at(QString::fromLatin1(c.refusal)))
                << c.what;
            EXPECT_EQ(client.heardTelnet(), c.state != State::Negotiating) << c.what;
        }
    }
    // The client speaks after the server: what ser2net's greeting settled
    // is not asked again, and its first bytes tell telnet from a drive.
    Rfc2217Client client({19200, 'N', 8, 1});
    QByteArray answers;
    EXPECT_TRUE(client.feed(hex(greeting), &answers).isEmpty());
    EXPECT_EQ(client.start(), QByteArray());
    client.feed(hex(confirmed), &answers);
    EXPECT_EQ(client.state(), State::Ready);
    EXPECT_TRUE(telnetSpoken(hex(greeting)));
    for (const char* first : {"BB 00 06 64", "FF", "FF BB", "FF FF FB"})
        EXPECT_FALSE(telnetSpoken(hex(first))) << first;
}
