#pragma once

#include "FileFinder.h"
#include "MessageSink.h"
#include "ProgramStarter.h"
#include "Registry.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace qv4130 {

// Where the System Information tool records its install location. The first
// value is the full path of its program file, the second the folder holding it.
inline constexpr const char* MsinfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* MsinfoPathValue = "PATH";
inline constexpr const char* SharedToolsLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* SharedToolsMsinfoValue = "MSINFO";
inline constexpr const char* MsinfoProgramFile = "\\MSINFO32.EXE";

inline constexpr const char* SystemInformationUnavailable =
    "System Information Is Unavailable At This Time";

// Every value is read into a buffer of this many bytes; anything longer fails to
// read and counts as missing.
inline constexpr std::uint32_t RegistryValueBufferSize = 1024;

// Registry data that read successfully but cannot be turned into text (no data).
class RegistryValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What starting System Information reaches outside the program.
struct SystemInformationHost {
    Registry& registry;
    FileFinder& files;
    ProgramStarter& programs;
    MessageSink& messages;
};

// The first `size` bytes of `buffer` as text, less a closing NUL if the last of
// them is one; text stored with and without its NUL so reads the same. Throws
// RegistryValueError when size is 0 or beyond the buffer's end.
std::string RegistryValueText(std::span<const std::uint8_t> buffer, std::uint32_t size);

// Stores a value read as `text` into `keyVal` by its registry type:
// - REG_SZ: the text itself;
// - REG_DWORD: "&h" then what keyVal held on entry, then the bytes of `text`
//   from last to first as two upper-case hexadecimal digits each, i.e. the
//   number most significant digit first. The text is left as it is, not turned
//   into a decimal number: nothing reads a number value as one.
// - any other type: keyVal is left unchanged.
void StoreRegistryValue(std::uint32_t type, const std::string& text, std::string& keyVal);

// Reads the value `valueName` of the key `keyName` below `keyRoot` into `keyVal`.
// Returns false, with keyVal emptied, when the key does not open with full access
// or the value does not read into RegistryValueBufferSize bytes. Other failures
// (RegistryValueError) are thrown to the caller. An opened key is always closed.
bool GetKeyValue(Registry& registry, std::int32_t keyRoot, const std::string& keyName,
                 const std::string& valueName, std::string& keyVal);

// Finds the System Information tool through the registry and starts it; if it
// cannot be found or started, tells the operator so in a message box.
void StartSysInfo(const SystemInformationHost& host);

} // namespace qv4130
