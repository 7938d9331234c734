#include "zylma/app/monitor.h"

#include "zylma/app/barra.h"
#include "zylma/app/enlace.h"
#include "zylma/app/programa.h"

#include <ctime>
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

    onLoad = [this] { cargaNombres(); };
    ZylComMon->onClick = [this] {
        p_.RutaArchivo = records::pathComandos(p_.RutaAplicacion);
        if (!files::fileExists(p_.RutaArchivo)) return;
        const std::string nombre = ZylComMon->text();
        std::string texto;
        bool hallado = false;
        records::scanTable(p_.RutaArchivo, records::RegistroComando, [&](int, const records::Record& r) {
            if (r[0] == nombre) {
                texto = r[1];  // the last entry of that name wins
                hallado = true;
            }
            return true;
        });
        if (hallado) ZylTexMon[7]->setText(texto);
    };
    // "&Aplicar" only looks the name up; "&Grabar" does its own look-up of the name it saves,
    // so an earlier look-up of another name can never make it overwrite that entry.
    ZylCmdMon[2]->onClick = [this] {
        p_.RutaArchivo = records::pathComandos(p_.RutaAplicacion);
        registroHallado_ = 0;
        if (!files::fileExists(p_.RutaArchivo)) return;
        const std::string nombre = ZylComMon->text();
        records::scanTable(p_.RutaArchivo, records::RegistroComando, [&](int n, const records::Record& r) {
            if (r[0] != nombre) return true;
            registroHallado_ = n;
            return false;
        });
    };
    ZylCmdMon[1]->onClick = [this] {
        p_.RutaArchivo = records::pathComandos(p_.RutaAplicacion);
        records::Record r{ZylComMon->text(), ZylTexMon[7]->text(), FechaHoy()};
        records::Status st = records::saveByName(p_.RutaArchivo, records::RegistroComando, r);
        registroHallado_ = 0;
        if (st != records::Status::Ok)
            p_.mensaje("No se pudo grabar el comando en " + p_.RutaArchivo + " (" + records::describe(st) + ").",
                       vbExclamation);
    };
    ZylCmdMon[3]->onClick = [this] { LimpiaMonitor(p_); };
    ZylCmdMon[4]->onClick = [this] {
        // A free command must not cut into what the link is doing either.
        if (EscrituraOcupada(p_)) return;
        const std::string texto = Recorta(ZylTexMon[7]->text());
        // Judged trimmed: a box of blanks only has nothing to send, and an empty frame is none.
        if (!texto.empty() && ZylComMon->text() != "Comandos") {
            // A free command: no "f" added; the watchdog watches its frame like any other.
            EmpiezaComandoLibre(p_, texto);
        } else {
            p_.mensaje(" No existe Comando");
        }
    };
    // Closing the monitor only hides it: its boxes hold the frames of a read in progress.
    onQueryUnload = [this](bool& cancel) {
        cancel = true;
        hide();
    };
}

void ZylForMonitor::cargaNombres() {
    // What the user typed or chose stays in the box; only the list is new.
    const std::string texto = ZylComMon->text();
    ZylComMon->clear();
    p_.RutaArchivo = records::pathComandos(p_.RutaAplicacion);
    if (files::fileExists(p_.RutaArchivo))
        records::scanTable(p_.RutaArchivo, records::RegistroComando, [&](int, const records::Record& r) {
            if (!r[0].empty()) ZylComMon->addItem(r[0]);
            return true;
        });
    ZylComMon->setText(texto);
}

void ZylForMonitor::muestra() {
    cargaNombres();
    show();
}

std::string Recorta(const std::string& s) {
    const auto a = s.find_first_not_of(' ');
    if (a == std::string::npos) return "";
    const auto b = s.find_last_not_of(' ');
    return s.substr(a, b - a + 1);
}

std::string FechaHoy() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%d/%m/%Y", &tm);
    return buf;
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
