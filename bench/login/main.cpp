// Times the way in, offscreen, on the build tree's application folder (the kit's records):
//   1. from the program's start to the login window shown;
//   2. from a port choice to the main window shown (its load reads the records and opens the port,
//      here the simulator's pty).
// The start is taken from the first argument (CLOCK_REALTIME in ns, `date +%s%N` in the shell
// that starts this program), so loading the program and Qt count; without it, from main().
//
//   for i in $(seq 10); do build/bench/login/bench_login $(date +%s%N); done
#include "zylma/admin/acceso.h"
#include "zylma/admin/arranque.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/qt/qt_host.h"
#include "zylma/serial/qt_serial_port.h"
#include "zylma/sim/pty.h"

#ifdef ZYLMA_HAS_MODELS
#include "zylma/models/modelos.h"
#endif

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

long long ahoraNs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

double ms(long long desde, long long hasta) { return static_cast<double>(hasta - desde) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    const long long inicio = argc > 1 ? std::atoll(argv[1]) : ahoraNs();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const char* app = std::getenv("ZYLMA_APP") ? std::getenv("ZYLMA_APP") : ZYLMA_APP_DIR;

    std::string error;
    auto pty = zylma::sim::PtyDevice::open(error);
    if (!pty) {
        std::fprintf(stderr, "bench_login: no pty: %s\n", error.c_str());
        return 1;
    }
    setenv("ZYLMA_COM1", pty->slavePath().c_str(), 1);

    return zylma::qt::runApplication(argc, argv, [&](zylma::qt::QtHost& host) {
        zylma::qt::applyStandardFont();
        zylma::app::Programa p(host, app, [] { return zylma::serial::makeQtSerialPort(); });
#ifdef ZYLMA_HAS_MODELS
        zylma::models::RegistraModelos(p.modelos());
#endif
        zylma::admin::Arranca(p);
        auto& login = p.ventana<zylma::admin::ZylFrmLogin>();
        QApplication::processEvents();  // drawn
        const long long loginVisible = ahoraNs();
        QWidget* wl = host.windowOf(login);
        if (host.quitting() || !wl || !wl->isVisible()) {
            std::fprintf(stderr, "bench_login: the login did not show (application folder %s)\n", app);
            return 1;
        }

        login.txtUserName->userType("Ingenieria");
        login.txtPassword->userType("Trufa");
        login.cmdOK->userClick();
        auto& puerto = p.ventana<zylma::admin::ZylFrmSelPort>();
        QApplication::processEvents();

        const long long eleccion = ahoraNs();
        puerto.ZylCmbNumPort->userSelect(0);
        QApplication::processEvents();
        const long long principalVisible = ahoraNs();
        QWidget* wp = p.priExiste() ? host.windowOf(p.pri()) : nullptr;
        if (!wp || !wp->isVisible() || !p.puerto().isOpen()) {
            std::fprintf(stderr, "bench_login: the main window did not show with its port open\n");
            return 1;
        }
        const double a = ms(inicio, loginVisible), b = ms(eleccion, principalVisible);
        std::printf("start to login shown %.1f ms, port choice to main window shown %.1f ms, together %.1f ms\n", a,
                    b, a + b);
        p.termina(0);
        return 0;
    });
}
