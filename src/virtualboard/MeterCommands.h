#pragma once

#include "scpi/CommandTable.h"
#include "virtualboard/SimulatedDmm.h"

#include <span>
#include <string>

namespace qv4130::scpi {

// The simulated meter's SCPI commands, on the engine the board's run on: IEEE
// 488.2's common commands and status, CONFigure and MEASure, the DC volts
// settings of SENSe, a minimal trigger model (TRIGger:SOURce, SAMPle:COUNt,
// INITiate, FETCh?, READ?, *TRG), ROUTe:CLOSe and SYSTem:ERRor, each client
// with its own session, as a bench DMM's are.
template <> const CommandSet<SimulatedDmm>& CommandsOf<SimulatedDmm>();

// The meter's commands as the documentation lists them: a Markdown table.
std::string MeterCommandListMarkdown();

} // namespace qv4130::scpi
