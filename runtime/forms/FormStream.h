// The compiled form of a form description, as a module's resources carry
// it: the resource compiler writes it from the description's text at build
// time, and the runtime reads it when a form is constructed. Both include
// this header; it depends on nothing else.
//
// All numbers little-endian.
//
//   description := "VDFM" u8 version(1) object          nothing may follow
//   object      := u8 kind (0 object, 1 inherited) name className
//                  u16 propertyCount property*  u16 childCount object*
//   property    := name value                        name: identifiers joined by dots
//   value       := u8 tag, then by tag
//                    1 integer     i64
//                    2 float       f64 (IEEE 754 binary64)
//                    3 text        u32 length, bytes  (GBK, any byte)
//                    4 identifier  name               (no dots)
//                    5 set         u16 count, count names
//                    6 binary      u32 length, bytes  (pictures as they are stored)
//   name        := u8 length (1 or more), bytes of [A-Za-z0-9_.]
//
// The form is the first object; objects nest at most kMaxDepth deep, the
// form counting as the first.
#pragma once

#include <cstdint>

namespace formstream {

inline constexpr char kMagic[4] = {'V', 'D', 'F', 'M'};
inline constexpr std::uint8_t kVersion = 1;
inline constexpr int kMaxDepth = 64;

enum class ObjectKind : std::uint8_t { Object = 0, Inherited = 1 };

enum class Tag : std::uint8_t { Integer = 1, Float = 2, Text = 3, Identifier = 4, Set = 5, Binary = 6 };

}  // namespace formstream
