#include "PanelText.h"

#include "qv4130/BoardVocabulary.h"

namespace qv4130 {

namespace {
QString Hex(std::uint64_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

int Level(std::uint8_t levels, std::uint8_t line) {
    return LineHigh(levels, line) ? 1 : 0;
}

QString ModeName(int mode) {
    switch (mode) {
    case word_mode::Write:
        return QStringLiteral("write");
    case word_mode::Increment:
        return QStringLiteral("increment");
    case word_mode::Decrement:
        return QStringLiteral("decrement");
    default:
        return QStringLiteral("not a command, ignored");
    }
}

// Mode 0 carries a code, modes 1 and 2 a step in LSBs.
QString DataName(int mode) {
    switch (mode) {
    case word_mode::Write:
        return QStringLiteral("code");
    case word_mode::Increment:
    case word_mode::Decrement:
        return QStringLiteral("step");
    default:
        return QStringLiteral("data");
    }
}
} // namespace

QString ByteHex(std::uint8_t value) {
    return QStringLiteral("0x") + Hex(value, 2);
}

QString AddressText(std::int32_t address) {
    if (address < 0) {
        return QString::number(address);
    }
    return QStringLiteral("%1 (0x%2)")
        .arg(address)
        .arg(Hex(static_cast<std::uint64_t>(address), 3));
}

QString CodeHex(int code) {
    return Hex(static_cast<std::uint64_t>(code), 3);
}

QString DescribeWord(const std::optional<ReceivedWord>& word) {
    if (!word) {
        return QStringLiteral("No word received yet");
    }
    QString text;
    if (word->outcome == WordOutcome::Malformed) {
        text = QStringLiteral("Malformed: %1 %2 instead of %3, ignored")
                   .arg(word->bitCount)
                   .arg(word->bitCount == 1 ? QStringLiteral("bit") : QStringLiteral("bits"))
                   .arg(SerialWordBits);
    } else {
        text = QStringLiteral("Word 0x%1: mode %2 (%3), channel %4, %5 0x%6 (%7)")
                   .arg(Hex(word->bits & ((std::uint64_t{1} << SerialWordBits) - 1), 5))
                   .arg(word->Mode())
                   .arg(ModeName(word->Mode()))
                   .arg(word->Channel())
                   .arg(DataName(word->Mode()))
                   .arg(CodeHex(word->Data()))
                   .arg(word->Data());
    }
    if (word->levelsTruncated) {
        text += QStringLiteral(" (the trace shows its start only)");
    }
    return text;
}

QString DescribeLines(std::uint8_t dataRegister) {
    return QStringLiteral("%1: RESET %2  PD %3  SYNC %4  SCLK %5  DIN %6")
        .arg(ByteHex(dataRegister))
        .arg(Level(dataRegister, line::Reset))
        .arg(Level(dataRegister, line::PowerDown))
        .arg(Level(dataRegister, line::Sync))
        .arg(Level(dataRegister, line::Sclk))
        .arg(Level(dataRegister, line::Din));
}

} // namespace qv4130
