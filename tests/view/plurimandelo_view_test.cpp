// The Plurimandelo panel as a technician sees it after a read.
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

TEST(PlurimandeloView, PanelAfterARead) {
    qt::testing::app();
    qt::applyStandardFont();
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    // The captions the installation kit gives this model.
    const char* campos[] = {
        "Tiempo de duración para llamadas prohibidas", "Tiempo de duración para llamadas libres",
        "Dígitos para salir del conmutador", "Números que inicien en 031", "Números que inicien en 020",
        "Números que inicien en 030", "Números que inicien en 040", "Números que inicien en 050",
        "Números que inicien en 06X", "Números que inicien en 07X", "Números que inicien en 08X",
        "Números que inicien en 090", "01 Lada teléfono a teléfono", "001 Larga distancia a Canadá y EUA",
        "00X Larga distancia mundial", "015 Larga distancia metropolitana", "01800 Llamadas por cobrar",
        "01800/881/888 Por cobrar a EUA y Canadá",
    };
    records::Record conf(57);
    for (int i = 0; i < 18; ++i) conf[i] = campos[i];
    conf[40] = "111111000";
    conf[43] = "1234";
    const char* nombres[] = {"Nacional (01)", "Internacional (00)", "Celulares (044)", "Números 900",
                             "Servicios especiales (040)", "Por cobrar (020)"};
    for (int k = 0; k < 6; ++k) conf[45 + k] = nombres[k];
    conf[55] = "000000000";
    folder.writeConfig("Plurimandelo", "30", conf);
    FakePort* port = nullptr;
    auto host = std::make_unique<qt::QtHost>();
    auto p = std::make_unique<Programa>(*host, folder.path(), [&port] {
        auto fp = std::make_unique<FakePort>();
        port = fp.get();
        return fp;
    });
    models::RegistraModelos(p->modelos());
    p->pri().show();
    p->pri().ZylCmd[4]->userClick();
    p->pri().comando(3).userClick();
    std::string mapa = "031E090001" "1A3A" "00" "090B0A" "3010" "420705" "00030A" "0A0A05" + std::string(84, 'F') +
                       "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("03"));
    port->arrive(codec::RecepcionDesdeMapa(mapa));
    QApplication::processEvents();
    EXPECT_EQ(p->pri().findAs<forms::TextBox>("ZylTexPluCon")->text(), "9*0");
    const std::string png = shot("plurimandelo-panel.png");
    ASSERT_TRUE(qt::grabForm(p->pri(), png));
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    for (const char* nombre : {"ZylTexPluDurP", "ZylTexPluDurL", "ZylTexPluCon"}) {
        QWidget* caja = host->widgetOf(*p->pri().find(nombre));
        ASSERT_NE(caja, nullptr) << nombre;
        EXPECT_TRUE(caja->isVisible()) << nombre;
    }
    p.reset();
    host.reset();
}

}  // namespace
