#include "zylma/app/disparadores.h"

#include "zylma/app/cambio_clave.h"
#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"

#include <cstdlib>

namespace zylma::app {

using namespace zylma::forms;

std::vector<Disparador> DisparadoresComunes() {
    std::vector<Disparador> filas;
    for (int k = 1; k <= 9; ++k) {
        Disparador d;
        d.control = std::string("ZylChkRes0") + char('0' + k);
        d.gesto = Gesto::PulsacionDerecha;
        d.numero = std::to_string(k);
        d.valor = ValorDe::Estado;
        filas.push_back(d);
    }
    return filas;
}

namespace {

std::string valorDe(const Control& c) {
    if (auto* ch = dynamic_cast<const CheckBox*>(&c)) return std::to_string(ch->value());
    if (auto* t = dynamic_cast<const TextBox*>(&c)) return t->text();
    if (auto* cb = dynamic_cast<const ComboBox*>(&c)) return cb->text();
    return c.caption();
}

// The frame a control sits in, when it has a caption of its own.
std::string marcoDe(const Control& c) {
    const Control* f = c.container();
    return f && !f->caption().empty() ? f->caption() : std::string();
}

// What a label shows: its caption, or the text of a locked text box standing as one (the
// common area's "Clave").
std::string textoEtiqueta(const Control& o) {
    if (o.kind() == Kind::Label) return o.caption();
    if (auto* t = dynamic_cast<const TextBox*>(&o); t && t->locked) return t->text();
    return {};
}

// The label beside a field: in the same frame, on the same row, the nearest one to its left.
const Control* etiquetaDe(const ZylForPri& w, const Control& c) {
    const Control* mejor = nullptr;
    for (const Control* o : w.controls()) {
        if (o == &c || o->container() != c.container() || textoEtiqueta(*o).empty()) continue;
        if (o->left() >= c.left() || std::abs(o->top() - c.top()) > 150) continue;
        if (!mejor || o->left() > mejor->left()) mejor = o;
    }
    return mejor;
}

}  // namespace

std::string NombreCampo(const ZylForPri& w, const Control& c) {
    std::string propio;
    if (c.kind() == Kind::CheckBox || c.kind() == Kind::Label) return c.caption();
    if (c.kind() == Kind::Button) propio = c.caption();
    else if (const Control* e = etiquetaDe(w, c)) propio = textoEtiqueta(*e);
    const std::string marco = marcoDe(c);
    if (marco.empty()) return propio;
    if (propio.empty()) return marco;
    if (propio.rfind(marco, 0) == 0) return propio;  // "Clave de Salida" in the frame "Clave"
    // Several frames hold fields of one caption ("Número de llamadas permitidas"), and an
    // array's labels are only its element numbers: the frame tells them apart.
    return marco + " " + propio;
}

namespace {

// After the pop-up: the Selvarindo builds its image for the row's setting.
void preparaSelvarindo(Programa& p, const Disparador& d) {
    if (d.parametroSelvarindo.empty()) return;
    p.ParametroSelvarindo = d.parametroSelvarindo;
    if (const ModeloEquipo* m = p.modelos().porCodigo("08"); m && m->preparaParametro) m->preparaParametro(p);
}

}  // namespace

void Dispara(Programa& p, const Disparador& d) {
    ZylForPri& w = p.pri();
    Control* c = w.find(d.control, d.indice);
    if (!c) return;
    p.NumeroComando = d.numero;
    p.CampoComando = NombreCampo(w, *c);
    p.ControlComando = d.control;
    p.ElementoComando = d.indice;
    if (d.pasaIndice) p.IndiceComando = std::to_string(d.indice + d.desplazamientoIndice);
    switch (d.valor) {
    case ValorDe::Nada: break;
    case ValorDe::Estado:
    case ValorDe::Texto: p.ValorComando = valorDe(*c); break;
    case ValorDe::TextoDe:
        if (Control* o = w.find(d.origen)) p.ValorComando = valorDe(*o);
        break;
    }
    // Waits for the user; "Enviar" runs before this returns.
    p.host().popupMenu(*w.mnuComando);
    preparaSelvarindo(p, d);
}

void InstalaDisparadores(Programa& p, ZylForPri& w, const std::vector<Disparador>& filas) {
    for (const Disparador& d : filas) {
        Control* c = w.find(d.control, d.indice);
        if (!c) continue;
        switch (d.gesto) {
        case Gesto::PulsacionDerecha:
            c->onMouseDown = [&p, d](MouseButton b, int) {
                if (b == MouseButton::Right) Dispara(p, d);
                else if (d.cualquierBoton) preparaSelvarindo(p, d);
            };
            break;
        case Gesto::DobleClic: c->onDblClick = [&p, d] { Dispara(p, d); }; break;
        case Gesto::Clic: c->onClick = [&p, d] { Dispara(p, d); }; break;
        }
    }
}

void AbreCambioClave(Programa& p) {
    ZylForPri& w = p.pri();
    ZylForCamCla& v = p.ventana<ZylForCamCla>();
    v.ZylTextCanCka->setMaxLength(w.ZylTexResCla->maxLength());
    p.NumeroComando = "10";
    // To the right of the key box, level with it: our key box is wider than the 540 twips the
    // window was once moved by, so that offset put the window over the box. The host keeps it
    // on the screen.
    v.move(w.left() + w.ZylTexResCla->left() + w.ZylTexResCla->width() + 120, w.top() + w.ZylTexResCla->top());
    v.show();
}

}  // namespace zylma::app
