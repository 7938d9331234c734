// One outgoing data-modem call through the telephony line interface: start up, pick the first
// usable line, open it, dial the text, judge the answer from the call states, release all.
// One object per QRX call, on its stack; nothing survives the call.
#pragma once

#include "zylma/telephony/tapi.h"

#include <cstdint>

#ifndef ZYLMA_QRX_WIN95
#define ZYLMA_QRX_WIN95 0
#endif

namespace zylma::dialler {

// The build with the older telephony start-up (a callback, the message pump while waiting,
// English debug texts).
inline constexpr bool kOlderStartup = ZYLMA_QRX_WIN95 != 0;

// The verdict of one call-state message.
enum CallOutcome : std::int32_t {
    OutcomeNone = 0,
    OutcomeCannotDial = 1,  // bad address or no dial tone: failure at once
    OutcomeIdle = 2,
    OutcomeBusy = 3,  // the far end answered busy: the device took the digits
    OutcomeDialing = 4,
    OutcomeOther = 5,  // another device's message, or a state not handled
    OutcomeProceeding = 6,
};

class ModemDialer {
public:
    ModemDialer();
    ~ModemDialer();
    ModemDialer(const ModemDialer&) = delete;
    ModemDialer& operator=(const ModemDialer&) = delete;

    // Is a call running in this process (a second QRX from inside the first's message pump)?
    static bool busy();

    std::int32_t RunCall(HINSTANCE instance, const char* text);

    std::int32_t InitializeTapi(HINSTANCE instance);
    std::int32_t SelectLine();
    LINEDEVCAPS* ScanLines(DWORD* apiVersion, LINEDEVCAPS* caps);
    LINEDEVCAPS* ReadLineDevCaps(LINEDEVCAPS* caps, DWORD deviceId, DWORD apiVersion);
    void* CheckAndReAllocBuffer(void* buffer, DWORD size);
    std::int32_t OpenLine(HINSTANCE instance);
    std::int32_t PlaceCall(const char* text);
    std::int32_t WaitForReply(LONG request);
    std::int32_t HandleCallState(DWORD device, DWORD messageId, DWORD instance, DWORD param1, DWORD param2,
                                 DWORD param3);
    void HandleCallStatus(DWORD state, DWORD mode);
    std::int32_t HangupCall();
    std::int32_t ShutdownTapi();
    static std::int32_t ReportLineError(LONG result);

    static void lineCallbackFunc(DWORD device, DWORD message, DWORD instance, DWORD param1, DWORD param2,
                                 DWORD param3);

private:
    // Judges one state with its mode (the tables of the two builds); returns the new code.
    std::int32_t JudgeState(DWORD state, DWORD mode, std::int32_t code);
    void WriteLineName(const LINEDEVCAPS* caps);
    void ReleaseBuffers();

    DWORD numDevs_ = 0;
    DWORD deviceId_ = 0;
    HLINE line_ = 0;
    HCALL call_ = 0;
    DWORD apiVersion_ = 0;
    DWORD hangupGuard_ = 0;
    DWORD lineInUse_ = 0;
    DWORD shutdownGuard_ = 0;
    HLINEAPP app_ = 0;
    DWORD replyReceived_ = 0;
    LONG pendingRequest_ = 0;
    DWORD initialised_ = 0;
    LINEDEVCAPS* caps_ = nullptr;
    LINECALLPARAMS* callParams_ = nullptr;
    std::int32_t outcome_ = OutcomeNone;  // the older build judges into the object
    DWORD dialTime_ = 0;                  // ms the modem needs to dial the text
};

}  // namespace zylma::dialler
