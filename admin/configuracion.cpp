#include "zylma/admin/configuracion.h"

#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/files/files.h"
#include "zylma/records/records.h"

#include <cstdio>
#include <span>

namespace zylma::admin {

using app::Programa;
using namespace zylma::forms;

namespace {

std::string dosCifras(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

// Characters [desde, desde + cuantos) of a text, counted in characters.
std::string trozo(const std::string& s, std::size_t desde, std::size_t cuantos) {
    const std::size_t a = utf8Offset(s, desde);
    return s.substr(a, utf8Offset(s, desde + cuantos) - a);
}

// The flag values joined, each "0" or "1".
template <std::size_t N>
std::string une(const std::array<std::string, N>& v, std::size_t desde, std::size_t hasta) {
    std::string s;
    for (std::size_t i = desde; i < hasta; ++i) s += v[i] == "1" ? "1" : "0";
    return s;
}

// Box k of a family is ticked when character k of its string is "1", cleared otherwise (also
// past the end of a short string).
void sigue(const TextBox& t, std::span<CheckBox* const> cajas) {
    const std::string& s = t.text();
    for (std::size_t k = 0; k < cajas.size(); ++k)
        cajas[k]->setValue(k < s.size() && s[k] == '1' ? CheckBox::Checked : CheckBox::Unchecked);
}

// A model or firmware text becomes part of a path: it must name one file in one folder of the
// application folder, never another place.
bool nombreSeguro(const std::string& s) {
    if (s.empty() || s == "." || s == "..") return false;
    return s.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string rutaConfiguracion(const Programa& p, const std::string& modelo, const std::string& firmware) {
    return records::pathConfiguracion(p.RutaAplicacion, modelo, firmware);
}

std::string rutaEquipos(const Programa& p) { return records::pathEquipo(p.RutaAplicacion); }

// Shows a configuration record in the order the window has always filled it: the flag strings'
// change handlers set the check boxes, and those the flag values.
void muestraRegistro(ZylFrmConf& w, const records::Record& r) {
    w.ZylTexCla->setText(r[43]);
    for (int i = 0; i < 20; ++i) w.ZylTexPar[i]->setText(r[i]);
    for (int i = 0; i < 20; ++i) w.ZylTexDef[i]->setText(r[20 + i]);
    w.ZylComVis->setText(r[41]);
    w.ZylTexIde->setText(r[42]);
    w.ZylTexDefchk->setText(trozo(r[54], 0, 10));
    w.ZylTexDefchk2->setText(trozo(r[54], 10, 9));
    w.ZylTexDefchk3->setText(trozo(r[54], 19, 1));
    w.ZylTexFirm->setText(r[44]);
    for (int i = 0; i < 9; ++i) w.ZylTexRes[i]->setText(r[45 + i]);
    w.ZylTxtConVis->setText(r[40]);
    w.ZylTxtConReg->setText(r[55]);
    w.ZylTexFec->setText(r[56]);
}

// The five flag strings from the flag values.
void armaCadenas(ZylFrmConf& w) {
    w.ZylTxtConReg->setText(une(w.BanderasEstadoRestriccion, 0, 9));
    w.ZylTxtConVis->setText(une(w.BanderasVisibleRestriccion, 0, 9));
    w.ZylTexDefchk->setText(une(w.BanderasVisibleParametro, 0, 10));
    w.ZylTexDefchk2->setText(une(w.BanderasVisibleParametro, 10, 19));
    w.ZylTexDefchk3->setText(une(w.BanderasVisibleParametro, 19, 20));
}

}  // namespace

ZylFrmConf::ZylFrmConf(Programa& p) : Form(p.host(), "ZylFrmConf"), p_(p) {
    construye();
    conecta();
}

void ZylFrmConf::construye() {
    setCaption("Zylma-Configuración");
    constexpr int kFila = 330, kAlto = 300;

    Frame2 = &add<Frame>("Frame2");
    Frame2->setCaption("Equipo");
    Frame2->move(120, 60, 5040, 720);
    ZylComVis = &add<ComboBox>("ZylComVis", -1, Frame2);
    ZylComVis->style = ComboBox::DropDownCombo;
    ZylComVis->setText("Equipo");
    ZylComVis->move(120, 300, 4800, 315);

    // Twenty parameter rows: visible, caption, default. The check boxes' column is wide enough for
    // "Check20" beside its mark.
    constexpr int kFilas = 1140;
    ZylLabVis = &add<Label>("ZylLabVis");
    ZylLabVis->setCaption("Visible");
    ZylLabVis->move(120, 870, 1260, 255);
    ZylLabPar = &add<Label>("ZylLabPar");
    ZylLabPar->setCaption("Parámetro");
    ZylLabPar->move(1440, 870, 2100, 255);
    ZylLabDef = &add<Label>("ZylLabDef");
    ZylLabDef->setCaption("Default");
    ZylLabDef->move(3660, 870, 1500, 255);
    for (int i = 0; i < 20; ++i) {
        const std::string k = dosCifras(i + 1);
        const int arriba = kFilas + i * kFila;
        ZylChkConVis[i] = &add<CheckBox>("ZylChkConVis" + k);
        ZylChkConVis[i]->setCaption("Check" + std::to_string(i + 1));
        ZylChkConVis[i]->move(120, arriba, 1260, kAlto);
        ZylTexPar[i] = &add<TextBox>("ZylTexPar" + k);
        ZylTexPar[i]->move(1440, arriba, 2160, kAlto);
        ZylTexDef[i] = &add<TextBox>("ZylTexDef" + k);
        ZylTexDef[i]->move(3660, arriba, 1500, kAlto);
    }

    // The nine restrictions: state, name, visible. A name box shows a name such as "Servicios
    // especiales (040)" whole.
    ZylFrmConRes = &add<Frame>("ZylFrmConRes");
    ZylFrmConRes->setCaption("Restrictor");
    ZylFrmConRes->move(5400, 60, 5400, 3660);
    ZylLabConEst = &add<Label>("ZylLabConEst", -1, ZylFrmConRes);
    ZylLabConEst->setCaption("Estado");
    ZylLabConEst->move(120, 270, 1020, 255);
    ZylLabConNom = &add<Label>("ZylLabConNom", -1, ZylFrmConRes);
    ZylLabConNom->setCaption("Nombre");
    ZylLabConNom->move(1200, 270, 2760, 255);
    ZylLabConVis = &add<Label>("ZylLabConVis", -1, ZylFrmConRes);
    ZylLabConVis->setCaption("Visible");
    ZylLabConVis->move(4020, 270, 1260, 255);
    for (int i = 0; i < 9; ++i) {
        const std::string k = dosCifras(i + 1);
        const int arriba = 570 + i * kFila;
        ZylLabConchk[i] = &add<CheckBox>("ZylLabConchk" + k, -1, ZylFrmConRes);
        ZylLabConchk[i]->setCaption("Res" + k);
        ZylLabConchk[i]->move(120, arriba, 1020, kAlto);
        ZylTexRes[i] = &add<TextBox>("ZylTexRes" + k, -1, ZylFrmConRes);
        ZylTexRes[i]->move(1200, arriba, 2760, kAlto);
        ResV[i] = &add<CheckBox>("ResV" + k, -1, ZylFrmConRes);
        ResV[i]->setCaption("Check" + std::to_string(i + 13));
        ResV[i]->move(4020, arriba, 1260, kAlto);
    }

    // The device's own boxes and the flag strings, under the restrictions.
    int arriba = 3900;
    auto etiquetada = [&](const char* etiqueta, const char* nombreEtiqueta, const char* nombre) {
        Label& l = add<Label>(nombreEtiqueta);
        l.setCaption(etiqueta);
        l.move(5400, arriba + 30, 1500, 255);
        TextBox& t = add<TextBox>(nombre);
        t.move(6960, arriba, 3840, kAlto);
        arriba += 390;
        return &t;
    };
    ZylTexIde = etiquetada("ID Equipo", "ZylLabIde", "ZylTexIde");
    ZylTexFirm = etiquetada("Firmware", "ZylLabFirm", "ZylTexFirm");
    ZylTexCla = etiquetada("Clave", "ZylLabCla", "ZylTexCla");
    ZylTexFec = etiquetada("Actualización", "ZylLabFec", "ZylTexFec");
    ZylTexFec->locked = true;

    arriba += 90;
    ZylTexDefchk = &add<TextBox>("ZylTexDefchk");
    ZylTexDefchk->move(5400, arriba, 2160, kAlto);
    ZylTexDefchk2 = &add<TextBox>("ZylTexDefchk2");
    ZylTexDefchk2->move(7620, arriba, 1980, kAlto);
    ZylTexDefchk3 = &add<TextBox>("ZylTexDefchk3");
    ZylTexDefchk3->move(9660, arriba, 1140, kAlto);
    arriba += 390;
    ZylTxtConReg = &add<TextBox>("ZylTxtConReg");
    ZylTxtConReg->move(5400, arriba, 2160, kAlto);
    ZylTxtConVis = &add<TextBox>("ZylTxtConVis");
    ZylTxtConVis->move(7620, arriba, 1980, kAlto);

    ZylCmdGra = &add<Button>("ZylCmdGra");
    ZylCmdGra->setCaption("&Grabar");
    ZylCmdGra->move(9480, kFilas + 19 * kFila - 90, 1320, 390);

    int orden = 0;
    ZylComVis->tabIndex = orden++;
    for (int i = 0; i < 20; ++i) {
        ZylChkConVis[i]->tabIndex = orden++;
        ZylTexPar[i]->tabIndex = orden++;
        ZylTexDef[i]->tabIndex = orden++;
    }
    for (int i = 0; i < 9; ++i) {
        ZylLabConchk[i]->tabIndex = orden++;
        ZylTexRes[i]->tabIndex = orden++;
        ResV[i]->tabIndex = orden++;
    }
    for (Control* c : std::initializer_list<Control*>{ZylTexIde, ZylTexFirm, ZylTexCla, ZylTexFec, ZylTexDefchk,
                                                      ZylTexDefchk2, ZylTexDefchk3, ZylTxtConReg, ZylTxtConVis,
                                                      ZylCmdGra})
        c->tabIndex = orden++;
    // The size counts the border and the title bar.
    move(600, 600, 11040, kFilas + 20 * kFila + 600);
}

void ZylFrmConf::conecta() {
    onLoad = [this] { CargaConfiguracion(p_); };
    ZylComVis->onClick = [this] { LeeConfiguracion(p_); };
    ZylCmdGra->onClick = [this] { GrabaConfiguracion(p_); };

    // Every check box keeps its state in its flag value: ticked "1", cleared or greyed "0".
    auto guarda = [](CheckBox* c, std::string& valor) {
        c->onClick = [c, &valor] { valor = c->value() == CheckBox::Checked ? "1" : "0"; };
    };
    for (int i = 0; i < 20; ++i) guarda(ZylChkConVis[i], BanderasVisibleParametro[i]);
    for (int i = 0; i < 9; ++i) {
        guarda(ZylLabConchk[i], BanderasEstadoRestriccion[i]);
        guarda(ResV[i], BanderasVisibleRestriccion[i]);
    }

    const std::span<CheckBox* const> visibles(ZylChkConVis);
    ZylTexDefchk->onChange = [this, visibles] { sigue(*ZylTexDefchk, visibles.subspan(0, 10)); };
    ZylTexDefchk2->onChange = [this, visibles] { sigue(*ZylTexDefchk2, visibles.subspan(10, 9)); };
    ZylTexDefchk3->onChange = [this, visibles] { sigue(*ZylTexDefchk3, visibles.subspan(19, 1)); };
    ZylTxtConReg->onChange = [this] { sigue(*ZylTxtConReg, ZylLabConchk); };
    ZylTxtConVis->onChange = [this] { sigue(*ZylTxtConVis, ResV); };
}

void CargaConfiguracion(Programa& p) {
    ZylFrmConf& w = p.ventana<ZylFrmConf>();
    w.ZylTexFirm->setText("30");
    w.BanderasVisibleParametro.fill("0");
    w.BanderasEstadoRestriccion.fill("0");
    w.BanderasVisibleRestriccion.fill("0");
    armaCadenas(w);

    const std::string ruta = rutaEquipos(p);
    p.RutaArchivo = ruta;
    if (!files::fileExists(ruta)) return;
    w.ZylComVis->clear();
    // One line per entry: a model with several device IDs is listed once for each.
    const records::Status st = records::scanTable(
        ruta, records::RegistroEquipo,
        [&](int, const records::Record& r) {
            if (!r[0].empty()) w.ZylComVis->addItem(r[0]);
            return true;
        },
        &w.IndiceCiclo);
    if (st != records::Status::Ok)
        p.mensaje("No se puede leer el archivo de equipos " + ruta + " (" + records::describe(st) +
                      "). La lista de equipos puede estar incompleta.",
                  vbExclamation);
}

void LeeConfiguracion(Programa& p) {
    ZylFrmConf& w = p.ventana<ZylFrmConf>();
    const int i = w.ZylComVis->listIndex();
    const std::string modelo = i >= 0 ? w.ZylComVis->list()[i] : w.ZylComVis->text();
    const std::string firmware = w.ZylTexFirm->text();
    if (!nombreSeguro(modelo) || !nombreSeguro(firmware)) {
        p.mensaje("No se puede abrir la configuración del equipo \"" + modelo + "\" con firmware \"" + firmware +
                      "\": el nombre no es válido para un archivo.",
                  vbExclamation);
        return;
    }
    const std::string ruta = rutaConfiguracion(p, modelo, firmware);
    p.RutaArchivo = ruta;

    if (!files::fileExists(ruta)) {
        w.Resultado = p.mensaje("No existe archivo de configuración. Crear uno nuevo?", vbYesNo);
        if (w.Resultado != vbYes) return;
        // A new record for the model and firmware it was asked for. The file itself is made by
        // "&Grabar": an empty file left by looking would give the model's panel blank captions.
        records::Record nuevo(records::RegistroConfiguracion.fields);
        nuevo[41] = modelo;
        nuevo[44] = firmware;
        muestraRegistro(w, nuevo);
        return;
    }

    records::Record r;
    if (const records::Status st = records::readSingle(ruta, records::RegistroConfiguracion, r);
        st != records::Status::Ok) {
        p.mensaje("No se puede leer el archivo de configuración " + ruta + " (" + records::describe(st) + ").",
                  vbExclamation);
        return;
    }
    muestraRegistro(w, r);
}

void GrabaConfiguracion(Programa& p) {
    ZylFrmConf& w = p.ventana<ZylFrmConf>();
    const std::string modelo = w.ZylComVis->text();
    if (modelo.empty()) {
        p.mensaje("No se ha seleccionado equipo");
        return;
    }
    const std::string firmware = w.ZylTexFirm->text();
    if (!nombreSeguro(modelo)) {
        p.mensaje("El nombre de equipo \"" + modelo + "\" no es válido para un archivo. No se ha grabado nada.",
                  vbExclamation);
        return;
    }
    if (!nombreSeguro(firmware)) {
        p.mensaje("Escriba el firmware del equipo (por ejemplo 30); \"" + firmware +
                      "\" no es válido para un archivo. No se ha grabado nada.",
                  vbExclamation);
        return;
    }
    // The window never makes folders: a model without its folder is not installed here.
    const std::string carpeta = p.RutaAplicacion + "/" + records::configFolder(modelo) + "/Configuracion";
    if (!files::folderExists(carpeta)) {
        p.mensaje("No existe la carpeta de configuración del equipo " + modelo + ": " + carpeta +
                      ". No se ha grabado nada.",
                  vbExclamation);
        return;
    }

    // Everything is built and checked before the first byte is written.
    armaCadenas(w);
    records::Record r(records::RegistroConfiguracion.fields);
    for (int i = 0; i < 20; ++i) r[i] = w.ZylTexPar[i]->text();
    for (int i = 0; i < 20; ++i) r[20 + i] = w.ZylTexDef[i]->text();
    r[40] = w.ZylTxtConVis->text();
    r[41] = modelo;
    r[42] = w.ZylTexIde->text();
    r[43] = w.ZylTexCla->text();
    r[44] = firmware;
    for (int i = 0; i < 9; ++i) r[45 + i] = w.ZylTexRes[i]->text();
    r[54] = w.ZylTexDefchk->text() + w.ZylTexDefchk2->text() + w.ZylTexDefchk3->text();
    r[55] = w.ZylTxtConReg->text();
    r[56] = app::FechaHoy();
    const records::Record equipo{modelo, w.ZylTexIde->text()};
    const std::string ruta = rutaConfiguracion(p, modelo, firmware);
    std::string bytes;
    // The size message for a size fault only; any other cause (a character the file's code page
    // has not) is named as it is, with its file.
    if (const records::Status st = records::encodeRecord(records::RegistroConfiguracion, r, bytes);
        st != records::Status::Ok) {
        p.mensaje(st == records::Status::TooLong
                      ? std::string("Los textos de la configuración no caben en su registro de 1000 caracteres. "
                                    "Acórtelos. No se ha grabado nada.")
                      : "No se puede grabar el archivo de configuración " + ruta + " (" + records::describe(st) +
                            "). No se ha grabado nada.",
                  vbExclamation);
        return;
    }
    if (const records::Status st = records::encodeRecord(records::RegistroEquipo, equipo, bytes);
        st != records::Status::Ok) {
        p.mensaje(st == records::Status::TooLong
                      ? std::string("El equipo y su ID no caben en la lista de equipos (46 caracteres entre los dos). "
                                    "No se ha grabado nada.")
                      : "No se puede grabar la lista de equipos " + rutaEquipos(p) + " (" + records::describe(st) +
                            "). No se ha grabado nada.",
                  vbExclamation);
        return;
    }

    // Both files are judged before either is written: a read-only equipment list must not leave
    // a configuration saved that the list does not name.
    for (const std::string& archivo : {ruta, rutaEquipos(p)}) {
        if (const records::Status st = records::checkWritable(archivo); st != records::Status::Ok) {
            p.RutaArchivo = archivo;
            p.mensaje("No se puede grabar el archivo " + files::resolvePath(archivo) + " (" + records::describe(st) +
                          "). No se ha grabado nada.",
                      vbExclamation);
            return;
        }
    }

    p.RutaArchivo = ruta;
    records::Status st;
    if (files::fileExists(ruta)) {
        w.Resultado = p.mensaje("¿Desea reemplazar  " + files::resolvePath(ruta) + "  ?", vbOKCancel);
        // Cancel keeps the stored record.
        if (w.Resultado != vbOK) return;
    }
    // The new file is written beside the old one and put in its place: a failed write leaves
    // the stored record (or no file) as it was.
    st = records::rewriteWhole(ruta, records::RegistroConfiguracion, r);
    if (st != records::Status::Ok) {
        p.mensaje("No se pudo grabar el archivo de configuración " + ruta + " (" + records::describe(st) + ").",
                  vbExclamation);
        return;
    }

    const std::string lista = rutaEquipos(p);
    p.RutaArchivo = lista;
    if (!files::fileExists(lista)) p.mensaje("No existe archivo de configuración. Se creara uno nuevo");
    int en = 0;
    st = records::saveEquipo(lista, equipo, &en);
    if (st != records::Status::Ok) {
        p.mensaje("Se grabó la configuración, pero no la lista de equipos " + lista + " (" + records::describe(st) +
                      ").",
                  vbExclamation);
        return;
    }
    w.IndiceCiclo = en;
}

}  // namespace zylma::admin
