// What the guest's software USB devices share: a FunctionFS function with one
// interface of a bulk-IN endpoint (ep1 under FunctionFS, 0x81 on the bus) and
// a bulk-OUT endpoint (ep2, 0x02), full and high speed, its descriptors and
// name written to ep0, the bulk endpoints served by a thread of their own and
// the control requests read from ep0 for ever; and the log both keep, one
// line per event, whole while the two threads log.
#pragma once

#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>

#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

// What the interface is: its class, subclass and protocol.
struct InterfaceKind {
    __u8 class, subclass, protocol;
};

struct Endpoints {
    struct usb_interface_descriptor interface;
    struct usb_endpoint_descriptor_no_audio in, out;
} __attribute__((packed));

static inline struct Endpoints BulkPair(struct InterfaceKind kind, __le16 packetSize) {
    const struct Endpoints pair = {
        .interface = {.bLength = USB_DT_INTERFACE_SIZE,
                      .bDescriptorType = USB_DT_INTERFACE,
                      .bNumEndpoints = 2,
                      .bInterfaceClass = kind.class,
                      .bInterfaceSubClass = kind.subclass,
                      .bInterfaceProtocol = kind.protocol,
                      .iInterface = 1},
        .in = {.bLength = USB_DT_ENDPOINT_SIZE,
               .bDescriptorType = USB_DT_ENDPOINT,
               .bEndpointAddress = 1 | USB_DIR_IN,
               .bmAttributes = USB_ENDPOINT_XFER_BULK,
               .wMaxPacketSize = packetSize},
        .out = {.bLength = USB_DT_ENDPOINT_SIZE,
                .bDescriptorType = USB_DT_ENDPOINT,
                .bEndpointAddress = 2 | USB_DIR_OUT,
                .bmAttributes = USB_ENDPOINT_XFER_BULK,
                .wMaxPacketSize = packetSize},
    };
    return pair;
}

// Little-endian fields written as they are: the guest is x86.
struct Descriptors {
    struct usb_functionfs_descs_head_v2 header;
    __le32 fullSpeedCount, highSpeedCount;
    struct Endpoints fullSpeed, highSpeed;
} __attribute__((packed));

static inline int OpenEndpoint(const char* directory, const char* name, int flags) {
    char path[256];
    snprintf(path, sizeof path, "%s/%s", directory, name);
    return open(path, flags);
}

// Opens ep0 and writes the function's descriptors (`flags` added to the
// speeds') and the interface's name, US English; -1 when any of it fails.
static inline int StartFunction(const char* directory, struct InterfaceKind kind, __le32 flags,
                                const char* name) {
    const int ep0 = OpenEndpoint(directory, "ep0", O_RDWR);
    const struct Descriptors descriptors = {
        .header = {.magic = FUNCTIONFS_DESCRIPTORS_MAGIC_V2,
                   .length = sizeof descriptors,
                   .flags = FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC | flags},
        .fullSpeedCount = 3,
        .highSpeedCount = 3,
        .fullSpeed = BulkPair(kind, 64),
        .highSpeed = BulkPair(kind, 512),
    };
    struct {
        struct usb_functionfs_strings_head header;
        __le16 language;
        char text[64];
    } __attribute__((packed)) strings = {{FUNCTIONFS_STRINGS_MAGIC, 0, 1, 1}, 0x0409, ""};
    const size_t textLength = strnlen(name, sizeof strings.text - 1) + 1;
    memcpy(strings.text, name, textLength - 1);
    strings.header.length = (__le32)(sizeof strings - sizeof strings.text + textLength);
    if (ep0 < 0 || write(ep0, &descriptors, sizeof descriptors) < 0 ||
        write(ep0, &strings, strings.header.length) < 0) {
        return -1; // the program ends, closing it
    }
    return ep0;
}

static FILE* logFile;
static pthread_mutex_t logLock = PTHREAD_MUTEX_INITIALIZER;

static inline void Log(const char* kind, const char* text) {
    pthread_mutex_lock(&logLock);
    fprintf(logFile, "%s %s\n", kind, text);
    fflush(logFile);
    pthread_mutex_unlock(&logLock);
}

struct BulkEndpoints {
    int in, out;
};

// The function's program: started from FUNCTIONFS_DIR with its log appended to
// LOG, `bulk` given the bulk endpoints on a thread of its own and each control
// request on ep0 handed to `answer`, for ever. Returns only when it fails.
static inline int ServeFunction(const char* directory, const char* log, struct InterfaceKind kind,
                                __le32 flags, const char* name, void* (*bulk)(void* endpoints),
                                void (*answer)(int ep0, const struct usb_ctrlrequest*)) {
    const int ep0 = StartFunction(directory, kind, flags, name);
    logFile = fopen(log, "a");
    static struct BulkEndpoints endpoints;
    endpoints.in = OpenEndpoint(directory, "ep1", O_WRONLY);
    endpoints.out = OpenEndpoint(directory, "ep2", O_RDONLY);
    pthread_t thread;
    if (ep0 < 0 || logFile == NULL || endpoints.in < 0 || endpoints.out < 0 ||
        pthread_create(&thread, NULL, bulk, &endpoints) != 0) {
        perror(name);
        return 1;
    }
    for (;;) {
        struct usb_functionfs_event events[4];
        const ssize_t got = read(ep0, events, sizeof events);
        if (got < 0) {
            perror(name);
            return 1;
        }
        for (size_t i = 0; i < (size_t)got / sizeof events[0]; ++i) {
            if (events[i].type == FUNCTIONFS_SETUP) {
                answer(ep0, &events[i].u.setup);
            }
        }
    }
}
