#pragma once

#include "Ftdi.h"

#include <map>
#include <memory>
#include <mutex>

struct ftdi_context;

namespace parllio {

// libftdi1 itself. Nothing touches USB before the first search, so a process
// that only uses printer ports never starts libusb.
class LibFtdi final : public Ftdi {
public:
    LibFtdi();
    ~LibFtdi() override;
    LibFtdi(const LibFtdi&) = delete;
    LibFtdi& operator=(const LibFtdi&) = delete;

    int List(std::uint16_t vendor, std::uint16_t product, std::vector<FtdiDevice>& found) override;
    int Open(const FtdiDevice& device) override;
    int SetBitMode(int handle, std::uint8_t outputs, std::uint8_t mode) override;
    int SetBaudRate(int handle, int rate) override;
    int Write(int handle, const std::uint8_t* bytes, int count) override;
    void Close(int handle) override;
    std::string ErrorText(int handle) override;

private:
    using Context = std::unique_ptr<ftdi_context, void (*)(ftdi_context*)>;
    static Context NewContext();
    ftdi_context* Find(int handle);

    Context search_;
    std::string searchError_;
    // The flush thread writes to one adapter while the caller may open another.
    std::mutex lock_;
    std::map<int, Context> open_;
    int nextHandle_ = 0;
};

} // namespace parllio
