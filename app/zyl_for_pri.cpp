#include "zylma/app/zyl_for_pri.h"

#include "zylma/app/barra.h"
#include "zylma/app/disparadores.h"
#include "zylma/app/validadores.h"
#include "zylma/app/enlace.h"
#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/files/files.h"
#include "zylma/records/records.h"

namespace zylma::app {

using namespace zylma::forms;

namespace {

// Layout in twips (15 a pixel).
constexpr int kMargen = 120;
constexpr int kBotonModeloAncho = 1800, kBotonModeloAlto = 360, kBotonModeloPaso = 390;
constexpr int kPanelIzq = 2100, kPanelArriba = 120, kPanelAncho = 7200, kPanelAlto = 5460;
constexpr int kResIzq = kPanelIzq + kPanelAncho + kMargen, kResAncho = 3900;
constexpr int kBarraArriba = kPanelArriba + kPanelAlto + kMargen, kBarraAlto = 660;
constexpr int kAnchoVentana = kResIzq + kResAncho + kMargen + 60;

struct PanelDef {
    const char* nombre;
    const char* titulo;
};
constexpr PanelDef kPaneles[8] = {
    {"ZylFraSon", "Sonobrisa"}, {"ZylFraTen", "Téndro"},      {"ZylFraOmn", "Omnivelda"},
    {"ZylFraFen", "Fenzo"},     {"ZylFraPlu", "Plurimandelo"}, {"ZylFraQui", "Quintavo"},
    {"ZylFraSvd", "Selvarindo"}, {"ZylFraTre", "Tresmolina"},
};

// Command bar: system number and caption.
struct ComandoDef {
    int numero;
    const char* titulo;
};
constexpr ComandoDef kComandos[9] = {
    {1, "&Colgar"},    {2, "&Verificar"}, {3, "&Leer"},   {4, "&Enviar"},         {5, "Ult.&Leído"},
    {6, "&Ult.Envío"}, {7, "&Default"},   {8, "E&scape"}, {10, "&Reset Fábrica"},
};

std::string dosDigitos(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

}  // namespace

ZylForPri::ZylForPri(Programa& p) : Form(p.host(), "ZylForPri"), p_(p) {
    construye();
    conecta();
}

Frame* ZylForPri::panel(const std::string& name) const {
    for (Frame* f : paneles)
        if (f->name() == name) return f;
    return nullptr;
}

Button& ZylForPri::comando(int n) const {
    for (std::size_t i = 0; i < 9; ++i)
        if (kComandos[i].numero == n) return *ZylFraComBtn[i];
    return *ningunComando_;
}

void ZylForPri::construye() {
    setCaption("Zylma");
    // Made directly, not added: the form neither lists nor draws it.
    ningunComando_ = std::make_unique<Button>(*this, "ZylFraComNinguno");
    ningunComando_->setVisible(false);
    ningunComando_->setEnabled(false);

    for (int i = 0; i < 14; ++i) {
        auto& b = add<Button>("ZylCmd" + dosDigitos(i + 1));
        b.move(kMargen, kPanelArriba + i * kBotonModeloPaso, kBotonModeloAncho, kBotonModeloAlto);
        ZylCmd[i] = &b;
    }

    ZylFraPri = &add<Frame>("ZylFraPri");
    ZylFraPri->setCaption("Zylma");
    ZylFraPri->move(kPanelIzq, kPanelArriba, kPanelAncho, kPanelAlto);
    auto& bienvenida = add<Label>("ZylLabPri", -1, ZylFraPri);
    bienvenida.setCaption("Elija un equipo para programarlo.");
    bienvenida.move(360, 480, kPanelAncho - 720, 400);

    for (int i = 0; i < 8; ++i) {
        auto& f = add<Frame>(kPaneles[i].nombre);
        f.setCaption(kPaneles[i].titulo);
        f.move(kPanelIzq, kPanelArriba, kPanelAncho, kPanelAlto);
        f.setVisible(false);
        paneles[i] = &f;
    }

    // Variant controls of the Fenzo and Selvarindo panels.
    Frame* fen = panel("ZylFraFen");
    ZylLabFenTit = &add<Label>("ZylLabFenTit", -1, fen);
    ZylLabFenTit->setCaption(" Fenzo");
    ZylLabFenTit->move(240, 300, 3000, 300);
    ZylChkFenResC = &add<CheckBox>("ZylChkFenResC", -1, fen);
    ZylChkFenResC->setCaption("Troncal de conmutador");
    ZylChkFenResC->move(240, kPanelAlto - 1500, 2600, 300);
    ZylFraFenFraClv = &add<Frame>("ZylFraFenFraClv", -1, fen);
    ZylFraFenFraClv->setCaption("Clave");
    ZylFraFenFraClv->move(3600, kPanelAlto - 1560, 3360, 1320);
    Frame* svd = panel("ZylFraSvd");
    ZylLblSvdIdent = &add<Label>("ZylLblSvdIdent", -1, svd);
    ZylLblSvdIdent->setCaption("Con voz");
    ZylLblSvdIdent->move(240, 300, 2000, 300);
    ZylFraSvdClv = &add<Frame>("ZylFraSvdClv", -1, svd);
    ZylFraSvdClv->setCaption("Clave");
    ZylFraSvdClv->move(240, kPanelAlto - 1560, 3240, 1320);
    ZylFraSvdRes = &add<Frame>("ZylFraSvdRes", -1, svd);
    ZylFraSvdRes->setCaption("Restrictores");
    ZylFraSvdRes->move(3720, kPanelAlto - 1560, 3240, 1320);

    // Restriction area, to the right of the panels.
    ZylTaSRes = &add<TabStrip>("ZylTaSRes");
    ZylTaSRes->tabs = {"Restricciones"};
    ZylTaSRes->move(kResIzq, kPanelArriba, kResAncho, 360);
    for (int k = 0; k < 9; ++k) {
        auto& c = add<CheckBox>("ZylChkRes" + dosDigitos(k + 1));
        c.setCaption("Restricción " + std::to_string(k + 1));
        c.move(kResIzq + 120, kPanelArriba + 480 + k * 330, kResAncho - 240, 300);
        ZylChkRes[k] = &c;
    }
    int y = kPanelArriba + 480 + 9 * 330 + 120;
    auto fila = [&](TextBox*& etiqueta, const char* nombreEtiqueta, const char* texto, TextBox*& caja,
                    const char* nombreCaja) {
        etiqueta = &add<TextBox>(nombreEtiqueta);
        etiqueta->setText(texto);
        etiqueta->locked = true;
        etiqueta->move(kResIzq + 120, y, 1500, 315);
        caja = &add<TextBox>(nombreCaja);
        caja->move(kResIzq + 1680, y, kResAncho - 1800, 315);
        y += 375;
    };
    TextBox* claveEtiqueta = nullptr;
    fila(claveEtiqueta, "ZylTexResClaL", "Clave", ZylTexResCla, "ZylTexResCla");
    fila(ZylTexResFirL, "ZylTexResFirL", "Firmware", ZylTexResFirm, "ZylTexResFirm");
    fila(ZylTexResModL, "ZylTexResModL", "Modificador", ZylTexResMod, "ZylTexResMod");
    fila(ZylTexResUsL, "ZylTexResUsL", "Usuario", ZylTexResUs, "ZylTexResUs");
    // The key's caption box goes with the key box; it is hidden and shown with the area too.
    ZylTexRes = claveEtiqueta;
    ZylTexResCla->setMaxLength(4);
    ZylTexBan = &add<TextBox>("ZylTexBan");
    ZylTexBan->move(kResIzq + 120, y, kResAncho - 240, 315);
    ZylTexBan->toolTip = "Banderas del restrictor";

    // Command bar and status line.
    ZylFraCom = &add<Frame>("ZylFraCom");
    // The bar runs the whole width, under the model buttons as well.
    ZylFraCom->move(kMargen, kBarraArriba, kAnchoVentana - 2 * kMargen - 60, kBarraAlto);
    const int anchoBoton = (ZylFraCom->width() - 240) / 9;
    for (int i = 0; i < 9; ++i) {
        auto& b = add<Button>("ZylFraCom" + dosDigitos(kComandos[i].numero), -1, ZylFraCom);
        b.setCaption(kComandos[i].titulo);
        b.move(120 + i * anchoBoton, 180, anchoBoton - 60, 400);
        ZylFraComBtn[i] = &b;
    }
    ZylTexEst = &add<TextBox>("ZylTexEst");
    ZylTexEst->locked = true;
    ZylTexEst->setText("Zylma");
    ZylTexEst->move(kMargen, kBarraArriba + kBarraAlto + 90, ZylFraCom->width(), 315);

    TimerEC = &add<Timer>("TimerEC");
    TimerPID = &add<Timer>("TimerPID");
    TimerPID->setInterval(5000);

    ZylMnuPri = &addMenu("ZylMnuPri", "&Principal");
    ZylMnuPriSal = &ZylMnuPri->addItem("ZylMnuPriSal", "&Salir");
    ZylMnuCon = &addMenu("ZylMnuCon", "&Configuración");
    ZylMnuConE = &ZylMnuCon->addItem("ZylMnuConE", "&Equipos");
    ZylMnuConC = &ZylMnuCon->addItem("ZylMnuConC", "&Software");
    ZylMnuMon = &addMenu("ZylMnuMon", "&Monitor");
    mnuComando = &addMenu("mnuComando", "Comando");
    mnuComando->setVisible(false);
    mnuEnviar = &mnuComando->addItem("mnuEnviar", "Enviar");

    move(0, 0, kAnchoVentana, ZylTexEst->top() + 315 + kMargen + 420);
}

void ZylForPri::conecta() {
    onLoad = [this] { CargaPrincipal(p_); };
    ConectaEnlace(p_, *this);
    ConectaBarra(p_, *this);
    for (int i = 0; i < 14; ++i) ZylCmd[i]->onClick = [this, i] { BotonModelo(p_, i + 1); };

    // The restrictor flags in three forms kept in step: the boxes, `BanderasRestrictor` and the
    // flag text. A greyed box counts as off.
    for (int k = 0; k < 9; ++k)
        ZylChkRes[k]->onClick = [this, k] { p_.BanderasRestrictor[k] = ZylChkRes[k]->value() == CheckBox::Checked ? 1 : 0; };
    ZylTexBan->onChange = [this] {
        const std::string& t = ZylTexBan->text();
        for (std::size_t k = 0; k < 9; ++k)
            ZylChkRes[k]->setValue(k < t.size() && t[k] == '1' ? CheckBox::Checked : CheckBox::Unchecked);
    };

    comando(7).onClick = [this] {
        ZylTexBan->setText(BanderasComoTexto(p_));
        MuestraEquipo(p_);
    };
    comando(8).onClick = [this] { Termina(p_); };
    ZylMnuPriSal->onClick = [this] { Termina(p_); };
    onQueryUnload = [this](bool& cancel) {
        cancel = true;  // the stop closes every window itself
        Termina(p_);
    };
    ZylMnuConE->onClick = [this] {
        if (alEditorEquipos) alEditorEquipos();
    };
    ZylMnuConC->onClick = [this] {
        if (alEditorSoftware) alEditorSoftware();
    };
    ZylMnuMon->onClick = [this] { p_.monitor().muestra(); };

    // Remote commands: the restriction boxes' triggers, the key box's key change, the pop-up.
    mnuEnviar->onClick = [this] {
        p_.EnviaImagen = "0";
        IniciaEnvio(p_);
    };
    InstalaDisparadores(p_, *this, DisparadoresComunes());
    ZylTexResCla->onDblClick = [this] { AbreCambioClave(p_); };
    InstalaValidadores(p_, *this, ValidadoresComunes());
}

// ---------------------------------------------------------------- procedures

std::string BanderasComoTexto(const Programa& p) {
    std::string s;
    for (int b : p.BanderasRestrictor) s += b ? '1' : '0';
    return s;
}

void CargaSoftware(Programa& p) {
    ZylForPri& w = p.pri();
    records::Record r;
    // Nothing can be shown without the software record.
    if (!LeeRegistro(p, records::pathSoftware(p.RutaAplicacion), records::RegistroSoftware, r, "software",
                     ". El programa se cerrará.", vbCritical)) {
        p.termina(1);
        return;
    }
    w.setCaption("Zylma para " + r[26]);

    // Retries and time-out are judged each on its own, so one bad field does not throw away a
    // good one. The time-out must be a whole number of seconds from 1 to 32: the watchdog interval
    // is a signed 16-bit number of milliseconds, and an interval of 0 never fires, which would
    // leave one unanswered frame holding the link for good.
    long reintentos = 0, espera = 0;
    const bool reintentosOk = enteroDeTexto(r[23], reintentos) && reintentos >= 0 && reintentos <= 32767;
    const bool esperaOk = enteroDeTexto(r[24], espera) && espera >= 1 && espera <= 32;
    p.Reintentos = reintentosOk ? static_cast<int>(reintentos) : 0;
    w.TimerEC->setInterval(esperaOk ? static_cast<int>(espera) * 1000 : 32000);
    if (!reintentosOk || !esperaOk) {
        std::string campos, usados;
        if (!reintentosOk) {
            campos = "reintentos (\"" + r[23] + "\")";
            usados = "0 reintentos";
        }
        if (!esperaOk) {
            campos += std::string(campos.empty() ? "" : " y ") + "tiempo de espera (\"" + r[24] +
                      "\", debe ser un número entero de 1 a 32)";
            usados += std::string(usados.empty() ? "" : " y ") + "32 segundos de espera";
        }
        p.mensaje("El archivo de software tiene un valor no válido en " + campos + ". Se usan " + usados + ".",
                  vbExclamation);
    }
    p.CodigoModificador = r[25];

    for (int i = 0; i < 14; ++i) {
        if (r[i].empty()) {
            w.ZylCmd[i]->setVisible(false);
        } else {
            w.ZylCmd[i]->setVisible(true);
            w.ZylCmd[i]->setCaption(r[i]);
            p.ListaModelos[i] = r[i];
        }
    }
}

void PreparaPaneles(Programa& p) {
    ZylForPri& w = p.pri();
    w.ZylFraPri->setVisible(false);
    for (Frame* f : w.paneles) f->setVisible(false);
    w.comando(4).setEnabled(true);
}

namespace {
std::vector<Control*> areaRestricciones(ZylForPri& w) {
    std::vector<Control*> c(w.ZylChkRes.begin(), w.ZylChkRes.end());
    c.insert(c.end(), {w.ZylTexBan, w.ZylTexResCla, w.ZylTexResFirm, w.ZylTexResFirL, w.ZylTexResMod,
                       w.ZylTexResModL, w.ZylTexResUs, w.ZylTexRes, w.ZylTaSRes, w.ZylTexResUsL});
    return c;
}
}  // namespace

void OcultaRestricciones(Programa& p) {
    for (Control* c : areaRestricciones(p.pri())) c->setVisible(false);
}

void MuestraRestricciones(Programa& p) {
    ZylForPri& w = p.pri();
    for (Control* c : areaRestricciones(w)) c->setVisible(true);
    w.ZylTexBan->setVisible(p.NivelUsuario == "Ingenieria");
}

void AplicaVisibilidadRestricciones(Programa& p) {
    records::Record r;
    if (records::readSingle(p.RutaArchivo, records::RegistroConfiguracion, r) != records::Status::Ok) return;
    const std::string& flags = r[40];
    for (std::size_t k = 0; k < 9 && k < flags.size(); ++k) {
        if (flags[k] == '1') p.pri().ZylChkRes[k]->setVisible(true);
        if (flags[k] == '0') p.pri().ZylChkRes[k]->setVisible(false);
    }
}

void MuestraEquipo(Programa& p) {
    PreparaPaneles(p);
    if (p.EquipoActual == "Zylma") {
        OcultaRestricciones(p);
        p.pri().ZylFraPri->setVisible(true);
        return;
    }
    // Exact, case-sensitive comparison in the registry's order; any other name shows nothing.
    if (const ModeloEquipo* m = p.modelos().porNombre(p.EquipoActual); m && m->cargaConf) m->cargaConf(p);
}

void BotonModelo(Programa& p, int n) {
    ZylForPri& w = p.pri();
    auto banderas = [&] { w.ZylTexBan->setText(BanderasComoTexto(p)); };
    auto claveActiva = [&] { w.ZylTexResCla->setEnabled(true); };
    auto lista = [&](int i) { return p.ListaModelos[i]; };
    auto modelo = [&](const char* version, std::string equipo, const char* codigo, bool conBanderas) {
        if (conBanderas) banderas();
        p.VersionEquipo = version;
        p.EquipoActual = std::move(equipo);
        MuestraEquipo(p);
        p.CodigoEquipo = codigo;
    };
    switch (n) {
    case 1:
        p.EquipoActual = lista(0);
        MuestraEquipo(p);
        claveActiva();
        break;
    case 2:
        // The Sonobrisa's code is set before the dispatch, the others' after it.
        banderas();
        p.VersionEquipo = "12";
        p.EquipoActual = lista(1);
        p.CodigoEquipo = "04";
        MuestraEquipo(p);
        claveActiva();
        break;
    case 3: modelo("30", lista(2), "00", true); claveActiva(); break;
    case 4: modelo("30", lista(3), "05", true); claveActiva(); break;
    case 5: modelo("30", lista(4), "03", true); claveActiva(); break;
    case 6:
        modelo("30", lista(5), "0:", false);
        w.ZylLabFenTit->setCaption(" Fenzo");
        w.ZylChkFenResC->setVisible(true);
        w.ZylFraFenFraClv->setVisible(true);
        claveActiva();
        break;
    case 7: modelo("15", lista(6), "02", false); claveActiva(); break;
    case 8:
        modelo("72", lista(7), "08", true);
        w.ZylLblSvdIdent->setCaption("Sin voz");
        w.ZylFraSvdClv->setVisible(true);
        w.ZylFraSvdRes->setVisible(true);
        // Every control of the variant again: a read of the other variant (or of this one,
        // which hides its drop-first-1 switch) may have hidden some for the rest of the run.
        for (const char* c : {"ZylTxtSvdClvSal", "ZylLblSvdClvSal", "ZylFraSvdNum9", "ZylFraSvdElim1"})
            if (Control* control = w.find(c)) control->setVisible(true);
        w.comando(4).setEnabled(false);
        p.ParametroSelvarindo = "";
        break;
    case 9: modelo("30", lista(8), "06", true); break;
    case 10:
        modelo("8", "Fenzo", "0:", false);
        w.ZylLabFenTit->setCaption(" Fenzo Kalmoro");
        w.ZylChkFenResC->setVisible(false);
        w.ZylFraFenFraClv->setVisible(false);
        claveActiva();
        break;
    case 11:
        modelo("72", "Selvarindo", "08", true);
        w.ZylLblSvdIdent->setCaption("Con voz");
        w.ZylFraSvdClv->setVisible(false);
        w.ZylFraSvdRes->setVisible(false);
        w.comando(4).setEnabled(false);
        p.ParametroSelvarindo = "";
        break;
    default: break;  // buttons 12 to 14 have no action
    }
    ModeloElegido(p);
}

void CargaPrincipal(Programa& p) {
    ZylForPri& w = p.pri();
    p.EnvioConEscritura = true;
    p.EnviaImagen = "0";
    p.Separador = ",";
    if (p.alCargarPrincipal) p.alCargarPrincipal();  // hides the port choice
    p.EquipoActual = "Zylma";
    CargaSoftware(p);
    if (p.host().quitting()) return;
    MuestraEquipo(p);
    p.BanderasRestrictor.fill(0);
    // "Zylma para " is 11 characters: the class starts at character 12.
    const std::string& titulo = w.caption();
    p.ClaseInstalacion = titulo.size() > 11 ? titulo.substr(11, utf8Offset(titulo.substr(11), 2)) : std::string();
    if (p.ClaseInstalacion != "PC") {
        p.abrePuerto();
    } else {
        // The model buttons keep their column beside the panels: moved onto the panel they
        // would cover its fields, and stacked on one spot most of them could not be clicked.
        w.comando(4).setVisible(false);
        w.comando(3).setVisible(false);
        w.comando(5).setVisible(false);
        w.comando(1).setVisible(false);
        w.comando(2).setVisible(true);
    }
    p.NumeroComando = "0";
    p.ValorComando = "0";
    w.ZylTexBan->setText(BanderasComoTexto(p));
    OcultaRestricciones(p);
    CargaComandos(p);
}

void Termina(Programa& p) {
    if (p.ClaseInstalacion != "PC") {
        p.mensaje("Cerrando Puerto");
        p.puerto().close();
    }
    p.termina(0);
}

}  // namespace zylma::app
