// The simulated meter's conformance table: command lines in; each line's
// replies and the client's error queue out. R3 and R5 stand for a reading of
// channel 3 (code 1000) and channel 5 (code 4000). (The status commands and the
// parser's errors are the engine's, as the board's instrument answers them:
// InterpreterTest; *IDN? is in every characterisation's CSV; MEASure? as the
// stock drivers send it: pymeasure_test.py.)
#include "BoardBench.h"
#include "support/ScpiLines.h"
#include "virtualboard/SimulatedMeterHandler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace qv4130::scpi {
namespace {

struct Case {
    std::string_view lines; // '\n' between lines
    const char* replies;    // each line's replies, ';' between, '|' between lines
    const char* errors;     // the error queue's numbers afterwards, oldest first
};

std::string Readings(std::string text, const AnalogModel& model) {
    for (const auto& [name, channel, code] : {std::tuple{"R3", 3, 1000}, {"R5", 5, 4000}}) {
        char volts[32];
        std::snprintf(volts, sizeof volts, "%+.9E", model.Volts(channel, code));
        for (auto at = text.find(name); at != std::string::npos; at = text.find(name)) {
            text.replace(at, 2, volts);
        }
    }
    return text;
}

TEST(Meter, CommandLinesDoWhatABenchMeterDoes) {
    const Case cases[] = {
        // ==== The input switch: wiring, which *RST leaves ====
        {"ROUT:CLOS (@3);ROUT:CLOS?;ROUT:CLOS? (@2:3,5)\n*RST;ROUT:CLOS?;READ?",
         "(@3);0,1,0|(@3);R3", ""},
        {"ROUT:CLOS (@16)\nROUT:CLOS (@1,2)\nROUT:CLOS\nROUT:CLOS 3\nROUT:CLOS (@", "",
         "-222,-221,-109,-104,-102"},
        // ==== CONFigure, MEASure and the settings read back ====
        {"CONF:VOLT:DC 1;CONF?;VOLT:DC:RANG?;RANG:AUTO?",
         "\"VOLT +1.000000E+00,+1.000000E-06\";+1.000000E+00;0", ""},
        {"ROUT:CLOS (@5);CONF;CONF?;:VOLT:RANG:AUTO?;:VOLT:NPLC?",
         "\"VOLT +1.000000E+01,+1.000000E-05\";1;+1.000000E+01", ""},
        {"CONF 10,3E-5;VOLT:NPLC?;:CONF 1,MIN;VOLT:NPLC?;:CONF DEF,MAX;VOLT:NPLC?",
         "+1.000000E+00;+1.000000E+02;+2.000000E-02", ""},
        {"CONF 1,1E-9\nCONF 2000\nCONF 1,2,3", "", "-222,-222,-108"},
        {"VOLT:DC:NPLC 0.5;NPLC?;NPLC? MIN;NPLC? MAX\nVOLT:DC:NPLC abc\nVOLT:NPLC 1000",
         "+1.000000E+00;+2.000000E-02;+1.000000E+02", "-104,-222"},
        {"SENS:VOLT:RANG 2;RANG?;RANG:AUTO?;AUTO ON;AUTO?;:VOLT:RANG? MIN",
         "+1.000000E+01;0;1;+1.000000E-01", ""},
        {"ROUT:CLOS (@5);VOLT:RES 3E-5;NPLC?;RES?;RES? MAX\nVOLT:RES 1",
         "+1.000000E+00;+3.000000E-05;+1.000000E-03", "-222"},
        // Past its range a reading is an overload.
        {"ROUT:CLOS (@5);VOLT:RANG 1;READ?;:CONF;READ?;:MEAS? 1", "+9.900000000E+37;R5;+9.900000000E+37", ""},
        {"CONF 1,MIN;TRIG:SOUR BUS;SAMP:COUN 5;*RST;CONF?;TRIG:SOUR?;SAMP:COUN?;VOLT:NPLC?",
         "\"VOLT +1.000000E-01,+1.000000E-07\";IMM;1;+1.000000E+01", ""},
        // ==== The trigger model ====
        {"ROUT:CLOS (@3);SAMP:COUN 2;SAMP:COUN?;TRIG:SOUR BUS;TRIG:SOUR?;INIT\nFETC?\n*TRG;FETC?\n"
         "READ?\n*TRG\nINIT;INIT\nSAMP:COUN 513",
         "2;BUS|R3,R3", "-230,-214,-211,-213,-222"},
        {"FETC?\nROUT:CLOS (@3);INIT;ROUT:CLOS (@5);FETC?;READ?", "R3;R5", "-230"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        test::BoardBench bench;
        bench.Send(0, 3, 1000);
        bench.Send(0, 5, 4000);
        AnalogModel model;
        SimulatedMeterHandler meter(bench.chip(), model);
        Session session = meter.NewSession();
        const auto execute = [&](std::string_view line, std::vector<std::string>& replies) {
            std::optional<Error> error;
            for (std::size_t at = 0; meter.ExecuteNextCommand(line, at, session, replies, error);) {
            }
        };
        EXPECT_EQ(test::RunLines(c.lines, execute), Readings(c.replies, model));
        EXPECT_EQ(test::DrainErrors(session.errors), c.errors);
    }
}

} // namespace
} // namespace qv4130::scpi
