// The port library of a PC with one printer port whose board cannot be read
// back: the port is there and takes every byte, but a read of the data register
// says nothing of the chip. Only the control register answers, with its data
// lines driving, as a real port does once it is set up.
#define PARLLIO_BUILDING_LIBRARY
#include <parllio/parllio.h>

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortCount(void) {
    return 1;
}

PARLLIO_API int32_t PARLLIO_CALL ClaimParallelPort(int32_t port, int32_t flags) {
    (void)flags;
    return port == 1;
}

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortInfo(int32_t port, ParallelPortInfo* info) {
    if (port != 1 || info == 0) {
        return 0;
    }
    info->base_address = 0x378;
    return 1;
}

PARLLIO_API int32_t PARLLIO_CALL InByte(int32_t address) {
    return address == 0x37A ? 0xC4 : 0xFF;
}

PARLLIO_API void PARLLIO_CALL OutByte(int32_t address, int32_t value) {
    (void)address;
    (void)value;
}
