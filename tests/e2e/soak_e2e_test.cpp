// The fault soak of the link: a long seeded run of reads, writes, remote commands, replays,
// "&Colgar" and "&Verificar" against the in-process simulator on the virtual clock, with faults
// injected on the line and in the device, and the link's promises checked after every step:
//   - the link is idle, or its watchdog is armed, or a timer that ends its state is running;
//   - no operation lasts longer than the time-out per frame times its tries, plus the 5000 ms
//     before a write's data part or a command;
//   - an operation ends with no message when it did its work and with exactly one when not;
//   - the next read on a healthy line succeeds and shows the device's memory;
//   - every frame the device took is a whole frame the program sent, and a write that went
//     through is read back as the panel showed it.
//
// CI runs fixed seeds. A longer run with fresh seeds (the seeds and figures are printed):
//   ZYLMA_SOAK_SEEDS=fresh ZYLMA_SOAK_STEPS=20000 build/tests/e2e/soak_e2e
// ZYLMA_SOAK_SEEDS may also list seeds ("7,8,9") to run one again.
#include "fixture.h"
#include "zylma/app/enlace.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/models/modelos.h"
#include "zylma/records/records.h"
#include "zylma/sim/restrictor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <random>
#include <sstream>

using namespace zylma;
using namespace zylma::app;
using zylma::testing::AppFolder;

namespace {

namespace fs = std::filesystem;

constexpr int kEspera = 3000;     // the reply time-out the soak's software record gives
constexpr int kReintentos = 2;    // and its read retries
constexpr int kTramaPID = 5000;   // the send timer

// The line between the program and the device, on the test host's clock. What the program
// writes reaches the device at once; what the device sends is handed out when it is due.
class LineaSimulada : public serial::SerialPort {
public:
    explicit LineaSimulada(forms::TestHost& host) : host_(host) {}
    bool open(const std::string& device, std::string&) override {
        abierto_ = true;
        device_ = device;
        return true;
    }
    void close() override {
        abierto_ = false;
        enTrama_ = false;  // a frame cut by the close is no frame
    }
    bool isOpen() const override { return abierto_; }
    std::string device() const override { return device_; }
    bool write(const std::string& bytes) override {
        if (!abierto_) return false;
        for (char c : bytes) {
            anota(c);
            if (cortaTras == 0) {  // the device hears nothing more
                perdidos += c;
                continue;
            }
            if (cortaTras > 0) --cortaTras;
            equipo->receive(c, host_.tickCount());
        }
        return true;
    }
    // Hands out what the device has sent by now; a corruption waits for the next answer.
    void entrega() {
        // A device on a dead line still talks: into nothing.
        std::string salida = equipo->takeOutput(host_.tickCount());
        if (salida.empty() || !abierto_) return;
        if (corrompe >= 0) {
            const std::size_t inicio = salida.find("0245");
            if (inicio != std::string::npos && inicio + static_cast<std::size_t>(corrompe) < salida.size()) {
                char& c = salida[inicio + static_cast<std::size_t>(corrompe)];
                c = c == '0' ? '1' : '0';
                corrompe = -1;
            }
        }
        deliver(salida.data(), salida.size());
    }
    void olvidaTrama() { enTrama_ = false; }
    void inyecta(const std::string& chars) {
        if (abierto_) deliver(chars.data(), chars.size());
    }
    void desaparece() {
        if (!abierto_) return;
        abierto_ = false;
        enTrama_ = false;
        report(serial::SerialEvent::Gone);
    }

    sim::Restrictor* equipo = nullptr;
    int cortaTras = -1;  // silence mid-frame: characters still heard (-1: all)
    int corrompe = -1;   // wire position of the next answer to spoil (-1: none)
    std::string perdidos;  // what the silence swallowed
    // The frames the program sent, whole, in order.
    std::vector<std::string> tramas;

private:
    void anota(char c) {
        if (!enTrama_) {
            if (c == 'D') {
                enTrama_ = true;
                trama_.clear();
            }
            return;
        }
        if (c == 'P') {
            enTrama_ = false;
            if (!trama_.empty() && trama_.back() == '1') trama_.pop_back();
            tramas.push_back(trama_);
            return;
        }
        trama_ += c;
    }
    forms::TestHost& host_;
    bool abierto_ = false;
    std::string device_;
    bool enTrama_ = false;
    std::string trama_;
};

enum class Accion { Leer, Enviar, Remoto, Colgar, Verificar, UltimoLeido, UltimoEnvio };
enum class Falla {
    Ninguna, Silencio, SilencioEnTrama, SumaBloque1, SumaBloque2, T, P, Ruido, Corta, OtroModelo, LineaCerrada
};
const char* nombre(Falla f) {
    switch (f) {
    case Falla::Ninguna: return "none";
    case Falla::Silencio: return "silence";
    case Falla::SilencioEnTrama: return "silence mid-frame";
    case Falla::SumaBloque1: return "checksum block 1";
    case Falla::SumaBloque2: return "checksum block 2";
    case Falla::T: return "stray T";
    case Falla::P: return "stray P";
    case Falla::Ruido: return "noise";
    case Falla::Corta: return "short answer";
    case Falla::OtroModelo: return "wrong model";
    case Falla::LineaCerrada: return "line closed and reopened";
    }
    return "?";
}
const char* nombre(Accion a) {
    switch (a) {
    case Accion::Leer: return "Leer";
    case Accion::Enviar: return "Enviar";
    case Accion::Remoto: return "remote command";
    case Accion::Colgar: return "Colgar";
    case Accion::Verificar: return "Verificar";
    case Accion::UltimoLeido: return "Ult.Leido";
    case Accion::UltimoEnvio: return "Ult.Envio";
    }
    return "?";
}

// One operation of the link, from leaving idle to idle again.
struct Operacion {
    EstadoEnlace primero;
    std::uint32_t desde, hasta = 0;
    std::size_t mensajes;         // messages shown when it started
    std::size_t tramasEquipo;     // frames the device had taken when it started
    std::size_t tramasPrograma;   // frames the program had sent when it started
    bool terminada = false;
};

struct Figuras {
    long pasos = 0, operaciones = 0, fallasInyectadas = 0, fallasVistas = 0, rechazos = 0, colasPerdidas = 0;
    std::map<std::string, long> porFalla;
};

class Soak {
public:
    Soak(std::uint32_t semilla, const std::string& carpeta) : rnd_(semilla), carpeta_(carpeta) {
        records::Record sw;
        EXPECT_EQ(records::readSingle(records::pathSoftware(carpeta_), records::RegistroSoftware, sw), records::Status::Ok);
        sw[23] = std::to_string(kReintentos);
        sw[24] = std::to_string(kEspera / 1000);
        EXPECT_EQ(records::writeSingle(records::pathSoftware(carpeta_), records::RegistroSoftware, sw), records::Status::Ok);
        std::string error;
        for (const char* codigo : {"00", "05"}) {
            sim::Options o;
            o.model = codigo;
            o.strict = true;
            equipos_.push_back(sim::Restrictor::create(o, error));
            EXPECT_NE(equipos_.back(), nullptr) << error;
            // The device keeps a bounded log; every frame is counted here, however long the run.
            sim::Restrictor* r = equipos_.back().get();
            r->onLog = [this, r](const std::string& l) {
                const std::string kFrame = "frame: \"";
                if (l.rfind(kFrame, 0) == 0 && l.size() > kFrame.size()) tramas_[r].push_back(l.substr(kFrame.size(), l.size() - kFrame.size() - 1));
            };
        }
        p_ = std::make_unique<Programa>(host_, carpeta_, [this] {
            auto l = std::make_unique<LineaSimulada>(host_);
            linea_ = l.get();
            linea_->equipo = equipos_[0].get();
            return l;
        });
        models::RegistraModelos(p_->modelos());
        p_->enlace.alCambiar = [this](EstadoEnlace antes, EstadoEnlace despues) { cambia(antes, despues); };
        w().ZylCmd[2]->userClick();  // the Téndro's panel
    }

    Programa& p() { return *p_; }
    ZylForPri& w() { return p_->pri(); }
    forms::TestHost& host() { return host_; }
    Figuras figuras;
    std::string fallo;  // the first broken promise, in words

    // One step: a gesture under a fault, run to its end, every promise checked.
    bool paso() {
        ++figuras.pasos;
        const Accion a = static_cast<Accion>(uno(0, 6));
        Falla f = uno(0, 9) < 4 ? Falla::Ninguna : static_cast<Falla>(uno(1, 10));
        if (f == Falla::OtroModelo || f == Falla::SumaBloque2) {
            // Another device answers the read (the Omnivelda has the second block).
            if (a != Accion::Leer) f = Falla::Ninguna;
        }
        describe_ = std::string(nombre(a)) + " under " + nombre(f);
        arma(f, a);
        const std::size_t mensajes = host_.messages.size();
        const std::size_t opsAntes = ops_.size();
        p_->UltimaLectura.clear();
        const std::string banderas = gesto(a);
        // Sometimes the user tries something else while it runs: it must be turned away.
        if (uno(0, 4) == 0) {
            corre(uno(1, 4000));
            if (p_->enlace.estado != EstadoEnlace::Libre && linea_->isOpen()) {
                const std::size_t n = host_.messages.size();
                const int botones[] = {1, 2, 3, 5, 6};
                w().comando(botones[uno(0, 4)]).userClick();
                if (host_.messages.size() != n + 1 || host_.messages.back().text.rfind("Espere", 0) != 0)
                    return mal("a gesture while the link was busy was not turned away with one \"Espere\" message");
                ++figuras.rechazos;
                rechazos_.insert(n);
            }
        }
        if (!hastaLibre()) return false;
        // Injections still waiting go out now, on an idle link, and are run to their end too.
        for (auto& [cuando, que] : pendientes_) {
            if (cuando > host_.tickCount()) avanza(cuando - host_.tickCount());
            que();
        }
        pendientes_.clear();
        if (!hastaLibre()) return false;
        if (!juzga(mensajes, opsAntes, a)) return false;
        // The model the program knows is the one whose panel shows.
        const char* visible = w().panel("ZylFraTen")->visible() ? "00" : w().panel("ZylFraOmn")->visible() ? "05" : "";
        if (p_->CodigoEquipo != visible)
            return mal("the panel shows model \"" + std::string(visible) + "\" but the program knows \"" +
                       p_->CodigoEquipo + "\"");
        desarma();
        // After a write that went through, a read on a healthy line shows what the panel sent.
        if (a == Accion::Enviar && !banderas.empty() && exito_) {
            if (!lecturaSana()) return false;
            if (BanderasComoTexto(*p_).substr(0, 6) != banderas.substr(0, 6))
                return mal("a write that went through reads back as \"" + BanderasComoTexto(*p_) +
                           "\" while the panel sent \"" + banderas + "\"");
        }
        if (f != Falla::Ninguna || uno(0, 9) == 0)
            if (!lecturaSana()) return false;
        return fallo.empty();
    }

    // A read with no fault: it must succeed, without any message, and show the device's image.
    bool lecturaSana() {
        describe_ += " / then a read on a healthy line";
        const std::size_t n = host_.messages.size();
        p_->UltimaLectura.clear();
        w().comando(3).userClick();
        if (!hastaLibre()) return false;
        if (host_.messages.size() != n)
            return mal("the read on a healthy line said \"" + host_.lastMessage() + "\"");
        if (p_->UltimaLectura != linea_->equipo->image()) return mal("the read on a healthy line did not show the device's image");
        if (p_->CodigoEquipo != linea_->equipo->model().codigo) return mal("the read on a healthy line left another model code");
        return true;
    }

private:
    int uno(int a, int b) { return std::uniform_int_distribution<int>(a, b)(rnd_); }

    bool mal(const std::string& que) {
        if (!fallo.empty()) return false;
        fallo = describe_ + ": " + que + "\n  the device's last events:";
        const auto& log = linea_->equipo->log();
        for (std::size_t i = log.size() > 20 ? log.size() - 20 : 0; i < log.size(); ++i) fallo += "\n    " + log[i];
        fallo += "\n  the program's last frames:";
        const auto& t = linea_->tramas;
        for (std::size_t i = t.size() > 4 ? t.size() - 4 : 0; i < t.size(); ++i) fallo += " \"" + t[i] + "\"";
        fallo += "\n  the last operations:";
        for (std::size_t i = ops_.size() > 4 ? ops_.size() - 4 : 0; i < ops_.size(); ++i)
            fallo += std::string(" ") + NombreEstado(ops_[i].primero) + " " + std::to_string(ops_[i].desde) + "-" +
                     std::to_string(ops_[i].hasta);
        fallo += "\n  the last message: \"" + host_.lastMessage() + "\"";
        return false;
    }

    void cambia(EstadoEnlace antes, EstadoEnlace despues) {
        if (antes == EstadoEnlace::Libre) {
            ops_.push_back({despues, host_.tickCount(), 0, host_.messages.size(), tramasDe(linea_->equipo).size(),
                            linea_->tramas.size()});
            ++figuras.operaciones;
        } else if (despues == EstadoEnlace::Libre && !ops_.empty()) {
            ops_.back().hasta = host_.tickCount();
            ops_.back().terminada = true;
        }
        // A frame the link gave up is no frame: what comes next is parsed afresh.
        if (despues == EstadoEnlace::Libre) linea_->olvidaTrama();
    }

    void arma(Falla f, Accion a) {
        if (f != Falla::Ninguna) {
            ++figuras.fallasInyectadas;
            ++figuras.porFalla[nombre(f)];
        }
        const std::uint32_t cuando = host_.tickCount() + static_cast<std::uint32_t>(uno(0, 6000));
        switch (f) {
        case Falla::Ninguna: break;
        case Falla::Silencio: linea_->equipo->setFault(sim::Fault::Silence, 1); break;
        case Falla::Corta: linea_->equipo->setFault(sim::Fault::Short, 1); break;
        case Falla::SilencioEnTrama: linea_->cortaTras = uno(0, 12); break;
        case Falla::SumaBloque1: linea_->corrompe = 4 + uno(10, 127); break;
        case Falla::SumaBloque2:
            linea_->equipo = equipos_[1].get();
            linea_->corrompe = 4 + 132 + uno(0, 127);
            break;
        case Falla::OtroModelo:
            linea_->equipo = equipos_[linea_->equipo == equipos_[0].get() ? 1 : 0].get();
            break;
        case Falla::T: pendientes_.push_back({cuando, [this] { linea_->inyecta("T"); }}); break;
        case Falla::P: pendientes_.push_back({cuando, [this] { linea_->inyecta("P"); }}); break;
        case Falla::Ruido: {
            static const std::string kRuido = "0123456789:;<=>?xyz\x7f";
            std::string r;
            for (int i = uno(1, 5); i > 0; --i) r += kRuido[static_cast<std::size_t>(uno(0, static_cast<int>(kRuido.size()) - 1))];
            pendientes_.push_back({cuando, [this, r] { linea_->inyecta(r); }});
            break;
        }
        case Falla::LineaCerrada:
            pendientes_.push_back({cuando, [this] {
                                       linea_->desaparece();
                                       cerrada_ = true;
                                   }});
            break;
        }
        (void)a;
    }

    void desarma() {
        linea_->equipo->setFault(sim::Fault::None, 0);
        linea_->cortaTras = -1;
        linea_->corrompe = -1;
        // A frame cut in its unacknowledged tail is still open in the device: the next frame would
        // run into it until the device gives it up (frameTimeoutMs of the simulator).
        if (linea_->perdidos.rfind("1P", 0) == 0) corre(1100);
        linea_->perdidos.clear();
        // The device that answered stays on the line only when the panel now shows its model.
        if (p_->CodigoEquipo != linea_->equipo->model().codigo)
            for (auto& e : equipos_)
                if (p_->CodigoEquipo == e->model().codigo) linea_->equipo = e.get();
        if (cerrada_) {
            cerrada_ = false;
            const std::size_t n = host_.messages.size();
            // The adapter plugged in again, a moment later: the device has given up the frame the
            // unplugging cut (a frame of its own would run into it before that).
            corre(1100);
            p_->abrePuerto();
            EXPECT_EQ(host_.messages.size(), n);
        }
    }

    // The user's gesture; for a write, the flags the panel sends.
    std::string gesto(Accion a) {
        switch (a) {
        case Accion::Leer: w().comando(3).userClick(); break;
        case Accion::Enviar: {
            if (p_->CodigoEquipo != "00") return "";  // the other model's panel is only read
            w().ZylChkRes[static_cast<std::size_t>(uno(0, 5))]->userClick();
            const std::string b = BanderasComoTexto(*p_);
            w().comando(4).userClick();
            return b;
        }
        case Accion::Remoto:
            host_.popupChoices.push_back("mnuEnviar");
            w().ZylChkRes[static_cast<std::size_t>(uno(0, 3))]->userPress(forms::MouseButton::Right);
            host_.popupChoices.clear();
            break;
        case Accion::Colgar: w().comando(1).userClick(); break;
        case Accion::Verificar: w().comando(2).userClick(); break;
        case Accion::UltimoLeido: w().comando(5).userClick(); break;
        case Accion::UltimoEnvio: w().comando(6).userClick(); break;
        }
        return "";
    }

    // The link's first promise, looked at whenever the clock moves.
    bool vigilado() {
        const EstadoEnlace e = p_->enlace.estado;
        if (e == EstadoEnlace::Libre) return !w().TimerEC->timerEnabled() && !w().TimerPID->timerEnabled();
        if (w().TimerEC->timerEnabled()) return true;
        return (e == EstadoEnlace::EntreTramas || e == EstadoEnlace::ComandoPendiente) && w().TimerPID->timerEnabled();
    }

    // Runs the clock for `ms`, the device's output handed out when due.
    bool corre(std::uint32_t ms) {
        const std::uint32_t fin = host_.tickCount() + ms;
        while (host_.tickCount() < fin) {
            std::uint32_t siguiente = fin;
            if (auto d = linea_->equipo->nextEventMs(); d && *d < siguiente) siguiente = std::max(*d, host_.tickCount());
            for (forms::Timer* t : {w().TimerEC, w().TimerPID})
                if (host_.scheduled(*t) && host_.dueAt(*t) < siguiente) siguiente = std::max(host_.dueAt(*t), host_.tickCount());
            for (auto it = pendientes_.begin(); it != pendientes_.end();) {
                if (it->first <= host_.tickCount()) {
                    auto que = it->second;
                    it = pendientes_.erase(it);
                    que();
                } else {
                    siguiente = std::min(siguiente, it->first);
                    ++it;
                }
            }
            avanza(siguiente > host_.tickCount() ? siguiente - host_.tickCount() : 0);
            linea_->entrega();
            if (!vigilado())
                return mal(std::string("the link is in state ") + NombreEstado(p_->enlace.estado) +
                           " with neither its watchdog nor its timer running");
        }
        return true;
    }
    void avanza(std::uint32_t ms) { host_.advance(ms); }

    // Runs until the link is idle and nothing is due; an operation that never ends is a fault.
    bool hastaLibre() {
        const std::uint32_t limite = host_.tickCount() + 120000;
        for (;;) {
            if (!corre(50)) return false;
            const bool quieto = p_->enlace.estado == EstadoEnlace::Libre && !linea_->equipo->nextEventMs();
            if (quieto) {
                // A last look: nothing more arrives shortly.
                if (!corre(200)) return false;
                if (p_->enlace.estado == EstadoEnlace::Libre && !linea_->equipo->nextEventMs()) return true;
            }
            if (host_.tickCount() > limite)
                return mal(std::string("the link never came back to idle (state ") + NombreEstado(p_->enlace.estado) + ")");
        }
    }

    static std::uint32_t tope(EstadoEnlace primero) {
        switch (primero) {
        case EstadoEnlace::Leyendo: return kEspera * (1 + kReintentos);
        case EstadoEnlace::Trama1: return kTramaPID + 2 * kEspera;
        case EstadoEnlace::ComandoPendiente: return kTramaPID + kEspera;
        default: return kEspera;
        }
    }

    static bool esReintento(const std::string& t) { return !t.empty() && t.find_first_not_of("0123456789") == std::string::npos; }

    // Every operation of the step: within its time, and ended with no message when it did its
    // work, with exactly one when it did not.
    bool juzga(std::size_t mensajesAntes, std::size_t opsAntes, Accion a) {
        exito_ = false;
        for (std::size_t i = opsAntes; i < ops_.size(); ++i) {
            Operacion op = ops_[i];
            if (!op.terminada) return mal("an operation did not end");
            std::uint32_t limite = tope(op.primero);
            // The device may not have heard a frame's "P" (there is no acknowledgement of it): its
            // "T" for the closing "1" then asks for the frame again, at once. That repeat is part
            // of the same operation, and so is the message it may end with.
            while (i + 1 < ops_.size() && ops_[i + 1].primero == EstadoEnlace::TramaRepetida &&
                   ops_[i + 1].desde - op.hasta <= 100) {
                ++i;
                op.hasta = ops_[i].hasta;
                op.terminada = ops_[i].terminada;
                limite += kEspera;
                if (!op.terminada) return mal("an operation did not end");
            }
            if (op.hasta - op.desde > limite)
                return mal(std::string("an operation from ") + NombreEstado(op.primero) + " lasted " +
                           std::to_string(op.hasta - op.desde) + " ms, more than " + std::to_string(limite));
            const std::size_t fin = i + 1 < ops_.size() ? ops_[i + 1].mensajes : host_.messages.size();
            std::size_t avisos = 0;
            std::string ultimo;
            for (std::size_t m = op.mensajes; m < fin; ++m) {
                if (rechazos_.count(m) || esReintento(host_.messages[m].text)) continue;
                ++avisos;
                ultimo = host_.messages[m].text;
            }
            if (avisos > 1) return mal("one operation ended with " + std::to_string(avisos) + " messages, the last \"" + ultimo + "\"");
            bool hizo;
            if (op.primero == EstadoEnlace::Leyendo) {
                hizo = !p_->UltimaLectura.empty() && p_->UltimaLectura == linea_->equipo->image();
            } else {
                // Its frames reached the device whole.
                const auto& equipo = tramasDe(linea_->equipo);
                const std::size_t nuevos = linea_->tramas.size() - op.tramasPrograma;
                hizo = nuevos > 0 && equipo.size() >= op.tramasEquipo + 1 && !equipo.empty() &&
                       equipo.back() == linea_->tramas.back();
            }
            // The frame's closing "1" and "P" are never acknowledged: a line that dies just before
            // them loses the frame where no sender can see it. That is the wire's, not the link's.
            if (avisos == 0 && !hizo && linea_->perdidos.rfind("1P", 0) == 0) {
                ++figuras.colasPerdidas;
                continue;
            }
            if (avisos == 0 && !hizo)
                return mal(std::string("an operation from ") + NombreEstado(op.primero) +
                           " did not do its work and said nothing");
            if (avisos == 1) ++figuras.fallasVistas;
            if (avisos == 0 && hizo && (a != Accion::Enviar || op.primero == EstadoEnlace::Trama1)) exito_ = true;
        }
        // Every frame the device took is one the program sent whole.
        for (const std::string& q : linea_->tramas) enviadas_.insert(q);
        linea_->tramas.clear();
        for (auto& e : equipos_) {
            const auto& f = tramasDe(e.get());
            std::size_t& visto = vistas_[e.get()];
            for (; visto < f.size(); ++visto)
                if (!enviadas_.count(f[visto])) return mal("the device took a frame the program never sent: \"" + f[visto] + "\"");
        }
        (void)mensajesAntes;
        return true;
    }

    std::mt19937 rnd_;
    std::string carpeta_;
    forms::TestHost host_;
    std::vector<std::unique_ptr<sim::Restrictor>> equipos_;
    LineaSimulada* linea_ = nullptr;
    std::unique_ptr<Programa> p_;
    std::vector<Operacion> ops_;
    std::vector<std::pair<std::uint32_t, std::function<void()>>> pendientes_;
    std::set<std::size_t> rechazos_;
    std::set<std::string> enviadas_;
    std::map<const sim::Restrictor*, std::size_t> vistas_;
    std::map<const sim::Restrictor*, std::vector<std::string>> tramas_;
    const std::vector<std::string>& tramasDe(const sim::Restrictor* r) { return tramas_[r]; }
    std::string describe_;
    bool cerrada_ = false, exito_ = false;
};

std::vector<std::uint32_t> semillas() {
    const char* v = std::getenv("ZYLMA_SOAK_SEEDS");
    if (!v || !*v) return {1, 2, 3};
    std::vector<std::uint32_t> out;
    if (std::string(v) == "fresh") {
        std::random_device rd;
        for (int i = 0; i < 5; ++i) out.push_back(rd());
        return out;
    }
    std::stringstream ss(v);
    for (std::string s; std::getline(ss, s, ',');) out.push_back(static_cast<std::uint32_t>(std::stoul(s)));
    return out;
}

long pasos() {
    const char* v = std::getenv("ZYLMA_SOAK_STEPS");
    return v && *v ? std::stol(v) : 1500;
}

TEST(LinkSoak, SeededFaultsNeverLeaveTheLinkStuck) {
    Figuras total;
    for (std::uint32_t semilla : semillas()) {
        SCOPED_TRACE("seed " + std::to_string(semilla));
        std::cout << "soak seed " << semilla << ", " << pasos() << " steps\n";
        AppFolder folder;
        fs::copy(ZYLMA_APP_DIR, folder.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        Soak s(semilla, folder.path());
        ASSERT_TRUE(s.lecturaSana()) << "seed " << semilla << ": " << s.fallo;
        for (long i = 0; i < pasos(); ++i)
            ASSERT_TRUE(s.paso()) << "seed " << semilla << ", step " << i + 1 << ": " << s.fallo;
        total.pasos += s.figuras.pasos;
        total.operaciones += s.figuras.operaciones;
        total.fallasInyectadas += s.figuras.fallasInyectadas;
        total.fallasVistas += s.figuras.fallasVistas;
        total.rechazos += s.figuras.rechazos;
        total.colasPerdidas += s.figuras.colasPerdidas;
        for (auto& [k, n] : s.figuras.porFalla) total.porFalla[k] += n;
    }
    std::cout << "soak: " << total.pasos << " steps, " << total.operaciones << " link operations, "
              << total.fallasInyectadas << " faults injected, " << total.fallasVistas << " failures reported, "
              << total.rechazos << " gestures turned away, " << total.colasPerdidas
              << " frames lost in their unacknowledged closing \"1P\"\n";
    for (auto& [k, n] : total.porFalla) std::cout << "  " << k << ": " << n << "\n";
}

}  // namespace
