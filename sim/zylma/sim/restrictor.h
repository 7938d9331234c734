// The far end of the serial line: a restrictor that acknowledges frames, answers a read with
// the image of its model, takes a write and logs every frame it gets.
//
// It is a pure state machine driven by the caller's clock, so the same code runs in-process
// against a virtual clock and in real time behind a pseudo-terminal:
//
//     sim.receive(c, now);                 // every character the program sent
//     out = sim.takeOutput(now);           // what the device has sent by `now`
//     next = sim.nextEventMs();            // when it will next have something to send
//
// Line protocol as the program drives it: "D", the command, "1", "P"; one "T" per character
// from the "D" on, never for the closing "1" nor the "P". A "1" may also stand inside a command,
// so each acknowledgement is held for a few character times (longer after a "1") and dropped
// when a "P" follows.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zylma/codec/imagen.h"
#include "zylma/sim/comandos.h"
#include "zylma/sim/modelos.h"

namespace zylma::sim {

enum class Fault {
    None,
    Checksum,  // block 1's checksum is off by one
    Short,     // the answer lacks its last character
    Long,      // the answer carries one character too many
    Silence,   // frames are acknowledged, a read is never answered
    Noise,     // a few stray characters (never "0" nor "T") before the answer
};

// "checksum", "short", "long", "silence", "noise" or "none".
std::optional<Fault> faultFromName(std::string_view name);

// The firmware version a simulated model starts with: one the installation kit has a
// configuration record for (Sonobrisa 12, Quintavo 15, Selvarindo 72, the others 30).
int DefaultVersion(std::string_view wireCode);

struct Options {
    std::string model = "00";  // wire-form model code ("0:" for the Fenzo)
    // Decimal firmware version; -1 the model's own, one the kit has a configuration record
    // for (DefaultVersion).
    int version = -1;
    // A data part of the wrong length or with a character its layout does not allow is
    // refused in every mode, as a device refuses it; the flag is kept for the callers that ask
    // for it and changes nothing more.
    bool strict = false;
    Fault fault = Fault::None;
    int faultTimes = -1;       // answers spoilt by the fault; -1 every one
    uint32_t ackDelayMs = 3;      // how long an acknowledgement takes
    uint32_t holdOneMs = 20;      // how long the acknowledgement of a "1" waits for a "P"
    uint32_t answerDelayMs = 20;  // pause between a read command and the image
    uint32_t frameTimeoutMs = 1000;  // a frame silent this long is abandoned
    // A write's frame 1 waits this long for its data part to begin (the program sends it
    // 5000 ms after the button); a frame that begins later is a frame of its own.
    uint32_t dataWaitMs = 6000;
    Comandos comandos = ComandosKit();
    // Members set here replace the model's own hooks (a test can give a layout of its own).
    ModelHooks hooks;
};

class Restrictor {
public:
    // Fails (nullptr, with the reason) for a model code the frame does not know.
    static std::unique_ptr<Restrictor> create(const Options& options, std::string& error);

    void receive(char c, uint32_t nowMs);
    // Everything the device has sent up to `nowMs`, in order; each character only once.
    std::string takeOutput(uint32_t nowMs);
    // When the next pending output is due; nothing while nothing is pending.
    std::optional<uint32_t> nextEventMs() const;

    // The image in map form (without the frame start "0245").
    const std::string& image() const { return image_; }
    // Replaces the image; it must be map-form hex of the model's length. Checksums are kept as
    // given, so a test can hand the device a spoilt image on purpose.
    bool setImage(std::string_view mapa, std::string& error);
    // The answer a read gets now, without any fault.
    std::string wireImage() const;

    // Whether a frame has begun and not yet ended with its "P".
    bool inFrame() const { return inFrame_; }

    void setStrict(bool strict) { options_.strict = strict; }
    void setFault(Fault fault, int times = -1);

    const codec::ModeloTrama& model() const { return *model_; }
    // Command texts of every frame received (between "D" and the closing "1"), in order.
    const std::vector<std::string>& frames() const { return frames_; }
    bool received(std::string_view command) const;
    // Every event in words: frames, unframed reads, answers, stored and refused data parts.
    const std::vector<std::string>& log() const { return log_; }
    // Called with each new log line as well (the program writes them to its --log file).
    std::function<void(const std::string&)> onLog;

private:
    Restrictor(const Options& options, const codec::ModeloTrama& model);

    struct Pending {
        uint32_t due;
        std::string text;
        bool ack;
        uint64_t seq;
    };

    void note(std::string line);
    void flushDue(uint32_t nowMs);
    uint64_t schedule(uint32_t due, std::string text, bool ack);
    void endFrame(uint32_t nowMs);
    void command(const std::string& cmd, uint32_t nowMs);
    void answerRead(uint32_t nowMs);

    Options options_;
    const codec::ModeloTrama* model_;
    ModelHooks hooks_;
    std::string image_;

    bool inFrame_ = false;
    std::string frame_;
    uint32_t lastCharMs_ = 0;
    std::string unframed_;  // recent characters outside a frame, for the retry of a read
    bool awaitingData_ = false;
    uint32_t awaitingSinceMs_ = 0;

    std::deque<Pending> pending_;
    uint64_t seq_ = 0;
    uint64_t lastAckSeq_ = 0;  // the acknowledgement of the frame's latest character
    std::string output_;

    std::vector<std::string> frames_;
    std::vector<std::string> log_;
};

}  // namespace zylma::sim
