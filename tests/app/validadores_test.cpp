// Field checks: the verdicts as a table, and the corrections as a user meets them.
#include "fixture.h"
#include "zylma/app/validadores.h"
#include "zylma/app/zyl_for_pri.h"

#include <gtest/gtest.h>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::ProgramHarness;

namespace {

TEST(Validadores, Verdicts) {
    using R = Regla;
    using C = Correccion;
    const struct {
        R regla;
        const char *texto, *codigo;
        C correccion;
        const char* mensaje;
    } cases[] = {
        {R::Digitos, "123", "00", C::Ninguna, ""},
        {R::Digitos, "12a", "00", C::QuitaUltimo, "Solo se admiten numeros"},
        {R::Digitos, "*31", "00", C::Ninguna, ""},  // a memory read back from the device
        {R::Digitos, "", "00", C::Ninguna, ""},
        {R::Tiempo, "255", "00", C::Ninguna, ""},
        {R::Tiempo, "256", "00", C::Vacia, "El límite es 255"},
        {R::Tiempo, "1x", "00", C::Restaura, "Solo se admiten numeros"},
        {R::Tiempo, "99999999999999", "00", C::Vacia, "El límite es 255"},
        {R::DigitosEstrella, "12*4", "00", C::Ninguna, ""},
        {R::DigitosEstrella, "12#", "00", C::CortaEnMalo, "Solo se admiten numeros y *"},
        {R::DigitosEstrellaGato, "*#9", "00", C::Ninguna, ""},
        {R::DigitosEstrellaGato, "*#a", "00", C::CortaEnMalo, "Solo se admiten numeros, * y #"},
        {R::Clave, "12*45", "04", C::Ninguna, ""},
        {R::Clave, "12*45", "00", C::Restaura, "Solo se admiten numeros"},
        {R::Clave, "123*", "04", C::Restaura, "Solo se admiten numeros"},
        {R::Clave, "12#", "04", C::Restaura, "Solo se admiten numeros"},
        {R::Clave, "12a4", "04", C::Restaura, "Solo se admiten numeros"},
        {R::Clave, "0", "00", C::Vacia, "No se admite 0 al inicio de clave"},
        {R::Clave, "10", "00", C::Ninguna, ""},
        {R::ClaveSalida, "9", "00", C::QuitaUltimo, "Número prohibido"},
        {R::ClaveSalida, "29", "00", C::Ninguna, ""},
        {R::ClaveSalida, "2a", "00", C::QuitaUltimo, "Solo se admiten numeros"},
    };
    for (const auto& c : cases) {
        Juicio j = Juzga(c.regla, c.texto, "TITULO", c.codigo);
        EXPECT_EQ(j.correccion, c.correccion) << c.texto;
        EXPECT_EQ(j.mensaje, c.mensaje) << c.texto;
    }
    EXPECT_EQ(Juzga(Regla::Tiempo, "300", "ZYLMA", "00").titulo, "ERROR EN TIEMPO");
    EXPECT_EQ(Juzga(Regla::Tiempo, "3a", "ZYLMA", "00").titulo, "ZYLMA");
    EXPECT_EQ(Juzga(Regla::ClaveSalida, "0", "ERROR EN LA CLAVE", "00").titulo, "ZYLMA ESTA ENOJADO");
    // A pasted number keeps what stands before its first bad character.
    EXPECT_EQ(PrimerMalo(Regla::DigitosEstrella, "12#45"), 2u);
    EXPECT_EQ(PrimerMalo(Regla::DigitosEstrellaGato, "12#45"), 5u);
}

struct Campos : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;
    forms::TextBox* dur = nullptr;
    forms::TextBox* salida = nullptr;
    forms::TextBox* memoria = nullptr;
    void SetUp() override {
        folder.writeSoftware(AppFolder::softwareRecord());
        h = std::make_unique<ProgramHarness>(folder.path());
        ModeloEquipo m;
        m.nombre = "Prueba";
        m.panel = "ZylFraQui";
        m.codigo = "zz";
        m.creaPanel = [](ZylForPri& w, forms::Frame& f) {
            w.add<forms::TextBox>("ZylTexPruDur", -1, &f).setMaxLength(3);
            w.add<forms::TextBox>("ZylTxtPruSal", -1, &f).setMaxLength(4);
            w.add<forms::TextBox>("ZylTexPruMem", -1, &f).setMaxLength(16);
        };
        m.validadores = {{"ZylTexPruDur", -1, Regla::Tiempo, "ZYLMA"},
                         {"ZylTxtPruSal", -1, Regla::ClaveSalida, "ERROR EN LA CLAVE"},
                         {"ZylTexPruMem", -1, Regla::DigitosEstrella, ""}};
        h->programa->modelos().agrega(m);
        ZylForPri& w = h->programa->pri();
        w.panel("ZylFraQui")->setVisible(true);
        dur = w.findAs<forms::TextBox>("ZylTexPruDur");
        salida = w.findAs<forms::TextBox>("ZylTxtPruSal");
        memoria = w.findAs<forms::TextBox>("ZylTexPruMem");
    }
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (auto& m : h->host.messages) out.push_back(m.title + ": " + m.text);
        return out;
    }
};

TEST_F(Campos, TypingAtTheEndDropsTheBadCharacter) {
    dur->userType("12a");
    EXPECT_EQ(dur->text(), "12");
    dur->userType("5");
    EXPECT_EQ(dur->text(), "125");
    dur->setText("");
    dur->userType("300");
    EXPECT_EQ(dur->text(), "");
    EXPECT_EQ(texts(), (std::vector<std::string>{"ZYLMA: Solo se admiten numeros", "ERROR EN TIEMPO: El límite es 255"}));
}

TEST_F(Campos, AnInsertionOrAPasteCannotLetABadCharacterIn) {
    dur->userType("12");
    dur->setSelStart(0);
    dur->userType("x");  // before the end: the last character alone would have passed
    EXPECT_EQ(dur->text(), "12");
    dur->userEdit("9z9");
    EXPECT_EQ(dur->text(), "12");
    EXPECT_EQ(h->host.messages.size(), 2u);
}

TEST_F(Campos, ForbiddenExitKeyAndDeletingBackIntoIt) {
    salida->userType("9");
    EXPECT_EQ(salida->text(), "");
    salida->userType("29");
    salida->setSelStart(1);
    salida->userType("\b");  // "29" loses its "2": "9" alone is forbidden again
    EXPECT_EQ(salida->text(), "");
    EXPECT_EQ(h->host.countMessages("Número prohibido"), 2);
}

// What code sets (a read, a replay, a configuration load) is shown whole and never judged;
// typing over it is judged as ever, and an edit that adds no character the rule refuses keeps
// what the device put there. Each row: the rule's box, the text code sets, what the user then
// types at the end, the text left and the message shown ("" none).
TEST_F(Campos, CodeSetValuesAreNeverJudgedTypingStillIs) {
    ZylForPri& w = h->programa->pri();
    struct Caso {
        forms::TextBox* caja;
        const char *codigo, *tecleo, *queda, *mensaje;
    } casos[] = {
        {w.ZylTexResCla, "0123", "", "0123", ""},             // a key a read gave
        {w.ZylTexResCla, "12*4", "", "12*4", ""},
        {w.ZylTexResCla, "", "0", "", "No se admite 0 al inicio de clave"},
        {w.ZylTexResCla, "", "12a", "12", "Solo se admiten numeros"},
        {dur, "360", "", "360", ""},                          // a duration above 255 from the device
        {dur, "", "256", "", "El límite es 255"},
        {salida, "9", "", "9", ""},                           // an exit key the record holds
        {salida, "", "9", "", "Número prohibido"},
        {memoria, "12#45", "", "12#45", ""},                   // once cut to "12"
        {memoria, "12#4", "5", "12#45", ""},                   // typing on keeps the device's "#"
        {memoria, "12#4", "#", "12#4", "Solo se admiten numeros y *"},  // a new "#" is refused
        {memoria, "", "9#", "9", "Solo se admiten numeros y *"},
    };
    for (forms::Control* c = w.ZylTexResCla; c; c = c->container()) c->setVisible(true);
    for (const Caso& c : casos) {
        c.caja->setText("x");  // not a value the rows expect, so the next one is a change
        c.caja->setText(c.codigo);
        h->host.messages.clear();
        c.caja->setSelStart(static_cast<int>(c.caja->text().size()));
        if (*c.tecleo) c.caja->userType(c.tecleo);
        EXPECT_EQ(c.caja->text(), c.queda) << c.codigo << " + " << c.tecleo;
        EXPECT_EQ(h->host.lastMessage(), c.mensaje) << c.codigo << " + " << c.tecleo;
    }
}

}  // namespace
