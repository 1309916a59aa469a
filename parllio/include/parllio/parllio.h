/*
 * parllio: the parallel-port I/O library the program loads by name
 * (libparllio.so on Linux, parllio.dll on Windows).
 *
 * Every argument and result is a 32-bit integer. Ports are numbered from 1.
 * The functions are plain C exports so that any implementation of the library
 * (the ppdev one, a test double, the virtual board) can stand in its place.
 */
#ifndef PARLLIO_PARLLIO_H
#define PARLLIO_PARLLIO_H

#include <stdint.h>

#if defined(_WIN32)
#define PARLLIO_CALL __stdcall
#if defined(PARLLIO_BUILDING_LIBRARY)
#define PARLLIO_API __declspec(dllexport)
#else
#define PARLLIO_API __declspec(dllimport)
#endif
#else
#define PARLLIO_CALL
#define PARLLIO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The record GetParallelPortInfo fills: 12 bytes, little-endian. */
typedef struct ParallelPortInfo {
    int32_t size;         /* the caller stores sizeof(ParallelPortInfo), 12, before the call */
    int32_t base_address; /* I/O address of the port's data register, filled by the library */
    int32_t reserved;     /* zero on entry; the program never reads it */
} ParallelPortInfo;

#ifdef __cplusplus
static_assert(sizeof(ParallelPortInfo) == 12, "ParallelPortInfo must be 12 bytes");
#else
_Static_assert(sizeof(ParallelPortInfo) == 12, "ParallelPortInfo must be 12 bytes");
#endif

/* Number of printer ports the host has. */
PARLLIO_API int32_t PARLLIO_CALL GetParallelPortCount(void);

/* Claims port `port` for this process; non-zero low 16 bits on success. */
PARLLIO_API int32_t PARLLIO_CALL ClaimParallelPort(int32_t port, int32_t flags);

/* Gives a claimed port back. The program itself never calls it: its claim lasts the run. */
PARLLIO_API int32_t PARLLIO_CALL ReleaseParallelPort(int32_t port);

/* Fills `info` for port `port`; non-zero low 16 bits when base_address is valid. */
PARLLIO_API int32_t PARLLIO_CALL GetParallelPortInfo(int32_t port, ParallelPortInfo* info);

/* Optional, and not every implementation has it: the text of the library's last
 * failure (why a claim was refused and what to do), NUL-terminated and cut to fit
 * `size` bytes of `buffer`. Returns the text's whole length, 0 when nothing failed. */
PARLLIO_API int32_t PARLLIO_CALL GetParallelPortError(char* buffer, int32_t size);

/* Optional, like GetParallelPortError: from this call on, each message the
 * library has for the operator (one line, without a newline) goes to `handler`
 * instead of standard error, so that the program can show it where its user
 * looks. `handler` may be called from any thread the library uses, must return
 * quickly and must not call the library; NULL sends messages to standard error
 * again. The first call may come before any port is touched. */
typedef void(PARLLIO_CALL* ParallelPortMessageHandler)(const char* text, void* context);
PARLLIO_API void PARLLIO_CALL SetParallelPortMessageHandler(ParallelPortMessageHandler handler,
                                                            void* context);

/* The byte read at I/O address `address` (0 to 255). */
PARLLIO_API int32_t PARLLIO_CALL InByte(int32_t address);

/* Writes the low 8 bits of `value` at I/O address `address` before returning. */
PARLLIO_API void PARLLIO_CALL OutByte(int32_t address, int32_t value);

#ifdef __cplusplus
}
#endif

#endif /* PARLLIO_PARLLIO_H */
