#pragma once

#include "virtualboard/ReceivedWord.h"

#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

namespace qv4130 {

// SYNC, SCLK and DIN of one frame drawn as a logic analyser draws them: one time
// slot per port write, each line a trace between its low and high level, and a
// dotted mark at every clock edge where the chip took a bit, with the bit under it.
class TimingDiagram final : public QWidget {
    Q_OBJECT

public:
    explicit TimingDiagram(QWidget* parent = nullptr);

    // Draws the frame's line levels; nothing shows that no word came yet.
    void SetWord(const std::optional<ReceivedWord>& word);
    // Data-register bytes drawn, one per port write: what a test compares with
    // the word the chip received.
    const std::vector<std::uint8_t>& Samples() const { return samples_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<std::uint8_t> samples_;
    std::vector<std::uint16_t> bitSamples_;
};

} // namespace qv4130
