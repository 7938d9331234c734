// The Omnivelda panel as a technician sees it after a read.
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

TEST(OmniveldaView, PanelAfterARead) {
    qt::testing::app();
    qt::applyStandardFont();
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    records::Record conf(57);
    conf[0] = "Tiempo de duración para llamadas prohibidas";
    conf[1] = "Tiempo de duración para llamadas libres";
    conf[2] = "Dígitos para salir del conmutador";
    conf[3] = "Liberar la tabla de memorias de números telefónicos";
    conf[5] = "Memorias de 4 dígitos";
    conf[6] = "Memorias de 16 dígitos";
    conf[40] = "111100000";
    conf[43] = "1234";
    const char* names[] = {"Nacional (01)", "Internacional (00)", "Celulares (044)", "Números 900"};
    for (int k = 0; k < 4; ++k) conf[45 + k] = names[k];
    conf[55] = "000000000";
    folder.writeConfig("Omnivelda", "30", conf);
    FakePort* port = nullptr;
    auto host = std::make_unique<qt::QtHost>();
    auto p = std::make_unique<Programa>(*host, folder.path(), [&port] {
        auto fp = std::make_unique<FakePort>();
        port = fp.get();
        return fp;
    });
    models::RegistraModelos(p->modelos());
    p->pri().show();
    p->pri().ZylCmd[3]->userClick();
    p->pri().comando(3).userClick();
    std::string mapa = "051E09" "0001" "2015" "00" "010800" "000005" "090F0F" "1234" "5A5F" "BFFF" +
                       std::string(48, 'F') + "5551234FFFFFFFFF" + std::string(16, 'F') + "12";
    mapa += "00" "45" "3456AFFFFFFFFFFFFF" + std::string(108, 'F') + "6E" "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("05"));
    port->arrive(codec::RecepcionDesdeMapa(mapa));
    QApplication::processEvents();
    EXPECT_EQ(p->pri().ZylTexResCla->text(), "1234");
    const std::string png = shot("omnivelda-panel.png");
    ASSERT_TRUE(qt::grabForm(p->pri(), png));
    QImage img(QString::fromStdString(png));
    EXPECT_GT(img.width(), 700);
    for (const char* name : {"ZylTxtOmnMe16", "ZylTxtOmnMe4"}) {
        QWidget* wgt = host->widgetOf(*p->pri().find(name, 0));
        ASSERT_NE(wgt, nullptr);
        EXPECT_TRUE(wgt->isVisible()) << name;
    }
    p.reset();
    host.reset();
}

}  // namespace
