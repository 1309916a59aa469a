// A software FTDI FT232H for the USB tests in the guest: a FunctionFS function
// that a configfs gadget on dummy_hcd presents as 0403:6014, so the unmodified
// libftdi1 and libusb reach it through the real kernel. It answers the vendor
// requests libftdi sends on the control endpoint and logs, one line each,
// every bit-mode request ("bitmode MODE MASK") and every bulk-OUT transfer
// ("out HEX..."), the bytes the adapter would put on its pins.
//   ftdi_gadget FUNCTIONFS_DIR LOG
#include "ffs_function.h"

#include <pthread.h>

enum { SetBitMode = 0x0B };

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
    // What the host asks of the chip (the serial driver its latency timer) is
    // answered with zeros, which it takes as they are.
    if (setup->bRequestType & USB_DIR_IN) {
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
    // The interface FTDI's single-channel chips have, vendor-specific, where
    // libftdi looks for it; the vendor requests reach the function too.
    const struct InterfaceKind ftdi = {USB_CLASS_VENDOR_SPEC, USB_SUBCLASS_VENDOR_SPEC, 0xFF};
    const int ep0 = StartFunction(argv[1], ftdi, FUNCTIONFS_ALL_CTRL_RECIP, "FT232H");
    logFile = fopen(argv[2], "w");
    if (ep0 < 0 || logFile == NULL) {
        perror("ftdi_gadget");
        return 1;
    }
    int bulkOut = OpenEndpoint(argv[1], "ep2", O_RDONLY);
    pthread_t reader;
    if (bulkOut < 0 || pthread_create(&reader, NULL, TakeBulkOut, &bulkOut) != 0) {
        perror("ftdi_gadget: bulk-out endpoint");
        return 1;
    }
    ServeControl(ep0, AnswerControl);
    perror("ftdi_gadget: events");
    return 1;
}
