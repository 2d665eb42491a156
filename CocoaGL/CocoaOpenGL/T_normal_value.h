#pragma once
// A value kept within 0 to 1: a texture matrix's turns, scale and translations.
namespace CoreGeometry {

template <class T>
struct T_clamped_value {
  using value_type = T;
  static constexpr T clamp(T value, T low, T high) { return value < low ? low : value > high ? high : value; }
};

}  // namespace CoreGeometry

template <class Clamped>
struct T_normal_value {
  using value_type = typename Clamped::value_type;

  constexpr T_normal_value() = default;
  constexpr T_normal_value(value_type value) : m_value(Clamped::clamp(value, value_type(0), value_type(1))) {}
  constexpr operator value_type() const { return m_value; }

  value_type m_value{};
};
