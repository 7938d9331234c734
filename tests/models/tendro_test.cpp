// The Téndro: its layout pinned by golden vectors, and the read, write and command paths
// through the main window against a recording port.
#include "modelos_fixture.h"
#include "grupo1/tendro.h"
#include "zylma/app/barra.h"

#include <fstream>

using namespace zylma;
using namespace zylma::app;
using namespace zylma::models;
using zylma::testing::AppFolder;
using zylma::testing::ModeloFixture;

namespace {

const std::string kRelleno(106, 'F');

// Panel: modifier "0001", key "1234", restrictions 1, 3 and 4 on, firmware "30", class
// "Gardomelinta". Restriction 3 is bit 1 and restriction 4 bit 2 of the high nibble of byte 10
// (0x30); restriction 1 is bit 1 of the high nibble of byte 11 (0x10). Block 1:
//   05 1E 09 00 01 12 34 66 30 10 6E and 53 bytes FF
// sum = 0x187 + 53 x 0xFF = 0x3652; 0x3652 mod 256 = 0x52; 255 - 0x52 = 0xAD.
TEST(TendroCodec, GoldenProgrammingImage) {
    auto img = tendro::ArmaImagen("0001", "1234", "101100", "30", "Gardomelinta");
    ASSERT_TRUE(img);
    EXPECT_EQ(img->datos, "00011234FF3010");
    EXPECT_EQ(img->trama, "051E0900011234663010" "6E" + kRelleno + "AD" "03FE");
    EXPECT_EQ(img->trama.size(), 134u);
    EXPECT_EQ(img->mascara, std::string(138, '1'));
}

// The device's answer: code 00, version 0x1E, user type 09, modifier 0001, key "1A3A" (the
// device's "A" is the digit 0), byte 9 FF, flags 30 10, byte 12 6E. Block sum:
// 00+1E+09+00+01+1A+3A+FF+30+10+6E = 0x229, plus 53 x 0xFF (0x34CB) = 0x36F4;
// 0xF4 mod 256, and 255 - 0xF4 = 0x0B.
TEST(TendroCodec, DecodesADeviceAnswer) {
    const std::string mapa = "001E0900011A3AFF30106E" + kRelleno + "0B" "03FE";
    ASSERT_TRUE(codec::SumasCorrectas(mapa, *codec::BuscaModelo("00")));
    auto l = tendro::Decodifica(mapa);
    EXPECT_EQ(l.version, "30");
    EXPECT_TRUE(l.usuarioGardomelinta);
    EXPECT_TRUE(l.modificadorGardomelinta);
    EXPECT_EQ(l.clave, "1030");
    EXPECT_EQ(l.banderas, "101100");
}

TEST(TendroCodec, EveryRestrictionKeepsItsBitThroughAWriteAndARead) {
    const std::pair<const char*, const char*> cases[] = {
        {"100000", "0010"}, {"010000", "0004"}, {"001000", "1000"}, {"000100", "2000"},
        {"000010", "0400"}, {"000001", "0002"}, {"111111", "3416"}, {"000000", "0000"},
    };
    for (auto [flags, nibbles] : cases) {
        EXPECT_EQ(tendro::NibblesBanderas(flags), nibbles) << flags;
        EXPECT_EQ(tendro::BanderasDesdeNibbles(nibbles), flags) << nibbles;
    }
}

TEST(TendroCodec, OnlyFourDigitKeysNotStartingWithZeroAreTaken) {
    const std::pair<const char*, bool> cases[] = {
        {"1234", true}, {"9990", true}, {"0123", false}, {"123", false}, {"12345", false},
        {"12a4", false}, {"", false},   {"12*4", false},
    };
    for (auto [key, ok] : cases) {
        EXPECT_EQ(tendro::ClaveValida(key), ok) << key;
        EXPECT_EQ(tendro::ArmaImagen("0001", key, "000000", "30", "Gardomelinta").has_value(), ok) << key;
    }
}

TEST(TendroCodec, RemoteCommands) {
    struct Case {
        const char *numero, *valor, *clave;
        std::optional<std::string> cadena;
    };
    const Case cases[] = {
        {"1", "1", "1234", "#1,1234,9"}, {"2", "0", "1234", "#3,1234,0"}, {"3", "1", "1234", "#4,1234,9"},
        {"4", "1", "1234", "#5,1234,9"}, {"5", "0", "1234", "#6,1234,0"}, {"6", "1", "1234", "#9,1234,9"},
        {"1", "2", "1234", std::nullopt},  // a greyed box is neither on nor off
        {"10", "0", "5678", "#2,9999,5678"},
        {"7", "1", "1234", std::nullopt}, {"0", "1", "1234", std::nullopt}, {"3", "1", "123", std::nullopt},
        {"10", "0", "0123", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tendro::ArmaComando(c.numero, c.valor, c.clave, "9999", ","), c.cadena) << c.numero << " " << c.clave;
}

// ---- through the main window ----

struct Tendro : ModeloFixture {
    void SetUp() override {
        folder.writeSoftware(zylma::testing::SoftwareConReintentos("2"));
        records::Record conf = zylma::testing::ConfiguracionComun("111111000", "1111");
        conf[41] = "Téndro";
        folder.writeConfig("Téndro", "30", conf);
        escribeComandos(true);
        abre(2);  // the Téndro button
    }
    static std::string answer(const std::string& mapaSinSuma) {
        std::string mapa = mapaSinSuma + "00" "03FE";
        codec::RecalculaSumas(mapa, *codec::BuscaModelo("00"));
        return codec::RecepcionDesdeMapa(mapa);
    }
    std::string goodAnswer() { return answer("001E0900011A3AFF30106E" + kRelleno); }
};

TEST_F(Tendro, ReadFillsTheCommonAreaAndStopsTheWatchdog) {
    w().comando(3).userClick();
    EXPECT_EQ(w().ZylTexEst->text(), "Leyendo");
    EXPECT_TRUE(w().TimerEC->timerEnabled());
    acknowledgeAll();
    EXPECT_EQ(wire(), "DLEEf1P");
    std::string a = goodAnswer();
    ASSERT_EQ(a.size(), 138u);
    h->port->arrive(a.substr(0, 137));
    EXPECT_EQ(w().ZylTexResCla->text(), "1111");  // 137 characters change nothing
    h->port->arrive(a.substr(137));
    EXPECT_FALSE(w().TimerEC->timerEnabled());
    EXPECT_EQ(w().ZylTexResCla->text(), "1030");
    EXPECT_EQ(w().ZylTexResFirm->text(), "30");
    EXPECT_EQ(w().ZylTexResUs->text(), "Gardomelinta");
    EXPECT_EQ(w().ZylTexResMod->text(), "Gardomelinta");
    EXPECT_EQ(w().ZylTexBan->text(), "101100");
    EXPECT_EQ(w().ZylChkRes[0]->value(), 1);
    EXPECT_EQ(w().ZylChkRes[1]->value(), 0);
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    EXPECT_EQ(m().ZylTexMon[8]->text().size(), 134u);
    EXPECT_TRUE(w().panel("ZylFraTen")->visible());
    EXPECT_TRUE(h->host.messages.empty());
    h->host.advance(60000);
    EXPECT_TRUE(h->host.messages.empty());
}

TEST_F(Tendro, BadChecksumRetriesThenGivesUpOncePerReading) {
    std::string bad = goodAnswer();
    bad[bad.size() - 6] = bad[bad.size() - 6] == '0' ? '1' : '0';  // a checksum nibble
    for (int reading = 0; reading < 2; ++reading) {
        SCOPED_TRACE(reading);
        h->host.messages.clear();
        wire().clear();
        w().comando(3).userClick();
        acknowledgeAll();
        h->port->arrive(bad);
        EXPECT_EQ(h->host.lastMessage(), "1");
        EXPECT_EQ(w().ZylTexEst->text(), "Reintento Lectura 1");
        EXPECT_NE(wire().find("P" "LEEf"), std::string::npos);  // the unframed resend, in one output
        h->port->arrive(bad);
        EXPECT_EQ(h->host.lastMessage(), "2");
        h->port->arrive(bad);
        EXPECT_EQ(h->host.lastMessage(), "Error de Comunicación!");
        EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
        EXPECT_EQ(p().ContadorReintentos, 0);
        // The watchdog was stopped with the last message: no second box follows.
        EXPECT_FALSE(w().TimerEC->timerEnabled());
        EXPECT_EQ(h->host.messages.size(), 3u);
    }
}

TEST_F(Tendro, EachReadingStartsWithAllItsRetries) {
    std::string bad = goodAnswer();
    bad[bad.size() - 6] = bad[bad.size() - 6] == '0' ? '1' : '0';
    w().comando(3).userClick();
    acknowledgeAll();
    h->port->arrive(bad);
    h->port->arrive(goodAnswer());  // the retry succeeds with the counter at 1
    EXPECT_EQ(w().ZylTexResCla->text(), "1030");
    h->host.messages.clear();
    w().comando(3).userClick();
    acknowledgeAll();
    h->port->arrive(bad);
    h->port->arrive(bad);
    EXPECT_EQ(h->host.lastMessage(), "2");  // two retries again, not one
}

TEST_F(Tendro, WriteSendsFrameOneThenTheDataPartAfterItsP) {
    w().ZylTexResCla->setText("4321");
    w().ZylChkRes[1]->userClick();
    w().ZylChkRes[5]->userClick();
    w().comando(4).userClick();
    EXPECT_EQ(wire(), "D");
    acknowledgeAll();
    EXPECT_EQ(wire(), "DESC1P");  // the Escritura text without its "f"
    wire().clear();
    h->host.advance(4999);
    EXPECT_EQ(wire(), "");
    h->host.advance(1);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D00014321FF0006" "1P");
    EXPECT_EQ(p().enlace.estado, EstadoEnlace::Libre);
    // The last transmission is recorded.
    const records::Record r = ultimoEnvio();
    EXPECT_EQ(r[0], "00");
    EXPECT_EQ(r[5], "00014321FF0006");
    EXPECT_EQ(r[6], "14");
    EXPECT_EQ(r[3], std::string(138, '1'));
}

TEST_F(Tendro, FrameTwoWaitsForFrameOneAndGivesUpAfterTheTimeOut) {
    w().ZylTexResCla->setText("4321");
    w().comando(4).userClick();
    h->port->arrive("TT");  // frame 1 stalls after "DES"
    h->host.advance(5000);
    EXPECT_EQ(wire(), "DES");
    h->port->arrive("TT");  // "C", then "1" and "P": frame 2 starts at once
    EXPECT_EQ(wire(), "DESC1PD");
    acknowledgeAll();
    EXPECT_EQ(p().enlace.estado, EstadoEnlace::Libre);

    wire().clear();
    w().comando(4).userClick();  // this time frame 1 never finishes
    h->host.advance(10000);      // the reply time-out of the software record
    EXPECT_EQ(h->host.lastMessage(), "Error de Comunicación");
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    h->host.advance(20000);
    EXPECT_EQ(wire(), "D");
    EXPECT_EQ(p().enlace.estado, EstadoEnlace::Libre);
}

// A stray "T" after frame 1 sends nothing: the device already has frame 1 and waits for the
// data part, so frame 1 again would be taken for it and the real data part refused. Frame 2
// goes out on time, alone.
TEST_F(Tendro, AStrayAcknowledgementBetweenTheFramesSendsNothing) {
    w().ZylTexResCla->setText("4321");
    w().comando(4).userClick();
    acknowledgeAll();
    EXPECT_EQ(wire(), "DESC1P");
    wire().clear();
    h->port->arrive("T");
    EXPECT_EQ(wire(), "");
    h->host.advance(5000);
    EXPECT_EQ(wire(), "D");
    acknowledgeAll();
    EXPECT_EQ(wire(), "D00014321FF0000" "1P");
    EXPECT_EQ(p().enlace.estado, EstadoEnlace::Libre);
    // Nor after the write: a data part alone is no command.
    h->port->arrive("T");
    EXPECT_EQ(wire(), "D00014321FF0000" "1P");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
}

TEST_F(Tendro, NothingElseGoesOutWhileAWriteIsPending) {
    w().ZylTexResCla->setText("4321");
    w().comando(4).userClick();
    acknowledgeAll();
    wire().clear();
    for (int b : {1, 2, 3, 4, 10}) w().comando(b).userClick();
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(h->host.messages.size(), 5u);
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D00014321FF0000" "1P");
}

TEST_F(Tendro, RefusedKeySendsNothingAndStillRecordsTheWrite) {
    // The recorded image holds what the user typed and the no-digit "F" for the rest: never
    // a digit nobody typed, which "&Ult.Envío" would show as the key.
    const std::pair<const char*, const char*> casos[] = {{"0123", "0123"}, {"12", "12FF"}, {"", "FFFF"}};
    for (auto [key, grabada] : casos) {
        SCOPED_TRACE(key);
        std::remove(records::pathUltEnvio(folder.path()).c_str());
        wire().clear();
        h->host.messages.clear();
        w().ZylTexResCla->setText(key);
        w().comando(4).userClick();
        EXPECT_EQ(h->host.lastMessage(), "Error en Captura: revise el campo \"Clave\".");
        EXPECT_EQ(p().EstadoCaptura, "Activado");
        EXPECT_EQ(p().EnviaImagen, "0");
        EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
        h->host.advance(10000);
        EXPECT_EQ(wire(), "");
        const records::Record r = ultimoEnvio();
        EXPECT_EQ(r[5], "");
        EXPECT_EQ(codec::Posiciones(r[1], 11, 14), grabada);
    }
    // The next command bar send is its own command, not the refused data part.
    p().ComandoColgado = "COLf";
    w().ZylTexResCla->setText("4321");
    w().comando(1).userClick();
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "DCOLf43211P");
    // "&Verificar" likewise: its stored text and the key, 5000 ms later.
    wire().clear();
    p().ComandoVerificar = "VERf";
    w().comando(2).userClick();
    h->host.advance(4999);
    EXPECT_EQ(wire(), "");
    h->host.advance(1);
    acknowledgeAll();
    EXPECT_EQ(wire(), "DVERf43211P");
}

TEST_F(Tendro, WriteWithNoModelSendsNothing) {
    w().ZylCmd[0]->userClick();  // "Zylma": no builder
    p().CodigoEquipo = "";
    p().ImagenEnvio = "STALE";
    w().comando(4).userClick();
    h->host.advance(10000);
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(p().EnviaImagen, "0");
}

// The modifier code opens the data part: one of another length, or with a character that is
// no hex digit, would shift every later byte on the device. No image is built from it.
TEST_F(Tendro, ModifierCodeOfTheWrongShapeBuildsNoImage) {
    for (const char* modificador : {"01", "00012", "", "00G1", "0001"}) {
        SCOPED_TRACE(modificador);
        const bool valido = std::string(modificador) == "0001";
        wire().clear();
        h->host.messages.clear();
        p().CodigoModificador = modificador;
        w().ZylTexResCla->setText("4321");
        w().comando(4).userClick();
        if (valido) {
            acknowledgeAll();
            h->host.advance(5000);
            acknowledgeAll();
        }
        h->host.advance(10000);
        EXPECT_EQ(wire(), valido ? "DESC1P" "D00014321FF0000" "1P" : "");
        EXPECT_EQ(h->host.messages.size(), valido ? 0u : 1u);
        if (!valido) {
            EXPECT_NE(h->host.lastMessage().find("código modificador"), std::string::npos);
            EXPECT_EQ(p().EnviaImagen, "0");
            EXPECT_EQ(p().ImagenEnvio, "");
        }
    }
}

TEST_F(Tendro, FactoryResetSendsTheStoredTextAlone) {
    w().comando(10).userClick();
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "DRFAf1P");
    EXPECT_FALSE(std::ifstream(records::pathUltEnvio(folder.path())).good());
    EXPECT_EQ(m().ZylTexMon[2]->text(), "");
    EXPECT_TRUE(p().EnvioConEscritura);
}

TEST_F(Tendro, RefusedRemoteCommandSendsNothingNotEvenThePreviousOne) {
    w().ZylTexResCla->setText("4321");
    p().NumeroComando = "3";
    p().ValorComando = "1";
    IniciaEnvio(p());
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D#4,4321,91P");
    wire().clear();
    p().NumeroComando = "7";  // no such Téndro command
    IniciaEnvio(p());
    EXPECT_FALSE(w().TimerPID->timerEnabled());
    EXPECT_EQ(h->host.lastMessage().rfind("No se envió", 0), 0u) << h->host.lastMessage();  // said why
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");
    w().ZylTexResCla->setText("123");  // three digits: the device would take no command
    p().NumeroComando = "3";
    IniciaEnvio(p());
    h->host.advance(10000);
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(h->host.lastMessage(), "No se envió el comando: la clave del equipo \"123\" no es una clave que el equipo acepte.");
}

// Every command the Téndro does not send says why, through the gesture and the pop-up.
TEST_F(Tendro, RefusedCommandsSayWhyAndSendNothing) {
    auto clave = [this](const char* k) { return [this, k] { w().ZylTexResCla->setText(k); }; };
    auto caja = [this](int k, int estado) {
        return [this, k, estado] {
            w().ZylTexResCla->setText("1111");
            w().ZylChkRes[static_cast<std::size_t>(k - 1)]->setVisible(true);
            w().ZylChkRes[static_cast<std::size_t>(k - 1)]->setValue(estado);
        };
    };
    auto pulsa = [this](int k) { return [this, k] { pulsaRestriccion(k); }; };
    compruebaRehusados({
        {"three-digit key", clave("123"), pulsa(3), porClave("123")},
        {"key starting with 0", clave("0123"), pulsa(1), porClave("0123")},
        {"empty key", clave(""), pulsa(6), porClave("")},
        // Today's fault on this model: "#3,1111," went out for a greyed box.
        {"greyed box", caja(2, 2), pulsa(2), porGris("Restricción 2")},
        {"restriction 7 has no command", caja(7, 1), pulsa(7), sinComando("Restricción 7")},
    });
}

// A remote command does not carry the modifier code: a bad one in the software record stops a
// write with its message, never a command. And a command judges the key in the box, not the key
// state a refused write left behind (a refused write leaves "Activado" for the next try).
TEST_F(Tendro, CommandsIgnoreTheModifierAndTheStateARefusedWriteLeft) {
    p().CodigoModificador = "12";
    w().ZylChkRes[2]->setValue(1);
    h->host.popupChoices.push_back("mnuEnviar");
    pulsaRestriccion(3);
    EXPECT_EQ(sent(), "D#4,1111,91P");
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    w().comando(4).userClick();  // the write does say it
    EXPECT_NE(h->host.lastMessage().find("código modificador"), std::string::npos) << h->host.lastMessage();
    EXPECT_EQ(sent(), "");

    p().CodigoModificador = "0001";
    h->host.messages.clear();
    w().ZylTexResCla->setText("11");
    w().comando(4).userClick();
    EXPECT_EQ(h->host.lastMessage().rfind("Error en Captura", 0), 0u) << h->host.lastMessage();
    EXPECT_EQ(p().EstadoCaptura, "Activado");
    h->host.messages.clear();
    h->host.popupChoices.push_back("mnuEnviar");
    pulsaRestriccion(3);
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(h->host.lastMessage(), porClave("11"));

    p().EstadoCaptura = "DesActivado";  // as another model's refused write may leave it
    w().ZylTexResCla->setText("1111");
    h->host.popupChoices.push_back("mnuEnviar");
    pulsaRestriccion(3);
    EXPECT_EQ(sent(), "D#4,1111,91P");
}

// A command-bar button whose stored command the table lacks sends nothing (not the key alone)
// and says which entry is missing. This folder's table has no "Colgado" and no "Verificar";
// the factory reset is taken away as a table without it would leave it.
TEST_F(Tendro, CommandBarButtonsWithoutTheirEntrySayWhich) {
    p().ComandoResetFabrica.clear();
    const std::pair<int, const char*> casos[] = {{1, "Colgado"}, {2, "Verificar"}, {10, "ResetFabrica"}};
    for (auto [boton, entrada] : casos) {
        SCOPED_TRACE(entrada);
        h->host.messages.clear();
        w().comando(boton).userClick();
        EXPECT_EQ(sent(), "");
        ASSERT_EQ(h->host.messages.size(), 1u);
        EXPECT_EQ(h->host.lastMessage(),
                  std::string("No se envió el comando: la tabla de comandos no tiene la entrada \"") + entrada + "\".");
    }
}

TEST_F(Tendro, ReplaysDecodeWithoutSendingAnything) {
    w().comando(6).userClick();
    EXPECT_EQ(h->host.lastMessage(), "No existe Ultimo Envio");

    // Nothing read yet: "Ult.&Leído" has nothing to put back, and says so rather than do nothing.
    h->host.messages.clear();
    const std::string clave = w().ZylTexResCla->text();
    w().comando(5).userClick();
    ASSERT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(h->host.lastMessage(), "No existe Ultima Lectura");
    EXPECT_EQ(w().ZylTexResCla->text(), clave);
    EXPECT_EQ(wire(), "");

    w().comando(3).userClick();
    acknowledgeAll();
    h->port->arrive(goodAnswer());
    const std::string kept = p().TramaRecibida;
    w().ZylTexResCla->setText("4321");
    w().comando(4).userClick();
    h->host.advance(5000);
    acknowledgeAll();
    wire().clear();

    h->host.messages.clear();
    w().comando(6).userClick();  // "&Ult.Envío": the write comes back into the panel
    EXPECT_EQ(w().ZylTexResCla->text(), "4321");
    // The recorded image carries "66" at byte 9 where the device got "FF": nothing to tell.
    EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
    EXPECT_EQ(m().ZylTexMon[4]->text(), std::string(138, '1'));
    EXPECT_EQ(p().TramaRecibida, kept);
    EXPECT_EQ(w().ZylTexEst->text(), "Zylma");

    w().ZylCmd[8]->userClick();  // another model's button in between
    w().comando(5).userClick();  // "Ult.&Leído" decodes the kept Téndro read
    EXPECT_EQ(w().ZylTexResCla->text(), "1030");
    EXPECT_EQ(p().CodigoEquipo, "00");

    p().UltimaLectura[128] = p().UltimaLectura[128] == '0' ? '1' : '0';  // a stored image gone bad
    h->host.messages.clear();
    w().comando(5).userClick();
    EXPECT_EQ(h->host.lastMessage(), "Error de Comunicación!");
    EXPECT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(wire(), "");
}

}  // namespace

namespace {

TEST_F(Tendro, RemoteCommandWaitsForAPendingWrite) {
    w().ZylTexResCla->setText("4321");
    w().comando(4).userClick();
    acknowledgeAll();
    p().NumeroComando = "3";
    p().ValorComando = "1";
    IniciaEnvio(p());  // refused: frame 2 is still to go
    EXPECT_EQ(h->host.messages.size(), 1u);
    EXPECT_EQ(p().NumeroComando, "3");
    wire().clear();
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(wire(), "D00014321FF0000" "1P");  // the write's data part, and nothing else
    IniciaEnvio(p());
    h->host.advance(5000);
    wire().clear();
    acknowledgeAll();
    EXPECT_EQ(p().ComandoSerie, "#4,4321,9");
}

}  // namespace
