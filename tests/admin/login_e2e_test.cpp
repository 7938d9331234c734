// The port choice against the simulator behind a real pseudo-terminal.
#include "acceso_fixture.h"
#include "sim_line.h"
#include "zylma/app/enlace.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace zylma;
namespace zt = zylma::testing;

namespace {

TEST(LoginE2E, ChoiceThreeOpensTheDeviceZylmaCom3NamesAndReachesIt) {
    zt::AppFolder folder;
    folder.writeSoftware(zt::AppFolder::softwareRecord());
    zt::SimLine line(sim::Options{});
    ::setenv("ZYLMA_COM3", line.path().c_str(), 1);
    forms::TestHost host;
    app::Programa p(host, folder.path(), [&host] { return serial::makePosixSerialPort(host); });

    admin::MuestraLogin(p);
    auto& login = p.ventana<admin::ZylFrmLogin>();
    login.txtUserName->userType("Ingenieria");
    login.txtPassword->userType("Trufa");
    login.cmdOK->userClick();
    p.ventana<admin::ZylFrmSelPort>().ZylCmbNumPort->userSelect(2);
    ::unsetenv("ZYLMA_COM3");

    EXPECT_EQ(p.NumPuerto, 3);
    ASSERT_TRUE(p.puerto().isOpen()) << host.lastMessage();
    EXPECT_EQ(p.puerto().device(), line.path());
    EXPECT_TRUE(host.messages.empty()) << host.lastMessage();
    EXPECT_TRUE(p.pri().visible());

    app::EnviaSerie(p, "ABC");
    ASSERT_TRUE(host.waitFor([&] { return p.IndiceEnvio == 1 && p.ComandoSerie == "ABC"; }));
    host.pump(50);
    line.stop();
    EXPECT_EQ(line.device().frames(), std::vector<std::string>{"ABC"});
}

}  // namespace
