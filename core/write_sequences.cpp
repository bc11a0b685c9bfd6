#include "core/write_sequences.h"

#include "core/commands.h"

#include <algorithm>

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

WriteSequence
motorWrite(const std::array<std::optional<std::int32_t>, kMotorParameterCount>& values) {
    WriteSequence s{Format::Short, {}};
    for (int i = 0; i < kMotorParameterCount; ++i)
        if (const auto& v = values[static_cast<std::size_t>(i)])
            appendValue(s, kMotorWritePacing, cmd::WriteParameter, kMotorParameters[i], *v);
    return s;
}

WriteSequence tableDownload(const std::array<TableEntry, kTableEntries>& table) {
    WriteSequence s{Format::Long, {}};
    for (int n = 1; n <= kTableEntries; ++n)
        appendEntry(s, n, table[static_cast<std::size_t>(n - 1)]);
    return s;
}

WriteSequence tableEntryDownload(int number, const TableEntry& entry) {
    WriteSequence s{Format::Long, {}};
    appendEntry(s, number, entry);
    return s;
}

WriteSequence beltWrite(const std::optional<std::array<std::int32_t, kBeltParameterCount>>& values,
                        std::optional<bool> in2Used) {
    std::array<std::optional<std::int32_t>, kBeltParameterCount> each;
    if (values)
        std::copy(values->begin(), values->end(), each.begin());
    return beltWrite(each, in2Used);
}

WriteSequence beltWrite(const std::array<std::optional<std::int32_t>, kBeltParameterCount>& values,
                        std::optional<bool> in2Used) {
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

} // namespace stepdrive
