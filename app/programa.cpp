#include "zylma/app/programa.h"

#include "zylma/app/disparadores.h"
#include "zylma/app/enlace.h"
#include "zylma/app/monitor.h"
#include "zylma/app/zyl_for_pri.h"

namespace zylma::app {

const ModeloEquipo* RegistroModelos::porNombre(const std::string& nombre) const {
    for (const auto& m : modelos_)
        if (m.nombre == nombre) return &m;
    return nullptr;
}

const ModeloEquipo* RegistroModelos::porCodigo(const std::string& codigo) const {
    for (const auto& m : modelos_)
        if (m.codigo == codigo) return &m;
    return nullptr;
}

const ModeloEquipo* RegistroModelos::porPanel(const std::string& panel) const {
    for (const auto& m : modelos_)
        if (m.panel == panel) return &m;
    return nullptr;
}

bool LeeRegistro(Programa& p, const std::string& ruta, const records::RecordKind& kind, records::Record& r,
                 const std::string& que, const std::string& cola, int estilo) {
    p.RutaArchivo = ruta;
    const records::Status st = records::readSingle(ruta, kind, r);
    if (st == records::Status::Ok) return true;
    if (st == records::Status::Missing)
        p.mensaje("No existe el archivo de " + que + " " + ruta + cola, estilo);
    else
        p.mensaje("No se puede leer el archivo de " + que + " " + ruta + " (" + records::describe(st) + ")" + cola,
                  estilo);
    return false;
}

bool enteroDeTexto(const std::string& s, long& out) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negativo = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativo = s[i++] == '-';
    std::size_t inicio = i;
    long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 1000000000L) return false;
    }
    if (i == inicio) return false;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i != s.size()) return false;
    out = negativo ? -v : v;
    return true;
}

Programa::Programa(forms::Host& host, std::string appFolder, FabricaPuerto fabricaPuerto)
    : RutaAplicacion(std::move(appFolder)), host_(host), fabricaPuerto_(std::move(fabricaPuerto)) {
    while (RutaAplicacion.size() > 1 && RutaAplicacion.back() == '/') RutaAplicacion.pop_back();
}

Programa::~Programa() {
    if (puerto_) puerto_->close();
    // Windows go before the port and host they use.
    monitor_.reset();
    pri_.reset();
}

ZylForPri& Programa::pri() {
    if (!pri_) {
        pri_ = std::make_unique<ZylForPri>(*this);
        for (const ModeloEquipo& m : modelos_.todos())
            if (m.creaPanel)
                if (forms::Frame* f = pri_->panel(m.panel)) {
                    m.creaPanel(*pri_, *f);
                    InstalaDisparadores(*this, *pri_, m.disparadores);
                    InstalaValidadores(*this, *pri_, m.validadores);
                }
        pri_->load();
    }
    return *pri_;
}

ZylForMonitor& Programa::monitor() {
    if (!monitor_) {
        monitor_ = std::make_unique<ZylForMonitor>(*this);
        monitor_->load();
    }
    return *monitor_;
}

int Programa::mensaje(const std::string& texto, int estilo, const std::string& titulo) {
    return host_.msgBox(texto, estilo, titulo);
}

serial::SerialPort& Programa::puerto() {
    if (!puerto_) {
        puerto_ = fabricaPuerto_();
        ConectaPuerto(*this, *puerto_);
    }
    return *puerto_;
}

bool Programa::abrePuerto() {
    const std::string dispositivo = serial::devicePathForPort(NumPuerto);
    std::string error;
    if (puerto().open(dispositivo, error)) return true;
    mensaje("No se pudo abrir el puerto serie " + std::to_string(NumPuerto) + " (" + dispositivo + "): " + error +
                ". El enlace con el equipo queda cerrado.",
            forms::vbExclamation);
    return false;
}

void Programa::termina(int codigo) {
    if (monitor_) monitor_->hide();
    if (pri_) pri_->hide();
    host_.quit(codigo);
}

}  // namespace zylma::app
