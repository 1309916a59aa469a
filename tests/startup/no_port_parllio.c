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
