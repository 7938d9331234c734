#include "zylma/app/barra.h"

#include "zylma/app/enlace.h"
#include "zylma/app/ida_vuelta.h"
#include "zylma/app/lectura.h"
#include "zylma/app/monitor.h"
#include "zylma/app/programa.h"
#include "zylma/app/rechazos.h"
#include "zylma/app/zyl_for_pri.h"
#include "zylma/codec/conversores.h"
#include "zylma/codec/imagen.h"
#include "zylma/files/files.h"
#include "zylma/records/records.h"

namespace zylma::app {

namespace {

const ModeloEquipo* modeloActual(Programa& p) { return p.modelos().porCodigo(p.CodigoEquipo); }

// The command bar's own commands: the stored text and the key, sent 5000 ms later.
// A stored command the table lacks: the key alone would go out in its place.
bool faltaEnTabla(Programa& p, const std::string& comando, const char* entrada) {
    if (!comando.empty()) return false;
    RehusaEnvio(p, std::string("No se envió el comando: la tabla de comandos no tiene la entrada \"") + entrada + "\".");
    return true;
}

// What a command refused for a value the last read could not give back as it stands says.
std::string motivoNoEscribible(const std::string& campo) {
    return MotivoCampo(campo, "el valor leído del equipo no se puede enviar tal como está; escriba uno");
}

void comandoConClave(Programa& p, const std::string& comando, const char* entrada) {
    if (EscrituraOcupada(p, std::string("\"") + entrada + "\"") || faltaEnTabla(p, comando, entrada)) return;
    // The key goes out with the command: a key the last read could not give back goes nowhere.
    if (const auto campo = CampoNoEscribibleDeComando(p, "ZylTexResCla", -1)) {
        RehusaEnvio(p, motivoNoEscribible(*campo));
        return;
    }
    p.CadenaComando = comando + p.pri().ZylTexResCla->text();
    p.IndiceEnvio = 1;
    ProgramaComando(p);
}

// The modifier code as the image takes it: two bytes, four hex digits.
bool ModificadorValido(const std::string& modificador) {
    if (modificador.size() != 4) return false;
    for (char c : modificador)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

}  // namespace

bool EscrituraOcupada(Programa& p, const std::string& que) { return EnlaceOcupado(p, que); }

namespace {

// The image of the current model built from the panel, without recording it. False when there
// is none: no image builder, or a modifier code that no image can carry (`avisa`: say so; only
// a write says it, a remote command does not carry the modifier). For a model programmed by
// remote commands only, a command still builds the image its variant would have (`comando`).
bool armaImagen(Programa& p, bool avisa, bool comando) {
    p.CamposCaptura.clear();
    // The modifier code fills two bytes of every image and opens most data parts: any other
    // length or a character that is no hex digit would move every later byte on the device.
    if (!ModificadorValido(p.CodigoModificador)) {
        if (avisa)
            p.mensaje("El código modificador del registro de software (\"" + p.CodigoModificador +
                          "\") no es de 4 dígitos hexadecimales: no se prepara ninguna imagen para el equipo.",
                      forms::vbExclamation);
        return false;
    }
    const ModeloEquipo* m = modeloActual(p);
    if (m && m->preparaEnvio) return m->preparaEnvio(p);
    if (comando && m && m->preparaTrama) return m->preparaTrama(p);
    return false;
}

// The last transmission is replaced whole, through a temporary file.
void registraUltimoEnvio(Programa& p) {
    p.RutaArchivo = records::pathUltEnvio(p.RutaAplicacion);
    records::Record r{p.CodigoEquipo,  p.TramaEnvio,  FechaHoy(), p.MascaraEnvio, p.TramaRecibida,
                      p.ImagenEnvio, std::to_string(p.ImagenEnvio.size())};
    records::Status st = records::rewriteWhole(p.RutaArchivo, records::RegistroUltEnvio, r);
    if (st != records::Status::Ok)
        p.mensaje("No se pudo guardar el último envío en " + p.RutaArchivo + " (" + records::describe(st) + ").",
                  forms::vbExclamation);
}

// Everything the building of a remote command may change, so that a refused one leaves the
// program as it found it: the status line, the pending command string (a command already
// waiting for its timer must still go out as it was), the images, the index and the key state.
struct EstadoComando {
    std::string estado, cadena, imagen, trama, mascara, indice, captura, monitor2;
    explicit EstadoComando(Programa& p)
        : estado(p.pri().ZylTexEst->text()), cadena(p.CadenaComando), imagen(p.ImagenEnvio), trama(p.TramaEnvio),
          mascara(p.MascaraEnvio), indice(p.IndiceComando), captura(p.EstadoCaptura),
          monitor2(p.monitor().ZylTexMon[2]->text()) {}
    void repone(Programa& p) const {
        p.pri().ZylTexEst->setText(estado);
        p.CadenaComando = cadena;
        p.ImagenEnvio = imagen;
        p.TramaEnvio = trama;
        p.MascaraEnvio = mascara;
        p.IndiceComando = indice;
        p.EstadoCaptura = captura;
        p.monitor().ZylTexMon[2]->setText(monitor2);
    }
};

// The command the current model builds from the panel, or why it builds none. The builders
// judge the key and the value themselves, so no image is built for this (nor any message of
// an image builder shown twice).
bool armaComando(Programa& p, const ModeloEquipo& m) {
    p.CadenaComando.clear();
    p.RechazoComando.clear();
    return m.armaComando(p) && !p.CadenaComando.empty();
}

}  // namespace

bool PreparaEscritura(Programa& p) {
    ZylForPri& w = p.pri();
    w.ZylTexBan->setText(BanderasComoTexto(p));
    w.ZylTexEst->setText("Escribiendo");
    LimpiaMonitor(p);
    p.IndiceEnvio = 1;
    if (!armaImagen(p, true, false)) {
        // Nothing of an earlier model or write may go out in this one's place.
        p.ImagenEnvio.clear();
        return false;
    }
    registraUltimoEnvio(p);
    return true;
}

bool IniciaEnvio(Programa& p) {
    ZylForPri& w = p.pri();
    // Nothing may cut into what the link is doing, and a command already waiting goes out as
    // it was built.
    if (EscrituraOcupada(p)) return false;
    if (p.EnvioConEscritura) {
        // A value the last read could not give back as it stands goes in no command.
        if (const auto campo = CampoNoEscribibleDeComando(p, p.ControlComando, p.ElementoComando)) {
            RehusaEnvio(p, motivoNoEscribible(*campo));
            return false;
        }
        const ModeloEquipo* m = modeloActual(p);
        if (!m || !m->armaComando) {
            RehusaEnvio(p, MotivoSinEquipo());
            return false;
        }
        // The command is judged first, on the panel as it stands; a refused one changes nothing
        // (status, last transmission, pending string) and says why.
        const EstadoComando antes(p);
        w.ZylTexBan->setText(BanderasComoTexto(p));
        const bool construido = armaComando(p, *m);
        const std::string porque = p.RechazoComando;
        antes.repone(p);
        if (!construido) {
            RehusaEnvio(p, !porque.empty() ? porque : MotivoSinComando(p.CampoComando));
            return false;
        }
        // Then built for real, in the order a send has: the image rebuilt and recorded (when the
        // model has one), then the command.
        w.ZylTexEst->setText("Escribiendo");
        LimpiaMonitor(p);
        p.IndiceEnvio = 1;
        // An image whose header cannot carry the firmware as typed would be recorded as another
        // version's (a replay would then show another variant): the command goes without it.
        const bool conImagen = armaImagen(p, false, true) && FirmwareValido(FirmwareDeEnvio(p));
        if (conImagen) registraUltimoEnvio(p);
        else p.ImagenEnvio.clear();
        p.CadenaComando.clear();
        m->armaComando(p);
    } else if (p.CadenaComando.empty()) {
        // The command table has no such entry: there is nothing to send.
        RehusaEnvio(p, "No se envió el comando: la tabla de comandos no tiene ese comando.");
        return false;
    }
    ProgramaComando(p);
    p.NumeroComando = "0";
    p.ValorComando = "0";
    w.ZylTexEst->setText("Zylma");
    return true;
}

void Colgar(Programa& p) { comandoConClave(p, p.ComandoColgado, "Colgado"); }

void Verificar(Programa& p) { comandoConClave(p, p.ComandoVerificar, "Verificar"); }

void Leer(Programa& p) {
    if (EscrituraOcupada(p)) return;
    ZylForPri& w = p.pri();
    w.ZylTexEst->setText("Leyendo");
    LimpiaMonitor(p);
    p.RespuestaOK = "";
    p.IndiceEnvio = 1;
    w.ZylTexResCla->setEnabled(true);
    IniciaLectura(p);
    // The model code comes back from the answer; a read that fails puts back the one shown.
    EmpiezaLectura(p);
}

void Enviar(Programa& p) {
    if (EscrituraOcupada(p)) return;
    // A value the last read could not give back as it stands goes nowhere until it is typed.
    if (const auto campo = CampoNoEscribiblePendiente(p)) {
        ErrorEnCaptura(p, {*campo});
        return;
    }
    // The header carries the firmware version as it is typed: a text it cannot carry so would
    // program another version's layout.
    if (p.modelos().porCodigo(p.CodigoEquipo) && !FirmwareValido(FirmwareDeEnvio(p))) {
        ErrorEnCaptura(p, {"Firmware"});
        return;
    }
    ZylForPri& w = p.pri();
    p.EnviaImagen = "1";
    p.IndiceEnvio = 1;
    // A write that does not go out leaves the status line as it was: nothing was sent.
    const std::string estado = w.ZylTexEst->text();
    if (!PreparaEscritura(p)) {
        p.EnviaImagen = "0";
        w.ZylTexEst->setText(estado);
        if (ModificadorValido(p.CodigoModificador))
            p.mensaje("No hay imagen que enviar: elija el equipo o léalo primero.", forms::vbExclamation);
        return;
    }
    // The last guard before the wire, the same for every model: a data part of another length
    // than its model's and variant's, or with a character no layout takes, never goes out.
    if (p.EstadoCaptura == "Activado") {
        const codec::ModeloTrama* modelo = codec::BuscaModelo(p.CodigoEquipo);
        const long version = codec::ValorDecimal(codec::VersionDesdeMapa(p.TramaEnvio), 0);
        const std::string porque = modelo ? codec::RevisaDatosEnvio(*modelo, version, p.ImagenEnvio) : std::string();
        if (!porque.empty()) {
            p.mensaje("No se envió la escritura: " + porque, forms::vbExclamation);
            p.EnviaImagen = "0";
            w.ZylTexEst->setText(estado);
            return;
        }
    }
    if (p.EstadoCaptura == "Activado") {
        std::string escritura = p.ComandoEscritura;
        if (!escritura.empty()) escritura.pop_back();  // frame 1 goes without its "f"
        // Frame 1 must finish within the reply time-out, or nothing more goes out.
        EmpiezaEscritura(p, escritura);
    } else {
        std::vector<std::string> campos = p.CamposCaptura;
        if (const ModeloEquipo* m = modeloActual(p); campos.empty() && m && m->camposRechazados)
            campos = m->camposRechazados(p);
        ErrorEnCaptura(p, campos);
        p.EstadoCaptura = "Activado";
        p.EnviaImagen = "0";
        w.ZylTexEst->setText(estado);
    }
}

void UltimoLeido(Programa& p) {
    // A replay decodes into the panel and may change the model: never under a read, a write
    // or a command.
    if (EscrituraOcupada(p)) return;
    if (p.TramaRecibida.empty()) {
        // No read has come in yet: nothing to put back, and a click that did nothing would say
        // nothing either.
        p.mensaje("No existe Ultima Lectura");
        return;
    }
    EmpiezaRepeticion(p);
    p.LecturaEnVivo = 0;
    p.MapaLectura = p.UltimaLectura;
    p.RecepcionReplay = p.TramaRecibida;
    p.monitor().ZylTexMon[4]->setText(p.TramaRecibida);
    // The kept read is decoded as the model it came from, whatever button was pressed since.
    if (!p.CodigoLectura.empty()) p.CodigoEquipo = p.CodigoLectura;
    if (const ModeloEquipo* m = modeloActual(p); m && m->leeEquipo) m->leeEquipo(p);
    p.LecturaEnVivo = 1;
    TerminaRepeticion(p);
}

void UltimoEnvio(Programa& p) {
    if (EscrituraOcupada(p)) return;
    ZylForPri& w = p.pri();
    p.RutaArchivo = records::pathUltEnvio(p.RutaAplicacion);
    if (!files::fileExists(p.RutaArchivo)) {
        p.mensaje("No existe Ultimo Envio");
        return;
    }
    records::Record r;
    records::Status st = records::readSingle(p.RutaArchivo, records::RegistroUltEnvio, r);
    if (st != records::Status::Ok) {
        p.mensaje("No se puede leer el último envío " + p.RutaArchivo + " (" + records::describe(st) + ").",
                  forms::vbExclamation);
        return;
    }
    EmpiezaRepeticion(p);
    p.CodigoEquipo = r[0];
    p.TramaEnvio = r[1];
    p.MascaraEnvio = r[3];
    w.ZylTexEst->setText("Ultimo Envio " + r[2]);
    p.LecturaEnVivo = 0;
    p.MapaLectura = p.TramaEnvio;
    // The mask shows in the reception box for the replay only; the kept read stays as it was.
    p.RecepcionReplay = p.MascaraEnvio;
    p.monitor().ZylTexMon[4]->setText(p.MascaraEnvio);
    if (const ModeloEquipo* m = modeloActual(p); m && m->leeEquipo) m->leeEquipo(p);
    p.LecturaEnVivo = 1;
    TerminaRepeticion(p);
}

void ResetFabrica(Programa& p) {
    // Before the command text is replaced: a refusal leaves a pending command as it was.
    if (EscrituraOcupada(p, "\"ResetFabrica\"") || faltaEnTabla(p, p.ComandoResetFabrica, "ResetFabrica")) return;
    p.CadenaComando = p.ComandoResetFabrica;
    p.EnvioConEscritura = false;
    IniciaEnvio(p);
    p.EnvioConEscritura = true;
}

void ConectaBarra(Programa& p, ZylForPri& w) {
    w.comando(1).onClick = [&p] { Colgar(p); };
    w.comando(2).onClick = [&p] { Verificar(p); };
    w.comando(3).onClick = [&p] { Leer(p); };
    w.comando(4).onClick = [&p] { Enviar(p); };
    w.comando(5).onClick = [&p] { UltimoLeido(p); };
    w.comando(6).onClick = [&p] { UltimoEnvio(p); };
    w.comando(10).onClick = [&p] { ResetFabrica(p); };
}

}  // namespace zylma::app
