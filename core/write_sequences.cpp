#include "core/write_sequences.h"

#include "core/commands.h"

namespace stepdrive {

namespace {

// Appends a frame with the pacing's pauses: the pause before only for the
// sequence's first frame.
void append(WriteSequence& s, const SequencePacing& pacing, std::vector<std::uint8_t> args) {
    const int before = s.frames.empty() ? pacing.beforeFirstMs : 0;
    s.frames.push_back({before, std::move(args), pacing.afterEachMs});
}

void appendValue(WriteSequence& s, const SequencePacing& pacing, std::uint8_t cmd,
                 const ValueRule& rule, std::int32_t value) {
    const auto d = dataBytes(rule, value);
    append(s, pacing, {cmd, rule.opt1, d[0], d[1], d[2], d[3]});
}

void appendEntry(WriteSequence& s, int number, const TableEntry& entry) {
    const auto d = tableData(entry);
    append(s, kTableDownloadPacing,
           {tableCmd::Download, static_cast<std::uint8_t>(number), d[0], d[1], d[2], d[3], d[4],
            d[5], d[6]});
}

} // namespace

WriteSequence motorWrite(const MotorValues& values) {
    WriteSequence s{Format::Short, {}};
    for (int i = 0; i < kMotorParameterCount; ++i)
        if (const auto& v = values[static_cast<std::size_t>(i)])
            appendValue(s, kMotorWritePacing, cmd::WriteParameter, kMotorParameters[i], *v);
    return s;
}

WriteSequence tableDownload(const TableValues& table) {
    WriteSequence s{Format::Long, {}};
    for (int n = 1; n <= kTableEntries; ++n)
        if (const auto& entry = table[static_cast<std::size_t>(n - 1)])
            appendEntry(s, n, *entry);
    return s;
}

WriteSequence beltWrite(const BeltValues& values, std::optional<bool> in2Used) {
    WriteSequence s{Format::Short, {}};
    for (int i = 0; i < kBeltParameterCount; ++i)
        if (const auto& v = values[static_cast<std::size_t>(i)])
            appendValue(s, kBeltWritePacing, cmd::WriteBelt, kBeltParameters[i], *v);
    if (in2Used) {
        const auto d = in2FlagBytes(*in2Used);
        append(s, kBeltWritePacing, {cmd::WriteBelt, opt::BeltIn2Flag, d[0], d[1], d[2], d[3]});
    }
    return s;
}

namespace {
// A request for each value of `rules`, with its option code.
template <std::size_t N> ReadOrder parameterRead(std::uint8_t cmd, const ValueRule (&rules)[N]) {
    ReadOrder order{Format::Short, {}, pacing::kAfterReadBackMs};
    for (std::size_t i = 0; i < N; ++i)
        order.steps.push_back({cmd, rules[i].opt1, i});
    return order;
}
} // namespace

ReadOrder motorRead() {
    return parameterRead(cmd::ReadParameter, kMotorParameters);
}

ReadOrder tableRead() {
    ReadOrder order{Format::Long, {}, pacing::kAfterReadBackMs};
    for (std::size_t n = 1; n <= kTableEntries; ++n)
        order.steps.push_back({tableCmd::Read, static_cast<std::uint8_t>(n), n - 1});
    return order;
}

ReadOrder beltRead() {
    return parameterRead(cmd::ReadBelt, kBeltParameters);
}

ReadOrder positionRead() {
    return {Format::Short, {{cmd::ReadParameter, opt::Position, 0}}, pacing::kAfterReadBackMs};
}

ReadOrder inputsRead() {
    return {Format::Short, {{cmd::ReadInputs, opt::Inputs, 0}}, 0};
}

} // namespace stepdrive
