// The software record and users editor: the flags between text, boxes and record, what a save
// keeps and what it refuses, and the user table's keyed saves.
#include "acceso_fixture.h"
#include "kit_fixture.h"
#include "zylma/admin/instalador.h"
#include "zylma/admin/arranque.h"
#include "zylma/admin/cap_login.h"
#include "zylma/admin/configuracion.h"
#include "zylma/admin/editores.h"
#include "zylma/admin/software.h"
#include "zylma/app/monitor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>

using namespace zylma;
using admin::ZylFrmCPri;
namespace zt = zylma::testing;

namespace {

struct Editor {
    zt::AppFolder folder;
    std::unique_ptr<zt::ProgramHarness> h;

    explicit Editor(bool conSoftware = true) {
        if (conSoftware) folder.writeSoftware(zt::AppFolder::softwareRecord("Distribuidor"));
        h = std::make_unique<zt::ProgramHarness>(folder.path());
    }
    app::Programa& p() { return *h->programa; }
    ZylFrmCPri& w() { return p().ventana<ZylFrmCPri>(); }
    forms::TestHost& host() { return h->host; }
    std::string software() const { return records::pathSoftware(folder.path()); }
    std::string usuarios() const { return records::pathUsuarios(folder.path()); }
    records::Record leeSoftware() {
        records::Record r;
        EXPECT_EQ(records::readSingle(software(), records::RegistroSoftware, r), records::Status::Ok);
        return r;
    }
    void escribeUsuarios(const std::vector<std::pair<int, records::Record>>& entradas) {
        records::ArchivoRegistros f;
        ASSERT_EQ(f.openWrite(usuarios(), records::RegistroUsuario), records::Status::Ok);
        for (const auto& [n, r] : entradas) ASSERT_EQ(f.write(n, r), records::Status::Ok);
    }
    records::Record usuario(int n) {
        records::ArchivoRegistros f;
        records::Record r;
        EXPECT_EQ(f.openRead(usuarios(), records::RegistroUsuario), records::Status::Ok);
        EXPECT_EQ(f.read(n, r), records::Status::Ok);
        return r;
    }
    // The name typed into the user combo over whatever it shows, as a user does it.
    void escribeNombre(const std::string& nombre) {
        forms::ComboBox& c = *w().ZylComCPUsuarios;
        c.userType(std::string(forms::utf8Length(c.text()), '\b') + nombre);
    }
    // The user table as it lies on disk: "n:name|number|text|date" for each record with
    // anything in it.
    std::vector<std::string> tabla() {
        std::vector<std::string> v;
        if (!std::filesystem::exists(usuarios())) return v;
        records::scanTable(usuarios(), records::RegistroUsuario, [&](int n, const records::Record& r) {
            if (!(r[0] + r[1] + r[2] + r[3]).empty())
                v.push_back(std::to_string(n) + ":" + r[0] + "|" + r[1] + "|" + r[2] + "|" + r[3]);
            return true;
        });
        return v;
    }
    std::vector<int> marcadas() {
        std::vector<int> v;
        for (int k = 0; k < 20; ++k)
            if (w().ZylChkE[k]->value() == forms::CheckBox::Checked) v.push_back(k + 1);
        return v;
    }
};

TEST(SoftwareEditor, FlagsRestoredFromTheRecordAreSavedBackAsTwentyCharacters) {
    struct Caso {
        const char* campo20;
        std::vector<int> marcadas;
        const char* guardado;
    } casos[] = {
        {"10100000000000000000", {1, 3}, "10100000000000000000"},
        {"101", {1, 3}, "10100000000000000000"},  // boxes past a short text stay clear
        {"", {}, "00000000000000000000"},
        {"0000000000000000000111", {20}, "00000000000000000001"},
        {"2x1", {3}, "00100000000000000000"},  // only "1" ticks a box
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.campo20);
        Editor e;
        records::Record r = zt::AppFolder::softwareRecord("Distribuidor");
        r[20] = c.campo20;
        e.folder.writeSoftware(r);
        e.w().ZylCmdCPConRec->userClick();
        EXPECT_EQ(e.marcadas(), c.marcadas);
        e.w().ZylCmdCPConGra->userClick();
        EXPECT_EQ(e.leeSoftware()[20], c.guardado);
    }
}

TEST(SoftwareEditor, BoxesTheUserTicksGoIntoTheFlags) {
    Editor e;
    e.w().ZylCmdCPConRec->userClick();
    e.w().ZylChkE[1]->userClick();
    e.w().ZylChkE[19]->userClick();
    e.w().ZylChkE[1]->setValue(forms::CheckBox::Grayed);  // greyed counts as not ticked
    e.w().ZylCmdCPConGra->userClick();
    EXPECT_EQ(e.leeSoftware()[20], "00000000000000000001");
}

TEST(SoftwareEditor, SaveWritesTheBoxesKeepsClassAndModifierAndOpensNothingElseOnNo) {
    Editor e;
    e.w().ZylCmdCPConRec->userClick();
    EXPECT_EQ(e.w().ZylTexE[2]->text(), "Téndro");
    EXPECT_EQ(e.w().ZylTexE[20]->text(), "3");
    EXPECT_EQ(e.w().ZylTexE[21]->text(), "10");
    e.w().ZylTexE[13]->userEdit("Nuevo");
    e.w().ZylTexE[19]->userEdit("Último");
    e.w().ZylTexE[20]->userEdit("5");
    e.w().ZylTexE[21]->userEdit("32");
    // The user saved last (field 21 "0") is in no list here: nothing is selected.
    e.p().CodigoModificador.clear();
    e.host().answers = {forms::vbYes};
    e.w().ZylCmdCPConGra->userClick();

    const records::Record r = e.leeSoftware();
    EXPECT_EQ(r[13], "Nuevo");
    EXPECT_EQ(r[19], "Último");
    EXPECT_EQ(r[21], "-1");
    EXPECT_EQ(r[22], app::FechaHoy());
    EXPECT_EQ(r[23], "5");
    EXPECT_EQ(r[24], "32");
    EXPECT_EQ(r[25], "0001");
    EXPECT_EQ(r[26], "Distribuidor");
    EXPECT_EQ(e.p().CodigoModificador, "0001");
    ASSERT_FALSE(e.host().messages.empty());
    EXPECT_EQ(e.host().messages.back().text, "¿Desea reemplazar  " + e.software() + "  ?");
    EXPECT_EQ(e.host().messages.back().title, "ZYLMA");
    EXPECT_EQ(e.host().messages.back().style & 7, forms::vbYesNo);
    // The save opens the credentials window modeless and closes the editor; its next use is a
    // fresh one.
    ASSERT_NE(e.p().ventanaSiExiste<admin::frmCapLogin>(), nullptr);
    EXPECT_TRUE(e.p().ventanaSiExiste<admin::frmCapLogin>()->visible());
    EXPECT_FALSE(e.p().ventanaSiExiste<admin::frmCapLogin>()->modal());
    ASSERT_NE(e.p().ventanaSiExiste<ZylFrmCPri>(), nullptr);
    EXPECT_FALSE(e.p().ventanaSiExiste<ZylFrmCPri>()->loaded());
    // A fresh one, opening on what was just stored.
    EXPECT_EQ(e.w().ZylTexE[13]->text(), "Nuevo");

    // "No" to the question keeps the stored record and the editor.
    const std::string antes = zt::bytesDe(e.software());
    e.w().ZylCmdCPConRec->userClick();
    e.w().ZylTexE[0]->userEdit("Otro");
    e.host().answers = {forms::vbNo};
    e.w().ZylCmdCPConGra->userClick();
    EXPECT_EQ(zt::bytesDe(e.software()), antes);
    EXPECT_TRUE(e.w().loaded());
    EXPECT_EQ(e.w().ZylTexE[0]->text(), "Otro");
    EXPECT_EQ(e.host().countMessages("¿Desea reemplazar  " + e.software() + "  ?"), 2);
}

TEST(SoftwareEditor, RetriesAndTimeOutMustBeWholeNumbersInRangeBeforeAnythingIsWritten) {
    // Retries 0 to 32767 (a 16-bit count); a wait of 1 to 32 s (0 would be a watchdog that never
    // fires). A refusal names each bad box, and only the bad ones.
    struct Caso {
        const char* reintentos;
        const char* espera;
        bool reintentosMal;
        bool esperaMal;
    } casos[] = {
        {"0", "1", false, false},      {"32767", "32", false, false}, {" 4 ", "7", false, false},
        {"3", "0", false, true},       {"3", "33", false, true},      {"3", "-1", false, true},
        {"-1", "10", true, false},     {"32768", "10", true, false},  {"3", "1.5", false, true},
        {"tres", "10", true, false},   {"3", "10s", false, true},     {"", "", true, true},
        {"x", "0", true, true},        {"0", "", false, true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.reintentos) + " / " + c.espera);
        Editor e;
        const std::string antes = zt::bytesDe(e.software());
        e.w().ZylTexE[20]->userEdit(c.reintentos);
        e.w().ZylTexE[21]->userEdit(c.espera);
        e.host().messages.clear();
        e.host().answers = {forms::vbYes};
        e.w().ZylCmdCPConGra->userClick();
        if (!c.reintentosMal && !c.esperaMal) {
            EXPECT_EQ(e.leeSoftware()[23], c.reintentos);
            EXPECT_EQ(e.leeSoftware()[24], c.espera);
            continue;
        }
        EXPECT_EQ(zt::bytesDe(e.software()), antes);
        ASSERT_EQ(e.host().messages.size(), 1u);
        const std::string& m = e.host().messages[0].text;
        EXPECT_EQ(m.find("Reintentos") != std::string::npos, c.reintentosMal) << m;
        EXPECT_EQ(m.find("TimeOut") != std::string::npos, c.esperaMal) << m;
        EXPECT_NE(m.find("No se ha grabado nada"), std::string::npos) << m;
        EXPECT_TRUE(e.w().loaded());
    }
}

TEST(SoftwareEditor, ARecordThatCannotBeReadIsToldAtOpenAndNoSaveWritesEmptyBoxes) {
    struct Caso {
        const char* que;
        void (*estropea)(const std::string& software);
    } casos[] = {
        {"missing", [](const std::string& s) { std::filesystem::remove(s); }},
        {"damaged",
         [](const std::string& s) {
             std::ofstream(s, std::ios::binary | std::ios::trunc) << std::string("\xF0\x03Zylma", 7)
                                                                  << std::string(993, '\0');
         }},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        Editor e;
        c.estropea(e.software());
        const auto antes = zt::snapshot(e.folder.path());
        // The load tells, naming the file.
        e.w();
        ASSERT_EQ(e.host().messages.size(), 1u);
        EXPECT_NE(e.host().messages[0].text.find(e.software()), std::string::npos);
        EXPECT_EQ(e.w().ZylTexE[0]->text(), "");
        e.w().ZylTexE[20]->userEdit("3");
        e.w().ZylTexE[21]->userEdit("10");
        e.host().answers = {forms::vbYes};
        e.w().ZylCmdCPConGra->userClick();
        ASSERT_EQ(e.host().messages.size(), 2u);
        EXPECT_NE(e.host().messages[1].text.find("No se ha grabado nada"), std::string::npos);
        EXPECT_NE(e.host().messages[1].text.find(e.software()), std::string::npos);
        EXPECT_EQ(zt::snapshot(e.folder.path()), antes);
        EXPECT_TRUE(e.w().loaded());

        // Put right while the editor is open: the boxes are still empty, so a save is still
        // refused; "&Recuperar" shows the record and then a save writes it back.
        e.folder.writeSoftware(zt::AppFolder::softwareRecord("Distribuidor"));
        const std::string arreglado = zt::bytesDe(e.software());
        e.w().ZylCmdCPConGra->userClick();
        ASSERT_EQ(e.host().messages.size(), 3u);
        EXPECT_NE(e.host().messages[2].text.find("No se ha grabado nada"), std::string::npos);
        EXPECT_EQ(zt::bytesDe(e.software()), arreglado);
        e.w().ZylCmdCPConRec->userClick();
        EXPECT_EQ(e.w().ZylTexE[2]->text(), "Téndro");
        e.host().answers = {forms::vbYes};
        e.w().ZylCmdCPConGra->userClick();
        EXPECT_EQ(e.leeSoftware()[2], "Téndro");
        EXPECT_EQ(e.leeSoftware()[1], "Sonobrisa");
    }
}

// "&Recuperar" fails after the load showed the record: the boxes keep what was shown.
TEST(SoftwareEditor, ARestoreThatFailsLeavesTheShownRecordInTheBoxes) {
    Editor e;
    e.w();
    std::filesystem::remove(e.software());
    e.w().ZylCmdCPConRec->userClick();
    ASSERT_EQ(e.host().messages.size(), 1u);
    EXPECT_NE(e.host().messages[0].text.find(e.software()), std::string::npos);
    EXPECT_EQ(e.w().ZylTexE[2]->text(), "Téndro");
}

TEST(SoftwareEditor, NamesThatDoNotFitTheRecordAreToldAndTheStoredRecordStays) {
    Editor e;
    const std::string antes = zt::bytesDe(e.software());
    e.w().ZylCmdCPConRec->userClick();
    for (int i = 0; i < 20; ++i) e.w().ZylTexE[i]->userEdit(std::string(60, 'x'));
    e.w().ZylCmdCPConGra->userClick();
    EXPECT_EQ(zt::bytesDe(e.software()), antes);
    EXPECT_NE(e.host().lastMessage().find("No se ha modificado nada"), std::string::npos);
    EXPECT_TRUE(e.w().loaded());
    EXPECT_EQ(e.p().ventanaSiExiste<admin::frmCapLogin>(), nullptr);
}

TEST(SoftwareEditor, UserListSkipsEmptyNamesKeepsDuplicatesAndShowsTheLastEntryOfAName) {
    Editor e;
    e.escribeUsuarios({{1, {"ana", "1", "primera", "01/01/2026"}},
                       {2, {"", "2", "", ""}},
                       {3, {"luis", "3", "x", "02/01/2026"}},
                       {5, {"ana", "5", "segunda", "03/01/2026"}}});
    EXPECT_EQ(e.w().ZylComCPUsuarios->list(), (std::vector<std::string>{"ana", "luis", "ana"}));
    e.w().ZylComCPUsuarios->userSelect(0);
    EXPECT_EQ(e.w().ZylTexE[22]->text(), "5");
    EXPECT_EQ(e.w().ZylTexE[23]->text(), "03/01/2026");
    EXPECT_EQ(e.w().ZylTexE[24]->text(), "segunda");
}

TEST(SoftwareEditor, UserSavesFindTheNameReplaceItAndNeverOverwriteAnotherUser) {
    Editor e;
    // Into an empty table: the entry lands at its number and is all the list shows.
    e.w().ZylComCPUsuarios->setText("ana");
    e.w().ZylTexE[22]->userEdit("5");
    e.w().ZylTexE[24]->userEdit("texto");
    e.w().ZylCmdUsZylA->userClick();
    EXPECT_EQ(e.w().Resultado, 0);
    e.w().ZylCmdUsZylG->userClick();
    EXPECT_TRUE(e.host().messages.empty());
    EXPECT_EQ(std::filesystem::file_size(e.usuarios()), 5000u);
    EXPECT_EQ(e.usuario(5), (records::Record{"ana", "5", "texto", app::FechaHoy()}));
    e.w().unload();
    EXPECT_EQ(e.w().ZylComCPUsuarios->list(), std::vector<std::string>{"ana"});

    // Found by the search: replaced where it stands, whatever number is typed.
    e.w().ZylComCPUsuarios->setText("ana");
    e.w().ZylCmdUsZylA->userClick();
    EXPECT_EQ(e.w().Resultado, 1);
    EXPECT_EQ(e.w().RegistroUsuario, 5);
    e.w().ZylTexE[22]->userEdit("2");
    e.w().ZylTexE[24]->userEdit("nuevo");
    e.w().ZylCmdUsZylG->userClick();
    EXPECT_EQ(e.w().Resultado, 0);
    EXPECT_EQ(e.usuario(5)[2], "nuevo");
    EXPECT_EQ(e.usuario(2)[0], "");

    // A new name at a number another user holds: refused, the other user kept.
    const std::string antes = zt::bytesDe(e.usuarios());
    e.w().ZylComCPUsuarios->setText("luis");
    e.w().ZylCmdUsZylA->userClick();
    e.w().ZylTexE[22]->userEdit("5");
    e.w().ZylCmdUsZylG->userClick();
    ASSERT_EQ(e.host().messages.size(), 1u);
    EXPECT_NE(e.host().lastMessage().find("ya pertenece al usuario \"ana\""), std::string::npos);
    EXPECT_EQ(zt::bytesDe(e.usuarios()), antes);
}

TEST(SoftwareEditor, UserNumbersOutsideOneTo32767AreRefusedForANewNameOnly) {
    for (const char* numero : {"", "0", "-3", "32768", "1e3", "cinco", "99999999999"}) {
        SCOPED_TRACE(numero);
        {
            // A new name cannot be placed: refused before the table is touched.
            Editor e;
            e.w().ZylComCPUsuarios->setText("ana");
            e.w().ZylTexE[22]->userEdit(numero);
            e.w().ZylCmdUsZylG->userClick();
            ASSERT_EQ(e.host().messages.size(), 1u);
            EXPECT_NE(e.host().lastMessage().find("de 1 a 32767"), std::string::npos);
            EXPECT_FALSE(std::filesystem::exists(e.usuarios()));
        }
        {
            // A name already in the table is replaced where it stands, whatever number is typed.
            Editor e;
            e.escribeUsuarios({{1, {"luis", "1", "", ""}}, {3, {"ana", "3", "viejo", "01/01/2026"}}});
            e.w().ZylComCPUsuarios->setText("ana");
            e.w().ZylCmdUsZylA->userClick();
            ASSERT_EQ(e.w().Resultado, 1);
            e.w().ZylTexE[22]->userEdit(numero);
            e.w().ZylTexE[24]->userEdit("nuevo");
            e.w().ZylCmdUsZylG->userClick();
            EXPECT_TRUE(e.host().messages.empty()) << e.host().lastMessage();
            EXPECT_EQ(e.usuario(3), (records::Record{"ana", numero, "nuevo", app::FechaHoy()}));
            EXPECT_EQ(e.usuario(1)[0], "luis");
            EXPECT_EQ(std::filesystem::file_size(e.usuarios()), 3000u);
            EXPECT_EQ(e.w().Resultado, 0);
        }
    }
}

TEST(SoftwareEditor, RestoreChoosesTheSavedUserSoARoundTripKeepsField21) {
    Editor e;
    e.escribeUsuarios({{1, {"ana", "1", "", ""}}, {2, {"luis", "2", "", ""}}});
    records::Record r = zt::AppFolder::softwareRecord("Distribuidor");
    r[21] = "1";
    e.folder.writeSoftware(r);
    e.w().ZylCmdCPConRec->userClick();
    EXPECT_EQ(e.w().ZylComCPUsuarios->text(), "luis");
    EXPECT_EQ(e.w().ZylTexE[22]->text(), "2");
    e.w().ZylCmdCPConGra->userClick();
    EXPECT_EQ(e.leeSoftware()[21], "1");
}

TEST(SoftwareEditor, TheMainWindowsMenusOpenBothEditorsFromTheProgramsStart) {
    zt::Acceso a;
    a.folder.writeSoftware(zt::AppFolder::softwareRecord("Gardomelinta"));
    a.h = std::make_unique<zt::ProgramHarness>(a.folder.path());
    admin::Arranca(a.p());
    ASSERT_TRUE(a.login().visible());
    a.teclea("Ingenieria", "Trufa");
    ASSERT_NE(a.puerto(), nullptr);
    a.puerto()->ZylCmbNumPort->userSelect(0);
    app::ZylForPri& w = a.p().pri();
    w.ZylMnuConC->userChoose();
    ASSERT_NE(a.p().ventanaSiExiste<ZylFrmCPri>(), nullptr);
    EXPECT_TRUE(a.p().ventanaSiExiste<ZylFrmCPri>()->visible());
    w.ZylMnuConE->userChoose();
    ASSERT_NE(a.p().ventanaSiExiste<admin::ZylFrmConf>(), nullptr);
    EXPECT_TRUE(a.p().ventanaSiExiste<admin::ZylFrmConf>()->visible());
}

// The kit's own software records, as the installer puts them in place: an engineer who opens
// the editor, types only the retries and the time-out and saves keeps every model button.
TEST(SoftwareEditor, ASaveOfTwoBoxesOnAKitRecordKeepsEveryOtherField) {
    std::vector<std::string> opciones(std::begin(admin::kModelosInstalables), std::end(admin::kModelosInstalables));
    opciones.push_back("Gardomelinta");
    for (const std::string& opcion : opciones) {
        SCOPED_TRACE(opcion);
        Editor e(false);
        std::filesystem::copy_file(zt::kKitTree + "/Utilerias/Generales/Equipos/" + opcion + ".Wcon", e.software());
        const records::Record kit = e.leeSoftware();
        ASSERT_FALSE(kit[0].empty());
        e.w().ZylTexE[20]->userEdit("4");
        e.w().ZylTexE[21]->userEdit("12");
        e.host().answers = {forms::vbYes};
        e.w().ZylCmdCPConGra->userClick();
        ASSERT_FALSE(e.p().ventanaSiExiste<ZylFrmCPri>()->loaded()) << e.host().lastMessage();

        const records::Record r = e.leeSoftware();
        for (int k = 0; k <= 26; ++k) {
            SCOPED_TRACE("field " + std::to_string(k));
            if (k == 21) {
                // The kit's user table is empty: no list entry can be selected.
                EXPECT_EQ(r[k], "-1");
            } else if (k == 22) {
                EXPECT_EQ(r[k], app::FechaHoy());
            } else if (k == 23) {
                EXPECT_EQ(r[k], "4");
            } else if (k == 24) {
                EXPECT_EQ(r[k], "12");
            } else {
                EXPECT_EQ(r[k], kit[k]);
            }
        }
    }
}

// The user table, case by case, from the same table: luis at 1, ana at 3, eva at 5.
TEST(SoftwareEditor, UserTableCases) {
    const std::string hoy = app::FechaHoy();
    using Tabla = std::vector<std::pair<int, records::Record>>;
    const Tabla inicial{{1, {"luis", "1", "a", "01/01/2026"}},
                        {3, {"ana", "3", "x", "01/01/2026"}},
                        {5, {"eva", "5", "y", "01/01/2026"}}};
    const std::string luis = "1:luis|1|a|01/01/2026", ana = "3:ana|3|x|01/01/2026", eva = "5:eva|5|y|01/01/2026";
    struct Caso {
        const char* que;
        Tabla tabla;                          // empty: the one above
        std::function<void(Editor&)> haz;     // up to, not including, "Gra&bar"
        std::vector<std::string> despues;     // the table after the save; empty: unchanged
        const char* rechazo;                  // words of the refusal, or nullptr
    };
    auto numeroYTexto = [](Editor& e, const char* n, const char* t) {
        e.w().ZylTexE[22]->userEdit(n);
        e.w().ZylTexE[24]->userEdit(t);
    };
    const Caso casos[] = {
        {"a search, then the save rewrites the entry found whatever number is typed", {},
         [&](Editor& e) { e.escribeNombre("ana"); e.w().ZylCmdUsZylA->userClick(); numeroYTexto(e, "9", "nuevo"); },
         {luis, "3:ana|9|nuevo|" + hoy, eva}, nullptr},
        {"a search, then a changed name: the entry is renamed", {},
         [&](Editor& e) {
             e.escribeNombre("ana");
             e.w().ZylCmdUsZylA->userClick();
             e.escribeNombre("ana maria");
             numeroYTexto(e, "3", "x");
         },
         {luis, "3:ana maria|3|x|" + hoy, eva}, nullptr},
        {"a list pick, a search, then a changed name", {},
         [&](Editor& e) {
             e.w().ZylComCPUsuarios->userSelect(1);
             EXPECT_EQ(e.w().ZylTexE[22]->text(), "3");
             e.w().ZylCmdUsZylA->userClick();
             e.escribeNombre("anita");
         },
         {luis, "3:anita|3|x|" + hoy, eva}, nullptr},
        {"no search: a name that is listed elsewhere goes at the free typed number", {},
         [&](Editor& e) { e.escribeNombre("ana"); numeroYTexto(e, "4", "otra"); },
         {luis, ana, "4:ana|4|otra|" + hoy, eva}, nullptr},
        {"no search: at the user's own entry it is rewritten", {},
         [&](Editor& e) { e.escribeNombre("eva"); numeroYTexto(e, "5", "z"); },
         {luis, ana, "5:eva|5|z|" + hoy}, nullptr},
        {"no search: over another user's entry it is refused, naming that user", {},
         [&](Editor& e) { e.escribeNombre("pedro"); numeroYTexto(e, "5", "p"); },
         {}, "ya pertenece al usuario \"eva\""},
        {"a search that finds nothing: at the typed number", {},
         [&](Editor& e) { e.escribeNombre("pedro"); e.w().ZylCmdUsZylA->userClick(); numeroYTexto(e, "7", "p"); },
         {luis, ana, eva, "7:pedro|7|p|" + hoy}, nullptr},
        {"a search that finds nothing never overwrites another user", {},
         [&](Editor& e) { e.escribeNombre("pedro"); e.w().ZylCmdUsZylA->userClick(); numeroYTexto(e, "1", "p"); },
         {}, "ya pertenece al usuario \"luis\""},
        {"a search for one user, then another picked: the save goes to the one picked", {},
         [&](Editor& e) {
             e.escribeNombre("ana");
             e.w().ZylCmdUsZylA->userClick();
             e.w().ZylComCPUsuarios->userSelect(0);
             e.w().ZylTexE[24]->userEdit("cambiado");
         },
         {"1:luis|1|cambiado|" + hoy, ana, eva}, nullptr},
        {"a duplicated name: found and edited at the last entry, the one the list shows",
         {{2, {"ana", "2", "primera", "01/01/2026"}}, {6, {"ana", "6", "segunda", "01/01/2026"}}},
         [&](Editor& e) {
             e.w().ZylComCPUsuarios->userSelect(0);
             EXPECT_EQ(e.w().ZylTexE[24]->text(), "segunda");
             e.w().ZylCmdUsZylA->userClick();
             e.w().ZylTexE[24]->userEdit("editada");
         },
         {"2:ana|2|primera|01/01/2026", "6:ana|6|editada|" + hoy}, nullptr},
        {"an empty name is stored at its number", {},
         [&](Editor& e) { e.escribeNombre(""); numeroYTexto(e, "8", "t"); },
         {luis, ana, eva, "8:|8|t|" + hoy}, nullptr},
        {"no search and no number that can place the entry", {},
         [&](Editor& e) { e.escribeNombre("pedro"); numeroYTexto(e, "0", "p"); },
         {}, "de 1 a 32767"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        Editor e;
        e.escribeUsuarios(c.tabla.empty() ? inicial : c.tabla);
        e.w();
        const std::vector<std::string> antes = e.tabla();
        e.host().messages.clear();
        c.haz(e);
        e.w().ZylCmdUsZylG->userClick();
        if (c.rechazo) {
            ASSERT_EQ(e.host().messages.size(), 1u);
            EXPECT_NE(e.host().lastMessage().find(c.rechazo), std::string::npos) << e.host().lastMessage();
            EXPECT_NE(e.host().lastMessage().find("No se ha grabado nada"), std::string::npos);
            EXPECT_EQ(e.tabla(), antes);
        } else {
            EXPECT_TRUE(e.host().messages.empty()) << e.host().lastMessage();
            EXPECT_EQ(e.tabla(), c.despues);
            EXPECT_EQ(e.w().Resultado, 0);
        }
    }
}

// An edit of a duplicated name is seen: the next open shows it for that name.
TEST(SoftwareEditor, AnEditOfADuplicatedNameIsWhatTheListShowsNext) {
    Editor e;
    e.escribeUsuarios({{2, {"ana", "2", "primera", ""}}, {6, {"ana", "6", "segunda", ""}}});
    e.w().ZylComCPUsuarios->userSelect(1);
    e.w().ZylCmdUsZylA->userClick();
    e.w().ZylTexE[24]->userEdit("editada");
    e.w().ZylCmdUsZylG->userClick();
    e.w().unload();
    e.w().ZylComCPUsuarios->userSelect(0);
    EXPECT_EQ(e.w().ZylTexE[24]->text(), "editada");
}

TEST(SoftwareEditor, AReadOnlyUserTableIsRefusedNamingTheFile) {
    Editor e;
    e.escribeUsuarios({{3, {"ana", "3", "x", "01/01/2026"}}});
    ASSERT_EQ(::chmod(e.usuarios().c_str(), 0444), 0);
    const std::string antes = zt::bytesDe(e.usuarios());
    e.escribeNombre("ana");
    e.w().ZylCmdUsZylA->userClick();
    e.w().ZylTexE[24]->userEdit("nuevo");
    e.w().ZylCmdUsZylG->userClick();
    ASSERT_EQ(e.host().messages.size(), 1u);
    EXPECT_NE(e.host().lastMessage().find(e.usuarios()), std::string::npos) << e.host().lastMessage();
    EXPECT_NE(e.host().lastMessage().find("solo lectura"), std::string::npos) << e.host().lastMessage();
    EXPECT_EQ(zt::bytesDe(e.usuarios()), antes);
}

TEST(SoftwareEditor, AReadOnlySoftwareRecordIsRefusedNamingTheFileAndKeepsItsMode) {
    for (mode_t modo : {0444, 0400}) {
        SCOPED_TRACE(modo);
        Editor e;
        ASSERT_EQ(::chmod(e.software().c_str(), modo), 0);
        const std::string antes = zt::bytesDe(e.software());
        e.w().ZylTexE[0]->userEdit("Otro");
        e.host().answers = {forms::vbYes};
        e.w().ZylCmdCPConGra->userClick();
        EXPECT_NE(e.host().lastMessage().find(e.software()), std::string::npos) << e.host().lastMessage();
        EXPECT_NE(e.host().lastMessage().find("solo lectura"), std::string::npos) << e.host().lastMessage();
        // Refused before the question is asked.
        EXPECT_EQ(e.host().countMessages("¿Desea reemplazar  " + e.software() + "  ?"), 0);
        EXPECT_EQ(zt::bytesDe(e.software()), antes);
        struct stat st {};
        ASSERT_EQ(::stat(e.software().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, modo);
        EXPECT_TRUE(e.w().loaded());
    }
    // One its owner may write keeps its mode through the save.
    Editor e;
    ASSERT_EQ(::chmod(e.software().c_str(), 0600), 0);
    e.host().answers = {forms::vbYes};
    e.w().ZylCmdCPConGra->userClick();
    struct stat st {};
    ASSERT_EQ(::stat(e.software().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_FALSE(e.p().ventanaSiExiste<ZylFrmCPri>()->loaded());
}

// Field 21 is the index of the list entry selected, by the user or by code, and "-1" when the
// combo's text was typed. The list: ana, luis.
TEST(SoftwareEditor, Field21IsTheSelectedListEntry) {
    struct Caso {
        const char* que;
        const char* guardado;  // field 21 of the stored record
        std::function<void(Editor&)> haz;
        const char* esperado;
    } casos[] = {
        {"the load selects the stored user", "1", [](Editor&) {}, "1"},
        {"a pick from the list", "0", [](Editor& e) { e.w().ZylComCPUsuarios->userSelect(1); }, "1"},
        {"\"&Recuperar\" selects the stored user again", "1",
         [](Editor& e) {
             e.w().ZylComCPUsuarios->userSelect(0);
             e.w().ZylCmdCPConRec->userClick();
         },
         "1"},
        {"a typed name that is not listed", "0", [](Editor& e) { e.escribeNombre("pedro"); }, "-1"},
        {"a typed name that spells a listed one", "0", [](Editor& e) { e.escribeNombre("luis"); }, "-1"},
        {"a pick, then typing over it", "0",
         [](Editor& e) {
             e.w().ZylComCPUsuarios->userSelect(1);
             e.w().ZylComCPUsuarios->userType("\bs");
         },
         "-1"},
        {"a stored index past the list", "7", [](Editor&) {}, "-1"},
        {"no stored index", "", [](Editor&) {}, "-1"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        Editor e;
        records::Record r = zt::AppFolder::softwareRecord("Distribuidor");
        r[21] = c.guardado;
        e.folder.writeSoftware(r);
        e.escribeUsuarios({{1, {"ana", "1", "", ""}}, {2, {"luis", "2", "", ""}}});
        c.haz(e);
        e.host().answers = {forms::vbYes};
        e.w().ZylCmdCPConGra->userClick();
        EXPECT_EQ(e.leeSoftware()[21], c.esperado);
    }
}

}  // namespace
