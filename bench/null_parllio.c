/* A port library that does nothing: the floor under the program's own cost. */
#define PARLLIO_BUILDING_LIBRARY
#include <parllio/parllio.h>

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortCount(void) {
    return 1;
}
PARLLIO_API int32_t PARLLIO_CALL ClaimParallelPort(int32_t port, int32_t flags) {
    (void)port;
    (void)flags;
    return 1;
}
PARLLIO_API int32_t PARLLIO_CALL ReleaseParallelPort(int32_t port) {
    (void)port;
    return 1;
}
PARLLIO_API int32_t PARLLIO_CALL GetParallelPortInfo(int32_t port, ParallelPortInfo* info) {
    (void)port;
    if (info) {
        info->base_address = 888;
    }
    return 1;
}
PARLLIO_API int32_t PARLLIO_CALL InByte(int32_t address) {
    (void)address;
    return 0;
}
PARLLIO_API void PARLLIO_CALL OutByte(int32_t address, int32_t value) {
    (void)address;
    (void)value;
}
