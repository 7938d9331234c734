// The Quintavo: its two-block layout pinned by golden vectors, and the read, write and command
// paths through the main window against a recording port.
#include "modelos_fixture.h"
#include "grupo2/quintavo.h"
#include "zylma/app/barra.h"
#include "zylma/app/cambio_clave.h"

#include <functional>

using namespace zylma;
using namespace zylma::app;
using namespace zylma::models;
using zylma::testing::AppFolder;
using zylma::testing::ModeloFixture;

namespace {

// Index of a field in quintavo::kCampos.
std::size_t campo(const char* control, int indice = -1) {
    for (std::size_t i = 0; i < quintavo::kCampos_n; ++i)
        if (std::string(quintavo::kCampos[i].control) == control && quintavo::kCampos[i].indice == indice) return i;
    ADD_FAILURE() << control;
    return 0;
}

quintavo::Valores panel() {
    quintavo::Valores v;
    v.modificador = "0001";
    v.clave = "12345";
    v.banderas = "101111";
    v.troncal = "1";
    v.digitosLocal = "7";
    const char* tres[] = {"000", "012", "010", "005", "003", "255"};  // SMC LDC SMNP LDNP SMT LDT
    for (std::size_t i = 0; i < 6; ++i) v.campos[i] = tres[i];
    v.campos[campo("ZylTexQuiNumTel", 0)] = "5551234";
    v.campos[campo("ZylTexQuiNumTel", 4)] = "12345678901234";
    v.campos[campo("ZylTexQuiClv", 1)] = "11111";
    v.campos[campo("ZylTexQuiClv", 2)] = "2";
    v.campos[campo("ZylTexQuiClv", 4)] = "54321";
    return v;
}

// The data part of panel(): modifier 0001, key 12345, "F"; nibbles C = 0011 (restrictions 4
// and 3), B = 0100 (restriction 5), "0", A = 0111 (restriction 6, trunk, the fixed bit), "0";
// local digits 7, "00"; the six settings one digit per byte; memory 01 "5551234", 02 to 04
// empty, 05 "12345678901234"; the key again; the operation keys "11111", "2", "", "54321".
const std::string kDatos =
    "000112345F34070700"
    "000000" "000102" "000100" "000005" "000003" "020505"
    "5551234FFFFFFFFF" + std::string(48, 'F') + "12345678901234FF"
    "12345F" "11111F" "2FFFFF" "FFFFFF" "54321F" "f";

// Block 1: 02 15 09 (model, version 15 as typed, user type Gardomelinta), then data characters
// 1-122: 00 01 12 34 5F 34 07 07 00, the settings 00 00 00 00 01 02 00 01 00 00 00 05 00 00 03
// 02 05 05, memory 01 55 51 23 4F and 28 FF (its tail and memories 02-04), and 12 34 (the
// first four digits of memory 05).
//   02+15+09+00+01+12+34+5F+34+07+07+00 = 0x108; settings 01+02+01+05+03+02+05+05 = 0x18;
//   55+51+23+4F = 0x118; 28 x FF = 0x1BE4; 12+34 = 0x46. Sum 0x1E62; 0x62 = 98; 255-98 = 0x9D.
// Block 2: 56 78 90 12 34 FF (the rest of memory 05), 12 34 5F (the key again), 11 11 1F 2F FF
// FF FF FF FF 54 32 1F (the operation keys), 6E and 42 bytes 00.
//   0x1A4 + FF + 0xA5 + 0x41 + 0x2F + 5 x FF + 0xA5 + 0x6E = 0x9C6; 0xC6 = 198; 255-198 = 0x39.
const std::string kBloque1 = "021509" + kDatos.substr(0, 122);
const std::string kBloque2 = kDatos.substr(122, 42) + "6E" + std::string(84, '0');
const std::string kTrama = kBloque1 + "9D" "45" + kBloque2 + "39" "03FE";

TEST(QuintavoCodec, GoldenProgrammingImage) {
    auto img = quintavo::ArmaImagen(panel(), "15", "Gardomelinta");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->datos, kDatos);
    EXPECT_EQ(img->datos.size(), 165u);
    EXPECT_EQ(img->trama, kTrama);
    EXPECT_EQ(img->trama.size(), 266u);
    EXPECT_EQ(img->mascara, std::string(270, '1'));
    EXPECT_TRUE(codec::SumasCorrectas(img->trama, *codec::BuscaModelo("02")));
}

TEST(QuintavoCodec, DataCharactersLandOnTheirImagePositions) {
    // Memory 05 straddles the blocks: its first four digits end block 1, the rest open block 2.
    const std::pair<std::size_t, std::size_t> cases[] = {{1, 7}, {5, 11}, {122, 128}, {123, 133}, {135, 145}, {164, 174}};
    for (auto [dato, pos] : cases) EXPECT_EQ(quintavo::PosicionMapa(dato), pos) << dato;
    for (std::size_t i = 1; i <= 164; ++i)
        EXPECT_EQ(kTrama[quintavo::PosicionMapa(i) - 1], kDatos[i - 1]) << "data character " << i;
}

TEST(QuintavoCodec, DecodesTheImageItWrote) {
    auto l = quintavo::Decodifica(kTrama);
    EXPECT_EQ(l.version, "15");
    EXPECT_TRUE(l.usuarioGardomelinta);
    EXPECT_TRUE(l.modificadorGardomelinta);
    quintavo::Valores esperado = panel();
    esperado.campos[campo("ZylTexResCla")] = "12345";
    EXPECT_EQ(l.valores.clave, esperado.clave);
    EXPECT_EQ(l.valores.banderas, "101111");
    EXPECT_EQ(l.valores.troncal, "1");
    EXPECT_EQ(l.valores.digitosLocal, "7");
    EXPECT_EQ(l.valores.campos, esperado.campos);
}

TEST(QuintavoCodec, DecodesDeviceDigits) {
    std::string mapa = kTrama;
    mapa.replace(24, 6, "000A09");             // metered-service counter: "A" is 0
    mapa.replace(60, 16, "5A5B12C3FFFFFFFF");  // memory 01 with 0, "*" and "#"
    mapa.replace(144, 5, "1A3A5");             // the key's second copy
    mapa.replace(10, 5, "99999");              // the first copy is not the one shown
    ASSERT_TRUE(codec::RecalculaSumas(mapa, *codec::BuscaModelo("02")));
    auto l = quintavo::Decodifica(mapa);
    EXPECT_EQ(l.valores.campos[campo("ZylTexQuiSMC")], "009");
    EXPECT_EQ(l.valores.campos[campo("ZylTexQuiNumTel", 0)], "505*12#3");
    EXPECT_EQ(l.valores.clave, "10305");
}

TEST(QuintavoCodec, EveryFlagKeepsItsBitThroughAWriteAndARead) {
    struct Case {
        const char* banderas;
        const char* troncal;
        const char* nibblesCBA;  // data characters 11, 12 and 14
        const char* leidas;
    };
    const Case cases[] = {
        {"000000", "0", "001", "100000"}, {"100000", "0", "001", "100000"},
        {"010000", "0", "001", "100000"},  // restriction 2 has no bit
        {"001000", "0", "101", "101000"}, {"000100", "0", "201", "100100"},
        {"000010", "0", "041", "100010"}, {"000001", "0", "005", "100001"},
        {"000000", "1", "003", "100000"}, {"111111", "1", "347", "101111"},
        {"1", "0", "001", "100000"},      // a short flag text: the missing flags are off
    };
    for (const Case& c : cases) {
        quintavo::Valores v = panel();
        v.banderas = c.banderas;
        v.troncal = c.troncal;
        auto img = quintavo::ArmaImagen(v, "15", "Gardomelinta");
        ASSERT_TRUE(img);
        EXPECT_EQ(std::string() + img->datos[10] + img->datos[11] + img->datos[13], c.nibblesCBA) << c.banderas;
        auto l = quintavo::Decodifica(img->trama);
        EXPECT_EQ(l.valores.banderas, c.leidas) << c.banderas;
        EXPECT_EQ(l.valores.troncal, c.troncal) << c.banderas;
    }
}

TEST(QuintavoCodec, OnlyValuesTheDeviceTakesBuildAnImage) {
    const std::pair<const char*, bool> claves[] = {
        {"12345", true}, {"99990", true}, {"1234", false}, {"123456", false},
        {"01234", false}, {"", false}, {"12a45", false},
    };
    for (auto [clave, ok] : claves) {
        quintavo::Valores v = panel();
        v.clave = clave;
        EXPECT_EQ(quintavo::ArmaImagen(v, "15", "").has_value(), ok) << clave;
        // A refused write is recorded in the same layout all the same.
        EXPECT_EQ(quintavo::ArmaImagenAjustada(v, "15", "").datos.size(), 165u) << clave;
    }
    for (const char* d : {"", "4", "9", "55", "Combo1"}) {
        quintavo::Valores v = panel();
        v.digitosLocal = d;
        EXPECT_FALSE(quintavo::ArmaImagen(v, "15", "")) << d;
        EXPECT_EQ(quintavo::ArmaImagenAjustada(v, "15", "").trama.size(), 266u) << d;
    }
}

TEST(QuintavoCodec, ShortFieldsKeepTheirPlaces) {
    quintavo::Valores v = panel();
    v.modificador = "1";
    v.campos[campo("ZylTexQuiSMC")] = "7";
    v.campos[campo("ZylTexQuiLDC")] = "";
    v.campos[campo("ZylTexQuiNumTel", 1)] = "1234567890123456";
    auto img = quintavo::ArmaImagen(v, "8", "PC");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->datos.size(), 165u);
    EXPECT_EQ(img->datos.substr(0, 4), "0001");
    EXPECT_EQ(img->datos.substr(18, 12), "000007" "000000");
    EXPECT_EQ(img->datos.substr(70, 16), "1234567890123456");
    EXPECT_EQ(img->datos.substr(134), kDatos.substr(134));
    EXPECT_EQ(img->trama.substr(0, 10), "0208000001");  // version "08", class "PC" as "00"
    auto l = quintavo::Decodifica(img->trama);
    EXPECT_EQ(l.valores.campos[campo("ZylTexQuiSMC")], "007");
}

// A field text its place cannot hold (a letter, a "#" where only "*" goes, too many digits) is
// not written: it would reach the device, or the line, as it stands.
TEST(QuintavoCodec, FieldsTheirPlacesCannotHoldAreNotWritten) {
    const std::pair<const char*, const char*> cases[] = {
        {"ZylTexQuiSMC", "1a2"}, {"ZylTexQuiLDNP", "1000"},   {"ZylTexQuiNumTel", "12#4"},
        {"ZylTexQuiNumTel", "12345678901234567"},  {"ZylTexQuiClv", "1W345"}, {"ZylTexQuiClv", "123456"},
    };
    for (auto [control, texto] : cases) {
        quintavo::Valores v = panel();
        const int indice = std::string(control) == "ZylTexQuiNumTel" ? 1 : std::string(control) == "ZylTexQuiClv" ? 2 : -1;
        v.campos[campo(control, indice)] = texto;
        EXPECT_FALSE(quintavo::ArmaImagen(v, "15", "")) << control << " " << texto;
        EXPECT_EQ(quintavo::ArmaImagenAjustada(v, "15", "").datos.size(), 165u) << control << " " << texto;
    }
    const std::pair<const char*, const char*> comandos[] = {
        {"12", "1W2"}, {"13", "2560"}, {"16", "9"}, {"17", "1W345"}, {"18", "12#4"}, {"18", "1;2"},
    };
    for (auto [numero, valor] : comandos)
        EXPECT_EQ(quintavo::ArmaComando(numero, valor, "12345", "2", "99999", "12345", ","), std::nullopt)
            << numero << " " << valor;
    EXPECT_EQ(quintavo::ArmaComando("18", "12*4", "12345", "2", "99999", "12345", ","), "#312345,2,12*4f");
}

TEST(QuintavoCodec, RemoteCommands) {
    struct Case {
        const char *numero, *valor, *clave, *indice;
        std::optional<std::string> cadena;
    };
    const Case cases[] = {
        {"1", "1", "12345", "", "*212345,9f"},   {"3", "0", "12345", "", "*412345,0f"},
        {"4", "1", "12345", "", "*312345,9f"},   {"6", "1", "12345", "", "#412345,9f"},
        {"11", "0", "12345", "", "*512345,0f"},  {"12", "1", "12345", "", "*712345,1f"},
        {"13", "30", "12345", "", "*9,12345,30f"}, {"14", "5", "12345", "", "*812345,5f"},
        {"15", "", "12345", "", std::nullopt},   {"16", "7", "12345", "", "*612345,7f"},
        {"13", "", "12345", "", std::nullopt},   {"12", "", "12345", "", std::nullopt},  // empty: no setting
        {"17", "54321", "12345", "3", "*112345,3,54321f"}, {"18", "555", "12345", "1", "#312345,1,555f"},
        {"19", "0", "12345", "", "#112345f"},    {"20", "0", "12345", "", "#212345f"},
        {"10", "0", "12345", "", "*199999,1,12345f"},
        {"2", "1", "12345", "", std::nullopt},   {"5", "1", "12345", "", std::nullopt},
        {"7", "1", "12345", "", std::nullopt},   {"21", "1", "12345", "", std::nullopt},
        {"1", "2", "12345", "", std::nullopt},   // a greyed box is neither on nor off
        {"3", "1", "1234", "", std::nullopt},    {"12", "1", "", "", std::nullopt},
        {"10", "0", "1234", "", std::nullopt},   // the new key is not one the device takes
    };
    for (const Case& c : cases)
        EXPECT_EQ(quintavo::ArmaComando(c.numero, c.valor, c.clave, c.indice, "99999", c.clave, ","), c.cadena)
            << c.numero << " " << c.valor << " " << c.clave;
}

// ---- through the main window ----

records::Record configuracion() {
    records::Record conf = zylma::testing::ConfiguracionComun("101111000", "12345");
    conf[0] = "Troncal de conmutador";
    conf[2] = "Llamadas SM";
    conf[3] = "Llamadas LD";
    conf[4] = "Tiempo SM";
    conf[5] = "Tiempo LD";
    conf[20] = "0";
    conf[21] = "7";
    conf[22] = "010";
    conf[23] = "005";
    conf[24] = "003";
    conf[25] = "003";
    conf[26] = "000";
    conf[27] = "000";
    conf[55] = "100000000";
    return conf;
}

struct Quintavo : ModeloFixture {
    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        folder.writeConfig("Quintavo", "15", configuracion());
        escribeComandos(false);
        abre(6);  // the Quintavo button
    }
    forms::ComboBox& dll() { return *w().findAs<forms::ComboBox>("ZylComQuiDLL"); }
    forms::CheckBox& troncal() { return *w().findAs<forms::CheckBox>("ZylChkQuiCon", 3); }
    // A device image: the golden one with the device's digit code for the key and a zero.
    static std::string deviceMap() {
        std::string mapa = kTrama;
        mapa.replace(144, 5, "2A4A6");
        mapa.replace(10, 5, "2A4A6");  // the device holds its key twice
        mapa.replace(24, 6, "000A05");
        codec::RecalculaSumas(mapa, *codec::BuscaModelo("02"));
        return mapa;
    }
};

TEST_F(Quintavo, LoadFillsThePanelFromTheRecord) {
    EXPECT_TRUE(w().panel("ZylFraQui")->visible());
    EXPECT_EQ(w().ZylTexResCla->text(), "12345");
    EXPECT_EQ(w().ZylTexResCla->maxLength(), 5);
    EXPECT_EQ(w().ZylTexBan->text(), "100000000");
    EXPECT_EQ(dll().text(), "7");
    EXPECT_EQ(caja("ZylTexQuiSMNP").text(), "010");
    EXPECT_EQ(caja("ZylTexQuiLDT").text(), "003");
    EXPECT_EQ(w().findAs<forms::Label>("ZylLabQuiLDT")->caption(), "Tiempo LD");
    EXPECT_EQ(troncal().caption(), "Troncal de conmutador");
    EXPECT_FALSE(w().ZylChkRes[1]->visible());  // restriction 2 has no bit
    w().comando(7).userClick();                 // "&Default" loads it again
    EXPECT_EQ(dll().list(), (std::vector<std::string>{"5", "6", "7", "8"}));
}

TEST_F(Quintavo, ReadFillsThePanelOnlyWithTheWholeImage) {
    const std::string a = codec::RecepcionDesdeMapa(deviceMap());
    ASSERT_EQ(a.size(), 270u);
    startRead();
    h->port->arrive(a.substr(0, 269));
    EXPECT_EQ(w().ZylTexResCla->text(), "12345");  // 269 characters change nothing
    h->port->arrive(a.substr(269));
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_EQ(w().ZylTexResCla->text(), "20406");
    EXPECT_EQ(w().ZylTexResFirm->text(), "15");
    EXPECT_EQ(w().ZylTexResUs->text(), "Gardomelinta");
    EXPECT_EQ(w().ZylTexBan->text(), "101111");
    EXPECT_EQ(troncal().value(), 1);
    EXPECT_EQ(p().TroncalQuintavo, "1");
    EXPECT_EQ(caja("ZylTexQuiSMC").text(), "005");
    EXPECT_EQ(caja("ZylTexQuiLDC").text(), "012");
    // The permitted calls come from the device too, so a read and a write keep them.
    EXPECT_EQ(caja("ZylTexQuiSMNP").text(), "010");
    EXPECT_EQ(caja("ZylTexQuiLDNP").text(), "005");
    EXPECT_EQ(caja("ZylTexQuiLDT").text(), "255");
    EXPECT_EQ(caja("ZylTexQuiNumTel", 0).text(), "5551234");
    EXPECT_EQ(caja("ZylTexQuiNumTel", 4).text(), "12345678901234");
    EXPECT_EQ(caja("ZylTexQuiClv", 2).text(), "2");
    EXPECT_EQ(caja("ZylTexQuiClv", 3).text(), "");
    EXPECT_EQ(dll().text(), "7");
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_EQ(p().EquipoActual, "Quintavo");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
}

TEST_F(Quintavo, DamagedImageChangesNothingAndTheWatchdogReportsIt) {
    std::string mapa = deviceMap();
    mapa[260] = mapa[260] == '0' ? '1' : '0';  // block 2's checksum
    startRead();
    h->port->arrive(codec::RecepcionDesdeMapa(mapa));
    EXPECT_EQ(w().ZylTexResCla->text(), "12345");
    EXPECT_TRUE(h->host.messages.empty());  // no retry, no message yet
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    h->host.advance(60000);
    EXPECT_EQ(h->host.lastMessage(), "Error de Comunicación");
    EXPECT_EQ(p().TroncalQuintavo, "");
}

TEST_F(Quintavo, ReadLoadsTheRecordOfTheDevicesVersion) {
    std::string mapa = deviceMap();
    mapa.replace(2, 2, "16");  // the version joins the file name as it stands
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("02"));
    startRead();
    h->port->arrive(codec::RecepcionDesdeMapa(mapa));
    EXPECT_EQ(h->host.lastMessage(), "No existe archivo de configuración.");
    // The device is shown all the same.
    EXPECT_EQ(w().ZylTexResFirm->text(), "16");
    EXPECT_EQ(w().ZylTexResCla->text(), "20406");
    EXPECT_TRUE(w().panel("ZylFraQui")->visible());

    records::Record conf = configuracion();
    conf[5] = "Minutos LD";
    folder.writeConfig("Quintavo", "16", conf);
    h->host.messages.clear();
    startRead();
    h->port->arrive(codec::RecepcionDesdeMapa(mapa));
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    EXPECT_EQ(w().findAs<forms::Label>("ZylLabQuiLDT")->caption(), "Minutos LD");
}

// The field checks judge typing: a read shows the device's key and memory whole.
TEST_F(Quintavo, ReadShowsKeysAndMemoriesAsTheDeviceHoldsThem) {
    std::string mapa = deviceMap();
    mapa.replace(144, 5, "A2345");             // a key that starts with 0
    mapa.replace(60, 16, "12C4FFFFFFFFFFFF");  // a "#" the user could not type there
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("02"));
    startRead();
    h->port->arrive(codec::RecepcionDesdeMapa(mapa));
    EXPECT_EQ(w().ZylTexResCla->text(), "02345");
    EXPECT_EQ(h->host.countMessages("No se admite 0 al inicio de clave"), 0);
    EXPECT_EQ(caja("ZylTexQuiNumTel", 0).text(), "12#4");
    EXPECT_EQ(h->host.countMessages("Solo se admiten numeros y *"), 0);
}

TEST_F(Quintavo, WriteSendsTheDataPart) {
    startRead();
    h->port->arrive(codec::RecepcionDesdeMapa(deviceMap()));
    wire().clear();
    w().ZylTexResCla->setText("");
    w().ZylTexResCla->userType("54321");
    caja("ZylTexQuiSMT").setText("");
    caja("ZylTexQuiSMT").userType("9");
    w().ZylChkRes[2]->userClick();  // restriction 3 off
    troncal().userClick();          // trunk off: the write takes it from the box
    w().comando(4).userClick();
    acknowledgeAll();
    EXPECT_EQ(wire(), "DESC1P");
    wire().clear();
    h->host.advance(5000);
    acknowledgeAll();
    std::string datos = kDatos;
    datos.replace(4, 5, "54321");
    datos.replace(134, 5, "54321");
    datos[10] = '2';                     // only restriction 4 left in nibble C
    datos[13] = '5';                     // nibble A: restriction 6 and the always-set bit, no trunk
    datos.replace(18, 6, "000005");      // the counter as read
    datos.replace(42, 6, "000009");
    EXPECT_EQ(wire(), "D" + datos + "1P");
    EXPECT_EQ(p().TramaEnvio.size(), 266u);
    EXPECT_EQ(p().monitor().ZylTexMon[2]->text(), p().TramaEnvio);
    EXPECT_EQ(p().MascaraEnvio, std::string(270, '1'));

    // "&Ult.Envío" shows the written image again.
    caja("ZylTexQuiSMT").setText("1");
    w().comando(6).userClick();
    EXPECT_EQ(caja("ZylTexQuiSMT").text(), "009");
    EXPECT_EQ(w().ZylTexResCla->text(), "54321");
}

TEST_F(Quintavo, TrunkBeforeAnyReadIsTheBoxs) {
    troncal().userClick();  // the configuration cleared it
    ASSERT_TRUE(PreparaEscritura(p()));
    EXPECT_EQ(p().ImagenEnvio[13], '3');  // trunk and the fixed bit
    troncal().userClick();
    ASSERT_TRUE(PreparaEscritura(p()));
    EXPECT_EQ(p().ImagenEnvio[13], '1');
}

TEST_F(Quintavo, RefusedValuesSendNothing) {
    for (const char* key : {"1234", "01234", ""}) {
        SCOPED_TRACE(key);
        wire().clear();
        h->host.messages.clear();
        w().ZylTexResCla->setText(key);
        w().comando(4).userClick();
        EXPECT_EQ(h->host.lastMessage(), "Error en Captura: revise el campo \"Clave\".");
        h->host.advance(10000);
        EXPECT_EQ(wire(), "");
        EXPECT_EQ(p().ImagenEnvio, "");
    }
    // Without its record the panel keeps the design text of the combo box.
    w().ZylTexResCla->setText("12345");
    dll().setText("Combo1");
    w().comando(4).userClick();
    EXPECT_EQ(h->host.lastMessage(), "Error en Captura: revise el campo \"Dígitos para llamada local\".");
    h->host.advance(10000);
    EXPECT_EQ(wire(), "");
}

TEST_F(Quintavo, TriggersSendTheirCommands) {
    struct Case {
        std::function<void()> gesto;
        std::string cadena;
        std::string imagen;
    };
    caja("ZylTexQuiClv", 2).setText("777");
    caja("ZylTexQuiNumTel", 0).setText("5550");
    caja("ZylTexQuiSMNP").setText("1");
    const Case cases[] = {
        {[&] { troncal().userPress(forms::MouseButton::Right); }, "*512345,0f", "0"},
        {[&] { w().ZylChkRes[0]->userPress(forms::MouseButton::Right); }, "*212345,9f", "9"},
        {[&] { caja("ZylTexQuiSMNP").userDblClick(); }, "*712345,1f", "1"},
        {[&] { caja("ZylTexQuiSMT").userDblClick(); }, "*9,12345,003f", "003"},
        {[&] { w().findAs<forms::Label>("ZylLabQuiDLL")->userDblClick(); }, "*612345,7f", "7"},
        {[&] { caja("ZylTexQuiClv", 2).userDblClick(); }, "*112345,3,777f", "777"},
        {[&] { caja("ZylTexQuiNumTel", 0).userDblClick(); }, "#312345,1,5550f", "5550"},
        {[&] { w().findAs<forms::Button>("ZylCmdQuiSMB")->userClick(); }, "#112345f", ""},
        {[&] { w().findAs<forms::Button>("ZylCmdQuiLDB")->userClick(); }, "#212345f", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cadena);
        wire().clear();
        h->host.popupChoices.push_back("mnuEnviar");
        c.gesto();
        if (!c.imagen.empty()) {
            EXPECT_EQ(p().ImagenEnvio, c.imagen);
        }
        h->host.advance(5000);
        acknowledgeAll();
        EXPECT_EQ(wire(), "D" + c.cadena + "1P");
    }
    EXPECT_EQ(p().IndiceComando, "1");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
}

TEST_F(Quintavo, KeyChangeAndRefusedKeys) {
    w().ZylTexResCla->userDblClick();
    auto& v = p().ventana<ZylForCamCla>();
    EXPECT_EQ(v.ZylTextCanCka->maxLength(), 5);
    v.ZylTextCanCka->userType("67890");
    v.zylCmbCamCla->userClick();
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D*112345,1,67890f1P");

    // A key the device would not take: no command goes out, not even the previous one.
    wire().clear();
    w().ZylTexResCla->setText("678");
    h->host.popupChoices.push_back("mnuEnviar");
    caja("ZylTexQuiSMT").userDblClick();
    h->host.advance(10000);
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(h->host.lastMessage(),
              "No se envió el comando: la clave del equipo \"678\" no es una clave que el equipo acepte.");
}

// Every command the Quintavo does not send says why, through the gesture and the pop-up.
TEST_F(Quintavo, RefusedCommandsSayWhyAndSendNothing) {
    auto texto = [this](const char* k, const char* nombre, int i, const char* t) {
        return [this, k, nombre, i, t] {
            w().ZylTexResCla->setText(k);
            caja(nombre, i).setText(t);
        };
    };
    auto doble = [this](const char* nombre, int i = -1) { return [this, nombre, i] { caja(nombre, i).userDblClick(); }; };
    compruebaRehusados({
        {"four-digit key", texto("1234", "ZylTexQuiSMT", -1, "003"), doble("ZylTexQuiSMT"), porClave("1234")},
        // Today's fault: "*0" with the key and nothing went out for an empty duration.
        {"empty duration", texto("12345", "ZylTexQuiLDT", -1, ""), doble("ZylTexQuiLDT"),
         porVacio("Larga Distancia Tiempo LD")},
        {"empty number of calls", texto("12345", "ZylTexQuiSMNP", -1, ""), doble("ZylTexQuiSMNP"),
         porVacio("Servicio Medido Llamadas SM")},
        {"four-digit number of calls", texto("12345", "ZylTexQuiLDNP", -1, "1000"), doble("ZylTexQuiLDNP"),
         porCampo("Larga Distancia Llamadas LD")},
        {"local digits the device does not know", [this] { dll().setText("9"); },
         [this] { w().find("ZylLabQuiDLL")->userDblClick(); }, porCampo("Dígitos para llamada local")},
        {"letter in a memory", texto("12345", "ZylTexQuiNumTel", 0, "55a"), doble("ZylTexQuiNumTel", 0),
         porCampo("Números de teléfono 01")},
        {"greyed trunk box", [this] { troncal().setValue(2); },
         [this] { troncal().userPress(forms::MouseButton::Right); }, porGris("Troncal de conmutador")},
        {"restriction 2 has no command", [this] { w().ZylChkRes[1]->setVisible(true); },
         [this] { pulsaRestriccion(2); }, sinComando("Restricción 2")},
    });
}

// A command is judged by its key and what it carries, not by the rest of the panel: with a
// counter no write could take, the write is refused, but "Borrar Contador", a memory and a
// restriction still go out.
TEST_F(Quintavo, ACommandIsJudgedByWhatItCarries) {
    caja("ZylTexQuiSMC").setText("9a9");
    caja("ZylTexQuiLDC").setText("1234");
    w().comando(4).userClick();
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(h->host.lastMessage().rfind("Error en Captura", 0), 0u) << h->host.lastMessage();
    h->host.messages.clear();

    h->host.popupChoices.push_back("mnuEnviar");
    w().find("ZylCmdQuiSMB")->userClick();
    EXPECT_EQ(sent(), "D#112345f1P");
    caja("ZylTexQuiNumTel", 1).setText("5551234");
    h->host.popupChoices.push_back("mnuEnviar");
    caja("ZylTexQuiNumTel", 1).userDblClick();
    EXPECT_EQ(sent(), "D#312345,2,5551234f1P");
    w().ZylChkRes[0]->setValue(1);
    h->host.popupChoices.push_back("mnuEnviar");
    pulsaRestriccion(1);
    EXPECT_EQ(sent(), "D*212345,9f1P");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
}

TEST_F(Quintavo, FieldChecks) {
    struct Case {
        const char* control;
        int indice;
        const char* tecleo;
        const char* queda;
        const char* mensaje;
        const char* titulo;
    };
    const Case cases[] = {
        {"ZylTexQuiLDT", -1, "300", "", "El límite es 255", "ERROR EN TIEMPO"},
        {"ZylTexQuiSMT", -1, "255", "255", nullptr, nullptr},
        {"ZylTexQuiLDC", -1, "1a", "1", "Solo se admiten numeros", "ERROR EN EL CONTADOR"},
        {"ZylTexQuiSMNP", -1, "x", "", "Solo se admiten numeros", "ERROR EN LA CLAVE"},
        {"ZylTexQuiClv", 4, "12*", "12", "Solo se admiten numeros", "ERROR EN LA CLAVE"},
        {"ZylTexQuiNumTel", 2, "1*#", "1*", "Solo se admiten numeros y *", "ERROR EN LA CLAVE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        h->host.messages.clear();
        caja(c.control, c.indice).setText("");
        caja(c.control, c.indice).userType(c.tecleo);
        EXPECT_EQ(caja(c.control, c.indice).text(), c.queda);
        if (c.mensaje) {
            ASSERT_EQ(h->host.messages.size(), 1u);
            EXPECT_EQ(h->host.messages[0].text, c.mensaje);
            EXPECT_EQ(h->host.messages[0].title, c.titulo);
        } else {
            EXPECT_TRUE(h->host.messages.empty());
        }
    }
}

}  // namespace
