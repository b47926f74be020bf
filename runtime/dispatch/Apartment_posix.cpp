// Without COM there is no apartment to keep.
#include "runtime/dispatch/Apartment.h"

namespace rtl::apartment {

void Enter() {}
std::uint32_t ObjectAcquired() noexcept { return 0; }
void ObjectReleased(std::uint32_t) noexcept {}
void Settle() noexcept {}
bool Holds() noexcept { return false; }
std::size_t Objects() noexcept { return 0; }
UnloadScope::UnloadScope() noexcept = default;
UnloadScope::~UnloadScope() = default;

}  // namespace rtl::apartment
