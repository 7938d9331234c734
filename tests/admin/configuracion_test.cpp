// The configuration record editor: the record's round trip through the window, the flag
// families, the equipment list's keyed save, and every save it must refuse.
#include "acceso_fixture.h"
#include "zylma/admin/configuracion.h"
#include "zylma/app/monitor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace zylma;
using admin::ZylFrmConf;
namespace zt = zylma::testing;
namespace fs = std::filesystem;

namespace {

using Equipos = std::vector<std::pair<std::string, std::string>>;

struct Editor {
    zt::AppFolder folder;
    std::unique_ptr<zt::ProgramHarness> h;

    // Model folders as the installation has them (the Téndro's is "Tendro").
    explicit Editor(Equipos equipos = {}) {
        for (const char* m : {"Tendro", "Fenzo", "Tresmolinas"})
            fs::create_directories(fs::path(folder.path()) / m / "Configuracion");
        if (!equipos.empty()) {
            records::ArchivoRegistros f;
            EXPECT_EQ(f.openWrite(lista(), records::RegistroEquipo), records::Status::Ok);
            int n = 1;
            for (const auto& [m, id] : equipos) EXPECT_EQ(f.write(n++, {m, id}), records::Status::Ok);
        }
        h = std::make_unique<zt::ProgramHarness>(folder.path());
    }
    app::Programa& p() { return *h->programa; }
    ZylFrmConf& w() { return p().ventana<ZylFrmConf>(); }
    forms::TestHost& host() { return h->host; }
    std::string lista() const { return records::pathEquipo(folder.path()); }
    std::string conf(const std::string& m, const std::string& v) const {
        return records::pathConfiguracion(folder.path(), m, v);
    }
    std::vector<records::Record> equipos() {
        std::vector<records::Record> v;
        records::scanTable(lista(), records::RegistroEquipo, [&](int, const records::Record& r) {
            if (!r[0].empty()) v.push_back(r);
            return true;
        });
        return v;
    }
    records::Record leeConf(const std::string& m, const std::string& v) {
        records::Record r;
        EXPECT_EQ(records::readSingle(conf(m, v), records::RegistroConfiguracion, r), records::Status::Ok);
        return r;
    }
    // A choice in the model list.
    void elige(const std::string& modelo) {
        const auto& l = w().ZylComVis->list();
        auto it = std::find(l.begin(), l.end(), modelo);
        ASSERT_NE(it, l.end()) << modelo;
        w().ZylComVis->userSelect(static_cast<int>(it - l.begin()));
    }
    std::string estado() {
        std::string s;
        for (auto* c : w().ZylChkConVis) s += std::to_string(c->value());
        s += "|";
        for (auto* c : w().ZylLabConchk) s += std::to_string(c->value());
        s += "|";
        for (auto* c : w().ResV) s += std::to_string(c->value());
        return s;
    }
};

records::Record registroTendro() {
    records::Record r(57);
    for (int i = 0; i < 20; ++i) r[i] = "Parámetro " + std::to_string(i + 1);
    for (int i = 0; i < 20; ++i) r[20 + i] = std::to_string(100 + i);
    r[40] = "101010101";
    r[41] = "Tendro";
    r[42] = "ID7";
    r[43] = "1234";
    r[44] = "30";
    for (int i = 0; i < 9; ++i) r[45 + i] = "Res " + std::to_string(i + 1);
    r[54] = "10000000000000000001";
    r[55] = "110000001";
    r[56] = "01/02/2026";
    return r;
}

TEST(ConfigEditor, AFreshWindowShowsFirmware30NoTicksAndOneLinePerListEntry) {
    Editor e(Equipos{{"Tendro", "A"}, {"", "hueco"}, {"Fenzo", "B"}, {"Tendro", "C"}});
    EXPECT_EQ(e.w().ZylTexFirm->text(), "30");
    EXPECT_EQ(e.estado(), std::string(20, '0') + "|" + std::string(9, '0') + "|" + std::string(9, '0'));
    EXPECT_EQ(e.w().ZylTexDefchk->text(), "0000000000");
    EXPECT_EQ(e.w().ZylTexDefchk2->text(), "000000000");
    EXPECT_EQ(e.w().ZylTexDefchk3->text(), "0");
    EXPECT_EQ(e.w().ZylTxtConReg->text(), "000000000");
    EXPECT_EQ(e.w().ZylTxtConVis->text(), "000000000");
    EXPECT_EQ(e.w().ZylComVis->list(), (std::vector<std::string>{"Tendro", "Fenzo", "Tendro"}));
    EXPECT_TRUE(e.host().messages.empty());
}

TEST(ConfigEditor, ARecordIsShownAndSavedBackFieldForField) {
    Editor e(Equipos{{"Tendro", "ID7"}});
    const records::Record r = registroTendro();
    e.folder.writeConfig("Tendro", "30", r);
    e.elige("Tendro");
    EXPECT_EQ(e.w().ZylTexPar[19]->text(), "Parámetro 20");
    EXPECT_EQ(e.w().ZylTexDef[0]->text(), "100");
    EXPECT_EQ(e.w().ZylTexCla->text(), "1234");
    EXPECT_EQ(e.w().ZylTexFec->text(), "01/02/2026");
    EXPECT_EQ(e.estado(), "10000000000000000001|110000001|101010101");
    EXPECT_EQ(e.w().BanderasVisibleParametro[19], "1");
    EXPECT_EQ(e.w().BanderasEstadoRestriccion[1], "1");
    EXPECT_EQ(e.w().BanderasVisibleRestriccion[8], "1");

    e.w().ZylChkConVis[19]->userClick();  // parameter 20 hidden now
    e.w().ResV[1]->userClick();
    e.w().ZylTexPar[0]->userEdit("Tarifa");
    e.w().ZylCmdGra->userClick();
    ASSERT_EQ(e.host().messages.size(), 1u);
    EXPECT_EQ(e.host().messages[0].text, "¿Desea reemplazar  " + e.conf("Tendro", "30") + "  ?");
    EXPECT_EQ(e.host().messages[0].style & 7, forms::vbOKCancel);

    records::Record esperado = r;
    esperado[0] = "Tarifa";
    esperado[54] = "10000000000000000000";
    esperado[40] = "111010101";
    esperado[56] = app::FechaHoy();
    EXPECT_EQ(e.leeConf("Tendro", "30"), esperado);
    // The date box keeps what the record said when it was read.
    EXPECT_EQ(e.w().ZylTexFec->text(), "01/02/2026");
    EXPECT_EQ(e.equipos(), (std::vector<records::Record>{{"Tendro", "ID7"}}));
}

// A read-only configuration record or equipment list: the save names the file, writes neither
// and asks nothing; a writable one keeps the mode it had.
TEST(ConfigEditor, AReadOnlyFileIsRefusedNamingItAndAWritableOneKeepsItsMode) {
    struct Caso {
        const char* que;
        mode_t conf;
        mode_t lista;
        bool graba;
    } casos[] = {
        {"read-only record", 0444, 0644, false},
        {"read-only equipment list", 0600, 0440, false},
        {"both writable, with modes of their own", 0600, 0640, true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        Editor e(Equipos{{"Tendro", "ID7"}});
        e.folder.writeConfig("Tendro", "30", registroTendro());
        ASSERT_EQ(::chmod(e.conf("Tendro", "30").c_str(), c.conf), 0);
        ASSERT_EQ(::chmod(e.lista().c_str(), c.lista), 0);
        const auto antes = zt::snapshot(e.folder.path());
        e.elige("Tendro");
        e.w().ZylTexPar[0]->userEdit("Tarifa");
        e.w().ZylTexIde->userEdit("ID8");
        e.host().answers = {forms::vbOK};
        e.w().ZylCmdGra->userClick();
        struct stat a {}, b {};
        ASSERT_EQ(::stat(e.conf("Tendro", "30").c_str(), &a), 0);
        ASSERT_EQ(::stat(e.lista().c_str(), &b), 0);
        EXPECT_EQ(a.st_mode & 07777, c.conf);
        EXPECT_EQ(b.st_mode & 07777, c.lista);
        if (c.graba) {
            EXPECT_EQ(e.leeConf("Tendro", "30")[0], "Tarifa");
            EXPECT_EQ(e.equipos().size(), 2u);
            continue;
        }
        ASSERT_EQ(e.host().messages.size(), 1u);
        const std::string archivo = c.conf == 0444 ? e.conf("Tendro", "30") : e.lista();
        EXPECT_NE(e.host().lastMessage().find(archivo), std::string::npos) << e.host().lastMessage();
        EXPECT_NE(e.host().lastMessage().find("solo lectura"), std::string::npos);
        EXPECT_EQ(zt::snapshot(e.folder.path()), antes);
    }
}

TEST(ConfigEditor, FlagFieldsOfAnyLengthTickOnlyTheirOnes) {
    struct Caso {
        const char* campo54;
        const char* campo55;
        const char* visibles;  // the boxes of field 54, then 55
        const char* guardado54;
    } casos[] = {
        {"1111111111111111111", "1", "11111111111111111110|100000000", "11111111111111111110"},
        {"", "", "00000000000000000000|000000000", "00000000000000000000"},
        {"00000000000000000001", "0000000011", "00000000000000000001|000000001", "00000000000000000001"},
        {"1x2 1000001111111111", "21", "10001000001111111111|010000000", "10001000001111111111"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.campo54);
        Editor e(Equipos{{"Tendro", "ID7"}});
        records::Record r = registroTendro();
        r[40] = "";
        r[54] = c.campo54;
        r[55] = c.campo55;
        e.folder.writeConfig("Tendro", "30", r);
        e.elige("Tendro");
        EXPECT_EQ(e.estado(), std::string(c.visibles) + "|000000000");
        e.w().ZylCmdGra->userClick();
        const records::Record g = e.leeConf("Tendro", "30");
        EXPECT_EQ(g[54], c.guardado54);
        EXPECT_EQ(g[54].size(), 20u);
        EXPECT_EQ(g[55].size(), 9u);
        EXPECT_EQ(g[40], "000000000");
    }
}

TEST(ConfigEditor, SettingAFlagStringToItsOwnTextTouchesNoBox) {
    Editor e;
    e.w().ZylTexDefchk->setText("1000000000");
    int clicks = 0;
    for (auto* c : e.w().ZylChkConVis) {
        auto antes = c->onClick;
        c->onClick = [&clicks, antes] {
            ++clicks;
            antes();
        };
    }
    e.w().ZylTexDefchk->setText("1000000000");
    EXPECT_EQ(clicks, 0);
    // A box ticked by hand is not undone by its string until the string itself changes.
    e.w().ZylChkConVis[1]->userClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(e.w().ZylTexDefchk->text(), "1000000000");
    EXPECT_EQ(e.w().BanderasVisibleParametro[1], "1");
}

TEST(ConfigEditor, TheEquipmentListGrowsOncePerModelAndDeviceIdExactlyCompared) {
    Editor e;
    auto graba = [&](const std::string& modelo, const std::string& id) {
        e.w().ZylComVis->setText(modelo);
        e.w().ZylTexIde->setText(id);
        e.w().ZylCmdGra->userClick();
    };
    graba("Tendro", "A");
    // No list yet: said, then made with the first entry.
    ASSERT_EQ(e.host().messages.size(), 1u);
    EXPECT_EQ(e.host().messages[0].text, "No existe archivo de configuración. Se creara uno nuevo");
    graba("Tendro", "A");  // asks to replace the file, adds no entry
    EXPECT_EQ(e.host().messages.size(), 2u);
    EXPECT_EQ(e.host().messages[1].text.rfind("¿Desea reemplazar  ", 0), 0u);
    graba("Tendro", "B");
    graba("tendro", "B");  // another model for the list; the same folder on disk
    EXPECT_EQ(e.equipos(), (std::vector<records::Record>{{"Tendro", "A"}, {"Tendro", "B"}, {"tendro", "B"}}));
    EXPECT_EQ(e.leeConf("Tendro", "30")[41], "tendro");
    e.w().unload();
    EXPECT_EQ(e.w().ZylComVis->list(), (std::vector<std::string>{"Tendro", "Tendro", "tendro"}));
}

TEST(ConfigEditor, SavesThatMustNotWriteLeaveEveryFileAsItWas) {
    struct Caso {
        const char* que;
        const char* modelo;
        const char* firmware;
        int respuesta;  // to the replace question, when it comes
        const char* mensaje;
    } casos[] = {
        {"no model", "", "30", 0, "No se ha seleccionado equipo"},
        {"model without its folder", "Sonobrisa", "30", 0, "No existe la carpeta de configuración"},
        {"a model that climbs out of the folder", "../../x", "30", 0, "no es válido"},
        {"a model with a path in it", "Tendro/Configuracion", "30", 0, "no es válido"},
        {"no firmware", "Tendro", "", 0, "Escriba el firmware"},
        {"a firmware with a path in it", "Tendro", "30/../../x", 0, "Escriba el firmware"},
        {"replace cancelled", "Tendro", "30", forms::vbCancel, "¿Desea reemplazar  "},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        Editor e(Equipos{{"Tendro", "ID7"}});
        e.folder.writeConfig("Tendro", "30", registroTendro());
        const auto antes = zt::snapshot(e.folder.path());
        e.w().ZylComVis->setText(c.modelo);
        e.w().ZylTexFirm->setText(c.firmware);
        e.w().ZylTexIde->setText("ID9");
        e.w().ZylTexPar[0]->setText("cambiado");
        if (c.respuesta) e.host().answers = {c.respuesta};
        e.w().ZylCmdGra->userClick();
        ASSERT_EQ(e.host().messages.size(), 1u);
        EXPECT_NE(e.host().messages[0].text.find(c.mensaje), std::string::npos) << e.host().messages[0].text;
        EXPECT_EQ(e.host().messages[0].title, "ZYLMA");
        EXPECT_EQ(zt::snapshot(e.folder.path()), antes);
    }
}

TEST(ConfigEditor, TextsTheRecordsCannotHoldAreRefusedBeforeWritingWithTheirCause) {
    const std::string noSeGuarda = records::describe(records::Status::Unmappable);
    struct Caso {
        const char* que;
        void (*escribe)(ZylFrmConf&);
        std::string dice;     // what the message must hold
        bool nombraArchivo;   // the configuration file's path in it
    } casos[] = {
        {"configuration record too long",
         [](ZylFrmConf& w) { for (auto* t : w.ZylTexPar) t->setText(std::string(60, 'x')); },
         "no caben en su registro de 1000 caracteres", false},
        {"equipment entry too long", [](ZylFrmConf& w) { w.ZylTexIde->setText(std::string(41, '7')); },
         "46 caracteres", false},
        // Short texts with a character Windows-1252 has not: not a matter of size.
        {"a caption the code page cannot hold", [](ZylFrmConf& w) { w.ZylTexPar[3]->setText("Łódź"); }, noSeGuarda,
         true},
        {"a device ID the code page cannot hold", [](ZylFrmConf& w) { w.ZylTexIde->setText("ID€Ł"); }, noSeGuarda,
         true},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.que);
        Editor e;
        e.w().ZylComVis->setText("Tendro");
        c.escribe(e.w());
        const auto antes = zt::snapshot(e.folder.path());
        e.w().ZylCmdGra->userClick();
        ASSERT_EQ(e.host().messages.size(), 1u);
        const std::string& m = e.host().lastMessage();
        EXPECT_NE(m.find(c.dice), std::string::npos) << m;
        EXPECT_NE(m.find("No se ha grabado nada"), std::string::npos) << m;
        EXPECT_EQ(m.find("Tendro30.Wcon") != std::string::npos, c.nombraArchivo) << m;
        if (c.nombraArchivo) {
            EXPECT_EQ(m.find("caben"), std::string::npos) << m;
        }
        EXPECT_EQ(zt::snapshot(e.folder.path()), antes);
    }
}

TEST(ConfigEditor, AMissingRecordIsOfferedNewAndNothingIsWrittenUntilSaved) {
    Editor e(Equipos{{"Tendro", "ID7"}, {"Fenzo", "F1"}});
    e.folder.writeConfig("Tendro", "30", registroTendro());
    e.elige("Tendro");
    const std::string antes = e.estado();
    const auto archivos = zt::snapshot(e.folder.path());

    // No: the window keeps what it shows.
    e.host().answers = {forms::vbNo};
    e.elige("Fenzo");
    ASSERT_EQ(e.host().messages.size(), 1u);
    EXPECT_EQ(e.host().messages[0].text, "No existe archivo de configuración. Crear uno nuevo?");
    EXPECT_EQ(e.host().messages[0].style & 7, forms::vbYesNo);
    EXPECT_EQ(e.w().ZylTexPar[0]->text(), "Parámetro 1");
    EXPECT_EQ(e.w().ZylTexIde->text(), "ID7");
    EXPECT_EQ(e.estado(), antes);

    // Yes: an empty record for that model and firmware; still no file.
    e.host().answers = {forms::vbYes};
    e.w().ZylComVis->userSelect(1);
    EXPECT_EQ(e.w().ZylTexPar[0]->text(), "");
    EXPECT_EQ(e.w().ZylTexIde->text(), "");
    EXPECT_EQ(e.w().ZylTexCla->text(), "");
    EXPECT_EQ(e.w().ZylComVis->text(), "Fenzo");
    EXPECT_EQ(e.w().ZylTexFirm->text(), "30");
    EXPECT_EQ(e.estado(), std::string(20, '0') + "|" + std::string(9, '0') + "|" + std::string(9, '0'));
    EXPECT_EQ(zt::snapshot(e.folder.path()), archivos);

    e.w().ZylTexIde->setText("F1");
    e.w().ZylCmdGra->userClick();
    EXPECT_EQ(e.leeConf("Fenzo", "30")[41], "Fenzo");
    EXPECT_EQ(e.equipos().size(), 2u);
}

TEST(ConfigEditor, FileNamesFollowTheModelsFoldersAndAnyCase) {
    Editor e(Equipos{{"Tresmolina", "T"}});
    // Written once under another case: loaded and replaced as the same file.
    records::Record r = registroTendro();
    r[41] = "Tresmolina";
    r[44] = "8";
    const fs::path otro = fs::path(e.folder.path()) / "Tresmolinas" / "Configuracion" / "TRESMOLINAS8.WCON";
    ASSERT_EQ(records::writeSingle(otro.string(), records::RegistroConfiguracion, r), records::Status::Ok);
    e.w().ZylTexFirm->setText("8");
    e.elige("Tresmolina");
    EXPECT_TRUE(e.host().messages.empty());
    EXPECT_EQ(e.w().ZylTexPar[0]->text(), "Parámetro 1");
    e.w().ZylCmdGra->userClick();
    ASSERT_EQ(e.host().messages.size(), 1u);
    EXPECT_EQ(e.host().messages[0].text, "¿Desea reemplazar  " + otro.string() + "  ?");
    int archivos = 0;
    for (const auto& f : fs::directory_iterator(otro.parent_path())) archivos += f.is_regular_file();
    EXPECT_EQ(archivos, 1);
    records::Record g;
    ASSERT_EQ(records::readSingle(otro.string(), records::RegistroConfiguracion, g), records::Status::Ok);
    EXPECT_EQ(g[56], app::FechaHoy());
}

TEST(ConfigEditor, ADamagedRecordIsToldAndTheWindowKeepsWhatItShows) {
    Editor e(Equipos{{"Tendro", "ID7"}});
    fs::create_directories(fs::path(e.conf("Tendro", "30")).parent_path());
    std::ofstream(e.conf("Tendro", "30"), std::ios::binary) << std::string("\xF0\x03x", 3);
    e.w().ZylTexPar[0]->setText("mío");
    e.elige("Tendro");
    ASSERT_EQ(e.host().messages.size(), 1u);
    EXPECT_NE(e.host().lastMessage().find("No se puede leer el archivo de configuración"), std::string::npos);
    EXPECT_EQ(e.w().ZylTexPar[0]->text(), "mío");
}

}  // namespace
