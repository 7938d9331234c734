// What the model units' end-to-end tests share: a simulated device on a real pseudo-terminal,
// the program on its other end with every model registered, and the steps every test takes.
#pragma once

#include "../models/modelos_fixture.h"
#include "sim_line.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/models/modelos.h"
#include "zylma/sim/comandos.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zylma::testing {

struct ModeloE2E : ::testing::Test {
    AppFolder folder;
    std::unique_ptr<SimLine> line;
    std::unique_ptr<LiveProgram> prog;

    // The folder's command table: the read and the write as the kit gives them, then `otros`.
    void escribeComandos(std::vector<std::pair<std::string, std::string>> otros = {}) {
        const auto& k = sim::ComandosKit();
        std::vector<std::pair<std::string, std::string>> tabla = {{"Lectura", k.lectura}, {"Escritura", k.escritura}};
        tabla.insert(tabla.end(), otros.begin(), otros.end());
        folder.writeCommands(tabla);
    }
    // The device `o` on its line, the program over the folder as written so far, and the
    // model's button on the main window pressed.
    void conecta(const sim::Options& o, std::size_t boton) {
        line = std::make_unique<SimLine>(o);
        prog = std::make_unique<LiveProgram>(folder.path(), line->path());
        models::RegistraModelos(prog->programa->modelos());
        w().ZylCmd[boton]->userClick();
    }
    app::Programa& p() { return *prog->programa; }
    app::ZylForPri& w() { return p().pri(); }
    forms::TestHost& host() { return prog->host; }
    forms::TextBox& caja(const char* nombre, int indice = -1) { return *w().findAs<forms::TextBox>(nombre, indice); }
    // A read from the main window, to its end and without a message.
    void read() {
        w().comando(3).userClick();
        ASSERT_TRUE(prog->waitFor([&] { return !w().TimerEC->timerEnabled() || !host().messages.empty(); }));
        ASSERT_TRUE(host().messages.empty()) << host().lastMessage();
    }
    // A write from the main window, both frames through, without a message.
    void write() {
        w().comando(4).userClick();
        ASSERT_TRUE(prog->waitFor([&] { return p().enlace.estado == app::EstadoEnlace::EntreTramas; }));
        host().advance(5000);
        ASSERT_TRUE(prog->waitFor([&] { return p().enlace.estado == app::EstadoEnlace::Libre; }));
        ASSERT_TRUE(host().messages.empty()) << host().lastMessage();
    }
    // Lets the device take what is on the line, then stops it to look at it.
    sim::Restrictor& device() {
        host().pump(100);
        line->stop();
        return line->device();
    }
    // The device's image, the device running again.
    std::string deviceImage() {
        std::string img = device().image();
        line->start();
        return img;
    }
    // Sends the pending remote command and waits until `expected` has gone out.
    void sendPending(const std::string& expected) {
        host().advance(5000);
        ASSERT_TRUE(prog->waitFor([&] { return p().IndiceEnvio == 1 && p().ComandoSerie == expected; }));
        host().pump(100);
    }
};

}  // namespace zylma::testing
