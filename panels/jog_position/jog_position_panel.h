#pragma once
// The position table panel `JP_form`: seven rows of position, velocity and
// acceleration, downloaded, read back and run over 13-byte frames.

#include "core/profile.h"
#include "panels/driver_panel.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

class QLineEdit;
class QPushButton;

namespace Ui {
class JogPositionPanelForm;
}

namespace stepdrive {

class CommControl;
class Messenger;
class Pause;

class JogPositionPanel : public DriverPanel {
    Q_OBJECT
public:
    static constexpr int kRows = kTableEntries;

    JogPositionPanel(CommControl& msc1, Pause& pause, Messenger& messages,
                     QWidget* parent = nullptr);
    ~JogPositionPanel() override;

    CommControl& MSC1() const { return port_; }
    // The table entry (1-7) whose read reply is awaited; 0 for none.
    std::uint8_t read_step() const { return readStep(); }

    // The table as its boxes hold it; nullopt, after one message naming the
    // row and the column, when a box is not a number or holds a value its
    // field does not carry (carried()).
    std::optional<std::array<TableEntry, kRows>> readTable();
    // Fills the table's boxes, white: shown, not sent.
    void showTable(const TableValues& table);

private:
    void Form_Load();

    void CMD_DOWN_Click();
    void CMD_READ_Click();
    void cmd_move1_Click(int Index);

    struct Field {
        QLineEdit* box;
        QString name;
        const TableField& rule;
    };
    std::array<Field, 3> fieldsOf(int row) const;
    // The three boxes of row `row` (0-6), read as readTable reads them.
    std::optional<TableEntry> readRow(int row);

    void handleReply(const Reply& reply) override;
    bool askInChain(bool first, const std::vector<std::uint8_t>& args) override;
    bool checksTrailer() const override { return reading(); }

    std::unique_ptr<Ui::JogPositionPanelForm> ui_;
    std::array<QLineEdit*, kRows> Text_pos_{};
    std::array<QLineEdit*, kRows> text_vel_{};
    std::array<QLineEdit*, kRows> text_acc_{};
    std::array<QPushButton*, kRows> cmd_move1_{};
    // DATA READ: entries 1 to 7, a row each.
    ReadBackChain* read_ = nullptr;
};

} // namespace stepdrive
