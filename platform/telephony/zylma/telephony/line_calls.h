// The line functions as the dialler calls them. Each is bound by name, on first use, from the
// provider library that ZYLMA_TELEPHONY names (default: the modem provider, looked for beside
// the module that calls and in the application folder). A missing library or function makes
// the call answer LINEERR_OPERATIONUNAVAIL; a later call tries the binding again.
//
// C++ linkage on purpose: these are not the providers' exports, so the two never collide.
#pragma once

#include "zylma/telephony/tapi.h"

#include <string>

LONG lineInitializeExA(HLINEAPP* app, HINSTANCE instance, LINECALLBACK callback, LPCSTR appName, DWORD* numDevs,
                       DWORD* apiVersion, LINEINITIALIZEEXPARAMS* params);
LONG lineInitialize(HLINEAPP* app, HINSTANCE instance, LINECALLBACK callback, LPCSTR appName, DWORD* numDevs);
LONG lineNegotiateAPIVersion(HLINEAPP app, DWORD deviceId, DWORD lowVersion, DWORD highVersion, DWORD* apiVersion,
                             LINEEXTENSIONID* extensionId);
LONG lineGetDevCapsA(HLINEAPP app, DWORD deviceId, DWORD apiVersion, DWORD extVersion, LINEDEVCAPS* caps);
LONG lineOpenA(HLINEAPP app, DWORD deviceId, HLINE* line, DWORD apiVersion, DWORD extVersion, DWORD callbackInstance,
               DWORD privileges, DWORD mediaModes, const LINECALLPARAMS* params);
LONG lineMakeCallA(HLINE line, HCALL* call, LPCSTR address, DWORD countryCode, const LINECALLPARAMS* params);
LONG lineGetMessage(HLINEAPP app, LINEMESSAGE* message, DWORD timeout);
LONG lineGetCallStatus(HCALL call, LINECALLSTATUS* status);
LONG lineDrop(HCALL call, LPCSTR userUserInfo, DWORD size);
LONG lineDeallocateCall(HCALL call);
LONG lineClose(HLINE line);
LONG lineShutdown(HLINEAPP app);

namespace zylma::telephony {
// The provider file the next call would load: ZYLMA_TELEPHONY or the default name.
std::string configuredProvider();
}  // namespace zylma::telephony
