// The Fenzo (both variants): its layout pinned by golden vectors, and the read, write and command
// paths through the main window against a recording port.
#include "modelos_fixture.h"
#include "grupo2/fenzo.h"
#include "zylma/app/barra.h"

using namespace zylma;
using namespace zylma::app;
using namespace zylma::models;
using zylma::testing::AppFolder;
using zylma::testing::F;
using zylma::testing::ModeloFixture;

namespace {

const codec::ModeloTrama& fenzoTrama() { return *codec::BuscaModelo("0:"); }

fenzo::Panel goldenPanel() {
    fenzo::Panel d;
    d.modificador = "0001";
    d.clave = "12345";
    d.banderas = "101010";  // restrictions 1, 3 and 5
    d.troncal = "1";
    d.contador = "7";
    d.duracionProhibidas = "5";
    d.duracionLibres = "180";
    d.memorias[0] = "5551234";
    d.memorias[5] = "1234567890";
    d.memorias[9] = "0987";
    d.claves = {"11111", "2", "", "54321"};
    d.version = "30";
    d.firmware = "30";
    d.clase = "Gardomelinta";
    return d;
}

// The data part for the golden panel, field by field as the device lays it out.
const std::string kDatosTravesolin =
    "0001" "12345F"
    "140300"  // C = r4|r3 = 1, B = r5 = 4, "0", A = r6|trunk|r1 = 0+2+1 = 3, "00"
    "000007" "000005" "010800" +
    ("5551234" + F(9)) + F(16) + F(16) + F(16) + F(16) + ("1234567890" + F(6)) + F(16) + F(16) + F(16) +
    ("0987" + F(12)) + "12345F" "11111F" "2FFFFF" "FFFFFF" "54321F";

// Travesolin, firmware 30 (0x1E), class "Gardomelinta" (09). Block 1 is 05 1E 09 and data
// characters 1-122; its bytes other than FF are
//   05 1E 09 00 01 12 34 5F 14 03 00 00 00 07 00 00 05 01 08 00 55 51 23 4F 12 34 56 78
// summing to 810, plus 36 x FF = 9180: 9990 = 0x2706, 0x06 and 255 - 6 = 0xF9.
// Block 2 is data characters 123-224, "6E" and 24 "F"; its bytes other than FF are
//   90 09 87 12 34 5F 11 11 1F 2F 54 32 1F 6E
// summing to 840, plus 50 x FF = 12750: 13590 = 0x3516, 0x16 and 255 - 22 = 0xE9.
TEST(FenzoCodec, GoldenTravesolinImage) {
    const fenzo::Panel d = goldenPanel();
    EXPECT_EQ(fenzo::Rechazo(d), "");
    const fenzo::Imagen img = fenzo::ArmaImagen(d);
    ASSERT_EQ(kDatosTravesolin.size(), 224u);
    EXPECT_EQ(img.datos, kDatosTravesolin);
    EXPECT_EQ(img.trama, "051E09" + kDatosTravesolin.substr(0, 122) + "F9" "45" + kDatosTravesolin.substr(122) +
                             "6E" + F(24) + "E9" "03FE");
    EXPECT_EQ(img.trama.size(), 266u);
    EXPECT_EQ(img.mascara, std::string(270, '1'));
    // Data character i is map position i + 6 up to 122, i + 10 after.
    for (std::size_t i : {1u, 5u, 122u, 123u, 224u})
        EXPECT_EQ(img.trama[fenzo::PosicionMapa(i) - 1], kDatosTravesolin[i - 1]) << i;
}

TEST(FenzoCodec, KalmoroSendsNoSecondKeyNorOperationKeysAndItsImageKeepsTheFrame) {
    fenzo::Panel d = goldenPanel();
    d.version = "8";
    d.firmware = "8";
    d.claves = {"x", "", "", ""};  // not sent, so not judged
    EXPECT_EQ(fenzo::Rechazo(d), "");
    const fenzo::Imagen img = fenzo::ArmaImagen(d);
    EXPECT_EQ(img.datos, kDatosTravesolin.substr(0, 194));
    // Block 2: 72 data characters, "6E", then "F" up to its 64 bytes.
    ASSERT_EQ(img.trama.size(), 266u);
    EXPECT_EQ(img.trama.substr(132, 74), kDatosTravesolin.substr(122, 72) + "6E");
    EXPECT_EQ(img.trama.substr(206, 54), F(54));
    EXPECT_TRUE(codec::SumasCorrectas(img.trama, fenzoTrama()));
    // The recorded image decodes to what was written.
    const fenzo::Lectura l = fenzo::Decodifica(img.trama);
    EXPECT_FALSE(l.travesolin);
    EXPECT_EQ(l.clave, "12345");
    EXPECT_EQ(l.memorias[5], "1234567890");
    EXPECT_EQ(l.memorias[9], "0987");
}

// A Travesolin answer (version 0x18 = 24): the first key copy holds junk, the second "1A345"
// (the device's "A" is 0); memory 06 is split by block 1's checksum and the "45".
std::string travesolinAnswer(const std::string& version = "18") {
    std::string mapa = "0A" + version + "09" "0001" "FFFFFF" "140300" "0A0A07" "000B05" "010800" +
                       ("5551234" + F(9)) + ("B1A0A" + F(11)) + F(16) + F(16) + F(16) + "12345678";
    mapa += "00" "45";
    mapa += "90" + F(6) + F(16) + F(16) + F(16) + ("0987" + F(12)) + "1A345F" "11111F" "2FFFFF" "FFFFFF" "54321F" +
            "6E" + F(24) + "00" "03FE";
    codec::RecalculaSumas(mapa, fenzoTrama());
    return mapa;
}

TEST(FenzoCodec, DecodesBothVariants) {
    const std::string mapa = travesolinAnswer();
    ASSERT_EQ(mapa.size(), 266u);
    fenzo::Lectura l = fenzo::Decodifica(mapa);
    EXPECT_EQ(l.version, "24");
    EXPECT_TRUE(l.travesolin);
    EXPECT_TRUE(l.usuarioGardomelinta);
    EXPECT_TRUE(l.modificadorGardomelinta);
    EXPECT_EQ(l.clave, "10345");
    EXPECT_EQ(l.banderas, "101010");
    EXPECT_TRUE(l.troncal);
    EXPECT_EQ(l.contador, "007");
    EXPECT_EQ(l.duracionProhibidas, "0115");  // "B" is 11, as the device's code leaves it
    EXPECT_EQ(l.duracionLibres, "180");
    EXPECT_EQ(l.memorias[0], "5551234");
    EXPECT_EQ(l.memorias[1], "*1000");
    EXPECT_EQ(l.memorias[5], "1234567890");
    EXPECT_EQ(l.memorias[9], "0987");
    EXPECT_EQ(l.claves, (std::array<std::string, 4>{"11111", "2", "", "54321"}));

    l = fenzo::Decodifica(travesolinAnswer("17"));  // 23: the Kalmoro's key is the first copy
    EXPECT_FALSE(l.travesolin);
    EXPECT_EQ(l.version, "23");
    EXPECT_EQ(l.clave, "");
    EXPECT_EQ(l.claves[3], "54321");  // both variants read the operation keys
}

TEST(FenzoCodec, EveryFlagKeepsItsBitThroughAWriteAndARead) {
    struct Case {
        const char *banderas, *troncal, *campo;
    };
    const Case cases[] = {
        {"100000", "0", "000100"}, {"010000", "0", "000000"}, {"001000", "0", "100000"},
        {"000100", "0", "200000"}, {"000010", "0", "040000"}, {"000001", "0", "000400"},
        {"000000", "1", "000200"}, {"111111", "1", "340700"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fenzo::CampoBanderas(c.banderas, c.troncal), c.campo) << c.banderas;
        std::string vuelta = c.banderas;
        vuelta[1] = '0';  // restriction 2 has no bit
        EXPECT_EQ(fenzo::BanderasDesdeCampo(c.campo), vuelta) << c.campo;
        EXPECT_EQ(fenzo::TroncalDesdeCampo(c.campo), std::string(c.troncal) == "1") << c.campo;
    }
}

TEST(FenzoCodec, OnlyFieldsThatFitTheirPlacesAreWritten) {
    struct Case {
        const char* que;
        void (*cambia)(fenzo::Panel&);
        const char* rechazo;
    };
    const Case cases[] = {
        {"golden", [](fenzo::Panel&) {}, ""},
        {"four-digit key", [](fenzo::Panel& d) { d.clave = "1234"; }, "clave"},
        {"six-digit key", [](fenzo::Panel& d) { d.clave = "123456"; }, "clave"},
        {"leading zero", [](fenzo::Panel& d) { d.clave = "01234"; }, "clave"},
        {"letter in key", [](fenzo::Panel& d) { d.clave = "12a45"; }, "clave"},
        {"empty key", [](fenzo::Panel& d) { d.clave = ""; }, "clave"},
        {"empty counter", [](fenzo::Panel& d) { d.contador = ""; }, ""},
        {"four-digit duration", [](fenzo::Panel& d) { d.duracionLibres = "1800"; }, "tres digitos"},
        {"letter in duration", [](fenzo::Panel& d) { d.duracionProhibidas = "1a"; }, "tres digitos"},
        {"star and hash", [](fenzo::Panel& d) { d.memorias[3] = "*#0123456789*#01"; }, ""},
        {"17 digits", [](fenzo::Panel& d) { d.memorias[3] = "12345678901234567"; }, "memoria"},
        {"end marker in memory", [](fenzo::Panel& d) { d.memorias[2] = "12f4"; }, "memoria"},
        {"letter in operation key", [](fenzo::Panel& d) { d.claves[0] = "1x"; }, "clave de operacion"},
    };
    for (const Case& c : cases) {
        fenzo::Panel d = goldenPanel();
        c.cambia(d);
        EXPECT_EQ(fenzo::Rechazo(d), c.rechazo) << c.que;
        // Whatever the boxes hold, the image keeps its length and every field its place.
        EXPECT_EQ(fenzo::ArmaImagen(d).datos.size(), 224u) << c.que;
    }
}

TEST(FenzoCodec, ThreeDigitSettings) {
    const std::pair<const char*, const char*> cod[] = {
        {"", "000000"}, {"5", "000005"}, {"45", "000405"}, {"180", "010800"}, {"255", "020505"},
    };
    for (auto [t, c] : cod) {
        EXPECT_EQ(fenzo::CodificaTresDigitos(t), c) << t;
        EXPECT_EQ(fenzo::DecodificaTresDigitos(c), std::string(3 - std::string(t).size(), '0') + t) << c;
    }
    EXPECT_EQ(fenzo::DecodificaTresDigitos("0A0A0A"), "000");
    EXPECT_EQ(fenzo::DecodificaTresDigitos("0F0C01"), "15121");
    EXPECT_EQ(fenzo::DecodificaTresDigitos("01"), "1");  // never past the end
}

TEST(FenzoCodec, RemoteCommands) {
    struct Case {
        const char *numero, *valor, *indice, *clave, *version;
        std::optional<std::string> cadena;  // nothing: the number is not the Fenzo's
        std::optional<std::string> imagen, indiceNuevo;
    };
    const std::nullopt_t no = std::nullopt;
    const Case cases[] = {
        {"1", "1", "", "12345", "30", "#5,12345,9", "9", no},
        {"3", "0", "", "12345", "30", "#2,12345,0", "0", no},
        {"4", "1", "", "12345", "30", "#4,12345,9", "9", no},
        {"5", "1", "", "12345", "30", "#3,12345,9", "9", no},
        {"6", "1", "", "12345", "30", "#*,12345,9", "9", no},
        {"11", "1", "", "12345", "30", "#0,12345,9", "9", no},
        {"1", "2", "", "12345", "30", "", "2", no},  // a greyed box is no option the device takes
        {"12", "1", "", "12345", "30", "#6,12345,1", "1", no},  // a text goes as it stands
        {"13", "180", "", "12345", "30", "#9,12345,180", "180", no},
        {"13", "1,2", "", "12345", "30", "", "1,2", no},
        {"14", "0", "3", "12345", "30", "#112345,4,0", "0", "4"},
        {"14", "777", "1", "12345", "30", "#112345,2,777", "777", "2"},
        {"14", "777", "5", "12345", "30", "", "777", no},
        {"15", "5551234", "9", "12345", "30", "#812345,0,5551234", "5551234", no},
        {"15", "*9", "0", "12345", "30", "#812345,1,*9", "*9", no},
        {"15", "1", "10", "12345", "30", "", "1", no},
        {"16", "0", "", "12345", "30", "#712345", no, no},
        {"10", "0", "", "54321", "8", "#1,12345,,,54321", no, no},
        {"10", "0", "", "54321", "30", "#1,12345,1,,54321", no, no},
        {"10", "0", "", "5432", "30", "", no, no},
        {"3", "1", "", "1234", "30", "", "9", no},   // a key the device does not take
        {"14", "1", "2", "", "30", "", "1", "3"},    // the index is rewritten before the key test
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.numero) + " " + c.valor + " " + c.clave);
        const auto a = fenzo::ArmaComando({c.numero, c.valor, c.indice, c.clave, "12345", ",", c.version});
        ASSERT_TRUE(a);
        EXPECT_EQ(a->cadena, *c.cadena);
        EXPECT_EQ(a->imagen, c.imagen);
        EXPECT_EQ(a->indice, c.indiceNuevo);
    }
    for (const char* n : {"2", "7", "8", "9", "17", "0", ""})
        EXPECT_FALSE(fenzo::ArmaComando({n, "1", "1", "12345", "12345", ",", "30"})) << n;
}

// ---- through the main window ----

records::Record fenzoConfig(const std::string& version) {
    records::Record conf = zylma::testing::ConfiguracionComun("101111000", "12345");
    conf[0] = "Troncal de conmutador";
    conf[3] = "Tiempo de duración para llamadas prohibidas";
    conf[5] = "Números de teléfono " + version;
    conf[6] = "Tiempo de duración para llamadas libres";
    conf[20] = "1";
    conf[23] = "005";
    conf[26] = "180";
    return conf;
}

struct Fenzo : ModeloFixture {
    void SetUp() override {
        folder.writeSoftware(zylma::testing::SoftwareConReintentos("2"));
        for (const char* v : {"30", "24", "23", "8"}) folder.writeConfig("Fenzo", v, fenzoConfig(v));
        escribeComandos(false);
        abre(5);  // the Fenzo button
    }
};

TEST_F(Fenzo, TheButtonsLoadTheirVersionsConfiguration) {
    EXPECT_TRUE(w().panel("ZylFraFen")->visible());
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo");
    EXPECT_EQ(w().find("ZylFraFenFraNumTel")->caption(), "Números de teléfono 30");
    EXPECT_EQ(caja("ZylTexFenLimSerMed").text(), "180");
    EXPECT_EQ(w().ZylChkFenResC->caption(), "Troncal de conmutador");
    EXPECT_EQ(w().ZylChkFenResC->value(), 1);
    EXPECT_EQ(w().ZylTexResCla->maxLength(), 5);
    EXPECT_EQ(w().ZylTexResCla->text(), "12345");
    w().ZylCmd[9]->userClick();  // Kalmoro
    EXPECT_EQ(w().find("ZylFraFenFraNumTel")->caption(), "Números de teléfono 8");
    EXPECT_FALSE(w().ZylFraFenFraClv->visible());
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    // Labels read 01 to 09, then 00.
    EXPECT_EQ(w().find("ZylLabFenNumTel", 0)->caption(), "09");
    EXPECT_EQ(w().find("ZylLabFenNumTel", 9)->caption(), "00");
}

TEST_F(Fenzo, ReadFillsThePanelOnlyOnTheExactLengthWithBothChecksums) {
    const std::string good = codec::RecepcionDesdeMapa(travesolinAnswer());
    ASSERT_EQ(good.size(), 270u);
    w().comando(3).userClick();
    acknowledgeAll();
    h->port->arrive(good.substr(0, 269));
    EXPECT_EQ(caja("ZylTexFenCon").text(), "");
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    h->port->arrive(good.substr(269));
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo Travesolin");
    EXPECT_EQ(w().ZylTexResFirm->text(), "24");
    EXPECT_EQ(w().find("ZylFraFenFraNumTel")->caption(), "Números de teléfono 24");
    EXPECT_EQ(w().ZylTexResCla->text(), "10345");
    EXPECT_EQ(w().ZylTexBan->text(), "101010");
    EXPECT_EQ(w().ZylChkFenResC->value(), 1);
    EXPECT_TRUE(w().ZylChkFenResC->visible());
    EXPECT_TRUE(w().ZylFraFenFraClv->visible());
    EXPECT_EQ(caja("ZylTexFenCon").text(), "007");
    EXPECT_EQ(caja("ZylTexFenLimSerMed").text(), "180");
    EXPECT_EQ(caja("ZylTexFenNumTel", 5).text(), "1234567890");
    EXPECT_EQ(caja("ZylTexFenNumTel", 9).text(), "0987");
    EXPECT_EQ(caja("ZylTexFenClv", 4).text(), "54321");
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_EQ(p().EquipoActual, "Fenzo");
    EXPECT_EQ(fenzo::TroncalFenzo(p()), "1");
    EXPECT_TRUE(w().panel("ZylFraFen")->visible());

    // A reception one character too long is never decoded, not even a stored one.
    caja("ZylTexFenCon").setText("9");
    p().monitor().ZylTexMon[4]->setText(good + "0");
    p().LecturaEnVivo = 0;
    fenzo::LeeEquipoFenzo(p());
    EXPECT_EQ(caja("ZylTexFenCon").text(), "9");
    EXPECT_EQ(p().LecturaEnVivo, 1);
}

TEST_F(Fenzo, AChecksumFailureChangesNothingAndLeavesTheWatchdogToReport) {
    for (std::size_t at : {129u, 262u}) {  // each block's checksum
        SCOPED_TRACE(at);
        std::string bad = travesolinAnswer();
        bad[at - 1] = bad[at - 1] == '0' ? '1' : '0';
        caja("ZylTexFenCon").setText("9");
        h->host.messages.clear();
        read(bad);
        EXPECT_EQ(caja("ZylTexFenCon").text(), "9");
        EXPECT_TRUE(h->host.messages.empty());
        EXPECT_TRUE(w().TimerEC->timerEnabled());
        EXPECT_EQ(p().LecturaEnVivo, 1);
        h->host.advance(60000);
        EXPECT_EQ(h->host.messages.size(), 1u);
    }
    // A stored image gone bad says so, once.
    h->host.messages.clear();
    p().UltimaLectura[128] = p().UltimaLectura[128] == '0' ? '1' : '0';
    w().comando(5).userClick();
    EXPECT_EQ(h->host.lastMessage(), "Error de Comunicación!");
}

TEST_F(Fenzo, KalmoroReadHidesTheNewPartsAndTakesTheFirstKey) {
    std::string mapa = travesolinAnswer("08");
    mapa.replace(10, 6, "54A21F");
    codec::RecalculaSumas(mapa, fenzoTrama());
    read(mapa);
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo Kalmoro");
    EXPECT_FALSE(w().ZylFraFenFraClv->visible());
    EXPECT_FALSE(w().ZylChkFenResC->visible());
    EXPECT_EQ(w().ZylTexResCla->text(), "54021");
    // The answer's prohibited duration "0", "B", "5" shows as "0115", which three digits cannot
    // hold: the read says so, once, and names the field.
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_NE(h->host.lastMessage().find("\"Tiempo de duración para llamadas prohibidas\""), std::string::npos)
        << h->host.lastMessage();
    // "&Default" after a read shows the Fenzo panel again.
    w().comando(7).userClick();
    EXPECT_TRUE(w().panel("ZylFraFen")->visible());
}

TEST_F(Fenzo, AReadOfAVersionWithoutItsRecordSaysSoAndStillShowsTheDevice) {
    // Read from the general panel with a shorter key limit left by another model: neither may
    // stay once the device shows as a Fenzo.
    w().ZylCmd[0]->userClick();
    w().ZylTexResCla->setMaxLength(4);
    read(travesolinAnswer("19"));  // 25: no "Fenzo25.Wcon"
    EXPECT_FALSE(w().ZylFraPri->visible());
    EXPECT_EQ(w().ZylTexResCla->maxLength(), 5);
    EXPECT_EQ(h->host.countMessages("No existe archivo de configuración."), 1);
    EXPECT_EQ(w().ZylTexResFirm->text(), "25");
    EXPECT_EQ(w().ZylTexResCla->text(), "10345");
    EXPECT_EQ(caja("ZylTexFenClv", 4).text(), "54321");
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo Travesolin");
    EXPECT_TRUE(w().panel("ZylFraFen")->visible());
    EXPECT_FALSE(w().TimerEC->timerEnabled());
}

TEST_F(Fenzo, WriteSendsTheDataPartAndReplaysAsWritten) {
    read(travesolinAnswer("1E"));
    EXPECT_EQ(caja("ZylTexFenDurP").text(), "0115");
    caja("ZylTexFenDurP").setText("115");  // four characters would not fit the device's three
    caja("ZylTexFenNumTel", 2).setText("");
    caja("ZylTexFenNumTel", 2).userType("*22");
    caja("ZylTexFenClv", 2).setText("29");
    w().comando(4).userClick();
    acknowledgeAll();
    EXPECT_EQ(wire().substr(wire().size() - 6), "DESC1P");
    wire().clear();
    h->host.advance(5000);
    acknowledgeAll();
    ASSERT_EQ(wire().size(), 1 + 224 + 2u);
    const std::string datos = wire().substr(1, 224);
    EXPECT_EQ(datos.substr(0, 10), "000110345F");
    EXPECT_EQ(datos.substr(66, 16), "*22" + F(13));       // memory 03
    EXPECT_EQ(datos.substr(194, 6), "10345F");            // the key again
    EXPECT_EQ(datos.substr(206, 6), "29FFFF");             // key #03
    EXPECT_EQ(p().ImagenEnvio, datos);

    caja("ZylTexFenNumTel", 2).setText("");
    w().comando(6).userClick();  // "&Ult.Envío"
    EXPECT_EQ(caja("ZylTexFenNumTel", 2).text(), "*22");
    EXPECT_EQ(caja("ZylTexFenClv", 2).text(), "29");
}

TEST_F(Fenzo, AKalmoroWriteRecordsAnImageThatReplays) {
    w().ZylCmd[9]->userClick();  // Kalmoro, firmware 8
    caja("ZylTexFenNumTel", 9).userType("123");
    w().ZylTexResFirm->setText("8");
    w().comando(4).userClick();
    acknowledgeAll();
    wire().clear();
    h->host.advance(5000);
    acknowledgeAll();
    ASSERT_EQ(wire().size(), 1 + 194 + 2u);
    EXPECT_EQ(wire().substr(179, 16), "123" + F(13));
    caja("ZylTexFenNumTel", 9).setText("");
    w().comando(6).userClick();
    EXPECT_EQ(caja("ZylTexFenNumTel", 9).text(), "123");
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo Kalmoro");
}

TEST_F(Fenzo, AFieldThatDoesNotFitRefusesTheWrite) {
    const char* keys[] = {"1234", "", "01234"};
    for (const char* key : keys) {
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
    w().ZylTexResCla->setText("12345");
    caja("ZylTexFenCon").setText("1234");  // set from code: the box's limit does not apply
    h->host.messages.clear();
    w().comando(4).userClick();
    EXPECT_EQ(h->host.lastMessage(), "Error en Captura: revise el campo \"Contador\".");
    h->host.advance(10000);
    EXPECT_EQ(wire(), "");
}

// The write takes the trunk from the panel's box, before a read and after one alike: a trunk
// cleared in the box after a read that found it on goes out cleared.
TEST_F(Fenzo, TheTrunkBitComesFromTheBox) {
    w().ZylChkFenResC->setValue(0);
    ASSERT_TRUE(PreparaEscritura(p()));
    EXPECT_EQ(p().ImagenEnvio.substr(10, 6), "000000");
    w().ZylChkFenResC->setValue(1);
    ASSERT_TRUE(PreparaEscritura(p()));
    EXPECT_EQ(p().ImagenEnvio.substr(10, 6), "000200");
    read(travesolinAnswer());  // trunk on in the device
    caja("ZylTexFenDurP").setText("115");
    EXPECT_EQ(w().ZylChkFenResC->value(), 1);
    w().ZylChkFenResC->setValue(0);
    ASSERT_TRUE(PreparaEscritura(p()));
    EXPECT_EQ(p().ImagenEnvio.substr(10, 6), "140100");  // nibble A: restriction 1 only
}

TEST_F(Fenzo, EachTriggerSendsItsCommand) {
    struct Case {
        const char* control;
        int indice;
        const char* valor;  // typed first, where the control is a text box
        std::string cadena;
    };
    const Case cases[] = {
        {"ZylTexFenDurP", -1, "12", "#6,12345,12"},
        {"ZylTexFenLimSerMed", -1, "1", "#9,12345,1"},
        {"ZylTexFenClv", 3, "4444", "#112345,4,4444"},
        {"ZylTexFenNumTel", 9, "0555", "#812345,0,0555"},
        {"ZylTexFenNumTel", 0, "", "#812345,1,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        caja(c.control, c.indice).setText(c.valor);
        h->host.popupChoices.push_back("mnuEnviar");
        caja(c.control, c.indice).userDblClick();
        EXPECT_EQ(sent(), "D" + c.cadena + "1P");
    }
    EXPECT_EQ(p().IndiceComando, "0");  // the last one, the memory "01" of element 0

    w().ZylChkFenResC->setValue(1);
    h->host.popupChoices.push_back("mnuEnviar");
    w().ZylChkFenResC->userPress(forms::MouseButton::Right);
    EXPECT_EQ(sent(), "D#0,12345,91P");

    h->host.popupChoices.push_back("mnuEnviar");
    w().find("ZylCmdFenBorr")->userClick();
    EXPECT_EQ(sent(), "D#7123451P");

    w().ZylChkRes[3]->setValue(1);
    h->host.popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[3]->userPress(forms::MouseButton::Right);
    EXPECT_EQ(sent(), "D#4,12345,91P");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
}

// Every command the Fenzo does not send says why, through the gesture and the pop-up.
TEST_F(Fenzo, RefusedCommandsSayWhyAndSendNothing) {
    auto texto = [this](const char* k, const char* nombre, int i, const char* t) {
        return [this, k, nombre, i, t] {
            w().ZylTexResCla->setText(k);
            caja(nombre, i).setText(t);
        };
    };
    auto doble = [this](const char* nombre, int i = -1) { return [this, nombre, i] { caja(nombre, i).userDblClick(); }; };
    const std::string prohibidas = "Tiempo de duración para llamadas prohibidas";
    compruebaRehusados({
        {"four-digit key", texto("1234", "ZylTexFenDurP", -1, "005"), doble("ZylTexFenDurP"), porClave("1234")},
        // Today's fault: "#6,12345," went out for an empty duration.
        {"empty duration", texto("12345", "ZylTexFenDurP", -1, ""), doble("ZylTexFenDurP"), porVacio(prohibidas)},
        {"duration with a #", texto("12345", "ZylTexFenLimSerMed", -1, "12#"), doble("ZylTexFenLimSerMed"),
         porCampo("Tiempo de duración para llamadas libres")},
        {"duration of four digits", texto("12345", "ZylTexFenDurP", -1, "1000"), doble("ZylTexFenDurP"),
         porCampo(prohibidas)},
        {"letter in a memory", texto("12345", "ZylTexFenNumTel", 9, "555a"), doble("ZylTexFenNumTel", 9),
         porCampo("Números de teléfono 30 00")},
        {"operation key too long", texto("12345", "ZylTexFenClv", 2, "123456"), doble("ZylTexFenClv", 2),
         porCampo("Claves de operación Clave #03")},
        {"greyed trunk box", [this] { w().ZylChkFenResC->setValue(2); },
         [this] { w().ZylChkFenResC->userPress(forms::MouseButton::Right); }, porGris("Troncal de conmutador")},
        {"restriction 2 has no command", [this] { w().ZylChkRes[1]->setVisible(true); },
         [this] { pulsaRestriccion(2); }, sinComando("Restricción 2")},
        {"counter erase with a short key", [this] { w().ZylTexResCla->setText("12"); },
         [this] { w().find("ZylCmdFenBorr")->userClick(); }, porClave("12")},
    });
}

TEST_F(Fenzo, ARefusedCommandSendsNothingNotEvenThePreviousOne) {
    p().NumeroComando = "16";
    IniciaEnvio(p());
    EXPECT_EQ(sent(), "D#7123451P");
    for (const char* numero : {"2", "16"}) {
        SCOPED_TRACE(numero);
        w().ZylTexResCla->setText(std::string(numero) == "2" ? "12345" : "1234");
        p().NumeroComando = numero;
        IniciaEnvio(p());
        EXPECT_FALSE(w().TimerPID->timerEnabled());
        EXPECT_EQ(h->host.lastMessage().rfind("No se envió", 0), 0u) << h->host.lastMessage();  // said why
        EXPECT_EQ(sent(), "");
    }
}

TEST_F(Fenzo, KeyChangeFollowsTheVersion) {
    p().ClaveAnterior = "12345";
    w().ZylTexResCla->setText("54321");
    p().NumeroComando = "10";
    IniciaEnvio(p());
    EXPECT_EQ(sent(), "D#1,12345,1,,543211P");
    w().ZylCmd[9]->userClick();  // Kalmoro: version "8"
    w().ZylTexResCla->setText("54321");
    p().NumeroComando = "10";
    IniciaEnvio(p());
    EXPECT_EQ(sent(), "D#1,12345,,,543211P");
}

}  // namespace
