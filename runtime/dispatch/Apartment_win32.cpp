// Per-thread COM initialisation held by the runtime (see Apartment.h). The
// state lives in a process-wide table by thread id rather than in
// thread-local storage: unload routines read it at process exit, after the
// thread's own storage may be gone.
#include <windows.h>
#include <objbase.h>

#include <map>
#include <mutex>

#include "runtime/dispatch/Apartment.h"
#include "runtime/except/Exceptions.h"
#include "runtime/units/NoDestructor.h"

namespace rtl::apartment {
namespace {

struct ThreadState {
  bool holds = false;  // this runtime's CoInitializeEx awaits its CoUninitialize
  std::size_t objects = 0;
  int unloading = 0;
};

struct Table {
  std::mutex lock;
  std::map<DWORD, ThreadState> threads;
};

Table& Threads() {
  static NoDestructor<Table> table;
  return *table;
}

// Runs f on the calling thread's state under the table's lock.
template <class F>
auto WithState(F f) {
  Table& table = Threads();
  std::lock_guard guard(table.lock);
  return f(table.threads[GetCurrentThreadId()]);
}

// Uninitialises when the state holds an initialisation nothing needs;
// the call itself is made outside the table's lock.
void UninitialiseIfIdle() noexcept {
  const bool release = WithState([](ThreadState& s) {
    if (!s.holds || s.objects != 0 || s.unloading != 0) return false;
    s.holds = false;
    return true;
  });
  if (release) CoUninitialize();
}

}  // namespace

void Enter() {
  if (WithState([](ThreadState& s) { return s.holds; })) return;
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (hr == S_OK || hr == S_FALSE) {
    WithState([](ThreadState& s) { s.holds = true; });
  } else if (hr != RPC_E_CHANGED_MODE) {
    throw EOleSysError("COM could not be initialised", hr);
  }
}

std::uint32_t ObjectAcquired() noexcept {
  WithState([](ThreadState& s) { ++s.objects; });
  return GetCurrentThreadId();
}

void ObjectReleased(std::uint32_t thread) noexcept {
  {
    Table& table = Threads();
    std::lock_guard guard(table.lock);
    ThreadState& s = table.threads[thread];
    if (s.objects > 0) --s.objects;
  }
  if (thread == GetCurrentThreadId()) UninitialiseIfIdle();
}

void Settle() noexcept { UninitialiseIfIdle(); }

bool Holds() noexcept {
  return WithState([](ThreadState& s) { return s.holds; });
}

std::size_t Objects() noexcept {
  return WithState([](ThreadState& s) { return s.objects; });
}

UnloadScope::UnloadScope() noexcept {
  WithState([](ThreadState& s) { ++s.unloading; });
}

UnloadScope::~UnloadScope() {
  WithState([](ThreadState& s) { --s.unloading; });
}

}  // namespace rtl::apartment
