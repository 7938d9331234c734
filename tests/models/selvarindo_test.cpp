// The Selvarindo: its short answer of both variants, its programming image and its remote
// commands, and the read and the option triggers through the main window.
#include "modelos_fixture.h"
#include "grupo2/selvarindo.h"
#include "zylma/app/barra.h"
#include "zylma/app/cambio_clave.h"

using namespace zylma;
using namespace zylma::app;
using namespace zylma::models;
using zylma::testing::AppFolder;
using zylma::testing::ModeloFixture;

namespace {

// Working text of a Sin Voz answer: "08", version "72", user type, modifier; drop-first-1 on
// ("09" at 11-12), block-9 off; key 1, A (0), 3, 4 at 16-22; outgoing key 2, 5, 6, 7 at 24-30.
std::string sinVoz() {
    std::string mapa = "0872" "09" "0001" "09" "0A" "010A0304" "02050607";
    mapa.resize(132, 'F');
    return mapa + "03FE";
}
// Con Voz, version "02": the key 1, 2, 3, 4 at 14-20.
std::string conVoz() {
    std::string mapa = "0802" "09" "0001" "0A" "01020304" "000000";
    mapa.resize(132, 'F');
    return mapa + "03FE";
}

TEST(SelvarindoCodec, DecodesBothVariants) {
    auto s = selvarindo::Decodifica(codec::RecepcionDesdeMapa(sinVoz()), sinVoz());
    EXPECT_EQ(s.version, "72");
    EXPECT_EQ(s.variante, selvarindo::Variante::SinVoz);
    EXPECT_TRUE(s.elimina1);
    EXPECT_FALSE(s.bloquea9);
    EXPECT_EQ(s.clave, "1034");
    EXPECT_EQ(s.claveSalida, "2567");

    auto c = selvarindo::Decodifica(codec::RecepcionDesdeMapa(conVoz()), conVoz());
    EXPECT_EQ(c.version, "02");
    EXPECT_EQ(c.variante, selvarindo::Variante::ConVoz);
    EXPECT_EQ(c.clave, "1234");
    EXPECT_EQ(c.claveSalida, "");

    // A digit "B" to "F" shows as its value.
    std::string mapa = sinVoz();
    mapa.replace(14, 8, "0B0C0D0E");
    EXPECT_EQ(selvarindo::Decodifica(codec::RecepcionDesdeMapa(mapa), mapa).clave, "11121314");
}

TEST(SelvarindoCodec, VariantByVersion) {
    const std::pair<const char*, selvarindo::Variante> cases[] = {
        {"72", selvarindo::Variante::SinVoz}, {"71", selvarindo::Variante::SinVoz},
        {"70", selvarindo::Variante::Ninguna}, {"02", selvarindo::Variante::ConVoz},
        {"2", selvarindo::Variante::ConVoz},  {"12", selvarindo::Variante::Ninguna},
        {":2", selvarindo::Variante::Ninguna}, {"", selvarindo::Variante::Ninguna},
    };
    for (auto [v, esperada] : cases) EXPECT_EQ(selvarindo::VariantePorVersion(v), esperada) << v;
}

TEST(SelvarindoCodec, ProgrammingImages) {
    auto s = selvarindo::ArmaTrama("72", false, false, "1234", "5678");
    ASSERT_TRUE(s);
    EXPECT_EQ(*s, "0809FFFF" "0A" "0A" "01020304" "05060708" + std::string(98, 'F') + "4803<4");
    EXPECT_EQ(s->size(), 132u);
    EXPECT_EQ(selvarindo::ArmaTrama("72", true, true, "1234", "5678")->substr(8, 4), "0909");
    auto c = selvarindo::ArmaTrama("02", true, true, "1234", "5678");
    ASSERT_TRUE(c);
    EXPECT_EQ(*c, "0809FFFF" "0A" "0A" "01020304" "000000" + std::string(100, 'F') + "0203<4");
    // A short key keeps its place ("F": no digit), so the image keeps its length.
    EXPECT_EQ(selvarindo::ArmaTrama("72", false, false, "12", "")->substr(12, 16), "01020F0F0F0F0F0F");
    EXPECT_EQ(selvarindo::ArmaTrama("72", false, false, "12", "")->size(), 132u);
    EXPECT_FALSE(selvarindo::ArmaTrama("50", false, false, "1234", "5678"));
    EXPECT_FALSE(selvarindo::ArmaTrama("75", false, false, "1234", "5678"));
}

TEST(SelvarindoCodec, DataPartOfEachSetting) {
    struct Case {
        const char* parametro;
        int elimina1, bloquea9;
        std::optional<std::string> dato;
    };
    const Case cases[] = {
        {"1", 1, 0, "9999f"}, {"1", 0, 1, "0000f"}, {"4", 0, 1, "9999f"}, {"4", 1, 0, "0000f"},
        {"2", 0, 0, "1234"},  {"3", 0, 0, "5678f"}, {"", 1, 1, std::nullopt}, {"5", 1, 1, std::nullopt},
        {"1", 2, 0, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(selvarindo::DatoParametro(c.parametro, c.elimina1, c.bloquea9, "1234", "5678"), c.dato) << c.parametro;
}

TEST(SelvarindoCodec, RemoteCommands) {
    struct Case {
        const char *numero, *valor, *clave, *salida, *nueva;
        std::optional<std::string> cadena;
    };
    const Case cases[] = {
        {"10", "0", "1234", "5678", "4321", "#2,9999,4321f"},
        {"11", "0", "1234", "5678", "", "#3,1234,5678f"},
        {"12", "1", "1234", "5678", "", "#1,1234,9f"},
        {"12", "0", "1234", "5678", "", "#1,1234,0f"},
        {"13", "1", "1234", "5678", "", "#5,1234,9f"},
        {"13", "2", "1234", "5678", "", std::nullopt},  // a greyed box is neither on nor off
        {"11", "0", "1234", "567", "", std::nullopt},
        {"12", "1", "123", "5678", "", std::nullopt},
        {"12", "1", "0123", "5678", "", std::nullopt},
        {"10", "0", "1234", "5678", "432", std::nullopt},
        {"1", "1", "1234", "5678", "", std::nullopt},
        {"14", "1", "1234", "5678", "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(selvarindo::ArmaComando(c.numero, c.valor, c.clave, c.salida, "9999", c.nueva, ","), c.cadena)
            << c.numero << " " << c.valor << " " << c.clave;
}

// ---- through the main window ----

records::Record configuracion(const std::string& version) {
    records::Record conf(57);
    conf[20] = "0";
    conf[21] = "5678";
    conf[22] = "9";
    conf[40] = "000000000";
    conf[43] = "1234";
    conf[44] = version;
    conf[55] = "000000000";
    return conf;
}

struct Selvarindo : ModeloFixture {
    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        folder.writeConfig("Selvarindo", "72", configuracion("72"));
        folder.writeConfig("Selvarindo", "02", configuracion("02"));
        escribeComandos(false);
        abre(7);  // the Selvarindo button, Sin voz
    }
    forms::CheckBox& elim1() { return *w().findAs<forms::CheckBox>("ZylFraSvdElim1"); }
    forms::CheckBox& num9() { return *w().findAs<forms::CheckBox>("ZylFraSvdNum9"); }
    forms::TextBox& salida() { return *w().findAs<forms::TextBox>("ZylTxtSvdClvSal"); }
};

TEST_F(Selvarindo, ButtonLoadsThePanelWithEnviarDisabled) {
    EXPECT_TRUE(w().panel("ZylFraSvd")->visible());
    EXPECT_FALSE(w().comando(4).enabled());
    EXPECT_EQ(w().ZylTexResCla->text(), "1234");
    EXPECT_EQ(w().ZylTexResCla->maxLength(), 4);
    EXPECT_EQ(salida().text(), "5678");
    EXPECT_EQ(num9().value(), 1);
    EXPECT_EQ(elim1().value(), 0);
    EXPECT_EQ(w().ZylLblSvdIdent->caption(), "Sin voz");
    EXPECT_EQ(w().ZylFraSvdRes->caption(), "Restrictores");
}

TEST_F(Selvarindo, ReadsBothVariants) {
    const std::string a = codec::RecepcionDesdeMapa(sinVoz());
    ASSERT_EQ(a.size(), 140u);
    w().comando(3).userClick();
    acknowledgeAll();
    h->port->arrive(a.substr(0, 139));
    EXPECT_EQ(w().ZylTexResCla->text(), "1234");  // 139 characters change nothing
    h->port->arrive(a.substr(139));
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_EQ(w().ZylLblSvdIdent->caption(), "Sin Voz");
    EXPECT_TRUE(w().ZylFraSvdClv->visible());
    EXPECT_TRUE(salida().visible());
    EXPECT_TRUE(w().ZylFraSvdRes->visible());
    EXPECT_FALSE(elim1().visible());
    EXPECT_EQ(elim1().value(), 1);
    EXPECT_EQ(num9().value(), 0);
    EXPECT_EQ(w().ZylTexResCla->text(), "1034");
    EXPECT_EQ(salida().text(), "2567");
    EXPECT_EQ(w().ZylTexResFirm->text(), "72");
    EXPECT_FALSE(w().comando(4).enabled());
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_EQ(p().EquipoActual, "Selvarindo");

    read(conVoz());
    EXPECT_EQ(w().ZylLblSvdIdent->caption(), "Con Voz");
    EXPECT_TRUE(w().ZylFraSvdClv->visible());
    EXPECT_FALSE(salida().visible());
    EXPECT_FALSE(w().ZylFraSvdRes->visible());
    EXPECT_EQ(w().ZylTexResCla->text(), "1234");
    EXPECT_EQ(w().ZylTexResFirm->text(), "02");
    EXPECT_EQ(p().VersionEquipo, "02");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();

    // The image of a Con Voz device is built in its own layout.
    p().ParametroSelvarindo = "2";
    selvarindo::PreparaEnvioSelvarindo(p());
    EXPECT_EQ(p().TramaEnvio.substr(126), "0203<4");
    EXPECT_EQ(p().ImagenEnvio, "1234");
    selvarindo::PreparaEnvioSelvarindo(p());
    EXPECT_EQ(p().MascaraEnvio, std::string(136, '1'));
}

// A read shows what the device holds: the key check judges typing, not the device's key.
TEST_F(Selvarindo, ReadKeyThatStartsWithZeroIsShownAsTheDeviceHoldsIt) {
    std::string mapa = sinVoz();
    mapa.replace(14, 8, "0A020304");
    read(mapa);
    EXPECT_EQ(w().ZylTexResCla->text(), "0234");
    EXPECT_EQ(h->host.countMessages("No se admite 0 al inicio de clave"), 0);
}

// "&Enviar" stays off however the panel comes back ("&Default" included), and each variant's
// button shows its controls again after a read of the other variant (or its own, which hides
// the drop-first-1 switch) hid them.
TEST_F(Selvarindo, TheVariantButtonsAndDefaultKeepThePanelUsable) {
    w().comando(7).userClick();  // "&Default"
    EXPECT_TRUE(w().panel("ZylFraSvd")->visible());
    EXPECT_FALSE(w().comando(4).enabled());

    read(conVoz());
    EXPECT_FALSE(salida().shown());
    w().ZylCmd[7]->userClick();  // "Sin voz"
    for (forms::Control* c : {static_cast<forms::Control*>(&salida()), w().find("ZylLblSvdClvSal"),
                              static_cast<forms::Control*>(&num9()), static_cast<forms::Control*>(&elim1())})
        EXPECT_TRUE(c->shown()) << c->name();

    read(sinVoz());
    EXPECT_FALSE(elim1().visible());  // the read hides it on purpose
    w().comando(7).userClick();
    EXPECT_FALSE(w().comando(4).enabled());
    w().ZylCmd[7]->userClick();
    EXPECT_TRUE(elim1().shown());
    EXPECT_FALSE(w().comando(4).enabled());
}

// A Selvarindo command records its own transmission: "&Ult.Envío" then replays the Selvarindo,
// not an older write of another model.
TEST_F(Selvarindo, ACommandRecordsItsOwnTransmission) {
    const std::string ruta = records::pathUltEnvio(folder.path());
    const records::Record otro{"0:", std::string(266, '0'), "01/01/2026", std::string(270, '1'), "", "FENZO", "5"};
    ASSERT_EQ(records::rewriteWhole(ruta, records::RegistroUltEnvio, otro), records::Status::Ok);

    num9().setValue(1);
    h->host.popupChoices.push_back("mnuEnviar");
    num9().userPress(forms::MouseButton::Right);
    EXPECT_EQ(sent(), "D#5,1234,9f1P");
    const records::Record r = ultimoEnvio();
    EXPECT_EQ(r[0], "08");
    // The Sin Voz image with both switches as the panel shows them: drop-first-1 clear, block-9
    // ticked, key 1234 and outgoing key 5678 one digit a byte, 98 "F" and the tail.
    EXPECT_EQ(r[1], "0809FFFF" "0A" "09" "01020304" "05060708" + std::string(98, 'F') + "4803<4");
    EXPECT_EQ(r[3], std::string(136, '1'));
    EXPECT_EQ(r[5], "9999f");  // the setting the command carries

    w().comando(6).userClick();  // "&Ult.Envío"
    EXPECT_TRUE(w().panel("ZylFraSvd")->visible());
    EXPECT_FALSE(w().panel("ZylFraFen")->visible());
    EXPECT_EQ(p().CodigoEquipo, "08");
}

TEST_F(Selvarindo, SwitchTriggers) {
    // A key state left refused by another model's builder does not stand for this one's key.
    p().EstadoCaptura = "DesActivado";
    h->host.popupChoices.push_back("mnuEnviar");
    num9().userPress(forms::MouseButton::Right);
    EXPECT_EQ(p().ImagenEnvio, "9999f");
    EXPECT_EQ(p().ParametroSelvarindo, "4");
    EXPECT_EQ(sent(), "D#5,1234,9f1P");

    // A left press builds the image from the state before its click, and pops nothing up.
    const std::size_t popups = h->host.popups.size();
    elim1().userClick();
    EXPECT_EQ(elim1().value(), 1);
    EXPECT_EQ(p().ImagenEnvio, "0000f");
    EXPECT_EQ(p().ParametroSelvarindo, "1");
    EXPECT_EQ(h->host.popups.size(), popups);
    EXPECT_EQ(sent(), "");

    h->host.popupChoices.push_back("mnuEnviar");
    elim1().userPress(forms::MouseButton::Right);
    EXPECT_EQ(p().ImagenEnvio, "9999f");
    EXPECT_EQ(sent(), "D#1,1234,9f1P");

    // A dismissed pop-up sends nothing but still builds the image.
    h->host.popupChoices.push_back("");
    salida().userDblClick();
    EXPECT_EQ(p().ImagenEnvio, "5678f");
    EXPECT_EQ(p().TramaEnvio.size(), 132u);
    EXPECT_EQ(sent(), "");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
}

TEST_F(Selvarindo, OutgoingKeyAndRefusals) {
    h->host.popupChoices.push_back("mnuEnviar");
    salida().userDblClick();
    EXPECT_EQ(sent(), "D#3,1234,5678f1P");

    salida().setText("56");
    h->host.popupChoices.push_back("mnuEnviar");
    salida().userDblClick();
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(p().ImagenEnvio, "56f");

    salida().setText("5678");
    w().ZylTexResCla->setText("123");
    h->host.popupChoices.push_back("mnuEnviar");
    num9().userPress(forms::MouseButton::Right);
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(h->host.lastMessage(),
              "No se envió el comando: la clave del equipo \"123\" no es una clave que el equipo acepte.");
}

// Every command the Selvarindo does not send says why, through the gesture and the pop-up.
TEST_F(Selvarindo, RefusedCommandsSayWhyAndSendNothing) {
    auto prepara = [this](const char* k, const char* s) {
        return [this, k, s] {
            w().ZylTexResCla->setText(k);
            salida().setText(s);
        };
    };
    compruebaRehusados({
        {"three-digit key", prepara("123", "5678"), [this] { num9().userPress(forms::MouseButton::Right); },
         porClave("123")},
        {"empty outgoing key", prepara("1234", ""), [this] { salida().userDblClick(); }, porVacio("Clave de Salida")},
        {"short outgoing key", prepara("1234", "56"), [this] { salida().userDblClick(); }, porCampo("Clave de Salida")},
        {"greyed switch", [this] { elim1().setValue(2); }, [this] { elim1().userPress(forms::MouseButton::Right); },
         porGris("Elimina el primer 1 marcado en el sistema")},
    });
}

TEST_F(Selvarindo, KeyChange) {
    w().ZylTexResCla->userDblClick();
    auto& v = p().ventana<ZylForCamCla>();
    EXPECT_EQ(v.ZylTextCanCka->maxLength(), 4);
    v.ZylTextCanCka->userType("4321");
    v.zylCmbCamCla->userClick();
    EXPECT_EQ(p().ImagenEnvio, "4321");
    EXPECT_EQ(p().ParametroSelvarindo, "2");
    EXPECT_EQ(sent(), "D#2,1234,4321f1P");
}

TEST_F(Selvarindo, OutgoingKeyCheck) {
    salida().setText("");
    salida().userType("9");
    EXPECT_EQ(salida().text(), "");
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(h->host.messages[0].text, "Número prohibido");
    EXPECT_EQ(h->host.messages[0].title, "ZYLMA ESTA ENOJADO");
    salida().userType("29");
    EXPECT_EQ(salida().text(), "29");
}

}  // namespace
