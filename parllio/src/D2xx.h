#pragma once

#include "Ftdi.h"
#include "WindowsModules.h"

#include <map>
#include <mutex>
#include <string>

namespace parllio {

// FTDI's D2XX driver, ftd2xx.dll, which Windows installs with an FTDI chip's
// driver: loaded at the first search, from parllio.dll's folder or the system
// folder. Without it every search fails with the reason and the way out, and a
// process that only uses printer ports never loads it.
class D2xx final : public Ftdi {
public:
    explicit D2xx(std::wstring folder);
    ~D2xx() override;
    D2xx(const D2xx&) = delete;
    D2xx& operator=(const D2xx&) = delete;

    int List(std::uint16_t vendor, std::uint16_t product, std::vector<FtdiDevice>& found) override;
    int Open(const FtdiDevice& device) override;
    int SetBitMode(int handle, std::uint8_t outputs, std::uint8_t mode) override;
    int SetBaudRate(int handle, int rate) override;
    int Write(int handle, const std::uint8_t* bytes, int count) override;
    void Close(int handle) override;
    std::string ErrorText(int handle) override;
    std::string Where(const FtdiDevice& device) override;

    // The driver's status codes, as its documentation numbers them.
    using Status = unsigned long;

    struct Api; // the driver's functions the library calls

private:
    bool Loaded();
    // The driver's handle behind ours, or null (told through ErrorText).
    void* Handle(int handle);
    // Keeps the call's failure for ErrorText; the Ftdi seam's result.
    int Result(int handle, Status status, const char* call);

    const std::wstring folder_;
    std::mutex lock_; // the flush thread writes while the caller may open another adapter
    Module module_;
    std::unique_ptr<Api> api_;
    std::map<int, void*> open_;
    std::map<int, std::string> errors_; // the last failure per handle, NoHandle's too
    int nextHandle_ = 0;
};

} // namespace parllio
