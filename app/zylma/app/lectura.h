// What every model decoder does with the common frame before its own fields, and the read
// retry that the models with a checksum share.
#pragma once

#include "zylma/codec/imagen.h"

namespace zylma::app {

class Programa;

// Steps 1 to 3 of every decoder: false while the reception does not hold exactly the model's
// wire length. Once it does, a live read keeps the image (`UltimaLectura`, `TramaRecibida`,
// `MapaLectura`) and both the live read and a replay put it in the monitor's boxes.
bool LecturaLista(Programa& p, const codec::ModeloTrama& m);

// A checksum mismatch. Live: up to `Reintentos` retries per reading, each resending the read
// command unframed in one output under the watchdog; then "Error de Comunicación!" and the
// read ends. A replay, or an answer no read waits for, never sends anything: it shows the
// error and stops.
void ReintentaLectura(Programa& p);

// Starts a reading: the retries start again from 0.
void IniciaLectura(Programa& p);

}  // namespace zylma::app
