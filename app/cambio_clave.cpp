#include "zylma/app/cambio_clave.h"

#include "zylma/app/barra.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/app/programa.h"
#include "zylma/app/rechazos.h"
#include "zylma/app/validadores.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/dialler/qrx_binding.h"
#include "zylma/winapi/services.h"

namespace zylma::app {

using namespace zylma::forms;

namespace {
constexpr const char* kTituloClave = "ERROR EN LA CLAVE";
}

ZylForCamCla::ZylForCamCla(Programa& p) : Form(p.host(), "zylforCamCla"), p_(p) {
    setCaption("ZYLMA");
    zylfracancka = &add<Frame>("zylfracancka");
    zylfracancka->setCaption("Tecle la nueva clave");
    zylfracancka->move(120, 60, 2760, 780);
    ZylTextCanCka = &add<TextBox>("ZylTextCanCka", -1, zylfracancka);
    ZylTextCanCka->move(180, 300, 2400, 315);
    zylCmbCamCla = &add<Button>("zylCmbCamCla");
    zylCmbCamCla->setCaption("Enviar");
    zylCmbCamCla->isDefault = true;
    zylCmbCamCla->move(960, 960, 1080, 375);
    move(0, 0, 3060, 1800);
    ZylTextCanCka->onChange = [this] { revisa(); };
    zylCmbCamCla->onClick = [this] { envia(); };
}

void ZylForCamCla::revisa() {
    // The same rule as the key box: the whole text judged, a refused edit undone.
    const std::string t = ZylTextCanCka->text();
    const Juicio j = Juzga(Regla::Clave, t, kTituloClave, p_.CodigoEquipo);
    if (j.correccion == Correccion::Ninguna) {
        ultimaValida_ = t;
        return;
    }
    p_.mensaje(j.mensaje, vbOKOnly, j.titulo);
    if (j.correccion == Correccion::Vacia) ultimaValida_.clear();
    ZylTextCanCka->setText(ultimaValida_);
    ZylTextCanCka->setSelStart(static_cast<int>(utf8Length(ultimaValida_)));
}

void ZylForCamCla::envia() {
    const std::string nueva = ZylTextCanCka->text();
    if (nueva.empty()) {
        RehusaEnvio(p_, "No se envió el cambio de clave: tecle la nueva clave.");
        return;
    }
    // Nothing changes while a write is still going out; the window stays for a later try.
    if (EscrituraOcupada(p_)) return;
    // The change carries the key the device has now: one the last read could not give back as
    // it stands (an unprogrammed device's, shown empty) goes nowhere until the user types it.
    if (const auto campo = CampoNoEscribibleDeComando(p_, "ZylTexResCla", -1)) {
        RehusaEnvio(p_, MotivoCampo(*campo, "el valor leído del equipo no se puede enviar tal como está; escriba uno"));
        return;
    }
    // Another trigger may have run while this window stood open.
    p_.NumeroComando = "10";
    p_.EnviaImagen = "0";
    ZylForPri& w = p_.pri();
    p_.ClaveAnterior = w.ZylTexResCla->text();
    w.ZylTexResCla->setText(nueva);
    p_.CampoComando = "Clave";
    if (!IniciaEnvio(p_)) {
        // Not sent (IniciaEnvio has said why): the panel keeps the key the device has, and the
        // window stays for another try.
        w.ZylTexResCla->setText(p_.ClaveAnterior);
        return;
    }
    if (p_.CodigoEquipo == "08") {
        p_.ParametroSelvarindo = "2";
        if (const ModeloEquipo* m = p_.modelos().porCodigo("08"); m && m->preparaParametro) m->preparaParametro(p_);
    }
    unload();
}

ZylForDLLModem::ZylForDLLModem(Programa& p) : Form(p.host(), "ZylForDLLModem"), p_(p) {
    setCaption("DLL MODEM");
    move(0, 0, 2400, 900);
    onLoad = [this] {
        // The library's message box is this program's, and while it waits for the call the
        // program's own events (serial, timers, drawing) go on.
        Host& host = p_.host();
        winapi::setMessageBoxService([&host](const std::string& texto, const std::string& titulo, unsigned tipo) {
            return host.msgBox(texto, static_cast<int>(tipo), titulo);
        });
        winapi::setPendingEventsService([&host] { host.doEvents(); });
        // Blocks until the library has placed the call; it tells the outcome itself.
        dialler::QrxResult r = dialler::callQRX(p_.RutaAplicacion, p_.CadenaComando);
        if (!r.called) p_.mensaje(r.error, vbExclamation);
    };
    onActivate = [this] { unload(); };
}

void MarcaPorModem(Programa& p) {
    ZylForDLLModem& v = p.ventana<ZylForDLLModem>();  // loading it dials
    v.hide();
    if (v.loaded()) v.show();
}

}  // namespace zylma::app
