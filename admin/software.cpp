#include "zylma/admin/software.h"

#include "zylma/admin/cap_login.h"

#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/files/files.h"
#include "zylma/records/records.h"


#include <cstdio>

namespace zylma::admin {

using app::Programa;
using namespace zylma::forms;

namespace {

std::string dosCifras(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

// A whole number within [menor, mayor], or false.
bool enteroEnRango(const std::string& s, long menor, long mayor, long& v) {
    return app::enteroDeTexto(s, v) && v >= menor && v <= mayor;
}

std::string rutaUsuarios(const Programa& p) {
    return p.RutaAplicacion + p.CarpetaUtilerias + "/Generales/Equipos/Usuarios.WCon";
}
std::string rutaSoftware(const Programa& p) { return records::pathSoftware(p.RutaAplicacion); }

void avisaGrabacion(Programa& p, const std::string& que, const std::string& ruta, records::Status st) {
    p.mensaje("No se pudo grabar el archivo de " + que + " " + ruta + " (" + records::describe(st) +
                  "). No se ha modificado nada.",
              vbExclamation);
}

}  // namespace

ZylFrmCPri::ZylFrmCPri(Programa& p) : Form(p.host(), "ZylFrmCPri"), p_(p) {
    construye();
    conecta();
}

void ZylFrmCPri::construye() {
    setCaption("Zylma-Configuración Principal");
    constexpr int kFila = 360, kAlto = 315, kArriba = 420;
    ZylLabCPriEq = &add<Label>("ZylLabCPriEq");
    ZylLabCPriEq->setCaption("Equipo");
    ZylLabCPriEq->move(240, 120, 2400, 255);
    ZylLabCPriEq2 = &add<Label>("ZylLabCPriEq2");
    ZylLabCPriEq2->setCaption("Equipo");
    ZylLabCPriEq2->move(2760, 120, 2400, 255);
    // Model names in two columns of ten, the flag boxes beside them in two more.
    for (int i = 0; i < 20; ++i) {
        ZylTexE[i] = &add<TextBox>("ZylTexE" + dosCifras(i + 1));
        ZylTexE[i]->move(i < 10 ? 240 : 2760, kArriba + (i % 10) * kFila, 2400, kAlto);
        ZylChkE[i] = &add<CheckBox>("ZylChkE" + dosCifras(i + 1));
        ZylChkE[i]->setCaption("Check" + std::to_string(i + 1));
        ZylChkE[i]->move(i < 10 ? 5400 : 6840, kArriba + (i % 10) * kFila, 1320, kAlto);
    }
    const int abajo = kArriba + 10 * kFila + 120;
    ZylLabCPriEq3 = &add<Label>("ZylLabCPriEq3");
    ZylLabCPriEq3->setCaption("Reintentos");
    ZylLabCPriEq3->move(240, abajo + 30, 1200, 255);
    ZylTexE[20] = &add<TextBox>("ZylTexE21");
    ZylTexE[20]->move(1500, abajo, 900, kAlto);
    ZylLabCPriEq4 = &add<Label>("ZylLabCPriEq4");
    ZylLabCPriEq4->setCaption("TimeOut");
    ZylLabCPriEq4->move(2760, abajo + 30, 1200, 255);
    ZylTexE[21] = &add<TextBox>("ZylTexE22");
    ZylTexE[21]->move(4020, abajo, 900, kAlto);
    ZylTexEBan = &add<TextBox>("ZylTexEBan");
    ZylTexEBan->setText("00000000000000000000");
    ZylTexEBan->move(5400, abajo, 2760, kAlto);

    const int botones = abajo + 480;
    ZylCmdCPConRec = &add<Button>("ZylCmdCPConRec");
    ZylCmdCPConRec->setCaption("&Recuperar");
    ZylCmdCPConRec->move(240, botones, 1320, 390);
    ZylCmdCPConGra = &add<Button>("ZylCmdCPConGra");
    ZylCmdCPConGra->setCaption("&Grabar");
    ZylCmdCPConGra->move(1680, botones, 1320, 390);
    ZylCmdCPConAceptar = &add<Button>("ZylCmdCPConAceptar");
    ZylCmdCPConAceptar->setCaption("&Aceptar");
    ZylCmdCPConAceptar->move(3120, botones, 1320, 390);
    ZylCmdCPConAlta = &add<Button>("ZylCmdCPConAlta");
    ZylCmdCPConAlta->setCaption("A&lta");
    ZylCmdCPConAlta->move(4560, botones, 1320, 390);

    // The user row: name, number, date (shown only), second text; its two buttons below.
    const int usuarios = botones + 600;
    ZylComCPUsuarios = &add<ComboBox>("ZylComCPUsuarios");
    ZylComCPUsuarios->style = ComboBox::DropDownCombo;
    ZylComCPUsuarios->setText("Usuarios");
    ZylComCPUsuarios->move(240, usuarios, 2400, kAlto);
    ZylTexE[22] = &add<TextBox>("ZylTexE23");
    ZylTexE[22]->move(2760, usuarios, 900, kAlto);
    ZylTexE[23] = &add<TextBox>("ZylTexE24");
    ZylTexE[23]->locked = true;
    ZylTexE[23]->move(3780, usuarios, 1500, kAlto);
    ZylTexE[24] = &add<TextBox>("ZylTexE25");
    ZylTexE[24]->move(5400, usuarios, 2760, kAlto);
    ZylCmdUsZylA = &add<Button>("ZylCmdUsZylA");
    ZylCmdUsZylA->setCaption("&Aplicar");
    ZylCmdUsZylA->move(240, usuarios + 480, 1320, 390);
    ZylCmdUsZylG = &add<Button>("ZylCmdUsZylG");
    ZylCmdUsZylG->setCaption("Gra&bar");
    ZylCmdUsZylG->move(1680, usuarios + 480, 1320, 390);

    int orden = 0;
    for (int i = 0; i < 22; ++i) ZylTexE[i]->tabIndex = orden++;
    for (CheckBox* c : ZylChkE) c->tabIndex = orden++;
    for (Control* c : std::initializer_list<Control*>{ZylTexEBan, ZylCmdCPConRec, ZylCmdCPConGra, ZylCmdCPConAceptar,
                                                      ZylCmdCPConAlta, ZylComCPUsuarios, ZylTexE[22], ZylTexE[23],
                                                      ZylTexE[24], ZylCmdUsZylA, ZylCmdUsZylG})
        c->tabIndex = orden++;
    // The size counts the border and the title bar.
    move(600, 600, 8520, usuarios + 1440);
}

void ZylFrmCPri::conecta() {
    onLoad = [this] { CargaCPri(p_); };
    for (int i = 0; i < 20; ++i) {
        CheckBox* c = ZylChkE[i];
        c->onClick = [this, c, i] { BanderasSoftware[i] = c->value() == CheckBox::Checked ? "1" : "0"; };
    }
    ZylTexEBan->onChange = [this] { SigueBanderasSoftware(p_); };
    ZylCmdCPConRec->onClick = [this] { RecuperaSoftware(p_); };
    ZylCmdCPConGra->onClick = [this] { GrabaSoftware(p_); };
    ZylCmdUsZylA->onClick = [this] { BuscaUsuario(p_); };
    ZylCmdUsZylG->onClick = [this] { GrabaUsuario(p_); };
    ZylComCPUsuarios->onClick = [this] { MuestraUsuario(p_); };
}

void CargaCPri(Programa& p) {
    ZylFrmCPri& w = p.ventana<ZylFrmCPri>();
    w.BanderasSoftware.fill("0");
    const std::string ruta = rutaUsuarios(p);
    p.RutaArchivo = ruta;
    if (files::fileExists(ruta)) {
        const records::Status st =
            records::scanTable(ruta, records::RegistroUsuario, [&](int, const records::Record& r) {
                if (!r[0].empty()) w.ZylComCPUsuarios->addItem(r[0]);
                return true;
            });
        if (st != records::Status::Ok)
            p.mensaje("No se puede leer el archivo de usuarios " + ruta + " (" + records::describe(st) +
                          "). La lista de usuarios puede estar incompleta.",
                      vbExclamation);
    }
    // The editor opens on what is stored, so a save writes back what it showed plus the edits;
    // empty boxes saved over the record would take every model button away.
    RecuperaSoftware(p);
}

void SigueBanderasSoftware(Programa& p) {
    ZylFrmCPri& w = p.ventana<ZylFrmCPri>();
    const std::string& t = w.ZylTexEBan->text();
    for (std::size_t k = 0; k < w.ZylChkE.size(); ++k)
        w.ZylChkE[k]->setValue(k < t.size() && t[k] == '1' ? CheckBox::Checked : CheckBox::Unchecked);
}

bool RecuperaSoftware(Programa& p) {
    ZylFrmCPri& w = p.ventana<ZylFrmCPri>();
    records::Record r;
    if (!app::LeeRegistro(p, rutaSoftware(p), records::RegistroSoftware, r, "software",
                          w.RegistroMostrado ? ". Se sigue mostrando el registro leído antes."
                                             : ". No se podrá grabar hasta que se pueda leer (Recuperar)."))
        return false;
    for (int i = 0; i < 20; ++i) w.ZylTexE[i]->setText(r[i]);
    w.ZylTexEBan->setText(r[20]);
    w.ZylTexE[20]->setText(r[23]);
    w.ZylTexE[21]->setText(r[24]);
    // The user saved with the record is chosen again, so restoring and saving keeps field 21.
    long indice = -1;
    if (enteroEnRango(r[21], 0, w.ZylComCPUsuarios->listCount() - 1, indice))
        w.ZylComCPUsuarios->setListIndex(static_cast<int>(indice));
    w.RegistroMostrado = true;
    return true;
}

void GrabaSoftware(Programa& p) {
    ZylFrmCPri& w = p.ventana<ZylFrmCPri>();
    const std::string ruta = rutaSoftware(p);
    if (!w.RegistroMostrado) {
        p.mensaje("No se pudo leer el archivo de software " + ruta +
                      " al abrir esta ventana: grabar ahora dejaría vacíos los nombres de los equipos. "
                      "Pulse Recuperar para leerlo. No se ha grabado nada.",
                  vbExclamation);
        return;
    }
    // The main window counts retries in a 16-bit integer and waits 1 to 32 s for a reply (a
    // wait of 0 would never end): anything else would be stored and then refused at every
    // start. Each box is judged on its own and named.
    long n = 0;
    std::string malos;
    if (!enteroEnRango(w.ZylTexE[20]->text(), 0, 32767, n))
        malos += "Reintentos debe ser un número entero de 0 a 32767. ";
    if (!enteroEnRango(w.ZylTexE[21]->text(), 1, 32, n))
        malos += "TimeOut debe ser un número entero de segundos de 1 a 32. ";
    if (!malos.empty()) {
        p.mensaje(malos + "No se ha grabado nada.", vbExclamation);
        return;
    }

    std::string banderas;
    for (const std::string& b : w.BanderasSoftware) banderas += b == "1" ? "1" : "0";
    w.ZylTexEBan->setText(banderas);

    // The modifier code and the installation class are never shown: they go back as stored.
    records::Record guardado;
    if (!app::LeeRegistro(p, ruta, records::RegistroSoftware, guardado, "software", ". No se ha grabado nada."))
        return;
    p.CodigoModificador = guardado[25];

    // A file made read-only is refused before the question, not after a "Yes".
    if (const records::Status st = records::checkWritable(ruta); st != records::Status::Ok) {
        avisaGrabacion(p, "software", ruta, st);
        return;
    }
    w.Resultado = p.mensaje("¿Desea reemplazar  " + files::resolvePath(ruta) + "  ?", vbYesNo);
    // "No" keeps the stored record as it is.
    if (w.Resultado != vbYes) return;

    records::Record r(records::RegistroSoftware.fields);
    for (int i = 0; i < 20; ++i) r[i] = w.ZylTexE[i]->text();
    r[20] = w.ZylTexEBan->text();
    r[21] = std::to_string(w.ZylComCPUsuarios->listIndex());
    r[22] = app::FechaHoy();
    r[23] = w.ZylTexE[20]->text();
    r[24] = w.ZylTexE[21]->text();
    r[25] = guardado[25];
    r[26] = guardado[26];
    p.RutaArchivo = ruta;
    // The new file is written beside the old one and put in its place: a failed write leaves
    // the stored record whole.
    if (const records::Status st = records::rewriteWhole(ruta, records::RegistroSoftware, r); st != records::Status::Ok) {
        avisaGrabacion(p, "software", ruta, st);
        return;
    }

    // The ordinary user's credentials come next.
    MuestraCapLogin(p);
    w.unload();
}

void BuscaUsuario(Programa& p) {
    ZylFrmCPri& w = p.ventana<ZylFrmCPri>();
    const std::string ruta = rutaUsuarios(p);
    p.RutaArchivo = ruta;
    const std::string& nombre = w.ZylComCPUsuarios->text();
    w.Resultado = 0;
    // No table yet: nobody is in it, and the save will create it.
    if (!files::fileExists(ruta)) return;
    // Of several entries of one name the list shows the last: that is the one found, or an
    // edit would go to an entry nobody sees.
    int hallado = 0;
    const records::Status st = records::scanTable(ruta, records::RegistroUsuario, [&](int n, const records::Record& r) {
        if (!r[0].empty() && r[0] == nombre) hallado = n;
        return true;
    });
    if (st != records::Status::Ok) {
        // A table that cannot be read whole could hold a later entry of the name.
        p.mensaje("No se puede leer el archivo de usuarios " + ruta + " (" + records::describe(st) + ").",
                  vbExclamation);
        return;
    }
    if (hallado > 0) {
        w.Resultado = 1;
        w.RegistroUsuario = hallado;
    }
}

void GrabaUsuario(Programa& p) {
    ZylFrmCPri& w = p.ventana<ZylFrmCPri>();
    const std::string ruta = rutaUsuarios(p);
    p.RutaArchivo = ruta;
    const records::Record r{w.ZylComCPUsuarios->text(), w.ZylTexE[22]->text(), w.ZylTexE[24]->text(), app::FechaHoy()};
    records::Status st;
    std::string titular;
    if (w.Resultado == 1) {
        // The entry the search found is rewritten where it stands, its name too (a rename),
        // whatever number is typed.
        st = records::saveAt(ruta, records::RegistroUsuario, r, w.RegistroUsuario);
    } else {
        long numero = 0;
        if (!enteroEnRango(w.ZylTexE[22]->text(), 1, records::kMaxRecordNumber, numero)) {
            p.mensaje("El número de usuario debe ser un número entero de 1 a " +
                          std::to_string(records::kMaxRecordNumber) + ". No se ha grabado nada.",
                      vbExclamation);
            return;
        }
        // Without a search the entry goes at the typed number, never over another user's.
        st = records::saveUser(ruta, r, static_cast<int>(numero), nullptr, &titular);
    }
    if (st == records::Status::Taken) {
        p.mensaje("El número de usuario " + w.ZylTexE[22]->text() + " ya pertenece al usuario \"" + titular +
                      "\". Elija otro número, o busque el usuario con Aplicar para cambiarlo. No se ha grabado nada.",
                  vbExclamation);
        return;
    }
    if (st != records::Status::Ok) {
        avisaGrabacion(p, "usuarios", ruta, st);
        return;
    }
    w.Resultado = 0;
}

void MuestraUsuario(Programa& p) {
    ZylFrmCPri& w = p.ventana<ZylFrmCPri>();
    const std::string ruta = rutaUsuarios(p);
    p.RutaArchivo = ruta;
    // Another user chosen: a search made for the one before must not send the save over it.
    w.Resultado = 0;
    if (!files::fileExists(ruta)) return;
    const std::string nombre = w.ZylComCPUsuarios->text();
    // Every entry of the name is read: of several, the last one is shown.
    records::scanTable(ruta, records::RegistroUsuario, [&](int, const records::Record& r) {
        if (!r[0].empty() && r[0] == nombre) {
            w.ZylTexE[22]->setText(r[1]);
            w.ZylTexE[23]->setText(r[3]);
            w.ZylTexE[24]->setText(r[2]);
        }
        return true;
    });
}

}  // namespace zylma::admin
