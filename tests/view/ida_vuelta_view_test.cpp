// What a technician sees when a read brings a value the write cannot give back: the read's one
// message, then the write's refusal naming the field; both boxes drawn and answered by a click.
#include "modelos_view_fixture.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPixmap>
#include <QTest>
#include <QTimer>

using namespace zylma;
using zylma::testing::AppFolder;
using zylma::testing::ProgramaVista;

namespace {

// The next message box that opens: its text kept, its picture saved, its OK button clicked.
void respondeCaja(std::string& texto, const std::string& png) {
    auto* t = new QTimer;
    QObject::connect(t, &QTimer::timeout, t, [t, &texto, png] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        t->stop();
        t->deleteLater();
        texto = box->text().toStdString();
        box->grab().save(QString::fromStdString(png));
        const auto botones = box->buttons();
        if (!botones.isEmpty()) QTest::mouseClick(botones.front(), Qt::LeftButton);
    });
    t->start(10);
}

TEST(IdaVueltaView, AnUnprogrammedKeyIsNamedByTheReadAndTheWriteIsRefused) {
    AppFolder folder;
    folder.writeSoftware(AppFolder::softwareRecord());
    folder.writeCommands({{"Lectura", "LEE"}, {"Escritura", "ESC"}});
    ProgramaVista v(folder.path());
    folder.writeConfig("Tendro", "30", zylma::testing::ConfiguracionVista("111111000", "1234", 6));
    // A Téndro of firmware 30 whose key is the no-digit "FFFF".
    std::string mapa = "001E09" "0001" "FFFF" "66" "0000" "6E";
    mapa.resize(128, 'F');
    mapa += "00" "03FE";
    codec::RecalculaSumas(mapa, *codec::BuscaModelo("00"));

    std::string lectura;
    respondeCaja(lectura, zylma::testing::Captura("lectura-no-escribible.png"));
    v.w().ZylCmd[2]->userClick();
    v.w().comando(3).userClick();
    for (int i = 0; i < 40 && !v.port->written.empty() && v.port->written.back() != 'P'; ++i) v.port->arrive("T");
    v.port->arrive(codec::RecepcionDesdeMapa(mapa));
    QApplication::processEvents();
    EXPECT_EQ(v.w().ZylTexResCla->text(), "");  // never the record's "1234"
    EXPECT_NE(lectura.find("\"Clave\""), std::string::npos) << lectura;
    v.captura("lectura-no-escribible-panel.png");

    // "&Enviar" clicked on the drawn button: refused, naming the key.
    std::string envio;
    respondeCaja(envio, zylma::testing::Captura("escritura-rechazada.png"));
    v.port->written.clear();
    QWidget* enviar = v.host->widgetOf(v.w().comando(4));
    ASSERT_NE(enviar, nullptr);
    QTest::mouseClick(enviar, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(envio, "Error en Captura: revise el campo \"Clave\".");
    EXPECT_EQ(v.port->written, "");
}

}  // namespace
