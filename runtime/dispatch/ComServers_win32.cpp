// The platform's servers by ProgID: a registration is a class object
// registered with CoRegisterClassObject (local server, multiple use, which
// the platform also offers in-process) and the key HKEY_CLASSES_ROOT\<ProgID>
// \CLSID that CLSIDFromProgID reads. Where the machine-wide classes cannot be
// written (a user without the rights on Windows), the user's own classes
// (HKEY_CURRENT_USER\Software\Classes) take the key. The class object is
// revoked when the registration ends, and the key removed by the last
// process that serves the ProgID; a key some earlier process left behind
// is simply overwritten.
//
// Who else serves a ProgID is known from a named event that each serving
// process holds open while it serves: the system closes it for a process
// that was killed outright, so a crash never keeps a key alive. A named
// mutex per ProgID makes writing the key, and looking for other servers
// then removing it, one step each. Both names are in the session's
// namespace, as the servers' registrations are.
//
// CreateOleObject resolves a ProgID this process serves to its own class,
// without the registry: the key is the machine's, and another process
// serving the same ProgID removes it when it ends, while this one still
// runs. Any other ProgID goes through CLSIDFromProgID. The object is made
// with CoCreateInstance(CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER) for
// IDispatch.
#include <objbase.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <optional>

#include "runtime/dispatch/Apartment.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/dispatch/win32/ComBridge.h"
#include "runtime/dispatch/win32/ComUnknown.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"
#include "runtime/units/NoDestructor.h"

namespace rtl {
namespace {

// The ProgIDs this process serves (upper case), each with its class: one
// registration each.
struct Served {
  std::mutex lock;
  std::map<std::string, CLSID> progIds;
};

Served& ServedHere() {
  static NoDestructor<Served> served;
  return *served;
}

// The class of a ProgID this process serves.
std::optional<CLSID> ServedClass(std::string_view progId) {
  Served& served = ServedHere();
  std::lock_guard guard(served.lock);
  const auto found = served.progIds.find(UpperCase(progId));
  if (found == served.progIds.end()) return std::nullopt;
  return found->second;
}

// A CLSID for a ProgID that has no fixed one: the same in every process
// (two 64-bit FNV-1a hashes of the upper-case ProgID), marked as a
// name-based identifier.
CLSID DerivedClassId(std::string_view progId) {
  const std::string key = UpperCase(progId);
  std::uint64_t hashes[2] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull};
  for (std::uint64_t& h : hashes) {
    for (unsigned char c : key) h = (h ^ c) * 0x100000001b3ull;
  }
  CLSID id{};
  id.Data1 = static_cast<unsigned long>(hashes[0] >> 32);
  id.Data2 = static_cast<unsigned short>(hashes[0] >> 16);
  id.Data3 = static_cast<unsigned short>((hashes[0] & 0x0FFF) | 0x5000);
  for (int i = 0; i < 8; ++i) id.Data4[i] = static_cast<unsigned char>(hashes[1] >> (8 * i));
  id.Data4[0] = static_cast<unsigned char>((id.Data4[0] & 0x3F) | 0x80);
  return id;
}

CLSID PlatformClassId(const ClassId& id) {
  CLSID result{};
  result.Data1 = id.data1;
  result.Data2 = id.data2;
  result.Data3 = id.data3;
  for (int i = 0; i < 8; ++i) result.Data4[i] = id.data4[static_cast<std::size_t>(i)];
  return result;
}

std::wstring ClassIdText(const CLSID& id) {
  wchar_t text[40];
  std::swprintf(text, 40, L"{%08lX-%04hX-%04hX-%02X%02X-%02X%02X%02X%02X%02X%02X}", id.Data1, id.Data2, id.Data3,
                id.Data4[0], id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

std::wstring Wide(std::string_view gbk) {
  const WideString wide = GbkToWide(gbk);
  return std::wstring(wide.begin(), wide.end());
}

// A kernel object's name for a ProgID: what of it is not a letter, a digit
// or a dot becomes '_' (a backslash would name a namespace).
std::wstring ObjectName(const wchar_t* kind, std::string_view progId) {
  std::wstring name = std::wstring(L"Velmora.ComServer.") + kind + L".";
  for (char c : UpperCase(progId)) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
    name += plain ? static_cast<wchar_t>(c) : L'_';
  }
  return name;
}

// Holds the ProgID's named mutex while it lives. A mutex its holder left
// by being killed is taken all the same (WAIT_ABANDONED).
class ProgIdLock {
 public:
  explicit ProgIdLock(std::string_view progId)
      : mutex_(CreateMutexW(nullptr, FALSE, ObjectName(L"Lock", progId).c_str())) {
    if (mutex_ != nullptr) WaitForSingleObject(mutex_, INFINITE);
  }
  ~ProgIdLock() {
    if (mutex_ == nullptr) return;
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
  ProgIdLock(const ProgIdLock&) = delete;
  ProgIdLock& operator=(const ProgIdLock&) = delete;

 private:
  HANDLE mutex_;
};

[[noreturn]] void RaiseRegistry(const std::string& progId, LSTATUS status) {
  throw EOleSysError("The key of class '" + progId + "' could not be written", HRESULT_FROM_WIN32(status));
}

// Creates the objects of one class through the host's factory.
class ClassFactory final : public com::ComUnknown<ClassFactory, IClassFactory, IID_IClassFactory> {
 public:
  explicit ClassFactory(ComServerFactory factory) : factory_(std::move(factory)) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    DispatchPtr object;
    HRESULT hr = E_UNEXPECTED;
    try {
      hr = factory_(object);
    } catch (...) {
      hr = CO_E_SERVER_EXEC_FAILURE;  // a factory that broke its promise not to raise
    }
    if (FAILED(hr)) return hr;
    if (!object) return CO_E_SERVER_EXEC_FAILURE;
    ::IDispatch* server = nullptr;
    try {
      server = com::NewServerDispatch(std::move(object));
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    hr = server->QueryInterface(riid, out);
    server->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  friend ComUnknown;
  ~ClassFactory() = default;
  ComServerFactory factory_;
};

}  // namespace

struct ComServerRegistration::Platform {
  bool comHeld = false;  // this registration's CoInitializeEx, balanced below
  DWORD cookie = 0;
  HKEY root = nullptr;       // where the ProgID's key was written
  std::wstring progId;       // the key's path under root
  std::string progIdName;    // the ProgID, for the kernel objects' names
  HANDLE serving = nullptr;  // this process's handle of the ProgID's presence event

  ~Platform() {
    if (serving != nullptr) {
      const ProgIdLock lock(progIdName);
      CloseHandle(serving);
      HANDLE other = OpenEventW(SYNCHRONIZE, FALSE, ObjectName(L"Serving", progIdName).c_str());
      if (other != nullptr) CloseHandle(other);  // another process serves it still: the key stays
      else if (root != nullptr) RegDeleteTreeW(root, progId.c_str());
    }
    if (cookie != 0) CoRevokeClassObject(cookie);
    if (comHeld) CoUninitialize();
  }

  // Writes <ProgID>\CLSID under root; false when root may not be written.
  bool WriteKey(HKEY under, const std::wstring& path, const std::wstring& value, const std::string& name) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(under, (path + L"\\CLSID").c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_ACCESS_DENIED) return false;
    if (status != ERROR_SUCCESS) RaiseRegistry(name, status);
    root = under;
    status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) RaiseRegistry(name, status);
    return true;
  }
};

ComServerRegistration::ComServerRegistration(std::string progId, ComServerFactory factory,
                                             std::optional<ClassId> classId)
    : progId_(std::move(progId)), platform_(std::make_unique<Platform>()) {
  const std::string key = UpperCase(progId_);
  {
    Served& served = ServedHere();
    std::lock_guard guard(served.lock);
    if (served.progIds.count(key) != 0) {
      platform_.reset();
      throw EOleSysError("Class '" + progId_ + "' is already registered", E_INVALIDARG);
    }
  }
  Platform& p = *platform_;
  p.progId = Wide(progId_);
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (init == S_OK || init == S_FALSE) {
    p.comHeld = true;
  } else if (init != RPC_E_CHANGED_MODE) {
    throw EOleSysError("COM could not be initialised", init);
  }
  const CLSID clsid = classId ? PlatformClassId(*classId) : DerivedClassId(progId_);
  ClassFactory* classObject = new ClassFactory(std::move(factory));
  const HRESULT hr = CoRegisterClassObject(clsid, classObject, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &p.cookie);
  classObject->Release();  // the class table holds its own reference
  if (FAILED(hr)) {
    p.cookie = 0;
    throw EOleSysError("Class '" + progId_ + "' could not be registered", hr);
  }
  const std::wstring clsidText = ClassIdText(clsid);
  p.progIdName = progId_;
  const ProgIdLock lock(progId_);
  p.serving = CreateEventW(nullptr, TRUE, FALSE, ObjectName(L"Serving", progId_).c_str());
  if (p.serving == nullptr)
    throw EOleSysError("Class '" + progId_ + "' could not be registered", HRESULT_FROM_WIN32(GetLastError()));
  if (!p.WriteKey(HKEY_CLASSES_ROOT, p.progId, clsidText, progId_) &&
      !p.WriteKey(HKEY_CURRENT_USER, L"Software\\Classes\\" + p.progId, clsidText, progId_)) {
    RaiseRegistry(progId_, ERROR_ACCESS_DENIED);
  }
  if (p.root == HKEY_CURRENT_USER) p.progId = L"Software\\Classes\\" + p.progId;
  Served& served = ServedHere();
  std::lock_guard guard(served.lock);
  served.progIds.emplace(key, clsid);
}

ComServerRegistration::~ComServerRegistration() {
  if (platform_ == nullptr) return;
  {
    Served& served = ServedHere();
    std::lock_guard guard(served.lock);
    served.progIds.erase(UpperCase(progId_));
  }
  platform_.reset();
}

Variant CreateOleObject(std::string_view progId) {
  apartment::Enter();
  try {
    const std::wstring name = Wide(progId);
    CLSID clsid{};
    HRESULT hr = S_OK;
    if (const std::optional<CLSID> own = ServedClass(progId)) {
      clsid = *own;
    } else {
      hr = CLSIDFromProgID(name.c_str(), &clsid);
      if (FAILED(hr)) throw EOleSysError("Invalid class string", hr);
    }
    ::IDispatch* object = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(&object));
    if (FAILED(hr) || object == nullptr) {
      if (hr == REGDB_E_CLASSNOTREG) throw EOleSysError("Class not registered", hr);
      throw EOleSysError("Server execution failed for '" + AnsiString(progId) + "'",
                         FAILED(hr) ? hr : CO_E_SERVER_EXEC_FAILURE);
    }
    DispatchPtr client = com::DispatchClientOf(object);
    object->Release();  // the client holds its own
    return Variant(std::move(client));
  } catch (...) {
    apartment::Settle();  // nothing made: an initialisation of ours is not needed
    throw;
  }
}

DispatchPtr PlatformDispatch(DispatchPtr object) {
  if (!object) return object;
  ::IDispatch* server = com::NewServerDispatch(std::move(object));
  DispatchPtr client = com::DispatchClientOf(server);
  server->Release();
  return client;
}

}  // namespace rtl
