#pragma once
// Bytes read off a line and not yet taken by Input. Input takes one byte at
// a time, so the bytes taken are dropped from the front only now and then,
// not on every read.

#include <QByteArray>

namespace stepdrive {

class ReceiveBuffer {
public:
    void append(const QByteArray& block) { received_ += block; }
    int waiting() const { return static_cast<int>(received_.size() - taken_); }
    // The oldest `max` bytes waiting, or fewer.
    QByteArray take(int max) {
        const QByteArray taken = received_.mid(taken_, max);
        taken_ += taken.size();
        if (taken_ == received_.size()) {
            clear();
        } else if (taken_ > 4096 && taken_ > received_.size() / 2) {
            received_.remove(0, taken_);
            taken_ = 0;
        }
        return taken;
    }
    void clear() {
        received_.clear();
        taken_ = 0;
    }

private:
    QByteArray received_;
    qsizetype taken_ = 0;
};

} // namespace stepdrive
