// A stand-in port library for the Windows loader's tests: the functions they
// call, each with a fixed answer no real port gives, so a test knows which
// library answered. Built twice, once whole and once without OutByte, to check
// that a missing function fails at its own first call.
#define PARLLIO_BUILDING_LIBRARY
#include <parllio/parllio.h>

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortCount(void) {
    return 2;
}

PARLLIO_API int32_t PARLLIO_CALL InByte(int32_t address) {
    (void)address;
    return 0xA5;
}

#ifndef STAND_IN_WITHOUT_OUTBYTE
PARLLIO_API void PARLLIO_CALL OutByte(int32_t address, int32_t value) {
    (void)address;
    (void)value;
}
#endif
