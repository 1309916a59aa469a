// Recording stand-ins for the drivers parllio.dll loads, built here as
// ftd2xx.dll (one FT232R adapter, serial SI000001) and as portio.dll (a
// port-I/O driver with WriteIo and ReadIo). Each records its calls, one a
// line, in a log the test reads through StandIn_Log. STAND_IN_FAIL_WRITE=N
// makes the Nth FT_Write and every later one fail as an unplugged adapter's do.
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT __declspec(dllexport)

static char log_text[65536];

static void record(const char* format, ...) {
    size_t used = strlen(log_text);
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(log_text + used, sizeof log_text - used, format, arguments);
    va_end(arguments);
}

EXPORT const char* StandIn_Log(void) {
    return log_text;
}

typedef struct {
    ULONG flags, type, id;
    DWORD location;
    char serial[16];
    char description[64];
    void* handle;
} Node;

enum { Ok = 0, IoError = 4 };
static int adapter; /* its address is the handle */

EXPORT ULONG WINAPI FT_CreateDeviceInfoList(DWORD* count) {
    record("create-list\n");
    *count = 1;
    return Ok;
}

EXPORT ULONG WINAPI FT_GetDeviceInfoList(Node* nodes, DWORD* count) {
    record("get-list %lu\n", (unsigned long)*count);
    memset(nodes, 0, sizeof *nodes);
    nodes->type = 5;
    nodes->id = 0x04036001;
    nodes->location = 0x11;
    strcpy(nodes->serial, "SI000001");
    strcpy(nodes->description, "FT232R USB UART");
    *count = 1;
    return Ok;
}

EXPORT ULONG WINAPI FT_Open(int index, void** handle) {
    record("open %d\n", index);
    *handle = &adapter;
    return Ok;
}

EXPORT ULONG WINAPI FT_OpenEx(void* what, DWORD by, void** handle) {
    record("open-ex %s %lu\n", (const char*)what, (unsigned long)by);
    *handle = &adapter;
    return Ok;
}

EXPORT ULONG WINAPI FT_SetBitMode(void* handle, UCHAR mask, UCHAR mode) {
    record("bit-mode %02x %u\n", mask, mode);
    return Ok;
}

EXPORT ULONG WINAPI FT_SetBaudRate(void* handle, ULONG rate) {
    record("baud %lu\n", rate);
    return Ok;
}

EXPORT ULONG WINAPI FT_Write(void* handle, void* bytes, DWORD count, DWORD* written) {
    static int writes;
    char fail[16] = "0";
    GetEnvironmentVariableA("STAND_IN_FAIL_WRITE", fail, sizeof fail);
    record("write");
    for (DWORD at = 0; at < count; ++at) {
        record(" %02x", ((const unsigned char*)bytes)[at]);
    }
    record("\n");
    *written = count;
    return ++writes >= atoi(fail) && atoi(fail) > 0 ? IoError : Ok;
}

EXPORT ULONG WINAPI FT_Close(void* handle) {
    record("close\n");
    return Ok;
}

EXPORT void WINAPI WriteIo(short address, short value) {
    record("out %04x %02x\n", (unsigned short)address, (unsigned short)value);
}

EXPORT short WINAPI ReadIo(short address) {
    record("in %04x\n", (unsigned short)address);
    return 0x7F;
}
