#include "zylma/sim/restrictor.h"

#include "zylma/codec/conversores.h"

namespace zylma::sim {

namespace {

// Whether `at` has come by `now`, across the wrap of a 32-bit millisecond clock.
bool reached(uint32_t at, uint32_t now) { return static_cast<int32_t>(now - at) >= 0; }

// Stray characters a noisy line puts before the answer: never the answer's opening "0" and
// never a "T", which the program would take as an acknowledgement.
constexpr std::string_view kNoise = "?5;";

// A frame longer than any data part is noise, not a command.
constexpr std::size_t kMaxFrame = 1024;
constexpr std::size_t kMaxLog = 10000;

std::string visible(std::string_view s) {
    std::string r;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F) {
            r += static_cast<char>(c);
        } else {
            r += "\\x" + codec::DecimalAHex2(static_cast<long long>(c));
        }
    }
    return r;
}

bool isHexMap(std::string_view s) {
    for (char c : s) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

}  // namespace

std::optional<Fault> faultFromName(std::string_view name) {
    if (name == "none") return Fault::None;
    if (name == "checksum") return Fault::Checksum;
    if (name == "short") return Fault::Short;
    if (name == "long") return Fault::Long;
    if (name == "silence") return Fault::Silence;
    if (name == "noise") return Fault::Noise;
    return std::nullopt;
}

int DefaultVersion(std::string_view wireCode) {
    if (wireCode == "04") return 12;
    if (wireCode == "02") return 15;
    if (wireCode == "08") return 72;
    return 30;
}

std::unique_ptr<Restrictor> Restrictor::create(const Options& options, std::string& error) {
    const codec::ModeloTrama* m = codec::BuscaModelo(options.model);
    if (!m) {
        error = "unknown model code \"" + visible(options.model) + "\"";
        return nullptr;
    }
    return std::unique_ptr<Restrictor>(new Restrictor(options, *m));
}

Restrictor::Restrictor(const Options& options, const codec::ModeloTrama& model)
    : options_(options), model_(&model), hooks_(hooksFor(model.codigo, options.hooks)) {
    if (options_.version < 0) options_.version = DefaultVersion(model.codigo);
    image_ = hooks_.defaultImage(model, options_.version);
}

bool Restrictor::setImage(std::string_view mapa, std::string& error) {
    std::size_t largo = codec::LongitudMapa(*model_);
    if (mapa.size() != largo) {
        error = "image of " + std::to_string(mapa.size()) + " characters; the " +
                std::string(model_->nombre) + " needs " + std::to_string(largo);
        return false;
    }
    if (!isHexMap(mapa)) {
        error = "image holds a character that is not an upper-case hex digit";
        return false;
    }
    image_ = std::string(mapa);
    return true;
}

std::string Restrictor::wireImage() const { return codec::RecepcionDesdeMapa(image_); }

void Restrictor::setFault(Fault fault, int times) {
    options_.fault = fault;
    options_.faultTimes = times;
}

bool Restrictor::received(std::string_view command) const {
    for (const auto& f : frames_) {
        if (f == command) return true;
    }
    return false;
}

void Restrictor::note(std::string line) {
    if (onLog) onLog(line);
    if (log_.size() < kMaxLog) log_.push_back(std::move(line));
}

void Restrictor::flushDue(uint32_t nowMs) {
    while (!pending_.empty() && reached(pending_.front().due, nowMs)) {
        output_ += pending_.front().text;
        pending_.pop_front();
    }
}

uint64_t Restrictor::schedule(uint32_t due, std::string text, bool ack) {
    // Kept in order of time; an answer scheduled before a later acknowledgement stays first.
    auto it = pending_.end();
    while (it != pending_.begin() && !reached((it - 1)->due, due)) --it;
    pending_.insert(it, Pending{due, std::move(text), ack, ++seq_});
    return seq_;
}

std::optional<uint32_t> Restrictor::nextEventMs() const {
    if (pending_.empty()) return std::nullopt;
    return pending_.front().due;
}

std::string Restrictor::takeOutput(uint32_t nowMs) {
    flushDue(nowMs);
    std::string r;
    r.swap(output_);
    return r;
}

void Restrictor::receive(char c, uint32_t nowMs) {
    // Output is due by the clock but leaves only through takeOutput: an acknowledgement that
    // the caller has not taken yet has not gone out, so a "P" read late still cancels it.

    if (inFrame_ && reached(lastCharMs_ + options_.frameTimeoutMs, nowMs)) {
        note("frame abandoned after silence: \"" + visible(frame_) + "\"");
        inFrame_ = false;
        frame_.clear();
    }

    if (!inFrame_) {
        if (c == 'D' && awaitingData_ && reached(awaitingSinceMs_ + options_.dataWaitMs, nowMs)) {
            awaitingData_ = false;
            note("write abandoned: no data part in time");
        }
        if (c == 'D') {
            inFrame_ = true;
            frame_.clear();
            unframed_.clear();
            lastCharMs_ = nowMs;
            lastAckSeq_ = schedule(nowMs + options_.ackDelayMs, "T", true);
            return;
        }
        // A model retries a read by sending the read command alone, all at once.
        const std::string lectura = options_.comandos.conF(options_.comandos.lectura);
        unframed_ += c;
        if (unframed_.size() > lectura.size()) unframed_.erase(0, unframed_.size() - lectura.size());
        if (unframed_ == lectura) {
            unframed_.clear();
            note("unframed read: \"" + visible(lectura) + "\"");
            answerRead(nowMs);
        }
        return;
    }

    lastCharMs_ = nowMs;
    if (c == 'P') {
        // The acknowledgement held for the closing "1" never goes out.
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (it->ack && it->seq == lastAckSeq_) {
                pending_.erase(it);
                break;
            }
        }
        endFrame(nowMs);
        return;
    }
    if (frame_.size() >= kMaxFrame) {
        note("frame longer than " + std::to_string(kMaxFrame) + " characters dropped");
        inFrame_ = false;
        frame_.clear();
        return;
    }
    frame_ += c;
    // A "1" may be the closing one: wait longer for the "P" that would follow it at once.
    uint32_t delay = c == '1' ? options_.holdOneMs : options_.ackDelayMs;
    lastAckSeq_ = schedule(nowMs + delay, "T", true);
}

void Restrictor::endFrame(uint32_t nowMs) {
    inFrame_ = false;
    std::string cmd;
    cmd.swap(frame_);
    if (!cmd.empty() && cmd.back() == '1') {
        cmd.pop_back();
    } else {
        note("frame closed without its \"1\": \"" + visible(cmd) + "\"");
    }
    if (frames_.size() < kMaxLog) frames_.push_back(cmd);
    note("frame: \"" + visible(cmd) + "\"");
    command(cmd, nowMs);
}

void Restrictor::command(const std::string& cmd, uint32_t nowMs) {
    const Comandos& k = options_.comandos;
    if (cmd == k.conF(k.lectura)) {
        // A read between a write's two frames is still a read; the data part cannot look so.
        answerRead(nowMs);
        return;
    }
    if (awaitingData_ && (cmd == k.escritura || cmd == k.conF(k.escritura))) {
        // The write command again is a new write, never its own data part.
        awaitingSinceMs_ = nowMs;
        note("write: waiting for the data part (the write began again)");
        return;
    }
    if (awaitingData_) {
        awaitingData_ = false;
        // A device takes only a part its layout allows: never one cut, padded or with a
        // character changed on the way.
        Placement p = hooks_.placeDataPart(image_, *model_, cmd, true);
        if (!p.stored) {
            note("data part refused: " + p.message);
            return;
        }
        codec::RecalculaSumas(image_, *model_);
        note("data part stored" + (p.message.empty() ? std::string() : ": " + p.message));
        return;
    }
    if (cmd == k.escritura || cmd == k.conF(k.escritura)) {
        awaitingData_ = true;
        awaitingSinceMs_ = nowMs;
        note("write: waiting for the data part");
        return;
    }
    std::string what = hooks_.remoteCommand(image_, cmd);
    if (!what.empty()) codec::RecalculaSumas(image_, *model_);  // a command may change the image
    if (what.empty()) {
        if (cmd == k.conF(k.resetFabrica)) {
            // The memory goes back to what the device left the factory with.
            image_ = hooks_.defaultImage(*model_, options_.version);
            what = "factory reset";
        } else if (cmd.rfind(k.conF(k.verificar), 0) == 0) {
            what = "verify";
        } else if (cmd.rfind(k.conF(k.colgado), 0) == 0) {
            what = "hang up";
        } else {
            what = "remote command";
        }
    }
    note(what + ": \"" + visible(cmd) + "\"");
}

void Restrictor::answerRead(uint32_t nowMs) {
    Fault fault = options_.fault;
    if (options_.faultTimes == 0) fault = Fault::None;
    if (fault != Fault::None && options_.faultTimes > 0) --options_.faultTimes;

    if (fault == Fault::Silence) {
        note("read left unanswered (fault: silence)");
        return;
    }
    std::string mapa = image_;
    if (fault == Fault::Checksum) {
        if (model_->bloques > 0) {
            std::string suma = codec::SumaVerificacion(mapa.substr(0, codec::kDigitosBloque));
            int v = (codec::ValorDigitoHex(suma[0]) * 16 + codec::ValorDigitoHex(suma[1]) + 1) % 256;
            mapa.replace(codec::kDigitosBloque, 2, codec::DecimalAHex2(static_cast<long long>(v)));
        } else {
            note("fault checksum: this model's frame has no checksum");
        }
    }
    std::string wire = codec::RecepcionDesdeMapa(mapa);
    if (fault == Fault::Short) wire.pop_back();
    if (fault == Fault::Long) wire += '0';
    if (fault == Fault::Noise) wire = std::string(kNoise) + wire;
    note("read answered: " + std::to_string(wire.size()) + " characters" +
         (fault == Fault::None ? std::string() : " (fault)"));
    schedule(nowMs + options_.answerDelayMs, std::move(wire), false);
}

}  // namespace zylma::sim
