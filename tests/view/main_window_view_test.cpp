// The main window as a technician sees it: the general panel at start, and the Téndro panel
// after a read.
#include "fixture.h"
#include "qt_test_app.h"
#include "zylma/app/monitor.h"
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

struct MainWindowView : ::testing::Test {
    AppFolder folder;
    FakePort* port = nullptr;
    std::unique_ptr<qt::QtHost> host;
    std::unique_ptr<Programa> p;

    void SetUp() override {
        qt::testing::app();
        qt::applyStandardFont();
        folder.writeSoftware(AppFolder::softwareRecord());
        records::Record conf(57);
        conf[40] = "111111000";
        conf[43] = "1111";
        const char* names[] = {"Larga distancia", "Celulares", "Internacional", "Servicios 900",
                               "Servicios 0800", "Operadora"};
        for (int k = 0; k < 6; ++k) conf[45 + k] = names[k];
        conf[55] = "000000000";
        folder.writeConfig("Téndro", "30", conf);
        host = std::make_unique<qt::QtHost>();
        p = std::make_unique<Programa>(*host, folder.path(), [this] {
            auto fp = std::make_unique<FakePort>();
            port = fp.get();
            return fp;
        });
        models::RegistraModelos(p->modelos());
        p->pri().show();
        QApplication::processEvents();
    }
    void TearDown() override {
        p.reset();
        host.reset();
    }
};

TEST_F(MainWindowView, GeneralPanelAtStart) {
    const std::string png = shot("main-window.png");
    ASSERT_TRUE(qt::grabForm(p->pri(), png));
    QImage img(QString::fromStdString(png));
    EXPECT_GT(img.width(), 700);
    EXPECT_GT(img.height(), 400);
    QWidget* leer = host->widgetOf(p->pri().comando(3));
    ASSERT_NE(leer, nullptr);
    EXPECT_TRUE(leer->isVisible());
}

TEST_F(MainWindowView, TendroPanelAfterARead) {
    p->pri().ZylCmd[2]->userClick();
    p->pri().comando(3).userClick();
    std::string mapa = "001E0900011A3AFF30106E" + std::string(106, 'F') + "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("00"));
    port->arrive(codec::RecepcionDesdeMapa(mapa));
    QApplication::processEvents();
    EXPECT_EQ(p->pri().ZylTexResCla->text(), "1030");
    const std::string png = shot("main-window-tendro.png");
    ASSERT_TRUE(qt::grabForm(p->pri(), png));
    QWidget* clave = host->widgetOf(*p->pri().ZylTexResCla);
    ASSERT_NE(clave, nullptr);
    EXPECT_TRUE(clave->isVisible());
}

}  // namespace

#include "zylma/app/cambio_clave.h"

#include <QMenu>
#include <QPixmap>
#include <QTimer>
#include <QtTest/QTest>

namespace {

TEST_F(MainWindowView, RemoteCommandPopUpAndKeyChangeWindow) {
    p->pri().ZylCmd[2]->userClick();
    // The pop-up waits for the user: photograph it while it is open, then choose "Enviar".
    bool seen = false;
    QTimer::singleShot(100, [&] {
        QWidget* popup = QApplication::activePopupWidget();
        auto* menu = qobject_cast<QMenu*>(popup);
        if (!menu || menu->actions().isEmpty()) return;
        QPixmap pm = menu->grab();
        seen = !pm.isNull() && pm.save(QString::fromStdString(shot("remote-command-popup.png")), "PNG");
        QAction* enviar = menu->actions().first();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(enviar).center());
    });
    p->pri().ZylChkRes[0]->userPress(forms::MouseButton::Right);
    EXPECT_EQ(p->NumeroComando, "0");  // reset by the send
    EXPECT_TRUE(seen);
    EXPECT_TRUE(p->pri().TimerPID->timerEnabled());  // "Enviar" ran before the press returned
    p->pri().TimerPID->setTimerEnabled(false);

    p->pri().ZylTexResCla->userDblClick();
    auto& v = p->ventana<ZylForCamCla>();
    v.ZylTextCanCka->userType("4321");
    QApplication::processEvents();
    ASSERT_TRUE(qt::grabForm(v, shot("key-change-window.png")));
    EXPECT_EQ(v.ZylTextCanCka->text(), "4321");
    v.userClose();
}

}  // namespace
