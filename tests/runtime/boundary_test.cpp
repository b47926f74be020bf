// The library boundary: exceptions turned into result codes and back, and
// the initialisation and finalisation of unit tables.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/except/SafeCall.h"
#include "runtime/units/Units.h"

namespace {

using rtl::HResult;

TEST(SafeCall, BoundaryMapsEachExceptionToAFailingCode) {
  const struct {
    const char* what;
    std::function<void()> body;
    HResult code;
    const char* description;
  } cases[] = {
      {"nothing raised", [] {}, rtl::S_OK, "sentinel"},
      {"runtime error", [] { throw rtl::EConvertError("转换错误"); }, rtl::E_UNEXPECTED, "转换错误"},
      {"error with a code", [] { throw rtl::EOleSysError("bad arg", rtl::E_INVALIDARG); }, rtl::E_INVALIDARG,
       "bad arg"},
      {"error carrying a success code", [] { throw rtl::EOleSysError("odd", 1); }, rtl::E_UNEXPECTED, "odd"},
      {"out of memory", [] { throw std::bad_alloc(); }, rtl::E_OUTOFMEMORY, "Out of memory"},
      {"standard exception", [] { throw std::runtime_error("std"); }, rtl::E_UNEXPECTED, "std"},
      {"non-standard exception", [] { throw 42; }, rtl::E_UNEXPECTED, "Unknown exception"},
  };
  for (const auto& c : cases) {
    rtl::ErrorInfo info{"source", "sentinel"};
    EXPECT_EQ(rtl::SafeCallBoundary(c.body, &info), c.code) << c.what;
    EXPECT_EQ(info.description, c.description) << c.what;
    EXPECT_EQ(info.source, "source") << c.what;
    EXPECT_EQ(rtl::SafeCallBoundary(c.body), c.code) << c.what << " without ErrorInfo";
  }
}

TEST(SafeCall, CheckRaisesForFailingCodesOnly) {
  EXPECT_NO_THROW(rtl::SafeCallCheck(1, {"s", "d"}));
  try {
    rtl::SafeCallCheck(rtl::E_FAIL, {"Srv", "服务器错误"});
    FAIL() << "expected EOleException";
  } catch (const rtl::EOleException& e) {
    EXPECT_EQ(e.Message(), "服务器错误");
    EXPECT_EQ(e.ErrorCode(), rtl::E_FAIL);
    EXPECT_EQ(e.Source(), "Srv");
  }
  try {
    rtl::SafeCallCheck(rtl::E_POINTER, {});
    FAIL() << "expected EOleSysError";
  } catch (const rtl::EOleSysError& e) {
    EXPECT_EQ(dynamic_cast<const rtl::EOleException*>(&e), nullptr) << "no description: a plain EOleSysError";
    EXPECT_EQ(e.Message(), "Call failed with code 80004003");
  }
}

TEST(SafeCall, RaiseCarriesAnExceptionAcrossABoundary) {
  try {
    rtl::SafeCallRaise([](rtl::ErrorInfo& info) {
      return rtl::SafeCallBoundary([] { throw rtl::EDatabaseError("表不存在"); }, &info);
    });
    FAIL() << "expected EOleException";
  } catch (const rtl::EOleException& e) {
    EXPECT_EQ(e.Message(), "表不存在");
    EXPECT_EQ(e.ErrorCode(), rtl::E_UNEXPECTED);
  }
}

TEST(Units, CounterActsOnFirstEnterAndBalancingLeaveOnly) {
  rtl::UnitCounter counter;
  EXPECT_TRUE(counter.Enter());
  EXPECT_FALSE(counter.Enter());
  EXPECT_FALSE(counter.Leave());
  EXPECT_TRUE(counter.Leave());
  EXPECT_TRUE(counter.Enter()) << "a new load acts again";
}

std::vector<std::string> gUnitLog;

template <int N>
void Init() {
  gUnitLog.push_back("init" + std::to_string(N));
}
template <int N>
void Fin() {
  gUnitLog.push_back("fin" + std::to_string(N));
}
template <int N>
void InitRaising() {
  gUnitLog.push_back("init" + std::to_string(N) + "!");
  throw rtl::EConvertError("unit failed");
}
template <int N>
void FinRaising() {
  gUnitLog.push_back("fin" + std::to_string(N) + "!");
  throw 7;
}

using Log = std::vector<std::string>;

TEST(Units, InitializeInOrderFinalizeInReversePastRaisingUnits) {
  gUnitLog.clear();
  const rtl::UnitEntry units[] = {
      {"A", Init<1>, Fin<1>}, {"B", nullptr, nullptr}, {"C", Init<3>, FinRaising<3>}, {"D", Init<4>, Fin<4>}};
  EXPECT_TRUE(rtl::InitializeUnits(units));
  rtl::FinalizeUnits(units);
  EXPECT_EQ(gUnitLog, (Log{"init1", "init3", "init4", "fin4", "fin3!", "fin1"}));
}

TEST(Units, FailedInitializationRollsBackTheInitialisedUnitsInReverse) {
  gUnitLog.clear();
  const rtl::UnitEntry units[] = {
      {"A", Init<1>, Fin<1>}, {"B", Init<2>, FinRaising<2>}, {"C", InitRaising<3>, Fin<3>}, {"D", Init<4>, Fin<4>}};
  EXPECT_FALSE(rtl::InitializeUnits(units));
  EXPECT_EQ(gUnitLog, (Log{"init1", "init2", "init3!", "fin2!", "fin1"}));
}

rtl::UnitCounter gCountOnly;

TEST(Units, CountOnlyUnitsKeepTheirCounter) {
  const rtl::UnitEntry unit{"Empty", rtl::CountOnlyInitialization<gCountOnly>, rtl::CountOnlyFinalization<gCountOnly>};
  const rtl::UnitEntry twice[] = {unit, unit};
  ASSERT_TRUE(rtl::InitializeUnits(twice));
  EXPECT_EQ(gCountOnly.Value(), -2);
  rtl::FinalizeUnits(twice);
  EXPECT_EQ(gCountOnly.Value(), 0);
}

}  // namespace
