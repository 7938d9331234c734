// Principal: the desktop program.
#include "zylma/admin/arranque.h"
#include "zylma/app/programa.h"
#include "zylma/files/files.h"
#include "zylma/models/modelos.h"
#include "zylma/qt/qt_host.h"
#include "zylma/serial/qt_serial_port.h"

int main(int argc, char** argv) {
    return zylma::qt::runApplication(argc, argv, [](zylma::qt::QtHost& host) {
        zylma::app::Programa programa(host, zylma::files::appFolder(), [] { return zylma::serial::makeQtSerialPort(); });
        zylma::models::RegistraModelos(programa.modelos());
        zylma::admin::Arranca(programa);
        if (host.quitting()) return host.exitCode();
        return host.exec();
    });
}
