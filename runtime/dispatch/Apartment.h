// The calling thread's COM apartment, as the runtime's automation client
// needs it. On Windows the editions run on the host's user-interface thread;
// a host that has not initialised COM there gets it from the runtime:
//
//   - Enter (CreateOleObject calls it) initialises COM on the thread
//     (single-threaded apartment) when the runtime holds no initialisation
//     there yet. S_OK and S_FALSE both count and are balanced later; a
//     thread already in the multithreaded apartment is used as it is.
//   - The runtime holds its initialisation for as long as it holds objects
//     from it: when the last one is released, it calls CoUninitialize.
//   - Except under the loader's lock: a library's unload routine releases
//     its objects inside DllMain, where COM must not be uninitialised. The
//     runtime then keeps its initialisation until the next entry point of a
//     library on that thread (Settle), or hands it to the next object made
//     there.
//
// Elsewhere these do nothing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rtl::apartment {

// Raises EOleSysError when the platform refuses to initialise COM.
void Enter();
// Bookkeeping of the objects the runtime holds from the apartment: Acquired
// counts one on the calling thread and returns that thread's token, which
// Released takes back (on the same thread, as the apartment rules want; a
// release from another thread is counted but uninitialises nothing).
std::uint32_t ObjectAcquired() noexcept;
void ObjectReleased(std::uint32_t thread) noexcept;
// Uninitialises a held initialisation that no object needs any more, unless
// inside an unload.
void Settle() noexcept;
// Whether the runtime holds an initialisation on this thread, and how many
// objects it holds there (for tests).
bool Holds() noexcept;
std::size_t Objects() noexcept;

// Marks the calling thread as running a library's unload routine.
class UnloadScope {
 public:
  UnloadScope() noexcept;
  ~UnloadScope();  // NOLINT(performance-trivially-destructible): it does work on Windows
  UnloadScope(const UnloadScope&) = delete;
  UnloadScope& operator=(const UnloadScope&) = delete;
};

}  // namespace rtl::apartment
