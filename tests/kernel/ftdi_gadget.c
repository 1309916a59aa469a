// A software FTDI FT232H for the USB tests in the guest: a FunctionFS function
// that a configfs gadget on dummy_hcd presents as 0403:6014, so the unmodified
// libftdi1 and libusb reach it through the real kernel. It answers the vendor
// requests libftdi sends on the control endpoint and logs, one line each,
// every bit-mode request ("bitmode MODE MASK") and every bulk-OUT transfer
// ("out HEX..."), the bytes the adapter would put on its pins.
//   ftdi_gadget FUNCTIONFS_DIR LOG
#include "ffs_function.h"

enum { SetBitMode = 0x0B, MostBytes = 16384 };

// KIND and each byte in hex.
static void LogBytes(const char* kind, const unsigned char* bytes, size_t count) {
    char text[3 * MostBytes + 1] = " ";
    for (size_t i = 0; i < count; ++i) {
        snprintf(text + 3 * i, 4, " %02x", bytes[i]);
    }
    Log(kind, text + 1);
}

static void* TakeBulkOut(void* endpoints) {
    unsigned char bytes[MostBytes];
    for (;;) {
        const ssize_t got =
            read(((const struct BulkEndpoints*)endpoints)->out, bytes, sizeof bytes);
        if (got > 0) {
            LogBytes("out", bytes, (size_t)got);
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
        LogBytes("bitmode", mode, 2);
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
    return ServeFunction(argv[1], argv[2], ftdi, FUNCTIONFS_ALL_CTRL_RECIP, "FT232H", TakeBulkOut,
                         AnswerControl);
}
