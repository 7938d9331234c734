#include "zylma/app/monitor.h"

#include "zylma/app/programa.h"
#include "zylma/files/files.h"
#include "zylma/records/records.h"

namespace zylma::app {

using namespace zylma::forms;

ZylForMonitor::ZylForMonitor(Programa& p) : Form(p.host(), "ZylForMonitor"), p_(p) {
    setCaption("Zylma-Monitor");
    struct Caja {
        int n;
        const char* grupo;
        const char* tipo;
    };
    const Caja cajas[] = {{1, "Transmisión", "CHR"}, {2, "Transmisión", "HEX"}, {3, "Transmisión", "ASC"},
                          {4, "Recepción", "CHR"},   {5, "Recepción", "HEX"},   {6, "Recepción", "ASC"},
                          {8, "MAPA", ""}};
    int y = 120;
    for (const Caja& c : cajas) {
        auto& l = add<Label>("ZylLabMon0" + std::to_string(c.n));
        l.setCaption(std::string(c.grupo) + (c.tipo[0] ? std::string(" ") + c.tipo : std::string()));
        l.move(120, y + 60, 1800, 300);
        auto& t = add<TextBox>("ZylTexMon0" + std::to_string(c.n));
        t.multiLine = true;
        t.move(2040, y, 8400, 600);
        ZylTexMon[c.n] = &t;
        y += 690;
    }
    ZylComMon = &add<ComboBox>("ZylComMon");
    ZylComMon->setText("Comandos");
    ZylComMon->move(120, y + 60, 2400, 315);
    ZylTexMon[7] = &add<TextBox>("ZylTexMon07");
    ZylTexMon[7]->move(2640, y + 60, 3600, 315);
    const char* botones[] = {nullptr, "&Grabar", "&Aplicar", "&Borrar", "&Comando"};
    for (int i = 1; i <= 4; ++i) {
        auto& b = add<Button>("ZylCmdMon0" + std::to_string(i));
        b.setCaption(botones[i]);
        b.move(6360 + (i - 1) * 1020, y, 960, 420);
        ZylCmdMon[i] = &b;
    }
    move(0, 0, 10680, y + 420 + 600);
    // Closing the monitor only hides it: its boxes hold the frames of a read in progress.
    onQueryUnload = [this](bool& cancel) {
        cancel = true;
        hide();
    };
}

void LimpiaMonitor(Programa& p) {
    ZylForMonitor& m = p.monitor();
    for (int n : {1, 2, 3, 4, 5, 6, 8}) m.ZylTexMon[n]->setText("");
}

void CargaComandos(Programa& p) {
    p.RutaArchivo = records::pathComandos(p.RutaAplicacion);
    if (!files::fileExists(p.RutaArchivo)) return;
    records::scanTable(p.RutaArchivo, records::RegistroComando, [&](int, const records::Record& r) {
        const std::string& nombre = r[0];
        const std::string texto = r[1] + "f";
        if (nombre == "Lectura") p.ComandoLectura = texto;
        else if (nombre == "Escritura") p.ComandoEscritura = texto;
        else if (nombre == "ResetFabrica") p.ComandoResetFabrica = texto;
        else if (nombre == "Verificar") p.ComandoVerificar = texto;
        else if (nombre == "Colgado") p.ComandoColgado = texto;
        return true;
    });
}

}  // namespace zylma::app
