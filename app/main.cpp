// Principal: the desktop program.
#include "zylma/app/arranque.h"
#include "zylma/app/programa.h"
#include "zylma/files/files.h"
#include "zylma/qt/qt_host.h"
#include "zylma/serial/qt_serial_port.h"

#if __has_include("zylma/models/modelos.h")
#include "zylma/models/modelos.h"
#define ZYLMA_HAS_MODELS 1
#endif

int main(int argc, char** argv) {
    return zylma::qt::runApplication(argc, argv, [](zylma::qt::QtHost& host) {
        zylma::app::Programa programa(host, zylma::files::appFolder(), [] { return zylma::serial::makeQtSerialPort(); });
#ifdef ZYLMA_HAS_MODELS
        zylma::models::RegistraModelos(programa.modelos());
#endif
        zylma::app::Arranca(programa);
        if (host.quitting()) return host.exitCode();
        return host.exec();
    });
}
