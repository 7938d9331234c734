#include "modem_dialer.h"

#include "ansi_text.h"
#include "zylma/telephony/dial_time.h"
#include "zylma/telephony/line_calls.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zylma::dialler {
namespace {

constexpr DWORD kLowestVersion = 0x00010004;   // 1.4
constexpr DWORD kHighestVersion = 0x00020000;  // 2.0
constexpr DWORD kNoDevice = 0xFFFFFFFF;
constexpr DWORD kCapsSize = 1276;
constexpr DWORD kCallParamsSize = 1200;
constexpr DWORD kMessageSize = 1048;
constexpr DWORD kHangupStatusSize = 1080;
constexpr DWORD kPollStatusSize = 1028;
constexpr DWORD kTimeLimit = 25000;
constexpr DWORD kOlderTimeLimit = 20000;
constexpr DWORD kMessageWait = 100;
constexpr DWORD kPollPause = 10;
// Bounds on loops that a misbehaving provider could keep going for ever.
constexpr int kReleaseTries = 10;
constexpr int kCallRequestTries = 3;
constexpr int kCapsGrowthRounds = 8;

constexpr AnsiText kAppName{"Inicializa TAPI"};
constexpr AnsiText kErrorText{"¡ Error de comunicaciones !"};
constexpr AnsiText kOkText{"¡ OK !"};
constexpr AnsiText kBoxCaption{"KZQ"};

// The one call in progress: the older start-up's callback reaches its object through it.
ModemDialer* g_current = nullptr;

void debug(const char* text) { OutputDebugStringA(text); }

// A limit plus the dial's own time, without wrapping past the largest wait.
DWORD extended(DWORD limit, DWORD dialling) { return dialling > 0xFFFFFFFFu - limit ? 0xFFFFFFFFu : limit + dialling; }

struct StateRow {
    DWORD state;
    const char* text;
    bool hangup;
};

struct ModeRow {
    DWORD mode;
    const char* text;
};

constexpr AnsiText kIdle{"Linea desocupada\n"};
constexpr AnsiText kDialtone{"Tono de marcado\n"};
constexpr AnsiText kDialing{"Marcando\n"};
constexpr AnsiText kRingback{"RingBack\n"};
constexpr AnsiText kBusy{"Línea ocupada, Termina TAPI\n"};
constexpr AnsiText kSpecial{"Inf. Especial, problemente no pudo marcar el numero.\n"};
constexpr AnsiText kConnected{"Conectada!\n"};
constexpr AnsiText kProceeding{"Procediendo\n"};
constexpr AnsiText kUnhandled{"Mensaje LINECALLSTATE inmanejable\n"};
constexpr AnsiText kUnknownDevice{"LINE_CALLSTATE: ID de Dispositivo desconocido\n "};

constexpr AnsiText kModeNormal{"Sesion remota desconectada"};
constexpr AnsiText kModeUnknown{"Desconectada: Razon desconocida"};
constexpr AnsiText kModeReject{"Sesión Remota rechazo la llamada"};
constexpr AnsiText kModePickup{"Desconectada:telefono local descolgado"};
constexpr AnsiText kModeForwarded{"Disconnected: Forwarded"};
constexpr AnsiText kModeBusy{"Desconectada: Ocupado"};
constexpr AnsiText kModeNoAnswer{"Desconectada: No Contestan"};
constexpr AnsiText kModeBadAddress{"Desconectada: Direccion erronea"};
constexpr AnsiText kModeUnreachable{"Desconectada: No se puede alcanzar "};
constexpr AnsiText kModeCongestion{"Desconectada: Congestion"};
constexpr AnsiText kModeIncompatible{"Desconectada: Incompatible"};
constexpr AnsiText kModeUnavail{"Desconectada: No disponible"};
constexpr AnsiText kModeNoDialtone{"Desconectado: No hay tono de marcado"};
constexpr AnsiText kModeOther{"Desconectada: LINECALLSTATE; Mala Razon"};

// Standard build: Spanish texts.
const StateRow kStates[] = {
    {LINECALLSTATE_IDLE, kIdle.c_str(), true},
    {LINECALLSTATE_DIALTONE, kDialtone.c_str(), false},
    {LINECALLSTATE_DIALING, kDialing.c_str(), false},
    {LINECALLSTATE_RINGBACK, kRingback.c_str(), false},
    {LINECALLSTATE_BUSY, kBusy.c_str(), true},
    {LINECALLSTATE_SPECIALINFO, kSpecial.c_str(), true},
    {LINECALLSTATE_CONNECTED, kConnected.c_str(), false},
    {LINECALLSTATE_PROCEEDING, kProceeding.c_str(), false},
};
const ModeRow kModes[] = {
    {LINEDISCONNECTMODE_NORMAL, kModeNormal.c_str()},
    {LINEDISCONNECTMODE_UNKNOWN, kModeUnknown.c_str()},
    {LINEDISCONNECTMODE_REJECT, kModeReject.c_str()},
    {LINEDISCONNECTMODE_PICKUP, kModePickup.c_str()},
    {LINEDISCONNECTMODE_FORWARDED, kModeForwarded.c_str()},
    {LINEDISCONNECTMODE_BUSY, kModeBusy.c_str()},
    {LINEDISCONNECTMODE_NOANSWER, kModeNoAnswer.c_str()},
    {LINEDISCONNECTMODE_BADADDRESS, kModeBadAddress.c_str()},
    {LINEDISCONNECTMODE_UNREACHABLE, kModeUnreachable.c_str()},
    {LINEDISCONNECTMODE_CONGESTION, kModeCongestion.c_str()},
    {LINEDISCONNECTMODE_INCOMPATIBLE, kModeIncompatible.c_str()},
    {LINEDISCONNECTMODE_UNAVAIL, kModeUnavail.c_str()},
    {LINEDISCONNECTMODE_NODIALTONE, kModeNoDialtone.c_str()},
};

// Older build: English texts.
const StateRow kStatesOlder[] = {
    {LINECALLSTATE_IDLE, "Line idle\n", true},
    {LINECALLSTATE_DIALTONE, "Dial Tone\n", false},
    {LINECALLSTATE_DIALING, "Dialing\n", false},
    {LINECALLSTATE_RINGBACK, "RingBack\n", false},
    {LINECALLSTATE_BUSY, "Line busy, shutting down\n", true},
    {LINECALLSTATE_SPECIALINFO, "Special Info, probably couldn't dial number\n", true},
    {LINECALLSTATE_CONNECTED, "Connected!\n", false},
    {LINECALLSTATE_PROCEEDING, "Proceeding\n", false},
};
const ModeRow kModesOlder[] = {
    {LINEDISCONNECTMODE_NORMAL, "Remote Party Disconnected\n"},
    {LINEDISCONNECTMODE_UNKNOWN, "Disconnected: Unknown reason\n"},
    {LINEDISCONNECTMODE_REJECT, "Remote Party rejected call\n"},
    {LINEDISCONNECTMODE_PICKUP, "Disconnected: Local phone picked up\n"},
    {LINEDISCONNECTMODE_FORWARDED, "Disconnected: Forwarded\n"},
    {LINEDISCONNECTMODE_BUSY, "Disconnected: Busy\n"},
    {LINEDISCONNECTMODE_NOANSWER, "Disconnected: No Answer\n"},
    {LINEDISCONNECTMODE_BADADDRESS, "Disconnected: Bad Address\n"},
    {LINEDISCONNECTMODE_UNREACHABLE, "Disconnected: Unreachable\n"},
    {LINEDISCONNECTMODE_CONGESTION, "Disconnected: Congestion\n"},
    {LINEDISCONNECTMODE_INCOMPATIBLE, "Disconnected: Incompatible\n"},
    {LINEDISCONNECTMODE_UNAVAIL, "Disconnected: Unavail\n"},
    {LINEDISCONNECTMODE_NODIALTONE, "Disconnected: No Dial Tone\n"},
};

struct ErrorName {
    LONG code;
    const char* text;
};
const ErrorName kErrorNames[] = {
    {LINEERR_INIFILECORRUPT, "INIFILECORRUPT error\n"},
    {LINEERR_INVALAPPNAME, "INVALAPPNAME error\n"},
    {LINEERR_INVALCALLHANDLE, "INVALCALLHANDLE error\n"},
    {LINEERR_INVALCALLSTATE, "INVALCALLSTATE error\n"},
    {LINEERR_INVALDIGITMODE, "INVALDIGITMODE error\n"},
    {LINEERR_INVALPOINTER, "INVALPOINTER error\n"},
    {LINEERR_NODEVICE, "NODEVICE error\n"},
    {LINEERR_NODRIVER, "NODRIVER error\n"},
    {LINEERR_NOMEM, "NOMEM error\n"},
    {LINEERR_NOTOWNER, "NOTOWNER error\n"},
    {LINEERR_OPERATIONFAILED, "OPERATIONFAILED error\n"},
    {LINEERR_OPERATIONUNAVAIL, "OPERATIONUNAVAIL error\n"},
    {LINEERR_RESOURCEUNAVAIL, "RESOURCEUNAVAIL error\n"},
    {LINEERR_UNINITIALIZED, "UNINITIALIZED error\n"},
    {LINEERR_REINIT, "REINIT error\n"},
    {LINEERR_NOMULTIPLEINSTANCE, "NOMULTIPLEINSTANCE error\n"},
};

void errorBox() { MessageBoxA(nullptr, kErrorText.c_str(), kBoxCaption.c_str(), MB_OK | MB_ICONHAND); }
void okBox() { MessageBoxA(nullptr, kOkText.c_str(), kBoxCaption.c_str(), MB_OK | MB_ICONINFORMATION); }

}  // namespace

ModemDialer::ModemDialer() {
    if (g_current == nullptr) g_current = this;
}

ModemDialer::~ModemDialer() {
    ReleaseBuffers();
    if (g_current == this) g_current = nullptr;
}

bool ModemDialer::busy() { return g_current != nullptr; }

void ModemDialer::ReleaseBuffers() {
    if (caps_ != nullptr) LocalFree(caps_);
    if (callParams_ != nullptr) LocalFree(callParams_);
    caps_ = nullptr;
    callParams_ = nullptr;
}

std::int32_t ModemDialer::RunCall(HINSTANCE instance, const char* text) {
    bool failed = false;
    auto fail = [&failed] {
        failed = true;
        errorBox();
    };
    if (!InitializeTapi(instance)) fail();
    if (!failed && !SelectLine()) fail();
    if (!failed && !OpenLine(instance)) fail();
    if (!failed && !PlaceCall(text)) fail();
    // The clean-up runs whatever happened, in both builds: a failed start or line open must
    // not leave the line open or the registration behind.
    hangupGuard_ = 0;
    HangupCall();
    ShutdownTapi();
    hangupGuard_ = 1;
    ReleaseBuffers();
    if (failed) return kOlderStartup ? 1 : 0;
    okBox();
    return 1;
}

std::int32_t ModemDialer::InitializeTapi(HINSTANCE instance) {
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    // The start-up is told the highest version we speak; the field itself starts at 0.
    apiVersion_ = kHighestVersion;
    LONG result = lineInitializeExA(&app_, instance, nullptr, kAppName.c_str(), &numDevs_, &apiVersion_, &params);
    if (kOlderStartup && result < 0)
        result = lineInitialize(&app_, instance, &ModemDialer::lineCallbackFunc, kAppName.c_str(), &numDevs_);
    if (ReportLineError(result)) {
        initialised_ = 1;
        return 1;
    }
    HangupCall();
    return 0;
}

std::int32_t ModemDialer::SelectLine() {
    caps_ = ScanLines(&apiVersion_, caps_);
    if (kOlderStartup) return 1;
    return caps_ != nullptr ? 1 : 0;
}

LINEDEVCAPS* ModemDialer::ScanLines(DWORD* apiVersion, LINEDEVCAPS* caps) {
    bool chosen = false;
    for (DWORD id = 0; id < numDevs_ && !chosen; ++id) {
        LINEEXTENSIONID extension{};
        LONG result = lineNegotiateAPIVersion(app_, id, kLowestVersion, kHighestVersion, apiVersion, &extension);
        if (ReportLineError(result) && *apiVersion != 0) {
            caps = ReadLineDevCaps(caps, id, *apiVersion);
            WriteLineName(caps);
        }
        if (result == 0 && *apiVersion != 0) {
            deviceId_ = id;
            chosen = true;
        } else {
            deviceId_ = kNoDevice;
        }
    }
    return caps;
}

void ModemDialer::WriteLineName(const LINEDEVCAPS* caps) {
    // Capabilities that could not be read have no name to show.
    if (caps == nullptr) return;
    if (caps->dwLineNameSize == 0 || caps->dwLineNameOffset == 0 || caps->dwStringFormat != STRINGFORMAT_ASCII) return;
    // The name must lie inside the structure; a provider's bad offset is not followed.
    const DWORD total = caps->dwTotalSize;
    if (caps->dwLineNameOffset > total || caps->dwLineNameSize > total - caps->dwLineNameOffset) return;
    char name[256];
    std::size_t n = std::min<std::size_t>(caps->dwLineNameSize, sizeof name - 1);
    std::memcpy(name, reinterpret_cast<const char*>(caps) + caps->dwLineNameOffset, n);
    name[n] = '\0';  // the provider's name need not end in a NUL
    // The line fits the 256-byte text, a long name cut short but the line feed kept.
    char text[256];
    int len = std::snprintf(text, sizeof text - 1, "Name of device is: %.*s", static_cast<int>(sizeof text - 22), name);
    if (len < 0) return;
    len = std::min<int>(len, static_cast<int>(sizeof text) - 2);
    text[len] = '\n';
    text[len + 1] = '\0';
    debug(text);
}

LINEDEVCAPS* ModemDialer::ReadLineDevCaps(LINEDEVCAPS* caps, DWORD deviceId, DWORD apiVersion) {
    DWORD size = kCapsSize;
    for (int round = 0; round < kCapsGrowthRounds; ++round) {
        caps = static_cast<LINEDEVCAPS*>(CheckAndReAllocBuffer(caps, size));
        if (caps == nullptr) return nullptr;
        LONG result = lineGetDevCapsA(app_, deviceId, apiVersion, 0, caps);
        if (!ReportLineError(result)) {
            LocalFree(caps);
            return nullptr;
        }
        if (caps->dwNeededSize <= caps->dwTotalSize) return caps;
        size = caps->dwNeededSize;
    }
    // A structure that keeps asking for more is not read.
    LocalFree(caps);
    return nullptr;
}

void* ModemDialer::CheckAndReAllocBuffer(void* buffer, DWORD size) {
    if (buffer != nullptr) {
        SIZE_T actual = LocalSize(buffer);
        if (actual == 0 || actual < size) {
            // A block whose size is unknown is given back too, not dropped.
            LocalFree(buffer);
            buffer = nullptr;
        } else {
            size = static_cast<DWORD>(actual);
        }
    }
    if (buffer == nullptr) {
        buffer = LocalAlloc(LMEM_ZEROINIT, size);
        if (buffer == nullptr) {
            debug("LocalAlloc failed in CheckAndReAllocBuffer./n");
            return nullptr;
        }
    }
    std::memset(buffer, 0, size);
    *static_cast<DWORD*>(buffer) = size;
    return buffer;
}

std::int32_t ModemDialer::OpenLine(HINSTANCE) {
    LONG result = lineOpenA(app_, deviceId_, &line_, apiVersion_, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr);
    lineInUse_ = 1;
    return ReportLineError(result);
}

std::int32_t ModemDialer::PlaceCall(const char* text) {
    callParams_ = static_cast<LINECALLPARAMS*>(CheckAndReAllocBuffer(callParams_, kCallParamsSize));
    if (callParams_ == nullptr) {
        if (!kOlderStartup) HangupCall();
        return 0;
    }
    callParams_->dwBearerMode = LINEBEARERMODE_VOICE;
    callParams_->dwMediaMode = LINEMEDIAMODE_DATAMODEM;
    callParams_->dwCallParamFlags = LINECALLPARAMFLAGS_IDLE;
    // The far end cannot answer before the last key is out: a long dial at the modem's pace
    // (about 2 s a pause) would otherwise be hung up in mid-dial by the limit.
    dialTime_ = 0;
    if (caps_ != nullptr && caps_->dwTotalSize >= sizeof(LINEDEVCAPS))
        dialTime_ = zylma::telephony::dialDuration(text, caps_->DefaultDialParams);

    if (!kOlderStartup) {
        LONG request = lineMakeCallA(line_, &call_, text, 0, callParams_);
        std::int32_t ok = WaitForReply(request);
        HangupCall();
        return ok;
    }

    // Older build: a refused request is asked again, a few times only.
    for (int attempt = 1;; ++attempt) {
        LONG request = lineMakeCallA(line_, &call_, text, 0, callParams_);
        LONG waited = WaitForReply(request);
        if (request > 0) {
            if (waited == 1) {
                debug("While Dialing, WaitForReply aborted.\n");
                return 0;
            }
            return 1;
        }
        ReportLineError(request);
        debug("lineMakeCall unhandled error\n");
        if (attempt == kCallRequestTries) return 0;
    }
}

std::int32_t ModemDialer::WaitForReply(LONG request) {
    if (kOlderStartup) {
        if (request <= 0) return request;
        replyReceived_ = 0;
        pendingRequest_ = request;
        const DWORD start = GetTickCount();
        const DWORD limit = extended(kOlderTimeLimit, dialTime_);
        auto* status = static_cast<LINECALLSTATUS*>(CheckAndReAllocBuffer(nullptr, kPollStatusSize));
        if (status == nullptr) return 1;
        std::int32_t result = 1;
        // The status is read every few milliseconds; only a change of it is judged (and
        // written to the debug output), not every look.
        DWORD lastState = 0xFFFFFFFFu, lastMode = 0xFFFFFFFFu;
        for (;;) {
            MSG msg{};
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            // Elapsed time, unsigned: right across the tick count's wrap. The limit holds
            // after an acknowledged request too, or a silent line would hold us for ever.
            if (GetTickCount() - start >= limit) break;  // "While Dialing, WaitForReply aborted."
            if (call_ != 0) {  // a released call has no status left to read
                std::memset(status, 0, kPollStatusSize);
                status->dwTotalSize = kPollStatusSize;
                lineGetCallStatus(call_, status);
                if (status->dwCallState != lastState || status->dwCallStateMode != lastMode) {
                    lastState = status->dwCallState;
                    lastMode = status->dwCallStateMode;
                    HandleCallStatus(lastState, lastMode);
                }
            }
            if (outcome_ == OutcomeBusy) {
                result = 0;
                break;
            }
            Sleep(kPollPause);  // leave the processor to the rest of the machine
        }
        LocalFree(status);
        return result;
    }

    // A request refused at once is a failed call, not a placed one.
    if (request <= 0) {
        ReportLineError(request);
        return 0;
    }
    pendingRequest_ = request;
    auto* message = static_cast<LINEMESSAGE*>(CheckAndReAllocBuffer(nullptr, kMessageSize));
    if (message == nullptr) return 0;
    const DWORD start = GetTickCount();
    const DWORD limit = extended(kTimeLimit, dialTime_);
    std::int32_t code = OutcomeNone;
    std::int32_t result = 0;
    for (;;) {
        if (code == OutcomeCannotDial) break;
        // Every code has the limit now (a call left dialling or connected would wait for
        // ever); only a proceeding call counts as placed when it comes.
        if (GetTickCount() - start >= limit) {
            result = code == OutcomeProceeding ? 1 : 0;
            if (result == 0) debug("Tiempo de espera agotado\n");
            break;
        }
        const DWORD asked = GetTickCount();
        if (lineGetMessage(app_, message, kMessageWait) < 0) {
            // A line that fails at once (a lost registration, no message call at all) would
            // turn this wait into a spin: keep to one look a wait.
            const DWORD spent = GetTickCount() - asked;
            if (spent < kMessageWait) Sleep(kMessageWait - spent);
            // Nothing new: the verdict so far stands, and a look writes nothing.
            continue;
        }
        // Only a state change of our own call decides; a reply, a call-info message or
        // another device's state is written down and leaves the verdict as it was.
        const bool ours = message->dwMessageID == LINE_CALLSTATE && call_ != 0 && message->hDevice == call_;
        const std::int32_t judged = HandleCallState(message->hDevice, message->dwMessageID,
                                                    message->dwCallbackInstance, message->dwParam1,
                                                    message->dwParam2, message->dwParam3);
        if (ours) code = judged;
        if (code == OutcomeBusy) {
            result = 1;
            break;
        }
    }
    LocalFree(message);
    return result;
}

std::int32_t ModemDialer::HandleCallState(DWORD device, DWORD messageId, DWORD, DWORD param1, DWORD param2, DWORD) {
    if (kOlderStartup) {
        if (device != call_) {
            debug("LINE_CALLSTATE: Unknown device ID ");
            return outcome_;
        }
        outcome_ = JudgeState(param1, param2, outcome_);
        return outcome_;
    }
    // Only a state change of our own call decides anything: a reply, or another device's
    // state, must neither hang up our call nor settle its outcome.
    if (messageId != LINE_CALLSTATE || call_ == 0 || device != call_) {
        debug(kUnknownDevice.c_str());
        return OutcomeOther;
    }
    return JudgeState(param1, param2, OutcomeNone);
}

void ModemDialer::HandleCallStatus(DWORD state, DWORD mode) { outcome_ = JudgeState(state, mode, outcome_); }

std::int32_t ModemDialer::JudgeState(DWORD state, DWORD mode, std::int32_t code) {
    const auto& states = kOlderStartup ? kStatesOlder : kStates;
    if (state == LINECALLSTATE_DISCONNECTED) {
        const auto& modes = kOlderStartup ? kModesOlder : kModes;
        const char* text = kOlderStartup ? "Disconnected: LINECALLSTATE; Bad Reason\n" : kModeOther.c_str();
        for (const auto& row : modes)
            if (row.mode == mode) text = row.text;
        debug(text);
        if (!kOlderStartup) debug("\n");
        if (mode == LINEDISCONNECTMODE_BUSY) {
            code = OutcomeBusy;
            if (kOlderStartup) replyReceived_ = 1;
        } else if (mode == LINEDISCONNECTMODE_NODIALTONE) {
            code = OutcomeCannotDial;
        } else if (mode == LINEDISCONNECTMODE_BADADDRESS && !kOlderStartup) {
            code = OutcomeCannotDial;
        }
        HangupCall();
        return code;
    }
    for (const auto& row : states) {
        if (row.state != state) continue;
        debug(row.text);
        if (row.hangup) HangupCall();
        if (state == LINECALLSTATE_IDLE) code = OutcomeIdle;
        if (!kOlderStartup && state == LINECALLSTATE_DIALING) code = OutcomeDialing;
        if (!kOlderStartup && state == LINECALLSTATE_PROCEEDING) code = OutcomeProceeding;
        return code;
    }
    debug(kOlderStartup ? "Unhandled LINECALLSTATE message\n" : kUnhandled.c_str());
    return kOlderStartup ? code : OutcomeOther;
}

std::int32_t ModemDialer::HangupCall() {
    if (hangupGuard_ != 0 || lineInUse_ == 0) return 1;
    hangupGuard_ = 1;
    if (call_ != 0) {
        auto* status = static_cast<LINECALLSTATUS*>(CheckAndReAllocBuffer(nullptr, kHangupStatusSize));
        if (status == nullptr) {
            ShutdownTapi();
            hangupGuard_ = 0;
            return 0;
        }
        ReportLineError(lineGetCallStatus(call_, status));
        if ((status->dwCallState & LINECALLSTATE_IDLE) == 0) ReportLineError(lineDrop(call_, nullptr, 0));
        LocalFree(status);
        for (int attempt = 0; attempt < kReleaseTries; ++attempt) {
            LONG result = lineDeallocateCall(call_);
            if (!ReportLineError(result)) {
                debug("lineDeallocateCall unhandled error\n");
                break;
            }
            if (result <= 0) break;
        }
    }
    if (line_ != 0) {
        for (int attempt = 0; attempt < kReleaseTries; ++attempt) {
            LONG result = lineClose(line_);
            if (!ReportLineError(result)) {
                debug("lineClose unhandled error\n");
                break;
            }
            if (result <= 0) break;
        }
    }
    call_ = 0;
    line_ = 0;
    lineInUse_ = 0;
    hangupGuard_ = 0;
    return 1;
}

std::int32_t ModemDialer::ShutdownTapi() {
    if (app_ == 0 || shutdownGuard_ != 0) return 1;
    shutdownGuard_ = 1;
    HangupCall();
    if (!ReportLineError(lineShutdown(app_))) debug("lineShutdown unhandled error\n");
    lineInUse_ = 0;
    app_ = 0;
    call_ = 0;
    line_ = 0;
    shutdownGuard_ = 0;
    return 1;
}

std::int32_t ModemDialer::ReportLineError(LONG result) {
    if (result >= 0) return 1;
    const char* text = "Error de comunicaciones\n";
    for (const auto& e : kErrorNames)
        if (e.code == result) text = e.text;
    debug(text);
    return 0;
}

void ModemDialer::lineCallbackFunc(DWORD device, DWORD message, DWORD instance, DWORD param1, DWORD param2,
                                   DWORD param3) {
    ModemDialer* dialer = g_current;
    if (dialer == nullptr) return;  // a late message after the call ended
    if (message == LINE_CALLSTATE) {
        if (dialer->HandleCallState(device, message, instance, param1, param2, param3) == OutcomeBusy)
            dialer->replyReceived_ = 1;
    } else if (message == LINE_REPLY) {
        if (param2 != 0) {
            debug("LINE_REPLY error\n");
        } else {
            dialer->replyReceived_ = 1;
            debug("LINE_REPLY: successfully replied.\n");
        }
    } else {
        debug("lineCallbackFunc message ignored\n");
    }
}

}  // namespace zylma::dialler
