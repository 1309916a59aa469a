#pragma once

#include "MainWindowAccess.h"
#include "board/PortLibrary.h"
#include "board/SharedState.h"
#include "host/MessageSink.h"
#include "host/OsVersion.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qv4130 {

// Everything start-up works with, handed in by the program so that tests can put
// recorders in every place.
struct StartupContext {
    PortLibrary& library;
    SharedState& state;
    MessageSink& messages;
    OsVersionSource& osVersion;
    MainWindowAccess& mainWindow;
    // The command line after the program's path, searched for "/SS".
    std::string argumentText;
    // The operating system's name; set once by InitPort.
    std::string OsName;
};

// Texts of the start-up boxes.
inline constexpr const char* ClaimFailedText = "claim parallel port failed";
// Below the library's reason: the claim is made once, at start.
inline constexpr const char* ClaimRestartText =
    "Once the cause is removed, restart the program: the port is claimed only when it starts.";
// Below the first of the windowed program's boxes that finds no usable port:
// the ways to go on without one, said once.
#if defined(_WIN32)
inline constexpr const char* NoHardwareWayOutText =
    "To try the program without a board, start it on the virtual board: qv4130 --virtual-board";
#else
inline constexpr const char* NoHardwareWayOutText =
    "No printer port here? Connect an FTDI USB adapter in bit-bang mode (see man qv4130), "
    "or start on the virtual board: qv4130 --virtual-board, or the desktop menu's second "
    "action, \"QV4130 on the Virtual Board\".";
#endif
inline constexpr const char* NoPrinterPortText = "This PC does not appear to have a Printer Port";
inline constexpr const char* NoPrinterPortTitle = "GetPortAddress Error";
inline constexpr const char* StatusTitle = "Show Status";

// Control-register bits cleared at start-up: bit 5 (data lines as outputs) and
// the STROBE, AUTOFEED and SELECT IN lines (bits 0, 1, 3).
inline constexpr std::int16_t StartupControlMask = 0xD4;

// "Windows 95", "Windows 98", "Windows NT 3.51", "Windows NT 4.0", "Windows 2000",
// "Failed" (no known platform), or empty (a known platform at an unlisted version).
std::string WindowsVersionName(const OsVersionInfo& version);

// Asks the host for its version and names it.
std::string GetWindowsVersionName(StartupContext& context);

// Windows 95 and 98 have the port at 888 and no claim to make; recognised by the
// name, not by the version numbers.
bool UsesFixedPortAddress(const std::string& osName);

// The 16-bit I/O address for a base the port library reported, or nothing when
// the base can't be a printer port's: negative bases are taken as their 16-bit
// pattern (cards above 0x7FFF), and the control register (base + 2) must still
// lie in the I/O space. Addresses 0 to 2 belong to the DMA controller.
std::optional<std::uint16_t> PortAddressFromBase(std::int32_t base);

// "/SS" anywhere in the argument text, in any letter case.
bool HasStatusSwitch(const std::string& argumentText);

// "Windows Version:<name>", a lone carriage return, "Port Address:0x<hex>".
std::string StatusText(const std::string& osName, std::uint16_t portAddress);

// Names the host, finds the port (fixed or by asking the library), sets up its
// control register and shows the status box if asked for.
void InitPort(StartupContext& context);

// Claims port 1; a refusal is shown and start-up goes on. True when the port
// was claimed. A `wayOut` goes below the box, after the library's reason.
bool ClaimPort(StartupContext& context, const char* wayOut = nullptr);

// Asks the library for port 1's base address and greys out the port items
// that don't belong to it (which loads the main window). A `wayOut` goes below
// the box that says there is no port.
void GetPortAddress(StartupContext& context, const char* wayOut = nullptr);

// The status box, when the argument text holds "/SS".
void ShowStatus(StartupContext& context);

} // namespace qv4130
