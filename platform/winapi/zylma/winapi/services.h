// What stands behind the Win32 calls of winapi.h: the program installs its own services
// (its modal message box, its event loop), tests install capturing ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zylma::winapi {

// Shows a message box and returns the button pressed (IDOK for a single OK button).
// Text and caption arrive as UTF-8. Default: both written to standard error, IDOK.
using MessageBoxService = std::function<int(const std::string& text, const std::string& caption, unsigned type)>;
void setMessageBoxService(MessageBoxService service);

// Sees every debug text as the caller's bytes (Windows-1252). Standard error gets it anyway
// unless turned off (tests keep their output readable).
using DebugHook = std::function<void(const std::string& bytes)>;
void setDebugHook(DebugHook hook);
void setDebugToStderr(bool on);

// The clock behind GetTickCount and the wait behind Sleep; empty restores the real ones.
using TickSource = std::function<std::uint32_t()>;
void setTickSource(TickSource source);
using SleepHook = std::function<void(std::uint32_t ms)>;
void setSleepHook(SleepHook hook);

// Decides whether a LocalAlloc of that many bytes may succeed (tests make one fail).
using AllocGate = std::function<bool(std::size_t bytes)>;
void setAllocGate(AllocGate gate);
// Sees what LocalSize would answer and may answer otherwise (0: a block whose size is lost).
using SizeHook = std::function<std::size_t(std::size_t actual)>;
void setLocalSizeHook(SizeHook hook);
// Blocks from LocalAlloc not yet given back; a call that leaves more than it found leaked.
std::size_t localBlocksInUse();

// The message pump. PeekMessageA first runs the program's pending events (its event loop,
// without waiting), then every message source (a telephony provider delivering callbacks),
// then hands out the oldest posted message; DispatchMessageA runs it.
void setPendingEventsService(std::function<void()> service);
int addMessageSource(std::function<void()> poll);
void removeMessageSource(int id);
void postCallback(std::function<void()> callback);
std::size_t postedMessages();

// Restores every default above and drops posted messages (between tests).
void resetServices();

}  // namespace zylma::winapi
