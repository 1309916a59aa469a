// A software FTDI FT232H for the USB tests in the guest: a FunctionFS function
// that a configfs gadget on dummy_hcd presents as 0403:6014, so the unmodified
// libftdi1 and libusb reach it through the real kernel. It answers the vendor
// requests libftdi sends on the control endpoint and logs, one line each,
// every bit-mode request ("bitmode MODE MASK") and every bulk-OUT transfer
// ("out HEX..."), the bytes the adapter would put on its pins.
//   ftdi_gadget FUNCTIONFS_DIR LOG
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>

#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <unistd.h>

enum { SetBitMode = 0x0B, PollModemStatus = 0x05, GetLatencyTimer = 0x0A };

struct Endpoints {
    struct usb_interface_descriptor interface;
    struct usb_endpoint_descriptor_no_audio in, out;
} __attribute__((packed));

// The interface FTDI's single-channel chips have: vendor-specific, a bulk-IN
// endpoint 0x81 and a bulk-OUT endpoint 0x02, where libftdi looks for them.
static struct Endpoints BulkPair(__le16 packetSize) {
    const struct Endpoints pair = {
        .interface = {.bLength = USB_DT_INTERFACE_SIZE,
                      .bDescriptorType = USB_DT_INTERFACE,
                      .bNumEndpoints = 2,
                      .bInterfaceClass = USB_CLASS_VENDOR_SPEC,
                      .bInterfaceSubClass = USB_SUBCLASS_VENDOR_SPEC,
                      .bInterfaceProtocol = 0xFF,
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

static const struct {
    struct usb_functionfs_strings_head header;
    __le16 language;
    char interface[sizeof "FT232H"];
} __attribute__((packed))
strings = {{FUNCTIONFS_STRINGS_MAGIC, sizeof strings, 1, 1}, 0x0409, "FT232H"};

static FILE* logFile;
static pthread_mutex_t logLock = PTHREAD_MUTEX_INITIALIZER;

static void Log(const char* prefix, const unsigned char* bytes, size_t count) {
    pthread_mutex_lock(&logLock);
    fputs(prefix, logFile);
    for (size_t i = 0; i < count; ++i) {
        fprintf(logFile, " %02x", bytes[i]);
    }
    fputc('\n', logFile);
    fflush(logFile);
    pthread_mutex_unlock(&logLock);
}

static void* TakeBulkOut(void* endpoint) {
    unsigned char bytes[16384];
    for (;;) {
        const ssize_t got = read(*(int*)endpoint, bytes, sizeof bytes);
        if (got > 0) {
            Log("out", bytes, (size_t)got);
        } else if (got < 0) {
            usleep(10000); // not enabled yet, or unplugged: wait for the host
        }
    }
    return NULL;
}

static void AnswerControl(int ep0, const struct usb_ctrlrequest* setup) {
    unsigned char data[256] = {0};
    const size_t length = setup->wLength < sizeof data ? setup->wLength : sizeof data;
    if (setup->bRequestType & USB_DIR_IN) {
        if (setup->bRequest == PollModemStatus) {
            data[0] = 0x01; // the modem status bits FTDI chips report when idle
            data[1] = 0x60; // transmitter empty
        } else if (setup->bRequest == GetLatencyTimer) {
            data[0] = 16;
        }
        if (write(ep0, data, length) < 0) {
            perror("ftdi_gadget: control reply");
        }
        return;
    }
    if (read(ep0, data, length) < 0) {
        perror("ftdi_gadget: control request");
    }
    if (setup->bRequest == SetBitMode && (setup->bRequestType & USB_TYPE_MASK) == USB_TYPE_VENDOR) {
        const unsigned char mode[2] = {(unsigned char)(setup->wValue >> 8),
                                       (unsigned char)setup->wValue};
        Log("bitmode", mode, 2);
    }
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: ftdi_gadget FUNCTIONFS_DIR LOG\n");
        return 2;
    }
    char path[256];
    snprintf(path, sizeof path, "%s/ep0", argv[1]);
    const int ep0 = open(path, O_RDWR);
    logFile = fopen(argv[2], "w");
    const struct Descriptors descriptors = {
        .header = {.magic = FUNCTIONFS_DESCRIPTORS_MAGIC_V2,
                   .length = sizeof descriptors,
                   .flags = FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC |
                            FUNCTIONFS_ALL_CTRL_RECIP}, // the vendor requests too
        .fullSpeedCount = 3,
        .highSpeedCount = 3,
        .fullSpeed = BulkPair(64),
        .highSpeed = BulkPair(512),
    };
    if (ep0 < 0 || logFile == NULL || write(ep0, &descriptors, sizeof descriptors) < 0 ||
        write(ep0, &strings, sizeof strings) < 0) {
        perror("ftdi_gadget");
        return 1;
    }
    snprintf(path, sizeof path, "%s/ep2", argv[1]);
    int bulkOut = open(path, O_RDONLY);
    pthread_t reader;
    if (bulkOut < 0 || pthread_create(&reader, NULL, TakeBulkOut, &bulkOut) != 0) {
        perror("ftdi_gadget: bulk-out endpoint");
        return 1;
    }
    for (;;) {
        struct usb_functionfs_event events[4];
        const ssize_t got = read(ep0, events, sizeof events);
        if (got < 0) {
            perror("ftdi_gadget: events");
            return 1;
        }
        for (size_t i = 0; i < (size_t)got / sizeof events[0]; ++i) {
            if (events[i].type == FUNCTIONFS_SETUP) {
                AnswerControl(ep0, &events[i].u.setup);
            }
        }
    }
}
