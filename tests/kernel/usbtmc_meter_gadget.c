// A software DC voltmeter on USB-TMC for the meter tests in the guest: a
// FunctionFS function that a configfs gadget on dummy_hcd presents as a USB-TMC
// interface (class 0xFE, subclass 3), so the kernel's usbtmc driver binds to it
// and makes /dev/usbtmc0. It speaks the class's bulk protocol (each message
// behind a 12-byte header carrying bTag and its complement, the size and the
// end-of-message bit) and answers the class requests on the control endpoint.
// As a meter it knows *IDN?, *CLS, CONF:VOLT:DC, READ? and SYST:ERR? (never an
// error: a meter's error is the same at any link, and tests/characterise queues
// one). Its k-th reading since *CLS is 0.3125 * (k - 1)
// volts, what a 2.5 V board puts out stepped by 512 codes, so a test knows what
// a run must have read and the readings follow the codes. It logs one line each:
//   "scpi COMMAND" for each message taken, "reply TEXT" for each answer sent.
// The headers are the kernel driver's, not the program's: they are taken as
// they come.
//   usbtmc_meter_gadget FUNCTIONFS_DIR LOG [MODE]
// MODE: "normal"; "split", every answer sent in transfers of at most 8 bytes,
// the last one alone marked end-of-message, as a meter with a small output
// buffer does; "silent", READ? never answered.
#include "ffs_function.h"

#include <stdint.h>

enum { HeaderSize = 12, DevDepMsgOut = 1, RequestDevDepMsgIn = 2, DevDepMsgIn = 2 };
enum { EndOfMessage = 0x01 };
// The class requests that answer more than their status, and that status.
enum { InitiateAbortBulkIn = 3, GetCapabilities = 7, StatusSuccess = 0x01 };

// The meter's state, touched only by the bulk thread.
static const char* mode = "normal";
static char reply[256];    // the answer waiting for the host's request
static size_t replyLength; // bytes of it not yet sent
static size_t replySent;   // bytes of it already sent
static int readings;       // readings taken since *CLS

static void Answer(const char* text) {
    snprintf(reply, sizeof reply, "%s\n", text);
    replyLength = strlen(reply);
    replySent = 0;
    Log("reply", text);
}

static int Is(const char* command, const char* name) {
    return strncasecmp(command, name, strlen(name)) == 0;
}

static void Execute(char* command) {
    command[strcspn(command, "\r\n")] = '\0';
    Log("scpi", command);
    if (Is(command, "*IDN?")) {
        Answer("QV4130 TEST,USB-TMC DC VOLTMETER,0,1.0");
    } else if (Is(command, "*CLS")) {
        readings = 0;
    } else if (Is(command, "SYST:ERR?")) {
        Answer("+0,\"No error\"");
    } else if (Is(command, "READ?") && strcmp(mode, "silent") != 0) {
        char text[32];
        snprintf(text, sizeof text, "%+.8E", 0.3125 * readings++);
        Answer(text);
    }
}

// The next DEV_DEP_MSG_IN for a request of bTag allowing at most `most` bytes:
// what is left of the answer, or as much of it as the mode lets one transfer
// hold. Without an answer waiting the request goes unanswered, as a real
// meter's does: the host's time-out ends it.
static void SendReply(int bulkIn, uint8_t tag, uint32_t most) {
    if (replyLength == 0) {
        return;
    }
    const uint32_t limit = strcmp(mode, "split") == 0 && most > 8 ? 8 : most;
    const uint32_t size = replyLength < limit ? (uint32_t)replyLength : limit;
    unsigned char transfer[HeaderSize + sizeof reply + 3] = {DevDepMsgIn, tag, (uint8_t)~tag, 0};
    memcpy(transfer + 4, &size, sizeof size);
    transfer[8] = size == replyLength ? EndOfMessage : 0;
    memcpy(transfer + HeaderSize, reply + replySent, size);
    replySent += size;
    replyLength -= size;
    const size_t padded = (HeaderSize + size + 3) & ~(size_t)3;
    if (write(bulkIn, transfer, padded) < 0) {
        perror("usbtmc_meter_gadget: bulk-in");
    }
}

// Takes the host's bulk-OUT transfers: messages (collected until the one
// marked end-of-message) and requests for the answer.
static void* TakeBulkOut(void* endpoints) {
    const struct BulkEndpoints* bulk = endpoints;
    unsigned char bytes[4096];
    char message[sizeof bytes];
    size_t messageLength = 0;
    for (;;) {
        const ssize_t got = read(bulk->out, bytes, sizeof bytes);
        if (got < HeaderSize) {
            usleep(10000); // not enabled yet, or unplugged: wait for the host
            continue;
        }
        uint32_t size = 0;
        memcpy(&size, bytes + 4, sizeof size);
        if (bytes[0] == RequestDevDepMsgIn) {
            SendReply(bulk->in, bytes[1], size);
        } else if (bytes[0] == DevDepMsgOut && size <= (size_t)got - HeaderSize &&
                   messageLength + size < sizeof message) {
            memcpy(message + messageLength, bytes + HeaderSize, size);
            messageLength += size;
            if (bytes[8] & EndOfMessage) {
                message[messageLength] = '\0';
                Execute(message);
                messageLength = 0;
            }
        }
    }
    return NULL;
}

// GET_CAPABILITIES at the driver's probe, the clear and abort requests when it
// gives up on a transfer: each succeeds at once, nothing being in flight that
// the meter must finish.
static void AnswerControl(int ep0, const struct usb_ctrlrequest* setup) {
    unsigned char data[0x18] = {0};
    const size_t length = setup->wLength < sizeof data ? setup->wLength : sizeof data;
    if (!(setup->bRequestType & USB_DIR_IN)) {
        if (read(ep0, data, length) < 0) {
            perror("usbtmc_meter_gadget: control request");
        }
        return;
    }
    data[0] = StatusSuccess;
    if (setup->bRequest == GetCapabilities) {
        data[2] = 0x00; // bcdUSBTMC 1.00
        data[3] = 0x01;
    } else if (setup->bRequest == InitiateAbortBulkIn) {
        data[1] = setup->wValue & 0xFF; // the bTag being aborted
    }
    if (write(ep0, data, length) < 0) {
        perror("usbtmc_meter_gadget: control reply");
    }
}

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        fprintf(stderr, "usage: usbtmc_meter_gadget FUNCTIONFS_DIR LOG [normal|split|silent]\n");
        return 2;
    }
    mode = argc == 4 ? argv[3] : mode;
    // USB-TMC without the USB488 subclass: class 0xFE, subclass 3 (test and
    // measurement), protocol 0.
    const struct InterfaceKind usbtmc = {USB_CLASS_APP_SPEC, 3, 0};
    return ServeFunction(argv[1], argv[2], usbtmc, 0, "DC voltmeter", TakeBulkOut, AnswerControl);
}
