// The Tresmolina: its layout pinned by golden vectors, and the read, write and command paths
// through the main window against a recording port.
#include "modelos_fixture.h"
#include "grupo2/tresmolina.h"
#include "zylma/app/barra.h"

using namespace zylma;
using namespace zylma::app;
using namespace zylma::models;
using zylma::testing::AppFolder;
using zylma::testing::F;
using zylma::testing::ModeloFixture;

namespace {

const codec::ModeloTrama& treTrama() { return *codec::BuscaModelo("06"); }

tresmolina::Panel goldenPanel() {
    tresmolina::Panel d;
    d.modificador = "0001";
    d.clave = "12345";
    d.banderas = "001101";  // restrictions 3, 4 and 6
    d.troncal = "0";
    d.contador = "12";
    d.duracionProhibidas = "30";
    d.duracionLibres = "255";
    d.memorias = {"5551234", "", "", "*0"};
    d.claves[0] = "22222";   // #02
    d.claves[2] = "44";      // #04, the last key of block 1
    d.claves[3] = "5";       // #05, the first of block 2
    d.claves[20] = "2222";   // #22
    d.claves[23] = "25252";  // #25
    d.firmware = "30";
    d.clase = "Distribuidor";
    return d;
}

std::string operationKeys() {
    std::string k = "22222F" + F(6) + "44FFFF" + "5FFFFF";
    for (int i = 4; i < 20; ++i) k += F(6);
    return k + "2222FF" + F(6) + F(6) + "25252F";
}

const std::string kDatos = "0001" "12345F"
                           "300400"  // C = r4|r3 = 3, B = 0, "0", A = r6 = 4, "00"
                           "000102" "000300" "020505" +
                           ("5551234" + F(9)) + F(16) + F(16) + ("*0" + F(14)) + "12345F" + operationKeys();

// Firmware 30 (0x1E), class "Distribuidor" (01). Block 1 is 05 1E 01 and data characters 1-122;
// its bytes other than FF are
//   05 1E 01 00 01 12 34 5F 30 04 00 00 01 02 00 03 00 02 05 05 55 51 23 4F *0 12 34 5F 22 22 2F 44
// ("*0" counts 0: "*" is no hex digit) summing to 900, plus 32 x FF = 8160: 9060 = 0x2364,
// 0x64 and 255 - 100 = 0x9B. Block 2 is data characters 123-248 (keys #05 to #25) and "FF";
// its bytes other than FF are 5F 22 22 25 25 2F, 284, plus 58 x FF = 14790: 15074 = 0x3AE2,
// 0xE2 and 255 - 226 = 0x1D.
TEST(TresmolinaCodec, GoldenImage) {
    const tresmolina::Panel d = goldenPanel();
    EXPECT_EQ(tresmolina::Rechazo(d), "");
    const tresmolina::Imagen img = tresmolina::ArmaImagen(d);
    ASSERT_EQ(kDatos.size(), 248u);
    EXPECT_EQ(img.datos, kDatos + "f");
    EXPECT_EQ(img.datos.size(), 249u);
    EXPECT_EQ(img.datos.substr(4, 5), "12345");   // the key twice
    EXPECT_EQ(img.datos.substr(98, 5), "12345");
    EXPECT_EQ(img.trama, "051E01" + kDatos.substr(0, 122) + "9B" "45" + kDatos.substr(122) + "FF" "1D" "03FE");
    EXPECT_EQ(img.trama.size(), 266u);
    EXPECT_EQ(img.mascara, std::string(270, '1'));
}

// The device's answer: key copies "FFFFFF" (unused) and "1A3A5F" (the second, shown).
std::string answer() {
    const std::string d = "0001" "FFFFFF" "300600" "0A0102" "000300" "020505" + ("5551234" + F(9)) +
                          ("B1A" + F(13)) + F(16) + F(16) + "1A3A5F" + operationKeys();
    std::string mapa = "06" "1E" "09" + d.substr(0, 122) + "00" "45" + d.substr(122) + "FF" "00" "03FE";
    codec::RecalculaSumas(mapa, treTrama());
    return mapa;
}

TEST(TresmolinaCodec, DecodesADeviceAnswer) {
    const std::string mapa = answer();
    ASSERT_EQ(mapa.size(), 266u);
    const tresmolina::Lectura l = tresmolina::Decodifica(mapa);
    EXPECT_EQ(l.version, "30");
    EXPECT_TRUE(l.usuarioGardomelinta);
    EXPECT_TRUE(l.modificadorGardomelinta);
    EXPECT_EQ(l.clave, "10305");
    EXPECT_EQ(l.banderas, "001101");
    EXPECT_TRUE(l.troncal);
    EXPECT_EQ(l.contador, "012");
    EXPECT_EQ(l.memorias, (std::array<std::string, 4>{"5551234", "*10", "", ""}));
    EXPECT_EQ(l.claves[2], "44");   // map 123-128, before block 1's checksum
    EXPECT_EQ(l.claves[3], "5");    // map 133-138, after the "45"
    EXPECT_EQ(l.claves[20], "2222");
    EXPECT_EQ(l.claves[23], "25252");
}

TEST(TresmolinaCodec, AWriteReadsBackAsWritten) {
    const tresmolina::Imagen img = tresmolina::ArmaImagen(goldenPanel());
    ASSERT_TRUE(codec::SumasCorrectas(img.trama, treTrama()));
    const tresmolina::Lectura l = tresmolina::Decodifica(img.trama);
    EXPECT_EQ(l.clave, "12345");
    EXPECT_EQ(l.banderas, "001101");
    EXPECT_EQ(l.claves, goldenPanel().claves);  // #22 to #25 too
    EXPECT_EQ(l.memorias, goldenPanel().memorias);
    EXPECT_EQ(l.duracionLibres, "255");
}

TEST(TresmolinaCodec, OnlyFieldsThatFitTheirPlacesAreWritten) {
    struct Case {
        const char* que;
        void (*cambia)(tresmolina::Panel&);
        const char* rechazo;
    };
    const Case cases[] = {
        {"four-digit key", [](tresmolina::Panel& d) { d.clave = "1234"; }, "clave"},
        {"leading zero", [](tresmolina::Panel& d) { d.clave = "01234"; }, "clave"},
        {"letter in counter", [](tresmolina::Panel& d) { d.contador = "a"; }, "tres digitos"},
        {"four-digit duration", [](tresmolina::Panel& d) { d.duracionProhibidas = "1000"; }, "tres digitos"},
        {"letter in memory", [](tresmolina::Panel& d) { d.memorias[1] = "12f"; }, "memoria"},
        {"six-digit key #25", [](tresmolina::Panel& d) { d.claves[23] = "123456"; }, "clave de operacion"},
        {"comma in key #10", [](tresmolina::Panel& d) { d.claves[8] = "1,2"; }, "clave de operacion"},
        {"short fields", [](tresmolina::Panel& d) { d.contador = ""; d.duracionLibres = "9"; }, ""},
    };
    for (const Case& c : cases) {
        tresmolina::Panel d = goldenPanel();
        c.cambia(d);
        EXPECT_EQ(tresmolina::Rechazo(d), c.rechazo) << c.que;
        EXPECT_EQ(tresmolina::ArmaImagen(d).datos.size(), 249u) << c.que;
    }
}

TEST(TresmolinaCodec, RemoteCommands) {
    struct Case {
        const char *numero, *valor, *indice, *clave;
        std::string cadena;
        std::optional<std::string> indiceNuevo;
    };
    const std::nullopt_t no = std::nullopt;
    const Case cases[] = {
        {"1", "1", "", "12345", "#5,12345,9f", no},   {"3", "0", "", "12345", "#2,12345,0f", no},
        {"4", "1", "", "12345", "#4,12345,9f", no},   {"5", "1", "", "12345", "#3,12345,9f", no},
        {"6", "0", "", "12345", "#*,12345,0f", no},   {"11", "1", "", "12345", "#0,12345,9f", no},
        {"11", "2", "", "12345", "", no},
        {"12", "1", "", "12345", "#6,12345,1f", no},  {"13", "0", "", "12345", "#9,12345,0f", no},
        {"14", "321", "0", "12345", "#112345,2,321f", "2"},
        {"14", "321", "23", "12345", "#112345,25,321f", "25"},
        {"14", "321", "24", "12345", "", no},
        {"15", "5551234", "3", "12345", "#812345,4,5551234f", "4"},
        {"15", "5551234", "4", "12345", "", no},
        {"15", "555", "0", "1234", "", "1"},  // the index step comes before the key test
        {"16", "0", "", "12345", "#712345f", no},
        {"10", "0", "", "54321", "#112345,01,54321f", no},
        {"10", "0", "", "543", "", no},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.numero) + " " + c.valor + " " + c.indice);
        const auto a = tresmolina::ArmaComando({c.numero, c.valor, c.indice, c.clave, "12345", ",", "30"});
        ASSERT_TRUE(a);
        EXPECT_EQ(a->cadena, c.cadena);
        EXPECT_EQ(a->indice, c.indiceNuevo);
    }
    for (const char* n : {"2", "7", "9", "17"})
        EXPECT_FALSE(tresmolina::ArmaComando({n, "1", "1", "12345", "12345", ",", "30"})) << n;
}

// ---- through the main window ----

struct Tresmolina : ModeloFixture {
    void SetUp() override {
        folder.writeSoftware(zylma::testing::SoftwareConReintentos("2"));
        records::Record conf = zylma::testing::ConfiguracionComun("101111000", "12345");
        conf[0] = "Troncal de conmutador";
        conf[3] = "Tiempo de duración para llamadas prohibidas";
        conf[6] = "Tiempo de duración para llamadas libres";
        conf[20] = "0";
        conf[23] = "005";
        conf[26] = "180";
        conf[27] = "000";
        folder.writeConfig("Tresmolinas", "30", conf);
        escribeComandos(false);
        abre(8);  // the Tresmolina button
    }
};

TEST_F(Tresmolina, TheButtonLoadsThePluralFolderAndAReadFillsThePanel) {
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    EXPECT_TRUE(w().panel("ZylFraTre")->visible());
    EXPECT_EQ(caja("ZylTxtTreCon").text(), "000");
    EXPECT_EQ(w().find("ZylLabTreDurL")->caption(), "Tiempo de duración para llamadas libres");
    EXPECT_EQ(w().find("ZylLblTreClv", 23)->caption(), "Clave #25");
    EXPECT_EQ(w().find("ZylLabFenNumTel", 15)->caption(), "04");

    const std::string good = codec::RecepcionDesdeMapa(answer());
    w().comando(3).userClick();
    acknowledgeAll();
    h->port->arrive(good.substr(0, 269));
    EXPECT_EQ(w().ZylTexResCla->text(), "12345");
    h->port->arrive(good.substr(269));
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_EQ(w().ZylTexResCla->text(), "10305");
    EXPECT_EQ(w().ZylTexBan->text(), "001101");
    EXPECT_EQ(w().findAs<forms::CheckBox>("ZylChkTreCom", 1)->value(), 1);
    EXPECT_EQ(caja("ZylTxtTreCon").text(), "012");
    EXPECT_EQ(caja("ZylTexTreNumTel", 1).text(), "*10");
    EXPECT_EQ(caja("ZylTxtTreClv", 3).text(), "5");
    EXPECT_EQ(caja("ZylTxtTreClv", 23).text(), "25252");
    EXPECT_EQ(p().EquipoActual, "Tresmolina");
    EXPECT_EQ(tresmolina::TroncalTresmolina(p()), "1");
    // The first copy of the key holds no key; a write puts the box's key there too.
    EXPECT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(h->host.lastMessage(), "Al escribir el equipo cambiará lo que tiene en \"Clave (primera copia)\".");
}

TEST_F(Tresmolina, AChecksumFailureChangesNothing) {
    std::string bad = answer();
    bad[261] = bad[261] == '0' ? '1' : '0';
    read(bad);
    EXPECT_EQ(w().ZylTexResCla->text(), "12345");
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    EXPECT_TRUE(h->host.messages.empty());
}

TEST_F(Tresmolina, WriteSendsAllTwentyFourKeysAndTheReplayShowsThem) {
    read(answer());
    caja("ZylTxtTreClv", 21).setText("777");  // #23
    w().comando(4).userClick();
    acknowledgeAll();
    wire().clear();
    h->host.advance(5000);
    acknowledgeAll();
    ASSERT_EQ(wire().size(), 1 + 249 + 2u);
    const std::string datos = wire().substr(1, 249);
    EXPECT_EQ(datos.substr(0, 10), "000110305F");
    EXPECT_EQ(datos.substr(98, 6), "10305F");
    EXPECT_EQ(datos.substr(104 + 6 * 21, 6), "777FFF");
    EXPECT_EQ(datos.back(), 'f');
    caja("ZylTxtTreClv", 21).setText("");
    w().comando(6).userClick();  // "&Ult.Envío"
    EXPECT_EQ(caja("ZylTxtTreClv", 21).text(), "777");
    EXPECT_EQ(caja("ZylTxtTreClv", 23).text(), "25252");
}

TEST_F(Tresmolina, AFieldThatDoesNotFitRefusesTheWrite) {
    caja("ZylTexTreNumTel", 0).setText("55a");  // the panel has no field checks
    w().comando(4).userClick();
    EXPECT_EQ(h->host.lastMessage(), "Error en Captura: revise el campo \"Números de teléfono 01\".");
    h->host.advance(10000);
    EXPECT_EQ(wire(), "");
}

TEST_F(Tresmolina, EachTriggerSendsItsCommand) {
    struct Case {
        const char* control;
        int indice;
        const char* valor;
        std::string cadena;
    };
    const Case cases[] = {
        {"ZylTxtTreDurP", -1, "1", "#6,12345,1f"},
        {"ZylTexTreDurL", -1, "90", "#9,12345,90f"},
        {"ZylTxtTreClv", 0, "11", "#112345,2,11f"},
        {"ZylTxtTreClv", 23, "2525", "#112345,25,2525f"},
        {"ZylTexTreNumTel", 3, "0444", "#812345,4,0444f"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        caja(c.control, c.indice).setText(c.valor);
        h->host.popupChoices.push_back("mnuEnviar");
        caja(c.control, c.indice).userDblClick();
        EXPECT_EQ(sent(), "D" + c.cadena + "1P");
    }
    EXPECT_EQ(p().IndiceComando, "4");
    auto* trunk = w().findAs<forms::CheckBox>("ZylChkTreCom", 1);
    trunk->setValue(1);
    h->host.popupChoices.push_back("mnuEnviar");
    trunk->userPress(forms::MouseButton::Right);
    EXPECT_EQ(sent(), "D#0,12345,9f1P");
    h->host.popupChoices.push_back("mnuEnviar");
    w().find("ZylCmdTreCon")->userClick();
    EXPECT_EQ(sent(), "D#712345f1P");
    // The counter box has no trigger.
    h->host.popupChoices.push_back("mnuEnviar");
    caja("ZylTxtTreCon").userDblClick();
    EXPECT_EQ(sent(), "");
    h->host.popupChoices.clear();

    p().ClaveAnterior = "12345";
    w().ZylTexResCla->setText("54321");
    p().NumeroComando = "10";
    IniciaEnvio(p());
    EXPECT_EQ(sent(), "D#112345,01,54321f1P");
    w().ZylTexResCla->setText("5432");
    p().NumeroComando = "16";
    IniciaEnvio(p());
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(h->host.lastMessage(),
              "No se envió el comando: la clave del equipo \"5432\" no es una clave que el equipo acepte.");
}

// Every command the Tresmolina does not send says why, through the gesture and the pop-up.
TEST_F(Tresmolina, RefusedCommandsSayWhyAndSendNothing) {
    auto texto = [this](const char* k, const char* nombre, int i, const char* t) {
        return [this, k, nombre, i, t] {
            w().ZylTexResCla->setText(k);
            caja(nombre, i).setText(t);
        };
    };
    auto doble = [this](const char* nombre, int i = -1) { return [this, nombre, i] { caja(nombre, i).userDblClick(); }; };
    auto* troncal = w().findAs<forms::CheckBox>("ZylChkTreCom", 1);
    compruebaRehusados({
        {"four-digit key", texto("1234", "ZylTexTreDurL", -1, "180"), doble("ZylTexTreDurL"), porClave("1234")},
        {"empty duration", texto("12345", "ZylTexTreDurL", -1, ""), doble("ZylTexTreDurL"),
         porVacio("Tiempo de duración para llamadas libres")},
        {"memory too long", texto("12345", "ZylTexTreNumTel", 3, "12345678901234567"), doble("ZylTexTreNumTel", 3),
         porCampo("Números de teléfono 04")},
        {"operation key with a letter", texto("12345", "ZylTxtTreClv", 23, "1a"), doble("ZylTxtTreClv", 23),
         porCampo("Claves de operación Clave #25")},
        {"greyed trunk box", [troncal] { troncal->setValue(2); },
         [troncal] { troncal->userPress(forms::MouseButton::Right); }, porGris("Troncal de conmutador")},
        {"restriction 2 has no command", [this] { w().ZylChkRes[1]->setVisible(true); },
         [this] { pulsaRestriccion(2); }, sinComando("Restricción 2")},
    });
}

}  // namespace
