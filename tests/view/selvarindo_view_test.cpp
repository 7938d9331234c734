// The Selvarindo panel as a technician sees it after a read of a Sin Voz device.
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

TEST(SelvarindoView, PanelAfterARead) {
    qt::testing::app();
    qt::applyStandardFont();
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    records::Record conf(57);
    conf[20] = "0";
    conf[21] = "0000";
    conf[22] = "0";
    conf[40] = "000000000";
    conf[43] = "1234";
    conf[55] = "000000000";
    folder.writeConfig("Selvarindo", "72", conf);
    FakePort* port = nullptr;
    auto host = std::make_unique<qt::QtHost>();
    auto p = std::make_unique<Programa>(*host, folder.path(), [&port] {
        auto fp = std::make_unique<FakePort>();
        port = fp.get();
        return fp;
    });
    models::RegistraModelos(p->modelos());
    p->pri().show();
    p->pri().ZylCmd[7]->userClick();
    p->pri().comando(3).userClick();
    std::string mapa = "0872" "09" "0001" "0A" "09" "01020304" "02040608";
    mapa.resize(132, 'F');
    port->arrive(codec::RecepcionDesdeMapa(mapa + "03FE"));
    QApplication::processEvents();
    EXPECT_EQ(p->pri().ZylTexResCla->text(), "1234");
    const std::string png = shot("selvarindo-panel.png");
    ASSERT_TRUE(qt::grabForm(p->pri(), png));
    EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
    for (const char* nombre : {"ZylFraSvdNum9", "ZylTxtSvdClvSal", "ZylLblSvdIdent"}) {
        QWidget* c = host->widgetOf(*p->pri().find(nombre));
        ASSERT_NE(c, nullptr) << nombre;
        EXPECT_TRUE(c->isVisible()) << nombre;
    }
    p.reset();
    host.reset();
}

}  // namespace
