// The main window of a "PC" installation while a modem call blocks it: the status line reads
// "Marcando" on the screen, drawn before the call, not only in the box's text.
#include "fixture.h"
#include "qt_test_app.h"
#include "zylma/app/modem.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/qt/qt_host.h"

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;

namespace {

std::string shot(const std::string& name) {
    std::filesystem::create_directories(std::string(ZYLMA_BINARY_DIR) + "/screenshots");
    return std::string(ZYLMA_BINARY_DIR) + "/screenshots/" + name;
}

TEST(ModemView, StatusLineReadsMarcandoOnTheScreenWhileTheCallBlocks) {
    qt::testing::app();
    qt::applyStandardFont();
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord("PC"));
    qt::QtHost host;
    Programa p(host, folder.path(), [] { return std::unique_ptr<serial::SerialPort>(); });
    p.pri().show();
    QApplication::processEvents();
    QWidget* window = host.windowOf(p.pri());
    QWidget* status = host.widgetOf(*p.pri().ZylTexEst);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(status, nullptr);
    // What the screen holds, as it was last drawn (not the widgets rendered anew).
    auto onScreen = [&] {
        const QRect r(status->mapTo(window, QPoint(0, 0)), status->size());
        return window->screen()->grabWindow(window->winId()).toImage().copy(r);
    };
    const QImage idle = onScreen();
    QImage dialling;
    std::string textDuringCall;
    p.alMarcarModem = [&] {
        // The library blocks here; no event runs until it returns.
        textDuringCall = p.pri().ZylTexEst->text();
        dialling = onScreen();
        window->screen()->grabWindow(window->winId()).save(QString::fromStdString(shot("modem-dialling.png")));
    };
    p.CadenaComando = "*#837f1234";
    MarcaComandoPC(p);
    EXPECT_EQ(textDuringCall, "Marcando");
    EXPECT_FALSE(dialling.isNull());
    EXPECT_NE(dialling, idle);  // the new text is on the screen before the call
    EXPECT_EQ(p.pri().ZylTexEst->text(), "Zylma");
}

}  // namespace
