// What the simulated device knows of each model beyond the common frame: its starting image,
// where a written data part lands, and what a remote command does. Every model shares the
// generic behaviour until its own entry in modelos.cpp says otherwise.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "zylma/codec/imagen.h"

namespace zylma::sim {

struct Placement {
    bool stored = false;
    std::string message;  // why it was refused, or what was changed on the way
};

struct ModelHooks {
    // The image the device starts with, in map form, checksums included.
    std::function<std::string(const codec::ModeloTrama&, int version)> defaultImage;
    // Stores a data part (the second frame of a write) into the map-form image. Checksums are
    // recomputed by the caller afterwards.
    std::function<Placement(std::string& image, const codec::ModeloTrama&, std::string_view data,
                            bool strict)>
        placeDataPart;
    // A frame that is neither a read nor a write; returns a line for the log ("" for none).
    std::function<std::string(std::string& image, std::string_view command)> remoteCommand;
    // Length of a well-formed data part, when the model fixes it (strict mode checks it).
    std::optional<std::size_t> dataPartLength;
};

// The hooks of a model (wire-form code): the members set in `overrides` first, then the
// model's own entry in the table of modelos.cpp, then the generic ones for every gap.
ModelHooks hooksFor(std::string_view wireCode, const ModelHooks& overrides = {});

// The generic behaviour, usable by a model's own entry as a fallback.
std::string genericDefaultImage(const codec::ModeloTrama& m, int version);
// Data character i goes to map position 7 + i, on through block 2 where there is one (past
// block 1's checksum and the "45"); "*" is kept as the device digit "B", "#" as "C", and a
// closing "f" ends the part. Strict mode refuses an empty part, one that does not fit, or a
// character that cannot stand in an image; otherwise such a character is stored as "F".
Placement genericPlaceDataPart(std::string& image, const codec::ModeloTrama& m,
                               std::string_view data, bool strict,
                               std::optional<std::size_t> expectedLength = std::nullopt);

// Data characters (from 1, `desde` to `hasta`, every `paso`-th) that hold device digits: the
// device keeps a written "0" there as its digit "A", as it keeps "*" as "B" and "#" as "C".
struct DigitosEquipo {
    std::size_t desde, hasta, paso = 1;
};
// The generic placement, then "0" stored as "A" in those characters.
Placement placeWithDigits(std::string& image, const codec::ModeloTrama& m, std::string_view data, bool strict,
                          std::size_t expectedLength, std::initializer_list<DigitosEquipo> digitos);

}  // namespace zylma::sim
