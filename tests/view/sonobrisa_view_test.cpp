// The Sonobrisa panel as a technician sees it after a read.
#include "fixture.h"
#include "qt_test_app.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/imagen.h"
#include "zylma/models/modelos.h"
#include "zylma/qt/qt_host.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;
using zylma::testing::FakePort;

namespace {

std::string shot(const std::string& name) {
    std::filesystem::create_directories(std::string(ZYLMA_BINARY_DIR) + "/screenshots");
    return std::string(ZYLMA_BINARY_DIR) + "/screenshots/" + name;
}

TEST(SonobrisaView, PanelAfterARead) {
    qt::testing::app();
    qt::applyStandardFont();
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    // The captions the installation kit gives this model.
    records::Record conf(57);
    conf[0] = "Código de autorización";
    conf[1] = "Dígito de alerta";
    conf[2] = "Marcación por tonos";
    conf[3] = "Bloqueo de grabación";
    conf[40] = "100100100";
    conf[43] = "12*34";
    const char* nombres[] = {"Nacional (01)", "Internacional (00)", "Celulares (044)", "Números 900",
                             "Servicios especiales (040)", "Por cobrar (020)", "Locales", "Operadora (090)",
                             "Números 800"};
    for (int k = 0; k < 9; ++k) conf[45 + k] = nombres[k];
    conf[55] = "000000000";
    folder.writeConfig("Sonobrisa", "12", conf);
    FakePort* port = nullptr;
    auto host = std::make_unique<qt::QtHost>();
    auto p = std::make_unique<Programa>(*host, folder.path(), [&port] {
        auto fp = std::make_unique<FakePort>();
        port = fp.get();
        return fp;
    });
    models::RegistraModelos(p->modelos());
    p->pri().show();
    p->pri().ZylCmd[1]->userClick();
    p->pri().comando(3).userClick();
    std::string mapa = "040C090001" "010A0B0304" "050A0B0A08" "05" "59" "0A0402";
    mapa.resize(130, 'F');
    port->arrive(codec::RecepcionDesdeMapa(mapa + "03FE"));
    QApplication::processEvents();
    EXPECT_EQ(p->pri().findAs<forms::TextBox>("ZylTxtSonAut")->text(), "10*34");
    const std::string png = shot("sonobrisa-panel.png");
    ASSERT_TRUE(qt::grabForm(p->pri(), png));
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    for (const char* nombre : {"ZylTxtSonAut", "ZylTxtSonDigAler", "ZylTexSonNumInter", "ZylChkSonTono"}) {
        QWidget* c = host->widgetOf(*p->pri().find(nombre));
        ASSERT_NE(c, nullptr) << nombre;
        EXPECT_TRUE(c->isVisible()) << nombre;
    }
    p.reset();
    host.reset();
}

}  // namespace
