// The Tresmolina panel as a technician sees it after a read.
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

std::string F(std::size_t n) { return std::string(n, 'F'); }

TEST(TresmolinaView, PanelAfterARead) {
    qt::testing::app();
    qt::applyStandardFont();
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    records::Record conf(57);
    conf[0] = "Troncal de conmutador";
    conf[3] = "Tiempo de duración para llamadas prohibidas";
    conf[5] = "Números de teléfono";
    conf[6] = "Tiempo de duración para llamadas libres";
    conf[40] = "101111000";
    conf[43] = "12345";
    const char* names[] = {"Nacional (01)", "Internacional (00)", "Celulares (044)", "Números 900",
                           "Servicios especiales (040)", "Por cobrar (020)"};
    for (int k = 0; k < 6; ++k) conf[45 + k] = names[k];
    conf[55] = "000000000";
    FakePort* port = nullptr;
    auto host = std::make_unique<qt::QtHost>();
    auto p = std::make_unique<Programa>(*host, folder.path(), [&port] {
        auto fp = std::make_unique<FakePort>();
        port = fp.get();
        return fp;
    });
    models::RegistraModelos(p->modelos());
    p->pri().show();
    folder.writeConfig("Tresmolinas", "30", conf);
    p->pri().ZylCmd[8]->userClick();
    p->pri().comando(3).userClick();
    std::string keys;
    for (int k = 0; k < 24; ++k) keys += (k % 5 == 0 ? std::string("2") + char('1' + k % 9) + "345F" : F(6));
    const std::string d = "0001" "12345F" "300600" "000102" "000300" "020505" + ("5551234" + F(9)) +
                          ("B1A" + F(13)) + F(16) + ("99887766554433" + F(2)) + "1A3A5F" + keys;
    std::string mapa = "061E09" + d.substr(0, 122) + "00" "45" + d.substr(122) + "FF" "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("06"));
    port->arrive(codec::RecepcionDesdeMapa(mapa));
    QApplication::processEvents();
    EXPECT_EQ(p->pri().ZylTexResCla->text(), "10305");
    ASSERT_TRUE(qt::grabForm(p->pri(), shot("tresmolina-panel.png")));
    QWidget* ultima = host->widgetOf(*p->pri().find("ZylTxtTreClv", 23));
    ASSERT_NE(ultima, nullptr);
    EXPECT_TRUE(ultima->isVisible());
    p.reset();
    host.reset();
}

}  // namespace
