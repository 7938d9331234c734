// What a read gives back: the rules every unit shares for values the device holds that a box or
// the write format cannot take back as they stand, by class of field, and the refusal of a
// write or a remote command that would carry one of them.
#include "modelos_fixture.h"
#include "comun.h"
#include "zylma/app/barra.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/app/rechazos.h"
#include "zylma/app/cambio_clave.h"
#include "zylma/sim/restrictor.h"

using namespace zylma;
using zylma::testing::ConfiguracionComun;
using zylma::testing::ModeloFixture;

namespace {

// Field classes, each against the device's own characters of the field. Expected verdicts by
// hand: the builders write a key of digits not starting with 0, three digits of a number the
// box takes, and digit fields with "F" only after the last digit.
TEST(IdaVuelta, ClassesOfFieldsByTheDevicesCharacters) {
    const struct {
        const char* crudo;
        bool vuelve;
    } claves[] = {
        {"1234", true}, {"1A3A", true},  // "A" is the device's 0
        {"FFFF", false},                 // unprogrammed: shown empty
        {"12F4", false}, {"123F", false},
        {"A234", false},                 // a leading 0 no key check lets through
        {"12B4", false}, {"12C4", false}, {"12D4", false},
        {"123", false},
    };
    for (const auto& c : claves) EXPECT_EQ(models::ClaveVuelve(c.crudo, 4), c.vuelve) << c.crudo;

    const struct {
        const char* nibbles;
        long limite;
        bool vuelve;
    } tres[] = {
        {"255", 255, true}, {"256", 255, false},  // 256 is above what the box takes
        {"360", 255, false}, {"360", 999, true},  // a box with the digit rule alone takes 360
        {"0A5", 255, true},                       // "A" is 0: 005
        {"0B5", 999, false}, {"0F5", 999, false}, // "B" and "F" show as "11" and "15"
        {"05", 999, false},
    };
    for (const auto& c : tres)
        EXPECT_EQ(models::TresDigitosVuelven(c.nibbles, c.limite), c.vuelve) << c.nibbles << " " << c.limite;

    const struct {
        const char* crudo;
        bool vuelve;
    } digitos[] = {
        {"5551234FFFFFFFFF", true}, {"FFFF", true}, {"BC1A", true},  // "*", "#", "0"
        {"12F4", false},                                             // a gap the box closes
        {"12D4", false}, {"E", false},
    };
    for (const auto& c : digitos) EXPECT_EQ(models::DigitosVuelven(c.crudo), c.vuelve) << c.crudo;

    // What the builder writes as typed against what the device holds in its digit code.
    EXPECT_TRUE(models::MismoEnEquipo("10*#", "1ABC"));
    EXPECT_TRUE(models::MismoEnEquipo("000105", "000105"));
    EXPECT_FALSE(models::MismoEnEquipo("1234", "1235"));
    EXPECT_FALSE(models::MismoEnEquipo("12", "12F"));
}

TEST(IdaVuelta, TheReadsMessageNamesEveryFieldOnce) {
    EXPECT_EQ(app::TextoMarcas({}, {}), "");
    EXPECT_EQ(app::TextoMarcas({"Clave"}, {}),
              "El campo \"Clave\" muestra lo que tiene el equipo, pero no se puede escribir tal como se leyó: "
              "escriba un valor antes de enviar.");
    EXPECT_EQ(app::TextoMarcas({"Clave", "Contador", "Memoria 02"}, {"Restricciones"}),
              "Los campos \"Clave\", \"Contador\" y \"Memoria 02\" muestran lo que tiene el equipo, pero no se pueden "
              "escribir tal como se leyeron: escriba un valor antes de enviar.\n"
              "Al escribir el equipo cambiará lo que tiene en \"Restricciones\".");
}

// One case per model: the simulated device's factory image with one field changed to a value
// that cannot go back, what the box shows of it, the field's name in the messages, and what
// the user types (or picks) to write again.
struct Caso {
    const char* modelo;   // wire code
    std::size_t boton;    // index of the model button
    const char *carpeta, *version;
    std::vector<std::pair<std::size_t, std::string>> cambios;  // map position (from 1), characters
    const char* control;
    int indice;
    const char* muestra;  // what the box shows after the read
    const char* nombre;
    const char* tecleo;   // typed into the emptied box; "" picks the combo box's first item
};

records::Record configuracion(const std::string& modelo) {
    records::Record conf = ConfiguracionComun("111111000", modelo == "0:" || modelo == "02" ? "12345" : "1234");
    conf[0] = "Duración prohibidas";  // Plurimandelo DurP, Omnivelda DurP
    conf[1] = "Duración libres";      // Omnivelda DurL
    conf[21] = "7";                   // Quintavo digits of a local call
    return conf;
}

struct Rechazo : ModeloFixture {
    void prepara(const Caso& c) {
        folder.writeSoftware(zylma::testing::AppFolder::softwareRecord());
        folder.writeConfig(c.carpeta, c.version, configuracion(c.modelo));
        escribeComandos(false);
        abre(c.boton);
        h->host.messages.clear();
        sim::Options o;
        o.model = c.modelo;
        std::string error;
        auto dev = sim::Restrictor::create(o, error);
        ASSERT_TRUE(dev) << error;
        std::string mapa = dev->image();
        for (const auto& [pos, t] : c.cambios) mapa.replace(pos - 1, t.size(), t);
        codec::RecalculaSumas(mapa, dev->model());
        read(mapa);
    }
    std::string textoDe(const Caso& c) {
        if (auto* t = w().findAs<forms::TextBox>(c.control, c.indice)) return t->text();
        if (auto* cb = w().findAs<forms::ComboBox>(c.control, c.indice)) return cb->text();
        return "?";
    }
};

const Caso kCasos[] = {
    // An unprogrammed Téndro: key "FFFF" shows empty, never the record's "1234".
    {"00", 2, "Tendro", "30", {{11, "FFFF"}}, "ZylTexResCla", -1, "", "Clave", "4321"},
    // An Omnivelda time of 360 (digits one per byte at 18, 20, 22) shows 360, never emptied.
    {"05", 3, "Omnivelda", "30", {{17, "030600"}}, "ZylTexOmnDurL", -1, "360", "Duración libres", "120"},
    // A Plurimandelo duration nibble "B" shows "11".
    {"03", 4, "Plurimandelo", "30", {{39, "000B05"}}, "ZylTexPluDurP", -1, "0115", "Duración prohibidas", "15"},
    // A Fenzo counter nibble "C" at 26.
    {"0:", 5, "Fenzo", "30", {{23, "000C01"}}, "ZylTexFenCon", -1, "0121", "Contador", "5"},
    // A Quintavo's digits of a local call outside 5 to 8, shown as the device holds them, never "8".
    {"02", 6, "Quintavo", "15", {{22, "9"}}, "ZylComQuiDLL", -1, "9", "Dígitos para llamada local", ""},
    // A Sonobrisa key "56*FF": the no-digit "F" shows as nothing.
    {"04", 1, "Sonobrisa", "12", {{21, "05060B0F0F"}}, "ZylTexResCla", -1, "56*", "Clave", "56*78"},
};

TEST_F(Rechazo, AReadShowsTheValueNamesItOnceAndTheWriteIsRefusedUntilTheUserTypesOne) {
    for (const Caso& c : kCasos) {
        SCOPED_TRACE(c.modelo);
        h.reset();
        prepara(c);
        EXPECT_EQ(textoDe(c), c.muestra);
        ASSERT_EQ(h->host.messages.size(), 1u);
        EXPECT_NE(h->host.lastMessage().find(std::string("\"") + c.nombre + "\""), std::string::npos)
            << h->host.lastMessage();

        // The write: refused naming the field, nothing on the wire, the record untouched.
        h->host.messages.clear();
        wire().clear();
        w().comando(4).userClick();
        EXPECT_EQ(h->host.lastMessage(), app::TextoErrorEnCaptura({c.nombre}));
        h->host.advance(6000);
        EXPECT_EQ(wire(), "");

        // A value typed (or picked) by the user goes out.
        if (*c.tecleo) {
            auto* t = w().findAs<forms::TextBox>(c.control, c.indice);
            t->setText("");
            t->userType(c.tecleo);
        } else {
            w().findAs<forms::ComboBox>(c.control, c.indice)->userSelect(0);
        }
        h->host.messages.clear();
        w().comando(4).userClick();
        EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
        acknowledgeAll();
        EXPECT_NE(wire().find("DESC1P"), std::string::npos) << wire();
    }
}

// A remote command carries the device key: with the key of an unprogrammed device it is refused
// naming the key, and nothing goes out, not even the previous command.
TEST_F(Rechazo, ARemoteCommandCarryingAMarkedFieldIsRefused) {
    prepara(kCasos[0]);
    h->host.messages.clear();
    wire().clear();
    h->host.popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[0]->userPress(forms::MouseButton::Right);
    EXPECT_NE(h->host.lastMessage().find("\"Clave\""), std::string::npos) << h->host.lastMessage();
    EXPECT_EQ(sent(), "");
    // Once typed, the command goes with the key the user gave.
    w().ZylTexResCla->userType("4321");
    h->host.popupChoices.push_back("mnuEnviar");
    w().ZylChkRes[0]->userPress(forms::MouseButton::Right);
    EXPECT_NE(sent().find("4321"), std::string::npos);
}

// "&Colgar", "&Verificar" and the key-change window carry the device key too: with the key of an
// unprogrammed Téndro (shown empty) or a Sonobrisa key "56*FF" (shown "56*") each is refused
// with one message naming the key, and nothing goes out; once the user types the key, they go.
TEST_F(Rechazo, TheCommandBarAndTheKeyChangeCarryTheMarkedKeyAndAreRefused) {
    const struct {
        const Caso& caso;
        const char* tecleo;  // the device key the user types
    } modelos[] = {{kCasos[0], "4321"}, {kCasos[5], "56*78"}};
    const struct {
        const char* gesto;
        std::function<void(Rechazo&)> hace;
        const char* sale;  // found on the wire once the key is typed ("" for the key change:
                           // the new key, as each model spells it)
    } gestos[] = {
        {"&Colgar", [](Rechazo& f) { f.w().comando(1).userClick(); }, "COLf"},
        {"&Verificar", [](Rechazo& f) { f.w().comando(2).userClick(); }, "VERf"},
        {"key change",
         [](Rechazo& f) {
             f.w().ZylTexResCla->userDblClick();
             app::ZylForCamCla& v = f.p().ventana<app::ZylForCamCla>();
             v.ZylTextCanCka->setText("");
             v.ZylTextCanCka->userType(f.p().CodigoEquipo == "04" ? "98*76" : "9876");
             v.zylCmbCamCla->userClick();
         },
         ""},
    };
    for (const auto& m : modelos) {
        for (const auto& g : gestos) {
            SCOPED_TRACE(std::string(m.caso.modelo) + " " + g.gesto);
            h.reset();
            prepara(m.caso);
            p().ComandoColgado = "COLf";
            p().ComandoVerificar = "VERf";
            h->host.messages.clear();
            wire().clear();
            g.hace(*this);
            ASSERT_EQ(h->host.messages.size(), 1u) << h->host.lastMessage();
            EXPECT_EQ(h->host.messages[0].title, "ZYLMA");
            EXPECT_NE(h->host.lastMessage().find("\"Clave\""), std::string::npos) << h->host.lastMessage();
            EXPECT_EQ(sent(), "");
            // The key typed by the user: the same gesture goes out with it.
            if (auto* v = p().ventanaSiExiste<app::ZylForCamCla>(); v && v->loaded()) v->unload();
            w().ZylTexResCla->setText("");
            w().ZylTexResCla->userType(m.tecleo);
            h->host.messages.clear();
            g.hace(*this);
            EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
            const std::string fuera = sent();
            // A Sonobrisa command goes one character a place: "9,8,*,7,6".
            const std::string sale = *g.sale ? g.sale : p().CodigoEquipo == "04" ? "9,8,*,7,6" : "9876";
            EXPECT_NE(fuera.find(sale), std::string::npos) << fuera;
        }
    }
}

}  // namespace

namespace {

// The one guard before the wire, by model and firmware. Lengths from each model's data part:
// Téndro 14, Plurimandelo 38 and "f", Sonobrisa 30 and "f", Omnivelda 248, Tresmolina 248 and
// "f", Quintavo 164 and "f", Fenzo 194 (firmware 23 and below) or 224 (24 and above).
TEST(GuardaDatos, LengthAndAlphabetByModelAndVariant) {
    const struct {
        const char* modelo;
        long version;
        std::string datos;
        bool sale;
    } casos[] = {
        {"00", 30, "00014321FF3010", true},
        {"00", 30, "00014321FF301", false},
        {"00", 30, "00014321FF301x", false},
        {"03", 30, std::string(38, '0') + "f", true},
        {"03", 30, std::string(39, '0'), false},           // no closing "f"
        {"04", 12, "0102*" + std::string(25, '0') + "f", true},
        {"05", 30, std::string(248, 'F'), true},
        {"05", 30, std::string(247, 'F') + "f", false},    // no "f" in its part
        {"06", 30, std::string(248, '1') + "f", true},
        {"02", 15, std::string(164, '#') + "f", true},
        {"0:", 23, std::string(194, 'F'), true},
        {"0:", 24, std::string(194, 'F'), false},          // a Kalmoro's part for a Travesolin
        {"0:", 24, std::string(224, 'F'), true},
        {"0:", 8, std::string(224, 'F'), false},
        {"08", 72, "1234", false},                         // no write at all
    };
    for (const auto& c : casos) {
        const codec::ModeloTrama* m = codec::BuscaModelo(c.modelo);
        ASSERT_TRUE(m);
        EXPECT_EQ(codec::RevisaDatosEnvio(*m, c.version, c.datos).empty(), c.sale)
            << c.modelo << " " << c.version << " " << c.datos.size() << ": " << codec::RevisaDatosEnvio(*m, c.version, c.datos);
    }
}

struct AntesDeLeer : ModeloFixture {
    void abreModelo(const char* carpeta, const char* version, std::size_t boton, const std::string& clave) {
        folder.writeSoftware(zylma::testing::AppFolder::softwareRecord());
        folder.writeConfig(carpeta, version, ConfiguracionComun("111111000", clave));
        escribeComandos(false);
        abre(boton);
        h->host.messages.clear();
    }
};

// A write before any read carries the version of the chosen model button in its header, never
// "00" (the header's byte in hex: 30 is "1E", 12 "0C", 8 "08"; the Quintavo's two characters
// as they stand).
TEST_F(AntesDeLeer, TheHeaderCarriesTheModelButtonsVersion) {
    const struct {
        const char *carpeta, *version;
        std::size_t boton;
        const char *clave, *cabecera;
    } casos[] = {
        {"Tendro", "30", 2, "1234", "1E"},   {"Sonobrisa", "12", 1, "12*34", "0C"},
        {"Fenzo", "8", 9, "12345", "08"},    {"Quintavo", "15", 6, "12345", "15"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.carpeta);
        h.reset();
        abreModelo(c.carpeta, c.version, c.boton, c.clave);
        ASSERT_EQ(w().ZylTexResFirm->text(), "");
        // The panel may lack a value the write needs (then it is refused and still recorded);
        // either way the image's header is the button's version.
        w().comando(4).userClick();
        EXPECT_EQ(codec::Posiciones(p().TramaEnvio, 3, 4), c.cabecera);
        EXPECT_EQ(codec::Posiciones(ultimoEnvio()[1], 3, 4), c.cabecera);
    }
}

// A firmware text the header cannot carry as typed is refused naming the box; nothing goes out.
TEST_F(AntesDeLeer, AFirmwareTheHeaderCannotCarryIsRefused) {
    abreModelo("Tendro", "30", 2, "1234");
    for (const char* firmware : {"3a", "123", "x"}) {
        SCOPED_TRACE(firmware);
        w().ZylTexResFirm->setText(firmware);
        h->host.messages.clear();
        wire().clear();
        w().comando(4).userClick();
        EXPECT_EQ(h->host.lastMessage(), app::TextoErrorEnCaptura({"Firmware"}));
        h->host.advance(6000);
        EXPECT_EQ(wire(), "");
    }
}

// The fault a version of "00" led to: a Kalmoro's data part (194 characters) built for a device
// whose firmware is a Travesolin's never goes out, and the user is told why.
TEST_F(AntesDeLeer, ADataPartOfAnotherVariantsLengthNeverGoesOut) {
    abreModelo("Fenzo", "8", 9, "12345");  // the Kalmoro button: the panel builds 194 characters
    w().ZylTexResFirm->setText("30");      // while the header would say a Travesolin
    wire().clear();
    w().comando(4).userClick();
    EXPECT_NE(h->host.lastMessage().find("224"), std::string::npos) << h->host.lastMessage();
    h->host.advance(6000);
    EXPECT_EQ(wire(), "");
    EXPECT_EQ(p().enlace.estado, app::EstadoEnlace::Libre);
}

// A write before any read, replayed by "&Ult.Envío", gives back the variant it was built for.
TEST_F(AntesDeLeer, TheReplayOfAWriteBeforeAnyReadKeepsTheVariant) {
    folder.writeConfig("Fenzo", "30", ConfiguracionComun("111111000", "12345"));
    abreModelo("Fenzo", "30", 5, "12345");  // the Travesolin button
    w().comando(4).userClick();
    acknowledgeAll();
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(p().ImagenEnvio.size(), 224u);
    w().comando(6).userClick();  // "&Ult.Envío"
    EXPECT_EQ(p().VersionEquipo, "30");
    EXPECT_EQ(w().ZylLabFenTit->caption(), " Fenzo Travesolin");
    wire().clear();
    w().comando(4).userClick();
    acknowledgeAll();
    h->host.advance(5000);
    acknowledgeAll();
    EXPECT_EQ(p().ImagenEnvio.size(), 224u);
}

}  // namespace

#include "zylma/app/cambio_clave.h"

#include <fstream>
#include <sstream>

namespace {

std::string contenido(const std::string& ruta) {
    std::ifstream in(ruta, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The last-transmission record holds only what went out or what the user typed: a key change
// the device would not take leaves it exactly as the last write left it.
TEST_F(AntesDeLeer, ARefusedKeyChangeLeavesTheLastTransmissionAsItWas) {
    abreModelo("Tendro", "30", 2, "1234");
    w().comando(4).userClick();
    acknowledgeAll();
    const std::string ruta = records::pathUltEnvio(folder.path());
    const std::string antes = contenido(ruta);
    ASSERT_FALSE(antes.empty());
    h->host.advance(5000);
    acknowledgeAll();
    // A restriction ticked since: a record written again would differ from the last write's.
    MuestraRestricciones(p());
    w().ZylChkRes[0]->userClick();
    for (const char* nueva : {"12", "0123", ""}) {
        SCOPED_TRACE(nueva);
        w().ZylTexResCla->userDblClick();
        app::ZylForCamCla& v = p().ventana<app::ZylForCamCla>();
        v.ZylTextCanCka->setText("");
        v.ZylTextCanCka->userType(nueva);
        v.zylCmbCamCla->userClick();
        EXPECT_EQ(contenido(ruta), antes);
        EXPECT_EQ(w().ZylTexResCla->text(), "1234");
    }
}

}  // namespace

namespace {

// A remote command does not carry the firmware, so it goes out with a firmware text the header
// cannot carry ("3a": no decimal number); but the image recorded with it would carry version
// "00", and "&Ult.Envío" would turn a Travesolin into a Kalmoro whose 194-character write the
// guard lets through. The record stays as the last write left it.
TEST_F(Rechazo, ACommandWithAFirmwareTheHeaderCannotCarryLeavesTheRecord) {
    const Caso casos[] = {
        {"0:", 5, "Fenzo", "30", {}, "ZylTexResCla", -1, "12345", "", ""},
        {"00", 2, "Tendro", "30", {}, "ZylTexResCla", -1, "1234", "", ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.modelo);
        h.reset();
        prepara(c);
        const std::string ruta = records::pathUltEnvio(folder.path());
        const std::string antes = bytesDe(ruta);
        w().ZylTexResFirm->setText("3a");
        h->host.messages.clear();
        h->host.popupChoices.push_back("mnuEnviar");
        w().ZylChkRes[0]->userPress(forms::MouseButton::Right);
        EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
        // Restriction 1 by command: "#1" on the Téndro, "#5" on the Fenzo, with the key.
        EXPECT_NE(sent().find(std::string(c.modelo) == "00" ? "#1,1234," : "#5,12345,"), std::string::npos);
        EXPECT_TRUE(bytesDe(ruta) == antes) << "the last-transmission record was rewritten";
    }
}

// A place the write fixes that the device holds otherwise: the read says the write will change
// it, and the write still goes out. The "F" after a Travesolin's key (map 210); a Plurimandelo
// flag nibble's value-8 bit (map 27), which no box holds; the Téndro's byte 9; the Sonobrisa
// key's third character.
TEST_F(Rechazo, AFixedPlaceTheDeviceHoldsOtherwiseIsNamedAndTheWriteGoes) {
    const std::pair<Caso, const char*> casos[] = {
        {{"0:", 5, "Fenzo", "30", {{205, "123450"}, {11, "12345F"}}, "ZylTexResCla", -1, "12345", "", ""},
         "Relleno de las claves"},
        {{"03", 4, "Plurimandelo", "30", {{27, "8"}}, "ZylTexResCla", -1, "1234", "", ""}, "Restricciones"},
        // A Téndro's byte 9 (map 15-16) goes out as "FF"; a device holding the "66" of the
        // recorded programming image is told.
        {{"00", 2, "Tendro", "30", {{15, "66"}}, "ZylTexResCla", -1, "1234", "", ""}, "Relleno"},
        // A Sonobrisa key's third byte (map 25-26) is the write's own "*"; a device holding the
        // digit 1 there still shows "*" in the box and is told.
        {{"04", 1, "Sonobrisa", "12", {{25, "01"}}, "ZylTexResCla", -1, "12*34", "", ""}, "Clave (tercer carácter)"},
    };
    for (const auto& [c, nombre] : casos) {
        SCOPED_TRACE(c.modelo);
        h.reset();
        prepara(c);
        EXPECT_EQ(w().ZylTexResCla->text(), c.muestra);
        ASSERT_EQ(h->host.messages.size(), 1u);
        EXPECT_EQ(h->host.lastMessage(), std::string("Al escribir el equipo cambiará lo que tiene en \"") + nombre + "\".");
        h->host.messages.clear();
        wire().clear();
        w().comando(4).userClick();
        EXPECT_TRUE(h->host.messages.empty()) << h->host.lastMessage();
        acknowledgeAll();
        EXPECT_NE(wire().find("DESC1P"), std::string::npos) << wire();
    }
}

}  // namespace
