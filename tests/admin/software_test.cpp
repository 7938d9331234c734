// The software record and users editor: the flags between text, boxes and record, what a save
// keeps and what it refuses, and the user table's keyed saves.
#include "acceso_fixture.h"
#include "zylma/admin/arranque.h"
#include "zylma/admin/cap_login.h"
#include "zylma/admin/configuracion.h"
#include "zylma/admin/editores.h"
#include "zylma/admin/software.h"
#include "zylma/app/monitor.h"

#include <gtest/gtest.h>

#include <filesystem>

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
    EXPECT_EQ(e.w().ZylTexE[13]->text(), "");

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
    struct Caso {
        const char* reintentos;
        const char* espera;
        bool graba;
    } casos[] = {
        {"0", "0", true},       {"32767", "32", true}, {" 4 ", "7", true},
        {"", "", false},        // a save without "&Recuperar" first
        {"3", "33", false},     {"3", "-1", false},    {"-1", "10", false}, {"32768", "10", false},
        {"3", "1.5", false},    {"tres", "10", false}, {"3", "10s", false},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.reintentos) + " / " + c.espera);
        Editor e;
        const std::string antes = zt::bytesDe(e.software());
        e.w().ZylCmdCPConRec->userClick();
        e.w().ZylTexE[20]->userEdit(c.reintentos);
        e.w().ZylTexE[21]->userEdit(c.espera);
        e.host().messages.clear();
        e.w().ZylCmdCPConGra->userClick();
        if (c.graba) {
            EXPECT_EQ(e.leeSoftware()[24], c.espera);
        } else {
            EXPECT_EQ(zt::bytesDe(e.software()), antes);
            ASSERT_EQ(e.host().messages.size(), 1u);
            EXPECT_NE(e.host().messages[0].text.find("No se ha grabado nada"), std::string::npos);
            EXPECT_TRUE(e.w().loaded());
        }
    }
}

TEST(SoftwareEditor, AMissingOrDamagedSoftwareRecordIsToldAndNothingIsWritten) {
    for (bool danado : {false, true}) {
        SCOPED_TRACE(danado ? "damaged" : "missing");
        Editor e(false);
        if (danado) {
            std::ofstream(e.software(), std::ios::binary) << std::string("\xF0\x03Zylma", 7) << std::string(993, '\0');
        }
        const auto antes = zt::snapshot(e.folder.path());
        e.w().ZylCmdCPConRec->userClick();
        ASSERT_EQ(e.host().messages.size(), 1u);
        EXPECT_NE(e.host().messages[0].text.find(e.software()), std::string::npos);
        e.w().ZylTexE[20]->userEdit("3");
        e.w().ZylTexE[21]->userEdit("10");
        e.w().ZylCmdCPConGra->userClick();
        ASSERT_EQ(e.host().messages.size(), 2u);
        EXPECT_NE(e.host().messages[1].text.find("No se ha grabado nada"), std::string::npos);
        EXPECT_EQ(zt::snapshot(e.folder.path()), antes);
        EXPECT_TRUE(e.w().loaded());
    }
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
    EXPECT_NE(e.host().lastMessage().find("ya pertenece a otro usuario"), std::string::npos);
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

}  // namespace
