// The port library of a PC without a printer port: start-up's three questions,
// each written on standard error as it comes, all answered no. Nothing else is
// there, so any port I/O would end the run.
#define PARLLIO_BUILDING_LIBRARY
#include <parllio/parllio.h>

#include <stdio.h>

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortCount(void) {
    fprintf(stderr, "GetParallelPortCount()\n");
    return 0;
}

PARLLIO_API int32_t PARLLIO_CALL ClaimParallelPort(int32_t port, int32_t flags) {
    fprintf(stderr, "ClaimParallelPort(%d, %d)\n", (int)port, (int)flags);
    return 0;
}

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortInfo(int32_t port, ParallelPortInfo* info) {
    fprintf(stderr, "GetParallelPortInfo(%d, {%d})\n", (int)port, (int)info->size);
    return 0;
}

#ifdef NO_PORT_WITH_PORT_IO
// On Windows 95 and 98 the program takes LPT1's address without asking and
// sets the port's control register through the library: that much I/O is let
// through, each call written on standard error, every bit read as one.
PARLLIO_API int32_t PARLLIO_CALL InByte(int32_t address) {
    fprintf(stderr, "InByte(%d)\n", (int)address);
    return 0xFF;
}

PARLLIO_API void PARLLIO_CALL OutByte(int32_t address, int32_t value) {
    fprintf(stderr, "OutByte(%d, %d)\n", (int)address, (int)value);
}
#endif
