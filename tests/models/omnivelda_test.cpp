// The Omnivelda: its two-block layout pinned by golden vectors, and the read, write and command
// paths through the main window against a recording port.
#include "modelos_fixture.h"
#include "grupo1/omnivelda.h"
#include "zylma/app/barra.h"
#include "zylma/codec/conversores.h"

using namespace zylma;
using namespace zylma::app;
using namespace zylma::models;
using omnivelda::kTabla;
using zylma::testing::AppFolder;
using zylma::testing::F;
using zylma::testing::ModeloFixture;

namespace {

// Row of kTabla for a control (and element).
std::size_t fila(std::string_view control, int indice = -1) {
    for (std::size_t i = 0; i < kTabla.size(); ++i)
        if (kTabla[i].control == control && kTabla[i].indice == indice) return i;
    ADD_FAILURE() << "no row " << control;
    return 0;
}

omnivelda::Valores ejemplo() {
    omnivelda::Valores v;
    v.campos[fila("ZylTexOmnDurL")] = "030";
    v.campos[fila("ZylTexOmnDurP")] = "005";
    v.campos[fila("ZylTexOmnCon")] = "9";
    v.campos[fila("ZylTexResCla")] = "1234";
    v.campos[fila("ZylTxtOmnMe4", 0)] = "12";
    v.campos[fila("ZylTxtOmnMe16", 0)] = "5551234";
    v.campos[fila("ZylTxtOmnMe16", 2)] = "98765";
    v.banderas = "1111";
    return v;
}

// Modifier "0001", restrictions 1 to 4 on, free calls 030, forbidden calls 005, trunk access
// "9" (two digits missing: "F"), key 1234, four-digit memory 0 "12", sixteen-digit memories 0
// "5551234" and 2 "98765" (split: "98" ends block 1, "765" opens block 2), firmware 30, class
// "Gardomelinta".
// Block 1: 05 1E 09 | 00 01 | 21 17 | 00 | 00 03 00 | 00 00 05 | 09 0F 0F | 12 34 | 12 FF,
//   13 x FF FF | 55 51 23 4F, 4 x FF | 8 x FF | 98                                   (64 bytes)
//   sum = 0x2C + 0x01 + 0x38 + 0x03 + 0x05 + 0x27 + 0x46 + 0x111 + 26 x 0xFF + 0x118 + 4 x 0xFF
//       + 8 x 0xFF + 0x98 = 10613 = 0x2975; 255 - 0x75 = 0x8A.
// Block 2: 76 5F, 5 x FF | 56 x FF | 6E                                              (64 bytes)
//   sum = 0xD5 + 61 x 0xFF + 0x6E = 15878 = 0x3E06; 255 - 0x06 = 0xF9.
TEST(OmniveldaCodec, GoldenProgrammingImage) {
    auto img = omnivelda::ArmaImagen("0001", ejemplo(), "30", "Gardomelinta");
    ASSERT_TRUE(img);
    const std::string datos1 = "0001" "2117" "00" "000300" "000005" "090F0F" "1234" "12FF" + F(52) +
                               "5551234" + F(9) + F(16) + "98";
    const std::string datos2 = "765" + F(11) + F(112);
    EXPECT_EQ(datos1.size(), 122u);
    EXPECT_EQ(datos2.size(), 126u);
    EXPECT_EQ(img->datos, datos1 + datos2);
    EXPECT_EQ(img->trama, "051E09" + datos1 + "8A" "45" + datos2 + "6E" "F9" "03FE");
    EXPECT_EQ(img->trama.size(), 266u);
    EXPECT_EQ(img->mascara, std::string(270, '1'));
    EXPECT_TRUE(codec::SumasCorrectas(img->trama, *codec::BuscaModelo("05")));
}

// Every field of the table lands where the layout says, and a read of the image gives back
// every text that was written: the decoder and the builder walk the same rows.
TEST(OmniveldaCodec, EveryFieldComesBackFromItsOwnImage) {
    omnivelda::Valores v;
    for (std::size_t i = 0; i < kTabla.size(); ++i) {
        const auto& c = kTabla[i];
        switch (c.forma) {
        case omnivelda::Forma::Tiempo: v.campos[i] = std::to_string(100 + i); break;
        case omnivelda::Forma::Marcacion: v.campos[i] = "*0#"; break;
        case omnivelda::Forma::Clave: v.campos[i] = "9081"; break;
        case omnivelda::Forma::Memoria:
            v.campos[i] = std::string(c.digitos - 1, static_cast<char>('0' + i % 10)) + "*";
            break;
        }
    }
    v.banderas = "1010";
    auto img = omnivelda::ArmaImagen("0001", v, "31", "Distribuidor");
    ASSERT_TRUE(img);
    ASSERT_EQ(img->datos.size(), 248u);
    auto l = omnivelda::Decodifica(img->trama);
    EXPECT_EQ(l.version, "31");
    EXPECT_FALSE(l.usuarioGardomelinta);
    EXPECT_TRUE(l.modificadorGardomelinta);
    for (std::size_t i = 0; i < kTabla.size(); ++i)
        EXPECT_EQ(l.campos[i], v.campos[i]) << kTabla[i].control << "(" << kTabla[i].indice << ")";
    EXPECT_EQ(l.banderas, "1010");
    EXPECT_EQ(l.libera, false);
}

// A device answer: key "1A3A", the trunk digits "9", "*", "#" in the device digit code, memory
// 0 "5A5F", memory 1 "BCFF", sixteen-digit memory 2 "12" | "3456AFFFFFFFFFFF" around block 1's
// checksum and the "45".
TEST(OmniveldaCodec, DecodesADeviceAnswer) {
    std::string mapa = "051E09" "0001" "2017" "00" "000300" "000A01" "090B0C" "1A3A" "5A5F" "BCFF" + F(48) +
                       F(32) + "12";
    ASSERT_EQ(mapa.size(), 128u);
    mapa += "00" "45" "3456A" + F(9) + F(112) + "6E" "00" "03FE";
    ASSERT_TRUE(codec::RecalculaSumas(mapa, *codec::BuscaModelo("05")));
    auto l = omnivelda::Decodifica(mapa);
    EXPECT_EQ(l.version, "30");
    EXPECT_TRUE(l.usuarioGardomelinta);
    EXPECT_TRUE(l.modificadorGardomelinta);
    EXPECT_EQ(l.campos[fila("ZylTexOmnDurL")], "030");
    EXPECT_EQ(l.campos[fila("ZylTexOmnDurP")], "0101");  // a nibble of 10 reads "10"
    EXPECT_EQ(l.campos[fila("ZylTexOmnCon")], "9*#");
    EXPECT_EQ(l.campos[fila("ZylTexResCla")], "1030");
    EXPECT_EQ(l.campos[fila("ZylTxtOmnMe4", 0)], "505");
    EXPECT_EQ(l.campos[fila("ZylTxtOmnMe4", 1)], "*#");
    EXPECT_EQ(l.campos[fila("ZylTxtOmnMe4", 2)], "");
    EXPECT_EQ(l.campos[fila("ZylTxtOmnMe16", 2)], "1234560");
    EXPECT_EQ(l.banderas, "1110");
    EXPECT_EQ(l.libera, false);
}

TEST(OmniveldaCodec, FlagsAndTheMemoryTableReleaseShareTheirNibbles) {
    struct Case {
        const char* bytes78;  // map positions 11-14
        const char* banderas;
        std::optional<bool> libera;
    };
    const Case cases[] = {
        {"2117", "1111", true}, {"2001", "0000", false}, {"2011", "1000", false}, {"2003", "0100", false},
        {"2005", "0010", false}, {"2101", "0001", true}, {"2301", "0001", std::nullopt},
    };
    for (const Case& c : cases) {
        std::string mapa = "051E090001" + std::string(c.bytes78) + std::string(252, '0');
        auto l = omnivelda::Decodifica(mapa);
        EXPECT_EQ(l.banderas, c.banderas) << c.bytes78;
        EXPECT_EQ(l.libera, c.libera) << c.bytes78;
        if (c.libera.has_value()) {
            EXPECT_EQ("2" + omnivelda::NibblesBanderas(c.banderas), c.bytes78);
        }
    }
}

TEST(OmniveldaCodec, FieldsFitTheirPlacesOrAreRefused) {
    struct Case {
        const char* control;
        const char* texto;
        std::optional<std::string> datos;
    };
    const Case cases[] = {
        {"ZylTexOmnDurL", "030", "000300"},  {"ZylTexOmnDurL", "30", "000300"},  // the same time
        {"ZylTexOmnDurL", "", "000000"},     {"ZylTexOmnDurL", "255", "020505"},
        {"ZylTexOmnDurL", "0010", "000100"}, {"ZylTexOmnDurL", "256", std::nullopt},
        {"ZylTexOmnDurP", "1a", std::nullopt},
        {"ZylTexOmnCon", "9", "090F0F"},     {"ZylTexOmnCon", "*#1", "0*0#01"},
        {"ZylTexOmnCon", "", "0F0F0F"},      {"ZylTexOmnCon", "1234", std::nullopt},
        {"ZylTexOmnCon", "9a", std::nullopt},
        {"ZylTexResCla", "1234", "1234"},    {"ZylTexResCla", "123", std::nullopt},
        {"ZylTexResCla", "", std::nullopt},  {"ZylTexResCla", "0123", std::nullopt},
        {"ZylTexResCla", "12345", std::nullopt},
        {"ZylTxtOmnMe4", "12", "12FF"},      {"ZylTxtOmnMe4", "*", "*FFF"},
        {"ZylTxtOmnMe4", "", "FFFF"},        {"ZylTxtOmnMe4", "x1", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto& campo = kTabla[fila(c.control, std::string_view(c.control).starts_with("ZylTxt") ? 0 : -1)];
        EXPECT_EQ(omnivelda::CodificaCampo(campo, c.texto), c.datos) << c.control << " \"" << c.texto << "\"";
    }
    EXPECT_EQ(omnivelda::CodificaCampo(kTabla[fila("ZylTxtOmnMe16", 9)], ""), F(16));
    // One field that does not fit builds no image at all.
    auto v = ejemplo();
    v.campos[fila("ZylTexResCla")] = "";
    EXPECT_FALSE(omnivelda::ArmaImagen("0001", v, "30", "Gardomelinta"));
}

// The image kept for a refused write: a field that cannot stand keeps what its place can hold,
// with the device's "no digit" for the rest, and every other field and both checksums are as a
// good write would have them.
TEST(OmniveldaCodec, RefusedFieldsAreFittedForTheRecord) {
    struct Case {
        const char *control, *texto;
        const char* datos;  // the field's characters in the data part
    };
    const Case cases[] = {
        {"ZylTexResCla", "12", "12FF"},        {"ZylTexResCla", "", "FFFF"},
        {"ZylTexResCla", "0123", "0123"},      {"ZylTexResCla", "1a34", "1F34"},
        {"ZylTexResCla", "12345", "1234"},     {"ZylTexOmnCon", "1234", "010203"},
        {"ZylTexOmnCon", "9a", "090F0F"},      {"ZylTexOmnDurL", "256", "0F0F0F"},
        {"ZylTexOmnDurP", "1a", "0F0F0F"},     {"ZylTxtOmnMe4", "x1", "F1FF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " \"" + c.texto + "\"");
        const std::size_t i = fila(c.control, std::string_view(c.control).starts_with("ZylTxt") ? 0 : -1);
        auto v = ejemplo();
        v.campos[i] = c.texto;
        ASSERT_FALSE(omnivelda::ArmaImagen("0001", v, "30", "Gardomelinta"));
        const auto img = omnivelda::ArmaImagenAjustada("0001", v, "30", "Gardomelinta");
        auto esperada = *omnivelda::ArmaImagen("0001", ejemplo(), "30", "Gardomelinta");
        esperada.datos.replace(kTabla[i].inicio - 1, omnivelda::Ancho(kTabla[i]), c.datos);
        EXPECT_EQ(img.datos, esperada.datos);
        EXPECT_EQ(img.trama.size(), 266u);
        EXPECT_EQ(img.mascara, std::string(270, '1'));
        EXPECT_TRUE(codec::SumasCorrectas(img.trama, *codec::BuscaModelo("05")));
        EXPECT_EQ(omnivelda::Decodifica(img.trama).campos[fila("ZylTxtOmnMe16", 0)], "5551234");
    }
    // Fields that fit are fitted to themselves.
    EXPECT_EQ(omnivelda::ArmaImagenAjustada("0001", ejemplo(), "30", "Gardomelinta").trama,
              omnivelda::ArmaImagen("0001", ejemplo(), "30", "Gardomelinta")->trama);
}

TEST(OmniveldaCodec, RemoteCommands) {
    struct Case {
        const char *numero, *valor, *indice;
        bool activa;
        std::optional<std::string> cadena;
        std::optional<std::string> imagen;
        std::optional<std::string> indiceNuevo;
    };
    const std::nullopt_t no = std::nullopt;
    const Case cases[] = {
        {"1", "1", "", true, "#24,1234,9", "9", no},
        {"2", "1", "", true, "#25,1234,9", "9", no},
        {"6", "0", "", true, "#26,1234,0", "0", no},
        {"11", "1", "", true, "#28,1234,9", "9", no},
        {"11", "2", "", true, no, "", no},  // a greyed box is no setting
        {"12", "1", "", true, "#21,1234,1", "1", no},  // a time of 1 is not a ticked box
        {"13", "180", "", true, "#22,1234,180", "180", no},
        {"14", "123", "", true, "#23,1234,1,2,3", "123", no},
        // A short code is normal: characters 1, 2 and 3, each empty where missing.
        {"14", "9", "", true, "#23,1234,9,,", "9", no},
        {"14", "12", "", true, "#23,1234,1,2,", "12", no},
        {"14", "", "", true, "#23,1234,,,", "", no},
        {"14", "1234", "", true, no, "1234", no},
        {"14", "9a", "", true, no, "9a", no},
        // An empty time is no setting; nor is one the device cannot hold.
        {"12", "", "", true, no, "", no},
        {"13", "256", "", true, no, "256", no},
        {"13", "1a", "", true, no, "1a", no},
        {"15", "555", "5", true, "#271234,05,555", "555", "05"},
        {"15", "1", "13", true, "#271234,13,1", "1", "13"},
        {"16", "5551234", "13", true, "#271234,14,5551234", "5551234", "14"},
        {"16", "0", "22", true, "#271234,23,0", "0", "23"},
        {"16", "0", "23", true, no, no, no},
        {"15", "0", "x", true, no, no, no},
        {"17", "7", "", true, "#301234", no, no},
        {"10", "0", "", true, "#209999,1234", no, no},
        {"10", "0", "", false, no, no, no},
        {"12", "30", "", false, no, "30", no},  // the option value is kept, nothing is built
        {"16", "7", "14", false, no, "7", "15"},
        {"17", "0", "", false, no, no, no},
        {"3", "1", "", true, no, no, no},
        {"0", "1", "", true, no, no, no},
    };
    for (const Case& c : cases) {
        auto r = omnivelda::ArmaComando(c.numero, c.valor, c.indice, "1234", "9999", ",", c.activa);
        EXPECT_EQ(r.cadena, c.cadena) << c.numero << " " << c.valor;
        EXPECT_EQ(r.imagen, c.imagen) << c.numero << " " << c.valor;
        EXPECT_EQ(r.indice, c.indiceNuevo) << c.numero << " " << c.valor;
    }
}

// ---- through the main window ----

struct Omnivelda : ModeloFixture {
    void SetUp() override {
        folder.writeSoftware(zylma::testing::SoftwareConReintentos("2"));
        records::Record conf = zylma::testing::ConfiguracionComun("111100000", "1111");
        conf[0] = "Prohibidas";
        conf[1] = "Libres";
        conf[2] = "Salida";
        conf[3] = "Liberar";
        conf[5] = "Memorias 4";
        conf[6] = "Memorias 16";
        conf[20] = "005";
        conf[21] = "180";
        conf[22] = "9";
        conf[23] = "0";
        folder.writeConfig("Omnivelda", "30", conf);
        escribeComandos(true);
        abre(3);  // the Omnivelda button
    }
    forms::CheckBox& libera() { return *w().findAs<forms::CheckBox>("ZylChkOmnLib"); }
    // The two-block image takes more acknowledgements than the shared default allows.
    void acknowledgeAll() { ModeloFixture::acknowledgeAll(600); }
    // A device answer with both checksums in place: key 1030, restrictions 1, 3 and 4 (the
    // release shares restriction 4's bit, so it is ticked), free calls 045, forbidden calls 010, trunk "0*", memory 3 "505", memory 16-2
    // across both blocks.
    static std::string mapaBueno() {
        std::string mapa = "051E09" "0001" "2115" "00" "000405" "000100" "0A0B0F" "1A3A" + F(12) + "5A5F" + F(40) +
                           F(32) + "12";
        mapa += "00" "45" "34" + F(12) + F(112) + "6E" "00" "03FE";
        codec::RecalculaSumas(mapa, *codec::BuscaModelo("05"));
        return mapa;
    }
    static std::string respuesta(const std::string& mapa) { return codec::RecepcionDesdeMapa(mapa); }
    void lee() {
        w().comando(3).userClick();
        acknowledgeAll();
    }
};

TEST_F(Omnivelda, LoadShowsThePanelWithTheRecordsCaptionsAndDefaults) {
    EXPECT_TRUE(w().panel("ZylFraOmn")->visible());
    EXPECT_EQ(w().find("ZylLabOmnDurP")->caption(), "Prohibidas");
    EXPECT_EQ(w().find("ZylFraOmnFraM16")->caption(), "Memorias 16");
    EXPECT_EQ(libera().caption(), "Liberar");
    EXPECT_EQ(caja("ZylTexOmnDurP").text(), "005");
    EXPECT_EQ(caja("ZylTexOmnDurL").text(), "180");
    EXPECT_EQ(caja("ZylTexOmnCon").text(), "9");
    EXPECT_EQ(w().ZylTexResCla->text(), "1111");
    EXPECT_EQ(w().ZylTexResCla->maxLength(), 4);
    EXPECT_EQ(caja("ZylTxtOmnMe16", 9).maxLength(), 16);
    EXPECT_EQ(w().find("ZylLabOmnMe4", 13)->caption(), "13");
    EXPECT_EQ(w().find("ZylLabOmnMe16", 9)->caption(), "09");
    EXPECT_TRUE(h->host.messages.empty());
}

TEST_F(Omnivelda, ReadFillsThePanelOnlyAtTheWholeAnswer) {
    caja("ZylTxtOmnMe4", 5).setText("77");
    lee();
    EXPECT_EQ(wire(), "DLEEf1P");
    const std::string a = respuesta(mapaBueno());
    ASSERT_EQ(a.size(), 270u);
    h->port->arrive(a.substr(0, 269));
    EXPECT_EQ(w().ZylTexResCla->text(), "1111");  // 269 characters change nothing
    EXPECT_EQ(caja("ZylTxtOmnMe4", 5).text(), "77");
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    h->port->arrive(a.substr(269) + "5");  // the 270th, and one too many
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_EQ(w().ZylTexResCla->text(), "1030");
    EXPECT_EQ(w().ZylTexResFirm->text(), "30");
    EXPECT_EQ(w().ZylTexResUs->text(), "Gardomelinta");
    EXPECT_EQ(caja("ZylTexOmnDurL").text(), "045");
    EXPECT_EQ(caja("ZylTexOmnDurP").text(), "010");
    EXPECT_EQ(caja("ZylTexOmnCon").text(), "0*");
    EXPECT_EQ(caja("ZylTxtOmnMe4", 3).text(), "505");
    EXPECT_EQ(caja("ZylTxtOmnMe4", 5).text(), "");
    EXPECT_EQ(caja("ZylTxtOmnMe16", 2).text(), "1234");
    EXPECT_EQ(w().ZylTexBan->text(), "1011");
    EXPECT_EQ(w().ZylChkRes[0]->value(), 1);
    EXPECT_EQ(w().ZylChkRes[1]->value(), 0);
    EXPECT_EQ(w().ZylChkRes[3]->value(), 1);
    EXPECT_EQ(libera().value(), 1);
    EXPECT_EQ(p().EquipoActual, "Omnivelda");
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_EQ(m().ZylTexMon[8]->text(), mapaBueno());
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    h->host.advance(60000);
    EXPECT_TRUE(h->host.messages.empty());
}

TEST_F(Omnivelda, ChecksumFailureNamesTheBlockOnceAndKeepsThePanel) {
    struct Case {
        bool bloque1, bloque2;
        const char* mensaje;
        int contador;  // `ContadorReintentos` after it, from 2
    };
    const Case cases[] = {
        {true, false, "Error de Comunicación1!", 2},
        {true, true, "Error de Comunicación1!", 2},
        {false, true, "Error de Comunicación2!", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mensaje);
        h->host.messages.clear();
        wire().clear();
        std::string mapa = mapaBueno();
        if (c.bloque1) mapa[128] = mapa[128] == '0' ? '1' : '0';
        if (c.bloque2) mapa[260] = mapa[260] == '0' ? '1' : '0';
        w().ZylTexResCla->setText("4444");
        lee();
        p().ContadorReintentos = 2;
        h->port->arrive(respuesta(mapa));
        ASSERT_EQ(h->host.messages.size(), 1u);
        EXPECT_EQ(h->host.lastMessage(), c.mensaje);
        EXPECT_EQ(h->host.messages.back().title, "ZYLMA");
        EXPECT_EQ(p().ContadorReintentos, c.contador);
        EXPECT_EQ(w().ZylTexResCla->text(), "4444");
        EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
        EXPECT_EQ(p().LecturaEnVivo, 1);
        EXPECT_EQ(wire(), "DLEEf1P");  // no retry
        // Reported once: the watchdog does not add its own message later.
        EXPECT_FALSE(w().TimerEC->timerEnabled());
        h->host.advance(60000);
        EXPECT_EQ(h->host.messages.size(), 1u);
    }
    // A good answer after them reads normally.
    lee();
    h->port->arrive(respuesta(mapaBueno()));
    EXPECT_EQ(w().ZylTexResCla->text(), "1030");
}

TEST_F(Omnivelda, ReadOfAVersionWithoutItsRecordSaysSoAndStillShowsTheDevice) {
    std::string mapa = mapaBueno();
    mapa.replace(2, 2, "1F");  // firmware 31: no Omnivelda31 record in the folder
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("05"));
    lee();
    h->port->arrive(respuesta(mapa));
    EXPECT_EQ(h->host.lastMessage(), "No existe archivo de configuración.");
    EXPECT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(w().ZylTexResFirm->text(), "31");
    EXPECT_EQ(w().ZylTexResCla->text(), "1030");
    EXPECT_EQ(caja("ZylTxtOmnMe4", 3).text(), "505");
    EXPECT_TRUE(w().panel("ZylFraOmn")->visible());
    EXPECT_FALSE(w().TimerEC->timerEnabled());
}

TEST_F(Omnivelda, WriteSendsTheWholeDataPartAfterFrameOne) {
    w().ZylTexResFirm->setText("30");
    w().ZylTexResCla->setText("4321");
    caja("ZylTexOmnDurL").setText("30");
    caja("ZylTxtOmnMe4", 0).userType("12");
    caja("ZylTxtOmnMe16", 2).userType("98765");
    w().ZylChkRes[0]->userClick();
    w().ZylChkRes[3]->userClick();
    w().comando(4).userClick();
    acknowledgeAll();
    EXPECT_EQ(wire(), "DESC1P");
    wire().clear();
    h->host.advance(5000);
    acknowledgeAll();
    const std::string datos = "0001" "2111" "00" "000300" "000005" "090F0F" "4321" "12FF" + F(52) + F(32) +
                              "98" "765" + F(11) + F(112);
    ASSERT_EQ(datos.size(), 248u);
    EXPECT_EQ(wire(), "D" + datos + "1P");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    EXPECT_EQ(m().ZylTexMon[2]->text().size(), 266u);
    const records::Record r = ultimoEnvio();
    EXPECT_EQ(r[0], "05");
    EXPECT_EQ(r[5], datos);
    EXPECT_EQ(r[6], "248");

    // "&Ult.Envío" gives back what was written, both checksums passing.
    caja("ZylTexOmnDurL").setText("200");
    caja("ZylTxtOmnMe16", 2).setText("");
    w().ZylTexResCla->setText("1111");
    w().comando(6).userClick();
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    EXPECT_EQ(caja("ZylTexOmnDurL").text(), "030");
    EXPECT_EQ(caja("ZylTexOmnCon").text(), "9");
    EXPECT_EQ(caja("ZylTxtOmnMe16", 2).text(), "98765");
    EXPECT_EQ(w().ZylTexResCla->text(), "4321");
    EXPECT_EQ(w().ZylTexBan->text(), "1001");
}

TEST_F(Omnivelda, WriteThatCannotStandInTheLayoutSendsNothing) {
    struct Case {
        const char* clave;
        const char* troncal;  // set by code, past what typing allows
    };
    const Case cases[] = {{"", "9"}, {"123", "9"}, {"0123", "9"}, {"4321", "9999"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.clave) + "/" + c.troncal);
        wire().clear();
        h->host.messages.clear();
        w().ZylTexResCla->setText(c.clave);
        caja("ZylTexOmnCon").setText(c.troncal);
        h->host.messages.clear();
        w().comando(4).userClick();
        // Named by the caption beside the field: the key's "Clave", the trunk digits' "Salida".
        EXPECT_EQ(h->host.lastMessage(), std::string("Error en Captura: revise el campo \"") +
                                             (std::string_view(c.clave) == "4321" ? "Salida" : "Clave") + "\".");
        EXPECT_EQ(p().ImagenEnvio, "");
        EXPECT_EQ(p().EnviaImagen, "0");
        h->host.advance(10000);
        EXPECT_EQ(wire(), "");
    }
}

// The refused write sends nothing but is still the last transmission: "&Ult.Envío" decodes it
// with the refused field as it was typed, the device's "no digit" where characters were missing,
// and every other field as it stood.
TEST_F(Omnivelda, RefusedWriteIsRecordedAndReplaysWithEveryFieldFitted) {
    struct Case {
        const char *clave, *troncal;
        const char *claveLeida, *troncalLeida;  // what the replay decodes
    };
    // The no-digit "F" a refused key was fitted with shows as nothing: the replay shows what
    // was typed, never a key nobody typed.
    const Case cases[] = {{"", "9", "", "9"}, {"123", "*", "123", "*"}, {"4321", "9999", "4321", "999"}};
    w().ZylTexResFirm->setText("30");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.clave) + "/" + c.troncal);
        wire().clear();
        w().ZylTexResCla->setText(c.clave);
        caja("ZylTexOmnCon").setText(c.troncal);
        caja("ZylTxtOmnMe4", 3).setText("505");
        h->host.messages.clear();
        w().comando(4).userClick();
        ASSERT_EQ(h->host.lastMessage().rfind("Error en Captura", 0), 0u) << h->host.lastMessage();
        EXPECT_EQ(p().EstadoCaptura, "Activado");
        EXPECT_EQ(m().ZylTexMon[2]->text().size(), 266u);
        h->host.advance(10000);
        EXPECT_EQ(wire(), "");
        const records::Record r = ultimoEnvio();
        EXPECT_EQ(r[0], "05");
        EXPECT_EQ(r[1].size(), 266u);
        EXPECT_EQ(r[3], std::string(270, '1'));
        EXPECT_EQ(r[5], "");  // nothing was sent
        EXPECT_EQ(r[6], "0");
        const auto l = omnivelda::Decodifica(r[1]);
        EXPECT_EQ(l.campos[fila("ZylTexResCla")], c.claveLeida);
        EXPECT_EQ(l.campos[fila("ZylTexOmnCon")], c.troncalLeida);

        caja("ZylTexOmnCon").setText("");
        h->host.messages.clear();
        w().comando(6).userClick();
        EXPECT_NE(h->host.lastMessage().rfind("Error de Comunicación", 0), 0u);  // both checksums pass
        EXPECT_EQ(caja("ZylTexOmnCon").text(), c.troncalLeida);
        EXPECT_EQ(caja("ZylTxtOmnMe4", 3).text(), "505");
    }
}

TEST_F(Omnivelda, RemoteCommandsFromThePanelsTriggers) {
    w().ZylTexResCla->setText("4321");
    struct Case {
        std::function<void(Omnivelda&)> gesto;
        const char* cadena;
    };
    const Case cases[] = {
        {[](Omnivelda& t) { t.w().ZylChkRes[1]->setValue(1); t.w().ZylChkRes[1]->userPress(forms::MouseButton::Right); },
         "#25,4321,9"},
        {[](Omnivelda& t) { t.libera().userPress(forms::MouseButton::Right); }, "#28,4321,0"},
        {[](Omnivelda& t) { t.caja("ZylTexOmnDurP").userDblClick(); }, "#21,4321,005"},
        {[](Omnivelda& t) { t.caja("ZylTexOmnDurL").setText("1"); t.caja("ZylTexOmnDurL").userDblClick(); },
         "#22,4321,1"},
        {[](Omnivelda& t) { t.caja("ZylTexOmnCon").setText("9*#"); t.caja("ZylTexOmnCon").userDblClick(); },
         "#23,4321,9,*,#"},
        {[](Omnivelda& t) { t.caja("ZylTxtOmnMe4", 13).setText("55"); t.caja("ZylTxtOmnMe4", 13).userDblClick(); },
         "#274321,13,55"},
        {[](Omnivelda& t) { t.caja("ZylTxtOmnMe16", 0).setText("5551234"); t.caja("ZylTxtOmnMe16", 0).userDblClick(); },
         "#274321,14,5551234"},
        {[](Omnivelda& t) { t.w().findAs<forms::Button>("ZylCmdOmnBor")->userClick(); }, "#304321"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cadena);
        wire().clear();
        h->host.popupChoices.push_back("mnuEnviar");
        c.gesto(*this);
        EXPECT_TRUE(h->host.popupChoices.empty());
        h->host.advance(5000);
        acknowledgeAll();
        EXPECT_EQ(wire(), "D" + std::string(c.cadena) + "1P");
        EXPECT_EQ(p().NumeroComando, "0");
    }
    EXPECT_EQ(p().IndiceComando, "14");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
}

// Every command the Omnivelda does not send says why, through the gesture and the pop-up.
TEST_F(Omnivelda, RefusedCommandsSayWhyAndSendNothing) {
    auto texto = [this](const char* k, const char* nombre, int i, const char* t) {
        return [this, k, nombre, i, t] {
            w().ZylTexResCla->setText(k);
            caja(nombre, i).setText(t);
        };
    };
    auto doble = [this](const char* nombre, int i = -1) { return [this, nombre, i] { caja(nombre, i).userDblClick(); }; };
    auto* libera = w().findAs<forms::CheckBox>("ZylChkOmnLib");
    compruebaRehusados({
        {"short key", texto("432", "ZylTexOmnDurP", -1, "005"), doble("ZylTexOmnDurP"), porClave("432")},
        // Today's fault: "#21,1111," went out for an empty time.
        {"empty time", texto("1111", "ZylTexOmnDurP", -1, ""), doble("ZylTexOmnDurP"), porVacio("Prohibidas")},
        {"time above 255", texto("1111", "ZylTexOmnDurL", -1, "256"), doble("ZylTexOmnDurL"), porCampo("Libres")},
        {"letter in a time", texto("1111", "ZylTexOmnDurL", -1, "1a"), doble("ZylTexOmnDurL"), porCampo("Libres")},
        {"letter in the trunk code", texto("1111", "ZylTexOmnCon", -1, "9a"), doble("ZylTexOmnCon"), porCampo("Salida")},
        {"memory too long", texto("1111", "ZylTxtOmnMe4", 5, "12345"), doble("ZylTxtOmnMe4", 5),
         porCampo("Memorias 4 05")},
        {"letter in a memory", texto("1111", "ZylTxtOmnMe16", 2, "555a"), doble("ZylTxtOmnMe16", 2),
         porCampo("Memorias 16 02")},
        {"greyed release box", [libera] { libera->setValue(2); },
         [libera] { libera->userPress(forms::MouseButton::Right); }, porGris("Liberar")},
        {"restriction 3 has no command", [] {}, [this] { pulsaRestriccion(3); }, sinComando("Restricción 3")},
        {"erase with a short key", [this] { w().ZylTexResCla->setText("11"); },
         [this] { w().find("ZylCmdOmnBor")->userClick(); }, porClave("11")},
    });
}

TEST_F(Omnivelda, RefusedCommandsSendNothingNotEvenThePreviousOne) {
    w().ZylTexResCla->setText("4321");
    p().NumeroComando = "17";
    IniciaEnvio(p());
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D#3043211P");
    wire().clear();

    // No such command: nothing is built and nothing of the module state changes.
    const std::string imagen = "IMAGEN";
    p().NumeroComando = "3";
    p().ValorComando = "1";
    p().IndiceComando = "7";
    IniciaEnvio(p());
    EXPECT_FALSE(w().TimerPID->timerEnabled());
    EXPECT_EQ(p().ImagenEnvio.size(), 248u);  // the image just prepared, not the option value
    EXPECT_EQ(p().IndiceComando, "7");

    // A key the device would not take, and trunk digits the device's command cannot carry.
    w().ZylTexResCla->setText("432");
    p().NumeroComando = "13";
    p().ValorComando = "30";
    IniciaEnvio(p());
    EXPECT_EQ(p().ImagenEnvio.size(), 248u);  // a refused command changes nothing
    w().ZylTexResCla->setText("4321");
    p().NumeroComando = "14";
    p().ValorComando = "9a";
    IniciaEnvio(p());
    // The right press on the erase button is no command.
    w().findAs<forms::Button>("ZylCmdOmnBor")->userPress(forms::MouseButton::Right);
    EXPECT_TRUE(h->host.popups.empty());
    h->host.advance(10000);
    EXPECT_EQ(wire(), "");
    // Each refusal said why, once: three commands, three messages.
    ASSERT_EQ(h->host.messages.size(), 3u);
    for (const auto& m : h->host.messages) EXPECT_EQ(m.text.rfind("No se envió el comando: ", 0), 0u) << m.text;
}

TEST_F(Omnivelda, KeyChangeSendsTheOldKeyThenTheNew) {
    w().ZylTexResCla->setText("4321");
    p().ClaveAnterior = "4321";
    w().ZylTexResCla->setText("5678");
    p().NumeroComando = "10";
    IniciaEnvio(p());
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D#204321,56781P");
}

}  // namespace
