/*
 * A stand-in port library for the binding's tests: it records every call in a
 * log the test reads through ParllioTest_Log. Built twice, once whole and once
 * without OutByte, to check that a missing function fails at its own first call.
 */
#define PARLLIO_BUILDING_LIBRARY
#include <parllio/parllio.h>

#include <stdio.h>
#include <string.h>

static char log_text[4096];

static void append(const char* line) {
    size_t used = strlen(log_text);
    if (used + strlen(line) + 1 < sizeof log_text) {
        strcat(log_text, line);
    }
}

PARLLIO_API const char* ParllioTest_Log(void) {
    return log_text;
}
PARLLIO_API void ParllioTest_ClearLog(void) {
    log_text[0] = '\0';
}

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortCount(void) {
    append("count;");
    return 2;
}

PARLLIO_API int32_t PARLLIO_CALL ClaimParallelPort(int32_t port, int32_t flags) {
    char line[64];
    snprintf(line, sizeof line, "claim %d %d;", (int)port, (int)flags);
    append(line);
    return 0x10000; /* low 16 bits zero: a caller must look only at those */
}

PARLLIO_API int32_t PARLLIO_CALL ReleaseParallelPort(int32_t port) {
    (void)port;
    return 1;
}

PARLLIO_API int32_t PARLLIO_CALL GetParallelPortInfo(int32_t port, ParallelPortInfo* info) {
    char line[64];
    snprintf(line, sizeof line, "info %d %d;", (int)port, info ? (int)info->size : -1);
    append(line);
    if (info) {
        info->base_address = 0x378;
    }
    return 1;
}

PARLLIO_API int32_t PARLLIO_CALL InByte(int32_t address) {
    char line[64];
    snprintf(line, sizeof line, "in %d;", (int)address);
    append(line);
    return 0xA5;
}

#ifndef RECORDING_WITHOUT_OUTBYTE
PARLLIO_API void PARLLIO_CALL OutByte(int32_t address, int32_t value) {
    char line[64];
    snprintf(line, sizeof line, "out %d %d;", (int)address, (int)value);
    append(line);
}
#endif
