// Remote-command triggers, the pop-up, and the key-change window.
#include "fixture.h"
#include "zylma/app/cambio_clave.h"
#include "zylma/app/disparadores.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/models/modelos.h"

#include <gtest/gtest.h>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramHarness;

namespace {

struct Remote : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;
    std::vector<std::string> sends;  // NumeroComando/ValorComando/IndiceComando at each "Enviar"

    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        records::Record conf(57);
        conf[40] = "111111111";
        conf[43] = "1234";
        conf[55] = "000100000";
        folder.writeConfig("Téndro", "30", conf);
        h = std::make_unique<ProgramHarness>(folder.path());
        models::RegistraModelos(h->programa->modelos());
        // A panel of test rows, one per kind of trigger, on the Sonobrisa's frame.
        ModeloEquipo prueba;
        prueba.nombre = "Prueba";
        prueba.panel = "ZylFraSon";
        prueba.codigo = "zz";
        prueba.creaPanel = [](ZylForPri& w, forms::Frame& f) {
            w.add<forms::TextBox>("ZylTexPruDur", -1, &f);
            for (int i = 0; i < 3; ++i) w.add<forms::TextBox>("ZylTxtPruMem", i, &f);
            w.add<forms::Label>("ZylLabPru", -1, &f);
            w.add<forms::ComboBox>("ZylComPru", -1, &f);
            w.add<forms::Button>("ZylCmdPruBor", -1, &f);
            w.add<forms::Button>("ZylCmdPruSin", -1, &f);
        };
        auto fila = [](const char* c, int i, Gesto g, const char* n, ValorDe v, bool idx = false, int desp = 0) {
            Disparador d;
            d.control = c;
            d.indice = i;
            d.gesto = g;
            d.numero = n;
            d.valor = v;
            d.pasaIndice = idx;
            d.desplazamientoIndice = desp;
            return d;
        };
        prueba.disparadores = {
            fila("ZylTexPruDur", -1, Gesto::DobleClic, "12", ValorDe::Texto),
            fila("ZylTxtPruMem", 0, Gesto::DobleClic, "16", ValorDe::Texto, true, 13),
            fila("ZylTxtPruMem", 2, Gesto::DobleClic, "16", ValorDe::Texto, true, 13),
            fila("ZylCmdPruBor", -1, Gesto::Clic, "17", ValorDe::Nada),
        };
        Disparador etiqueta = fila("ZylLabPru", -1, Gesto::DobleClic, "16", ValorDe::TextoDe);
        etiqueta.origen = "ZylComPru";
        prueba.disparadores.push_back(etiqueta);
        h->programa->modelos().agrega(prueba);
        h->programa->pri();
        // Every "Enviar" is seen through the command builder the current code dispatches to.
        w().ZylCmd[2]->userClick();
    }
    Programa& p() { return *h->programa; }
    ZylForPri& w() { return p().pri(); }
    std::string record() { return p().NumeroComando + "/" + p().ValorComando + "/" + p().IndiceComando; }
};

TEST_F(Remote, RestrictionBoxesRaiseTheirNumberAndStateOnARightPressOnly) {
    MuestraRestricciones(p());
    for (int k = 0; k < 9; ++k) {
        h->host.popupChoices.push_back("");  // dismissed: the values stay as recorded
        w().ZylChkRes[k]->userPress(forms::MouseButton::Right);
        EXPECT_EQ(p().NumeroComando, std::to_string(k + 1));
        EXPECT_EQ(p().ValorComando, k == 3 ? "1" : "0");
    }
    EXPECT_EQ(w().ZylChkRes[3]->value(), 1);  // the right button never toggles
    EXPECT_EQ(h->host.popups.size(), 9u);
    p().NumeroComando = "0";
    w().ZylChkRes[3]->userClick();  // a left click toggles and records nothing
    EXPECT_EQ(p().NumeroComando, "0");
    EXPECT_EQ(h->host.popups.size(), 9u);
}

TEST_F(Remote, PanelRowsRecordNumberValueAndIndex) {
    struct Case {
        std::function<void()> gesture;
        std::string expected;
    };
    auto& c = w();
    c.panel("ZylFraSon")->setVisible(true);
    c.findAs<forms::TextBox>("ZylTxtPruMem", 2)->setText("5551234");
    c.findAs<forms::ComboBox>("ZylComPru")->setText("7");
    p().IndiceComando = "";
    const Case cases[] = {
        {[&] { c.find("ZylTexPruDur")->userDblClick(); }, "12//"},  // an empty field: empty value
        {[&] { c.find("ZylTxtPruMem", 0)->userDblClick(); }, "16//13"},
        {[&] { c.find("ZylTxtPruMem", 2)->userDblClick(); }, "16/5551234/15"},
        {[&] { c.find("ZylCmdPruBor")->userClick(); }, "17/5551234/15"},  // no value: kept
        {[&] { c.find("ZylLabPru")->userDblClick(); }, "16/7/15"},
    };
    for (const Case& k : cases) {
        h->host.popupChoices.push_back("");
        k.gesture();
        EXPECT_EQ(record(), k.expected);
    }
    // A control with no row raises nothing.
    const std::size_t popups = h->host.popups.size();
    c.find("ZylCmdPruSin")->userPress(forms::MouseButton::Right);
    c.find("ZylCmdPruSin")->userClick();
    EXPECT_EQ(h->host.popups.size(), popups);
}

TEST_F(Remote, EnviarRunsBeforeTheTriggerGoesOn) {
    MuestraRestricciones(p());
    w().ZylTexResCla->setText("4321");
    h->host.popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[2]->userPress(forms::MouseButton::Right);
    // The send was prepared inside the pop-up: command built, values reset, timer running.
    EXPECT_EQ(p().CadenaComando, "#4,4321,0");
    EXPECT_EQ(p().NumeroComando, "0");
    EXPECT_TRUE(w().TimerPID->timerEnabled());
    h->host.advance(5000);
    EXPECT_EQ(h->port->written, "D");
    EXPECT_EQ(p().ComandoSerie, "#4,4321,0");
}

TEST_F(Remote, KeyChangeWindowOpensBesideTheKeyBox) {
    MuestraRestricciones(p());
    p().ValorComando = "1";
    w().ZylTexResCla->userDblClick();
    auto* v = p().ventanaSiExiste<ZylForCamCla>();
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->visible());
    EXPECT_EQ(p().NumeroComando, "10");
    EXPECT_EQ(p().ValorComando, "1");
    // Past the key box's right edge: it must not open over the box it changes (the drawn
    // window is checked on screen in the gui tests).
    EXPECT_GT(v->left(), w().left() + w().ZylTexResCla->left() + w().ZylTexResCla->width());
    EXPECT_EQ(v->top(), w().top() + w().ZylTexResCla->top());
    EXPECT_EQ(v->ZylTextCanCka->maxLength(), 4);
    EXPECT_TRUE(h->host.popups.empty());
}

TEST_F(Remote, KeyChecksJudgeTheWholeText) {
    struct Case {
        const char* code;
        std::function<void(forms::TextBox&)> edit;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"00", [](auto& t) { t.userType("12a"); }, "12", "Solo se admiten numeros"},
        {"04", [](auto& t) { t.userType("12*"); }, "12*", ""},
        {"04", [](auto& t) { t.userType("123*"); }, "123", "Solo se admiten numeros"},
        {"00", [](auto& t) { t.userType("12*"); }, "12", "Solo se admiten numeros"},
        {"00", [](auto& t) { t.userType("0"); }, "", "No se admite 0 al inicio de clave"},
        {"00", [](auto& t) { t.userType("12"); t.setSelStart(0); t.userType("x"); }, "12", "Solo se admiten numeros"},
        {"00", [](auto& t) { t.userType("1"); t.userEdit("1z9"); }, "1", "Solo se admiten numeros"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        h->host.messages.clear();
        p().CodigoEquipo = c.code;
        ZylForCamCla& v = p().ventana<ZylForCamCla>();
        v.show();
        v.ZylTextCanCka->setText("");
        c.edit(*v.ZylTextCanCka);
        EXPECT_EQ(v.ZylTextCanCka->text(), c.text);
        if (*c.message) {
            ASSERT_EQ(h->host.messages.size(), 1u);
            EXPECT_EQ(h->host.messages[0].text, c.message);
            EXPECT_EQ(h->host.messages[0].title, "ERROR EN LA CLAVE");
        } else {
            EXPECT_TRUE(h->host.messages.empty());
        }
        v.userClose();
    }
}

TEST_F(Remote, KeyChangeSendsCommandTenWithTheOldKey) {
    MuestraRestricciones(p());
    w().ZylTexResCla->setText("1234");
    w().ZylTexResCla->userDblClick();
    ZylForCamCla& v = p().ventana<ZylForCamCla>();
    v.zylCmbCamCla->userClick();  // empty: refused, the window stays
    EXPECT_TRUE(v.visible());
    EXPECT_FALSE(w().TimerPID->timerEnabled());
    p().NumeroComando = "3";  // another trigger ran meanwhile
    v.ZylTextCanCka->userType("5678");
    v.zylCmbCamCla->userClick();
    EXPECT_EQ(p().ClaveAnterior, "1234");
    EXPECT_EQ(w().ZylTexResCla->text(), "5678");
    EXPECT_EQ(p().CadenaComando, "#2,1234,5678");
    EXPECT_TRUE(w().TimerPID->timerEnabled());
    EXPECT_EQ(p().ventanaSiExiste<ZylForCamCla>()->loaded(), false);
    // Its close box closes it without sending.
    w().TimerPID->setTimerEnabled(false);
    w().ZylTexResCla->userDblClick();
    ZylForCamCla& again = p().ventana<ZylForCamCla>();
    EXPECT_EQ(again.ZylTextCanCka->text(), "");
    again.ZylTextCanCka->userType("9999");
    again.userClose();
    EXPECT_EQ(w().ZylTexResCla->text(), "5678");
    EXPECT_FALSE(w().TimerPID->timerEnabled());
}

TEST_F(Remote, MissingDiallerIsReportedAndNothingIsDialled) {
    h = std::make_unique<ProgramHarness>(folder.path());
    folder.writeSoftware(AppFolder::softwareRecord("PC"));
    h = std::make_unique<ProgramHarness>(folder.path());
    models::RegistraModelos(h->programa->modelos());
    h->programa->pri();
    p().CadenaComando = "#1,1234,9";
    w().TimerPID->setTimerEnabled(true);
    h->host.advance(5000);
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_NE(h->host.messages[0].text.find("QRXdll.dll"), std::string::npos) << h->host.messages[0].text;
    EXPECT_FALSE(w().TimerPID->timerEnabled());
}

}  // namespace

namespace {

// A new key the device would not take sends nothing, and the panel keeps the device's key.
TEST_F(Remote, RefusedKeyChangeKeepsTheOldKeyAndTheWindow) {
    MuestraRestricciones(p());
    w().ZylTexResCla->setText("1234");
    w().ZylTexResCla->userDblClick();
    ZylForCamCla& v = p().ventana<ZylForCamCla>();
    v.ZylTextCanCka->userType("123");  // three digits: no Téndro takes it
    v.zylCmbCamCla->userClick();
    EXPECT_EQ(w().ZylTexResCla->text(), "1234");
    EXPECT_TRUE(v.visible());
    EXPECT_FALSE(w().TimerPID->timerEnabled());
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(h->host.messages[0].title, "ZYLMA");
    EXPECT_EQ(h->host.lastMessage(),
              "No se envió el cambio de clave: la clave nueva \"123\" no es una clave que el equipo acepte.");
}

// The key-change window's "Enviar" that sends nothing says why in one "ZYLMA" message, keeps
// the device's key in the panel and stays open for another try.
TEST_F(Remote, KeyChangesNotSentSayWhy) {
    MuestraRestricciones(p());
    const std::pair<const char*, const char*> casos[] = {
        {"", "No se envió el cambio de clave: tecle la nueva clave."},
        {"12", "No se envió el cambio de clave: la clave nueva \"12\" no es una clave que el equipo acepte."},
    };
    for (auto [nueva, mensaje] : casos) {
        SCOPED_TRACE(nueva);
        w().ZylTexResCla->setText("1234");
        w().ZylTexResCla->userDblClick();
        ZylForCamCla& v = p().ventana<ZylForCamCla>();
        v.ZylTextCanCka->setText("");
        v.ZylTextCanCka->userType(nueva);
        h->host.messages.clear();
        v.zylCmbCamCla->userClick();
        ASSERT_EQ(h->host.messages.size(), 1u);
        EXPECT_EQ(h->host.messages[0].title, "ZYLMA");
        EXPECT_EQ(h->host.messages[0].text, mensaje);
        EXPECT_EQ(w().ZylTexResCla->text(), "1234");
        EXPECT_TRUE(v.visible());
        h->host.advance(10000);
        EXPECT_TRUE(h->port->written.empty()) << h->port->written;
    }
}

}  // namespace
