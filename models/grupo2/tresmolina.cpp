#include "grupo2/tresmolina.h"

#include "zylma/app/programa.h"
#include "zylma/app/zyl_for_pri.h"
#include "comun.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/forms/control.h"
#include "zylma/records/records.h"

namespace zylma::models::tresmolina {

using namespace zylma::app;
using namespace zylma::models::fenzo;
namespace codec = zylma::codec;

namespace {

constexpr const char* kNombre = "Tresmolina";
// The configuration folder and file use the plural.
constexpr const char* kCarpeta = "Tresmolinas";
constexpr const char* kPanel = "ZylFraTre";

const codec::ModeloTrama& trama() { return *codec::BuscaModelo("06"); }

constexpr Campo clave(int k, std::size_t inicio) { return {Dato::ClaveOperacion, k, inicio, false}; }

}  // namespace

// ---------------------------------------------------------------- codec

const std::array<Campo, 35> kCampos = {{
    {Dato::Modificador, 0, 1, false},          // map 7-10
    {Dato::Clave, 0, 5, false},                // map 11-16
    {Dato::Banderas, 0, 11, false},            // map 17-22: C, B, "0", A, "00"
    {Dato::Contador, 0, 17, false},            // map 23-28
    {Dato::DuracionProhibidas, 0, 23, false},  // map 29-34
    {Dato::DuracionLibres, 0, 29, false},      // map 35-40
    {Dato::Memoria, 0, 35, false},             // map 41, memory 01
    {Dato::Memoria, 1, 51, false},             // map 57, memory 02
    {Dato::Memoria, 2, 67, false},             // map 73, memory 03
    {Dato::Memoria, 3, 83, false},             // map 89, memory 04
    {Dato::Clave, 1, 99, false},               // map 105-110, the copy a read shows
    clave(0, 105), clave(1, 111), clave(2, 117),  // map 111, 117, 123: keys #02 to #04
    // After block 1's checksum and the "45": keys #05 to #25 from map 133, six apart.
    clave(3, 123), clave(4, 129), clave(5, 135), clave(6, 141), clave(7, 147), clave(8, 153),
    clave(9, 159), clave(10, 165), clave(11, 171), clave(12, 177), clave(13, 183), clave(14, 189),
    clave(15, 195), clave(16, 201), clave(17, 207), clave(18, 213), clave(19, 219), clave(20, 225),
    clave(21, 231), clave(22, 237), clave(23, 243),  // map 253-258, key #25
}};

std::string Rechazo(const Panel& panel) {
    if (!ClaveValida(panel.clave)) return "clave";
    for (const std::string* t : {&panel.contador, &panel.duracionProhibidas, &panel.duracionLibres})
        if (!TresDigitosValido(*t)) return "tres digitos";
    for (const std::string& m : panel.memorias)
        if (!DigitosValidos(m, 16)) return "memoria";
    for (const std::string& k : panel.claves)
        if (!DigitosValidos(k, 5)) return "clave de operacion";
    return "";
}

namespace {
std::string valorCampo(const Panel& panel, const Campo& c) {
    const auto e = static_cast<std::size_t>(c.elemento);
    switch (c.dato) {
        case Dato::Modificador: return ModificadorCuatro(panel.modificador);
        case Dato::Clave: return RellenaF(panel.clave, 5) + "F";
        case Dato::Banderas: return CampoBanderas(panel.banderas, panel.troncal);
        case Dato::Contador: return CodificaTresDigitos(panel.contador);
        case Dato::DuracionProhibidas: return CodificaTresDigitos(panel.duracionProhibidas);
        case Dato::DuracionLibres: return CodificaTresDigitos(panel.duracionLibres);
        case Dato::Memoria: return RellenaF(panel.memorias[e], 16);
        case Dato::ClaveOperacion: return RellenaF(panel.claves[e], 5) + "F";
    }
    return "";
}

bool campoValido(const Panel& panel, const Campo& c) {
    const auto e = static_cast<std::size_t>(c.elemento);
    switch (c.dato) {
        case Dato::Clave: return ClaveValida(panel.clave);
        case Dato::Contador: return TresDigitosValido(panel.contador);
        case Dato::DuracionProhibidas: return TresDigitosValido(panel.duracionProhibidas);
        case Dato::DuracionLibres: return TresDigitosValido(panel.duracionLibres);
        case Dato::Memoria: return DigitosValidos(panel.memorias[e], 16);
        case Dato::ClaveOperacion: return DigitosValidos(panel.claves[e], 5);
        default: return true;
    }
}
}  // namespace

Imagen ArmaImagen(const Panel& panel) {
    Imagen img;
    EscribeCampos(img.datos, kCampos, true, [&](const Campo& c) { return valorCampo(panel, c); });
    const std::string cuerpo = img.datos;
    img.datos += "f";
    // The recorded image carries every key the write sends (#05 to #25 in block 2), so a replay
    // shows what went to the device; the closing "f" is no data and stands in no block.
    codec::EncabezadoEnvio cab{"05", codec::ByteVersion(panel.firmware), codec::CodigoTipoUsuario(panel.clase),
                               ModificadorCuatro(panel.modificador)};
    const std::string_view d = cuerpo;
    img.trama = codec::ArmaTramaEnvio(2, cab, d.substr(4, kDatosEnBloque1 - 4), d.substr(kDatosEnBloque1));
    img.mascara = codec::ArmaMascara(trama().longitud);
    return img;
}

Lectura Decodifica(std::string_view mapa) {
    Lectura l = LecturaConCabecera<Lectura>(mapa);
    const std::string datos = DatosDesdeMapa(mapa);
    LeeCampos(datos, kCampos, 1, l);  // the second copy of the key
    return l;
}

std::optional<ComandoArmado> ArmaComando(const Comando& c) {
    const std::string& S = c.separador;
    const std::string& K = c.clave;
    ComandoArmado a;
    if (c.numero == "10") {
        if (!ClaveValida(K)) a.falta = Falta::ClaveNueva;
        else if (c.claveAnterior.empty() || !DigitosValidos(c.claveAnterior, 5)) a.falta = Falta::ClaveActual;
        else a.cadena = "#1" + c.claveAnterior + S + "01" + S + K + "f";
        return a;
    }
    std::optional<std::string> opcion;
    std::string cadena;
    Falta falta = Falta::Ninguna;
    bool conocido = false;
    if (const auto f = FilaOpcion(c.numero, c.valor)) {
        conocido = true;
        opcion = f->opcion;
        falta = f->falta;
        if (opcion) cadena = std::string(f->codigo) + S + K + S + *opcion + "f";
    }
    if (c.numero == "14" || c.numero == "15") {
        conocido = true;
        const bool esClave = c.numero == "14";
        opcion = OpcionAncho(c.valor, esClave ? 5 : 16, &falta);
        // Keys are numbered from #02, memories from 01.
        if (auto i = Indice(c.indice, 0, esClave ? 23 : 3)) {
            a.indice = std::to_string(*i + (esClave ? 2 : 1));
            if (opcion) cadena = (esClave ? "#1" : "#8") + K + S + *a.indice + S + *opcion + "f";
        } else if (opcion) {
            falta = Falta::SinComando;
        }
    }
    if (c.numero == "16") {
        conocido = true;
        cadena = "#7" + K + "f";
    }
    if (!conocido) return std::nullopt;
    if (c.numero != "16") a.imagen = opcion.value_or(c.valor);
    if (!ClaveValida(K)) a.falta = Falta::Clave;
    else if (cadena.empty()) a.falta = falta;
    else a.cadena = cadena;
    return a;
}

std::string& TroncalTresmolina(Programa& p) { return p.TroncalTresmolina; }

// ---------------------------------------------------------------- procedures

namespace {

forms::CheckBox* troncalBox(ZylForPri& w) { return w.findAs<forms::CheckBox>("ZylChkTreCom", 1); }

}  // namespace

void CargaConfTresmolina(Programa& p) {
    ZylForPri& w = p.pri();
    records::Record r;
    if (!AbreConfiguracion(p, kCarpeta, 6, kPanel, 5, r)) return;
    if (forms::CheckBox* t = troncalBox(w)) {
        t->setCaption(r[0]);
        estadoDesde(*t, r[20]);
    }
    ponCaption(w, "ZylLabTreDurP", r[3]);
    ponTexto(w, "ZylTxtTreDurP", r[23]);
    ponCaption(w, "ZylLabTreDurL", r[6]);
    ponTexto(w, "ZylTexTreDurL", r[26]);
    ponTexto(w, "ZylTxtTreCon", r[27]);
    MuestraConfiguracion(p, kPanel, 5);
}

namespace {
void marcaLectura(Programa& p, std::string_view mapa);
}  // namespace

void LeeEquipoTresmolina(Programa& p) {
    // Live, the watchdog ends a damaged read with its message; a stored image has no watchdog.
    if (!TomaImagen(p, trama(), SiDanada::ReintentaGuardada)) return;
    const std::string mapa = p.MapaLectura;
    ZylForPri& w = p.pri();
    const Lectura l = tresmolina::Decodifica(mapa);
    p.VersionEquipo = l.version;
    CargaConfTresmolina(p);
    MuestraCabeceraLectura(p, kPanel, l.usuarioGardomelinta, l.modificadorGardomelinta);
    w.ZylTexBan->setText(l.banderas);
    TroncalTresmolina(p) = l.troncal ? "1" : "0";
    if (forms::CheckBox* t = troncalBox(w)) t->setValue(l.troncal ? 1 : 0);
    ponTexto(w, "ZylTxtTreDurP", l.duracionProhibidas);
    ponTexto(w, "ZylTexTreDurL", l.duracionLibres);
    ponTexto(w, "ZylTxtTreCon", l.contador);
    for (int i = 0; i < 4; ++i) {
        ponTexto(w, "ZylTexTreNumTel", "", i);
        ponTexto(w, "ZylTexTreNumTel", l.memorias[static_cast<std::size_t>(i)], i);
    }
    // The key is set once, from the copy a read shows.
    w.ZylTexResCla->setText(l.clave);
    for (int k = 0; k < 24; ++k) ponTexto(w, "ZylTxtTreClv", l.claves[static_cast<std::size_t>(k)], k);
    marcaLectura(p, mapa);
    CierraLectura(p, kPanel, 8);
}

namespace {
Panel panelDe(Programa& p) {
    ZylForPri& w = p.pri();
    Panel d;
    d.modificador = p.CodigoModificador;
    d.clave = w.ZylTexResCla->text();
    d.banderas = w.ZylTexBan->text();
    // The trunk bit is the panel's box, which every read sets: a trunk changed by the box or by
    // a remote command is what the write sends.
    const forms::CheckBox* t = troncalBox(w);
    d.troncal = t && t->value() == 1 ? "1" : "0";
    d.contador = leeTexto(w, "ZylTxtTreCon");
    d.duracionProhibidas = leeTexto(w, "ZylTxtTreDurP");
    d.duracionLibres = leeTexto(w, "ZylTexTreDurL");
    for (int i = 0; i < 4; ++i) d.memorias[static_cast<std::size_t>(i)] = leeTexto(w, "ZylTexTreNumTel", i);
    for (int k = 0; k < 24; ++k) d.claves[static_cast<std::size_t>(k)] = leeTexto(w, "ZylTxtTreClv", k);
    d.firmware = app::FirmwareDeEnvio(p);
    d.clase = claseInstalacion(w);
    return d;
}

// After a read: each field whose value cannot go back as the read gave it is marked.
void marcaLectura(Programa& p, std::string_view mapa) {
    ZylForPri& w = p.pri();
    const Panel d = panelDe(p);
    const std::string datos = fenzo::DatosDesdeMapa(mapa);
    for (const Campo& c : kCampos) {
        std::string crudo(codec::Posiciones(datos, c.inicio, c.inicio + fenzo::Ancho(c.dato) - 1));
        std::string escrito = valorCampo(d, c);
        // A key's sixth character is the write's own "F": another one there is changed, not lost.
        if ((c.dato == Dato::Clave || c.dato == Dato::ClaveOperacion) && crudo.size() == 6) {
            if (crudo[5] != 'F') MarcaCambioAlEscribir(p, "Relleno de las claves");
            crudo.pop_back();
            escrito.pop_back();
        }
        if (campoValido(d, c) && MismoEnEquipo(escrito, crudo)) continue;
        const int e = c.elemento;
        switch (c.dato) {
            case Dato::Modificador: break;
            case Dato::Banderas: MarcaCambioAlEscribir(p, "Restricciones"); break;
            case Dato::Clave:
                // The box shows the second copy; the write puts the box in both.
                if (e == 1) MarcaNoEscribible(p, "ZylTexResCla", -1, "Clave");
                else if (ClaveValida(d.clave)) MarcaCambioAlEscribir(p, "Clave (primera copia)");
                break;
            case Dato::Contador: MarcaNoEscribible(p, "ZylTxtTreCon", -1, CaptionDe(w, "ZylLabTreCon")); break;
            case Dato::DuracionProhibidas: MarcaNoEscribible(p, "ZylTxtTreDurP", -1, CaptionDe(w, "ZylLabTreDurP")); break;
            case Dato::DuracionLibres: MarcaNoEscribible(p, "ZylTexTreDurL", -1, CaptionDe(w, "ZylLabTreDurL")); break;
            case Dato::Memoria:
                MarcaNoEscribible(p, "ZylTexTreNumTel", e,
                                  CaptionDe(w, "ZylFraTreNumTel") + " " + CaptionDe(w, "ZylLabFenNumTel", 18 - e));
                break;
            case Dato::ClaveOperacion: MarcaNoEscribible(p, "ZylTxtTreClv", e, CaptionDe(w, "ZylLblTreClv", e)); break;
        }
    }
}
}  // namespace

bool PreparaEnvioTresmolina(Programa& p) {
    ZylForPri& w = p.pri();
    p.ImagenEnvio.clear();
    const Panel d = panelDe(p);
    // The panel has no field checks: whatever does not fit its place refuses the write.
    p.EstadoCaptura = tresmolina::Rechazo(d).empty() ? "Activado" : "DesActivado";
    const Imagen img = tresmolina::ArmaImagen(d);
    RegistraEnvio(p, p.EstadoCaptura == "Activado" ? img.datos : std::string(), img.trama, img.mascara);
    w.panel(kPanel)->setVisible(true);
    return true;
}

bool ArmaComandoTresmolina(Programa& p) { return TomaComando(p, tresmolina::ArmaComando(ComandoDe(p))); }

// ---------------------------------------------------------------- the panel

app::ModeloEquipo Modelo() {
    app::ModeloEquipo m = Unidad(kNombre, kPanel, "06", CargaConfTresmolina, LeeEquipoTresmolina,
                                 PreparaEnvioTresmolina, ArmaComandoTresmolina);
    // The checks of Rechazo, field by field.
    m.camposRechazados = [](Programa& p) {
        const auto tres = [](std::string_view t) { return TresDigitosValido(t); };
        std::vector<Revision> r = {{"ZylTexResCla", -1, ClaveValida},
                                   {"ZylTxtTreCon", -1, tres},
                                   {"ZylTxtTreDurP", -1, tres},
                                   {"ZylTexTreDurL", -1, tres}};
        for (int i = 0; i < 4; ++i)
            r.push_back({"ZylTexTreNumTel", i, [](std::string_view t) { return DigitosValidos(t, 16); }});
        for (int k = 0; k < 24; ++k)
            r.push_back({"ZylTxtTreClv", k, [](std::string_view t) { return DigitosValidos(t, 5); }});
        return CamposRechazados(p, r);
    };
    m.creaPanel = [](ZylForPri& w, forms::Frame& panel) {
        using namespace zylma::forms;
        panel.setCaption("");
        auto& titulo = w.add<Label>("ZylLblTreTit", -1, &panel);
        titulo.setCaption("Tresmolinas");
        titulo.move(240, 180, 3000, 300);

        auto& trc = w.add<Frame>("ZylFraTreTrc", -1, &panel);
        trc.setCaption("");
        trc.move(240, 480, 6720, 960);
        auto& com = w.add<CheckBox>("ZylChkTreCom", 1, &trc);
        com.setCaption("Troncal de conmutador");
        com.move(120, 210, 3600, 300);
        auto& labCon = w.add<Label>("ZylLabTreCon", -1, &trc);
        labCon.setCaption("Contador");
        labCon.move(120, 570, 960, 285);
        auto& con = w.add<TextBox>("ZylTxtTreCon", -1, &trc);
        con.setMaxLength(3);
        con.move(1080, 540, 720, 315);
        auto& borr = w.add<Button>("ZylCmdTreCon", -1, &trc);
        borr.setCaption("Borrar el contador de llamadas");
        borr.move(2040, 495, 3120, 405);

        auto& tem = w.add<Frame>("ZylFraTreTem", -1, &panel);
        tem.setCaption("");
        tem.move(240, 1500, 6720, 840);
        auto fila = [&](const char* lab, const char* caption, const char* caja, int y) {
            auto& l = w.add<Label>(lab, -1, &tem);
            l.setCaption(caption);
            l.move(120, y + 30, 5400, 285);
            auto& t = w.add<TextBox>(caja, -1, &tem);
            t.setMaxLength(3);
            t.move(5640, y, 720, 315);
        };
        fila("ZylLabTreDurP", "Tiempo de duración para llamadas prohibidas", "ZylTxtTreDurP", 150);
        fila("ZylLabTreDurL", "Tiempo de duración para llamadas libres", "ZylTexTreDurL", 480);

        // Memories 01 to 04 beside the Fenzo label array's elements 18, 17, 16 and 15.
        auto& numTel = w.add<Frame>("ZylFraTreNumTel", -1, &panel);
        numTel.setCaption("Números de teléfono");
        numTel.move(240, 2400, 6720, 900);
        for (int i = 0; i < 4; ++i) {
            const int x = 180 + (i % 2) * 3300, y = 240 + (i / 2) * 330;
            auto& lab = w.add<Label>("ZylLabFenNumTel", 18 - i, &numTel);
            lab.setCaption("0" + std::to_string(i + 1));
            lab.move(x, y + 30, 360, 285);
            auto& caja = w.add<TextBox>("ZylTexTreNumTel", i, &numTel);
            caja.setMaxLength(16);
            caja.move(x + 420, y, 2640, 315);
        }

        // Operation keys #02 to #25: four columns of six.
        auto& op = w.add<Frame>("ZylFraTreOp", -1, &panel);
        op.setCaption("Claves de operación");
        op.move(240, 3360, 6720, 2070);
        for (int k = 0; k < 24; ++k) {
            const int x = 120 + (k / 6) * 1650, y = 240 + (k % 6) * 300;
            const int n = k + 2;
            auto& lab = w.add<Label>("ZylLblTreClv", k, &op);
            lab.setCaption(std::string("Clave #") + (n < 10 ? "0" : "") + std::to_string(n));
            lab.move(x, y + 30, 900, 270);
            auto& caja = w.add<TextBox>("ZylTxtTreClv", k, &op);
            caja.setMaxLength(5);
            caja.move(x + 900, y, 705, 285);
        }
    };
    m.disparadores = {
        Fila("ZylChkTreCom", 1, Gesto::PulsacionDerecha, "11", ValorDe::Estado),
        Fila("ZylTxtTreDurP", -1, Gesto::DobleClic, "12", ValorDe::Texto),
        Fila("ZylTexTreDurL", -1, Gesto::DobleClic, "13", ValorDe::Texto),
    };
    for (int k = 0; k < 24; ++k)
        m.disparadores.push_back(Fila("ZylTxtTreClv", k, Gesto::DobleClic, "14", ValorDe::Texto, true));
    for (int i = 0; i < 4; ++i)
        m.disparadores.push_back(Fila("ZylTexTreNumTel", i, Gesto::DobleClic, "15", ValorDe::Texto, true));
    m.disparadores.push_back(Fila("ZylCmdTreCon", -1, Gesto::Clic, "16", ValorDe::Nada));
    // The Tresmolina's fields have no checks of their own (the builder refuses what cannot fit).
    return m;
}

}  // namespace zylma::models::tresmolina
