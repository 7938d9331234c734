#include "comun.h"

#include "zylma/app/enlace.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/app/lectura.h"
#include "zylma/app/monitor.h"
#include "zylma/app/rechazos.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/files/files.h"

namespace zylma::models {

using namespace zylma::app;

forms::TextBox* texto(ZylForPri& w, const char* nombre, int indice) { return w.findAs<forms::TextBox>(nombre, indice); }

void ponTexto(ZylForPri& w, const char* nombre, const std::string& t, int indice) {
    if (forms::TextBox* b = texto(w, nombre, indice)) b->setText(t);
}

std::string leeTexto(ZylForPri& w, const char* nombre, int indice) {
    forms::TextBox* b = texto(w, nombre, indice);
    return b ? b->text() : std::string();
}

void ponCaption(ZylForPri& w, const char* nombre, const std::string& t) {
    if (forms::Control* c = w.find(nombre)) c->setCaption(t);
}

std::string claseInstalacion(ZylForPri& w) { return w.caption().size() > 11 ? w.caption().substr(11) : std::string(); }

void estadoDesde(forms::CheckBox& c, const std::string& campo) {
    long v = 0;
    if (!enteroDeTexto(campo, v)) return;
    if (v == 1) c.setValue(1);
    else if (v == 0) c.setValue(0);
}

std::string Ajusta(std::string_view campo, std::size_t ancho) {
    if (campo.size() >= ancho) return std::string(campo.substr(0, ancho));
    return std::string(ancho - campo.size(), '0') + std::string(campo);
}

bool CabeEnCampo(std::string_view texto, std::size_t maximo, std::string_view otros) {
    if (texto.size() > maximo) return false;
    for (char c : texto)
        if (!(c >= '0' && c <= '9') && otros.find(c) == std::string_view::npos) return false;
    return true;
}

std::string RellenaF(std::string_view texto, std::size_t n) {
    std::string out(texto.substr(0, std::min(n, texto.size())));
    out.resize(n, 'F');
    return out;
}

std::optional<std::string> OpcionCasilla(std::string_view valor) {
    if (valor == "1") return std::string("9");
    if (valor == "0") return std::string("0");
    return std::nullopt;
}

bool ClaveVuelve(std::string_view crudo, std::size_t largo) {
    if (crudo.size() != largo || largo == 0) return false;
    for (char c : crudo)
        if (!((c >= '0' && c <= '9') || c == 'A')) return false;
    return crudo[0] != 'A' && crudo[0] != '0';
}

bool TresDigitosVuelven(std::string_view nibbles, long limite) {
    if (nibbles.size() != 3) return false;
    long v = 0;
    for (char c : nibbles) {
        if (c == 'A') c = '0';
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    return v <= limite;
}

bool DigitosVuelven(std::string_view crudo) {
    bool relleno = false;
    for (char c : crudo) {
        if (c == 'F') {
            relleno = true;
            continue;
        }
        if (relleno) return false;
        if (!((c >= '0' && c <= '9') || c == 'A' || c == 'B' || c == 'C')) return false;
    }
    return true;
}

std::string Nibbles(std::string_view mapa, std::size_t desde, std::size_t cuantos) {
    std::string out;
    for (std::size_t i = 0; i < cuantos; ++i) out += codec::Posiciones(mapa, desde + 2 * i, desde + 2 * i);
    return out;
}

bool MismoEnEquipo(std::string_view escrito, std::string_view crudo) {
    if (escrito.size() != crudo.size()) return false;
    auto equipo = [](char c) { return c == '0' ? 'A' : c == '*' ? 'B' : c == '#' ? 'C' : c; };
    for (std::size_t i = 0; i < escrito.size(); ++i)
        if (equipo(escrito[i]) != equipo(crudo[i])) return false;
    return true;
}

void MarcaSi(bool noVuelve, Programa& p, const char* control, int indice, const std::string& nombre) {
    if (noVuelve) MarcaNoEscribible(p, control, indice, nombre);
}

std::string CaptionDe(ZylForPri& w, const char* nombre, int indice) {
    forms::Control* c = w.find(nombre, indice);
    if (!c) return nombre;
    std::string t;
    for (char ch : c->caption())
        if (ch != '&') t += ch;
    return t;
}

app::ModeloEquipo Unidad(const char* nombre, const char* panel, const char* codigo,
                         std::function<void(Programa&)> cargaConf, std::function<void(Programa&)> leeEquipo,
                         std::function<bool(Programa&)> preparaEnvio, std::function<bool(Programa&)> armaComando) {
    app::ModeloEquipo m;
    m.nombre = nombre;
    m.panel = panel;
    m.codigo = codigo;
    m.cargaConf = std::move(cargaConf);
    m.leeEquipo = std::move(leeEquipo);
    m.preparaEnvio = std::move(preparaEnvio);
    m.armaComando = std::move(armaComando);
    return m;
}

app::Disparador Fila(std::string control, int indice, app::Gesto gesto, std::string numero, app::ValorDe valor,
                     bool pasaIndice) {
    app::Disparador d;
    d.control = std::move(control);
    d.indice = indice;
    d.gesto = gesto;
    d.numero = std::move(numero);
    d.valor = valor;
    d.pasaIndice = pasaIndice;
    return d;
}

bool TomaImagen(Programa& p, const codec::ModeloTrama& trama, SiDanada siDanada) {
    if (!LecturaLista(p, trama)) return false;
    if (siDanada != SiDanada::NoHaySumas && !codec::SumasCorrectas(p.MapaLectura, trama)) {
        switch (siDanada) {
        case SiDanada::Reintenta: ReintentaLectura(p); break;
        case SiDanada::ReintentaGuardada:
            if (p.LecturaEnVivo != 1) ReintentaLectura(p);
            p.LecturaEnVivo = 1;
            break;
        case SiDanada::EsperaVigilante: p.LecturaEnVivo = 1; break;
        case SiDanada::NoHaySumas: break;
        }
        return false;
    }
    LecturaCompleta(p);
    IniciaMarcas(p);
    return true;
}

bool AbreConfiguracion(Programa& p, std::string_view carpeta, std::size_t restricciones, const char* panel,
                       int largoClave, records::Record& r) {
    ZylForPri& w = p.pri();
    p.RutaArchivo = records::pathConfiguracion(p.RutaAplicacion, std::string(carpeta), p.VersionEquipo);
    bool leido = false;
    if (!files::fileExists(p.RutaArchivo)) {
        // Without the record there is nothing to load: the fields keep what they showed.
        p.mensaje("No existe archivo de configuración.");
    } else {
        leido = LeeRegistro(p, p.RutaArchivo, records::RegistroConfiguracion, r, "configuración");
    }
    if (!leido) {
        MuestraConfiguracion(p, panel, largoClave);
        return false;
    }
    w.ZylTexResCla->setText(r[43]);
    w.ZylTexBan->setText(r[55]);
    for (std::size_t k = 0; k < restricciones && k < w.ZylChkRes.size(); ++k) w.ZylChkRes[k]->setCaption(r[45 + k]);
    return true;
}

void MuestraConfiguracion(Programa& p, const char* panel, int largoClave) {
    ZylForPri& w = p.pri();
    MuestraRestricciones(p);
    AplicaVisibilidadRestricciones(p);
    PreparaPaneles(p);
    w.panel(panel)->setVisible(true);
    w.ZylTexResCla->setMaxLength(largoClave);
}

void MuestraCabeceraLectura(Programa& p, const char* panel, bool usuarioGardomelinta, bool modificadorGardomelinta) {
    ZylForPri& w = p.pri();
    w.panel(panel)->setVisible(false);
    w.ZylTexResFirm->setText(p.VersionEquipo);
    if (usuarioGardomelinta) w.ZylTexResUs->setText(std::string(codec::kTextoGardomelinta));
    if (modificadorGardomelinta) w.ZylTexResMod->setText(std::string(codec::kTextoGardomelinta));
}

std::string ModeloLeido(Programa& p, const char* panel, std::size_t modelo) {
    const std::string& entrada = modelo < p.ListaModelos.size() ? p.ListaModelos[modelo] : std::string();
    if (p.modelos().porNombre(entrada)) return entrada;
    // An installation whose list has no such entry (a kit of the Fenzo Kalmoro or the
    // Selvarindo Voz alone leaves it empty): the model just read is still the one "&Default"
    // must show, never an empty work area.
    const ModeloEquipo* m = p.modelos().porPanel(panel);
    return m ? m->nombre : entrada;
}

void CierraLectura(Programa& p, const char* panel, std::size_t modelo) {
    ZylForPri& w = p.pri();
    w.panel(panel)->setVisible(true);
    w.ZylTexEst->setText("Zylma");
    p.EquipoActual = ModeloLeido(p, panel, modelo);
    p.LecturaEnVivo = 1;
    AvisaMarcas(p);
}

std::vector<std::string> CamposRechazados(Programa& p, const std::vector<Revision>& revisiones) {
    ZylForPri& w = p.pri();
    std::vector<std::string> campos;
    for (const Revision& r : revisiones) {
        forms::Control* c = w.find(r.control, r.indice);
        if (!c) continue;
        std::string texto;
        if (auto* t = dynamic_cast<forms::TextBox*>(c)) texto = t->text();
        else if (auto* cb = dynamic_cast<forms::ComboBox*>(c)) texto = cb->text();
        if (r.valido(texto)) continue;
        // A combo box is named by the label beside it, as its trigger is.
        std::string nombre = NombreCampo(w, *c);
        if (nombre.empty()) nombre = r.control;
        campos.push_back(nombre);
    }
    return campos;
}

bool Rehusa(Programa& p, Falta f) {
    const std::string& campo = p.CampoComando;
    switch (f) {
    case Falta::Ninguna:
    case Falta::SinComando: p.RechazoComando = MotivoSinComando(campo); break;
    case Falta::Clave: p.RechazoComando = MotivoClave(p.pri().ZylTexResCla->text()); break;
    case Falta::ClaveNueva: p.RechazoComando = MotivoClaveNueva(p.pri().ZylTexResCla->text()); break;
    case Falta::ClaveActual: p.RechazoComando = MotivoClaveActual(p.ClaveAnterior); break;
    case Falta::Valor: p.RechazoComando = MotivoCampo(campo); break;
    case Falta::Vacio: p.RechazoComando = MotivoCampo(campo, "está vacío"); break;
    case Falta::Gris:
        p.RechazoComando = MotivoCampo(campo, "la casilla está en gris: ni marcada ni sin marcar");
        break;
    }
    return false;
}

bool TomaCadena(Programa& p, const std::optional<std::string>& cadena) {
    if (!cadena) return false;
    p.CadenaComando = *cadena;
    return true;
}

void RegistraEnvio(Programa& p, const std::string& datos, const std::string& trama, const std::string& mascara) {
    p.ImagenEnvio = datos;
    p.TramaEnvio = trama;
    p.MascaraEnvio = mascara;
    p.monitor().ZylTexMon[2]->setText(p.TramaEnvio);
}

}  // namespace zylma::models
