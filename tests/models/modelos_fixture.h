// What the model units' tests share: a program over a fresh application folder with every model
// registered and one model's panel chosen, the recording port, and the acknowledgement of frames.
#pragma once

#include "fixture.h"
#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/imagen.h"
#include "zylma/models/modelos.h"
#include "zylma/records/records.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>
#include <string>

namespace zylma::testing {

// `n` characters "F": the device's "no digit", as images are padded.
inline std::string F(std::size_t n) { return std::string(n, 'F'); }

// The software record with `reintentos` retries of a read whose checksums are wrong.
inline records::Record SoftwareConReintentos(const std::string& reintentos) {
    records::Record sw = AppFolder::softwareRecord();
    sw[23] = reintentos;
    return sw;
}

// A configuration record with what every model loads: the visible restrictions (field 41), the
// key (44), nine restriction captions (46 to 54) and the flag text (56).
inline records::Record ConfiguracionComun(const std::string& visibles, const std::string& clave) {
    records::Record conf(57);
    conf[40] = visibles;
    conf[43] = clave;
    for (int k = 0; k < 9; ++k) conf[static_cast<std::size_t>(45 + k)] = "Restricción " + std::to_string(k + 1);
    conf[55] = "000000000";
    return conf;
}

struct ModeloFixture : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<ProgramHarness> h;

    // The folder's command table: read "LEE", write "ESC" and, with `reset`, factory reset "RFA".
    void escribeComandos(bool reset) {
        if (reset) folder.writeCommands({{"Lectura", "LEE"}, {"Escritura", "ESC"}, {"ResetFabrica", "RFA"}});
        else folder.writeCommands({{"Lectura", "LEE"}, {"Escritura", "ESC"}});
    }
    // The program over the folder as written so far, every model registered, and the model's
    // button on the main window pressed.
    void abre(std::size_t boton) {
        h = std::make_unique<ProgramHarness>(folder.path());
        models::RegistraModelos(h->programa->modelos());
        h->programa->pri();
        w().ZylCmd[boton]->userClick();
    }
    app::Programa& p() { return *h->programa; }
    app::ZylForPri& w() { return p().pri(); }
    app::ZylForMonitor& m() { return p().monitor(); }
    std::string& wire() { return h->port->written; }
    // The last-transmission record as the program left it; all empty fields (and a failure) when
    // it cannot be read.
    records::Record ultimoEnvio() {
        records::Record r;
        const records::Status st =
            records::readSingle(records::pathUltEnvio(folder.path()), records::RegistroUltEnvio, r);
        if (st != records::Status::Ok) {
            ADD_FAILURE() << "last transmission: " << records::describe(st);
            return records::Record(static_cast<std::size_t>(records::RegistroUltEnvio.fields));
        }
        return r;
    }
    forms::TextBox& caja(const char* nombre, int indice = -1) { return *w().findAs<forms::TextBox>(nombre, indice); }
    // Acknowledges every frame character until nothing more goes out, or a write waits for its
    // data part.
    void acknowledgeAll(int vueltas = 400) {
        for (int i = 0; i < vueltas; ++i) {
            std::size_t before = wire().size();
            if (p().IndiceEnvio == 1 && !wire().empty() && wire().back() == 'P') break;
            h->port->arrive("T");
            if (wire().size() == before) break;
        }
    }
    // A read started from the main window, its frame acknowledged.
    void startRead() {
        w().comando(3).userClick();
        acknowledgeAll();
    }
    // A read answered with the image `mapa`.
    void read(const std::string& mapa) {
        startRead();
        h->port->arrive(codec::RecepcionDesdeMapa(mapa));
    }
    // One refusal as the user meets it: `prepara` sets the panel, `gesto` raises the trigger and
    // "Enviar" is chosen in its pop-up.
    struct Rehusado {
        const char* caso;
        std::function<void()> prepara;
        std::function<void()> gesto;
        std::string mensaje;  // the one "ZYLMA" message expected
    };
    // The file's bytes, "" when there is none.
    static std::string bytesDe(const std::string& ruta) {
        std::ifstream f(ruta, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    // Each case: nothing reaches the port however long the send timer is given, one "ZYLMA"
    // message says why, and neither the status line nor the last-transmission record moves.
    void compruebaRehusados(const std::vector<Rehusado>& casos) {
        const std::string registro = records::pathUltEnvio(folder.path());
        for (const Rehusado& c : casos) {
            SCOPED_TRACE(c.caso);
            c.prepara();
            wire().clear();
            h->host.messages.clear();
            // A status no send of this case may leave: a refusal must not read like a send.
            w().ZylTexEst->setText("Ultimo Envio 01/01/2026");
            const std::string antes = bytesDe(registro);
            h->host.popupChoices.push_back("mnuEnviar");
            c.gesto();
            EXPECT_TRUE(h->host.popupChoices.empty()) << "the pop-up was not shown";
            h->host.popupChoices.clear();
            h->host.advance(12000);
            EXPECT_EQ(wire(), "");
            ASSERT_EQ(h->host.messages.size(), 1u) << h->host.lastMessage();
            EXPECT_EQ(h->host.messages[0].title, "ZYLMA");
            EXPECT_EQ(h->host.messages[0].text, c.mensaje);
            EXPECT_EQ(w().ZylTexEst->text(), "Ultimo Envio 01/01/2026");
            EXPECT_EQ(bytesDe(registro), antes);
        }
    }
    // The refusals' sentences, as the user reads them.
    static std::string porClave(const std::string& k) {
        return "No se envió el comando: la clave del equipo \"" + k + "\" no es una clave que el equipo acepte.";
    }
    static std::string porCampo(const std::string& campo, const std::string& detalle = "") {
        return "No se envió el comando: el valor de \"" + campo + "\" no se puede enviar al equipo" +
               (detalle.empty() ? "" : " (" + detalle + ")") + ".";
    }
    static std::string porVacio(const std::string& campo) { return porCampo(campo, "está vacío"); }
    static std::string porGris(const std::string& campo) {
        return porCampo(campo, "la casilla está en gris: ni marcada ni sin marcar");
    }
    static std::string sinComando(const std::string& campo) {
        return "No se envió el comando: este equipo no tiene comando para \"" + campo + "\".";
    }
    // The restriction box `k` (from 1) shown with `estado`, right-pressed.
    void pulsaRestriccion(int k) { w().ZylChkRes[static_cast<std::size_t>(k - 1)]->userPress(forms::MouseButton::Right); }

    // Sends the pending remote command and returns what went out.
    std::string sent() {
        wire().clear();
        h->host.advance(5000);
        if (wire().empty()) return "";  // nothing started: no acknowledgement to give
        acknowledgeAll();
        return wire();
    }
};

}  // namespace zylma::testing
