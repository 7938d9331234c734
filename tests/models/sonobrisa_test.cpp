// The Sonobrisa: its layout pinned by golden vectors, and the read, write and command paths
// through the main window against a recording port.
#include "modelos_fixture.h"
#include "grupo1/sonobrisa.h"
#include "zylma/app/barra.h"

using namespace zylma;
using namespace zylma::app;
using namespace zylma::models;
using zylma::testing::AppFolder;
using zylma::testing::ModeloFixture;
namespace so = zylma::models::sonobrisa;

namespace {

so::Panel ejemplo() {
    so::Panel p;
    p.aut = "12*34";
    p.clave = "56*78";
    p.digAler = "5";
    p.numInter = "7";
    p.banderas = "100000100";  // restrictions 1 and 7
    p.tono = true;
    p.bloqueo = true;
    return p;
}

// Panel: Aut "12*34", key "56*78", alert digit "5", restrictions 1 and 7 on and 4 off, both
// option boxes ticked, interventions "7" (three digits: "007"), modifier "0001", firmware "12"
// (0x0C), class "Gardomelinta" (09). Flag byte: high nibble 4 (recording lock) + 2 (tone) = 6,
// low nibble 8 (restriction 7) + 1 (restriction 1) = 9. No checksum; the fixed tail follows the
// data part and its "f".
TEST(SonobrisaCodec, GoldenProgrammingImage) {
    auto img = so::ArmaImagen("0001", ejemplo(), "12", "Gardomelinta");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->datos, "01020*0304" "05060*0708" "05" "69" "000007" "f");
    EXPECT_EQ(img->datos.size(), 31u);
    EXPECT_EQ(img->trama, "040C090001" + img->datos + std::string(86, '?') + "040;03<2");
    EXPECT_EQ(img->trama.size(), 135u);
    EXPECT_EQ(img->mascara, std::string(138, '1'));
}

// The device's answer: "A" for the digit 0 in the Aut code and the key, "B" ("*") in the third
// places, which are never read; alert digit "0C" ("#"); flag byte "19"; interventions A, 4, 2.
TEST(SonobrisaCodec, DecodesADeviceAnswer) {
    std::string mapa = "040C090001" "010A0F0304" "050A0B0A08" "0C" "19" "0A0402";
    mapa.resize(130, 'F');
    mapa += "03FE";
    const so::Lectura l = so::Decodifica(mapa);
    EXPECT_EQ(l.version, "12");
    EXPECT_TRUE(l.usuarioGardomelinta);
    EXPECT_TRUE(l.modificadorGardomelinta);
    EXPECT_EQ(l.panel.aut, "10*34");
    EXPECT_EQ(l.panel.clave, "50*08");
    EXPECT_EQ(l.panel.digAler, "#");
    EXPECT_EQ(l.panel.banderas, "1001001");
    EXPECT_FALSE(l.panel.tono);
    EXPECT_FALSE(l.panel.bloqueo);
    EXPECT_EQ(l.panel.numInter, "042");  // the three digits the builder writes, not a hex reading of two
}

// The key and the Aut code show every device digit but the third as a dial digit: "A" is 0,
// "B" "*", "C" "#", and the no-digit "F" of an unprogrammed code nothing (the read marks such a
// code as one it cannot give back). The third is "*" whatever the device holds there.
TEST(SonobrisaCodec, KeyAndAutCodeShowTheDeviceDigitsAsDialDigits) {
    struct Case {
        const char* bytes;  // five bytes, one digit in each low nibble
        const char* mostrado;
    };
    const Case cases[] = {
        {"050A0B0A08", "50*08"}, {"05060B0F0F", "56*"}, {"0F0F0F0F0F", "*"},
        {"0B0C0A0C0B", "*#*#*"}, {"0A0A0A0A0A", "00*00"}, {"0102030405", "12*45"},
    };
    for (const Case& c : cases) {
        for (const bool esClave : {false, true}) {
            SCOPED_TRACE(std::string(c.bytes) + (esClave ? " key" : " aut"));
            const std::string campo = c.bytes;
            std::string mapa = "040C090001" + (esClave ? "0102030405" + campo : campo + "0102030405") + "0C" "19" "0A0402";
            mapa.resize(130, 'F');
            mapa += "03FE";
            const so::Lectura l = so::Decodifica(mapa);
            EXPECT_EQ(esClave ? l.panel.clave : l.panel.aut, c.mostrado);
            EXPECT_EQ(esClave ? l.panel.aut : l.panel.clave, "12*45");
        }
    }
}

TEST(SonobrisaCodec, FlagsAndAlertDigitSurviveAWriteAndARead) {
    struct Case {
        const char* banderas;
        bool tono, bloqueo;
        const char* byte;
    };
    const Case cases[] = {
        {"100000000", false, false, "01"}, {"000100000", false, false, "10"}, {"000000100", false, false, "08"},
        {"000000000", true, false, "20"},  {"000000000", false, true, "40"},  {"100100100", true, true, "79"},
        {"011011011", false, false, "00"},  // restrictions the device does not hold
    };
    for (const Case& c : cases) {
        so::Panel p = ejemplo();
        p.banderas = c.banderas;
        p.tono = c.tono;
        p.bloqueo = c.bloqueo;
        EXPECT_EQ(so::NibblesBanderas(p), c.byte) << c.banderas;
        auto img = so::ArmaImagen("0001", p, "12", "Gardomelinta");
        ASSERT_TRUE(img);
        const so::Lectura l = so::Decodifica(img->trama);
        const std::string esperadas = {c.banderas[0], '0', '0', c.banderas[3], '0', '0', c.banderas[6]};
        EXPECT_EQ(l.panel.banderas, esperadas);
        EXPECT_EQ(l.panel.tono, c.tono) << c.banderas;
        EXPECT_EQ(l.panel.bloqueo, c.bloqueo) << c.banderas;
    }
    const std::pair<const char*, const char*> digitos[] = {{"", "0F"}, {" 7 ", "07"}, {"*", "0*"}, {"#", "0#"}, {"0", "00"}};
    for (auto [tecleado, bytes] : digitos) {
        so::Panel p = ejemplo();
        p.digAler = tecleado;
        auto img = so::ArmaImagen("0001", p, "12", "Gardomelinta");
        ASSERT_TRUE(img) << tecleado;
        EXPECT_EQ(img->datos.substr(20, 2), bytes) << tecleado;
        EXPECT_EQ(so::Decodifica(img->trama).panel.digAler, std::string(tecleado) == " 7 " ? "7" : tecleado);
    }
}

// Every field has fixed bytes: what does not fit is refused, a short count gets leading zeros.
TEST(SonobrisaCodec, FieldsThatDoNotFitAreRefused) {
    struct Case {
        const char *clave, *aut, *digAler, *numInter;
        bool acepta;
    };
    const Case cases[] = {
        {"56*78", "12*34", "5", "", true},     {"56*78", "00*00", "", "123", true},
        {"56*7", "12*34", "5", "1", false},    {"", "12*34", "5", "1", false},      {"06*78", "12*34", "5", "1", false},
        {"56378", "12*34", "5", "1", false},   {"56*78", "12*3", "5", "1", false},  {"56*78", "", "5", "1", false},
        {"56*78", "12*34", "55", "1", false},  {"56*78", "12*34", "a", "1", false}, {"56*78", "12*34", "5", "1234", false},
        {"56*78", "12*34", "5", "1a", false},
    };
    for (const Case& c : cases) {
        so::Panel p = ejemplo();
        p.clave = c.clave;
        p.aut = c.aut;
        p.digAler = c.digAler;
        p.numInter = c.numInter;
        SCOPED_TRACE(std::string(c.clave) + "|" + c.aut + "|" + c.digAler + "|" + c.numInter);
        auto img = so::ArmaImagen("0001", p, "12", "Gardomelinta");
        EXPECT_EQ(img.has_value(), c.acepta);
        if (img) {
            EXPECT_EQ(img->datos.size(), 31u);
        }
        EXPECT_EQ(so::ArmaImagenAjustada("0001", p, "12", "Gardomelinta").trama.size(), 135u);
    }
    so::Panel vacio = ejemplo();
    vacio.numInter = "";
    EXPECT_EQ(so::ArmaImagen("0001", vacio, "12", "")->datos.substr(24, 6), "000000");
}

TEST(SonobrisaCodec, RemoteCommands) {
    struct Case {
        const char *numero, *clave, *aut, *digAler;
        std::optional<std::string> cadena;
    };
    const Case cases[] = {
        {"1", "12*34", "", "", "12*341f"},       {"4", "12*34", "", "", "12*347f"},
        {"7", "12*34", "", "", "12*345f"},       {"11", "12*34", "", "", "12*348f"},
        {"12", "12*34", "", "", "12*349f"},      {"10", "56*78", "", "", "99*993" "56*78" "f"},
        {"13", "12*34", "56*78", "", "12*342" "56*78" "f"},
        {"14", "12*34", "", " # ", "12*346#f"},
        {"2", "12*34", "", "", std::nullopt},    {"0", "12*34", "", "", std::nullopt},
        {"1", "02*34", "", "", std::nullopt},    {"1", "12*3", "", "", std::nullopt},
        {"10", "1234", "", "", std::nullopt},    {"13", "12*34", "56*7", "", std::nullopt},
        {"14", "12*34", "", "", std::nullopt},   {"14", "12*34", "", "55", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(so::ArmaComando(c.numero, c.clave, "99*99", c.aut, c.digAler), c.cadena) << c.numero << " " << c.clave;
    // The old key of a key change is read by position too.
    EXPECT_EQ(so::ArmaComando("10", "56*78", "9*99", "", ""), std::nullopt);
    EXPECT_EQ(so::ArmaComando("10", "56*78", "", "", ""), std::nullopt);
    EXPECT_EQ(so::Separa("12*347f"), "1,2,*,3,4,7,f");
    EXPECT_EQ(so::Separa(""), "");
}

// ---- through the main window ----

struct Sonobrisa : ModeloFixture {
    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        records::Record conf = zylma::testing::ConfiguracionComun("100100100", "11*11");
        conf[0] = "Código de autorización";
        conf[1] = "Dígito de alerta";
        conf[2] = "Marcación por tonos";
        conf[3] = "Bloqueo de grabación";
        conf[20] = "12*34";
        conf[21] = "5";
        conf[22] = "1";
        conf[23] = "x";  // not a number: the box stays as it was
        folder.writeConfig("Sonobrisa", "12", conf);
        escribeComandos(true);
        abre(1);  // the Sonobrisa button
    }
    forms::CheckBox& casilla(const char* n) { return *w().findAs<forms::CheckBox>(n); }
    static std::string answer() {
        std::string mapa = "040C090001" "010A0B0304" "050A0B0A08" "0C" "19" "0A0402";
        mapa.resize(130, 'F');
        return codec::RecepcionDesdeMapa(mapa + "03FE");
    }
};

TEST_F(Sonobrisa, LoadShowsTheRecordInThePanel) {
    EXPECT_TRUE(w().panel("ZylFraSon")->visible());
    EXPECT_EQ(p().CodigoEquipo, "04");
    EXPECT_EQ(caja("ZylTxtSonAut").text(), "12*34");
    EXPECT_EQ(caja("ZylTxtSonDigAler").text(), "5");
    EXPECT_EQ(w().findAs<forms::Label>("ZyllblSonAut")->caption(), "Código de autorización");
    EXPECT_EQ(casilla("ZylChkSonTono").caption(), "Marcación por tonos");
    EXPECT_EQ(casilla("ZylChkSonTono").value(), 1);
    EXPECT_EQ(casilla("ZylChkSonBlqGrb").value(), 0);
    EXPECT_EQ(w().ZylTexResCla->text(), "11*11");
    EXPECT_EQ(w().ZylTexResCla->maxLength(), 5);
    EXPECT_EQ(w().ZylChkRes[8]->caption(), "Restricción 9");
    EXPECT_TRUE(w().ZylChkRes[6]->visible());
    EXPECT_FALSE(w().ZylChkRes[1]->visible());
    casilla("ZylChkSonBlqGrb").setValue(1);
    w().comando(7).userClick();  // "&Default": field 23 is no number, the box keeps its state
    EXPECT_EQ(casilla("ZylChkSonBlqGrb").value(), 1);
}

TEST_F(Sonobrisa, ReadTakesTheWholeImageWithoutChecksum) {
    w().comando(3).userClick();
    acknowledgeAll();
    const std::string a = answer();
    ASSERT_EQ(a.size(), 138u);
    h->port->arrive(a.substr(0, 137));
    EXPECT_EQ(w().ZylTexResCla->text(), "11*11");
    EXPECT_EQ(p().LecturaEnVivo, 1);
    h->port->arrive(a.substr(137));
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_EQ(w().ZylTexResCla->text(), "50*08");
    EXPECT_EQ(w().ZylTexResFirm->text(), "12");
    EXPECT_EQ(w().ZylTexResUs->text(), "Gardomelinta");
    EXPECT_EQ(caja("ZylTxtSonAut").text(), "10*34");
    EXPECT_EQ(caja("ZylTxtSonDigAler").text(), "#");
    EXPECT_EQ(caja("ZylTexSonNumInter").text(), "042");
    EXPECT_EQ(w().ZylTexBan->text(), "1001001");
    EXPECT_EQ(w().ZylChkRes[0]->value(), 1);
    EXPECT_EQ(w().ZylChkRes[3]->value(), 1);
    EXPECT_EQ(w().ZylChkRes[6]->value(), 1);
    EXPECT_EQ(casilla("ZylChkSonTono").value(), 0);
    EXPECT_EQ(p().EquipoActual, "Sonobrisa");
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
}

TEST_F(Sonobrisa, WriteSendsTheDataPartAfterFrameOne) {
    w().ZylTexResCla->setText("56*78");
    w().ZylChkRes[3]->userClick();
    casilla("ZylChkSonBlqGrb").userClick();
    caja("ZylTexSonNumInter").userType("12");
    caja("ZylTxtSonDigAler").setText("");
    w().comando(4).userClick();
    acknowledgeAll();
    EXPECT_EQ(wire(), "DESC1P");
    wire().clear();
    h->host.advance(5000);
    acknowledgeAll();
    const std::string datos = "01020*0304" "05060*0708" "0F" "70" "000102" "f";
    EXPECT_EQ(wire(), "D" + datos + "1P");
    const records::Record r = ultimoEnvio();
    EXPECT_EQ(r[0], "04");
    EXPECT_EQ(r[5], datos);
    EXPECT_EQ(r[6], "31");
    EXPECT_EQ(r[1].size(), 135u);

    // "&Ult.Envío" brings the write back into the panel.
    caja("ZylTexSonNumInter").setText("");
    w().comando(6).userClick();
    EXPECT_EQ(caja("ZylTexSonNumInter").text(), "012");
    EXPECT_EQ(casilla("ZylChkSonBlqGrb").value(), 1);
    EXPECT_EQ(casilla("ZylChkSonTono").value(), 1);  // the tone box keeps its polarity
    EXPECT_EQ(w().ZylTexResCla->text(), "56*78");
}

TEST_F(Sonobrisa, WhatDoesNotFitIsRefusedWithNothingSent) {
    const std::pair<const char*, const char*> cases[] = {
        {"ZylTexResCla", ""}, {"ZylTexResCla", "56*7"}, {"ZylTxtSonAut", "1234"}, {"ZylTxtSonDigAler", "x"},
        {"ZylTexSonNumInter", "9a"},
    };
    // The message names the field as the panel shows it: the caption beside it, after its
    // frame's (the number of interventions has only its frame's).
    auto nombre = [](std::string_view campo) -> std::string {
        if (campo == "ZylTexResCla") return "Clave";
        if (campo == "ZylTxtSonAut") return "Opciones de programación Código de autorización";
        if (campo == "ZylTxtSonDigAler") return "Opciones de programación Dígito de alerta";
        return "Numero de Intervenciones";
    };
    for (auto [campo, texto] : cases) {
        SCOPED_TRACE(std::string(campo) + "=" + texto);
        wire().clear();
        w().ZylTexResCla->setText("56*78");
        caja("ZylTxtSonAut").setText("12*34");
        caja("ZylTxtSonDigAler").setText("5");
        caja("ZylTexSonNumInter").setText("1");
        caja(campo).setText(texto);
        h->host.messages.clear();
        w().comando(4).userClick();
        EXPECT_EQ(h->host.lastMessage(), "Error en Captura: revise el campo \"" + nombre(campo) + "\".");
        EXPECT_EQ(p().EstadoCaptura, "Activado");
        h->host.advance(10000);
        EXPECT_EQ(wire(), "");
    }
}

// A refused write is recorded with the missing or bad characters of the key and the Aut code as
// the device's "no digit", so "&Ult.Envío" decodes them as short as they were typed rather than
// as another, valid-looking code.
TEST_F(Sonobrisa, RefusedWriteReplaysWithTheKeyAndAutCodeAsTyped) {
    struct Case {
        const char *clave, *aut;
        const char *claveLeida, *autLeido;  // what the replay decodes
    };
    const Case cases[] = {
        {"56*7", "12*34", "56*7", "12*34"}, {"", "12*34", "*", "12*34"},
        {"56*78", "12*3", "56*78", "12*3"}, {"56*78", "1a*34", "56*78", "1*34"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.clave) + "|" + c.aut);
        w().ZylTexResCla->setText(c.clave);
        caja("ZylTxtSonAut").setText(c.aut);
        h->host.messages.clear();
        w().comando(4).userClick();
        ASSERT_EQ(h->host.lastMessage().rfind("Error en Captura", 0), 0u) << h->host.lastMessage();
        const records::Record r = ultimoEnvio();
        EXPECT_EQ(r[5], "");  // nothing was sent
        const so::Lectura l = so::Decodifica(r[1]);
        EXPECT_EQ(l.panel.clave, c.claveLeida);
        EXPECT_EQ(l.panel.aut, c.autLeido);

        caja("ZylTxtSonAut").setText("");
        w().comando(6).userClick();
        EXPECT_EQ(caja("ZylTxtSonAut").text(), c.autLeido);
    }
}

TEST_F(Sonobrisa, TriggersSendTheirCommandsSeparated) {
    w().ZylTexResCla->setText("56*78");
    struct Case {
        std::function<void()> gesto;
        const char* enviado;
    };
    const Case cases[] = {
        {[&] { w().ZylChkRes[3]->userPress(forms::MouseButton::Right); }, "5,6,*,7,8,7,f"},
        {[&] { casilla("ZylChkSonTono").userPress(forms::MouseButton::Right); }, "5,6,*,7,8,8,f"},
        {[&] { casilla("ZylChkSonBlqGrb").userPress(forms::MouseButton::Right); }, "5,6,*,7,8,9,f"},
        {[&] { caja("ZylTxtSonAut").userDblClick(); }, "5,6,*,7,8,2,1,2,*,3,4,f"},
        {[&] { caja("ZylTxtSonDigAler").userDblClick(); }, "5,6,*,7,8,6,5,f"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enviado);
        wire().clear();
        h->host.popupChoices.push_back("mnuEnviar");
        c.gesto();
        h->host.advance(5000);
        acknowledgeAll();
        EXPECT_EQ(wire(), std::string("D") + c.enviado + "1P");
        EXPECT_EQ(p().CadenaAuxiliar, "");
        EXPECT_EQ(p().CadenaAuxiliar2, "");
    }
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
}

// Every command the Sonobrisa does not send says why, through the gesture and the pop-up.
TEST_F(Sonobrisa, RefusedCommandsSayWhyAndSendNothing) {
    const std::string opciones = "Opciones de programación ";
    auto texto = [this](const char* k, const char* nombre, const char* t) {
        return [this, k, nombre, t] {
            w().ZylTexResCla->setText(k);
            caja(nombre).setText(t);
        };
    };
    auto doble = [this](const char* nombre) { return [this, nombre] { caja(nombre).userDblClick(); }; };
    auto* tono = w().findAs<forms::CheckBox>("ZylChkSonTono");
    compruebaRehusados({
        {"key without its star", texto("11111", "ZylTxtSonAut", "12*34"), [this] { pulsaRestriccion(1); },
         porClave("11111")},
        {"key of four", texto("11*1", "ZylTxtSonAut", "12*34"), [tono] { tono->userPress(forms::MouseButton::Right); },
         porClave("11*1")},
        {"Aut code without its star", texto("11*11", "ZylTxtSonAut", "12345"), doble("ZylTxtSonAut"),
         porCampo(opciones + "Código de autorización")},
        {"empty Aut code", texto("11*11", "ZylTxtSonAut", ""), doble("ZylTxtSonAut"),
         porVacio(opciones + "Código de autorización")},
        {"empty alert digit", texto("11*11", "ZylTxtSonDigAler", ""), doble("ZylTxtSonDigAler"),
         porVacio(opciones + "Dígito de alerta")},
        {"greyed restriction", [this] { w().ZylChkRes[3]->setValue(2); }, [this] { pulsaRestriccion(4); },
         porGris("Restricción 4")},
        {"restriction 2 has no command", [this] { w().ZylChkRes[1]->setVisible(true); },
         [this] { pulsaRestriccion(2); }, sinComando("Restricción 2")},
    });
}

TEST_F(Sonobrisa, RefusedCommandSendsNothingNotEvenThePreviousOne) {
    w().ZylTexResCla->setText("56*78");
    p().NumeroComando = "1";
    IniciaEnvio(p());
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D5,6,*,7,8,1,f1P");
    struct Case {
        const char *numero, *clave;
    };
    for (const Case c : {Case{"2", "56*78"}, Case{"4", "5"}, Case{"14", "56*78"}}) {
        SCOPED_TRACE(c.numero);
        wire().clear();
        w().ZylTexResCla->setText(c.clave);
        caja("ZylTxtSonDigAler").setText("");
        p().NumeroComando = c.numero;
        IniciaEnvio(p());
        EXPECT_FALSE(w().TimerPID->timerEnabled());
        EXPECT_EQ(h->host.lastMessage().rfind("No se envió", 0), 0u) << h->host.lastMessage();  // said why
        h->host.advance(10000);
        EXPECT_EQ(wire(), "");
    }
}

}  // namespace
