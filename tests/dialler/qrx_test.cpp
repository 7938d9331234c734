// QRX end to end: the real dialler builds, loaded with dlopen, against the scripted provider.
#include "qrx_harness.h"

#include <functional>
#include <string>
#include <vector>

namespace zylma::testing {
namespace {

constexpr DWORD kDisconnected = LINECALLSTATE_DISCONNECTED;

enum class When { AtOnce, AtLimit };

struct StateCase {
    const char* label;
    DWORD state;
    DWORD mode;
    std::string text;  // debug bytes, Windows-1252
    bool hangsUp;      // the judging itself hangs up, long before the limit
    std::int32_t result;
    When when;
};

// Standard build: one state message of our call 500 ms after the request.
const std::vector<StateCase> kStandardStates = {
    {"idle", LINECALLSTATE_IDLE, 0, "Linea desocupada\n", true, 0, When::AtLimit},
    {"dial tone", LINECALLSTATE_DIALTONE, 0, "Tono de marcado\n", false, 0, When::AtLimit},
    {"dialing", LINECALLSTATE_DIALING, 0, "Marcando\n", false, 0, When::AtLimit},
    {"ringback", LINECALLSTATE_RINGBACK, 0, "RingBack\n", false, 0, When::AtLimit},
    {"busy state", LINECALLSTATE_BUSY, 0, "L\xEDnea ocupada, Termina TAPI\n", true, 0, When::AtLimit},
    {"special info", LINECALLSTATE_SPECIALINFO, 0, "Inf. Especial, problemente no pudo marcar el numero.\n", true, 0,
     When::AtLimit},
    {"connected", LINECALLSTATE_CONNECTED, 0, "Conectada!\n", false, 0, When::AtLimit},
    {"proceeding", LINECALLSTATE_PROCEEDING, 0, "Procediendo\n", false, 1, When::AtLimit},
    {"unknown state", LINECALLSTATE_UNKNOWN, 0, "Mensaje LINECALLSTATE inmanejable\n", false, 0, When::AtLimit},
    {"normal", kDisconnected, LINEDISCONNECTMODE_NORMAL, "Sesion remota desconectada\n", true, 0, When::AtLimit},
    {"unknown", kDisconnected, LINEDISCONNECTMODE_UNKNOWN, "Desconectada: Razon desconocida\n", true, 0, When::AtLimit},
    {"reject", kDisconnected, LINEDISCONNECTMODE_REJECT, "Sesi\xF3n Remota rechazo la llamada\n", true, 0, When::AtLimit},
    {"pickup", kDisconnected, LINEDISCONNECTMODE_PICKUP, "Desconectada:telefono local descolgado\n", true, 0,
     When::AtLimit},
    {"forwarded", kDisconnected, LINEDISCONNECTMODE_FORWARDED, "Disconnected: Forwarded\n", true, 0, When::AtLimit},
    {"busy", kDisconnected, LINEDISCONNECTMODE_BUSY, "Desconectada: Ocupado\n", true, 1, When::AtOnce},
    {"no answer", kDisconnected, LINEDISCONNECTMODE_NOANSWER, "Desconectada: No Contestan\n", true, 0, When::AtLimit},
    {"bad address", kDisconnected, LINEDISCONNECTMODE_BADADDRESS, "Desconectada: Direccion erronea\n", true, 0,
     When::AtOnce},
    {"unreachable", kDisconnected, LINEDISCONNECTMODE_UNREACHABLE, "Desconectada: No se puede alcanzar \n", true, 0,
     When::AtLimit},
    {"congestion", kDisconnected, LINEDISCONNECTMODE_CONGESTION, "Desconectada: Congestion\n", true, 0, When::AtLimit},
    {"incompatible", kDisconnected, LINEDISCONNECTMODE_INCOMPATIBLE, "Desconectada: Incompatible\n", true, 0,
     When::AtLimit},
    {"unavail", kDisconnected, LINEDISCONNECTMODE_UNAVAIL, "Desconectada: No disponible\n", true, 0, When::AtLimit},
    {"no dial tone", kDisconnected, LINEDISCONNECTMODE_NODIALTONE, "Desconectado: No hay tono de marcado\n", true, 0,
     When::AtOnce},
    {"bad mode", kDisconnected, 0x8000, "Desconectada: LINECALLSTATE; Mala Razon\n", true, 0, When::AtLimit},
};

// Older build: the same states, polled from the call status, English texts; only the busy
// disconnect succeeds, at once; everything else fails at 20000 ms. QRX answers 1 regardless.
const std::vector<StateCase> kOlderStates = {
    {"idle", LINECALLSTATE_IDLE, 0, "Line idle\n", true, 1, When::AtLimit},
    {"dial tone", LINECALLSTATE_DIALTONE, 0, "Dial Tone\n", false, 1, When::AtLimit},
    {"dialing", LINECALLSTATE_DIALING, 0, "Dialing\n", false, 1, When::AtLimit},
    {"ringback", LINECALLSTATE_RINGBACK, 0, "RingBack\n", false, 1, When::AtLimit},
    {"busy state", LINECALLSTATE_BUSY, 0, "Line busy, shutting down\n", true, 1, When::AtLimit},
    {"special info", LINECALLSTATE_SPECIALINFO, 0, "Special Info, probably couldn't dial number\n", true, 1,
     When::AtLimit},
    {"connected", LINECALLSTATE_CONNECTED, 0, "Connected!\n", false, 1, When::AtLimit},
    {"proceeding", LINECALLSTATE_PROCEEDING, 0, "Proceeding\n", false, 1, When::AtLimit},
    {"unknown state", LINECALLSTATE_UNKNOWN, 0, "Unhandled LINECALLSTATE message\n", false, 1, When::AtLimit},
    {"normal", kDisconnected, LINEDISCONNECTMODE_NORMAL, "Remote Party Disconnected\n", true, 1, When::AtLimit},
    {"unknown", kDisconnected, LINEDISCONNECTMODE_UNKNOWN, "Disconnected: Unknown reason\n", true, 1, When::AtLimit},
    {"reject", kDisconnected, LINEDISCONNECTMODE_REJECT, "Remote Party rejected call\n", true, 1, When::AtLimit},
    {"pickup", kDisconnected, LINEDISCONNECTMODE_PICKUP, "Disconnected: Local phone picked up\n", true, 1,
     When::AtLimit},
    {"forwarded", kDisconnected, LINEDISCONNECTMODE_FORWARDED, "Disconnected: Forwarded\n", true, 1, When::AtLimit},
    {"busy", kDisconnected, LINEDISCONNECTMODE_BUSY, "Disconnected: Busy\n", true, 1, When::AtOnce},
    {"no answer", kDisconnected, LINEDISCONNECTMODE_NOANSWER, "Disconnected: No Answer\n", true, 1, When::AtLimit},
    {"bad address", kDisconnected, LINEDISCONNECTMODE_BADADDRESS, "Disconnected: Bad Address\n", true, 1,
     When::AtLimit},
    {"unreachable", kDisconnected, LINEDISCONNECTMODE_UNREACHABLE, "Disconnected: Unreachable\n", true, 1,
     When::AtLimit},
    {"congestion", kDisconnected, LINEDISCONNECTMODE_CONGESTION, "Disconnected: Congestion\n", true, 1, When::AtLimit},
    {"incompatible", kDisconnected, LINEDISCONNECTMODE_INCOMPATIBLE, "Disconnected: Incompatible\n", true, 1,
     When::AtLimit},
    {"unavail", kDisconnected, LINEDISCONNECTMODE_UNAVAIL, "Disconnected: Unavail\n", true, 1, When::AtLimit},
    {"no dial tone", kDisconnected, LINEDISCONNECTMODE_NODIALTONE, "Disconnected: No Dial Tone\n", true, 1,
     When::AtLimit},
    {"bad mode", kDisconnected, 0x8000, "Disconnected: LINECALLSTATE; Bad Reason\n", true, 1, When::AtLimit},
};

void checkStateCase(const StateCase& c, bool older, std::int32_t result) {
    const long long limit = older ? 20000 : 25000;
    EXPECT_EQ(result, c.result);
    bool success = c.when == When::AtOnce && c.state == kDisconnected && c.mode == LINEDISCONNECTMODE_BUSY;
    if (!older) success = success || c.result == 1;
    ASSERT_EQ(tel::boxes().size(), 1u);
    EXPECT_EQ(tel::boxes()[0], success ? kOkBox : kErrorBox);
    EXPECT_NE(tel::debugOutput().find(c.text), std::string::npos) << tel::debugOutput().substr(0, 400);
    long long hungUp = afterRequest("lineDeallocateCall");
    ASSERT_GE(hungUp, 0);
    if (c.hangsUp) {
        EXPECT_LT(hungUp, 1000);
    } else {
        EXPECT_GE(hungUp, limit);
    }
    long long box = afterRequest("MessageBoxA");
    if (c.when == When::AtOnce) {
        EXPECT_LT(box, 1000);
    } else {
        EXPECT_GE(box, limit);
        EXPECT_LT(box, limit + 200);
    }
}

TEST(QrxCallStates, StandardBuildJudgesEveryStateAndMode) {
    for (const auto& c : kStandardStates) {
        SCOPED_TRACE(c.label);
        QrxCall call(kStandard);
        tel::callState(500, c.state, c.mode);
        std::int32_t result = call();
        checkStateCase(c, false, result);
        call.expectReleased();
    }
}

TEST(QrxCallStates, OlderBuildJudgesEveryPolledStateAndMode) {
    for (const auto& c : kOlderStates) {
        SCOPED_TRACE(c.label);
        QrxCall call(kOlder);
        tel::status(500, c.state, c.mode);
        std::int32_t result = call();
        checkStateCase(c, true, result);
        call.expectReleased();
    }
}

// The sequence of one placed call: start-up, scan, open, request, the wait, the
// release, the shutdown, then the box.
TEST(QrxSequence, BusyDisconnectIsSuccessWithTheBoxAfterTheCleanUp) {
    QrxCall call(kStandard);
    tel::callState(250, LINECALLSTATE_DIALING);
    tel::callState(300, LINECALLSTATE_PROCEEDING);
    tel::callState(450, kDisconnected, LINEDISCONNECTMODE_BUSY);
    EXPECT_EQ(call(), 1);
    call.expectReleased();
    std::vector<std::string> order;
    for (const auto& line : tel::log())
        if (line.rfind("line", 0) == 0 && line != "lineGetMessage") order.push_back(line);
        else if (line.rfind("MessageBoxA", 0) == 0) order.push_back(line);
    const std::vector<std::string> expected = {
        "lineInitializeExA",  "lineNegotiateAPIVersion 0", "lineGetDevCapsA 0 1276", "lineOpenA 0",
        "lineMakeCallA 123,4f", "lineGetCallStatus",       "lineDrop",               "lineDeallocateCall",
        "lineClose",          "lineShutdown",              "MessageBoxA " + kOkBox,
    };
    EXPECT_EQ(order, expected);
    // One line per state change: a look that brings no message writes nothing (the
    // 100 ms looks of a 25 s wait would bury the cause under hundreds of copies).
    EXPECT_EQ(tel::debugTexts(), (std::vector<std::string>{
                                     "Name of device is: Modem de prueba\n",
                                     "Marcando\n",
                                     "Procediendo\n",
                                     "Desconectada: Ocupado",
                                     "\n",
                                 }));
    EXPECT_EQ(afterRequest("MessageBoxA"), 450);
}

TEST(QrxSequence, WhatTheDiallerHandsOver) {
    QrxCall call(kStandard);
    tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
    EXPECT_EQ(call("1\xF1" "2,#*f"), 1);
    const auto& seen = tel::seen();
    // The start-up is asked for 2.0 although the object's version field starts at 0.
    EXPECT_EQ(seen.initVersionIn, 0x00020000u);
    EXPECT_EQ(seen.initParams.dwTotalSize, 24u);
    EXPECT_EQ(seen.initParams.dwOptions, LINEINITIALIZEEXOPTION_USEEVENT);
    EXPECT_EQ(seen.appName, "Inicializa TAPI");
    EXPECT_EQ(seen.openPrivileges, LINECALLPRIVILEGE_NONE);
    EXPECT_EQ(seen.openVersion, 0x00020000u);
    EXPECT_EQ(seen.dialled, "1\xF1" "2,#*f");  // unchanged bytes
    EXPECT_EQ(seen.callParamsTotal, 1200u);
    EXPECT_EQ(seen.callParams.dwBearerMode, LINEBEARERMODE_VOICE);
    EXPECT_EQ(seen.callParams.dwMediaMode, LINEMEDIAMODE_DATAMODEM);
    EXPECT_EQ(seen.callParams.dwCallParamFlags, LINECALLPARAMFLAGS_IDLE);
    EXPECT_EQ(seen.callParams.dwMinRate, 0u);
    EXPECT_EQ(seen.callParams.dwAddressMode, 0u);
}

// An idle call is not dropped again; it is still deallocated.
TEST(QrxSequence, IdleCallIsNotDroppedButDeallocated) {
    QrxCall call(kStandard);
    tel::callState(100, LINECALLSTATE_PROCEEDING);
    tel::status(0, LINECALLSTATE_IDLE);
    EXPECT_EQ(call(), 1);
    EXPECT_EQ(tel::count("lineDrop"), 0);
    EXPECT_EQ(tel::count("lineDeallocateCall"), 1);
    call.expectReleased();
}

TEST(QrxSequence, TwoCallsInARowAreIndependent) {
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        QrxCall call(kStandard);
        tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
        EXPECT_EQ(call(), 1);
        EXPECT_EQ(tel::count("lineInitializeExA"), 1);
        EXPECT_EQ(tel::count("lineShutdown"), 1);
        call.expectReleased();
    }
}

struct LimitCase {
    const char* label;
    std::vector<tel::Message> messages;
    std::int32_t result;
    std::string text;
};

// Without a verdict the wait ends 25000 ms after the request, measured as elapsed time so
// that the tick count's wrap does not matter.
TEST(QrxTimeLimit, EveryOutcomeEndsAtTheLimitAcrossTheWrap) {
    auto state = [](DWORD at, DWORD s) {
        tel::Message m;
        m.at = at;
        m.param1 = s;
        return m;
    };
    const std::vector<LimitCase> cases = {
        {"no message at all", {}, 0, "Tiempo de espera agotado\n"},
        {"proceeding", {state(200, LINECALLSTATE_PROCEEDING)}, 1, "Procediendo\n"},
        {"idle", {state(200, LINECALLSTATE_IDLE)}, 0, "Linea desocupada\n"},
        {"dialling for ever", {state(200, LINECALLSTATE_DIALING)}, 0, "Marcando\n"},
        {"connected for ever", {state(200, LINECALLSTATE_CONNECTED)}, 0, "Conectada!\n"},
        {"ringing for ever", {state(200, LINECALLSTATE_RINGBACK)}, 0, "RingBack\n"},
    };
    for (DWORD start : {1000u, 0xFFFFFFFFu - 3000u, 0xFFFFFFFFu - 24950u}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.label) + " from " + std::to_string(start));
            QrxCall call(kStandard);
            tel::setClock(start);
            for (const auto& m : c.messages) tel::message(m);
            EXPECT_EQ(call(), c.result);
            long long box = afterRequest("MessageBoxA");
            EXPECT_GE(box, 25000);
            EXPECT_LT(box, 25200);
            EXPECT_NE(tel::debugOutput().find(c.text), std::string::npos);
            call.expectReleased();
        }
    }
}

// A long dial takes its own time before the far end can answer at all: the limit is the
// 25000 ms (older build 20000) plus the dial's time at the line's pace. The Sonobrisa key
// change as dialled, "1,1,*,1,1,3,5,6,*,,7,8,," with a pace of 2000 ms a pause, 95 ms of
// tone and 95 ms of gap a key and 2000 ms of wait for dial tone: 11 keys x 190 = 2090, 13
// pauses x 2000 = 26000, plus 2000: 30090 ms of dialling, so the standard limit is 55090 and
// the older one 50090.
TEST(QrxTimeLimit, ExtendedByTheDialAtTheLinePace) {
    const char* kText = "1,1,*,1,1,3,5,6,*,,7,8,,";
    struct Case {
        const char* label;
        const Build* build;
        std::function<void()> script;
        std::int32_t result;
        std::string box;
        long long boxAt;  // ms after the request, 100 ms of looks either side
    };
    auto busyAt = [](DWORD at) { return [at] { tel::callState(at, kDisconnected, LINEDISCONNECTMODE_BUSY); }; };
    const std::vector<Case> cases = {
        {"dialling, then nothing", &kStandard, [] { tel::callState(100, LINECALLSTATE_DIALING); }, 0, kErrorBox,
         55090},
        {"proceeding once dialled", &kStandard,
         [] {
             tel::callState(100, LINECALLSTATE_DIALING);
             tel::callState(30090, LINECALLSTATE_PROCEEDING);
         },
         1, kOkBox, 55090},
        {"busy after the whole dial", &kStandard, busyAt(31000), 1, kOkBox, 31000},
        {"older build: busy after the whole dial", &kOlder, busyAt(31000), 1, kOkBox, 31000},
        {"older build: dialling, then nothing", &kOlder, [] { tel::status(0, LINECALLSTATE_DIALING); }, 1, kErrorBox,
         50090},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QrxCall call(*c.build);
        tel::devices()[0].pace = LINEDIALPARAMS{2000, 95, 95, 2000};
        c.script();
        EXPECT_EQ(call(kText), c.result);
        EXPECT_EQ(tel::boxes(), std::vector<std::string>{c.box});
        long long box = afterRequest("MessageBoxA");
        EXPECT_GE(box, c.boxAt);
        EXPECT_LT(box, c.boxAt + 200);
        // Nothing hangs the dial up before its last key is out.
        EXPECT_GE(afterRequest("lineDrop"), 30090);
        call.expectReleased();
    }
    // A line that tells no pace keeps the plain limit.
    QrxCall call(kStandard);
    tel::callState(100, LINECALLSTATE_DIALING);
    EXPECT_EQ(call(kText), 0);
    EXPECT_LT(afterRequest("MessageBoxA"), 25200);
}

// A message call that fails at once still waits its time between looks, so the limit comes
// after about 250 looks instead of a spin of thousands.
TEST(QrxTimeLimit, FailingMessageCallDoesNotSpin) {
    QrxCall call(kStandard);
    tel::results("lineGetMessage", {LINEERR_INVALAPPHANDLE}, true);
    EXPECT_EQ(call(), 0);
    long long box = afterRequest("MessageBoxA");
    EXPECT_GE(box, 25000);
    EXPECT_LT(box, 25200);
    EXPECT_LE(tel::count("lineGetMessage"), 260);
    call.expectReleased();
}

TEST(QrxTimeLimit, OlderBuildGivesUpAt20000EvenAfterTheReply) {
    for (DWORD start : {1000u, 0xFFFFFFFFu - 5000u}) {
        for (bool replied : {false, true}) {
            SCOPED_TRACE(std::to_string(start) + (replied ? " replied" : " silent"));
            QrxCall call(kOlder, TAPI_SCRIPTED14);
            tel::setClock(start);
            if (replied) tel::reply(50, 0);
            tel::status(0, LINECALLSTATE_DIALING);
            EXPECT_EQ(call(), 1);
            EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
            long long box = afterRequest("MessageBoxA");
            EXPECT_GE(box, 20000);
            EXPECT_LT(box, 20200);
            EXPECT_NE(tel::debugOutput().find("While Dialing, WaitForReply aborted.\n"), std::string::npos);
            EXPECT_EQ(tel::debugOutput().find("LINE_REPLY: successfully replied.\n") != std::string::npos, replied);
            // It waits between polls instead of spinning: about one status read per 10 ms.
            EXPECT_LE(tel::count("lineGetCallStatus"), 2100);
            call.expectReleased();
        }
    }
}

// The older build reads the call's status every few milliseconds; a status that stays the
// same is one line of the debug output, not one per look.
TEST(QrxTimeLimit, OlderBuildWritesEachPolledStateOnce) {
    QrxCall call(kOlder);
    tel::status(0, LINECALLSTATE_DIALING);
    tel::status(5000, LINECALLSTATE_PROCEEDING);
    EXPECT_EQ(call(), 1);
    EXPECT_GT(tel::count("lineGetCallStatus"), 100);
    EXPECT_EQ(tel::count("debug Dialing"), 1);
    EXPECT_EQ(tel::count("debug Proceeding"), 1);
    call.expectReleased();
}

// Only our own call's state changes count: a reply or another device's state neither hangs
// up our call nor decides its outcome.
TEST(QrxForeignMessages, NeitherHangUpNorDecide) {
    struct Case {
        const char* label;
        tel::Message message;
    };
    tel::Message otherBusy;
    otherBusy.at = 300, otherBusy.ourCall = false, otherBusy.param1 = kDisconnected,
    otherBusy.param2 = LINEDISCONNECTMODE_BUSY;
    tel::Message otherIdle = otherBusy;
    otherIdle.param1 = LINECALLSTATE_IDLE, otherIdle.param2 = 0;
    tel::Message replyMsg;
    replyMsg.at = 300, replyMsg.ourCall = false, replyMsg.device = 0, replyMsg.id = LINE_REPLY,
    replyMsg.param1 = LINECALLSTATE_IDLE;  // looks like a state if taken as one
    tel::Message notAState;  // our handle, but a line-device state message
    notAState.at = 300, notAState.id = LINE_LINEDEVSTATE, notAState.param1 = kDisconnected,
    notAState.param2 = LINEDISCONNECTMODE_NODIALTONE;
    const std::vector<Case> cases = {
        {"other device busy", otherBusy},
        {"other device idle", otherIdle},
        {"reply", replyMsg},
        {"line device state", notAState},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QrxCall call(kStandard);
        tel::message(c.message);
        EXPECT_EQ(call(), 0);
        EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
        EXPECT_GE(afterRequest("lineDeallocateCall"), 25000);  // hung up by the clean-up only
        const std::string out = tel::debugOutput();
        EXPECT_EQ(out.find("Desconectada"), std::string::npos);
        EXPECT_EQ(out.find("Linea desocupada"), std::string::npos);
        EXPECT_EQ(out.find("inmanejable"), std::string::npos);
        call.expectReleased();
    }
}

// A proceeding call stays a success whatever else arrives before the limit: the request's
// reply, a call-info message of our call, another device's state.
TEST(QrxForeignMessages, DoNotUndoAProceedingCall) {
    tel::Message info;
    info.at = 600, info.id = LINE_CALLINFO, info.param1 = 0x20;
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"reply", [] { tel::reply(600, 0); }},
        {"call info", [info] { tel::message(info); }},
        {"other device", [] { tel::otherDevice(600, LINECALLSTATE_IDLE); }},
        {"all of them", [info] {
             tel::reply(600, 0);
             tel::message(info);
             tel::otherDevice(700, kDisconnected, LINEDISCONNECTMODE_NODIALTONE);
         }},
    };
    for (const auto& [label, script] : cases) {
        SCOPED_TRACE(label);
        QrxCall call(kStandard);
        tel::callState(300, LINECALLSTATE_PROCEEDING);
        script();
        EXPECT_EQ(call(), 1);
        EXPECT_EQ(tel::boxes(), std::vector<std::string>{kOkBox});
        call.expectReleased();
    }
}

TEST(QrxForeignMessages, OurVerdictStillComesAfterThem) {
    QrxCall call(kStandard);
    tel::reply(50, 0);
    tel::otherDevice(100, kDisconnected, LINEDISCONNECTMODE_NODIALTONE);
    tel::callState(400, kDisconnected, LINEDISCONNECTMODE_BUSY);
    EXPECT_EQ(call(), 1);
    EXPECT_EQ(tel::boxes(), std::vector<std::string>{kOkBox});
    call.expectReleased();
}

// A request refused at once is a failed call (the standard build took it for a placed one);
// the older build asks three times, then fails.
TEST(QrxRefusedRequest, IsAFailureInBothBuilds) {
    for (LONG refusal : {LINEERR_RESOURCEUNAVAIL, LINEERR_INVALPOINTER, LONG{0}}) {
        SCOPED_TRACE(refusal);
        {
            QrxCall call(kStandard);
            tel::results("lineMakeCallA", {refusal}, true);
            EXPECT_EQ(call(), 0);
            EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
            EXPECT_EQ(tel::count("lineMakeCallA"), 1);
            if (refusal == LINEERR_RESOURCEUNAVAIL) {
                EXPECT_NE(tel::debugOutput().find("RESOURCEUNAVAIL error\n"), std::string::npos);
            }
            // The box comes at the failing step, before the clean-up.
            EXPECT_LT(tel::find("MessageBoxA"), tel::find("lineShutdown"));
            call.expectReleased();
        }
        {
            QrxCall call(kOlder);
            tel::results("lineMakeCallA", {refusal}, true);
            EXPECT_EQ(call(), 1);
            EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
            EXPECT_EQ(tel::count("lineMakeCallA"), 3);
            EXPECT_EQ(tel::count("debug lineMakeCall unhandled error"), 3);
            call.expectReleased();
        }
    }
}

TEST(QrxRefusedRequest, OlderBuildTakesTheCallOnASecondTry) {
    QrxCall call(kOlder);
    tel::results("lineMakeCallA", {LINEERR_RESOURCEUNAVAIL});
    tel::status(200, kDisconnected, LINEDISCONNECTMODE_BUSY);
    EXPECT_EQ(call(), 1);
    EXPECT_EQ(tel::count("lineMakeCallA"), 2);
    EXPECT_EQ(tel::boxes(), std::vector<std::string>{kOkBox});
    call.expectReleased();
}

// Each failing step: the error box at that step, the clean-up always (in the older build
// too), and the standard build's result 0.
TEST(QrxFailingSteps, ShowTheErrorBoxAndStillCleanUp) {
    struct Case {
        const char* label;
        const char* function;
        LONG result;
        const char* debugText;
    };
    const std::vector<Case> cases = {
        {"start-up", "lineInitializeExA", LINEERR_NOMEM, "NOMEM error\n"},
        {"negotiation", "lineNegotiateAPIVersion", LINEERR_INIFILECORRUPT, "INIFILECORRUPT error\n"},
        {"line open", "lineOpenA", LINEERR_RESOURCEUNAVAIL, "RESOURCEUNAVAIL error\n"},
        {"start-up, unnamed error", "lineInitializeExA", LINEERR_BADDEVICEID, "Error de comunicaciones\n"},
    };
    for (const Build* build : {&kStandard, &kOlder}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(build->name) + " " + c.label);
            QrxCall call(*build);
            tel::results(c.function, {c.result}, true);
            if (build->older && std::string(c.function) == "lineInitializeExA")
                tel::results("lineInitialize", {c.result}, true);
            std::int32_t result = call();
            EXPECT_EQ(result, build->older ? 1 : 0);
            EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
            EXPECT_NE(tel::debugOutput().find(c.debugText), std::string::npos) << tel::debugOutput();
            EXPECT_EQ(tel::count("lineMakeCallA"), 0);
            call.expectReleased();
        }
    }
}

TEST(QrxFailingSteps, ErrorNamesOfTheSixteenCodes) {
    const std::vector<std::pair<LONG, std::string>> names = {
        {LINEERR_INIFILECORRUPT, "INIFILECORRUPT"},   {LINEERR_INVALAPPNAME, "INVALAPPNAME"},
        {LINEERR_INVALCALLHANDLE, "INVALCALLHANDLE"}, {LINEERR_INVALCALLSTATE, "INVALCALLSTATE"},
        {LINEERR_INVALDIGITMODE, "INVALDIGITMODE"},   {LINEERR_INVALPOINTER, "INVALPOINTER"},
        {LINEERR_NODEVICE, "NODEVICE"},               {LINEERR_NODRIVER, "NODRIVER"},
        {LINEERR_NOMEM, "NOMEM"},                     {LINEERR_NOTOWNER, "NOTOWNER"},
        {LINEERR_OPERATIONFAILED, "OPERATIONFAILED"}, {LINEERR_OPERATIONUNAVAIL, "OPERATIONUNAVAIL"},
        {LINEERR_RESOURCEUNAVAIL, "RESOURCEUNAVAIL"}, {LINEERR_UNINITIALIZED, "UNINITIALIZED"},
        {LINEERR_REINIT, "REINIT"},                   {LINEERR_NOMULTIPLEINSTANCE, "NOMULTIPLEINSTANCE"},
    };
    for (const auto& [code, name] : names) {
        SCOPED_TRACE(name);
        QrxCall call(kStandard);
        tel::results("lineInitializeExA", {code});
        EXPECT_EQ(call(), 0);
        EXPECT_EQ(tel::debugTexts(), std::vector<std::string>{name + " error\n"});
    }
}

TEST(QrxLines, NoLineDeviceFailsTheSelection) {
    {
        QrxCall call(kStandard);
        tel::devices().clear();
        EXPECT_EQ(call(), 0);
        EXPECT_EQ(tel::count("lineNegotiateAPIVersion"), 0);
        EXPECT_EQ(tel::count("lineOpenA"), 0);
        EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
        call.expectReleased();
    }
    {
        // The older build's selection never fails: the line open does.
        QrxCall call(kOlder);
        tel::devices().clear();
        EXPECT_EQ(call(), 1);
        EXPECT_EQ(tel::count("lineOpenA"), 1);
        EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
        EXPECT_EQ(tel::count("lineShutdown"), 1);
        call.expectReleased();
    }
}

TEST(QrxLines, TheFirstDeviceThatNegotiatesIsChosen) {
    struct Case {
        const char* label;
        LONG negotiate0;
        DWORD version0;
        DWORD expectedDevice;
    };
    const std::vector<Case> cases = {
        {"first refuses", LINEERR_NODRIVER, 0x00020000, 1},
        {"first answers version 0", 0, 0, 1},
        {"first answers a positive result", 1, 0x00010004, 1},
        {"first negotiates", 0, 0x00010004, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QrxCall call(kStandard);
        tel::devices()[0].negotiateResult = c.negotiate0;
        tel::devices()[0].version = c.version0;
        tel::devices()[0].name = "Primero";
        tel::devices().push_back(tel::Device{});
        tel::devices()[1].name = "Segundo";
        tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
        EXPECT_EQ(call(), 1);
        EXPECT_EQ(tel::seen().openDevice, c.expectedDevice);
        EXPECT_EQ(tel::count("lineNegotiateAPIVersion"), static_cast<int>(c.expectedDevice) + 1);
        call.expectReleased();
    }
}

struct NameCase {
    const char* label;
    tel::Device device;
    std::string line;  // "" for none
};

TEST(QrxLines, LineNameDebugLine) {
    auto with = [](auto change) {
        tel::Device d;
        change(d);
        return d;
    };
    const std::string longName(300, 'x');
    const std::vector<NameCase> cases = {
        {"ascii", with([](tel::Device&) {}), "Name of device is: Modem de prueba\n"},
        {"unterminated", with([](tel::Device& d) { d.name = "ABC", d.terminated = false; }), "Name of device is: ABC\n"},
        {"unicode", with([](tel::Device& d) { d.stringFormat = STRINGFORMAT_UNICODE; }), ""},
        {"binary", with([](tel::Device& d) { d.stringFormat = STRINGFORMAT_BINARY; }), ""},
        {"absent", with([](tel::Device& d) { d.hasName = false; }), ""},
        {"offset past the end", with([](tel::Device& d) { d.nameOffset = 5000; }), ""},
        {"size past the end", with([](tel::Device& d) { d.nameSize = 5000; }), ""},
        {"offset and size wrap", with([](tel::Device& d) { d.nameOffset = 64, d.nameSize = 0xFFFFFFF0; }), ""},
        {"long", with([&](tel::Device& d) { d.name = longName; }), "Name of device is: " + std::string(234, 'x') + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        QrxCall call(kStandard);
        tel::devices()[0] = c.device;
        tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
        EXPECT_EQ(call(), 1);
        std::vector<std::string> names;
        for (const auto& t : tel::debugTexts())
            if (t.rfind("Name of device is: ", 0) == 0) names.push_back(t);
        if (c.line.empty()) {
            EXPECT_TRUE(names.empty());
        } else {
            ASSERT_EQ(names.size(), 1u);
            EXPECT_EQ(names[0], c.line);
            EXPECT_LE(names[0].size(), 255u);
        }
        call.expectReleased();
    }
}

TEST(QrxLines, CapabilitiesGrowToTheNeededSize) {
    QrxCall call(kStandard);
    tel::devices()[0].growBy = 3000;
    tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
    EXPECT_EQ(call(), 1);
    const DWORD needed = sizeof(LINEDEVCAPS) + 16 + 3000;  // fixed part, "Modem de prueba\0", growth
    EXPECT_EQ(tel::count("lineGetDevCapsA 0 1276"), 1);
    EXPECT_EQ(tel::count("lineGetDevCapsA 0 " + std::to_string(needed)), 1);
    EXPECT_NE(tel::debugOutput().find("Name of device is: Modem de prueba\n"), std::string::npos);
    call.expectReleased();
}

// Capabilities that cannot be read: no name line from a missing buffer; the standard
// build's selection fails, the older build goes on.
TEST(QrxLines, UnreadableCapabilities) {
    for (const Build* build : {&kStandard, &kOlder}) {
        SCOPED_TRACE(build->name);
        QrxCall call(*build);
        tel::devices()[0].capsResults = {LINEERR_NOMEM};
        tel::status(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
        tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
        std::int32_t result = call();
        EXPECT_EQ(tel::debugOutput().find("Name of device"), std::string::npos);
        EXPECT_NE(tel::debugOutput().find("NOMEM error\n"), std::string::npos);
        if (build->older) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(tel::boxes(), std::vector<std::string>{kOkBox});
        } else {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
            EXPECT_EQ(tel::count("lineOpenA"), 0);
        }
        call.expectReleased();
    }
}

// A block whose size comes back as 0 is given back and allocated anew.
TEST(QrxMemory, LostBlockSizeNeitherLeaksNorFails) {
    QrxCall call(kStandard);
    tel::devices()[0].growBy = 3000;  // the growth reuses the first block: that LocalSize answers 0
    tel::loseSize(1);
    tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
    EXPECT_EQ(call(), 1);
    EXPECT_EQ(tel::boxes(), std::vector<std::string>{kOkBox});
    call.expectReleased();
}

// Every allocation in turn fails: one box, everything released, no crash.
TEST(QrxMemory, EachAllocationFailingInTurn) {
    for (const Build* build : {&kStandard, &kOlder}) {
        int total = 0;
        {
            QrxCall call(*build);
            tel::devices()[0].growBy = 3000;
            tel::status(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
            tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
            EXPECT_EQ(call(), 1);
            total = tel::allocations();
        }
        ASSERT_GE(total, 4) << build->name;
        for (int nth = 1; nth <= total; ++nth) {
            SCOPED_TRACE(std::string(build->name) + " allocation " + std::to_string(nth));
            QrxCall call(*build);
            tel::devices()[0].growBy = 3000;
            tel::status(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
            tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
            tel::failAllocation(nth);
            std::int32_t result = call();
            EXPECT_NE(tel::debugOutput().find("LocalAlloc failed in CheckAndReAllocBuffer./n"), std::string::npos);
            if (!build->older) {
                EXPECT_EQ(result == 1, tel::boxes().size() == 1 && tel::boxes()[0] == kOkBox);
            }
            call.expectReleased();
        }
    }
}

// Release calls answering "positive" for ever are asked ten times, not for ever.
TEST(QrxRelease, RepeatedReleaseIsBounded) {
    for (const char* function : {"lineDeallocateCall", "lineClose"}) {
        SCOPED_TRACE(function);
        QrxCall call(kStandard);
        tel::results(function, {1}, true);
        tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
        EXPECT_EQ(call(), 1);
        EXPECT_EQ(tel::count(function), 10);
        EXPECT_EQ(tel::liveApps(), 0);  // the shutdown releases what the provider kept
    }
}

TEST(QrxRelease, RejectedReleaseWritesItsLine) {
    struct Case {
        const char* function;
        const char* text;
    };
    for (const auto& c : {Case{"lineDeallocateCall", "lineDeallocateCall unhandled error\n"},
                          Case{"lineClose", "lineClose unhandled error\n"},
                          Case{"lineShutdown", "lineShutdown unhandled error\n"}}) {
        SCOPED_TRACE(c.function);
        QrxCall call(kStandard);
        tel::results(c.function, {LINEERR_OPERATIONFAILED});
        tel::callState(100, kDisconnected, LINEDISCONNECTMODE_BUSY);
        EXPECT_EQ(call(), 1);
        EXPECT_NE(tel::debugOutput().find(std::string("OPERATIONFAILED error\n") + c.text), std::string::npos);
        EXPECT_EQ(tel::count(c.function), 1);
    }
}

// The older start-up: without lineInitializeExA the library registers a callback and gets
// the messages through the message pump.
TEST(QrxOlderStartup, CallbackDeliversRepliesAndStates) {
    QrxCall call(kOlder, TAPI_SCRIPTED14);
    tel::status(0, LINECALLSTATE_DIALING);  // the polled status never decides: the callback does
    tel::reply(20, 0);
    tel::reply(30, LINEERR_OPERATIONFAILED);
    tel::message([] {
        tel::Message m;
        m.at = 40, m.id = LINE_LINEDEVSTATE;
        return m;
    }());
    tel::otherDevice(50, kDisconnected, LINEDISCONNECTMODE_BUSY);
    tel::callState(300, kDisconnected, LINEDISCONNECTMODE_BUSY);
    EXPECT_EQ(call(), 1);
    EXPECT_TRUE(tel::seen().callbackRegistered);
    EXPECT_EQ(tel::boxes(), std::vector<std::string>{kOkBox});
    const std::string out = tel::debugOutput();
    for (const char* text : {"LINE_REPLY: successfully replied.\n", "LINE_REPLY error\n",
                             "lineCallbackFunc message ignored\n", "LINE_CALLSTATE: Unknown device ID ",
                             "Disconnected: Busy\n"})
        EXPECT_NE(out.find(text), std::string::npos) << text;
    long long box = afterRequest("MessageBoxA");
    EXPECT_GE(box, 300);
    EXPECT_LT(box, 400);
    call.expectReleased();
}

TEST(QrxOlderStartup, MissingInitializeExTurnsTheStandardBuildAway) {
    QrxCall call(kStandard, TAPI_SCRIPTED14);
    EXPECT_EQ(call(), 0);
    EXPECT_EQ(tel::debugTexts(), std::vector<std::string>{"OPERATIONUNAVAIL error\n"});
    EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
}

TEST(QrxOlderStartup, MissingTelephonyLibrary) {
    for (const Build* build : {&kStandard, &kOlder}) {
        SCOPED_TRACE(build->name);
        QrxCall call(*build, "/nonexistent/libzylma_tapi_none.so");
        EXPECT_EQ(call(), build->older ? 1 : 0);
        EXPECT_EQ(tel::debugTexts(), std::vector<std::string>{"OPERATIONUNAVAIL error\n"});
        EXPECT_EQ(tel::boxes(), std::vector<std::string>{kErrorBox});
        EXPECT_TRUE(tel::log().size() == 2);  // the debug line and the box: no provider call
    }
}

// The older build runs the program's events while it waits; a second QRX started from them
// is turned away at once and the first call goes on.
TEST(QrxOlderStartup, ReentrantCallIsTurnedAway) {
    QrxCall call(kOlder, TAPI_SCRIPTED14);
    tel::callState(300, kDisconnected, LINEDISCONNECTMODE_BUSY);
    std::int32_t inner = -1;
    int calls = 0;
    zylma::winapi::setPendingEventsService([&] {
        if (calls++ == 0) inner = loadQrx(QRX_OLDER)(0, "999");
    });
    EXPECT_EQ(call(), 1);
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(tel::boxes(), (std::vector<std::string>{kErrorBox, kOkBox}));
    EXPECT_EQ(tel::count("lineMakeCallA"), 1);
    EXPECT_EQ(tel::count("lineInitialize"), 1);
}

}  // namespace
}  // namespace zylma::testing
