// The Quintavo panel as a technician sees it after a read.
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

TEST(QuintavoView, PanelAfterARead) {
    qt::testing::app();
    qt::applyStandardFont();
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    // The captions and defaults the installation kit gives this model.
    records::Record conf(57);
    conf[0] = "Troncal de conmutador";
    conf[2] = "Número de llamadas permitidas";
    conf[3] = "Número de llamadas permitidas";
    conf[4] = "Tiempo de duración";
    conf[5] = "Tiempo de duración";
    conf[20] = "0";
    conf[21] = "7";
    conf[40] = "101111000";
    conf[43] = "12345";
    const char* nombres[] = {"Nacional (01)", "Internacional (00)", "Celulares (044)", "Números 900",
                             "Servicios especiales (040)", "Por cobrar (020)"};
    for (int k = 0; k < 6; ++k) conf[45 + k] = nombres[k];
    conf[55] = "100000000";
    folder.writeConfig("Quintavo", "15", conf);
    FakePort* port = nullptr;
    auto host = std::make_unique<qt::QtHost>();
    auto p = std::make_unique<Programa>(*host, folder.path(), [&port] {
        auto fp = std::make_unique<FakePort>();
        port = fp.get();
        return fp;
    });
    models::RegistraModelos(p->modelos());
    p->pri().show();
    p->pri().ZylCmd[6]->userClick();
    p->pri().comando(3).userClick();
    // Key 12345, restrictions 3 and 5, trunk, 7 local digits, the six settings, memories 01 and
    // 05 (the latter across the blocks) and two operation keys.
    std::string b1 = "021509" "0001" "12345F" "14" "03" "07" "00" "000102" "000003" "000100" "000005" "000003"
                     "020505" "5551234FFFFFFFFF" + std::string(48, 'F') + "0445";
    std::string b2 = "55667788FFFF" "12345F" "11111F" "2FFFFF" "FFFFFF" "54321F" "6E" + std::string(84, '0');
    std::string mapa = b1 + "00" "45" + b2 + "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("02"));
    port->arrive(codec::RecepcionDesdeMapa(mapa));
    QApplication::processEvents();
    EXPECT_EQ(p->pri().findAs<forms::TextBox>("ZylTexQuiNumTel", 4)->text(), "044555667788");
    const std::string png = shot("quintavo-panel.png");
    ASSERT_TRUE(qt::grabForm(p->pri(), png));
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    for (const char* nombre : {"ZylTexQuiSMNP", "ZylTexQuiLDT", "ZylComQuiDLL", "ZylCmdQuiLDB"}) {
        QWidget* caja = host->widgetOf(*p->pri().find(nombre));
        ASSERT_NE(caja, nullptr) << nombre;
        EXPECT_TRUE(caja->isVisible()) << nombre;
    }
    p.reset();
    host.reset();
}

}  // namespace
