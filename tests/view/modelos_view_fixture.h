// What the model panels' view tests share: a program under the Qt host with a recording port,
// a read answered from an image, and the pictures left in the build tree.
#pragma once

#include "../models/modelos_fixture.h"
#include "fixture.h"
#include "qt_test_app.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/imagen.h"
#include "zylma/models/modelos.h"
#include "zylma/qt/qt_host.h"
#include "zylma/records/records.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace zylma::testing {

// Where a picture goes: screenshots/ in the build tree.
inline std::string Captura(const std::string& nombre) {
    std::filesystem::create_directories(std::string(ZYLMA_BINARY_DIR) + "/screenshots");
    return std::string(ZYLMA_BINARY_DIR) + "/screenshots/" + nombre;
}

// A configuration record with the key, the visible restrictions, the flag text and the first
// `restricciones` restriction captions the installation kit gives.
inline records::Record ConfiguracionVista(const std::string& visibles, const std::string& clave,
                                          std::size_t restricciones) {
    static const char* const kNombres[] = {"Nacional (01)", "Internacional (00)", "Celulares (044)",
                                           "Números 900", "Servicios especiales (040)", "Por cobrar (020)",
                                           "Locales", "Operadora (090)", "Números 800"};
    records::Record conf(57);
    conf[40] = visibles;
    conf[43] = clave;
    for (std::size_t k = 0; k < restricciones && k < std::size(kNombres); ++k) conf[45 + k] = kNombres[k];
    conf[55] = "000000000";
    return conf;
}

// A program over `carpeta` under the Qt host, its port a recording one, every model registered
// and the main window shown.
struct ProgramaVista {
    FakePort* port = nullptr;
    std::unique_ptr<qt::QtHost> host;
    std::unique_ptr<app::Programa> p;

    explicit ProgramaVista(const std::string& carpeta) {
        qt::testing::app();
        qt::applyStandardFont();
        host = std::make_unique<qt::QtHost>();
        p = std::make_unique<app::Programa>(*host, carpeta, [this] {
            auto fp = std::make_unique<FakePort>();
            port = fp.get();
            return fp;
        });
        models::RegistraModelos(p->modelos());
        p->pri().show();
    }
    // The program goes before the host that draws it.
    ~ProgramaVista() {
        p.reset();
        host.reset();
    }
    app::ZylForPri& w() { return p->pri(); }
    // The model's button pressed, a read started and answered with the map-form image `mapa`.
    void lee(std::size_t boton, const std::string& mapa) {
        w().ZylCmd[boton]->userClick();
        w().comando(3).userClick();
        port->arrive(codec::RecepcionDesdeMapa(mapa));
        QApplication::processEvents();
    }
    // The panel drawn to `nombre` in screenshots/; its path.
    std::string captura(const std::string& nombre) {
        const std::string png = Captura(nombre);
        EXPECT_TRUE(qt::grabForm(w(), png));
        return png;
    }
    // The control is drawn and visible.
    void esVisible(const char* nombre, int indice = -1) {
        QWidget* wdg = host->widgetOf(*w().find(nombre, indice));
        ASSERT_NE(wdg, nullptr) << nombre;
        EXPECT_TRUE(wdg->isVisible()) << nombre;
    }
};

}  // namespace zylma::testing
