// What only Windows has: the ProgID's key in the registry for as long as a
// registration lives, the calling thread's COM initialised by the runtime
// and balanced, and server text that cannot cross as an automation string.
#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>

#include "runtime/dispatch/Apartment.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/dispatch/LateBinding.h"
#include "runtime/except/Exceptions.h"

namespace {

constexpr const char* kProgId = "Velmora.Test.Keyed";
constexpr const wchar_t* kKey = L"Velmora.Test.Keyed\\CLSID";
constexpr rtl::ClassId kClass{0x2b4c9d1e, 0x5a6f, 0x4e70, {0x81, 0x92, 0xa3, 0xb4, 0xc5, 0xd6, 0xe7, 0xf8}};

class Plain : public rtl::TAutoObject {
 public:
  Plain() {
    AddMember("Text", 0, [](std::span<rtl::Variant>) { return rtl::Variant(rtl::AnsiString("ab\xff")); });
  }
};

rtl::HResult MakePlain(rtl::DispatchPtr& out) {
  out = rtl::TAutoObject::Create<Plain>();
  return S_OK;
}

// The default value of HKEY_CLASSES_ROOT\<key>, or "<none>".
std::wstring ClassKeyValue(const wchar_t* key) {
  wchar_t value[64] = L"";
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return L"<none>";
  }
  return value;
}

// Whether the calling thread has COM initialised: probing initialises it
// when it was not, so the probe is undone either way.
bool ComInitialised() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_FALSE;
}

// Runs body on a thread of its own, one that has never initialised COM.
template <class Body>
void OnFreshThread(Body body) {
  std::thread thread(body);
  thread.join();
}

// A key that a crashed run left behind for the ProgID, naming another class.
class LeftoverKey : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY leftover = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &leftover, nullptr),
              ERROR_SUCCESS);
    const wchar_t stale[] = L"{00000000-0000-0000-0000-000000000001}";
    RegSetValueExW(leftover, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(stale), sizeof stale);
    RegCloseKey(leftover);
  }
};

TEST_F(LeftoverKey, RegistrationWritesItsClassOverIt) {
  const rtl::ComServerRegistration registration(kProgId, MakePlain, kClass);
  EXPECT_EQ(ClassKeyValue(kKey), L"{2B4C9D1E-5A6F-4E70-8192-A3B4C5D6E7F8}");
}

TEST_F(LeftoverKey, ProgIdResolvesToTheRegisteredClass) {
  const rtl::ComServerRegistration registration(kProgId, MakePlain, kClass);
  CLSID found{};
  ASSERT_EQ(CLSIDFromProgID(L"Velmora.Test.Keyed", &found), S_OK);
  EXPECT_EQ(found.Data1, kClass.data1);
  EXPECT_NO_THROW(rtl::CreateOleObject(kProgId));
}

TEST_F(LeftoverKey, EndOfTheRegistrationRemovesTheWholeProgIdKey) {
  { const rtl::ComServerRegistration registration(kProgId, MakePlain, kClass); }
  EXPECT_EQ(ClassKeyValue(kKey), L"<none>");
  EXPECT_EQ(ClassKeyValue(L"Velmora.Test.Keyed"), L"<none>");
}

TEST(ComRegistry, ServerTextThatIsNotGbkFailsTheCallInsteadOfBeingReplaced) {
  const rtl::ComServerRegistration registration(kProgId, MakePlain, kClass);
  const rtl::Variant object = rtl::CreateOleObject(kProgId);
  try {
    rtl::Invoke(object, "Text");
    ADD_FAILURE() << "expected the call to fail";
  } catch (const rtl::EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode(), DISP_E_EXCEPTION) << e.Message();
  }
}

TEST(ComApartment, AThreadWithoutComGetsItForItsObjectsOnly) {
  OnFreshThread([] {
    rtl::apartment::Enter();
    EXPECT_TRUE(rtl::apartment::Holds());
    EXPECT_TRUE(ComInitialised());
    const std::uint32_t token = rtl::apartment::ObjectAcquired();
    rtl::apartment::ObjectReleased(token);
    EXPECT_FALSE(rtl::apartment::Holds());
    EXPECT_FALSE(ComInitialised()) << "expected the runtime's initialisation balanced";
  });
}

TEST(ComApartment, TheHostsOwnInitialisationOutlivesTheRuntimes) {
  OnFreshThread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);  // the host's
    {
      const rtl::ComServerRegistration registration(kProgId, MakePlain, kClass);
      rtl::Variant object = rtl::CreateOleObject(kProgId);
      EXPECT_TRUE(rtl::apartment::Holds());
      EXPECT_EQ(rtl::apartment::Objects(), 1u);
      object = rtl::Variant();
      EXPECT_FALSE(rtl::apartment::Holds());
    }
    EXPECT_TRUE(ComInitialised()) << "expected the host's initialisation still in force";
    CoUninitialize();
    EXPECT_FALSE(ComInitialised());
  });
}

TEST(ComApartment, FailedCreationLeavesNoInitialisation) {
  OnFreshThread([] {
    EXPECT_THROW(rtl::CreateOleObject("Velmora.Test.Nobody"), rtl::EOleSysError);
    EXPECT_FALSE(rtl::apartment::Holds());
    EXPECT_FALSE(ComInitialised());
  });
}

TEST(ComApartment, ReleaseUnderTheLoaderLockKeepsComUntilTheNextEntryPoint) {
  OnFreshThread([] {
    rtl::apartment::Enter();
    const std::uint32_t token = rtl::apartment::ObjectAcquired();
    {
      const rtl::apartment::UnloadScope unloading;
      rtl::apartment::ObjectReleased(token);
      EXPECT_TRUE(rtl::apartment::Holds()) << "no CoUninitialize inside an unload";
      rtl::apartment::Settle();
      EXPECT_TRUE(rtl::apartment::Holds());
    }
    EXPECT_TRUE(ComInitialised());
    rtl::apartment::Settle();
    EXPECT_FALSE(rtl::apartment::Holds());
    EXPECT_FALSE(ComInitialised());
  });
}

}  // namespace
