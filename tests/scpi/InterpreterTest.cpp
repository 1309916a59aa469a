// The SCPI instrument's conformance table: command lines in; each line's
// replies, the error queue and the exact port calls out, one table per area;
// the codes it knows of words the windows sent; and how a client's bytes are
// cut into lines before it.
#include "scpi/Interpreter.h"
#include "scpi/LineFramer.h"
#include "support/RecordingPortLibrary.h"
#include "support/ScpiLines.h"
#include "virtualboard/VirtualBoard.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace qv4130::scpi {
namespace {

using test::In;
using test::Out;
using test::WordWrites;
using Calls = std::vector<test::PortCall>;

// `words` sent on a port not used before: first the instrument makes the data
// lines outputs (bit 5 of the control register cleared, the rest kept) and puts
// the lines in the idle state a word starts from.
Calls Sent(std::initializer_list<std::int32_t> words, std::int32_t base = 888) {
    Calls calls{In(base + 2), Out(base + 2, 0xDF), Out(base, 0x16)};
    for (const std::int32_t word : words) {
        calls = test::Join({calls, WordWrites(base, word)});
    }
    return calls;
}

struct Case {
    std::string_view lines; // '\n' between lines
    const char* replies;    // each line's replies as the server sends them, '|' between lines
    const char* errors;     // the error queue's numbers afterwards, oldest first
    std::optional<Calls> calls = std::nullopt;
};

struct Bench {
    // The recording library, or the one given.
    explicit Bench(BoardOptions options = {{}, [] {}}, PortLibrary* library = nullptr)
        : instrument(library ? *library : port, state, options) {
        port.registers[890] = port.registers[634] = 0xFF;
        state.PortAddress = 888;
        state.DevicePowered = 1;
    }
    void Check(const Case& c) {
        SCOPED_TRACE(c.lines.substr(0, 60));
        EXPECT_EQ(test::RunLines(c.lines,
                                 [this](std::string_view line, std::vector<std::string>& replies) {
                                     interpreter.ExecuteLine(line, replies, session);
                                 }),
                  c.replies);
        EXPECT_EQ(test::DrainErrors(session.errors), c.errors);
        if (c.calls) {
            EXPECT_EQ(port.calls, *c.calls);
        }
    }
    test::RecordingPortLibrary port;
    SharedState state;
    Board instrument;
    Interpreter interpreter{instrument};
    Session session;
};

void CheckAll(std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        Bench().Check(c);
    }
}

TEST(Conformance, CommandLinesDoWhatTheStandardsSay) {
    CheckAll({
        // ==== The board's commands and the words they send ====
        {"SOUR:CHAN5:CODE 2560\nsource:channel5:code #HA00\n:Sour:Chan05:Code #b101000000000\n"
         "SOUR:CHAN5:CODE #Q5000;SOUR:CHAN5:CODE 2.56E3",
         "", "", Sent({0x05A00, 0x05A00, 0x05A00, 0x05A00, 0x05A00})},
        {"SOUR:CHAN15:CODE 4095;SOUR:CHAN15:CODE?;SOUR:CHAN14:CODE?;OUTP?;OUTP:STAT?;SYST:PORT?",
         "4095;-1;1;1;LPT1", "", Sent({0x0FFFF})},
        {"SOUR:CHAN2:CODE 4090;STEP 10;CODE?\nSOUR:CHAN2:CODE 100;STEP -127;CODE?\n"
         "SOUR:CHAN2:CODE 7;*RST;SOUR:CHAN2:CODE?",
         "4095|0|0", "",
         test::Join({Sent({0x02FFA, 0x1200A, 0x02064, 0x2207F, 0x02007}),
                     {In(888), Out(888, 0x06), Out(888, 0x16)}})},
        {"OUTP OFF;OUTP?\nSOUR:CHAN1:CODE 5\nSOUR:CHAN1:STEP 1\nOUTPUT:STATE 1;SOUR:CHAN1:CODE 5",
         "0", "-221,-221",
         test::Join({{In(890), Out(890, 0xDF), Out(888, 0x1C), Out(888, 0x14)},
                     WordWrites(888, 0x01005)})},
        {"SOUR:CHAN0:CODE 9\nSYST:PORT lpt2;SYST:PORT?;SOUR:CHAN0:CODE?\nSOUR:CHAN0:CODE 1\n"
         "SYST:PORT LPT3\nSYST:PORT 1\nSYST:PORT LPT1;SOUR:CHAN0:CODE?",
         "LPT2;-1|9", "-222,-104", test::Join({Sent({0x00009}), Sent({0x00001}, 632)})},
        {"SOUR:CHAN1:CODE 1;BOGUS;SOUR:CHAN2:CODE 2;*OPC?", "", "-113", Sent({0x01001})},
        {"\n  \t\n;;\n ; *OPC?; ", "1", ""},
        // ==== MIN, MAX and DEFault stand for a number's limits ====
        {"SOUR:CHAN1:CODE MAX;CODE?;CODE MINimum;CODE?;CODE? MAX;CODE? min;CODE? DEF",
         "4095;0;4095;0;0", "", Sent({0x01FFF, 0x01000})},
        // Steps alone leave a code unknown.
        {"SOUR:CHAN1:STEP MIN;STEP DEFAULT;STEP MAX;STEP +0;CODE?", "-1", "",
         Sent({0x2107F, 0x11001, 0x1107F, 0x11000})},
        {"*ESE MAX;*ESE?;*SRE DEF;*SRE?;STAT:OPER:ENAB MAX;ENAB?;ENAB? MIN", "255;0;32767;0", ""},
        // ==== A decimal value for a whole number is rounded, then range-checked ====
        {"SOUR:CHAN5:CODE 1000.4;CODE?;CODE 1000.5;CODE?;CODE 4094.5;CODE?;CODE -0.4;CODE?;"
         "CODE 10;STEP -1.5;STEP 0.4;CODE?",
         "1000;1001;4095;0;8", "",
         Sent({0x053E8, 0x053E9, 0x05FFF, 0x05000, 0x0500A, 0x25002, 0x15000})},
        {"*ESE 10.123;*ESE?;*SRE 31.5;*SRE?;STAT:QUES:ENAB 7.5E0;ENAB?", "10;32;8", ""},
        // ==== IEEE 488.2 common commands and the status model ====
        // Each error class sets its own bit: CME 32, EXE 16, DDE 8 (a full queue).
        {"*ESR?\nBOGUS\n*ESR?;*ESR?\nSOUR:CHAN1:CODE 5000\n*ESR?", "0|32;0|16", "-113,-222"},
        {"NOPE\nNOPE\nNOPE\nNOPE\nNOPE\nNOPE\nNOPE\nNOPE\nNOPE\n"
         "NOPE\nNOPE\nNOPE\nNOPE\nNOPE\nNOPE\nNOPE\nNOPE\n*ESR?",
         "40", "-113,-113,-113,-113,-113,-113,-113,-113,-113,-113,-113,-113,-113,-113,-113,-350"},
        // EAV with an error queued; MAV while this line's replies wait; ESB through *ESE.
        {"*STB?\nBOGUS\n*STB?;*STB?\n*ESE 32;*STB?;*ESE?", "0|4;20|36;32", "-113"},
        // MSS when an enabled bit is set; *SRE keeps bit 6 out.
        {"BOGUS\n*SRE 255;*SRE?;*STB?\n*CLS;*STB?;*ESR?", "191;84|0;0", ""},
        {"*OPC;*ESR?;*ESR?;*OPC?;*WAI", "1;0;1", ""},
        // On hardware: the port's control register, read back after it was set.
        {"*TST?", "0", "", Calls{In(890), Out(890, 0xDF), In(890)}},
        // ==== SCPI-99's SYSTem and STATus ====
        {"SYST:VERS?;:SYSTEM:ERROR:COUNT?\nNOPE\nNOPE\nSYST:ERR:COUN?;NEXT?;COUN?",
         "1999.0;0|2;-113,\"Undefined header\";1", "-113"},
        {"DIAG:SWE;STAT:OPER:COND?;STAT:OPER?;STAT:OPER:EVEN?;:SOUR:CHAN9:CODE?", "0;8;0;3072", ""},
        {"STAT:OPER:ENAB 8;*STB?\nDIAG:SWE\n*STB?\nSTAT:OPER?\n*STB?", "0|128|8|0", ""},
        {"OUTP 0;STAT:QUES:COND?\nSTAT:QUES:ENAB 1;*STB?\nSTAT:QUES?;STAT:QUES?\n"
         "OUTP 1;STAT:QUES:COND?",
         "1|8|1;0|0", ""},
        {"STAT:OPER:ENAB 9;STAT:QUES:ENAB 1;STAT:PRES;STAT:OPER:ENAB?;STAT:QUES:ENAB?", "0;0", ""},
        {"OUTP 0;*CLS;STAT:QUES?", "0", ""},
        // ==== Compound headers read on from the path ====
        // From the last header's parent, and from the root when that names nothing.
        {"SOUR:CHAN1:CODE 5;CODE?;SOUR:CHAN1:CODE?", "5;5", ""},
        // A leading colon goes to the root; a common command keeps the path.
        {"SOUR:CHAN1:CODE 5;:CODE?", "", "-113"},
        {"SOUR:CHAN1:CODE 5;*OPC?;CODE?", "1;5", ""},
        {"SYST:PORT?;ERR?;ERR:COUN?", "LPT1;0,\"No error\";0", ""},
        // A new line starts at the root.
        {"SOUR:CHAN1:CODE 5\nCODE?", "", "-113"},
        {"STAT:OPER:ENAB 8;ENAB?;:STAT:QUES:ENAB 1;ENAB?", "8;1", ""},
        // ==== Volts, reckoned with the reference ====
        {"SOUR:VREF?;VREF? MIN;VREF? MAX;:SOUR:CHAN1:VOLT?\nSOUR:VREF 5.1\nSOUR:CHAN1:VOLT 2.5",
         "2.5;0.5;5;9.91E+37", "-222,-222"},
        {"SOUR:VREF 4.096;CHAN1:VOLT 1;CODE?;VOLT?;VOLT 0.0026;CODE?;VOLT 0.0024;CODE?;VOLT MAX;"
         "CODE?\nSOUR:VREF DEF;VREF?;CHAN1:VOLT?",
         "1000;1;3;2;4095|2.5;2.49938965", ""},
    });
}

TEST(Conformance, RefusedCommandsSendNothing) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"-114", {"SOUR:CHAN16:CODE 1", "SOUR:CHAN:CODE 1", "SOUR2:CHAN1:CODE 1"}},
        {"-222",
         {"SOUR:CHAN1:CODE 4096", "SOUR:CHAN1:CODE -1", "SOUR:CHAN1:CODE 4095.5",
          "SOUR:CHAN1:CODE 1e99999", "SOUR:CHAN1:CODE 99999999999999999999999",
          "SOUR:CHAN1:STEP 128", "OUTP 2", "OUTP MAYBE"}},
        {"-104", {"SOUR:CHAN1:CODE ON", "SOUR:CHAN1:CODE \"1\"", "SYST:PORT 'LPT1'"}},
        {"-109", {"SOUR:CHAN1:CODE", "OUTP"}},
        {"-108", {"SOUR:CHAN1:CODE 1,2", "SOUR:CHAN1:CODE? 1", "OUTP? MAX", "*RST 1"}},
        {"-113",
         {"SOUR:CHAN1:STEP?", "SOUR:CHAN1:CODX 1", "SOURC:CHAN1:CODE 1", "SOURXY:CHAN1:CODE 1",
          "SOUR:CHAN1:CODE:CODE 1", "A:B:C:D:E:F:G", "*IDN", "SYST:ERR"}},
        {"-102",
         {"SOUR:CHAN1:CODE 1 2", "SOUR:CHAN1:CODE 12abc", "SOUR:CHAN1:CODE #HXYZ",
          "SOUR:CHAN1:CODE,1", "SOUR:CHAN1:CODE 'open", "SOUR::CHAN1:CODE 1",
          std::string("\x01\xff\x00garbage", 10)}},
        {"-223", {"SOUR:CHAN1:CODE " + std::string(64 * 1024, '1')}},
    };
    for (const auto& [error, lines] : cases) {
        for (const std::string& line : lines) {
            Bench().Check({line, "", error, Calls{}});
        }
    }
}

TEST(Conformance, SelfTestReadsTheChipBack) {
    VirtualBoard board;
    Bench bench({[&](int channel) { return board.Chip().Code(channel); }, {}}, &board);
    bench.Check({"SOUR:CHAN0:CODE 1234;*TST?;SOUR:CHAN0:CODE?;OUTP 0;*TST?", "0;1234;4", ""});
    Bench liar({[](int) { return 0; }, {}}); // a chip that answers 0 to everything
    liar.Check({"*TST?", "2", ""});
    liar.state.PortAddress = 0; // no port found
    liar.Check({"*TST?", "3", ""});
}

// A board that cannot be read back: the codes a SCPI client asks for
// (SOURce:CHANnel:CODE?) follow the words the windows send as well as its own,
// since every client acts through the one board object; and a client's word
// leaves what an open mode window sends next as it was.
TEST(Board, EveryClientsWordsAreKnownToEveryOther) {
    Bench bench;
    SharedState& state = bench.state;
    bench.instrument.SetPower(true);
    bench.instrument.RunTestSweep([] {});
    state.SelectedChannel = 5; // Mode 1's write of A00, then Mode 2's step of 100 up
    state.DataValue = 0xA00;
    bench.instrument.SendChannelCommand();
    state.FrameMode = 1;
    state.DataValue = 100;
    bench.instrument.SendChannelCommand();
    bench.Check({"SOUR:CHAN3:CODE?;SOUR:CHAN5:CODE?;SOUR:CHAN6:CODE 7", "3072;2660", ""});
    EXPECT_EQ(std::tuple(state.FrameMode, state.SelectedChannel, state.DataValue),
              std::tuple(1, 5, 100));
}

using Events = std::vector<std::string>;

TEST(LineFramer, CutsLinesAndDropsTheOverlongOnesWhole) {
    const std::tuple<const char*, std::vector<std::string>, Events, std::size_t> cases[] = {
        {"lines across reads, CR LF or LF", {"A\r\nB", "C\n\n", "D"}, {"A", "BC", ""}, 1},
        {"the limit itself fits, a CR besides", {"1234\r\n", "1234\n"}, {"1234", "1234"}, 0},
        {"over the limit across reads, once",
         {"123", "45", "6789", "0\nok\n"},
         {"<overlong>", "ok"},
         0},
        {"an unfinished line is not held past the limit", {"123", "456"}, {"<overlong>"}, 0},
        {"a CR that is not the last byte counts", {"123\r4\n"}, {"<overlong>"}, 0},
        {"a half line is kept, not run", {"ok\nSOUR"}, {"ok"}, 4},
    };
    for (const auto& [name, chunks, lines, pending] : cases) {
        SCOPED_TRACE(name);
        // The lines a framer that keeps at most 4 bytes makes of the chunks, an
        // overlong line shown as "<overlong>", and what it still holds at the end.
        LineFramer framer(4);
        Events events;
        for (const std::string& chunk : chunks) {
            framer.Feed(
                chunk, [&](std::string_view line) { events.emplace_back(line); },
                [&] { events.emplace_back("<overlong>"); });
        }
        EXPECT_EQ(std::pair(events, framer.Pending()), std::pair(lines, pending));
    }
}

} // namespace
} // namespace qv4130::scpi
