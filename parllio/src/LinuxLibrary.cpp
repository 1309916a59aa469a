#include "Library.h"

#include "LibFtdi.h"
#include "PortBindings.h"
#include "SystemKernel.h"

#include <cstdlib>

namespace parllio {
namespace {

struct Library {
    SystemKernel kernel;
    LibFtdi ftdi;
    PortBindings bindings{kernel, ftdi,
                          ConfigFiles(std::getenv("HOME"), std::getenv("PARLLIO_CONFIG"))};
    ParallelPorts ports{kernel, bindings};
};

} // namespace

ParallelPorts& ThePorts() {
    static Library library;
    return library.ports;
}

} // namespace parllio
