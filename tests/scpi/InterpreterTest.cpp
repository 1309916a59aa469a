// The SCPI interpreter as a pure function over a recording port library: command
// lines in, replies, queued errors and the exact port calls out.
#include "scpi/Interpreter.h"
#include "support/RecordingPortLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv4130::scpi {
namespace {

using test::In;
using test::Out;
using test::PortCall;
using test::RecordingPortLibrary;
using test::WordWrites;
using Calls = std::vector<PortCall>;
using Lines = std::vector<std::string>;

// Before its first word on a port, the instrument makes the data lines outputs
// (bit 5 of the control register cleared, the rest kept) and puts the lines in
// the idle state a word starts from.
Calls Prepared(std::int32_t base) {
    return {In(base + 2), Out(base + 2, 0xDF), Out(base, 0x16)};
}
Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}
Calls Sweep(std::int32_t base) {
    Calls words;
    for (int channel = 0; channel < 16; ++channel) {
        const Calls word = WordWrites(base, channel << 12 | 0xC00);
        words.insert(words.end(), word.begin(), word.end());
    }
    return words;
}

struct Bench {
    Bench() {
        for (const int control : {890, 634, 958}) {
            port.registers[control] = 0xFF;
        }
        state.PortAddress = 888;
        state.DevicePowered = 1;
    }
    // Every line in turn; then the error queue, drained.
    std::pair<Lines, Lines> Run(const Lines& lines) {
        Lines replies;
        for (const std::string& line : lines) {
            interpreter.ExecuteLine(line, replies);
        }
        Lines errors;
        for (int i = 0; i < 100; ++i) {
            Lines reply;
            interpreter.ExecuteLine("SYST:ERR:NEXT?", reply);
            if (reply.at(0) == "0,\"No error\"") {
                break;
            }
            errors.push_back(reply[0]);
        }
        return {replies, errors};
    }
    RecordingPortLibrary port;
    SharedState state;
    Instrument instrument{port, state, {{}, [] {}}};
    Interpreter interpreter{instrument};
};

const std::string SettingsConflict = "-221,\"Settings conflict\"";

struct Case {
    const char* name;
    Lines lines;
    Lines replies;
    Lines errors;
    Calls calls;
};

TEST(Interpreter, CarriesOutCommandLines) {
    const Case cases[] = {
        {"a code in every form of header and number",
         {"SOUR:CHAN5:CODE 2560", "source:channel5:code #HA00", ":Sour:Chan05:Code #b101000000000",
          "SOUR:CHAN5:CODE #Q5000", "SOUR:CHAN5:CODE 2.56E3"},
         {},
         {},
         Join({Prepared(888), WordWrites(888, 0x05A00), WordWrites(888, 0x05A00),
               WordWrites(888, 0x05A00), WordWrites(888, 0x05A00), WordWrites(888, 0x05A00)})},
        {"the queries of a line reply in order",
         {"SOUR:CHAN15:CODE 4095;SOUR:CHAN15:CODE?;SOUR:CHAN14:CODE?;OUTP?;OUTP:STAT?;"
          "SYST:PORT?;*OPC?"},
         {"4095", "-1", "1", "1", "LPT1", "1"},
         {},
         Join({Prepared(888), WordWrites(888, 0x0FFFF)})},
        {"steps up, down and of 0; a code stays unknown after steps alone",
         {"SOUR:CHAN3:STEP 5", "SOUR:CHAN3:STEP -127", "SOUR:CHAN3:STEP +0", "SOUR:CHAN3:CODE?"},
         {"-1"},
         {},
         Join({Prepared(888), WordWrites(888, 0x13005), WordWrites(888, 0x2307F),
               WordWrites(888, 0x13000)})},
        {"a known code follows steps to either end, and the reset pulse",
         {"SOUR:CHAN2:CODE 4090;SOUR:CHAN2:STEP 10;SOUR:CHAN2:CODE?",
          "SOUR:CHAN2:CODE 100;SOUR:CHAN2:STEP -127;SOUR:CHAN2:CODE?",
          "SOUR:CHAN2:CODE 7;*RST;SOUR:CHAN2:CODE?"},
         {"4095", "0", "0"},
         {},
         Join({Prepared(888),
               WordWrites(888, 0x02FFA),
               WordWrites(888, 0x1200A),
               WordWrites(888, 0x02064),
               WordWrites(888, 0x2207F),
               WordWrites(888, 0x02007),
               {In(888), Out(888, 0x06), Out(888, 0x16)}})},
        {"powered down, codes and steps are refused and nothing is sent",
         {"OUTP OFF;OUTP?", "SOUR:CHAN1:CODE 5", "SOUR:CHAN1:STEP 1",
          "OUTPUT:STATE 1;SOUR:CHAN1:CODE 5"},
         {"0"},
         {SettingsConflict, SettingsConflict},
         Join({{In(890), Out(890, 0xDF), Out(888, 0x1C), Out(888, 0x14)},
               WordWrites(888, 0x01005)})},
        {"the test sweep",
         {"DIAG:SWE", "SOUR:CHAN9:CODE?"},
         {"3072"},
         {},
         Join({Prepared(888), Sweep(888)})},
        {"another port is set up before its first word, and its codes are unknown",
         {"SOUR:CHAN0:CODE 9", "SYST:PORT lpt2;SYST:PORT?;SOUR:CHAN0:CODE?", "SOUR:CHAN0:CODE 1",
          "SYST:PORT LPT3", "SYST:PORT 1"},
         {"LPT2", "-1"},
         {"-222,\"Data out of range\"", "-104,\"Data type error\""},
         Join({Prepared(888), WordWrites(888, 0x00009), Prepared(632), WordWrites(632, 0x00001)})},
        {"an error ends its line",
         {"SOUR:CHAN1:CODE 1;BOGUS;SOUR:CHAN2:CODE 2;*OPC?"},
         {},
         {"-113,\"Undefined header\""},
         Join({Prepared(888), WordWrites(888, 0x01001)})},
        {"empty lines and commands", {"", "  \t", ";;", " ; *OPC?; "}, {"1"}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench;
        const auto [replies, errors] = bench.Run(c.lines);
        EXPECT_EQ(replies, c.replies);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(bench.port.calls, c.calls);
    }
}

TEST(Interpreter, RefusedCommandsSendNothing) {
    const std::pair<std::string, std::string> cases[] = {
        {"SOUR:CHAN16:CODE 1", "-114,\"Header suffix out of range\""},
        {"SOUR:CHAN:CODE 1", "-114,\"Header suffix out of range\""},
        {"SOUR2:CHAN1:CODE 1", "-114,\"Header suffix out of range\""},
        {"SOUR:CHAN1:CODE 4096", "-222,\"Data out of range\""},
        {"SOUR:CHAN1:CODE -1", "-222,\"Data out of range\""},
        {"SOUR:CHAN1:CODE 1.5", "-222,\"Data out of range\""},
        {"SOUR:CHAN1:CODE 1e99999", "-222,\"Data out of range\""},
        {"SOUR:CHAN1:CODE 99999999999999999999999", "-222,\"Data out of range\""},
        {"SOUR:CHAN1:STEP 128", "-222,\"Data out of range\""},
        {"SOUR:CHAN1:STEP -128", "-222,\"Data out of range\""},
        {"OUTP 2", "-222,\"Data out of range\""},
        {"OUTP MAYBE", "-222,\"Data out of range\""},
        {"SOUR:CHAN1:CODE ON", "-104,\"Data type error\""},
        {"SOUR:CHAN1:CODE \"1\"", "-104,\"Data type error\""},
        {"SYST:PORT 'LPT1'", "-104,\"Data type error\""},
        {"SOUR:CHAN1:CODE", "-100,\"Command error\""},
        {"SOUR:CHAN1:CODE 1,2", "-100,\"Command error\""},
        {"SOUR:CHAN1:CODE? 1", "-100,\"Command error\""},
        {"*RST 1", "-100,\"Command error\""},
        {"SOUR:CHAN1:STEP?", "-113,\"Undefined header\""},
        {"SOUR:CHAN1:CODX 1", "-113,\"Undefined header\""},
        {"SOURC:CHAN1:CODE 1", "-113,\"Undefined header\""},
        {"SOUR:CHAN1:CODE:CODE 1", "-113,\"Undefined header\""},
        {"*IDN", "-113,\"Undefined header\""},
        {"SYST:ERR", "-113,\"Undefined header\""},
        {"SOUR:CHAN1:CODE 1 2", "-102,\"Syntax error\""},
        {"SOUR:CHAN1:CODE 12abc", "-102,\"Syntax error\""},
        {"SOUR:CHAN1:CODE #HXYZ", "-102,\"Syntax error\""},
        {"SOUR:CHAN1:CODE,1", "-102,\"Syntax error\""},
        {"SOUR:CHAN1:CODE 'open", "-102,\"Syntax error\""},
        {"SOUR::CHAN1:CODE 1", "-102,\"Syntax error\""},
        {std::string("\x01\xff\x00garbage", 10), "-102,\"Syntax error\""},
        {"SOUR:CHAN1:CODE " + std::string(64 * 1024, '1'), "-223,\"Too much data\""},
    };
    for (const auto& [line, error] : cases) {
        SCOPED_TRACE(line.substr(0, 40));
        Bench bench;
        const auto [replies, errors] = bench.Run({line});
        EXPECT_EQ(errors, Lines{error});
        EXPECT_TRUE(bench.port.calls.empty());
    }
}

TEST(Interpreter, ErrorQueueKeepsTheOldestAndSaysWhenItOverflowed) {
    Bench bench;
    Lines expected(15, "-113,\"Undefined header\"");
    expected.push_back("-350,\"Queue overflow\"");
    EXPECT_EQ(bench.Run(Lines(20, "NOPE")).second, expected);
    EXPECT_EQ(bench.Run({"NOPE", "*CLS"}).second, Lines{});
}

TEST(Interpreter, TellsItsObserverWhatEachCommandDid) {
    Bench bench;
    std::vector<std::pair<Command, bool>> seen;
    bench.interpreter.SetObserver([&](const CommandOutcome& outcome) {
        seen.emplace_back(outcome.command, outcome.error.has_value());
    });
    Lines replies;
    bench.interpreter.ExecuteLine("OUTP?;SOUR:CHAN1:CODE 1;SOUR:CHAN1:STEP 300;*OPC?", replies);
    EXPECT_EQ(seen, (std::vector<std::pair<Command, bool>>{
                        {Command::Output, false}, {Command::Code, false}, {Command::Step, true}}));
}

} // namespace
} // namespace qv4130::scpi
