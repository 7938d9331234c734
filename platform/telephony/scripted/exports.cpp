// The scripted provider as the dialler loads it: the line functions under their own names.
#include "zylma/telephony/scripted.h"

namespace s = zylma::telephony::scripted;

#define ZYLMA_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef ZYLMA_SCRIPTED_WITHOUT_INITIALIZEEX
ZYLMA_EXPORT LONG lineInitializeExA(HLINEAPP* a, HINSTANCE i, LINECALLBACK c, LPCSTR n, DWORD* d, DWORD* v,
                                    LINEINITIALIZEEXPARAMS* p) {
    return s::lineInitializeExA(a, i, c, n, d, v, p);
}
#endif
ZYLMA_EXPORT LONG lineInitialize(HLINEAPP* a, HINSTANCE i, LINECALLBACK c, LPCSTR n, DWORD* d) {
    return s::lineInitialize(a, i, c, n, d);
}
ZYLMA_EXPORT LONG lineNegotiateAPIVersion(HLINEAPP a, DWORD id, DWORD lo, DWORD hi, DWORD* v, LINEEXTENSIONID* e) {
    return s::lineNegotiateAPIVersion(a, id, lo, hi, v, e);
}
ZYLMA_EXPORT LONG lineGetDevCapsA(HLINEAPP a, DWORD id, DWORD v, DWORD e, LINEDEVCAPS* c) {
    return s::lineGetDevCapsA(a, id, v, e, c);
}
ZYLMA_EXPORT LONG lineOpenA(HLINEAPP a, DWORD id, HLINE* l, DWORD v, DWORD e, DWORD i, DWORD p, DWORD m,
                            const LINECALLPARAMS* c) {
    return s::lineOpenA(a, id, l, v, e, i, p, m, c);
}
ZYLMA_EXPORT LONG lineMakeCallA(HLINE l, HCALL* c, LPCSTR t, DWORD cc, const LINECALLPARAMS* p) {
    return s::lineMakeCallA(l, c, t, cc, p);
}
ZYLMA_EXPORT LONG lineGetMessage(HLINEAPP a, LINEMESSAGE* m, DWORD t) { return s::lineGetMessage(a, m, t); }
ZYLMA_EXPORT LONG lineGetCallStatus(HCALL c, LINECALLSTATUS* st) { return s::lineGetCallStatus(c, st); }
ZYLMA_EXPORT LONG lineDrop(HCALL c, LPCSTR u, DWORD n) { return s::lineDrop(c, u, n); }
ZYLMA_EXPORT LONG lineDeallocateCall(HCALL c) { return s::lineDeallocateCall(c); }
ZYLMA_EXPORT LONG lineClose(HLINE l) { return s::lineClose(l); }
ZYLMA_EXPORT LONG lineShutdown(HLINEAPP a) { return s::lineShutdown(a); }
