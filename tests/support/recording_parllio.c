// A stand-in port library for the binding's tests: it records every call in a
// log the test reads through ParllioTest_Log. Built twice, once whole and once
// without OutByte, to check that a missing function fails at its own first call.
#define PARLLIO_BUILDING_LIBRARY
#include <parllio/parllio.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static char log_text[4096];

static void record(const char* format, ...) {
    size_t used = strlen(log_text);
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(log_text + used, sizeof log_text - used, format, arguments);
    va_end(arguments);
}

PARLLIO_API const char* ParllioTest_Log(void) {
    return log_text;
}

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortCount(void) {
    record("count;");
    return 2;
}

PARLLIO_API int32_t PARLLIO_CALL ClaimParallelPort(int32_t port, int32_t flags) {
    record("claim %d %d;", (int)port, (int)flags);
    return 0x10000; // low 16 bits zero: a caller must look only at those
}

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortInfo(int32_t port, ParallelPortInfo* info) {
    record("info %d %d;", (int)port, info ? (int)info->size : -1);
    if (info) {
        info->base_address = 0x378;
    }
    return 1;
}

PARLLIO_API int32_t PARLLIO_CALL InByte(int32_t address) {
    record("in %d;", (int)address);
    return 0xA5;
}

#ifndef RECORDING_WITHOUT_OUTBYTE
PARLLIO_API void PARLLIO_CALL OutByte(int32_t address, int32_t value) {
    record("out %d %d;", (int)address, (int)value);
}
#endif
