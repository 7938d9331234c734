#include "zylma/sim/restrictor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/sim/comandos.h"

namespace zylma::sim {
namespace {

using codec::BuscaModelo;

// The computer's side of the line, driven by a virtual clock: it sends a frame the way the
// program's sender does (one character per "T", the "P" right behind the "1") and gathers
// everything the device sends.
class Line : public ::testing::Test {
protected:
    void make(Options o = {}) {
        std::string error;
        dev = Restrictor::create(o, error);
        ASSERT_NE(dev, nullptr) << error;
    }

    // Lets the device run for `ms` milliseconds, one millisecond at a time.
    void run(uint32_t ms) {
        for (uint32_t i = 0; i < ms; ++i) {
            ++now;
            got += dev->takeOutput(now);
        }
    }

    void send(std::string_view chars) {
        for (char c : chars) dev->receive(c, now);
        got += dev->takeOutput(now);
    }

    // Sends "D" command "1" "P", each after the previous character's "T"; returns the "T"s
    // counted, or -1 when the device stopped acknowledging.
    int frame(std::string_view command) {
        std::string framed = "D" + std::string(command) + "1";
        int acks = 0;
        for (std::size_t i = 0; i < framed.size(); ++i) {
            send(std::string_view(&framed[i], 1));
            if (i + 1 == framed.size()) {
                send("P");
                break;
            }
            if (!waitForAck()) return -1;
            ++acks;
        }
        run(100);  // long past any held acknowledgement
        acks += countAndDropTs();
        return acks;
    }

    bool waitForAck() {
        for (int i = 0; i < 50; ++i) {
            run(1);
            if (countAndDropTs() == 1) return true;
        }
        return false;
    }

    int countAndDropTs() {
        int n = 0;
        std::string rest;
        for (char c : got) {
            if (c == 'T') {
                ++n;
            } else {
                rest += c;
            }
        }
        got = rest;
        return n;
    }

    // Reads an answer: what arrives within `ms` after the read frame.
    std::string readImage(uint32_t ms = 100) {
        got.clear();
        frame(lectura());
        run(ms);
        std::string r;
        r.swap(got);
        return r;
    }

    static std::string lectura() { return ComandosKit().lectura + "f"; }

    std::unique_ptr<Restrictor> dev;
    uint32_t now = 1000;
    std::string got;
};

TEST_F(Line, EachCharacterButTheClosingOneIsAcknowledged) {
    make();
    struct { std::string command; int acks; } casos[] = {
        {"ABf", 4},   // "D", "A", "B", "f": n + 1
        {"", 1},      // an empty command still gets the "D" acknowledged
        {"X1", 3},    // a "1" inside the command is acknowledged like any other character
        {"1111", 5},
        {"#4,1234,9", 10},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(frame(c.command), c.acks) << c.command;
        EXPECT_EQ(dev->frames().back(), c.command);
        EXPECT_FALSE(dev->inFrame());
    }
    EXPECT_TRUE(dev->received("X1"));
    EXPECT_FALSE(dev->received("X"));
}

// Behind a pty the device may read the "P" only after the held acknowledgement fell due; as
// long as it has not gone out, the "P" still cancels it.
TEST_F(Line, LateReadPStillCancelsTheHeldAcknowledgement) {
    make();
    dev->receive('D', now);
    EXPECT_EQ(dev->takeOutput(now + 3), "T");
    dev->receive('1', now + 3);
    dev->receive('P', now + 60);
    EXPECT_EQ(dev->takeOutput(now + 100), "");
    EXPECT_EQ(dev->frames().back(), "");
}

TEST_F(Line, NothingIsAcknowledgedOutsideAFrame) {
    make();
    send("P1ABC1P");
    run(50);
    EXPECT_EQ(got, "");
    EXPECT_TRUE(dev->frames().empty());
    frame("AB");
    send("1");  // a stray "1" after the frame's "P"
    run(50);
    EXPECT_EQ(got, "");
}

TEST_F(Line, ReadAnswerHasTheModelsLengthAndChecksums) {
    for (const auto& m : codec::ModelosTrama()) {
        Options o;
        o.model = std::string(m.codigo);
        o.version = 30;
        make(o);
        std::string answer = readImage();
        ASSERT_EQ(answer.size(), m.longitud) << m.nombre;
        EXPECT_EQ(answer.substr(0, 4), "0245");
        EXPECT_EQ(answer.substr(4, 2), m.codigo) << m.nombre;
        std::string mapa = codec::MapaDesdeRecepcion(answer);
        if (m.bloques > 0) {
            EXPECT_TRUE(codec::SumasCorrectas(mapa, m)) << m.nombre;
            // The Quintavo keeps its version as two digits as they stand, the others as a byte.
            if (m.codigo == "02") {
                EXPECT_EQ(codec::Posiciones(mapa, 3, 4), "30") << m.nombre;
            } else {
                EXPECT_EQ(codec::VersionDesdeMapa(mapa), "30") << m.nombre;
            }
        } else {
            EXPECT_EQ(answer.substr(6, 2), "30");  // the Selvarindo's version as it stands
        }
        EXPECT_TRUE(codec::MuestraTipoUsuario(mapa)) << m.nombre;
        EXPECT_TRUE(codec::MuestraModificador(mapa)) << m.nombre;
        EXPECT_EQ(answer.substr(answer.size() - 4), "03?>");
        EXPECT_TRUE(dev->received(lectura()));
    }
}

// A read retry goes out as the bare read command, in one burst, and is answered all the same.
TEST_F(Line, UnframedReadIsAnswered) {
    make();
    send("?" + lectura());
    run(100);
    EXPECT_EQ(got.size(), 138u);
    EXPECT_TRUE(dev->frames().empty());
    got.clear();
    send(ComandosKit().lectura);
    run(100);
    EXPECT_EQ(got, "");  // without its "f" it is no read
}

TEST_F(Line, WriteThenReadShowsTheData) {
    make();
    EXPECT_EQ(frame(ComandosKit().escritura), static_cast<int>(ComandosKit().escritura.size()) + 1);
    run(5000);
    std::string data = "0001" "4321" "FF" "30" "10";  // modifier, key, FF, flag bytes
    EXPECT_EQ(frame(data), 15);
    std::string mapa = codec::MapaDesdeRecepcion(readImage());
    EXPECT_EQ(codec::Posiciones(mapa, 7, 20), data);
    EXPECT_EQ(codec::Posiciones(mapa, 1, 6), "001E09");  // header untouched
    EXPECT_TRUE(codec::SumasCorrectas(mapa, *BuscaModelo("00")));
    EXPECT_TRUE(dev->received(data));
}

TEST_F(Line, DataPartRunsOnIntoTheSecondBlock) {
    Options o;
    o.model = "0:";
    make(o);
    frame(ComandosKit().escritura);
    // Fills block 1 and spills into block 2: a Travesolin's 224 characters.
    std::string data = std::string(122, '1') + "2*#" + std::string(99, 'F');
    frame(data);
    std::string mapa = codec::MapaDesdeRecepcion(readImage());
    ASSERT_EQ(mapa.size(), 266u);
    EXPECT_EQ(mapa.substr(6, 122), std::string(122, '1'));
    EXPECT_EQ(mapa.substr(130, 2), "45");
    EXPECT_EQ(mapa.substr(132, 3), "2BC");  // "*" and "#" in the device's digit code
    EXPECT_TRUE(codec::SumasCorrectas(mapa, *BuscaModelo("0:")));
}

// A model's own layout goes in through the hooks; checksums are still the device's job.
TEST_F(Line, ModelLayoutHookPlacesTheDataPart) {
    Options o;
    o.model = "06";
    o.hooks.placeDataPart = [](std::string& image, const codec::ModeloTrama&, std::string_view data,
                               bool) {
        image.replace(140, data.size(), data);  // somewhere in block 2
        return Placement{true, "own layout"};
    };
    make(o);
    frame(ComandosKit().escritura);
    frame("ABCD");
    std::string mapa = codec::MapaDesdeRecepcion(readImage());
    EXPECT_EQ(mapa.substr(140, 4), "ABCD");
    EXPECT_EQ(mapa.substr(6, 4), "0001");  // the generic place is untouched
    EXPECT_TRUE(codec::SumasCorrectas(mapa, *BuscaModelo("06")));
    EXPECT_NE(std::find(dev->log().begin(), dev->log().end(), "data part stored: own layout"),
              dev->log().end());
}

// A device refuses these whatever mode it runs in: nothing is stored cut, padded or changed.
TEST_F(Line, EveryModeRefusesWhatCannotBeAnImage) {
    struct { const char* model; std::string data; const char* why; } casos[] = {
        {"00", "00014321FF30100", "expected 14"},  // the Téndro's data part is 14 long
        {"00", "0001432", "expected 14"},
        {"00", "00014321FF30x0", "cannot be in it"},
        {"05", "f", "empty"},
        {"05", "0001g", "cannot be in it"},
        {"03", std::string(123, '0'), "room for 122"},
        {"03", "00x1", "cannot be in it"},
        {"0:", std::string(194, '1'), "expected 224"},  // a Kalmoro's part for a Travesolin
    };
    for (const auto& c : casos) for (bool strict : {false, true}) {
        Options o;
        o.model = c.model;
        o.strict = strict;
        make(o);
        std::string before = dev->image();
        frame(ComandosKit().escritura);
        frame(c.data);
        EXPECT_EQ(dev->image(), before) << c.data;
        ASSERT_FALSE(dev->log().empty());
        EXPECT_NE(dev->log().back().find("refused"), std::string::npos) << dev->log().back();
        EXPECT_NE(dev->log().back().find(c.why), std::string::npos) << dev->log().back();
    }
}

TEST_F(Line, FaultsSpoilTheAnswer) {
    Options base;
    base.model = "00";
    make(base);
    const std::string good = dev->wireImage();
    struct { Fault f; std::size_t length; bool sumsAgree; } casos[] = {
        {Fault::Checksum, 138, false},
        {Fault::Short, 137, true},  // the checksum is fine, the answer never completes
        {Fault::Long, 139, true},
        {Fault::Silence, 0, true},
        {Fault::Noise, 141, true},
    };
    for (const auto& c : casos) {
        Options o = base;
        o.fault = c.f;
        make(o);
        std::string answer = readImage();
        ASSERT_EQ(answer.size(), c.length) << static_cast<int>(c.f);
        if (c.f == Fault::Silence) continue;
        std::size_t start = answer.find('0');
        ASSERT_EQ(answer.find('T'), std::string::npos);
        std::string mapa = codec::MapaDesdeRecepcion(answer.substr(start, 138));
        EXPECT_EQ(codec::SumaBloqueCorrecta(mapa, 1), c.sumsAgree) << static_cast<int>(c.f);
        if (c.f == Fault::Noise) {
            EXPECT_GT(start, 0u);
            EXPECT_EQ(answer.substr(start), good);
        }
    }
}

TEST_F(Line, FaultCanSpoilOnlyTheFirstAnswers) {
    Options o;
    o.fault = Fault::Checksum;
    o.faultTimes = 1;
    make(o);
    std::string first = readImage();
    std::string second = readImage();
    EXPECT_FALSE(codec::SumaBloqueCorrecta(codec::MapaDesdeRecepcion(first), 1));
    EXPECT_EQ(second, dev->wireImage());
    EXPECT_TRUE(codec::SumaBloqueCorrecta(codec::MapaDesdeRecepcion(second), 1));
}

// A program that stops in the middle of a frame (it was closed, or it crashed) must not leave
// the device waiting for a "P" that never comes.
TEST_F(Line, AbandonedFrameDoesNotSwallowTheNextOne) {
    make();
    send("DLE");
    run(2000);
    got.clear();
    EXPECT_EQ(readImage().size(), 138u);
    EXPECT_TRUE(dev->received(lectura()));
}

TEST_F(Line, ReadBetweenAWritesTwoFramesIsStillARead) {
    make();
    frame(ComandosKit().escritura);
    EXPECT_EQ(readImage().size(), 138u);
    frame("00014321FF3010");
    EXPECT_EQ(codec::Posiciones(dev->image(), 11, 14), "4321");
}

// A write the program gave up (its data part never came) does not hold the device for ever:
// frame 1 again starts a new write, and a frame that begins long after frame 1 is a frame of its
// own. Either way the next write's data part is stored.
TEST_F(Line, AWriteWhoseDataPartNeverCameDoesNotEatTheNextFrame) {
    const std::string data = "0001" "4321" "FF" "30" "10";
    make();
    frame(ComandosKit().escritura);
    run(1000);
    frame(ComandosKit().escritura);  // the program's next write
    run(5000);
    frame(data);
    EXPECT_EQ(codec::Posiciones(dev->image(), 11, 14), "4321");

    make();
    frame(ComandosKit().escritura);
    run(7000);  // past the 5000 ms the data part comes in
    frame("#1,1234,9");
    EXPECT_TRUE(dev->received("#1,1234,9"));
    bool refused = false;
    for (const std::string& l : dev->log()) refused |= l.find("data part refused") != std::string::npos;
    EXPECT_FALSE(refused);
    frame(ComandosKit().escritura);
    run(5000);
    frame(data);
    EXPECT_EQ(codec::Posiciones(dev->image(), 11, 14), "4321");
}

TEST_F(Line, OtherCommandsAreLoggedByName) {
    make();
    const Comandos& k = ComandosKit();
    frame(k.resetFabrica + "f");
    frame(k.verificar + "f" + "1234");
    frame(k.colgado + "f" + "1234");
    frame("#4,1234,9");
    std::string all;
    for (const auto& l : dev->log()) all += l + "\n";
    EXPECT_NE(all.find("factory reset"), std::string::npos) << all;
    EXPECT_NE(all.find("verify"), std::string::npos);
    EXPECT_NE(all.find("hang up"), std::string::npos);
    // The Téndro judges its own commands; the line names the command either way.
    EXPECT_NE(all.find(": \"#4,1234,9\""), std::string::npos) << all;
}

// Without a version of its own, each model answers with one the kit has a configuration
// record for, so a read through the program finds its record.
TEST_F(Line, DefaultVersionIsOneTheKitHasARecordFor) {
    const struct {
        const char* model;
        const char* version;  // as the image carries it: a byte in hex, or as it stands
    } casos[] = {
        {"04", "0C"},  // Sonobrisa 12
        {"00", "1E"},  // Téndro 30
        {"05", "1E"},  // Omnivelda 30
        {"03", "1E"},  // Plurimandelo 30
        {"0:", "1E"},  // Fenzo 30
        {"06", "1E"},  // Tresmolina 30
        {"02", "15"},  // Quintavo 15, two characters as they stand
        {"08", "72"},  // Selvarindo 72, likewise
    };
    for (const auto& c : casos) {
        Options o;
        o.model = c.model;
        make(o);
        EXPECT_EQ(codec::Posiciones(dev->image(), 3, 4), c.version) << c.model;
    }
}

// A factory reset puts back what the device left the factory with, whatever was written since.
TEST_F(Line, FactoryResetRestoresTheFactoryMemory) {
    make();
    const std::string fabrica = dev->image();
    frame(ComandosKit().escritura);
    frame("00014321FF3010");
    ASSERT_EQ(codec::Posiciones(dev->image(), 11, 14), "4321");
    frame(ComandosKit().resetFabrica + "f");
    EXPECT_EQ(dev->image(), fabrica);
}

// The Téndro keeps its key in the device digit code: a written "0" is the digit "A", as a key
// change stores it and a read gives it back.
TEST_F(Line, TendroStoresAWrittenZeroOfItsKeyAsA) {
    make();
    frame(ComandosKit().escritura);
    frame("00014301FF3010");
    EXPECT_EQ(codec::Posiciones(dev->image(), 11, 14), "43A1");
    EXPECT_EQ(codec::Posiciones(dev->image(), 7, 10), "0001");  // the modifier is no digit field
}

// The Omnivelda's "#23" puts each trunk digit in the low nibble of its own byte (map 30, 32,
// 34), "*" and "#" in the device's code, and leaves the key at 35-38 alone.
TEST_F(Line, OmniveldaTrunkDigitsLandOnTheirOwnNibbles) {
    Options o;
    o.model = "05";
    make(o);
    const std::string antes = dev->image();
    frame("#23,1234,9,*,#");
    EXPECT_EQ(codec::Posiciones(dev->image(), 29, 34), "090B0C");
    EXPECT_EQ(codec::Posiciones(dev->image(), 35, 38), codec::Posiciones(antes, 35, 38));
    EXPECT_EQ(codec::Posiciones(dev->image(), 1, 28), codec::Posiciones(antes, 1, 28));
    EXPECT_TRUE(codec::SumasCorrectas(dev->image(), dev->model()));
}

// A trunk code of one or two digits is normal: its last places come empty and the device keeps
// each empty place as the no-digit "F". A digit after an empty place, or two in one place, is
// no code the device takes, and leaves its memory as it was. Plurimandelo trunk digits stand at
// map positions 17-22, the Omnivelda's at 29-34, one per byte in its low nibble.
TEST_F(Line, ShortTrunkCodesKeepTheirEmptyPlacesAsNoDigit) {
    struct Case {
        const char* cola;       // the command after "#23,1234,"
        const char* guardado;   // the three bytes afterwards; nullptr: refused, nothing changes
    };
    const Case cases[] = {
        {"9,,", "090F0F"}, {"9,0,", "090A0F"}, {",,", "0F0F0F"}, {"9,*,#", "090B0C"},
        {"9,,9", nullptr}, {",9,", nullptr}, {"99,,", nullptr}, {"9,,,", nullptr}, {"9,", nullptr},
    };
    for (const auto& [modelo, desde] : {std::pair{"03", std::size_t{17}}, std::pair{"05", std::size_t{29}}}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(modelo) + " #23,1234," + c.cola);
            Options o;
            o.model = modelo;
            make(o);
            const std::string antes = dev->image();
            frame(std::string("#23,1234,") + c.cola);
            if (c.guardado) {
                EXPECT_EQ(codec::Posiciones(dev->image(), desde, desde + 5), c.guardado);
                EXPECT_EQ(codec::Posiciones(dev->image(), 1, desde - 1), codec::Posiciones(antes, 1, desde - 1));
            } else {
                EXPECT_EQ(dev->image(), antes);
            }
            EXPECT_TRUE(codec::SumasCorrectas(dev->image(), dev->model()));
        }
    }
}

TEST(Restrictor, RefusesUnknownModelsAndBadImages) {
    std::string error;
    Options o;
    o.model = "0A";  // the Fenzo's map code, not what the device sends
    EXPECT_EQ(Restrictor::create(o, error), nullptr);
    EXPECT_NE(error.find("0A"), std::string::npos);

    o.model = "00";
    auto dev = Restrictor::create(o, error);
    ASSERT_NE(dev, nullptr);
    std::string before = dev->image();
    EXPECT_FALSE(dev->setImage(before.substr(1), error));
    EXPECT_FALSE(dev->setImage(std::string(133, '0') + "g", error));
    EXPECT_EQ(dev->image(), before);
    EXPECT_TRUE(dev->setImage(std::string(134, '0'), error));  // spoilt checksums kept as given
    EXPECT_EQ(dev->wireImage(), "0245" + std::string(134, '0'));
}

TEST(Restrictor, ClockWrapKeepsTheTimingRight) {
    std::string error;
    auto dev = Restrictor::create({}, error);
    uint32_t t = 0xFFFFFFFEu;
    dev->receive('D', t);
    EXPECT_EQ(dev->takeOutput(t), "");
    ASSERT_TRUE(dev->nextEventMs().has_value());
    EXPECT_EQ(*dev->nextEventMs(), t + 3);
    EXPECT_EQ(dev->takeOutput(t + 3), "T");
    EXPECT_FALSE(dev->nextEventMs().has_value());
}

TEST(Comandos, KitTableFramesUnambiguously) {
    Comandos k;
    std::string error;
    ASSERT_TRUE(LeeComandos(TablaComandosKit(), k, error)) << error;
    for (const std::string* t : {&k.lectura, &k.escritura, &k.resetFabrica, &k.verificar, &k.colgado}) {
        EXPECT_FALSE(t->empty());
        // "D" starts a frame, "P" ends it, a "1" could be taken for the closing one.
        EXPECT_EQ(t->find_first_of("DPT1"), std::string::npos) << *t;
        // The same texts are dialled in "PC" installations: telephone keys only.
        EXPECT_EQ(t->find_first_not_of("*#023456789"), std::string::npos) << *t;
    }
    const std::vector<std::string> all = {k.lectura, k.escritura, k.resetFabrica, k.verificar, k.colgado};
    for (std::size_t i = 0; i < all.size(); ++i)
        for (std::size_t j = i + 1; j < all.size(); ++j) EXPECT_NE(all[i], all[j]);
    EXPECT_EQ(k.lectura, ComandosKit().lectura);
}

TEST(Comandos, TableParsing) {
    Comandos k;
    std::string error;
    EXPECT_TRUE(LeeComandos("# comment\r\nLectura\tR\r\nEscritura\tW\nResetFabrica\tX\n"
                            "Verificar\tV\nColgado\tC\nLectura\tRR\nResetClave\tZ\n\n",
                            k, error));
    EXPECT_EQ(k.lectura, "RR");  // a later entry replaces an earlier one
    EXPECT_EQ(k.colgado, "C");
    EXPECT_FALSE(LeeComandos("Lectura\tR\n", k, error));
    EXPECT_NE(error.find("Escritura"), std::string::npos);
    EXPECT_FALSE(LeeComandos("  # indented comment\nLectura R\n", k, error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

}  // namespace
}  // namespace zylma::sim

namespace {

// The Téndro takes its remote commands only with its own key, and a later read shows them.
TEST(TendroRemote, CommandsChangeTheImageWithTheRightKeyOnly) {
    std::string error;
    zylma::sim::Options o;
    o.model = "00";
    auto dev = zylma::sim::Restrictor::create(o, error);
    ASSERT_TRUE(dev) << error;
    std::string img = dev->image();
    img.replace(10, 4, "1A3A");  // key 1030
    img.replace(16, 4, "0000");
    ASSERT_TRUE(dev->setImage(img, error)) << error;
    std::uint32_t now = 0;
    auto frame = [&](const std::string& cmd) {
        for (char c : "D" + cmd + "1P") dev->receive(c, now += 5);
        dev->takeOutput(now += 50);
    };
    frame("#4,1030,9");  // restriction 3 on: bit 1 of nibble 17
    frame("#9,1030,9");  // restriction 6 on: bit 2 of nibble 20
    frame("#1,9999,9");  // wrong key: nothing
    EXPECT_EQ(dev->image().substr(16, 4), "1002");
    frame("#4,1030,0");
    EXPECT_EQ(dev->image().substr(16, 4), "0002");
    frame("#2,1030,5678");
    EXPECT_EQ(dev->image().substr(10, 4), "5678");
    EXPECT_TRUE(zylma::codec::SumasCorrectas(dev->image(), dev->model()));
}

}  // namespace
