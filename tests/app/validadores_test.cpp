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
        };
        m.validadores = {{"ZylTexPruDur", -1, Regla::Tiempo, "ZYLMA"},
                         {"ZylTxtPruSal", -1, Regla::ClaveSalida, "ERROR EN LA CLAVE"}};
        h->programa->modelos().agrega(m);
        ZylForPri& w = h->programa->pri();
        w.panel("ZylFraQui")->setVisible(true);
        dur = w.findAs<forms::TextBox>("ZylTexPruDur");
        salida = w.findAs<forms::TextBox>("ZylTxtPruSal");
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

TEST_F(Campos, TheDeviceKeyIsCheckedWhenCodeFillsItToo) {
    ZylForPri& w = h->programa->pri();
    w.ZylTexResCla->setText("0123");
    EXPECT_EQ(w.ZylTexResCla->text(), "");
    EXPECT_EQ(h->host.lastMessage(), "No se admite 0 al inicio de clave");
    w.ZylTexResCla->setText("1203");
    EXPECT_EQ(w.ZylTexResCla->text(), "1203");
}

}  // namespace
