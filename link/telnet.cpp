#include "link/telnet.h"

namespace stepdrive {

using namespace telnet;

namespace {
bool wantUs(std::uint8_t option) {
    return option == kBinary || option == kComPort || option == kSuppressGoAhead;
}
// Echo in particular is refused: it would send every frame back.
bool wantHim(std::uint8_t option) {
    return option == kBinary || option == kSuppressGoAhead;
}
void put(QByteArray* out, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t b : bytes)
        out->append(static_cast<char>(b));
}
std::uint32_t parityCode(char parity) {
    switch (parity) {
    case 'O':
        return 2;
    case 'E':
        return 3;
    case 'M':
        return 4;
    case 'S':
        return 5;
    default:
        return 1;
    }
}
} // namespace

QByteArray escapeIac(const QByteArray& data) {
    QByteArray out;
    out.reserve(data.size() + 4);
    for (char c : data) {
        out.append(c);
        if (static_cast<std::uint8_t>(c) == kIac)
            out.append(c);
    }
    return out;
}

Rfc2217Client::Rfc2217Client(const LineSettings& wanted)
    : settings_{{{kSetBaud, static_cast<std::uint32_t>(wanted.baud), 4},
                 {kSetDataSize, static_cast<std::uint32_t>(wanted.dataBits), 1},
                 {kSetParity, parityCode(wanted.parity), 1},
                 {kSetStopSize, static_cast<std::uint32_t>(wanted.stopBits), 1}}} {}

bool telnetSpoken(const QByteArray& first) {
    return first.size() >= 2 && static_cast<std::uint8_t>(first[0]) == kIac &&
           static_cast<std::uint8_t>(first[1]) >= kSb &&
           static_cast<std::uint8_t>(first[1]) <= kDont;
}

QByteArray Rfc2217Client::start() {
    QByteArray out;
    // What the server's own negotiation has not settled yet.
    const auto ask = [&out](bool on, bool& asked, std::uint8_t verb, std::uint8_t option) {
        if (!on && !asked)
            put(&out, {kIac, verb, option});
        asked = asked || !on;
    };
    ask(us_[kBinary], askedUs_[kBinary], kWill, kBinary);
    ask(him_[kBinary], askedHim_[kBinary], kDo, kBinary);
    ask(us_[kComPort], askedUs_[kComPort], kWill, kComPort);
    return out;
}

QByteArray Rfc2217Client::feed(const QByteArray& in, QByteArray* answer) {
    QByteArray data;
    for (char c : in) {
        const auto b = static_cast<std::uint8_t>(c);
        switch (parse_) {
        case Parse::Data:
            if (b == kIac)
                parse_ = Parse::Iac;
            else
                data.append(c);
            break;
        case Parse::Iac:
            parse_ = Parse::Data;
            if (b == kIac) {
                data.append(c);
            } else if (b >= kWill && b <= kDont) {
                verb_ = b;
                parse_ = Parse::Option;
            } else if (b == kSb) {
                sub_.clear();
                parse_ = Parse::Sub;
            } // any other command (NOP, GA and the like) carries nothing here
            heard_ = true;
            break;
        case Parse::Option:
            command(verb_, b, answer);
            parse_ = Parse::Data;
            break;
        case Parse::Sub:
            if (b == kIac)
                parse_ = Parse::SubIac;
            else
                sub_.append(c);
            break;
        case Parse::SubIac:
            if (b == kSe) {
                subnegotiation();
                parse_ = Parse::Data;
            } else {
                sub_.append(c); // a doubled 0xFF inside the subnegotiation
                parse_ = Parse::Sub;
            }
            break;
        }
    }
    return data;
}

namespace {
// One side of the options: the server's (offered with WILL/WONT, answered
// with DO/DONT) or ours (the other way round). An offer is taken when the
// option is wanted there, and a change is answered unless it answers our own
// request, so neither side loops.
struct Side {
    std::array<bool, 256>& on;
    std::array<bool, 256>& asked;
    bool (*wanted)(std::uint8_t);
    std::uint8_t yes, no;
};
void negotiate(const Side& side, bool offered, std::uint8_t option, QByteArray* answer) {
    const bool asked = side.asked[option];
    side.asked[option] = false;
    if (offered && !side.wanted(option)) {
        put(answer, {kIac, side.no, option});
    } else if (offered != side.on[option]) {
        side.on[option] = offered;
        if (!asked)
            put(answer, {kIac, offered ? side.yes : side.no, option});
    }
}
} // namespace

void Rfc2217Client::command(std::uint8_t verb, std::uint8_t option, QByteArray* answer) {
    const bool his = verb == kWill || verb == kWont;
    const bool offered = verb == kWill || verb == kDo;
    if (his)
        negotiate({him_, askedHim_, wantHim, kDo, kDont}, offered, option, answer);
    else
        negotiate({us_, askedUs_, wantUs, kWill, kWont}, offered, option, answer);
    if (!offered && option == kBinary)
        refuse(QStringLiteral("binary mode refused"), {ServerRefusal::What::BinaryRefused});
    if (!offered && !his && option == kComPort)
        refuse(QStringLiteral("COM-PORT-CONTROL refused"), {ServerRefusal::What::ComPortRefused});
    // The far line is set once the server takes COM-PORT-CONTROL.
    if (us_[kComPort] && !settingsSent_ && state_ == State::Negotiating) {
        settingsSent_ = true;
        for (const Setting& s : settings_) {
            QByteArray value;
            for (int i = s.size - 1; i >= 0; --i)
                value.append(static_cast<char>((s.value >> (8 * i)) & 0xFF));
            put(answer, {kIac, kSb, kComPort, s.command});
            answer->append(escapeIac(value));
            put(answer, {kIac, kSe});
        }
    }
    checkReady();
}

void Rfc2217Client::subnegotiation() {
    if (sub_.size() < 2 || static_cast<std::uint8_t>(sub_[0]) != kComPort)
        return;
    const auto code = static_cast<std::uint8_t>(sub_[1]);
    for (Setting& s : settings_) {
        if (code != s.command + kServerOffset || sub_.size() != 2 + s.size)
            continue;
        std::uint32_t value = 0;
        for (int i = 0; i < s.size; ++i)
            value = (value << 8) | static_cast<std::uint8_t>(sub_[2 + i]);
        if (value != s.value) {
            const char* what[] = {"baud", "data bits", "parity", "stop bits"};
            const ServerRefusal::What far[] = {
                ServerRefusal::What::FarBaud, ServerRefusal::What::FarDataBits,
                ServerRefusal::What::FarParity, ServerRefusal::What::FarStopBits};
            refuse(QStringLiteral("%1 %2 set, not %3")
                       .arg(value)
                       .arg(QLatin1String(what[s.command - kSetBaud]))
                       .arg(s.value),
                   {far[s.command - kSetBaud], value, s.value});
            return;
        }
        s.confirmed = true;
    }
    checkReady();
}

void Rfc2217Client::refuse(const QString& why, const ServerRefusal& refused) {
    if (state_ != State::Negotiating)
        return;
    state_ = State::Refused;
    refusal_ = why;
    refused_ = refused;
}

void Rfc2217Client::checkReady() {
    if (state_ != State::Negotiating || !us_[kBinary] || !him_[kBinary] || !us_[kComPort])
        return;
    for (const Setting& s : settings_)
        if (!s.confirmed)
            return;
    state_ = State::Ready;
}

} // namespace stepdrive
