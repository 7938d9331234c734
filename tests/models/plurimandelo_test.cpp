// The Plurimandelo: its layout pinned by golden vectors, and the read, write and command paths
// through the main window against a recording port.
#include "modelos_fixture.h"
#include "grupo1/plurimandelo.h"
#include "zylma/app/barra.h"

using namespace zylma;
using namespace zylma::app;
using namespace zylma::models;
using zylma::testing::AppFolder;
using zylma::testing::ModeloFixture;
namespace pl = zylma::models::plurimandelo;

namespace {

const std::string kRelleno(84, 'F');

pl::Panel ejemplo() {
    pl::Panel p;
    p.clave = "1234";
    p.conmutador = "9*0";
    p.duracionLibres = "030";
    p.duracionProhibidas = "5";
    p.banderas = "101100";
    p.prefijos[0] = true;
    p.servicios[5] = true;
    return p;
}

// Panel: modifier "0001", key "1234", trunk digits "9*0", restrictions 1, 3 and 4, prefix group 0
// and service 5 ticked, free calls "030", prohibited calls "5" (three digits: "005"), firmware
// "30", class "Gardomelinta". Restrictions 3 and 4 are bits 1 and 2 of position 23, restriction
// 1 bit 1 of position 25; group 0 is bit 4 of position 27, service 5 bit 1 of position 32.
// Block 1:
//   03 1E 09 00 01 12 34 00 09 0* 00 30 10 40 00 01 00 03 00 00 00 05 and 42 bytes FF
// ("*" is not a hex digit and counts 0 in the sum)
// sum = 0x103 + 42 x 0xFF (0x29D6) = 0x2AD9; 0xD9 mod 256; 255 - 0xD9 = 0x26.
TEST(PlurimandeloCodec, GoldenProgrammingImage) {
    auto img = pl::ArmaImagen("0001", ejemplo(), "30", "Gardomelinta");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->datos, "0001" "1234" "00" "090*00" "3010" "400001" "000300" "000005" "f");
    EXPECT_EQ(img->datos.size(), 39u);
    EXPECT_EQ(img->trama, "031E090001" "1234" "00" "090*00" "3010" "400001" "000300" "000005" + kRelleno + "26" "03FE");
    EXPECT_EQ(img->trama.size(), 134u);
    EXPECT_EQ(img->mascara, std::string(138, '1'));
}

// The device's answer: key "1A3A", trunk digits 9, B ("*") and A ("0"), free calls 0, 3, A and
// prohibited calls A, A, 5 (the device's "A" is the digit 0); position 31 holds a stray "F" that
// is never read.
TEST(PlurimandeloCodec, DecodesADeviceAnswer) {
    std::string mapa = "031E090001" "1A3A" "00" "090B0A" "3010" "4000F1" "00030A" "0A0A05" + kRelleno + "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("03"));
    const pl::Lectura l = pl::Decodifica(mapa);
    EXPECT_EQ(l.version, "30");
    EXPECT_TRUE(l.usuarioGardomelinta);
    EXPECT_TRUE(l.modificadorGardomelinta);
    EXPECT_EQ(l.panel.clave, "1030");
    EXPECT_EQ(l.panel.conmutador, "9*0");
    EXPECT_EQ(l.panel.duracionLibres, "030");
    EXPECT_EQ(l.panel.duracionProhibidas, "005");
    EXPECT_EQ(l.panel.banderas, "101100");
    EXPECT_EQ(l.panel.prefijos, (std::array<bool, 9>{true, false, false, false, false, false, false, false, false}));
    EXPECT_EQ(l.panel.servicios, (std::array<bool, 6>{false, false, false, false, false, true}));
}

TEST(PlurimandeloCodec, EveryBoxKeepsItsBitThroughAWriteAndARead) {
    struct Case {
        const char* banderas;
        int prefijo, servicio;  // -1: none
        const char* nibbles;    // positions 23 to 32
    };
    const Case cases[] = {
        {"100000", -1, -1, "0010000000"}, {"010000", -1, -1, "0004000000"}, {"001000", -1, -1, "1000000000"},
        {"000100", -1, -1, "2000000000"}, {"000010", -1, -1, "0400000000"}, {"000001", -1, -1, "0002000000"},
        {"000000", 0, -1, "0000400000"},  {"000000", 4, -1, "0000020000"},  {"000000", 8, -1, "0000001000"},
        {"000000", -1, 0, "0000000400"},  {"000000", -1, 2, "0000000100"},  {"000000", -1, 3, "0000000004"},
        {"000000", -1, 5, "0000000001"},  {"000000", -1, -1, "0000000000"},
    };
    for (const Case& c : cases) {
        pl::Panel p = ejemplo();
        p.banderas = c.banderas;
        p.prefijos = {};
        p.servicios = {};
        if (c.prefijo >= 0) p.prefijos[static_cast<std::size_t>(c.prefijo)] = true;
        if (c.servicio >= 0) p.servicios[static_cast<std::size_t>(c.servicio)] = true;
        EXPECT_EQ(pl::NibblesBits(p), c.nibbles) << c.banderas << " " << c.prefijo << " " << c.servicio;
        auto img = pl::ArmaImagen("0001", p, "30", "Gardomelinta");
        ASSERT_TRUE(img);
        const pl::Lectura l = pl::Decodifica(img->trama);
        EXPECT_EQ(l.panel.banderas, c.banderas);
        EXPECT_EQ(l.panel.prefijos, p.prefijos) << c.prefijo;
        EXPECT_EQ(l.panel.servicios, p.servicios) << c.servicio;
    }
    pl::Panel todos = ejemplo();
    todos.banderas = "111111";
    todos.prefijos.fill(true);
    todos.servicios.fill(true);
    EXPECT_EQ(pl::NibblesBits(todos), "3416777707");  // position 31 stays 0
}

// Each value has three fixed bytes on the device: what does not fit is refused, what is short
// is placed so that nothing behind it moves.
TEST(PlurimandeloCodec, ValuesAreFittedToTheirBytesOrRefused) {
    struct Case {
        const char *clave, *conmutador, *libres, *prohibidas;
        const char* datos;  // positions 11 to 44, or nullptr for a refusal
    };
    const Case cases[] = {
        {"1234", "9", "30", "0", "1234" "00" "090F0F" "0000" "000000" "000300" "000000"},
        {"1234", "", "255", "1", "1234" "00" "0F0F0F" "0000" "000000" "020505" "000001"},
        {"1234", "#12", "1", "2", "1234" "00" "0#0102" "0000" "000000" "000001" "000002"},
        {"0123", "9", "30", "5", nullptr},  {"123", "9", "30", "5", nullptr},   {"", "9", "30", "5", nullptr},
        {"12345", "9", "30", "5", nullptr}, {"1234", "9a", "30", "5", nullptr}, {"1234", "1234", "30", "5", nullptr},
        {"1234", "9", "", "5", nullptr},    {"1234", "9", "256", "5", nullptr}, {"1234", "9", "30", "1a", nullptr},
        {"1234", "9", "30", "0005", nullptr},
    };
    for (const Case& c : cases) {
        pl::Panel p;
        p.clave = c.clave;
        p.conmutador = c.conmutador;
        p.duracionLibres = c.libres;
        p.duracionProhibidas = c.prohibidas;
        p.banderas = "000000";
        auto img = pl::ArmaImagen("0001", p, "30", "Gardomelinta");
        SCOPED_TRACE(std::string(c.clave) + "|" + c.conmutador + "|" + c.libres + "|" + c.prohibidas);
        if (!c.datos) {
            EXPECT_FALSE(img);
            // The image kept for the record still has the model's layout.
            EXPECT_EQ(pl::ArmaImagenAjustada("0001", p, "30", "Gardomelinta").trama.size(), 134u);
            continue;
        }
        ASSERT_TRUE(img);
        EXPECT_EQ(img->datos, "0001" + std::string(c.datos) + "f");
    }
    // A short modifier code cannot move the data either.
    EXPECT_EQ(pl::ArmaImagen("1", ejemplo(), "30", "")->datos.substr(0, 8), "00011234");
}

TEST(PlurimandeloCodec, RemoteCommands) {
    struct Case {
        const char *numero, *valor, *indice, *clave;
        std::optional<std::string> cadena;
    };
    const Case cases[] = {
        {"1", "1", "", "1234", "#50,1234,9"},  {"2", "0", "", "1234", "#52,1234,0"},
        {"3", "1", "", "1234", "#64,1234,9"},  {"4", "1", "", "1234", "#53,1234,9"},
        {"5", "0", "", "1234", "#71,1234,0"},  {"6", "1", "", "1234", "#54,1234,9"},
        {"10", "0", "", "5678", "#20,9999,5678"},
        {"11", "1", "", "1234", "#21,1234,1"},  // a duration of one, not "9"
        {"12", "180", "", "1234", "#22,1234,180"},
        {"13", "9*#", "", "1234", "#23,1234,9,*,#"},
        // A short trunk code: characters 1, 2 and 3, each empty where missing.
        {"13", "9", "", "1234", "#23,1234,9,,"}, {"13", "90", "", "1234", "#23,1234,9,0,"},
        {"13", "", "", "1234", "#23,1234,,,"},
        {"14", "1", "0", "1234", "#41,1234,9"}, {"14", "0", "8", "1234", "#49,1234,0"},
        {"15", "1", "2", "1234", "#58,1234,9"}, {"15", "0", "3", "1234", "#61,1234,0"},
        {"15", "1", "0", "1234", "#51,1234,9"}, {"15", "1", "5", "1234", "#63,1234,9"},
        // A service's code, as the procedure leaves it in place of the Index, is that service.
        {"15", "1", "61", "1234", "#61,1234,9"}, {"15", "0", "51", "1234", "#51,1234,0"},
        {"15", "1", "63", "1234", "#63,1234,9"},
        // Nothing built: no such command, a key the device refuses, a value it cannot take.
        {"7", "1", "", "1234", std::nullopt},   {"0", "1", "", "1234", std::nullopt},
        {"1", "1", "", "0123", std::nullopt},   {"10", "0", "", "12", std::nullopt},
        {"1", "2", "", "1234", std::nullopt},   {"11", "", "", "1234", std::nullopt},
        {"11", "300", "", "1234", std::nullopt}, {"13", "9*#5", "", "1234", std::nullopt},
        {"13", "9a", "", "1234", std::nullopt},   {"14", "1", "9", "1234", std::nullopt},
        {"14", "1", "", "1234", std::nullopt},  {"15", "1", "6", "1234", std::nullopt},
        {"15", "1", "50", "1234", std::nullopt}, {"15", "1", "41", "1234", std::nullopt},
        {"15", "1", "61", "0123", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pl::ArmaComando(c.numero, c.valor, c.indice, c.clave, "9999", ","), c.cadena)
            << c.numero << " " << c.valor << " " << c.indice << " " << c.clave;
}

// ---- through the main window ----

struct Plurimandelo : ModeloFixture {
    void SetUp() override {
        folder.writeSoftware(zylma::testing::SoftwareConReintentos("2"));
        folder.writeConfig("Plurimandelo", "30", config());
        escribeComandos(true);
        abre(4);  // the Plurimandelo button
    }
    static records::Record config() {
        records::Record conf = zylma::testing::ConfiguracionComun("111111000", "1111");
        conf[0] = "Prohibidas";
        conf[1] = "Libres";
        conf[2] = "Conmutador";
        for (int i = 0; i < 15; ++i) conf[3 + i] = "Caja " + std::to_string(i);
        conf[20] = "005";
        conf[21] = "180";
        conf[22] = "9";
        for (int i = 0; i < 15; ++i) conf[23 + i] = "0";
        conf[25] = "1";   // prefix group 2 ticked
        conf[33] = "2";   // not 0 or 1: service 1 left as it was
        return conf;
    }
    forms::CheckBox& prefijo(int i) { return *w().findAs<forms::CheckBox>("ZylChkPluResNum0XX", i); }
    forms::CheckBox& servicio(int i) { return *w().findAs<forms::CheckBox>("ZylChkPluResLarDis", i); }
    static std::string answer(const std::string& mapaSinSuma) {
        std::string mapa = mapaSinSuma + "00" "03FE";
        codec::RecalculaSumas(mapa, *codec::BuscaModelo("03"));
        return codec::RecepcionDesdeMapa(mapa);
    }
    static std::string goodAnswer() {
        return answer("031E090001" "1A3A" "00" "090B0A" "3010" "400001" "00030A" "0A0A05" + kRelleno);
    }
};

TEST_F(Plurimandelo, LoadShowsTheRecordInThePanel) {
    EXPECT_TRUE(w().panel("ZylFraPlu")->visible());
    EXPECT_EQ(caja("ZylTexPluDurP").text(), "005");
    EXPECT_EQ(caja("ZylTexPluDurL").text(), "180");
    EXPECT_EQ(caja("ZylTexPluCon").text(), "9");
    EXPECT_EQ(caja("ZylTexPluCon").maxLength(), 3);
    EXPECT_EQ(w().findAs<forms::Label>("ZylLabPluDurP")->caption(), "Prohibidas");
    EXPECT_EQ(prefijo(0).caption(), "Caja 0");
    EXPECT_EQ(servicio(5).caption(), "Caja 14");
    EXPECT_EQ(prefijo(2).value(), 1);
    EXPECT_EQ(w().ZylTexResCla->text(), "1111");
    EXPECT_EQ(w().ZylTexResCla->maxLength(), 4);
    EXPECT_EQ(w().ZylChkRes[5]->caption(), "Restricción 6");
    EXPECT_TRUE(w().ZylChkRes[5]->visible());
    EXPECT_FALSE(w().ZylChkRes[6]->visible());
    // A default that is neither 1 nor 0 leaves the box as it was.
    servicio(1).setValue(1);
    w().comando(7).userClick();  // "&Default" loads the record again
    EXPECT_EQ(servicio(1).value(), 1);
    EXPECT_EQ(prefijo(2).value(), 1);
}

TEST_F(Plurimandelo, ReadActsOnlyOnTheExactLength) {
    startRead();
    const std::string a = goodAnswer();
    ASSERT_EQ(a.size(), 138u);
    h->port->arrive(a.substr(0, 137));
    EXPECT_EQ(w().ZylTexResCla->text(), "1111");  // 137 characters change nothing
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    h->port->arrive(a.substr(137));
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_EQ(w().ZylTexResCla->text(), "1030");
    EXPECT_EQ(w().ZylTexResFirm->text(), "30");
    EXPECT_EQ(w().ZylTexResUs->text(), "Gardomelinta");
    EXPECT_EQ(w().ZylTexResMod->text(), "Gardomelinta");
    EXPECT_EQ(w().ZylTexBan->text(), "101100");
    EXPECT_EQ(caja("ZylTexPluCon").text(), "9*0");
    EXPECT_EQ(caja("ZylTexPluDurL").text(), "030");
    EXPECT_EQ(caja("ZylTexPluDurP").text(), "005");
    EXPECT_EQ(prefijo(0).value(), 1);
    EXPECT_EQ(prefijo(2).value(), 0);  // the record's default gives way to the device
    EXPECT_EQ(servicio(5).value(), 1);
    EXPECT_EQ(p().EquipoActual, "Plurimandelo");
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_TRUE(w().panel("ZylFraPlu")->visible());
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();

    // A character after the whole image is not taken in: the image is decoded once, as read.
    caja("ZylTexPluCon").setText("1");
    startRead();
    h->port->arrive(a + "0");
    EXPECT_EQ(caja("ZylTexPluCon").text(), "9*0");
}

TEST_F(Plurimandelo, BadChecksumRetriesThenGivesUp) {
    std::string bad = goodAnswer();
    bad[bad.size() - 6] = bad[bad.size() - 6] == '0' ? '1' : '0';
    startRead();
    h->port->arrive(bad);
    EXPECT_EQ(h->host.lastMessage(), "1");
    EXPECT_EQ(w().ZylTexEst->text(), "Reintento Lectura 1");
    EXPECT_NE(wire().find("LEEf"), std::string::npos);
    h->port->arrive(bad);
    h->port->arrive(bad);
    EXPECT_EQ(h->host.lastMessage(), "Error de Comunicación!");
    EXPECT_EQ(w().ZylTexResCla->text(), "1111");  // the panel keeps what it showed
    EXPECT_EQ(p().ContadorReintentos, 0);
}

TEST_F(Plurimandelo, WriteSendsTheDataPartAfterFrameOne) {
    w().ZylTexResCla->setText("4321");
    w().ZylChkRes[0]->userClick();
    servicio(3).userClick();
    caja("ZylTexPluCon").setText("");
    caja("ZylTexPluCon").userType("*1");
    caja("ZylTexPluDurP").setText("");
    caja("ZylTexPluDurP").userType("45");
    w().comando(4).userClick();
    acknowledgeAll();
    EXPECT_EQ(wire(), "DESC1P");
    wire().clear();
    h->host.advance(5000);
    acknowledgeAll();
    const std::string datos = "0001" "4321" "00" "0*010F" "0010" "100004" "010800" "000405" "f";
    EXPECT_EQ(wire(), "D" + datos + "1P");
    const records::Record r = ultimoEnvio();
    EXPECT_EQ(r[0], "03");
    EXPECT_EQ(r[5], datos);
    EXPECT_EQ(r[6], "39");
    EXPECT_EQ(m().ZylTexMon[2]->text(), p().TramaEnvio);

    // "&Ult.Envío" brings the write back into the panel.
    caja("ZylTexPluCon").setText("7");
    w().comando(6).userClick();
    EXPECT_EQ(caja("ZylTexPluCon").text(), "*1");
    EXPECT_EQ(caja("ZylTexPluDurP").text(), "045");
    EXPECT_EQ(servicio(3).value(), 1);
}

TEST_F(Plurimandelo, WhatDoesNotFitIsRefusedWithNothingSent) {
    const std::pair<const char*, const char*> cases[] = {
        {"ZylTexResCla", "12"}, {"ZylTexResCla", ""}, {"ZylTexResCla", "0123"}, {"ZylTexPluDurL", ""},
    };
    // The message names the field by the caption beside it.
    auto nombre = [](std::string_view campo) { return campo == "ZylTexResCla" ? "Clave" : "Libres"; };
    for (auto [campo, texto] : cases) {
        SCOPED_TRACE(std::string(campo) + "=" + texto);
        wire().clear();
        h->host.messages.clear();
        w().ZylTexResCla->setText("4321");
        caja("ZylTexPluDurL").setText("180");
        h->host.messages.clear();
        caja(campo).setText(texto);
        h->host.messages.clear();
        w().comando(4).userClick();
        EXPECT_EQ(h->host.lastMessage(), "Error en Captura: revise el campo \"" + std::string(nombre(campo)) + "\".");
        EXPECT_EQ(p().EstadoCaptura, "Activado");
        h->host.advance(10000);
        EXPECT_EQ(wire(), "");
    }
}

TEST_F(Plurimandelo, TriggersSendTheirCommands) {
    w().ZylTexResCla->setText("4321");
    struct Case {
        std::function<void()> gesto;
        const char* enviado;
    };
    const Case cases[] = {
        {[&] { prefijo(8).userPress(forms::MouseButton::Right); }, "#49,4321,0"},
        {[&] {
             caja("ZylTexPluDurL").setText("30");
             caja("ZylTexPluDurL").userDblClick();
         },
         "#22,4321,30"},
        {[&] {
             caja("ZylTexPluCon").setText("9#0");
             caja("ZylTexPluCon").userDblClick();
         },
         "#23,4321,9,#,0"},
        {[&] { w().ZylChkRes[3]->userPress(forms::MouseButton::Right); }, "#53,4321,0"},
        {[&] {
             servicio(2).setValue(1);
             servicio(2).userPress(forms::MouseButton::Right);
         },
         "#58,4321,9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enviado);
        wire().clear();
        h->host.popupChoices.push_back("mnuEnviar");
        c.gesto();
        h->host.advance(5000);
        acknowledgeAll();
        EXPECT_EQ(wire(), std::string("D") + c.enviado + "1P");
        EXPECT_EQ(p().NumeroComando, "0");
    }
    // The service command leaves its code in place of the Index, and a build from that state
    // is the same command again.
    EXPECT_EQ(p().IndiceComando, "58");
    p().NumeroComando = "15";
    p().ValorComando = "1";
    wire().clear();
    IniciaEnvio(p());
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D#58,4321,91P");
}

// Command "15" turns a service's Index into the service's code; other commands and other
// Indexes keep it. A command that is refused (and says why) changes nothing, the Index included.
TEST_F(Plurimandelo, ServiceCommandLeavesTheServiceCodeInTheIndex) {
    struct Case {
        const char *numero, *clave, *indice;
        const char *indiceDespues, *enviado;  // "" for nothing sent
    };
    const Case cases[] = {
        {"15", "4321", "3", "61", "D#61,4321,91P"}, {"15", "4321", "0", "51", "D#51,4321,91P"},
        {"15", "0123", "3", "3", ""},  // the key is refused: nothing changes
        {"15", "12", "5", "5", ""},
        {"15", "4321", "61", "61", "D#61,4321,91P"},  // already a code: kept, and understood
        {"15", "4321", "6", "6", ""},   {"14", "4321", "3", "3", "D#44,4321,91P"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.numero) + " " + c.clave + " " + c.indice);
        wire().clear();
        w().ZylTexResCla->setText(c.clave);
        p().NumeroComando = c.numero;
        p().ValorComando = "1";
        p().IndiceComando = c.indice;
        IniciaEnvio(p());
        EXPECT_EQ(p().IndiceComando, c.indiceDespues);
        if (*c.enviado) EXPECT_EQ(p().ImagenEnvio, "9");
        else EXPECT_EQ(h->host.lastMessage().rfind("No se envió el comando: ", 0), 0u) << h->host.lastMessage();
        EXPECT_EQ(sent(), c.enviado);
    }
}

// A refused write is recorded with a short key filled with the device's "no digit", so
// "&Ult.Envío" decodes it as short as it was typed rather than as another, valid-looking key.
// A write refused by several checks names every field, in the panel's words, and leaves the
// status line as it was: nothing was written.
TEST_F(Plurimandelo, ARefusedWriteNamesEveryFieldAndLeavesTheStatus) {
    w().ZylTexResCla->setText("12");
    caja("ZylTexPluDurL").setText("");
    caja("ZylTexPluCon").setText("9a");
    w().ZylTexEst->setText("Ultimo Envio 01/01/2026");
    h->host.messages.clear();
    w().comando(4).userClick();
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(h->host.messages[0].title, "ZYLMA");
    EXPECT_EQ(h->host.lastMessage(), "Error en Captura: revise los campos \"Clave\", \"Libres\" y \"Conmutador\".");
    EXPECT_EQ(w().ZylTexEst->text(), "Ultimo Envio 01/01/2026");
    h->host.advance(10000);
    EXPECT_EQ(wire(), "");
}

TEST_F(Plurimandelo, RefusedWriteReplaysWithTheKeyAsTyped) {
    struct Case {
        const char *clave, *libres;
        const char* claveLeida;  // the key the replay decodes
    };
    // Fitted with the no-digit "F", which a read shows as nothing.
    const Case cases[] = {{"12", "180", "12"}, {"", "180", ""}, {"4321", "", "4321"}};
    w().ZylTexResFirm->setText("30");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.clave) + "|" + c.libres);
        w().ZylTexResCla->setText(c.clave);
        caja("ZylTexPluDurL").setText(c.libres);
        caja("ZylTexPluDurP").setText("45");
        h->host.messages.clear();
        w().comando(4).userClick();
        ASSERT_EQ(h->host.lastMessage().rfind("Error en Captura", 0), 0u) << h->host.lastMessage();
        const records::Record r = ultimoEnvio();
        EXPECT_EQ(r[5], "");  // nothing was sent
        EXPECT_EQ(pl::Decodifica(r[1]).panel.clave, c.claveLeida);

        caja("ZylTexPluDurP").setText("7");
        w().comando(6).userClick();
        EXPECT_EQ(caja("ZylTexPluDurP").text(), "045");  // the replay did decode the record
    }
}

// Every command the Plurimandelo does not send says why, through the gesture and the pop-up.
TEST_F(Plurimandelo, RefusedCommandsSayWhyAndSendNothing) {
    auto texto = [this](const char* k, const char* nombre, const char* t) {
        return [this, k, nombre, t] {
            w().ZylTexResCla->setText(k);
            caja(nombre).setText(t);
        };
    };
    auto doble = [this](const char* nombre) { return [this, nombre] { caja(nombre).userDblClick(); }; };
    auto gris = [this](forms::CheckBox* c) {
        return [this, c] {
            w().ZylTexResCla->setText("1111");
            c->setVisible(true);
            c->setValue(2);
        };
    };
    auto pulsa = [](forms::CheckBox* c) { return [c] { c->userPress(forms::MouseButton::Right); }; };
    forms::CheckBox* r7 = w().ZylChkRes[6];
    compruebaRehusados({
        {"short key", texto("12", "ZylTexPluDurP", "005"), doble("ZylTexPluDurP"), porClave("12")},
        {"empty duration", texto("1111", "ZylTexPluDurP", ""), doble("ZylTexPluDurP"), porVacio("Prohibidas")},
        {"duration above 255", texto("1111", "ZylTexPluDurL", "300"), doble("ZylTexPluDurL"), porCampo("Libres")},
        {"letter in the trunk code", texto("1111", "ZylTexPluCon", "9a"), doble("ZylTexPluCon"), porCampo("Conmutador")},
        {"four trunk digits", texto("1111", "ZylTexPluCon", "9123"), doble("ZylTexPluCon"), porCampo("Conmutador")},
        {"greyed restriction", gris(w().ZylChkRes[0]), pulsa(w().ZylChkRes[0]), porGris("Restricción 1")},
        {"greyed prefix group", gris(&prefijo(3)), pulsa(&prefijo(3)), porGris("Caja 3")},
        {"greyed service", gris(&servicio(5)), pulsa(&servicio(5)), porGris("Caja 14")},
        {"restriction 7 has no command", [r7] { r7->setVisible(true); }, pulsa(r7), sinComando("Restricción 7")},
    });
}

TEST_F(Plurimandelo, RefusedCommandSendsNothingNotEvenThePreviousOne) {
    w().ZylTexResCla->setText("4321");
    p().NumeroComando = "1";
    p().ValorComando = "1";
    IniciaEnvio(p());
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D#50,4321,91P");
    for (const char* numero : {"7", "13"}) {  // no such command; trunk digits the device cannot dial
        SCOPED_TRACE(numero);
        wire().clear();
        caja("ZylTexPluCon").setText("9a");
        p().NumeroComando = numero;
        p().ValorComando = "9a";
        IniciaEnvio(p());
        EXPECT_FALSE(w().TimerPID->timerEnabled());
        EXPECT_EQ(h->host.lastMessage().rfind("No se envió", 0), 0u) << h->host.lastMessage();  // said why
        h->host.advance(10000);
        EXPECT_EQ(wire(), "");
    }
}

}  // namespace

namespace {

TEST_F(Plurimandelo, ReadOfAVersionWithoutRecordStillShowsTheDevice) {
    startRead();
    // Version 0x1F (31): the folder holds only the record of version 30.
    h->port->arrive(answer("031F090001" "1A3A" "00" "090B0A" "3010" "400001" "00030A" "0A0A05" + kRelleno));
    EXPECT_EQ(h->host.lastMessage(), "No existe archivo de configuración.");
    EXPECT_EQ(w().ZylTexResFirm->text(), "31");
    EXPECT_EQ(caja("ZylTexPluCon").text(), "9*0");
    EXPECT_TRUE(w().panel("ZylFraPlu")->visible());
    EXPECT_FALSE(w().TimerEC->timerEnabled());
}

}  // namespace
