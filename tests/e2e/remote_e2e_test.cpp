// Téndro remote commands as a user sends them: over the cable to the simulator, and in a
// "PC" installation dialled through the real QRXdll.dll with the scripted telephony provider.
#include "sim_line.h"
#include "zylma/app/cambio_clave.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/imagen.h"
#include "zylma/models/modelos.h"
#include "zylma/sim/comandos.h"
#include "zylma/telephony/scripted.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::LiveProgram;
using zylma::testing::ProgramHarness;
using zylma::testing::SimLine;
namespace tel = zylma::telephony::scripted;

namespace {

void writeTendroConfig(AppFolder& folder) {
    records::Record conf(57);
    conf[40] = "111111000";
    conf[43] = "1111";
    conf[55] = "000000000";
    folder.writeConfig("Téndro", "30", conf);
}

struct CableRemote : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<SimLine> line;
    std::unique_ptr<LiveProgram> prog;

    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        writeTendroConfig(folder);
        const auto& k = sim::ComandosKit();
        folder.writeCommands({{"Lectura", k.lectura}, {"Escritura", k.escritura}});
        sim::Options o;
        o.model = "00";
        line = std::make_unique<SimLine>(o);
        // A device whose key is 1030 (the device's "A" is the digit 0), no restriction on.
        line->stop();
        std::string img = line->device().image(), error;
        img.replace(10, 4, "1A3A");
        img.replace(16, 4, "0000");
        codec::RecalculaSumas(img, line->device().model());
        ASSERT_TRUE(line->device().setImage(img, error)) << error;
        line->start();
        prog = std::make_unique<LiveProgram>(folder.path(), line->path());
        models::RegistraModelos(prog->programa->modelos());
        w().ZylCmd[2]->userClick();
        read();
    }
    Programa& p() { return *prog->programa; }
    ZylForPri& w() { return p().pri(); }
    forms::TestHost& host() { return prog->host; }
    void read() {
        w().comando(3).userClick();
        ASSERT_TRUE(prog->waitFor([&] { return !w().TimerEC->timerEnabled(); }));
        ASSERT_TRUE(host().messages.empty()) << host().lastMessage();
    }
    // The command goes out 5000 ms of virtual time after "Enviar".
    void sendPending(const std::string& expected) {
        host().advance(5000);
        ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == expected; }));
        host().pump(100);
    }
};

TEST_F(CableRemote, RestrictionAndKeyChangeReachTheDeviceAndAReadShowsThem) {
    const std::string clave = w().ZylTexResCla->text();
    ASSERT_EQ(clave, "1030");
    ASSERT_EQ(w().ZylChkRes[2]->value(), 0);
    w().ZylChkRes[2]->userClick();  // tick restriction 3, then send it alone
    host().popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[2]->userPress(forms::MouseButton::Right);
    sendPending("#4," + clave + ",9");

    w().ZylTexResCla->userDblClick();
    ZylForCamCla& v = p().ventana<ZylForCamCla>();
    v.ZylTextCanCka->userType("4321");
    v.zylCmbCamCla->userClick();
    sendPending("#2," + clave + ",4321");

    line->stop();
    EXPECT_TRUE(line->device().received("#4," + clave + ",9"));
    EXPECT_TRUE(line->device().received("#2," + clave + ",4321"));
    line->start();

    w().ZylTexResCla->setText("9999");
    w().ZylTexBan->setText("000000");
    read();
    EXPECT_EQ(w().ZylTexResCla->text(), "4321");
    EXPECT_EQ(w().ZylChkRes[2]->value(), 1);
}

// While a command waits its 5000 ms, a second one is turned away with a message and the first
// is the one the device gets; before, the second silently took its place.
TEST_F(CableRemote, ASecondCommandWhileTheFirstWaitsIsTurnedAwayAndTheFirstGoesOut) {
    const std::string clave = w().ZylTexResCla->text();
    line->stop();
    const std::size_t antes = line->device().frames().size();
    line->start();
    w().ZylChkRes[2]->userClick();  // restriction 3 on, sent
    host().popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[2]->userPress(forms::MouseButton::Right);
    host().advance(1000);
    host().popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[0]->userPress(forms::MouseButton::Right);  // restriction 1, while the first waits
    w().comando(2).userClick();                               // "&Verificar" too
    ASSERT_EQ(host().messages.size(), 2u);
    for (const auto& m : host().messages) {
        EXPECT_EQ(m.title, "ZYLMA");
        EXPECT_NE(m.text.find("comando anterior todavía se está enviando"), std::string::npos) << m.text;
    }
    host().advance(3999);
    host().pump(100);
    line->stop();
    EXPECT_EQ(line->device().frames().size(), antes);  // nothing yet
    line->start();
    sendPending("#4," + clave + ",9");
    host().advance(20000);
    host().pump(200);
    line->stop();
    std::vector<std::string> mandos;
    for (const std::string& f : line->device().frames())
        if (f.rfind("#", 0) == 0) mandos.push_back(f);
    EXPECT_EQ(mandos, std::vector<std::string>{"#4," + clave + ",9"});
    EXPECT_EQ(line->device().frames().size(), antes + 1);
    bool registrado = false;
    for (const std::string& l : line->device().log()) registrado |= l.find("#4," + clave + ",9") != std::string::npos;
    EXPECT_TRUE(registrado);
    EXPECT_EQ(host().messages.size(), 2u) << host().lastMessage();
}

// ---- over the modem ----

struct ModemRemote : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;

    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord("PC"));
        writeTendroConfig(folder);
        std::filesystem::copy_file(QRX_STANDARD, folder.path() + "/QRXdll.dll");
        ::setenv("ZYLMA_TELEPHONY", TAPI_SCRIPTED, 1);
        tel::reset();
        // The device's line answers busy: the call is placed and judged a success.
        tel::callState(300, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BUSY);
        h = std::make_unique<ProgramHarness>(folder.path());
        models::RegistraModelos(h->programa->modelos());
        w().ZylCmd[2]->userClick();
    }
    void TearDown() override { ::unsetenv("ZYLMA_TELEPHONY"); }
    Programa& p() { return *h->programa; }
    ZylForPri& w() { return p().pri(); }
    std::vector<std::string> kzq() {
        std::vector<std::string> out;
        for (auto& m : h->host.messages)
            if (m.title == "KZQ") out.push_back(m.text);
        return out;
    }
};

TEST_F(ModemRemote, RestrictionCommandIsDialledThroughTheLibrary) {
    ASSERT_EQ(h->port, nullptr);  // no cable in a "PC" installation
    h->host.popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[0]->userPress(forms::MouseButton::Right);
    h->host.advance(5000);
    EXPECT_EQ(tel::seen().dialled, "#1,1111,0");
    EXPECT_EQ(kzq(), std::vector<std::string>{"¡ OK !"});
    EXPECT_FALSE(w().TimerPID->timerEnabled());
    EXPECT_EQ(p().ventanaSiExiste<ZylForDLLModem>()->loaded(), false);  // shown once, then unloaded
}

TEST_F(ModemRemote, KeyChangeIsDialledThroughTheLibrary) {
    w().ZylTexResCla->userDblClick();
    ZylForCamCla& v = p().ventana<ZylForCamCla>();
    v.ZylTextCanCka->userType("4321");
    v.zylCmbCamCla->userClick();
    h->host.advance(5000);
    EXPECT_EQ(tel::seen().dialled, "#2,1111,4321");
    EXPECT_EQ(kzq().size(), 1u);
}

TEST_F(ModemRemote, MissingLibraryIsNamedAndNothingIsDialled) {
    std::filesystem::remove(folder.path() + "/QRXdll.dll");
    h->host.popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[0]->userPress(forms::MouseButton::Right);
    h->host.advance(5000);
    EXPECT_EQ(tel::seen().dialled, "");
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(h->host.messages[0].title, "ZYLMA");
    EXPECT_NE(h->host.messages[0].text.find("QRXdll.dll"), std::string::npos);
}

}  // namespace
