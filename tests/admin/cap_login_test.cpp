// The credentials window: a store replaces the ordinary user whole; empty fields, "Cancelar" and
// a file that cannot be written leave the stored user as it was.
#include "acceso_fixture.h"
#include "kit_fixture.h"
#include "zylma/admin/cap_login.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace zylma;
using admin::frmCapLogin;
namespace zt = zylma::testing;

namespace {

struct Credenciales : ::testing::Test {
    zt::Acceso a;
    std::string archivo;
    void SetUp() override {
        a.arranca();
        archivo = records::pathCredenciales(a.folder.path());
        zt::escribeCredenciales(a.folder.path(), zt::registroCredenciales("usuario-anterior-largo", "clave-anterior"));
        ::chmod(archivo.c_str(), 0644);
        admin::MuestraCapLogin(a.p());
    }
    frmCapLogin& w() { return a.p().ventana<frmCapLogin>(); }
    frmCapLogin* existe() { return a.p().ventanaSiExiste<frmCapLogin>(); }
    void escribe(const std::string& usuario, const std::string& clave) {
        w().txtUsuario->userType(usuario);
        w().txtPassword->userType(clave);
    }
};

TEST_F(Credenciales, AStoreReplacesTheRecordWholeForTheOwnerOnly) {
    EXPECT_TRUE(w().visible());
    EXPECT_FALSE(w().modal());
    EXPECT_EQ(w().caption(), "ZYLMA");
    EXPECT_EQ(w().txtPassword->passwordChar, '*');
    escribe("nuevo", "clave");
    w().cmdOK->userClick();
    EXPECT_EQ(zt::leeBytes(archivo), zt::registroCredenciales("nuevo", "clave"));
    struct stat st {};
    ASSERT_EQ(::stat(archivo.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(existe()->loaded());
    EXPECT_TRUE(a.h->host.messages.empty());
}

TEST_F(Credenciales, TheNewUserLogsInAndTheOldOneNoLonger) {
    escribe("nuevo", "clave");
    w().cmdOK->userClick();
    // "PC": an ordinary login goes straight to the main window.
    zt::Acceso viejo;
    viejo.arranca("PC");
    fs::copy_file(archivo, records::pathCredenciales(viejo.folder.path()), fs::copy_options::overwrite_existing);
    viejo.teclea("usuario-anterior-largo", "clave-anterior");
    EXPECT_TRUE(viejo.h->host.quitting());
    zt::Acceso nuevo;
    nuevo.arranca("PC");
    fs::copy_file(archivo, records::pathCredenciales(nuevo.folder.path()), fs::copy_options::overwrite_existing);
    nuevo.teclea("nuevo", "clave");
    EXPECT_FALSE(nuevo.h->host.quitting());
    EXPECT_EQ(nuevo.p().NivelUsuario, admin::kNivelOtro);
}

// Nothing stored, the window stays, the user is told.
struct Vacio {
    const char* usuario;
    const char* clave;
};
class CredencialesVacias : public Credenciales, public ::testing::WithParamInterface<Vacio> {};

TEST_P(CredencialesVacias, AreRefusedWithAMessage) {
    const std::string antes = zt::leeBytes(archivo);
    escribe(GetParam().usuario, GetParam().clave);
    w().cmdOK->userClick();
    EXPECT_EQ(a.h->host.lastMessage(), admin::kFaltanCredenciales);
    EXPECT_EQ(zt::leeBytes(archivo), antes);
    EXPECT_TRUE(w().visible());
}

INSTANTIATE_TEST_SUITE_P(Casos, CredencialesVacias,
                         ::testing::Values(Vacio{"", "clave"}, Vacio{"nuevo", ""}, Vacio{"", ""}));

TEST_F(Credenciales, CancelarClosesTheWindowAndStoresNothing) {
    const std::string antes = zt::leeBytes(archivo);
    escribe("nuevo", "clave");
    w().cmdCancel->userClick();
    EXPECT_FALSE(existe()->loaded());
    EXPECT_EQ(zt::leeBytes(archivo), antes);
    // Shown again, it comes up empty.
    admin::MuestraCapLogin(a.p());
    EXPECT_EQ(w().txtUsuario->text(), "");
    EXPECT_TRUE(w().visible());
}

TEST_F(Credenciales, AFileThatCannotBeWrittenIsNamedAndTheWindowStays) {
    fs::remove(archivo);
    fs::create_directories(archivo + "/ocupado");
    escribe("nuevo", "clave");
    w().cmdOK->userClick();
    EXPECT_NE(a.h->host.lastMessage().find("No se pudo escribir el archivo de acceso " + archivo), std::string::npos)
        << a.h->host.lastMessage();
    EXPECT_TRUE(w().visible());
    EXPECT_TRUE(fs::is_directory(archivo + "/ocupado"));
}

TEST_F(Credenciales, AReadOnlyFileIsNamedAndKeptAsItWas) {
    ASSERT_EQ(::chmod(archivo.c_str(), 0400), 0);
    const std::string antes = zt::leeBytes(archivo);
    escribe("nuevo", "clave");
    w().cmdOK->userClick();
    EXPECT_NE(a.h->host.lastMessage().find(archivo), std::string::npos) << a.h->host.lastMessage();
    EXPECT_NE(a.h->host.lastMessage().find("solo lectura"), std::string::npos) << a.h->host.lastMessage();
    EXPECT_EQ(zt::leeBytes(archivo), antes);
    struct stat st {};
    ASSERT_EQ(::stat(archivo.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0400u);
    EXPECT_TRUE(w().visible());
}

TEST_F(Credenciales, TextsTheRecordCannotHoldLeaveTheOldOne) {
    const std::string antes = zt::leeBytes(archivo);
    const std::pair<std::string, std::string> casos[] = {
        {std::string(600, 'u'), std::string(600, 'c')},  // longer than the record
        {"Łukasz", "clave"},                             // a letter the file's code page has not
    };
    for (const auto& [usuario, clave] : casos) {
        SCOPED_TRACE(usuario.substr(0, 10));
        escribe(usuario, clave);
        w().cmdOK->userClick();
        EXPECT_NE(a.h->host.lastMessage().find("No se pudo escribir el archivo de acceso"), std::string::npos);
        EXPECT_EQ(zt::leeBytes(archivo), antes);
        EXPECT_TRUE(w().visible());
    }
}

}  // namespace
