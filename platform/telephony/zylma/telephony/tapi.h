// The telephony line interface as the dialler uses it: handles, constants, structures and the
// signatures of the line functions. Providers export these functions with C linkage under
// these names; the dialler reaches them through line_calls.h.
#pragma once

#include "zylma/winapi/winapi.h"

using HLINEAPP = DWORD;
using HLINE = DWORD;
using HCALL = DWORD;

// Error results.
constexpr LONG lineErr(DWORD v) { return static_cast<LONG>(v); }
constexpr LONG LINEERR_ALLOCATED = lineErr(0x80000001);
constexpr LONG LINEERR_BADDEVICEID = lineErr(0x80000002);
constexpr LONG LINEERR_INCOMPATIBLEAPIVERSION = lineErr(0x8000000C);
constexpr LONG LINEERR_INIFILECORRUPT = lineErr(0x8000000E);
constexpr LONG LINEERR_INVALADDRESS = lineErr(0x80000010);
constexpr LONG LINEERR_INVALAPPHANDLE = lineErr(0x80000014);
constexpr LONG LINEERR_INVALAPPNAME = lineErr(0x80000015);
constexpr LONG LINEERR_INVALCALLHANDLE = lineErr(0x80000018);
constexpr LONG LINEERR_INVALCALLSTATE = lineErr(0x8000001C);
constexpr LONG LINEERR_INVALDIGITMODE = lineErr(0x80000027);
constexpr LONG LINEERR_INVALLINEHANDLE = lineErr(0x8000002B);
constexpr LONG LINEERR_INVALPOINTER = lineErr(0x80000035);
constexpr LONG LINEERR_NODEVICE = lineErr(0x80000042);
constexpr LONG LINEERR_NODRIVER = lineErr(0x80000043);
constexpr LONG LINEERR_NOMEM = lineErr(0x80000044);
constexpr LONG LINEERR_NOTOWNER = lineErr(0x80000046);
constexpr LONG LINEERR_OPERATIONFAILED = lineErr(0x80000048);
constexpr LONG LINEERR_OPERATIONUNAVAIL = lineErr(0x80000049);
constexpr LONG LINEERR_RESOURCEUNAVAIL = lineErr(0x8000004B);
constexpr LONG LINEERR_STRUCTURETOOSMALL = lineErr(0x8000004D);
constexpr LONG LINEERR_UNINITIALIZED = lineErr(0x80000050);
constexpr LONG LINEERR_REINIT = lineErr(0x80000052);
constexpr LONG LINEERR_NOMULTIPLEINSTANCE = lineErr(0x80000056);

// Call states.
constexpr DWORD LINECALLSTATE_IDLE = 0x00000001;
constexpr DWORD LINECALLSTATE_OFFERING = 0x00000002;
constexpr DWORD LINECALLSTATE_ACCEPTED = 0x00000004;
constexpr DWORD LINECALLSTATE_DIALTONE = 0x00000008;
constexpr DWORD LINECALLSTATE_DIALING = 0x00000010;
constexpr DWORD LINECALLSTATE_RINGBACK = 0x00000020;
constexpr DWORD LINECALLSTATE_BUSY = 0x00000040;
constexpr DWORD LINECALLSTATE_SPECIALINFO = 0x00000080;
constexpr DWORD LINECALLSTATE_CONNECTED = 0x00000100;
constexpr DWORD LINECALLSTATE_PROCEEDING = 0x00000200;
constexpr DWORD LINECALLSTATE_ONHOLD = 0x00000400;
constexpr DWORD LINECALLSTATE_CONFERENCED = 0x00000800;
constexpr DWORD LINECALLSTATE_ONHOLDPENDCONF = 0x00001000;
constexpr DWORD LINECALLSTATE_ONHOLDPENDTRANSFER = 0x00002000;
constexpr DWORD LINECALLSTATE_DISCONNECTED = 0x00004000;
constexpr DWORD LINECALLSTATE_UNKNOWN = 0x00008000;

// Disconnect modes.
constexpr DWORD LINEDISCONNECTMODE_NORMAL = 0x00000001;
constexpr DWORD LINEDISCONNECTMODE_UNKNOWN = 0x00000002;
constexpr DWORD LINEDISCONNECTMODE_REJECT = 0x00000004;
constexpr DWORD LINEDISCONNECTMODE_PICKUP = 0x00000008;
constexpr DWORD LINEDISCONNECTMODE_FORWARDED = 0x00000010;
constexpr DWORD LINEDISCONNECTMODE_BUSY = 0x00000020;
constexpr DWORD LINEDISCONNECTMODE_NOANSWER = 0x00000040;
constexpr DWORD LINEDISCONNECTMODE_BADADDRESS = 0x00000080;
constexpr DWORD LINEDISCONNECTMODE_UNREACHABLE = 0x00000100;
constexpr DWORD LINEDISCONNECTMODE_CONGESTION = 0x00000200;
constexpr DWORD LINEDISCONNECTMODE_INCOMPATIBLE = 0x00000400;
constexpr DWORD LINEDISCONNECTMODE_UNAVAIL = 0x00000800;
constexpr DWORD LINEDISCONNECTMODE_NODIALTONE = 0x00001000;

// Messages.
constexpr DWORD LINE_ADDRESSSTATE = 0;
constexpr DWORD LINE_CALLINFO = 1;
constexpr DWORD LINE_CALLSTATE = 2;
constexpr DWORD LINE_CLOSE = 3;
constexpr DWORD LINE_LINEDEVSTATE = 8;
constexpr DWORD LINE_REPLY = 12;

constexpr DWORD LINEBEARERMODE_VOICE = 0x00000001;
constexpr DWORD LINEMEDIAMODE_DATAMODEM = 0x00000010;
constexpr DWORD LINECALLPARAMFLAGS_IDLE = 0x00000002;
constexpr DWORD LINECALLPRIVILEGE_NONE = 0x00000001;
constexpr DWORD STRINGFORMAT_ASCII = 0x00000001;
constexpr DWORD STRINGFORMAT_DBCS = 0x00000002;
constexpr DWORD STRINGFORMAT_UNICODE = 0x00000003;
constexpr DWORD STRINGFORMAT_BINARY = 0x00000004;
constexpr DWORD LINEINITIALIZEEXOPTION_USEHIDDENWINDOW = 0x00000001;
constexpr DWORD LINEINITIALIZEEXOPTION_USEEVENT = 0x00000002;

// Handles are 32-bit values here, so the structures keep the sizes the dialler counts on
// (the initialisation parameters are 24 bytes).
struct LINEINITIALIZEEXPARAMS {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwOptions;
    DWORD hEvent;
    DWORD dwCompletionKey;
};
static_assert(sizeof(LINEINITIALIZEEXPARAMS) == 24);

struct LINEEXTENSIONID {
    DWORD dwExtensionID0;
    DWORD dwExtensionID1;
    DWORD dwExtensionID2;
    DWORD dwExtensionID3;
};

// Milliseconds: a "," pause, the gap between digits, one digit's tone, the wait for dial tone.
struct LINEDIALPARAMS {
    DWORD dwDialPause;
    DWORD dwDialSpeed;
    DWORD dwDigitDuration;
    DWORD dwWaitForDialtone;
};

// The fixed part up to the default dial parameters; strings follow at their offsets from the start.
struct LINEDEVCAPS {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwProviderInfoSize;
    DWORD dwProviderInfoOffset;
    DWORD dwSwitchInfoSize;
    DWORD dwSwitchInfoOffset;
    DWORD dwPermanentLineID;
    DWORD dwLineNameSize;
    DWORD dwLineNameOffset;
    DWORD dwStringFormat;
    DWORD dwAddressModes;
    DWORD dwNumAddresses;
    DWORD dwBearerModes;
    DWORD dwMaxRate;
    DWORD dwMediaModes;
    DWORD dwGenerateToneModes;
    DWORD dwGenerateToneMaxNumFreq;
    DWORD dwGenerateDigitModes;
    DWORD dwMonitorToneMaxNumFreq;
    DWORD dwMonitorToneMaxNumEntries;
    DWORD dwMonitorDigitModes;
    DWORD dwGatherDigitsMinTimeout;
    DWORD dwGatherDigitsMaxTimeout;
    DWORD dwMedCtlDigitMaxListSize;
    DWORD dwMedCtlMediaMaxListSize;
    DWORD dwMedCtlToneMaxListSize;
    DWORD dwMedCtlCallStateMaxListSize;
    DWORD dwDevCapFlags;
    DWORD dwMaxNumActiveCalls;
    DWORD dwAnswerMode;
    DWORD dwRingModes;
    DWORD dwLineStates;
    DWORD dwUUIAcceptSize;
    DWORD dwUUIAnswerSize;
    DWORD dwUUIMakeCallSize;
    DWORD dwUUIDropSize;
    DWORD dwUUISendUserUserInfoSize;
    DWORD dwUUICallInfoSize;
    LINEDIALPARAMS MinDialParams;
    LINEDIALPARAMS MaxDialParams;
    // The pace the line dials at: the modem provider fills it from the modem's own registers.
    LINEDIALPARAMS DefaultDialParams;
};

struct LINECALLPARAMS {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwBearerMode;
    DWORD dwMinRate;
    DWORD dwMaxRate;
    DWORD dwMediaMode;
    DWORD dwCallParamFlags;
    DWORD dwAddressMode;
    DWORD dwAddressID;
    LINEDIALPARAMS DialParams;
};

struct LINECALLSTATUS {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwCallState;
    DWORD dwCallStateMode;
    DWORD dwCallPrivilege;
    DWORD dwCallFeatures;
    DWORD dwDevSpecificSize;
    DWORD dwDevSpecificOffset;
};

struct LINEMESSAGE {
    DWORD hDevice;
    DWORD dwMessageID;
    DWORD dwCallbackInstance;
    DWORD dwParam1;
    DWORD dwParam2;
    DWORD dwParam3;
};

using LINECALLBACK = void (*)(DWORD hDevice, DWORD dwMessage, DWORD dwInstance, DWORD dwParam1, DWORD dwParam2,
                              DWORD dwParam3);

// Signatures, shared by the binding and the providers.
using PFN_lineInitializeExA = LONG (*)(HLINEAPP*, HINSTANCE, LINECALLBACK, LPCSTR, DWORD*, DWORD*,
                                       LINEINITIALIZEEXPARAMS*);
using PFN_lineInitialize = LONG (*)(HLINEAPP*, HINSTANCE, LINECALLBACK, LPCSTR, DWORD*);
using PFN_lineNegotiateAPIVersion = LONG (*)(HLINEAPP, DWORD, DWORD, DWORD, DWORD*, LINEEXTENSIONID*);
using PFN_lineGetDevCapsA = LONG (*)(HLINEAPP, DWORD, DWORD, DWORD, LINEDEVCAPS*);
using PFN_lineOpenA = LONG (*)(HLINEAPP, DWORD, HLINE*, DWORD, DWORD, DWORD, DWORD, DWORD, const LINECALLPARAMS*);
using PFN_lineMakeCallA = LONG (*)(HLINE, HCALL*, LPCSTR, DWORD, const LINECALLPARAMS*);
using PFN_lineGetMessage = LONG (*)(HLINEAPP, LINEMESSAGE*, DWORD);
using PFN_lineGetCallStatus = LONG (*)(HCALL, LINECALLSTATUS*);
using PFN_lineDrop = LONG (*)(HCALL, LPCSTR, DWORD);
using PFN_lineDeallocateCall = LONG (*)(HCALL);
using PFN_lineClose = LONG (*)(HLINE);
using PFN_lineShutdown = LONG (*)(HLINEAPP);

// The library loaded when ZYLMA_TELEPHONY names none: the modem provider.
inline constexpr const char* kDefaultTelephonyProvider = "libzylma_tapi_modem.so";
