// The scripted telephony provider: line devices, results, messages and call states as a test
// sets them up, a fake clock behind GetTickCount and Sleep, allocation failures, leak counts,
// and one ordered log of everything the dialler did (message boxes and debug texts included).
//
// The state lives in libzylma_tapi_script.so, which the test links; the provider libraries
// the dialler loads (libzylma_tapi_scripted.so, and libzylma_tapi_scripted14.so, which lacks
// lineInitializeExA like an old telephony installation) forward to it, so both see one script.
#pragma once

#include "zylma/telephony/tapi.h"

#include <optional>
#include <string>
#include <vector>

namespace zylma::telephony::scripted {

struct Device {
    LONG negotiateResult = 0;
    DWORD version = 0x00020000;  // what the negotiation answers
    bool hasName = true;
    std::string name = "Modem de prueba";  // the bytes of the name
    DWORD stringFormat = STRINGFORMAT_ASCII;
    bool terminated = true;  // the name's size counts a closing NUL
    DWORD growBy = 0;        // the capabilities need this many bytes more than the name takes
    // A broken structure: the name's offset and size as given, whatever they point at.
    std::optional<DWORD> nameOffset;
    std::optional<DWORD> nameSize;
    std::vector<LONG> capsResults;  // lineGetDevCapsA results, one per call; then 0
    LINEDIALPARAMS pace{};          // the default dial parameters the capabilities carry
};

// Times are milliseconds after the call request was accepted.
struct Message {
    DWORD at = 0;
    bool ourCall = true;  // hDevice is the call's handle; else `device`
    DWORD device = 0x7777;
    DWORD id = LINE_CALLSTATE;
    DWORD param1 = 0, param2 = 0, param3 = 0;
};

// Back to one default device, no messages, the clock at 1000, empty log; installs the
// winapi hooks (message box, debug output, clock, sleep, allocation).
void reset();

std::vector<Device>& devices();
// Results of a function, one per call, before it does anything: a negative one fails the
// call, zero or a positive one is returned after the call did its work. With repeatLast the
// last value stays for ever.
void results(const std::string& function, std::vector<LONG> values, bool repeatLast = false);

void message(const Message& m);
void callState(DWORD at, DWORD state, DWORD mode = 0);
void otherDevice(DWORD at, DWORD state, DWORD mode = 0);
void reply(DWORD at, LONG result, DWORD requestId = 0);
// What lineGetCallStatus answers from then on (else the last state message of the call).
void status(DWORD at, DWORD state, DWORD mode = 0);

void setClock(DWORD now);
DWORD clock();

// The nth LocalAlloc from now fails (0: none); the nth LocalSize answers 0.
void failAllocation(int nth);
void loseSize(int nth);
int allocations();

const std::vector<std::string>& log();
// The fake clock when each log line was written.
const std::vector<DWORD>& logTimes();
// Index of the first log line from `from` on that starts with `prefix`; -1 when none.
int find(const std::string& prefix, int from = 0);
int count(const std::string& prefix);
std::vector<std::string> boxes();       // "KZQ|¡ OK !|64", in order
std::vector<std::string> debugTexts();  // the bytes as written
std::string debugOutput();              // all of them joined

// Leak accounting of the provider's own objects.
int liveApps();
int openLines();
int liveCalls();

// What the dialler handed over.
struct Seen {
    DWORD initVersionIn = 0;
    LINEINITIALIZEEXPARAMS initParams{};
    std::string appName;
    bool callbackRegistered = false;
    std::string dialled;
    LINECALLPARAMS callParams{};
    DWORD callParamsTotal = 0;
    DWORD openPrivileges = 0;
    DWORD openVersion = 0;
    DWORD openDevice = 0;
};
const Seen& seen();

// The provider entry points the forwarding libraries export.
LONG lineInitializeExA(HLINEAPP*, HINSTANCE, LINECALLBACK, LPCSTR, DWORD*, DWORD*, LINEINITIALIZEEXPARAMS*);
LONG lineInitialize(HLINEAPP*, HINSTANCE, LINECALLBACK, LPCSTR, DWORD*);
LONG lineNegotiateAPIVersion(HLINEAPP, DWORD, DWORD, DWORD, DWORD*, LINEEXTENSIONID*);
LONG lineGetDevCapsA(HLINEAPP, DWORD, DWORD, DWORD, LINEDEVCAPS*);
LONG lineOpenA(HLINEAPP, DWORD, HLINE*, DWORD, DWORD, DWORD, DWORD, DWORD, const LINECALLPARAMS*);
LONG lineMakeCallA(HLINE, HCALL*, LPCSTR, DWORD, const LINECALLPARAMS*);
LONG lineGetMessage(HLINEAPP, LINEMESSAGE*, DWORD);
LONG lineGetCallStatus(HCALL, LINECALLSTATUS*);
LONG lineDrop(HCALL, LPCSTR, DWORD);
LONG lineDeallocateCall(HCALL);
LONG lineClose(HLINE);
LONG lineShutdown(HLINEAPP);

}  // namespace zylma::telephony::scripted
