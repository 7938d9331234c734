// Round trips through the real program and a simulated device over a real pseudo-terminal: a
// device image generated from the model's layout (below, one table per model, written from
// the model's description) is read, written back untouched, and the device must hold again,
// byte for byte, every position the write carries from the panel. Then the key is edited and
// only its places may change; then an unprogrammed key ("F", no digit) refuses the write and
// the device keeps its memory.
//
// The images come from a seed; a failure names it. ZYLMA_SEMILLA=<n> runs that seed again.
#include "modelos_e2e_fixture.h"
#include "zylma/app/enlace.h"
#include "zylma/app/rechazos.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"

#include <cstring>

#include <cstdlib>
#include <random>

using namespace zylma;
using zylma::testing::ModeloE2E;

namespace {

// How a field holds its value, in map-form characters (positions from 1).
enum class Clase {
    Clave,      // device digits one per nibble: "1"-"9" first, then also "A" (0)
    Digitos,    // a memory or an operation key: device digits, then "F" to the end
    DigByte,    // digits one per byte ("0" and the digit), then "0F" to the end
    TresByte,   // three digits one per byte, the number at most `limite`
    Bits,       // the bits `mascara` of one nibble; the others as the device had them
    Local,      // one character "5" to "8"
};

struct Campo {
    Clase clase;
    std::vector<std::size_t> pos;  // every character of the field (Bits, Local: one)
    int limite = 0;                // TresByte: the largest number; Bits: the mask
    const char* alfabeto = "123456789ABC";  // Digitos, DigByte: the device digits it takes
    bool ceroA = false;            // TresByte: the device keeps the digit 0 as "A"
    bool esClave = false;          // one of the key's copies: the edit step changes it
};

std::vector<std::size_t> corrido(std::size_t desde, std::size_t n) {
    std::vector<std::size_t> v;
    for (std::size_t i = 0; i < n; ++i) v.push_back(desde + i);
    return v;
}
std::vector<std::size_t> unir(std::vector<std::size_t> a, const std::vector<std::size_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Campo clave(std::size_t desde, std::size_t n) { return {Clase::Clave, corrido(desde, n), 0, "", false, true}; }
Campo digitos(std::vector<std::size_t> pos, const char* alfabeto = "123456789ABC") {
    return {Clase::Digitos, std::move(pos), 0, alfabeto};
}
Campo digByte(std::size_t desde, std::size_t n) { return {Clase::DigByte, corrido(desde, 2 * n)}; }
Campo tres(std::size_t desde, int limite, bool ceroA = false) {
    return {Clase::TresByte, corrido(desde, 6), limite, "", ceroA};
}
Campo bits(std::size_t pos, int mascara) { return {Clase::Bits, {pos}, mascara}; }

struct Modelo {
    const char* nombre;
    const char* codigo;  // wire code
    int version;
    std::size_t boton;
    const char *carpeta, *versionConf, *claveConf;
    std::vector<Campo> campos;
    const char* claveNueva;  // typed by the edit step
};

// The layouts. What is not listed is fixed by the write format and not compared: the modifier
// code at 7-10 (the software record's), fillers, the Téndro's 15-16, the Plurimandelo's 15-16
// and 31, the Sonobrisa's third key and code characters (25-26, 15-16), the Omnivelda's "2" at
// 11, "00" at 15-16 and the always-set bit of 14, the Fenzo's and Tresmolina's 16, 19 and 21-22
// and each key's trailing "F", the Quintavo's always-set bit of 20, 19, 21, 23-24 and the
// permitted calls at 37-48, which a read does not show and a write takes from the record.
std::vector<Modelo> modelos() {
    std::vector<Modelo> m;
    // Téndro: key 11-14; flags: 17 r4 (2) r3 (1), 18 r5 (4), 19 r1 (1), 20 r2 and r6 (4, 2).
    m.push_back({"Téndro", "00", 30, 2, "Tendro", "30", "1234",
                 {clave(11, 4), bits(17, 3), bits(18, 4), bits(19, 1), bits(20, 6)}, "5678"});
    // Plurimandelo: key, trunk digits 17-22, flags 23-26, prefixes 27-30 and 32, durations
    // 33-38 and 39-44 (the device's digit 0 is "A").
    m.push_back({"Plurimandelo", "03", 30, 4, "Plurimandelo", "30", "1234",
                 {clave(11, 4), digByte(17, 3), bits(23, 3), bits(24, 4), bits(25, 1), bits(26, 6), bits(27, 7),
                  bits(28, 7), bits(29, 7), bits(30, 7), bits(32, 7), tres(33, 255, true), tres(39, 255, true)},
                 "5678"});
    // Sonobrisa: Aut code bytes 11-20 and key 21-30 (third byte fixed), alert digit 31-32, flags
    // 33 (4 lock, 2 tone, 1 r4) and 34 (8 r7, 1 r1), interventions 35-40.
    {
        Modelo s{"Sonobrisa", "04", 12, 1, "Sonobrisa", "12", "12*34", {}, "56*78"};
        Campo aut{Clase::DigByte, unir(corrido(11, 4), corrido(17, 4)), 0, "123456789A"};
        Campo key{Clase::DigByte, unir(corrido(21, 4), corrido(27, 4)), 0, "123456789A", false, true};
        s.campos = {aut, key, {Clase::DigByte, corrido(31, 2), 0, "123456789ABC"}, bits(33, 7), bits(34, 9),
                    tres(35, 999, true)};
        m.push_back(s);
    }
    // Omnivelda: flags 12 (r4), 13 (r1), 14 (r2 2, r3 4); times 17-22, 23-28; trunk 29-34; key
    // 35-38; fourteen memories of 4 at 39 + 4k; ten of 16 at 95, 111, 127-128 + 133-146, then
    // 147 + 16(k - 3).
    {
        Modelo o{"Omnivelda", "05", 30, 3, "Omnivelda", "30", "1234",
                 {bits(12, 1), bits(13, 1), bits(14, 6), tres(17, 255), tres(23, 255), digByte(29, 3), clave(35, 4)},
                 "5678"};
        for (std::size_t k = 0; k < 14; ++k) o.campos.push_back(digitos(corrido(39 + 4 * k, 4)));
        o.campos.push_back(digitos(corrido(95, 16)));
        o.campos.push_back(digitos(corrido(111, 16)));
        o.campos.push_back(digitos(unir(corrido(127, 2), corrido(133, 14))));
        for (std::size_t k = 3; k < 10; ++k) o.campos.push_back(digitos(corrido(147 + 16 * (k - 3), 16)));
        m.push_back(o);
    }
    // Fenzo: key 11-15 (and, on a Travesolin, again at 205-209); flags 17 (r4 2, r3 1), 18 (r5
    // 4), 20 (r6 4, trunk 2, r1 1); counter 23-28, durations 29-34 and 35-40 (the free one at
    // most 255); memories 41 + 16i, memory 06 at 121-128 + 133-140, then 141 + 16(i - 6);
    // operation keys 211, 217, 223, 229 on a Travesolin.
    for (int version : {30, 8}) {
        const bool nuevo = version > 23;
        Modelo f{nuevo ? "Fenzo Travesolin" : "Fenzo Kalmoro", "0:", version, nuevo ? 5u : 9u, "Fenzo",
                 nuevo ? "30" : "8", "12345",
                 {clave(11, 5), bits(17, 3), bits(18, 4), bits(20, 7), tres(23, 999), tres(29, 999), tres(35, 255)},
                 "67891"};
        for (std::size_t i = 0; i < 5; ++i) f.campos.push_back(digitos(corrido(41 + 16 * i, 16)));
        f.campos.push_back(digitos(unir(corrido(121, 8), corrido(133, 8))));
        for (std::size_t i = 6; i < 10; ++i) f.campos.push_back(digitos(corrido(141 + 16 * (i - 6), 16)));
        if (nuevo) {
            f.campos.push_back(clave(205, 5));
            for (std::size_t k = 0; k < 4; ++k) f.campos.push_back(digitos(corrido(211 + 6 * k, 5)));
        }
        m.push_back(f);
    }
    // Tresmolina: as the Fenzo up to 40 (no limit of 255); memories 41 + 16i (four); the key
    // again at 105-109; operation keys 111, 117, 123, then 133 + 6(k - 3) up to #25.
    {
        Modelo t{"Tresmolina", "06", 30, 8, "Tresmolinas", "30", "12345",
                 {clave(11, 5), bits(17, 3), bits(18, 4), bits(20, 7), tres(23, 999), tres(29, 999), tres(35, 999),
                  clave(105, 5)},
                 "67891"};
        for (std::size_t i = 0; i < 4; ++i) t.campos.push_back(digitos(corrido(41 + 16 * i, 16)));
        for (std::size_t k = 0; k < 24; ++k)
            t.campos.push_back(digitos(corrido(k < 3 ? 111 + 6 * k : 133 + 6 * (k - 3), 5)));
        m.push_back(t);
    }
    // Quintavo: key 11-15 and again 145-149; flags 17 (r4 2, r3 1), 18 (r5 4), 20 (r6 4, trunk
    // 2); local digits 22; counters 25-30, 31-36, durations 49-54, 55-60 (at most 255);
    // memories 61 + 16i, memory 05 at 125-128 + 133-144 (digits and "*"); operation keys 151,
    // 157, 163, 169 (digits).
    {
        Modelo q{"Quintavo", "02", 15, 6, "Quintavo", "15", "12345",
                 {clave(11, 5), bits(17, 3), bits(18, 4), bits(20, 6), {Clase::Local, {22}}, tres(25, 999),
                  tres(31, 999), tres(49, 255), tres(55, 255), clave(145, 5)},
                 "67891"};
        for (std::size_t i = 0; i < 4; ++i) q.campos.push_back(digitos(corrido(61 + 16 * i, 16), "123456789AB"));
        q.campos.push_back(digitos(unir(corrido(125, 4), corrido(133, 12)), "123456789AB"));
        for (std::size_t k = 0; k < 4; ++k) q.campos.push_back(digitos(corrido(151 + 6 * k, 5), "123456789A"));
        m.push_back(q);
    }
    return m;
}

// One value for each field, written into the device's factory image. The copies of the key
// get the same key, as a device holds it.
std::string genera(const Modelo& m, const std::string& base, std::mt19937& rng) {
    std::string mapa = base;
    auto uno = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto de = [&](const char* a) { return a[uno(static_cast<int>(std::strlen(a)))]; };
    std::string laClave;
    for (const Campo& c : m.campos) {
        switch (c.clase) {
        case Clase::Clave: {
            if (laClave.size() != c.pos.size()) {
                laClave = std::string(1, de("123456789"));
                while (laClave.size() < c.pos.size()) laClave += de("123456789A");
            }
            for (std::size_t i = 0; i < c.pos.size(); ++i) mapa[c.pos[i] - 1] = laClave[i];
            break;
        }
        case Clase::Digitos: {
            // Empty, full or anything between, with the largest length often.
            const std::size_t n = uno(3) == 0 ? c.pos.size() : static_cast<std::size_t>(uno(static_cast<int>(c.pos.size()) + 1));
            for (std::size_t i = 0; i < c.pos.size(); ++i) mapa[c.pos[i] - 1] = i < n ? de(c.alfabeto) : 'F';
            break;
        }
        case Clase::DigByte: {
            const std::size_t bytes = c.pos.size() / 2;
            const bool fijo = std::string_view(c.alfabeto).find('C') == std::string_view::npos;  // codes: all of them
            const std::size_t n = fijo ? bytes : static_cast<std::size_t>(uno(static_cast<int>(bytes) + 1));
            for (std::size_t i = 0; i < bytes; ++i) {
                mapa[c.pos[2 * i] - 1] = '0';
                // A key never starts with 0.
                mapa[c.pos[2 * i + 1] - 1] = i >= n ? 'F' : c.esClave && i == 0 ? de("123456789") : de(c.alfabeto);
            }
            break;
        }
        case Clase::TresByte: {
            const int v = uno(3) == 0 ? c.limite : uno(c.limite + 1);
            const int d[3] = {v / 100, v / 10 % 10, v % 10};
            for (std::size_t i = 0; i < 3; ++i) {
                mapa[c.pos[2 * i] - 1] = '0';
                mapa[c.pos[2 * i + 1] - 1] = d[i] == 0 && c.ceroA ? 'A' : static_cast<char>('0' + d[i]);
            }
            break;
        }
        case Clase::Bits: {
            char& n = mapa[c.pos[0] - 1];
            const int v = (codec::ValorDigitoHex(n) & ~c.limite) | (static_cast<int>(rng()) & c.limite);
            n = codec::DigitoHex(v)[0];
            break;
        }
        case Clase::Local: mapa[c.pos[0] - 1] = de("5678"); break;
        }
    }
    return mapa;
}

struct IdaVuelta : ModeloE2E {
    void arranca(const Modelo& m) {
        folder.writeSoftware(zylma::testing::AppFolder::softwareRecord());
        records::Record conf = zylma::testing::ConfiguracionComun("111111000", m.claveConf);
        conf[22] = "010";  // the Quintavo's permitted calls, as its factory image holds them
        conf[23] = "005";
        folder.writeConfig(m.carpeta, m.versionConf, conf);
        escribeComandos();
        sim::Options o;
        o.model = m.codigo;
        o.version = m.version;
        conecta(o, m.boton);
    }
    void ponImagen(const std::string& mapa) {
        line->stop();
        std::string error;
        ASSERT_TRUE(line->device().setImage(mapa, error)) << error;
        line->start();
    }
    // Every position the write carries, the ones of the key apart when `sinClave`.
    static std::vector<std::size_t> llevadas(const Modelo& m, bool sinClave) {
        std::vector<std::size_t> v;
        for (const Campo& c : m.campos)
            if (!(sinClave && c.esClave)) v.insert(v.end(), c.pos.begin(), c.pos.end());
        return v;
    }
    static std::string diferencias(const std::string& antes, const std::string& despues,
                                   const std::vector<std::size_t>& posiciones) {
        std::string d;
        for (std::size_t pos : posiciones)
            if (antes[pos - 1] != despues[pos - 1])
                d += " " + std::to_string(pos) + ":" + antes[pos - 1] + ">" + despues[pos - 1];
        return d;
    }
    void escribe() {
        w().comando(4).userClick();
        ASSERT_TRUE(prog->waitFor([&] {
            return p().enlace.estado == app::EstadoEnlace::EntreTramas || !host().messages.empty();
        })) << "frame 1";
        ASSERT_TRUE(host().messages.empty()) << host().lastMessage();
        host().advance(5000);
        ASSERT_TRUE(prog->waitFor([&] { return p().enlace.estado == app::EstadoEnlace::Libre; }, 6000));
        ASSERT_TRUE(host().messages.empty()) << host().lastMessage();
    }

    void idaYVuelta(const Modelo& m, unsigned semilla) {
        SCOPED_TRACE(std::string(m.nombre) + ", semilla " + std::to_string(semilla) +
                     " (ZYLMA_SEMILLA=" + std::to_string(semilla) + " la repite)");
        ASSERT_NO_FATAL_FAILURE(arranca(m));
        std::mt19937 rng(semilla);
        const std::string base = deviceImage();
        std::string original = genera(m, base, rng);
        codec::RecalculaSumas(original, line->device().model());
        ASSERT_NO_FATAL_FAILURE(ponImagen(original));

        // Read and written back untouched: the device holds what it held.
        ASSERT_NO_FATAL_FAILURE(read());
        ASSERT_NO_FATAL_FAILURE(escribe());
        const std::string vuelta = deviceImage();
        EXPECT_EQ(diferencias(original, vuelta, llevadas(m, false)), "");

        // The key edited: only its places change.
        w().ZylTexResCla->setText("");
        w().ZylTexResCla->userType(m.claveNueva);
        ASSERT_NO_FATAL_FAILURE(escribe());
        const std::string editada = deviceImage();
        EXPECT_EQ(diferencias(original, editada, llevadas(m, true)), "");
        for (const Campo& c : m.campos) {
            if (c.esClave && c.clase == Clase::Clave)
                EXPECT_EQ(codec::DigitosAMarcacion(std::string(editada, c.pos[0] - 1, c.pos.size())), m.claveNueva);
        }

        // An unprogrammed key: shown empty, named by the read, the write refused, the memory kept.
        std::string sinClave = editada;
        for (const Campo& c : m.campos)
            if (c.esClave)
                for (std::size_t i = 0; i < c.pos.size(); ++i)
                    if (c.clase == Clase::Clave || i % 2 == 1) sinClave[c.pos[i] - 1] = 'F';
        codec::RecalculaSumas(sinClave, line->device().model());
        ASSERT_NO_FATAL_FAILURE(ponImagen(sinClave));
        w().comando(3).userClick();
        ASSERT_TRUE(prog->waitFor([&] { return !host().messages.empty(); }));
        EXPECT_NE(host().lastMessage().find("\"Clave\""), std::string::npos) << host().lastMessage();
        host().messages.clear();
        w().comando(4).userClick();
        EXPECT_EQ(host().lastMessage(), app::TextoErrorEnCaptura({"Clave"}));
        host().advance(6000);
        EXPECT_EQ(deviceImage(), sinClave);
    }
};

unsigned semilla() {
    if (const char* s = std::getenv("ZYLMA_SEMILLA")) return static_cast<unsigned>(std::strtoul(s, nullptr, 10));
    return std::random_device{}();
}

const Modelo& modelo(const char* nombre) {
    static const std::vector<Modelo> todos = modelos();
    for (const Modelo& m : todos)
        if (std::string_view(m.nombre) == nombre) return m;
    throw std::logic_error(nombre);
}

TEST_F(IdaVuelta, TendroRoundTrip) { idaYVuelta(modelo("Téndro"), semilla()); }
TEST_F(IdaVuelta, PlurimandeloRoundTrip) { idaYVuelta(modelo("Plurimandelo"), semilla()); }
TEST_F(IdaVuelta, SonobrisaRoundTrip) { idaYVuelta(modelo("Sonobrisa"), semilla()); }
TEST_F(IdaVuelta, OmniveldaRoundTrip) { idaYVuelta(modelo("Omnivelda"), semilla()); }
TEST_F(IdaVuelta, FenzoTravesolinRoundTrip) { idaYVuelta(modelo("Fenzo Travesolin"), semilla()); }
TEST_F(IdaVuelta, FenzoKalmoroRoundTrip) { idaYVuelta(modelo("Fenzo Kalmoro"), semilla()); }
TEST_F(IdaVuelta, TresmolinaRoundTrip) { idaYVuelta(modelo("Tresmolina"), semilla()); }
TEST_F(IdaVuelta, QuintavoRoundTrip) { idaYVuelta(modelo("Quintavo"), semilla()); }

// The Selvarindo has no write: the read half, both variants, over images of its own short
// frame. Sin Voz (version 72): 11-12 "09" the drop-first-1 switch, 13-14 "09" the block-9
// switch, the key at 16, 18, 20, 22, the exit key at 24, 26, 28, 30. Con Voz (version 02): the
// key at 14, 16, 18, 20. Each digit one per byte, the device's 0 as "A".
struct SelvarindoIda : ModeloE2E {
    void lee(bool sinVoz, unsigned semilla) {
        SCOPED_TRACE(std::string(sinVoz ? "Sin Voz" : "Con Voz") + ", semilla " + std::to_string(semilla) +
                     " (ZYLMA_SEMILLA=" + std::to_string(semilla) + " la repite)");
        folder.writeSoftware(zylma::testing::AppFolder::softwareRecord());
        for (const char* v : {"72", "02"})
            folder.writeConfig("Selvarindo", v, zylma::testing::ConfiguracionComun("111111000", "9999"));
        escribeComandos();
        sim::Options o;
        o.model = "08";
        o.version = sinVoz ? 72 : 2;
        conecta(o, sinVoz ? 7 : 10);
        std::mt19937 rng(semilla);
        auto digito = [&](bool primero) { return "123456789A"[rng() % (primero ? 9 : 10)]; };
        std::string mapa = deviceImage();
        std::string clave, salida;
        auto pon = [&](std::size_t desde, std::string& texto) {
            for (std::size_t i = 0; i < 4; ++i) {
                const char d = digito(i == 0);
                mapa[desde - 2 + 2 * i] = '0';
                mapa[desde - 1 + 2 * i] = d;
                texto += d == 'A' ? '0' : d;
            }
        };
        const bool elimina = rng() % 2, bloquea = rng() % 2;
        if (sinVoz) {
            mapa.replace(10, 2, elimina ? "09" : "0A");
            mapa.replace(12, 2, bloquea ? "09" : "0A");
            pon(16, clave);
            pon(24, salida);
        } else {
            pon(14, clave);
        }
        line->stop();
        std::string error;
        ASSERT_TRUE(line->device().setImage(mapa, error)) << error;
        line->start();
        ASSERT_NO_FATAL_FAILURE(read());
        EXPECT_EQ(w().ZylTexResCla->text(), clave);
        EXPECT_EQ(w().ZylLblSvdIdent->caption(), sinVoz ? "Sin Voz" : "Con Voz");
        if (sinVoz) {
            EXPECT_EQ(w().findAs<forms::TextBox>("ZylTxtSvdClvSal")->text(), salida);
            EXPECT_EQ(w().findAs<forms::CheckBox>("ZylFraSvdElim1")->value(), elimina ? 1 : 0);
            EXPECT_EQ(w().findAs<forms::CheckBox>("ZylFraSvdNum9")->value(), bloquea ? 1 : 0);
        }
        // An unprogrammed key shows empty and the read names it.
        for (std::size_t i = 0; i < 4; ++i) mapa[(sinVoz ? 16 : 14) - 1 + 2 * i] = 'F';
        line->stop();
        ASSERT_TRUE(line->device().setImage(mapa, error)) << error;
        line->start();
        w().comando(3).userClick();
        ASSERT_TRUE(prog->waitFor([&] { return !host().messages.empty(); }));
        EXPECT_EQ(w().ZylTexResCla->text(), "");
        EXPECT_NE(host().lastMessage().find("\"Clave\""), std::string::npos) << host().lastMessage();
    }
};

TEST_F(SelvarindoIda, SinVozReadHalf) { lee(true, semilla()); }
TEST_F(SelvarindoIda, ConVozReadHalf) { lee(false, semilla()); }

}  // namespace
