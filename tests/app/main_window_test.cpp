// The main window as the user meets it: start, model buttons, dispatch, restriction area, stop.
#include "fixture.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"

#include <gtest/gtest.h>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramHarness;

namespace {

// Stand-ins for the model units: each load shows its panel and notes the code it saw.
struct MainWindow : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;
    std::vector<std::string> loads;

    void start(const records::Record& software, const std::string& nivel = "Ingenieria") {
        folder.writeSoftware(software);
        h = std::make_unique<ProgramHarness>(folder.path());
        h->programa->NivelUsuario = nivel;
        const char* models[][3] = {{"Sonobrisa", "ZylFraSon", "04"}, {"Téndro", "ZylFraTen", "00"},
                                   {"Omnivelda", "ZylFraOmn", "05"}, {"Plurimandelo", "ZylFraPlu", "03"},
                                   {"Fenzo", "ZylFraFen", "0:"},     {"Quintavo", "ZylFraQui", "02"},
                                   {"Selvarindo", "ZylFraSvd", "08"}, {"Tresmolina", "ZylFraTre", "06"}};
        for (auto& m : models) {
            ModeloEquipo e;
            e.nombre = m[0];
            e.panel = m[1];
            e.codigo = m[2];
            std::string panel = m[1];
            e.cargaConf = [this, panel](Programa& p) {
                PreparaPaneles(p);
                MuestraRestricciones(p);
                p.pri().panel(panel)->setVisible(true);
                loads.push_back(panel + " code=" + p.CodigoEquipo);
            };
            h->programa->modelos().agrega(e);
        }
        h->programa->pri();
    }
    Programa& p() { return *h->programa; }
    ZylForPri& w() { return h->programa->pri(); }
    std::vector<std::string> visiblePanels() {
        std::vector<std::string> out;
        if (w().ZylFraPri->visible()) out.push_back("ZylFraPri");
        for (auto* f : w().paneles)
            if (f->visible()) out.push_back(f->name());
        return out;
    }
};

TEST_F(MainWindow, StartAppliesTheSoftwareRecordAndShowsTheGeneralPanel) {
    auto r = AppFolder::softwareRecord();
    for (int i = 9; i <= 13; ++i) r[i] = "";
    r[24] = "32";
    start(r);
    EXPECT_EQ(w().caption(), "Zylma para Gardomelinta");
    EXPECT_EQ(p().ClaseInstalacion, "Ga");
    EXPECT_EQ(p().Reintentos, 3);
    EXPECT_EQ(w().TimerEC->interval(), 32000);
    EXPECT_EQ(p().CodigoModificador, "0001");
    for (int i = 0; i < 14; ++i) EXPECT_EQ(w().ZylCmd[i]->visible(), i < 9) << "button " << i + 1;
    EXPECT_EQ(w().ZylCmd[2]->caption(), "Téndro");
    EXPECT_EQ(visiblePanels(), std::vector<std::string>{"ZylFraPri"});
    EXPECT_FALSE(w().ZylChkRes[0]->visible());
    EXPECT_EQ(w().ZylTexBan->text(), "000000000");
    EXPECT_EQ(h->port->opened, 1);
    EXPECT_EQ(h->port->openedDevice, "/dev/ttyS0");
    EXPECT_TRUE(h->host.messages.empty());
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_FALSE(w().TimerPID->timerEnabled());
}

// Each field is judged on its own: a bad one gets its safe value (0 retries, 32 s) and is named,
// the other keeps what the record says. A time-out of 0 would give a watchdog that never fires.
TEST_F(MainWindow, BadRetriesOrTimeOutAreRefusedEachOnItsOwn) {
    struct Case {
        const char *reintentos, *espera, *names;
        int retries, interval;
    };
    const Case cases[] = {
        {"3", "33", "tiempo de espera", 3, 32000}, {"x", "10", "reintentos", 0, 10000},
        {"3", "-1", "tiempo de espera", 3, 32000}, {"3", "1.5", "tiempo de espera", 3, 32000},
        {"", "10", "reintentos", 0, 10000},        {"2", "", "tiempo de espera", 2, 32000},
        {"99999999999", "5", "reintentos", 0, 5000},
        {"3", "0", "tiempo de espera", 3, 32000},  {"2", "00", "tiempo de espera", 2, 32000},
        {"x", "0", "reintentos", 0, 32000},        {"x", "0", "tiempo de espera", 0, 32000},
    };
    for (const Case& c : cases) {
        auto r = AppFolder::softwareRecord();
        r[23] = c.reintentos;
        r[24] = c.espera;
        start(r);
        SCOPED_TRACE(std::string(c.reintentos) + "/" + c.espera);
        ASSERT_EQ(h->host.messages.size(), 1u);
        EXPECT_NE(h->host.messages[0].text.find(c.names), std::string::npos) << h->host.messages[0].text;
        EXPECT_EQ(h->host.messages[0].title, "ZYLMA");
        EXPECT_EQ(p().Reintentos, c.retries);
        EXPECT_EQ(w().TimerEC->interval(), c.interval);
        EXPECT_FALSE(h->host.quitting());
    }
    // The edges of the range are taken without a word: 1 s and 32 s.
    for (const char* espera : {"1", "32"}) {
        auto r = AppFolder::softwareRecord();
        r[24] = espera;
        start(r);
        EXPECT_TRUE(h->host.messages.empty()) << espera;
        EXPECT_EQ(w().TimerEC->interval(), std::stoi(espera) * 1000);
    }
}

// The bar's buttons by their number; a number the bar has not (9, 0, 11) reaches none of them.
TEST_F(MainWindow, CommandBarButtonsByNumber) {
    start(AppFolder::softwareRecord());
    const std::pair<int, const char*> known[] = {
        {1, "&Colgar"},    {2, "&Verificar"}, {3, "&Leer"},   {4, "&Enviar"},        {5, "Ult.&Leído"},
        {6, "&Ult.Envío"}, {7, "&Default"},   {8, "E&scape"}, {10, "&Reset Fábrica"},
    };
    for (auto [n, caption] : known) EXPECT_EQ(w().comando(n).caption(), caption) << n;
    for (int n : {0, 9, 11, -1}) {
        forms::Button& b = w().comando(n);
        for (forms::Button* real : w().ZylFraComBtn) EXPECT_NE(&b, real) << n;
        b.setVisible(true);
        b.setEnabled(true);
        b.userClick();
        EXPECT_EQ(w().find(b.name()), nullptr) << "drawn on the window: " << n;
    }
    for (forms::Button* real : w().ZylFraComBtn) {
        EXPECT_TRUE(real->visible()) << real->name();
        EXPECT_TRUE(real->enabled()) << real->name();
    }
    EXPECT_EQ(h->port->written, "");
    EXPECT_TRUE(h->host.messages.empty());
    EXPECT_FALSE(h->host.quitting());
}

TEST_F(MainWindow, MissingSoftwareRecordEndsCleanlyWithAMessage) {
    h = std::make_unique<ProgramHarness>(folder.path());
    h->programa->pri();
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_NE(h->host.messages[0].text.find("Software.WCon"), std::string::npos);
    EXPECT_TRUE(h->host.quitting());
    EXPECT_EQ(h->port, nullptr);  // no port was opened
}

TEST_F(MainWindow, ModelButtonsSetVersionModelAndCode) {
    struct Case {
        int button;
        const char *version, *equipo, *codigo, *panel;
        bool enviar;
    };
    const Case cases[] = {
        {2, "12", "Sonobrisa", "04", "ZylFraSon", true},    {3, "30", "Téndro", "00", "ZylFraTen", true},
        {4, "30", "Omnivelda", "05", "ZylFraOmn", true},    {5, "30", "Plurimandelo", "03", "ZylFraPlu", true},
        {6, "30", "Fenzo", "0:", "ZylFraFen", true},        {7, "15", "Quintavo", "02", "ZylFraQui", true},
        {8, "72", "Selvarindo", "08", "ZylFraSvd", false},  {9, "30", "Tresmolina", "06", "ZylFraTre", true},
        {10, "8", "Fenzo", "0:", "ZylFraFen", true},        {11, "72", "Selvarindo", "08", "ZylFraSvd", false},
    };
    start(AppFolder::softwareRecord());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        w().ZylCmd[c.button - 1]->userClick();
        EXPECT_EQ(p().VersionEquipo, c.version);
        EXPECT_EQ(p().EquipoActual, c.equipo);
        EXPECT_EQ(p().CodigoEquipo, c.codigo);
        EXPECT_EQ(visiblePanels(), std::vector<std::string>{c.panel});
        EXPECT_EQ(w().comando(4).enabled(), c.enviar);
    }
    // Button 10 is the Fenzo Kalmoro whatever the model list holds; button 6 the other variant.
    w().ZylCmd[9]->userClick();
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo Kalmoro");
    EXPECT_FALSE(w().ZylFraFenFraClv->visible());
    w().ZylCmd[5]->userClick();
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo");
    EXPECT_TRUE(w().ZylChkFenResC->visible());
    w().ZylCmd[10]->userClick();
    EXPECT_EQ(w().ZylLblSvdIdent->caption(), "Con voz");
    EXPECT_FALSE(w().ZylFraSvdRes->visible());
}

TEST_F(MainWindow, OnlyTheSonobrisaButtonSetsItsCodeBeforeTheDispatch) {
    start(AppFolder::softwareRecord());
    w().ZylCmd[8]->userClick();  // Tresmolina: code "06"
    w().ZylCmd[1]->userClick();  // Sonobrisa: the load already sees "04"
    w().ZylCmd[2]->userClick();  // Téndro: the load still sees "04"
    EXPECT_EQ(loads, (std::vector<std::string>{"ZylFraTre code=", "ZylFraSon code=04", "ZylFraTen code=04"}));
}

TEST_F(MainWindow, DispatchComparesNamesExactly) {
    auto r = AppFolder::softwareRecord();
    r[2] = "Tendro";  // without its accent: no panel
    r[3] = "omnivelda";
    start(r);
    w().ZylCmd[2]->userClick();
    EXPECT_TRUE(visiblePanels().empty());
    w().ZylCmd[3]->userClick();
    EXPECT_TRUE(visiblePanels().empty());
    w().ZylCmd[0]->userClick();  // "Zylma": the general panel, restriction area hidden
    EXPECT_EQ(visiblePanels(), std::vector<std::string>{"ZylFraPri"});
    EXPECT_FALSE(w().ZylTexResCla->visible());
    EXPECT_TRUE(loads.empty());
}

TEST_F(MainWindow, FlagsBoxOnlyForEngineering) {
    for (const char* nivel : {"Ingenieria", "Otro"}) {
        start(AppFolder::softwareRecord(), nivel);
        w().ZylCmd[2]->userClick();
        EXPECT_EQ(w().ZylTexBan->visible(), std::string(nivel) == "Ingenieria") << nivel;
        EXPECT_TRUE(w().ZylChkRes[0]->visible());
        EXPECT_TRUE(w().ZylTaSRes->visible());
    }
}

TEST_F(MainWindow, RestrictionVisibilityFollowsTheConfigurationRecord) {
    start(AppFolder::softwareRecord());
    records::Record conf(57);
    conf[40] = "101x10";  // only "0" and "1" decide; a short field leaves the rest alone
    folder.writeConfig("Téndro", "30", conf);
    MuestraRestricciones(p());
    p().RutaArchivo = records::pathConfiguracion(folder.path(), "Téndro", "30");
    AplicaVisibilidadRestricciones(p());
    std::string seen;
    for (auto* c : w().ZylChkRes) seen += c->visible() ? '1' : '0';
    EXPECT_EQ(seen, "101110111");
}

TEST_F(MainWindow, DefaultReloadsTheModelAndWritesTheFlags) {
    start(AppFolder::softwareRecord());
    w().ZylCmd[2]->userClick();
    p().BanderasRestrictor = {1, 0, 1, 0, 0, 0, 0, 0, 1};
    w().comando(7).userClick();
    EXPECT_EQ(w().ZylTexBan->text(), "101000001");
    EXPECT_EQ(loads.size(), 2u);
}

TEST_F(MainWindow, StopClosesThePortAfterItsMessage) {
    start(AppFolder::softwareRecord());
    w().comando(8).userClick();
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(h->host.messages[0].text, "Cerrando Puerto");
    EXPECT_EQ(h->port->closed, 1);
    EXPECT_TRUE(h->host.quitting());
}

TEST_F(MainWindow, PcInstallationOpensNoPortKeepsTheButtonColumnAndStopsSilently) {
    start(AppFolder::softwareRecord("PC"));
    EXPECT_EQ(p().ClaseInstalacion, "PC");
    EXPECT_EQ(h->port, nullptr);
    // The model buttons stay in their one column, one under another (none on a panel, none on
    // another button): the drawn layout is checked in the gui tests.
    for (int i = 1; i < 14; ++i) {
        EXPECT_EQ(w().ZylCmd[i]->left(), w().ZylCmd[0]->left()) << i + 1;
        EXPECT_GE(w().ZylCmd[i]->top(), w().ZylCmd[i - 1]->top() + w().ZylCmd[i - 1]->height()) << i + 1;
    }
    EXPECT_FALSE(w().comando(4).visible());
    EXPECT_FALSE(w().comando(3).visible());
    EXPECT_FALSE(w().comando(5).visible());
    EXPECT_FALSE(w().comando(1).visible());
    EXPECT_TRUE(w().comando(2).visible());
    w().ZylMnuPriSal->userChoose();
    EXPECT_TRUE(h->host.messages.empty());
    EXPECT_TRUE(h->host.quitting());
}

TEST_F(MainWindow, PortThatWillNotOpenIsReportedAndTheWindowStaysUsable) {
    folder.writeSoftware(AppFolder::softwareRecord());
    setenv("ZYLMA_COM2", "/dev/zylma-no-such-port", 1);
    h = std::make_unique<ProgramHarness>(folder.path());
    h->portOpens = false;
    h->programa->NumPuerto = 2;
    h->programa->pri();
    unsetenv("ZYLMA_COM2");
    ASSERT_EQ(h->host.messages.size(), 1u);
    const std::string& m = h->host.messages[0].text;
    EXPECT_NE(m.find("puerto serie 2"), std::string::npos) << m;
    EXPECT_NE(m.find("/dev/zylma-no-such-port"), std::string::npos) << m;
    EXPECT_FALSE(h->host.quitting());
    w().comando(8).userClick();  // closing a port that never opened does nothing
    EXPECT_EQ(h->port->closed, 0);
}

TEST_F(MainWindow, CommandTableLoadKeepsTheLastEntryOfEachName) {
    folder.writeCommands({{"Lectura", "R"}, {"Escritura", "W"}, {"Otro", "X"}, {"Lectura", "L"}, {"lectura", "Z"}});
    start(AppFolder::softwareRecord());
    EXPECT_EQ(p().ComandoLectura, "Lf");
    EXPECT_EQ(p().ComandoEscritura, "Wf");
    EXPECT_EQ(p().ComandoVerificar, "");
}

TEST_F(MainWindow, ClosingTheMonitorOnlyHidesIt) {
    start(AppFolder::softwareRecord());
    w().ZylMnuMon->userChoose();
    ZylForMonitor& m = p().monitor();
    EXPECT_TRUE(m.visible());
    m.ZylTexMon[4]->setText("0245");
    m.userClose();
    EXPECT_FALSE(m.visible());
    EXPECT_EQ(m.ZylTexMon[4]->text(), "0245");
    m.ZylTexMon[7]->setText("X1");
    LimpiaMonitor(p());
    EXPECT_EQ(m.ZylTexMon[4]->text(), "");
    EXPECT_EQ(m.ZylTexMon[7]->text(), "X1");
}

}  // namespace

namespace {

// The three forms of the restrictor flags stay in step whichever side changes.
TEST_F(MainWindow, RestrictorFlagsFollowTheFlagTextAndTheBoxes) {
    start(AppFolder::softwareRecord());
    const std::pair<const char*, const char*> cases[] = {
        {"101", "101000000"},        {"1x1111111", "101111111"}, {"0000000001", "000000000"},
        {"", "000000000"},           {"111111111", "111111111"},
    };
    for (auto [text, expected] : cases) {
        w().ZylTexBan->setText(text);
        std::string boxes;
        for (auto* c : w().ZylChkRes) boxes += c->value() == 1 ? '1' : '0';
        EXPECT_EQ(boxes, expected) << text;
        EXPECT_EQ(BanderasComoTexto(p()), expected) << text;
    }
    MuestraRestricciones(p());
    w().ZylChkRes[4]->setValue(2);  // greyed counts as off
    EXPECT_EQ(p().BanderasRestrictor[4], 0);
    w().ZylChkRes[4]->userClick();
    EXPECT_EQ(p().BanderasRestrictor[4], 1);
    int clicks = 0;
    for (auto* c : w().ZylChkRes) c->onClick = [&] { ++clicks; };
    w().ZylTexBan->setText(w().ZylTexBan->text());  // the same text changes nothing
    EXPECT_EQ(clicks, 0);
}

}  // namespace
